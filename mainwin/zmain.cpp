#include "mainwin/zmain.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>
#include <algorithm>
#include <span>

#include "gui/app_icon.h"
#include "gui/dialogs.h"
#include "gui/fonts.h"
#include "gui/look.h"
#include "gui/text.h"
#include "gui/window.h"
#include "mainwin/first.h"
#include "mainwin/guide.h"
#include "mainwin/list_model.h"
#include "platform/io_error.h"
#include "platform/platform.h"
#include "store/journal.h"
#include "store/index_file.h"
#include "store/project_id.h"

namespace shenbao {

namespace {

constexpr QStyle::StandardPixmap kNoIcon = QStyle::SP_CustomBase;

// An entry of the menu bar; one without a name is a separator line. The
// icon is one of the style's pictures, or kNoIcon.
struct MenuEntry {
    const char* name = nullptr;
    const char* text = nullptr;
    void (TZMainForm::*command)() = nullptr;
    QStyle::StandardPixmap icon = kNoIcon;
};

// An entry of the query menu: it opens the query panel for one list column.
struct QueryEntry {
    const char* name;
    const char* text;
    ListColumn column;
    const char* prompt;
};

// A menu of the menu bar: command entries, or query entries.
struct Menu {
    const char* name;
    const char* text;
    std::span<const MenuEntry> entries;
    std::span<const QueryEntry> queries = {};
};

constexpr MenuEntry kDataMenu[] = {
    {"NCheck", "检查项目(&C)", &TZMainForm::NCheckClick},
    {},
    {"N7", "导出所显数据到设定的路径(&1)", &TZMainForm::N7Click, QStyle::SP_ArrowRight},
    {"N31", "导出全部数据到设定的路径(&2)", &TZMainForm::N31Click, QStyle::SP_ArrowRight},
    {},
    {"N32", "导出所显数据到软盘(&3)", &TZMainForm::N32Click, QStyle::SP_DriveFDIcon},
    {"N41", "导出全部数据到软盘(&4)", &TZMainForm::N41Click, QStyle::SP_DriveFDIcon},
    {},
    {"N8", "从设定路径引入数据(&5)", &TZMainForm::N8Click, QStyle::SP_ArrowLeft},
    {"N61", "从软盘引入数据(&6)", &TZMainForm::N61Click, QStyle::SP_DriveFDIcon},
    {},
    {"N9", "退出系统(&4)", &TZMainForm::N9Click},
};

constexpr QueryEntry kQueryMenu[] = {
    {"N12", "按项目名称查询(&1)", ListColumn::ProjectName, "请输入您要查询的项目名称（支持模糊查询）"},
    {"N13", "按项目申请人查询(&2)", ListColumn::Applicant,
     "请输入您要查询的项目申请人（支持模糊查询）"},
    {"N6", "按主管部门查询(&3)", ListColumn::DepartmentName,
     "请输入您要查询的主管部门（支持模糊查询）"},
    {"N14", "按计划类别查询(&4)", ListColumn::PlanCategory,
     "请输入您要查询的计划类别（支持模糊查询）"},
    {"N10", "按承担单位查询(&5)", ListColumn::UnitName, "请输入您要查询的单位名称（支持模糊查询）"},
    {"N27", "按项目领域查询(&6)", ListColumn::ProjectField, "请输入您要查询的项目领域"},
    {"N15", "按项目申报日期查询(&7)", ListColumn::ApplicationDate, "请输入您要查询的日期范围"},
    {"N71", "按省拨款经费查询(&8)", ListColumn::FundsProvincial, "请输入您要查询的金额范围"},
};

constexpr MenuEntry kReportMenu[] = {
    {"N11", "打印项目清单(&1)", &TZMainForm::N11Click},
    {"N16", "输出至文本文件(&2)", &TZMainForm::N16Click},
    {"NSummary", "汇总统计(&3)", &TZMainForm::NSummaryClick},
    {"NApplicationForm", "打印申报表(&4)", &TZMainForm::NApplicationFormClick},
    {"NApplicationFormAll", "打印全部显示项目的申报表(&5)", &TZMainForm::NApplicationFormAllClick},
};

constexpr MenuEntry kSettingsMenu[] = {
    {"N18", "设置数据导出路径(&1)", &TZMainForm::N18Click},
    {"N19", "设置数据引入路径(&2)", &TZMainForm::N19Click},
    {},
    {"N21", "清空数据库(&3)", &TZMainForm::N21Click},
};

constexpr MenuEntry kHelpMenu[] = {
    {"N17", "使用说明(&1)", &TZMainForm::N17Click},
    {},
    {"N20", "关于(&2)", &TZMainForm::N20Click},
};

// The menu bar, left to right: N1 to N5.
constexpr Menu kMenus[] = {{"N1", "数据(&1)", kDataMenu},
                           {"N2", "查询(&2)", {}, kQueryMenu},
                           {"N3", "报表(&3)", kReportMenu},
                           {"N4", "设置(&4)", kSettingsMenu},
                           {"N5", "帮助(&5)", kHelpMenu}};

// The list's cells: one that its column cuts shows its whole text as a tip
// when the mouse rests on it; one shown whole has none.
class ListCellDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override {
        if (event == nullptr || view == nullptr || event->type() != QEvent::ToolTip) {
            return QStyledItemDelegate::helpEvent(event, view, option, index);
        }
        const QString text = index.data(Qt::DisplayRole).toString();
        if (text.isEmpty() || !IsCut(text, view, option)) {
            QToolTip::hideText();
            return true;
        }
        QToolTip::showText(event->globalPos(), text, view->viewport(), option.rect);
        return true;
    }

