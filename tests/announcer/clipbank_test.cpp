#include <gtest/gtest.h>

#include <set>
#include <string>

#include "announcer/clipbank.h"
#include "announcer/platform/resourceclips.h"
#include "announcer/wavfile.h"
#include "silentsound.h"

using lumivox::ClipBank;
using lumivox::ClipHandle;
using lumivox::ResourceClipSource;

TEST(EmbeddedClips, AllTwentyThreeAreMonoPcmWavesFoundInAnyLetterCase) {
    const ResourceClipSource source;
    std::set<const std::uint8_t*> distinct;
    for (int i = 0; i < lumivox::kClipCount; ++i) {
        const std::string n = std::to_string(i);
        for (const auto& [type, name] : {std::pair{"WAV", "wav" + n}, std::pair{"WAV", "WAV" + n},
                                         std::pair{"wav", "Wav" + n}}) {
            const ClipHandle clip = source.FindClip(type, name);
            ASSERT_TRUE(clip) << type << "/" << name;
            const auto wave = lumivox::ParseWave(clip.data, clip.size);
            ASSERT_TRUE(wave) << name;
            EXPECT_EQ(wave->formatTag, 1) << name;
            EXPECT_EQ(wave->channels, 1) << name;
            EXPECT_EQ(wave->sampleRate, 22050u) << name;
            EXPECT_EQ(wave->bitsPerSample, 16) << name;
            EXPECT_GT(wave->Seconds(), 0.1) << name;
            EXPECT_LT(wave->Seconds(), 2.0) << name;
        }
        distinct.insert(source.FindClip("WAV", "wav" + n).data);
    }
    EXPECT_EQ(distinct.size(), 23u);

    const auto zero = lumivox::ParseWave(source.FindClip("WAV", "wav0").data,
                                         source.FindClip("WAV", "wav0").size);
    EXPECT_EQ(zero->infoName, "ling2");
}

TEST(EmbeddedClips, UnknownNamesAndTypesGiveNullHandles) {
    const ResourceClipSource source;
    EXPECT_FALSE(source.FindClip("WAV", "wav23"));
    EXPECT_FALSE(source.FindClip("WAV", "wav08")); // names carry no leading zeros
    EXPECT_FALSE(source.FindClip("MP3", "wav1"));
    EXPECT_FALSE(source.FindClip("WAV", ""));
}

namespace {
// The embedded clips, except the ones named here.
class ClipsWithout : public lumivox::ClipSource {
public:
    explicit ClipsWithout(std::set<std::string> missing) : missing_(std::move(missing)) {}
    ClipHandle FindClip(const std::string& type, const std::string& name) const override {
        names.push_back(name);
        return missing_.count(name) ? ClipHandle{} : real_.FindClip(type, name);
    }
    mutable std::vector<std::string> names;

private:
    std::set<std::string> missing_;
    ResourceClipSource real_;
};
} // namespace

TEST(ClipBank, LoadsSlotsByDecimalNameAndPlaysNothingForMissingClips) {
    ClipsWithout source({"wav5"});
    ClipBank bank;
    bank.LoadAll(source);

    std::vector<std::string> expected;
    for (int i = 0; i < 23; ++i)
        expected.push_back("wav" + std::to_string(i));
    EXPECT_EQ(source.names, expected);

    lumivox::testing::SilentSound sound;
    lumivox::PlayClip(bank, sound, 5);  // not found: null handle
    lumivox::PlayClip(bank, sound, 23); // outside the bank
    lumivox::PlayClip(bank, sound, -1);
    EXPECT_TRUE(sound.Played().empty());

    lumivox::PlayClip(bank, sound, 8);
    ASSERT_EQ(sound.Played().size(), 1u);
    EXPECT_EQ(sound.Played()[0], ResourceClipSource().FindClip("WAV", "wav8").data);

    bank.ReleaseAll();
    lumivox::PlayClip(bank, sound, 8);
    EXPECT_EQ(sound.Played().size(), 1u);
}
