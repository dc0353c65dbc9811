// How a status record is shown: the graph value, the operator panel of the status bar, the
// cell grid, the radio metrics panel and the connection label. Plain functions, so the window
// only has to copy their results into its controls.
#pragma once

#include "modem/ModemStatus.h"

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace celdara {

inline constexpr int kCellGridColumns = 6;
using TCellRowTexts = std::array<std::string, kCellGridColumns>;

// The header row of the cell grid.
const TCellRowTexts& CellGridHeaders();

// "900", "1800" or "?".
std::string BandOfChannel(int channel);

// The technology the modem serves on: the radio status's, else its serving cell's; Unknown
// for a modem that tells only of GSM through +CSQ and ^MONI.
TAccessTech ServingTechOf(const TModemStatus& status);

// The receive levels on the 0..100 scale of the bar. RSRP spans -140..-44 dBm and RSCP
// -120..-25 dBm, the ranges the +CESQ scales of 27.007 report; beyond them the level is
// clamped. A value that is no number gives 0.
int LevelOfRsrp(double dbm);
int LevelOfRscp(double dbm);

// The signal level of the bar and the history, 0..100. On LTE and NR, or when +CSQ knew no
// level (99), the RSRP; on UMTS with +CSQ at 99 the RSCP; otherwise the +CSQ level as it
// always was; nothing for want of a measurement (no RSRP or RSCP it takes, and no +CSQ
// level of 0..31).
std::optional<int> MeasuredSignalLevelOf(const TModemStatus& status);

// The value for the graph: -1, no value, where nothing measured a level (a cleared status,
// +CSQ 99 without an RSRP or RSCP to take), so that the bar and the history show none
// rather than 0 %. A serving cell with a level that differs from LastServingChannel shows
// as a full-height spike (100) once and becomes the last one; otherwise the level. A GSM
// cell of ^MONI is its channel; a radio cell is a negative number made of its technology,
// channel and physical id (-1, the start, is never one).
int GraphValueOf(const TModemStatus& status, int& LastServingChannel);

// What one display refresh gives the history: the graph value and the serving cell's RSRP
// and SINR (the LTE anchor's on 5G NSA, the NR leg's when the anchor has none).
struct TGraphSample {
    int Level = 0; // GraphValueOf; below 0 for a cycle without a value
    std::optional<double> Rsrp;
    std::optional<double> Sinr;

    bool operator==(const TGraphSample&) const = default;
};
TGraphSample GraphSampleOf(const TModemStatus& status, int& LastServingChannel);

// The <stat> 0..11 of +CREG and its kind in words ("registered, home network", 27.007 7.2);
// empty for any other value.
const char* RegistrationStateText(int state);

// "<name> (<code>), <registration>"; "operator not known" for a name the modem did not give
// (or gave as "?"), without a code it did not give, and "registration not known" when no
// domain tells of one. The registration is +CREG's, unless +CGREG, +CEREG or +C5GREG tell
// of one (registered, home or roaming, SMS only and CSFB not preferred included) where
// +CREG does not; an attachment for emergency bearer services or RLOS only comes next.
std::string OperatorPanelText(const TModemStatus& status);

// The item of the operator group the modem's selection names: 0 ("Auto select") for the
// automatic mode, the item whose "(<code>)" is the operator of a manual selection (mode 1,
// or 4 while the manual choice holds); -1 while the mode is not known, for a deregistered
// modem, and for an operator the group does not list.
int CheckedOperatorOf(const TModemStatus& status, const std::vector<std::string>& items);

// What the status bar says while a switch runs: "Switching to automatic selection…" for
// "AUTO", else "Switching to <the group's item of that code>…", or to the bare code when
// the group does not list it.
std::string SwitchingText(const std::string& target, const std::vector<std::string>& items);

// The technology whose layout the grid and the radio panel keep. A status that names one
// gives it and it becomes the last one; a status of ^MONI cells without one (a GSM modem)
// forgets it; a status that tells neither (cleared for a switch, a cycle not yet ended)
// keeps the last one, so the panels do not jump while the values are away.
TAccessTech LayoutTechOf(const TModemStatus& status, TAccessTech& LastLayoutTech);

// The six texts of a grid row; "-" in every column for an invalid cell.
TCellRowTexts CellRowTexts(const TCellInfo& cell);

// The grid of the serving cell and its neighbours as the serving technology measures them:
// without a radio technology, and on GSM, the six columns of ^MONI (CellGridHeaders,
// CellRowTexts); on LTE and NR channel, band, PCI, RSRP, RSRQ, SINR and MCC MNC; on UMTS
// channel, band, PSC, RSCP, Ec/Io and MCC MNC. Always kCellRowCount rows as wide as the
// headers, "-" where nothing is known. A neighbour that is the serving cell again (same
// channel and PCI or PSC) is left out. `layout` (LayoutTechOf) stands in for a status that
// names no technology. NumberColumns marks, per column, the ones that hold numbers (the
// window aligns them to the right).
struct TCellGrid {
    std::vector<std::string> Headers;
    std::vector<std::vector<std::string>> Rows;
    std::vector<bool> NumberColumns;

    bool operator==(const TCellGrid&) const = default;
};
TCellGrid CellGridOf(const TModemStatus& status, TAccessTech layout = TAccessTech::Unknown);

// How good a measurement is; Unknown for a value not measured.
enum class TQuality { Unknown, Poor, Fair, Good, Excellent };

// "excellent", "good", "fair", "poor"; empty for Unknown.
const char* QualityWord(TQuality quality);

enum class TMetric { Rsrp, Rsrq, Sinr, Rscp, EcIo, Rssi };

// The borders, in dBm or dB, each the lowest value of its word:
//   RSRP  excellent >= -80, good >= -90, fair >= -100, else poor;
//   RSRQ  excellent >= -10, good >= -15, fair >= -20, else poor;
//   SINR  excellent > 20, good >= 13, fair > 0, else poor;
//   RSCP  excellent >= -70, good >= -85, fair >= -100, else poor;
//   Ec/Io excellent >= -6, good >= -10, fair >= -20, else poor;
//   RSSI (GSM) excellent >= -70, good >= -85, fair >= -100, else poor.
// Unknown for a value that is no number.
TQuality QualityOf(TMetric metric, double value);

// One line of the metrics panel: "RSRP", "-95 dBm", "fair".
struct TMetricText {
    std::string Name;
    std::string Value;   // "-" when not measured
    std::string Quality; // QualityWord(Level)
    TQuality Level = TQuality::Unknown;

    bool operator==(const TMetricText&) const = default;
};

// The carriers table: role, band, channel, downlink MHz, PCI, RSRP, RSRQ, SINR.
inline constexpr int kCarrierColumns = 8;
using TCarrierRowTexts = std::array<std::string, kCarrierColumns>;

// The header row of the carriers table.
const TCarrierRowTexts& CarrierTableHeaders();

// One row a carrier in use (CarriersInUse), the primary first: "PCC" or "SCC", "B3" or "n78",
// numbers as the cell grid writes them, "-" where not known. Empty for one carrier or none:
// the technology line says all there is then.
std::vector<TCarrierRowTexts> CarrierRowsOf(const TModemStatus& status);

// The radio metrics panel: the technology line, which names the carriers in use as people
// write them with their aggregated downlink bandwidth ("LTE-A B3+B7 · 5G NSA n78 · 140 MHz",
// "LTE B20") and, for a modem that names none, the technology with the serving cell's band
// ("GSM 1800", "UMTS", "5G NSA + LTE"); the serving cell's measurements (on 5G NSA
// the anchor's, then the NR leg's as "NR RSRP" ...), the cell's identity (TAC and cell
// identity in hex and decimal, eNodeB, PCI; LAC, cell identity and PSC on UMTS; LAC and CI
// on GSM) and the carriers table. All empty for a status without a radio technology: a ^MONI
// modem shows no panel. With `layout` (LayoutTechOf) for a status that names no technology,
// that technology's panel with "-" for every value.
struct TRadioPanel {
    std::string Technology;
    std::vector<TMetricText> Metrics;
    std::vector<std::pair<std::string, std::string>> Identity;
    std::vector<TCarrierRowTexts> Carriers;

    bool Empty() const { return Technology.empty(); }
    bool operator==(const TRadioPanel&) const = default;
};
TRadioPanel RadioPanelOf(const TModemStatus& status, TAccessTech layout = TAccessTech::Unknown);

// "Ring, ring", "Call in progress" or empty.
std::string ConnectionLabelText(const TModemStatus& status);

} // namespace celdara
