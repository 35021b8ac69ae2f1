#include <gtest/gtest.h>

#include "framework/exceptiontext.h"

TEST(ExceptionBoxText, AddsAFullStopOnlyAfterCharactersSortingAfterIt) {
    struct Case {
        const char* message;
        const char* shown;
    } cases[] = {
        {"abc", "abc."},
        {"abc.", "abc."},
        {"", ""},
        {"x!", "x!"}, // '!' sorts before '.'
        {"'abc' is not a valid integer value", "'abc' is not a valid integer value."},
        {"42", "42."},
        {"a-", "a-"},
        {"请选择", "请选择."}, // multi-byte text ends in a byte above '.'
    };
    for (const auto& c : cases)
        EXPECT_EQ(lumivox::ExceptionBoxText(c.message), c.shown) << c.message;
}
