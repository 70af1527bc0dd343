#pragma once

// The main window: menus, the tool row, the project list with its status
// line, the two overlay panels (query/query_panel, exchange/progress_panel),
// start-up and shutdown. Its code is all in mainwin/:
//   zmain.cpp            frame, list, navigation, sorting, start-up, close, help
//   zmain_projects.cpp   add, modify, view, delete, refresh, all projects
//   zmain_query.cpp      the query panel and the queries it runs (the query menu
//                        is a table in zmain.cpp)
//   zmain_output.cpp     the printed project list, the text listing, the summary,
//                        the application forms
//   zmain_exchange.cpp   the check, export and import on the progress panel, paths,
//                        clearing

#include <QMainWindow>
#include <QString>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "mainwin/project_list.h"
#include "store/store_hold.h"

class QAction;
class QComboBox;
class QKeyEvent;
class QLabel;
class QMenu;
class QModelIndex;
class QPushButton;
class QTableView;

namespace shenbao {

class ProjectListModel;
class TProgressPanel;
class TQueryPanel;

class TZMainForm : public QMainWindow {
    Q_OBJECT
  public:
    // `dataDir` empty: the folder of the program file.
    explicit TZMainForm(const QString& dataDir = QString(), QWidget* parent = nullptr);
    ~TZMainForm() override;

    const std::filesystem::path& dataDir() const { return dataDir_; }

    // ---- The project list (rows numbered 1..N as the user sees them) ----------
    ProjectListModel* listModel() const { return model_; }
    int projectCount() const;
    // The row of the focused cell, 1..N; 0 when the list is empty.
    int currentRow() const;
    // Makes row r (1..N) current and scrolls it into view; runs ShowPosition.
    void setCurrentRow(int r);
    QString statusText() const;

    // Rebuilds the whole list from the store; the status line names row 1.
    // Throws IoError (the rows loaded until then stay).
    void ReloadList();
    // Fills row r (1..N) from the main data file of `id`. Throws IoError.
    void LoadProjectRow(const std::string& id, int r);
    // Writes the status line from the list's state.
    void ShowPosition();
    // Sorts the list by `key`; the status line is left as it is.
    void SortList(SortKey key);
    // Start-up without the splash: open the store (OpenStore), tidy up after
    // a run that was killed, reload and sort by project ID. Shows an I/O
    // error in the standard box.
    void LoadAndSortAtStartUp();
    // Takes the store for this window (one writer per data directory). When
    // another copy of the program or another window has it, or its folder
    // could not be made, says so in a box and gives it up: false, and the
    // window then closes without writing anything. True once held.
    bool OpenStore();
    // Whether the store was refused to this window (see OpenStore): it then
    // never shows.
    bool storeRefused() const { return storeRefused_; }
    // Whether the list was read whole from the store by the last reload:
    // only such a list may be written back to the index.
    bool listLoaded() const { return listLoaded_; }

    // Runs `command`, showing a failed file operation in the standard error
    // box (any other exception in a box of its own; the window stays). Then
    // shows the damaged entries the command met, in one box. False when it
    // failed.
    bool RunGuarded(const std::function<void()>& command);
    // Shows the damaged entries that the list met since the last report in
    // one box, and forgets them. Nothing when there were none.
    void ReportDamagedEntries();

    // ---- Query (zmain_query.cpp) ----------------------------------------------
    void ShowQueryPanel();
    void HideQueryPanel();
    // Reloads the list and keeps the rows whose cell in `column` matches.
    // `low` and `high` are GBK; `high` is empty for the text criteria.
    // Throws IoError when the reload fails.
    void RunQuery(ListColumn column, const std::string& low, const std::string& high);

    // ---- Exchange (zmain_exchange.cpp) ----------------------------------------
    void ShowProgressPanel();
    void HideProgressPanel();
    // Runs one export or import on the progress panel: `run` writes its log
    // through the sink it gets (into the panel's log) and returns the count that
    // `doneText` shows for "%1". A failure hides the panel and shows the
    // error box.
    void RunOnProgressPanel(
        const QString& doneText,
        const std::function<int(const std::function<void(const std::string&)>&)>& run);
    void ExportProjects(bool all, const QString& target);
    void ImportProjects(const QString& source);

