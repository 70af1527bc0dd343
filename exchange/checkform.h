#pragma once

// The check window (unit Check): one row per problem that the formal check
// found in the shown projects, sortable by any column. Double-click or Enter
// on a row opens that project in the editor with the focus in the field,
// and the check runs again when the editor closes. Full-width digits are
// repaired by one button; the list is printed or written to "tarvok10.txt".

#include <QDialog>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/project_check.h"
#include "output/result_commands.h"
#include "report/report.h"

class QLabel;
class QModelIndex;
class QTableView;

namespace shenbao {

class CheckModel;

class TCheckForm : public QDialog {
    Q_OBJECT
  public:
    // `rows`: the shown list; `result`: its check, made by the caller.
    TCheckForm(const std::filesystem::path& dataDir, std::vector<ListRow> rows, CheckResult result,
               QWidget* parent = nullptr);
    ~TCheckForm() override;

    const CheckResult& result() const { return result_; }
    // The problems in the order the grid shows them.
    std::vector<const CheckProblem*> shownProblems() const;
    // The projects that may have changed on the disk while the window was
    // open: opened in the editor or repaired.
    const std::set<std::string>& touchedIds() const { return touched_; }

    // The printed list as shown, and its rows for the report engine.
    report::ReportDefinition definition() const;
    report::ReportSource ReportSource() const;

    // Opens the editor for the problem of grid row `row` (as shown), then
    // checks again.
    void OpenProblem(int row);

  public slots:
    void CheckGridDblClick(const QModelIndex& index);
    void CheckGridSortChange(int column, Qt::SortOrder order);
    void FixDigitsClick();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Recheck();
    void ShowResult();
    void WriteText();

    std::filesystem::path dataDir_;
    std::vector<ListRow> rows_;
    CheckResult result_;
    std::set<std::string> touched_;

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QTableView* CheckGrid = nullptr;
    CheckModel* model_ = nullptr;
    std::unique_ptr<ResultCommands> commands_;
};

}  // namespace shenbao
