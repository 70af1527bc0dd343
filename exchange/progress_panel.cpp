#include "exchange/progress_panel.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <string_view>

#include "gui/dialogs.h"
#include "gui/fonts.h"
#include "gui/look.h"
#include "gui/text.h"
#include "gui/window.h"

namespace shenbao {

TProgressPanel::TProgressPanel(QWidget* parent) : QFrame(parent) {
    SetUpOverlayPanel(this, QStringLiteral("Panel4"), QSize(549, 273));
    SetColour(this, QPalette::Window, kTeal);

    Label4 = new QLabel(QStringLiteral("正在工作......"), this);
    Named(Label4, "Label4")->setGeometry(20, 16, 323, 16);
    Label4->setFont(SongPixelFont(14));
    Label4->setWordWrap(true);
    SetColour(Label4, QPalette::WindowText, kYellow);
    Label4->setMinimumHeight(16);

    Memo1 = new QPlainTextEdit(this);
    Named(Memo1, "Memo1")->setGeometry(16, 40, 513, 187);
    Memo1->setReadOnly(true);
    Memo1->setFont(SongPixelFont(12));
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    QPalette memo = Memo1->palette();
    memo.setColor(QPalette::Base, kSilver);
    memo.setColor(QPalette::Text, kBlue);
    Memo1->setPalette(memo);

    Button3 = new QPushButton(QStringLiteral("确认"), this);
    Named(Button3, "Button3")->setGeometry(234, 236, 75, 25);
    // Yellow on the usual grey face would hardly read; the face takes the
    // panel's colour.
    QPalette face = Button3->palette();
    face.setColor(QPalette::ButtonText, kYellow);
    face.setColor(QPalette::Button, kTeal.darker(115));
    Button3->setPalette(face);
    connect(Button3, &QPushButton::clicked, this, &TProgressPanel::Button3Click);
}

void TProgressPanel::setText(const QString& text) {
    Label4->setText(text);
}

void TProgressPanel::RedrawText() {
    Label4->repaint();
}

void TProgressPanel::BeginRun() {
    pending_.clear();
    Memo1->clear();
    Button3->setEnabled(false);
}

void TProgressPanel::AddLogLine(const std::string& line) {
    pending_.append(ShortenedText(FromGbk(std::string_view(line).substr(0, 4096)), 300));
    if (pending_.size() >= 1000) {
        FlushLog();
    }
}

void TProgressPanel::FlushLog() {
    if (!pending_.isEmpty()) {
        Memo1->appendPlainText(pending_.join(QLatin1Char('\n')));
        pending_.clear();
    }
}

void TProgressPanel::EndRun(const QString& text) {
    FlushLog();
    Label4->setText(text);
    Label4->repaint();
    Button3->setEnabled(true);
}

void TProgressPanel::Button3Click() {
    emit closeRequested();
}

}  // namespace shenbao
