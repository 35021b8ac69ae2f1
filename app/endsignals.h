// The ways the program is ended without its window: SIGTERM (logout, shutdown),
// SIGINT and SIGHUP. Each arrives as endRequested() on the thread that made this
// object, through its event loop. A second signal of a kind ends the program at once,
// as if nothing were watching.
#pragma once
#include <QObject>

#include <functional>

class QCoreApplication;
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

// Runs beforeQuit whenever the application is asked to quit (by a signal above, by the
// session manager ending the session, by anything else), before the application
// closes its windows. A close through the window asks to quit only after its own close.
void OnQuitRequest(QCoreApplication& application, std::function<void()> beforeQuit);

} // namespace lumivox
