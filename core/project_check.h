#pragma once

// The formal check of projects before they are sent: every listed project is
// read once (main data file and member file) and held against a table of
// rules, each one row (field, test, message), and against the other listed
// projects for repeats. What it finds is a list of problems, one per field,
// member cell or file, in plain words and with the expected form.
//
// The repair of full-width digits (the Chinese input method's "１２．５")
// changes the number fields only and saves through WriteProjectRecord, as
// the editor does.
//
// Plain C++ on GBK bytes; the window (exchange/checkform.h) only shows it.

#include <array>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/project_rows.h"
#include "core/transfer.h"
#include "store/project_record.h"

namespace shenbao {

inline constexpr std::string_view kCheckTextName = "tarvok10.txt";
// Where the printed check goes when no printer is installed.
inline constexpr std::string_view kCheckPdfName = "tarvok10.pdf";

// ---- Where a problem stands ------------------------------------------------------

// A problem's field: a record field number 0..37, or one of these.
inline constexpr std::size_t kMemberTable = kFieldCount;       // the member table
inline constexpr std::size_t kProjectFiles = kFieldCount + 1;  // the project's data files

// The number fields: full-width digits, point and minus in them are a
// problem of their own, and the repair turns them into ASCII there and
// nowhere else. The seven amounts, the staff numbers, the serial number,
// and the fields written in digits: period, date, telephones and fax, post
// code, bank account. The members' 出生年月 (kMemberBirthMonthIsNumber) too.
inline constexpr std::array<std::size_t, 19> kNumberFields = {
    Field::ProjectPeriod,   Field::ApplicationDate,
    Field::ApplicantPhone,  Field::FundsTotal,
    Field::FundsNational,   Field::FundsProvincial,
    Field::FundsMatching,   Field::FundsLoan,
    Field::FundsSelfRaised, Field::FundsOther,
    Field::UnitHeadPhone,   Field::PostCode,
    Field::ContactPhone,    Field::Fax,
    Field::StaffTotal,      Field::TechStaff,
    Field::SeniorTechStaff, Field::BankAccount,
    Field::SerialNumber};
inline constexpr bool kMemberBirthMonthIsNumber = true;

// The caption of a field as the editor shows it, its padding blanks removed
// (GBK): "项目申请人" for "项    目申 请 人". kMemberTable gives "主要参加人",
// kProjectFiles "数据文件".
const std::string& FieldCaption(std::size_t field);
// The caption of member cell `cell` of member row `row` (1..15):
// "主要参加人第3行出生年月".
std::string MemberCellCaption(std::size_t row, std::size_t cell);

// ---- The rules ---------------------------------------------------------------------

// What the drop-down fields must hold, from the code table file.
struct CheckOptions {
    // False without a code table: the drop-down rules are not applied.
    bool found = false;
    // The options of each drop-down field (empty for other fields; a field
    // whose section is empty is not checked either).
    std::array<std::vector<std::string>, kFieldCount> options;
    // The department entries "CCC:Name", in file order.
    std::vector<std::string> departments;
};

// The options of the code table text `content`.
CheckOptions CheckOptionsFromCodeTable(std::string_view content);
// The options of the code table file of `dataDir`; not found when it is
// missing. Throws IoError when it cannot be read.
CheckOptions ReadCheckOptions(const std::filesystem::path& dataDir);

// What a rule looks at: one project, the field (or member cell) under test.
struct RuleInput {
    const TProjectRecord& record;
    const CheckOptions& options;
    std::size_t field = 0;
    std::size_t memberRow = 0;  // 1..15 for a member rule
    int memberCell = -1;

    // The text under test: the field's, or the member cell's.
    const std::string& text() const;
};

// One rule: `field` (a record field, or kMemberTable), for member rules the
// member cell it tests in every row that has a name (`memberCell` >= 0);
// `passes` answers whether the project passes, and may put details into
// `detail` (GBK) that are written after the message; `message` is UTF-8.
// Of the rules of one field (or one member cell) only the first that fails
// is reported: a full-width "１２．５" is reported as such and not also as
// no number.
struct CheckRule {
    std::size_t field;
    int memberCell;
    bool (*passes)(const RuleInput& input, std::string& detail);
    const char* message;
};

// The rules, in the order they are applied (by field).
const std::vector<CheckRule>& CheckRules();

// Where a problem stands and what it is.
struct CheckFinding {
    std::size_t field = kProjectFiles;
    std::size_t memberRow = 0;  // 1..15 for a member cell
    std::size_t memberCell = 0;
    std::string caption;  // GBK
    std::string message;  // GBK
};

// Every rule's finding for one project, in rule order.
std::vector<CheckFinding> CheckRecord(const TProjectRecord& record, const CheckOptions& options,
                                      bool hasMemberFile = true);

// Splits decoded texts into a record as the store's readers do (SplitFields,
// ParseMainText, ParseMemberText), but into the strings of one record used
// again for every project, so that reading tens of thousands of projects
// does not make every field and cell anew.
class RecordReader {
  public:
    // Fields 0..37 of the main data file's text; missing ones emptied.
    void ReadMain(std::string_view text, TProjectRecord& record);
    // The member table of the member file's text; missing rows and cells
    // emptied.
    void ReadMembers(std::string_view text, TProjectRecord& record);
    // Empties the member rows from `first` (0-based) on.
    static void ClearMembers(TProjectRecord& record, std::size_t first = 0);

