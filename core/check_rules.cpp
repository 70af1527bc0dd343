// The rules of the formal check: the forms of the fields' texts, the table of
// rules with their messages, checking one record, and the full-width digits
// that the repair turns into half-width ones.

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

#include "core/project_check.h"
#include "platform/gbk.h"
#include "store/amount.h"
#include "store/code_table.h"
#include "store/codec.h"
#include "store/text.h"

namespace shenbao {


namespace {

std::string Gbk(const char* utf8) {
    return Utf8ToGbk(utf8);
}

// ---- GBK characters ------------------------------------------------------------------

// Calls `each(character)` for every character of `text`: a byte 81..FE
// with the byte after it is one double-byte character, any other byte one
// character of its own.
template <class Each>
void ForEachCharacter(std::string_view text, Each each) {
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead >= 0x81 && lead <= 0xFE && i + 1 < text.size() ? 2 : 1;
        each(text.substr(i, length));
        i += length;
    }
}

// The ASCII character a full-width digit, point or minus stands for; 0 for
// any other character.
char HalfWidthOf(std::string_view character) {
    if (character.size() != 2 || static_cast<unsigned char>(character[0]) != 0xA3) {
        return 0;
    }
    const auto trail = static_cast<unsigned char>(character[1]);
    if (trail >= 0xB0 && trail <= 0xB9) {
        return static_cast<char>('0' + (trail - 0xB0));
    }
    if (trail == 0xAE) {
        return '.';
    }
    if (trail == 0xAD) {
        return '-';
    }
    return 0;
}

// ---- Text forms -------------------------------------------------------------------------

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool AllDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), IsDigit);
}

int DigitsValue(std::string_view digits) {
    int value = 0;
    for (char c : digits) {
        value = value * 10 + (c - '0');
    }
    return value;
}

// "YYYY.MM" with a month 01..12: the month counted from year 0, or -1.
int YearMonth(std::string_view text) {
    if (text.size() != 7 || text[4] != '.' || !AllDigits(text.substr(0, 4)) ||
        !AllDigits(text.substr(5, 2))) {
        return -1;
    }
    const int month = DigitsValue(text.substr(5, 2));
    if (month < 1 || month > 12) {
        return -1;
    }
    return DigitsValue(text.substr(0, 4)) * 12 + month - 1;
}

// "YYYY.MM-YYYY.MM": the two months, or {-1, -1}.
std::pair<int, int> Period(std::string_view text) {
    if (text.size() != 15 || text[7] != '-') {
        return {-1, -1};
    }
    const int start = YearMonth(text.substr(0, 7));
    const int end = YearMonth(text.substr(8, 7));
    if (start < 0 || end < 0) {
        return {-1, -1};
    }
    return {start, end};
}

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// "YYYY-MM-DD", a day that the calendar has.
bool IsDate(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-' || !AllDigits(text.substr(0, 4)) ||
        !AllDigits(text.substr(5, 2)) || !AllDigits(text.substr(8, 2))) {
        return false;
    }
    const int year = DigitsValue(text.substr(0, 4));
    const int month = DigitsValue(text.substr(5, 2));
    const int day = DigitsValue(text.substr(8, 2));
    if (year < 1 || month < 1 || month > 12 || day < 1) {
        return false;
    }
    constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const int days = month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
    return day <= days;
}

// Compares two texts of digits by value: <0, 0, >0.
int CompareWhole(std::string_view a, std::string_view b) {
    const auto significant = [](std::string_view digits) {
        const std::size_t first = digits.find_first_not_of('0');
        return first == std::string_view::npos ? std::string_view() : digits.substr(first);
    };
    a = significant(a);
    b = significant(b);
    if (a.size() != b.size()) {
        return a.size() < b.size() ? -1 : 1;
    }
    return a.compare(b);
}

// The name and the code of a department entry "CCC:Name", as the editor
// takes them apart (store/code_table.h), without copying.
std::string_view NameOfDepartment(std::string_view entry) {
    return entry.size() > 4 ? entry.substr(4) : std::string_view();
}
std::string_view CodeOfDepartment(std::string_view entry) {
    return entry.substr(0, 3);
}

// ---- The rules' tests ----------------------------------------------------------------------

std::string_view Trimmed(const RuleInput& in) {
    return Trim(in.text());
}

