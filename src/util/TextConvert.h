// Small conversions between values and their texts.
#pragma once

#include <string>
#include <string_view>

namespace celdara {

std::string BoolToText(bool value);
// "0"/"1" exactly, or "false"/"true" in any letter case; anything else gives `defaultValue`.
bool TextToBool(std::string_view text, bool defaultValue);

// The whole text as a decimal integer with an optional sign; `defaultValue` when it is
// not one or does not fit into 32 bits.
int TextToInt(std::string_view text, int defaultValue);

// Comparisons that ignore the letter case (std::tolower, byte by byte), and the text in
// capitals (std::toupper).
bool EqualIgnoringCase(std::string_view a, std::string_view b);
bool LessIgnoringCase(std::string_view a, std::string_view b);
std::string UpperCase(std::string_view text);

// The text without leading and trailing characters of codes up to 32.
std::string_view Trim(std::string_view text);

// The time separator of the current LC_TIME locale (":" when it names none).
char LocaleTimeSeparator();

// Formats `time`, a count of days, as H:MM:SS[.fff] with `decimals` digits (at most 7).
// Without `wholeDays` only the time of day (the fraction of the day) is shown.
std::string DurationToText(int decimals, bool wholeDays, double time);
// The same with an explicit separator; the other form passes LocaleTimeSeparator().
std::string DurationToText(int decimals, bool wholeDays, double time, char separator);

} // namespace celdara
