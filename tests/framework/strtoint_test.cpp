#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "framework/strtoint.h"

namespace {

struct Case {
    std::string text;
    std::optional<int> value; // empty: the conversion error
};

class StrToIntTest : public ::testing::TestWithParam<Case> {};

TEST_P(StrToIntTest, ValueOrExactError) {
    const Case& c = GetParam();
    if (c.value) {
        EXPECT_EQ(lumivox::StrToInt(c.text), *c.value);
        return;
    }
    try {
        lumivox::StrToInt(c.text);
        FAIL() << "no error for '" << c.text << "'";
    } catch (const lumivox::EConvertError& error) {
        EXPECT_EQ(std::string(error.what()), "'" + c.text + "' is not a valid integer value");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, StrToIntTest,
    ::testing::Values(Case{"12", 12}, Case{" 12", 12}, Case{"\t 12", 12}, Case{"+12", 12},
                      Case{"-3", -3}, Case{"007", 7}, Case{"$1F", 31}, Case{"0x1f", 31},
                      Case{"0X1F", 31}, Case{"x1F", 31}, Case{"X10", 16}, Case{"-$10", -16},
                      Case{"$FFFFFFFF", -1}, Case{"$80000000", -2147483647 - 1},
                      Case{"$000000001", 1}, Case{"2147483647", 2147483647},
                      Case{"-2147483648", -2147483647 - 1}, Case{"0", 0}, Case{"-0", 0},
                      Case{"12 ", {}}, Case{"- 3", {}}, Case{"1.5", {}}, Case{"", {}},
                      Case{"abc", {}}, Case{"0x", {}}, Case{"$", {}}, Case{"+", {}},
                      Case{"2147483648", {}}, Case{"-2147483649", {}}, Case{"$100000000", {}},
                      Case{"+-1", {}}, Case{"1e3", {}}, Case{"12\n", {}}, Case{"$1G", {}},
                      Case{"00x1F", {}}, Case{" ", {}}, Case{"\xe5\x8d\x81", {}},
                      Case{"99999999999999999999", {}}));

TEST(StrToIntErrorTest, IsAStdException) {
    try {
        lumivox::StrToInt("abc");
        FAIL();
    } catch (const std::exception& error) {
        EXPECT_STREQ(error.what(), "'abc' is not a valid integer value");
    }
}

} // namespace
