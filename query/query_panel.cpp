#include "query/query_panel.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/query_filter.h"
#include "gui/dialogs.h"
#include "gui/input_method.h"
#include "gui/text.h"
#include "gui/window.h"
#include "store/text.h"

namespace shenbao {

namespace {

bool TrimmedEmpty(const QLineEdit* edit) {
    return Trim(ToGbk(edit->text())).empty();
}

}  // namespace

TQueryPanel::TQueryPanel(QWidget* parent) : QFrame(parent) {
    SetUpOverlayPanel(this, QStringLiteral("Panel3"), QSize(289, 165));

    auto* bevel = new QFrame(this);
    Named(bevel, "Bevel1")->setGeometry(14, 18, 261, 85);
    bevel->setFrameShape(QFrame::Box);
    bevel->setFrameShadow(QFrame::Sunken);

    Label2 = new QLabel(QStringLiteral("请输入您要查询的"), this);
    Named(Label2, "Label2")->move(24, 36);
    Edit1 = new QLineEdit(this);
    Named(Edit1, "Edit1")->setGeometry(28, 58, 225, 20);
    Edit1->installEventFilter(this);
    Label3 = new QLabel(QStringLiteral("至"), this);
    Named(Label3, "Label3")->move(130, 64);
    Edit2 = new QLineEdit(this);
    Named(Edit2, "Edit2")->setGeometry(150, 58, 107, 20);
    AskForChineseInput({Edit1, Edit2});

    auto* confirm = new QPushButton(QStringLiteral("确认"), this);
    Named(confirm, "Button1")->setGeometry(44, 120, 75, 25);
    auto* giveUp = new QPushButton(QStringLiteral("放弃"), this);
    Named(giveUp, "Button2")->setGeometry(170, 120, 75, 25);
    connect(confirm, &QPushButton::clicked, this, &TQueryPanel::Button1Click);
    connect(giveUp, &QPushButton::clicked, this, &TQueryPanel::Button2Click);
}

void TQueryPanel::Prepare(ListColumn column, const QString& prompt) {
    column_ = column;
    const bool range = IsRangeColumn(column);
    Edit1->resize(range ? 90 : 225, Edit1->height());
    Label3->setHidden(!range);
    Edit2->setHidden(!range);
    Label2->setText(prompt);
    Label2->adjustSize();
}

void TQueryPanel::Open() {
    Edit1->clear();
    Edit2->clear();
    show();
    raise();
    Edit1->setFocus();
}

void TQueryPanel::Button1Click() {
    const bool range = IsRangeColumn(column_);
    const bool invalid = TrimmedEmpty(Edit1) || (range && TrimmedEmpty(Edit2));
    if (invalid) {
        ShowInformation(window(), QStringLiteral("您没有输入有效内容！"));
        emit closeRequested();
        return;
    }
    const std::string low = ToGbk(Edit1->text());
    const std::string high = range ? ToGbk(Edit2->text()) : std::string();
    emit confirmed(column_, low, high);
}

void TQueryPanel::Button2Click() {
    emit closeRequested();
}

void TQueryPanel::Edit1KeyDown(int key) {
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        Button1Click();
    }
}

bool TQueryPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Edit1 && event->type() == QEvent::KeyPress) {
        Edit1KeyDown(static_cast<QKeyEvent*>(event)->key());
    }
    return QFrame::eventFilter(watched, event);
}

}  // namespace shenbao