  private:
    // Whether the cell shows less than `text`: the text with the margins the
    // cell keeps on either side is wider than its column.
    static bool IsCut(const QString& text, const QAbstractItemView* view,
                      const QStyleOptionViewItem& option) {
        const QStyle* style = view->style();
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1;
        const QFontMetrics metrics(option.font);
        return metrics.horizontalAdvance(text) + 2 * margin > option.rect.width();
    }
};

}  // namespace

TZMainForm::TZMainForm(const QString& dataDir, QWidget* parent) : QMainWindow(parent) {
    dataDir_ = dataDir.isEmpty() ? platform::DataDirectory() : ToPath(dataDir) / "";
    setObjectName(QStringLiteral("ZMainForm"));
    setWindowTitle(QStringLiteral("澄川省科技计划项目申报系统2001版"));
    setWindowIcon(AppIcon());
    setFont(SongPixelFont(12));

    BuildMenus();

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    BuildToolRow();
    layout->addWidget(Panel1);
    BuildListArea();
    layout->addWidget(ListArea, 1);
    setCentralWidget(central);

    auto* statusBar = new QStatusBar(this);
    statusBar->setObjectName(QStringLiteral("StatusBar1"));
    statusBar->setSizeGripEnabled(true);
    StatusText1 = new QLabel(statusBar);
    StatusText1->setObjectName(QStringLiteral("StatusText1"));
    statusBar->addWidget(StatusText1, 1);
    setStatusBar(statusBar);

    BuildQueryPanel();
    BuildProgressPanel();
    BuildShortcuts();

    resize(800, 524);
    CentreOnScreen(this);
}

TZMainForm::~TZMainForm() = default;

void TZMainForm::BuildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    QStyle* style = QApplication::style();
    QMenu** menus[] = {&N1, &N2, &N3, &N4, &N5};
    static_assert(std::size(menus) == std::size(kMenus));
    for (std::size_t m = 0; m < std::size(kMenus); ++m) {
        QMenu* menu = *menus[m] = bar->addMenu(QString::fromUtf8(kMenus[m].text));
        menu->setObjectName(QString::fromLatin1(kMenus[m].name));
        for (const MenuEntry& entry : kMenus[m].entries) {
            if (entry.name == nullptr) {
                menu->addSeparator();
                continue;
            }
            QAction* action = menu->addAction(QString::fromUtf8(entry.text));
            action->setObjectName(QString::fromLatin1(entry.name));
            if (entry.icon != kNoIcon) {
                action->setIcon(style->standardIcon(entry.icon));
            }
            connect(action, &QAction::triggered, this, entry.command);
        }
        for (const QueryEntry& entry : kMenus[m].queries) {
            QAction* action = menu->addAction(QString::fromUtf8(entry.text));
            action->setObjectName(QString::fromLatin1(entry.name));
            connect(action, &QAction::triggered, this,
                    [this, &entry] { OpenQuery(entry.column, entry.prompt); });
        }
    }
}

