// The print command of the main window and the report window TPrintAForm:
// the feed it writes, the window, preview, printing and the PDF fallback, and
// the layout of the printed project list.

#include <gtest/gtest.h>

#include <QAction>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <filesystem>

#include "core/print_feed.h"
#include "gui/fonts.h"
#include "gui/text.h"
#include "mainwin/list_model.h"
#include "output/print_report.h"
#include "output/printa.h"
#include "platform/platform.h"
#include "report/preview.h"
#include "report/printing.h"
#include "store/index_file.h"
#include "store/text.h"
#include "tests/report/report_support.h"
#include "tests/support/main_form.h"

namespace shenbao::testing {
namespace {

namespace fs = std::filesystem;

// Answers the report window: once it is up, `body` runs on it, then the
// window is closed.
ModalAnswerer::Action OnReportWindow(std::function<void(TPrintAForm*)> body) {
    return [body](QWidget* window) {
        auto* form = qobject_cast<TPrintAForm*>(window);
        if (form == nullptr) {
            ADD_FAILURE() << "expected the report window, got "
                          << window->metaObject()->className();
            window->close();
            return;
        }
        QTimer::singleShot(0, form, [form, body] {
            body(form);
            form->close();
        });
    };
}

TProjectRecord Record(const char* name, const char* serial, const char* unit, const char* funds) {
    TProjectRecord record = SampleRecord(name, serial, unit, funds, "2001-07-16");
    record.Fields[Field::DepartmentName] = Gbk("澄阳市科委");
    record.Fields[Field::PlanCategory] = Gbk("星火计划");
    record.Fields[Field::Applicant] = Gbk("张三");
    record.Fields[Field::ProjectField] = Gbk("现代农业");
    return record;
}

std::string FeedLine(const char* serial, const char* name, const char* unit, const char* funds) {
    return std::string(serial) + "\t" + Gbk(name) + "\t" + Gbk(unit) + "\t" + Gbk("澄阳市科委") +
           "\t" + Gbk("星火计划") + "\t" + Gbk("张三") + "\t" + funds + "\t2001-07-16\t" +
           Gbk("现代农业") + "\t\r\n";
}

const std::string kClosingLine = "\t\t\t\t\t\t\t\t\t\r\n";

// The project names in the order a PDF shows them.
QStringList NamesInPdf(const std::filesystem::path& pdf) {
    QStringList names;
    static const QRegularExpression name(QStringLiteral("[甲乙丙丁]项目\\d*"));
    auto it = name.globalMatch(PdfText(pdf, true));
    while (it.hasNext()) {
        names << it.next().captured();
    }
    return names;
}

class PrintCommand : public ::testing::Test {
  protected:
    void SetUp() override {
        store.AddProject("P0000001", Record("乙项目", "2", "乙单位", "7"));
        store.AddProject("P0000002", Record("甲项目", "1", "甲单位", "12"));
        store.AddProject("P0000003", Record("丙项目", "3", "丙单位", "5"));
        SaveIndex(store.dir(), {"P0000001", "P0000002", "P0000003"});
        form = StartMainForm(store, answerer);
        // No printer unless a test installs one.
        report::SetDefaultPrinterForTesting([] { return std::unique_ptr<QPrinter>(); });
    }
    void TearDown() override { report::SetDefaultPrinterForTesting({}); }

    void Print() { Trigger(form.get(), "N11"); }

    // A stand-in printer that writes what it prints into `file`.
    void InstallPrinter(const std::filesystem::path& file) {
        report::SetDefaultPrinterForTesting([file] {
            auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
            printer->setOutputFormat(QPrinter::PdfFormat);
            printer->setOutputFileName(FromPath(file));
            return printer;
        });
    }

