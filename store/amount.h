#pragma once

// Amounts typed as text (the funds fields, in 万元) read exactly, for sums
// that must come out to the last digit a clerk would write down.
//
// Which texts are numbers is the one rule of the amount query: the trimmed
// cell read by ScanDecimal (store/text.h). "5." and ".5" are not numbers.
//
// A number is held in ten-thousandths of its unit (for 万元 that is the
// yuan), as an integer, so adding never loses a digit as binary floating
// point would (0.1 + 0.2 stays 0.3).

#include <cstdint>
#include <string>
#include <string_view>

namespace shenbao {

// Ten-thousandths of an amount's unit. Sums are kept in 128 bits: no store
// can make them overflow, since every single amount is below 10^18 units.
__extension__ typedef __int128 AmountUnits;

inline constexpr int kAmountDecimals = 4;
inline constexpr std::int64_t kUnitsPerWhole = 10000;

struct AmountCell {
    enum Kind {
        Empty,      // nothing typed (blanks only): counts 0, is no error
        Number,     // `units` holds the value
        NotNumber,  // counts 0 and is pointed out to the user
    };
    Kind kind = Empty;
    std::int64_t units = 0;
};

// Reads one amount cell.
//
// A number with more than four decimals (after its exponent is applied) is
// rounded to four by the national rule for rounding figures, GB/T 8170:
// beyond the half up, below it down, an exact half to the even last digit
// (12.34565 -> 12.3456, 12.34575 -> 12.3458). It stays a number: a clerk
// who typed 0.123456 万元 asked for that money, and dropping it from the sum
// would be far worse than a rounding below one yuan. Every cell is rounded
// before it is added, so a summary table always adds up row by row.
//
// A number of 10^14 or more (in either direction) is not an amount anyone
// asks for but a slip of the keyboard ("1e30"); it counts as not a number,
// so that the user is shown it.
AmountCell ReadAmount(std::string_view text);

// `units` as a decimal with up to four decimals, trailing zeros and a bare
// "." dropped: 125000 -> "12.5", 0 -> "0", -5 -> "-0.0005".
std::string FormatAmount(AmountUnits units);

// The amount as a floating-point value, for drawing only (never for sums).
double AmountToDouble(AmountUnits units);

}  // namespace shenbao