void TZMainForm::BuildToolRow() {
    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(34);
    auto* row = new QHBoxLayout(Panel1);
    row->setContentsMargins(4, 4, 4, 4);
    row->setSpacing(2);

    // Widths that fit every caption with its icon, and the whole row into an
    // 800-pixel screen.
    constexpr int kArrowWidth = 34;
    constexpr int kCommandWidth = 60;

    // A button that runs `command`.
    const auto makeButton = [this](const char* name, void (TZMainForm::*command)(),
                                   const QString& text, int width, const QString& hint = {}) {
        auto* button = new QPushButton(text, Panel1);
        button->setObjectName(QString::fromLatin1(name));
        button->setFixedSize(width, 26);
        button->setFocusPolicy(Qt::TabFocus);
        if (!hint.isEmpty()) {
            button->setToolTip(hint);
        }
        connect(button, &QPushButton::clicked, this, command);
        return button;
    };
    QPushButton* first = makeButton("BitBtn3", &TZMainForm::BitBtn3Click, QStringLiteral("|<<"), kArrowWidth,
                         QStringLiteral("第一个项目"));
    QPushButton* previous = makeButton("BitBtn5", &TZMainForm::BitBtn5Click, QStringLiteral("<<"), kArrowWidth,
                         QStringLiteral("前一个项目"));
    QPushButton* next = makeButton("BitBtn6", &TZMainForm::BitBtn6Click, QStringLiteral(">>"), kArrowWidth,
                         QStringLiteral("下一个项目"));
    QPushButton* last = makeButton("BitBtn4", &TZMainForm::BitBtn4Click, QStringLiteral(">>|"), kArrowWidth,
                         QStringLiteral("最后一个项目"));
    BitBtn1 = makeButton("BitBtn1", &TZMainForm::BitBtn1Click, QStringLiteral("添加"),
                         kCommandWidth, QStringLiteral("添加一个新项目"));
    BitBtn7 = makeButton("BitBtn7", &TZMainForm::BitBtn7Click, QStringLiteral("修改"),
                         kCommandWidth, QStringLiteral("编辑当前的一个项目的基本信息"));
    QPushButton* view =
        makeButton("BitBtn10", &TZMainForm::BitBtn10Click, QStringLiteral("查看"), kCommandWidth);
    BitBtn2 = makeButton("BitBtn2", &TZMainForm::BitBtn2Click, QStringLiteral("删除"),
                         kCommandWidth, QStringLiteral("删除当前的一个项目"));
    BitBtn9 = makeButton("BitBtn9", &TZMainForm::BitBtn9Click, QStringLiteral("刷新"),
                         kCommandWidth, QStringLiteral("重新从磁盘上读入项目信息"));
    BitBtn11 = makeButton("BitBtn11", &TZMainForm::BitBtn11Click, QStringLiteral("全部项目"), 66);
    BitBtn11->setEnabled(false);
    BitBtn8 =
        makeButton("BitBtn8", &TZMainForm::BitBtn8Click, QStringLiteral("退出"), kCommandWidth);

    QStyle* style = QApplication::style();
    BitBtn1->setIcon(style->standardIcon(QStyle::SP_FileDialogNewFolder));
    BitBtn7->setIcon(style->standardIcon(QStyle::SP_FileDialogDetailedView));
    view->setIcon(style->standardIcon(QStyle::SP_FileDialogContentsView));
    BitBtn2->setIcon(style->standardIcon(QStyle::SP_TrashIcon));
    BitBtn9->setIcon(style->standardIcon(QStyle::SP_BrowserReload));
    BitBtn8->setIcon(style->standardIcon(QStyle::SP_DialogCloseButton));

    auto* sortLabel = new QLabel(QStringLiteral("排序方式"), Panel1);
    sortLabel->setObjectName(QStringLiteral("Label1"));
    SetColour(sortLabel, QPalette::WindowText, kNavy);

    ComboBox1 = new QComboBox(Panel1);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->addItems({QStringLiteral("按项目ID号排序"), QStringLiteral("按项目序号排序"),
                         QStringLiteral("按项目名称排序"), QStringLiteral("按承担单位排序"),
                         QStringLiteral("按主管部门排序"), QStringLiteral("按计划类别排序"),
                         QStringLiteral("按项目申请人排序"), QStringLiteral("按省拨款经费排序"),
                         QStringLiteral("按项目领域排序")});
    ComboBox1->setCurrentIndex(-1);
    ComboBox1->setFixedWidth(130);
    ComboBox1->setMaxVisibleItems(9);
    FitDropDownList(ComboBox1);

    for (QPushButton* arrow : {first, previous, next, last}) {
        row->addWidget(arrow);
    }
    row->addSpacing(6);
    for (QPushButton* b : {BitBtn1, BitBtn7, view, BitBtn2, BitBtn9, BitBtn11}) {
        row->addWidget(b);
    }
    row->addSpacing(6);
    row->addWidget(sortLabel);
    row->addWidget(ComboBox1);
    row->addStretch(1);
    row->addWidget(BitBtn8);

    // Every choice sorts, also that of the key already shown.
    connect(ComboBox1, &QComboBox::activated, this, &TZMainForm::ComboBox1Change);
}

