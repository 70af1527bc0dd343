#include "core/project_check.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "platform/gbk.h"
#include "platform/io_error.h"
#include "platform/platform.h"
#include "platform/workers.h"
#include "store/amount.h"
#include "store/code_table.h"
#include "store/codec.h"
#include "store/index_file.h"
#include "store/text.h"

namespace shenbao {

namespace fs = std::filesystem;

namespace {

std::string Gbk(const char* utf8) {
    return Utf8ToGbk(utf8);
}

// ---- Reading a project ---------------------------------------------------------------------

// A project's file read through `listing`; the store's own files (index,
// code table, settings) are no project's.
platform::EntryRead ReadProjectFile(const platform::DirectoryListing& listing, std::string_view id,
                                    std::string_view extension) {
    return IsReservedId(id) ? platform::EntryRead{} : ReadProjectEntry(listing, id, extension);
}

CheckFinding FileFinding(std::size_t field, const char* message) {
    CheckFinding finding;
    finding.field = field;
    finding.caption = FieldCaption(field);
    finding.message = Gbk(message);
    return finding;
}

// One checked project.
struct Checked {
    std::string id;
    std::string name;
    std::size_t listIndex = 0;
    bool hasMain = false;
    std::size_t hash = 0;
    std::vector<CheckFinding> findings;
};

// "与项目A、B重复（why）", naming at most five of the others.
CheckFinding RepeatFinding(const std::vector<Checked>& checked,
                           const std::vector<std::size_t>& others, const char* why) {
    constexpr std::size_t kNamed = 5;
    std::string text = Gbk("与项目");
    for (std::size_t i = 0; i < others.size() && i < kNamed; ++i) {
        if (i > 0) {
            text += Gbk("、");
        }
        text += checked[others[i]].id;
    }
    if (others.size() > kNamed) {
        text += Gbk("等") + std::to_string(others.size()) + Gbk("个项目");
    }
    text += Gbk("重复") + Gbk(why);
    CheckFinding finding;
    finding.field = Field::ProjectName;
    finding.caption = FieldCaption(Field::ProjectName);
    finding.message = std::move(text);
    return finding;
}

// Flags the repeats among `checked`: projects of the same name and unit,
// and projects whose main data files are the same bytes.
void FindRepeats(const platform::DirectoryListing& listing, std::vector<Checked>& checked,
                 const std::vector<std::array<std::string, 2>>& keys) {
    const std::size_t count = checked.size();
    // Same bytes: grouped by hash, then compared.
    std::vector<std::vector<std::size_t>> sameFile(count);
    std::unordered_map<std::size_t, std::vector<std::size_t>> byHash;
    for (std::size_t i = 0; i < count; ++i) {
        if (checked[i].hasMain) {
            byHash[checked[i].hash].push_back(i);
        }
    }
    for (const auto& [hash, group] : byHash) {
        if (group.size() < 2) {
            continue;
        }
        std::vector<std::string> contents(group.size());
        for (std::size_t g = 0; g < group.size(); ++g) {
            contents[g] =
                ReadProjectFile(listing, checked[group[g]].id, kMainFileExtension).content;
        }
        for (std::size_t a = 0; a < group.size(); ++a) {
            for (std::size_t b = 0; b < group.size(); ++b) {
                if (a != b && contents[a] == contents[b]) {
                    sameFile[group[a]].push_back(group[b]);
                }
            }
        }
    }
    // Same trimmed name and unit name.
    std::unordered_map<std::string, std::vector<std::size_t>> byName;
    for (std::size_t i = 0; i < count; ++i) {
        if (checked[i].hasMain && !keys[i][0].empty()) {
            byName[keys[i][0] + '\n' + keys[i][1]].push_back(i);
        }
    }
    std::vector<std::vector<std::size_t>> sameName(count);
    for (const auto& [key, group] : byName) {
        for (std::size_t a : group) {
            for (std::size_t b : group) {
                const std::vector<std::size_t>& same = sameFile[a];
                if (a != b && std::find(same.begin(), same.end(), b) == same.end()) {
                    sameName[a].push_back(b);
                }
            }
        }
    }
    for (std::size_t i = 0; i < count; ++i) {
        for (std::vector<std::size_t>* others : {&sameFile[i], &sameName[i]}) {
            std::sort(others->begin(), others->end());
        }
        if (!sameFile[i].empty()) {
            checked[i].findings.push_back(
                RepeatFinding(checked, sameFile[i], "（数据文件完全相同）"));
        }
        if (!sameName[i].empty()) {
            checked[i].findings.push_back(
                RepeatFinding(checked, sameName[i], "（项目名称和单位名称相同）"));
        }
    }
}

std::string TabFree(std::string_view text) {
    std::string cell(text);
    std::replace_if(
        cell.begin(), cell.end(), [](char c) { return c == '\t' || c == '\r' || c == '\n'; }, ' ');
    return cell;
}

}  // namespace

// ---- Reading records -------------------------------------------------------------------

void RecordReader::ReadMain(std::string_view text, TProjectRecord& record) {
    const std::size_t count =
        ForEachPiece(text, kFieldSeparator, main_, [&](std::size_t f, std::string_view piece) {
            record.Fields[f].assign(piece);
            return f + 1 < kFieldCount;
        });
    for (std::size_t f = count; f < kFieldCount; ++f) {
        record.Fields[f].clear();
    }
}

void RecordReader::ReadMembers(std::string_view text, TProjectRecord& record) {
    const std::size_t count =
        ForEachPiece(text, kRowTerminator, rows_, [&](std::size_t r, std::string_view row) {
            TProjectMember& member = record.Members[r];
            const std::size_t cells = ForEachPiece(row, kFieldSeparator, cells_,
                                                   [&](std::size_t c, std::string_view cell) {
                                                       member.Cells[c].assign(cell);
                                                       return c + 1 < kMemberCellCount;
                                                   });
            for (std::size_t c = cells; c < kMemberCellCount; ++c) {
                member.Cells[c].clear();
            }
            return r + 1 < kMemberRowCount;
        });
    ClearMembers(record, count);
}

void RecordReader::ClearMembers(TProjectRecord& record, std::size_t first) {
    for (std::size_t r = first; r < kMemberRowCount; ++r) {
        for (std::string& cell : record.Members[r].Cells) {
            cell.clear();
        }
    }
}

// ---- Captions ------------------------------------------------------------------------

const std::string& FieldCaption(std::size_t field) {
    static const std::array<std::string, kFieldCount + 2> captions = [] {
        const char* const utf8[] = {"项目名称",
                                    "计划类别",
                                    "起止时间",
                                    "项目领域",
                                    "申报日期",
                                    "预期成果主要形式",
                                    "项目来源",
                                    "项目申请人",
                                    "项目申请人联系电话",
                                    "申请经费（万元）",
                                    "国家拨款",
                                    "省拨款",
                                    "部门或地方匹配",
                                    "贷款",
                                    "单位自筹",
                                    "其他",
                                    "主管部门",
                                    "主管部门",
                                    "项目所在地",
                                    "单位名称",
                                    "单位性质",
                                    "单位负责人",
                                    "企业登记注册类型",
                                    "负责人电话",
                                    "地址",
                                    "邮编",
                                    "单位联系人",
                                    "联系人电话",
                                    "传真",
                                    "E-Mail地址",
                                    "单位网址",
                                    "职工总数",
                                    "技术人员数",
                                    "中高级技术人员数",
                                    "开户银行",
                                    "银行帐号",
                                    "项目主要研究、开发内容（不超过120个汉字）",
                                    "序号",
                                    "主要参加人",
                                    "数据文件"};
        static_assert(std::size(utf8) == kFieldCount + 2);
        std::array<std::string, kFieldCount + 2> texts;
        for (std::size_t f = 0; f < texts.size(); ++f) {
            texts[f] = Gbk(utf8[f]);
        }
        return texts;
    }();
    return captions.at(field);
}

std::string MemberCellCaption(std::size_t row, std::size_t cell) {
    static const std::array<std::string, kMemberCellCount> headings = {
        Gbk("姓名"), Gbk("性别"),         Gbk("出生年月"),
        Gbk("学历"), Gbk("职务（职称）"), Gbk("现工作单位")};
    static const std::string kRow = Gbk("第");
    static const std::string kOf = Gbk("行");
    return FieldCaption(kMemberTable) + kRow + std::to_string(row) + kOf + headings.at(cell);
}

// ---- Options -------------------------------------------------------------------------

CheckOptions CheckOptionsFromCodeTable(std::string_view content) {
    CheckOptions options;
    options.found = true;
    for (const auto& [field, section] : OptionFields()) {
        options.options[field] = ParseCodeSection(content, *section);
    }
    options.departments = ParseCodeSection(content, CodeSection::Department);
    return options;
}

CheckOptions ReadCheckOptions(const fs::path& dataDir) {
    const std::optional<fs::path> path = FindCodeTable(dataDir);
    if (!path) {
        return CheckOptions();
    }
    return CheckOptionsFromCodeTable(platform::ReadFile(*path, platform::Links::Follow));
}

// ---- Checking the list --------------------------------------------------------------------

namespace {

// Checks one project from the bytes of its main data file and what reading
// its member file gave; `key` gets its trimmed name and unit name.
void CheckFiles(Checked& project, std::array<std::string, 2>& key, const std::string& main,
                const platform::EntryRead& member, const CheckOptions& options) {
    thread_local RecordReader reader;
    thread_local TProjectRecord record;
    project.hasMain = true;
    project.hash = std::hash<std::string>{}(main);
    reader.ReadMain(DecodeStoredText(main), record);
    if (member.read()) {
        reader.ReadMembers(DecodeStoredText(member.content), record);
    } else {
        RecordReader::ClearMembers(record);
    }
    project.findings = CheckRecord(record, options, member.read());
    if (!member.read()) {
        project.findings.push_back(FileFinding(
            kMemberTable, member.refusal
                              ? "成员文件不能读取（不是普通文件或过大）"
                              : "未找到成员文件（主要参加人表），项目不能在编辑窗口中存盘"));
    }
    project.name = record.Fields[Field::ProjectName];
    key = {std::string(Trim(record.Fields[Field::ProjectName])),
           std::string(Trim(record.Fields[Field::UnitName]))};
}

// Each listed ID once, in list order; `firstRow` gets the position of each
// row's project among them.
std::vector<Checked> ListedProjects(const std::vector<ListRow>& rows,
                                    std::vector<std::size_t>& firstRow) {
    std::vector<Checked> checked;
    checked.reserve(rows.size());
    firstRow.assign(rows.size(), 0);
    std::unordered_map<std::string, std::size_t> seen;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        std::string id(Trim(rows[i][ListColumn::Id]));
        const auto [at, added] = seen.try_emplace(id, checked.size());
        firstRow[i] = at->second;
        if (!added) {
            continue;
        }
        Checked project;
        project.id = std::move(id);
        project.listIndex = i;
        project.name = rows[i][ListColumn::ProjectName];
        checked.push_back(std::move(project));
    }
    return checked;
}

}  // namespace

