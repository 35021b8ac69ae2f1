// The tips list: splitting the file into tips, the picker, and the file itself.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

#include "tips/lvwebtips.h"
#include "tips/tipsfile.h"

namespace {

using Tips = std::vector<std::pair<std::string, std::string>>;

Tips Held(const lvWebTips& tips) {
    Tips held;
    for (int i = 0; i < tips.TipCount; ++i)
        held.emplace_back(tips.TipText[i], tips.TipLink[i]);
    return held;
}

struct ParseCase {
    const char* name;
    std::string content;
    Tips expected;
};

std::string ManyTipLines(int count) {
    std::string content;
    for (int i = 0; i < count; ++i)
        content += "t" + std::to_string(i) + "@#$l" + std::to_string(i) + "\r\n";
    return content;
}

Tips FirstTips(int count) {
    Tips tips;
    for (int i = 0; i < count; ++i)
        tips.emplace_back("t" + std::to_string(i), "l" + std::to_string(i));
    return tips;
}

class ParseTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseTest, HoldsTheTipLinesAsWritten) {
    lvWebTips tips(1);
    tips.ParseContent(GetParam().content);
    EXPECT_EQ(Held(tips), GetParam().expected);
    for (int i = tips.TipCount; i < lvWebTips::kMaxTips; ++i) {
        EXPECT_TRUE(tips.TipText[i].empty()) << i;
        EXPECT_TRUE(tips.TipLink[i].empty()) << i;
    }
}

