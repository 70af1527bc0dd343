#include "output/summary_form.h"

#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "gui/dialogs.h"
#include "gui/fonts.h"
#include "gui/look.h"
#include "gui/text.h"
#include "gui/window.h"
#include "output/summary_chart.h"
#include "output/summary_report.h"

namespace shenbao {

// The table's model: the group rows in their order, then the total row in
// bold. A click on a column title sorts by it; numbers sort largest first
// on the first click.
class SummaryModel : public ResultTableModel {
  public:
    explicit SummaryModel(QObject* parent) : ResultTableModel(kSummaryColumnCount, parent) {}

    void setTable(const SummaryTable& table) {
        beginResetModel();
        header_.clear();
        for (const std::string& caption : SummaryHeader(table.grouping)) {
            header_ << FromGbk(caption);
        }
        cells_.clear();
        cells_.reserve(table.rows.size() + 1);
        for (const SummaryRow& row : table.rows) {
            cells_.push_back(Texts(row));
        }
        cells_.push_back(Texts(table.total));
        endResetModel();
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid()) {
            return QVariant();
        }
        const int column = index.column();
        switch (role) {
            case Qt::DisplayRole:
                return cells_[static_cast<std::size_t>(index.row())].at(column);
            case Qt::TextAlignmentRole:
                return QVariant::fromValue(
                    Qt::AlignVCenter | (IsNumberColumn(column) ? Qt::AlignRight : Qt::AlignLeft));
            case Qt::FontRole: {
                QFont font = SongPointFont(9, index.row() == rowCount() - 1);
                return font;
            }
            case Qt::ForegroundRole:
                return column == kSummaryNoteColumn ? QVariant(kRed) : QVariant(kBlack);
            default:
                return QVariant();
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || section < 0 || section >= header_.size()) {
            return QVariant();
        }
        if (role == Qt::DisplayRole) {
            return header_.at(section);
        }
        if (role == Qt::InitialSortOrderRole) {
            return IsNumberColumn(section) ? Qt::DescendingOrder : Qt::AscendingOrder;
        }
        return QVariant();
    }

  protected:
    std::size_t rows() const override { return cells_.size(); }

  private:
    static bool IsNumberColumn(int column) {
        return column != kSummaryGroupColumn && column != kSummaryNoteColumn;
    }
    static QStringList Texts(const SummaryRow& row) {
        QStringList texts;
        for (const std::string& cell : SummaryRowCells(row)) {
            texts << FromGbk(cell);
        }
        return texts;
    }

    QStringList header_;
    std::vector<QStringList> cells_;
};

namespace {

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

}  // namespace