CheckResult CheckProjects(const fs::path& dataDir, const std::vector<ListRow>& rows,
                          const CheckOptions& options) {
    CheckResult result;
    result.codeTableFound = options.found;
    if (rows.empty()) {
        return result;
    }
    const platform::DirectoryListing listing = StoreListing(dataDir, platform::Listing::OnDemand);
    std::vector<std::size_t> firstRow;
    std::vector<Checked> checked = ListedProjects(rows, firstRow);
    // The projects are read and checked on every core; each keeps its place.
    std::vector<std::array<std::string, 2>> keys(checked.size());  // trimmed name and unit name
    platform::ForEachIndex(checked.size(), [&](std::size_t k) {
        Checked& project = checked[k];
        const platform::EntryRead main = ReadProjectFile(listing, project.id, kMainFileExtension);
        if (!main.read()) {
            project.findings.push_back(
                FileFinding(kProjectFiles, main.refusal ? "数据文件不能读取（不是普通文件或过大）"
                                                        : "未找到数据文件"));
            return;
        }
        CheckFiles(project, keys[k], main.content,
                   ReadProjectFile(listing, project.id, kMemberFileExtension), options);
    });
    FindRepeats(listing, checked, keys);

    result.projects = checked.size();
    for (Checked& project : checked) {
        if (project.findings.empty()) {
            continue;
        }
        ++result.faultyProjects;
        for (CheckFinding& finding : project.findings) {
            result.problems.push_back(
                CheckProblem{project.id, project.name, project.listIndex, std::move(finding)});
        }
    }
    return result;
}

