#include "mainwin/zmain.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "mainwin/app_icon.h"
#include "mainwin/first.h"
#include "mainwin/list_model.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/fonts.h"
#include "platform/gui/look.h"
#include "platform/gui/text.h"
#include "platform/gui/window.h"
#include "platform/io_error.h"
#include "platform/platform.h"
#include "store/import_journal.h"
#include "store/index_file.h"
#include "store/project_id.h"

namespace shenbao {

namespace {

QAction* AddEntry(QMenu* menu, const char* name, const QString& text) {
    QAction* action = menu->addAction(text);
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text, int width,
                        const QString& hint = QString()) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setFixedSize(width, 26);
    button->setFocusPolicy(Qt::TabFocus);
    if (!hint.isEmpty()) {
        button->setToolTip(hint);
    }
    return button;
}

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

    resize(800, 524);
    CentreOnScreen(this);
}

TZMainForm::~TZMainForm() = default;

void TZMainForm::BuildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    N1 = bar->addMenu(QStringLiteral("数据(&1)"));
    N1->setObjectName(QStringLiteral("N1"));
    QStyle* style = QApplication::style();
    connect(AddEntry(N1, "NCheck", QStringLiteral("检查项目(&C)")), &QAction::triggered, this,
            &TZMainForm::NCheckClick);
    N1->addSeparator();
    QAction* n7 = AddEntry(N1, "N7", QStringLiteral("导出所显数据到设定的路径(&1)"));
    QAction* n31 = AddEntry(N1, "N31", QStringLiteral("导出全部数据到设定的路径(&2)"));
    N1->addSeparator();
    QAction* n32 = AddEntry(N1, "N32", QStringLiteral("导出所显数据到软盘(&3)"));
    QAction* n41 = AddEntry(N1, "N41", QStringLiteral("导出全部数据到软盘(&4)"));
    N1->addSeparator();
    QAction* n8 = AddEntry(N1, "N8", QStringLiteral("从设定路径引入数据(&5)"));
    QAction* n61 = AddEntry(N1, "N61", QStringLiteral("从软盘引入数据(&6)"));
    N1->addSeparator();
    QAction* n9 = AddEntry(N1, "N9", QStringLiteral("退出系统(&4)"));
    for (QAction* action : {n7, n31}) {
        action->setIcon(style->standardIcon(QStyle::SP_ArrowRight));
    }
    for (QAction* action : {n32, n41, n61}) {
        action->setIcon(style->standardIcon(QStyle::SP_DriveFDIcon));
    }
    n8->setIcon(style->standardIcon(QStyle::SP_ArrowLeft));
    connect(n7, &QAction::triggered, this, &TZMainForm::N7Click);
    connect(n31, &QAction::triggered, this, &TZMainForm::N31Click);
    connect(n32, &QAction::triggered, this, &TZMainForm::N32Click);
    connect(n41, &QAction::triggered, this, &TZMainForm::N41Click);
    connect(n8, &QAction::triggered, this, &TZMainForm::N8Click);
    connect(n61, &QAction::triggered, this, &TZMainForm::N61Click);
    connect(n9, &QAction::triggered, this, &TZMainForm::N9Click);

    N2 = bar->addMenu(QStringLiteral("查询(&2)"));
    N2->setObjectName(QStringLiteral("N2"));
    connect(AddEntry(N2, "N12", QStringLiteral("按项目名称查询(&1)")), &QAction::triggered, this,
            &TZMainForm::N12Click);
    connect(AddEntry(N2, "N13", QStringLiteral("按项目申请人查询(&2)")), &QAction::triggered, this,
            &TZMainForm::N13Click);
    connect(AddEntry(N2, "N6", QStringLiteral("按主管部门查询(&3)")), &QAction::triggered, this,
            &TZMainForm::N6Click);
    connect(AddEntry(N2, "N14", QStringLiteral("按计划类别查询(&4)")), &QAction::triggered, this,
            &TZMainForm::N14Click);
    connect(AddEntry(N2, "N10", QStringLiteral("按承担单位查询(&5)")), &QAction::triggered, this,
            &TZMainForm::N10Click);
    connect(AddEntry(N2, "N27", QStringLiteral("按项目领域查询(&6)")), &QAction::triggered, this,
            &TZMainForm::N27Click);
    connect(AddEntry(N2, "N15", QStringLiteral("按项目申报日期查询(&7)")), &QAction::triggered,
            this, &TZMainForm::N15Click);
    connect(AddEntry(N2, "N71", QStringLiteral("按省拨款经费查询(&8)")), &QAction::triggered, this,
            &TZMainForm::N71Click);

    N3 = bar->addMenu(QStringLiteral("报表(&3)"));
    N3->setObjectName(QStringLiteral("N3"));
    connect(AddEntry(N3, "N11", QStringLiteral("打印项目清单(&1)")), &QAction::triggered, this,
            &TZMainForm::N11Click);
    connect(AddEntry(N3, "N16", QStringLiteral("输出至文本文件(&2)")), &QAction::triggered, this,
            &TZMainForm::N16Click);
    connect(AddEntry(N3, "NSummary", QStringLiteral("汇总统计(&3)")), &QAction::triggered, this,
            &TZMainForm::NSummaryClick);

    N4 = bar->addMenu(QStringLiteral("设置(&4)"));
    N4->setObjectName(QStringLiteral("N4"));
    connect(AddEntry(N4, "N18", QStringLiteral("设置数据导出路径(&1)")), &QAction::triggered, this,
            &TZMainForm::N18Click);
    connect(AddEntry(N4, "N19", QStringLiteral("设置数据引入路径(&2)")), &QAction::triggered, this,
            &TZMainForm::N19Click);
    N4->addSeparator();
    connect(AddEntry(N4, "N21", QStringLiteral("清空数据库(&3)")), &QAction::triggered, this,
            &TZMainForm::N21Click);

    N5 = bar->addMenu(QStringLiteral("帮助(&5)"));
    N5->setObjectName(QStringLiteral("N5"));
    connect(AddEntry(N5, "N17", QStringLiteral("使用说明(&1)")), &QAction::triggered, this,
            &TZMainForm::N17Click);
    N5->addSeparator();
    connect(AddEntry(N5, "N20", QStringLiteral("关于(&2)")), &QAction::triggered, this,
            &TZMainForm::N20Click);
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
    BitBtn3 = MakeButton(Panel1, "BitBtn3", QStringLiteral("|<<"), kArrowWidth,
                         QStringLiteral("第一个项目"));
    BitBtn5 = MakeButton(Panel1, "BitBtn5", QStringLiteral("<<"), kArrowWidth,
                         QStringLiteral("前一个项目"));
    BitBtn6 = MakeButton(Panel1, "BitBtn6", QStringLiteral(">>"), kArrowWidth,
                         QStringLiteral("下一个项目"));
    BitBtn4 = MakeButton(Panel1, "BitBtn4", QStringLiteral(">>|"), kArrowWidth,
                         QStringLiteral("最后一个项目"));
    BitBtn1 = MakeButton(Panel1, "BitBtn1", QStringLiteral("添加"), kCommandWidth,
                         QStringLiteral("添加一个新项目"));
    BitBtn7 = MakeButton(Panel1, "BitBtn7", QStringLiteral("修改"), kCommandWidth,
                         QStringLiteral("编辑当前的一个项目的基本信息"));
    BitBtn10 = MakeButton(Panel1, "BitBtn10", QStringLiteral("查看"), kCommandWidth);
    BitBtn2 = MakeButton(Panel1, "BitBtn2", QStringLiteral("删除"), kCommandWidth,
                         QStringLiteral("删除当前的一个项目"));
    BitBtn9 = MakeButton(Panel1, "BitBtn9", QStringLiteral("刷新"), kCommandWidth,
                         QStringLiteral("重新从磁盘上读入项目信息"));
    BitBtn11 = MakeButton(Panel1, "BitBtn11", QStringLiteral("全部项目"), 66);
    BitBtn11->setEnabled(false);
    BitBtn8 = MakeButton(Panel1, "BitBtn8", QStringLiteral("退出"), kCommandWidth);

    QStyle* style = QApplication::style();
    BitBtn1->setIcon(style->standardIcon(QStyle::SP_FileDialogNewFolder));
    BitBtn7->setIcon(style->standardIcon(QStyle::SP_FileDialogDetailedView));
    BitBtn10->setIcon(style->standardIcon(QStyle::SP_FileDialogContentsView));
    BitBtn2->setIcon(style->standardIcon(QStyle::SP_TrashIcon));
    BitBtn9->setIcon(style->standardIcon(QStyle::SP_BrowserReload));
    BitBtn8->setIcon(style->standardIcon(QStyle::SP_DialogCloseButton));

    Label1 = new QLabel(QStringLiteral("排序方式"), Panel1);
    Label1->setObjectName(QStringLiteral("Label1"));
    SetColour(Label1, QPalette::WindowText, kNavy);

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

    for (QWidget* w : {static_cast<QWidget*>(BitBtn3), static_cast<QWidget*>(BitBtn5),
                       static_cast<QWidget*>(BitBtn6), static_cast<QWidget*>(BitBtn4)}) {
        row->addWidget(w);
    }
    row->addSpacing(6);
    for (QPushButton* b : {BitBtn1, BitBtn7, BitBtn10, BitBtn2, BitBtn9, BitBtn11}) {
        row->addWidget(b);
    }
    row->addSpacing(6);
    row->addWidget(Label1);
    row->addWidget(ComboBox1);
    row->addStretch(1);
    row->addWidget(BitBtn8);

    connect(BitBtn3, &QPushButton::clicked, this, &TZMainForm::BitBtn3Click);
    connect(BitBtn5, &QPushButton::clicked, this, &TZMainForm::BitBtn5Click);
    connect(BitBtn6, &QPushButton::clicked, this, &TZMainForm::BitBtn6Click);
    connect(BitBtn4, &QPushButton::clicked, this, &TZMainForm::BitBtn4Click);
    connect(BitBtn1, &QPushButton::clicked, this, &TZMainForm::BitBtn1Click);
    connect(BitBtn7, &QPushButton::clicked, this, &TZMainForm::BitBtn7Click);
    connect(BitBtn10, &QPushButton::clicked, this, &TZMainForm::BitBtn10Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TZMainForm::BitBtn2Click);
    connect(BitBtn9, &QPushButton::clicked, this, &TZMainForm::BitBtn9Click);
    connect(BitBtn11, &QPushButton::clicked, this, &TZMainForm::BitBtn11Click);
    connect(BitBtn8, &QPushButton::clicked, this, &TZMainForm::BitBtn8Click);
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

    connect(StringGrid1, &QTableView::clicked, this, &TZMainForm::StringGrid1Click);
    connect(StringGrid1, &QTableView::pressed, this, &TZMainForm::StringGrid1MouseDown);
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

