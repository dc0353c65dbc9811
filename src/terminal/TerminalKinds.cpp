#include "terminal/TerminalKinds.h"

#include <array>

namespace celdara {

namespace {

constexpr TerminalRgb kBlack{0, 0, 0};
constexpr TerminalRgb kBlue{0, 0, 255};
constexpr TerminalRgb kPurple{128, 0, 128};
constexpr TerminalRgb kRed{255, 0, 0};
constexpr TerminalRgb kGreen{0, 128, 0};
constexpr TerminalRgb kNavy{0, 0, 128};
constexpr TerminalRgb kMaroon{128, 0, 0};
constexpr TerminalRgb kAzure{0, 128, 255};
constexpr TerminalRgb kBrown{80, 40, 32};
constexpr TerminalRgb kLightBrown{128, 80, 32};
constexpr TerminalRgb kGrey{90, 90, 90};
constexpr TerminalRgb kDarkGrey{40, 40, 40};

using D = TerminalDisplay;
using F = TerminalTimeField;

// Even kinds are incoming ("+"), odd kinds outgoing ("-"); kinds 6 to 11 ("E") are what the
// program itself has to say, in its colours.
constexpr std::array<TerminalKindInfo, kTerminalKindCount> kKinds{{
    {"+ ", D::Text, kBlack, kBlue, F::In, false},
    {" - ", D::Text, kBlack, kBlue, F::Out, true},
    {"+ #", D::Hex, kBlue, kBlue, F::In, false},
    {" - #", D::Hex, kBlue, kBlue, F::Out, true},
    {"+ ", D::Text, kBlue, kBlack, F::In, false},
    {" - ", D::Text, kBlue, kBlack, F::Out, true},
    {"E ", D::Raw, kPurple, kPurple, F::None, false},
    {"E ", D::Raw, kRed, kRed, F::None, false},
    {"E ", D::Raw, kGreen, kGreen, F::None, false},
    {"E ", D::Raw, kNavy, kNavy, F::None, false},
    {"E ", D::Raw, kMaroon, kMaroon, F::None, false},
    {"E ", D::Raw, kAzure, kAzure, F::None, false},
    {"+ ", D::Text, kBrown, kLightBrown, F::None, false},
    {" - ", D::Text, kBrown, kLightBrown, F::None, true},
    {"+ #", D::Hex, kBrown, kBrown, F::None, false},
    {" - #", D::Hex, kBrown, kBrown, F::None, true},
    {"+ ", D::Text, kGrey, kDarkGrey, F::None, false},
    {" - ", D::Text, kGrey, kDarkGrey, F::None, true},
    {"? ", D::Text, kRed, kRed, F::None, false},
}};

} // namespace

int NormalTerminalKind(int kind) {
    return kind >= 0 && kind < kTerminalKindCount ? kind : kTerminalUnknownKind;
}

const TerminalKindInfo& TerminalKind(int kind) {
    return kKinds[static_cast<std::size_t>(NormalTerminalKind(kind))];
}

} // namespace celdara