    TempStore store;
    ModalAnswerer answerer;
    std::unique_ptr<TZMainForm> form;
};

TEST_F(PrintCommand, TheFeedFollowsTheSortedListAndTheWindowReadsIt) {
    form->SortList(SortKey::SerialNumber);
    std::size_t lines = 0;
    answerer.Then(OnReportWindow([&](TPrintAForm* window) {
        lines = window->feed().lineCount();
        EXPECT_TRUE(Button(window, "Button1")->isEnabled());
        EXPECT_TRUE(Button(window, "Button2")->isEnabled());
    }));
    Print();
    EXPECT_EQ(store.Read("tarvok07.zzj"),
              FeedLine("1", "甲项目", "甲单位", "12") + FeedLine("2", "乙项目", "乙单位", "7") +
                  FeedLine("3", "丙项目", "丙单位", "5") + kClosingLine);
    EXPECT_EQ(lines, 4u);
    EXPECT_EQ(answerer.pending(), 0u);
}

TEST_F(PrintCommand, AfterAQueryOnlyTheShownProjectsAreFed) {
    form->RunQuery(ListColumn::UnitName, Gbk("丙"), "");
    answerer.Then(OnReportWindow([](TPrintAForm*) {}));
    Print();
    EXPECT_EQ(store.Read("tarvok07.zzj"), FeedLine("3", "丙项目", "丙单位", "5") + kClosingLine);
    EXPECT_EQ(answerer.pending(), 0u);
}

TEST_F(PrintCommand, AFeedThatCannotBeWrittenOpensNoWindow) {
    std::filesystem::create_directory(store.path("tarvok07.zzj"));  // in the way
    answerer.Ok();
    Print();
    ASSERT_EQ(answerer.messages().size(), 1);
    EXPECT_EQ(answerer.icons()[0], QMessageBox::Critical);
    EXPECT_TRUE(answerer.messages()[0].contains(QStringLiteral("tarvok07.zzj")));
    EXPECT_EQ(answerer.unexpected(), 0);
}

TEST_F(PrintCommand, WithoutAPrinterTheListBecomesAPdfBesideTheProgram) {
    form->SortList(SortKey::SerialNumber);
    answerer.Then(OnReportWindow([](TPrintAForm* window) {
        QTest::mouseClick(Button(window, "Button2"), Qt::LeftButton);
        QTest::mouseClick(Button(window, "Button2"), Qt::LeftButton);
    }));
    answerer.Ok().Ok();
    Print();
    ASSERT_EQ(answerer.messages().size(), 2);
    const QString expected = QStringLiteral("系统中没有安装打印机，项目清单已输出为PDF文件“%1”")
                                 .arg(FromPath(store.path("tarvok07.pdf")));
    EXPECT_EQ(answerer.messages()[0], expected);
    EXPECT_EQ(answerer.messages()[1], expected);
    ASSERT_TRUE(store.Exists("tarvok07.pdf"));
    if (HavePdfTools()) {
        const std::filesystem::path pdf = store.path("tarvok07.pdf");
        EXPECT_EQ(PdfInfo(pdf, QStringLiteral("Pages")), QStringLiteral("1"));
        EXPECT_TRUE(PdfInfo(pdf, QStringLiteral("Page size")).startsWith("842 x 595"));
        // The second print ran from the first project again.
        EXPECT_EQ(NamesInPdf(pdf), (QStringList{QStringLiteral("甲项目"), QStringLiteral("乙项目"),
                                                QStringLiteral("丙项目")}));
        const QString text = PdfText(pdf);
        EXPECT_TRUE(text.contains(QStringLiteral("澄川省计划项目清单")));
        EXPECT_FALSE(text.contains(QStringLiteral("2001-07-16")));
        EXPECT_FALSE(text.contains(QStringLiteral("现代农业")));
    }
}

TEST_F(PrintCommand, WithoutAPrinterTheBoxSaysWhetherThePrintServiceAnswers) {
    const QString pdf = FromPath(store.path("tarvok07.pdf"));
    struct Row {
        report::PrintService service;
        QString expected;
    };
    const Row rows[] = {
        {report::PrintService::Answers,
         QStringLiteral("系统中没有安装打印机，项目清单已输出为PDF文件“%1”").arg(pdf)},
        {report::PrintService::Silent,
         QStringLiteral("打印服务（CUPS）没有响应，暂时无法使用打印机，项目清单已输出为PDF文件“%1”")
             .arg(pdf)},
        // Without the CUPS library nothing tells: the old words.
        {report::PrintService::Unknown,
         QStringLiteral("系统中没有安装打印机，项目清单已输出为PDF文件“%1”").arg(pdf)},
    };
    for (const Row& row : rows) {
        report::SetDefaultPrinterForTesting([] { return std::unique_ptr<QPrinter>(); },
                                            row.service);
        answerer.Then(OnReportWindow(
            [](TPrintAForm* window) { QTest::mouseClick(Button(window, "Button2"), Qt::LeftButton); }));
        answerer.Ok();
        Print();
        EXPECT_EQ(answerer.messages().value(answerer.messages().size() - 1), row.expected);
        EXPECT_TRUE(store.Exists("tarvok07.pdf"));
    }
    EXPECT_EQ(answerer.messages().size(), 3);
    EXPECT_EQ(answerer.unexpected(), 0);
}

TEST_F(PrintCommand, APdfThatCannotBeWrittenShowsTheErrorBox) {
    std::filesystem::create_directory(store.path("tarvok07.pdf"));
    answerer.Then(OnReportWindow(
        [](TPrintAForm* window) { QTest::mouseClick(Button(window, "Button2"), Qt::LeftButton); }));
    answerer.Ok();
    Print();
    ASSERT_EQ(answerer.messages().size(), 1);
    EXPECT_EQ(answerer.icons()[0], QMessageBox::Critical);
    EXPECT_TRUE(answerer.messages()[0].contains(QStringLiteral("tarvok07.pdf")));
}

TEST_F(PrintCommand, PrintsToTheDefaultPrinterWithoutAsking) {
    const std::filesystem::path job = store.path("printer-job.pdf");
    InstallPrinter(job);
    answerer.Then(OnReportWindow(
        [](TPrintAForm* window) { QTest::mouseClick(Button(window, "Button2"), Qt::LeftButton); }));
    Print();
    EXPECT_EQ(answerer.unexpected(), 0);
    EXPECT_TRUE(answerer.messages().isEmpty());
    ASSERT_TRUE(store.Exists("printer-job.pdf"));
    EXPECT_FALSE(store.Exists("tarvok07.pdf"));
    if (HavePdfTools()) {
        EXPECT_EQ(NamesInPdf(job), (QStringList{QStringLiteral("乙项目"), QStringLiteral("甲项目"),
                                                QStringLiteral("丙项目")}));
    }
}

TEST_F(PrintCommand, PreviewShowsThePagesAndPrintsFromItsFirstRowAgain) {
    const std::filesystem::path job = store.path("printer-job.pdf");
    InstallPrinter(job);
    int previewRows = -1;
    int previewPages = -1;
    answerer.Then(OnReportWindow([](TPrintAForm* window) {
        QTest::mouseClick(Button(window, "Button1"), Qt::LeftButton);
        QTest::mouseClick(Button(window, "Button1"), Qt::LeftButton);
    }));
    for (int i = 0; i < 2; ++i) {
        answerer.Then([&, i](QWidget* window) {
            auto* preview = qobject_cast<report::ReportPreview*>(window);
            ASSERT_NE(preview, nullptr);
            EXPECT_EQ(preview->document().rowCount, 3);
            previewRows = preview->document().rowCount;
            previewPages = preview->pageCount();
            if (i == 1) {
                Trigger(preview, "PrintReport");
            }
            preview->close();
        });
    }
    Print();
    EXPECT_EQ(answerer.pending(), 0u);
    EXPECT_EQ(previewRows, 3);
    EXPECT_EQ(previewPages, 1);
    ASSERT_TRUE(store.Exists("printer-job.pdf"));
    if (HavePdfTools()) {
        EXPECT_EQ(NamesInPdf(job), (QStringList{QStringLiteral("乙项目"), QStringLiteral("甲项目"),
                                                QStringLiteral("丙项目")}));
    }
}

TEST(PrintOnAnEmptyStore, TheWindowOpensWithPreviewAndPrintDisabled) {
    TempStore store;
    ModalAnswerer answerer;
    auto form = StartMainForm(store, answerer);
    bool previewEnabled = true;
    bool printEnabled = true;
    bool closeEnabled = false;
    answerer.Then(OnReportWindow([&](TPrintAForm* window) {
        previewEnabled = Button(window, "Button1")->isEnabled();
        printEnabled = Button(window, "Button2")->isEnabled();
        closeEnabled = Button(window, "Button3")->isEnabled();
    }));
    Trigger(form.get(), "N11");
    EXPECT_EQ(store.Read("tarvok07.zzj"), kClosingLine);
    EXPECT_FALSE(previewEnabled);
    EXPECT_FALSE(printEnabled);
    EXPECT_TRUE(closeEnabled);
    EXPECT_EQ(answerer.pending(), 0u);
}

TEST(PrintAForm, LooksAsDrawnAndReadsTheFeedWhenShown) {
    TempStore store;
    TPrintAForm form(store.dir(), 2);
    EXPECT_EQ(form.objectName(), QStringLiteral("PrintAForm"));
    EXPECT_EQ(form.windowTitle(), QStringLiteral("打印项目清单(纸张大小：A4)"));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_EQ(form.font().family(), QStringLiteral("宋体"));
    EXPECT_EQ(form.font().pixelSize(), 12);
    ExpectLayout(&form, {{"PrintAForm", -1, -1, 566, 76},
                         {"Button1", 104, 22, 75, 25},
                         {"Button2", 232, 22, 75, 25},
                         {"Button3", 360, 22, 75, 25}});
    EXPECT_EQ(Button(&form, "Button1")->text(), QStringLiteral("打印预览"));
    EXPECT_EQ(Button(&form, "Button2")->text(), QStringLiteral("打印"));
    EXPECT_EQ(Button(&form, "Button3")->text(), QStringLiteral("关闭"));

    // The feed is read when the window shows, not before; a feed written
    // later is not read again.
    store.Write("tarvok07.zzj", "1\ta\t\r\n2\tb\t\r\n" + kClosingLine);
    EXPECT_EQ(form.feed().lineCount(), 0u);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_EQ(form.feed().lines(),
              (std::vector<std::string>{"1\ta\t", "2\tb\t", "\t\t\t\t\t\t\t\t\t"}));
    store.Write("tarvok07.zzj", kClosingLine);
    form.hide();
    form.show();
    EXPECT_EQ(form.feed().lineCount(), 3u);

    QTest::mouseClick(Button(&form, "Button3"), Qt::LeftButton);
    EXPECT_FALSE(form.isVisible());
}

TEST(PrintAForm, AVanishedFeedLeavesTheTableEmptyAndPrintsNoRows) {
    TempStore store;
    TPrintAForm form(store.dir(), 2);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_EQ(form.feed().lineCount(), 0u);
    PrintFeedCursor feed = form.feed();
    const report::ReportDocument document =
        report::LayOutReport(form.definition(), FeedSource(feed));
    EXPECT_EQ(document.rowCount, 0);
    EXPECT_EQ(document.pages.size(), 1u);
}

TEST(PrintAForm, AFeedThatCannotBeReadIsReportedAndTheWindowStaysOpen) {
    TempStore store;
    std::filesystem::create_directory(store.path("tarvok07.zzj"));
    ModalAnswerer answerer;
    answerer.Ok();
    TPrintAForm form(store.dir(), 2);
    form.show();
    ASSERT_TRUE(WaitFor([&] { return answerer.messages().size() == 1; }));
    EXPECT_EQ(answerer.icons()[0], QMessageBox::Critical);
    EXPECT_TRUE(answerer.messages()[0].contains(QStringLiteral("tarvok07.zzj")));
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.feed().lineCount(), 0u);
}

TEST(PrintAForm, AFeedFailingPartWayKeepsTheWholeLinesReadBeforeTheFailure) {
    TempStore store;
    // A feed longer than one read, so that the failure comes after lines
    // have come in.
    std::vector<ListRow> rows(20000);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        rows[i][1] = std::to_string(i + 1);
        rows[i][2] = Gbk("澄川省科技计划项目") + std::to_string(i + 1);
        rows[i][3] = Gbk("澄阳市农业科学研究院");
    }
    const fs::path feed = WritePrintFeed(store.dir(), rows);
    ASSERT_GT(fs::file_size(feed), std::uintmax_t{1} << 20);
    const std::vector<std::string> all = SplitLines(PrintFeedText(rows));
    platform::SetFaultInjector([feed](platform::FileOperation operation, const fs::path& path) {
        return operation == platform::FileOperation::ReadOn && path == feed ? EIO : 0;
    });
    ModalAnswerer answerer;
    answerer.Ok();
    TPrintAForm form(store.dir(), static_cast<int>(rows.size()));
    form.show();
    ASSERT_TRUE(WaitFor([&] { return answerer.messages().size() == 1; }));
    platform::SetFaultInjector({});
    EXPECT_EQ(answerer.icons()[0], QMessageBox::Critical);
    EXPECT_TRUE(form.isVisible());

