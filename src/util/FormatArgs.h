// A positional message formatter: "%1", "%(2)", "%(--10:3)".
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace celdara {

// One argument of FormatArgs, rendered as the formatter's rules say: integers in decimal,
// Booleans "True"/"False", characters as themselves, floating values with %g, pointers as
// ":" and hexadecimal digits, objects by class name, class references "(Name)", interfaces
// as "I" and hexadecimal digits, strings unchanged.
class FormatArg {
public:
    struct ObjectName {
        std::string name;
    };
    struct ClassRef {
        std::string name;
    };
    struct InterfaceRef {
        const void* pointer;
    };

    FormatArg(int v) : value_(static_cast<std::int64_t>(v)) {}
    FormatArg(long v) : value_(static_cast<std::int64_t>(v)) {}
    FormatArg(long long v) : value_(static_cast<std::int64_t>(v)) {}
    FormatArg(unsigned v) : value_(static_cast<std::int64_t>(v)) {}
    FormatArg(unsigned long v) : value_(static_cast<std::uint64_t>(v)) {}
    FormatArg(unsigned long long v) : value_(static_cast<std::uint64_t>(v)) {}
    FormatArg(bool v) : value_(v) {}
    FormatArg(char v) : value_(v) {}
    FormatArg(double v) : value_(v) {}
    FormatArg(const char* v) : value_(std::string(v ? v : "")) {}
    FormatArg(std::string v) : value_(std::move(v)) {}
    FormatArg(std::string_view v) : value_(std::string(v)) {}
    FormatArg(const void* v) : value_(v) {}
    FormatArg(ObjectName v) : value_(std::move(v)) {}
    FormatArg(ClassRef v) : value_(std::move(v)) {}
    FormatArg(InterfaceRef v) : value_(v) {}

    // The argument's text; `width` (0 for none) is the precision of floating values.
    std::string Text(int width) const;

private:
    std::variant<std::int64_t, std::uint64_t, bool, char, double, std::string, const void*,
                 ObjectName, ClassRef, InterfaceRef>
        value_;
};

// Copies `pattern`, replacing "%%" by "%" and each reference by its argument's text.
// A reference is "%", optionally "(", an optional fill run with a width and ":", the
// 1-based argument number, optionally ")". A fill run of "-" or "0" pads with that
// character, any other with blanks; its length chooses the alignment: none or one
// character left-aligns, two right-align, three centre. References to arguments outside
// the list are left out.
std::string FormatArgs(std::string_view pattern, std::span<const FormatArg> args);
std::string FormatArgs(std::string_view pattern, std::initializer_list<FormatArg> args);

} // namespace celdara
