// The summary (报表 - 汇总统计): its sums against figures worked out by hand,
// the window, and its output on paper, as PDF and as the text file.

#include <gtest/gtest.h>

#include <QAction>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QHeaderView>
#include <QHorizontalBarSeries>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <cerrno>

#include "core/summary.h"
#include "gui/text.h"
#include "mainwin/list_model.h"
#include "output/summary_chart.h"
#include "output/summary_form.h"
#include "output/summary_report.h"
#include "platform/platform.h"
#include "report/preview.h"
#include "report/printing.h"
#include "report/render.h"
#include "store/amount.h"
#include "store/index_file.h"
#include "tests/report/report_support.h"
#include "tests/support/main_form.h"

namespace shenbao::testing {
namespace {

namespace fs = std::filesystem;

// A project of the hand-made store: its plan category, department and the
// seven funds cells 申请经费, 国家拨款, 省拨款, 部门或地方匹配, 贷款, 单位自筹, 其他.
struct HandProject {
    const char* id;
    const char* category;
    const char* department;
    std::array<const char*, kSummaryAmountCount> funds;
};

// Worked out by hand in the comments of the expected rows below.
const HandProject kHandStore[] = {
    {"S0000001", "01 重点科技攻关计划", "澄阳市科委", {"12.5", "0.1", "7", "abc", "", "5.", "1e3"}},
    {"S0000002",
     " 01 重点科技攻关计划 ",
     "澄阳市科委",
     {"7.5", "0.2", "3.25", "2", "0.00005", "", "-1"}},
    {"S0000003", "03 星火计划", "省科学院", {"100", "12.3456", ".5", "1", "1", "1", "1"}},
    {"S0000004", "", "省科学院", {"20", "x", "", "", "", "", ""}},
    {"S0000005", "  ", "", {"0.0001", "", "", "", "", "", ""}},
};
// In the index, but without any data file.
const char* const kMissingId = "S0000006";

void WriteHandStore(const TempStore& store) {
    std::vector<std::string> ids;
    for (const HandProject& project : kHandStore) {
        TProjectRecord record;
        record.Fields[Field::ProjectName] = Gbk("项目") + project.id;
        record.Fields[Field::PlanCategory] = Gbk(project.category);
        record.Fields[Field::DepartmentName] = Gbk(project.department);
        for (std::size_t a = 0; a < kSummaryAmountFields.size(); ++a) {
            record.Fields[kSummaryAmountFields[a]] = project.funds[a];
        }
        ids.push_back(store.AddProject(project.id, record));
    }
    ids.push_back(kMissingId);
    SaveIndex(store.dir(), ids);
}

// A row as its cells read, UTF-8, for readable expectations.
std::vector<std::string> Texts(const SummaryCells& cells) {
    std::vector<std::string> texts;
    for (const std::string& cell : cells) {
        texts.push_back(FromGbk(cell).toStdString());
    }
    return texts;
}
using Row = std::vector<std::string>;

std::vector<Row> Table(const SummaryTable& table) {
    std::vector<Row> rows;
    for (const SummaryRow& row : table.rows) {
        rows.push_back(Texts(SummaryRowCells(row)));
    }
    rows.push_back(Texts(SummaryRowCells(table.total)));
    return rows;
}

// By plan category, in group order.
const Row kKeyProjects = {"01 重点科技攻关计划",
                          "2",
                          "20",     // 12.5 + 7.5
                          "0.3",    // 0.1 + 0.2, exactly
                          "10.25",  // 7 + 3.25
                          "2",      // abc is no number
                          "0",      // 0.00005 is half a ten-thousandth: to the even 0
                          "0",      // 5. is no number
                          "999",    // 1e3 - 1
                          "含2项非数字"};
const Row kSpark = {"03 星火计划", "1", "100", "12.3456", "0", "1", "1", "1", "1", "含1项非数字"};
const Row kUnfilled = {"（未填）", "3",
                       "20.0001",  // 20 + 0.0001 + nothing from the missing file
                       "0",        "0", "0", "0", "0", "0", "含1项非数字，1个项目无数据文件"};
const Row kTotal = {"合计", "6", "140.0001", "12.6456", "10.25",
                    "3",    "1", "1",        "1000",    "含4项非数字，1个项目无数据文件"};

TEST(Summary, SumsMatchFiguresWorkedOutByHand) {
    // Each amount cell as read: which texts are numbers, and their exact
    // value in ten-thousandths.
    const struct {
        const char* text;
        bool numberRule;  // the amount query's rule, on the trimmed cell
        AmountCell::Kind kind;
        const char* value;
    } cells[] = {
        {"12", true, AmountCell::Number, "12"},
        {" 7.5\t", true, AmountCell::Number, "7.5"},
        {"+3", true, AmountCell::Number, "3"},
        {"-2.25", true, AmountCell::Number, "-2.25"},
        {"1e3", true, AmountCell::Number, "1000"},
        {"1.5E-2", true, AmountCell::Number, "0.015"},
        {"12.3456", true, AmountCell::Number, "12.3456"},
        {"000012.34560000", true, AmountCell::Number, "12.3456"},
        {"-0.0005", true, AmountCell::Number, "-0.0005"},
        // Beyond four decimals: rounded, an exact half to the even digit.
        {"12.34565", true, AmountCell::Number, "12.3456"},
        {"12.34575", true, AmountCell::Number, "12.3458"},
        {"12.345650001", true, AmountCell::Number, "12.3457"},
        {"-12.34575", true, AmountCell::Number, "-12.3458"},
        {"0.00005", true, AmountCell::Number, "0"},
        {"0.00015", true, AmountCell::Number, "0.0002"},
        {"0.000049999", true, AmountCell::Number, "0"},
        {"1e-999999999999", true, AmountCell::Number, "0"},
        {"0e999999999999", true, AmountCell::Number, "0"},
        // Up to just below 10^14; beyond that a slip of the keyboard.
        {"99999999999999.9999", true, AmountCell::Number, "99999999999999.9999"},
        {"99999999999999.99995", true, AmountCell::NotNumber, "0"},
        {"1e14", true, AmountCell::NotNumber, "0"},
        {"-1e30", true, AmountCell::NotNumber, "0"},
        {"", false, AmountCell::Empty, "0"},
        {" \t ", false, AmountCell::Empty, "0"},
        {"abc", false, AmountCell::NotNumber, "0"},
        {"5.", false, AmountCell::NotNumber, "0"},
        {".5", false, AmountCell::NotNumber, "0"},
        {"1e", false, AmountCell::NotNumber, "0"},
        {"1e+", false, AmountCell::NotNumber, "0"},
        {"--1", false, AmountCell::NotNumber, "0"},
        {"1.2.3", false, AmountCell::NotNumber, "0"},
        {"1 000", false, AmountCell::NotNumber, "0"},
        {"0x10", false, AmountCell::NotNumber, "0"},
        {"inf", false, AmountCell::NotNumber, "0"},
        {"\xA3\xB1\xA3\xB2", false, AmountCell::NotNumber, "0"},  // １２, full-width
    };
    for (const auto& cell : cells) {
        SCOPED_TRACE(cell.text);
        EXPECT_EQ(IsDecimalNumber(Trim(cell.text)), cell.numberRule);
        const AmountCell read = ReadAmount(cell.text);
        EXPECT_EQ(read.kind, cell.kind);
        EXPECT_EQ(FormatAmount(read.units), cell.value);
    }

    // The hand-made store, all projects shown, by plan category: trimmed
    // values meet in one group, blank ones and the project without a data
    // file in （未填）, which stands last.
    TempStore store;
    WriteHandStore(store);
    ModalAnswerer answerer;
    auto form = StartMainForm(store, answerer);
    const std::vector<SummaryProject> all =
        ReadSummaryProjects(store.dir(), form->listModel()->rows());
    SummaryTable table = Summarise(all, 0);
    EXPECT_EQ(Table(table), (std::vector<Row>{kKeyProjects, kSpark, kUnfilled, kTotal}));
    // A directory under the missing project's file name counts as no file,
    // not as a failure of the summary.
    std::filesystem::create_directory(store.path(std::string(kMissingId) + ".zzj"));
    EXPECT_EQ(Table(Summarise(ReadSummaryProjects(store.dir(), form->listModel()->rows()), 0)),
              (std::vector<Row>{kKeyProjects, kSpark, kUnfilled, kTotal}));

    // Sorted by a column the rows change places, the total stays apart;
    // 20.0001 ranks above 20.
    SortSummary(table, kSummaryFirstAmountColumn, false);
    EXPECT_EQ(Table(table), (std::vector<Row>{kSpark, kUnfilled, kKeyProjects, kTotal}));
    SortSummary(table, kSummaryGroupColumn, false);
    EXPECT_EQ(Table(table), (std::vector<Row>{kSpark, kKeyProjects, kUnfilled, kTotal}));

    // By department the same projects fall into other groups.
    const SummaryTable departments = Summarise(all, 1);
    ASSERT_EQ(departments.rows.size(), 3u);
    EXPECT_EQ(Texts(SummaryRowCells(departments.rows[0]))[0], "澄阳市科委");
    EXPECT_EQ(Texts(SummaryRowCells(departments.rows[1]))[0], "省科学院");
    EXPECT_EQ(Texts(SummaryRowCells(departments.rows[1]))[2], "120");
    EXPECT_EQ(Texts(SummaryRowCells(departments.rows[2]))[1], "2");  // S0000005 and the missing

    // After a query only the shown projects count: no unfilled row, and the
    // total is that of the key projects.
    form->RunQuery(ListColumn::PlanCategory, Gbk("攻关"), "");
    ASSERT_EQ(form->projectCount(), 2);
    Row total = kKeyProjects;
    total[0] = "合计";
    EXPECT_EQ(Table(Summarise(ReadSummaryProjects(store.dir(), form->listModel()->rows()), 0)),
              (std::vector<Row>{kKeyProjects, total}));
}

QTableView* Grid(QWidget* form) {
    return Find<QTableView>(form, "StringGrid1");
}

QString GridText(QWidget* form, int row, int column) {
    QAbstractItemModel* model = Grid(form)->model();
    return model->data(model->index(row, column)).toString();
}

QStringList GridColumn(QWidget* form, int column) {
    QStringList texts;
    for (int r = 0; r < Grid(form)->model()->rowCount(); ++r) {
        texts << GridText(form, r, column);
    }
    return texts;
}

// The bars of the chart, top to bottom.
QList<qreal> Bars(QWidget* form) {
    QChart* chart = Find<QChartView>(form, "Chart1")->chart();
    auto* series = qobject_cast<QHorizontalBarSeries*>(chart->series().value(0));
    QList<qreal> values;
    if (series == nullptr || series->barSets().size() != 1) {
        ADD_FAILURE() << "expected one horizontal bar set";
        return values;
    }
    for (int i = series->barSets()[0]->count() - 1; i >= 0; --i) {
        values << series->barSets()[0]->at(i);
    }
    return values;
}

void ClickTitle(QWidget* form, int column) {
    QHeaderView* titles = Grid(form)->horizontalHeader();
    const QPoint at(titles->sectionViewportPosition(column) + titles->sectionSize(column) / 2,
                    titles->height() / 2);
    QTest::mouseClick(titles->viewport(), Qt::LeftButton, Qt::NoModifier, at);
}

TEST(SummaryForm, OpensOverTheShownListRegroupsSortsAndCharts) {
    TempStore store;
    WriteHandStore(store);
    ModalAnswerer answerer;
    auto form = StartMainForm(store, answerer);
    QAction* command = Find<QAction>(form.get(), "NSummary");
    ASSERT_NE(command, nullptr);

    bool seen = false;
    answerer.Then([&](QWidget* window) {
        auto* summary = qobject_cast<TSummaryForm*>(window);
        ASSERT_NE(summary, nullptr);
        seen = true;
        EXPECT_EQ(summary->objectName(), QStringLiteral("SummaryForm"));
        EXPECT_EQ(summary->windowTitle(), QStringLiteral("汇总统计"));
        EXPECT_EQ(summary->font().family(), QStringLiteral("宋体"));
        EXPECT_TRUE(summary->isModal());
        const QRect screen = summary->screen()->availableGeometry();
        EXPECT_TRUE(screen.contains(summary->frameGeometry()))
            << screen.width() << "x" << screen.height();

        auto* grouping = Find<QComboBox>(summary, "ComboBox1");
        auto* charted = Find<QComboBox>(summary, "ComboBox2");
        QStringList groupings;
        for (int i = 0; i < grouping->count(); ++i) {
            groupings << grouping->itemText(i);
        }
        EXPECT_EQ(groupings, (QStringList{"按计划类别", "按主管部门", "按项目所在地", "按项目领域",
                                          "按预期成果主要形式", "按项目来源"}));
        EXPECT_EQ(charted->count(), 8);
        EXPECT_EQ(charted->currentText(), QStringLiteral("申请经费（万元）"));

        // By plan category: three groups and the total in bold; the chart
        // shows 申请经费 of the groups in table order.
        EXPECT_EQ(GridColumn(summary, 0),
                  (QStringList{"01 重点科技攻关计划", "03 星火计划", "（未填）", "合计"}));
        EXPECT_EQ(GridText(summary, 3, kSummaryNoteColumn),
                  QStringLiteral("含4项非数字，1个项目无数据文件"));
        QAbstractItemModel* model = Grid(summary)->model();
        EXPECT_TRUE(model->data(model->index(3, 0), Qt::FontRole).value<QFont>().bold());
        EXPECT_FALSE(model->data(model->index(0, 0), Qt::FontRole).value<QFont>().bold());
        EXPECT_EQ(Bars(summary), (QList<qreal>{20, 100, 20.0001}));

        // A click on 申请经费 puts the largest first, a second the smallest;
        // the total stays at the foot; the chart follows.
        ClickTitle(summary, kSummaryFirstAmountColumn);
        EXPECT_EQ(GridColumn(summary, 0),
                  (QStringList{"03 星火计划", "（未填）", "01 重点科技攻关计划", "合计"}));
        EXPECT_EQ(Bars(summary), (QList<qreal>{100, 20.0001, 20}));
        ClickTitle(summary, kSummaryFirstAmountColumn);
        EXPECT_EQ(GridColumn(summary, 0),
                  (QStringList{"01 重点科技攻关计划", "（未填）", "03 星火计划", "合计"}));

        // Another grouping keeps the order asked for; another charted column.
        grouping->setCurrentIndex(1);
        EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("主管部门"));
        EXPECT_EQ(GridColumn(summary, 0),
                  (QStringList{"（未填）", "澄阳市科委", "省科学院", "合计"}));
        charted->setCurrentIndex(0);
        EXPECT_EQ(Bars(summary), (QList<qreal>{2, 2, 2}));
        EXPECT_EQ(summary->chartColumn(), kSummaryCountColumn);
        QTest::mouseClick(Find<QPushButton>(summary, "Button4"), Qt::LeftButton);
        EXPECT_FALSE(summary->isVisible());
    });
    command->trigger();
    EXPECT_TRUE(seen);
    EXPECT_EQ(answerer.pending(), 0u);

