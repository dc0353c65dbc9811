#include "util/TextConvert.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <langinfo.h>

namespace celdara {

std::string BoolToText(bool value) {
    return value ? "1" : "0";
}

bool TextToBool(std::string_view text, bool defaultValue) {
    if (text == "1")
        return true;
    if (text == "0")
        return false;
    if (EqualIgnoringCase(text, "true"))
        return true;
    if (EqualIgnoringCase(text, "false"))
        return false;
    return defaultValue;
}

namespace {
char Lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}
} // namespace

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return Lower(x) == Lower(y); });
}

bool LessIgnoringCase(std::string_view a, std::string_view b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(Lower(x)) < static_cast<unsigned char>(Lower(y));
    });
}

std::string UpperCase(std::string_view text) {
    std::string s(text);
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

int TextToInt(std::string_view text, int defaultValue) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    if (i == text.size())
        return defaultValue;
    long long value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return defaultValue;
        value = value * 10 + (text[i] - '0');
        if (value > 2147483648LL)
            return defaultValue;
    }
    if (negative)
        value = -value;
    if (value > 2147483647LL)
        return defaultValue;
    return static_cast<int>(value);
}

std::string_view Trim(std::string_view text) {
    auto isBlank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

char LocaleTimeSeparator() {
    // The locale's time format, e.g. "%H:%M:%S" or "%H.%M.%S": the separator is the first
    // literal character after the hour conversion.
    const char* format = nl_langinfo(T_FMT);
    if (format) {
        for (const char* p = format; *p; ++p) {
            if (*p != '%')
                continue;
            ++p;
            while (*p == 'E' || *p == 'O' || *p == '-' || *p == '_' || *p == '0' || *p == '^')
                ++p;
            if (*p == 'H' || *p == 'I' || *p == 'k' || *p == 'l') {
                char next = p[1];
                if (next != '\0' && next != '%' && !std::isalnum(static_cast<unsigned char>(next)))
                    return next;
                break;
            }
            if (*p == '\0')
                break;
        }
    }
    return ':';
}

std::string DurationToText(int decimals, bool wholeDays, double time) {
    return DurationToText(decimals, wholeDays, time, LocaleTimeSeparator());
}

std::string DurationToText(int decimals, bool wholeDays, double time, char separator) {
    decimals = std::clamp(decimals, 0, 7);
    if (!std::isfinite(time))
        time = 0;
    double seconds = (wholeDays ? time : time - std::trunc(time)) * 86400.0;
    seconds = std::clamp(seconds, -2e9, 2e9);

    const bool negative = seconds < 0;
    seconds = std::fabs(seconds);
    std::int64_t whole = static_cast<std::int64_t>(std::floor(seconds));
    std::int64_t unitsPerSecond = 1;
    for (int i = 0; i < decimals; ++i)
        unitsPerSecond *= 10;
    std::int64_t units =
        std::llround((seconds - static_cast<double>(whole)) * static_cast<double>(unitsPerSecond));
    if (units >= unitsPerSecond) { // rounded up to the next whole second
        ++whole;
        units = 0;
    }
    // Below the millisecond a single unit is floating-point noise, not a real value.
    if (decimals > 3 && units == 1)
        units = 0;

    char text[64];
    int n = std::snprintf(text, sizeof text, "%s%lld%c%02lld%c%02lld", negative ? "-" : "",
                          static_cast<long long>(whole / 3600), separator,
                          static_cast<long long>(whole / 60 % 60), separator,
                          static_cast<long long>(whole % 60));
    if (decimals > 0)
        std::snprintf(text + n, sizeof text - n, ".%0*lld", decimals,
                      static_cast<long long>(units));
    return text;
}

} // namespace celdara
