// Drawing laid-out pages on images, PDF writers and printers, the preview
// window, the choice of printer and whether the print service answers.

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QAction>
#include <QFile>
#include <QPainter>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include "platform/io_error.h"
#include "report/preview.h"
#include "report/printing.h"
#include "report/render.h"
#include "tests/report/report_support.h"
#include "tests/support/modal.h"
#include "tests/support/temp_store.h"
#include "tests/support/widgets.h"

namespace shenbao::testing {
namespace {

using report::BandKind;

// Landscape A4, 10 mm margins: a 15 mm header with rules and one caption,
// 8 mm detail rows, a 10 mm footer with the page number.
report::ReportDefinition Simple() {
    report::ReportDefinition definition;
    definition.name = QStringLiteral("测试报表");
    definition.page.orientation = QPageLayout::Landscape;
    report::Band header;
    header.height = 15;
    header.ruleTop = header.ruleBottom = true;
    const report::Field caption =
        FieldAt(QStringLiteral("Caption"), QStringLiteral("名称"), {20, 5, 60, 6});
    header.fields.push_back(caption);
    definition.columnHeader = header;
    report::Band detail;
    detail.height = 8;
    report::Field value = caption;
    value.name = QStringLiteral("Value");
    value.kind = report::FieldKind::Data;
    value.data = 0;
    value.top = 1;
    detail.fields.push_back(value);
    definition.detail = detail;
    definition.pageFooter = PageNumberFooter();
    return definition;
}

TableSource Rows(int count) {
    return NumberedRows(count, QStringLiteral("第%1行"));
}

// Rows of `image` in which the column `x` is dark.
std::vector<int> DarkRows(const QImage& image, int x) {
    std::vector<int> rows;
    for (int y = 0; y < image.height(); ++y) {
        if (qGray(image.pixel(x, y)) < 128) {
            rows.push_back(y);
        }
    }
    return rows;
}

// Bounding box of the dark pixels inside `area`.
QRect Ink(const QImage& image, const QRect& area) {
    QRect ink;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (qGray(image.pixel(x, y)) < 160) {
                ink |= QRect(x, y, 1, 1);
            }
        }
    }
    return ink;
}

QRect Pixels(const QRectF& mm, int dpi) {
    const double f = dpi / 25.4;
    return QRectF(mm.left() * f, mm.top() * f, mm.width() * f, mm.height() * f).toAlignedRect();
}

TEST(ReportRender, MillimetresFollowTheDeviceResolutionAndFontsKeepTheirPointSize) {
    TableSource table = Rows(3);
    const report::ReportDocument document = report::LayOutReport(Simple(), table.Source());
    const report::PlacedBand& header = *Bands(document.pages[0], BandKind::ColumnHeader)[0];
    const report::PlacedField& caption = *header.field(QStringLiteral("Caption"));

    QRect inks[2];
    int index = 0;
    for (const int dpi : {100, 300}) {
        SCOPED_TRACE(dpi);
        const QImage image = report::RenderPageImage(document, 0, dpi);
        EXPECT_EQ(image.width(), qRound(297 * dpi / 25.4));
        EXPECT_EQ(image.height(), qRound(210 * dpi / 25.4));
        // Rules at the header's top (10 mm) and bottom (25 mm), the footer's
        // top (190 mm), nothing else in a column between the fields.
        const int x = qRound(150 * dpi / 25.4);
        const std::vector<int> dark = DarkRows(image, x);
        ASSERT_FALSE(dark.empty());
        const auto near = [&](double mm) {
            const double px = mm * dpi / 25.4;
            return std::any_of(dark.begin(), dark.end(),
                               [&](int y) { return std::abs(y - px) <= 1.5; });
        };
        EXPECT_TRUE(near(10.1));
        EXPECT_TRUE(near(24.9));
        EXPECT_TRUE(near(190.1));
        for (const int y : dark) {
            const double mm = y * 25.4 / dpi;
            EXPECT_TRUE(std::abs(mm - 10.1) < 0.5 || std::abs(mm - 24.9) < 0.5 ||
                        std::abs(mm - 190.1) < 0.5)
                << mm;
        }
        inks[index++] = Ink(image, Pixels(caption.box, dpi));
        EXPECT_FALSE(inks[index - 1].isEmpty());
    }
    // Three times the resolution, three times the ink: the text is neither
    // scaled twice nor drawn at a fixed pixel size.
    EXPECT_NEAR(static_cast<double>(inks[1].height()) / inks[0].height(), 3.0, 0.4);
    EXPECT_NEAR(static_cast<double>(inks[1].width()) / inks[0].width(), 3.0, 0.4);
    // 9 points is 3.175 mm: two ideographs are a little narrower.
    EXPECT_NEAR(inks[1].width() * 25.4 / 300, 2 * 3.175, 0.6);
}

