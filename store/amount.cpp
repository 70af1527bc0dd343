#include "store/amount.h"

#include <algorithm>

#include "store/text.h"

namespace shenbao {

namespace {

// Units below this bound (10^18, i.e. 10^14 of the amount's unit) are amounts.
constexpr int kMaxUnitDigits = 18;

}  // namespace

AmountCell ReadAmount(std::string_view text) {
    const std::string_view trimmed = Trim(text);
    AmountCell cell;
    if (trimmed.empty()) {
        return cell;
    }
    const std::optional<DecimalParts> scanned = ScanDecimal(trimmed);
    if (!scanned) {
        cell.kind = AmountCell::NotNumber;
        return cell;
    }
    const DecimalParts& parts = *scanned;
    cell.kind = AmountCell::Number;

    // The value is digits x 10^shift units, with the digits of the whole
    // and fractional part side by side, leading zeros dropped.
    std::string digits;
    digits.reserve(parts.whole.size() + parts.fraction.size());
    digits.append(parts.whole);
    digits.append(parts.fraction);
    const std::size_t firstNonZero = digits.find_first_not_of('0');
    if (firstNonZero == std::string::npos) {
        return cell;  // zero, whatever its exponent
    }
    digits.erase(0, firstNonZero);

    // Exponents far beyond any amount are held at a bound that still makes
    // the value too large or round to zero, so nothing overflows below.
    constexpr std::int64_t kExponentBound = 1'000'000'000;
    std::int64_t exponent = 0;
    for (char c : parts.exponent) {
        exponent = std::min<std::int64_t>(exponent * 10 + (c - '0'), kExponentBound);
    }
    if (parts.exponentNegative) {
        exponent = -exponent;
    }
    const std::int64_t length = static_cast<std::int64_t>(digits.size());
    const std::int64_t shift =
        exponent - static_cast<std::int64_t>(parts.fraction.size()) + kAmountDecimals;

    // Digits kept as units, and whether to round the last of them up.
    std::int64_t keep = length + std::min<std::int64_t>(shift, 0);
    bool roundUp = false;
    if (keep < 0) {
        keep = 0;  // below a tenth of a unit: rounds to 0
    } else if (keep < length) {
        const char first = digits[static_cast<std::size_t>(keep)];
        const bool restNonZero =
            digits.find_first_not_of('0', static_cast<std::size_t>(keep) + 1) != std::string::npos;
        if (first > '5' || (first == '5' && restNonZero)) {
            roundUp = true;
        } else if (first == '5') {
            // An exact half goes to the even digit.
            roundUp = keep > 0 && (digits[static_cast<std::size_t>(keep) - 1] - '0') % 2 == 1;
        }
    }
    const std::int64_t zeros = std::max<std::int64_t>(shift, 0);
    if (keep + zeros > kMaxUnitDigits) {
        cell.kind = AmountCell::NotNumber;
        return cell;
    }
    std::int64_t units = 0;
    for (std::int64_t i = 0; i < keep; ++i) {
        units = units * 10 + (digits[static_cast<std::size_t>(i)] - '0');
    }
    for (std::int64_t i = 0; i < zeros; ++i) {
        units *= 10;
    }
    if (roundUp) {
        ++units;
    }
    constexpr std::int64_t kUnitBound = 1'000'000'000'000'000'000;  // 10^18
    if (units >= kUnitBound) {
        cell.kind = AmountCell::NotNumber;
        return cell;
    }
    cell.units = parts.negative ? -units : units;
    return cell;
}

std::string FormatAmount(AmountUnits units) {
    const bool negative = units < 0;
    // Digits from the last; the magnitude of the lowest value is taken
    // digit by digit so that negating never overflows.
    std::string reversed;
    AmountUnits rest = units;
    do {
        const int digit = static_cast<int>(rest % 10);
        reversed.push_back(static_cast<char>('0' + (digit < 0 ? -digit : digit)));
        rest /= 10;
    } while (rest != 0);
    while (reversed.size() <= static_cast<std::size_t>(kAmountDecimals)) {
        reversed.push_back('0');
    }
    std::string fraction(
        reversed.rbegin() + static_cast<std::ptrdiff_t>(reversed.size()) - kAmountDecimals,
        reversed.rend());
    std::string whole(
        reversed.rbegin(),
        reversed.rbegin() + static_cast<std::ptrdiff_t>(reversed.size()) - kAmountDecimals);
    while (!fraction.empty() && fraction.back() == '0') {
        fraction.pop_back();
    }
    std::string text;
    if (negative) {
        text.push_back('-');
    }
    text.append(whole);
    if (!fraction.empty()) {
        text.push_back('.');
        text.append(fraction);
    }
    return text;
}

double AmountToDouble(AmountUnits units) {
    return static_cast<double>(units) / static_cast<double>(kUnitsPerWhole);
}

}  // namespace shenbao
