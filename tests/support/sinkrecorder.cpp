#include "sinkrecorder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "announcer/wavfile.h"

namespace lumivox::testing {

namespace {

constexpr std::size_t kFrame = 110;     // 5 ms: the coarse search works on loudness per frame
constexpr std::size_t kReachFrames = 6; // each likely place is then searched this far either way

std::vector<double> Envelope(const std::int16_t* samples, std::size_t count) {
    std::vector<double> env(count / kFrame);
    for (std::size_t f = 0; f < env.size(); ++f) {
        double sum = 0;
        for (std::size_t i = 0; i < kFrame; ++i)
            sum += std::abs(static_cast<double>(samples[f * kFrame + i]));
        env[f] = sum / kFrame;
    }
    return env;
}

// Normalised correlation of b against a at offset: 1 for a copy, 0 for no likeness.
template <typename T, typename U> double Correlation(const T* a, const U* b, std::size_t n) {
    double sa = 0, sb = 0;
    for (std::size_t i = 0; i < n; ++i) {
        sa += a[i];
        sb += b[i];
    }
    const double ma = sa / n, mb = sb / n;
    double ab = 0, aa = 0, bb = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double x = a[i] - ma, y = b[i] - mb;
        ab += x * y;
        aa += x * x;
        bb += y * y;
    }
    if (aa <= 0 || bb <= 0)
        return 0;
    return ab / std::sqrt(aa * bb);
}

// Correlation of a clip at any offset of a recording, one multiply per sample: the
// clip is centred once, which also takes the recording's mean out of the product,
// and the recording's spread comes from running sums.
class SampleCorrelator {
public:
    SampleCorrelator(const std::vector<std::int16_t>& recording,
                     const std::vector<std::int16_t>& clip)
        : recording_(recording), centred_(clip.size()), sum_(recording.size() + 1),
          squares_(recording.size() + 1) {
        double mean = 0;
        for (const std::int16_t v : clip)
            mean += v;
        mean /= static_cast<double>(clip.size());
        for (std::size_t i = 0; i < clip.size(); ++i) {
            centred_[i] = clip[i] - mean;
            clipSpread_ += centred_[i] * centred_[i];
        }
        for (std::size_t i = 0; i < recording.size(); ++i) {
            sum_[i + 1] = sum_[i] + recording[i];
            squares_[i + 1] = squares_[i] + double(recording[i]) * recording[i];
        }
    }

    double At(std::size_t offset) const {
        const std::size_t n = centred_.size();
        const double sum = sum_[offset + n] - sum_[offset];
        const double spread = squares_[offset + n] - squares_[offset] - sum * sum / n;
        if (spread <= 0 || clipSpread_ <= 0)
            return 0;
        const std::int16_t* r = recording_.data() + offset;
        double product = 0;
        for (std::size_t i = 0; i < n; ++i)
            product += r[i] * centred_[i];
        return product / std::sqrt(spread * clipSpread_);
    }

private:
    const std::vector<std::int16_t>& recording_;
    std::vector<double> centred_;
    std::vector<double> sum_; // running sums, exact in doubles at these lengths
    std::vector<double> squares_;
    double clipSpread_ = 0;
};

// Best start of clip in recording[lo, hi]. Loudness alone can mistake one word for
// another, so the likeliest places by loudness are each tried sample by sample.
bool FindClip(const std::vector<std::int16_t>& recording, const std::vector<double>& recEnv,
              const std::vector<std::int16_t>& clip, std::size_t lo, std::size_t hi,
              std::size_t& at, double& correlation) {
    constexpr std::size_t kCandidates = 12;
    if (clip.empty() || clip.size() > recording.size())
        return false;
    hi = std::min(hi, recording.size() - clip.size());
    if (lo > hi)
        return false;
    const std::vector<double> clipEnv = Envelope(clip.data(), clip.size());
    std::vector<std::pair<double, std::size_t>> frames;
    for (std::size_t f = lo / kFrame; f <= hi / kFrame; ++f) {
        const double c = f + clipEnv.size() <= recEnv.size() && !clipEnv.empty()
                             ? Correlation(recEnv.data() + f, clipEnv.data(), clipEnv.size())
                             : 0;
        frames.emplace_back(c, f);
    }
    std::sort(frames.begin(), frames.end(), [](const auto& a, const auto& b) {
        return a.first > b.first || (a.first == b.first && a.second < b.second);
    });
    const SampleCorrelator sampleMatch(recording, clip);
    std::vector<std::size_t> tried;
    correlation = -2;
    for (const auto& [score, frame] : frames) {
        if (tried.size() == kCandidates)
            break;
        const bool near = std::any_of(tried.begin(), tried.end(), [&](std::size_t t) {
            return (t > frame ? t - frame : frame - t) <= kReachFrames;
        });
        if (near)
            continue;
        tried.push_back(frame);
        // The loudness peak can sit a few frames off the true start: frames do not
        // line up with the clip, and a stream's first milliseconds may come out silent.
        const std::size_t centre = frame * kFrame;
        const std::size_t reach = kReachFrames * kFrame;
        const std::size_t from = std::max(lo, centre > reach ? centre - reach : 0);
        const std::size_t to = std::min(hi, centre + reach);
        for (std::size_t s = from; s <= to; ++s) {
            const double c = sampleMatch.At(s);
            if (c > correlation) {
                correlation = c;
                at = s;
            }
        }
    }
    return correlation > -2;
}

} // namespace

