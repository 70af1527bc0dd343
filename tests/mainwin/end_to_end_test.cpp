// The road of a project through the whole program, as a user walks it: two
// projects entered in the editor, sorted, queried, listed, printed, exported,
// imported into a second installation, then the first store cleared and the
// program closed.

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include "editor/zpinfo.h"
#include "mainwin/list_model.h"
#include "platform/platform.h"
#include "report/printing.h"
#include "tests/support/main_form.h"

namespace shenbao::testing {
namespace {

struct Entry {
    QString name;
    QString funds;
    QString unit;
    QString member;
};

// Fills a new project in the editor as a user would and saves it with
// "存盘并关闭".
ModalAnswerer::Action FillEditor(const Entry& entry) {
    return [entry](QWidget* widget) {
        auto* editor = qobject_cast<TZPInfoForm*>(widget);
        ASSERT_NE(editor, nullptr);
        TypeText(Find<QLineEdit>(editor, "Edit1"), entry.name);
        auto* category = Find<QComboBox>(editor, "ComboBox1");
        category->setFocus();
        QTest::keyClick(category, Qt::Key_Down);
        TypeText(Find<QLineEdit>(editor, "Edit3"), QStringLiteral("2001-07-16"));
        TypeText(Find<QLineEdit>(editor, "Edit8"), entry.funds);
        auto* department = Find<QComboBox>(editor, "ComboBox5");
        department->setFocus();
        QTest::keyClick(department, Qt::Key_Down);
        TypeText(Find<QLineEdit>(editor, "Edit14"), entry.unit);
        TypeText(Find<QPlainTextEdit>(editor, "Memo1"), QStringLiteral("研究内容第一行\n第二行"));
        auto* members = Find<QTableWidget>(editor, "StringGrid1");
        members->setItem(0, 0, new QTableWidgetItem(entry.member));
        Find<QPushButton>(editor, "BitBtn10")->click();
    };
}

QStringList Ids(const TZMainForm& form) {
    QStringList ids;
    for (int r = 1; r <= form.projectCount(); ++r)
        ids << Cell(form, r, 0);
    return ids;
}

TEST(EndToEnd, ProjectsTravelThroughTheWholeProgram) {
    TempStore first;
    TempStore second;
    TempStore exchange;
    first.InstallCodeTable();
    second.InstallCodeTable();
    const std::string exchangePath = exchange.dir().string();
    first.Write("_DataOut.zzj", exchangePath + "\r\n");
    second.Write("_DataIn.zzj", exchangePath + "\r\n");
    report::SetDefaultPrinterForTesting([] { return std::unique_ptr<QPrinter>(); });

    ModalAnswerer answerer;
    auto form = StartMainForm(first, answerer);

    // Two projects entered in the editor.
    const Entry rice{QStringLiteral("澄川水稻高产栽培技术研究"), QStringLiteral("12.5"),
                     QStringLiteral("澄川省农业科学院"), QStringLiteral("王建国")};
    const Entry server{QStringLiteral("Linux服务器集群管理软件开发"), QStringLiteral("3"),
                       QStringLiteral("青禾电子有限公司"), QStringLiteral("李海燕")};
    answerer.Then(FillEditor(rice));
    Find<QPushButton>(form.get(), "BitBtn1")->click();
    answerer.Then(FillEditor(server));
    Find<QPushButton>(form.get(), "BitBtn1")->click();
    ASSERT_EQ(form->projectCount(), 2);
    EXPECT_EQ(Cell(*form, 1, 2), rice.name);
    EXPECT_EQ(Cell(*form, 2, 2), server.name);
    EXPECT_EQ(Cell(*form, 2, 7), QStringLiteral("3"));
    EXPECT_FALSE(Cell(*form, 1, 4).isEmpty()) << "the chosen department";
    const std::vector<std::string> ids = LoadIndex(first.dir());
    ASSERT_EQ(ids.size(), 2u);
    const std::string riceId = ids[0];
    ProjectReadResult stored = ReadProjectRecord(first.dir(), riceId);
    ASSERT_EQ(stored.status, ProjectReadStatus::Complete);
    EXPECT_EQ(stored.record.Fields[Field::ResearchContent], Gbk("研究内容第一行\r\n第二行"));
    EXPECT_EQ(stored.record.Members[0].Cells[0], Gbk("王建国"));
    EXPECT_EQ(stored.record.Fields[Field::DepartmentCode].size(), 3u);

    // Sorted by provincial funds: 3 before 12.5.
    ChooseSortKey(*form, 7);
    EXPECT_EQ(Cell(*form, 1, 2), server.name);

    // A query keeps the rice project only.
    Trigger(form.get(), "N12");
    TypeText(Find<QLineEdit>(form.get(), "Edit1"), QStringLiteral("水稻"));
    Find<QPushButton>(form.get(), "Button1")->click();
    ASSERT_EQ(Ids(*form), QStringList{QString::fromStdString(riceId)});

    // The text listing of the shown project.
    answerer.Ok();
    Trigger(form.get(), "N16");
    const auto fields = *ReadMainFields(first.dir(), riceId);
    std::string expectedLine;
    for (const std::string& cell :
         {std::string(), Gbk(rice.name.toStdString()), Gbk(rice.unit.toStdString()),
          fields[Field::DepartmentName], fields[Field::PlanCategory], std::string(),
          std::string("12.5"), std::string("2001-07-16"), std::string()}) {
        expectedLine.append(cell);
        expectedLine.push_back('\t');
    }
    expectedLine.append("\r\n");
    const std::string listing = first.Read("tarvok07.txt");
    EXPECT_EQ(listing.substr(listing.find("\r\n") + 2), expectedLine);

    // Printing without a printer writes the PDF and says where.
    answerer
        .Then([](QWidget* window) {
            Find<QPushButton>(window, "Button2")->click();
            Find<QPushButton>(window, "Button3")->click();
        })
        .Ok();
    Trigger(form.get(), "N11");
    EXPECT_TRUE(answerer.messages().last().contains(QStringLiteral("tarvok07.pdf")));
    EXPECT_EQ(first.Read("tarvok07.pdf").substr(0, 5), "%PDF-");

    // Export of the shown project to the set path.
    Trigger(form.get(), "N7");
    Find<QPushButton>(form.get(), "Button3")->click();
    EXPECT_EQ(exchange.Read("vemra.zzj"), riceId + "\r\n");
    const std::string riceMain = first.Read(riceId + ".zzj");
    const std::string riceMembers = first.Read(riceId + ".zj");

    // A second installation imports it under a new ID, byte for byte.
    auto secondForm = StartMainForm(second, answerer);
    Trigger(secondForm.get(), "N8");
    Find<QPushButton>(secondForm.get(), "Button3")->click();
    const std::vector<std::string> imported = LoadIndex(second.dir());
    ASSERT_EQ(imported.size(), 1u);
    EXPECT_NE(imported[0], riceId);
    EXPECT_EQ(second.Read(imported[0] + ".zzj"), riceMain);
    EXPECT_EQ(second.Read(imported[0] + ".zj"), riceMembers);
    EXPECT_EQ(Cell(*secondForm, 1, 2), rice.name);

    // The first store is cleared.
    answerer
        .Then([](QWidget* dialog) {
            Find<QPushButton>(dialog, "Button1")->click();  // 是的，我决定删除
            Find<QPushButton>(dialog, "Button1")->click();  // 返回主界面
        })
        .Ok();
    Trigger(form.get(), "N21");
    EXPECT_EQ(answerer.messages().last(), QStringLiteral("清空操作完成！"));
    EXPECT_FALSE(first.Exists(riceId + ".zzj"));
    EXPECT_FALSE(first.Exists(ids[1] + ".zj"));
    EXPECT_EQ(form->projectCount(), 0);

    // Both programs close after the question.
    answerer.Yes();
    EXPECT_TRUE(form->close());
    EXPECT_EQ(first.Read("vemra.zzj"), "");
    answerer.Yes();
    EXPECT_TRUE(secondForm->close());
    EXPECT_EQ(second.Read("vemra.zzj"), imported[0] + "\r\n");
    EXPECT_EQ(answerer.unexpected(), 0);
    report::SetDefaultPrinterForTesting({});
}

}  // namespace
}  // namespace shenbao::testing
