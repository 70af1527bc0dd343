#pragma once

// Clearing the store: the warning dialog with its blinking question, and the
// removal of every project the index file names together with the index.

#include <QDialog>
#include <filesystem>

class QLabel;
class QPushButton;
class QTimer;

namespace shenbao {

// Deletes ID + ".zzj" and ID + ".zj" in `dataDir` for every line of the index
// file, each line taken as it stands (not trimmed; a line that could name a
// file outside the data directory, or the code table or a path setting file,
// is passed over), then the index file itself. Files that are missing or
// cannot be deleted are passed over. False, with nothing deleted, when there
// is no index file. Throws IoError when the index cannot be read or removed.
bool ClearStoreFiles(const std::filesystem::path& dataDir);

class TClearAllForm : public QDialog {
    Q_OBJECT
  public:
    explicit TClearAllForm(const std::filesystem::path& dataDir, QWidget* parent = nullptr);

    static constexpr int kBlinkMs = 300;

    // True once the store has been cleared in this dialog.
    bool cleared() const { return cleared_; }

    // Clears the store and reports the outcome in a message box; true when
    // the store was cleared. Throws IoError as ClearStoreFiles.
    bool DeleteAllProjects();

  private:
    void Timer1Timer();
    void Button1Click();
    void Button2Click();

    std::filesystem::path dataDir_;
    bool cleared_ = false;

    QLabel* Label1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QTimer* Timer1 = nullptr;
};

}  // namespace shenbao
