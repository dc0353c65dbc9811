// The radio world around the simulated modem: operators and their cells, the signal that
// drifts, registration and roaming, and calls that ring. It moves in steps of one second,
// and everything it does follows from its seed and the calls made on it, so the same
// seed and the same dialogue give the same world.
#pragma once

#include "simulator/SimRandom.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace celdara {

struct TSimOperator {
    std::string Code;      // MCC and MNC as one digit string, "23001"
    std::string LongName;  // +COPS format 0
    std::string ShortName; // +COPS format 1
};

// Operators the simulated network knows; the first one is the SIM's home network.
const std::vector<TSimOperator>& SimOperators();

// One cell as the cell monitor reports it.
struct TSimCellReport {
    int Channel = 0;
    int Rssi = 0; // receive level 0..63
    int Dbm = 0;
    int Mcc = 0;
    int Mnc = 0;
    int Lac = 0;
    int CellId = 0;
    int Ncc = 0;
    int Bcc = 0;
    int Pwr = 0;      // maximal transmit power level the cell allows
    int RxLevMin = 0; // minimal receive level for access, dBm
    int C1 = 0;
    int C2 = 0;

    bool operator==(const TSimCellReport&) const = default;
};

// The technology the modem is served by. LteNr is 5G NSA: an LTE anchor with an NR leg.
enum class TSimRat { Gsm, Umts, Lte, LteNr, NrSa };

// One stretch of the radio timetable: which technology serves for how many seconds.
struct TSimRadioPhase {
    TSimRat Rat = TSimRat::Lte;
    int Seconds = 0;
    bool operator==(const TSimRadioPhase&) const = default;
};

// The timetable of the LTE modems: LTE, then 5G NSA, then a coverage hole served by UMTS,
// then LTE again as the cycle starts over.
const std::vector<TSimRadioPhase>& SimLteTimetable();

// A timetable as text: "lte:25,nsa:30,umts:20" (gsm, umts, lte, nsa, sa; seconds 1..86400).
// False with a message for anything else.
bool ParseSimTimetable(std::string_view text, std::vector<TSimRadioPhase>& phases,
                       std::string& message);

// A UMTS, LTE or NR cell as the vendors' cell commands report it. Levels are in dBm,
// qualities in dB; which of them mean something depends on the technology.
struct TSimRadioCell {
    TSimRat Rat = TSimRat::Lte; // Umts, Lte, or NrSa for any NR cell (the NSA leg too)
    int Band = 0;               // 3GPP band number
    int Channel = 0;            // UARFCN, EARFCN or NR-ARFCN
    int Pci = 0;                // LTE/NR physical cell identity, UMTS primary scrambling code
    int Area = 0;               // UMTS LAC, LTE TAC (16 bit), NR TAC (24 bit)
    std::int64_t CellId = 0;    // UMTS UC-Id (28 bit), LTE ECI (28 bit), NR NCI (36 bit)
    int Mcc = 0;
    int Mnc = 0;
    int BandwidthMhz = 0; // LTE/NR downlink and uplink
    bool Tdd = false;
    int Rsrp = 0;  // LTE RSRP, NR SS-RSRP
    int Rsrq = 0;  // LTE RSRQ, NR SS-RSRQ
    int Sinr = 0;  // LTE RS-SINR, NR SS-SINR
    int Rssi = 0;  // carrier RSSI (LTE, UMTS)
    int Rscp = 0;  // UMTS
    int EcIo2 = 0; // UMTS Ec/Io in half dB: -15 is -7.5 dB

    bool operator==(const TSimRadioCell&) const = default;
};

enum class TSimSelection { Automatic, Manual, Deregistered };
enum class TSimCallState { Idle, Ringing, Voice, Data };

// What one step brought that the modem announces unasked.
struct TSimNetworkEvents {
    bool Ring = false;      // a RING is due
    bool CallEnded = false; // the far end hung up an answered call
};

class TSimNetwork {
public:
    explicit TSimNetwork(std::uint64_t seed);

    // One second of world time.
    TSimNetworkEvents Step();

    // Registration, as +CREG and +COPS report it.
    int RegState() const { return regState_; } // 0..5
    // The operator the modem is registered with, or nullptr.
    const TSimOperator* Registered() const;
    TSimSelection Selection() const { return selection_; }
    bool IsVisible(const TSimOperator& op) const;
    // The operator named `name` in +COPS format 0, 1 or 2, or nullptr.
    static const TSimOperator* FindOperator(std::string_view name, int format);

    // Selection changes. The modem has already spent the search time when it calls these,
    // so a change takes effect at once. SelectManual returns false (and changes nothing)
    // when the operator cannot be reached; with `fallback` (+COPS mode 4) it then selects
    // automatically instead and still returns false.
    bool SelectManual(const TSimOperator& op, bool fallback);
    void SelectAutomatic();
    void Deregister();
    // True when automatic selection would change the operator.
    bool AutomaticWouldMove() const;