    // Over a query's shown list it counts only those projects.
    form->RunQuery(ListColumn::PlanCategory, Gbk("星火"), "");
    answerer.Then([](QWidget* window) {
        EXPECT_EQ(GridColumn(window, 0), (QStringList{"03 星火计划", "合计"}));
        window->close();
    });
    command->trigger();
    EXPECT_EQ(answerer.pending(), 0u);

    // A data file that cannot be read: the standard error box, no window.
    const fs::path victim = store.path("S0000003.zzj");
    platform::SetFaultInjector([victim](platform::FileOperation operation, const fs::path& path) {
        return operation == platform::FileOperation::Read && path == victim ? EIO : 0;
    });
    answerer.Ok();
    command->trigger();
    platform::SetFaultInjector({});
    ASSERT_EQ(answerer.messages().size(), 1);
    EXPECT_EQ(answerer.icons()[0], QMessageBox::Critical);
    EXPECT_TRUE(answerer.messages()[0].contains(QStringLiteral("S0000003.zzj")));

    // An empty list: nothing to sum, nothing shown.
    TempStore empty;
    auto emptyForm = StartMainForm(empty, answerer);
    Trigger(emptyForm.get(), "NSummary");
    EXPECT_EQ(answerer.unexpected(), 0);
    EXPECT_EQ(answerer.messages().size(), 1);
}

TEST(SummaryOutput, TextFilePrintedPagesPreviewAndPdf) {
    TempStore store;
    WriteHandStore(store);
    ModalAnswerer answerer;
    TSummaryForm form(store.dir(), ReadSummaryProjects(store.dir(), ReloadList(store.dir())));
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    // The window opens on its first choice, not on a button, and Enter on
    // the choices or the table starts no command.
    EXPECT_EQ(form.focusWidget(), Find<QComboBox>(&form, "ComboBox1"));
    for (const char* name : {"ComboBox1", "StringGrid1"}) {
        QTest::keyClick(Find<QWidget>(&form, name), Qt::Key_Return);
        EXPECT_EQ(answerer.unexpected(), 0) << name;
    }
    const auto click = [&form](const char* name) {
        QTest::mouseClick(Button(&form, name), Qt::LeftButton);
    };

    // The text file: a header line, the rows as shown, the total; a tab
    // after every field and CR LF after every line.
    answerer.Ok();
    click("Button3");
    const auto line = [](const Row& row) {
        std::string text;
        for (const std::string& cell : row) {
            text += Gbk(cell) + "\t";
        }
        return text + "\r\n";
    };
    const std::string header = line({"计划类别", "项目数", "申请经费", "国家拨款", "省拨款",
                                     "部门或地方匹配", "贷款", "单位自筹", "其他", "备注"});
    EXPECT_EQ(store.Read("tarvok08.txt"),
              header + line(kKeyProjects) + line(kSpark) + line(kUnfilled) + line(kTotal));
    ASSERT_EQ(answerer.messages().size(), 1);
    EXPECT_EQ(answerer.messages()[0],
              QStringLiteral("共输出3个分组的汇总数据，输出的文本文件为“%1”")
                  .arg(FromPath(store.path("tarvok08.txt"))));
    // Written anew each time, in the order shown.
    ClickTitle(&form, kSummaryFirstAmountColumn);
    answerer.Ok();
    click("Button3");
    EXPECT_EQ(store.Read("tarvok08.txt"),
              header + line(kSpark) + line(kUnfilled) + line(kKeyProjects) + line(kTotal));

    // The printed pages: title, captions, the groups in the order shown,
    // then the total row and the chart after the last of them.
    const report::ReportDocument document =
        report::LayOutReport(form.definition(), form.ReportSource());
    ASSERT_EQ(document.pages.size(), 1u);
    EXPECT_EQ(document.rowCount, 3);
    const report::ReportPage& page = document.pages[0];
    const auto title = Bands(page, report::BandKind::Title);
    ASSERT_EQ(title.size(), 1u);
    EXPECT_EQ(title[0]->field(SummaryTitleField())->shownText(),
              QStringLiteral("澄川省计划项目汇总表（按计划类别）"));
    QStringList groups;
    for (const report::PlacedBand* band : Bands(page, report::BandKind::Detail)) {
        groups << band->field(SummaryDetailField(0))->shownText();
    }
    EXPECT_EQ(groups, (QStringList{"03 星火计划", "（未填）", "01 重点科技攻关计划"}));
    const auto summary = Bands(page, report::BandKind::Summary);
    ASSERT_EQ(summary.size(), 1u);
    EXPECT_GE(summary[0]->rect.top(),
              Bands(page, report::BandKind::Detail).back()->rect.bottom() - 1e-6);
    EXPECT_EQ(summary[0]->field(SummaryTotalField(2))->shownText(), QStringLiteral("140.0001"));
    const report::PlacedField* chart = summary[0]->field(SummaryChartField());
    ASSERT_NE(chart, nullptr);
    EXPECT_FALSE(chart->picture.isNull());
    EXPECT_LE(summary[0]->rect.bottom(),
              Bands(page, report::BandKind::PageFooter)[0]->rect.top() + 1e-6);
    // Numbers stand flush right in their columns.
    const report::PlacedField* sum = summary[0]->field(SummaryTotalField(2));
    EXPECT_GT(sum->lines[0].x, 0);

    // The chart fills its box on the page: the longest bar (100 of an axis
    // to 150) reaches well into the right half, and nothing spills out.
    const QImage image = report::RenderPageImage(document, 0, 60);
    const double mm = 60 / 25.4;
    const QRect box(qRound(chart->box.left() * mm), qRound(chart->box.top() * mm),
                    qRound(chart->box.width() * mm), qRound(chart->box.height() * mm));
    int bars = 0;
    int rightmost = -1;
    for (int y = box.top(); y <= box.bottom(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor colour = image.pixelColor(x, y);
            if (colour == kBarColour) {
                ++bars;
                rightmost = std::max(rightmost, x);
            }
        }
    }
    EXPECT_GT(bars, 100);
    EXPECT_GT(rightmost, box.left() + box.width() * 55 / 100);
    EXPECT_LT(rightmost, box.right());

    // Without a printer: a PDF beside the program, also from the preview.
    report::SetDefaultPrinterForTesting([] { return std::unique_ptr<QPrinter>(); });
    answerer.Ok();
    click("Button2");
    answerer.Then([](QWidget* window) {
        auto* preview = qobject_cast<report::ReportPreview*>(window);
        ASSERT_NE(preview, nullptr);
        EXPECT_EQ(preview->document().rowCount, 3);
        EXPECT_EQ(preview->pageCount(), 1);
        Trigger(preview, "PrintReport");
        preview->close();
    });
    answerer.Ok();
    click("Button1");
    report::SetDefaultPrinterForTesting({});
    ASSERT_EQ(answerer.messages().size(), 4);
    const QString done = QStringLiteral("系统中没有安装打印机，汇总表已输出为PDF文件“%1”")
                             .arg(FromPath(store.path("tarvok08.pdf")));
    EXPECT_EQ(answerer.messages()[2], done);
    EXPECT_EQ(answerer.messages()[3], done);
    if (HavePdfTools()) {
        const fs::path pdf = store.path("tarvok08.pdf");
        EXPECT_TRUE(PdfInfo(pdf, QStringLiteral("Page size")).startsWith("842 x 595"));
        const QString text = PdfText(pdf);
        EXPECT_TRUE(text.contains(QStringLiteral("澄川省计划项目汇总表（按计划类别）")));
        EXPECT_TRUE(text.contains(QStringLiteral("140.0001")));
        EXPECT_TRUE(text.contains(QStringLiteral("含4项非数字")));
    }

    // A text file that cannot be written: the standard error box.
    fs::create_directory(store.path("tarvok08.txt.d"));
    fs::remove(store.path("tarvok08.txt"));
    fs::rename(store.path("tarvok08.txt.d"), store.path("tarvok08.txt"));
    answerer.Ok();
    click("Button3");
    ASSERT_EQ(answerer.messages().size(), 5);
    EXPECT_EQ(answerer.icons()[4], QMessageBox::Critical);
    EXPECT_TRUE(answerer.messages()[4].contains(QStringLiteral("tarvok08.txt")));
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(answerer.unexpected(), 0);
}

}  // namespace
}  // namespace shenbao::testing