    const std::vector<std::string>& kept = form.feed().lines();
    ASSERT_GT(kept.size(), 1000u);
    ASSERT_LT(kept.size(), all.size());
    EXPECT_TRUE(std::equal(kept.begin(), kept.end(), all.begin()));
}

// ---- The printed project list laid out from a feed ----------------------------------

// Project n of a shown list; the name and the organisation may be given.
ListRow Project(int n, const std::string& name = {}, const std::string& unit = {}) {
    ListRow row;
    row.fill(Gbk("短"));  // a short text in every other cell
    row[ListColumn::SerialNumber] = std::to_string(n);
    row[ListColumn::ProjectName] = name.empty() ? Gbk("项目") + std::to_string(n) : name;
    row[ListColumn::UnitName] = unit.empty() ? Gbk("单位") : unit;
    row[ListColumn::ApplicationDate] = "2001-07-16";
    row[ListColumn::ProjectField] = Gbk("现代农业");
    return row;
}

class ProjectListLayout : public ::testing::Test {
  protected:
    void SetUp() override { ExpectSongFace(SongPointFont(9)); }

    report::ReportDocument LayOut(const std::vector<ListRow>& rows) {
        feed = PrintFeedCursor(SplitLines(PrintFeedText(rows)));
        return report::LayOutReport(ProjectListReport(), FeedSource(feed), printedAt);
    }

