#pragma once

// The report window of the printed project list (unit PrintA): reads the
// print feed when shown and previews or prints it through the report engine.

#include <QDialog>
#include <filesystem>

#include "core/print_feed.h"
#include "report/report.h"

class QPushButton;

namespace shenbao {

// The report engine's two callbacks over a line table: before a run the
// cursor goes back before line 1; each request for data hands out the next
// line's seven printed fields as display text.
report::ReportSource FeedSource(PrintFeedCursor& feed);

// Prints `definition` on the default printer, or, when no printer is
// installed, writes it into the PDF file `pdfPath` and says where. Failures
// are shown over `parent`; `what` names the printout in the messages
// ("项目清单", "汇总表").
void PrintOrWritePdf(QWidget* parent, const report::ReportDefinition& definition,
                     const report::ReportSource& source, const std::filesystem::path& pdfPath,
                     const QString& what);

class TPrintAForm : public QDialog {
    Q_OBJECT
  public:
    // `projectRows`: the projects of the shown list; with none, preview and
    // print are disabled.
    TPrintAForm(const std::filesystem::path& dataDir, int projectRows, QWidget* parent = nullptr);

    // The line table read from the feed, with the row cursor.
    const PrintFeedCursor& feed() const { return feed_; }
    const report::ReportDefinition& definition() const { return definition_; }
    // The two callbacks the report engine calls during a run.
    report::ReportSource ReportSource();

  public slots:
    void Button1Click();  // preview
    void Button2Click();  // print
    void Button3Click();  // close

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void FormShow();
    // Prints the report to the default printer, or into the PDF file when no
    // printer is installed. Messages go over `parent`.
    void PrintList(QWidget* parent);

    std::filesystem::path dataDir_;
    report::ReportDefinition definition_;
    PrintFeedCursor feed_;
    bool feedRead_ = false;

    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;
};

}  // namespace shenbao
