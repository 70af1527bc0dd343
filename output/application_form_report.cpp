#include "output/application_form_report.h"

#include <qrencode.h>

#include <QPainter>
#include <QPainterPath>
#include <array>
#include <memory>
#include <utility>

#include "gui/fonts.h"
#include "gui/text.h"
#include "gui/window.h"
#include "output/print_report.h"
#include "output/printa.h"
#include "platform/platform.h"
#include "report/preview.h"
#include "store/text.h"

namespace shenbao {

namespace {

// Portrait A4 with margins of 15 mm at the sides and 12 mm at top and
// bottom: bands 180 mm wide.
constexpr double kWidth = 180;

// A ruled row: its cells' text stands this far inside the rules.
constexpr double kPad = 1.2;
constexpr double kCellTop = 1.25;
constexpr double kCellHeight = 4.5;
constexpr double kRowHeight = 7;

// Captions and values of the rows, from the left edge (mm).
constexpr double kCaptionWidth = 33;
constexpr double kValueWidth = (kWidth - 2 * kCaptionWidth) / 2;
constexpr double kRightHalf = kCaptionWidth + kValueWidth;

constexpr std::array<double, kMemberCellCount> kMemberWidths = {24, 12, 22, 22, 36, 64};

// The QR code in the title's top right corner, its caption under it. The
// white of the page's margin and of the title band completes the quiet zone
// around the symbol.
constexpr double kQrSize = 28;
constexpr double kQrLeft = kWidth - kQrSize;
constexpr unsigned kUtf8Eci = 26;

// The values of a form's section row: what the title and footer show.
namespace SectionValue {
constexpr int FooterId = 0;
constexpr int QrText = 1;
constexpr int QrCaption = 2;
constexpr int Unsaved = 3;
constexpr int Count = 4;
}  // namespace SectionValue

// A cell of a ruled row from `left` to `left + width`, showing value `data`;
// it grows with its text, and the row with it.
report::Field Cell(const QString& name, int data, double left, double width) {
    report::Field field = DataField(TextField(name, QString(), left + kPad, kCellTop,
                                              width - 2 * kPad, kCellHeight, SongPointFont(9)),
                                    data);
    field.grows = true;
    return field;
}

report::Band RuledRow(std::vector<double> rules) {
    report::Band band;
    band.height = kRowHeight;
    band.ruleBottom = true;
    band.columnRules = std::move(rules);
    return band;
}

report::Band TitleBand() {
    report::Band title;
    title.height = 38;
    report::Field heading =
        FittedField(FormTitleField(), QString::fromUtf8(kFormTitle), 0, 10, SongPointFont(18, true));
    heading.centred = true;
    title.fields.push_back(heading);

    title.fields.push_back(
        DataField(FittedField(FormUnsavedField(), QString(), 0, 2, SongPointFont(14, true)),
                  SectionValue::Unsaved));

    report::Field code;
    code.name = FormQrField();
    code.kind = report::FieldKind::Picture;
    code.data = SectionValue::QrText;
    code.makePicture = &QrCodePicture;
    code.left = kQrLeft;
    code.width = kQrSize;
    code.height = kQrSize;
    title.fields.push_back(code);

    report::Field caption = DataField(TextField(FormQrCaptionField(), QString(), kQrLeft + 2,
                                                kQrSize + 1, kQrSize - 2, 2.5, SongPointFont(6)),
                                      SectionValue::QrCaption);
    caption.grows = true;
    title.fields.push_back(caption);
    return title;
}

report::Band FooterBand() {
    report::Band footer;
    footer.height = 8;
    footer.ruleTop = true;
    footer.fields.push_back(
        DataField(FittedField(FormFooterIdField(), QString(), 0, 2, SongPointFont(8)),
                  SectionValue::FooterId));
    report::Field page =
        FittedField(FormPageField(), QStringLiteral("第 %1 页 共 %2 页"), 0, 1.8, SongPointFont(9));
    page.kind = report::FieldKind::PageNumber;
    page.centred = true;
    footer.fields.push_back(page);
    footer.fields.push_back(FittedField(QStringLiteral("PrintedAtCaption"),
                                        QStringLiteral("打印时间："), 128, 2, SongPointFont(8)));
    report::Field at =
        FittedField(QStringLiteral("PrintedAt"), QString(), 142, 2, SongPointFont(8));
    at.kind = report::FieldKind::DateTime;
    footer.fields.push_back(at);
    return footer;
}

report::Band GroupBand() {
    report::Band band = RuledRow({0, kWidth});
    band.height = 8;
    band.ruleTop = true;
    band.heading = true;
    report::Field title = Cell(QStringLiteral("Group"), 0, 0, kWidth);
    title.top = 1.5;
    title.height = 5;
    title.font = SongPointFont(10, true);
    band.fields.push_back(title);
    return band;
}

report::Band PairBand() {
    report::Band band =
        RuledRow({0, kCaptionWidth, kRightHalf, kRightHalf + kCaptionWidth, kWidth});
    band.fields.push_back(Cell(QStringLiteral("Caption1"), 0, 0, kCaptionWidth));
    band.fields.push_back(Cell(QStringLiteral("Value1"), 1, kCaptionWidth, kValueWidth));
    band.fields.push_back(Cell(QStringLiteral("Caption2"), 2, kRightHalf, kCaptionWidth));
    band.fields.push_back(
        Cell(QStringLiteral("Value2"), 3, kRightHalf + kCaptionWidth, kValueWidth));
    return band;
}

report::Band WideBand() {
    report::Band band = RuledRow({0, kCaptionWidth, kWidth});
    band.fields.push_back(Cell(QStringLiteral("Caption1"), 0, 0, kCaptionWidth));
    band.fields.push_back(Cell(QStringLiteral("Value1"), 1, kCaptionWidth, kWidth - kCaptionWidth));
    return band;
}

// The member table's heading (`heading`: the fixed column headings) or its
// row of six values.
report::Band MemberBand(bool heading) {
    std::vector<double> rules = {0};
    double left = 0;
    for (const double width : kMemberWidths) {
        left += width;
        rules.push_back(left);
    }
    report::Band band = RuledRow(rules);
    band.heading = heading;
    for (std::size_t c = 0; c < kMemberCellCount; ++c) {
        report::Field cell = Cell(QStringLiteral("Member%1").arg(c), static_cast<int>(c), rules[c],
                                  kMemberWidths[c]);
        if (heading) {
            cell.kind = report::FieldKind::Text;
            cell.text = FromGbk(MemberHeadings()[c]);
        }
        band.fields.push_back(cell);
    }
    return band;
}

report::Band ContentBand() {
    report::Band band = RuledRow({0, kWidth});
    band.height = 40;
    band.breakable = true;
    report::Field content = Cell(QStringLiteral("Content"), 0, 0, kWidth);
    content.left = 2.5;
    content.top = 2;
    content.width = kWidth - 5;
    content.height = 36;
    content.font = SongPointFont(10);
    band.fields.push_back(content);
    return band;
}

report::Band SignatureBand() {
    report::Band band;
    band.height = 50;
    band.standalone = true;
    constexpr double kTop = 6;
    constexpr double kGap = 3;
    constexpr double kBox = (kWidth - 2 * kGap) / 3;
    constexpr double kBoxHeight = 42;
    const std::array<QString, 3> captions = {QStringLiteral("项目申请人（签字）"),
                                             QStringLiteral("申报单位（盖章）"),
                                             QStringLiteral("主管部门意见（盖章）")};
    for (int i = 0; i < 3; ++i) {
        const double left = i * (kBox + kGap);
        report::Field box = TextField(QStringLiteral("Sign%1").arg(i + 1), QString(), left, kTop,
                                      kBox, kBoxHeight, SongPointFont(10));
        box.frame = true;
        box.opaque = false;
        band.fields.push_back(box);
        band.fields.push_back(FittedField(QStringLiteral("SignCaption%1").arg(i + 1),
                                          captions[static_cast<std::size_t>(i)], left + 2.5,
                                          kTop + 2.5, SongPointFont(10)));
        report::Field date =
            TextField(QStringLiteral("SignDate%1").arg(i + 1), QStringLiteral("年　　月　　日"),
                      left + 2.5, kTop + kBoxHeight - 7.5, kBox - 6, 5, SongPointFont(10));
        date.alignRight = true;
        band.fields.push_back(date);
    }
    return band;
}

// One row of a form as the source hands it out.
struct FormLine {
    int band = -1;
    bool newSection = false;
    std::vector<QString> values;
};

// The rows of one form, from its section row to the signatures.
std::vector<FormLine> FormLines(const ApplicationForm& form, const FormCodes& codes) {
    std::vector<FormLine> lines;
    std::vector<QString> section(SectionValue::Count);
    section[SectionValue::FooterId] = QStringLiteral("项目ID号：") + FromGbk(form.id);
    section[SectionValue::QrText] = QString::fromStdString(FormQrText(form));
    section[SectionValue::QrCaption] = QString::fromStdString(FormQrCaption(form));
    section[SectionValue::Unsaved] = form.unsaved ? QString::fromUtf8(kUnsavedMark) : QString();
    lines.push_back({-1, true, std::move(section)});

    const auto value = [&](std::size_t field) {
        return FromGbk(field == kFormIdItem ? form.id : FormValue(codes, form.record, field));
    };
    for (const FormGroup& group : FormGroups()) {
        lines.push_back({FormBand::Group, false, {FromGbk(group.title)}});
        for (const FormRow& row : group.rows) {
            FormLine line{row.wide ? FormBand::Wide : FormBand::Pair, false, {}};
            for (const FormItem& item : row.items) {
                line.values.push_back(FromGbk(item.caption));
                line.values.push_back(value(item.field));
            }
            lines.push_back(std::move(line));
        }
    }

    lines.push_back({FormBand::Group, false, {QString::fromUtf8(kMemberGroupTitle)}});
    lines.push_back({FormBand::MemberHeading, false, {}});
    for (const std::size_t r : PrintedMemberRows(form.record)) {
        FormLine line{FormBand::Member, false, {}};
        for (const std::string& cell : form.record.Members[r].Cells) {
            line.values.push_back(FromGbk(cell));
        }
        lines.push_back(std::move(line));
    }

    lines.push_back({FormBand::Group, false, {QString::fromUtf8(kResearchContentCaption)}});
    lines.push_back(
        {FormBand::Content, false, {FromGbk(form.record.Fields[Field::ResearchContent])}});
    lines.push_back({FormBand::Signatures, false, {}});
    return lines;
}

}  // namespace

QString FormTitleField() {
    return QStringLiteral("Title");
}
QString FormUnsavedField() {
    return QStringLiteral("Unsaved");
}
QString FormQrField() {
    return QStringLiteral("QrCode");
}
QString FormQrCaptionField() {
    return QStringLiteral("QrCaption");
}
QString FormFooterIdField() {
    return QStringLiteral("FooterId");
}
QString FormPageField() {
    return QStringLiteral("FormPage");
}

report::ReportDefinition ApplicationFormReport() {
    report::ReportDefinition definition;
    definition.name = QString::fromUtf8(kFormTitle);
    definition.page.paper = QPageSize::A4;
    definition.page.orientation = QPageLayout::Portrait;
    definition.page.margins = QMarginsF(15, 12, 15, 12);
    definition.title = TitleBand();
    definition.pageFooter = FooterBand();
    definition.bands.resize(7);
    definition.bands[FormBand::Group] = GroupBand();
    definition.bands[FormBand::Pair] = PairBand();
    definition.bands[FormBand::Wide] = WideBand();
    definition.bands[FormBand::MemberHeading] = MemberBand(true);
    definition.bands[FormBand::Member] = MemberBand(false);
    definition.bands[FormBand::Content] = ContentBand();
    definition.bands[FormBand::Signatures] = SignatureBand();
    return definition;
}

report::ReportSource ApplicationFormSource(const std::filesystem::path& dataDir, std::size_t count,
                                           std::function<ApplicationForm(std::size_t)> formAt) {
    struct Run {
        std::filesystem::path dataDir;
        std::size_t count = 0;
        std::function<ApplicationForm(std::size_t)> formAt;
        FormCodes codes;
        std::size_t next = 0;  // the form to make next
        std::vector<FormLine> lines;
        std::size_t cursor = 0;
    };
    auto run = std::make_shared<Run>();
    run->dataDir = dataDir;
    run->count = count;
    run->formAt = std::move(formAt);

    report::ReportSource source;
    source.sections = static_cast<int>(count);
    source.beforeRun = [run] {
        run->next = 0;
        run->lines.clear();
        run->cursor = 0;
        run->codes = ReadFormCodes(run->dataDir);
    };
    source.nextRow = [run](report::ReportRow& row) {
        if (run->cursor == run->lines.size()) {
            if (run->next == run->count) {
                return false;
            }
            run->lines = FormLines(run->formAt(run->next++), run->codes);
            run->cursor = 0;
        }
        FormLine& line = run->lines[run->cursor++];
        row.band = line.band;
        row.newSection = line.newSection;
        for (std::size_t i = 0; i < line.values.size() && i < row.values.size(); ++i) {
            row.values[i] = std::move(line.values[i]);
        }
        return true;
    };
    return source;
}

QPicture QrCodePicture(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    // The ECI designator 26 says "UTF-8": without it readers guess, and some
    // take a short Chinese text for Shift JIS.
    QPicture picture;
    QRinput* input = QRinput_new2(0, QR_ECLEVEL_M);
    if (input == nullptr) {
        return picture;
    }
    QRcode* code = nullptr;
    if (QRinput_appendECIheader(input, kUtf8Eci) == 0 &&
        QRinput_append(input, QR_MODE_8, static_cast<int>(bytes.size()),
                       reinterpret_cast<const unsigned char*>(bytes.constData())) == 0) {
        code = QRcode_encodeInput(input);
    }
    QRinput_free(input);
    if (code == nullptr) {
        return picture;
    }
    // Ten units a module; the dark modules of each line as runs. Of the quiet
    // zone the drawing holds two modules; the white around it gives more.
    constexpr int kUnit = 10;
    constexpr int kQuiet = 2;
    const int width = code->width;
    QPainterPath dark;
    dark.setFillRule(Qt::WindingFill);
    for (int y = 0; y < width; ++y) {
        const unsigned char* line = code->data + static_cast<std::ptrdiff_t>(y) * width;
        for (int x = 0; x < width;) {
            if ((line[x] & 1u) == 0) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < width && (line[x] & 1u) != 0) {
                ++x;
            }
            dark.addRect((kQuiet + start) * kUnit, (kQuiet + y) * kUnit, (x - start) * kUnit,
                         kUnit);
        }
    }
    QRcode_free(code);
    {
        QPainter painter(&picture);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::black);
        painter.drawPath(dark);
    }
    const int side = (width + 2 * kQuiet) * kUnit;
    picture.setBoundingRect(QRect(0, 0, side, side));
    return picture;
}

