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

// Even kinds are incoming ("+"), odd kinds outgoing ("-").
constexpr std::array<TerminalKindInfo, kTerminalKindCount> kKinds{{
    {"+ ", D::Text, kBlack, kBlue, F::In},         {" - ", D::Text, kBlack, kBlue, F::Out},
    {"+ #", D::Hex, kBlue, kBlue, F::In},          {" - #", D::Hex, kBlue, kBlue, F::Out},
    {"+ ", D::Text, kBlue, kBlack, F::In},         {" - ", D::Text, kBlue, kBlack, F::Out},
    {"E ", D::Raw, kPurple, kPurple, F::None},     {"E ", D::Raw, kRed, kRed, F::None},
    {"E ", D::Raw, kGreen, kGreen, F::None},       {"E ", D::Raw, kNavy, kNavy, F::None},
    {"E ", D::Raw, kMaroon, kMaroon, F::None},     {"E ", D::Raw, kAzure, kAzure, F::None},
    {"+ ", D::Text, kBrown, kLightBrown, F::None}, {" - ", D::Text, kBrown, kLightBrown, F::None},
    {"+ #", D::Hex, kBrown, kBrown, F::None},      {" - #", D::Hex, kBrown, kBrown, F::None},
    {"+ ", D::Text, kGrey, kDarkGrey, F::None},    {" - ", D::Text, kGrey, kDarkGrey, F::None},
    {"? ", D::Text, kRed, kRed, F::None},
}};

} // namespace

int NormalTerminalKind(int kind) {
    return kind >= 0 && kind < kTerminalKindCount ? kind : kTerminalUnknownKind;
}

const TerminalKindInfo& TerminalKind(int kind) {
    return kKinds[static_cast<std::size_t>(NormalTerminalKind(kind))];
}

} // namespace celdara
