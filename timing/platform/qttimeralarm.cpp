#include "timing/platform/qttimeralarm.h"

#include <QTimer>

#include <algorithm>
#include <limits>

namespace lumivox {

QtTimerAlarm::QtTimerAlarm(QTimer* timer) : timer_(timer) {
    timer_->setTimerType(Qt::PreciseTimer);
}

void QtTimerAlarm::ArmIn(std::int64_t delayMs) {
    const auto ms = std::clamp<std::int64_t>(delayMs, 0, std::numeric_limits<int>::max());
    timer_->start(static_cast<int>(ms));
}

void QtTimerAlarm::Disarm() {
    timer_->stop();
}

} // namespace lumivox
