// File failures in the middle of real commands: a read-only data directory,
// a store file that vanishes, a write that fails part-way, an exchange
// directory that disappears. Every case ends with a clear message and
// nothing stored is lost.

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <sys/stat.h>

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <csignal>
#include <fstream>
#include <functional>
#include <map>
#include <new>
#include <set>
#include <stdexcept>

#include "core/transfer.h"
#include "gui/text.h"
#include "mainwin/list_model.h"
#include "platform/platform.h"
#include "tests/support/main_form.h"

namespace shenbao::testing {
namespace {

using platform::FileOperation;

namespace fs = std::filesystem;

bool Inside(const fs::path& path, const fs::path& dir) {
    return path.string().rfind(dir.string(), 0) == 0;
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

    // Every file of the store with its bytes; other entries, and files too
    // large to read, by their kind and size.
    std::map<std::string, std::string> Snapshot() const {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::directory_iterator(store.dir())) {
            const std::string name = entry.path().filename().string();
            const fs::file_status status = entry.symlink_status();
            if (status.type() != fs::file_type::regular) {
                files[name] = "<kind " + std::to_string(static_cast<int>(status.type())) + ">";
            } else if (entry.file_size() > (1u << 20)) {
                files[name] = "<size " + std::to_string(entry.file_size()) + ">";
            } else {
                files[name] = store.Read(name);
            }
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

    // Leaving: the index cannot be rewritten; the user is asked whether to
    // leave all the same, and may stay.
    answerer.Yes().Ok().No();
    EXPECT_FALSE(form->close());
    ExpectErrorBox(6, QStringLiteral("vemra.zzj"));
    EXPECT_TRUE(answerer.messages()[7].contains(QStringLiteral("仍要退出本系统吗?")));
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

// Entries of the data directory under a project's name that are no file
// the list can read, one row each: the list shows the ID alone and one box
// names them; nothing hangs, nothing is deleted that is not the project's,
// and the program can be closed.
TEST_F(Faults, DamagedStoreEntries) {
    TempStore outside;
    outside.Write("passwd", "root:x:0:0:outside");
    const std::string longId(300, 'L');
    const std::string hugeId(1 << 20, 'M');  // an index line of a megabyte
    struct Row {
        const char* what;
        std::string id;
        std::function<void(const fs::path&)> make;  // gets the main data file's path
        QString reason;  // empty: the ID is no project's and is not listed
    };
    const std::vector<Row> rows = {
        {"a directory", "D0000001", [](const fs::path& p) { fs::create_directory(p); },
         QStringLiteral("这是一个文件夹，不是文件")},
        {"a FIFO", "P0000001", [](const fs::path& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0644), 0); },
         QStringLiteral("这不是普通文件，而是管道、设备或套接字")},
        {"a link to a folder out of the store", "L0000001",
         [&](const fs::path& p) { fs::create_symlink(outside.dir(), p); },
         QStringLiteral("这是一个文件夹，不是文件")},
        {"a sparse file of 64 GiB", "H0000001",
         [](const fs::path& p) {
             std::ofstream(p).put('x');
             fs::resize_file(p, std::uintmax_t{64} << 30);
         },
         QStringLiteral("文件太大")},
        {"an ID too long for a file name", longId, [](const fs::path&) {},
         QStringLiteral("名称太长")},
        {"an ID of a megabyte", hugeId, [](const fs::path&) {}, QStringLiteral("名称太长")},
        {"the index's own name", "vemra", [](const fs::path&) {}, {}},
        {"the code table's name", "_SYSCODE", [](const fs::path&) {}, {}},
    };
    for (const Row& row : rows) {
        if (row.id.size() < 200) {
            row.make(store.path(row.id + ".zzj"));
        }
    }
    TempStore out;
    WritePathSetting(store.dir(), kExportPathFileName, out.dir().string());
    const std::map<std::string, std::string> stored = Snapshot();

    std::vector<std::string> all = {"F0000001", "F0000002"};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        SaveIndex(store.dir(), {"F0000001", row.id, "F0000002"});
        const qsizetype boxes = answerer.messages().size();
        if (!row.reason.isEmpty()) {
            answerer.Ok();
        }
        Find<QPushButton>(form.get(), "BitBtn9")->click();  // 刷新
        if (row.reason.isEmpty()) {
            EXPECT_EQ(answerer.messages().size(), boxes);
            EXPECT_EQ(form->projectCount(), 2);
            continue;
        }
        all.push_back(row.id);
        ASSERT_EQ(answerer.messages().size(), boxes + 1);
        const QString& box = answerer.messages().last();
        EXPECT_TRUE(
            box.startsWith(QStringLiteral("以下项目的数据文件不能读取，列表中只显示其ID号：")));
        EXPECT_TRUE(box.contains(row.reason)) << box.toStdString();
        EXPECT_TRUE(box.contains(FromGbk(row.id.substr(0, 8)))) << box.toStdString();
        EXPECT_LT(box.size(), 400);
        ASSERT_EQ(form->projectCount(), 3);
        EXPECT_EQ(Cell(*form, 2, 0), FromGbk(row.id));
        EXPECT_EQ(Cell(*form, 2, 2), QString());
        EXPECT_EQ(Cell(*form, 3, 2), QStringLiteral("第二个项目"));
    }

