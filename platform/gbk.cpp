#include "platform/gbk.h"

#include <iconv.h>

#include <cerrno>
#include <optional>
#include <stdexcept>

namespace shenbao {

namespace {

// One conversion descriptor per direction and thread, opened on first use.
class Converter {
  public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) {
            throw std::runtime_error(std::string("iconv cannot convert from ") + from + " to " +
                                     to);
        }
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    ~Converter() { iconv_close(cd_); }

    // Converts `in`, appending to `out`; on a byte that cannot be converted,
    // `onBad` appends what stands for it, and conversion goes on after it.
    template <typename OnBad>
    void Convert(std::string_view in, std::string& out, OnBad onBad) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* src = const_cast<char*>(in.data());
        std::size_t srcLeft = in.size();
        char buffer[4096];
        while (srcLeft > 0) {
            char* dst = buffer;
            std::size_t dstLeft = sizeof buffer;
            std::size_t rc = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            out.append(buffer, static_cast<std::size_t>(dst - buffer));
            if (rc == static_cast<std::size_t>(-1)) {
                if (errno == E2BIG) {
                    continue;
                }
                // EILSEQ or EINVAL (a sequence cut off at the end): skip a byte.
                onBad(out, static_cast<unsigned char>(*src));
                ++src;
                --srcLeft;
                iconv(cd_, nullptr, nullptr, nullptr, nullptr);
            }
        }
        char* dst = buffer;
        std::size_t dstLeft = sizeof buffer;
        iconv(cd_, nullptr, nullptr, &dst, &dstLeft);
        out.append(buffer, static_cast<std::size_t>(dst - buffer));
    }

  private:
    iconv_t cd_;
};

bool IsAscii(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

// A stored byte that forms no character travels through UTF-8 as the
// private-use character U+F700 + byte (U+F780..U+F7FF for the bytes 80..FF,
// which no GBK text decodes to), and comes back as that byte, so that text
// read from the store and written back unchanged keeps every byte.
constexpr char32_t kRawByteBase = 0xF700;

void AppendRawByte(std::string& out, unsigned char byte) {
    if (byte < 0x80) {
        out.push_back(static_cast<char>(byte));
        return;
    }
    const char32_t cp = kRawByteBase + byte;
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
}

// The byte that the UTF-8 sequence at `text` stands for, when it is one of
// those characters.
std::optional<unsigned char> RawByteAt(std::string_view text) {
    if (text.size() < 3 || static_cast<unsigned char>(text[0]) != 0xEF) {
        return std::nullopt;
    }
    const auto second = static_cast<unsigned char>(text[1]);
    const auto third = static_cast<unsigned char>(text[2]);
    if ((second != 0x9E && second != 0x9F) || (third & 0xC0) != 0x80) {
        return std::nullopt;
    }
    const char32_t cp = 0xF000 | ((second & 0x3F) << 6) | (third & 0x3F);
    return static_cast<unsigned char>(cp - kRawByteBase);
}

}  // namespace

std::string GbkToUtf8(std::string_view gbk) {
    if (IsAscii(gbk)) {
        return std::string(gbk);
    }
    thread_local Converter converter("UTF-8", "GB18030");
    std::string out;
    out.reserve(gbk.size() * 3 / 2 + 8);
    converter.Convert(gbk, out, AppendRawByte);
    return out;
}

std::string Utf8ToGbk(std::string_view utf8) {
    if (IsAscii(utf8)) {
        return std::string(utf8);
    }
    thread_local Converter converter("GB18030", "UTF-8");
    const auto question = [](std::string& out, unsigned char) { out.push_back('?'); };
    std::string out;
    out.reserve(utf8.size());
    std::size_t start = 0;
    for (std::size_t at = utf8.find('\xEF'); at != std::string_view::npos;
         at = utf8.find('\xEF', at + 1)) {
        if (std::optional<unsigned char> byte = RawByteAt(utf8.substr(at))) {
            converter.Convert(utf8.substr(start, at - start), out, question);
            out.push_back(static_cast<char>(*byte));
            start = at + 3;
            at += 2;
        }
    }
    converter.Convert(utf8.substr(start), out, question);
    return out;
}

bool IsUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        char32_t cp = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            cp = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            cp = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            cp = lead & 0x07;
        } else {
            return false;
        }
        if (text.size() - i < length) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            cp = (cp << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and code points beyond U+10FFFF.
        if ((length == 3 && cp < 0x800) || (length == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
            (cp >= 0xD800 && cp <= 0xDFFF)) {
            return false;
        }
        i += length;
    }
    return true;
}

}  // namespace shenbao