std::string_view FieldTrimmed(const RuleInput& in, std::size_t field) {
    return Trim(in.record.Fields[field]);
}

bool Filled(const RuleInput& in, std::string&) {
    return !Trimmed(in).empty();
}

bool NoFullWidthDigits(const RuleInput& in, std::string&) {
    return !HasFullWidthDigits(in.text());
}

bool IsOption(const RuleInput& in, std::string&) {
    const std::string_view value = Trimmed(in);
    const std::vector<std::string>& options = in.options.options[in.field];
    return value.empty() || !in.options.found || options.empty() ||
           std::find(options.begin(), options.end(), value) != options.end();
}

bool IsDepartmentName(const RuleInput& in, std::string&) {
    const std::string_view value = Trimmed(in);
    const std::vector<std::string>& table = in.options.departments;
    return value.empty() || !in.options.found || table.empty() ||
           std::any_of(table.begin(), table.end(), [value](const std::string& entry) {
               return NameOfDepartment(entry) == value;
           });
}

// The code belongs to the department named: one of the entries of that name
// has it. A name that no entry has is the name rule's problem.
bool CodeMatchesDepartment(const RuleInput& in, std::string& detail) {
    const std::string_view name = FieldTrimmed(in, Field::DepartmentName);
    const std::string_view code = Trimmed(in);
    const std::string* first = nullptr;
    for (const std::string& entry : in.options.departments) {
        if (NameOfDepartment(entry) != name) {
            continue;
        }
        if (CodeOfDepartment(entry) == code) {
            return true;
        }
        if (first == nullptr) {
            first = &entry;
        }
    }
    if (name.empty() || first == nullptr) {
        return true;
    }
    static const std::string kBefore = Gbk("，应为“");
    static const std::string kAfter = Gbk("”");
    detail = kBefore + std::string(CodeOfDepartment(*first)) + kAfter;
    return false;
}

bool IsPeriod(const RuleInput& in, std::string&) {
    const std::string_view value = Trimmed(in);
    return value.empty() || Period(value).first >= 0;
}

bool PeriodInOrder(const RuleInput& in, std::string&) {
    const auto [start, end] = Period(Trimmed(in));
    return start < 0 || start <= end;
}

bool IsRealDate(const RuleInput& in, std::string&) {
    const std::string_view value = Trimmed(in);
    return value.empty() || IsDate(value);
}

bool IsAmount(const RuleInput& in, std::string&) {
    return ReadAmount(in.text()).kind != AmountCell::NotNumber;
}

bool NotNegative(const RuleInput& in, std::string&) {
    const AmountCell cell = ReadAmount(in.text());
    return cell.kind != AmountCell::Number || cell.units >= 0;
}

constexpr std::array<std::size_t, 6> kFundsSources = {
    Field::FundsNational, Field::FundsProvincial, Field::FundsMatching,
    Field::FundsLoan,     Field::FundsSelfRaised, Field::FundsOther};

// 申请经费 is the sum of its six sources, added exactly as the summary adds
// them. Where a cell is no number, that cell is the problem.
bool FundsAddUp(const RuleInput& in, std::string& detail) {
    const AmountCell total = ReadAmount(in.record.Fields[Field::FundsTotal]);
    if (total.kind != AmountCell::Number) {
        return true;
    }
    AmountUnits sum = 0;
    for (std::size_t field : kFundsSources) {
        const AmountCell cell = ReadAmount(in.record.Fields[field]);
        if (cell.kind == AmountCell::NotNumber) {
            return true;
        }
        sum += cell.units;
    }
    if (sum == total.units) {
        return true;
    }
    static const std::string kBefore = Gbk("（六项之和为");
    static const std::string kAfter = Gbk("）");
    detail = kBefore + FormatAmount(sum) + kAfter;
    return false;
}

bool IsWholeNumber(const RuleInput& in, std::string&) {
    const std::string_view value = Trimmed(in);
    return value.empty() || AllDigits(value);
}

// The count of this field is at most that of `larger`, where both are
// whole numbers.
bool NotAbove(const RuleInput& in, std::size_t larger) {
    const std::string_view value = Trimmed(in);
    const std::string_view bound = FieldTrimmed(in, larger);
    return !AllDigits(value) || !AllDigits(bound) || CompareWhole(value, bound) <= 0;
}

bool TechNotAboveStaff(const RuleInput& in, std::string&) {
    return NotAbove(in, Field::StaffTotal);
}

