#include <gtest/gtest.h>

#include <cstdint>
#include <string>
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

Bytes Format(std::uint16_t channels = 1, std::uint32_t rate = 22050) {
    Bytes f;
    Put16(f, 1);
    Put16(f, channels);
    Put32(f, rate);
    Put32(f, rate * channels * 2);
    Put16(f, static_cast<std::uint16_t>(channels * 2));
    Put16(f, 16);
    return f;
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
