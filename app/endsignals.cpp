#include "app/endsignals.h"

#include <QCoreApplication>
#include <QEvent>
#include <QSocketNotifier>

#ifndef _WIN32
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace lumivox {

namespace {

class QuitFilter : public QObject {
public:
    QuitFilter(QObject* parent, std::function<void()> beforeQuit)
        : QObject(parent), beforeQuit_(std::move(beforeQuit)) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Quit)
            beforeQuit_();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> beforeQuit_;
};

} // namespace

void OnQuitRequest(QCoreApplication& application, std::function<void()> beforeQuit) {
    application.installEventFilter(new QuitFilter(&application, std::move(beforeQuit)));
}

#ifndef _WIN32
namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
int wakeFds[2] = {-1, -1}; // the handler writes, the event loop reads

void OnEndSignal(int number) {
    const int saved = errno;
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(number, &fallback, nullptr);
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(wakeFds[1], &byte, 1);
    errno = saved;
}

} // namespace

EndSignals::EndSignals(QObject* parent) : QObject(parent) {
    if (wakeFds[0] >= 0 || ::pipe2(wakeFds, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    notifier_ = new QSocketNotifier(wakeFds[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        char bytes[16];
        while (::read(wakeFds[0], bytes, sizeof bytes) > 0) {
        }
        emit endRequested();
    });
    struct sigaction action {};
    action.sa_handler = OnEndSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : kSignals)
        sigaction(number, &action, nullptr);
}

EndSignals::~EndSignals() {
    if (!notifier_)
        return;
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    for (const int number : kSignals)
        sigaction(number, &fallback, nullptr);
}
#else
EndSignals::EndSignals(QObject* parent) : QObject(parent) {}
EndSignals::~EndSignals() = default;
#endif

} // namespace lumivox
