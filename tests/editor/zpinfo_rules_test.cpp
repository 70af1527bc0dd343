#include "editor/zpinfo_rules.h"

#include <gtest/gtest.h>

#include "gui/text.h"
#include "tests/support/temp_store.h"

namespace shenbao::testing {
namespace {

TEST(ContentCounter, CountsHalfTheBytesUpTo240AndWarnsBeyond) {
    EXPECT_EQ(InitialCounterText(), QStringLiteral("您输入了0个汉字"));

    ContentCounter three = CountResearchContent(3);
    EXPECT_EQ(three.text, QStringLiteral("您已经输入了约1个汉字"));
    EXPECT_EQ(three.color, QColor(Qt::blue));

    ContentCounter full = CountResearchContent(240);
    EXPECT_EQ(full.text, QStringLiteral("您已经输入了约120个汉字"));
    EXPECT_EQ(full.color, QColor(Qt::blue));

    ContentCounter over = CountResearchContent(241);
    EXPECT_EQ(over.text, QStringLiteral("您输入的内容超过了120个汉字!"));
    EXPECT_EQ(over.color, QColor(Qt::red));
}

TEST(ResearchContent, StoredWithCrLfAndShownWithOneLineBreak) {
    const std::string stored = Gbk("第一行\r\n第二行\r\n\r\n末行");
    const QString shown = ShownResearchContent(stored);
    EXPECT_EQ(shown, QStringLiteral("第一行\n第二行\n\n末行"));
    // Byte for byte back, and a line break counts two bytes.
    EXPECT_EQ(StoredResearchContent(shown), stored);
    EXPECT_EQ(StoredResearchContent(QStringLiteral("一\n")).size(), 4u);

    // Typed text gets CR LF, whatever line ends the text had.
    EXPECT_EQ(StoredResearchContent(ShownResearchContent("a\nb\rc")), "a\r\nb\r\nc");

    // Cut into lines, each line break keeps its stored form, and so do bytes
    // that form no character.
    using Lines = std::vector<ContentLine>;
    EXPECT_EQ(SplitResearchContent("\na\r\n\xD6\r\rb\n"), (Lines{{"", "", ""},
                                                                 {"\n", "a", "a"},
                                                                 {"\r\n", "\xD6", FromGbk("\xD6")},
                                                                 {"\r", "", ""},
                                                                 {"\r", "b", "b"},
                                                                 {"\n", "", ""}}));
    EXPECT_EQ(SplitResearchContent(""), (Lines{{"", "", ""}}));
    // A paragraph separator (GB18030 only) also ends a line of the field.
    const std::string separator = ToGbk(QStringLiteral("\u2029"));
    EXPECT_EQ(SplitResearchContent("x" + separator + "y"),
              (Lines{{"", "x", "x"}, {separator, "y", "y"}}));
}

TEST(MemberGrid, EnterStepsThroughTheColumnsAndWrapsToTheFirst) {
    EXPECT_EQ(NextMemberColumn(0), 1);
    EXPECT_EQ(NextMemberColumn(4), 5);
    EXPECT_EQ(NextMemberColumn(5), 0);
    EXPECT_EQ(NextMemberColumn(9), 0);
}

TEST(DepartmentList, SortedByPinyinNotByBytesNorCodes) {
    // Second-level characters: their GBK bytes are ordered by radical, not by
    // reading, so only a Chinese collation puts them in this order.
    const std::vector<std::string> table = {Gbk("109:沅汀市科委"),
                                            Gbk("106:栎原市科委"),
                                            Gbk("107:桐湾市科委"),
                                            Gbk("108:霁山市科委"),
                                            Gbk("12"),
                                            Gbk("201:省科学技术厅")};
    EXPECT_EQ(SortedDepartmentNames(table),
              QStringList({QString(), QStringLiteral("霁山市科委"), QStringLiteral("栎原市科委"),
                           QStringLiteral("省科学技术厅"), QStringLiteral("桐湾市科委"),
                           QStringLiteral("沅汀市科委")}));
}

TEST(ViolationMessage, NamesTheFieldOrMemberCellAndTheText) {
    RecordTextViolation field{Field::ProjectName, 0, 0, "~@~"};
    EXPECT_EQ(ViolationMessage(field),
              QStringLiteral("“项目名称”中含有不允许的文字“~@~”，项目未存盘。请修改后再存盘。"));

    RecordTextViolation applicant{Field::Applicant, 0, 0, "~@"};
    EXPECT_EQ(ViolationMessage(applicant),
              QStringLiteral("“项目申请人”不能以“~@”结尾，项目未存盘。请修改后再存盘。"));

    RecordTextViolation tab{Field::Email, 0, 0, "\t"};
    EXPECT_EQ(
        ViolationMessage(tab),
        QStringLiteral("“E-Mail地址”中含有不允许的“Tab 制表符”，项目未存盘。请修改后再存盘。"));

    RecordTextViolation member{std::nullopt, 3, MemberCell::PostTitle, "^#^"};
    EXPECT_EQ(ViolationMessage(member),
              QStringLiteral("主要参加人第3行的“职务（职称）”中含有不允许的文字“^#^”，"
                             "项目未存盘。请修改后再存盘。"));
}

TEST(ViolationMessage, EveryFieldHasACaption) {
    for (std::size_t f = 0; f < kFieldCount; ++f) {
        EXPECT_FALSE(FieldCaption(f).isEmpty()) << f;
        EXPECT_FALSE(FieldCaption(f).contains(QLatin1Char(' '))) << f;
    }
    EXPECT_EQ(FieldCaption(Field::FundsMatching), QStringLiteral("部门或地方匹配"));
    EXPECT_EQ(FieldCaption(Field::SerialNumber), QStringLiteral("序号"));
}

}  // namespace
}  // namespace shenbao::testing
