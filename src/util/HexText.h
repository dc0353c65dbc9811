// Hexadecimal digits and the "41 54 0D " form of byte strings used by the terminal.
#pragma once

#include <string>
#include <string_view>

namespace celdara {

// 0..15 for 0-9, A-F, a-f; `defaultValue` for anything else.
int HexDigitValue(char c, int defaultValue);
// '0'..'9', 'A'..'F' for 0..15, '?' otherwise.
char HexDigitChar(int value);
// Each byte as two upper-case digits and a blank: "AT" gives "41 54 ".
std::string BytesToHexText(std::string_view bytes);
// Pairs of digits give bytes, a lone digit gives a byte of its own value, other visible
// characters pass as themselves, blanks and control characters only separate.
std::string HexTextToBytes(std::string_view hexText);

} // namespace celdara
