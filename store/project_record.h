#pragma once

// One project as stored: 38 text fields and a table of 15 participants, kept
// in two files named after the project ID (ID.zzj for the fields, ID.zj for
// the members), each a single line of field-codec output.

#include <array>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace shenbao {

inline constexpr std::size_t kFieldCount = 38;
inline constexpr std::size_t kMemberRowCount = 15;
inline constexpr std::size_t kMemberCellCount = 6;

inline constexpr std::string_view kFieldSeparator = "~@~";
inline constexpr std::string_view kRowTerminator = "^#^";
inline constexpr std::string_view kMainFileExtension = ".zzj";
inline constexpr std::string_view kMemberFileExtension = ".zj";
// The longest file name the file systems take, in bytes.
inline constexpr std::size_t kMaxFileNameLength = 255;

// Field numbers of a project record, in file order.
namespace Field {
inline constexpr std::size_t ProjectName = 0;
inline constexpr std::size_t PlanCategory = 1;
inline constexpr std::size_t ProjectPeriod = 2;
inline constexpr std::size_t ProjectField = 3;
inline constexpr std::size_t ApplicationDate = 4;
inline constexpr std::size_t ExpectedResultForm = 5;
inline constexpr std::size_t ProjectSource = 6;
inline constexpr std::size_t Applicant = 7;
inline constexpr std::size_t ApplicantPhone = 8;
inline constexpr std::size_t FundsTotal = 9;
inline constexpr std::size_t FundsNational = 10;
inline constexpr std::size_t FundsProvincial = 11;
inline constexpr std::size_t FundsMatching = 12;
inline constexpr std::size_t FundsLoan = 13;
inline constexpr std::size_t FundsSelfRaised = 14;
inline constexpr std::size_t FundsOther = 15;
inline constexpr std::size_t DepartmentCode = 16;
inline constexpr std::size_t DepartmentName = 17;
inline constexpr std::size_t ProjectLocation = 18;
inline constexpr std::size_t UnitName = 19;
inline constexpr std::size_t UnitNature = 20;
inline constexpr std::size_t UnitHead = 21;
inline constexpr std::size_t RegistrationType = 22;
inline constexpr std::size_t UnitHeadPhone = 23;
inline constexpr std::size_t UnitAddress = 24;
inline constexpr std::size_t PostCode = 25;
inline constexpr std::size_t ContactPerson = 26;
inline constexpr std::size_t ContactPhone = 27;
inline constexpr std::size_t Fax = 28;
inline constexpr std::size_t Email = 29;
inline constexpr std::size_t WebSite = 30;
inline constexpr std::size_t StaffTotal = 31;
inline constexpr std::size_t TechStaff = 32;
inline constexpr std::size_t SeniorTechStaff = 33;
inline constexpr std::size_t Bank = 34;
inline constexpr std::size_t BankAccount = 35;
inline constexpr std::size_t ResearchContent = 36;
inline constexpr std::size_t SerialNumber = 37;
}  // namespace Field

// Cell numbers of a member row.
namespace MemberCell {
inline constexpr std::size_t Name = 0;
inline constexpr std::size_t Sex = 1;
inline constexpr std::size_t BirthMonth = 2;
inline constexpr std::size_t Education = 3;
inline constexpr std::size_t PostTitle = 4;
inline constexpr std::size_t Workplace = 5;
}  // namespace MemberCell

struct TProjectMember {
    std::array<std::string, kMemberCellCount> Cells;
    bool operator==(const TProjectMember&) const = default;
};

struct TProjectRecord {
    std::array<std::string, kFieldCount> Fields;
    // Members[0] is member row 1.
    std::array<TProjectMember, kMemberRowCount> Members;
    bool operator==(const TProjectRecord&) const = default;
};

// Cuts `text` into pieces at `separator`: the separator is appended once, then
// the bytes before each occurrence, from the front, are the next piece. A text
// whose every item ends with the separator gives its items and one empty
// piece. An empty separator gives the text as its only piece.
std::vector<std::string> SplitFields(std::string_view text, std::string_view separator);

