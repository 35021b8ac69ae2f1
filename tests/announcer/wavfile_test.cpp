#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "announcer/clipdecode.h"
#include "announcer/resample.h"
#include "announcer/wavfile.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void Put32(Bytes& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void Put16(Bytes& b, std::uint16_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void PutTag(Bytes& b, const char* tag) {
    b.insert(b.end(), tag, tag + 4);
}

Bytes Chunk(const char* tag, const Bytes& body, std::uint32_t declared = UINT32_MAX) {
    Bytes b;
    PutTag(b, tag);
    Put32(b, declared == UINT32_MAX ? static_cast<std::uint32_t>(body.size()) : declared);
    b.insert(b.end(), body.begin(), body.end());
    if (body.size() % 2)
        b.push_back(0);
    return b;
}

Bytes Format(std::uint16_t channels = 1, std::uint32_t rate = 22050, std::uint16_t bits = 16,
             std::uint16_t tag = 1) {
    const std::uint16_t frame = static_cast<std::uint16_t>(channels * bits / 8);
    Bytes f;
    Put16(f, tag);
    Put16(f, channels);
    Put32(f, rate);
    Put32(f, rate * frame);
    Put16(f, frame);
    Put16(f, bits);
    return f;
}

// Little-endian integer samples of the given width in bytes.
Bytes Samples(std::initializer_list<std::int64_t> values, int width = 2) {
    Bytes b;
    for (const std::int64_t v : values) {
        for (int i = 0; i < width; ++i)
            b.push_back(static_cast<std::uint8_t>(static_cast<std::uint64_t>(v) >> (8 * i)));
    }
    return b;
}

Bytes Floats(std::initializer_list<float> values) {
    Bytes b(values.size() * 4);
    std::memcpy(b.data(), values.begin(), b.size());
    return b;
}

Bytes Riff(const std::vector<Bytes>& chunks) {
    Bytes body;
    PutTag(body, "WAVE");
    for (const auto& c : chunks)
        body.insert(body.end(), c.begin(), c.end());
    Bytes b;
    PutTag(b, "RIFF");
    Put32(b, static_cast<std::uint32_t>(body.size()));
    b.insert(b.end(), body.begin(), body.end());
    return b;
}

constexpr double kPi = 3.14159265358979323846;

// A sine of amplitude `level` (of full scale), `seconds` long, in the given encoding;
// in stereo the left channel carries 0.8 of it and the right 0.2, so only a true
// mix-down gives half of each.
Bytes ToneData(double hz, double level, int rate, int channels, int bits, bool isFloat,
               double seconds) {
    Bytes b;
    const int frames = static_cast<int>(seconds * rate);
    for (int i = 0; i < frames; ++i) {
        const double v = level * std::sin(2 * kPi * hz * i / rate);
        for (int c = 0; c < channels; ++c) {
            const double x = channels == 1 ? v : v * (c == 0 ? 1.6 : 0.4);
            if (isFloat) {
                const float f = static_cast<float>(x);
                Bytes four(4);
                std::memcpy(four.data(), &f, 4);
                b.insert(b.end(), four.begin(), four.end());
            } else if (bits == 8) {
                b.push_back(static_cast<std::uint8_t>(std::lround(128 + x * 127)));
            } else {
                const auto top = static_cast<std::int64_t>(std::lround(x * 2147483647.0));
                for (int k = 4 - bits / 8; k < 4; ++k)
                    b.push_back(
                        static_cast<std::uint8_t>(static_cast<std::uint64_t>(top) >> (8 * k)));
            }
        }
    }
    return b;
}

// The amplitude of the hz component of samples at rate (in their own units).
double AmplitudeAt(const std::vector<double>& samples, double hz, int rate) {
    double re = 0, im = 0;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        re += samples[i] * std::cos(2 * kPi * hz * static_cast<double>(i) / rate);
        im += samples[i] * std::sin(2 * kPi * hz * static_cast<double>(i) / rate);
    }
    return 2 * std::hypot(re, im) / static_cast<double>(samples.size());
}

std::optional<lumivox::WaveData> Parse(const Bytes& b) {
    return lumivox::ParseWave(b.data(), b.size());
}

} // namespace

TEST(ParseWave, ReadsFormatSamplesAndInfoName) {
    const Bytes samples(44100, 0x11);
    Bytes info;
    PutTag(info, "INFO");
    const Bytes name = Chunk("INAM", Bytes{'l', 'i', 'n', 'g', '2', 0});
    info.insert(info.end(), name.begin(), name.end());
    const Bytes image =
        Riff({Chunk("fmt ", Format()), Chunk("LIST", info), Chunk("data", samples)});

    const auto wave = Parse(image);
    ASSERT_TRUE(wave);
    EXPECT_EQ(wave->formatTag, 1);
    EXPECT_EQ(wave->channels, 1);
    EXPECT_EQ(wave->sampleRate, 22050u);
    EXPECT_EQ(wave->bitsPerSample, 16);
    EXPECT_EQ(wave->sampleBytes, samples.size());
    EXPECT_EQ(wave->samples[0], 0x11);
    EXPECT_EQ(wave->infoName, "ling2");
    EXPECT_DOUBLE_EQ(wave->Seconds(), 1.0);
}

