#include "report/preview.h"

#include <QAction>
#include <QLabel>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QScreen>
#include <QShowEvent>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>

#include "report/printing.h"
#include "report/render.h"

namespace shenbao::report {

ReportPreview::ReportPreview(const ReportDefinition& definition, const ReportSource& source,
                             std::function<void(QWidget*)> print, QWidget* parent)
    : QDialog(parent),
      definition_(definition),
      source_(source),
      print_(std::move(print)),
      printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)) {
    setObjectName(QStringLiteral("ReportPreview"));
    setWindowTitle(definition.name.isEmpty()
                       ? QStringLiteral("打印预览")
                       : QStringLiteral("打印预览 - %1").arg(definition.name));
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);

    // The preview's own sheet; drawing it never touches a real printer.
    printer_->setOutputFormat(QPrinter::PdfFormat);
    printer_->setFullPage(true);
    printer_->setPageLayout(definition.page.deviceLayout());

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    ToolBar = new QToolBar(this);
    ToolBar->setObjectName(QStringLiteral("ToolBar"));
    ToolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    layout->addWidget(ToolBar);
    View = new QPrintPreviewWidget(printer_.get(), this);
    View->setObjectName(QStringLiteral("View"));
    layout->addWidget(View, 1);

    FirstPage = AddAction("FirstPage", QStringLiteral("首页"), QKeySequence(Qt::Key_Home));
    PreviousPage =
        AddAction("PreviousPage", QStringLiteral("上一页"), QKeySequence(Qt::Key_PageUp));
    PageLabel = new QLabel(ToolBar);
    PageLabel->setObjectName(QStringLiteral("PageLabel"));
    PageLabel->setContentsMargins(8, 0, 8, 0);
    ToolBar->addWidget(PageLabel);
    NextPage = AddAction("NextPage", QStringLiteral("下一页"), QKeySequence(Qt::Key_PageDown));
    LastPage = AddAction("LastPage", QStringLiteral("末页"), QKeySequence(Qt::Key_End));
    ToolBar->addSeparator();
    QAction* zoomIn = AddAction("ZoomIn", QStringLiteral("放大"), QKeySequence::ZoomIn);
    QAction* zoomOut = AddAction("ZoomOut", QStringLiteral("缩小"), QKeySequence::ZoomOut);
    QAction* fitWidth = AddAction("FitWidth", QStringLiteral("适合宽度"), QKeySequence());
    QAction* fitPage = AddAction("FitPage", QStringLiteral("整页"), QKeySequence());
    ToolBar->addSeparator();
    QAction* printAction = AddAction("PrintReport", QStringLiteral("打印"), QKeySequence::Print);
    QAction* close = AddAction("ClosePreview", QStringLiteral("关闭"), QKeySequence());

    connect(FirstPage, &QAction::triggered, this, [this] { setCurrentPage(1); });
    connect(PreviousPage, &QAction::triggered, this, [this] { setCurrentPage(currentPage() - 1); });
    connect(NextPage, &QAction::triggered, this, [this] { setCurrentPage(currentPage() + 1); });
    connect(LastPage, &QAction::triggered, this, [this] { setCurrentPage(pageCount()); });
    connect(zoomIn, &QAction::triggered, View, [this] { View->zoomIn(1.25); });
    connect(zoomOut, &QAction::triggered, View, [this] { View->zoomOut(1.25); });
    connect(fitWidth, &QAction::triggered, View, &QPrintPreviewWidget::fitToWidth);
    connect(fitPage, &QAction::triggered, View, &QPrintPreviewWidget::fitInView);
    connect(printAction, &QAction::triggered, this, &ReportPreview::Print);
    connect(close, &QAction::triggered, this, &QDialog::reject);

    connect(View, &QPrintPreviewWidget::paintRequested, this, &ReportPreview::Paint);
    connect(View, &QPrintPreviewWidget::previewChanged, this, &ReportPreview::UpdateControls);
    View->setZoomMode(QPrintPreviewWidget::FitInView);
    resize(900, 640);
    FitIntoScreen();
}

void ReportPreview::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Now with the frame, where the platform tells it.
    FitIntoScreen();
}

void ReportPreview::FitIntoScreen() {
    const QRect area = screen()->availableGeometry();
    const QRect frame = frameGeometry();
    if (area.contains(frame)) {
        return;  // also a window that the window manager has maximised
    }
    const QSize over(std::max(0, frame.width() - area.width()),
                     std::max(0, frame.height() - area.height()));
    if (over.width() > 0 || over.height() > 0) {
        resize(size() - over);
    }
    const QSize outer = frameGeometry().size();
    move(
        std::clamp(frame.x(), area.left(), std::max(area.left(), area.right() + 1 - outer.width())),
        std::clamp(frame.y(), area.top(),
                   std::max(area.top(), area.bottom() + 1 - outer.height())));
}

ReportPreview::~ReportPreview() = default;

QAction* ReportPreview::AddAction(const char* name, const QString& text, const QKeySequence& key) {
    QAction* action = ToolBar->addAction(text);
    action->setObjectName(QString::fromLatin1(name));
    if (!key.isEmpty()) {
        action->setShortcut(key);
    }
    return action;
}

int ReportPreview::pageCount() const {
    return View->pageCount();
}

int ReportPreview::currentPage() const {
    return View->currentPage();
}

void ReportPreview::setCurrentPage(int page) {
    const int count = pageCount();
    if (count == 0) {
        return;
    }
    View->setCurrentPage(std::clamp(page, 1, count));
    UpdateControls();
}

void ReportPreview::Paint(QPrinter* printer) {
    // The pages are drawn as each section is laid out; a run of many forms
    // counts them in a progress window that can cancel it.
    std::optional<SectionProgress> progress;
    if (source_.sections > 1) {
        progress.emplace(this, windowTitle(), source_.sections);
    }
    PageRenderer renderer(*printer);
    std::vector<ReportPage> firstSection;
    bool cancelled = false;
    error_ = nullptr;
    try {
        document_ = StreamReport(definition_, source_, [&](ReportDocument& section) {
            for (int i = 0; i < static_cast<int>(section.pages.size()); ++i) {
                renderer.Draw(section, i);
            }
            if (section.sectionCount <= 1) {
                firstSection = std::move(section.pages);
            }
            cancelled = progress && !progress->Show(section.sectionCount);
            return !cancelled;
        });
    } catch (...) {
        error_ = std::current_exception();
    }
    renderer.End(definition_.page);
    document_.pages = std::move(firstSection);
    if (error_ || cancelled) {
        // Closed once the preview has taken in what was drawn.
        QMetaObject::invokeMethod(this, &QDialog::reject, Qt::QueuedConnection);
    }
}

void ReportPreview::UpdateControls() {
    const int count = pageCount();
    const int page = currentPage();
    PageLabel->setText(QStringLiteral("第 %1 页，共 %2 页").arg(count == 0 ? 0 : page).arg(count));
    FirstPage->setEnabled(page > 1);
    PreviousPage->setEnabled(page > 1);
    NextPage->setEnabled(page < count);
    LastPage->setEnabled(page < count);
}

void ReportPreview::Print() {
    if (print_) {
        print_(this);
    }
}

void ShowPreview(QWidget* parent, const ReportDefinition& definition, const ReportSource& source,
                 std::function<void(QWidget*)> print) {
    ReportPreview preview(definition, source, std::move(print), parent);
    preview.setWindowState(preview.windowState() | Qt::WindowMaximized);
    preview.exec();
    if (preview.error()) {
        std::rethrow_exception(preview.error());
    }
}

}  // namespace shenbao::report
