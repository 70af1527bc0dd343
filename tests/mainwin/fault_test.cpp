// File failures in the middle of real commands: a read-only data directory,
// a store file that vanishes, a write that fails part-way, an exchange
// directory that disappears. Every case ends with a clear message and
// nothing stored is lost.

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QAction>
#include <QFrame>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <csignal>
#include <map>

#include "mainwin/list_model.h"
#include "platform/platform.h"
#include "tests/support/main_form.h"

namespace shenbao {
namespace {

using platform::FileOperation;
using testing::Cell;
using testing::ModalAnswerer;
using testing::SampleRecord;
using testing::StartMainForm;
using testing::TempStore;

namespace fs = std::filesystem;

bool Inside(const fs::path& path, const fs::path& dir) {
    return path.string().rfind(dir.string(), 0) == 0;
}

template <class T>
T* Find(QWidget* parent, const char* name) {
    T* widget = parent->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

class Faults : public ::testing::Test {
  protected:
    void SetUp() override {
        store.InstallCodeTable();
        store.AddProject("F0000001", SampleRecord("第一个项目", "1"));
        store.AddProject("F0000002", SampleRecord("第二个项目", "2"));
        SaveIndex(store.dir(), {"F0000001", "F0000002"});
        form = StartMainForm(store, answerer);
        before = Snapshot();
    }
    void TearDown() override { platform::SetFaultInjector({}); }

    // Acts out a read-only data directory: writes, removals and new
    // directories inside it fail with EROFS.
    void MakeStoreReadOnly() {
        const fs::path dir = store.dir();
        platform::SetFaultInjector([dir](FileOperation operation, const fs::path& path) {
            const bool changes = operation != FileOperation::Read &&
                                 operation != FileOperation::ReadOn &&
                                 operation != FileOperation::List;
            return changes && Inside(path, dir) ? EROFS : 0;
        });
    }

    // Every file of the store with its bytes.
    std::map<std::string, std::string> Snapshot() const {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::directory_iterator(store.dir())) {
            const std::string name = entry.path().filename().string();
            files[name] = store.Read(name);
        }
        return files;
    }

    void ExpectErrorBox(int index, const QString& file) {
        ASSERT_GT(answerer.messages().size(), index);
        EXPECT_EQ(answerer.icons()[index], QMessageBox::Critical);
        EXPECT_TRUE(answerer.messages()[index].contains(file))
            << answerer.messages()[index].toStdString();
    }

    TempStore store;
    ModalAnswerer answerer;
    std::unique_ptr<TZMainForm> form;
    std::map<std::string, std::string> before;
};

TEST_F(Faults, ReadOnlyDataDirectoryRefusesEveryChangeWithAMessage) {
    MakeStoreReadOnly();

    // Add: the index cannot be written, so no editor opens.
    answerer.Ok();
    Find<QPushButton>(form.get(), "BitBtn1")->click();
    ExpectErrorBox(0, QStringLiteral("vemra.zzj"));
    EXPECT_TRUE(answerer.messages()[0].contains(QStringLiteral("只读")));
    // The list shows what the index holds: no row for the new ID.
    EXPECT_EQ(form->projectCount(), 2);
    EXPECT_EQ(form->statusText(), QStringLiteral("库中共有 2 个项目，当前为第 1 个"));

    // Delete: the index is not rewritten, no file is deleted, and the row
    // stays in the list at its place.
    form->setCurrentRow(2);
    answerer.Yes().Ok();
    Find<QPushButton>(form.get(), "BitBtn2")->click();
    ExpectErrorBox(2, QStringLiteral("vemra.zzj"));
    ASSERT_EQ(form->projectCount(), 2);
    EXPECT_EQ(Cell(*form, 2, 0), QStringLiteral("F0000002"));
    EXPECT_EQ(form->currentRow(), 2);

    // Modify and save: the editor reports it and stays open with the typing.
    bool stayedOpen = false;
    answerer
        .Then([&stayedOpen](QWidget* editor) {
            auto* name = Find<QLineEdit>(editor, "Edit1");
            name->setText(name->text() + QStringLiteral("（修改）"));
            Find<QPushButton>(editor, "BitBtn8")->click();  // 存盘: fails
            stayedOpen = editor->isVisible() && name->text().endsWith(QStringLiteral("（修改）"));
            Find<QPushButton>(editor, "BitBtn1")->click();  // 放弃并关闭
        })
        .Ok();
    Find<QPushButton>(form.get(), "BitBtn7")->click();
    EXPECT_TRUE(stayedOpen);
    ExpectErrorBox(3, QStringLiteral(".zzj"));

    // The text listing cannot be written either.
    answerer.Ok();
    Find<QAction>(form.get(), "N16")->trigger();
    ExpectErrorBox(4, QStringLiteral("tarvok07.txt"));

    // Leaving: the index cannot be rewritten, so the program stays.
    answerer.Yes().Ok();
    EXPECT_FALSE(form->close());
    ExpectErrorBox(6, QStringLiteral("vemra.zzj"));
    EXPECT_TRUE(form->isVisible());

    platform::SetFaultInjector({});
    EXPECT_EQ(Snapshot(), before);
    EXPECT_EQ(answerer.unexpected(), 0);
}

TEST_F(Faults, StoreFileVanishingBetweenIndexAndReadingShowsTheIdAlone) {
    const fs::path victim = store.path("F0000002.zzj");
    platform::SetFaultInjector([victim](FileOperation operation, const fs::path& path) {
        if (operation == FileOperation::Read && path == victim) {
            fs::remove(victim);  // gone after the index named it, before the open
        }
        return 0;
    });
    form->ReloadList();
    ASSERT_EQ(form->projectCount(), 2);
    EXPECT_EQ(Cell(*form, 1, 2), QStringLiteral("第一个项目"));
    EXPECT_EQ(Cell(*form, 2, 0), QStringLiteral("F0000002"));
    EXPECT_EQ(Cell(*form, 2, 2), QString());
    EXPECT_TRUE(answerer.messages().isEmpty());
    EXPECT_EQ(store.Read("vemra.zzj"), before["vemra.zzj"]);
}

TEST_F(Faults, WriteFailingPartWayKeepsTheStoredProjectWhole) {
    bool stayedOpen = false;
    answerer
        .Then([&stayedOpen](QWidget* editor) {
            // Enough text that the main data file outgrows the file size
            // limit half-way through its write.
            Find<QPlainTextEdit>(editor, "Memo1")->setPlainText(QString(3000, QChar(0x7814)));
            struct sigaction ignore {
            }, saved{};
            ignore.sa_handler = SIG_IGN;
            sigaction(SIGXFSZ, &ignore, &saved);
            rlimit old{};
            getrlimit(RLIMIT_FSIZE, &old);
            rlimit small = old;
            small.rlim_cur = 4096;
            setrlimit(RLIMIT_FSIZE, &small);
            Find<QPushButton>(editor, "BitBtn10")->click();  // 存盘并关闭: fails
            setrlimit(RLIMIT_FSIZE, &old);
            sigaction(SIGXFSZ, &saved, nullptr);
            stayedOpen = editor->isVisible();
            Find<QPushButton>(editor, "BitBtn1")->click();
        })
        .Ok();
    Find<QPushButton>(form.get(), "BitBtn7")->click();
    EXPECT_TRUE(stayedOpen);
    ExpectErrorBox(0, QStringLiteral("F0000001.zzj"));
    EXPECT_TRUE(answerer.messages()[0].contains(QStringLiteral("文件太大")));
    EXPECT_EQ(Snapshot(), before);
    EXPECT_EQ(Cell(*form, 1, 2), QStringLiteral("第一个项目"));
}

TEST_F(Faults, ExchangeDirectoryDisappearingDuringExportStopsWithAMessage) {
    TempStore exchange;
    const fs::path target = exchange.path("out");
    fs::create_directory(target);
    store.Write("_DataOut.zzj", target.string() + "\r\n");
    before = Snapshot();
    int copies = 0;
    platform::SetFaultInjector([target, &copies](FileOperation operation, const fs::path& path) {
        if (operation == FileOperation::Write && Inside(path, target) && ++copies == 3) {
            fs::remove_all(target);  // the medium is pulled out
        }
        return 0;
    });
    answerer.Ok();
    Find<QAction>(form.get(), "N7")->trigger();
    ExpectErrorBox(0, QStringLiteral("out"));
    EXPECT_FALSE(Find<QFrame>(form.get(), "Panel4")->isVisible());
    EXPECT_TRUE(Find<QWidget>(form.get(), "Panel1")->isEnabled());
    platform::SetFaultInjector({});
    EXPECT_EQ(Snapshot(), before);
    EXPECT_EQ(form->projectCount(), 2);
}

}  // namespace
}  // namespace shenbao
