#include "platform/gui/text.h"

#include "platform/gbk.h"

namespace shenbao {

QString FromGbk(std::string_view gbk) {
    return QString::fromStdString(GbkToUtf8(gbk));
}

std::string ToGbk(const QString& text) {
    return Utf8ToGbk(text.toStdString());
}

QString FromPath(const std::filesystem::path& path) {
    return QString::fromLocal8Bit(path.native().c_str());
}

std::filesystem::path ToPath(const QString& text) {
    return std::filesystem::path(text.toLocal8Bit().toStdString());
}

}  // namespace shenbao
