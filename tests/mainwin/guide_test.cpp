#include <gtest/gtest.h>

#include <QAction>
#include <QTextBrowser>

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
                              "清空数据库", "软盘", "U盘"}) {
        EXPECT_TRUE(shown.contains(QString::fromUtf8(topic))) << topic;
    }
}

}  // namespace
}  // namespace shenbao::testing
