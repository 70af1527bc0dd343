#include "exchange/getpath.h"

#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>
#include <QStyledItemDelegate>
#include <algorithm>
#include <system_error>

#include "core/transfer.h"
#include "gui/dialogs.h"
#include "gui/fonts.h"
#include "gui/look.h"
#include "gui/text.h"
#include "gui/window.h"
#include "platform/gbk.h"
#include "platform/io_error.h"
#include "platform/platform.h"

namespace shenbao {

namespace fs = std::filesystem;

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kLevelRole = Qt::UserRole + 1;
constexpr int kIndentPixels = 10;
// Whether a drive of the selector has its medium.
constexpr int kReadyRole = Qt::UserRole + 2;

// Indents every entry by its level, as the classic directory list does.
class IndentDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem shifted(option);
        shifted.rect.adjust(Indent(index), 0, 0, 0);
        QStyledItemDelegate::paint(painter, shifted, index);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.rwidth() += Indent(index);
        return size;
    }

  private:
    static int Indent(const QModelIndex& index) {
        return index.data(kLevelRole).toInt() * kIndentPixels;
    }
};

// An absolute, normal path without a trailing separator (the root keeps it).
fs::path PlainPath(const fs::path& path) {
    std::error_code ec;
    fs::path absolute = fs::absolute(path, ec);
    if (ec) {
        absolute = path;
    }
    fs::path normal = absolute.lexically_normal();
    if (!normal.has_filename() && normal.has_relative_path()) {
        normal = normal.parent_path();
    }
    return normal;
}

bool Readable(const fs::path& dir) {
    if (!platform::DirectoryExists(dir)) {
        return false;
    }
    std::error_code ec;
    fs::directory_iterator it(dir, ec);
    return !ec;
}

QString EntryText(const fs::path& path, bool root) {
    return root ? FromPath(path) : FromPath(path.filename());
}

// A path as an item keeps it: its bytes as they are, whatever the encoding of
// the folder names on the disk.
QVariant PathData(const fs::path& path) {
    return QByteArray::fromStdString(path.native());
}

fs::path DataPath(const QVariant& data) {
    return fs::path(data.toByteArray().toStdString());
}

}  // namespace

// ---- The directory list ------------------------------------------------------------

TDirectoryListBox::TDirectoryListBox(QWidget* parent) : QListWidget(parent) {
    setItemDelegate(new IndentDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    // Not itemActivated: styles that activate on a single click would open a
    // folder where the user only meant to select it.
    connect(this, &QListWidget::itemDoubleClicked, this, &TDirectoryListBox::Open);
}

void TDirectoryListBox::Open(QListWidgetItem* item) {
    // Moving refills the list, so it happens after the click has been handled.
    const fs::path target = DataPath(item->data(kPathRole));
    QMetaObject::invokeMethod(
        this, [this, target] { setDirectory(target); }, Qt::QueuedConnection);
}

void TDirectoryListBox::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (QListWidgetItem* item = currentItem()) {
            Open(item);
        }
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
}

bool TDirectoryListBox::setDirectory(const fs::path& dir) {
    const fs::path target = PlainPath(dir);
    const platform::Drive drive = platform::DriveOf(target);
    if (!drive.ready || !Readable(target)) {
        return false;
    }
    directory_ = target;
    driveRoot_ = PlainPath(drive.root);
    Fill();
    emit changed();
    return true;
}

bool TDirectoryListBox::setDrive(const fs::path& root) {
    return setDirectory(root);
}

