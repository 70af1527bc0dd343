#pragma once

// Conversion between stored text (GBK) and UTF-8. Characters that GBK cannot
// hold are written in GB18030, whose bytes equal GBK's for every character
// GBK has, so no character is ever lost on the way to the store.

#include <string>
#include <string_view>

namespace shenbao {

// A byte that forms no character comes out as the private-use character
// U+F700 + byte, which Utf8ToGbk turns back into that byte: text taken from
// the store and handed back unchanged keeps every byte.
std::string GbkToUtf8(std::string_view gbk);

// Bytes of `utf8` that are not UTF-8 come out as "?".
std::string Utf8ToGbk(std::string_view utf8);

// True when `text` is well-formed UTF-8 (ASCII included).
bool IsUtf8(std::string_view text);

}  // namespace shenbao