    // All at once, at the next start: one box for the whole command.
    SaveIndex(store.dir(), all);
    form.reset();
    {
        answerer.Then(ClickSplash()).Ok();
        TZMainForm next(FromPath(store.dir()));
        next.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&next));
        EXPECT_EQ(next.projectCount(), static_cast<int>(all.size()));
        // The heading and one line for each damaged entry.
        EXPECT_EQ(answerer.messages().last().count(QLatin1Char('\n')),
                  static_cast<qsizetype>(all.size()) - 2);
        next.hide();
    }
    answerer.Then(ClickSplash()).Ok();
    form = std::make_unique<TZMainForm>(FromPath(store.dir()));
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));

    // Export takes the two projects and nothing of the damaged entries: no
    // link rides along, and the control file names the two alone.
    answerer.Ok();
    form->N31Click();
    EXPECT_EQ(Find<QLabel>(form.get(), "Label4")->text(), QStringLiteral("成功导出2个项目的数据"));
    QStringList log =
        Find<QPlainTextEdit>(form.get(), "Memo1")->toPlainText().split(QLatin1Char('\n'));
    // The check's word on the problems of the two exported projects, none
    // on the damaged entries.
    const auto isNote = [](const QString& line) {
        return line.endsWith(QStringLiteral("处问题，请用“检查项目”查看"));
    };
    EXPECT_EQ(log.removeIf(isNote), 2);
    EXPECT_EQ(log.size(), static_cast<qsizetype>(all.size()));
    // A project whose name could not be read is named by its ID.
    EXPECT_EQ(log[2], QStringLiteral("错误号:421  项目“D0000001”的数据文件未导出（这是一个文件夹，不是文件）！"));
    EXPECT_EQ(log[4], QStringLiteral("错误号:421  项目“L0000001”的数据文件未导出（这是一个文件夹，不是文件）！"));
    EXPECT_LT(log[7].size(), 120) << "a megabyte's ID is cut short";
    EXPECT_EQ(out.Read("vemra.zzj"), "F0000001\r\nF0000002\r\n");
    std::set<std::string> exported;
    for (const auto& entry : fs::directory_iterator(out.dir())) {
        exported.insert(entry.path().filename().string());
        EXPECT_EQ(entry.symlink_status().type(), fs::file_type::regular);
    }
    EXPECT_EQ(exported, (std::set<std::string>{"F0000001.zzj", "F0000001.zj", "F0000002.zzj",
                                               "F0000002.zj", "vemra.zzj"}));
    Find<QPushButton>(form.get(), "Button3")->click();

    // Delete takes the damaged row out of the index and leaves the entry
    // (no file of the project) where it is.
    answerer.Ok();
    Find<QPushButton>(form.get(), "BitBtn9")->click();
    form->setCurrentRow(3);
    answerer.Yes().Ok();
    Find<QPushButton>(form.get(), "BitBtn2")->click();
    EXPECT_EQ(LoadIndex(store.dir()).size(), all.size() - 1);
    EXPECT_EQ(Cell(*form, 3, 0), FromGbk(all[3]));

    // Leaving works and rewrites the index; every entry stays as it was.
    answerer.Yes();
    EXPECT_TRUE(form->close());
    EXPECT_EQ(LoadIndex(store.dir()).size(), all.size() - 1);
    std::map<std::string, std::string> after = Snapshot();
    after.erase("vemra.zzj");
    std::map<std::string, std::string> expected = stored;
    expected.erase("vemra.zzj");
    EXPECT_EQ(after, expected);
    EXPECT_EQ(outside.Read("passwd"), "root:x:0:0:outside");
    EXPECT_EQ(answerer.unexpected(), 0);
}

