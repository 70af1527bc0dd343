#include <gtest/gtest.h>

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <cerrno>
#include <filesystem>

#include "mainwin/list_model.h"
#include "platform/platform.h"
#include "tests/support/main_form.h"

namespace shenbao::testing {
namespace {

class QueryPanel : public ::testing::Test {
  protected:
    void SetUp() override {
        Add("Q0000001", "澄川科技示范项目", "", "5", "2001-05-20", "张三");
        Add("Q0000002", "农业推广", "", "7.5", "2001-6-1", "李四");
        Add("Q0000003", "ABC工程", "", "10", "2001-12-31", "王五");
        Add("Q0000004", "abc科技", "", "10.01", "", "张三丰");
        Add("Q0000005", "待定项目", "", "", "2002-01-01", "");
        SaveIndex(store.dir(), ids);
        form = StartMainForm(store, answerer);
    }

    void Add(const std::string& id, const char* name, const char* unit, const char* funds,
             const char* date, const char* applicant) {
        TProjectRecord record = SampleRecord(name, "", unit, funds, date);
        record.Fields[Field::Applicant] = Gbk(applicant);
        store.AddProject(id, record);
        ids.push_back(id);
    }

    template <class T>
    T* Find(const char* name) {
        return testing::Find<T>(form.get(), name);
    }
    void Trigger(const char* name) { testing::Trigger(form.get(), name); }
    QStringList ShownIds() {
        QStringList out;
        for (int r = 1; r <= form->projectCount(); ++r)
            out << Cell(*form, r, 0);
        return out;
    }
    // Opens the criterion, types the bounds and confirms with the button.
    void Query(const char* menu, const QString& low, const QString& high = QString()) {
        Trigger(menu);
        TypeText(Find<QLineEdit>("Edit1"), low);
        if (!high.isEmpty())
            TypeText(Find<QLineEdit>("Edit2"), high);
        Find<QPushButton>("Button1")->click();
    }