    static std::vector<ListRow> Projects(int count) {
        std::vector<ListRow> rows;
        for (int i = 1; i <= count; ++i) {
            rows.push_back(Project(i));
        }
        return rows;
    }

    PrintFeedCursor feed;
    const QDateTime printedAt{QDate(2001, 7, 16), QTime(9, 30, 15)};
};

// Short texts never wrap: every row is 5.56 mm high. Page 1 has 190 mm less
// title (10.58), header (6.35) and footer (6.88): room for 29 rows; the
// following pages 31.
TEST_F(ProjectListLayout, KProjectsGiveKRowsInListOrderOverTheRightPages) {
    struct Case {
        int projects;
        int pages;
    };
    for (const Case c :
         {Case{0, 1}, Case{1, 1}, Case{29, 1}, Case{30, 2}, Case{60, 2}, Case{61, 3}}) {
        SCOPED_TRACE(c.projects);
        const report::ReportDocument document = LayOut(Projects(c.projects));
        ASSERT_EQ(static_cast<int>(document.pages.size()), c.pages);
        int next = 1;
        for (const report::ReportPage& page : document.pages) {
            SCOPED_TRACE(page.number);
            const auto details = Bands(page, report::BandKind::Detail);
            const std::size_t expected = page.number == 1 ? 29 : 31;
            if (page.number < c.pages) {
                EXPECT_EQ(details.size(), expected);
            }
            for (const report::PlacedBand* band : details) {
                EXPECT_EQ(band->field(PrintDetailField(1))->shownText(), QString::number(next));
                EXPECT_EQ(band->field(PrintDetailField(2))->shownText(),
                          QStringLiteral("项目%1").arg(next));
                EXPECT_DOUBLE_EQ(band->rect.height(), 5.56);
                ++next;
            }
        }
        EXPECT_EQ(next, c.projects + 1);
    }
}