TEST(ParseWave, RejectsWhatIsNotAWaveAndNeverReadsPastTheImage) {
    const Bytes good = Riff({Chunk("fmt ", Format()), Chunk("data", Bytes(100, 1))});
    Bytes notRiff = good;
    notRiff[0] = 'X';
    Bytes notWave = good;
    notWave[8] = 'X';
    const Bytes noFormat = Riff({Chunk("data", Bytes(100, 1))});
    const Bytes noData = Riff({Chunk("fmt ", Format())});
    const Bytes shortFormat = Riff({Chunk("fmt ", Bytes(8, 0)), Chunk("data", Bytes(4, 1))});

    EXPECT_TRUE(Parse(good));
    EXPECT_FALSE(Parse(notRiff));
    EXPECT_FALSE(Parse(notWave));
    EXPECT_FALSE(Parse(noFormat));
    EXPECT_FALSE(Parse(noData));
    EXPECT_FALSE(Parse(shortFormat));
    EXPECT_FALSE(Parse(Bytes{}));
    EXPECT_FALSE(lumivox::ParseWave(nullptr, 1000));
    // Every prefix of a good image parses or is refused, without reading past its end.
    for (std::size_t n = 0; n <= good.size(); ++n) {
        const Bytes prefix(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n));
        const auto wave = Parse(prefix);
        if (wave) {
            EXPECT_LE(wave->samples + wave->sampleBytes, prefix.data() + prefix.size());
        }
    }
}

TEST(ParseWave, CutsChunksThatClaimMoreThanIsThere) {
    const Bytes image =
        Riff({Chunk("fmt ", Format()), Chunk("data", Bytes(10, 7), /*declared=*/0xFFFFFFF0u)});
    const auto wave = Parse(image);
    ASSERT_TRUE(wave);
    EXPECT_EQ(wave->sampleBytes, 10u);

    // A huge chunk before the sound must not wrap the position around.
    const Bytes skipped = Riff({Chunk("fmt ", Format()), Chunk("junk", Bytes(4, 0), 0xFFFFFFFEu),
                                Chunk("data", Bytes(2, 0))});
    EXPECT_FALSE(Parse(skipped));
}

TEST(ScaledWave, ScalesEverySampleRoundedAndLeavesTheRestOfTheImage) {
    const struct {
        const char* what;
        std::uint16_t tag, bits;
        std::int32_t percent;
        Bytes data, expected;
    } rows[] = {
        {"100 is the image itself", 1, 16, 100, Samples({0, 1, -1, 32767, -32768, 12345}),
         Samples({0, 1, -1, 32767, -32768, 12345})},
        {"50 halves, halves rounded away from zero", 1, 16, 50,
         Samples({0, 1, -1, 3, -3, 1000, 32767, -32768}),
         Samples({0, 1, -1, 2, -2, 500, 16384, -16384})},
        {"33", 1, 16, 33, Samples({300, -300, 32767}), Samples({99, -99, 10813})},
        {"0 is silence", 1, 16, 0, Samples({5, -32768, 32767}), Samples({0, 0, 0})},
        {"above 100 is 100", 1, 16, 250, Samples({32767, -32768}), Samples({32767, -32768})},
        {"below 0 is 0", 1, 16, -7, Samples({32767, -32768}), Samples({0, 0})},
        {"a half sample at the end is left",
         1,
         16,
         50,
         {0xE8, 0x03, 0x18, 0xFC, 0x7F},
         {0xF4, 0x01, 0x0C, 0xFE, 0x7F}},
        {"8-bit is unsigned around 128",
         1,
         8,
         50,
         {128, 0, 255, 130, 129},
         {128, 64, 192, 129, 129}},
        {"24-bit", 1, 24, 50, Samples({-8388608, 8388607, 3}, 3),
         Samples({-4194304, 4194304, 2}, 3)},
        {"32-bit", 1, 32, 50, Samples({INT32_MIN, INT32_MAX, -5}, 4),
         Samples({-1073741824, 1073741824, -3}, 4)},
        {"32-bit float", 3, 32, 50, Floats({1.0f, -0.5f, 0.25f}), Floats({0.5f, -0.25f, 0.125f})},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const Bytes format = Format(1, 22050, row.bits, row.tag);
        const Bytes image = Riff({Chunk("fmt ", format), Chunk("data", row.data)});
        const Bytes expected = Riff({Chunk("fmt ", format), Chunk("data", row.expected)});
        EXPECT_EQ(lumivox::ScaledWave(image.data(), image.size(), row.percent), expected);
    }
}