void TDirectoryListBox::Fill() {
    clear();
    QStyle* style = QApplication::style();
    const QIcon open = style->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style->standardIcon(QStyle::SP_DirClosedIcon);

    auto add = [this](const fs::path& path, const QString& text, const QIcon& icon, int level) {
        auto* item = new QListWidgetItem(icon, text, this);
        item->setData(kPathRole, PathData(path));
        item->setData(kLevelRole, level);
        return item;
    };

    // The open folders from the drive's root down to the directory.
    fs::path walk = driveRoot_;
    QListWidgetItem* current = add(walk, EntryText(walk, true), open, 0);
    int level = 0;
    const fs::path relative = directory_.lexically_relative(driveRoot_);
    for (const fs::path& part : relative) {
        if (part.empty() || part == ".") {
            continue;
        }
        walk /= part;
        current = add(walk, EntryText(walk, false), open, ++level);
    }

    // Its subfolders, by name; hidden ones stay hidden.
    std::vector<fs::path> children;
    std::error_code ec;
    for (fs::directory_iterator it(directory_, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (!name.empty() && name.front() != '.' && platform::DirectoryExists(it->path())) {
            children.push_back(it->path());
        }
    }
    std::sort(children.begin(), children.end());
    for (const fs::path& child : children) {
        add(child, EntryText(child, false), closed, level + 1);
    }
    setCurrentItem(current);
    scrollToItem(current);
}

// ---- The dialog ------------------------------------------------------------------------

TGetPathForm::TGetPathForm(const fs::path& dataDir, QWidget* parent)
    : QDialog(parent, kFixedHelpDialogFlags), dataDir_(dataDir) {
    setObjectName(QStringLiteral("GetPathForm"));
    setWindowTitle(QStringLiteral("设置数据转移路径"));
    setFixedSize(385, 238);
    setFont(SongPixelFont(14));

    auto* bevel = new QFrame(this);
    Named(bevel, "Bevel1")->setGeometry(8, 8, 373, 177);
    bevel->setFrameShape(QFrame::Box);
    bevel->setFrameShadow(QFrame::Sunken);

    Label1 = new QLabel(this);
    Named(Label1, "Label1")->move(24, 20);
    Edit1 = new QLineEdit(this);
    Named(Edit1, "Edit1")->setGeometry(116, 16, 221, 22);
    DirectoryListBox1 = new TDirectoryListBox(this);
    Named(DirectoryListBox1, "DirectoryListBox1")->setGeometry(116, 44, 221, 97);
    DriveComboBox1 = new QComboBox(this);
    Named(DriveComboBox1, "DriveComboBox1")->setGeometry(116, 148, 221, 22);
    const QIcon driveIcon = QApplication::style()->standardIcon(QStyle::SP_DriveHDIcon);
    const QIcon floppyIcon = QApplication::style()->standardIcon(QStyle::SP_DriveFDIcon);
    // Each medium that can be drive A: is named by its label.
    for (const platform::Drive& drive : platform::Drives()) {
        const QString name = QString::fromStdString(drive.name);
        QString text = name;
        if (!drive.label.empty()) {
            text += QStringLiteral("  [") + FromPath(drive.label) + QStringLiteral("]");
        }
        DriveComboBox1->addItem(name == QStringLiteral("A:") ? floppyIcon : driveIcon, text,
                                PathData(PlainPath(drive.root)));
        DriveComboBox1->setItemData(DriveComboBox1->count() - 1, drive.ready, kReadyRole);
    }

    auto* confirm = new QPushButton(QStringLiteral("确认"), this);
    Named(confirm, "Button1")->setGeometry(80, 200, 75, 25);
    auto* cancel = new QPushButton(QStringLiteral("取消"), this);
    Named(cancel, "Button2")->setGeometry(220, 200, 75, 25);
    confirm->setDefault(true);

    connect(DirectoryListBox1, &TDirectoryListBox::changed, this,
            &TGetPathForm::DirectoryListBox1Change);
    connect(DriveComboBox1, &QComboBox::activated, this, &TGetPathForm::DriveComboBox1Change);
    connect(confirm, &QPushButton::clicked, this, &TGetPathForm::Button1Click);
    connect(cancel, &QPushButton::clicked, this, &TGetPathForm::Button2Click);

    // The list starts where the process stands.
    std::error_code ec;
    fs::path start = fs::current_path(ec);
    if (ec || !DirectoryListBox1->setDirectory(start)) {
        DirectoryListBox1->setDirectory(fs::path("/"));
    }
    Edit1->clear();
    CentreOnScreen(this);
}

void TGetPathForm::setPathKind(PathKind kind) {
    kind_ = kind;
    Label1->setText(kind == PathKind::Export ? QStringLiteral("数据导出路径")
                                             : QStringLiteral("数据引入路径"));
    Label1->adjustSize();
}

std::string TGetPathForm::settingFileName() const {
    return std::string(kind_ == PathKind::Export ? kExportPathFileName : kImportPathFileName);
}

void TGetPathForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        FormShow();
    }
}

