#include "gui/dialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <QStringList>
#include <new>

#include "gui/text.h"
#include "platform/io_error.h"

namespace shenbao {

namespace {

const QString kTitle = QStringLiteral("澄川省科技计划项目申报系统");

// The longest line a box shows whole.
constexpr int kLineLimit = 200;

// `text` with every over-long line shortened in the middle.
QString ShortenedLines(const QString& text) {
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& line : lines) {
        line = ShortenedText(line, kLineLimit);
    }
    return lines.join(QLatin1Char('\n'));
}

int Show(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text,
         QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton) {
    QMessageBox box(icon, title, ShortenedLines(text), buttons, parent);
    box.setDefaultButton(defaultButton);
    return box.exec();
}

}  // namespace

void ShowMessage(QWidget* parent, const QString& text) {
    Show(parent, QMessageBox::NoIcon, kTitle, text, QMessageBox::Ok, QMessageBox::Ok);
}

void ShowInformation(QWidget* parent, const QString& text) {
    Show(parent, QMessageBox::Information, QStringLiteral("信息"), text, QMessageBox::Ok,
         QMessageBox::Ok);
}

bool AskYesNo(QWidget* parent, const QString& text, Preset preset) {
    return Show(parent, QMessageBox::Question, QStringLiteral("确认"), text,
                QMessageBox::Yes | QMessageBox::No,
                preset == Preset::Yes ? QMessageBox::Yes : QMessageBox::No) == QMessageBox::Yes;
}

QString ShortenedText(const QString& text, int limit) {
    const QString gap = QStringLiteral("……");
    if (text.size() <= limit || limit <= gap.size()) {
        return text;
    }
    const int kept = limit - static_cast<int>(gap.size());
    const int head = kept / 2;
    return text.left(head) + gap + text.right(kept - head);
}

QString IoErrorReason(const IoError& error) {
    return QString::fromStdString(error.reason());
}

QString IoErrorText(const IoError& error) {
    // A path is cut before it is converted: it may be megabytes long.
    const std::string& native = error.path().native();
    constexpr std::size_t kPathBytes = 4 * kLineLimit;
    QString path = native.size() <= kPathBytes
                       ? FromPath(error.path())
                       : FromPath(native.substr(0, kPathBytes / 2)) + QStringLiteral("……") +
                             FromPath(native.substr(native.size() - kPathBytes / 2));
    return QStringLiteral("文件读写出错：\n%1\n\n原因：%2")
        .arg(ShortenedText(path, kLineLimit), IoErrorReason(error));
}

QString ExceptionText(const std::exception& error) {
    QString what = dynamic_cast<const std::bad_alloc*>(&error) != nullptr
                       ? QStringLiteral("内存不足")
                       : QString::fromLocal8Bit(error.what());
    return QStringLiteral("程序内部出错，本次操作未能完成：\n%1")
        .arg(ShortenedText(what, kLineLimit));
}

void ShowException(QWidget* parent, const std::exception& error) {
    Show(parent, QMessageBox::Critical, QStringLiteral("错误"), ExceptionText(error),
         QMessageBox::Ok, QMessageBox::Ok);
}

void ShowIoError(QWidget* parent, const IoError& error) {
    Show(parent, QMessageBox::Critical, QStringLiteral("错误"), IoErrorText(error), QMessageBox::Ok,
         QMessageBox::Ok);
}

}  // namespace shenbao
