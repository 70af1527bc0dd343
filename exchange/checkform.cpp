#include "exchange/checkform.h"

#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <algorithm>
#include <array>
#include <memory>

#include "editor/zpinfo.h"
#include "output/print_report.h"
#include "gui/dialogs.h"
#include "gui/fonts.h"
#include "gui/look.h"
#include "gui/text.h"
#include "gui/window.h"

namespace shenbao {

namespace {

constexpr int kClientWidth = 760;
constexpr int kClientHeight = 517;
constexpr int kColumnCount = kCheckColumnCount;

constexpr int kButtonTop = 482;

const std::array<QString, kColumnCount>& Captions() {
    static const std::array<QString, kColumnCount> captions = {
        QStringLiteral("项目ID"), QStringLiteral("项目名称"), QStringLiteral("栏目"),
        QStringLiteral("问题")};
    return captions;
}

std::array<QString, kColumnCount> Cells(const CheckProblem& problem) {
    return {FromGbk(problem.id), FromGbk(problem.name), FromGbk(problem.finding.caption),
            FromGbk(problem.finding.message)};
}

// The printed list in millimetres: the band is 277 wide (landscape A4).
constexpr std::array<double, kColumnCount> kPrintWidths = {22, 78, 56, 118};
constexpr double kPrintGap = 1;

double PrintLeft(int column) {
    double left = 0;
    for (int c = 0; c < column; ++c) {
        left += kPrintWidths[static_cast<std::size_t>(c)] + kPrintGap;
    }
    return left;
}

}  // namespace

// The grid's model: the problems in the order shown, each text made for the
// screen only when a row comes into view, so that tens of thousands of
// problems fill the grid at once. A click on a column title sorts by it.
class CheckModel : public ResultTableModel {
  public:
    explicit CheckModel(QObject* parent) : ResultTableModel(kColumnCount, parent) {}

    // Shows `problems` sorted by `column` (-1: in list order).
    void setProblems(const std::vector<CheckProblem>* problems, int column, bool ascending) {
        beginResetModel();
        problems_ = problems;
        order_ = SortedProblems(*problems, column, ascending);
        endResetModel();
    }
    const CheckProblem& problem(int row) const {
        return (*problems_)[order_.at(static_cast<std::size_t>(row))];
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid()) {
            return QVariant();
        }
        // The problem shows in full as a hint, where its column cuts it.
        if (role == Qt::DisplayRole ||
            (role == Qt::ToolTipRole && index.column() == kColumnCount - 1)) {
            return FromGbk(CheckCell(problem(index.row()), index.column()));
        }
        return QVariant();
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
            section < kColumnCount) {
            return Captions()[static_cast<std::size_t>(section)];
        }
        return QVariant();
    }
  protected:
    std::size_t rows() const override { return order_.size(); }

  private:
    const std::vector<CheckProblem>* problems_ = nullptr;
    std::vector<std::size_t> order_;
};

