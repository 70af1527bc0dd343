#pragma once

// Byte-string helpers shared by every reader and comparer of stored text.
// Stored text is GBK: lengths and positions count bytes, comparisons are on
// unsigned bytes, and trimming removes bytes of code 32 or less.

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

// Whether two names are equal when ASCII letters A-Z and a-z count alike
// (file names on systems that ignore letter case).
bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b);

// Reads a decimal floating-point number that fills `text` entirely: optional
// leading blanks, optional sign, digits with an optional "." and fraction
// (at least one digit in all), optional exponent. "." is the decimal point
// whatever the locale. Any other text, the empty text included, reads as 0.
double ParseDecimal(std::string_view text);

// Splits a file's content into lines; a line ends at CR LF, LF or a lone CR.
// A final line end does not start another line.
std::vector<std::string> SplitLines(std::string_view content);

// Joins the lines of a file without their line ends (removes every CR and LF).
std::string JoinLines(std::string_view content);

}  // namespace shenbao