  public slots:
    // Navigation and exit.
    void BitBtn3Click();
    void BitBtn5Click();
    void BitBtn6Click();
    void BitBtn4Click();
    void BitBtn8Click();
    // Project commands.
    void BitBtn1Click();
    void BitBtn7Click();
    void BitBtn10Click();
    void BitBtn2Click();
    void BitBtn9Click();
    void BitBtn11Click();
    // Sort key chosen.
    void ComboBox1Change(int index);
    // Grid clicks.
    void StringGrid1Click();
    void StringGrid1MouseDown();
    // A double-click on a cell modifies the project of its row.
    void StringGrid1DblClick(const QModelIndex& index);
    // Menu "数据(&1)".
    void NCheckClick();
    void N7Click();
    void N31Click();
    void N32Click();
    void N41Click();
    void N8Click();
    void N61Click();
    void N9Click();
    // Menu "查询(&2)": each entry opens the query panel for one list column
    // (zmain.cpp's table), with the prompt of the entry.
    void OpenQuery(ListColumn column, const char* prompt);
    // Menu "报表(&3)".
    void N11Click();
    void N16Click();
    void NSummaryClick();
    void NApplicationFormClick();
    void NApplicationFormAllClick();
    // Menu "设置(&4)".
    void N18Click();
    void N19Click();
    void N21Click();
    // Menu "帮助(&5)".
    void N17Click();
    void N20Click();

  private slots:
    // The query panel confirmed a criterion: the query runs, and the panel
    // closes unless the query failed.
    void QueryConfirmed(ListColumn column, const std::string& low, const std::string& high);

  protected:
    void setVisible(bool visible) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BuildMenus();
    void BuildToolRow();
    void BuildListArea();
    // The keys users reach for: F1 for the usage guide, Ctrl+Q to leave.
    void BuildShortcuts();
    void BuildQueryPanel();     // zmain_query.cpp
    void BuildProgressPanel();  // zmain_exchange.cpp
    void RunStartUp();
    bool FormCloseQuery();
    void ApplyColumnWidths();
    // Replaces all rows, keeping the focused row number while it exists
    // (else the last row), without touching the status line.
    void ReplaceRows(std::vector<ListRow> rows);
    // The overlay panels' common part: hide or show the grid and enable or
    // disable the tool row and the five top-level menus.
    void SetCommandsAvailable(bool available);
    // The tool row as it stands for a query's result (`query`): no adding,
    // deleting or refreshing, and "全部项目" to go back, which stays
    // available once the whole list is back.
    void ShowQueryButtons(bool query);
    // Centres `panel` over the grid (integer division, in the grid's parent).
    void CentreOverGrid(QWidget* panel);
    // Presses `button` as a key that stands for it does: only while the
    // button can be pressed.
    static void PressIfEnabled(QPushButton* button);
    // Keys on the list: Enter modifies the current project, Delete deletes
    // it. True when `key` was one of them.
    bool StringGrid1KeyDown(const QKeyEvent& key);

    // Says why the index cannot be written now and returns false when the
    // list did not load whole from the store; true when it did.
    bool MayWriteIndex();

    std::filesystem::path dataDir_;
    // This window's hold of the store; the store is open once it is taken.
    StoreHold hold_;
    bool storeOpen_ = false;
    bool storeRefused_ = false;
    bool listLoaded_ = false;
    // Entries met by reloads of the current command, reported at its end.
    std::vector<DamagedEntry> damaged_;
    bool startedUp_ = false;
    bool showPositionBlocked_ = false;

    ProjectListModel* model_ = nullptr;

    // Menus and entries.
    QMenu* N1 = nullptr;
    QMenu* N2 = nullptr;
    QMenu* N3 = nullptr;
    QMenu* N4 = nullptr;
    QMenu* N5 = nullptr;

    // Tool row: the buttons that commands enable and disable, and the sort
    // choice (the arrows, "查看" and the label are the row's alone).
    QWidget* Panel1 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QPushButton* BitBtn7 = nullptr;
    QPushButton* BitBtn8 = nullptr;
    QPushButton* BitBtn9 = nullptr;
    QPushButton* BitBtn11 = nullptr;
    QComboBox* ComboBox1 = nullptr;

    // The list area: the grid and the panels that lie over it.
    QWidget* ListArea = nullptr;
    QTableView* StringGrid1 = nullptr;
    QLabel* StatusText1 = nullptr;

    // The overlay panels.
    TQueryPanel* queryPanel_ = nullptr;
    TProgressPanel* progressPanel_ = nullptr;
};

}  // namespace shenbao