  private:
    // Hands the pieces that SplitFields(text, separator) gives, in order, to
    // `piece(index, piece)` until it answers false; returns how many it got.
    template <class Piece>
    static std::size_t ForEachPiece(std::string_view text, std::string_view separator,
                                    std::string& work, Piece piece) {
        work.assign(text);
        work.append(separator);
        std::string_view rest(work);
        std::size_t count = 0;
        for (;;) {
            const std::size_t at = rest.find(separator);
            if (at == std::string_view::npos) {
                return count;
            }
            if (!piece(count++, rest.substr(0, at))) {
                return count;
            }
            rest.remove_prefix(at + separator.size());
        }
    }

    std::string main_;
    std::string rows_;
    std::string cells_;
};

// ---- Checking the listed projects ------------------------------------------------------

struct CheckProblem {
    std::string id;             // the project ID, trimmed
    std::string name;           // its project name as stored (the list's without a file)
    std::size_t listIndex = 0;  // its row in the checked list
    CheckFinding finding;
};

struct CheckResult {
    std::size_t projects = 0;        // projects checked (each listed ID once)
    std::size_t faultyProjects = 0;  // projects with at least one problem
    // Project by project in list order, each in rule order, repeats last.
    std::vector<CheckProblem> problems;
    bool codeTableFound = false;
};

// Checks the projects of `rows` (ID in column 0): each one's files once,
// then the repeats among them: projects of the same trimmed name and unit
// name, and projects whose main data files are byte for byte the same, are
// each flagged naming the others. A missing main data file is a problem of
// its own (and nothing else is checked); so is a missing member file, and
// an entry under the project's name that is no readable file. An ID listed
// twice is checked once. Throws IoError for other failures.
CheckResult CheckProjects(const std::filesystem::path& dataDir, const std::vector<ListRow>& rows,
                          const CheckOptions& options);
// The same with the options of the data directory's code table.
CheckResult CheckProjects(const std::filesystem::path& dataDir, const std::vector<ListRow>& rows);

// The columns of the list of problems: 项目ID, 项目名称, 栏目, 问题.
inline constexpr int kCheckColumnCount = 4;
// The text of `column` of a problem (GBK).
const std::string& CheckCell(const CheckProblem& problem, int column);
// The positions of `problems` ordered by `column`: texts compared byte-wise,
// equal ones in list order.
std::vector<std::size_t> SortedProblems(const std::vector<CheckProblem>& problems, int column,
                                        bool ascending);

// "共检查N个项目，M个项目有问题，共K处" (GBK).
std::string CheckSummaryText(const CheckResult& result);

// Export's word on the projects it copies: "项目“名称”有K处问题，请用“检查项目”查看"
// (GBK) after a copied project with K problems, counted as CheckProjects
// counts them but from the very bytes the export copies, so that no file is
// read twice. For one export of `rows`; throws IoError.
ExportReview ExportProblemReview(const std::filesystem::path& dataDir,
                                 const std::vector<ListRow>& rows);

// ---- The text file ----------------------------------------------------------------

// The header line (项目ID, 项目名称, 栏目, 问题) and one line per problem in the
// given order; each cell followed by a tab, each line by CR LF.
std::string CheckText(const std::vector<const CheckProblem*>& problems);
// Writes CheckText into `dataDir` in one piece, replacing an older file, and
// returns its path. Throws IoError.
std::filesystem::path WriteCheckText(const std::filesystem::path& dataDir,
                                     const std::vector<const CheckProblem*>& problems);

// ---- Full-width digits ------------------------------------------------------------

// Whether `text` holds a full-width digit, point or minus ("０"…"９" A3 B0…
// A3 B9, "．" A3 AE, "－" A3 AD), read character by character as GBK.
bool HasFullWidthDigits(std::string_view text);
// `text` with those characters turned into "0"…"9", "." and "-"; every other
// byte stays.
std::string HalfWidthDigits(std::string_view text);
// Turns them into ASCII in the number fields of `record` (and its members'
// 出生年月); returns how many fields or cells changed.
int RepairRecordDigits(TProjectRecord& record);

struct DigitRepair {
    int fields = 0;    // fields and member cells changed
    int projects = 0;  // projects saved
    std::vector<std::string> changedIds;
    // Projects that need the repair but were left alone: their files are
    // not both there in the form this program writes, so saving would
    // change more than the digits.
    std::vector<std::string> leftIds;
};

// Repairs the projects of `rows`: each one that needs it is saved through
// WriteProjectRecord; one that does not is not written at all. Throws
// IoError; the projects saved until then stay saved.
DigitRepair RepairFullWidthDigits(const std::filesystem::path& dataDir,
                                  const std::vector<ListRow>& rows);

}  // namespace shenbao