// The disk fills in the middle of a command, one row for each write that
// fails: the user gets the error box, the store keeps exactly what it held
// (an import leaves no file it staged), and the program can be left.
TEST_F(Faults, FullDisk) {
    TempStore media;
    std::string control;
    for (int i = 0; i < 10; ++i) {
        const std::string id = "M000000" + std::to_string(i);
        media.AddProject(id, SampleRecord("引入项目"));
        control += id + "\r\n";
    }
    media.Write("vemra.zzj", control);
    WritePathSetting(store.dir(), kImportPathFileName, media.dir().string());
    before = Snapshot();

    const fs::path dir = store.dir();
    int writes = 0;
    int failAt = 0;
    platform::SetFaultInjector([&](FileOperation operation, const fs::path& path) {
        if (operation == FileOperation::Write && Inside(path, dir) && ++writes >= failAt) {
            return ENOSPC;
        }
        return 0;
    });
    struct Row {
        const char* what;
        int failAt;          // the write that finds the disk full
        const char* button;  // of the tool row; none: the import
        QString file;        // named in the error box
    };
    const std::vector<Row> rows = {
        {"import, at its first file", 1, nullptr, QStringLiteral(".zzj")},
        {"import, after three projects", 7, nullptr, QStringLiteral(".zzj")},
        {"import, at a member file", 8, nullptr, QStringLiteral(".zj")},
        {"import, at the index", 21, nullptr, QStringLiteral("vemra.zzj")},
        {"import, at its journal", 22, nullptr, QStringLiteral("_Journal.zzj")},
        {"add", 1, "BitBtn1", QStringLiteral("vemra.zzj")},
        {"delete", 1, "BitBtn2", QStringLiteral("vemra.zzj")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        writes = 0;
        failAt = row.failAt;
        const qsizetype boxes = answerer.messages().size();
        if (row.button == nullptr) {
            answerer.Ok();
            form->N8Click();
        } else {
            if (std::string_view(row.button) == "BitBtn2") {
                answerer.Yes();
            }
            answerer.Ok();
            Find<QPushButton>(form.get(), row.button)->click();
        }
        ASSERT_GT(answerer.messages().size(), boxes);
        ExpectErrorBox(static_cast<int>(answerer.messages().size()) - 1, row.file);
        EXPECT_TRUE(answerer.messages().last().contains(QStringLiteral("磁盘空间已满")));
        EXPECT_FALSE(Find<QFrame>(form.get(), "Panel4")->isVisible());
        EXPECT_EQ(Snapshot(), before);
        EXPECT_EQ(form->projectCount(), 2);
    }

    // Leaving: the index cannot be written; asked, the user leaves, and the
    // old index is still whole on the disk.
    writes = 0;
    failAt = 1;
    answerer.Yes().Ok().Yes();
    EXPECT_TRUE(form->close());
    EXPECT_TRUE(answerer.messages().last().contains(QStringLiteral("仍要退出本系统吗?")));
    platform::SetFaultInjector({});
    EXPECT_EQ(Snapshot(), before);
    EXPECT_EQ(answerer.unexpected(), 0);
}

// An index the list cannot read (one row each): the list stays empty and is
// never written back: Add and closing leave the index as it is, with a word
// why, until a Refresh reads the whole store again.
TEST_F(Faults, AListThatDidNotLoadIsNeverWrittenBack) {
    TempStore outside;
    struct Row {
        const char* what;
        std::function<void(const fs::path&)> make;  // gets the index's path
        QString reason;
    };
    const std::vector<Row> rows = {
        {"a FIFO", [](const fs::path& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0644), 0); },
         QStringLiteral("管道")},
        {"a link to a folder", [&](const fs::path& p) { fs::create_symlink(outside.dir(), p); },
         QStringLiteral("文件夹")},
        {"a sparse file of 64 GiB",
         [](const fs::path& p) {
             std::ofstream(p).put('x');
             fs::resize_file(p, std::uintmax_t{64} << 30);
         },
         QStringLiteral("文件太大")},
    };
    form.reset();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        fs::rename(store.path("vemra.zzj"), store.path("good.zzj"));
        row.make(store.path("vemra.zzj"));
        const std::map<std::string, std::string> damaged = Snapshot();
        answerer.Then(ClickSplash()).Ok();
        auto window = std::make_unique<TZMainForm>(FromPath(store.dir()));
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        EXPECT_TRUE(answerer.messages().last().contains(row.reason));
        EXPECT_EQ(window->projectCount(), 0);
        EXPECT_FALSE(window->listLoaded());

        answerer.Ok();
        Find<QPushButton>(window.get(), "BitBtn1")->click();  // 增加
        EXPECT_TRUE(answerer.messages().last().contains(QStringLiteral("不能改写项目索引文件")));
        EXPECT_EQ(window->projectCount(), 0);
        EXPECT_EQ(Snapshot(), damaged);

        // Leaving: the list cannot be read again, so nothing is written.
        answerer.Yes().Ok().Yes();
        EXPECT_TRUE(window->close());
        EXPECT_EQ(Snapshot(), damaged);
        window.reset();

        // Mended by hand: a Refresh reads the whole store and Add works.
        fs::remove(store.path("vemra.zzj"));
        fs::rename(store.path("good.zzj"), store.path("vemra.zzj"));
    }
    form = StartMainForm(store, answerer);
    EXPECT_TRUE(form->listLoaded());
    EXPECT_EQ(form->projectCount(), 2);
    EXPECT_EQ(answerer.unexpected(), 0);
}

