#include "exchange/clearall.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "gui/dialogs.h"
#include "gui/fonts.h"
#include "gui/look.h"
#include "gui/window.h"
#include "platform/io_error.h"
#include "platform/platform.h"
#include "store/project_removal.h"

namespace shenbao {

namespace fs = std::filesystem;

TClearAllForm::TClearAllForm(const fs::path& dataDir, QWidget* parent)
    : QDialog(parent, kFixedHelpDialogFlags), dataDir_(dataDir) {
    setObjectName(QStringLiteral("ClearAllForm"));
    setWindowTitle(QStringLiteral("清空数据库"));
    // 593 x 171 is the dialog's outer size, its frame included.
    KeepOuterSize(this, QSize(593, 171));
    setFont(SongPixelFont(14));
    setAutoFillBackground(true);
    SetColour(this, QPalette::Window, kRed);

    Label1 = new QLabel(QStringLiteral("你的确要删除数据库中的所有数据吗!!!"), this);
    Named(Label1, "Label1")->setGeometry(24, 32, 544, 29);
    Label1->setFont(KaiPixelFont(29, true));
    Label1->setAlignment(Qt::AlignCenter);
    SetColour(Label1, QPalette::WindowText, kYellow);

    Button2 = new QPushButton(QStringLiteral("不删除数据库，取消本次操作"), this);
    Named(Button2, "Button2")->setGeometry(52, 80, 225, 45);
    Button1 = new QPushButton(QStringLiteral("是的，我决定删除"), this);
    Named(Button1, "Button1")->setGeometry(368, 96, 141, 25);
    Button1->setAutoDefault(false);
    Button2->setDefault(true);
    Button2->setFocus();

    Timer1 = Named(new QTimer(this), "Timer1");
    Timer1->setInterval(kBlinkMs);
    connect(Timer1, &QTimer::timeout, this, &TClearAllForm::Timer1Timer);
    Timer1->start();

    connect(Button1, &QPushButton::clicked, this, &TClearAllForm::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TClearAllForm::Button2Click);
}

void TClearAllForm::Timer1Timer() {
    if (stage_ == Stage::Cleared) {
        return;
    }
    stage_ = stage_ == Stage::WarningRed ? Stage::WarningYellow : Stage::WarningRed;
    SetColour(Label1, QPalette::WindowText, stage_ == Stage::WarningRed ? kRed : kYellow);
}

void TClearAllForm::Button2Click() {
    reject();
}

void TClearAllForm::Button1Click() {
    // Once the store is cleared the button only leads back.
    if (cleared()) {
        accept();
        return;
    }
    Timer1->stop();
    bool done = false;
    if (!RunGuarded(this, [this, &done] { done = DeleteAllProjects(); }) || !done) {
        return;
    }
    stage_ = Stage::Cleared;
    SetColour(this, QPalette::Window, kBlack);
    SetColour(Label1, QPalette::WindowText, kWhite);
    Label1->setText(QStringLiteral("数据库中的数据已全部被清除了..."));
    Button2->setEnabled(false);
    Button1->setText(QStringLiteral("返回主界面"));
    Button1->setDefault(true);
    Button1->setFocus();
}

bool TClearAllForm::DeleteAllProjects() {
    if (!ClearStore(dataDir_)) {
        ShowMessage(this, QStringLiteral("未找到控制文件，清空操作失败！"));
        return false;
    }
    ShowMessage(this, QStringLiteral("清空操作完成！"));
    return true;
}

}  // namespace shenbao