void TGetPathForm::FormShow() {
    setWindowTitle(Label1->text() + QStringLiteral("设置"));
    const std::string fileName = settingFileName();
    const QString listDirectory = FromPath(DirectoryListBox1->directory());
    try {
        if (platform::FileExists(dataDir_ / fileName)) {
            const std::string line = ReadPathSetting(dataDir_, fileName);
            Edit1->setText(FromGbk(line));
            if (line.empty() ||
                !DirectoryListBox1->setDirectory(ExchangeDirectory(line, dataDir_ / fileName))) {
                Edit1->setText(FromPath(DirectoryListBox1->directory()));
            }
        } else {
            WritePathSetting(dataDir_, fileName, kDefaultExchangePath);
            Edit1->setText(FromGbk(kDefaultExchangePath));
            if (!DirectoryListBox1->setDirectory(platform::MapDrivePath(kDefaultExchangePath))) {
                Edit1->setText(FromPath(DirectoryListBox1->directory()));
            }
        }
    } catch (const IoError&) {
        // The field then shows where the list stands.
        Edit1->setText(listDirectory);
    }
}

void TGetPathForm::DirectoryListBox1Change() {
    Edit1->setText(FromPath(DirectoryListBox1->directory()));
    ShowListDrive();
}

void TGetPathForm::ShowListDrive() {
    const int index = DriveComboBox1->findData(PathData(DirectoryListBox1->driveRoot()));
    if (index >= 0) {
        DriveComboBox1->setCurrentIndex(index);
    }
}

void TGetPathForm::DriveComboBox1Change(int index) {
    const fs::path root = DataPath(DriveComboBox1->itemData(index));
    const bool ready = DriveComboBox1->itemData(index, kReadyRole).toBool();
    if (ready && DriveComboBox1->itemText(index).startsWith(QStringLiteral("A:"))) {
        // The medium chosen here is drive A: from now on.
        platform::ChooseDriveA(root);
    }
    if (!ready || !DirectoryListBox1->setDrive(root)) {
        const QString name = DriveComboBox1->itemText(index).section(QLatin1Char(' '), 0, 0);
        ShowListDrive();
        ShowMessage(this, QStringLiteral("驱动器%1没有准备好！").arg(name));
    }
}

void TGetPathForm::Button1Click() {
    const std::string pathText = ToGbk(Edit1->text());
    if (!IsValidPathText(pathText)) {
        // A line break would cut the setting when it is read back.
        ShowMessage(this, QStringLiteral("路径中不能有换行符、制表符等控制字符，请重新输入或选择路径。"));
        Edit1->setFocus();
        return;
    }
    if (settingFileName() == kExportPathFileName && !ExportFolderReady(pathText)) {
        Edit1->setFocus();
        return;
    }
    if (RunGuarded(this, [this, &pathText] {
            WritePathSetting(dataDir_, settingFileName(), pathText);
        })) {
        accept();
    }
}

bool TGetPathForm::ExportFolderReady(const std::string& pathText) {
    if (pathText.empty()) {
        return true;  // stored as it is; an export then names the empty setting
    }
    const fs::path dir = ExchangeDirectory(pathText, dataDir_ / std::string(kExportPathFileName));
    if (platform::DirectoryExists(dir) || !platform::DriveOf(dir).ready) {
        return true;
    }
    if (platform::EntryKindOf(dir)) {
        // Something else stands under the name: the box says what.
        return RunGuarded(this, [&dir] { platform::RequireDirectory(dir); });
    }
    if (!AskYesNo(this, QStringLiteral("文件夹不存在，要创建吗?"))) {
        return false;
    }
    return RunGuarded(this, [&dir] { platform::MakeDirectories(dir); });
}

void TGetPathForm::Button2Click() {
    reject();
}

}  // namespace shenbao
