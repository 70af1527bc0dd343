#include "editor/zpinfo.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTextBlock>
#include <initializer_list>
#include <limits>
#include <optional>

#include "editor/member_grid.h"
#include "editor/zpinfo_rules.h"
#include "mainwin/app_icon.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/fonts.h"
#include "platform/gui/look.h"
#include "platform/gui/text.h"
#include "platform/gui/window.h"
#include "store/code_table.h"
#include "store/project_id.h"
#include "store/text.h"

namespace shenbao {

namespace {

constexpr int kClientWidth = 614;
constexpr int kClientHeight = 425;
constexpr int kTopPanelHeight = 35;
constexpr int kFieldHeight = 21;
constexpr int kGridRowHeight = 20;
constexpr std::array<int, kMemberCellCount> kMemberColumnWidths = {55, 30, 77, 80, 90, 200};

bool IsEnter(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// The fields take texts of any length; a line edit would cut them at 32767
// characters, also a stored text put into it.
void LiftLengthLimit(QLineEdit* edit) {
    edit->setMaxLength(std::numeric_limits<int>::max());
}

QLineEdit* MakeEdit(QWidget* page, const char* name, int left, int top, int width) {
    auto* edit = new QLineEdit(page);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setGeometry(left, top, width, kFieldHeight);
    LiftLengthLimit(edit);
    return edit;
}

// An editable drop-down list: the text typed or chosen is the field's value.
// Typed text is never added to the list nor completed from it.
QComboBox* MakeCombo(QWidget* page, const char* name, int left, int top, int width,
                     int dropDownLines = 8) {
    auto* combo = new QComboBox(page);
    combo->setObjectName(QString::fromLatin1(name));
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setCompleter(nullptr);
    LiftLengthLimit(combo->lineEdit());
    combo->setMaxVisibleItems(dropDownLines);
    combo->setGeometry(left, top, width, kFieldHeight);
    return combo;
}

// A field caption in teal, 13 pixels high; wrapped into lines of `wrapWidth`
// pixels when one is given.
QLabel* MakeCaption(QWidget* page, const QString& text, int left, int top, int wrapWidth = 0) {
    auto* label = new QLabel(text, page);
    label->setTextFormat(Qt::PlainText);
    label->setFont(SongPixelFont(13));
    SetColour(label, QPalette::WindowText, kTeal);
    if (wrapWidth > 0) {
        label->setWordWrap(true);
        label->setGeometry(left, top, wrapWidth, label->heightForWidth(wrapWidth));
    } else {
        label->adjustSize();
        label->move(left, top);
    }
    return label;
}

// A format hint in olive.
QLabel* MakeHint(QWidget* page, const QString& text, int left, int top, int wrapWidth = 0) {
    auto* label = new QLabel(text, page);
    label->setTextFormat(Qt::PlainText);
    SetColour(label, QPalette::WindowText, kOlive);
    if (wrapWidth > 0) {
        label->setWordWrap(true);
        label->setGeometry(left, top, wrapWidth, label->heightForWidth(wrapWidth));
    } else {
        label->adjustSize();
        label->move(left, top);
    }
    return label;
}

// A sunken frame around a row of fields.
void MakeFrame(QWidget* page, int left, int top, int width, int height) {
    auto* frame = new QFrame(page);
    frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    frame->setGeometry(left, top, width, height);
    frame->lower();
}

// A caption written from top to bottom down the left edge of a tab: its
// characters stand where they stand in the text, blanks giving the spacing.
class VerticalCaption : public QLabel {
  public:
    VerticalCaption(const QString& text, QWidget* parent) : QLabel(text, parent) {
        setFont(SongPixelFont(15, true));
        SetColour(this, QPalette::WindowText, kTeal);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setFont(font());
        painter.setPen(palette().color(QPalette::WindowText));
        const QString caption = text();
        const int lineHeight = fontMetrics().height();
        const int span = height() - lineHeight;
        const qsizetype count = caption.size();
        for (qsizetype i = 0; i < count; ++i) {
            if (caption.at(i).isSpace()) {
                continue;
            }
            const int top = count > 1 ? static_cast<int>(span * i / (count - 1)) : 0;
            painter.drawText(QRect(0, top, width(), lineHeight), Qt::AlignHCenter | Qt::AlignTop,
                             QString(caption.at(i)));
        }
    }
};

void ChainTabOrder(std::initializer_list<QWidget*> widgets) {
    QWidget* previous = nullptr;
    for (QWidget* widget : widgets) {
        if (previous != nullptr) {
            QWidget::setTabOrder(previous, widget);
        }
        previous = widget;
    }
}

// The member grid's cell editor: Enter writes the cell and moves to the next
// column through the form's handler.
class MemberCellDelegate : public QStyledItemDelegate {
  public:
    MemberCellDelegate(TZPInfoForm* form, QObject* parent)
        : QStyledItemDelegate(parent), form_(form) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
            LiftLengthLimit(edit);
        }
        return editor;
    }

  protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (IsEnter(key->key())) {
                if (auto* editor = qobject_cast<QWidget*>(object)) {
                    emit commitData(editor);
                }
                form_->StringGrid1KeyDown(key->key(), key->modifiers());
                return true;
            }
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

  private:
    TZPInfoForm* form_;
};

// A line of the research content as it was stored, kept with its line in
// the multi-line field. A line split by the user keeps it with its first
// part; lines the user makes have none.
class StoredContentLine : public QTextBlockUserData {
  public:
    explicit StoredContentLine(ContentLine line) : line(std::move(line)) {}
    const ContentLine line;
};

// The stored bytes of a text the user has left as it was shown, else the
// text as typed.
std::string KeptOrTyped(const QString& now, const QString& shown, const std::string& stored) {
    return now == shown ? stored : ToGbk(now);
}

}  // namespace