void TZMainForm::BuildListArea() {
    ListArea = new QWidget(this);
    ListArea->setObjectName(QStringLiteral("ListArea"));
    ListArea->installEventFilter(this);

    model_ = new ProjectListModel(this);
    StringGrid1 = new QTableView(ListArea);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setModel(model_);
    StringGrid1->setFont(SongPointFont(9));
    SetColour(StringGrid1, QPalette::Text, kNavy);
    StringGrid1->setShowGrid(true);
    StringGrid1->setWordWrap(false);
    StringGrid1->setTextElideMode(Qt::ElideNone);
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid1->setSelectionBehavior(QAbstractItemView::SelectItems);
    StringGrid1->setSelectionMode(QAbstractItemView::ContiguousSelection);
    StringGrid1->setTabKeyNavigation(true);
    StringGrid1->setCornerButtonEnabled(false);

    QHeaderView* columns = StringGrid1->horizontalHeader();
    columns->setFont(SongPointFont(9));
    columns->setSectionResizeMode(QHeaderView::Interactive);
    columns->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    columns->setHighlightSections(false);
    columns->setSectionsClickable(false);
    columns->setMinimumSectionSize(8);
    // No fixed column; row heights are dragged at the lines between rows.
    QHeaderView* rows = StringGrid1->verticalHeader();
    rows->setSectionResizeMode(QHeaderView::Interactive);
    rows->setMinimumSectionSize(6);
    rows->setDefaultSectionSize(18);
    ShowGridWithoutRowHeaders(StringGrid1);
    ApplyColumnWidths();
    StringGrid1->setItemDelegate(new ListCellDelegate(StringGrid1));
    StringGrid1->installEventFilter(this);

    connect(StringGrid1, &QTableView::clicked, this, &TZMainForm::StringGrid1Click);
    connect(StringGrid1, &QTableView::pressed, this, &TZMainForm::StringGrid1MouseDown);
    // Not "activated": styles that activate on a single click would open the
    // editor where the user only meant to choose a row.
    connect(StringGrid1, &QTableView::doubleClicked, this, &TZMainForm::StringGrid1DblClick);
    connect(StringGrid1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current, const QModelIndex& previous) {
                if (current.row() != previous.row()) {
                    ShowPosition();
                }
            });
}

