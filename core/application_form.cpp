#include "core/application_form.h"

#include <algorithm>

#include "core/crc32.h"
#include "platform/gbk.h"
#include "platform/platform.h"
#include "store/code_table.h"
#include "store/text.h"

namespace shenbao {

namespace {

std::string Gbk(std::string_view utf8) {
    return Utf8ToGbk(utf8);
}

FormItem Item(std::string_view editorCaption, std::size_t field) {
    return FormItem{CaptionWithoutPadding(Gbk(editorCaption)), field};
}

FormRow Wide(FormItem item) {
    return FormRow{true, {std::move(item)}};
}

FormRow Pair(FormItem left, std::optional<FormItem> right = std::nullopt) {
    FormRow row{false, {std::move(left)}};
    if (right) {
        row.items.push_back(std::move(*right));
    }
    return row;
}

std::vector<FormGroup> MakeGroups() {
    std::vector<FormGroup> groups;
    // The captions as the editor writes them, padding blanks and all.
    groups.push_back(
        {Gbk("项目概况"),
         {Pair(Item("项目ID号", kFormIdItem), Item("序号", Field::SerialNumber)),
          Wide(Item("项目名称", Field::ProjectName)),
          Pair(Item("计划类别", Field::PlanCategory), Item("起止时间", Field::ProjectPeriod)),
          Pair(Item("项目领域", Field::ProjectField), Item("申报日期", Field::ApplicationDate)),
          Pair(Item("预期成果主要形式", Field::ExpectedResultForm),
               Item("项目来源", Field::ProjectSource)),
          Pair(Item("项    目申 请 人", Field::Applicant),
               Item("项目申请人联系电话", Field::ApplicantPhone)),
          Pair(Item("主管部门", Field::DepartmentName),
               Item("项目所在地", Field::ProjectLocation))}});
    groups.push_back(
        {Gbk("经费"),
         {Pair(Item("申请经费（万元）", Field::FundsTotal), Item("国家拨款", Field::FundsNational)),
          Pair(Item("省拨款", Field::FundsProvincial),
               Item(" 部门或 地方匹配", Field::FundsMatching)),
          Pair(Item("贷款", Field::FundsLoan), Item("单位自筹", Field::FundsSelfRaised)),
          Pair(Item("其他", Field::FundsOther))}});
    groups.push_back(
        {Gbk("承担单位"),
         {Wide(Item("单位名称", Field::UnitName)),
          Pair(Item("单位性质", Field::UnitNature), Item("单位负责人", Field::UnitHead)),
          Pair(Item("企业登记注册类型", Field::RegistrationType),
               Item("负责人电话", Field::UnitHeadPhone))}});
    groups.push_back(
        {Gbk("联系方式"),
         {Wide(Item("地    址", Field::UnitAddress)),
          Pair(Item("邮编", Field::PostCode), Item("单    位联 系 人", Field::ContactPerson)),
          Pair(Item("联 系 人电    话", Field::ContactPhone), Item("传真", Field::Fax)),
          Pair(Item(" E-Mail    地址", Field::Email), Item("单位网址", Field::WebSite))}});
    groups.push_back(
        {Gbk("单位情况"),
         {Pair(Item("职工总数", Field::StaffTotal), Item("技术人员数", Field::TechStaff)),
          Pair(Item("中高级技术人员数", Field::SeniorTechStaff)),
          Pair(Item("开户银行", Field::Bank), Item("银行帐号", Field::BankAccount))}});
    return groups;
}


bool IsAsciiAlnum(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// An option entry is its code (letters and digits) and its name after a
// blank or a colon: "03 星火计划". An entry without such a code has only a
// name.
std::pair<std::string_view, std::string_view> SplitEntry(std::string_view entry) {
    std::size_t n = 0;
    while (n < entry.size() && IsAsciiAlnum(entry[n])) {
        ++n;
    }
    if (n == 0 || n == entry.size() || (entry[n] != ' ' && entry[n] != ':')) {
        return {std::string_view(), entry};
    }
    return {entry.substr(0, n), Trim(entry.substr(n + 1))};
}

std::string OptionValue(const std::vector<std::string>& entries, const std::string& stored) {
    const std::string_view value = Trim(stored);
    if (value.empty()) {
        return stored;
    }
    for (const std::string& entry : entries) {
        if (entry == value) {
            return stored;
        }
    }
    for (const bool byCode : {true, false}) {
        for (const std::string& entry : entries) {
            const auto [code, name] = SplitEntry(entry);
            if ((byCode && !code.empty() && code == value) || (!byCode && name == value)) {
                return entry;
            }
        }
    }
    return stored;
}

std::string DepartmentValue(const std::vector<std::string>& table, const TProjectRecord& record) {
    const std::string& code = record.Fields[Field::DepartmentCode];
    const std::string& name = record.Fields[Field::DepartmentName];
    std::string shownCode = code;
    std::string shownName = name;
    if (Trim(name).empty() && !Trim(code).empty()) {
        shownName = FindDepartmentNameForCode(table, Trim(code)).value_or(std::string());
    } else if (Trim(code).empty() && !Trim(name).empty()) {
        shownCode = FindDepartmentCodeForName(table, Trim(name)).value_or(std::string());
    }
    if (shownCode.empty() || shownName.empty()) {
        return shownCode + shownName;
    }
    return shownCode + " " + shownName;
}

std::optional<std::uint32_t> FileChecksum(const std::filesystem::path& dataDir, std::string_view id,
                                          std::string_view extension) {
    // The file under its own name, or else under another letter case; an
    // entry that is no file the program reads counts as none.
    const platform::EntryRead read =
        ReadProjectEntry(StoreListing(dataDir, platform::Listing::OnDemand), id, extension);
    if (!read.read()) {
        return std::nullopt;
    }
    return Crc32(read.content);
}

std::string HexOrDashes(const std::optional<std::uint32_t>& crc) {
    return crc ? Crc32Hex(*crc) : std::string(8, '-');
}

// `text` with every control character (a line break in a name read from a
// damaged file) as a blank, so that it stays on its line of the code.
std::string OneLine(std::string text) {
    std::replace_if(
        text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 32; }, ' ');
    return text;
}

// At most `limit` bytes of UTF-8 `text`, cut at the end of a character, with
// "…" added when anything was cut.
std::string CutUtf8(const std::string& text, std::size_t limit) {
    if (text.size() <= limit) {
        return text;
    }
    std::size_t end = limit;
    // Back to the lead byte of the character the limit falls in.
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0u) == 0x80u) {
        --end;
    }
    return text.substr(0, end) + "…";
}

}  // namespace