bool TestSoundServerConfigured() {
    const char* server = std::getenv("PULSE_SERVER");
    return server && *server;
}

SinkRecorder::SinkRecorder(std::string source) : source_(std::move(source)) {}

SinkRecorder::~SinkRecorder() {
    if (pid_ > 0)
        Stop();
}

bool SinkRecorder::Start(std::chrono::milliseconds waitForData) {
    if (pid_ > 0)
        return false;
    char name[] = "/tmp/lumivox-sink-XXXXXX";
    const int fd = mkstemp(name);
    if (fd < 0)
        return false;
    file_ = name;
    pid_ = fork();
    if (pid_ == 0) {
        dup2(fd, STDOUT_FILENO);
        execlp("parec", "parec", "-d", source_.c_str(), "--latency-msec=20", "--raw",
               "--format=s16le", "--rate=22050", "--channels=1", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fd);
    if (pid_ < 0)
        return false;
    const auto limit = std::chrono::steady_clock::now() + waitForData;
    struct stat st {};
    while (std::chrono::steady_clock::now() < limit) {
        if (stat(file_.c_str(), &st) == 0 && st.st_size > 0)
            return true;
        if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
            pid_ = -1;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

std::vector<std::int16_t> SinkRecorder::Stop() {
    std::vector<std::int16_t> samples;
    if (pid_ > 0) {
        kill(pid_, SIGINT);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
    if (file_.empty())
        return samples;
    std::ifstream in(file_, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in), {}};
    samples.resize(bytes.size() / 2);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const auto lo = static_cast<std::uint8_t>(bytes[2 * i]);
        const auto hi = static_cast<std::uint8_t>(bytes[2 * i + 1]);
        samples[i] = static_cast<std::int16_t>(static_cast<std::uint16_t>(lo | (hi << 8)));
    }
    if (const char* keep = std::getenv("LUMIVOX_KEEP_RECORDINGS"); keep && *keep) {
        static int kept = 0;
        const std::string copy = std::string(keep) + "/recording-" + std::to_string(getpid()) +
                                 "-" + std::to_string(++kept) + ".raw";
        std::rename(file_.c_str(), copy.c_str());
    } else {
        std::remove(file_.c_str());
    }
    file_.clear();
    return samples;
}

std::vector<std::int16_t> ClipSamples(ClipHandle clip) {
    std::vector<std::int16_t> samples;
    if (!clip)
        return samples;
    const auto wave = ParseWave(clip.data, clip.size);
    if (!wave || wave->formatTag != 1 || wave->bitsPerSample != 16 || wave->channels == 0)
        return samples;
    const std::size_t frameBytes = 2u * wave->channels;
    samples.resize(wave->sampleBytes / frameBytes);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const std::uint8_t* p = wave->samples + i * frameBytes;
        samples[i] = static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] | (p[1] << 8)));
    }
    return samples;
}

double SequenceMatch::Weakest() const {
    return correlations.empty() ? 0 : *std::min_element(correlations.begin(), correlations.end());
}

SequenceMatch FindClipSequence(const std::vector<std::int16_t>& recording,
                               const std::vector<std::vector<std::int16_t>>& clips,
                               std::size_t from, std::size_t maxGap) {
    SequenceMatch match;
    if (clips.empty())
        return match;
    const std::vector<double> recEnv = Envelope(recording.data(), recording.size());
    const std::size_t slack = kSinkRate / 50; // a clip may start 20 ms early
    std::size_t lo = from;
    std::size_t hi = recording.size();
    for (const auto& clip : clips) {
        std::size_t at = 0;
        double correlation = 0;
        if (!FindClip(recording, recEnv, clip, lo, hi, at, correlation))
            return match;
        match.clipStarts.push_back(at);
        match.correlations.push_back(correlation);
        const std::size_t next = at + clip.size();
        lo = next > slack ? next - slack : 0;
        hi = next + maxGap;
        match.end = next;
    }
    match.start = match.clipStarts.front();
    match.found = true;
    return match;
}

std::vector<std::int16_t> WithoutInsertedSilence(const std::vector<std::int16_t>& samples,
                                                 std::size_t minRun) {
    std::vector<std::int16_t> kept;
    kept.reserve(samples.size());
    std::size_t zeros = 0;
    for (const std::int16_t v : samples) {
        if (v == 0) {
            ++zeros;
            continue;
        }
        if (zeros < minRun)
            kept.insert(kept.end(), zeros, 0);
        zeros = 0;
        kept.push_back(v);
    }
    if (zeros < minRun)
        kept.insert(kept.end(), zeros, 0);
    return kept;
}

std::size_t FirstSound(const std::vector<std::int16_t>& samples, std::size_t begin, std::size_t end,
                       int threshold) {
    end = std::min(end, samples.size());
    for (std::size_t i = begin; i < end; ++i) {
        if (std::abs(samples[i]) > threshold)
            return i;
    }
    return end;
}

std::size_t EndOfSound(const std::vector<std::int16_t>& samples, std::size_t begin, std::size_t end,
                       int threshold) {
    end = std::min(end, samples.size());
    for (std::size_t i = end; i > begin; --i) {
        if (std::abs(samples[i - 1]) > threshold)
            return i;
    }
    return begin;
}

} // namespace lumivox::testing
