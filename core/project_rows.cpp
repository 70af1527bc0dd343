#include "core/project_rows.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>

#include "platform/gbk.h"
#include "platform/platform.h"
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
    try {
        return ReadMainFields(listing, id);
    } catch (const IoError& error) {
        if (!platform::IsUnreadableEntry(error.errorCode())) {
            throw;
        }
        if (damaged != nullptr) {
            damaged->push_back({std::string(id), error});
        }
    }
    return std::nullopt;
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
    return LoadRow(platform::DirectoryListing(dataDir, platform::Listing::OnDemand), id, damaged);
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
    // letter case.
    const platform::DirectoryListing listing(dataDir, platform::Listing::OnDemand);
    for (ListRow& row : rows) {
        row = LoadRow(listing, row[ListColumn::Id], damaged);
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

// The exchange sort works on slots instead of rows: an exchange swaps two
// slots, and the rows are put in slot order at the end. A slot holds the rank
// of its key among all keys of the sort, so a comparison is one integer
// comparison. Once normalised, no cell holds a line break, so carrying a row
// through its text form, as an exchange does, only turns its empty cells into
// single blanks: a slot remembers that its row has been exchanged, and an
// empty text key takes the rank of the blank at once, since later
// comparisons see it.
struct Slot {
    std::uint32_t rank;
    std::uint32_t row;  // with kExchanged set once the row has been exchanged
};
constexpr std::uint32_t kExchanged = 0x80000000u;
constexpr std::uint32_t kNoRank = 0xFFFFFFFFu;

// Ranks of `keys` in the order `less` gives; equal keys share a rank.
template <class Key, class Less>
std::vector<std::uint32_t> Ranks(const std::vector<Key>& keys, Less less) {
    std::vector<Key> distinct = keys;
    std::sort(distinct.begin(), distinct.end(), less);
    distinct.erase(
        std::unique(distinct.begin(), distinct.end(),
                    [&](const Key& a, const Key& b) { return !less(a, b) && !less(b, a); }),
        distinct.end());
    std::vector<std::uint32_t> ranks(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i) {
        ranks[i] = static_cast<std::uint32_t>(
            std::lower_bound(distinct.begin(), distinct.end(), keys[i], less) - distinct.begin());
    }
    return ranks;
}

// For i < j, slots i and j change places when the key of i is greater.
// `emptyRank` (if not kNoRank) becomes `blankRank` when its slot is exchanged.
void ExchangeSort(std::vector<Slot>& order, std::uint32_t emptyRank, std::uint32_t blankRank) {
    auto mark = [=](Slot& slot) {
        slot.row |= kExchanged;
        if (slot.rank == emptyRank) {
            slot.rank = blankRank;
        }
    };
    const std::size_t n = order.size();
    for (std::size_t i = 0; i + 1 < n; ++i) {
        Slot current = order[i];
        for (std::size_t j = i + 1; j < n; ++j) {
            if (current.rank > order[j].rank) {
                std::swap(current, order[j]);
                mark(current);
                mark(order[j]);
            }
        }
        order[i] = current;
    }
}

// Puts the rows in slot order; exchanged rows get their single blanks.
void ApplySlots(std::vector<ListRow>& rows, const std::vector<Slot>& order) {
    std::vector<ListRow> sorted;
    sorted.reserve(rows.size());
    for (const Slot& slot : order) {
        ListRow& row = rows[slot.row & ~kExchanged];
        if ((slot.row & kExchanged) != 0) {
            for (std::string& cell : row) {
                if (cell.empty()) {
                    cell.push_back(' ');
                }
            }
        }
        sorted.push_back(std::move(row));
    }
    rows = std::move(sorted);
}

}  // namespace

void NormaliseRow(ListRow& row) {
    std::string text = RowText(row);
    PutPieces(row, SplitAtLineBreaks(Trim(text)));
}

void SortList(std::vector<ListRow>& rows, SortKey key) {
    for (ListRow& row : rows) {
        NormaliseRow(row);
    }
    const std::size_t n = rows.size();
    const std::size_t column = static_cast<std::size_t>(SortColumn(key));
    std::vector<std::uint32_t> ranks;
    std::uint32_t emptyRank = kNoRank;
    std::uint32_t blankRank = kNoRank;
    if (SortIsNumeric(key)) {
        // Values are read once; an exchanged blank still reads as 0.
        std::vector<double> values(n);
        for (std::size_t i = 0; i < n; ++i) {
            values[i] = ParseDecimal(rows[i][column]);
        }
        ranks = Ranks(values, std::less<double>());
    } else {
        // The blank joins the keys so that an exchanged empty key has a rank.
        std::vector<std::string_view> keys(n + 1);
        for (std::size_t i = 0; i < n; ++i) {
            keys[i] = rows[i][column];
        }
        keys[n] = " ";
        ranks = Ranks(
            keys, [](std::string_view a, std::string_view b) { return CompareBytes(a, b) < 0; });
        blankRank = ranks[n];
        for (std::size_t i = 0; i < n; ++i) {
            if (keys[i].empty()) {
                emptyRank = ranks[i];
                break;
            }
        }
    }
    std::vector<Slot> order(n);
    for (std::size_t i = 0; i < n; ++i) {
        order[i] = {ranks[i], static_cast<std::uint32_t>(i)};
    }
    ExchangeSort(order, emptyRank, blankRank);
    ApplySlots(rows, order);
}

}  // namespace shenbao
