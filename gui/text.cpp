#include "gui/text.h"

#include "platform/gbk.h"

namespace shenbao {

QString FromGbk(std::string_view gbk) {
    return QString::fromStdString(GbkToUtf8(gbk));
}

std::string ToGbk(const QString& text) {
    return Utf8ToGbk(text.toStdString());
}

QString FromPath(const std::filesystem::path& path) {
    const std::string& native = path.native();
    if (IsUtf8(native)) {
        return QString::fromStdString(native);
    }
    // Names written by older systems in GBK read as GBK, each one on its own,
    // so that the text shown, stored as GBK, names the same folder again.
    std::string shown;
    std::size_t start = 0;
    while (start <= native.size()) {
        std::size_t end = native.find('/', start);
        if (end == std::string::npos) {
            end = native.size();
        }
        const std::string_view name(native.data() + start, end - start);
        shown += IsUtf8(name) ? std::string(name) : GbkToUtf8(name);
        if (end < native.size()) {
            shown += '/';
        }
        start = end + 1;
    }
    return QString::fromStdString(shown);
}

std::filesystem::path ToPath(const QString& text) {
    return std::filesystem::path(text.toLocal8Bit().toStdString());
}

}  // namespace shenbao