bool SeniorNotAboveTech(const RuleInput& in, std::string&) {
    return NotAbove(in, Field::TechStaff);
}

bool IsPostCode(const RuleInput& in, std::string&) {
    const std::string_view value = Trimmed(in);
    return value.empty() || (value.size() == 6 && AllDigits(value));
}

// One "@", something before it, and after it a "." with something on both
// sides; no blank inside.
bool IsEmail(const RuleInput& in, std::string&) {
    const std::string_view value = Trimmed(in);
    if (value.empty()) {
        return true;
    }
    const std::size_t at = value.find('@');
    if (at == std::string_view::npos || at == 0 || value.find('@', at + 1) != value.npos ||
        value.find(' ') != value.npos) {
        return false;
    }
    const std::size_t dot = value.find('.', at + 2);
    return dot != std::string_view::npos && dot + 1 < value.size();
}

// Digits, "-", blanks, parentheses (ASCII or full-width), "+" and "转".
bool IsPhone(const RuleInput& in, std::string&) {
    static const std::string kTransfer = Gbk("转");
    static const std::string kOpen = Gbk("（");
    static const std::string kClose = Gbk("）");
    bool sound = true;
    ForEachCharacter(Trimmed(in), [&sound](std::string_view c) {
        const bool allowed = c.size() == 1
                                 ? (IsDigit(c[0]) || std::strchr("-+() ", c[0]) != nullptr)
                                 : (c == kTransfer || c == kOpen || c == kClose);
        sound = sound && allowed;
    });
    return sound;
}

constexpr std::size_t kResearchContentLimit = 240;

bool ContentShortEnough(const RuleInput& in, std::string& detail) {
    const std::size_t length = in.text().size();
    if (length <= kResearchContentLimit) {
        return true;
    }
    static const std::string kBefore = Gbk("，现有");
    static const std::string kAfter = Gbk("字节");
    detail = kBefore + std::to_string(length) + kAfter;
    return false;
}

bool MemberNamed(const TProjectMember& member) {
    return !Trim(member.Cells[MemberCell::Name]).empty();
}

bool HasMember(const RuleInput& in, std::string&) {
    return std::any_of(in.record.Members.begin(), in.record.Members.end(), MemberNamed);
}

bool IsBirthMonth(const RuleInput& in, std::string&) {
    return YearMonth(Trimmed(in)) >= 0;
}

// ---- The table -------------------------------------------------------------------------------

constexpr const char* kRequired = "未填写（此项必须填写）";
constexpr const char* kFullWidth = "含全角数字，应改为半角（可用“全角数字改为半角”）";
constexpr const char* kNotOption = "不是编码表中的选项，请从下拉列表中选择";
constexpr const char* kNotAmount = "不是数字，应写成如“12.5”的形式（单位：万元）";
constexpr const char* kNegative = "不能是负数";
constexpr const char* kNotWhole = "应为整数（人数），如“120”";
constexpr const char* kNotPhone = "只能含数字、“-”、空格、括号、“+”和“转”，如“0710-2345678转123”";

constexpr int kField = -1;