bool TZMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ListArea && event->type() == QEvent::Resize) {
        StringGrid1->setGeometry(ListArea->rect());
    }
    return QMainWindow::eventFilter(watched, event);
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
        // that cannot be read leaves the list as it was.
        if (!rows.empty()) {
            show();
        }
        throw;
    }
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

void TZMainForm::SortList(int key) {
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
                         IoErrorReason(entries[i].error, true));
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

void TZMainForm::ComboBox1Change(int index) {
    if (index >= 0 && index < kSortKeyCount) {
        SortList(index);
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
    QMainWindow::setVisible(visible);
}

void TZMainForm::RunStartUp() {
    SeedRandomFromClock();
    {
        TFirstForm splash;
        splash.exec();
    }
    LoadAndSortAtStartUp();
}

void TZMainForm::LoadAndSortAtStartUp() {
    // What a run that was killed half-way left behind goes first: it is no
    // part of the store.
    RecoverInterruptedWork(dataDir_);
    RunGuarded([this] {
        ReloadList();
        SortList(SortKey::Id);
    });
}

void TZMainForm::closeEvent(QCloseEvent* event) {
    if (FormCloseQuery()) {
        event->accept();
    } else {
        event->ignore();
    }
}

bool TZMainForm::FormCloseQuery() {
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

void TZMainForm::N20Click() {
    TFirstForm splash(this);
    splash.exec();
}

}  // namespace shenbao