TEST(ScaledWave, GivesNothingForWhatItCannotScaleAndNeverReadsPastTheImage) {
    const Bytes good = Riff({Chunk("fmt ", Format()), Chunk("data", Samples({1000, -1000}))});
    const auto scale = [](const Bytes& b) { return lumivox::ScaledWave(b.data(), b.size(), 50); };
    const std::pair<std::uint16_t, std::uint16_t> unscalable[] = {
        {2, 4}, {1, 12}, {0xFFFE, 16}, {3, 64}}; // (format tag, bits)
    for (const auto& [tag, bits] : unscalable) {
        const Bytes odd =
            Riff({Chunk("fmt ", Format(1, 22050, bits, tag)), Chunk("data", Bytes(8, 0x40))});
        EXPECT_TRUE(scale(odd).empty()) << tag << "/" << bits;
    }
    EXPECT_TRUE(lumivox::ScaledWave(nullptr, 100, 50).empty());
    // A data chunk that claims more than is there: only what is there is scaled.
    const Bytes claims = Riff({Chunk("fmt ", Format()), Chunk("data", Samples({1000}), 4000)});
    EXPECT_EQ(scale(claims), Riff({Chunk("fmt ", Format()), Chunk("data", Samples({500}), 4000)}));
    // Each prefix is scaled whole (the sample cut in two stays) or refused.
    for (std::size_t n = 0; n <= good.size(); ++n) {
        const Bytes prefix(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n));
        const Bytes copy = scale(prefix);
        EXPECT_TRUE(copy.empty() || copy.size() == n) << n;
    }
}

// Every accepted format comes out as the same 440 Hz tone at 22050 Hz: half of full
// scale, 0.3 s long, mixed down to mono.
TEST(DecodeClip, EveryBitDepthChannelCountAndRateGivesTheToneAtTheProgramsFormat) {
    const struct {
        int bits;
        bool isFloat;
    } encodings[] = {{8, false}, {16, false}, {24, false}, {32, false}, {32, true}};
    for (const auto& encoding : encodings) {
        for (const int channels : {1, 2}) {
            for (const int rate : {8000, 11025, 22050, 44100, 48000, 96000}) {
                SCOPED_TRACE(std::to_string(encoding.bits) + (encoding.isFloat ? " float " : " ") +
                             std::to_string(channels) + " ch " + std::to_string(rate));
                const Bytes image =
                    Riff({Chunk("fmt ", Format(static_cast<std::uint16_t>(channels), rate,
                                               static_cast<std::uint16_t>(encoding.bits),
                                               encoding.isFloat ? 3 : 1)),
                          Chunk("data", ToneData(440, 0.5, rate, channels, encoding.bits,
                                                 encoding.isFloat, 0.3))});
                const auto clip = lumivox::DecodeClip(image.data(), image.size());
                ASSERT_TRUE(clip);
                EXPECT_NEAR(static_cast<double>(clip->size()), 0.3 * 22050, 0.3 * 22050 * 0.01);
                const std::vector<double> samples(clip->begin(), clip->end());
                EXPECT_NEAR(AmplitudeAt(samples, 440, 22050), 16384, 16384 * 0.02);
                EXPECT_LT(AmplitudeAt(samples, 880, 22050), 16384 * 0.01);
            }
        }
    }
}

TEST(Resample, KeepsThePassBandAndLetsNothingFoldBack) {
    const struct {
        int from, to;
        double hz;
        double heardAt;   // where it is measured after the change
        double low, high; // the amplitude there, of 1
    } rows[] = {
        {44100, 22050, 4000, 4000, 0.99, 1.01},   // pass band
        {44100, 22050, 8500, 8500, 0.99, 1.01},   // near the top of it
        {44100, 22050, 11500, 10550, 0.0, 0.001}, // just past the new Nyquist frequency
        {44100, 22050, 15000, 7050, 0.0, 0.001},  // would fold to 7050 Hz: 60 dB down
        {44101, 22050, 4000, 4000, 0.99, 1.01},   // a rate too odd for a table of phases
        {8000, 22050, 3000, 3000, 0.99, 1.01},    // up: the tone stays
        {8000, 22050, 3000, 5000, 0.0, 0.001},    // and its image at 8000 - 3000 is gone
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.from) + " to " + std::to_string(row.to) + " of " +
                     std::to_string(row.hz) + " Hz");
        std::vector<float> in(static_cast<std::size_t>(row.from)); // one second
        for (std::size_t i = 0; i < in.size(); ++i)
            in[i] =
                static_cast<float>(std::sin(2 * kPi * row.hz * static_cast<double>(i) / row.from));
        const std::vector<float> out = lumivox::Resample(in, row.from, row.to);
        ASSERT_EQ(out.size(), static_cast<std::size_t>(row.to));
        // The kernel's reach at each end is left out: there it sees half a window.
        const std::vector<double> middle(out.begin() + 200, out.end() - 200);
        const double amplitude = AmplitudeAt(middle, row.heardAt, row.to);
        EXPECT_GE(amplitude, row.low);
        EXPECT_LE(amplitude, row.high);
    }
}

