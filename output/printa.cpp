#include "output/printa.h"

#include <QPrinter>
#include <QPushButton>
#include <QTimer>

#include "gui/dialogs.h"
#include "gui/fonts.h"
#include "gui/text.h"
#include "gui/window.h"
#include "output/print_report.h"
#include "platform/io_error.h"
#include "report/preview.h"
#include "report/printing.h"

namespace shenbao {

namespace {

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text, int left) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(left, 22, 75, 25);
    return button;
}

}  // namespace

void PrintOrWritePdf(QWidget* parent, const report::ReportDefinition& definition,
                     const report::ReportSource& source, const std::filesystem::path& pdfPath,
                     const QString& what) {
    const std::unique_ptr<QPrinter> printer = report::DefaultPrinter();
    if (!printer) {
        report::PrintResult result;
        if (!RunGuarded(parent, [&] {
                result = report::WriteReportPdf(parent, definition, source, pdfPath);
            })) {
            return;
        }
        if (result.status == report::PrintResult::Failed) {
            ShowMessage(parent, QStringLiteral("无法输出PDF文件“%1”。").arg(FromPath(pdfPath)));
        }
        if (result.status != report::PrintResult::Done) {
            return;
        }
        // An empty list of printers: none installed, or the print service
        // that would name them does not answer.
        const QString why = report::PrintServiceState() == report::PrintService::Silent
                                ? QStringLiteral("打印服务（CUPS）没有响应，暂时无法使用打印机")
                                : QStringLiteral("系统中没有安装打印机");
        ShowMessage(parent,
                    QStringLiteral("%1，%2已输出为PDF文件“%3”").arg(why, what, FromPath(pdfPath)));
        return;
    }
    const report::PrintResult result = report::PrintReport(parent, definition, source, *printer);
    if (result.status == report::PrintResult::Failed) {
        ShowMessage(parent,
                    QStringLiteral("无法在打印机“%1”上打印%2。").arg(printer->printerName(), what));
    }
}

TPrintAForm::TPrintAForm(const std::filesystem::path& dataDir, int projectRows, QWidget* parent)
    : QDialog(parent), dataDir_(dataDir), definition_(ProjectListReport()) {
    setObjectName(QStringLiteral("PrintAForm"));
    setWindowTitle(QStringLiteral("打印项目清单(纸张大小：A4)"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFont(SongPixelFont(12));
    setFixedSize(566, 76);

    Button1 = MakeButton(this, "Button1", QStringLiteral("打印预览"), 104);
    Button2 = MakeButton(this, "Button2", QStringLiteral("打印"), 232);
    Button3 = MakeButton(this, "Button3", QStringLiteral("关闭"), 360);
    const bool any = projectRows > 0;
    Button1->setEnabled(any);
    Button2->setEnabled(any);
    connect(Button1, &QPushButton::clicked, this, &TPrintAForm::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TPrintAForm::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TPrintAForm::Button3Click);
    CentreOnScreen(this);
}

report::ReportSource FeedSource(PrintFeedCursor& feed) {
    report::ReportSource source;
    source.beforeRun = [&feed] { feed.BeforeRun(); };
    source.needData = [&feed](std::vector<QString>& values) {
        PrintedRow row;
        const bool print = feed.NeedData(row);
        for (std::size_t i = 0; i < row.size() && i < values.size(); ++i) {
            values[i] = FromGbk(row[i]);
        }
        return print;
    };
    return source;
}

report::ReportSource TPrintAForm::ReportSource() {
    return FeedSource(feed_);
}

void TPrintAForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!feedRead_) {
        feedRead_ = true;
        FormShow();
    }
}

void TPrintAForm::FormShow() {
    std::vector<std::string> lines;
    try {
        ReadPrintFeed(dataDir_, lines);
        feed_ = PrintFeedCursor(std::move(lines));
    } catch (const IoError& error) {
        // The lines read before the failure are printed.
        feed_ = PrintFeedCursor(std::move(lines));
        // The box comes once the window is up.
        QTimer::singleShot(0, this, [this, error] { ShowIoError(this, error); });
    }
}

void TPrintAForm::Button1Click() {
    report::ShowPreview(this, definition_, ReportSource(),
                        [this](QWidget* window) { PrintList(window); });
}

void TPrintAForm::Button2Click() {
    PrintList(this);
}

void TPrintAForm::Button3Click() {
    close();
}

void TPrintAForm::PrintList(QWidget* parent) {
    PrintOrWritePdf(parent, definition_, ReportSource(), dataDir_ / kPrintPdfName,
                    QStringLiteral("项目清单"));
}

}  // namespace shenbao
