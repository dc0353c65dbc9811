#include "util/FormatArgs.h"

#include <cstdio>

namespace celdara {

namespace {

// `mark` and the address in at least 8 hexadecimal digits.
std::string MarkedAddress(char mark, const void* p) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%c%08llX", mark,
                  static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(p)));
    return buf;
}

template <class... F>
struct Overloaded : F... {
    using F::operator()...;
};
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string Pad(std::string text, std::size_t width, const std::string& fillRun) {
    if (text.size() >= width)
        return text;
    char fill = ' ';
    if (!fillRun.empty() && fillRun.find_first_not_of('-') == std::string::npos)
        fill = '-';
    else if (!fillRun.empty() && fillRun.find_first_not_of('0') == std::string::npos)
        fill = '0';
    std::size_t padding = width - text.size();
    switch (fillRun.size()) {
    case 2:
        return std::string(padding, fill) + text;
    case 3:
        return std::string(padding / 2, ' ') + text + std::string(padding - padding / 2, ' ');
    default:
        return text + std::string(padding, fill);
    }
}

constexpr std::size_t kMaxFillRun = 3;
constexpr std::size_t kMaxWidth = 4096; // a width beyond any message is a typing error

} // namespace

std::string FormatArg::Text(int width) const {
    return std::visit(Overloaded{
                          [](std::int64_t v) { return std::to_string(v); },
                          [](std::uint64_t v) { return std::to_string(v); },
                          [](bool v) { return std::string(v ? "True" : "False"); },
                          [](char v) { return std::string(1, v); },
                          [width](double v) {
                              char buf[512];
                              if (width > 0)
                                  std::snprintf(buf, sizeof buf, "%.*g", width > 60 ? 60 : width,
                                                v);
                              else
                                  std::snprintf(buf, sizeof buf, "%g", v);
                              return std::string(buf);
                          },
                          [](const std::string& v) { return v; },
                          [](const void* v) { return MarkedAddress(':', v); },
                          [](const ObjectName& v) { return v.name; },
                          [](const ClassRef& v) {
                              std::string text = "(";
                              text += v.name;
                              text += ')';
                              return text;
                          },
                          [](const InterfaceRef& v) { return MarkedAddress('I', v.pointer); },
                      },
                      value_);
}

namespace {

// One argument reference of a pattern: "%n", "%w:n" or "%(fill w:n)".
struct TReference {
    std::size_t End = 0; // the position after it
    std::size_t Width = 0;
    std::string FillRun;
    std::size_t Index = 0; // 1-based
};

std::size_t SkipDigits(std::string_view pattern, std::size_t j) {
    while (j < pattern.size() && IsDigit(pattern[j]))
        ++j;
    return j;
}

// Parses the reference whose "%" is at pattern[i]; false when it does not parse, and the
// "%" then stands for itself.
bool ParseReference(std::string_view pattern, std::size_t i, TReference& ref) {
    std::size_t j = i + 1;
    const bool parenthesised = j < pattern.size() && pattern[j] == '(';
    if (parenthesised)
        ++j;
    const std::size_t fillStart = j;
    while (j < pattern.size() && j - fillStart < kMaxFillRun + 1 &&
           !(pattern[j] >= '1' && pattern[j] <= '9') && pattern[j] != ':' && pattern[j] != ')' &&
           pattern[j] != '%' && pattern[j] != '(')
        ++j;
    ref.FillRun = std::string(pattern.substr(fillStart, j - fillStart));
    const std::size_t digitsStart = j;
    j = SkipDigits(pattern, j);
    const std::string_view digits = pattern.substr(digitsStart, j - digitsStart);

    std::string_view number;
    if (j < pattern.size() && pattern[j] == ':') {
        for (char d : digits)
            ref.Width = std::min(ref.Width * 10 + static_cast<std::size_t>(d - '0'), kMaxWidth);
        const std::size_t numberStart = ++j;
        j = SkipDigits(pattern, j);
        number = pattern.substr(numberStart, j - numberStart);
    } else {
        // Without a width there is no fill run either: "%01" is argument 1, while
        // "%-1" is no reference at all.
        j = SkipDigits(pattern, fillStart);
        number = pattern.substr(fillStart, j - fillStart);
        ref.FillRun.clear();
    }
    if (number.empty() || ref.FillRun.size() > kMaxFillRun)
        return false;
    if (parenthesised && j < pattern.size() && pattern[j] == ')')
        ++j;
    for (char d : number)
        ref.Index =
            std::min<std::size_t>(ref.Index * 10 + static_cast<std::size_t>(d - '0'), 1u << 20);
    ref.End = j;
    return true;
}

} // namespace

std::string FormatArgs(std::string_view pattern, std::span<const FormatArg> args) {
    std::string out;
    out.reserve(pattern.size());
    std::size_t i = 0;
    while (i < pattern.size()) {
        char c = pattern[i];
        if (c != '%') {
            out += c;
            ++i;
            continue;
        }
        if (i + 1 < pattern.size() && pattern[i + 1] == '%') {
            out += '%';
            i += 2;
            continue;
        }
        TReference ref;
        if (!ParseReference(pattern, i, ref)) {
            out += '%';
            ++i;
            continue;
        }
        if (ref.Index >= 1 && ref.Index <= args.size()) {
            std::string text = args[ref.Index - 1].Text(static_cast<int>(ref.Width));
            out += ref.Width > 0 ? Pad(std::move(text), ref.Width, ref.FillRun) : text;
        }
        i = ref.End;
    }
    return out;
}

std::string FormatArgs(std::string_view pattern, std::initializer_list<FormatArg> args) {
    return FormatArgs(pattern, std::span<const FormatArg>(args.begin(), args.size()));
}

} // namespace celdara
