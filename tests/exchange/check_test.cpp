// The formal check (数据 - 检查项目): its rules row by row, the check window
// over a store of sound, faulty and repeated projects, the repair of
// full-width digits, and export's word on projects with problems.

#include <gtest/gtest.h>

#include <map>
#include <memory>

#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QScreen>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

#include "core/project_check.h"
#include "editor/zpinfo.h"
#include "exchange/checkform.h"
#include "core/transfer.h"
#include "gui/text.h"
#include "platform/platform.h"
#include "report/printing.h"
#include "store/store.h"
#include "tests/support/main_form.h"

namespace shenbao::testing {
namespace {

namespace fs = std::filesystem;

const char* const kFullWidth = "含全角数字，应改为半角（可用“全角数字改为半角”）";

// A project that passes every rule (UTF-8 in, GBK stored).
TProjectRecord SoundRecord(std::string_view name = "智能交通系统研究",
                           std::string_view unit = "澄阳大学",
                           std::string_view applicant = "王建国") {
    const char* const fields[kFieldCount] = {"",
                                             "01 重点科技攻关计划",
                                             "2001.04-2003.10",
                                             "01 电子信息",
                                             "2001-07-16",
                                             "01 新产品",
                                             "1 本单位自选",
                                             "",
                                             "0710-2345678",
                                             "100",
                                             "10",
                                             "50",
                                             "20",
                                             "0",
                                             "20",
                                             "0",
                                             "101",
                                             "澄阳市科委",
                                             "01 澄阳市",
                                             "",
                                             "11 独立科研院所",
                                             "李志强",
                                             "110 国有企业",
                                             "0710-2345679",
                                             "澄阳市新华路1号",
                                             "430071",
                                             "张海燕",
                                             "(0710)2345680",
                                             "0710-2345681",
                                             "kjc@public.cy.net.cn",
                                             "www.unit.com.cn",
                                             "300",
                                             "80",
                                             "20",
                                             "中国工商银行澄阳市分行",
                                             "1234567890",
                                             "研究内容",
                                             "1"};
    TProjectRecord record;
    for (std::size_t f = 0; f < kFieldCount; ++f) {
        record.Fields[f] = Gbk(fields[f]);
    }
    record.Fields[Field::ProjectName] = Gbk(name);
    record.Fields[Field::UnitName] = Gbk(unit);
    record.Fields[Field::Applicant] = Gbk(applicant);
    const char* const member[] = {"王建国", "男", "1965.03", "博士", "研究员", "澄阳大学"};
    for (std::size_t c = 0; c < kMemberCellCount; ++c) {
        record.Members[0].Cells[c] = Gbk(member[c]);
    }
    return record;
}

const CheckOptions& ShippedOptions() {
    static const CheckOptions options =
        CheckOptionsFromCodeTable(platform::ReadFile(ShippedCodeTable()));
    return options;
}

// ASCII digits, point and minus of `text` as full-width characters.
std::string FullWidth(std::string_view text) {
    std::string out;
    for (char c : text) {
        const char* wide = c == '.' ? "．" : c == '-' ? "－" : nullptr;
        static const char* const digits[] = {"０", "１", "２", "３", "４",
                                             "５", "６", "７", "８", "９"};
        out += wide != nullptr        ? Gbk(wide)
               : c >= '0' && c <= '9' ? Gbk(digits[c - '0'])
                                      : std::string(1, c);
    }
    return out;
}

std::string& Place(TProjectRecord& record, std::size_t field, std::size_t row, std::size_t cell) {
    if (field < kFieldCount) {
        return record.Fields[field];
    }
    return record.Members[row == 0 ? 0 : row - 1].Cells[row == 0 ? MemberCell::Name : cell];
}

// The only finding of `record`, as "field/row/cell: caption: message".
std::string OnlyFinding(const TProjectRecord& record) {
    const std::vector<CheckFinding> findings = CheckRecord(record, ShippedOptions());
    std::string text;
    for (const CheckFinding& f : findings) {
        text += std::to_string(f.field) + "/" + std::to_string(f.memberRow) + "/" +
                std::to_string(f.memberCell) + ": " + f.caption + ": " + f.message + "\n";
    }
    return findings.size() == 1 ? text : "not one finding:\n" + text;
}

std::string Expected(std::size_t field, std::size_t row, std::size_t cell, std::string_view caption,
                     std::string_view message) {
    return std::to_string(field) + "/" + std::to_string(row) + "/" + std::to_string(cell) + ": " +
           Gbk(caption) + ": " + Gbk(message) + "\n";
}

TEST(CheckRules, EachRuleOnAValueThatPassesAndOneThatFails) {
    ASSERT_TRUE(CheckRecord(SoundRecord(), ShippedOptions()).empty());
    const std::string content240(240, 'x');
    struct Row {
        std::size_t field, row, cell;
        std::string good, bad;
        const char* caption;
        const char* message;
    };
    const std::size_t birth = MemberCell::BirthMonth;
    const Row rows[] = {
        {2, 0, 0, "2001.12-2002.01", "2001.4-2003.10", "起止时间",
         "应写成“2001.04-2003.10”的形式（年.月-年.月）"},
        {2, 0, 0, "2001.04-2003.10", "2001.13-2003.10", "起止时间",
         "应写成“2001.04-2003.10”的形式（年.月-年.月）"},
        {2, 0, 0, "2001.04-2001.04", "2003.10-2001.04", "起止时间", "结束时间早于开始时间"},
        {4, 0, 0, "2000-02-29", "2001-02-29", "申报日期",
         "应为“2001-07-16”形式（年-月-日）的有效日期"},
        {4, 0, 0, "2001-07-16", "2001/07/16", "申报日期",
         "应为“2001-07-16”形式（年-月-日）的有效日期"},
        {9, 0, 0, "100.0", "100.5", "申请经费（万元）",
         "不等于国家拨款至其他六项之和（六项之和为100）"},
        {9, 0, 0, "100", "-100", "申请经费（万元）", "不能是负数"},
        {10, 0, 0, "10.00", "十", "国家拨款", "不是数字，应写成如“12.5”的形式（单位：万元）"},
        {16, 0, 0, "101", "102", "主管部门", "主管部门编码与主管部门名称不符，应为“101”"},
        {17, 0, 0, "澄阳市科委", "澄阳市科学委员会", "主管部门",
         "不是编码表中的主管部门，请从下拉列表中选择"},
        {8, 0, 0, "0710-2345678转123", "0710-2345678或2345679", "项目申请人联系电话",
         "只能含数字、“-”、空格、括号、“+”和“转”，如“0710-2345678转123”"},
        {28, 0, 0, "+86 （0710） 2345681", "0710_2345681", "传真",
         "只能含数字、“-”、空格、括号、“+”和“转”，如“0710-2345678转123”"},
        {25, 0, 0, "430071", "43007", "邮编", "应为6位数字，如“430071”"},
        {29, 0, 0, "a.b@c.d", "kjc@publiccn", "E-Mail地址",
         "应为如“kjc@example.com.cn”的电子邮件地址"},
        {29, 0, 0, "kjc@x.cn", "kjc@@x.cn", "E-Mail地址",
         "应为如“kjc@example.com.cn”的电子邮件地址"},
        {31, 0, 0, "0300", "300人", "职工总数", "应为整数（人数），如“120”"},
        {32, 0, 0, "300", "301", "技术人员数", "技术人员数多于职工总数"},
        {33, 0, 0, "80", "81", "中高级技术人员数", "中高级技术人员数多于技术人员数"},
        {36, 0, 0, content240, content240 + "y", "项目主要研究、开发内容（不超过120个汉字）",
         "超过120个汉字（240字节），现有241字节"},
        {kMemberTable, 0, 0, "王建国", " ", "主要参加人", "至少应填写一名主要参加人"},
        {kMemberTable, 1, birth, "1965.12", "1965.13", "主要参加人第1行出生年月",
         "应写成“1965.03”的形式（年.月）"},
        {kMemberTable, 1, birth, "1965.03", "", "主要参加人第1行出生年月",
         "应写成“1965.03”的形式（年.月）"},
        {kMemberTable, 1, birth, "1965.03", "１９６５．０３", "主要参加人第1行出生年月",
         kFullWidth},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.field * 100 + row.row * 10 + row.cell);
        TProjectRecord record = SoundRecord();
        Place(record, row.field, row.row, row.cell) = Gbk(row.bad);
        EXPECT_EQ(OnlyFinding(record),
                  Expected(row.field, row.row, row.cell, row.caption, row.message));
        Place(record, row.field, row.row, row.cell) = Gbk(row.good);
        EXPECT_TRUE(CheckRecord(record, ShippedOptions()).empty()) << OnlyFinding(record);
    }

