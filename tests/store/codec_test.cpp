#include <gtest/gtest.h>

#include <random>

#include "store/codec.h"

namespace shenbao {
namespace {

TEST(FieldCodec, KnownEncodings) {
    EXPECT_EQ(EncodeField(""), "");
    EXPECT_EQ(EncodeField("abc"), "0m161m");
    EXPECT_EQ(EncodeField("\xD6\xD0"), "3d0d");  // 中
    EXPECT_EQ(EncodeField("\r\n"), "6g50");
    EXPECT_EQ(EncodeField("~@~"), "770477");
    EXPECT_EQ(EncodeField("^#^"), "751i75");
}

TEST(FieldCodec, EncodedTextUsesOnlyTheAlphabetWithHighDigitBelowEight) {
    std::string all;
    for (int b = 0; b < 256; ++b) {
        all.push_back(static_cast<char>(b));
    }
    std::string stored = EncodeField(all);
    ASSERT_EQ(stored.size(), 512u);
    for (std::size_t i = 0; i < stored.size(); ++i) {
        char c = stored[i];
        EXPECT_TRUE((c >= '0' && c <= '9') || (c >= 'a' && c <= 'v')) << i;
        if (i % 2 == 0) {
            EXPECT_LE(c, '7') << i;
        }
    }
    EXPECT_EQ(DecodeField(stored), all);
}

TEST(FieldCodec, RandomByteStringsSurviveTheRoundTrip) {
    std::mt19937 random(20011016);
    for (int round = 0; round < 500; ++round) {
        std::string text(random() % 300, '\0');
        for (char& c : text) {
            c = static_cast<char>(random() & 0xFF);
        }
        ASSERT_EQ(DecodeField(EncodeField(text)), text) << "round " << round;
    }
}

TEST(FieldCodec, DecodingIgnoresAnOddLastCharacter) {
    EXPECT_EQ(DecodeField("0m1"), "a");
    EXPECT_EQ(DecodeField("0"), "");
    EXPECT_EQ(DecodeField(""), "");
}

TEST(FieldCodec, DecodingTextThatIsNotCodecOutput) {
    // Upper case is outside the alphabet: 'M' is worth -10, the pair -10,
    // whose hexadecimal form FFFFFFF6 starts with FF.
    EXPECT_EQ(DecodeField("0M"), "\xFF");
    // v = 266 = 0x10A: the leading digits 1 and 0, swapped, give 0x01.
    EXPECT_EQ(DecodeField("8a"), "\x01");
    // v = 8 * 32 + 0 = 256 = 0x100 -> 0x01 as well.
    EXPECT_EQ(DecodeField("80"), "\x01");
    // Characters above 'v' still count: 'z' = 35, v = 35 -> 0x23 -> 0x32.
    EXPECT_EQ(DecodeField("0z"), "\x32");
    // A blank is worth -16: v = -16 -> FF.
    EXPECT_EQ(DecodeField("0 "), "\xFF");
    // High bytes: 0xC8 - 87 = 113; v = 113 -> 0x71 -> 0x17.
    EXPECT_EQ(DecodeField(std::string("0\xC8")), "\x17");
}

}  // namespace
}  // namespace shenbao
