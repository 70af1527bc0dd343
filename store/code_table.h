#pragma once

// The code table file "_SysCode.zzj": plain GBK text, one option per line,
// grouped in sections that begin with a line "~~~" + section name. It fills
// the option lists of the project editor and the department table that
// couples the department code with the department name.

#include <array>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace shenbao {

using platform::kCodeTableFileName;

// Section names, GBK.
namespace CodeSection {
extern const std::string Department;          // 主管部门编码
extern const std::string PlanCategory;        // 计划类别编码
extern const std::string ProjectField;        // 项目领域编码
extern const std::string ExpectedResultForm;  // 预期成果主要形式编码
extern const std::string ProjectSource;       // 项目来源编码
extern const std::string ProjectLocation;     // 项目所在地编码
extern const std::string UnitNature;          // 单位性质编码
extern const std::string RegistrationType;    // 企业登记注册类型编码
}  // namespace CodeSection

// A field of the project record whose value is chosen from a code table
// section, and that section (the department, a pair of two fields, apart).
struct OptionField {
    std::size_t field;
    const std::string* section;
};

// The seven option fields, in the order the editor fills their lists.
const std::array<OptionField, 7>& OptionFields();

// The entries of the first section named `sectionName` in `content`: the
// lines after its header (trimmed line beginning with "~~~" + name) up to the
// first line whose first three bytes are "~~~" as read, each trimmed. Empty
// lines are entries. A missing section gives no entries.
std::vector<std::string> ParseCodeSection(std::string_view content, std::string_view sectionName);

// The path of the code table file in `dataDir` (letter case of the name
// ignored), or nothing when it is missing.
std::optional<std::filesystem::path> FindCodeTable(const std::filesystem::path& dataDir);

// Reads one section from the code table file of `dataDir`; nothing when the
// file is missing. Throws IoError when it exists but cannot be read.
std::optional<std::vector<std::string>> ReadCodeSection(const std::filesystem::path& dataDir,
                                                        std::string_view sectionName);

// Department entries are "CCC:Name": a three-byte code, ":" and the name.
// The option shown for an entry: the entry without its first four bytes.
std::string DepartmentName(std::string_view entry);
// The code of an entry: its first three bytes.
std::string DepartmentCode(std::string_view entry);

// The name of the first entry (file order) that holds `code` + ":" anywhere.
std::optional<std::string> FindDepartmentNameForCode(const std::vector<std::string>& table,
                                                     std::string_view code);
// The code of the first entry that holds `name` anywhere; an empty name finds
// nothing.
std::optional<std::string> FindDepartmentCodeForName(const std::vector<std::string>& table,
                                                     std::string_view name);

}  // namespace shenbao
