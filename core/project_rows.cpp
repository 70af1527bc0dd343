#include "core/project_rows.h"

#include <algorithm>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <utility>

#include "core/row_sort.h"
#include "platform/gbk.h"
#include "platform/platform.h"
#include "platform/workers.h"
#include "store/index_file.h"
#include "store/text.h"

namespace shenbao {

namespace fs = std::filesystem;

const ListRow& ListHeader() {
    static const ListRow header = [] {
        const std::array<const char*, kListColumnCount> utf8 = {
            "项目ID号", "项目序号", "项目名称",     "承担单位", "主管部门",
            "计划类别", "申请人",   "省拨款(万元)", "申报时间", "项目领域"};
        ListRow gbk;
        for (int c = 0; c < kListColumnCount; ++c) {
            gbk[c] = Utf8ToGbk(utf8[c]);
        }
        return gbk;
    }();
    return header;
}

std::optional<std::array<std::string, kFieldCount>> ReadListedFields(
    const platform::DirectoryListing& listing, std::string_view id,
    std::vector<DamagedEntry>* damaged) {
    platform::EntryRead read = ReadProjectEntry(listing, id, kMainFileExtension);
    if (read.refusal && damaged != nullptr) {
        damaged->push_back({std::string(id), std::move(*read.refusal)});
    }
    if (!read.read()) {
        return std::nullopt;
    }
    return MainFieldsOf(read.content);
}

namespace {

ListRow LoadRow(const platform::DirectoryListing& listing, std::string_view id,
                std::vector<DamagedEntry>* damaged) {
    ListRow row;
    row[ListColumn::Id] = std::string(id);
    if (std::optional<std::array<std::string, kFieldCount>> fields =
            ReadListedFields(listing, id, damaged)) {
        for (std::size_t c = 0; c < kListFields.size(); ++c) {
            row[c + 1] = std::move((*fields)[kListFields[c]]);
        }
    }
    return row;
}

}  // namespace

ListRow LoadProjectRow(const fs::path& dataDir, std::string_view id,
                       std::vector<DamagedEntry>* damaged) {
    // One name: a file missing under it costs a look-up of its spellings,
    // not a listing of a store of any size.
    return LoadRow(StoreListing(dataDir, platform::Listing::Never), id, damaged);
}

std::vector<ListRow> IdRows(const std::vector<std::string>& ids) {
    std::vector<ListRow> rows(ids.size());
    for (std::size_t i = 0; i < ids.size(); ++i) {
        rows[i][ListColumn::Id] = ids[i];
    }
    return rows;
}

std::vector<std::string> RowIds(const std::vector<ListRow>& rows) {
    std::vector<std::string> ids;
    ids.reserve(rows.size());
    for (const ListRow& row : rows) {
        ids.push_back(row[ListColumn::Id]);
    }
    return ids;
}

std::vector<std::string> StoredProjectIds(const fs::path& dataDir) {
    std::vector<std::string> ids = LoadIndex(dataDir);
    std::erase_if(ids, [](const std::string& id) { return IsReservedId(id); });
    return ids;
}

void FillRows(const fs::path& dataDir, std::vector<ListRow>& rows,
              std::vector<DamagedEntry>* damaged) {
    if (rows.empty()) {
        return;
    }
    // Files under their own names are read straight away; the directory is
    // listed once, at the first name that is missing or stands in another
    // letter case. The files are read on every core, each row by one
    // thread; the damaged entries are put in row order afterwards.
    const platform::DirectoryListing listing = StoreListing(dataDir, platform::Listing::OnDemand);
    std::mutex damagedMutex;
    std::vector<std::pair<std::size_t, DamagedEntry>> met;
    const auto load = [&](std::size_t r) {
        std::vector<DamagedEntry> here;
        ListRow row = LoadRow(listing, rows[r][ListColumn::Id], damaged ? &here : nullptr);
        rows[r] = std::move(row);
        if (!here.empty()) {
            std::lock_guard<std::mutex> lock(damagedMutex);
            for (DamagedEntry& entry : here) {
                met.emplace_back(r, std::move(entry));
            }
        }
    };
    std::size_t failedAt = rows.size();
    std::exception_ptr failure;
    try {
        platform::ForEachIndex(rows.size(), load, &failedAt);
    } catch (...) {
        failure = std::current_exception();
        // As if read one after the other: the rows before the failing one
        // are loaded, the others hold their IDs alone.
        for (std::size_t r = failedAt + 1; r < rows.size(); ++r) {
            ListRow idOnly;
            idOnly[ListColumn::Id] = std::move(rows[r][ListColumn::Id]);
            rows[r] = std::move(idOnly);
        }
        std::erase_if(met, [failedAt](const auto& entry) { return entry.first > failedAt; });
    }
    if (damaged != nullptr) {
        std::sort(met.begin(), met.end(),
                  [](const auto& a, const auto& b) { return a.first < b.first; });
        for (auto& entry : met) {
            damaged->push_back(std::move(entry.second));
        }
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
}

void ReloadList(const fs::path& dataDir, std::vector<ListRow>& rows,
                std::vector<DamagedEntry>* damaged) {
    rows.clear();
    rows = IdRows(StoredProjectIds(dataDir));
    FillRows(dataDir, rows, damaged);
}

std::vector<ListRow> ReloadList(const fs::path& dataDir, std::vector<DamagedEntry>* damaged) {
    std::vector<ListRow> rows;
    ReloadList(dataDir, rows, damaged);
    return rows;
}

std::string ListedIds(const std::vector<ListRow>& rows) {
    std::string listed = ListHeader()[ListColumn::Id];
    listed.append(kCrLf);
    for (const ListRow& row : rows) {
        listed.append(row[ListColumn::Id]);
        listed.append(kCrLf);
    }
    return listed;
}

ListColumn SortColumn(SortKey key) {
    static constexpr std::array<ListColumn, kSortKeys.size()> columns = {
        ListColumn::Id,        ListColumn::SerialNumber,    ListColumn::ProjectName,
        ListColumn::UnitName,  ListColumn::DepartmentName,  ListColumn::PlanCategory,
        ListColumn::Applicant, ListColumn::FundsProvincial, ListColumn::ProjectField};
    return columns.at(static_cast<std::size_t>(key));
}

bool SortIsNumeric(SortKey key) {
    return key == SortKey::SerialNumber || key == SortKey::FundsProvincial;
}

namespace {

// Splits at line breaks (CR LF, LF or CR), keeping empty pieces.
std::vector<std::string_view> SplitAtLineBreaks(std::string_view text) {
    std::vector<std::string_view> pieces;
    std::size_t begin = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            pieces.push_back(text.substr(begin, i - begin));
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
            begin = i + 1;
        }
    }
    if (begin < text.size()) {
        pieces.push_back(text.substr(begin));
    }
    return pieces;
}

void PutPieces(ListRow& row, const std::vector<std::string_view>& pieces) {
    ListRow out;
    for (std::size_t c = 0; c < out.size() && c < pieces.size(); ++c) {
        out[c] = pieces[c].empty() ? std::string(" ") : std::string(pieces[c]);
    }
    row = std::move(out);
}

std::string RowText(const ListRow& row) {
    std::string text;
    for (const std::string& cell : row) {
        text.append(cell);
        text.append(kCrLf);
    }
    return text;
}

// Ranks of `keys` in the order `less` gives; equal keys share a rank.
template <class Key, class Less>
std::vector<std::uint32_t> Ranks(const std::vector<Key>& keys, Less less) {
    // Each key beside its row number, so that sorting reads them in place.
    std::vector<std::pair<Key, std::uint32_t>> byKey(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i) {
        byKey[i] = {keys[i], static_cast<std::uint32_t>(i)};
    }
    std::sort(byKey.begin(), byKey.end(),
              [&](const auto& a, const auto& b) { return less(a.first, b.first); });
    std::vector<std::uint32_t> ranks(keys.size());
    std::uint32_t rank = 0;
    for (std::size_t k = 0; k < byKey.size(); ++k) {
        if (k > 0 && less(byKey[k - 1].first, byKey[k].first)) {
            ++rank;
        }
        ranks[byKey[k].second] = rank;
    }
    return ranks;
}

// Puts the rows in the sort's order. Once normalised, no cell holds a line
// break, so carrying a row through its text form, as an exchange does, only
// turns its empty cells into single blanks: the rows the sort exchanged get
// them here, once. The rows move in place, one cycle of the order at a time.
void ApplyOutcome(std::vector<ListRow>& rows, const ExchangeSortOutcome& outcome) {
    const std::size_t n = rows.size();
    for (std::size_t r = 0; r < n; ++r) {
        if (outcome.exchanged[r]) {
            for (std::string& cell : rows[r]) {
                if (cell.empty()) {
                    cell.push_back(' ');
                }
            }
        }
    }
    std::vector<bool> placed(n, false);
    for (std::size_t start = 0; start < n; ++start) {
        if (placed[start] || outcome.order[start] == start) {
            continue;
        }
        ListRow held = std::move(rows[start]);
        std::size_t place = start;
        for (;;) {
            placed[place] = true;
            const std::size_t from = outcome.order[place];
            if (from == start) {
                rows[place] = std::move(held);
                break;
            }
            // The row after next is far away in a large list: ask for it now.
            __builtin_prefetch(&rows[outcome.order[from]]);
            rows[place] = std::move(rows[from]);
            place = from;
        }
    }
}

// Whether normalising leaves the row as it is: no line break in any cell, no
// blank or control character at the very start or end of the row's text,
// and no empty cell before its last filled one.
bool IsNormal(const ListRow& row) {
    std::size_t filled = row.size();
    while (filled > 0 && row[filled - 1].empty()) {
        --filled;
    }
    if (filled == 0) {
        return true;
    }
    if (static_cast<unsigned char>(row[0].front()) <= 32 ||
        static_cast<unsigned char>(row[filled - 1].back()) <= 32) {
        return false;
    }
    for (std::size_t c = 0; c < filled; ++c) {
        if (row[c].empty() || row[c].find('\r') != std::string::npos ||
            row[c].find('\n') != std::string::npos) {
            return false;
        }
    }
    return true;
}

}  // namespace

