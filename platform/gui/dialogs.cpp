#include "platform/gui/dialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <cerrno>

#include "platform/gui/text.h"
#include "store/io_error.h"

namespace shenbao {

namespace {

const QString kTitle = QStringLiteral("澄川省科技计划项目申报系统");

QString ChineseReason(int code) {
    switch (code) {
        case ENOENT:
            return QStringLiteral("文件或文件夹不存在");
        case EACCES:
        case EPERM:
            return QStringLiteral("没有访问权限");
        case ENOSPC:
            return QStringLiteral("磁盘空间已满");
        case EROFS:
            return QStringLiteral("磁盘只读，不能写入");
        case EISDIR:
            return QStringLiteral("这是一个文件夹，不是文件");
        case ENOTDIR:
            return QStringLiteral("路径中有一项不是文件夹");
        case EFBIG:
            return QStringLiteral("文件太大");
        case EIO:
            return QStringLiteral("读写设备出错");
        case EINVAL:
            return QStringLiteral("文件名不合法");
        case EDQUOT:
            return QStringLiteral("磁盘配额已用完");
        default:
            return QString();
    }
}

int Show(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text,
         QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton) {
    QMessageBox box(icon, title, text, buttons, parent);
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

bool AskYesNo(QWidget* parent, const QString& text) {
    return Show(parent, QMessageBox::Question, QStringLiteral("确认"), text,
                QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) == QMessageBox::Yes;
}

QString IoErrorText(const IoError& error) {
    QString reason = ChineseReason(error.errorCode());
    QString system = QString::fromLocal8Bit(error.reason().c_str());
    if (reason.isEmpty()) {
        reason = system;
    } else if (!system.isEmpty()) {
        reason += QStringLiteral("（") + system + QStringLiteral("）");
    }
    return QStringLiteral("文件读写出错：\n%1\n\n原因：%2").arg(FromPath(error.path()), reason);
}

void ShowIoError(QWidget* parent, const IoError& error) {
    Show(parent, QMessageBox::Critical, QStringLiteral("错误"), IoErrorText(error), QMessageBox::Ok,
         QMessageBox::Ok);
}

}  // namespace shenbao