const std::vector<CheckRule>& RuleTable() {
    static const std::vector<CheckRule> rules = {
        {Field::ProjectName, kField, Filled, kRequired},
        {Field::PlanCategory, kField, Filled, kRequired},
        {Field::PlanCategory, kField, IsOption, kNotOption},
        {Field::ProjectPeriod, kField, Filled, kRequired},
        {Field::ProjectPeriod, kField, NoFullWidthDigits, kFullWidth},
        {Field::ProjectPeriod, kField, IsPeriod, "应写成“2001.04-2003.10”的形式（年.月-年.月）"},
        {Field::ProjectPeriod, kField, PeriodInOrder, "结束时间早于开始时间"},
        {Field::ProjectField, kField, IsOption, kNotOption},
        {Field::ApplicationDate, kField, Filled, kRequired},
        {Field::ApplicationDate, kField, NoFullWidthDigits, kFullWidth},
        {Field::ApplicationDate, kField, IsRealDate, "应为“2001-07-16”形式（年-月-日）的有效日期"},
        {Field::ExpectedResultForm, kField, IsOption, kNotOption},
        {Field::ProjectSource, kField, IsOption, kNotOption},
        {Field::Applicant, kField, Filled, kRequired},
        {Field::ApplicantPhone, kField, NoFullWidthDigits, kFullWidth},
        {Field::ApplicantPhone, kField, IsPhone, kNotPhone},
        {Field::FundsTotal, kField, Filled, kRequired},
        {Field::FundsTotal, kField, NoFullWidthDigits, kFullWidth},
        {Field::FundsTotal, kField, IsAmount, kNotAmount},
        {Field::FundsTotal, kField, NotNegative, kNegative},
        {Field::FundsTotal, kField, FundsAddUp, "不等于国家拨款至其他六项之和"},
        {Field::FundsNational, kField, NoFullWidthDigits, kFullWidth},
        {Field::FundsNational, kField, IsAmount, kNotAmount},
        {Field::FundsNational, kField, NotNegative, kNegative},
        {Field::FundsProvincial, kField, NoFullWidthDigits, kFullWidth},
        {Field::FundsProvincial, kField, IsAmount, kNotAmount},
        {Field::FundsProvincial, kField, NotNegative, kNegative},
        {Field::FundsMatching, kField, NoFullWidthDigits, kFullWidth},
        {Field::FundsMatching, kField, IsAmount, kNotAmount},
        {Field::FundsMatching, kField, NotNegative, kNegative},
        {Field::FundsLoan, kField, NoFullWidthDigits, kFullWidth},
        {Field::FundsLoan, kField, IsAmount, kNotAmount},
        {Field::FundsLoan, kField, NotNegative, kNegative},
        {Field::FundsSelfRaised, kField, NoFullWidthDigits, kFullWidth},
        {Field::FundsSelfRaised, kField, IsAmount, kNotAmount},
        {Field::FundsSelfRaised, kField, NotNegative, kNegative},
        {Field::FundsOther, kField, NoFullWidthDigits, kFullWidth},
        {Field::FundsOther, kField, IsAmount, kNotAmount},
        {Field::FundsOther, kField, NotNegative, kNegative},
        {Field::DepartmentCode, kField, CodeMatchesDepartment, "主管部门编码与主管部门名称不符"},
        {Field::DepartmentName, kField, Filled, kRequired},
        {Field::DepartmentName, kField, IsDepartmentName,
         "不是编码表中的主管部门，请从下拉列表中选择"},
        {Field::ProjectLocation, kField, IsOption, kNotOption},
        {Field::UnitName, kField, Filled, kRequired},
        {Field::UnitNature, kField, IsOption, kNotOption},
        {Field::RegistrationType, kField, IsOption, kNotOption},
        {Field::UnitHeadPhone, kField, NoFullWidthDigits, kFullWidth},
        {Field::UnitHeadPhone, kField, IsPhone, kNotPhone},
        {Field::PostCode, kField, NoFullWidthDigits, kFullWidth},
        {Field::PostCode, kField, IsPostCode, "应为6位数字，如“430071”"},
        {Field::ContactPhone, kField, NoFullWidthDigits, kFullWidth},
        {Field::ContactPhone, kField, IsPhone, kNotPhone},
        {Field::Fax, kField, NoFullWidthDigits, kFullWidth},
        {Field::Fax, kField, IsPhone, kNotPhone},
        {Field::Email, kField, IsEmail, "应为如“kjc@example.com.cn”的电子邮件地址"},
        {Field::StaffTotal, kField, NoFullWidthDigits, kFullWidth},
        {Field::StaffTotal, kField, IsWholeNumber, kNotWhole},
        {Field::TechStaff, kField, NoFullWidthDigits, kFullWidth},
        {Field::TechStaff, kField, IsWholeNumber, kNotWhole},
        {Field::TechStaff, kField, TechNotAboveStaff, "技术人员数多于职工总数"},
        {Field::SeniorTechStaff, kField, NoFullWidthDigits, kFullWidth},
        {Field::SeniorTechStaff, kField, IsWholeNumber, kNotWhole},
        {Field::SeniorTechStaff, kField, SeniorNotAboveTech, "中高级技术人员数多于技术人员数"},
        {Field::BankAccount, kField, NoFullWidthDigits, kFullWidth},
        {Field::ResearchContent, kField, ContentShortEnough, "超过120个汉字（240字节）"},
        {Field::SerialNumber, kField, NoFullWidthDigits, kFullWidth},
        {kMemberTable, kField, HasMember, "至少应填写一名主要参加人"},
        {kMemberTable, static_cast<int>(MemberCell::BirthMonth), NoFullWidthDigits, kFullWidth},
        {kMemberTable, static_cast<int>(MemberCell::BirthMonth), IsBirthMonth,
         "应写成“1965.03”的形式（年.月）"},
    };
    return rules;
}

