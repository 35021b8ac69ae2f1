#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

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
