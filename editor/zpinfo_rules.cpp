#include "editor/zpinfo_rules.h"

#include <QCollator>
#include <QLineEdit>
#include <QLocale>
#include <algorithm>
#include <array>
#include <limits>

#include "gui/text.h"
#include "store/code_table.h"

namespace shenbao {

namespace {

// 120 Chinese characters of two bytes each.
constexpr std::size_t kCounterLimit = 240;

const QColor kCounterBlue(0, 0, 255);
const QColor kCounterRed(255, 0, 0);

}  // namespace

QString InitialCounterText() {
    return QStringLiteral("您输入了0个汉字");
}

ContentCounter CountResearchContent(std::size_t bytes) {
    if (bytes <= kCounterLimit) {
        return {QStringLiteral("您已经输入了约%1个汉字").arg(bytes / 2), kCounterBlue};
    }
    return {QStringLiteral("您输入的内容超过了120个汉字!"), kCounterRed};
}

std::string StoredResearchContent(const QString& shown) {
    QString text = shown;
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return ToGbk(text);
}

QString ShownResearchContent(std::string_view stored) {
    QString text = FromGbk(stored);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

std::vector<ContentLine> SplitResearchContent(std::string_view stored) {
    // The characters other than CR and LF at which the multi-line field
    // starts a new paragraph: they come only from GB18030 bytes.
    static const QString kParagraphEnds = QStringLiteral("\u2029\uFDD0\uFDD1");

    std::vector<ContentLine> lines;
    const auto addLine = [&lines](std::string breakBefore, std::string_view bytes) {
        const QString shown = FromGbk(bytes);
        qsizetype from = 0;
        for (qsizetype i = 0; i < shown.size(); ++i) {
            if (!kParagraphEnds.contains(shown.at(i))) {
                continue;
            }
            const QString piece = shown.mid(from, i - from);
            lines.push_back({std::move(breakBefore), ToGbk(piece), piece});
            breakBefore = ToGbk(QString(shown.at(i)));
            from = i + 1;
        }
        if (from == 0) {
            lines.push_back({std::move(breakBefore), std::string(bytes), shown});
        } else {
            const QString piece = shown.mid(from);
            lines.push_back({std::move(breakBefore), ToGbk(piece), piece});
        }
    };

    std::string breakBefore;
    std::size_t begin = 0;
    for (std::size_t i = 0; i < stored.size(); ++i) {
        const char c = stored[i];
        if (c != '\r' && c != '\n') {
            continue;
        }
        addLine(std::move(breakBefore), stored.substr(begin, i - begin));
        if (c == '\r' && i + 1 < stored.size() && stored[i + 1] == '\n') {
            breakBefore = "\r\n";
            ++i;
        } else {
            breakBefore = std::string(1, c);
        }
        begin = i + 1;
    }
    addLine(std::move(breakBefore), stored.substr(begin));
    return lines;
}

bool IsEnterKey(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

void LiftLengthLimit(QLineEdit* edit) {
    edit->setMaxLength(std::numeric_limits<int>::max());
}

int NextMemberColumn(int column) {
    return column >= static_cast<int>(kMemberCellCount) - 1 ? 0 : column + 1;
}

QStringList SortedDepartmentNames(const std::vector<std::string>& table) {
    QStringList names;
    names.reserve(static_cast<qsizetype>(table.size()));
    for (const std::string& entry : table) {
        names << FromGbk(DepartmentName(entry));
    }
    QCollator collator(QLocale(QLocale::Chinese, QLocale::China));
    std::stable_sort(names.begin(), names.end(), [&collator](const QString& a, const QString& b) {
        return collator.compare(a, b) < 0;
    });
    return names;
}

QString FieldCaption(std::size_t field) {
    static const std::array<const char16_t*, kFieldCount> captions = {
        u"项目名称",
        u"计划类别",
        u"起止时间",
        u"项目领域",
        u"申报日期",
        u"预期成果主要形式",
        u"项目来源",
        u"项目申请人",
        u"项目申请人联系电话",
        u"申请经费（万元）",
        u"国家拨款",
        u"省拨款",
        u"部门或地方匹配",
        u"贷款",
        u"单位自筹",
        u"其他",
        u"主管部门编码",
        u"主管部门",
        u"项目所在地",
        u"单位名称",
        u"单位性质",
        u"单位负责人",
        u"企业登记注册类型",
        u"负责人电话",
        u"地址",
        u"邮编",
        u"单位联系人",
        u"联系人电话",
        u"传真",
        u"E-Mail地址",
        u"单位网址",
        u"职工总数",
        u"技术人员数",
        u"中高级技术人员数",
        u"开户银行",
        u"银行帐号",
        u"项目主要研究、开发内容",
        u"序号",
    };
    return field < captions.size() ? QString::fromUtf16(captions[field]) : QString();
}

QString MemberColumnHeading(std::size_t cell) {
    static const std::array<const char16_t*, kMemberCellCount> headings = {
        u"姓名", u"性别", u"出生年月", u"学历", u"职务（职称）", u"现工作单位"};
    return cell < headings.size() ? QString::fromUtf16(headings[cell]) : QString();
}

QString ViolationMessage(const RecordTextViolation& violation) {
    QString where;
    if (violation.field) {
        where = QStringLiteral("“%1”").arg(FieldCaption(*violation.field));
    } else {
        where = QStringLiteral("主要参加人第%1行的“%2”")
                    .arg(violation.memberRow)
                    .arg(MemberColumnHeading(violation.memberCell));
    }
    const QString after = QStringLiteral("，项目未存盘。请修改后再存盘。");
    if (violation.forbidden == "\t") {
        return where + QStringLiteral("中含有不允许的“Tab 制表符”") + after;
    }
    if (violation.forbidden == "~@") {
        return where + QStringLiteral("不能以“~@”结尾") + after;
    }
    return where + QStringLiteral("中含有不允许的文字“%1”").arg(FromGbk(violation.forbidden)) +
           after;
}

}  // namespace shenbao