using namespace std::string_literals;

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseTest,
    ::testing::Values(
        ParseCase{"Empty", "", {}}, ParseCase{"OneTip", "a@#$http://x/\r\n", {{"a", "http://x/"}}},
        ParseCase{"EmptyLink", "a@#$\r\n", {{"a", ""}}},
        ParseCase{"EmptyText", "@#$http://x/\r\n", {{"", "http://x/"}}},
        ParseCase{"OnlySeparator", "@#$", {{"", ""}}},
        ParseCase{"SeparatorTwice", "a@#$b@#$c\n", {{"a", "b@#$c"}}},
        ParseCase{"CrLf", "a@#$1\r\nb@#$2\r\n", {{"a", "1"}, {"b", "2"}}},
        ParseCase{"LoneLf", "a@#$1\nb@#$2\n", {{"a", "1"}, {"b", "2"}}},
        ParseCase{"LoneCr", "a@#$1\rb@#$2\r", {{"a", "1"}, {"b", "2"}}},
        ParseCase{"LfCrIsTwoBreaks", "a@#$1\n\rb@#$2", {{"a", "1"}, {"b", "2"}}},
        ParseCase{"MixedBreaks", "a@#$1\r\r\nb@#$2\n\nc@#$3", {{"a", "1"}, {"b", "2"}, {"c", "3"}}},
        ParseCase{"BlankLinesAndPlainLines",
                  "\r\n\r\nhello\r\n  \r\na@#$1\r\nno separator @# $\r\n",
                  {{"a", "1"}}},
        ParseCase{"SpacesKept", "  a b @#$ http://x/ \r\n", {{"  a b ", " http://x/ "}}},
        ParseCase{"TabsAndTrailingBlanksKept", "\ta\t@#$\tl\t", {{"\ta\t", "\tl\t"}}},
        ParseCase{"LastLineWithoutBreak", "a@#$1\r\nb@#$2", {{"a", "1"}, {"b", "2"}}},
        ParseCase{"NulEndsContent", "a@#$1\r\nb@#$2\0\r\nc@#$3\r\n"s, {{"a", "1"}, {"b", "2"}}},
        ParseCase{"NulInsideSeparator", "a@#\0$1\r\n"s, {}}, ParseCase{"NulFirst", "\0a@#$1"s, {}},
        ParseCase{"HtmlErrorPage", "<html><body>404 Not Found</body></html>\r\n", {}},
        ParseCase{"RawBytesKept",
                  "\xc4\xe3\xba\xc3@#$http://x/?q=\xff\r\n",
                  {{"\xc4\xe3\xba\xc3", "http://x/?q=\xff"}}},
        ParseCase{"CrLfSplitAcrossNothing", "a@#$1\r", {{"a", "1"}}},
        ParseCase{"ExactlyMaximum", ManyTipLines(128), FirstTips(128)},
        ParseCase{"TwoHundredLinesKeepFirst128", ManyTipLines(200), FirstTips(128)},
        ParseCase{"SkippedLinesDoNotCount", "x\r\n\r\n" + ManyTipLines(130), FirstTips(128)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ParseTest, ParsingAgainReplacesEarlierTips) {
    lvWebTips tips(1);
    tips.ParseContent("a@#$1\nb@#$2\nc@#$3\n");
    tips.ParseContent("d@#$4\n");
    EXPECT_EQ(Held(tips), (Tips{{"d", "4"}}));
    EXPECT_TRUE(tips.TipText[1].empty());
    EXPECT_TRUE(tips.TipLink[2].empty());
}

// First numbers of the 64-bit generator, worked out by hand from its formula:
// state = seed * 22695477 + 1 (mod 2^32); state = state * (346 * 2^32 + 20021) + 1
// (mod 2^64); number = bits 32..62 of the state.
TEST(TipRandomTest, FixedSeedGivesFixedSequence) {
    const std::vector<std::pair<std::uint32_t, std::array<std::int32_t, 6>>> cases = {
        {0, {346, 13854878, 1621890440, 816282396, 1778554774, 821126358}},
        {1, {1410184549, 672584604, 1915668986, 576821944, 167078712, 174053283}},
        {1700000000, {228694345, 396287962, 1659082375, 1269136315, 1177483356, 9541970}},
    };
    for (const auto& [seed, expected] : cases) {
        lumivox::TipRandom random(seed);
        for (std::size_t i = 0; i < expected.size(); ++i)
            EXPECT_EQ(random.Next(), expected[i]) << "seed " << seed << " draw " << i;
    }
}

TEST(TipRandomTest, NeverNegative) {
    for (std::uint32_t seed : {0u, 1u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu}) {
        lumivox::TipRandom random(seed);
        for (int i = 0; i < 100000; ++i)
            ASSERT_GE(random.Next(), 0) << "seed " << seed << " draw " << i;
    }
}

TEST(TipRandomTest, PicksFiveTipsAboutEvenly) {
    lvWebTips tips(1700000000);
    tips.ParseContent("a@#$1\nb@#$2\nc@#$3\nd@#$4\ne@#$5\n");
    ASSERT_EQ(tips.TipCount, 5);
    std::array<int, 5> seen{};
    for (int i = 0; i < 10000; ++i) {
        const int index = tips.PickTip();
        ASSERT_GE(index, 0);
        ASSERT_LT(index, 5);
        ++seen[static_cast<std::size_t>(index)];
    }
    for (int count : seen) {
        EXPECT_GT(count, 1700);
        EXPECT_LT(count, 2300);
    }
}

TEST(TipRandomTest, OneTipIsAlwaysPicked) {
    lvWebTips tips;
    tips.ParseContent("only@#$http://x/");
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(tips.PickTip(), 0);
}

class TipsFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("lumivox-tips-" + std::to_string(::getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::string Folder() const { return folder_.string() + "/"; }

    std::filesystem::path folder_;
};

TEST_F(TipsFileTest, WritesBytesExactlyAndReplacesOlderContent) {
    const std::string path = lumivox::TipsFilePath(Folder());
    EXPECT_EQ(path, Folder() + "tipsupd.dat");
    std::string bytes;
    for (int i = 0; i < 3 * 4096 + 17; ++i)
        bytes += static_cast<char>(i * 7);
    lumivox::WriteTipsFile(path, bytes);
    EXPECT_EQ(lumivox::ReadTipsFile(path), bytes);
    lumivox::WriteTipsFile(path, "");
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(std::filesystem::file_size(path), 0u);
}

TEST_F(TipsFileTest, MakesAMissingFolder) {
    const std::string path = lumivox::TipsFilePath(Folder() + "new/deeper/");
    lumivox::WriteTipsFile(path, "a@#$1");
    EXPECT_EQ(lumivox::ReadTipsFile(path), "a@#$1");
}

TEST_F(TipsFileTest, FolderThatIsAFileCannotBeCreated) {
    std::ofstream(folder_ / "plain") << "x";
    const std::string path = lumivox::TipsFilePath(Folder() + "plain/");
    try {
        lumivox::WriteTipsFile(path, "a@#$1");
        FAIL() << "no error";
    } catch (const lumivox::FileCreateError& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot create file " + path);
    }
}

TEST_F(TipsFileTest, MissingFileGivesNoTips) {
    lvWebTips tips(1);
    tips.ParseTips(lumivox::TipsFilePath(Folder()));
    EXPECT_EQ(tips.TipCount, 0);
}

TEST_F(TipsFileTest, UnreadableFileCannotBeOpened) {
    // A folder in the file's place exists but cannot be read as a file.
    const std::string path = lumivox::TipsFilePath(Folder());
    std::filesystem::create_directory(path);
    lvWebTips tips(1);
    try {
        tips.ParseTips(path);
        FAIL() << "no error";
    } catch (const lumivox::FileOpenError& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot open file " + path);
    }
    EXPECT_EQ(tips.TipCount, 0);
}

TEST_F(TipsFileTest, ParsesWhatWasWritten) {
    const std::string path = lumivox::TipsFilePath(Folder());
    lumivox::WriteTipsFile(path, "one@#$http://a/\r\ntwo@#$http://b/");
    lvWebTips tips(1);
    tips.ParseTips(path);
    EXPECT_EQ(Held(tips), (Tips{{"one", "http://a/"}, {"two", "http://b/"}}));
}

} // namespace
