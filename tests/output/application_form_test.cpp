// The application forms: what they hold, the pages printed through the main
// window's commands and the editor's button, and the QR code read back off
// the printed page.

#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#include "core/application_form.h"
#include "core/crc32.h"
#include "editor/zpinfo.h"
#include "output/application_form_report.h"
#include "platform/gbk.h"
#include "gui/text.h"
#include "report/preview.h"
#include "report/printing.h"
#include "store/index_file.h"
#include "tests/report/report_support.h"
#include "tests/support/main_form.h"

namespace shenbao::testing {
namespace {

const std::string kFull = "FULL0001";
const std::string kLong = "LONG0001";

// Every field holds a text of its own ("字段N号"), but the classification
// fields, which hold a bare code, a bare name or a whole entry of the code
// table, and the department, which has its code only.
TProjectRecord FullFormRecord() {
    TProjectRecord record = NumberedRecord("号");
    record.Fields[Field::PlanCategory] = "03";
    record.Fields[Field::ProjectField] = Gbk("现代农业");
    record.Fields[Field::ExpectedResultForm] = Gbk("06 专利");
    record.Fields[Field::DepartmentCode] = "204";
    record.Fields[Field::DepartmentName].clear();
    record.Fields[Field::SerialNumber] = "2";
    record.Fields[Field::ResearchContent] = Gbk("第一段内容\r\n第二段 second\r\n\r\n末段");
    return record;
}

// A name of 400 bytes (200 ideographs, no two neighbours alike).
std::string LongName() {
    std::string name;
    for (int i = 0; name.size() < 400; ++i) {
        name += Gbk(i % 2 == 0 ? "长" : "名") + std::to_string(i % 10);
    }
    name.resize(400);
    return name;
}

// Text without any blank or line break, as cells that wrap come out of a PDF.
QString Packed(QString text) {
    text.remove(QRegularExpression(QStringLiteral("\\s")));
    return text;
}

bool HaveZbar() {
    return CommandOutput("command -v zbarimg >/dev/null && command -v pdftoppm >/dev/null")
        .has_value();
}

// What zbarimg reads off page `page` of `pdf` rendered at `dpi`.
QString ScanQr(const std::filesystem::path& pdf, int page, int dpi) {
    const std::string png = pdf.string() + "-scan";
    const std::string pageArg = std::to_string(page);
    CommandOutput("pdftoppm -png -singlefile -r " + std::to_string(dpi) + " -f " + pageArg +
                  " -l " + pageArg + " '" + pdf.string() + "' '" + png + "'");
    const auto out = CommandOutput("zbarimg --raw -q '" + png + ".png' 2>/dev/null");
    return out ? QString::fromStdString(*out).trimmed() : QString();
}

TEST(ApplicationFormContent, ChecksumsCaptionsCodeNamesAndTheQrText) {
    EXPECT_EQ(Crc32Hex(Crc32("123456789")), "cbf43926");
    EXPECT_EQ(Crc32Hex(Crc32("")), "00000000");
    EXPECT_EQ(Crc32Hex(Crc32(std::string("\0\xff", 2))), "6cdbfd72");

    EXPECT_EQ(CaptionWithoutPadding(Gbk("项    目申 请 人")), Gbk("项目申请人"));
    EXPECT_EQ(CaptionWithoutPadding(Gbk(" E-Mail    地址")), Gbk("E-Mail地址"));

    // Every field but the research content once, the department code in the
    // name's cell.
    std::vector<std::size_t> shown;
    for (const FormGroup& group : FormGroups()) {
        for (const FormRow& row : group.rows) {
            for (const FormItem& item : row.items) {
                shown.push_back(item.field);
            }
        }
    }
    std::sort(shown.begin(), shown.end());
    std::vector<std::size_t> expected;
    for (std::size_t f = 0; f <= kFormIdItem; ++f) {
        if (f != Field::ResearchContent && f != Field::DepartmentCode) {
            expected.push_back(f);
        }
    }
    EXPECT_EQ(shown, expected);

    TempStore store;
    store.InstallCodeTable();
    const FormCodes codes = ReadFormCodes(store.dir());
    struct Row {
        std::size_t field;
        const char* stored;
        const char* printed;
    };
    for (const Row& row : {Row{Field::PlanCategory, "03", "03 星火计划"},
                           Row{Field::PlanCategory, " 星火计划 ", "03 星火计划"},
                           Row{Field::PlanCategory, "03 星火计划", "03 星火计划"},
                           Row{Field::PlanCategory, "星火", "星火"},
                           Row{Field::RegistrationType, "110", "110 国有企业"},
                           Row{Field::UnitNature, "", ""}, Row{Field::ProjectName, "03", "03"}}) {
        TProjectRecord record;
        record.Fields[row.field] = Gbk(row.stored);
        EXPECT_EQ(GbkToUtf8(FormValue(codes, record, row.field)), row.printed) << row.stored;
    }
    for (const Row& row : {Row{0, "204", "204 省教育厅"}, Row{0, "", ""}, Row{0, "999", "999"}}) {
        TProjectRecord record;
        record.Fields[Field::DepartmentCode] = row.stored;
        EXPECT_EQ(GbkToUtf8(FormValue(codes, record, Field::DepartmentName)), row.printed);
        record.Fields[Field::DepartmentName] = Gbk("省教育厅");
        record.Fields[Field::DepartmentCode].clear();
        EXPECT_EQ(GbkToUtf8(FormValue(codes, record, Field::DepartmentName)), "204 省教育厅");
    }

    ApplicationForm form;
    form.id = kLong;
    form.record.Fields[Field::ProjectName] = LongName();
    form.checksums.main = 0x0000abcd;
    EXPECT_EQ(FormQrText(form).substr(0, 12), "ID:LONG0001\n");
    const std::string name = FormQrText(form).substr(12, FormQrText(form).find('\n', 12) - 12);
    EXPECT_LE(name.size(), kQrNameLimit + 3);
    EXPECT_TRUE(IsUtf8(name));
    EXPECT_TRUE(name.ends_with("…"));
    EXPECT_TRUE(GbkToUtf8(LongName()).starts_with(name.substr(0, name.size() - 3)));
    EXPECT_TRUE(FormQrText(form).ends_with("\nZZJ:0000abcd ZJ:--------"));
    form.unsaved = true;
    EXPECT_TRUE(FormQrText(form).ends_with("\nZZJ:0000abcd ZJ:--------\n未存盘"));
    EXPECT_EQ(FormQrCaption(form), "ID:LONG0001\nZZJ:0000abcd\nZJ:--------\n未存盘");
}

class ApplicationForms : public ::testing::Test {
  protected:
    void SetUp() override {
        store.InstallCodeTable();
        store.AddProject(kFull, FullFormRecord());
        TProjectRecord longName = SampleRecord("", "1", "长单位");
        longName.Fields[Field::ProjectName] = LongName();
        store.AddProject(kLong, longName);
        SaveIndex(store.dir(), {kLong, kFull});
        form = StartMainForm(store, answerer);
        report::SetDefaultPrinterForTesting([] { return std::unique_ptr<QPrinter>(); });
    }
    void TearDown() override { report::SetDefaultPrinterForTesting({}); }

