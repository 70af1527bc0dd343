#pragma once

// The path dialog: chooses the export or the import path and keeps it in its
// setting file ("_DataOut.zzj" or "_DataIn.zzj") in the data directory.

#include <QDialog>
#include <QListWidget>
#include <filesystem>
#include <string>

class QComboBox;
class QLabel;
class QLineEdit;

namespace shenbao {

// A directory list in the manner of the classic control: the open folders
// from the drive's root down to the current directory, then the current
// directory's subfolders, indented. A click selects an entry; a double-click
// or Enter opens it, and the list moves there.
class TDirectoryListBox : public QListWidget {
    Q_OBJECT
  public:
    explicit TDirectoryListBox(QWidget* parent = nullptr);

    // The directory the list stands in (native path, no trailing separator
    // except at the root).
    const std::filesystem::path& directory() const { return directory_; }
    // The root of the drive the list belongs to.
    const std::filesystem::path& driveRoot() const { return driveRoot_; }

    // Moves the list to `dir` (and to the drive that holds it). False, with
    // the list left where it stands, when `dir` is no readable directory or
    // lies on a drive without disk.
    bool setDirectory(const std::filesystem::path& dir);
    // Moves the list to the root of the drive whose root is `root`.
    bool setDrive(const std::filesystem::path& root);

  signals:
    // The list has moved to another directory.
    void changed();

  protected:
    // Enter opens the current entry and goes no further (it does not
    // confirm the dialog).
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void Fill();
    void Open(QListWidgetItem* item);

    std::filesystem::path directory_;
    std::filesystem::path driveRoot_;
};

class TGetPathForm : public QDialog {
    Q_OBJECT
  public:
    // `dataDir`: where the setting files are.
    explicit TGetPathForm(const std::filesystem::path& dataDir, QWidget* parent = nullptr);

    // The path being set: Label1 says "数据导出路径" or "数据引入路径", and
    // the setting file is the export or the import path file.
    enum class PathKind { Export, Import };
    void setPathKind(PathKind kind);
    // The setting file of the path being set.
    std::string settingFileName() const;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void FormShow();
    void DirectoryListBox1Change();
    void DriveComboBox1Change(int index);
    void Button1Click();
    void Button2Click();
    // The export path names a folder that is there, or one the user has had
    // made now, or one on a drive without disk (made when the disk is in);
    // false, with the reason shown, when the dialog is to stay open.
    bool ExportFolderReady(const std::string& pathText);
    // Puts the drive of the directory list into the drive selector.
    void ShowListDrive();

    std::filesystem::path dataDir_;
    PathKind kind_ = PathKind::Import;

    QLabel* Label1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    TDirectoryListBox* DirectoryListBox1 = nullptr;
    QComboBox* DriveComboBox1 = nullptr;
};

}  // namespace shenbao
