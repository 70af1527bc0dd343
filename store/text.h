#pragma once

// Byte-string helpers shared by every reader and comparer of stored text.
// Stored text is GBK: lengths and positions count bytes, comparisons are on
// unsigned bytes, and trimming removes bytes of code 32 or less.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace shenbao {

inline constexpr std::string_view kCrLf = "\r\n";

// Removes leading and trailing bytes whose code is 32 or less (blanks and
// control characters). Inner blanks and the two-byte ideographic blank stay.
std::string_view Trim(std::string_view text);

// Byte-wise comparison on unsigned bytes; a leading part sorts first.
// Returns <0, 0 or >0.
int CompareBytes(std::string_view a, std::string_view b);

// Whether `text` is, in its whole length, a number as amounts and serial
// numbers are typed: optional leading blanks, an optional sign, one or more
// digits, optionally "." followed by one or more digits, optionally an
// exponent (e or E, an optional sign, one or more digits). "5." and ".5" are
// not numbers; "." is the decimal point whatever the locale.
bool IsDecimalNumber(std::string_view text);

// The parts of a number that IsDecimalNumber accepts, as views into its text.
struct DecimalParts {
    bool negative = false;
    std::string_view whole;     // digits before "."
    std::string_view fraction;  // digits after "." (none without a ".")
    bool exponentNegative = false;
    std::string_view exponent;  // digits of the exponent (none without one)
};

// Splits `text` into the parts of its number, or nothing when IsDecimalNumber
// refuses it. The one reader of the number rule: every other reader of
// numbers takes its parts from here.
std::optional<DecimalParts> ScanDecimal(std::string_view text);

// The value of a text that IsDecimalNumber accepts; any other text, the
// empty text included, and a number beyond the range of a double read as 0.
double ParseDecimal(std::string_view text);

// The mark a Windows text editor puts before the text of a file it saves in
// UTF-8. Every reader of the program's text files drops it.
inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// `content` without a leading byte-order mark.
std::string_view WithoutByteOrderMark(std::string_view content);

// Whether a reader drops a leading byte-order mark. Files that people may
// have saved with another editor drop it; a file that only this program
// writes and reads back keeps every byte, since in GBK the same three bytes
// may begin a text ("锘" and the first byte of the next character).
enum class LeadingMark { Drop, Keep };

// Splits a file's content into lines; a line ends at CR LF, LF or a lone CR.
// A final line end does not start another line. A leading byte-order mark is
// no part of the first line unless `mark` keeps it.
std::vector<std::string> SplitLines(std::string_view content,
                                    LeadingMark mark = LeadingMark::Drop);

// Joins the lines of a file without their line ends (removes every CR and LF
// and a leading byte-order mark).
std::string JoinLines(std::string_view content);

}  // namespace shenbao
