#include <gtest/gtest.h>

#include "platform/platform.h"
#include "store/store.h"
#include "tests/support/temp_store.h"

namespace shenbao {
namespace {

using testing::Gbk;
using testing::TempStore;
using V = std::vector<std::string>;

TEST(CodeTable, SectionRules) {
    const std::string content =
        "preamble\r\n"
        "  ~~~Alpha 2001 edition \r\n"
        " one \r\n"
        "\r\n"
        "   ~~~indented is an entry\r\n"
        "two\n"
        "~~~Beta\r\n"
        "b1\r\n"
        "~~~Alpha\r\n"
        "second alpha\r\n";
    EXPECT_EQ(ParseCodeSection(content, "Alpha"), (V{"one", "", "~~~indented is an entry", "two"}));
    EXPECT_EQ(ParseCodeSection(content, "Beta"), (V{"b1"}));
    EXPECT_EQ(ParseCodeSection(content, "Gamma"), V{});
    EXPECT_EQ(ParseCodeSection("~~~Last", "Last"), V{});
    EXPECT_EQ(ParseCodeSection("~~~Last\r\nx", "Last"), V{"x"});
}

TEST(CodeTable, MissingFileIsToldApartFromAMissingSection) {
    TempStore store;
    EXPECT_FALSE(ReadCodeSection(store.dir(), CodeSection::Department).has_value());
    store.Write("_SYSCODE.ZZJ", "~~~x\r\n");  // letter case of the name ignored
    auto entries = ReadCodeSection(store.dir(), CodeSection::Department);
    ASSERT_TRUE(entries.has_value());
    EXPECT_TRUE(entries->empty());
}

TEST(CodeTable, ShippedTableHasAllEightSectionsWithWellFormedDepartments) {
    TempStore store;
    store.InstallCodeTable();
    for (const std::string* name : {&CodeSection::Department, &CodeSection::PlanCategory,
                                    &CodeSection::ProjectField, &CodeSection::ExpectedResultForm,
                                    &CodeSection::ProjectSource, &CodeSection::ProjectLocation,
                                    &CodeSection::UnitNature, &CodeSection::RegistrationType}) {
        auto entries = ReadCodeSection(store.dir(), *name);
        ASSERT_TRUE(entries.has_value());
        EXPECT_GE(entries->size(), 5u);
        for (const std::string& entry : *entries) {
            EXPECT_FALSE(entry.empty());
        }
    }
    std::string content = platform::ReadFile(testing::ShippedCodeTable());
    EXPECT_NE(content.find("\r\n"), std::string::npos);
    auto departments = *ReadCodeSection(store.dir(), CodeSection::Department);
    for (const std::string& entry : departments) {
        ASSERT_GT(entry.size(), 4u);
        EXPECT_EQ(entry[3], ':') << entry;
        for (int i = 0; i < 3; ++i) {
            EXPECT_LT(static_cast<unsigned char>(entry[i]), 0x80) << entry;
        }
        std::string name = DepartmentName(entry);
        bool municipal = name.ends_with(Gbk("市科委"));
        bool provincial = name.starts_with(Gbk("省"));
        EXPECT_TRUE(municipal || provincial) << entry;
    }
}

TEST(DepartmentTable, NamesAndCodes) {
    EXPECT_EQ(DepartmentName("101:Name"), "Name");
    EXPECT_EQ(DepartmentName("10:"), "");
    EXPECT_EQ(DepartmentName("1234"), "");
    EXPECT_EQ(DepartmentCode("101:Name"), "101");
    EXPECT_EQ(DepartmentCode("10"), "10");
}

TEST(DepartmentTable, CodeToNameAndNameToCodeTakeTheFirstEntryInFileOrder) {
    const V table = {"101:" + Gbk("澄阳市科委"), "102:" + Gbk("望川市科委"),
                     "201:" + Gbk("省教育厅"), "301:" + Gbk("省教育厅附属")};
    EXPECT_EQ(FindDepartmentNameForCode(table, "102"), Gbk("望川市科委"));
    EXPECT_FALSE(FindDepartmentNameForCode(table, "999"));
    // Empty code: the key ":" is in the first entry.
    EXPECT_EQ(FindDepartmentNameForCode(table, ""), Gbk("澄阳市科委"));
    // A shorter code matches where it stands directly before ':'.
    EXPECT_EQ(FindDepartmentNameForCode(table, "01"), Gbk("澄阳市科委"));
    EXPECT_EQ(FindDepartmentNameForCode(table, "2"), Gbk("望川市科委"));

    EXPECT_EQ(FindDepartmentCodeForName(table, Gbk("教育厅")), "201");
    EXPECT_EQ(FindDepartmentCodeForName(table, Gbk("望川")), "102");
    EXPECT_FALSE(FindDepartmentCodeForName(table, ""));
    EXPECT_FALSE(FindDepartmentCodeForName(table, Gbk("不存在")));
    EXPECT_FALSE(FindDepartmentNameForCode({}, "101"));
}

}  // namespace
}  // namespace shenbao