void NormaliseRow(ListRow& row) {
    if (IsNormal(row)) {
        return;
    }
    std::string text = RowText(row);
    PutPieces(row, SplitAtLineBreaks(Trim(text)));
}

void SortList(std::vector<ListRow>& rows, SortKey key) {
    for (ListRow& row : rows) {
        NormaliseRow(row);
    }
    const std::size_t n = rows.size();
    const std::size_t column = static_cast<std::size_t>(SortColumn(key));
    if (SortIsNumeric(key)) {
        // Values are read once and travel with their rows.
        std::vector<double> values(n);
        for (std::size_t i = 0; i < n; ++i) {
            values[i] = ParseDecimal(rows[i][column]);
        }
        ApplyOutcome(rows, ExchangeSortByRank(Ranks(values, std::less<double>())));
        return;
    }
    // Text keys are read afresh at every comparison, and an exchange turns an
    // empty key into a single blank: the blank joins the keys so that it has
    // a rank. An empty key is the smallest there is, so it has rank 0.
    // The keys are copied side by side first: comparing them where the rows
    // hold them would reach all over the list's memory.
    std::string packed;
    std::vector<std::size_t> ends(n);
    for (std::size_t i = 0; i < n; ++i) {
        packed.append(rows[i][column]);
        ends[i] = packed.size();
    }
    std::vector<std::string_view> keys(n + 1);
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t begin = i == 0 ? 0 : ends[i - 1];
        keys[i] = std::string_view(packed).substr(begin, ends[i] - begin);
    }
    keys[n] = " ";
    std::vector<std::uint32_t> ranks =
        Ranks(keys, [](std::string_view a, std::string_view b) { return CompareBytes(a, b) < 0; });
    const std::uint32_t blankRank = ranks.back();
    ranks.pop_back();
    keys.pop_back();
    const bool anyEmpty =
        std::any_of(keys.begin(), keys.end(), [](std::string_view k) { return k.empty(); });
    ApplyOutcome(rows,
                 anyEmpty ? ExchangeSortByRank(ranks, 0, blankRank) : ExchangeSortByRank(ranks));
}

}  // namespace shenbao