void TZMainForm::ApplyColumnWidths() {
    for (int c = 0; c < kListColumnCount; ++c) {
        StringGrid1->setColumnWidth(c, kListColumnWidths[static_cast<std::size_t>(c)]);
    }
}

void TZMainForm::BuildShortcuts() {
    // As their menu entries: nothing while the menus are closed to the user
    // (an overlay panel is open).
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    help->setObjectName(QStringLiteral("HelpKey"));
    connect(help, &QShortcut::activated, this, [this] {
        if (N5->isEnabled()) {
            N17Click();
        }
    });
    // As the exit button, which asks before leaving.
    auto* quit = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), this);
    quit->setObjectName(QStringLiteral("QuitKey"));
    connect(quit, &QShortcut::activated, this, [this] { PressIfEnabled(BitBtn8); });
}

void TZMainForm::PressIfEnabled(QPushButton* button) {
    if (button->isEnabled()) {
        button->click();
    }
}

bool TZMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ListArea && event->type() == QEvent::Resize) {
        StringGrid1->setGeometry(ListArea->rect());
    }
    if (watched == StringGrid1 && event->type() == QEvent::KeyPress &&
        StringGrid1KeyDown(*static_cast<QKeyEvent*>(event))) {
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

bool TZMainForm::StringGrid1KeyDown(const QKeyEvent& key) {
    const Qt::KeyboardModifiers modifiers = key.modifiers() & ~Qt::KeypadModifier;
    if (modifiers != Qt::NoModifier) {
        return false;
    }
    switch (key.key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            PressIfEnabled(BitBtn7);
            return true;
        case Qt::Key_Delete:
            PressIfEnabled(BitBtn2);
            return true;
        default:
            return false;
    }
}

// ---- The list -------------------------------------------------------------------

int TZMainForm::projectCount() const {
    return model_->rowCount();
}

int TZMainForm::currentRow() const {
    if (model_->rowCount() == 0) {
        return 0;
    }
    QModelIndex current = StringGrid1->currentIndex();
    return current.isValid() ? current.row() + 1 : 1;
}

void TZMainForm::setCurrentRow(int r) {
    if (r < 1 || r > model_->rowCount()) {
        return;
    }
    QModelIndex current = StringGrid1->currentIndex();
    int column = current.isValid() ? current.column() : 0;
    QModelIndex target = model_->index(r - 1, column);
    StringGrid1->setCurrentIndex(target);
    StringGrid1->scrollTo(target);
    ShowPosition();
}

QString TZMainForm::statusText() const {
    return StatusText1->text();
}

void TZMainForm::ReplaceRows(std::vector<ListRow> rows) {
    QModelIndex current = StringGrid1->currentIndex();
    int row = current.isValid() ? current.row() : 0;
    int column = current.isValid() ? current.column() : 0;
    showPositionBlocked_ = true;
    model_->setRows(std::move(rows));
    const int n = model_->rowCount();
    if (n > 0) {
        StringGrid1->setCurrentIndex(model_->index(row < n ? row : n - 1, column));
    }
    showPositionBlocked_ = false;
}

void TZMainForm::ReloadList() {
    ApplyColumnWidths();
    std::vector<ListRow> rows;
    const auto show = [&] {
        const std::size_t n = rows.size();
        ReplaceRows(std::move(rows));
        StatusText1->setText(StatusText(n, n > 0 ? 1 : 0));
    };
    try {
        shenbao::ReloadList(dataDir_, rows, &damaged_);
    } catch (const IoError&) {
        // Rows filled until the failure keep their new contents; an index
        // that cannot be read leaves the list as it was. Either way the list
        // is not the store's: it must not be written back.
        listLoaded_ = false;
        if (!rows.empty()) {
            show();
        }
        throw;
    }
    listLoaded_ = true;
    show();
}

void TZMainForm::LoadProjectRow(const std::string& id, int r) {
    model_->setRow(r - 1, shenbao::LoadProjectRow(dataDir_, id, &damaged_));
}

void TZMainForm::ShowPosition() {
    if (showPositionBlocked_) {
        return;
    }
    StatusText1->setText(StatusText(static_cast<std::size_t>(projectCount()),
                                    static_cast<std::size_t>(currentRow())));
}

void TZMainForm::SortList(SortKey key) {
    shenbao::SortList(model_->mutableRows(), key);
    model_->rowsChangedInPlace();
}

bool TZMainForm::RunGuarded(const std::function<void()>& command) {
    const bool done = shenbao::RunGuarded(this, command);
    ReportDamagedEntries();
    return done;
}

void TZMainForm::ReportDamagedEntries() {
    if (damaged_.empty()) {
        return;
    }
    // The same entry met by two reloads of one command is named once.
    std::vector<DamagedEntry> entries;
    for (DamagedEntry& entry : damaged_) {
        const bool seen = std::any_of(entries.begin(), entries.end(),
                                      [&](const DamagedEntry& e) { return e.id == entry.id; });
        if (!seen) {
            entries.push_back(std::move(entry));
        }
    }
    damaged_.clear();
    constexpr std::size_t kNamed = 10;
    QString text = QStringLiteral("以下项目的数据文件不能读取，列表中只显示其ID号：");
    for (std::size_t i = 0; i < entries.size() && i < kNamed; ++i) {
        text += QStringLiteral("\n%1（%2）")
                    .arg(ShortenedText(FromGbk(entries[i].id), 60),
                         IoErrorReason(entries[i].error));
    }
    if (entries.size() > kNamed) {
        text += QStringLiteral("\n……共%1个项目").arg(entries.size());
    }
    ShowMessage(this, text);
}

void TZMainForm::StringGrid1Click() {
    ShowPosition();
}
void TZMainForm::StringGrid1MouseDown() {
    ShowPosition();
}

void TZMainForm::StringGrid1DblClick(const QModelIndex& index) {
    if (!index.isValid()) {
        return;
    }
    setCurrentRow(index.row() + 1);
    PressIfEnabled(BitBtn7);
}

// The sort key list holds the keys in the order of kSortKeys.
void TZMainForm::ComboBox1Change(int index) {
    if (index >= 0 && static_cast<std::size_t>(index) < kSortKeys.size()) {
        SortList(kSortKeys[static_cast<std::size_t>(index)]);
    }
}

// ---- Navigation -------------------------------------------------------------------

void TZMainForm::BitBtn3Click() {
    if (projectCount() >= 1) {
        setCurrentRow(1);
    }
}

void TZMainForm::BitBtn5Click() {
    if (currentRow() > 1) {
        setCurrentRow(currentRow() - 1);
    }
}

void TZMainForm::BitBtn6Click() {
    if (currentRow() < projectCount()) {
        setCurrentRow(currentRow() + 1);
    }
}

void TZMainForm::BitBtn4Click() {
    if (projectCount() == 0) {
        ShowPosition();
        return;
    }
    setCurrentRow(projectCount());
}

// ---- Overlay panels -----------------------------------------------------------------

void TZMainForm::SetCommandsAvailable(bool available) {
    StringGrid1->setVisible(available);
    Panel1->setEnabled(available);
    for (QMenu* menu : {N1, N2, N3, N4, N5}) {
        menu->setEnabled(available);
        menu->menuAction()->setEnabled(available);
    }
}

void TZMainForm::ShowQueryButtons(bool query) {
    for (QPushButton* button : {BitBtn1, BitBtn2, BitBtn9}) {
        button->setEnabled(!query);
    }
    if (query) {
        BitBtn11->setEnabled(true);
    }
}

void TZMainForm::CentreOverGrid(QWidget* panel) {
    const int left = (StringGrid1->width() - panel->width()) / 2;
    const int top = (StringGrid1->height() - panel->height()) / 2;
    panel->move(left, top);
}

// ---- Start-up and shutdown ------------------------------------------------------------

void TZMainForm::setVisible(bool visible) {
    if (visible && !startedUp_) {
        startedUp_ = true;
        RunStartUp();
    }
    if (visible && storeRefused_) {
        // The window never shows: it leaves the store to its holder.
        QTimer::singleShot(0, this, &QWidget::close);
        return;
    }
    QMainWindow::setVisible(visible);
}

void TZMainForm::RunStartUp() {
    if (!OpenStore()) {
        return;
    }
    SeedRandomFromClock();
    {
        TFirstForm splash;
        splash.exec();
    }
    LoadAndSortAtStartUp();
}

bool TZMainForm::OpenStore() {
    if (storeOpen_ || storeRefused_) {
        return storeOpen_;
    }
    if (const std::optional<IoError>& problem = platform::DataDirectoryError();
        problem && dataDir_ == platform::DataDirectory()) {
        // Without its folder the program can keep nothing.
        ShowIoError(this, *problem);
        storeRefused_ = true;
        return false;
    }
    hold_ = StoreHold::Take(dataDir_);
    if (!hold_.mayWrite()) {
        ShowMessage(this, QStringLiteral("本系统已经在另一个窗口中使用这个数据目录：\n%1\n\n"
                                         "同一个数据目录同时只能由一个窗口使用，"
                                         "请在已经打开的那个窗口中继续工作。")
                              .arg(ShortenedText(FromPath(dataDir_), 200)));
        // A window of this process that holds it comes to the front.
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* other = qobject_cast<TZMainForm*>(widget);
            if (other != nullptr && other != this && other->storeOpen_ &&
                other->dataDir_ == dataDir_) {
                other->raise();
                other->activateWindow();
            }
        }
        storeRefused_ = true;
        return false;
    }
    storeOpen_ = true;
    return true;
}

