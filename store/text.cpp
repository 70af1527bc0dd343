#include "store/text.h"

#include <charconv>
#include <cstring>

namespace shenbao {

std::string_view Trim(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= 32) {
        ++begin;
    }
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= 32) {
        --end;
    }
    return text.substr(begin, end - begin);
}

int CompareBytes(std::string_view a, std::string_view b) {
    std::size_t n = a.size() < b.size() ? a.size() : b.size();
    int c = n == 0 ? 0 : std::memcmp(a.data(), b.data(), n);
    if (c != 0) {
        return c;
    }
    if (a.size() == b.size()) {
        return 0;
    }
    return a.size() < b.size() ? -1 : 1;
}

namespace {

// The end of the run of digits that starts at `i`.
std::size_t SkipDigits(std::string_view text, std::size_t i) {
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        ++i;
    }
    return i;
}

// Where the number proper starts, after the leading blanks.
std::size_t SkipBlanks(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') {
        ++i;
    }
    return i;
}

}  // namespace

std::optional<DecimalParts> ScanDecimal(std::string_view text) {
    DecimalParts parts;
    std::size_t i = SkipBlanks(text);
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        parts.negative = text[i] == '-';
        ++i;
    }
    std::size_t end = SkipDigits(text, i);
    if (end == i) {
        return std::nullopt;
    }
    parts.whole = text.substr(i, end - i);
    i = end;
    if (i < text.size() && text[i] == '.') {
        end = SkipDigits(text, i + 1);
        if (end == i + 1) {
            return std::nullopt;
        }
        parts.fraction = text.substr(i + 1, end - i - 1);
        i = end;
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
            parts.exponentNegative = text[i] == '-';
            ++i;
        }
        end = SkipDigits(text, i);
        if (end == i) {
            return std::nullopt;
        }
        parts.exponent = text.substr(i, end - i);
        i = end;
    }
    if (i != text.size()) {
        return std::nullopt;
    }
    return parts;
}

bool IsDecimalNumber(std::string_view text) {
    return ScanDecimal(text).has_value();
}

double ParseDecimal(std::string_view text) {
    const std::optional<DecimalParts> parts = ScanDecimal(text);
    if (!parts) {
        return 0.0;
    }
    // from_chars takes no sign "+", so it gets the number from its digits on.
    double value = 0.0;
    const char* first = parts->whole.data();
    const char* last = text.data() + text.size();
    const std::from_chars_result result =
        std::from_chars(first, last, value, std::chars_format::general);
    if (result.ec != std::errc() || result.ptr != last) {
        return 0.0;
    }
    return parts->negative ? -value : value;
}

std::string_view WithoutByteOrderMark(std::string_view content) {
    if (content.starts_with(kUtf8ByteOrderMark)) {
        content.remove_prefix(kUtf8ByteOrderMark.size());
    }
    return content;
}

std::vector<std::string> SplitLines(std::string_view content, LeadingMark mark) {
    if (mark == LeadingMark::Drop) {
        content = WithoutByteOrderMark(content);
    }
    std::vector<std::string> lines;
    std::size_t begin = 0;
    std::size_t i = 0;
    while (i < content.size()) {
        char c = content[i];
        if (c == '\r' || c == '\n') {
            lines.emplace_back(content.substr(begin, i - begin));
            if (c == '\r' && i + 1 < content.size() && content[i + 1] == '\n') {
                ++i;
            }
            ++i;
            begin = i;
        } else {
            ++i;
        }
    }
    if (begin < content.size()) {
        lines.emplace_back(content.substr(begin));
    }
    return lines;
}

std::string JoinLines(std::string_view content) {
    content = WithoutByteOrderMark(content);
    std::string joined;
    joined.reserve(content.size());
    const char* chunk = content.data();
    const char* end = content.data() + content.size();
    for (const char* p = chunk; p != end; ++p) {
        if (*p == '\r' || *p == '\n') {
            joined.append(chunk, p);
            chunk = p + 1;
        }
    }
    joined.append(chunk, end);
    return joined;
}

}  // namespace shenbao
