#pragma once

// The content of a project's application form (澄川省科技计划项目申报表):
// which field stands in which group under which caption, the values as they
// are printed (codes together with their names), the member rows printed,
// and the text of the QR code that ties the paper to the two stored files
// through their CRC-32.
//
// Plain C++ on GBK bytes; output/application_form_report.h lays it out.

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "store/project_record.h"

namespace shenbao {

// Where printed forms go when no printer is installed: the forms of all
// shown projects into this file, a single project's into "<ID>.pdf".
inline constexpr std::string_view kFormsPdfName = "tarvok09.pdf";

// ---- What stands where ---------------------------------------------------------

// The item of a form row that shows the project ID, which is no field.
inline constexpr std::size_t kFormIdItem = kFieldCount;

// A caption (GBK: the editor's caption without its padding blanks) and the
// field printed beside it.
struct FormItem {
    std::string caption;
    std::size_t field = 0;
};

// One ruled row of the table: a wide row holds one item across the whole
// width, any other row two items side by side (the right half stays empty
// when there is only one).
struct FormRow {
    bool wide = false;
    std::vector<FormItem> items;
};

struct FormGroup {
    std::string title;  // GBK
    std::vector<FormRow> rows;
};

// The groups in print order: 项目概况 (opening with the project ID and the
// serial number), 经费, 承担单位, 联系方式, 单位情况. They hold every field
// but the research content once; the department code is printed in the
// cell of the department name (FormValue).
const std::vector<FormGroup>& FormGroups();

// Texts of the form (UTF-8).
inline constexpr std::string_view kFormTitle = "澄川省科技计划项目申报表";
inline constexpr std::string_view kMemberGroupTitle = "主要参加人";
inline constexpr std::string_view kResearchContentCaption =
    "项目主要研究、开发内容（不超过120个汉字）";
inline constexpr std::string_view kUnsavedMark = "未存盘";
// The six column headings of the member table, as the editor heads them.
const std::array<std::string, kMemberCellCount>& MemberHeadings();

// An editor caption without the blanks that pad it out in the editor:
// "项    目申 请 人" gives "项目申请人", " E-Mail    地址" gives "E-Mail地址".
std::string CaptionWithoutPadding(std::string_view caption);

// ---- Values --------------------------------------------------------------------

// The code table as the form needs it: the entries of the option section of
// every classification field, and the department table.
struct FormCodes {
    std::vector<std::pair<std::size_t, std::vector<std::string>>> options;
    std::vector<std::string> departments;
};

// Reads the eight sections of the code table of `dataDir`. A missing code
// table gives no entries (values are then printed as stored). Throws IoError.
FormCodes ReadFormCodes(const std::filesystem::path& dataDir);

// The text printed for `field` (kFormIdItem is not one). A classification
// value that is only the code of an entry ("03") or only its name
// ("星火计划") is printed as the whole entry ("03 星火计划"); the
// department name is printed after its code ("101 澄阳市科委"), either one
// completed from the department table when it is empty. Any other value is
// printed exactly as stored.
std::string FormValue(const FormCodes& codes, const TProjectRecord& record, std::size_t field);

// The member rows printed (0-based): every row with a cell that holds more
// than blanks, row 15 included, in order.
std::vector<std::size_t> PrintedMemberRows(const TProjectRecord& record);

// ---- The form of a project and its code ----------------------------------------

// CRC-32 of the bytes of the two stored files; nothing for a missing file.
struct StoredChecksums {
    std::optional<std::uint32_t> main;
    std::optional<std::uint32_t> members;
};

// Reads the two files of `id` as the store finds them. Throws IoError.
StoredChecksums ReadStoredChecksums(const std::filesystem::path& dataDir, std::string_view id);

struct ApplicationForm {
    std::string id;  // GBK, as listed
    TProjectRecord record;
    // The paper does not show what the stored files hold: the values differ
    // from them, or a file is missing. The checksums are still those of the
    // stored files.
    bool unsaved = false;
    StoredChecksums checksums;
};

// The form of the stored project `id`: its record as the editor reads it.
// Throws IoError.
ApplicationForm ReadApplicationForm(const std::filesystem::path& dataDir, std::string_view id);

// The form of `edited` (what the editor's fields hold) for the project `id`,
// unsaved unless the stored files hold exactly that record. Throws IoError.
ApplicationForm EditedApplicationForm(const std::filesystem::path& dataDir, std::string_view id,
                                      const TProjectRecord& edited);

// "ZZJ:xxxxxxxx ZJ:xxxxxxxx", the CRC-32 in hexadecimal of the main data
// file and the member file; "--------" stands for a missing file.
std::string ChecksumText(const StoredChecksums& checksums);

// Bytes of the project name the QR code holds at most (UTF-8): a longer name
// is cut there, at a character's end, and "…" added. The paper prints the
// whole name; the code stays a symbol that a phone reads off the paper.
inline constexpr std::size_t kQrNameLimit = 60;

// The text of the form's QR code, UTF-8, as phones expect it; lines joined
// by "\n":
//   ID:<project ID>
//   <project name, cut at kQrNameLimit bytes>
//   ZZJ:<CRC-32 of ID.zzj> ZJ:<CRC-32 of ID.zj>
//   未存盘                  (only for an unsaved form)
std::string FormQrText(const ApplicationForm& form);

// The small text printed under the code, UTF-8: the code's lines but the
// name, each checksum on a line of its own.
std::string FormQrCaption(const ApplicationForm& form);

}  // namespace shenbao