TZPInfoForm::TZPInfoForm(std::filesystem::path dataDir, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      dataDir_(std::move(dataDir)) {
    setObjectName(QStringLiteral("ZPInfoForm"));
    setWindowTitle(QStringLiteral("科技发展计划项目基本信息"));
    setWindowIcon(AppIcon());
    setFixedSize(kClientWidth, kClientHeight);
    setFont(SongPixelFont(12));

    BuildTopPanel();
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setGeometry(0, kTopPanelHeight, kClientWidth, kClientHeight - kTopPanelHeight);
    BuildProjectPage();
    BuildUnitPage();
    BuildMemberPage();
    BuildContentPage();

    fieldControls_ = {Edit1,  ComboBox1, Edit2,  ComboBox2, Edit3,     ComboBox3, ComboBox4,
                      Edit4,  Edit5,     Edit6,  Edit7,     Edit8,     Edit9,     Edit10,
                      Edit11, Edit12,    Edit13, ComboBox5, ComboBox6, Edit14,    ComboBox7,
                      Edit15, ComboBox8, Edit16, Edit17,    Edit18,    Edit19,    Edit20,
                      Edit21, Edit22,    Edit23, Edit24,    Edit25,    Edit26,    Edit27,
                      Edit28, Memo1,     Edit30};
    ConnectRules();

    CentreOnScreen(this);
}

TZPInfoForm::~TZPInfoForm() {
    // The dialog base hides the window on its way out and takes the focus
    // from the fields, whose signals must not reach this form any more.
    for (QObject* child : findChildren<QObject*>()) {
        QObject::disconnect(child, nullptr, this, nullptr);
    }
}

std::pair<QString, QString> EditorModeTexts(EditorMode mode) {
    const QString state = mode == EditorMode::Add ? QStringLiteral("new") : QStringLiteral("old");
    const QString access =
        mode == EditorMode::View ? QStringLiteral("read") : QStringLiteral("edit");
    return {state, access};
}

void TZPInfoForm::Prepare(const QString& id, EditorMode mode) {
    const auto [state, access] = EditorModeTexts(mode);
    Prepare(id, state, access);
}

void TZPInfoForm::Prepare(const QString& id, const QString& recordState,
                          const QString& accessMode) {
    Edit29->setText(id);
    Label2->setText(recordState);
    Label4->setText(accessMode);
}

void TZPInfoForm::FocusFieldOnOpen(std::size_t field) {
    focusOnOpen_ = [this, field] {
        QWidget* control = fieldControls_.at(field);
        for (QWidget* page = control; page != nullptr; page = page->parentWidget()) {
            if (PageControl1->indexOf(page) >= 0) {
                PageControl1->setCurrentWidget(page);
                break;
            }
        }
        control->setFocus(Qt::OtherFocusReason);
        if (auto* edit = qobject_cast<QLineEdit*>(control)) {
            edit->selectAll();
        }
    };
}

void TZPInfoForm::FocusMemberOnOpen(std::size_t row, std::size_t cell) {
    focusOnOpen_ = [this, row, cell] {
        PageControl1->setCurrentWidget(TabSheet3);
        StringGrid1->setFocus(Qt::OtherFocusReason);
        StringGrid1->setCurrentCell(static_cast<int>(row) - 1, static_cast<int>(cell));
    };
}

// ---- Layout ---------------------------------------------------------------------

void TZPInfoForm::BuildTopPanel() {
    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setGeometry(0, 0, kClientWidth, kTopPanelHeight);

    Label1 = new QLabel(QStringLiteral("项目ID号"), Panel1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->adjustSize();
    Label1->move(10, 11);

    Edit29 = new QLineEdit(QStringLiteral("XXXXXXXX"), Panel1);
    Edit29->setObjectName(QStringLiteral("Edit29"));
    Edit29->setGeometry(66, 7, 81, kFieldHeight);
    Edit29->setReadOnly(true);
    LiftLengthLimit(Edit29);
    QPalette idPalette = Edit29->palette();
    idPalette.setColor(QPalette::Base, kTeal);
    idPalette.setColor(QPalette::Text, kYellow);
    Edit29->setPalette(idPalette);

    QStyle* style = QApplication::style();
    BitBtn8 = new QPushButton(style->standardIcon(QStyle::SP_DialogSaveButton),
                              QStringLiteral("存盘"), Panel1);
    BitBtn8->setObjectName(QStringLiteral("BitBtn8"));
    BitBtn8->setGeometry(318, 5, 84, 25);
    BitBtn8->setToolTip(QStringLiteral("保存当前所有的项目信息"));
    // Red while it can be used; disabled (view mode), it looks disabled.
    SetColour(BitBtn8, QPalette::ButtonText, kRed);

    BitBtn10 = new QPushButton(style->standardIcon(QStyle::SP_DialogApplyButton),
                               QStringLiteral("存盘并关闭"), Panel1);
    BitBtn10->setObjectName(QStringLiteral("BitBtn10"));
    BitBtn10->setGeometry(408, 5, 98, 25);

    BitBtn1 = new QPushButton(style->standardIcon(QStyle::SP_DialogCancelButton),
                              QStringLiteral("放弃并关闭"), Panel1);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(512, 5, 98, 25);

    // Enter belongs to the fields, never to a button of the dialog.
    for (QPushButton* button : {BitBtn8, BitBtn10, BitBtn1}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }

    const auto [state, access] = EditorModeTexts(EditorMode::Add);
    Label2 = new QLabel(state, Panel1);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->hide();
    Label4 = new QLabel(access, Panel1);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->hide();
}

void TZPInfoForm::BuildProjectPage() {
    QWidget* page = TabSheet1 = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet1"));
    PageControl1->addTab(page, QStringLiteral("项目概况"));

    MakeFrame(page, 44, 26, 548, 38);
    MakeFrame(page, 44, 64, 548, 66);
    MakeFrame(page, 44, 130, 548, 40);
    MakeFrame(page, 44, 170, 548, 40);
    MakeFrame(page, 44, 210, 548, 74);
    MakeFrame(page, 44, 284, 548, 38);
    (new VerticalCaption(QStringLiteral("项         目          概        况"), page))
        ->setGeometry(12, 44, 24, 272);

    MakeCaption(page, QStringLiteral("序号"), 14, 10);
    Edit30 = MakeEdit(page, "Edit30", 42, 6, 51);

    MakeCaption(page, QStringLiteral("项目名称"), 52, 40);
    Edit1 = MakeEdit(page, "Edit1", 128, 34, 447);

    MakeCaption(page, QStringLiteral("计划类别"), 52, 72);
    ComboBox1 = MakeCombo(page, "ComboBox1", 128, 70, 145, 10);
    MakeCaption(page, QStringLiteral("起止时间"), 300, 72);
    Edit2 = MakeEdit(page, "Edit2", 372, 70, 113);
    MakeHint(page, QStringLiteral("格式:2001.04-2003.10"), 488, 68, 112);

    MakeCaption(page, QStringLiteral("项目领域"), 52, 104);
    ComboBox2 = MakeCombo(page, "ComboBox2", 128, 100, 145);
    MakeCaption(page, QStringLiteral("申报日期"), 300, 104);
    Edit3 = MakeEdit(page, "Edit3", 372, 100, 81);
    MakeHint(page, QStringLiteral("格式：2001-07-16"), 484, 104);

    MakeCaption(page, QStringLiteral("预期成果主要形式"), 52, 136, 56);
    ComboBox3 = MakeCombo(page, "ComboBox3", 128, 140, 145);
    MakeCaption(page, QStringLiteral("项目来源"), 300, 144);
    ComboBox4 = MakeCombo(page, "ComboBox4", 372, 140, 138, 9);

    MakeCaption(page, QStringLiteral("项    目申 请 人"), 52, 176, 56);
    Edit4 = MakeEdit(page, "Edit4", 128, 176, 91);
    MakeCaption(page, QStringLiteral("项目申请人联系电话"), 280, 184);
    Edit5 = MakeEdit(page, "Edit5", 424, 176, 138);

    MakeCaption(page, QStringLiteral("申请经费（万元）"), 52, 216, 56);
    MakeCaption(page, QStringLiteral("国家拨款"), 128, 224);
    MakeCaption(page, QStringLiteral("省拨款"), 208, 224);
    MakeCaption(page, QStringLiteral(" 部门或 地方匹配"), 280, 216, 56);
    MakeCaption(page, QStringLiteral("贷款"), 372, 224);
    MakeCaption(page, QStringLiteral("单位自筹"), 436, 224);
    MakeCaption(page, QStringLiteral("其他"), 532, 224);
    Edit6 = MakeEdit(page, "Edit6", 50, 254, 57);
    Edit7 = MakeEdit(page, "Edit7", 128, 254, 57);
    Edit8 = MakeEdit(page, "Edit8", 202, 254, 57);
    Edit9 = MakeEdit(page, "Edit9", 278, 254, 57);
    Edit10 = MakeEdit(page, "Edit10", 358, 254, 57);
    Edit11 = MakeEdit(page, "Edit11", 434, 254, 57);
    Edit12 = MakeEdit(page, "Edit12", 516, 254, 57);

    MakeCaption(page, QStringLiteral("主管部门"), 52, 296);
    Edit13 = MakeEdit(page, "Edit13", 128, 291, 35);
    ComboBox5 = MakeCombo(page, "ComboBox5", 174, 292, 115);
    MakeCaption(page, QStringLiteral("项目所在地"), 340, 296);
    ComboBox6 = MakeCombo(page, "ComboBox6", 436, 292, 123);

    ChainTabOrder({Edit1,  ComboBox1, Edit2,  ComboBox2, Edit3,     ComboBox3, ComboBox4,
                   Edit4,  Edit5,     Edit6,  Edit7,     Edit8,     Edit9,     Edit10,
                   Edit11, Edit12,    Edit13, ComboBox5, ComboBox6, Edit30});
}

void TZPInfoForm::BuildUnitPage() {
    QWidget* page = TabSheet2 = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet2"));
    PageControl1->addTab(page, QStringLiteral("单位概况"));

    MakeFrame(page, 50, 24, 536, 34);
    MakeFrame(page, 50, 58, 536, 70);
    MakeFrame(page, 50, 128, 536, 36);
    MakeFrame(page, 50, 164, 536, 42);
    MakeFrame(page, 50, 206, 536, 40);
    MakeFrame(page, 50, 246, 536, 42);
    MakeFrame(page, 50, 288, 536, 36);
    (new VerticalCaption(QStringLiteral("单            位            概            况"), page))
        ->setGeometry(16, 30, 24, 290);

    MakeCaption(page, QStringLiteral("单位名称"), 58, 32);
    Edit14 = MakeEdit(page, "Edit14", 130, 32, 439);

    MakeCaption(page, QStringLiteral("单位性质"), 58, 62);
    ComboBox7 = MakeCombo(page, "ComboBox7", 130, 62, 145);
    MakeCaption(page, QStringLiteral("单位负责人"), 344, 64);
    Edit15 = MakeEdit(page, "Edit15", 474, 60, 93);

    MakeCaption(page, QStringLiteral("企业登记注册类型"), 58, 90, 56);
    ComboBox8 = MakeCombo(page, "ComboBox8", 130, 98, 145, 10);
    MakeCaption(page, QStringLiteral("负责人电话"), 344, 100);
    Edit16 = MakeEdit(page, "Edit16", 474, 100, 95);

    MakeCaption(page, QStringLiteral("地    址"), 58, 140);
    Edit17 = MakeEdit(page, "Edit17", 130, 136, 257);
    MakeCaption(page, QStringLiteral("邮编"), 410, 140);
    Edit18 = MakeEdit(page, "Edit18", 474, 136, 97);

    MakeCaption(page, QStringLiteral("单    位联 系 人"), 58, 168, 56);
    Edit19 = MakeEdit(page, "Edit19", 130, 172, 57);
    MakeCaption(page, QStringLiteral("联 系 人电    话"), 206, 168, 56);
    Edit20 = MakeEdit(page, "Edit20", 284, 172, 97);
    MakeCaption(page, QStringLiteral("传真"), 410, 176);
    Edit21 = MakeEdit(page, "Edit21", 474, 172, 99);

    MakeCaption(page, QStringLiteral(" E-Mail    地址"), 58, 210, 56);
    Edit22 = MakeEdit(page, "Edit22", 132, 214, 191);
    MakeCaption(page, QStringLiteral("单位网址"), 348, 210);
    Edit23 = MakeEdit(page, "Edit23", 406, 214, 173);

    MakeCaption(page, QStringLiteral("职工总数"), 58, 260);
    Edit24 = MakeEdit(page, "Edit24", 132, 256, 67);
    MakeCaption(page, QStringLiteral("技术人员数"), 220, 260);
    Edit25 = MakeEdit(page, "Edit25", 318, 256, 67);
    MakeCaption(page, QStringLiteral("中高级技术人员数"), 416, 250, 66);
    Edit26 = MakeEdit(page, "Edit26", 510, 256, 67);

    MakeCaption(page, QStringLiteral("开户银行"), 58, 302);
    Edit27 = MakeEdit(page, "Edit27", 130, 298, 193);
    MakeCaption(page, QStringLiteral("银行帐号"), 346, 294);
    Edit28 = MakeEdit(page, "Edit28", 406, 298, 171);

    ChainTabOrder({Edit14, ComboBox7, Edit15, ComboBox8, Edit16, Edit17, Edit18, Edit19, Edit20,
                   Edit21, Edit22, Edit23, Edit24, Edit25, Edit26, Edit27, Edit28});
}

void TZPInfoForm::BuildMemberPage() {
    QWidget* page = TabSheet3 = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet3"));
    PageControl1->addTab(page, QStringLiteral("主要参加人"));

    const int rows = static_cast<int>(kMemberRowCount);
    const int columns = static_cast<int>(kMemberCellCount);
    StringGrid1 = new TMemberGrid(rows, columns, page);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setGeometry(14, 14, 571, 327);
    StringGrid1->setEditTriggers(QAbstractItemView::AllEditTriggers);
    StringGrid1->setTabKeyNavigation(true);
    StringGrid1->setSelectionBehavior(QAbstractItemView::SelectItems);
    StringGrid1->setSelectionMode(QAbstractItemView::ContiguousSelection);
    StringGrid1->setWordWrap(false);
    StringGrid1->setCornerButtonEnabled(false);
    StringGrid1->setItemDelegate(new MemberCellDelegate(this, StringGrid1));

    QHeaderView* headings = StringGrid1->horizontalHeader();
    headings->setFixedHeight(kGridRowHeight);
    headings->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    headings->setHighlightSections(false);
    headings->setSectionsClickable(false);
    headings->setSectionResizeMode(QHeaderView::Interactive);
    // No fixed column; row heights are dragged at the lines between rows.
    QHeaderView* rowHeader = StringGrid1->verticalHeader();
    rowHeader->setDefaultSectionSize(kGridRowHeight);
    rowHeader->setMinimumSectionSize(6);
    rowHeader->setSectionResizeMode(QHeaderView::Interactive);
    ShowGridWithoutRowHeaders(StringGrid1);

    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            auto* item = new QTableWidgetItem;
            // Member row 15 is kept as it was read, never shown nor edited.
            if (r == rows - 1) {
                item->setFlags(Qt::NoItemFlags);
            }
            StringGrid1->setItem(r, c, item);
        }
    }
    StringGrid1->setRowHidden(rows - 1, true);
}