TSummaryForm::TSummaryForm(const std::filesystem::path& dataDir,
                           std::vector<SummaryProject> projects, QWidget* parent)
    : QDialog(parent),
      dataDir_(dataDir),
      projects_(std::move(projects)) {
    setObjectName(QStringLiteral("SummaryForm"));
    setWindowTitle(QStringLiteral("汇总统计"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    setFont(SongPixelFont(12));

    QLabel* groupingLabel = MakeLabel(this, "Label1", QStringLiteral("分组方式"));
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    for (int g = 0; g < kGroupingCount; ++g) {
        ComboBox1->addItem(QStringLiteral("按") + FromGbk(GroupingName(g)));
    }
    ComboBox1->setMaxVisibleItems(kGroupingCount);
    QLabel* chartLabel = MakeLabel(this, "Label2", QStringLiteral("图表"));
    ComboBox2 = new QComboBox(this);
    ComboBox2->setObjectName(QStringLiteral("ComboBox2"));
    for (int c = kSummaryCountColumn; c < kSummaryNoteColumn; ++c) {
        ComboBox2->addItem(SummaryChartTitle(c));
    }
    ComboBox2->setMaxVisibleItems(kSummaryNoteColumn - kSummaryCountColumn);
    ComboBox2->setCurrentIndex(kSummaryFirstAmountColumn - kSummaryCountColumn);  // 申请经费
    QLabel* unitLabel = MakeLabel(this, "Label3", QStringLiteral("金额单位：万元"));
    SetColour(groupingLabel, QPalette::WindowText, kNavy);
    SetColour(chartLabel, QPalette::WindowText, kNavy);

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setObjectName(QStringLiteral("Splitter1"));
    splitter->setChildrenCollapsible(false);
    model_ = new SummaryModel(this);
    StringGrid1 = MakeResultTable(splitter, "StringGrid1", model_);
    QHeaderView* titles = StringGrid1->horizontalHeader();
    titles->setSortIndicator(kSummaryGroupColumn, Qt::AscendingOrder);
    // The chart fills its place; with many groups it grows taller than
    // that and scrolls, so that every bar keeps a readable label.
    auto* chartScroll = new QScrollArea(splitter);
    chartScroll->setObjectName(QStringLiteral("ScrollBox1"));
    chartScroll->setWidgetResizable(true);
    chartScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    chartScroll->setMinimumWidth(220);
    Chart1 = new QChartView(chartScroll);
    Chart1->setObjectName(QStringLiteral("Chart1"));
    Chart1->setRenderHint(QPainter::Antialiasing);
    chartScroll->setWidget(Chart1);
    splitter->addWidget(StringGrid1);
    splitter->addWidget(chartScroll);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);

    Label4 = MakeLabel(this, "Label4", QString());
    commands_ = std::make_unique<ResultCommands>(
        this, ResultOutput{[this] { return definition(); }, [this] { return ReportSource(); },
                           dataDir_ / kSummaryPdfName, QStringLiteral("汇总表"),
                           [this] { WriteText(); }});

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(6);
    auto* choices = new QHBoxLayout();
    choices->addWidget(groupingLabel);
    choices->addWidget(ComboBox1);
    choices->addSpacing(16);
    choices->addWidget(chartLabel);
    choices->addWidget(ComboBox2);
    choices->addStretch(1);
    choices->addWidget(unitLabel);
    layout->addLayout(choices);
    layout->addWidget(splitter, 1);
    auto* commands = new QHBoxLayout();
    commands->addWidget(Label4, 1);
    for (QPushButton* button : commands_->buttons()) {
        commands->addWidget(button);
    }
    layout->addLayout(commands);

    connect(ComboBox1, &QComboBox::currentIndexChanged, this, &TSummaryForm::ComboBox1Change);
    connect(ComboBox2, &QComboBox::currentIndexChanged, this, &TSummaryForm::ComboBox2Change);
    connect(titles, &QHeaderView::sortIndicatorChanged, this, &TSummaryForm::StringGrid1SortChange);

    table_ = Summarise(projects_, 0);
    ShowTable();
    ShowChart();

    // Within the screen: the program runs on screens of 800 x 600.
    QSize size(780, 540);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        size = size.boundedTo(screen->availableGeometry().size() - QSize(16, 48));
    }
    resize(size);
    CentreOnScreen(this);
    splitter->setSizes({size.width() * 3 / 5, size.width() * 2 / 5});
}

TSummaryForm::~TSummaryForm() = default;

int TSummaryForm::chartColumn() const {
    return kSummaryCountColumn + std::max(ComboBox2->currentIndex(), 0);
}

report::ReportDefinition TSummaryForm::definition() const {
    return SummaryReport(table_, chartColumn());
}

report::ReportSource TSummaryForm::ReportSource() const {
    return SummarySource(table_);
}

void TSummaryForm::ShowTable() {
    model_->setTable(table_);
    StringGrid1->resizeColumnsToContents();
    QHeaderView* titles = StringGrid1->horizontalHeader();
    titles->resizeSection(kSummaryGroupColumn,
                          std::clamp(titles->sectionSize(kSummaryGroupColumn), 90, 220));
    Label4->setText(
        QStringLiteral("共%1个项目，%2个分组").arg(table_.total.projects).arg(table_.rows.size()));
}

void TSummaryForm::ShowChart() {
    QChart* old = Chart1->chart();
    Chart1->setChart(NewSummaryChart(table_, chartColumn()));
    Chart1->setMinimumHeight(SummaryChartMinimumHeight(table_.rows.size()));
    delete old;
}

void TSummaryForm::ComboBox1Change(int index) {
    if (index < 0 || index >= kGroupingCount) {
        return;
    }
    const int column = table_.sortColumn;
    const bool ascending = table_.ascending;
    table_ = Summarise(projects_, index);
    SortSummary(table_, column, ascending);
    ShowTable();
    ShowChart();
}

void TSummaryForm::ComboBox2Change(int index) {
    if (index >= 0) {
        ShowChart();
    }
}

void TSummaryForm::StringGrid1SortChange(int column, Qt::SortOrder order) {
    if (column < 0 || column >= kSummaryColumnCount) {
        return;
    }
    SortSummary(table_, column, order == Qt::AscendingOrder);
    ShowTable();
    ShowChart();
}

void TSummaryForm::WriteText() {
    const std::filesystem::path path = WriteSummaryText(dataDir_, table_);
    ShowMessage(this, QStringLiteral("共输出%1个分组的汇总数据，输出的文本文件为“%2”")
                          .arg(table_.rows.size())
                          .arg(FromPath(path)));
}

}  // namespace shenbao