TCheckForm::TCheckForm(const std::filesystem::path& dataDir, std::vector<ListRow> rows,
                       CheckResult result, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      dataDir_(dataDir),
      rows_(std::move(rows)),
      result_(std::move(result)) {
    setObjectName(QStringLiteral("CheckForm"));
    setWindowTitle(QStringLiteral("检查项目"));
    setFixedSize(kClientWidth, kClientHeight);
    setFont(SongPixelFont(12));

    Label1 = Named(new QLabel(this), "Label1");
    Label1->setGeometry(8, 8, 430, 18);
    SetColour(Label1, QPalette::WindowText, kNavy);
    Label2 = Named(new QLabel(this), "Label2");
    Label2->setGeometry(440, 8, 312, 18);
    Label2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    model_ = new CheckModel(this);
    CheckGrid = MakeResultTable(this, "CheckGrid", model_);
    CheckGrid->setGeometry(8, 30, 744, 444);
    CheckGrid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    QHeaderView* titles = CheckGrid->horizontalHeader();
    // In list order until a title is clicked.
    titles->setSortIndicator(-1, Qt::AscendingOrder);
    const int widths[] = {70, 150, 150};
    for (int c = 0; c < 3; ++c) {
        CheckGrid->setColumnWidth(c, widths[c]);
    }
    CheckGrid->installEventFilter(this);

    auto* fixDigits = Named(new QPushButton(QStringLiteral("全角数字改为半角"), this), "FixDigits");
    fixDigits->setGeometry(8, kButtonTop, 130, 25);
    fixDigits->setAutoDefault(false);
    fixDigits->setToolTip(
        QStringLiteral("把所列项目数字栏目中的全角数字、小数点和负号改为半角并存盘"));
    commands_ = std::make_unique<ResultCommands>(
        this, ResultOutput{[this] { return definition(); }, [this] { return ReportSource(); },
                           dataDir_ / kCheckPdfName, QStringLiteral("检查结果"),
                           [this] { WriteText(); }});
    const int lefts[] = {399, 480, 561, 677};
    for (std::size_t i = 0; i < commands_->buttons().size(); ++i) {
        commands_->buttons()[i]->move(lefts[i], kButtonTop);
    }

    connect(CheckGrid, &QTableView::doubleClicked, this, &TCheckForm::CheckGridDblClick);
    connect(titles, &QHeaderView::sortIndicatorChanged, this, &TCheckForm::CheckGridSortChange);
    connect(fixDigits, &QPushButton::clicked, this, &TCheckForm::FixDigitsClick);

    ShowResult();
    CentreOnScreen(this);
}

TCheckForm::~TCheckForm() = default;

std::vector<const CheckProblem*> TCheckForm::shownProblems() const {
    std::vector<const CheckProblem*> problems;
    problems.reserve(result_.problems.size());
    for (int r = 0; r < model_->rowCount(); ++r) {
        problems.push_back(&model_->problem(r));
    }
    return problems;
}

void TCheckForm::ShowResult() {
    const QHeaderView* titles = CheckGrid->horizontalHeader();
    model_->setProblems(&result_.problems, titles->sortIndicatorSection(),
                        titles->sortIndicatorOrder() == Qt::AscendingOrder);
    Label1->setText(FromGbk(CheckSummaryText(result_)));
    if (result_.codeTableFound) {
        Label2->setText(QStringLiteral("双击一行（或按回车键）修改该处"));
        SetColour(Label2, QPalette::WindowText, kTeal);
    } else {
        Label2->setText(QStringLiteral("未找到系统编码表文件，下拉选项未检查"));
        SetColour(Label2, QPalette::WindowText, kRed);
    }
    commands_->setResultEmpty(result_.problems.empty());
}

void TCheckForm::Recheck() {
    RunGuarded(this, [this] { result_ = CheckProjects(dataDir_, rows_); });
    ShowResult();
}

void TCheckForm::OpenProblem(int row) {
    if (row < 0 || row >= model_->rowCount()) {
        return;
    }
    const CheckProblem problem = model_->problem(row);
    {
        TZPInfoForm editor(dataDir_, this);
        editor.Prepare(problem.id, EditorMode::Modify);
        const CheckFinding& place = problem.finding;
        if (place.field < kFieldCount) {
            editor.FocusFieldOnOpen(place.field);
        } else if (place.field == kMemberTable) {
            editor.FocusMemberOnOpen(std::max<std::size_t>(place.memberRow, 1), place.memberCell);
        }
        editor.exec();
    }
    touched_.insert(problem.id);
    Recheck();
    if (model_->rowCount() > 0) {
        CheckGrid->selectRow(std::min(row, model_->rowCount() - 1));
    }
}

void TCheckForm::CheckGridSortChange(int, Qt::SortOrder) {
    ShowResult();
}

void TCheckForm::CheckGridDblClick(const QModelIndex& index) {
    if (index.isValid()) {
        OpenProblem(index.row());
    }
}

bool TCheckForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == CheckGrid && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            OpenProblem(CheckGrid->currentIndex().row());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TCheckForm::FixDigitsClick() {
    DigitRepair repair;
    const bool done =
        RunGuarded(this, [this, &repair] { repair = RepairFullWidthDigits(dataDir_, rows_); });
    touched_.insert(repair.changedIds.begin(), repair.changedIds.end());
    if (done) {
        QString text = repair.projects == 0 ? QStringLiteral("没有需要修改的全角数字。")
                                            : QStringLiteral(
                                                  "已把%1个项目中%2个栏目的全角数字、小数点和负号"
                                                  "改为半角并存盘。")
                                                  .arg(repair.projects)
                                                  .arg(repair.fields);
        if (!repair.leftIds.empty()) {
            QStringList ids;
            for (const std::string& id : repair.leftIds) {
                ids << FromGbk(id);
            }
            text += QStringLiteral(
                        "\n另有%1个项目的数据文件不全或不是本系统写成的形式，"
                        "未修改，请在编辑窗口中修改：%2")
                        .arg(repair.leftIds.size())
                        .arg(ShortenedText(ids.join(QStringLiteral("、")), 200));
        }
        ShowMessage(this, text);
    }
    Recheck();
}

// ---- Output -----------------------------------------------------------------------------

report::ReportDefinition TCheckForm::definition() const {
    std::vector<PrintedColumn> columns;
    for (int c = 0; c < kColumnCount; ++c) {
        const double left = PrintLeft(c);
        const double width = kPrintWidths[static_cast<std::size_t>(c)];
        // Names and problems wrap and make their row taller; nothing is cut.
        columns.push_back(
            {Captions()[static_cast<std::size_t>(c)], left, width, left, width, c != 0});
    }
    report::ReportDefinition definition =
        ListReport(QStringLiteral("澄川省计划项目检查结果"), columns);

    report::Band summary;
    summary.height = 8;
    summary.ruleTop = true;
    summary.fields.push_back(
        FittedField(QStringLiteral("Total"), FromGbk(CheckSummaryText(result_)), 0, 1.5, 9));
    definition.summary = summary;
    return definition;
}

report::ReportSource TCheckForm::ReportSource() const {
    struct Run {
        std::vector<std::array<QString, kColumnCount>> rows;
        std::size_t cursor = 0;
    };
    auto run = std::make_shared<Run>();
    for (const CheckProblem* problem : shownProblems()) {
        run->rows.push_back(Cells(*problem));
    }
    report::ReportSource source;
    source.beforeRun = [run] { run->cursor = 0; };
    source.needData = [run](std::vector<QString>& values) {
        if (run->cursor >= run->rows.size()) {
            return false;
        }
        const std::array<QString, kColumnCount>& cells = run->rows[run->cursor++];
        for (std::size_t i = 0; i < cells.size() && i < values.size(); ++i) {
            values[i] = cells[i];
        }
        return true;
    };
    return source;
}

void TCheckForm::WriteText() {
    const std::vector<const CheckProblem*> problems = shownProblems();
    const std::filesystem::path path = WriteCheckText(dataDir_, problems);
    ShowMessage(this, QStringLiteral("共输出%1处问题，输出的文本文件为“%2”")
                          .arg(problems.size())
                          .arg(FromPath(path)));
}

}  // namespace shenbao