void TZPInfoForm::BuildContentPage() {
    QWidget* page = TabSheet4 = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet4"));
    PageControl1->addTab(page, QStringLiteral("主要研究内容"));

    auto* caption = new QLabel(QStringLiteral("项目主要研究、开发内容（不超过120个汉字）"), page);
    caption->setFont(SongPixelFont(13));
    caption->adjustSize();
    caption->move(30, 26);

    Memo1 = new QPlainTextEdit(page);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setGeometry(36, 54, 523, 225);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setTabChangesFocus(true);

    Panel6 = new QLabel(InitialCounterText(), page);
    Panel6->setObjectName(QStringLiteral("Panel6"));
    Panel6->setGeometry(36, 298, 523, 29);
    Panel6->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel6->setAlignment(Qt::AlignCenter);
    SetColour(Panel6, QPalette::WindowText, CountResearchContent(0).color);
}

void TZPInfoForm::ConnectRules() {
    connect(BitBtn8, &QPushButton::clicked, this, &TZPInfoForm::BitBtn8Click);
    connect(BitBtn10, &QPushButton::clicked, this, &TZPInfoForm::BitBtn10Click);
    connect(BitBtn1, &QPushButton::clicked, this, &TZPInfoForm::BitBtn1Click);

    enterHandlers_ = {
        {Edit1, &TZPInfoForm::Edit1KeyDown},         {ComboBox1, &TZPInfoForm::ComboBox1KeyDown},
        {Edit2, &TZPInfoForm::Edit2KeyDown},         {ComboBox2, &TZPInfoForm::ComboBox2KeyDown},
        {Edit3, &TZPInfoForm::Edit3KeyDown},         {ComboBox3, &TZPInfoForm::ComboBox3KeyDown},
        {ComboBox4, &TZPInfoForm::ComboBox4KeyDown}, {Edit4, &TZPInfoForm::Edit4KeyDown},
        {Edit5, &TZPInfoForm::Edit5KeyDown},         {Edit6, &TZPInfoForm::Edit6KeyDown},
        {Edit7, &TZPInfoForm::Edit7KeyDown},         {Edit8, &TZPInfoForm::Edit8KeyDown},
        {Edit9, &TZPInfoForm::Edit9KeyDown},         {Edit10, &TZPInfoForm::Edit10KeyDown},
        {Edit11, &TZPInfoForm::Edit11KeyDown},       {Edit12, &TZPInfoForm::Edit12KeyDown},
        {ComboBox5, &TZPInfoForm::ComboBox5KeyDown}, {ComboBox6, &TZPInfoForm::ComboBox6KeyDown},
        {Edit14, &TZPInfoForm::Edit14KeyDown},       {ComboBox7, &TZPInfoForm::ComboBox7KeyDown},
        {Edit15, &TZPInfoForm::Edit15KeyDown},       {ComboBox8, &TZPInfoForm::ComboBox8KeyDown},
        {Edit16, &TZPInfoForm::Edit16KeyDown},       {Edit17, &TZPInfoForm::Edit17KeyDown},
        {Edit18, &TZPInfoForm::Edit18KeyDown},       {Edit19, &TZPInfoForm::Edit19KeyDown},
        {Edit20, &TZPInfoForm::Edit20KeyDown},       {Edit21, &TZPInfoForm::Edit21KeyDown},
        {Edit22, &TZPInfoForm::Edit22KeyDown},       {Edit23, &TZPInfoForm::Edit23KeyDown},
        {Edit24, &TZPInfoForm::Edit24KeyDown},       {Edit25, &TZPInfoForm::Edit25KeyDown},
        {Edit26, &TZPInfoForm::Edit26KeyDown},       {Edit27, &TZPInfoForm::Edit27KeyDown},
        {Edit28, &TZPInfoForm::Edit28KeyDown},
    };
    for (const auto& [widget, handler] : enterHandlers_) {
        widget->installEventFilter(this);
    }
    StringGrid1->installEventFilter(this);

    connect(Memo1, &QPlainTextEdit::textChanged, this, &TZPInfoForm::Memo1Change);
    connect(Edit13, &QLineEdit::textChanged, this, &TZPInfoForm::Edit13Change);

    // Only what the user types or chooses; texts the program sets do not
    // come through these two signals. But the list also reports "activated"
    // when editing ends (Enter, Tab, the focus leaving) on a text that equals
    // one of its entries, which is no choice: the list does that in its own
    // slot on the line edit's editingFinished, and two slots of the form,
    // one connected before it and one after, mark that stretch.
    auto* nameEdit = new QLineEdit;
    connect(nameEdit, &QLineEdit::editingFinished, this, [this] { departmentEditingEnds_ = true; });
    ComboBox5->setLineEdit(nameEdit);
    connect(nameEdit, &QLineEdit::editingFinished, this,
            [this] { departmentEditingEnds_ = false; });
    ComboBox5->setCompleter(nullptr);
    LiftLengthLimit(nameEdit);
    connect(nameEdit, &QLineEdit::textEdited, this, &TZPInfoForm::ComboBox5Change);
    connect(ComboBox5, &QComboBox::activated, this, &TZPInfoForm::ComboBox5Change);
}

