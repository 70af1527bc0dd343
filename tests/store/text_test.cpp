#include <gtest/gtest.h>

#include "store/text.h"

namespace shenbao {
namespace {

TEST(Text, TrimRemovesBlanksAndControlCharactersOnly) {
    EXPECT_EQ(Trim("  \t\r\nabc d \x01\x1f "), "abc d");
    EXPECT_EQ(Trim(""), "");
    EXPECT_EQ(Trim(" \t "), "");
    // The ideographic blank (A1 A1 in GBK) is not trimmed.
    EXPECT_EQ(Trim("\xA1\xA1x\xA1\xA1"), "\xA1\xA1x\xA1\xA1");
    // Bytes above 127 are never taken for blanks.
    EXPECT_EQ(Trim("\xB0\xA1 "), "\xB0\xA1");
}

TEST(Text, CompareBytesIsUnsignedWithShorterPrefixFirst) {
    EXPECT_LT(CompareBytes("abc", "abd"), 0);
    EXPECT_LT(CompareBytes("ab", "abc"), 0);
    EXPECT_EQ(CompareBytes("", ""), 0);
    EXPECT_LT(CompareBytes("", "a"), 0);
    EXPECT_LT(CompareBytes("z", "\xB0\xA1"), 0);  // 0x7A < 0xB0
    EXPECT_LT(CompareBytes("9", "A"), 0);
    EXPECT_LT(CompareBytes("10", "9"), 0);
    EXPECT_GT(CompareBytes("a", "A"), 0);
}

TEST(Text, ParseDecimalReadsWholeNumbersOnly) {
    EXPECT_DOUBLE_EQ(ParseDecimal("12.5"), 12.5);
    EXPECT_DOUBLE_EQ(ParseDecimal("-3"), -3.0);
    EXPECT_DOUBLE_EQ(ParseDecimal("+3"), 3.0);
    EXPECT_DOUBLE_EQ(ParseDecimal("  7"), 7.0);
    EXPECT_DOUBLE_EQ(ParseDecimal("1e3"), 1000.0);
    EXPECT_DOUBLE_EQ(ParseDecimal("2.5E-1"), 0.25);
    EXPECT_DOUBLE_EQ(ParseDecimal(".5"), 0.5);
    EXPECT_DOUBLE_EQ(ParseDecimal("5."), 5.0);
    for (const char* notANumber : {"", " ", "abc", "12abc", "1,5", "7 ", "1e", "e5", ".", "-",
                                   "0x10", "inf", "nan", "1e99999"}) {
        EXPECT_EQ(ParseDecimal(notANumber), 0.0) << notANumber;
    }
}

TEST(Text, SplitLinesTakesEveryLineEnd) {
    using V = std::vector<std::string>;
    EXPECT_EQ(SplitLines("a\r\nb\r\n"), (V{"a", "b"}));
    EXPECT_EQ(SplitLines("a\nb"), (V{"a", "b"}));
    EXPECT_EQ(SplitLines("a\rb\r\n\r\nc"), (V{"a", "b", "", "c"}));
    EXPECT_EQ(SplitLines(""), V{});
    EXPECT_EQ(SplitLines("\r\n"), V{""});
    EXPECT_EQ(JoinLines("ab\r\ncd\ne\rf\r\n"), "abcdef");
}

}  // namespace
}  // namespace shenbao