// The messages of the rules, GBK, in table order.
const std::vector<std::string>& RuleMessages() {
    static const std::vector<std::string> messages = [] {
        std::vector<std::string> texts;
        for (const CheckRule& rule : RuleTable()) {
            texts.push_back(Gbk(rule.message));
        }
        return texts;
    }();
    return messages;
}

}  // namespace

// ---- Rules -----------------------------------------------------------------------------

const std::string& RuleInput::text() const {
    return memberCell >= 0
               ? record.Members[memberRow - 1].Cells[static_cast<std::size_t>(memberCell)]
               : record.Fields[field];
}

const std::vector<CheckRule>& CheckRules() {
    return RuleTable();
}

std::vector<CheckFinding> CheckRecord(const TProjectRecord& record, const CheckOptions& options,
                                      bool hasMemberFile) {
    const std::vector<CheckRule>& rules = RuleTable();
    const std::vector<std::string>& messages = RuleMessages();
    std::vector<CheckFinding> findings;
    // Places that have failed a rule already: fields, then member cells.
    std::array<bool, kFieldCount + 1> fieldFailed{};
    std::array<std::array<bool, kMemberCellCount>, kMemberRowCount> cellFailed{};
    std::string detail;
    for (std::size_t r = 0; r < rules.size(); ++r) {
        const CheckRule& rule = rules[r];
        if (rule.field == kMemberTable && !hasMemberFile) {
            continue;
        }
        const auto fail = [&](std::size_t row) {
            CheckFinding finding;
            finding.field = rule.field;
            finding.memberRow = row;
            finding.memberCell =
                rule.memberCell >= 0 ? static_cast<std::size_t>(rule.memberCell) : 0;
            finding.caption =
                row > 0 ? MemberCellCaption(row, finding.memberCell) : FieldCaption(rule.field);
            finding.message = messages[r] + detail;
            findings.push_back(std::move(finding));
        };
        if (rule.memberCell < 0) {
            if (fieldFailed[rule.field]) {
                continue;
            }
            detail.clear();
            if (!rule.passes(RuleInput{record, options, rule.field, 0, -1}, detail)) {
                fieldFailed[rule.field] = true;
                fail(0);
            }
            continue;
        }
        const auto cell = static_cast<std::size_t>(rule.memberCell);
        for (std::size_t row = 1; row <= kMemberRowCount; ++row) {
            if (cellFailed[row - 1][cell] || !MemberNamed(record.Members[row - 1])) {
                continue;
            }
            detail.clear();
            if (!rule.passes(RuleInput{record, options, rule.field, row, rule.memberCell},
                             detail)) {
                cellFailed[row - 1][cell] = true;
                fail(row);
            }
        }
    }
    // Findings stand in the order of their places: fields, then members row by row.
    std::stable_sort(findings.begin(), findings.end(),
                     [](const CheckFinding& a, const CheckFinding& b) {
                         return std::pair(a.field, a.memberRow) < std::pair(b.field, b.memberRow);
                     });
    return findings;
}
// ---- Full-width digits ------------------------------------------------------------------

bool HasFullWidthDigits(std::string_view text) {
    bool found = false;
    ForEachCharacter(text, [&found](std::string_view c) { found = found || HalfWidthOf(c) != 0; });
    return found;
}

std::string HalfWidthDigits(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    ForEachCharacter(text, [&result](std::string_view c) {
        const char half = HalfWidthOf(c);
        if (half != 0) {
            result.push_back(half);
        } else {
            result.append(c);
        }
    });
    return result;
}

int RepairRecordDigits(TProjectRecord& record) {
    int changed = 0;
    const auto repair = [&changed](std::string& text) {
        if (HasFullWidthDigits(text)) {
            text = HalfWidthDigits(text);
            ++changed;
        }
    };
    for (std::size_t field : kNumberFields) {
        repair(record.Fields[field]);
    }
    if (kMemberBirthMonthIsNumber) {
        for (TProjectMember& member : record.Members) {
            repair(member.Cells[MemberCell::BirthMonth]);
        }
    }
    return changed;
}
}  // namespace shenbao