    // Required fields, empty or blank.
    for (std::size_t field :
         {Field::ProjectName, Field::PlanCategory, Field::ProjectPeriod, Field::ApplicationDate,
          Field::Applicant, Field::FundsTotal, Field::DepartmentName, Field::UnitName}) {
        TProjectRecord record = SoundRecord();
        record.Fields[field] = "  ";
        EXPECT_EQ(OnlyFinding(record),
                  Expected(field, 0, 0, FromGbk(FieldCaption(field)).toStdString(),
                           "未填写（此项必须填写）"));
    }
    // Drop-down fields hold an option of their section; without a code
    // table they are not checked.
    for (std::size_t field :
         {Field::PlanCategory, Field::ProjectField, Field::ExpectedResultForm, Field::ProjectSource,
          Field::ProjectLocation, Field::UnitNature, Field::RegistrationType}) {
        TProjectRecord record = SoundRecord();
        record.Fields[field] = Gbk("99 电子信息");
        EXPECT_EQ(OnlyFinding(record),
                  Expected(field, 0, 0, FromGbk(FieldCaption(field)).toStdString(),
                           "不是编码表中的选项，请从下拉列表中选择"));
        EXPECT_TRUE(CheckRecord(record, CheckOptions()).empty());
    }
    // Full-width digits, point and minus in every number field, and their
    // repair back to the ASCII text.
    for (std::size_t field : kNumberFields) {
        TProjectRecord record = SoundRecord();
        const std::string ascii = record.Fields[field];
        record.Fields[field] = FullWidth(ascii);
        ASSERT_NE(record.Fields[field], ascii);
        EXPECT_EQ(OnlyFinding(record),
                  Expected(field, 0, 0, FromGbk(FieldCaption(field)).toStdString(), kFullWidth));
        EXPECT_EQ(HalfWidthDigits(record.Fields[field]), ascii);
    }
}

TEST(CheckRules, FullWidthDigitsAreReadAsGbkCharactersAndRepairedInNumberFieldsOnly) {
    // B0 A3 B0 A1 ("埃啊") holds the bytes A3 B0 across two characters.
    EXPECT_FALSE(HasFullWidthDigits(Gbk("埃啊")));
    EXPECT_EQ(HalfWidthDigits(Gbk("埃啊１２．５－")), Gbk("埃啊12.5-"));
    TProjectRecord record = SoundRecord();
    record.Fields[Field::FundsTotal] = FullWidth("100");
    record.Fields[Field::ResearchContent] = FullWidth("12");  // no number field
    record.Members[0].Cells[MemberCell::BirthMonth] = FullWidth("1965.03");
    TProjectRecord repaired = record;
    EXPECT_EQ(RepairRecordDigits(repaired), 2);
    record.Fields[Field::FundsTotal] = "100";
    record.Members[0].Cells[MemberCell::BirthMonth] = "1965.03";
    EXPECT_EQ(repaired, record);
}

TEST(CheckRules, RecordsAreReadAsTheStoreReadsThem) {
    std::string manyFields;
    std::string manyRows;
    for (int i = 0; i < 40; ++i) {
        manyFields += "f" + std::to_string(i) + "~@~";
    }
    for (int r = 0; r < 16; ++r) {
        for (int c = 0; c < 7; ++c) {
            manyRows += std::to_string(r * 10 + c) + "~@~";
        }
        manyRows += "^#^";
    }
    const std::string texts[] = {"",
                                 "a",
                                 "a~@",
                                 "a~@~b",
                                 "~@~@~",
                                 "a~@~~@~@~b~@",
                                 "x~@~y^#^",
                                 "x^#~@~y^#^^#",
                                 "^#^^#^~@~",
                                 manyFields,
                                 manyRows,
                                 manyFields.substr(0, 50),
                                 manyRows.substr(0, 70)};
    // A record full of text: every field and cell is written or emptied.
    RecordReader reader;
    TProjectRecord record = SoundRecord();
    for (const std::string& text : texts) {
        reader.ReadMain(text, record);
        EXPECT_EQ(record.Fields, ParseMainText(text)) << text;
        reader.ReadMembers(text, record);
        EXPECT_EQ(record.Members, ParseMemberText(text)) << text;
    }
}

// ---- The store of the window test -------------------------------------------------

// S0000001 sound; S0000002 a full-width total and a short post code;
// S0000003/4 the same name and unit; S0000005/6 the same files; S0000007 a
// full-width serial number in a main data file with a surplus field;
// S0000008 without files.
void WriteCheckStore(const TempStore& store) {
    store.InstallCodeTable();
    store.AddProject("S0000001", SoundRecord());
    TProjectRecord faulty = SoundRecord("水稻高产栽培技术研究", "澄川省农业科学院");
    faulty.Fields[Field::FundsTotal] = FullWidth("100");
    faulty.Fields[Field::PostCode] = "43007";
    store.AddProject("S0000002", faulty);
    store.AddProject("S0000003", SoundRecord("稀土永磁材料产业化", "青禾电子有限公司", "刘伟"));
    store.AddProject("S0000004", SoundRecord(" 稀土永磁材料产业化", "青禾电子有限公司 ", "陈静"));
    store.AddProject("S0000005", SoundRecord("远程医疗系统集成", "沅汀市第一人民医院"));
    for (const char* ext : {".zzj", ".zj"}) {
        store.Write(std::string("S0000006") + ext, store.Read(std::string("S0000005") + ext));
    }
    TProjectRecord surplus = SoundRecord("茶叶深加工工艺改进", "霁山茶业集团公司");
    surplus.Fields[Field::SerialNumber] = FullWidth("7");
    store.AddProject("S0000007", surplus);
    store.Write("S0000007.zzj", EncodeField(JoinMainText(surplus) + "extra~@~") + "\r\n");
    SaveIndex(store.dir(), {"S0000001", "S0000002", "S0000003", "S0000004", "S0000005", "S0000006",
                            "S0000007", "S0000008"});
}

using Rows = std::vector<QStringList>;

Rows GridRows(QTableView* grid) {
    Rows rows;
    for (int r = 0; r < grid->model()->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < 4; ++c) {
            cells << grid->model()->index(r, c).data().toString();
        }
        rows.push_back(cells);
    }
    return rows;
}

