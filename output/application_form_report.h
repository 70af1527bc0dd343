#pragma once

// The printed application form of a project (澄川省科技计划项目申报表) on
// portrait A4, through the report engine: one section per project, each
// starting on a new page with the title, the QR code of the project in the
// top right corner (core/application_form.h) and "未存盘" where the paper
// does not show the stored files; the fields in ruled rows grouped as the
// editor groups them, the member table, the research content in a box of
// its own and the block for signatures and stamps. Every page's footer
// names the project and counts the pages of its form.
//
// The commands of the main window (报表 - 打印申报表, 打印全部显示项目的申报表)
// and the editor's button open the forms in the preview, from which they are
// printed, or written into a PDF in the data directory when no printer is
// installed.

#include <QPicture>
#include <QString>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/application_form.h"
#include "core/project_rows.h"
#include "report/report.h"

class QWidget;

namespace shenbao {

// The detail bands of the form, indices into ReportDefinition::bands.
namespace FormBand {
inline constexpr int Group = 0;          // a group's title (a table heading)
inline constexpr int Pair = 1;           // two captions with their values
inline constexpr int Wide = 2;           // one caption with its value across
inline constexpr int MemberHeading = 3;  // the six member column headings
inline constexpr int Member = 4;         // one member row
inline constexpr int Content = 5;        // the research content's box
inline constexpr int Signatures = 6;     // signatures and stamps
}  // namespace FormBand

// Names of the form's fields, for finding them in the laid-out pages.
// Cells of a row are "Caption1", "Value1", "Caption2", "Value2"; member
// cells "Member0".."Member5"; the group title "Group"; the research content
// "Content"; the signature boxes "Sign1".."Sign3".
QString FormTitleField();
QString FormUnsavedField();
QString FormQrField();
QString FormQrCaptionField();
QString FormFooterIdField();
QString FormPageField();

// The report of the forms.
report::ReportDefinition ApplicationFormReport();

// The rows of the forms of `count` projects, in order. Form i is made by
// `formAt(i)` when its turn comes, so a run of thousands of forms holds one
// project at a time; the code table of `dataDir` is read once per run. An
// IoError of either ends the run and is thrown on.
report::ReportSource ApplicationFormSource(const std::filesystem::path& dataDir, std::size_t count,
                                           std::function<ApplicationForm(std::size_t)> formAt);

// The QR code of `text` (UTF-8 bytes marked as such by the ECI designator
// 26, error correction level M) as a
// drawing: the dark modules within a margin of two modules (the white around
// the drawing completes the quiet zone), its bounding rectangle the whole.
// Null when no QR code holds the text.
QPicture QrCodePicture(const QString& text);

// Where the form of the project `id` goes when no printer is installed:
// "<ID>.pdf" in the data directory (tarvok09.pdf for an ID that names no
// file there).
std::filesystem::path SingleFormPdfPath(const std::filesystem::path& dataDir,
                                        const std::string& id);

// The preview of `count` forms over `parent`; its print action prints them
// on the default printer or writes them into `pdfPath`.
void PreviewApplicationForms(QWidget* parent, const std::filesystem::path& dataDir,
                             std::size_t count, std::function<ApplicationForm(std::size_t)> formAt,
                             const std::filesystem::path& pdfPath);

// 报表 - 打印申报表: the stored form of the project in row `row` (1..N) of
// `rows`; nothing when there is no such row. Throws IoError.
void ShowCurrentApplicationForm(QWidget* parent, const std::filesystem::path& dataDir,
                                const std::vector<ListRow>& rows, int row);

// 报表 - 打印全部显示项目的申报表: the stored forms of every row, in list
// order, into tarvok09.pdf without a printer; nothing for no rows. Throws
// IoError.
void ShowShownApplicationForms(QWidget* parent, const std::filesystem::path& dataDir,
                               const std::vector<ListRow>& rows);

// The editor's button "打印申报表": the form of `record` (what the editor's
// fields hold) for the project `id` (GBK), marked "未存盘" unless the stored
// files hold exactly that. Throws IoError.
void ShowEditedApplicationForm(QWidget* parent, const std::filesystem::path& dataDir,
                               const std::string& id, const TProjectRecord& record);

}  // namespace shenbao
