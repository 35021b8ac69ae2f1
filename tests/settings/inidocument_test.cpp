#include "settings/inidocument.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

using lumivox::IniDocument;

namespace {

struct ReadCase {
    const char* name;
    std::string file;
    std::string section;
    std::string key;
    std::optional<std::string> expected;
};

class IniRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(IniRead, FindsTheValueTheFileHolds) {
    const ReadCase& c = GetParam();
    EXPECT_EQ(IniDocument(c.file).Value(c.section, c.key), c.expected);
}

const std::string kLong(3000, 'x');

INSTANTIATE_TEST_SUITE_P(
    Table, IniRead,
    ::testing::Values(
        ReadCase{"SectionCaseIgnored", "[common]\r\nIsHour=1\r\n", "Common", "IsHour", "1"},
        ReadCase{"KeyCaseIgnored", "[Common]\r\nISHOUR=1\r\n", "Common", "IsHour", "1"},
        ReadCase{"NonAsciiBytesMatchExactly", "[\xB3\xA3]\r\nk=1\r\n", "\xB3\xA3", "k", "1"},
        ReadCase{"BlanksAroundEverything", "  [ Common ]  \n \t PerMinute \t=  abc d \t\n",
                 "Common", "PerMinute", "abc d"},
        ReadCase{"QuotesStripped", "[Common]\nk=\" 5 \"\n", "Common", "k", " 5 "},
        ReadCase{"SingleQuotesStripped", "[Common]\nk='x'\n", "Common", "k", "x"},
        ReadCase{"UnmatchedQuotesKept", "[Common]\nk=\"x'\n", "Common", "k", "\"x'"},
        ReadCase{"OnlyOnePairStripped", "[Common]\nk=\"\"x\"\"\n", "Common", "k", "\"x\""},
        ReadCase{"EmptyValue", "[Common]\nk=\n", "Common", "k", ""},
        ReadCase{"ValueWithEqualsAndSemicolon", "[Common]\nk=a=b;c\n", "Common", "k", "a=b;c"},
        ReadCase{"KeyBeforeAnySectionBelongsToNone", "IsHour=1\n[Common]\nIsHalf=1\n", "Common",
                 "IsHour", std::nullopt},
        ReadCase{"FirstOfDuplicateKeysWins", "[Common]\nk=1\nK=2\n", "Common", "k", "1"},
        ReadCase{"FirstOfDuplicateSectionsWins", "[Common]\na=1\n[COMMON]\nk=2\n", "Common", "k",
                 std::nullopt},
        ReadCase{"OtherSectionNotRead", "[Other]\nk=1\n[Common]\n", "Common", "k", std::nullopt},
        ReadCase{"LineWithoutEqualsIsNoKey", "[Common]\nk\nk=2\n", "Common", "k", "2"},
        ReadCase{"CommentIsNoKey", "[Common]\n;k=1\n k=2\n", "Common", "k", "2"},
        ReadCase{"OpenBracketWithoutCloseIsNoHeader", "[Common]\n[Other\nk=1\n", "Common", "k",
                 "1"},
        ReadCase{"TextAfterHeaderIgnored", "[Common] ; note\nk=1\n", "Common", "k", "1"},
        ReadCase{"CrLineEnds", "[Common]\rk=1\rj=2", "Common", "j", "2"},
        ReadCase{"LfLineEnds", "[Common]\nk=1\nj=2", "Common", "j", "2"},
        ReadCase{"CrLfLineEnds", "[Common]\r\nk=1\r\nj=2\r\n", "Common", "j", "2"},
        ReadCase{"Utf8MarkSkipped", "\xEF\xBB\xBF[Common]\nk=1\n", "Common", "k", "1"},
        ReadCase{"ValueCutAt2047", "[Common]\nk=" + kLong + "\n", "Common", "k",
                 std::string(2047, 'x')},
        ReadCase{"ValueOf2047Whole", "[Common]\nk=" + std::string(2047, 'y'), "Common", "k",
                 std::string(2047, 'y')},
        ReadCase{"EmptyFile", "", "Common", "k", std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

struct SectionCase {
    const char* name;
    std::string file;
    bool hasKeys;
};

class IniSection : public ::testing::TestWithParam<SectionCase> {};

TEST_P(IniSection, CountsOnlyWhenItHoldsAKey) {
    EXPECT_EQ(IniDocument(GetParam().file).SectionHasKeys("Common"), GetParam().hasKeys);
}

INSTANTIATE_TEST_SUITE_P(
    Table, IniSection,
    ::testing::Values(SectionCase{"HeaderAlone", "[Common]\r\n", false},
                      SectionCase{"HeaderWithCommentsAndBlanks", "[Common]\n; x\n\n  \n", false},
                      SectionCase{"HeaderWithUnknownLine", "[Common]\nhello\n", false},
                      SectionCase{"EmptyKeyNameIsNoKey", "[Common]\n=1\n", false},
                      SectionCase{"OneKey", "[Common]\nIsDispTop=1", true},
                      SectionCase{"KeyWithEmptyValue", "[Common]\nx=\n", true},
                      SectionCase{"KeyOnlyInLaterDuplicate", "[Common]\n[Common]\nk=1\n", false},
                      SectionCase{"KeysOnlyInOtherSection", "[Other]\nk=1\n[Common]\n", false},
                      SectionCase{"NoFile", "", false}),
    [](const auto& info) { return std::string(info.param.name); });

struct WriteCase {
    const char* name;
    std::string before;
    std::string key;
    std::string value;
    std::string after;
};

class IniWrite : public ::testing::TestWithParam<WriteCase> {};

TEST_P(IniWrite, ChangesOnlyTheKeysLine) {
    const WriteCase& c = GetParam();
    IniDocument document(c.before);
    document.SetValue("Common", c.key, c.value);
    EXPECT_EQ(document.Bytes(), c.after);
    EXPECT_EQ(document.Value("Common", c.key), c.value);
}

// Bytes of code page 936 text ("中文") in another section.
const std::string kGbk = "\xD6\xD0\xCE\xC4";

INSTANTIATE_TEST_SUITE_P(
    Table, IniWrite,
    ::testing::Values(
        WriteCase{"NewFileGetsCrLf", "", "IsHour", "1", "[Common]\r\nIsHour=1\r\n"},
        WriteCase{"ReplacedInPlace", "[Common]\r\nA=1\r\nIsHour=0\r\nB=2\r\n", "ishour", "1",
                  "[Common]\r\nA=1\r\nIsHour=1\r\nB=2\r\n"},
        WriteCase{"ReplaceKeepsSpellingAndBlanks", "[Common]\n  IsHour = 0  \n", "ISHOUR", "1",
                  "[Common]\n  IsHour = 1\n"},
        WriteCase{"ReplaceDropsQuotes", "[Common]\nk=\"old\"\n", "k", "new", "[Common]\nk=new\n"},
        WriteCase{"ReplacesOnlyTheFirstDuplicate", "[Common]\nk=1\nk=2\n", "k", "3",
                  "[Common]\nk=3\nk=2\n"},
        WriteCase{"AppendedToItsSectionNotTheFile",
                  "[Common]\r\nA=1\r\n\r\n[Other]\r\nB=" + kGbk + "\r\n", "IsHalf", "0",
                  "[Common]\r\nA=1\r\nIsHalf=0\r\n\r\n[Other]\r\nB=" + kGbk + "\r\n"},
        WriteCase{"AppendedAfterHeaderAlone", "[Common]\n[Other]\nx\n", "k", "1",
                  "[Common]\nk=1\n[Other]\nx\n"},
        WriteCase{"AppendedAfterTrailingComment", "[Common]\nA=1\n; end\n\n[X]\n", "k", "1",
                  "[Common]\nA=1\n; end\nk=1\n\n[X]\n"},
        WriteCase{"AppendedToFirstDuplicateSection", "[Common]\nA=1\n[Common]\nB=1\n", "k", "1",
                  "[Common]\nA=1\nk=1\n[Common]\nB=1\n"},
        WriteCase{"SectionAppendedAtEnd", ";top\n[Other]\nB=" + kGbk + "\n", "k", "1",
                  ";top\n[Other]\nB=" + kGbk + "\n[Common]\nk=1\n"},
        WriteCase{"BreakAddedAfterLastLine", "[Other]\nB=1", "k", "1",
                  "[Other]\nB=1\n[Common]\nk=1\n"},
        WriteCase{"BreakAddedInsideSection", "[Common]\r\nA=1", "k", "1",
                  "[Common]\r\nA=1\r\nk=1\r\n"},
        WriteCase{"CrFileStaysCr", "[Common]\rA=1\r", "k", "1", "[Common]\rA=1\rk=1\r"},
        WriteCase{"CrDoesNotSwallowFollowingLf", "[Common]\rA=1\n\n", "k", "1",
                  "[Common]\rA=1\nk=1\r\n\n"},
        WriteCase{"Utf8MarkKept", "\xEF\xBB\xBF", "k", "1", "\xEF\xBB\xBF[Common]\r\nk=1\r\n"},
        WriteCase{"UnknownLinesKeptByteForByte",
                  "junk line\r\n\r\n[Common]\r\n; c\r\nnot a key\r\nA=1\r\n", "A", "2",
                  "junk line\r\n\r\n[Common]\r\n; c\r\nnot a key\r\nA=2\r\n"},
        WriteCase{"ValueWithEqualsAndSemicolon", "[Common]\n", "k", "a=b;c", "[Common]\nk=a=b;c\n"},
        WriteCase{"EmptyValue", "[Common]\nk=1\n", "k", "", "[Common]\nk=\n"},
        WriteCase{"BlanksAtEndsKeptByQuoting", "[Common]\n", "k", " 5 ", "[Common]\nk=\" 5 \"\n"},
        WriteCase{"QuotedValueKeptByQuoting", "[Common]\n", "k", "'x'", "[Common]\nk=\"'x'\"\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IniWriteUnsafe, LineBreaksInAValueCannotAddLines) {
    IniDocument document("[Common]\nk=1\n");
    document.SetValue("Common", "k", "2\r\n[Evil]\nIsHour=1");
    EXPECT_EQ(document.Bytes(), "[Common]\nk=2  [Evil] IsHour=1\n");
    EXPECT_FALSE(document.SectionHasKeys("Evil"));
}

TEST(IniWriteUnsafe, NamesTheFileCannotHoldAreRefused) {
    IniDocument document("[Common]\n");
    for (const char* key : {"", " k", "a=b", ";k", "[k", "k\n"})
        EXPECT_THROW(document.SetValue("Common", key, "1"), std::invalid_argument) << key;
    for (const char* section : {"", "a]b", "x\r", "Common "})
        EXPECT_THROW(document.SetValue(section, "k", "1"), std::invalid_argument) << section;
    EXPECT_EQ(document.Bytes(), "[Common]\n");
}

struct IntegerCase {
    const char* text;
    std::optional<int> expected;
};

class IniInteger : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(IniInteger, ConvertsLikeTheFramework) {
    EXPECT_EQ(lumivox::ParseIniInteger(GetParam().text), GetParam().expected)
        << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Table, IniInteger,
    ::testing::Values(IntegerCase{"1", 1}, IntegerCase{"-1", -1}, IntegerCase{"2", 2},
                      IntegerCase{"+7", 7}, IntegerCase{"007", 7}, IntegerCase{"$10", 16},
                      IntegerCase{"$ff", 255}, IntegerCase{"-$10", -16}, IntegerCase{"0x10", 16},
                      IntegerCase{"0X1f", 31}, IntegerCase{"0x", std::nullopt},
                      IntegerCase{"0X", std::nullopt}, IntegerCase{"$", std::nullopt},
                      IntegerCase{"0xg", std::nullopt}, IntegerCase{"yes", std::nullopt},
                      IntegerCase{"", std::nullopt}, IntegerCase{" 5", 5},
                      IntegerCase{"5 ", std::nullopt}, IntegerCase{"-", std::nullopt},
                      IntegerCase{"1.5", std::nullopt}, IntegerCase{"2147483647", 2147483647},
                      IntegerCase{"-2147483648", -2147483647 - 1},
                      IntegerCase{"2147483648", std::nullopt},
                      IntegerCase{"99999999999", std::nullopt}, IntegerCase{"$FFFFFFFF", -1},
                      IntegerCase{"$100000000", std::nullopt},
                      IntegerCase{"0x7fffffff", 2147483647}, IntegerCase{"x10", std::nullopt}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

} // namespace
