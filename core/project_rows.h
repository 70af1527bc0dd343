#pragma once

// The project list as data: the ten cells of every row as GBK bytes, how it
// is (re)built from the store, and the sort. Nothing here needs a window; the
// main window only shows what these functions produce.

#include <array>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/io_error.h"
#include "store/project_record.h"

namespace shenbao {

inline constexpr int kListColumnCount = 10;

// The columns of the list: the project ID, then the nine record fields of
// the same names (kListFields).
enum class ListColumn {
    Id,
    SerialNumber,
    ProjectName,
    UnitName,
    DepartmentName,
    PlanCategory,
    Applicant,
    FundsProvincial,
    ApplicationDate,
    ProjectField
};

// A row of the list: its ten cells (GBK) in column order, also reached by
// their ListColumn.
struct ListRow : std::array<std::string, kListColumnCount> {
    using array::operator[];
    std::string& operator[](ListColumn column) { return (*this)[static_cast<std::size_t>(column)]; }
    const std::string& operator[](ListColumn column) const {
        return (*this)[static_cast<std::size_t>(column)];
    }
};

// Column titles of the list, GBK: 项目ID号, 项目序号, 项目名称, 承担单位,
// 主管部门, 计划类别, 申请人, 省拨款(万元), 申报时间, 项目领域.
const ListRow& ListHeader();

// Column widths in pixels, set anew on every reload.
inline constexpr std::array<int, kListColumnCount> kListColumnWidths = {55,  55, 240, 240, 90,
                                                                        110, 55, 90,  55,  55};

// The record field shown in list columns 1..9: kListFields[c - 1] for column c.
inline constexpr std::array<std::size_t, kListColumnCount - 1> kListFields = {
    Field::SerialNumber,    Field::ProjectName,     Field::UnitName,
    Field::DepartmentName,  Field::PlanCategory,    Field::Applicant,
    Field::FundsProvincial, Field::ApplicationDate, Field::ProjectField};

// An entry of the data directory that stands under a project's name but is
// no file the list can read (a directory, link, FIFO, device or socket, a
// file too large to be a project's, or a name too long for any file; see
// platform::IsUnreadableEntry). The project's row shows its ID alone.
struct DamagedEntry {
    std::string id;
    IoError error;
};

// The main fields of project `id` read through `listing`; nothing when its
// main data file is missing or damaged (then added to `damaged`, when
// given). Throws IoError for other failures.
std::optional<std::array<std::string, kFieldCount>> ReadListedFields(
    const platform::DirectoryListing& listing, std::string_view id,
    std::vector<DamagedEntry>* damaged = nullptr);

// The row of a project: the ID as given (untrimmed) in column 0 and the nine
// list fields from its main data file; the ID alone when the file is missing
// or damaged (then added to `damaged`, when given). Throws IoError for other
// failures.
ListRow LoadProjectRow(const std::filesystem::path& dataDir, std::string_view id,
                       std::vector<DamagedEntry>* damaged = nullptr);

// Rows holding only the given IDs in column 0.
std::vector<ListRow> IdRows(const std::vector<std::string>& ids);

// The IDs of column 0, in row order: what SaveIndex writes back.
std::vector<std::string> RowIds(const std::vector<ListRow>& rows);

// The IDs of the index file that are project IDs: all but the reserved ones
// (IsReservedId), in index order.
std::vector<std::string> StoredProjectIds(const std::filesystem::path& dataDir);

// Loads every row of `rows` from its ID in column 0, as LoadProjectRow does,
// with the data directory listed once for all of them (if at all), reading
// on every core. Damaged entries are added in row order. Throws IoError for
// the first row (in row order) whose file cannot be read: the rows before it
// are loaded then, it and the rows after it hold their IDs alone.
void FillRows(const std::filesystem::path& dataDir, std::vector<ListRow>& rows,
              std::vector<DamagedEntry>* damaged = nullptr);

// Every project of the index file (StoredProjectIds), in index order, each
// row loaded as LoadProjectRow does, into `rows` (emptied first). Throws
// IoError: `rows` is then still empty when the index could not be read, and
// otherwise holds every ID with the rows loaded until then (FillRows).
void ReloadList(const std::filesystem::path& dataDir, std::vector<ListRow>& rows,
                std::vector<DamagedEntry>* damaged = nullptr);

// The same, returned. Throws IoError.
std::vector<ListRow> ReloadList(const std::filesystem::path& dataDir,
                                std::vector<DamagedEntry>* damaged = nullptr);

// The text NewProjectId tests candidates against: the ID column with its
// title, every cell followed by CR LF.
std::string ListedIds(const std::vector<ListRow>& rows);

// ---- Sorting -----------------------------------------------------------------

// The sort keys, in the order of the window's sort key list (kSortKeys);
// each orders the list column of its name (SortColumn). The application
// date has no key.
enum class SortKey {
    Id,               // 按项目ID号排序
    SerialNumber,     // 按项目序号排序, as numbers
    ProjectName,      // 按项目名称排序
    UnitName,         // 按承担单位排序
    DepartmentName,   // 按主管部门排序
    PlanCategory,     // 按计划类别排序
    Applicant,        // 按项目申请人排序
    FundsProvincial,  // 按省拨款经费排序, as numbers
    ProjectField      // 按项目领域排序
};
inline constexpr std::array<SortKey, 9> kSortKeys = {
    SortKey::Id,        SortKey::SerialNumber,    SortKey::ProjectName,
    SortKey::UnitName,  SortKey::DepartmentName,  SortKey::PlanCategory,
    SortKey::Applicant, SortKey::FundsProvincial, SortKey::ProjectField};

// The list column that `key` orders, and whether it compares numbers.
ListColumn SortColumn(SortKey key);
bool SortIsNumeric(SortKey key);

// Puts a row into the form the sort leaves it in: the row's cells joined,
// each followed by CR LF, trimmed as a whole, split again at the line breaks
// and written back from column 0; empty pieces become a single blank.
void NormaliseRow(ListRow& row);

// Orders `rows` ascending by sort key `key` with the exchange sort:
// for i < j, rows i and j change places when the key of i is greater. Text
// keys compare bytes; number keys compare the decimal value of the cell
// (0 for anything that is not a number). Rows are normalised first, and an
// exchange leaves every empty cell of both rows as a single blank.
void SortList(std::vector<ListRow>& rows, SortKey key);

}  // namespace shenbao