    TempStore store;
    std::vector<std::string> ids;
    ModalAnswerer answerer;
    std::unique_ptr<TZMainForm> form;
};

TEST_F(QueryPanel, OpeningTheTextCriterionSetsUpThePanelAndLocksTheWindow) {
    Trigger("N13");
    auto* panel = Find<QFrame>("Panel3");
    EXPECT_TRUE(panel->isVisible());
    ExpectLayout(panel, {{"Panel3", -1, -1, 289, 165}, {"Label3", 130, 64}});
    auto* grid = Find<QTableView>("StringGrid1");
    EXPECT_EQ(panel->x(), (grid->width() - 289) / 2);
    EXPECT_EQ(panel->y(), (grid->height() - 165) / 2);
    EXPECT_FALSE(grid->isVisible());
    EXPECT_FALSE(Find<QWidget>("Panel1")->isEnabled());
    for (const char* menu : {"N1", "N2", "N3", "N4", "N5"}) {
        EXPECT_FALSE(Find<QMenu>(menu)->menuAction()->isEnabled()) << menu;
    }
    EXPECT_EQ(Find<QLabel>("Label2")->text(),
              QStringLiteral("请输入您要查询的项目申请人（支持模糊查询）"));
    EXPECT_EQ(Find<QLineEdit>("Edit1")->width(), 225);
    EXPECT_FALSE(Find<QLineEdit>("Edit2")->isVisible());
    EXPECT_FALSE(Find<QLabel>("Label3")->isVisible());
    EXPECT_TRUE(Find<QLineEdit>("Edit1")->hasFocus());
    EXPECT_TRUE(Find<QLineEdit>("Edit1")->testAttribute(Qt::WA_InputMethodEnabled));

    Find<QPushButton>("Button2")->click();
    EXPECT_FALSE(panel->isVisible());
    EXPECT_TRUE(grid->isVisible());
    EXPECT_TRUE(Find<QWidget>("Panel1")->isEnabled());
    EXPECT_TRUE(Find<QMenu>("N2")->menuAction()->isEnabled());
    EXPECT_EQ(form->projectCount(), 5);
}

TEST_F(QueryPanel, RangeCriteriaShowTheSecondField) {
    Trigger("N71");
    EXPECT_TRUE(Find<QLineEdit>("Edit2")->isVisible());
    EXPECT_TRUE(Find<QLabel>("Label3")->isVisible());
    EXPECT_EQ(Find<QLineEdit>("Edit1")->width(), 90);
    EXPECT_EQ(Find<QLabel>("Label2")->text(), QStringLiteral("请输入您要查询的金额范围"));
    Find<QPushButton>("Button2")->click();
    Trigger("N15");
    EXPECT_EQ(Find<QLabel>("Label2")->text(), QStringLiteral("请输入您要查询的日期范围"));
    Find<QPushButton>("Button2")->click();
}

TEST_F(QueryPanel, TextQueryNarrowsTheListAndSwitchesTheButtons) {
    Find<QTableView>("StringGrid1")->setFocus();
    Query("N12", QStringLiteral("科技"));
    EXPECT_EQ(ShownIds(), (QStringList{"Q0000001", "Q0000004"}));
    EXPECT_FALSE(Find<QPushButton>("BitBtn1")->isEnabled());
    EXPECT_FALSE(Find<QPushButton>("BitBtn2")->isEnabled());
    EXPECT_FALSE(Find<QPushButton>("BitBtn9")->isEnabled());
    EXPECT_TRUE(Find<QPushButton>("BitBtn11")->isEnabled());
    EXPECT_TRUE(Find<QPushButton>("BitBtn7")->isEnabled());
    // The status line still counts the whole store until the user moves.
    EXPECT_EQ(form->statusText(), QStringLiteral("库中共有 5 个项目，当前为第 1 个"));
    // A second query starts from the whole store again.
    Query("N12", QStringLiteral("abc"));
    EXPECT_EQ(ShownIds(), QStringList{"Q0000004"});
    Query("N13", QStringLiteral("张三"));
    EXPECT_EQ(ShownIds(), (QStringList{"Q0000001", "Q0000004"}));
    EXPECT_EQ(answerer.unexpected(), 0);
}

TEST_F(QueryPanel, AmountAndDateRanges) {
    Query("N71", "5", "10");
    EXPECT_EQ(ShownIds(), (QStringList{"Q0000001", "Q0000002", "Q0000003"}));
    Query("N71", "x", "10");
    EXPECT_EQ(ShownIds(), (QStringList{"Q0000001", "Q0000002", "Q0000003", "Q0000005"}));
    Query("N15", "2001-01-01", "2001-12-31");
    EXPECT_EQ(ShownIds(), (QStringList{"Q0000001", "Q0000003"}));
}

TEST_F(QueryPanel, NoMatchShowsTheWholeStoreButKeepsTheQueryButtons) {
    answerer.Ok();
    Query("N71", "10", "5");
    ASSERT_EQ(answerer.messages().size(), 1);
    EXPECT_EQ(answerer.messages()[0], QStringLiteral("对不起，未检索到任何符合条件的项目！"));
    EXPECT_EQ(form->projectCount(), 5);
    EXPECT_FALSE(Find<QPushButton>("BitBtn1")->isEnabled());
    EXPECT_TRUE(Find<QPushButton>("BitBtn11")->isEnabled());
    EXPECT_FALSE(Find<QFrame>("Panel3")->isVisible());

    // All projects ends the query view.
    Find<QPushButton>("BitBtn11")->click();
    EXPECT_TRUE(Find<QPushButton>("BitBtn1")->isEnabled());
    EXPECT_TRUE(Find<QPushButton>("BitBtn2")->isEnabled());
    EXPECT_TRUE(Find<QPushButton>("BitBtn9")->isEnabled());
    EXPECT_TRUE(Find<QPushButton>("BitBtn11")->isEnabled());
    EXPECT_EQ(form->projectCount(), 5);
}

TEST_F(QueryPanel, BlankEntriesAreRefusedAndThePanelCloses) {
    answerer.Press(QMessageBox::Ok).Press(QMessageBox::Ok).Press(QMessageBox::Ok);
    Query("N12", QStringLiteral("   "));
    Query("N71", QStringLiteral("5"));             // upper bound missing
    Query("N71", QString(), QStringLiteral("9"));  // lower bound missing
    ASSERT_EQ(answerer.messages().size(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(answerer.messages()[i], QStringLiteral("您没有输入有效内容！"));
        EXPECT_EQ(answerer.icons()[i], QMessageBox::Information);
    }
    EXPECT_FALSE(Find<QFrame>("Panel3")->isVisible());
    EXPECT_EQ(form->projectCount(), 5);
    EXPECT_TRUE(Find<QPushButton>("BitBtn1")->isEnabled());
}

TEST_F(QueryPanel, AReloadThatFailsEndsTheQueryWithThePanelStillOpen) {
    const std::filesystem::path index = store.path("vemra.zzj");
    platform::SetFaultInjector(
        [index](platform::FileOperation operation, const std::filesystem::path& path) {
            return operation == platform::FileOperation::Read && path == index ? EIO : 0;
        });
    answerer.Ok();
    Query("N12", QStringLiteral("科技"));
    platform::SetFaultInjector({});
    ASSERT_EQ(answerer.messages().size(), 1);
    EXPECT_EQ(answerer.icons()[0], QMessageBox::Critical);
    EXPECT_TRUE(Find<QFrame>("Panel3")->isVisible());
    EXPECT_FALSE(Find<QWidget>("Panel1")->isEnabled());
    // Give up closes it as ever.
    Find<QPushButton>("Button2")->click();
    EXPECT_FALSE(Find<QFrame>("Panel3")->isVisible());
    EXPECT_TRUE(Find<QWidget>("Panel1")->isEnabled());
}

TEST_F(QueryPanel, EnterConfirmsInTheFirstFieldOnly) {
    Trigger("N71");
    QTest::keyClicks(Find<QLineEdit>("Edit1"), "5");
    QTest::keyClicks(Find<QLineEdit>("Edit2"), "10");
    QTest::keyClick(Find<QLineEdit>("Edit2"), Qt::Key_Return);
    EXPECT_TRUE(Find<QFrame>("Panel3")->isVisible());
    QTest::keyClick(Find<QLineEdit>("Edit1"), Qt::Key_Return);
    EXPECT_FALSE(Find<QFrame>("Panel3")->isVisible());
    EXPECT_EQ(form->projectCount(), 3);
}

TEST(QueryOnAnEmptyStore, FindsNothingAndKeepsOnlyTheHeader) {
    TempStore store;
    ModalAnswerer answerer;
    auto form = StartMainForm(store, answerer);
    answerer.Ok();
    testing::Trigger(form.get(), "N12");
    TypeText(Edit(form.get(), "Edit1"), QStringLiteral("科技"));
    Button(form.get(), "Button1")->click();
    EXPECT_EQ(answerer.messages().value(0), QStringLiteral("对不起，未检索到任何符合条件的项目！"));
    EXPECT_EQ(form->projectCount(), 0);
}

}  // namespace
}  // namespace shenbao::testing
