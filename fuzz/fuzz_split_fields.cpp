// SplitFields with the three separators of the stored files and the print
// feed, and with any separator. The pieces, each followed by the separator,
// rebuild the text with the separator appended up to a remainder that holds
// no separator; every piece ends at the leftmost separator after it starts.
// A separator that does not overlap itself leaves no remainder, so joining
// the pieces with it gives back the text exactly.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "store/project_record.h"

namespace {

// True when a proper prefix of `separator` is also its suffix, so that two
// occurrences can overlap and a text's tail can join with the appended one.
bool OverlapsItself(std::string_view separator) {
    for (std::size_t n = 1; n < separator.size(); ++n) {
        if (separator.substr(0, n) == separator.substr(separator.size() - n)) {
            return true;
        }
    }
    return false;
}

void CheckSplit(std::string_view text, std::string_view separator) {
    const std::vector<std::string> pieces = shenbao::SplitFields(text, separator);
    if (separator.empty()) {
        FUZZ_CHECK(pieces.size() == 1 && pieces[0] == text);
        return;
    }
    FUZZ_CHECK(!pieces.empty());

    std::string work(text);
    work.append(separator);
    std::size_t at = 0;
    for (const std::string& piece : pieces) {
        FUZZ_CHECK(std::string_view(work).substr(at, piece.size()) == piece);
        at += piece.size();
        FUZZ_CHECK(std::string_view(work).substr(at, separator.size()) == separator);
        // The separator after the piece is the first one from its start.
        FUZZ_CHECK(std::string_view(work).substr(at - piece.size()).find(separator) ==
                   piece.size());
        at += separator.size();
    }
    const std::string_view rest = std::string_view(work).substr(at);
    FUZZ_CHECK(rest.find(separator) == std::string_view::npos);
    FUZZ_CHECK(rest.size() < separator.size());
    FUZZ_CHECK(separator.ends_with(rest));

    std::string joined;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (i > 0) {
            joined.append(separator);
        }
        joined.append(pieces[i]);
    }
    FUZZ_CHECK((joined == text) == rest.empty());
    if (!OverlapsItself(separator)) {
        FUZZ_CHECK(rest.empty());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::uint8_t choice = input.ConsumeIntegral<std::uint8_t>();
    std::string separator;
    switch (choice % 4) {
        case 0:
            separator = shenbao::kFieldSeparator;
            break;
        case 1:
            separator = shenbao::kRowTerminator;
            break;
        case 2:
            separator.push_back('\t');
            break;
        default:
            separator = input.ConsumeRandomLengthString(8);
            break;
    }
    const std::string text = input.ConsumeRemainingBytesAsString();
    CheckSplit(text, separator);
    return 0;
}
