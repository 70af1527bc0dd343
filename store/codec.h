#pragma once

// The field codec in which project data files are stored: every byte becomes
// two digits of a base-32 alphabet (0-9, a-v) after its two hexadecimal
// digits have been swapped, so a stored file holds one line of printable
// characters and no separator appears in clear.

#include <string>
#include <string_view>

namespace shenbao {

// Twice the length of `text`, only the characters 0-9 and a-v. Never fails.
std::string EncodeField(std::string_view text);

// Half the length of `stored`, rounded down (an odd last character is
// ignored). Accepts any input: characters outside the alphabet still get a
// value, and the byte is then taken from the leading two hexadecimal digits
// of the pair's value. Never fails.
std::string DecodeField(std::string_view stored);

}  // namespace shenbao