std::filesystem::path SingleFormPdfPath(const std::filesystem::path& dataDir,
                                        const std::string& id) {
    const std::optional<std::filesystem::path> path =
        platform::FileIn(dataDir, Trim(id), ".pdf");
    return path ? *path : dataDir / kFormsPdfName;
}

void PreviewApplicationForms(QWidget* parent, const std::filesystem::path& dataDir,
                             std::size_t count, std::function<ApplicationForm(std::size_t)> formAt,
                             const std::filesystem::path& pdfPath) {
    const report::ReportDefinition definition = ApplicationFormReport();
    const report::ReportSource source = ApplicationFormSource(dataDir, count, std::move(formAt));
    report::ShowPreview(parent, definition, source, [&](QWidget* window) {
        // A form that cannot be read stops the job with the error box.
        RunGuarded(window, [&] {
            PrintOrWritePdf(window, definition, source, pdfPath, QStringLiteral("申报表"));
        });
    });
}

void ShowCurrentApplicationForm(QWidget* parent, const std::filesystem::path& dataDir,
                                const std::vector<ListRow>& rows, int row) {
    if (row < 1 || static_cast<std::size_t>(row) > rows.size()) {
        return;
    }
    const std::string id = rows[static_cast<std::size_t>(row - 1)][ListColumn::Id];
    PreviewApplicationForms(
        parent, dataDir, 1, [dataDir, id](std::size_t) { return ReadApplicationForm(dataDir, id); },
        SingleFormPdfPath(dataDir, id));
}

void ShowShownApplicationForms(QWidget* parent, const std::filesystem::path& dataDir,
                               const std::vector<ListRow>& rows) {
    if (rows.empty()) {
        return;
    }
    std::vector<std::string> ids;
    ids.reserve(rows.size());
    for (const ListRow& row : rows) {
        ids.push_back(row[ListColumn::Id]);
    }
    const std::size_t count = ids.size();
    PreviewApplicationForms(
        parent, dataDir, count,
        [dataDir, ids = std::move(ids)](std::size_t i) {
            return ReadApplicationForm(dataDir, ids[i]);
        },
        dataDir / kFormsPdfName);
}

void ShowEditedApplicationForm(QWidget* parent, const std::filesystem::path& dataDir,
                               const std::string& id, const TProjectRecord& record) {
    PreviewApplicationForms(
        parent, dataDir, 1,
        [dataDir, id, record](std::size_t) { return EditedApplicationForm(dataDir, id, record); },
        SingleFormPdfPath(dataDir, id));
}

}  // namespace shenbao
