#include "announcer/mythread.h"

#include <condition_variable>
#include <deque>
#include <thread>
#include <vector>

#include "announcer/sequences.h"
#include "announcer/wavfile.h"

namespace {
// Plays each clip at the announcer's volume: the image itself at 100, a quieter copy
// below, nothing at 0.
class VolumeSound : public lumivox::SoundOutput {
public:
    explicit VolumeSound(lumivox::SoundOutput& out) : out_(out) {}

    int percent = 100;

    void PlaySync(lumivox::ClipHandle clip) override {
        if (percent == 100) {
            out_.PlaySync(clip);
            return;
        }
        if (percent == 0 || !clip)
            return;
        copy_ = lumivox::ScaledWave(clip.data, clip.size, percent);
        if (!copy_.empty())
            out_.PlaySync({copy_.data(), copy_.size()});
    }
    void Abort() override { out_.Abort(); }
    void ReleaseStream() override { out_.ReleaseStream(); }

private:
    lumivox::SoundOutput& out_;
    std::vector<std::uint8_t> copy_; // reused, so a clip costs no allocation once warm
};
} // namespace

struct TMyThread::Shared {
    struct Message {
        std::uint32_t message;
        std::int32_t wParam;
        std::int32_t lParam;
    };

    lumivox::ClipBank clips;
    std::shared_ptr<const lumivox::Voice> nextVoice; // guarded by mutex
    // Read by the thread without the lock; only the thread clears it, under the lock.
    std::shared_ptr<lumivox::SoundOutput> sound;
    std::atomic<bool> terminated{false};
    std::mutex mutex;
    std::condition_variable wake; // new message, terminate flag, or the thread's end
    std::deque<Message> queue;
    bool started = false;  // guarded by mutex
    bool ended = false;    // guarded by mutex: posts are refused from then on
    bool finished = false; // guarded by mutex: the thread procedure has returned
    std::thread thread;    // touched by the owner only
};

TMyThread::TMyThread(const lumivox::ClipBank& clips, std::shared_ptr<lumivox::SoundOutput> sound)
    : shared_(std::make_shared<Shared>()), borrowedSound_(false) {
    shared_->clips = clips;
    shared_->sound = std::move(sound);
}

TMyThread::TMyThread(const lumivox::ClipBank& clips, lumivox::SoundOutput& sound)
    : TMyThread(clips,
                std::shared_ptr<lumivox::SoundOutput>(&sound, [](lumivox::SoundOutput*) {})) {
    borrowedSound_ = true;
}

TMyThread::~TMyThread() {
    Shutdown();
}

void TMyThread::Resume() {
    std::lock_guard lock(shared_->mutex);
    if (shared_->started || shared_->ended)
        return;
    shared_->started = true;
    shared_->thread = std::thread(&TMyThread::Execute, shared_);
}

bool TMyThread::PostThreadMessage(std::uint32_t message, std::int32_t wParam, std::int32_t lParam) {
    {
        std::lock_guard lock(shared_->mutex);
        if (shared_->ended)
            return false;
        // Posts made before Resume wait here for the thread rather than being lost.
        shared_->queue.push_back({message, wParam, lParam});
    }
    shared_->wake.notify_all();
    return true;
}

void TMyThread::UseVoice(std::shared_ptr<const lumivox::Voice> voice) {
    {
        std::lock_guard lock(shared_->mutex);
        shared_->nextVoice = std::move(voice);
    }
    Post(lumivox::RequestKind::Voice, 0);
}

void TMyThread::Post(std::int32_t kind, std::int32_t value) {
    PostThreadMessage(lumivox::kAnnouncerMessage, kind, value);
}

void TMyThread::Terminate() {
    {
        // Under the lock so a thread about to wait cannot miss the wake-up.
        std::lock_guard lock(shared_->mutex);
        shared_->terminated = true;
    }
    shared_->wake.notify_all();
}

bool TMyThread::Terminated() const {
    return shared_->terminated;
}

bool TMyThread::Shutdown() {
    std::lock_guard shutdownLock(shutdownMutex_);
    Post(lumivox::RequestKind::Quit, -1);
    Terminate();
    std::unique_lock lock(shared_->mutex);
    shared_->ended = true;
    shared_->queue.clear();
    // Cuts off the clip being played; every clip after it returns at once.
    if (shared_->sound)
        shared_->sound->Abort();
    if (!shared_->thread.joinable())
        return true;
    const auto done = [this] { return shared_->finished; };
    if (borrowedSound_)
        shared_->wake.wait(lock, done);
    else if (!shared_->wake.wait_for(lock, kShutdownWait, done)) {
        // Blocked in the sound server: it keeps its share of everything it uses.
        shared_->thread.detach();
        return false;
    }
    lock.unlock();
    shared_->thread.join();
    return true;
}

void TMyThread::Execute(const std::shared_ptr<Shared>& shared) {
    Shared& s = *shared;
    VolumeSound voice(*s.sound);
    std::shared_ptr<const lumivox::Voice> speaking; // keeps the clips in use alive
    while (!s.terminated) {
        Shared::Message next{};
        {
            std::unique_lock lock(s.mutex);
            s.wake.wait(lock, [&s] { return s.terminated || !s.queue.empty(); });
            if (s.terminated)
                break;
            next = s.queue.front();
            s.queue.pop_front();
        }
        if (next.message != lumivox::kAnnouncerMessage)
            continue;
        if (next.wParam == lumivox::RequestKind::Quit && next.lParam == -1) {
            s.terminated = true;
            break;
        }
        if (next.wParam == lumivox::RequestKind::Volume) {
            voice.percent = lumivox::ClampVolume(next.lParam);
            if (voice.percent == 0)
                voice.ReleaseStream(); // muted: no stream held on the sound server
            continue;
        }
        if (next.wParam == lumivox::RequestKind::Voice) {
            std::lock_guard lock(s.mutex);
            speaking = s.nextVoice;
            continue;
        }
        // One request is spoken to its end before the next is taken.
        lumivox::SpeakRequest(speaking ? speaking->clips : s.clips, voice, next.wParam,
                              next.lParam);
    }
    std::shared_ptr<lumivox::SoundOutput> sound;
    {
        std::lock_guard lock(s.mutex);
        s.ended = true;
        s.queue.clear();
        sound = std::move(s.sound);
    }
    // The output is closed here when this is its last owner, so the window's thread
    // never waits on the sound server.
    sound.reset();
    {
        std::lock_guard lock(s.mutex);
        s.finished = true;
    }
    s.wake.notify_all();
}