TEST_F(ProjectListLayout, TitleOnceCaptionsAndFooterOnEveryPageAtTheirPlaces) {
    const report::ReportDocument document = LayOut(Projects(70));
    ASSERT_EQ(document.pages.size(), 3u);
    const QStringList captions = {QStringLiteral("序号"),     QStringLiteral("项目名称"),
                                  QStringLiteral("承担单位"), QStringLiteral("主管部门"),
                                  QStringLiteral("计划类别"), QStringLiteral("申请人"),
                                  QStringLiteral("省拨款")};
    for (const report::ReportPage& page : document.pages) {
        SCOPED_TRACE(page.number);
        const PageFrame frame = FrameBands(page);
        ASSERT_TRUE(frame.header && frame.footer);
        const report::PlacedBand& header = *frame.header;
        EXPECT_DOUBLE_EQ(header.rect.top(), page.number == 1 ? 20.58 : 10.0);
        EXPECT_DOUBLE_EQ(header.rect.height(), 6.35);
        EXPECT_TRUE(header.ruleTop);
        EXPECT_TRUE(header.ruleBottom);
        for (int c = 1; c <= 7; ++c) {
            const report::PlacedField* caption = header.field(PrintCaptionField(c));
            ASSERT_NE(caption, nullptr);
            EXPECT_EQ(caption->shownText(), captions[c - 1]);
            EXPECT_DOUBLE_EQ(caption->box.top(), header.rect.top() + 0.53);
            EXPECT_DOUBLE_EQ(caption->box.height(), 4.50);
            EXPECT_EQ(caption->font.family(), QStringLiteral("宋体"));
            EXPECT_EQ(caption->font.pointSize(), 9);
        }
        // Columns 6 and 7 sit differently in the header and the rows.
        const report::PlacedBand& row = *Bands(page, report::BandKind::Detail)[0];
        EXPECT_DOUBLE_EQ(header.field(PrintCaptionField(6))->box.left(), 10 + 245.00);
        EXPECT_DOUBLE_EQ(row.field(PrintDetailField(6))->box.left(), 10 + 245.53);
        EXPECT_DOUBLE_EQ(header.field(PrintCaptionField(7))->box.width(), 12.96);
        EXPECT_DOUBLE_EQ(row.field(PrintDetailField(7))->box.width(), 13.49);
        EXPECT_DOUBLE_EQ(row.field(PrintDetailField(3))->box.left(), 10 + 123.30);
        EXPECT_DOUBLE_EQ(row.field(PrintDetailField(3))->box.width(), 60.59);
        EXPECT_DOUBLE_EQ(row.field(PrintDetailField(2))->box.top(), row.rect.top() + 0.53);

        const report::PlacedBand& footer = *frame.footer;
        EXPECT_DOUBLE_EQ(footer.rect.top(), 200 - 6.88);
        EXPECT_TRUE(footer.ruleTop);
        EXPECT_FALSE(footer.ruleBottom);
        const report::PlacedField* number = footer.field(PrintPageNumberField());
        EXPECT_EQ(number->shownText(), QString::number(page.number));
        EXPECT_DOUBLE_EQ(number->box.left(), 10 + 4.76);
        EXPECT_DOUBLE_EQ(number->box.top(), footer.rect.top() + 1.59);
        EXPECT_EQ(number->font.pointSize(), 9);
        const report::PlacedField* moment = footer.field(PrintDateTimeField());
        EXPECT_EQ(moment->shownText(), report::DateTimeText(printedAt));
        EXPECT_DOUBLE_EQ(moment->box.left(), 10 + 225.95);
        EXPECT_DOUBLE_EQ(moment->box.top(), footer.rect.top() + 1.06);
        EXPECT_EQ(moment->font.pointSize(), 8);
    }
    const report::PlacedField* title =
        Bands(document.pages[0], report::BandKind::Title)[0]->field(PrintTitleField());
    EXPECT_EQ(title->shownText(), QStringLiteral("澄川省计划项目清单"));
    EXPECT_EQ(title->font.pointSize(), 16);
    EXPECT_FALSE(title->font.bold());
    EXPECT_NEAR(title->box.center().x(), 148.5, 1e-9);
    EXPECT_DOUBLE_EQ(title->box.top(), 10 + 2.12);
}

