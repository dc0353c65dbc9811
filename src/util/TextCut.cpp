#include "util/TextCut.h"

#include "util/Debug.h"

namespace celdara {

namespace {

bool IsIn(char c, std::string_view set) {
    return set.find(c) != std::string_view::npos;
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

constexpr int kCutIntegerLimit = 1000000;

// The number of leading characters of `text` that CutInteger takes, worked out by index
// alone; the cut itself is checked against it.
std::size_t IntegerLength(std::string_view text) {
    std::size_t i = 0;
    if (i < text.size() && text[i] == '-')
        ++i;
    std::size_t firstDigit = i;
    long long value = 0;
    while (i < text.size() && IsDigit(text[i]) && value <= kCutIntegerLimit) {
        value = value * 10 + (text[i] - '0');
        ++i;
    }
    return i == firstDigit ? 0 : i;
}

} // namespace

void CutSpaces(std::string& text, std::string_view chars) {
    const std::string before = text;
    std::size_t checkLength = before.find_first_not_of(chars);
    if (checkLength == std::string::npos)
        checkLength = before.size();

    std::size_t n = 0;
    for (char c : text) {
        if (!IsIn(c, chars))
            break;
        ++n;
    }
    text.erase(0, n);

    if (n != checkLength)
        DebugRaise("error in CutSpaces(" + before + ")");
}

int CutInteger(std::string& text, int defaultValue) {
    const std::string before = text;
    bool negative = false;
    std::size_t i = 0;
    if (!text.empty() && text[0] == '-') {
        negative = true;
        i = 1;
    }
    if (i >= text.size() || !IsDigit(text[i]))
        return defaultValue;

    int value = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > kCutIntegerLimit) {
            ++i;
            break;
        }
    }
    text.erase(0, i);

    if (i != IntegerLength(before))
        DebugRaise("error in CutInteger(" + before + ")");
    return negative ? -value : value;
}

namespace {

// A quoted piece whose opening quote is at text[i], a doubled quote standing for one: the
// position after its closing quote, or npos when it is never closed.
std::size_t TakeQuotedPiece(const std::string& text, std::size_t i, std::string& token) {
    const std::size_t n = text.size();
    std::size_t j = i + 1;
    while (j < n) {
        if (text[j] == '"') {
            if (j + 1 < n && text[j + 1] == '"') {
                token += '"';
                j += 2;
                continue;
            }
            return j + 1;
        }
        token += text[j++];
    }
    return std::string::npos;
}

// The character of a #code whose digits begin at text[j] (modulo 256): the position after
// the digits.
std::size_t TakeCharacterCode(const std::string& text, std::size_t j, std::string& token) {
    unsigned code = 0;
    while (j < text.size() && IsDigit(text[j])) {
        code = (code * 10 + static_cast<unsigned>(text[j] - '0')) % 256;
        ++j;
    }
    token += static_cast<char>(code);
    return j;
}

// Quoted pieces and #codes, which may follow each other directly.
std::string CutQuotedToken(std::string& text, bool& consume, std::string_view delimiters) {
    std::string token;
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (true) {
        if (text[i] == '"') {
            i = TakeQuotedPiece(text, i, token);
            if (i == std::string::npos) {
                text.clear();
                consume = false;
                return {};
            }
        } else {              // '#'
            if (i + 1 >= n) { // a final "#" can never be completed
                text.clear();
                consume = false;
                return {};
            }
            if (!IsDigit(text[i + 1])) {
                text.erase(0, i);
                consume = false;
                return token;
            }
            i = TakeCharacterCode(text, i + 1, token);
        }

        if (i >= n) {
            text.clear();
            return token;
        }
        if (IsIn(text[i], delimiters)) {
            text.erase(0, i + 1);
            return token;
        }
        if (text[i] != '"' && text[i] != '#') {
            text.erase(0, i);
            consume = false;
            return token;
        }
    }
}

std::string CutParenthesisedToken(std::string& text, bool& consume, std::string_view delimiters) {
    std::size_t close = text.find(')', 1);
    if (close == std::string::npos) {
        std::string token = text.substr(1);
        text.clear();
        consume = false;
        return token;
    }
    std::string token = text.substr(1, close - 1);
    text.erase(0, close + 1);
    if (consume && !text.empty() && IsIn(text[0], delimiters))
        text.erase(0, 1);
    else
        consume = false;
    return token;
}

} // namespace

std::string CutToken(std::string& text, bool& consume, std::string_view delimiters) {
    if (text.empty())
        return {};
    if (text[0] == '"' || text[0] == '#')
        return CutQuotedToken(text, consume, delimiters);
    if (text[0] == '(')
        return CutParenthesisedToken(text, consume, delimiters);

    std::size_t end = text.find_first_of(delimiters);
    if (end == std::string::npos) {
        std::string token;
        token.swap(text);
        consume = false;
        return token;
    }
    std::string token = text.substr(0, end);
    text.erase(0, consume ? end + 1 : end);
    return token;
}

std::string CutToken(std::string& text, std::string_view delimiters) {
    bool consume = true;
    return CutToken(text, consume, delimiters);
}

bool CutPrefix(std::size_t& pos, std::string_view text, std::string_view prefix, bool advance) {
    if (pos > text.size() || text.size() - pos < prefix.size())
        return false;
    if (text.compare(pos, prefix.size(), prefix) != 0)
        return false;
    if (advance)
        pos += prefix.size();
    return true;
}

int WildcardCompare(std::size_t& pos, std::string_view text, std::string_view& pattern,
                    std::string_view terminators) {
    std::size_t patternEnd = pattern.size();
    if (!terminators.empty()) {
        std::size_t t = pattern.find_first_of(terminators);
        if (t != std::string_view::npos)
            patternEnd = t;
    }
    const std::string_view pat = pattern.substr(0, patternEnd);
    pattern.remove_prefix(patternEnd < pattern.size() ? patternEnd + 1 : patternEnd);

    if (pos > text.size())
        pos = text.size();
    // Greedy matching that returns to the last "*" on a mismatch: linear in practice and
    // never recursive, whatever the pattern. The order reported for a mismatch is that of
    // the first differing character met.
    std::size_t t = pos;
    std::size_t p = 0;
    std::size_t starPattern = std::string_view::npos;
    std::size_t starText = 0;
    int firstDifference = 0;
    while (t < text.size()) {
        if (p < pat.size() && pat[p] == '*') {
            starPattern = p++;
            starText = t;
        } else if (p < pat.size() && (pat[p] == '?' || pat[p] == text[t])) {
            ++p;
            ++t;
        } else {
            if (firstDifference == 0)
                firstDifference =
                    p < pat.size()
                        ? (static_cast<unsigned char>(text[t]) < static_cast<unsigned char>(pat[p])
                               ? -1
                               : 1)
                        : 1; // text goes on past the pattern
            if (starPattern == std::string_view::npos) {
                pos = t;
                return firstDifference;
            }
            p = starPattern + 1;
            t = ++starText;
        }
    }
    while (p < pat.size() && pat[p] == '*')
        ++p;
    pos = t;
    if (p == pat.size())
        return 0;
    return firstDifference != 0 ? firstDifference : -1; // the text ended first
}

} // namespace celdara
