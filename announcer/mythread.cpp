#include "announcer/mythread.h"

#include "announcer/sequences.h"

TMyThread::TMyThread(const lumivox::ClipBank& clips, lumivox::SoundOutput& sound)
    : clips_(clips), sound_(sound) {}

TMyThread::~TMyThread() {
    Shutdown();
}

void TMyThread::Resume() {
    std::lock_guard lock(mutex_);
    if (started_ || ended_)
        return;
    started_ = true;
    thread_ = std::thread([this] { Execute(); });
}

bool TMyThread::PostThreadMessage(std::uint32_t message, std::int32_t wParam, std::int32_t lParam) {
    {
        std::lock_guard lock(mutex_);
        if (ended_)
            return false;
        // Posts made before Resume wait here for the thread rather than being lost.
        queue_.push_back({message, wParam, lParam});
    }
    wake_.notify_one();
    return true;
}

void TMyThread::Post(std::int32_t kind, std::int32_t value) {
    PostThreadMessage(lumivox::kAnnouncerMessage, kind, value);
}

void TMyThread::Terminate() {
    {
        // Under the lock so a thread about to wait cannot miss the wake-up.
        std::lock_guard lock(mutex_);
        terminated_ = true;
    }
    wake_.notify_all();
}

bool TMyThread::Terminated() const {
    return terminated_;
}

void TMyThread::Shutdown() {
    std::lock_guard shutdownLock(shutdownMutex_);
    Post(lumivox::RequestKind::Quit, -1);
    Terminate();
    // Cuts off the clip being played; every clip after it returns at once.
    sound_.Abort();
    std::thread worker;
    {
        std::lock_guard lock(mutex_);
        worker = std::move(thread_);
        ended_ = true;
        queue_.clear();
    }
    if (worker.joinable())
        worker.join();
}

void TMyThread::Execute() {
    while (!terminated_) {
        Message next{};
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return terminated_ || !queue_.empty(); });
            if (terminated_)
                break;
            next = queue_.front();
            queue_.pop_front();
        }
        if (next.message != lumivox::kAnnouncerMessage)
            continue;
        if (next.wParam == lumivox::RequestKind::Quit && next.lParam == -1) {
            terminated_ = true;
            break;
        }
        Dispatch(next.wParam, next.lParam);
    }
    std::lock_guard lock(mutex_);
    ended_ = true;
    queue_.clear();
}

void TMyThread::Dispatch(std::int32_t kind, std::int32_t value) {
    // One request is spoken to its end before the next is taken.
    lumivox::SpeakRequest(clips_, sound_, kind, value);
}
