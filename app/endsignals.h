// The ways the program is ended without its window: SIGTERM (logout, shutdown),
// SIGINT and SIGHUP. Each arrives as endRequested() on the thread that made this
// object, through its event loop. A second signal of a kind ends the program at once,
// as if nothing were watching.
#pragma once
#include <QObject>

class QSocketNotifier;

namespace lumivox {

class EndSignals : public QObject {
    Q_OBJECT

public:
    explicit EndSignals(QObject* parent = nullptr);
    ~EndSignals() override;

signals:
    void endRequested();

private:
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace lumivox
