#include "timing/platform/systemwallclock.h"

#include <QDateTime>

namespace lumivox {

std::int64_t SystemWallClock::LocalMs() const {
    const QDateTime now = QDateTime::currentDateTime();
    return now.toMSecsSinceEpoch() + static_cast<std::int64_t>(now.offsetFromUtc()) * 1000;
}

} // namespace lumivox