    // Runs the menu entry, prints from the preview it opens (into a PDF, for
    // there is no printer) and closes it; the pages the preview showed.
    int PrintFromPreview(const char* entry) {
        int pages = -1;
        answerer.Then([&pages](QWidget* window) {
            auto* preview = qobject_cast<report::ReportPreview*>(window);
            ASSERT_NE(preview, nullptr);
            pages = preview->pageCount();
            Trigger(preview, "PrintReport");
            preview->close();
        });
        answerer.Ok();
        Trigger(form.get(), entry);
        EXPECT_EQ(answerer.pending(), 0u);
        return pages;
    }

    TempStore store;
    ModalAnswerer answerer;
    std::unique_ptr<TZMainForm> form;
};

TEST_F(ApplicationForms, AFullyFilledProjectPrintsEveryValueAndEveryMemberCell) {
    form->setCurrentRow(1);  // sorted by ID: FULL0001
    const int pages = PrintFromPreview("NApplicationForm");
    const std::filesystem::path pdf = store.path(kFull + ".pdf");
    ASSERT_EQ(answerer.messages().size(), 1);
    EXPECT_EQ(answerer.messages()[0],
              QStringLiteral("系统中没有安装打印机，申报表已输出为PDF文件“%1”").arg(FromPath(pdf)));
    if (!HavePdfTools()) {
        GTEST_SKIP() << "poppler-utils not installed";
    }
    const QStringList pageTexts = PdfPages(pdf);
    ASSERT_EQ(pageTexts.size(), pages);
    ASSERT_GE(pages, 2);
    EXPECT_EQ(PdfInfo(pdf, QStringLiteral("Page size")).left(9), QStringLiteral("595 x 842"));
    const QString text = Packed(pageTexts.join(QString()));
    const TProjectRecord record = FullFormRecord();
    for (std::size_t f = 0; f < kFieldCount; ++f) {
        if (f == Field::ResearchContent || f == Field::DepartmentCode ||
            f == Field::DepartmentName || f == Field::PlanCategory || f == Field::ProjectField) {
            continue;
        }
        EXPECT_TRUE(text.contains(Packed(FromGbk(record.Fields[f])))) << f;
    }
    for (const char* completed :
         {"03星火计划", "07现代农业", "204省教育厅", "项目ID号FULL0001序号2"}) {
        EXPECT_TRUE(text.contains(QString::fromUtf8(completed))) << completed;
    }
    for (const TProjectMember& member : record.Members) {
        for (const std::string& cell : member.Cells) {
            EXPECT_TRUE(text.contains(FromGbk(cell))) << GbkToUtf8(cell);
        }
    }
    // The research content keeps its lines; the signatures close the form.
    const QStringList lines = PdfText(pdf).split(QLatin1Char('\n'));
    for (const char* line : {"第一段内容", "第二段 second", "末段"}) {
        EXPECT_TRUE(lines.contains(QString::fromUtf8(line))) << line;
    }
    for (const char* block : {"项目申请人（签字）", "申报单位（盖章）", "主管部门意见（盖章）"}) {
        EXPECT_TRUE(pageTexts.back().contains(QString::fromUtf8(block))) << block;
    }
    for (int p = 0; p < pages; ++p) {
        EXPECT_TRUE(
            Packed(pageTexts[p]).contains(QStringLiteral("第%1页共%2页").arg(p + 1).arg(pages)));
    }
}

TEST_F(ApplicationForms, AllShownFormsGoIntoOnePdfInListOrderEachFromANewPage) {
    form->SortList(SortKey::SerialNumber);  // LONG0001 (1) before FULL0001 (2)
    PrintFromPreview("NApplicationFormAll");
    const std::filesystem::path pdf = store.path("tarvok09.pdf");
    ASSERT_EQ(answerer.messages().size(), 1);
    EXPECT_TRUE(answerer.messages()[0].contains(FromPath(pdf)));
    if (!HavePdfTools()) {
        GTEST_SKIP() << "poppler-utils not installed";
    }
    // Each form begins with its title on a page of its own, numbered 1.
    QStringList firstPages;
    for (const QString& page : PdfPages(pdf)) {
        const QString packed = Packed(page);
        if (packed.contains(QStringLiteral("澄川省科技计划项目申报表"))) {
            EXPECT_TRUE(packed.contains(QStringLiteral("第1页共"))) << page.toStdString();
            firstPages << packed.section(QStringLiteral("项目ID号"), 1).left(8);
        }
    }
    EXPECT_EQ(firstPages,
              (QStringList{QString::fromStdString(kLong), QString::fromStdString(kFull)}));
    // The 400-byte name is printed whole.
    EXPECT_TRUE(Packed(PdfText(pdf)).contains(FromGbk(LongName())));
}

TEST_F(ApplicationForms, TheQrCodeScansToTheIdNameAndChecksumsOfTheStoredFiles) {
    if (!HaveZbar()) {
        GTEST_SKIP() << "zbar-tools or poppler-utils not installed";
    }
    PrintFromPreview("NApplicationFormAll");
    const std::filesystem::path pdf = store.path("tarvok09.pdf");
    const auto checksums = [this](const std::string& id) {
        return "ZZJ:" + Crc32Hex(Crc32(store.Read(id + ".zzj"))) +
               " ZJ:" + Crc32Hex(Crc32(store.Read(id + ".zj")));
    };
    // Read at the resolution of a screen at 100 %: a phone sees more.
    const QStringList full = ScanQr(pdf, 1, 100).split(QLatin1Char('\n'));
    EXPECT_EQ(full, (QStringList{QStringLiteral("ID:FULL0001"), QStringLiteral("字段0号"),
                                 QString::fromStdString(checksums(kFull))}));
    QStringList longForm;
    const QStringList pageTexts = PdfPages(pdf);
    for (int p = 0; p < pageTexts.size(); ++p) {
        if (pageTexts[p].contains(QStringLiteral("项目ID号：LONG0001")) &&
            Packed(pageTexts[p]).contains(QStringLiteral("第1页"))) {
            longForm = ScanQr(pdf, p + 1, 100).split(QLatin1Char('\n'));
        }
    }
    ASSERT_EQ(longForm.size(), 3);
    EXPECT_EQ(longForm[0], QStringLiteral("ID:LONG0001"));
    EXPECT_TRUE(longForm[1].endsWith(QStringLiteral("…")));
    EXPECT_TRUE(FromGbk(LongName()).startsWith(longForm[1].chopped(1)));
    EXPECT_EQ(longForm[2], QString::fromStdString(checksums(kLong)));
}

TEST_F(ApplicationForms, TheEditorPrintsWhatItsFieldsHoldAndMarksItUnsavedUntilSaved) {
    TZPInfoForm editor(store.dir());
    editor.Prepare(kLong, EditorMode::Modify);
    editor.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
    QStringList marks;
    QStringList names;
    const auto printForm = [&] {
        answerer.Then([&](QWidget* window) {
            auto* preview = qobject_cast<report::ReportPreview*>(window);
            ASSERT_NE(preview, nullptr);
            const report::PlacedBand& title = preview->document().pages.at(0).bands.at(0);
            const bool inCaption =
                title.field(FormQrCaptionField())->shownText().endsWith(QStringLiteral("未存盘"));
            marks << title.field(FormUnsavedField())->shownText() +
                         (inCaption ? QStringLiteral("+") : QString());
            for (const report::PlacedBand& band : preview->document().pages.at(0).bands) {
                if (band.band == FormBand::Wide) {
                    names << band.field(QStringLiteral("Value1"))->shownText();
                    break;
                }
            }
            preview->close();
        });
        Button(&editor, "BitBtnApplicationForm")->click();
    };
    printForm();
    Edit(&editor, "Edit1")->setText(QStringLiteral("改过的名称"));
    printForm();
    answerer.Ok();
    Button(&editor, "BitBtn8")->click();
    printForm();
    EXPECT_EQ(marks, (QStringList{QString(), QStringLiteral("未存盘+"), QString()}));
    EXPECT_EQ(names, (QStringList{FromGbk(LongName()), QStringLiteral("改过的名称"),
                                  QStringLiteral("改过的名称")}));
    EXPECT_EQ(answerer.pending(), 0u);
    EXPECT_EQ(answerer.unexpected(), 0);
}

TEST_F(ApplicationForms, AFormThatCannotBeReadClosesThePreviewWithTheErrorBox) {
    std::filesystem::remove(store.path(kFull + ".zj"));
    std::filesystem::create_directory(store.path(kFull + ".zj"));
    form->setCurrentRow(1);
    answerer.Ok();
    Trigger(form.get(), "NApplicationForm");
    ASSERT_EQ(answerer.messages().size(), 1);
    EXPECT_EQ(answerer.icons()[0], QMessageBox::Critical);
    EXPECT_TRUE(answerer.messages()[0].contains(QStringLiteral("FULL0001.zj")));
    EXPECT_EQ(answerer.unexpected(), 0);
    EXPECT_FALSE(store.Exists(kFull + ".pdf"));
}

TEST(ApplicationFormsOnAnEmptyStore, BothEntriesDoNothing) {
    TempStore store;
    ModalAnswerer answerer;
    auto form = StartMainForm(store, answerer);
    Trigger(form.get(), "NApplicationForm");
    Trigger(form.get(), "NApplicationFormAll");
    QTest::qWait(200);
    EXPECT_EQ(answerer.unexpected(), 0);
    EXPECT_TRUE(answerer.messages().isEmpty());
}

}  // namespace
}  // namespace shenbao::testing
