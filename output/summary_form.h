#pragma once

// The summary window (unit Summary): the shown projects grouped by one
// classification, as a table with a total row and as a bar chart beside it;
// printed through the report engine or written to "tarvok08.txt".

#include <QDialog>
#include <filesystem>
#include <memory>
#include <vector>

#include "core/summary.h"
#include "output/result_commands.h"
#include "report/report.h"

class QChartView;
class QComboBox;
class QLabel;
class QTableView;

namespace shenbao {

class SummaryModel;

class TSummaryForm : public QDialog {
    Q_OBJECT
  public:
    // `projects`: what was read of the shown projects (ReadSummaryProjects),
    // once for the window's life; regrouping does not read again.
    TSummaryForm(const std::filesystem::path& dataDir, std::vector<SummaryProject> projects,
                 QWidget* parent = nullptr);
    ~TSummaryForm() override;

    // The table as shown: grouping, rows in their shown order, total row.
    const SummaryTable& table() const { return table_; }
    // The table column the chart shows (1..8).
    int chartColumn() const;
    // The report of the table as shown, and its rows for the engine.
    report::ReportDefinition definition() const;
    report::ReportSource ReportSource() const;

  public slots:
    void ComboBox1Change(int index);  // grouping chosen
    void ComboBox2Change(int index);  // charted column chosen
    void StringGrid1SortChange(int column, Qt::SortOrder order);

  private:
    void ShowTable();
    void ShowChart();
    void WriteText();

    std::filesystem::path dataDir_;
    std::vector<SummaryProject> projects_;
    SummaryTable table_;

    // The two choices: grouping and charted column.
    QComboBox* ComboBox1 = nullptr;
    QComboBox* ComboBox2 = nullptr;
    // The table, the chart, and the line under them that counts them.
    QTableView* StringGrid1 = nullptr;
    SummaryModel* model_ = nullptr;
    QChartView* Chart1 = nullptr;
    QLabel* Label4 = nullptr;
    std::unique_ptr<ResultCommands> commands_;
};

}  // namespace shenbao
