// The readers of a project's two data files. The input becomes ID.zzj and
// ID.zj in a scratch data directory (either may be missing); ReadMainFields
// and ReadProjectRecord must agree with parsing the decoded text directly,
// and what they read must survive being joined and parsed again. A fuzzed
// project ID may only ever name a file inside the data directory.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "fuzz/fuzz_support.h"
#include "platform/io_error.h"
#include "platform/platform.h"
#include "store/codec.h"
#include "store/project_record.h"
#include "store/text.h"

namespace {

namespace fs = std::filesystem;
using namespace shenbao;

constexpr char kId[] = "FZ00PROJ";

const fs::path& DataDir() {
    return fuzz::ScratchDirectory("data");
}

const fs::path& WriteDir() {
    return fuzz::ScratchDirectory("write");
}

// What was read must read the same after being stored again.
void CheckJoinedTextsParseBack(const TProjectRecord& record) {
    FUZZ_CHECK(ParseMainText(JoinMainText(record)) == record.Fields);
    FUZZ_CHECK(ParseMemberText(JoinMemberText(record)) == record.Members);
    // Text cut out at the separators never holds one; only a tab can be
    // refused by the editor's rule.
    if (std::optional<RecordTextViolation> violation = FindRecordTextViolation(record)) {
        FUZZ_CHECK(violation->forbidden == "\t");
    }
}

void CheckFuzzedId(const std::string& id) {
    for (std::string_view extension : {kMainFileExtension, kMemberFileExtension}) {
        if (std::optional<fs::path> path = ProjectFilePath(DataDir(), id, extension)) {
            FUZZ_CHECK(path->parent_path() == DataDir());
            FUZZ_CHECK(path->filename() != "." && path->filename() != "..");
        }
    }
    try {
        std::optional<std::array<std::string, kFieldCount>> fields = ReadMainFields(DataDir(), id);
        if (fields && std::string(Trim(id)) != kId) {
            // Only our own file exists, and only under its own name.
            FUZZ_CHECK(false);
        }
        ProjectReadResult read = ReadProjectRecord(DataDir(), id);
        FUZZ_CHECK(read.status == ProjectReadStatus::MainFileMissing || fields.has_value());
        // Read through one listing of the directory, as the list reads, the
        // fields are the same.
        const platform::EntryRead listed =
            ReadProjectEntry(StoreListing(DataDir()), id, kMainFileExtension);
        FUZZ_CHECK(listed.read() == fields.has_value());
        FUZZ_CHECK(!listed.read() || MainFieldsOf(listed.content) == *fields);
    } catch (const IoError& error) {
        // A name too long for the file system is refused by the system.
        FUZZ_CHECK(id.size() > 200);
        FUZZ_CHECK(platform::IsUnreadableEntry(error.errorCode()));
    }
}

void CheckWriteAndReadBack(const std::string& id, const TProjectRecord& record) {
    fuzz::EmptyDirectory(WriteDir());
    bool written = false;
    try {
        WriteProjectRecord(WriteDir(), id, record);
        written = true;
    } catch (const IoError&) {
        FUZZ_CHECK(!ProjectFilePath(WriteDir(), id, kMainFileExtension) || id.size() > 200);
    }
    const auto files = fuzz::Snapshot(WriteDir());
    if (!written) {
        FUZZ_CHECK(files.empty());
        return;
    }
    FUZZ_CHECK(files.size() == 2);
    for (const auto& [name, content] : files) {
        FUZZ_CHECK(name.find('/') == std::string::npos);
        FUZZ_CHECK(content.ends_with(kCrLf));
    }
    ProjectReadResult back = ReadProjectRecord(WriteDir(), id);
    FUZZ_CHECK(back.status == ProjectReadStatus::Complete);
    FUZZ_CHECK(back.record == record);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::uint8_t flags = input.ConsumeIntegral<std::uint8_t>();
    const bool haveMain = (flags & 1) == 0;
    const bool haveMember = (flags & 2) == 0;
    const std::string otherId = (flags & 4) ? input.ConsumeRandomLengthString(64) : std::string();
    const std::string mainFile = input.ConsumeRandomLengthString();
    const std::string memberFile = input.ConsumeRemainingBytesAsString();

    fuzz::EmptyDirectory(DataDir());
    const std::string id(kId);
    if (haveMain) {
        fuzz::WriteBytes(DataDir() / (id + std::string(kMainFileExtension)), mainFile);
    }
    if (haveMember) {
        fuzz::WriteBytes(DataDir() / (id + std::string(kMemberFileExtension)), memberFile);
    }

    const std::optional<std::array<std::string, kFieldCount>> fields =
        ReadMainFields(DataDir(), id);
    const ProjectReadResult read = ReadProjectRecord(DataDir(), " " + id + "\t");
    FUZZ_CHECK(fields.has_value() == haveMain);
    if (!haveMain) {
        FUZZ_CHECK(read.status == ProjectReadStatus::MainFileMissing);
        FUZZ_CHECK(read.record == TProjectRecord{});
        return 0;
    }
    const std::array<std::string, kFieldCount> expected =
        ParseMainText(DecodeField(JoinLines(mainFile)));
    FUZZ_CHECK(*fields == expected);
    FUZZ_CHECK(read.record.Fields == expected);
    if (haveMember) {
        FUZZ_CHECK(read.status == ProjectReadStatus::Complete);
        FUZZ_CHECK(read.record.Members == ParseMemberText(DecodeField(JoinLines(memberFile))));
    } else {
        FUZZ_CHECK(read.status == ProjectReadStatus::MemberFileMissing);
        FUZZ_CHECK(read.record.Members == TProjectRecord{}.Members);
    }
    CheckJoinedTextsParseBack(read.record);

    if (flags & 4) {
        CheckFuzzedId(otherId);
    }
    if (flags & 8) {
        CheckWriteAndReadBack((flags & 4) ? otherId : id, read.record);
    }
    return 0;
}
