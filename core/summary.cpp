#include "core/summary.h"

#include <algorithm>
#include <unordered_map>

#include "platform/gbk.h"
#include "platform/platform.h"
#include "platform/workers.h"
#include "store/text.h"

namespace shenbao {

namespace {

std::string Gbk(const char* utf8) {
    return Utf8ToGbk(utf8);
}

const std::string& UnfilledText() {
    static const std::string text = Gbk("（未填）");
    return text;
}

const std::string& TotalText() {
    static const std::string text = Gbk("合计");
    return text;
}

// Group values compare byte-wise; the unfilled row comes after all others.
bool GroupBefore(const SummaryRow& a, const SummaryRow& b) {
    if (a.unfilled != b.unfilled) {
        return b.unfilled;
    }
    return CompareBytes(a.group, b.group) < 0;
}

// <0, 0, >0 as `column` of a orders before, with or after that of b.
int CompareColumn(const SummaryRow& a, const SummaryRow& b, int column) {
    const auto compare = [](auto x, auto y) { return x < y ? -1 : (y < x ? 1 : 0); };
    if (column == kSummaryNoteColumn) {
        const int c = compare(a.notNumbers, b.notNumbers);
        return c != 0 ? c : compare(a.missingFiles, b.missingFiles);
    }
    return compare(SummaryValue(a, column), SummaryValue(b, column));
}

}  // namespace

const std::string& GroupingName(int grouping) {
    static const std::array<std::string, kGroupingCount> names = {
        Gbk("计划类别"), Gbk("主管部门"),         Gbk("项目所在地"),
        Gbk("项目领域"), Gbk("预期成果主要形式"), Gbk("项目来源")};
    return names.at(static_cast<std::size_t>(grouping));
}

SummaryCells SummaryHeader(int grouping) {
    SummaryCells header = {
        GroupingName(grouping), Gbk("项目数"), Gbk("申请经费"), Gbk("国家拨款"), Gbk("省拨款"),
        Gbk("部门或地方匹配"),  Gbk("贷款"),   Gbk("单位自筹"), Gbk("其他"),     Gbk("备注")};
    return header;
}

SummaryProject SummaryProjectOf(const std::array<std::string, kFieldCount>& fields) {
    SummaryProject project;
    project.hasFile = true;
    for (std::size_t g = 0; g < kGroupingFields.size(); ++g) {
        project.groups[g] = std::string(Trim(fields[kGroupingFields[g]]));
    }
    for (std::size_t a = 0; a < kSummaryAmountFields.size(); ++a) {
        project.amounts[a] = ReadAmount(fields[kSummaryAmountFields[a]]);
    }
    return project;
}

std::vector<SummaryProject> ReadSummaryProjects(const std::filesystem::path& dataDir,
                                                const std::vector<ListRow>& rows) {
    std::vector<SummaryProject> projects(rows.size());
    if (rows.empty()) {
        return projects;
    }
    // At most one listing for all projects, made at the first missing file:
    // a missing file costs a look-up, not a scan of the directory. The
    // files are read on every core, each project by one thread.
    const platform::DirectoryListing listing = StoreListing(dataDir, platform::Listing::OnDemand);
    platform::ForEachIndex(rows.size(), [&](std::size_t r) {
        // A damaged entry under the project's name (a directory, a link, a
        // FIFO, a file far too large) counts as no data file, as the list
        // shows it: the ID alone.
        const std::optional<std::array<std::string, kFieldCount>> fields =
            ReadListedFields(listing, rows[r][ListColumn::Id]);
        if (fields) {
            projects[r] = SummaryProjectOf(*fields);
        }
    });
    return projects;
}

SummaryTable Summarise(const std::vector<SummaryProject>& projects, int grouping) {
    SummaryTable table;
    table.grouping = grouping;
    table.total.group = TotalText();
    std::unordered_map<std::string_view, std::size_t> index;
    const std::size_t g = static_cast<std::size_t>(grouping);
    for (const SummaryProject& project : projects) {
        const std::string& value = project.groups.at(g);
        auto [it, added] = index.try_emplace(value, table.rows.size());
        if (added) {
            SummaryRow row;
            row.unfilled = value.empty();
            row.group = value;
            table.rows.push_back(std::move(row));
        }
        for (SummaryRow* row : {&table.rows[it->second], &table.total}) {
            ++row->projects;
            if (!project.hasFile) {
                ++row->missingFiles;
            }
            for (std::size_t a = 0; a < project.amounts.size(); ++a) {
                const AmountCell& cell = project.amounts[a];
                if (cell.kind == AmountCell::NotNumber) {
                    ++row->notNumbers;
                } else {
                    row->sums[a] += cell.units;
                }
            }
        }
    }
    SortSummary(table, kSummaryGroupColumn, true);
    return table;
}

void SortSummary(SummaryTable& table, int column, bool ascending) {
    table.sortColumn = column;
    table.ascending = ascending;
    std::vector<SummaryRow>& rows = table.rows;
    if (column == kSummaryGroupColumn) {
        std::sort(rows.begin(), rows.end(), GroupBefore);
        if (!ascending) {
            const auto named = rows.end() - (!rows.empty() && rows.back().unfilled ? 1 : 0);
            std::reverse(rows.begin(), named);
        }
        return;
    }
    std::sort(rows.begin(), rows.end(), [&](const SummaryRow& a, const SummaryRow& b) {
        const int c = CompareColumn(a, b, column);
        if (c != 0) {
            return ascending ? c < 0 : c > 0;
        }
        return GroupBefore(a, b);
    });
}

SummaryCells SummaryRowCells(const SummaryRow& row) {
    SummaryCells cells;
    cells[kSummaryGroupColumn] = row.unfilled ? UnfilledText() : row.group;
    cells[kSummaryCountColumn] = std::to_string(row.projects);
    for (int a = 0; a < kSummaryAmountCount; ++a) {
        cells[static_cast<std::size_t>(kSummaryFirstAmountColumn + a)] =
            FormatAmount(row.sums[static_cast<std::size_t>(a)]);
    }
    std::string note;
    if (row.notNumbers > 0) {
        note = Gbk("含") + std::to_string(row.notNumbers) + Gbk("项非数字");
    }
    if (row.missingFiles > 0) {
        if (!note.empty()) {
            note += Gbk("，");
        }
        note += std::to_string(row.missingFiles) + Gbk("个项目无数据文件");
    }
    cells[kSummaryNoteColumn] = std::move(note);
    return cells;
}

AmountUnits SummaryValue(const SummaryRow& row, int column) {
    if (column == kSummaryCountColumn) {
        return static_cast<AmountUnits>(row.projects) * kUnitsPerWhole;
    }
    return row.sums.at(static_cast<std::size_t>(column - kSummaryFirstAmountColumn));
}

std::string SummaryText(const SummaryTable& table) {
    std::string text;
    const auto append = [&text](const SummaryCells& cells) {
        for (const std::string& cell : cells) {
            text.append(cell);
            text.push_back('\t');
        }
        text.append(kCrLf);
    };
    append(SummaryHeader(table.grouping));
    for (const SummaryRow& row : table.rows) {
        append(SummaryRowCells(row));
    }
    append(SummaryRowCells(table.total));
    return text;
}

std::filesystem::path WriteSummaryText(const std::filesystem::path& dataDir,
                                       const SummaryTable& table) {
    const std::filesystem::path path = dataDir / kSummaryTextName;
    platform::WriteFileAtomically(path, SummaryText(table), platform::Links::Follow);
    return path;
}

}  // namespace shenbao
