#include <gtest/gtest.h>

#include <cerrno>

#include "store/store.h"
#include "tests/support/temp_store.h"

namespace shenbao {
namespace {

using testing::Gbk;
using testing::NumberedRecord;
using testing::TempStore;

TProjectRecord FullRecord() {
    TProjectRecord record = NumberedRecord();
    record.Fields[Field::ResearchContent] = Gbk("第一行\r\n第二行\r\n");
    return record;
}

TEST(SplitFields, CutsAtEveryOccurrenceAndEndsWithAnEmptyPiece) {
    using V = std::vector<std::string>;
    EXPECT_EQ(SplitFields("a~@~b~@~", "~@~"), (V{"a", "b", ""}));
    EXPECT_EQ(SplitFields("a~@~b", "~@~"), (V{"a", "b"}));
    EXPECT_EQ(SplitFields("", "~@~"), V{""});
    EXPECT_EQ(SplitFields("~@~~@~", "~@~"), (V{"", "", ""}));
    EXPECT_EQ(SplitFields("a\tb\t", "\t"), (V{"a", "b", ""}));
    // Occurrences are taken from the front without overlapping.
    EXPECT_EQ(SplitFields("~@~@~", "~@~"), (V{"", "@~"}));
    EXPECT_EQ(SplitFields("abc", ""), V{"abc"});
}

TEST(ProjectFiles, EmptyRecordHasTheDocumentedSizes) {
    TempStore store;
    WriteProjectRecord(store.dir(), "ABCD1234", TProjectRecord{});
    std::string main = store.Read("ABCD1234.zzj");
    std::string members = store.Read("ABCD1234.zj");
    ASSERT_EQ(main.size(), 228u + 2);
    ASSERT_EQ(members.size(), 630u + 2);
    EXPECT_EQ(main.substr(228), "\r\n");
    EXPECT_EQ(members.substr(630), "\r\n");
    std::string expectedMain;
    for (int i = 0; i < 38; ++i) {
        expectedMain += "770477";
    }
    EXPECT_EQ(main.substr(0, 228), expectedMain);
    std::string expectedRow;
    for (int c = 0; c < 6; ++c) {
        expectedRow += "770477";
    }
    expectedRow += "751i75";
    std::string expectedMembers;
    for (int r = 0; r < 15; ++r) {
        expectedMembers += expectedRow;
    }
    EXPECT_EQ(members.substr(0, 630), expectedMembers);

    ProjectReadResult read = ReadProjectRecord(store.dir(), "ABCD1234");
    EXPECT_EQ(read.status, ProjectReadStatus::Complete);
    EXPECT_EQ(read.record, TProjectRecord{});
}

TEST(ProjectFiles, FullRecordRoundTripsWithLineBreaksOnOneLine) {
    TempStore store;
    TProjectRecord record = FullRecord();
    WriteProjectRecord(store.dir(), "ZX81QQ01", record);
    std::string main = store.Read("ZX81QQ01.zzj");
    EXPECT_EQ(main.find('\n'), main.size() - 1) << "the stored text is one line";
    EXPECT_EQ(main, EncodeField(JoinMainText(record)) + "\r\n");
    EXPECT_EQ(store.Read("ZX81QQ01.zj"), EncodeField(JoinMemberText(record)) + "\r\n");

    ProjectReadResult read = ReadProjectRecord(store.dir(), "ZX81QQ01");
    EXPECT_EQ(read.status, ProjectReadStatus::Complete);
    EXPECT_EQ(read.record, record);
    auto fields = ReadMainFields(store.dir(), "ZX81QQ01");
    ASSERT_TRUE(fields.has_value());
    EXPECT_EQ(*fields, record.Fields);
}

TEST(ProjectFiles, SavingTwiceWritesTheSameFiles) {
    TempStore store;
    TProjectRecord record = FullRecord();
    WriteProjectRecord(store.dir(), "AAAA0000", record);
    std::string first = store.Read("AAAA0000.zzj") + store.Read("AAAA0000.zj");
    WriteProjectRecord(store.dir(), "AAAA0000", record);
    EXPECT_EQ(store.Read("AAAA0000.zzj") + store.Read("AAAA0000.zj"), first);
}

TEST(ProjectFiles, ReadingIsLenientAboutShapeAndLineBreaks) {
    TempStore store;
    // Fewer than 38 fields: the rest read as empty.
    store.Write("SHORT001.zzj", EncodeField("a~@~b~@~") + "\r\n");
    auto shortFields = ReadMainFields(store.dir(), "SHORT001");
    ASSERT_TRUE(shortFields);
    EXPECT_EQ((*shortFields)[0], "a");
    EXPECT_EQ((*shortFields)[1], "b");
    EXPECT_EQ((*shortFields)[2], "");
    EXPECT_EQ((*shortFields)[37], "");

    // More than 38: the surplus is ignored.
    std::string many;
    for (int i = 0; i < 45; ++i) {
        many += std::to_string(i) + "~@~";
    }
    store.Write("MANY0001.zzj", EncodeField(many) + "\r\n");
    auto manyFields = ReadMainFields(store.dir(), "MANY0001");
    ASSERT_TRUE(manyFields);
    EXPECT_EQ((*manyFields)[37], "37");

    // A zero-byte file reads as all empty.
    store.Write("EMPTY001.zzj", "");
    auto emptyFields = ReadMainFields(store.dir(), "EMPTY001");
    ASSERT_TRUE(emptyFields);
    EXPECT_EQ(*emptyFields, (std::array<std::string, kFieldCount>{}));

    // A stored line broken into several lines reads the same.
    std::string line = EncodeField(JoinMainText(FullRecord()));
    store.Write("SPLIT001.zzj",
                line.substr(0, 7) + "\r\n" + line.substr(7, 50) + "\n" + line.substr(57) + "\r\n");
    auto splitFields = ReadMainFields(store.dir(), "SPLIT001");
    ASSERT_TRUE(splitFields);
    EXPECT_EQ(*splitFields, FullRecord().Fields);

    // Member rows with more than six cells use the first six.
    store.Write("SHORT001.zj", EncodeField("1~@~2~@~3~@~4~@~5~@~6~@~7~@~^#^x~@~^#^") + "\r\n");
    ProjectReadResult read = ReadProjectRecord(store.dir(), "SHORT001");
    EXPECT_EQ(read.status, ProjectReadStatus::Complete);
    EXPECT_EQ(read.record.Members[0].Cells[5], "6");
    EXPECT_EQ(read.record.Members[1].Cells[0], "x");
    EXPECT_EQ(read.record.Members[1].Cells[1], "");
    EXPECT_EQ(read.record.Members[14].Cells[0], "");
}

TEST(ProjectFiles, MissingFilesAreToldApart) {
    TempStore store;
    EXPECT_EQ(ReadProjectRecord(store.dir(), "NONE0000").status,
              ProjectReadStatus::MainFileMissing);
    EXPECT_FALSE(ReadMainFields(store.dir(), "NONE0000").has_value());

    TProjectRecord record = FullRecord();
    WriteProjectRecord(store.dir(), "HALF0000", record);
    std::filesystem::remove(store.path("HALF0000.zj"));
    ProjectReadResult read = ReadProjectRecord(store.dir(), "HALF0000");
    EXPECT_EQ(read.status, ProjectReadStatus::MemberFileMissing);
    EXPECT_EQ(read.record.Fields, record.Fields);
    EXPECT_EQ(read.record.Members, (std::array<TProjectMember, kMemberRowCount>{}));
}

TEST(ProjectFiles, IdIsTrimmedForFileNames) {
    TempStore store;
    WriteProjectRecord(store.dir(), "  TRIM0001\t", FullRecord());
    EXPECT_TRUE(store.Exists("TRIM0001.zzj"));
    EXPECT_TRUE(store.Exists("TRIM0001.zj"));
    EXPECT_TRUE(ReadMainFields(store.dir(), " TRIM0001 ").has_value());
}

TEST(ProjectFiles, FilesAreFoundAndReplacedUnderAnotherLetterCase) {
    TempStore store;
    // A store copied from a system that ignores letter case.
    TProjectRecord record = FullRecord();
    WriteProjectRecord(store.dir(), "case0001", record);
    std::filesystem::rename(store.path("case0001.zzj"), store.path("CASE0001.ZZJ"));
    std::filesystem::rename(store.path("case0001.zj"), store.path("CASE0001.ZJ"));

    ASSERT_EQ(ReadMainFields(store.dir(), "case0001"), record.Fields);
    ProjectReadResult read = ReadProjectRecord(store.dir(), "case0001");
    EXPECT_EQ(read.status, ProjectReadStatus::Complete);
    EXPECT_EQ(read.record.Members, record.Members);

    // Saving replaces the stored files instead of adding a second pair,
    // under any spelling, and neither saving nor reading one project lists
    // the data directory (a store of 100000 projects holds 200000 files):
    // the spellings of the name are looked up one by one.
    platform::SetFaultInjector([](platform::FileOperation operation, const std::filesystem::path&) {
        return operation == platform::FileOperation::List ? EIO : 0;
    });
    record.Fields[Field::ProjectName] = Gbk("改过的名称");
    WriteProjectRecord(store.dir(), "case0001", record);
    EXPECT_FALSE(store.Exists("case0001.zzj"));
    EXPECT_FALSE(store.Exists("case0001.zj"));
    EXPECT_EQ(ReadMainFields(store.dir(), "case0001"), record.Fields);
    WriteProjectRecord(store.dir(), "MIXD0002", record);
    std::filesystem::rename(store.path("MIXD0002.zzj"), store.path("mIxD0002.ZzJ"));
    WriteProjectRecord(store.dir(), "MIXD0002", FullRecord());
    EXPECT_FALSE(store.Exists("MIXD0002.zzj"));
    EXPECT_EQ(ReadMainFields(store.dir(), "MIXD0002"), FullRecord().Fields);
    EXPECT_EQ(ReadProjectRecord(store.dir(), "NONE0003").status,
              ProjectReadStatus::MainFileMissing);
    platform::SetFaultInjector({});

    // The exact name wins where both stand.
    TProjectRecord other = FullRecord();
    other.Fields[Field::ProjectName] = Gbk("另一个");
    TempStore elsewhere;
    WriteProjectRecord(elsewhere.dir(), "case0001", other);
    store.Write("case0001.zzj", elsewhere.Read("case0001.zzj"));
    EXPECT_EQ((*ReadMainFields(store.dir(), "case0001"))[Field::ProjectName], Gbk("另一个"));
    EXPECT_EQ((*ReadMainFields(store.dir(), "CASE0001"))[Field::ProjectName],
              record.Fields[Field::ProjectName]);
}

TEST(ProjectFiles, IdsThatWouldLeaveTheDataDirectoryNameNoFile) {
    TempStore store;
    std::filesystem::create_directories(store.path("sub"));
    for (const char* id : {"../x", "a/b", "C:x", "..", "a\\b", "x\x01y", ""}) {
        EXPECT_FALSE(ProjectFilePath(store.dir(), id, ".zzj").has_value()) << id;
        EXPECT_FALSE(ReadMainFields(store.dir(), id).has_value()) << id;
        EXPECT_THROW(WriteProjectRecord(store.dir(), id, TProjectRecord{}), IoError) << id;
    }
    EXPECT_FALSE(std::filesystem::exists(store.dir().parent_path().parent_path() / "x.zzj"));
    EXPECT_FALSE(std::filesystem::exists(store.path("sub") / "b.zzj"));
}

TEST(ProjectFiles, WriteIntoMissingDirectoryThrowsNamingTheFile) {
    TempStore store;
    try {
        WriteProjectRecord(store.path("missing"), "ABCDEFGH", TProjectRecord{});
        FAIL() << "no IoError";
    } catch (const IoError& e) {
        EXPECT_EQ(e.path(), store.path("missing") / "ABCDEFGH.zzj");
        EXPECT_EQ(e.errorCode(), ENOENT);
        EXPECT_FALSE(e.reason().empty());
    }
}

TEST(RecordTextViolation, FindsTextThatWouldShiftLaterFields) {
    EXPECT_FALSE(FindRecordTextViolation(FullRecord()).has_value());

    TProjectRecord record;
    record.Fields[Field::UnitName] = "a~@~b";
    auto v = FindRecordTextViolation(record);
    ASSERT_TRUE(v);
    EXPECT_EQ(v->field, Field::UnitName);
    EXPECT_EQ(v->forbidden, "~@~");

    record = {};
    record.Fields[Field::Email] = "x~@";  // joins the separator into ~@~@~
    v = FindRecordTextViolation(record);
    ASSERT_TRUE(v);
    EXPECT_EQ(v->field, Field::Email);
    // Proof that this text really would not read back:
    EXPECT_NE(ParseMainText(JoinMainText(record))[Field::Email], "x~@");

    record = {};
    record.Fields[Field::Applicant] = "a\tb";
    v = FindRecordTextViolation(record);
    ASSERT_TRUE(v);
    EXPECT_EQ(v->forbidden, "\t");

    record = {};
    record.Fields[Field::ResearchContent] = "tab\tis fine here";
    EXPECT_FALSE(FindRecordTextViolation(record));

    record = {};
    record.Members[2].Cells[4] = "x^#^y";
    v = FindRecordTextViolation(record);
    ASSERT_TRUE(v);
    EXPECT_FALSE(v->field);
    EXPECT_EQ(v->memberRow, 3u);
    EXPECT_EQ(v->memberCell, 4u);
    EXPECT_EQ(v->forbidden, "^#^");

    // Texts that merely resemble separators read back unchanged.
    record = {};
    record.Fields[0] = "~";
    record.Fields[1] = "@~x";
    record.Fields[2] = "^#^";
    record.Members[0].Cells[0] = "#^";
    record.Members[0].Cells[5] = "^#";
    EXPECT_FALSE(FindRecordTextViolation(record));
    EXPECT_EQ(ParseMainText(JoinMainText(record)), record.Fields);
    EXPECT_EQ(ParseMemberText(JoinMemberText(record)), record.Members);
}

}  // namespace
}  // namespace shenbao
