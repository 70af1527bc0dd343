#include "store/code_table.h"

#include "platform/platform.h"
#include "store/project_record.h"
#include "store/text.h"

namespace shenbao {

namespace fs = std::filesystem;

namespace CodeSection {
// GBK bytes, so that the names compare with the file's lines byte for byte.
const std::string Department = "\xd6\xf7\xb9\xdc\xb2\xbf\xc3\xc5\xb1\xe0\xc2\xeb";  // 主管部门编码
const std::string PlanCategory =
    "\xbc\xc6\xbb\xae\xc0\xe0\xb1\xf0\xb1\xe0\xc2\xeb";  // 计划类别编码
const std::string ProjectField =
    "\xcf\xee\xc4\xbf\xc1\xec\xd3\xf2\xb1\xe0\xc2\xeb";  // 项目领域编码
const std::string ExpectedResultForm =
    "\xd4\xa4\xc6\xda\xb3\xc9\xb9\xfb\xd6\xf7\xd2\xaa\xd0\xce\xca\xbd\xb1\xe0\xc2\xeb";  // 预期成果主要形式编码
const std::string ProjectSource =
    "\xcf\xee\xc4\xbf\xc0\xb4\xd4\xb4\xb1\xe0\xc2\xeb";  // 项目来源编码
const std::string ProjectLocation =
    "\xcf\xee\xc4\xbf\xcb\xf9\xd4\xda\xb5\xd8\xb1\xe0\xc2\xeb";  // 项目所在地编码
const std::string UnitNature = "\xb5\xa5\xce\xbb\xd0\xd4\xd6\xca\xb1\xe0\xc2\xeb";  // 单位性质编码
const std::string RegistrationType =
    "\xc6\xf3\xd2\xb5\xb5\xc7\xbc\xc7\xd7\xa2\xb2\xe1\xc0\xe0\xd0\xcd\xb1\xe0\xc2\xeb";  // 企业登记注册类型编码
}  // namespace CodeSection

const std::array<OptionField, 7>& OptionFields() {
    static const std::array<OptionField, 7> fields = {{
        {Field::PlanCategory, &CodeSection::PlanCategory},
        {Field::ProjectField, &CodeSection::ProjectField},
        {Field::ExpectedResultForm, &CodeSection::ExpectedResultForm},
        {Field::ProjectSource, &CodeSection::ProjectSource},
        {Field::ProjectLocation, &CodeSection::ProjectLocation},
        {Field::UnitNature, &CodeSection::UnitNature},
        {Field::RegistrationType, &CodeSection::RegistrationType},
    }};
    return fields;
}

std::vector<std::string> ParseCodeSection(std::string_view content, std::string_view sectionName) {
    std::string header = "~~~";
    header.append(sectionName);
    std::vector<std::string> lines = SplitLines(content);
    std::size_t i = 0;
    while (i < lines.size() && !Trim(lines[i]).starts_with(header)) {
        ++i;
    }
    std::vector<std::string> entries;
    if (i == lines.size()) {
        return entries;
    }
    for (++i; i < lines.size(); ++i) {
        if (lines[i].starts_with("~~~")) {
            break;
        }
        entries.emplace_back(Trim(lines[i]));
    }
    return entries;
}

std::optional<fs::path> FindCodeTable(const fs::path& dataDir) {
    return platform::FindFile(dataDir, kCodeTableFileName, platform::Links::Follow);
}

std::optional<std::vector<std::string>> ReadCodeSection(const fs::path& dataDir,
                                                        std::string_view sectionName) {
    std::optional<fs::path> path = FindCodeTable(dataDir);
    if (!path) {
        return std::nullopt;
    }
    // Supplied with the program, the code table may be installed as a link.
    std::optional<std::string> content = platform::ReadFileIfExists(*path, platform::Links::Follow);
    if (!content) {
        return std::nullopt;
    }
    return ParseCodeSection(*content, sectionName);
}

std::string DepartmentName(std::string_view entry) {
    return entry.size() > 4 ? std::string(entry.substr(4)) : std::string();
}

std::string DepartmentCode(std::string_view entry) {
    return std::string(entry.substr(0, 3));
}

std::optional<std::string> FindDepartmentNameForCode(const std::vector<std::string>& table,
                                                     std::string_view code) {
    std::string key(code);
    key.push_back(':');
    for (const std::string& entry : table) {
        if (entry.find(key) != std::string::npos) {
            return DepartmentName(entry);
        }
    }
    return std::nullopt;
}

std::optional<std::string> FindDepartmentCodeForName(const std::vector<std::string>& table,
                                                     std::string_view name) {
    if (name.empty()) {
        return std::nullopt;
    }
    for (const std::string& entry : table) {
        if (entry.find(name) != std::string::npos) {
            return DepartmentCode(entry);
        }
    }
    return std::nullopt;
}

}  // namespace shenbao
