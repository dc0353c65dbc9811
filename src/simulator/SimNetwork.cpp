#include "simulator/SimNetwork.h"

#include <algorithm>

namespace celdara {

namespace {

constexpr int kCellsPerOperator = 9;
constexpr int kMaxNeighbours = 6;
constexpr int kWeakestHeard = -104;   // dBm; below this a cell drops out of the neighbour list
constexpr int kReselectMargin = 6;    // dB a neighbour must lead the serving cell by
constexpr int kRingIntervalSteps = 3; // seconds between RINGs
constexpr int kMinDbm = -110;
constexpr int kMaxDbm = -48;

// Chances per one-second step, in 1/1000.
constexpr int kHomeOutagePerMille = 2;
constexpr int kOtherOutagePerMille = 1;
constexpr int kDeniedPerMille = 1;
constexpr int kUnknownPerMille = 1;
constexpr int kIncomingCallPerMille = 4;

int Clamp(int v, int lo, int hi) {
    return std::max(lo, std::min(v, hi));
}

bool InUse(const std::vector<int>& channels, int ch) {
    return std::find(channels.begin(), channels.end(), ch) != channels.end();
}

// A channel of the 900 band (1..124, 975..1023) or of the 1800 band (512..885).
int RandomChannel(TSimRandom& rng) {
    switch (rng.Range(0, 2)) {
    case 0:
        return rng.Range(1, 124);
    case 1:
        return rng.Range(975, 1023);
    default:
        return rng.Range(512, 885);
    }
}

} // namespace

const std::vector<TSimOperator>& SimOperators() {
    static const std::vector<TSimOperator> operators = {
        {"23001", "T-Mobile CZ", "TMO CZ"},
        {"23002", "O2 - CZ", "O2 CZ"},
        {"23003", "Vodafone CZ", "VF CZ"},
        {"26201", "Telekom.de", "TDG"},
    };
    return operators;
}

int TSimNetwork::Cell::Dbm() const {
    return Clamp(base + offset, kMinDbm, kMaxDbm);
}

TSimNetwork::TSimNetwork(std::uint64_t seed) : radioRng_(TSimRandom(seed).Fork(11)), rng_(seed) {
    const auto& ops = SimOperators();
    outage_.assign(ops.size(), 0);
    std::vector<int> channels;
    for (int op = 0; op < static_cast<int>(ops.size()); ++op) {
        int mcc = std::stoi(ops[op].Code.substr(0, 3));
        int mnc = std::stoi(ops[op].Code.substr(3));
        int lac = rng_.Range(0x1000, 0xFFFE);
        for (int i = 0; i < kCellsPerOperator; ++i) {
            Cell cell;
            cell.op = op;
            int ch = RandomChannel(rng_);
            while (InUse(channels, ch))
                ch = RandomChannel(rng_);
            channels.push_back(ch);
            TSimCellReport& f = cell.fixed;
            f.Channel = ch;
            f.Mcc = mcc;
            f.Mnc = mnc;
            f.Lac = lac;
            f.CellId = rng_.Range(0x0100, 0xFFFE);
            f.Ncc = rng_.Range(0, 7);
            f.Bcc = rng_.Range(0, 7);
            f.Pwr = (ch >= 512 && ch <= 885) ? 0 : 5;
            f.RxLevMin = rng_.Range(-108, -100);
            // Spread the means so that some cells hover around the edge of hearing.
            cell.base = rng_.Range(-108, -58);
            cells_.push_back(cell);
        }
    }
    // A modem that has been switched on for a while: registered at home.
    Register(Target());
    BuildRadioCells();
}

const TSimOperator* TSimNetwork::Registered() const {
    return registered_ < 0 ? nullptr : &SimOperators()[registered_];
}

int TSimNetwork::OperatorIndex(const TSimOperator& op) const {
    const auto& ops = SimOperators();
    for (int i = 0; i < static_cast<int>(ops.size()); ++i) {
        if (ops[i].Code == op.Code)
            return i;
    }
    return -1;
}

bool TSimNetwork::IsVisible(const TSimOperator& op) const {
    int i = OperatorIndex(op);
    return i >= 0 && outage_[i] == 0;
}

const TSimOperator* TSimNetwork::FindOperator(std::string_view name, int format) {
    for (const TSimOperator& op : SimOperators()) {
        const std::string& field = format == 0 ? op.LongName : format == 1 ? op.ShortName : op.Code;
        if (field == name)
            return &op;
    }
    return nullptr;
}

// The operator a selection leads to, or -1.
int TSimNetwork::TargetFor(TSimSelection selection) const {
    const auto& ops = SimOperators();
    if (selection == TSimSelection::Deregistered)
        return -1;
    if (selection == TSimSelection::Manual) {
        if (outage_[manualOp_] == 0)
            return manualOp_;
        if (!fallback_)
            return -1;
    }
    if (outage_[0] == 0)
        return 0;
    // Away from home: roam on the partner network with the strongest cell.
    int best = -1;
    int bestDbm = kMinDbm - 1;
    for (int op = 1; op < static_cast<int>(ops.size()); ++op) {
        if (outage_[op] != 0)
            continue;
        int c = StrongestCell(op);
        if (c >= 0 && cells_[c].Dbm() > bestDbm) {
            best = op;
            bestDbm = cells_[c].Dbm();
        }
    }
    return best;
}

int TSimNetwork::StrongestCell(int op) const {
    int best = -1;
    for (int i = 0; i < static_cast<int>(cells_.size()); ++i) {
        if (cells_[i].op == op && (best < 0 || cells_[i].Dbm() > cells_[best].Dbm()))
            best = i;
    }
    return best;
}

void TSimNetwork::Register(int op) {
    registered_ = op;
    searchLeft_ = 0;
    if (op < 0) {
        camped_ = -1;
        regState_ = selection_ == TSimSelection::Deregistered ? 0 : 2;
        return;
    }
    camped_ = StrongestCell(op);
    regState_ = op == 0 ? 1 : 5;
}

void TSimNetwork::Reselect() {
    if (registered_ < 0)
        return;
    int best = StrongestCell(registered_);
    if (camped_ < 0 || cells_[camped_].op != registered_ ||
        cells_[best].Dbm() >= cells_[camped_].Dbm() + kReselectMargin ||
        cells_[camped_].Dbm() < kWeakestHeard)
        camped_ = best;
}

bool TSimNetwork::SelectManual(const TSimOperator& op, bool fallback) {
    int i = OperatorIndex(op);
    if (i < 0)
        return false;
    if (outage_[i] != 0) {
        if (fallback)
            SelectAutomatic();
        return false;
    }
    selection_ = TSimSelection::Manual;
    manualOp_ = i;
    fallback_ = fallback;
    deniedLeft_ = unknownLeft_ = 0;
    Register(i);
    return true;
}

void TSimNetwork::SelectAutomatic() {
    selection_ = TSimSelection::Automatic;
    manualOp_ = -1;
    fallback_ = false;
    if (Target() != registered_ || registered_ < 0)
        Register(Target());
}

bool TSimNetwork::AutomaticWouldMove() const {
    return TargetFor(TSimSelection::Automatic) != registered_;
}

void TSimNetwork::Deregister() {
    selection_ = TSimSelection::Deregistered;
    manualOp_ = -1;
    fallback_ = false;
    deniedLeft_ = unknownLeft_ = 0;
    Register(-1);
    if (call_ != TSimCallState::Idle)
        call_ = TSimCallState::Idle;
}

void TSimNetwork::SetOutage(const TSimOperator& op, int seconds) {
    int i = OperatorIndex(op);
    if (i >= 0)
        outage_[i] = std::max(0, seconds);
}

TSimNetworkEvents TSimNetwork::Step() {
    DriftRadio();
    RandomEvents();
    ResolveRegistration();
    if (camped_ < 0) {
        ber_ = 99;
    } else {
        int dbm = cells_[camped_].Dbm();
        ber_ = dbm >= -85 ? 0 : dbm >= -95 ? rng_.Range(0, 2) : rng_.Range(2, 7);
    }
    StepRadio();
    return StepCall();
}

void TSimNetwork::DriftRadio() {
    for (Cell& cell : cells_) {
        cell.offset = Clamp(cell.offset + rng_.Range(-2, 2), -8, 8);
        if (rng_.Chance(50))
            cell.base = Clamp(cell.base + rng_.Range(-3, 3), -110, -55);
    }
}

void TSimNetwork::RandomEvents() {
    for (int op = 0; op < static_cast<int>(outage_.size()); ++op) {
        if (outage_[op] > 0) {
            --outage_[op];
        } else if (rng_.Chance(op == 0 ? kHomeOutagePerMille : kOtherOutagePerMille)) {
            outage_[op] = op == 0 ? rng_.Range(30, 120) : rng_.Range(60, 300);
        }
    }
    if (registered_ >= 0 && deniedLeft_ == 0 && unknownLeft_ == 0) {
        if (rng_.Chance(kDeniedPerMille))
            deniedLeft_ = rng_.Range(5, 15);
        else if (rng_.Chance(kUnknownPerMille))
            unknownLeft_ = rng_.Range(3, 8);
    }
}

void TSimNetwork::ResolveRegistration() {
    if (deniedLeft_ > 0) {
        // Limited service: still camped and measuring, but not registered.
        --deniedLeft_;
        registered_ = -1;
        regState_ = 3;
        return;
    }
    int target = Target();
    if (target >= 0 && target == registered_) {
        Reselect();
        if (unknownLeft_ > 0) {
            --unknownLeft_;
            regState_ = 4;
        } else {
            regState_ = target == 0 ? 1 : 5;
        }
        return;
    }
    if (target < 0) {
        Register(-1);
        return;
    }
    // A change of network goes through a few seconds of searching.
    registered_ = -1;
    camped_ = -1;
    regState_ = 2;
    if (searchLeft_ <= 0)
        searchLeft_ = rng_.Range(3, 6);
    else if (--searchLeft_ == 0)
        Register(target);
}

TSimNetworkEvents TSimNetwork::StepCall() {
    TSimNetworkEvents events;
    bool registered = regState_ == 1 || regState_ == 5;
    if (!registered) {
        events.CallEnded = call_ == TSimCallState::Voice || call_ == TSimCallState::Data;
        call_ = TSimCallState::Idle;
        return events;
    }
    switch (call_) {
    case TSimCallState::Idle:
        if (rng_.Chance(kIncomingCallPerMille))
            StartIncomingCall(rng_.Chance(200));
        break;
    case TSimCallState::Ringing:
        if (--ringCountdown_ <= 0) {
            if (ringsLeft_ == 0) {
                call_ = TSimCallState::Idle; // the caller gave up
            } else {
                events.Ring = true;
                --ringsLeft_;
                ringCountdown_ = kRingIntervalSteps;
            }
        }
        break;
    case TSimCallState::Voice:
    case TSimCallState::Data:
        if (--callLeft_ <= 0) {
            call_ = TSimCallState::Idle;
            events.CallEnded = true;
        }
        break;
    }
    return events;
}

void TSimNetwork::StartIncomingCall(bool data) {
    call_ = TSimCallState::Ringing;
    incomingData_ = data;
    ringsLeft_ = rng_.Range(4, 8);
    ringCountdown_ = 1; // the first RING comes with the next step
}

TSimCallState TSimNetwork::Answer() {
    if (call_ != TSimCallState::Ringing)
        return TSimCallState::Idle;
    call_ = incomingData_ ? TSimCallState::Data : TSimCallState::Voice;
    callLeft_ = incomingData_ ? rng_.Range(3, 6) : rng_.Range(10, 40);
    return call_;
}

void TSimNetwork::HangUp() {
    call_ = TSimCallState::Idle;
}

TSimCellReport TSimNetwork::Report(const Cell& cell) const {
    TSimCellReport r = cell.fixed;
    r.Dbm = cell.Dbm();
    r.Rssi = Clamp(r.Dbm + 110, 0, 63);
    r.C1 = r.Dbm - r.RxLevMin;
    r.C2 = r.C1;
    return r;
}

std::optional<TSimCellReport> TSimNetwork::Serving() const {
    if (camped_ < 0)
        return std::nullopt;
    return Report(cells_[camped_]);
}

std::vector<TSimCellReport> TSimNetwork::Neighbours() const {
    std::vector<TSimCellReport> list;
    if (camped_ < 0)
        return list;
    for (int i = 0; i < static_cast<int>(cells_.size()); ++i) {
        if (i != camped_ && cells_[i].op == cells_[camped_].op && cells_[i].Dbm() >= kWeakestHeard)
            list.push_back(Report(cells_[i]));
    }
    std::stable_sort(
        list.begin(), list.end(),
        [](const TSimCellReport& a, const TSimCellReport& b) { return a.Dbm > b.Dbm; });
    if (list.size() > kMaxNeighbours)
        list.resize(kMaxNeighbours);
    return list;
}

int TSimNetwork::CsqRssi() const {
    if (camped_ < 0)
        return 99;
    return Clamp((cells_[camped_].Dbm() + 113) / 2, 0, 31);
}

int TSimNetwork::CsqBer() const {
    return camped_ < 0 ? 99 : ber_;
}

} // namespace celdara