TEST(ReportRender, PdfHasTheSheetThePagesAndTheirText) {
    if (!HavePdfTools()) {
        GTEST_SKIP() << "poppler-utils not installed";
    }
    TableSource table = Rows(45);  // 20 rows of 8 mm in 165 mm
    const report::ReportDocument document = report::LayOutReport(Simple(), table.Source());
    ASSERT_EQ(document.pages.size(), 3u);
    QTemporaryDir dir;
    const std::filesystem::path pdf = dir.filePath(QStringLiteral("out.pdf")).toStdString();
    QFile file(QString::fromStdString(pdf.string()));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(report::RenderPdf(document, QStringLiteral("测试")));
    file.close();

    EXPECT_EQ(PdfInfo(pdf, QStringLiteral("Pages")), QStringLiteral("3"));
    EXPECT_TRUE(PdfInfo(pdf, QStringLiteral("Page size")).startsWith(QStringLiteral("842 x 595")));
    const QStringList pages = PdfPages(pdf);
    ASSERT_EQ(pages.size(), 3);
    int next = 1;
    for (int p = 0; p < 3; ++p) {
        const QStringList lines = pages[p].split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        EXPECT_EQ(lines.count(QStringLiteral("名称")), 1);
        EXPECT_EQ(lines.last(), QString::number(p + 1));
        for (const QString& line : lines) {
            if (line.startsWith(QStringLiteral("第"))) {
                EXPECT_EQ(line, QStringLiteral("第%1行").arg(next));
                ++next;
            }
        }
    }
    EXPECT_EQ(next, 46);
}

class Printing : public ::testing::Test {
  protected:
    QTemporaryDir dir;
};

TEST_F(Printing, APrintRunsTheReportFromTheStartAndPrintsEveryPage) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString file = dir.filePath(QStringLiteral("job.pdf"));
    printer.setOutputFileName(file);
    // A portrait printer gets the report's landscape sheet.
    printer.setPageOrientation(QPageLayout::Portrait);
    TableSource table = Rows(25);
    table.cursor = 20;  // left over from an earlier run
    const report::PrintResult result =
        report::PrintReport(nullptr, Simple(), table.Source(), printer);
    EXPECT_EQ(result.status, report::PrintResult::Done);
    EXPECT_EQ(result.pages, 2);
    EXPECT_EQ(table.beforeRuns, 1);
    EXPECT_EQ(table.needDataCalls, 26);
    EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Landscape);
    if (HavePdfTools()) {
        const std::filesystem::path pdf = file.toStdString();
        EXPECT_EQ(PdfInfo(pdf, QStringLiteral("Pages")), QStringLiteral("2"));
        EXPECT_TRUE(PdfText(pdf).contains(QStringLiteral("第1行")));
    }
}

TEST_F(Printing, APdfFileIsReplacedWholeOrNotAtAll) {
    const std::filesystem::path path = dir.filePath(QStringLiteral("list.pdf")).toStdString();
    TableSource table = Rows(5);
    const report::PrintResult result =
        report::WriteReportPdf(nullptr, Simple(), table.Source(), path);
    EXPECT_EQ(result.status, report::PrintResult::Done);
    EXPECT_EQ(result.pages, 1);
    QFile file(QString::fromStdString(path.string()));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().startsWith("%PDF"));

    // A directory in the way: the error names the file.
    const std::filesystem::path blocked = dir.filePath(QStringLiteral("blocked.pdf")).toStdString();
    std::filesystem::create_directory(blocked);
    try {
        report::WriteReportPdf(nullptr, Simple(), table.Source(), blocked);
        ADD_FAILURE() << "no error";
    } catch (const IoError& error) {
        EXPECT_EQ(error.path(), blocked);
    }
    EXPECT_TRUE(std::filesystem::is_directory(blocked));
}

