#include "editor/zpinfo.h"

#include <QApplication>
#include <QComboBox>
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
#include <span>

#include "editor/member_grid.h"
#include "editor/zpinfo_rules.h"
#include "gui/app_icon.h"
#include "gui/fonts.h"
#include "gui/look.h"
#include "gui/text.h"
#include "gui/window.h"

namespace shenbao {

namespace {

constexpr int kClientWidth = 614;
constexpr int kClientHeight = 425;
constexpr int kTopPanelHeight = 35;
constexpr int kFieldHeight = 21;
constexpr int kGridRowHeight = 20;

// ---- The placement tables of the first two tabs ------------------------------------

// A field of a tab page with its caption. Places are left, top and width in
// pixels from the page's corner; `lines` is what a drop-down list shows
// dropped down (kText for a text field); a caption is wrapped into lines
// `captionWrap` pixels wide, or stands on one line when that is 0.
struct FieldPlace {
    const char* name;
    std::size_t field;
    int left, top, width;
    int lines;
    const char* caption;  // nullptr: the field shares the caption before it
    int captionLeft = 0, captionTop = 0, captionWrap = 0;
};

constexpr int kText = 0;
constexpr int kList = 8;

// A format hint beside a field.
struct HintPlace {
    const char* text;
    int left, top, wrap;
};

// A tab page of fields: sunken frames around its rows, a caption down its
// left edge, the fields in tab order, and the format hints.
struct FieldPage {
    const char* name;
    const char* title;
    std::span<const QRect> frames;
    const char* sideCaption;
    QRect sideCaptionPlace;
    std::span<const FieldPlace> fields;
    std::span<const HintPlace> hints;
};

constexpr QRect kProjectFrames[] = {{44, 26, 548, 38},  {44, 64, 548, 66},  {44, 130, 548, 40},
                                    {44, 170, 548, 40}, {44, 210, 548, 74}, {44, 284, 548, 38}};

constexpr FieldPlace kProjectFields[] = {
    {"Edit1", Field::ProjectName, 128, 34, 447, kText, "项目名称", 52, 40},
    {"ComboBox1", Field::PlanCategory, 128, 70, 145, 10, "计划类别", 52, 72},
    {"Edit2", Field::ProjectPeriod, 372, 70, 113, kText, "起止时间", 300, 72},
    {"ComboBox2", Field::ProjectField, 128, 100, 145, kList, "项目领域", 52, 104},
    {"Edit3", Field::ApplicationDate, 372, 100, 81, kText, "申报日期", 300, 104},
    {"ComboBox3", Field::ExpectedResultForm, 128, 140, 145, kList, "预期成果主要形式", 52, 136, 56},
    {"ComboBox4", Field::ProjectSource, 372, 140, 138, 9, "项目来源", 300, 144},
    {"Edit4", Field::Applicant, 128, 176, 91, kText, "项    目申 请 人", 52, 176, 56},
    {"Edit5", Field::ApplicantPhone, 424, 176, 138, kText, "项目申请人联系电话", 280, 184},
    {"Edit6", Field::FundsTotal, 50, 254, 57, kText, "申请经费（万元）", 52, 216, 56},
    {"Edit7", Field::FundsNational, 128, 254, 57, kText, "国家拨款", 128, 224},
    {"Edit8", Field::FundsProvincial, 202, 254, 57, kText, "省拨款", 208, 224},
    {"Edit9", Field::FundsMatching, 278, 254, 57, kText, " 部门或 地方匹配", 280, 216, 56},
    {"Edit10", Field::FundsLoan, 358, 254, 57, kText, "贷款", 372, 224},
    {"Edit11", Field::FundsSelfRaised, 434, 254, 57, kText, "单位自筹", 436, 224},
    {"Edit12", Field::FundsOther, 516, 254, 57, kText, "其他", 532, 224},
    {"Edit13", Field::DepartmentCode, 128, 291, 35, kText, "主管部门", 52, 296},
    {"ComboBox5", Field::DepartmentName, 174, 292, 115, kList, nullptr},
    {"ComboBox6", Field::ProjectLocation, 436, 292, 123, kList, "项目所在地", 340, 296},
    {"Edit30", Field::SerialNumber, 42, 6, 51, kText, "序号", 14, 10},
};

constexpr HintPlace kProjectHints[] = {{"格式:2001.04-2003.10", 488, 68, 112},
                                       {"格式：2001-07-16", 484, 104, 0}};

constexpr FieldPage kProjectPage = {
    "TabSheet1",       "项目概况",     kProjectFrames, "项         目          概        况",
    {12, 44, 24, 272}, kProjectFields, kProjectHints};

constexpr QRect kUnitFrames[] = {{50, 24, 536, 34},  {50, 58, 536, 70},  {50, 128, 536, 36},
                                 {50, 164, 536, 42}, {50, 206, 536, 40}, {50, 246, 536, 42},
                                 {50, 288, 536, 36}};

constexpr FieldPlace kUnitFields[] = {
    {"Edit14", Field::UnitName, 130, 32, 439, kText, "单位名称", 58, 32},
    {"ComboBox7", Field::UnitNature, 130, 62, 145, kList, "单位性质", 58, 62},
    {"Edit15", Field::UnitHead, 474, 60, 93, kText, "单位负责人", 344, 64},
    {"ComboBox8", Field::RegistrationType, 130, 98, 145, 10, "企业登记注册类型", 58, 90, 56},
    {"Edit16", Field::UnitHeadPhone, 474, 100, 95, kText, "负责人电话", 344, 100},
    {"Edit17", Field::UnitAddress, 130, 136, 257, kText, "地    址", 58, 140},
    {"Edit18", Field::PostCode, 474, 136, 97, kText, "邮编", 410, 140},
    {"Edit19", Field::ContactPerson, 130, 172, 57, kText, "单    位联 系 人", 58, 168, 56},
    {"Edit20", Field::ContactPhone, 284, 172, 97, kText, "联 系 人电    话", 206, 168, 56},
    {"Edit21", Field::Fax, 474, 172, 99, kText, "传真", 410, 176},
    {"Edit22", Field::Email, 132, 214, 191, kText, " E-Mail    地址", 58, 210, 56},
    {"Edit23", Field::WebSite, 406, 214, 173, kText, "单位网址", 348, 210},
    {"Edit24", Field::StaffTotal, 132, 256, 67, kText, "职工总数", 58, 260},
    {"Edit25", Field::TechStaff, 318, 256, 67, kText, "技术人员数", 220, 260},
    {"Edit26", Field::SeniorTechStaff, 510, 256, 67, kText, "中高级技术人员数", 416, 250, 66},
    {"Edit27", Field::Bank, 130, 298, 193, kText, "开户银行", 58, 302},
    {"Edit28", Field::BankAccount, 406, 298, 171, kText, "银行帐号", 346, 294},
};

constexpr FieldPage kUnitPage = {
    "TabSheet2",       "单位概况",  kUnitFrames, "单            位            概            况",
    {16, 30, 24, 290}, kUnitFields, {}};

// ---- Building -----------------------------------------------------------------------

// A text field, or an editable drop-down list whose text typed or chosen is
// the field's value; typed text is never added to the list nor completed
// from it.
QWidget* MakeField(QWidget* page, const FieldPlace& place) {
    QWidget* field = nullptr;
    if (place.lines == kText) {
        auto* edit = new QLineEdit(page);
        LiftLengthLimit(edit);
        field = edit;
    } else {
        auto* combo = new QComboBox(page);
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setCompleter(nullptr);
        LiftLengthLimit(combo->lineEdit());
        combo->setMaxVisibleItems(place.lines);
        field = combo;
    }
    field->setObjectName(QString::fromLatin1(place.name));
    field->setGeometry(place.left, place.top, place.width, kFieldHeight);
    return field;
}

// A field caption (teal, 13 pixels high) or a format hint (olive).
enum class LabelKind { Caption, Hint };

QLabel* MakeLabel(QWidget* page, LabelKind kind, const char* text, int left, int top, int wrap) {
    auto* label = new QLabel(QString::fromUtf8(text), page);
    label->setTextFormat(Qt::PlainText);
    if (kind == LabelKind::Caption) {
        label->setFont(SongPixelFont(13));
    }
    SetColour(label, QPalette::WindowText, kind == LabelKind::Caption ? kTeal : kOlive);
    if (wrap > 0) {
        label->setWordWrap(true);
        label->setGeometry(left, top, wrap, label->heightForWidth(wrap));
    } else {
        label->adjustSize();
        label->move(left, top);
    }
    return label;
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

// Adds the page `page` to `tabs` and puts the control of each of its fields
// into `controls`.
void BuildFieldPage(QTabWidget* tabs, const FieldPage& page,
                    std::array<QWidget*, kFieldCount>& controls) {
    auto* sheet = new QWidget;
    sheet->setObjectName(QString::fromLatin1(page.name));
    tabs->addTab(sheet, QString::fromUtf8(page.title));
    for (const QRect& place : page.frames) {
        auto* frame = new QFrame(sheet);
        frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
        frame->setGeometry(place);
        frame->lower();
    }
    (new VerticalCaption(QString::fromUtf8(page.sideCaption), sheet))
        ->setGeometry(page.sideCaptionPlace);

    QWidget* previous = nullptr;
    for (const FieldPlace& place : page.fields) {
        if (place.caption != nullptr) {
            MakeLabel(sheet, LabelKind::Caption, place.caption, place.captionLeft, place.captionTop,
                      place.captionWrap);
        }
        QWidget* field = MakeField(sheet, place);
        controls.at(place.field) = field;
        if (previous != nullptr) {
            QWidget::setTabOrder(previous, field);
        }
        previous = field;
    }
    for (const HintPlace& hint : page.hints) {
        MakeLabel(sheet, LabelKind::Hint, hint.text, hint.left, hint.top, hint.wrap);
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
            if (IsEnterKey(key->key())) {
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

// The record state ("new"/"old") and the access mode ("edit"/"read") that
// the hidden markers show for `mode`.
std::pair<QString, QString> EditorModeTexts(EditorMode mode) {
    const QString state = mode == EditorMode::Add ? QStringLiteral("new") : QStringLiteral("old");
    const QString access =
        mode == EditorMode::View ? QStringLiteral("read") : QStringLiteral("edit");
    return {state, access};
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
    BuildFieldPage(PageControl1, kProjectPage, fieldControls_);
    BuildFieldPage(PageControl1, kUnitPage, fieldControls_);
    BuildMemberPage();
    BuildContentPage();
    fieldControls_[Field::ResearchContent] = Memo1;
    Edit13 = qobject_cast<QLineEdit*>(fieldControls_[Field::DepartmentCode]);
    ComboBox5 = qobject_cast<QComboBox*>(fieldControls_[Field::DepartmentName]);
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

void TZPInfoForm::Prepare(std::string id, EditorMode mode) {
    id_ = std::move(id);
    mode_ = mode;
    const auto [state, access] = EditorModeTexts(mode_);
    Edit29->setText(FromGbk(id_));
    Label2->setText(state);
    Label4->setText(access);
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
        PageControl1->setCurrentWidget(StringGrid1->parentWidget());
        StringGrid1->setFocus(Qt::OtherFocusReason);
        StringGrid1->setCurrentCell(static_cast<int>(row) - 1, static_cast<int>(cell));
    };
}

// ---- The top panel and the last two tabs ------------------------------------------

void TZPInfoForm::BuildTopPanel() {
    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setGeometry(0, 0, kClientWidth, kTopPanelHeight);

    auto* caption = new QLabel(QStringLiteral("项目ID号"), panel);
    caption->setObjectName(QStringLiteral("Label1"));
    caption->adjustSize();
    caption->move(10, 11);

    Edit29 = new QLineEdit(QStringLiteral("XXXXXXXX"), panel);
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
                              QStringLiteral("存盘"), panel);
    BitBtn8->setObjectName(QStringLiteral("BitBtn8"));
    BitBtn8->setGeometry(318, 5, 84, 25);
    BitBtn8->setToolTip(QStringLiteral("保存当前所有的项目信息"));
    // Red while it can be used; disabled (view mode), it looks disabled.
    SetColour(BitBtn8, QPalette::ButtonText, kRed);

    BitBtn10 = new QPushButton(style->standardIcon(QStyle::SP_DialogApplyButton),
                               QStringLiteral("存盘并关闭"), panel);
    BitBtn10->setObjectName(QStringLiteral("BitBtn10"));
    BitBtn10->setGeometry(408, 5, 98, 25);

    BitBtn1 = new QPushButton(style->standardIcon(QStyle::SP_DialogCancelButton),
                              QStringLiteral("放弃并关闭"), panel);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(512, 5, 98, 25);

    BitBtnApplicationForm = new QPushButton(QStringLiteral("打印申报表"), panel);
    BitBtnApplicationForm->setObjectName(QStringLiteral("BitBtnApplicationForm"));
    BitBtnApplicationForm->setGeometry(212, 5, 100, 25);

    // Enter belongs to the fields, never to a button of the dialog.
    for (QPushButton* button : {BitBtn8, BitBtn10, BitBtn1, BitBtnApplicationForm}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    connect(BitBtn8, &QPushButton::clicked, this, &TZPInfoForm::BitBtn8Click);
    connect(BitBtn10, &QPushButton::clicked, this, &TZPInfoForm::BitBtn10Click);
    connect(BitBtn1, &QPushButton::clicked, this, &TZPInfoForm::BitBtn1Click);
    connect(BitBtnApplicationForm, &QPushButton::clicked, this,
            &TZPInfoForm::BitBtnApplicationFormClick);

    const auto [state, access] = EditorModeTexts(EditorMode::Add);
    Label2 = new QLabel(state, panel);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->hide();
    Label4 = new QLabel(access, panel);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->hide();
}

void TZPInfoForm::BuildMemberPage() {
    auto* page = new QWidget;
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
    auto* page = new QWidget;
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
    // Escape never throws away what has been typed without asking.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        EscapeKeyDown();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace shenbao