TEST_F(ProjectListLayout, OnlyTheOrganisationGrowsAndDateAndFieldAreNotPrinted) {
    const std::string longUnit =
        Gbk("澄川大学机械工程学院流体机械研究所暨省重点实验室联合研究中心");
    const std::string longName =
        Gbk("面向山区小水电站水轮机组的自适应控制与故障诊断关键技术研究及示范应用推广项目"
            "（第二期）Research on Adaptive Control");
    const report::ReportDocument document =
        LayOut({Project(1, {}, longUnit), Project(2, longName), Project(3)});
    const auto rows = Bands(document.pages[0], report::BandKind::Detail);
    ASSERT_EQ(rows.size(), 3u);

    const report::PlacedField* unit = rows[0]->field(PrintDetailField(3));
    EXPECT_GE(unit->lines.size(), 2u);
    EXPECT_EQ(unit->shownText(),
              QStringLiteral("澄川大学机械工程学院流体机械研究所暨省重点实验室联合研究中心"));
    EXPECT_GT(rows[0]->rect.height(), 5.56);
    EXPECT_NEAR(rows[0]->rect.height(), 5.56 + unit->box.height() - 4.50, 1e-9);
    for (int c : {1, 2, 4, 5, 6, 7}) {
        EXPECT_DOUBLE_EQ(rows[0]->field(PrintDetailField(c))->box.height(), 4.50);
    }

    EXPECT_DOUBLE_EQ(rows[1]->rect.height(), 5.56);
    EXPECT_EQ(rows[1]->field(PrintDetailField(2))->lines.size(), 1u);
    EXPECT_DOUBLE_EQ(rows[2]->rect.top(), rows[1]->rect.bottom());

    for (const report::PlacedBand* row : rows) {
        for (const report::PlacedField& field : row->fields) {
            EXPECT_NE(field.shownText(), QStringLiteral("2001-07-16"));
            EXPECT_NE(field.shownText(), QStringLiteral("现代农业"));
        }
    }
}

}  // namespace
}  // namespace shenbao::testing