int RowOf(QTableView* grid, const QString& id, const QString& caption) {
    const Rows rows = GridRows(grid);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        if (rows[r][0] == id && rows[r][2] == caption) {
            return static_cast<int>(r);
        }
    }
    return -1;
}

QPoint CellCentre(QTableView* grid, int row, int column) {
    return grid->visualRect(grid->model()->index(row, column)).center();
}

const QString kShortPostCode = QStringLiteral("应为6位数字，如“430071”");

TEST(CheckWindow, ShowsTheFaultyProjectsFieldByFieldOpensTheEditorAndRepairs) {
    TempStore store;
    WriteCheckStore(store);
    ModalAnswerer answerer;
    auto form = StartMainForm(store, answerer);

    const QString twin = QStringLiteral("稀土永磁材料产业化");
    const Rows first = {
        {"S0000002", "水稻高产栽培技术研究", "申请经费（万元）", kFullWidth},
        {"S0000002", "水稻高产栽培技术研究", "邮编", kShortPostCode},
        {"S0000003", twin, "项目名称", "与项目S0000004重复（项目名称和单位名称相同）"},
        {"S0000004", " " + twin, "项目名称", "与项目S0000003重复（项目名称和单位名称相同）"},
        {"S0000005", "远程医疗系统集成", "项目名称", "与项目S0000006重复（数据文件完全相同）"},
        {"S0000006", "远程医疗系统集成", "项目名称", "与项目S0000005重复（数据文件完全相同）"},
        {"S0000007", "茶叶深加工工艺改进", "序号", kFullWidth},
        {"S0000008", "", "数据文件", "未找到数据文件"},
    };
    std::map<std::string, std::string> before;
    bool seen = false;
    answerer.Then([&](QWidget* window) {
        // A step that fails still closes the window, so the command returns.
        const std::unique_ptr<QWidget, void (*)(QWidget*)> closer(window,
                                                                  [](QWidget* w) { w->close(); });
        auto* check = qobject_cast<TCheckForm*>(window);
        ASSERT_NE(check, nullptr);
        seen = true;
        EXPECT_EQ(check->windowTitle(), QStringLiteral("检查项目"));
        EXPECT_TRUE(window->screen()->availableGeometry().contains(window->frameGeometry()));
        auto* grid = Find<QTableView>(check, "CheckGrid");
        auto* line = Find<QLabel>(check, "Label1");
        // Enter opens the problem at once: the grid, not a button, has the focus.
        EXPECT_EQ(check->focusWidget(), grid);
        EXPECT_EQ(GridRows(grid), first);
        EXPECT_EQ(line->text(), QStringLiteral("共检查8个项目，7个项目有问题，共8处"));

        // A click on 栏目 sorts by it, in the order of the GBK codes (that of
        // the readings: shen, shu, xiang, xu, you).
        QHeaderView* titles = grid->horizontalHeader();
        QTest::mouseClick(titles->viewport(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(titles->sectionViewportPosition(2) + 20, titles->height() / 2));
        QStringList captions;
        for (const QStringList& row : GridRows(grid)) {
            captions << row[2];
        }
        EXPECT_EQ(captions, (QStringList{"申请经费（万元）", "数据文件", "项目名称", "项目名称",
                                         "项目名称", "项目名称", "序号", "邮编"}));

        // Double-click on the post code: the editor on its tab, the focus in
        // 邮编; saved with a sound code, the check runs again.
        answerer.Then([](QWidget* editor) {
            ASSERT_NE(qobject_cast<TZPInfoForm*>(editor), nullptr);
            EXPECT_EQ(Find<QTabWidget>(editor, "PageControl1")->currentWidget()->objectName(),
                      QStringLiteral("TabSheet2"));
            ASSERT_NE(editor->focusWidget(), nullptr);
            EXPECT_EQ(editor->focusWidget()->objectName(), QStringLiteral("Edit18"));
            Edit(editor, "Edit18")->setText(QStringLiteral("430071"));
            QTest::mouseClick(Button(editor, "BitBtn10"), Qt::LeftButton);
        });
        const int postCode = RowOf(grid, "S0000002", QStringLiteral("邮编"));
        ASSERT_GE(postCode, 0);
        const QPoint cell = CellCentre(grid, postCode, 3);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, cell);
        QTest::qWait(50);
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, cell);
        EXPECT_EQ(answerer.pending(), 0u);
        EXPECT_EQ(line->text(), QStringLiteral("共检查8个项目，7个项目有问题，共7处"));
        EXPECT_EQ(RowOf(grid, "S0000002", QStringLiteral("邮编")), -1);

        // Enter on the serial number: the editor with the focus there; left
        // without saving.
        answerer.Then([](QWidget* editor) {
            EXPECT_EQ(editor->focusWidget()->objectName(), QStringLiteral("Edit30"));
            QTest::mouseClick(Button(editor, "BitBtn1"), Qt::LeftButton);
        });
        grid->setFocus();
        grid->selectRow(RowOf(grid, "S0000007", QStringLiteral("序号")));
        QTest::keyClick(grid, Qt::Key_Return);
        EXPECT_EQ(answerer.pending(), 0u);
        EXPECT_EQ(grid->model()->rowCount(), 7);

        // The repair: S0000002's total alone changes; S0000007, whose file
        // holds more than this program writes, is left as it is.
        for (const fs::directory_entry& entry : fs::directory_iterator(store.dir())) {
            before[entry.path().filename().string()] = store.Read(entry.path().filename().string());
        }
        const TProjectRecord old = ReadProjectRecord(store.dir(), "S0000002").record;
        answerer.Ok();
        QTest::mouseClick(Button(check, "FixDigits"), Qt::LeftButton);
        ASSERT_EQ(answerer.messages().size(), 1);
        EXPECT_EQ(answerer.messages()[0],
                  QStringLiteral("已把1个项目中1个栏目的全角数字、小数点和负号改为半角并存盘。\n"
                                 "另有1个项目的数据文件不全或不是本系统写成的形式，未修改，"
                                 "请在编辑窗口中修改：S0000007"));
        TProjectRecord expected = old;
        expected.Fields[Field::FundsTotal] = "100";
        EXPECT_EQ(ReadProjectRecord(store.dir(), "S0000002").record, expected);
        for (const auto& [name, bytes] : before) {
            if (name != "S0000002.zzj") {
                EXPECT_EQ(store.Read(name), bytes) << name;
            }
        }
        EXPECT_EQ(line->text(), QStringLiteral("共检查8个项目，6个项目有问题，共6处"));

        // The text file holds the rows as shown.
        answerer.Ok();
        QTest::mouseClick(Button(check, "Button3"), Qt::LeftButton);
        std::string text = Gbk("项目ID\t项目名称\t栏目\t问题\t\r\n");
        for (const QStringList& row : GridRows(grid)) {
            text += ToGbk(row.join(QLatin1Char('\t'))) + "\t\r\n";
        }
        EXPECT_EQ(store.Read("tarvok10.txt"), text);

        // Printed without a printer: a PDF beside the program.
        EXPECT_EQ(report::LayOutReport(check->definition(), check->ReportSource()).rowCount, 6);
        report::SetDefaultPrinterForTesting([] { return std::unique_ptr<QPrinter>(); });
        answerer.Ok();
        QTest::mouseClick(Button(check, "Button2"), Qt::LeftButton);
        report::SetDefaultPrinterForTesting({});
        EXPECT_TRUE(store.Exists("tarvok10.pdf"));
        EXPECT_EQ(answerer.messages().size(), 3);
    });
    Trigger(form.get(), "NCheck");
    EXPECT_TRUE(seen);
    EXPECT_EQ(answerer.unexpected(), 0);

    // Export: one more line for each exported project with problems, and
    // nothing else.
    TempStore out;
    WritePathSetting(store.dir(), kExportPathFileName, out.dir().string());
    form->N7Click();
    const QString log = Find<QPlainTextEdit>(form.get(), "Memo1")->toPlainText();
    const auto done = [](const QString& name) { return "项目“" + name + "”导出完毕。"; };
    const auto note = [](const QString& name) {
        return "项目“" + name + "”有1处问题，请用“检查项目”查看";
    };
    EXPECT_EQ(log.split('\n'),
              (QStringList{done("智能交通系统研究"), done("水稻高产栽培技术研究"), done(twin),
                           note(twin), done(" " + twin), note(" " + twin), done("远程医疗系统集成"),
                           note("远程医疗系统集成"), done("远程医疗系统集成"),
                           note("远程医疗系统集成"), done("茶叶深加工工艺改进"),
                           note("茶叶深加工工艺改进"), "错误号:421  未找到项目“S0000008”的数据文件！"}));
    EXPECT_EQ(
        out.Read("vemra.zzj"),
        "S0000001\r\nS0000002\r\nS0000003\r\nS0000004\r\nS0000005\r\nS0000006\r\nS0000007\r\n");
    EXPECT_EQ(out.Read("S0000007.zzj"), store.Read("S0000007.zzj"));
}

}  // namespace
}  // namespace shenbao::testing