// ---- Events -----------------------------------------------------------------------

void TZPInfoForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!opened_ && !event->spontaneous()) {
        opened_ = true;
        FormShow();
        if (focusOnOpen_ && isVisible()) {
            focusOnOpen_();
        }
    }
}

void TZPInfoForm::keyPressEvent(QKeyEvent* event) {
    // Escape does not throw away what has been typed; the editor closes only
    // by its buttons or its close box.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TZPInfoForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (watched == StringGrid1) {
            StringGrid1KeyDown(key->key(), key->modifiers());
        } else {
            for (const auto& [widget, handler] : enterHandlers_) {
                if (widget == watched) {
                    (this->*handler)(key->key(), key->modifiers());
                    break;
                }
            }
        }
    }
    // The key goes on to the field as well.
    return QDialog::eventFilter(watched, event);
}

// ---- Opening ----------------------------------------------------------------------

void TZPInfoForm::FormShow() {
    SeedRandomFromClock();

    QStringList headings;
    for (std::size_t c = 0; c < kMemberCellCount; ++c) {
        headings << MemberColumnHeading(c);
        StringGrid1->setColumnWidth(static_cast<int>(c), kMemberColumnWidths[c]);
    }
    StringGrid1->setHorizontalHeaderLabels(headings);

    const std::pair<QComboBox*, const std::string*> optionLists[] = {
        {ComboBox1, &CodeSection::PlanCategory},       {ComboBox2, &CodeSection::ProjectField},
        {ComboBox3, &CodeSection::ExpectedResultForm}, {ComboBox4, &CodeSection::ProjectSource},
        {ComboBox6, &CodeSection::ProjectLocation},    {ComboBox7, &CodeSection::UnitNature},
        {ComboBox8, &CodeSection::RegistrationType},
    };
    // A failure leaves the lists as far as they were filled; the project
    // itself can still be read and edited.
    bool codeTableFound = true;
    RunGuarded(this, [&] {
        codeTableFound = FillDepartmentList();
        for (std::size_t i = 0; codeTableFound && i < std::size(optionLists); ++i) {
            codeTableFound = FillOptionList(optionLists[i].first, *optionLists[i].second);
        }
    });
    if (!codeTableFound) {
        EndForMissingCodeTable();
        return;
    }

    PageControl1->setCurrentIndex(0);
    Edit1->setFocus();
    if (Label2->text() == EditorModeTexts(EditorMode::Modify).first) {
        LoadRecord();
    }
    if (Label4->text() == EditorModeTexts(EditorMode::View).second) {
        EnterViewMode();
    }
}

