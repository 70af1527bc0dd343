#include "store/codec.h"

#include <cstdint>

namespace shenbao {

namespace {

constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuv";

// The value of a character: the digits 0-9 and a-v give 0-31; any other
// character still gets one by the same rule (upper case, for instance, is
// negative).
constexpr int DigitValue(unsigned char c) {
    return c <= '9' ? c - 48 : c - 87;
}

// The byte whose first hexadecimal digit is the second digit of the upper-case
// hexadecimal form of `v` (unsigned 32-bit, at least two digits, no leading
// zeros) and whose second digit is the first.
constexpr unsigned char SwappedLeadingDigits(std::int32_t v) {
    std::uint32_t u = static_cast<std::uint32_t>(v);
    while (u > 0xFF) {
        u >>= 4;  // keep the leading two digits
    }
    return static_cast<unsigned char>(((u & 0x0F) << 4) | (u >> 4));
}

// The value of every character, and the byte of every pair value 0..255.
struct DecodeTables {
    std::int16_t value[256];
    unsigned char byte[256];
    constexpr DecodeTables() : value(), byte() {
        for (int c = 0; c < 256; ++c) {
            value[c] = static_cast<std::int16_t>(DigitValue(static_cast<unsigned char>(c)));
            byte[c] = SwappedLeadingDigits(c);
        }
    }
};
constexpr DecodeTables kDecode;

}  // namespace

std::string EncodeField(std::string_view text) {
    std::string out;
    out.resize(text.size() * 2);
    std::size_t k = 0;
    for (char ch : text) {
        unsigned b = static_cast<unsigned char>(ch);
        unsigned v = ((b & 0x0F) << 4) | (b >> 4);
        out[k++] = kDigits[v >> 5];
        out[k++] = kDigits[v & 31];
    }
    return out;
}

std::string DecodeField(std::string_view stored) {
    std::string out;
    out.resize(stored.size() / 2);
    const auto* in = reinterpret_cast<const unsigned char*>(stored.data());
    for (std::size_t i = 0; i < out.size(); ++i) {
        const std::int32_t v = 32 * kDecode.value[in[2 * i]] + kDecode.value[in[2 * i + 1]];
        out[i] = static_cast<char>(v >= 0 && v <= 255 ? kDecode.byte[v] : SwappedLeadingDigits(v));
    }
    return out;
}

}  // namespace shenbao
