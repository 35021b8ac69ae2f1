#include "timing/platform/wallalarm.h"

#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>

#ifdef __linux__
#include <sys/timerfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <ctime>
#endif

namespace lumivox {

namespace {
// Late enough never to beat the clock timer it stands behind.
constexpr std::int64_t kBackupAfterMs = 1000;
// Where no clock event is to be had, a look this often still notices a change soon.
constexpr int kFallbackLookMs = 5000;
} // namespace

WallAlarm::WallAlarm(QTimer* backup, QObject* parent) : QObject(parent), backup_(backup) {
#ifdef __linux__
    fd_ = timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    if (fd_ >= 0) {
        notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
        connect(notifier_, &QSocketNotifier::activated, this, &WallAlarm::OnReadable);
        return;
    }
#endif
    look_ = new QTimer(this);
    look_->setInterval(kFallbackLookMs);
    connect(look_, &QTimer::timeout, this, &WallAlarm::rang);
}

WallAlarm::~WallAlarm() {
#ifdef __linux__
    delete notifier_;
    if (fd_ >= 0)
        ::close(fd_);
#endif
}

void WallAlarm::ArmIn(std::int64_t delayMs) {
#ifdef __linux__
    if (fd_ >= 0) {
        // Absolute, so a clock set meanwhile moves the expiry with it; cancelled (and
        // so readable) whenever the clock is set, which the kernel also does on resume.
        delayMs = std::max<std::int64_t>(delayMs, 0);
        timespec now{};
        clock_gettime(CLOCK_REALTIME, &now);
        const std::int64_t ns = now.tv_nsec + (delayMs % 1000) * 1000000;
        itimerspec expiry{};
        expiry.it_value.tv_sec = now.tv_sec + static_cast<time_t>(delayMs / 1000 + ns / 1000000000);
        expiry.it_value.tv_nsec = static_cast<long>(ns % 1000000000);
        timerfd_settime(fd_, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &expiry, nullptr);
        backup_.ArmIn(delayMs + kBackupAfterMs);
        return;
    }
#endif
    backup_.ArmIn(delayMs);
    look_->start();
}

void WallAlarm::Disarm() {
#ifdef __linux__
    if (fd_ >= 0) {
        const itimerspec off{};
        timerfd_settime(fd_, 0, &off, nullptr);
    }
#endif
    backup_.Disarm();
    if (look_ != nullptr)
        look_->stop();
}

void WallAlarm::OnReadable() {
#ifdef __linux__
    std::uint64_t expirations = 0;
    const ssize_t got = ::read(fd_, &expirations, sizeof expirations);
    if (got < 0 && errno == EAGAIN)
        return;
    // An expiry, or ECANCELED (the clock was set): the owner arms again.
    emit rang();
#endif
}

} // namespace lumivox
