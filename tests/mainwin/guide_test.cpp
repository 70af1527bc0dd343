#include <gtest/gtest.h>

#include <QAction>
#include <QTextBrowser>
#include <vector>

#include "mainwin/guide.h"
#include "tests/support/main_form.h"

namespace shenbao::testing {
namespace {

TEST(UsageGuide, OpensFromTheHelpMenuAndNamesThisInstallationsFolder) {
    TempStore store;
    ModalAnswerer answerer;
    auto form = StartMainForm(store, answerer);
    QString shown;
    answerer.Then([&shown](QWidget* window) {
        auto* guide = qobject_cast<TGuideForm*>(window);
        ASSERT_NE(guide, nullptr);
        EXPECT_EQ(guide->windowTitle(), QStringLiteral("使用说明"));
        shown = Find<QTextBrowser>(guide, "Browser1")->toPlainText();
        guide->reject();
    });
    Trigger(form.get(), "N17");
    EXPECT_TRUE(shown.contains(QString::fromStdString(store.dir().string())));
    for (const char* topic : {"添加", "查询", "导出", "引入", "打印", "汇总统计", "检查项目",
                              "清空数据库", "软盘", "U盘", "备份", "恢复", "tarvok07.pdf",
                              "tarvok07.txt", "GBK", "iconv -f GBK -t UTF-8 tarvok07.txt"}) {
        EXPECT_TRUE(shown.contains(QString::fromUtf8(topic))) << topic;
    }
}

TEST(UsageGuide, NamesTheDataFolderOfAProgramFolderAndOfAnInstalledProgram) {
    struct Row {
        const char* dataDir;
        const char* programDir;
        std::vector<const char*> shown;
        std::vector<const char*> notShown;
    };
    const Row rows[] = {
        {"/home/li/shenbao/", "/home/li/shenbao/",
         {"本系统把所有项目保存在程序所在的文件夹里", "/home/li/shenbao/"},
         {"本系统安装在"}},
        {"/home/li/shenbao", "/home/li/shenbao/", {"程序所在的文件夹里"}, {"本系统安装在"}},
        {"/home/li/.local/share/shenbao/", "/usr/lib/shenbao/",
         {"本系统安装在 /usr/lib/shenbao/", "您的数据文件夹是：\n/home/li/.local/share/shenbao/"},
         {"程序所在的文件夹里"}},
        {"/home/a&b/.local/share/shenbao/", "/opt/shenbao/",
         {"本系统安装在 /opt/shenbao/", "/home/a&b/.local/share/shenbao/"}, {}},
    };
    for (const Row& row : rows) {
        QTextBrowser browser;
        browser.setHtml(TGuideForm::GuideHtml(row.dataDir, row.programDir));
        const QString text = browser.toPlainText();
        for (const char* part : row.shown) {
            EXPECT_TRUE(text.contains(QString::fromUtf8(part))) << row.dataDir << ": " << part;
        }
        for (const char* part : row.notShown) {
            EXPECT_FALSE(text.contains(QString::fromUtf8(part))) << row.dataDir << ": " << part;
        }
    }
}

}  // namespace
}  // namespace shenbao::testing