bool TZPInfoForm::FillDepartmentList() {
    std::optional<std::vector<std::string>> entries =
        ReadCodeSection(dataDir_, CodeSection::Department);
    if (!entries) {
        return false;
    }
    departmentTable_ = std::move(*entries);
    ComboBox5->clear();
    ComboBox5->addItems(SortedDepartmentNames(departmentTable_));
    ComboBox5->setCurrentIndex(-1);
    FitDropDownList(ComboBox5);
    return true;
}

bool TZPInfoForm::FillOptionList(QComboBox* list, const std::string& sectionName) {
    std::optional<std::vector<std::string>> entries = ReadCodeSection(dataDir_, sectionName);
    if (!entries) {
        return false;
    }
    list->clear();
    for (const std::string& entry : *entries) {
        list->addItem(FromGbk(entry));
    }
    // Filling a list chooses nothing: the field stays empty.
    list->setCurrentIndex(-1);
    FitDropDownList(list);
    return true;
}

void TZPInfoForm::EndForMissingCodeTable() {
    SetSavingEnabled(false);
    ShowMessage(this, QStringLiteral("未找到系统编码表文件”_SysCode.ZZJ“，系统可能无法正常运行。"));
    QCoreApplication::exit(1);
    // Closed from the event loop, so that a modal run of the editor ends too.
    QMetaObject::invokeMethod(this, &QDialog::reject, Qt::QueuedConnection);
}

