#include "bench/sample_store.h"

#include <initializer_list>
#include <random>
#include <string_view>
#include <unordered_set>
#include <utility>

#include "platform/gbk.h"
#include "store/codec.h"
#include "store/index_file.h"
#include "store/journal.h"
#include "store/project_id.h"
#include "store/text.h"

namespace shenbao::sample {

namespace {

const char* const kTopics[] = {"水稻高产栽培", "中药材规范化种植", "纳米涂层材料", "数控机床",
                               "生物农药",     "城市污水处理",     "电力负荷预测", "智能交通",
                               "茶叶深加工",   "稀土永磁材料",     "远程医疗",     "桥梁健康监测",
                               "节能型建材",   "淡水鱼养殖",       "柑橘保鲜",     "Linux服务器"};
const char* const kKinds[] = {
    "技术研究", "关键技术研究与示范", "产业化开发",   "推广应用", "工艺改进", "新产品开发",
    "中试",     "系统集成",           "示范基地建设", "标准研究"};
const char* const kUnits[] = {"澄阳大学",
                              "澄川省农业科学院",
                              "望川市化工研究所",
                              "青禾电子有限公司",
                              "云岫制药股份有限公司",
                              "鹤汀市农业技术推广站",
                              "栎原机械厂",
                              "桐湾海洋水产研究所",
                              "澄川省科学院自动化研究所",
                              "霁山茶业集团公司",
                              "沅汀市第一人民医院",
                              "梧岚新材料科技有限公司",
                              "丹浦市环境监测中心站",
                              "澄川理工学院"};
const char* const kDepartments[] = {"101:澄阳市科委", "102:望川市科委",   "103:青禾市科委",
                                    "104:云岫市科委", "201:省科学技术厅", "204:省教育厅",
                                    "205:省农业厅",   "208:省卫生厅",     "216:省科学院"};
const char* const kCategories[] = {
    "01 重点科技攻关计划", "02 科技成果重点推广计划", "03 星火计划",        "04 火炬计划",
    "05 软科学研究计划",   "06 自然科学基金",         "07 社会发展科技计划"};
const char* const kFields[] = {"01 电子信息", "02 生物技术与医药", "03 新材料",
                               "04 先进制造", "05 能源与节能",     "06 资源与环境",
                               "07 现代农业", "08 人口与健康"};
const char* const kSurnames[] = {"王", "李", "张", "刘", "陈", "杨", "赵", "黄",
                                 "周", "吴", "徐", "孙", "胡", "朱", "高", "林"};
const char* const kGivenNames[] = {"建国", "志强", "海燕", "立新", "文华", "秀英", "晓东",
                                   "春生", "国平", "丽娟", "明",   "伟",   "静",   "敏"};
const char* const kTitles[] = {"研究员", "副研究员", "高级工程师", "工程师",
                               "教授",   "副教授",   "助理研究员", "技术员"};
const char* const kEducation[] = {"博士", "硕士", "本科", "大专"};

template <class T, std::size_t N>
const char* Pick(std::mt19937& random, T (&items)[N]) {
    return items[random() % N];
}

std::string Number(std::mt19937& random, int low, int high) {
    return std::to_string(low + static_cast<int>(random() % static_cast<unsigned>(high - low + 1)));
}

// Joins pieces (GCC 12 warns falsely about chains of std::string operator+).
std::string Cat(std::initializer_list<std::string_view> pieces) {
    std::string text;
    for (std::string_view piece : pieces) {
        text.append(piece);
    }
    return text;
}

std::string TwoDigits(int value) {
    std::string text = std::to_string(value);
    if (text.size() < 2) {
        text.insert(text.begin(), '0');
    }
    return text;
}

}  // namespace

TProjectRecord MakeRecord(std::uint32_t seed, int number) {
    std::mt19937 random(seed * 7919u + static_cast<std::uint32_t>(number));
    TProjectRecord r;
    auto set = [&r](std::size_t field, const std::string& utf8) {
        r.Fields[field] = Utf8ToGbk(utf8);
    };
    const std::string unit = Pick(random, kUnits);
    const std::string department = Pick(random, kDepartments);
    const std::string applicant = Cat({Pick(random, kSurnames), Pick(random, kGivenNames)});
    const int month = 1 + static_cast<int>(random() % 12);
    const int day = 1 + static_cast<int>(random() % 28);

    set(Field::ProjectName, Cat({Pick(random, kTopics), Pick(random, kKinds)}));
    set(Field::PlanCategory, Pick(random, kCategories));
    set(Field::ProjectPeriod,
        Cat({"2001.", TwoDigits(month), "-2003.", TwoDigits(1 + month % 12)}));
    set(Field::ProjectField, Pick(random, kFields));
    set(Field::ApplicationDate, Cat({"2001-", TwoDigits(month), "-", TwoDigits(day)}));
    set(Field::ExpectedResultForm, "01 新产品");
    set(Field::ProjectSource, "1 本单位自选");
    set(Field::Applicant, applicant);
    set(Field::ApplicantPhone,
        Cat({"0", Number(random, 710, 799), "-", Number(random, 2000000, 8999999)}));
    const int total = 5 + static_cast<int>(random() % 200);
    const int provincial = total / (2 + static_cast<int>(random() % 4));
    set(Field::FundsTotal, std::to_string(total));
    set(Field::FundsNational, "0");
    set(Field::FundsProvincial, Cat({std::to_string(provincial), random() % 3 == 0 ? ".5" : ""}));
    set(Field::FundsMatching, std::to_string(total / 5));
    set(Field::FundsLoan, "0");
    set(Field::FundsSelfRaised, std::to_string(total - provincial - total / 5));
    set(Field::FundsOther, "0");
    set(Field::DepartmentCode, department.substr(0, 3));
    set(Field::DepartmentName, department.substr(4));
    set(Field::ProjectLocation, "01 澄阳市");
    set(Field::UnitName, unit);
    set(Field::UnitNature, "11 独立科研院所");
    set(Field::UnitHead, Cat({Pick(random, kSurnames), Pick(random, kGivenNames)}));
    set(Field::RegistrationType, "110 国有企业");
    set(Field::UnitHeadPhone, Cat({"0710-", Number(random, 2000000, 8999999)}));
    set(Field::UnitAddress, Cat({"澄阳市新华路", Number(random, 1, 300), "号"}));
    set(Field::PostCode, Number(random, 430000, 439999));
    set(Field::ContactPerson, Cat({Pick(random, kSurnames), Pick(random, kGivenNames)}));
    set(Field::ContactPhone, Cat({"0710-", Number(random, 2000000, 8999999)}));
    set(Field::Fax, Cat({"0710-", Number(random, 2000000, 8999999)}));
    set(Field::Email, Cat({"kjc", Number(random, 1, 999), "@public.cy.net.cn"}));
    set(Field::WebSite, Cat({"www.unit", Number(random, 1, 999), ".com.cn"}));
    set(Field::StaffTotal, Number(random, 20, 3000));
    set(Field::TechStaff, Number(random, 5, 800));
    set(Field::SeniorTechStaff, Number(random, 1, 200));
    set(Field::Bank, "中国工商银行澄阳市分行");
    set(Field::BankAccount, Cat({Number(random, 10000000, 99999999), Number(random, 1000, 9999)}));
    set(Field::ResearchContent,
        Cat({"针对本省", Pick(random, kTopics), "中存在的问题，开展", Pick(random, kKinds),
             "。\r\n主要内容：工艺路线优化、中试与示范推广，形成具有自主知识产权的成套技术。"}));
    set(Field::SerialNumber, std::to_string(number));

    const int members = 3 + static_cast<int>(random() % 8);
    for (int m = 0; m < members; ++m) {
        TProjectMember& member = r.Members[static_cast<std::size_t>(m)];
        auto cell = [&member](std::size_t c, const std::string& utf8) {
            member.Cells[c] = Utf8ToGbk(utf8);
        };
        cell(MemberCell::Name,
             m == 0 ? applicant : Cat({Pick(random, kSurnames), Pick(random, kGivenNames)}));
        cell(MemberCell::Sex, random() % 3 == 0 ? "女" : "男");
        cell(MemberCell::BirthMonth, Cat({"19", Number(random, 40, 78), ".",
                                          TwoDigits(1 + static_cast<int>(random() % 12))}));
        cell(MemberCell::Education, Pick(random, kEducation));
        cell(MemberCell::PostTitle, Pick(random, kTitles));
        cell(MemberCell::Workplace, unit);
    }
    return r;
}

std::vector<std::string> SampleIds(int count, std::uint32_t seed) {
    SeedRandom(seed);
    std::vector<std::string> ids;
    std::unordered_set<std::string> used;
    ids.reserve(static_cast<std::size_t>(count));
    while (static_cast<int>(ids.size()) < count) {
        std::string id = GenerateProjectId();
        if (used.insert(id).second) {
            ids.push_back(std::move(id));
        }
    }
    return ids;
}

std::vector<std::string> WriteSampleStore(const std::filesystem::path& dataDir, int count,
                                          std::uint32_t seed) {
    const std::vector<std::string> ids = SampleIds(count, seed);
    // The projects go in as changes of a few thousand files each, as an
    // import writes them: one flush per change rather than one per file.
    constexpr std::size_t kProjectsPerChange = 2500;
    const auto line = [](const std::string& joined) {
        std::string text = EncodeField(joined);
        text.append(kCrLf);
        return text;
    };
    for (std::size_t first = 0; first < ids.size(); first += kProjectsPerChange) {
        StoreChange change(dataDir);
        for (std::size_t i = first; i < ids.size() && i < first + kProjectsPerChange; ++i) {
            const TProjectRecord record = MakeRecord(seed, static_cast<int>(i) + 1);
            change.Write(*ProjectFilePath(dataDir, ids[i], kMainFileExtension),
                         line(JoinMainText(record)));
            change.Write(*ProjectFilePath(dataDir, ids[i], kMemberFileExtension),
                         line(JoinMemberText(record)));
        }
        change.Commit();
    }
    SaveIndex(dataDir, ids);
    return ids;
}

}  // namespace shenbao::sample