CheckResult CheckProjects(const fs::path& dataDir, const std::vector<ListRow>& rows) {
    return CheckProjects(dataDir, rows, ReadCheckOptions(dataDir));
}

const std::string& CheckCell(const CheckProblem& problem, int column) {
    switch (column) {
        case 0:
            return problem.id;
        case 1:
            return problem.name;
        case 2:
            return problem.finding.caption;
        default:
            return problem.finding.message;
    }
}

std::vector<std::size_t> SortedProblems(const std::vector<CheckProblem>& problems, int column,
                                        bool ascending) {
    std::vector<std::size_t> order(problems.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    if (column < 0 || column >= kCheckColumnCount) {
        return order;
    }
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const int c = CompareBytes(CheckCell(problems[a], column), CheckCell(problems[b], column));
        return ascending ? c < 0 : c > 0;
    });
    return order;
}

std::string CheckSummaryText(const CheckResult& result) {
    return Gbk("共检查") + std::to_string(result.projects) + Gbk("个项目，") +
           std::to_string(result.faultyProjects) + Gbk("个项目有问题，共") +
           std::to_string(result.problems.size()) + Gbk("处");
}

ExportReview ExportProblemReview(const fs::path& dataDir, const std::vector<ListRow>& rows) {
    // What the review keeps between the looks (from the copying threads) and
    // the notes: each listed project once, as CheckProjects has them.
    struct Review {
        CheckOptions options;
        platform::DirectoryListing listing;
        std::vector<std::string> names;  // of each row, for the note
        std::vector<std::size_t> firstRow;
        std::vector<Checked> checked;
        std::vector<std::array<std::string, 2>> keys;
        std::vector<std::size_t> counts;  // problems of each project, once all are looked at
    };
    auto review = std::make_shared<Review>();
    review->options = ReadCheckOptions(dataDir);
    review->listing = StoreListing(dataDir, platform::Listing::OnDemand);
    review->names.reserve(rows.size());
    for (const ListRow& row : rows) {
        review->names.push_back(row[ListColumn::ProjectName]);
    }
    review->checked = ListedProjects(rows, review->firstRow);
    review->keys.resize(review->checked.size());
    ExportReview result;
    result.look = [review](std::size_t row, const std::string& main,
                           const platform::EntryRead& member) {
        const std::size_t k = review->firstRow.at(row);
        // A project listed twice is checked at its first row.
        if (review->checked[k].listIndex == row) {
            CheckFiles(review->checked[k], review->keys[k], main, member, review->options);
        }
    };
    result.note = [review](std::size_t row) {
        if (review->counts.empty()) {
            FindRepeats(review->listing, review->checked, review->keys);
            for (Checked& project : review->checked) {
                review->counts.push_back(project.findings.size());
                project.findings = std::vector<CheckFinding>();
            }
        }
        const std::size_t count = review->counts[review->firstRow.at(row)];
        if (count == 0) {
            return std::string();
        }
        return Gbk("项目“") + review->names.at(row) + Gbk("”有") + std::to_string(count) +
               Gbk("处问题，请用“检查项目”查看");
    };
    return result;
}