void TZMainForm::LoadAndSortAtStartUp() {
    if (!OpenStore()) {
        return;
    }
    // What a run that was killed half-way left behind is finished or taken
    // back first: only the store's one writer may do that.
    if (hold_.state() == StoreHold::State::Held) {
        RecoverInterruptedWork(dataDir_);
    }
    RunGuarded([this] {
        ReloadList();
        SortList(SortKey::Id);
    });
}

bool TZMainForm::MayWriteIndex() {
    if (listLoaded_) {
        return true;
    }
    ShowMessage(this, QStringLiteral("项目清单没有从数据文件中完整读出，为免丢失项目，"
                                     "现在不能改写项目索引文件。\n"
                                     "请排除上面报告的故障后按“刷新”重新读入项目清单。"));
    return false;
}

void TZMainForm::closeEvent(QCloseEvent* event) {
    if (FormCloseQuery()) {
        event->accept();
    } else {
        event->ignore();
    }
}

bool TZMainForm::FormCloseQuery() {
    if (!storeOpen_) {
        return true;  // the store was never this window's: nothing to save
    }
    if (!AskYesNo(this, QStringLiteral("您真的要退出本系统吗?"))) {
        return false;
    }
    const bool saved = shenbao::RunGuarded(this, [this] {
        ReloadList();
        SaveIndex(dataDir_, RowIds(model_->rows()));
    });
    // Damaged entries change nothing of the index written here; the user
    // is leaving.
    damaged_.clear();
    if (saved) {
        return true;
    }
    // The index on the disk is the one before: a failed write never
    // touches it. Whether to stay (and try again) is the user's choice.
    return AskYesNo(this, QStringLiteral("项目索引文件未能保存，磁盘上原有的索引文件保持不变。\n"
                                         "仍要退出本系统吗?"));
}

void TZMainForm::BitBtn8Click() {
    close();
}
void TZMainForm::N9Click() {
    close();
}

// ---- Help ------------------------------------------------------------------------

void TZMainForm::N17Click() {
    TGuideForm guide(dataDir_, this);
    guide.exec();
}

void TZMainForm::N20Click() {
    TFirstForm splash(this);
    splash.exec();
}

}  // namespace shenbao