// A Unix socket that takes connections (without answering them) while the
// object lives, as a CUPS server's local socket does.
class ListeningSocket {
  public:
    explicit ListeningSocket(const QByteArray& path) {
        fd_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        if (fd_ < 0 || path.size() >= static_cast<qsizetype>(sizeof(address.sun_path))) {
            return;
        }
        std::copy(path.begin(), path.end(), address.sun_path);
        listening_ = ::bind(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0 &&
                     ::listen(fd_, 4) == 0;
    }
    ~ListeningSocket() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    ListeningSocket(const ListeningSocket&) = delete;
    ListeningSocket& operator=(const ListeningSocket&) = delete;
    bool listening() const { return listening_; }

  private:
    int fd_ = -1;
    bool listening_ = false;
};

// Without a printer the box tells "none installed" from "the print service
// does not answer" by a connection to the CUPS server, here one named by
// CUPS_SERVER as libcups reads it.
TEST(PrintService, AnswersOnlyWhereTheCupsServerTakesAConnection) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString socket = dir.filePath(QStringLiteral("cups.sock"));
    QFile plain(dir.filePath(QStringLiteral("plain")));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    ListeningSocket server(QFile::encodeName(socket));
    ASSERT_TRUE(server.listening());
    ScopedEnv cupsServer("CUPS_SERVER", nullptr);
    struct Row {
        const char* what;
        QString server;
        report::PrintService expected;
    };
    const Row rows[] = {
        {"a socket that is listened to", socket, report::PrintService::Answers},
        {"no socket there", dir.filePath(QStringLiteral("gone.sock")),
         report::PrintService::Silent},
        {"a file that is no socket", plain.fileName(), report::PrintService::Silent},
        // Nothing listens on port 1 of this machine.
        {"a port nobody listens on", QStringLiteral("127.0.0.1:1"), report::PrintService::Silent},
    };
    for (const Row& row : rows) {
        const QByteArray value = row.server.toLocal8Bit();
        cupsServer.Set(value.constData());
        const report::PrintService state = report::PrintServiceState();
        if (state == report::PrintService::Unknown) {
            GTEST_SKIP() << "libcups.so.2 is not installed";
        }
        EXPECT_EQ(state, row.expected) << row.what;
    }
    // A test's stand-in printing system answers as it is told.
    report::SetDefaultPrinterForTesting([] { return std::unique_ptr<QPrinter>(); },
                                        report::PrintService::Silent);
    cupsServer.Set(socket.toLocal8Bit().constData());
    EXPECT_EQ(report::PrintServiceState(), report::PrintService::Silent);
    report::SetDefaultPrinterForTesting({});
    EXPECT_EQ(report::PrintServiceState(), report::PrintService::Answers);
}

TEST(ReportPreviewWindow, ShowsThePagesMovesAndRunsAgainFromTheFirstRow) {
    TableSource table = Rows(45);  // 3 pages
    QWidget* printedFrom = nullptr;
    report::ReportPreview preview(Simple(), table.Source(),
                                  [&](QWidget* window) { printedFrom = window; });
    preview.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&preview));
    // Frame and all within the screen's free area (800 x 600 here).
    EXPECT_TRUE(preview.screen()->availableGeometry().contains(preview.frameGeometry()));
    ASSERT_TRUE(WaitFor([&] { return preview.pageCount() == 3; }));
    EXPECT_EQ(preview.document().rowCount, 45);
    EXPECT_EQ(preview.currentPage(), 1);
    const auto action = [&](const char* name) { return Find<QAction>(&preview, name); };
    EXPECT_FALSE(action("PreviousPage")->isEnabled());
    action("NextPage")->trigger();
    EXPECT_EQ(preview.currentPage(), 2);
    action("LastPage")->trigger();
    EXPECT_EQ(preview.currentPage(), 3);
    EXPECT_FALSE(action("NextPage")->isEnabled());
    action("FirstPage")->trigger();
    EXPECT_EQ(preview.currentPage(), 1);

    const double zoom = preview.pagesView()->zoomFactor();
    action("ZoomIn")->trigger();
    EXPECT_GT(preview.pagesView()->zoomFactor(), zoom);

    // Every redraw is a new run from the first row.
    const int runs = table.beforeRuns;
    table.cursor = 17;
    preview.pagesView()->updatePreview();
    EXPECT_EQ(table.beforeRuns, runs + 1);
    EXPECT_EQ(preview.document().rowCount, 45);

    action("PrintReport")->trigger();
    EXPECT_EQ(printedFrom, &preview);
    EXPECT_TRUE(preview.isVisible());
    action("ClosePreview")->trigger();
    EXPECT_FALSE(preview.isVisible());
}

TEST(ReportPreviewWindow, ShowPreviewReturnsWhenTheUserClosesIt) {
    TableSource table = Rows(2);
    ModalAnswerer answerer;
    int pages = -1;
    answerer.Then([&](QWidget* window) {
        auto* preview = qobject_cast<report::ReportPreview*>(window);
        ASSERT_NE(preview, nullptr);
        pages = preview->pageCount();
        preview->close();
    });
    report::ShowPreview(nullptr, Simple(), table.Source(), {});
    EXPECT_EQ(pages, 1);
    EXPECT_EQ(answerer.pending(), 0u);
}

}  // namespace
}  // namespace shenbao::testing