// A second window on the same data directory, in this process (a second
// process is refused the same way), says so and goes without writing: the
// first window's work is never overwritten.
TEST_F(Faults, ASecondWindowOnTheSameStoreWritesNothing) {
    answerer.Ok();
    TZMainForm second(FromPath(store.dir()));
    second.show();
    QTest::qWait(50);
    ASSERT_FALSE(answerer.messages().isEmpty());
    EXPECT_TRUE(answerer.messages().last().contains(QStringLiteral("另一个窗口中使用这个数据目录")));
    EXPECT_FALSE(second.isVisible());
    EXPECT_EQ(second.projectCount(), 0);
    EXPECT_EQ(Snapshot(), before);

    // The first window adds a project and leaves; the index keeps it.
    answerer.Then([](QWidget* editor) { Find<QPushButton>(editor, "BitBtn1")->click(); });
    Find<QPushButton>(form.get(), "BitBtn1")->click();
    ASSERT_EQ(form->projectCount(), 3);
    const std::string added = ToGbk(Cell(*form, 3, 0));
    EXPECT_TRUE(second.close());
    answerer.Yes();
    EXPECT_TRUE(form->close());
    EXPECT_EQ(LoadIndex(store.dir()), (std::vector<std::string>{"F0000001", "F0000002", added}));

    // Once the first has gone, the store is free for the next start.
    form.reset();
    form = StartMainForm(store, answerer);
    EXPECT_EQ(form->projectCount(), 3);
    EXPECT_EQ(answerer.unexpected(), 0);
}

// The store's own files kept on another disk through links: read through
// them, and every write lands where they lead; the links stay.
TEST_F(Faults, StoreFilesBehindLinksAreReadAndWrittenThroughThem) {
    TempStore disk;
    for (const char* name : {"vemra.zzj", "F0000001.zzj", "F0000001.zj"}) {
        fs::rename(store.path(name), disk.path(name));
        fs::create_symlink(disk.path(name), store.path(name));
    }
    form.reset();
    form = StartMainForm(store, answerer);
    ASSERT_EQ(form->projectCount(), 2);
    EXPECT_EQ(Cell(*form, 1, 2), QStringLiteral("第一个项目"));

    // Modify and save the project behind the links.
    form->setCurrentRow(1);
    answerer.Then([](QWidget* editor) {
        auto* name = Find<QLineEdit>(editor, "Edit1");
        name->setText(QStringLiteral("改过的名称"));
        Find<QPushButton>(editor, "BitBtn10")->click();  // 存盘并关闭
    });
    Find<QPushButton>(form.get(), "BitBtn7")->click();
    EXPECT_EQ(Cell(*form, 1, 2), QStringLiteral("改过的名称"));
    // Add rewrites the index where its link leads.
    answerer.Then([](QWidget* editor) { Find<QPushButton>(editor, "BitBtn1")->click(); });
    Find<QPushButton>(form.get(), "BitBtn1")->click();
    for (const char* name : {"vemra.zzj", "F0000001.zzj", "F0000001.zj"}) {
        EXPECT_EQ(fs::symlink_status(store.path(name)).type(), fs::file_type::symlink) << name;
    }
    EXPECT_EQ(ParseIdList(disk.Read("vemra.zzj")).size(), 3u);
    EXPECT_EQ(ReadProjectRecord(store.dir(), "F0000001").record.Fields[Field::ProjectName],
              Gbk("改过的名称"));
    EXPECT_EQ(answerer.unexpected(), 0);
}

// Whatever ends a command is shown in a box of readable size, and the
// window goes on.
TEST_F(Faults, AnyFailureEndsTheCommandWithABoxAndTheWindowStays) {
    const std::string megabyte(1 << 20, 'x');
    const std::vector<std::pair<std::function<void()>, QString>> rows = {
        {[] { throw std::bad_alloc(); }, QStringLiteral("内存不足")},
        {[&] { throw std::runtime_error(megabyte); }, QStringLiteral("xxx……xxx")},
        {[&] { IoError::ThrowCode(store.path(megabyte), ENAMETOOLONG); },
         QStringLiteral("名称太长")},
    };
    for (const auto& [command, shown] : rows) {
        answerer.Ok();
        EXPECT_FALSE(form->RunGuarded(command));
        ASSERT_FALSE(answerer.messages().isEmpty());
        EXPECT_EQ(answerer.icons().last(), QMessageBox::Critical);
        EXPECT_TRUE(answerer.messages().last().contains(shown));
        EXPECT_LT(answerer.messages().last().size(), 600);
        EXPECT_TRUE(form->isVisible());
    }
    EXPECT_EQ(answerer.unexpected(), 0);
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
}  // namespace shenbao::testing
