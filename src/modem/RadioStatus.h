// The radio side of a poll cycle beyond GSM: the access technology, the serving cell of any
// technology with the metrics that technology measures, the NR leg of a 5G NSA connection and
// the neighbour cells. Every value is optional: a modem fills what its commands tell, and a
// vendor's "no value" mark leaves the value empty, never a number.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace celdara {

enum class TAccessTech {
    Unknown,
    Gsm,   // GSM, GPRS, EDGE
    Umts,  // UTRAN, HSPA
    Lte,   // E-UTRAN
    NbIot, // E-UTRAN NB-S1
    NrSa,  // NR on a 5G core
    NrNsa, // EN-DC: an LTE anchor with an NR leg
};

// "GSM", "UMTS", "LTE", "NB-IoT", "5G SA", "5G NSA"; "?" for Unknown.
const char* AccessTechName(TAccessTech tech);

// The technology of the <AcT> field of +COPS / +CREG / +CEREG (27.007 7.3): 0 GSM, 1 GSM
// compact, 2 UTRAN, 3 GSM/EGPRS, 4-6 UTRAN/HSPA, 7 E-UTRAN, 8 EC-GSM-IoT, 9 E-UTRAN NB-S1,
// 10 E-UTRA/5GCN, 11 NR/5GCN, 12 NG-RAN, 13 E-UTRA-NR dual connectivity. Unknown otherwise.
TAccessTech AccessTechOfAct(int act);

// One cell as the modem describes it. Which fields are filled depends on its technology.
struct TRadioCell {
    TAccessTech Tech = TAccessTech::Unknown;
    std::optional<int> Channel;         // ARFCN, UARFCN, EARFCN or NR-ARFCN
    std::optional<int> Band;            // GSM: 850/900/1800/1900; UMTS/LTE/NR: band number
    std::optional<int> PhysicalId;      // LTE/NR PCI, UMTS PSC, GSM BSIC
    std::optional<int> AreaCode;        // GSM/UMTS LAC, LTE/NR TAC
    std::optional<std::int64_t> CellId; // GSM/UMTS CI, LTE ECI (28 bit), NR NCI (36 bit)
    std::optional<int> Mcc;
    std::optional<int> Mnc;
    std::optional<int> MncDigits; // 2 or 3, when the modem wrote the MNC with its digits

    // Measurements, in dBm (levels) or dB (qualities).
    std::optional<double> Rssi;   // GSM RSSI, LTE RSSI
    std::optional<double> Rscp;   // UMTS
    std::optional<double> EcIo;   // UMTS
    std::optional<double> Rsrp;   // LTE RSRP, NR SS-RSRP
    std::optional<double> Rsrq;   // LTE RSRQ, NR SS-RSRQ
    std::optional<double> Sinr;   // LTE SINR/RS-SNR, NR SS-SINR
    std::optional<int> BitErrors; // GSM BER class 0..7

    bool operator==(const TRadioCell&) const = default;
};

// The eNodeB number of an LTE cell identity (the upper 20 of its 28 bits), which tells the
// towers apart; nothing when the cell is not LTE or has no identity.
std::optional<std::int64_t> ENodeBOf(const TRadioCell& cell);

// The band of a downlink channel number of UMTS (UARFCN, 25.101 5.4.4), LTE (EARFCN, 36.101
// 5.7.3) or NR (NR-ARFCN, 38.101-1 5.4.2.3), for the bands used in Europe and the common
// others; nothing for GSM, an unknown technology or a channel outside them. Neighbour lists
// give the channel but seldom the band.
std::optional<int> BandOfRadioChannel(TAccessTech tech, int channel);

inline constexpr std::size_t kMaxRadioNeighbours = 16;

// One component carrier of the connection: the primary (PCC) and the secondary ones (SCC) of
// carrier aggregation; the NR leg of EN-DC counts as a secondary carrier with Tech NrNsa.
enum class TCarrierRole { Primary, Secondary };

struct TCarrier {
    TCarrierRole Role = TCarrierRole::Primary;
    TAccessTech Tech = TAccessTech::Unknown; // Lte, NrNsa (the EN-DC leg), NrSa, Umts
    std::optional<int> Band;                 // band number: 3 for B3, 78 for n78
    std::optional<int> Channel;              // EARFCN or NR-ARFCN
    std::optional<double> BandwidthMhz;      // downlink
    std::optional<int> PhysicalId;           // PCI
    std::optional<double> Rsrp;              // dBm
    std::optional<double> Rsrq;              // dB
    std::optional<double> Rssi;              // dBm
    std::optional<double> Sinr;              // dB

    bool operator==(const TCarrier&) const = default;
};

inline constexpr std::size_t kMaxCarriers = 8;

struct TRadioStatus {
    TAccessTech Tech = TAccessTech::Unknown;
    std::optional<int> Act; // the <AcT> number the modem gave last

    // The serving cell; on 5G NSA the LTE anchor.
    TRadioCell Serving;
    // The NR leg of a 5G NSA connection (Tech NrNsa), else empty.
    std::optional<TRadioCell> NrLeg;
    // At most kMaxRadioNeighbours.
    std::vector<TRadioCell> Neighbours;
    // The carriers the modem reports in use (AT+QCAINFO and its kind), the primary first; at
    // most kMaxCarriers. Empty for a modem that does not tell them: see CarriersInUse.
    std::vector<TCarrier> Carriers;

    // The <stat> of +CGREG (GPRS), +CEREG (EPS) and +C5GREG (5GS), 27.007 10.1.19 / 10.1.22 /
    // 10.1.23: 0..11 as +CREG, -1 for a value outside that range.
    std::optional<int> PsRegState;
    std::optional<int> EpsRegState;
    std::optional<int> NrRegState;

    bool operator==(const TRadioStatus&) const = default;
};

// Adds a neighbour unless the list is full; false when it was full.
bool AddNeighbour(TRadioStatus& radio, const TRadioCell& cell);

// Adds a carrier unless the list is full; false when it was full.
bool AddCarrier(TRadioStatus& radio, const TCarrier& carrier);

// The carriers in use as the window and the records show them: those the modem reported
// (with the NR leg of 5G NSA added when the list leaves it out); for a modem that reports
// none, its serving cell as the primary carrier (the LTE anchor on 5G NSA) and the NR leg of
// 5G NSA as a secondary one, when the cell names a band or a channel. A carrier without a
// band gets the one its channel tells, and the measurements of the cell it is (the same PCI)
// where the list gives none; a band below one or a bandwidth beyond 0..400 MHz is no value.
// Empty without a radio technology of LTE, NR or UMTS.
std::vector<TCarrier> CarriersInUse(const TRadioStatus& radio);

// The carriers as people write them: "LTE B20", "LTE-A B3+B7", "LTE-A B3+B7 · 5G NSA n78",
// "5G SA n78+n28", "UMTS B1"; a carrier of unknown band is left out of the band list. Empty
// for no carriers.
std::string CarrierSummaryText(const std::vector<TCarrier>& carriers);

// The sum of the carriers' downlink bandwidths in MHz; nothing when no carrier gives one.
std::optional<double> AggregatedBandwidthMhz(const std::vector<TCarrier>& carriers);

} // namespace celdara
