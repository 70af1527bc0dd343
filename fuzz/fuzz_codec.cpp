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