// ---- Text file -------------------------------------------------------------------------

std::string CheckText(const std::vector<const CheckProblem*>& problems) {
    std::string text;
    const auto append = [&text](std::initializer_list<std::string_view> cells) {
        for (std::string_view cell : cells) {
            text += TabFree(cell);
            text.push_back('\t');
        }
        text.append(kCrLf);
    };
    append({Gbk("项目ID"), Gbk("项目名称"), Gbk("栏目"), Gbk("问题")});
    for (const CheckProblem* problem : problems) {
        append({problem->id, problem->name, problem->finding.caption, problem->finding.message});
    }
    return text;
}

fs::path WriteCheckText(const fs::path& dataDir, const std::vector<const CheckProblem*>& problems) {
    const fs::path path = dataDir / kCheckTextName;
    platform::WriteFileAtomically(path, CheckText(problems), platform::Links::Follow);
    return path;
}

DigitRepair RepairFullWidthDigits(const fs::path& dataDir, const std::vector<ListRow>& rows) {
    DigitRepair repair;
    const platform::DirectoryListing listing = StoreListing(dataDir, platform::Listing::OnDemand);
    std::unordered_set<std::string> seen;
    for (const ListRow& row : rows) {
        const std::string id(Trim(row[ListColumn::Id]));
        if (!seen.insert(id).second) {
            continue;
        }
        const platform::EntryRead main = ReadProjectFile(listing, id, kMainFileExtension);
        if (!main.read()) {
            continue;
        }
        TProjectRecord record;
        record.Fields = ParseMainText(DecodeStoredText(main.content));
        const platform::EntryRead members = ReadProjectFile(listing, id, kMemberFileExtension);
        const bool hasMembers = members.read();
        if (hasMembers) {
            record.Members = ParseMemberText(DecodeStoredText(members.content));
        }
        TProjectRecord repaired = record;
        const int changed = RepairRecordDigits(repaired);
        if (changed == 0) {
            continue;
        }
        // Saving writes both files whole: only when they read back as this
        // program writes them does that change nothing but the digits.
        if (!hasMembers || main.content != StoredLine(JoinMainText(record)) ||
            members.content != StoredLine(JoinMemberText(record))) {
            repair.leftIds.push_back(id);
            continue;
        }
        WriteProjectRecord(dataDir, id, repaired);
        repair.fields += changed;
        ++repair.projects;
        repair.changedIds.push_back(id);
    }
    return repair;
}

}  // namespace shenbao
