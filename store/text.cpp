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

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    auto lower = [](char c) {
        return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    };
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
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

bool IsDecimalNumber(std::string_view text) {
    std::size_t i = SkipBlanks(text);
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    std::size_t end = SkipDigits(text, i);
    if (end == i) {
        return false;
    }
    i = end;
    if (i < text.size() && text[i] == '.') {
        end = SkipDigits(text, i + 1);
        if (end == i + 1) {
            return false;
        }
        i = end;
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
            ++i;
        }
        end = SkipDigits(text, i);
        if (end == i) {
            return false;
        }
        i = end;
    }
    return i == text.size();
}

double ParseDecimal(std::string_view text) {
    if (!IsDecimalNumber(text)) {
        return 0.0;
    }
    std::size_t i = SkipBlanks(text);
    const bool negative = text[i] == '-';
    if (text[i] == '+' || text[i] == '-') {
        ++i;
    }
    // from_chars takes no "+", so it gets the unsigned part.
    double value = 0.0;
    const char* last = text.data() + text.size();
    const std::from_chars_result result =
        std::from_chars(text.data() + i, last, value, std::chars_format::general);
    if (result.ec != std::errc() || result.ptr != last) {
        return 0.0;
    }
    return negative ? -value : value;
}

std::vector<std::string> SplitLines(std::string_view content) {
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
