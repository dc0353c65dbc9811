// The radio world around the simulated modem: operators and their cells, the signal that
// drifts, registration and roaming, and calls that ring. It moves in steps of one second,
// and everything it does follows from its seed and the calls made on it, so the same
// seed and the same dialogue give the same world.
#pragma once

#include "simulator/SimRandom.h"

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