void TZPInfoForm::LoadRecord() {
    const std::string id = ToGbk(Edit29->text());
    const auto fileName = [this, &id](std::string_view extension) {
        std::optional<std::filesystem::path> path = ProjectFilePath(dataDir_, id, extension);
        return FromPath(path ? *path : dataDir_ / (id + std::string(extension)));
    };
    ProjectReadResult result;
    if (!RunGuarded(this, [&] { result = ReadProjectRecord(dataDir_, id); })) {
        // The fields do not hold the stored project; a save would replace it
        // with whatever they hold.
        SetSavingEnabled(false);
        return;
    }
    switch (result.status) {
        case ProjectReadStatus::MainFileMissing:
            ShowMessage(this, QStringLiteral("错误号405   未找到数据文件“") +
                                  fileName(kMainFileExtension) + QStringLiteral("”"));
            break;
        case ProjectReadStatus::MemberFileMissing:
            ShowRecord(result.record, false);
            ShowMessage(this, QStringLiteral("错误号406   未找到数据文件“") +
                                  fileName(kMemberFileExtension) + QStringLiteral("”"));
            SetSavingEnabled(false);
            break;
        case ProjectReadStatus::Complete:
            ShowRecord(result.record, true);
            break;
    }
}

void TZPInfoForm::ShowRecord(const TProjectRecord& record, bool withMembers) {
    for (std::size_t f = 0; f < kFieldCount; ++f) {
        const std::string& stored = record.Fields[f];
        storedRecord_.Fields[f] = stored;
        if (f == Field::ResearchContent) {
            // An empty content leaves the counter at its first text.
            if (!stored.empty()) {
                ShowResearchContent(stored);
            }
        } else {
            shownFields_[f] = FromGbk(stored);
            SetFieldText(f, shownFields_[f]);
        }
    }
    if (!withMembers) {
        return;
    }
    storedRecord_.Members = record.Members;
    for (std::size_t r = 0; r < kMemberRowCount; ++r) {
        for (std::size_t c = 0; c < kMemberCellCount; ++c) {
            shownMembers_[r][c] = FromGbk(record.Members[r].Cells[c]);
            StringGrid1->item(static_cast<int>(r), static_cast<int>(c))
                ->setText(shownMembers_[r][c]);
        }
    }
}

void TZPInfoForm::ShowResearchContent(std::string_view stored) {
    const std::vector<ContentLine> lines = SplitResearchContent(stored);
    Memo1->setPlainText(ShownResearchContent(stored));
    QTextBlock block = Memo1->document()->begin();
    for (const ContentLine& line : lines) {
        if (!block.isValid()) {
            break;
        }
        block.setUserData(new StoredContentLine(line));
        block = block.next();
    }
    // Counted again with the line breaks as they are stored.
    Memo1Change();
}

