#include "mainwin/project_list.h"

#include "platform/gbk.h"
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

ListRow LoadProjectRow(const fs::path& dataDir, std::string_view id) {
    ListRow row;
    row[0] = std::string(id);
    std::optional<std::array<std::string, kFieldCount>> fields = ReadMainFields(dataDir, id);
    if (fields) {
        for (std::size_t c = 0; c < kListFields.size(); ++c) {
            row[c + 1] = std::move((*fields)[kListFields[c]]);
        }
    }
    return row;
}

std::vector<ListRow> IdRows(const std::vector<std::string>& ids) {
    std::vector<ListRow> rows(ids.size());
    for (std::size_t i = 0; i < ids.size(); ++i) {
        rows[i][0] = ids[i];
    }
    return rows;
}

void FillRows(const fs::path& dataDir, std::vector<ListRow>& rows) {
    for (ListRow& row : rows) {
        row = LoadProjectRow(dataDir, row[0]);
    }
}

std::vector<ListRow> ReloadList(const fs::path& dataDir) {
    std::vector<ListRow> rows = IdRows(LoadIndex(dataDir));
    FillRows(dataDir, rows);
    return rows;
}

QString StatusText(std::size_t projectCount, std::size_t currentRow) {
    return QStringLiteral("库中共有 %1 个项目，当前为第 %2 个").arg(projectCount).arg(currentRow);
}

std::string ListedIds(const std::vector<ListRow>& rows) {
    std::string listed = ListHeader()[0];
    listed.append(kCrLf);
    for (const ListRow& row : rows) {
        listed.append(row[0]);
        listed.append(kCrLf);
    }
    return listed;
}

int SortColumn(int key) {
    static constexpr std::array<int, kSortKeyCount> columns = {0, 1, 2, 3, 4, 5, 6, 7, 9};
    return columns.at(static_cast<std::size_t>(key));
}

bool SortIsNumeric(int key) {
    return key == 1 || key == 7;
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

// An exchange carries both rows through their text forms: afterwards every
// empty cell holds a single blank.
void ExchangeRows(ListRow& a, ListRow& b) {
    std::string textA = RowText(a);
    std::string textB = RowText(b);
    PutPieces(a, SplitAtLineBreaks(textB));
    PutPieces(b, SplitAtLineBreaks(textA));
    for (ListRow* row : {&a, &b}) {
        for (std::string& cell : *row) {
            if (cell.empty()) {
                cell.push_back(' ');  // the cell is empty
            }
        }
    }
}

}  // namespace

void NormaliseRow(ListRow& row) {
    std::string text = RowText(row);
    PutPieces(row, SplitAtLineBreaks(Trim(text)));
}

void SortList(std::vector<ListRow>& rows, int key) {
    for (ListRow& row : rows) {
        NormaliseRow(row);
    }
    const std::size_t n = rows.size();
    const std::size_t column = static_cast<std::size_t>(SortColumn(key));
    if (SortIsNumeric(key)) {
        std::vector<double> values(n);
        for (std::size_t i = 0; i < n; ++i) {
            values[i] = ParseDecimal(rows[i][column]);
        }
        for (std::size_t i = 0; i + 1 < n; ++i) {
            for (std::size_t j = i + 1; j < n; ++j) {
                if (values[i] > values[j]) {
                    std::swap(values[i], values[j]);
                    ExchangeRows(rows[i], rows[j]);
                }
            }
        }
        return;
    }
    for (std::size_t i = 0; i + 1 < n; ++i) {
        for (std::size_t j = i + 1; j < n; ++j) {
            if (CompareBytes(rows[i][column], rows[j][column]) > 0) {
                ExchangeRows(rows[i], rows[j]);
            }
        }
    }
}

}  // namespace shenbao
