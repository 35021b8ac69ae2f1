// The announcer: one worker thread that speaks requests one after another, in the
// order they arrive. The window only posts; it never waits for speech.
#pragma once
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>

#include "announcer/clipbank.h"
#include "announcer/request.h"
#include "announcer/voicepack.h"

class TMyThread : public lumivox::RequestPoster {
public:
    // How long a close waits for the thread before leaving it behind.
    static constexpr std::chrono::milliseconds kShutdownWait{400};

    // Created suspended: nothing runs until Resume(). The thread keeps its own copy of
    // the bank and a share of the output, so it may outlive this object safely (the
    // clip images themselves must live as long as the process, as resources do).
    TMyThread(const lumivox::ClipBank& clips, std::shared_ptr<lumivox::SoundOutput> sound);
    // Borrows the output: Shutdown then waits for the thread however long it takes.
    TMyThread(const lumivox::ClipBank& clips, lumivox::SoundOutput& sound);
    // Shuts the thread down (see Shutdown) if that has not happened yet.
    ~TMyThread() override;

    TMyThread(const TMyThread&) = delete;
    TMyThread& operator=(const TMyThread&) = delete;

    void Resume();

    // Queues a message for the thread; never blocks on speech. Returns false once the
    // thread has ended (the message is then dropped).
    bool PostThreadMessage(std::uint32_t message, std::int32_t wParam, std::int32_t lParam);

    // Speaks the requests after this one in voice's clips; null: the bank it was made
    // with. Queued like any request, so what was asked for before keeps its voice.
    void UseVoice(std::shared_ptr<const lumivox::Voice> voice);

    // RequestPoster: message kAnnouncerMessage with kind and value.
    void Post(std::int32_t kind, std::int32_t value) override;

    // Sets the terminate flag; the thread ends before taking its next message.
    void Terminate();
    bool Terminated() const;

    // For closing the program: posts the quit request, sets the terminate flag, cuts
    // off the clip being played and waits up to kShutdownWait for the thread to end.
    // A thread stuck in the sound server is left to end whenever the server lets it;
    // it touches nothing of this object. Queued requests are not spoken. True when
    // the thread has ended. Safe to call more than once.
    bool Shutdown();

private:
    struct Shared;
    static void Execute(const std::shared_ptr<Shared>& shared);

    std::shared_ptr<Shared> shared_; // owned jointly with the thread
    bool borrowedSound_;
    std::mutex shutdownMutex_;
};
