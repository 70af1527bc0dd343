#pragma once

// The preview window of a report: the pages of a run, moving between pages,
// zoom, and printing. Every time the pages are (re)drawn the report runs
// again from its first row.

#include <QDialog>
#include <exception>
#include <functional>
#include <memory>

#include "report/report.h"

class QAction;
class QLabel;
class QPrinter;
class QPrintPreviewWidget;
class QToolBar;

namespace shenbao::report {

class ReportPreview : public QDialog {
    Q_OBJECT
  public:
    // `print` runs when the user asks to print; it gets this window as the
    // parent of what it shows. The preview stays open afterwards.
    ReportPreview(const ReportDefinition& definition, const ReportSource& source,
                  std::function<void(QWidget*)> print, QWidget* parent = nullptr);
    ~ReportPreview() override;

    int pageCount() const;
    int currentPage() const;  // from 1
    void setCurrentPage(int page);
    QPrintPreviewWidget* pagesView() const { return View; }
    // The latest run: its totals and the pages of its first section (all
    // pages of a report without sections; the others are drawn and dropped).
    const ReportDocument& document() const { return document_; }
    // What made the latest run fail (an IoError of the report's client); the
    // window then closes itself. Null when it did not fail.
    std::exception_ptr error() const { return error_; }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    // Shrinks and moves the window so that it lies, frame and all, inside
    // the screen's available area.
    void FitIntoScreen();
    void Paint(QPrinter* printer);
    void UpdateControls();
    void Print();
    QAction* AddAction(const char* name, const QString& text, const QKeySequence& key);

    ReportDefinition definition_;
    ReportSource source_;
    std::function<void(QWidget*)> print_;
    ReportDocument document_;
    std::exception_ptr error_;
    std::unique_ptr<QPrinter> printer_;

    QToolBar* ToolBar = nullptr;
    QPrintPreviewWidget* View = nullptr;
    QLabel* PageLabel = nullptr;
    QAction* FirstPage = nullptr;
    QAction* PreviousPage = nullptr;
    QAction* NextPage = nullptr;
    QAction* LastPage = nullptr;
};

// Shows the preview window modally, maximised, over `parent`; returns when
// the user closes it. A run that fails closes the window, and its failure is
// thrown on from here.
void ShowPreview(QWidget* parent, const ReportDefinition& definition, const ReportSource& source,
                 std::function<void(QWidget*)> print);

}  // namespace shenbao::report
