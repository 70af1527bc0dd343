#pragma once

// The summary of the shown projects by one of six classifications (plan
// category, department, location, field, expected result form, project
// source): per group the number of projects and the exact sums of the seven
// funds fields, with a total row, and its text file "tarvok08.txt".
//
// Plain C++ on GBK bytes; the window (output/summary_form.h) only shows it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/project_rows.h"
#include "store/amount.h"
#include "store/project_record.h"

namespace shenbao {

inline constexpr std::string_view kSummaryTextName = "tarvok08.txt";
// Where the printed summary goes when no printer is installed.
inline constexpr std::string_view kSummaryPdfName = "tarvok08.pdf";

// ---- Groupings and columns ------------------------------------------------------

// 计划类别, 主管部门, 项目所在地, 项目领域, 预期成果主要形式, 项目来源: the
// classifications of the code table, in the order the user is offered them.
inline constexpr int kGroupingCount = 6;
inline constexpr std::array<std::size_t, kGroupingCount> kGroupingFields = {
    Field::PlanCategory, Field::DepartmentName,     Field::ProjectLocation,
    Field::ProjectField, Field::ExpectedResultForm, Field::ProjectSource};

// Name of grouping `grouping` (0..5), GBK.
const std::string& GroupingName(int grouping);

// The funds fields summed, in column order: 申请经费, 国家拨款, 省拨款,
// 部门或地方匹配, 贷款, 单位自筹, 其他.
inline constexpr int kSummaryAmountCount = 7;
inline constexpr std::array<std::size_t, kSummaryAmountCount> kSummaryAmountFields = {
    Field::FundsTotal, Field::FundsNational,   Field::FundsProvincial, Field::FundsMatching,
    Field::FundsLoan,  Field::FundsSelfRaised, Field::FundsOther};

// Columns of the table: the group, 项目数, the seven amounts, 备注.
inline constexpr int kSummaryGroupColumn = 0;
inline constexpr int kSummaryCountColumn = 1;
inline constexpr int kSummaryFirstAmountColumn = 2;
inline constexpr int kSummaryNoteColumn = kSummaryFirstAmountColumn + kSummaryAmountCount;
inline constexpr int kSummaryColumnCount = kSummaryNoteColumn + 1;
using SummaryCells = std::array<std::string, kSummaryColumnCount>;

// Column titles, GBK; the first is the grouping's name.
SummaryCells SummaryHeader(int grouping);

// ---- What is read of every shown project ------------------------------------------

struct SummaryProject {
    // False when the main data file is missing: the project is counted in
    // the group of unfilled values and its funds count nothing.
    bool hasFile = false;
    // The value of each grouping (in kGroupingFields order), trimmed.
    std::array<std::string, kGroupingCount> groups;
    std::array<AmountCell, kSummaryAmountCount> amounts;
};

SummaryProject SummaryProjectOf(const std::array<std::string, kFieldCount>& fields);

// Reads the main data file of the project of every row (ID in column 0), in
// row order, once each; a missing or damaged file (one the list shows as the
// ID alone) gives a project without file. Throws IoError for other failures.
std::vector<SummaryProject> ReadSummaryProjects(const std::filesystem::path& dataDir,
                                                const std::vector<ListRow>& rows);

// ---- The table ---------------------------------------------------------------

struct SummaryRow {
    std::string group;      // GBK, trimmed; empty for the unfilled values
    bool unfilled = false;  // the row "（未填）"
    std::int64_t projects = 0;
    std::array<AmountUnits, kSummaryAmountCount> sums{};
    std::int64_t notNumbers = 0;    // amount cells that are not numbers
    std::int64_t missingFiles = 0;  // projects without a main data file
};

struct SummaryTable {
    int grouping = 0;
    // Sorted as last asked (by group value at first).
    std::vector<SummaryRow> rows;
    SummaryRow total;  // group text "合计"
    int sortColumn = kSummaryGroupColumn;
    bool ascending = true;
};

// One row per distinct value of the grouping (empty values in one row
// "（未填）"), sorted by group value, and the total row.
SummaryTable Summarise(const std::vector<SummaryProject>& projects, int grouping);

// Sorts the rows by `column`. Group values compare byte-wise with
// "（未填）" always last; numbers by value, equal ones by group value. The
// total row is not among the rows.
void SortSummary(SummaryTable& table, int column, bool ascending);

// The texts of a row, GBK: the group ("（未填）", "合计"), the project
// count, the sums and the note ("含N项非数字", "N个项目无数据文件").
SummaryCells SummaryRowCells(const SummaryRow& row);

// The value `column` (1..8) of a row as a number of ten-thousandths, for
// charts: project counts are whole numbers.
AmountUnits SummaryValue(const SummaryRow& row, int column);

// ---- The text file -----------------------------------------------------------

// The header line, one line per row in table order and the total line; each
// field followed by a tab, each line by CR LF.
std::string SummaryText(const SummaryTable& table);

// Writes SummaryText into `dataDir` in one piece, replacing an older file,
// and returns its path. Throws IoError.
std::filesystem::path WriteSummaryText(const std::filesystem::path& dataDir,
                                       const SummaryTable& table);

}  // namespace shenbao
