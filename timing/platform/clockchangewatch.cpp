#include "timing/platform/clockchangewatch.h"

#include <QSocketNotifier>
#include <QTimer>

#ifdef __linux__
#include <sys/timerfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <ctime>
#endif

namespace lumivox {

namespace {
// Where no clock event is to be had, a look this often still notices a change soon.
constexpr int kFallbackLookMs = 5000;
} // namespace

ClockChangeWatch::ClockChangeWatch(QObject* parent) : QObject(parent) {
#ifdef __linux__
    // A wall-clock timer that is cancelled whenever the clock is set; the kernel
    // treats a resume from suspend the same way.
    fd_ = timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    if (fd_ >= 0) {
        Arm();
        notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
        connect(notifier_, &QSocketNotifier::activated, this, &ClockChangeWatch::OnReadable);
        return;
    }
#endif
    fallback_ = new QTimer(this);
    fallback_->setInterval(kFallbackLookMs);
    connect(fallback_, &QTimer::timeout, this, &ClockChangeWatch::changed);
    fallback_->start();
}

ClockChangeWatch::~ClockChangeWatch() {
#ifdef __linux__
    delete notifier_;
    if (fd_ >= 0)
        ::close(fd_);
#endif
}

void ClockChangeWatch::Arm() {
#ifdef __linux__
    // Far in the future: it is only there to be cancelled. Should the clock be set
    // beyond it, it fires, which is a change too.
    itimerspec spec{};
    spec.it_value.tv_sec = std::time(nullptr) + 10 * 365 * 24 * 3600;
    timerfd_settime(fd_, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &spec, nullptr);
#endif
}

void ClockChangeWatch::OnReadable() {
#ifdef __linux__
    std::uint64_t expirations = 0;
    const ssize_t got = ::read(fd_, &expirations, sizeof expirations);
    if (got < 0 && errno == EAGAIN)
        return;
    // ECANCELED (the clock was set) or an expiry: either way arm again and report.
    Arm();
    emit changed();
#endif
}

} // namespace lumivox
