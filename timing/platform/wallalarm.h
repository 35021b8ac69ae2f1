// The chime's alarm: a timer on the wall clock itself. On Linux one timerfd, armed
// at an absolute wall-clock time, both ends the sleep on the minute (a timer's expiry
// is not stretched like a poll timeout) and reports a jump of the clock: set by hand
// or by time sync, or a machine waking from sleep. Either way rang() is emitted and
// the owner looks at the clock again.
#pragma once
#include <QObject>

#include "timing/platform/qttimeralarm.h"

class QSocketNotifier;
class QTimer;

namespace lumivox {

class WallAlarm : public QObject, public Alarm {
    Q_OBJECT

public:
    // `backup` is armed a little after each expiry, so it stays active while the
    // alarm is, and rings should the clock timer ever be missed.
    explicit WallAlarm(QTimer* backup, QObject* parent = nullptr);
    ~WallAlarm() override;

    void ArmIn(std::int64_t delayMs) override;
    void Disarm() override;
    bool Punctual() const override { return fd_ >= 0; }

signals:
    void rang();

private:
    void OnReadable();

    int fd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
    QtTimerAlarm backup_;
    QTimer* look_ = nullptr;
};

} // namespace lumivox
