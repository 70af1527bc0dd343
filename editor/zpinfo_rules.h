#pragma once

// The project editor's rules apart from the form: the research content
// counter, the stored form of the research content, the keys that count as
// Enter and the member grid's Enter step, fields without a length limit, the
// sorted department list, and the message that refuses text which would not
// read back as it was saved.

#include <QColor>
#include <QString>
#include <QStringList>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "store/project_record.h"

class QLineEdit;

namespace shenbao {

// The counter under the research content: its text and its colour.
struct ContentCounter {
    QString text;
    QColor color;
};

// The counter's text before the first change of the research content.
QString InitialCounterText();
// Blue "您已经输入了约N个汉字" up to 240 bytes, red warning beyond.
ContentCounter CountResearchContent(std::size_t bytes);

// Typed research content as stored: the editor's line breaks ("\n") become
// CR LF, then GBK.
std::string StoredResearchContent(const QString& shown);
// The research content as the editor shows it: each stored line break (CR
// LF, a lone CR or a lone LF) becomes one "\n".
QString ShownResearchContent(std::string_view stored);

// One line of a stored research content: the line break before it as it is
// stored (empty for the first line), the line's own bytes, and the line as
// the editor shows it.
struct ContentLine {
    std::string breakBefore;
    std::string stored;
    QString shown;
    bool operator==(const ContentLine&) const = default;
};

// The stored research content cut into the lines the editor shows: at CR LF,
// a lone LF and a lone CR, and at the characters that the multi-line field
// also takes for the end of a paragraph. Joining each line's break and bytes
// gives the stored text back.
std::vector<ContentLine> SplitResearchContent(std::string_view stored);

// Whether `key` is Enter (the main key or the keypad's).
bool IsEnterKey(int key);

// The fields take texts of any length; a line edit would cut them at 32767
// characters, also a stored text put into it.
void LiftLengthLimit(QLineEdit* edit);

// Enter in the member grid: the next column, back to the first after the
// last; the row stays.
int NextMemberColumn(int column);

// The names of the department entries (each without its first four bytes),
// sorted as Simplified Chinese is sorted.
QStringList SortedDepartmentNames(const std::vector<std::string>& table);

// The caption that names field `field` in messages (the form's caption
// without its layout blanks).
QString FieldCaption(std::size_t field);
// The column heading of member cell `cell` ("姓名" ... "现工作单位").
QString MemberColumnHeading(std::size_t cell);

// The plain message that refuses to save a record with `violation`: it names
// the field by its caption, or the member row and column, and the text.
QString ViolationMessage(const RecordTextViolation& violation);

}  // namespace shenbao
