// The field codec over any stored text: DecodeField never fails, halves the
// length, and its bytes survive a round trip through EncodeField. Text made
// only of pairs the encoder itself writes comes back unchanged.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "store/codec.h"

namespace {

bool InAlphabet(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'v');
}

// The byte of one stored pair, worked out the long way: each character's
// value (0-9 and a-v give 0-31, any other character gets one by the same
// rule: its code less 48 up to '9', less 87 above), the pair's value
// 32 * first + second taken as an unsigned 32-bit number, the leading two of
// its hexadecimal digits (at least two), swapped.
unsigned char ReferencePairByte(unsigned char first, unsigned char second) {
    auto value = [](unsigned char c) { return c <= '9' ? c - 48 : c - 87; };
    std::uint32_t u = static_cast<std::uint32_t>(32 * value(first) + value(second));
    while (u > 0xFF) {
        u >>= 4;
    }
    return static_cast<unsigned char>(((u & 0x0F) << 4) | (u >> 4));
}

// A pair EncodeField can write: a byte with swapped hexadecimal digits is
// below 256, so its first base-32 digit is 0..7.
bool CanonicalPairs(std::string_view text) {
    for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
        if (text[i] < '0' || text[i] > '7' || !InAlphabet(text[i + 1])) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using shenbao::DecodeField;
    using shenbao::EncodeField;
    const std::string_view stored = shenbao::fuzz::InputText(data, size);

    const std::string decoded = DecodeField(stored);
    FUZZ_CHECK(decoded.size() == stored.size() / 2);
    for (std::size_t i = 0; i < decoded.size(); ++i) {
        FUZZ_CHECK(static_cast<unsigned char>(decoded[i]) ==
                   ReferencePairByte(static_cast<unsigned char>(stored[2 * i]),
                                     static_cast<unsigned char>(stored[2 * i + 1])));
    }

    const std::string encoded = EncodeField(decoded);
    FUZZ_CHECK(encoded.size() == 2 * decoded.size());
    for (char c : encoded) {
        FUZZ_CHECK(InAlphabet(c));
    }
    FUZZ_CHECK(DecodeField(encoded) == decoded);
    const std::string_view pairs = stored.substr(0, encoded.size());
    if (CanonicalPairs(pairs)) {
        FUZZ_CHECK(encoded == pairs);
    }

    // Each pair decodes on its own: a prefix of whole pairs gives a prefix.
    const std::size_t half = decoded.size() / 2;
    FUZZ_CHECK(DecodeField(stored.substr(0, 2 * half)) == decoded.substr(0, half));

    // Any bytes stored and read back are the same bytes.
    const std::string stored2 = EncodeField(stored);
    FUZZ_CHECK(stored2.size() == 2 * stored.size());
    FUZZ_CHECK(DecodeField(stored2) == stored);
    return 0;
}
