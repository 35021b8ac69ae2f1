// Reports a jump of the wall clock as an event, so the chime can sleep a whole
// minute: the system clock was set (by hand or by time sync) or the machine woke
// from sleep, during which the monotonic clock and the chime's timer stood still.
#pragma once
#include <QObject>

class QSocketNotifier;
class QTimer;

namespace lumivox {

class ClockChangeWatch : public QObject {
    Q_OBJECT

public:
    explicit ClockChangeWatch(QObject* parent = nullptr);
    ~ClockChangeWatch() override;

signals:
    void changed();

private:
    void Arm();
    void OnReadable();

    int fd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
    QTimer* fallback_ = nullptr;
};

} // namespace lumivox
