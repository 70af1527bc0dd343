#include "mainwin/first.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>

#include "core/version.h"
#include "gui/app_icon.h"
#include "gui/fonts.h"
#include "gui/look.h"
#include "gui/window.h"

namespace shenbao {

namespace {

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, QRect geometry,
                  const QFont& font, const QColor& color) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setFont(font);
    SetColour(label, QPalette::WindowText, color);
    label->setAttribute(Qt::WA_TranslucentBackground);
    // The design sizes fit the Windows face; let a wider face show whole.
    label->setGeometry(geometry);
    label->resize(std::max(geometry.width(), label->sizeHint().width()),
                  std::max(geometry.height(), label->sizeHint().height()));
    return label;
}

}  // namespace

TFirstForm::TFirstForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("FirstForm"));
    setWindowTitle(QStringLiteral("欢迎使用"));
    setWindowIcon(AppIcon());
    setAttribute(Qt::WA_DeleteOnClose, false);
    setFixedSize(524, 337);
    setFont(SongPixelFont(12));
    // The face colour of ordinary buttons.
    QPalette face = palette();
    face.setColor(QPalette::Window, face.color(QPalette::Button));
    setPalette(face);

    auto* bevel = new QFrame(this);
    bevel->setObjectName(QStringLiteral("Bevel1"));
    // A line along the bottom edge of a 477 x 30 frame at (24, 36).
    bevel->setGeometry(24, 36 + 30 - 2, 477, 2);
    bevel->setFrameShape(QFrame::HLine);
    bevel->setFrameShadow(QFrame::Sunken);

    Label1 = MakeLabel(this, "Label1", QStringLiteral("澄川省科技计划项目基本信息申报系统"),
                       QRect(52, 38, 425, 24), SongPixelFont(24, true), kRed);
    Label2 = MakeLabel(this, "Label2", QStringLiteral("2001版"), QRect(464, 72, 36, 12),
                       SongPixelFont(12), palette().color(QPalette::WindowText));
    Label3 = MakeLabel(this, "Label3", QStringLiteral("澄川省科学技术委员会计划处"),
                       QRect(138, 248, 247, 19), SongPixelFont(19), kGreen);
    Label4 = MakeLabel(this, "Label4", QStringLiteral("澄川信息技术中心"), QRect(184, 272, 152, 19),
                       SongPixelFont(19), kGreen);
    Label5 = MakeLabel(this, "Label5", QStringLiteral("本系统要求分辨率至少800X600"),
                       QRect(179, 298, 162, 12), SongPixelFont(12), kTeal);
    // The program's version in small grey figures under the edition, ending
    // where the edition ends.
    Label6 = MakeLabel(this, "Label6", QStringLiteral("版本 ") + QString::fromUtf8(ProgramVersion()),
                       QRect(420, 88, 80, 10), SongPixelFont(10), QColor(128, 128, 128));
    Label6->setAlignment(Qt::AlignRight | Qt::AlignTop);

    // Clicks on the title and the first credit line close the splash; the
    // other labels take no clicks of their own and pass none on.
    for (QLabel* label : {Label1, Label2, Label3, Label4, Label5, Label6}) {
        label->installEventFilter(this);
    }
    bevel->installEventFilter(this);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(kTimeoutMs);
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, &TFirstForm::Timer1Timer);
    Timer1->start();

    CentreOnScreen(this);
}

void TFirstForm::Timer1Timer() {
    Timer1->stop();
    accept();
}

void TFirstForm::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        Timer1Timer();
        return;
    }
    QDialog::mousePressEvent(event);
}

void TFirstForm::keyPressEvent(QKeyEvent* event) {
    // The splash closes by its timer or a click only; Escape does not end it.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TFirstForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
        if (watched == Label1 || watched == Label3) {
            Timer1Timer();
        }
        return true;  // the other elements do not react, and pass nothing on
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace shenbao
