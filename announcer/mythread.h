// The announcer: one worker thread that speaks requests one after another, in the
// order they arrive. The window only posts; it never waits for speech.
#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>

#include "announcer/clipbank.h"
#include "announcer/request.h"

class TMyThread : public lumivox::RequestPoster {
public:
    // Created suspended: nothing runs until Resume().
    TMyThread(const lumivox::ClipBank& clips, lumivox::SoundOutput& sound);
    // Shuts the thread down (see Shutdown) if that has not happened yet.
    ~TMyThread() override;

    TMyThread(const TMyThread&) = delete;
    TMyThread& operator=(const TMyThread&) = delete;

    void Resume();

    // Queues a message for the thread; never blocks on speech. Returns false once the
    // thread has ended (the message is then dropped).
    bool PostThreadMessage(std::uint32_t message, std::int32_t wParam, std::int32_t lParam);

    // RequestPoster: message kAnnouncerMessage with kind and value.
    void Post(std::int32_t kind, std::int32_t value) override;

    // Sets the terminate flag; the thread ends before taking its next message.
    void Terminate();
    bool Terminated() const;

    // For closing the program: posts the quit request, sets the terminate flag, cuts
    // off the clip being played and waits for the thread to end. Queued requests are
    // not spoken. Safe to call more than once.
    void Shutdown();

private:
    struct Message {
        std::uint32_t message;
        std::int32_t wParam;
        std::int32_t lParam;
    };

    void Execute();
    void Dispatch(std::int32_t kind, std::int32_t value);

    const lumivox::ClipBank& clips_;
    lumivox::SoundOutput& sound_;
    std::atomic<bool> terminated_{false};
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Message> queue_;
    bool started_ = false; // guarded by mutex_
    bool ended_ = false;   // guarded by mutex_: posts are refused from then on
    std::mutex shutdownMutex_;
    std::thread thread_;
};
