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
    // Each accepted form beside the refused texts of its kind, which count 0.
    struct Form {
        const char* accepted;
        double value;
        std::vector<const char*> refused;
    };
    const Form forms[] = {
        {"5", 5.0, {"", " ", "abc", "0x10", "inf", "nan", "\xA3\xB5"}},
        {"12.5", 12.5, {"5.", ".5", ".", "12,5", "1.5.2", "12abc"}},
        {"007.50", 7.5, {"-.5", "+5."}},
        {"-3", -3.0, {"-", "+-3", "- 3"}},
        {"+3", 3.0, {"+"}},
        {"  7", 7.0, {"7 ", "\t7"}},
        {"1e3", 1000.0, {"1e", "e5", "1e+", "5.e1"}},
        {"2.5E-1", 0.25, {"1.5e2.5", "2.5E-"}},
        {"1E+2", 100.0, {"1E+ 2"}},
    };
    for (const Form& form : forms) {
        EXPECT_TRUE(IsDecimalNumber(form.accepted)) << form.accepted;
        EXPECT_DOUBLE_EQ(ParseDecimal(form.accepted), form.value) << form.accepted;
        for (const char* text : form.refused) {
            EXPECT_FALSE(IsDecimalNumber(text)) << text;
            EXPECT_EQ(ParseDecimal(text), 0.0) << text;
        }
    }
    // A number beyond the range of a double counts 0.
    EXPECT_TRUE(IsDecimalNumber("1e99999"));
    EXPECT_EQ(ParseDecimal("1e99999"), 0.0);
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