std::string TZPInfoForm::ResearchContentBytes() const {
    std::string content;
    const QTextDocument* document = Memo1->document();
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        const auto* stored = dynamic_cast<const StoredContentLine*>(block.userData());
        const QString text = block.text();
        if (block != document->begin()) {
            content += stored != nullptr ? stored->line.breakBefore : std::string(kCrLf);
        }
        content += stored != nullptr ? KeptOrTyped(text, stored->line.shown, stored->line.stored)
                                     : StoredResearchContent(text);
    }
    return content;
}

void TZPInfoForm::EnterViewMode() {
    SetSavingEnabled(false);
    for (QWidget* control : fieldControls_) {
        if (auto* edit = qobject_cast<QLineEdit*>(control)) {
            edit->setReadOnly(true);
        }
    }
    Memo1->setReadOnly(true);
    StringGrid1->CloseOpenEditor();
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
}

void TZPInfoForm::SetSavingEnabled(bool enabled) {
    BitBtn8->setEnabled(enabled);
    BitBtn10->setEnabled(enabled);
}

// ---- The record in the controls ---------------------------------------------------

QString TZPInfoForm::FieldText(std::size_t field) const {
    QWidget* control = fieldControls_.at(field);
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        return edit->text();
    }
    if (auto* combo = qobject_cast<QComboBox*>(control)) {
        return combo->currentText();
    }
    if (auto* memo = qobject_cast<QPlainTextEdit*>(control)) {
        return memo->toPlainText();
    }
    return QString();
}

void TZPInfoForm::SetFieldText(std::size_t field, const QString& text) {
    QWidget* control = fieldControls_.at(field);
    if (control == ComboBox5) {
        SetDepartmentName(text);
    } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        edit->setText(text);
    } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
        combo->setEditText(text);
    } else if (auto* memo = qobject_cast<QPlainTextEdit*>(control)) {
        memo->setPlainText(text);
    }
}

TProjectRecord TZPInfoForm::RecordFromControls() const {
    TProjectRecord record;
    for (std::size_t f = 0; f < kFieldCount; ++f) {
        record.Fields[f] = f == Field::ResearchContent ? ResearchContentBytes()
                                                       : KeptOrTyped(FieldText(f), shownFields_[f],
                                                                     storedRecord_.Fields[f]);
    }
    for (std::size_t r = 0; r < kMemberRowCount; ++r) {
        for (std::size_t c = 0; c < kMemberCellCount; ++c) {
            const QTableWidgetItem* item =
                StringGrid1->item(static_cast<int>(r), static_cast<int>(c));
            record.Members[r].Cells[c] =
                KeptOrTyped(item != nullptr ? item->text() : QString(), shownMembers_[r][c],
                            storedRecord_.Members[r].Cells[c]);
        }
    }
    return record;
}

// ---- Saving -----------------------------------------------------------------------

bool TZPInfoForm::Save() {
    StringGrid1->CommitOpenEditor();
    const TProjectRecord record = RecordFromControls();
    // Only what the user has changed is checked: a text kept as it was
    // stored is written back as it was.
    TProjectRecord changed = record;
    for (std::size_t f = 0; f < kFieldCount; ++f) {
        if (changed.Fields[f] == storedRecord_.Fields[f]) {
            changed.Fields[f].clear();
        }
    }
    for (std::size_t r = 0; r < kMemberRowCount; ++r) {
        for (std::size_t c = 0; c < kMemberCellCount; ++c) {
            if (changed.Members[r].Cells[c] == storedRecord_.Members[r].Cells[c]) {
                changed.Members[r].Cells[c].clear();
            }
        }
    }
    if (std::optional<RecordTextViolation> violation = FindRecordTextViolation(changed)) {
        ShowMessage(this, ViolationMessage(*violation));
        return false;
    }
    return RunGuarded(this, [&] { WriteProjectRecord(dataDir_, ToGbk(Edit29->text()), record); });
}

void TZPInfoForm::BitBtn8Click() {
    if (Save()) {
        ShowMessage(this, QStringLiteral("名称为“") + Edit1->text() +
                              QStringLiteral("”的项目基本信息已成功存盘！"));
    }
}

void TZPInfoForm::BitBtn10Click() {
    if (Save()) {
        accept();
    }
}

void TZPInfoForm::BitBtn1Click() {
    reject();
}

// ---- Enter chains -------------------------------------------------------------------

void TZPInfoForm::FocusOnEnter(int key, QWidget* next) {
    if (IsEnter(key)) {
        next->setFocus(Qt::TabFocusReason);
    }
}

