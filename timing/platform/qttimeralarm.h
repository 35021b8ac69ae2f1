// An Alarm on a QTimer: the timer becomes precise (no 5 % slack, no whole-second
// rounding) and is restarted with each new delay, so it stays active while armed.
#pragma once
#include "timing/clock.h"

class QTimer;

namespace lumivox {

class QtTimerAlarm : public Alarm {
public:
    explicit QtTimerAlarm(QTimer* timer);
    void ArmIn(std::int64_t delayMs) override;
    void Disarm() override;

private:
    QTimer* timer_;
};

} // namespace lumivox
