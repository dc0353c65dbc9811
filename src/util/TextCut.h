// Cutting fields off the front of 8-bit texts: blanks, integers, tokens, prefixes and
// wildcard comparison. A "cut" returns the field and removes it from the text.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace celdara {

inline constexpr std::string_view kBlankChars = " \t";
inline constexpr std::string_view kTokenDelimiters = " ,\t";

// Removes every leading character that belongs to `chars`.
void CutSpaces(std::string& text, std::string_view chars = kBlankChars);

// Reads an optional "-" and decimal digits at the very front. Without a digit the text
// stays as it is and `defaultValue` comes back. Reading stops after the digit that makes
// the value exceed 1000000, so the rest of a longer run stays in the text.
int CutInteger(std::string& text, int defaultValue);

// Cuts one token. The grammar:
//  - "…" quoted pieces ("" inside stands for one quote) and #NNN character codes (taken
//    modulo 256) may follow each other directly; a delimiter after them ends the token and
//    is eaten. Any other character there ends the token as malformed: it stays at the front
//    and `consume` turns false. An unterminated quote or a final "#" gives an empty token,
//    an empty text and `consume` false.
//  - "(…)": everything up to ")"; with `consume` one delimiter behind ")" is eaten, and
//    `consume` turns false when there is none.
//  - anything else runs up to the next delimiter, which is eaten only with `consume`;
//    without a delimiter the token is the whole text and `consume` turns false.
// `consume` is both the wish to eat the delimiter and the report that there was one.
std::string CutToken(std::string& text, bool& consume,
                     std::string_view delimiters = kTokenDelimiters);
// The same with `consume` true and its report dropped.
std::string CutToken(std::string& text, std::string_view delimiters = kTokenDelimiters);

// True when `text` continues at index `pos` (the count of characters already read) with
// `prefix`; with `advance` the position then moves behind the prefix.
bool CutPrefix(std::size_t& pos, std::string_view text, std::string_view prefix, bool advance);

// Compares `text` from index `pos` with a pattern in which "?" matches one character and
// "*" any run. The pattern ends at its end or at a character of `terminators`; on return
// `pattern` starts behind that terminator and `pos` behind the compared text. 0 means a
// match; otherwise the sign tells whether the text sorts before (<0) or after (>0).
int WildcardCompare(std::size_t& pos, std::string_view text, std::string_view& pattern,
                    std::string_view terminators);

} // namespace celdara