const std::vector<FormGroup>& FormGroups() {
    static const std::vector<FormGroup> groups = MakeGroups();
    return groups;
}

const std::array<std::string, kMemberCellCount>& MemberHeadings() {
    static const std::array<std::string, kMemberCellCount> headings = {
        Gbk("姓名"), Gbk("性别"),         Gbk("出生年月"),
        Gbk("学历"), Gbk("职务（职称）"), Gbk("现工作单位")};
    return headings;
}

std::string CaptionWithoutPadding(std::string_view caption) {
    std::string out;
    out.reserve(caption.size());
    for (const char c : caption) {
        if (c != ' ') {
            out.push_back(c);
        }
    }
    return out;
}

FormCodes ReadFormCodes(const std::filesystem::path& dataDir) {
    FormCodes codes;
    if (!FindCodeTable(dataDir)) {
        return codes;
    }
    codes.departments =
        ReadCodeSection(dataDir, CodeSection::Department).value_or(std::vector<std::string>());
    for (const auto& [field, section] : OptionFields()) {
        codes.options.emplace_back(
            field, ReadCodeSection(dataDir, *section).value_or(std::vector<std::string>()));
    }
    return codes;
}

std::string FormValue(const FormCodes& codes, const TProjectRecord& record, std::size_t field) {
    if (field == Field::DepartmentName) {
        return DepartmentValue(codes.departments, record);
    }
    const std::string& stored = record.Fields.at(field);
    for (const auto& [optionField, entries] : codes.options) {
        if (optionField == field) {
            return OptionValue(entries, stored);
        }
    }
    return stored;
}

std::vector<std::size_t> PrintedMemberRows(const TProjectRecord& record) {
    std::vector<std::size_t> rows;
    for (std::size_t r = 0; r < kMemberRowCount; ++r) {
        const auto& cells = record.Members[r].Cells;
        if (std::any_of(cells.begin(), cells.end(),
                        [](const std::string& cell) { return !Trim(cell).empty(); })) {
            rows.push_back(r);
        }
    }
    return rows;
}

StoredChecksums ReadStoredChecksums(const std::filesystem::path& dataDir, std::string_view id) {
    return StoredChecksums{FileChecksum(dataDir, id, kMainFileExtension),
                           FileChecksum(dataDir, id, kMemberFileExtension)};
}

ApplicationForm ReadApplicationForm(const std::filesystem::path& dataDir, std::string_view id) {
    ApplicationForm form;
    form.id = std::string(id);
    ProjectReadResult stored = ReadProjectRecord(dataDir, id);
    form.record = std::move(stored.record);
    form.checksums = ReadStoredChecksums(dataDir, id);
    form.unsaved = stored.status != ProjectReadStatus::Complete || !form.checksums.main ||
                   !form.checksums.members;
    return form;
}

ApplicationForm EditedApplicationForm(const std::filesystem::path& dataDir, std::string_view id,
                                      const TProjectRecord& edited) {
    ApplicationForm form;
    form.id = std::string(id);
    const ProjectReadResult stored = ReadProjectRecord(dataDir, id);
    form.record = edited;
    form.checksums = ReadStoredChecksums(dataDir, id);
    form.unsaved = stored.status != ProjectReadStatus::Complete || stored.record != edited ||
                   !form.checksums.main || !form.checksums.members;
    return form;
}

std::string ChecksumText(const StoredChecksums& checksums) {
    return "ZZJ:" + HexOrDashes(checksums.main) + " ZJ:" + HexOrDashes(checksums.members);
}

std::string FormQrText(const ApplicationForm& form) {
    std::string text = "ID:" + GbkToUtf8(OneLine(form.id)) + "\n";
    text += CutUtf8(GbkToUtf8(OneLine(form.record.Fields[Field::ProjectName])), kQrNameLimit);
    text += "\n" + ChecksumText(form.checksums);
    if (form.unsaved) {
        text += "\n" + std::string(kUnsavedMark);
    }
    return text;
}

std::string FormQrCaption(const ApplicationForm& form) {
    std::string text = "ID:" + GbkToUtf8(OneLine(form.id));
    text += "\nZZJ:" + HexOrDashes(form.checksums.main);
    text += "\nZJ:" + HexOrDashes(form.checksums.members);
    if (form.unsaved) {
        text += "\n" + std::string(kUnsavedMark);
    }
    return text;
}

}  // namespace shenbao