void TZPInfoForm::Edit1KeyDown(int key, Qt::KeyboardModifiers) {
    FocusOnEnter(key, ComboBox1);
}
void TZPInfoForm::ComboBox1KeyDown(int key, Qt::KeyboardModifiers) {
    FocusOnEnter(key, Edit2);
}
void TZPInfoForm::Edit2KeyDown(int key, Qt::KeyboardModifiers) {
    FocusOnEnter(key, ComboBox2);
}
void TZPInfoForm::ComboBox2KeyDown(int key, Qt::KeyboardModifiers) {
    FocusOnEnter(key, Edit3);
}
void TZPInfoForm::Edit3KeyDown(int key, Qt::KeyboardModifiers) {
    FocusOnEnter(key, ComboBox3);
}
void TZPInfoForm::ComboBox3KeyDown(int key, Qt::KeyboardModifiers) {
    FocusOnEnter(key, ComboBox4);
}
void TZPInfoForm::ComboBox4KeyDown(int key, Qt::KeyboardModifiers) {
    FocusOnEnter(key, Edit4);
}
void TZPInfoForm::Edit4KeyDown(int key, Qt::KeyboardModifiers) {
    FocusOnEnter(key, Edit5);
}
void TZPInfoForm::Edit5KeyDown(int key, Qt::KeyboardModifiers) {
    FocusOnEnter(key, Edit6);
}
void TZPInfoForm::Edit6KeyDown(int key, Qt::KeyboardModifiers) {
    FocusOnEnter(key, Edit7);
}
void TZPInfoForm::Edit7KeyDown(int key, Qt::KeyboardModifiers) {
    FocusOnEnter(key, Edit8);
}
void TZPInfoForm::Edit8KeyDown(int key, Qt::KeyboardModifiers) {
    FocusOnEnter(key, Edit9);
}
void TZPInfoForm::Edit9KeyDown(int key, Qt::KeyboardModifiers) {
    FocusOnEnter(key, Edit10);
}
void TZPInfoForm::Edit10KeyDown(int key, Qt::KeyboardModifiers) {
    FocusOnEnter(key, Edit11);
}
void TZPInfoForm::Edit11KeyDown(int key, Qt::KeyboardModifiers) {
    FocusOnEnter(key, Edit12);
}
// Past the department code: the code follows from the name.
void TZPInfoForm::Edit12KeyDown(int key, Qt::KeyboardModifiers) {
    FocusOnEnter(key, ComboBox5);
}
void TZPInfoForm::ComboBox5KeyDown(int key, Qt::KeyboardModifiers) {
    FocusOnEnter(key, ComboBox6);
}
void TZPInfoForm::ComboBox6KeyDown(int key, Qt::KeyboardModifiers) {
    FocusOnEnter(key, Edit1);
}

void TZPInfoForm::Edit14KeyDown(int key, Qt::KeyboardModifiers) {
    FocusOnEnter(key, ComboBox7);
}
void TZPInfoForm::ComboBox7KeyDown(int key, Qt::KeyboardModifiers) {
    FocusOnEnter(key, Edit15);
}
void TZPInfoForm::Edit15KeyDown(int key, Qt::KeyboardModifiers) {
    FocusOnEnter(key, ComboBox8);
}
void TZPInfoForm::ComboBox8KeyDown(int key, Qt::KeyboardModifiers) {
    FocusOnEnter(key, Edit16);
}
void TZPInfoForm::Edit16KeyDown(int key, Qt::KeyboardModifiers) {
    FocusOnEnter(key, Edit17);
}
void TZPInfoForm::Edit17KeyDown(int key, Qt::KeyboardModifiers) {
    FocusOnEnter(key, Edit18);
}
void TZPInfoForm::Edit18KeyDown(int key, Qt::KeyboardModifiers) {
    FocusOnEnter(key, Edit19);
}
void TZPInfoForm::Edit19KeyDown(int key, Qt::KeyboardModifiers) {
    FocusOnEnter(key, Edit20);
}
void TZPInfoForm::Edit20KeyDown(int key, Qt::KeyboardModifiers) {
    FocusOnEnter(key, Edit21);
}
void TZPInfoForm::Edit21KeyDown(int key, Qt::KeyboardModifiers) {
    FocusOnEnter(key, Edit22);
}
void TZPInfoForm::Edit22KeyDown(int key, Qt::KeyboardModifiers) {
    FocusOnEnter(key, Edit23);
}
void TZPInfoForm::Edit23KeyDown(int key, Qt::KeyboardModifiers) {
    FocusOnEnter(key, Edit24);
}
void TZPInfoForm::Edit24KeyDown(int key, Qt::KeyboardModifiers) {
    FocusOnEnter(key, Edit25);
}
void TZPInfoForm::Edit25KeyDown(int key, Qt::KeyboardModifiers) {
    FocusOnEnter(key, Edit26);
}
void TZPInfoForm::Edit26KeyDown(int key, Qt::KeyboardModifiers) {
    FocusOnEnter(key, Edit27);
}
void TZPInfoForm::Edit27KeyDown(int key, Qt::KeyboardModifiers) {
    FocusOnEnter(key, Edit28);
}
void TZPInfoForm::Edit28KeyDown(int key, Qt::KeyboardModifiers) {
    FocusOnEnter(key, Edit14);
}

void TZPInfoForm::StringGrid1KeyDown(int key, Qt::KeyboardModifiers) {
    if (!IsEnter(key)) {
        return;
    }
    const QModelIndex current = StringGrid1->currentIndex();
    if (!current.isValid()) {
        return;
    }
    StringGrid1->setCurrentCell(current.row(), NextMemberColumn(current.column()));
}

// ---- Counter and department rules ---------------------------------------------------

void TZPInfoForm::Memo1Change() {
    const ContentCounter counter = CountResearchContent(ResearchContentBytes().size());
    Panel6->setText(counter.text);
    SetColour(Panel6, QPalette::WindowText, counter.color);
}

void TZPInfoForm::Edit13Change() {
    std::optional<std::string> name =
        FindDepartmentNameForCode(departmentTable_, ToGbk(Edit13->text()));
    if (name && *name != ToGbk(ComboBox5->currentText())) {
        SetDepartmentName(FromGbk(*name));
    }
}

void TZPInfoForm::ComboBox5Change() {
    if (settingDepartmentName_ || departmentEditingEnds_) {
        return;
    }
    std::optional<std::string> code =
        FindDepartmentCodeForName(departmentTable_, ToGbk(ComboBox5->currentText()));
    if (code && *code != ToGbk(Edit13->text())) {
        Edit13->setText(FromGbk(*code));
    }
}

void TZPInfoForm::SetDepartmentName(const QString& name) {
    settingDepartmentName_ = true;
    ComboBox5->setEditText(name);
    settingDepartmentName_ = false;
}

}  // namespace shenbao