// Malformed and refused images: each decodes or is refused without reading past its
// end (the address sanitizer watches), and nothing over the caps is taken.
TEST(DecodeClip, MalformedImagesAreRefusedOrReadWithinThemselves) {
    const Bytes tone = ToneData(440, 0.5, 22050, 1, 16, false, 0.1);
    const Bytes format = Chunk("fmt ", Format());
    Bytes info;
    PutTag(info, "INFO");
    const Bytes oddList = Chunk("LIST", Bytes{'I', 'N', 'F', 'O', 'x'}); // padded to even
    Bytes extensible24 = Format(2, 44100, 24, 0xFFFE);
    Put16(extensible24, 22); // cbSize, valid bits, channel mask, sub-format GUID
    Put16(extensible24, 24);
    Put32(extensible24, 3);
    Put16(extensible24, 1);
    extensible24.insert(extensible24.end(), 14, 0);
    Bytes extensibleAdpcm = extensible24;
    extensibleAdpcm[24] = 2;
    const struct {
        const char* what;
        Bytes image;
        bool usable;
    } rows[] = {
        {"plain", Riff({format, Chunk("data", tone)}), true},
        {"data before fmt", Riff({Chunk("data", tone), format}), true},
        {"LIST and fact skipped, odd chunk padded",
         Riff({oddList, Chunk("fact", Samples({2205}, 4)), format, Chunk("LIST", info),
               Chunk("data", tone)}),
         true},
        {"data claims past the end", Riff({format, Chunk("data", tone, 0x7FFFFFF0u)}), true},
        {"extensible 24-bit stereo",
         Riff({Chunk("fmt ", extensible24),
               Chunk("data", ToneData(440, 0.5, 44100, 2, 24, false, 0.1))}),
         true},
        {"extensible ADPCM", Riff({Chunk("fmt ", extensibleAdpcm), Chunk("data", tone)}), false},
        {"compressed (ADPCM)", Riff({Chunk("fmt ", Format(1, 22050, 4, 2)), Chunk("data", tone)}),
         false},
        {"12-bit", Riff({Chunk("fmt ", Format(1, 22050, 12)), Chunk("data", tone)}), false},
        {"zero channels", Riff({Chunk("fmt ", Format(0)), Chunk("data", tone)}), false},
        {"three channels", Riff({Chunk("fmt ", Format(3)), Chunk("data", tone)}), false},
        {"rate 0", Riff({Chunk("fmt ", Format(1, 0)), Chunk("data", tone)}), false},
        {"rate 7999", Riff({Chunk("fmt ", Format(1, 7999)), Chunk("data", tone)}), false},
        {"rate 96001", Riff({Chunk("fmt ", Format(1, 96001)), Chunk("data", tone)}), false},
        {"absurd rate", Riff({Chunk("fmt ", Format(1, 0xFFFFFFFFu)), Chunk("data", tone)}), false},
        {"no data", Riff({format}), false},
        {"empty data", Riff({format, Chunk("data", {})}), false},
        {"half a sample", Riff({format, Chunk("data", Bytes{1})}), false},
        {"silence only", Riff({format, Chunk("data", Bytes(4000, 0))}), false},
        {"longer than 10 s",
         Riff({Chunk("fmt ", Format(1, 8000, 8)), Chunk("data", Bytes(80008, 200))}), false},
        {"larger than 8 MB",
         Riff({Chunk("fmt ", Format(1, 96000, 8)), Chunk("data", Bytes(8 * 1024 * 1024, 200))}),
         false},
        {"not RIFF", Bytes(64, 'R'), false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const auto clip = lumivox::DecodeClip(row.image.data(), row.image.size());
        EXPECT_EQ(clip.has_value(), row.usable);
        if (clip) { // 0.1 s of tone
            EXPECT_NEAR(static_cast<double>(clip->size()), 2205, 30);
        }
        for (std::size_t n = 0; n < row.image.size() && n < 400; n += 3)
            lumivox::DecodeClip(row.image.data(), n); // a cut file: no read past n
    }
}