// The joined texts of the two files, before encoding.
std::string JoinMainText(const TProjectRecord& record);
std::string JoinMemberText(const TProjectRecord& record);

// The 38 fields of a decoded main text (missing ones empty, surplus ignored).
std::array<std::string, kFieldCount> ParseMainText(std::string_view text);
// The member table of a decoded member text.
std::array<TProjectMember, kMemberRowCount> ParseMemberText(std::string_view text);

// dataDir + trimmed ID + extension, or nothing for an ID that names no file
// inside the data directory (see platform::FileIn).
std::optional<std::filesystem::path> ProjectFilePath(const std::filesystem::path& dataDir,
                                                     std::string_view id,
                                                     std::string_view extension);

// A listing of the data directory for one command: the store's files are
// read through links (a user may keep them on another disk).
platform::DirectoryListing StoreListing(const std::filesystem::path& dataDir,
                                        platform::Listing when = platform::Listing::Now);

// Writes the main data file and the member file as one change of the store
// (StoreChange): after a kill or a power cut both are old or both are new.
// Written over the files under whatever letter case they are stored in, and
// through links. Throws IoError (also for an ID that names no file in the
// data directory).
void WriteProjectRecord(const std::filesystem::path& dataDir, std::string_view id,
                        const TProjectRecord& record);

// The entry of the file `id` + `extension` in `listing` (a directory listed
// once for a whole command), found as platform::FindFile finds names; null
// when there is none or the ID names no file inside the directory. Throws
// IoError (ENAMETOOLONG) when the name is too long to be a file's.
const platform::DirectoryEntry* FindProjectEntry(const platform::DirectoryListing& listing,
                                                 std::string_view id, std::string_view extension);

// The file `id` + `extension` read through `listing` (a directory listed
// once for a whole command, if at all), found as platform::ReadNamed finds
// names: Missing also for an ID that names no file inside the directory,
// Refused for an entry that is no file the program reads (a name too long
// for any file included). Other failures throw IoError.
platform::EntryRead ReadProjectEntry(const platform::DirectoryListing& listing,
                                     std::string_view id, std::string_view extension);

// The line a stored file holds for a joined text: the text in the field
// codec, CR LF after it.
std::string StoredLine(std::string_view joined);

// The joined text a stored file's content holds (its lines joined first
// when it was broken into several; a leading byte-order mark dropped).
std::string DecodeStoredText(const std::string& content);

// The 38 fields of a main data file's content.
std::array<std::string, kFieldCount> MainFieldsOf(const std::string& content);

enum class ProjectReadStatus {
    Complete,           // both files read
    MainFileMissing,    // nothing read
    MemberFileMissing,  // fields read, member table empty
};

struct ProjectReadResult {
    TProjectRecord record;
    ProjectReadStatus status = ProjectReadStatus::Complete;
};

// Reads both files of a project. Throws IoError for failures other than a
// missing file.
ProjectReadResult ReadProjectRecord(const std::filesystem::path& dataDir, std::string_view id);

// The 38 fields from the main data file, or nothing when it is missing.
std::optional<std::array<std::string, kFieldCount>> ReadMainFields(
    const std::filesystem::path& dataDir, std::string_view id);

// Text that may not be saved because it would split the stored record at the
// wrong place when read back.
struct RecordTextViolation {
    // A field number, or std::nullopt for a member cell.
    std::optional<std::size_t> field;
    std::size_t memberRow = 0;  // 1..15 for a member cell
    std::size_t memberCell = 0;
    std::string forbidden;  // "~@~", "^#^", a trailing "~@", or "\t"
};

// The first field or member cell whose text would not read back as written:
// one holding "~@~" (or "^#^" in a member cell) or ending in "~@", which joins
// with the following separator. Also a tab in any field but the research
// content, since the fields reach tab-separated listings.
std::optional<RecordTextViolation> FindRecordTextViolation(const TProjectRecord& record);

}  // namespace shenbao
