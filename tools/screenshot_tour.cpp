// screenshot_tour DATADIR OUTDIR: opens the program's windows one after the
// other on the sample store in DATADIR, as a user would see them, and saves
// a PNG of each into OUTDIR. Run it under Xvfb (tools/screenshots.sh).

#include <QAbstractButton>
#include <QAction>
#include <QAbstractItemView>
#include <QApplication>
#include <QChartView>
#include <QComboBox>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QScreen>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <cstdio>
#include <functional>

#include "core/print_feed.h"
#include "core/summary.h"
#include "editor/zpinfo.h"
#include "exchange/clearall.h"
#include "exchange/getpath.h"
#include "gui/fonts.h"
#include "gui/text.h"
#include "mainwin/first.h"
#include "mainwin/guide.h"
#include "mainwin/list_model.h"
#include "mainwin/zmain.h"
#include "output/application_form_report.h"
#include "output/print_report.h"
#include "output/printa.h"
#include "output/summary_form.h"
#include "platform/platform.h"
#include "report/printing.h"
#include "report/render.h"

namespace {

using namespace shenbao;

QString gOut;

void Save(QWidget* window, const char* name) {
    window->raise();
    window->activateWindow();
    if (!QTest::qWaitForWindowExposed(window)) {
        std::fprintf(stderr, "%s did not appear on the screen\n", name);
    }
    QTest::qWait(300);
    const QString path = gOut + "/" + QString::fromLatin1(name) + ".png";
    if (!window->grab().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    } else {
        std::printf("%s\n", qPrintable(path));
    }
}

// The screen around `widget` and `popup` (a drop-down list, a menu, a box),
// which grab() of a window alone does not show.
void SaveScreen(QWidget* widget, QWidget* popup, const char* name) {
    QTest::qWait(300);
    QRect area(widget->mapToGlobal(QPoint(0, 0)), widget->size());
    if (popup != nullptr && popup->isVisible()) {
        area = area.united(popup->window()->frameGeometry());
    }
    QScreen* screen = widget->screen();
    area = area.adjusted(-4, -4, 4, 4).intersected(screen->geometry());
    const QString path = gOut + "/" + QString::fromLatin1(name) + ".png";
    if (!screen->grabWindow(0, area.x(), area.y(), area.width(), area.height()).save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    } else {
        std::printf("%s\n", qPrintable(path));
    }
}

// Saves the next modal window (a message box) as it appears over `owner`,
// then answers it with Escape.
void SaveNextModal(QWidget* owner, const char* name) {
    QTimer::singleShot(500, [owner, name] {
        QWidget* box = QApplication::activeModalWidget();
        if (box == nullptr) {
            std::fprintf(stderr, "no box for %s\n", name);
            return;
        }
        SaveScreen(owner, box, name);
        QTest::keyClick(box, Qt::Key_Escape);
    });
}

// Types text into a field as an input method would deliver it.
void Type(QWidget* field, const QString& text) {
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(field, &event);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // As the program starts: the toolkit's own texts in Simplified Chinese,
    // the program's fonts; the locale is the user's.
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                          QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&qtTranslator);
    }
    InstallProgramFont();
    if (argc < 3) {
        std::fprintf(stderr, "usage: screenshot_tour DATADIR OUTDIR\n");
        return 2;
    }
    const QString dataDir = QString::fromLocal8Bit(argv[1]);
    gOut = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(gOut);
    const std::filesystem::path data = ToPath(dataDir) / "";

    {
        TFirstForm splash;
        splash.show();
        Save(&splash, "splash");
    }

    // The main window, started as the program starts it; the splash is
    // clicked away.
    TZMainForm form(dataDir);
    QTimer::singleShot(400, [] {
        if (QWidget* splash = QApplication::activeModalWidget()) {
            QTest::mouseClick(splash, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
        }
    });
    form.resize(1180, 680);
    form.show();
    form.setCurrentRow(3);
    Save(&form, "main");

    auto* sortKeys = form.findChild<QComboBox*>(QStringLiteral("ComboBox1"));
    sortKeys->setCurrentIndex(7);
    emit sortKeys->activated(7);  // as a user's choice
    form.setCurrentRow(1);
    Save(&form, "main-sorted");

    form.findChild<QAction*>(QStringLiteral("N12"))->trigger();
    Type(form.findChild<QLineEdit*>(QStringLiteral("Edit1")), QStringLiteral("水稻"));
    Save(&form, "query-panel");
    form.findChild<QAbstractButton*>(QStringLiteral("Button1"))->click();
    Save(&form, "query-result");
    form.BitBtn11Click();

    // The editor on the first project, tab by tab.
    {
        const std::string id = form.listModel()->row(0)[ListColumn::Id];
        TZPInfoForm editor(data);
        editor.Prepare(id, EditorMode::Modify);
        editor.show();
        auto* tabs = editor.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
        const char* names[] = {"editor-tab1", "editor-tab2", "editor-tab3", "editor-tab4"};
        for (int i = 0; i < 4 && tabs != nullptr; ++i) {
            tabs->setCurrentIndex(i);
            Save(&editor, names[i]);
        }
        // The plan category list dropped down, and the saving message.
        tabs->setCurrentIndex(0);
        auto* categories = editor.findChild<QComboBox*>(QStringLiteral("ComboBox1"));
        categories->showPopup();
        SaveScreen(&editor, categories->view(), "editor-dropdown");
        categories->hidePopup();
        SaveNextModal(&editor, "message-box");
        editor.findChild<QAbstractButton*>(QStringLiteral("BitBtn8"))->click();
    }
    // The same project in view mode.
    {
        const std::string id = form.listModel()->row(0)[ListColumn::Id];
        TZPInfoForm viewer(data);
        viewer.Prepare(id, EditorMode::View);
        viewer.show();
        Save(&viewer, "editor-view");
    }
    // A menu of the main window, dropped down.
    {
        QMenu* menu = form.findChild<QMenu*>(QStringLiteral("N1"));
        form.menuBar()->setActiveAction(menu->menuAction());
        SaveScreen(form.menuBar(), menu, "main-menu");
        menu->hide();
    }

    // Export of every project into a folder beside the store.
    const std::filesystem::path exchange = data.parent_path().parent_path() / "exchange";
    std::filesystem::create_directories(exchange);
    platform::WriteFileAtomically(data / "_DataOut.zzj", exchange.string() + "\r\n");
    form.ExportProjects(true, QString());
    Save(&form, "export-panel");
    form.findChild<QAbstractButton*>(QStringLiteral("Button3"))->click();

    {
        TGetPathForm dialog(data);
        dialog.setPathKind(TGetPathForm::PathKind::Export);
        dialog.show();
        Save(&dialog, "getpath");
    }
    {
        TClearAllForm dialog(data);
        dialog.show();
        // The question in its yellow phase: the blinking is held there.
        auto* question = dialog.findChild<QLabel*>(QStringLiteral("Label1"));
        if (!QTest::qWaitFor([question] {
                return question->palette().color(QPalette::WindowText) == QColor(255, 255, 0);
            })) {
            std::fprintf(stderr, "the question does not blink\n");
        }
        dialog.findChild<QTimer*>(QStringLiteral("Timer1"))->stop();
        Save(&dialog, "clearall");
    }
    {
        TGuideForm guide(data);
        guide.show();
        Save(&guide, "guide");
    }
    {
        WritePrintFeed(data, form.listModel()->rows());
        TPrintAForm window(data, form.projectCount());
        window.show();
        Save(&window, "print-window");
        PrintFeedCursor cursor(ReadPrintFeed(data));
        report::ReportDocument document =
            report::LayOutReport(ProjectListReport(), FeedSource(cursor));
        const QString path = gOut + "/report-page1.png";
        report::RenderPageImage(document, 0, 110).save(path);
        std::printf("%s\n", qPrintable(path));
    }

    // The summary (报表 - 汇总统计): the window by plan category, the chart of
    // the provincial funds by department, and the printed pages of that.
    {
        TSummaryForm summary(data, ReadSummaryProjects(data, form.listModel()->rows()));
        summary.show();
        Save(&summary, "summary-window");
        summary.findChild<QComboBox*>(QStringLiteral("ComboBox1"))->setCurrentIndex(1);
        summary.findChild<QComboBox*>(QStringLiteral("ComboBox2"))->setCurrentIndex(3);
        Save(summary.findChild<QChartView*>(QStringLiteral("Chart1")), "summary-chart");
        const report::ReportDocument document =
            report::LayOutReport(summary.definition(), summary.ReportSource());
        for (std::size_t i = 0; i < document.pages.size(); ++i) {
            const QString path = gOut + QStringLiteral("/summary-page%1.png").arg(i + 1);
            report::RenderPageImage(document, static_cast<int>(i), 110).save(path);
            std::printf("%s\n", qPrintable(path));
        }
    }
    // The application form of the first project (报表 - 打印申报表), as the
    // print action writes it without a printer, its first page at 100 %.
    {
        const std::string id = form.listModel()->rows().front()[ListColumn::Id];
        const std::filesystem::path pdf = data / (id + ".pdf");
        report::WriteReportPdf(
            nullptr, ApplicationFormReport(),
            ApplicationFormSource(data, 1,
                                  [&](std::size_t) { return ReadApplicationForm(data, id); }),
            pdf);
        const QString path = gOut + "/application-form-page1";
        QProcess::execute(QStringLiteral("pdftoppm"),
                          {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("100"),
                           QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"),
                           QStringLiteral("1"), QStringLiteral("-singlefile"), FromPath(pdf), path});
        std::printf("%s.png\n", qPrintable(path));
    }
    return 0;
}