    // The radio.
    std::optional<TSimCellReport> Serving() const;
    std::vector<TSimCellReport> Neighbours() const; // strongest first, at most six
    int CsqRssi() const;                            // 0..31, 99 when no cell is heard
    int CsqBer() const;                             // 0..7, 99 when no cell is heard

    // Calls.
    TSimCallState CallState() const { return call_; }
    bool Ringing() const { return call_ == TSimCallState::Ringing; }
    void StartIncomingCall(bool data);
    // Takes a ringing call; returns what became of it (Idle when nothing was ringing).
    TSimCallState Answer();
    void HangUp();

    // Makes an operator unreachable for `seconds` steps (a coverage hole).
    void SetOutage(const TSimOperator& op, int seconds);

    // The technologies beyond GSM. Without a timetable the world is GSM only, as the
    // Siemens-type modem sees it. The timetable runs on the steps, starting `offset`
    // seconds in, and repeats; a modem without NR sees the NR phases as LTE.
    void SetRadioPlan(std::vector<TSimRadioPhase> phases, int offset, bool nr);
    // The technology that serves now (also while searching: the one being searched).
    TSimRat Technology() const;
    // The serving UMTS, LTE (on NSA the anchor) or NR SA cell; empty on GSM or without
    // service.
    std::optional<TSimRadioCell> RadioServing() const;
    // The NR leg of 5G NSA, empty when the NR cell is out of reach.
    std::optional<TSimRadioCell> NrLeg() const;
    // The component carriers in use, the primary first: on LTE the band 3 cell with a band 7
    // secondary, on 5G NSA the same with the NR leg after them, on 5G SA n78 with an n28
    // secondary. A secondary too weak to be configured is left out; empty on GSM, on UMTS
    // and without service.
    std::vector<TSimRadioCell> Carriers() const;
    // Cells of the serving operator around the serving one, its own technology first,
    // then LTE or UMTS for the change between them; strongest first, at most six.
    std::vector<TSimRadioCell> RadioNeighbours() const;
    // +CEREG (EPS) and +C5GREG (5GS) registration: the state while served by E-UTRAN or
    // NR SA respectively, 0 otherwise.
    int EpsRegState() const;
    int NrRegState() const;

private:
    struct Cell {
        int op = 0;
        TSimCellReport fixed; // channel, codes, identities; the levels are filled on report
        int base = -80;       // mean level, dBm; moves as the user moves
        int offset = 0;       // fading around the mean
        int Dbm() const;
    };

    int OperatorIndex(const TSimOperator& op) const;
    int TargetFor(TSimSelection selection) const;
    int Target() const { return TargetFor(selection_); }
    int StrongestCell(int op) const;
    void Register(int op);
    void Reselect();
    void ResolveRegistration();
    void DriftRadio();
    void RandomEvents();
    TSimNetworkEvents StepCall();
    TSimCellReport Report(const Cell& cell) const;

    // The radio beyond GSM, in SimNetworkRadio.cpp.
    struct RadioCell {
        int op = 0;
        TSimRadioCell fixed;
        int base = -90;  // mean level, dBm
        int offset = 0;  // fading
        int quality = 0; // interference and load, dB around the level's share
        int Level() const;
    };
    struct RadioSite {
        int Tac = 0, NrTac = 0, Rnc = 0; // the operator's areas
        int Sector = 0, ENodeB = 0, GNodeB = 0, PciGroup = 0, NrPci = 0, Psc = 0, UmtsCell = 0;
    };
    void BuildRadioCells();
    void AddRadioCell(int op, int carrier, const RadioSite& site);
    void StepRadio();
    void CampRadio();
    int RadioCamp(TSimRat rat, int band, int current) const;
    TSimRadioCell RadioReport(const RadioCell& cell) const;
    TSimRat PhaseRat() const;

    TSimRandom radioRng_;
    std::vector<RadioCell> radio_;
    std::vector<TSimRadioPhase> plan_;
    bool nr_ = false;
    long long radioSecond_ = 0; // position in the timetable
    int radioCamped_ = -1;
    int sccCamped_ = -1;
    int nrCamped_ = -1;

    TSimRandom rng_;
    std::vector<Cell> cells_;
    std::vector<int> outage_; // per operator, seconds left
    TSimSelection selection_ = TSimSelection::Automatic;
    int manualOp_ = -1;
    bool fallback_ = false;
    int registered_ = -1;
    int camped_ = -1;
    int regState_ = 2;
    int searchLeft_ = 0;
    int deniedLeft_ = 0;
    int unknownLeft_ = 0;
    int ber_ = 0;

    TSimCallState call_ = TSimCallState::Idle;
    bool incomingData_ = false;
    int ringsLeft_ = 0;
    int ringCountdown_ = 0;
    int callLeft_ = 0;
};

} // namespace celdara
