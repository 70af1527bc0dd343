#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>

#include "mainwin/list_model.h"
#include "tests/support/main_form.h"

namespace shenbao::testing {
namespace {

const std::string kHeaderLine = Gbk("项目序号\t项目名称\t承担单位\t主管部门\t计划类别\t申请人\t省拨"
                                    "款(万元)\t申报时间\t项目领域\t") +
                                "\r\n";

class ListingCommand : public ::testing::Test {
  protected:
    void SetUp() override {
        store.AddProject("L0000001", SampleRecord("乙项目", "2", "", "7"));
        store.AddProject("L0000002", SampleRecord("甲项目", "1", "单位", "12"));
        TProjectRecord third = SampleRecord("丙项目", "3");
        third.Fields[Field::ProjectField] = Gbk("07 现代农业");
        store.AddProject("L0000003", third);
        SaveIndex(store.dir(), {"L0000001", "L0000002", "L0000003"});
        form = StartMainForm(store, answerer);
    }
    void WriteListing() {
        answerer.Ok();
        Trigger(form.get(), "N16");
    }

    TempStore store;
    ModalAnswerer answerer;
    std::unique_ptr<TZMainForm> form;
};

TEST_F(ListingCommand, FollowsTheSortedListAndNamesTheFile) {
    form->SortList(SortKey::SerialNumber);
    WriteListing();
    const std::string text = store.Read("tarvok07.txt");
    // Exchanges left single blanks in the empty cells of the rows they moved;
    // the unmoved third row has them where a filled cell follows.
    EXPECT_EQ(text, kHeaderLine + "1\t" + Gbk("甲项目") + "\t" + Gbk("单位") +
                        "\t \t \t \t12\t \t \t\r\n" + "2\t" + Gbk("乙项目") +
                        "\t \t \t \t \t7\t \t \t\r\n" + "3\t" + Gbk("丙项目") +
                        "\t \t \t \t \t \t \t" + Gbk("07 现代农业") + "\t\r\n");
    ASSERT_EQ(answerer.messages().size(), 1);
    EXPECT_EQ(answerer.messages()[0],
              QStringLiteral("共输出3个项目的基本数据，输出的文本文件为“") +
                  QString::fromStdString(store.path("tarvok07.txt").string()) +
                  QStringLiteral("”"));
}

TEST_F(ListingCommand, AfterAQueryOnlyTheShownProjectsAndNothingAppended) {
    form->RunQuery(ListColumn::ProjectName, Gbk("甲"), "");
    WriteListing();
    WriteListing();
    EXPECT_EQ(store.Read("tarvok07.txt"),
              kHeaderLine + "1\t" + Gbk("甲项目") + "\t" + Gbk("单位") + "\t\t\t\t12\t\t\t\r\n");
    EXPECT_TRUE(answerer.messages().value(1).startsWith(QStringLiteral("共输出1个项目")));
}

TEST(ListingOnAnEmptyStore, WritesTheHeaderOnly) {
    TempStore store;
    ModalAnswerer answerer;
    auto form = StartMainForm(store, answerer);
    answerer.Ok();
    Trigger(form.get(), "N16");
    EXPECT_EQ(store.Read("tarvok07.txt"), kHeaderLine);
    EXPECT_TRUE(answerer.messages().value(0).startsWith(QStringLiteral("共输出0个项目的基本数据")));
}

TEST(ListingFailure, ShowsTheErrorBoxAndNoCompletionMessage) {
    TempStore store;
    ModalAnswerer answerer;
    auto form = StartMainForm(store, answerer);
    std::filesystem::create_directory(store.path("tarvok07.txt"));  // in the way
    answerer.Ok();
    Trigger(form.get(), "N16");
    ASSERT_EQ(answerer.messages().size(), 1);
    EXPECT_EQ(answerer.icons()[0], QMessageBox::Critical);
    EXPECT_TRUE(answerer.messages()[0].contains(QStringLiteral("tarvok07.txt")));
}

}  // namespace
}  // namespace shenbao::testing
