#include "distributor/GeneralDistributor.h"

#include "core/Application.h"
#include "distributor/LinkedDistributor.h"
#include "distributor/TopDistributor.h"
#include "util/Debug.h"

#include <atomic>
#include <stdexcept>

namespace celdara {

namespace {
constexpr const char* kNoTopBuffer =
    "GetComBuffer: VTolmDistributor chain does not begin with VTolmTopDistributor";
constexpr const char* kNoTopSend =
    "SendComData: VTolmDistributor chain does not begin with VTolmTopDistributor";

std::atomic<VTolmGeneralDistributor::TDiagnosticSink> diagnosticSink{nullptr};

int CheckedDirection(int Direction) {
    if (Direction != 0 && Direction != 1)
        throw std::out_of_range("distributor direction must be 0 (receive) or 1 (send)");
    return Direction;
}
} // namespace

VTolmGeneralDistributor::VTolmGeneralDistributor(TComponent* owner, TTickClock* clock)
    : TComponent(owner), clock_(clock ? clock : &Application().Clock()) {}

VTolmGeneralDistributor::~VTolmGeneralDistributor() {
    NotifyRemoval();
    // Before destruction: no more timer work, and the children stand on their own.
    OnTimerPoll = {};
    TimerEvents_.clear();
    HasSpare_ = false;
    while (!Children_.empty())
        Children_.back()->SetDistributor(nullptr);
    for (int direction : {1, 0}) {
        if (DataRecords_[direction].Channels.size() > 1) {
            Report("VTolmGeneralDistributor[=" + Name() +
                   "].Destroy: Please call DeleteChannel after communication termination");
        }
    }
    Children_.clear();
}

void VTolmGeneralDistributor::SetDiagnosticSink(TDiagnosticSink sink) {
    diagnosticSink.store(sink);
}

void VTolmGeneralDistributor::Report(std::string_view message) {
    DebugStop(message);
    if (TDiagnosticSink sink = diagnosticSink.load())
        sink(message);
}

int VTolmGeneralDistributor::TimerEventCount() const {
    return static_cast<int>(TimerEvents_.size()) - (HasSpare_ ? 1 : 0);
}

VTolmDistributor_ChannelRecord& VTolmGeneralDistributor::CheckedClaim(int Index) {
    if (Index < 0)
        throw std::out_of_range("negative side index");
    return DataRecords_[Index & 1].Channels.at(static_cast<std::size_t>(Index >> 1));
}

std::string* VTolmGeneralDistributor::GetComBuffer(int Index) {
    VTolmDistributor_ChannelRecord& claim = CheckedClaim(Index);
    if (!claim.Buffer) {
        VTolmTopDistributor* top = GetTopDistributor();
        if (!top)
            throw std::runtime_error(kNoTopBuffer);
        std::string* buffer = top->GetComBuffer(Index);
        CheckedClaim(Index).Buffer = buffer;
        return buffer;
    }
    return claim.Buffer;
}

int VTolmGeneralDistributor::GetComLength(int Index) {
    return CheckedClaim(Index).Length;
}

void VTolmGeneralDistributor::SetComLength(int Index, int Value) {
    CheckedClaim(Index).Length = Value;
}

bool VTolmGeneralDistributor::GetComFailed(int Index) {
    return CheckedClaim(Index).Failed;
}

void VTolmGeneralDistributor::SetComFailed(int Index, bool Value) {
    CheckedClaim(Index).Failed = Value;
}

std::string* VTolmGeneralDistributor::GetComBuffer(TObject* Channel, int Direction) {
    return GetComBuffer(CheckedDirection(Direction) + GetChannelIndex(Channel) * 2);
}

int VTolmGeneralDistributor::GetComLength(TObject* Channel, int Direction) {
    return GetComLength(CheckedDirection(Direction) + GetChannelIndex(Channel) * 2);
}

void VTolmGeneralDistributor::SetComLength(TObject* Channel, int Direction, int Value) {
    SetComLength(CheckedDirection(Direction) + GetChannelIndex(Channel) * 2, Value);
}

bool VTolmGeneralDistributor::GetComFailed(TObject* Channel, int Direction) {
    return GetComFailed(CheckedDirection(Direction) + GetChannelIndex(Channel) * 2);
}

void VTolmGeneralDistributor::SetComFailed(TObject* Channel, int Direction, bool Value) {
    SetComFailed(CheckedDirection(Direction) + GetChannelIndex(Channel) * 2, Value);
}

void VTolmGeneralDistributor::SendComData(const std::string& Data) {
    SendComData(Time_, Data);
}

void VTolmGeneralDistributor::SendComData(Tick& TheTime, const std::string& Data) {
    VTolmTopDistributor* top = GetTopDistributor();
    if (!top)
        throw std::runtime_error(kNoTopSend);
    top->SendComData(TheTime, Data);
}

void VTolmGeneralDistributor::SendComData(TObject* Channel, Tick& TheTime,
                                          const std::string& Data) {
    VTolmTopDistributor* top = GetTopDistributor();
    if (!top)
        throw std::runtime_error(kNoTopSend);
    top->SendComData(Channel, TheTime, Data);
}

void VTolmGeneralDistributor::SetTimeout(int Period) {
    TimeoutStart_ = Time_;
    TimeoutPeriod_ = Period;
    // -1 disarms; other negative periods are no periods either.
    TimeoutArmed_ = Period >= 0;
}

void VTolmGeneralDistributor::SetTimerEvent(int Period, bool Repeating, TNotifyEvent Event) {
    if (!Event)
        return;
    const std::size_t active = static_cast<std::size_t>(TimerEventCount());
    std::size_t position = active;
    for (std::size_t i = 0; i < active; ++i) {
        if (TimerEvents_[i].Event == Event) {
            position = i;
            break;
        }
    }
    if (Period < 0) {
        if (position < active)
            RemoveTimerEntry(position);
        return;
    }
    if (position == active) {
        if (HasSpare_)
            HasSpare_ = false; // the spare at the end becomes the new entry
        else
            TimerEvents_.emplace_back();
        TimerEvents_[position].Event = std::move(Event);
    }
    TimerEntry& entry = TimerEvents_[position];
    entry.Start = Time_;
    entry.Period = Period;
    entry.Repeating = Repeating;
}

void VTolmGeneralDistributor::RemoveTimerEntry(std::size_t position) {
    const std::size_t active = static_cast<std::size_t>(TimerEventCount());
    for (std::size_t i = position; i + 1 < active; ++i)
        TimerEvents_[i] = std::move(TimerEvents_[i + 1]);
    // The vacated last slot is the spare now; an older spare goes.
    TimerEvents_.resize(active);
    TimerEvents_.back() = TimerEntry{};
    HasSpare_ = true;
}

VTolmTopDistributor* VTolmGeneralDistributor::GetTopDistributor() {
    if (!CachedTop_) {
        VTolmGeneralDistributor* current = this;
        while (auto* linked = dynamic_cast<VTolmDistributor*>(current))
            current = linked->Distributor();
        if (current)
            CachedTop_ = dynamic_cast<VTolmTopDistributor*>(current);
    }
    return CachedTop_;
}

int VTolmGeneralDistributor::GetChannelIndex(TObject* Channel) {
    VTolmTopDistributor* top = GetTopDistributor();
    if (!top)
        throw std::runtime_error(kNoTopBuffer);
    return top->GetChannelIndex(Channel);
}

template <typename Call>
void VTolmGeneralDistributor::RunOwnEvent(Tick& TheTime, Call&& call) {
    struct BusyGuard {
        bool& busy;
        ~BusyGuard() { busy = false; }
    } guard{Busy_};
    Busy_ = true;
    call();
    if (RefreshTime_) {
        // A timer walk passed by while the handler ran: time has moved on.
        RefreshTime_ = false;
        TheTime = clock_->Now();
        Time_ = TheTime;
    }
}

bool VTolmGeneralDistributor::BeginTimerWalk(Tick& TheTime) {
    if (!GlobalEnabled)
        return false;
    if (Busy_) {
        RefreshTime_ = true;
        return false;
    }
    Time_ = TheTime;
    return true;
}

void VTolmGeneralDistributor::DoTimerPoll(Tick& TheTime) {
    if (!BeginTimerWalk(TheTime))
        return;
    for (std::size_t i = 0; i < Children_.size(); ++i)
        Children_[i]->DoTimerPoll(TheTime);
    if (OnTimerPoll)
        RunOwnEvent(TheTime, [&] { OnTimerPoll(this, TheTime); });
}

void VTolmGeneralDistributor::DoTimeout(Tick& TheTime) {
    if (!BeginTimerWalk(TheTime))
        return;
    for (std::size_t i = 0; i < Children_.size(); ++i)
        Children_[i]->DoTimeout(TheTime);
    if (TimeoutArmed_ && TickElapsed(TimeoutStart_, static_cast<Tick>(TimeoutPeriod_), Time_)) {
        TimeoutArmed_ = false;
        if (OnTimeout)
            RunOwnEvent(TheTime, [&] { OnTimeout(this, TheTime); });
    }
}

void VTolmGeneralDistributor::DoTimerEvents(Tick& TheTime) {
    if (Busy_) {
        RefreshTime_ = true;
        return;
    }
    Time_ = TheTime;
    for (std::size_t i = 0; i < Children_.size(); ++i)
        Children_[i]->DoTimerEvents(TheTime);
    const int countBefore = TimerEventCount();
    for (std::size_t i = 0; static_cast<int>(i) < TimerEventCount(); ++i) {
        TimerEntry& entry = TimerEvents_[i];
        if (!TickElapsed(entry.Start, static_cast<Tick>(entry.Period), Time_))
            continue;
        TNotifyEvent event = entry.Event;
        if (entry.Repeating)
            entry.Start = TheTime;
        else
            RemoveTimerEntry(i);
        RunOwnEvent(TheTime, [&] { event(this); });
        // The list changed under the handler: the rest waits for the next pass.
        if (TimerEventCount() != countBefore)
            break;
    }
}

TObject* VTolmGeneralDistributor::ChannelOfSide(int Index) {
    VTolmTopDistributor* top = GetTopDistributor();
    if (!top || Index < 0 || static_cast<std::size_t>(Index) >= top->TopRecords_.size())
        return nullptr;
    return top->TopRecords_[static_cast<std::size_t>(Index)]->Channel;
}

void VTolmGeneralDistributor::DoComDecode(int Index, Tick& TheTime) {
    DoComDecodeWalk(Index, ChannelOfSide(Index), TheTime);
}

void VTolmGeneralDistributor::DoComDecodeWalk(int Index, TObject* Channel, Tick& TheTime) {
    const int direction = Index & 1;
    {
        VTolmDistributor_ChannelRecord& claim = Claim(Index);
        claim.Length = 0;
        claim.Failed = true;
    }
    VTolmDistributor_DataRecord& record = DataRecords_[direction];
    if (Index < 2 && record.Decode)
        record.Decode(this, TheTime);
    if (record.AdvancedDecode)
        record.AdvancedDecode(this, Channel, TheTime);
    if (OnAdvancedComDecode) {
        // Handlers may have added channels: look the claim up again.
        VTolmDistributor_ChannelRecord& claim = Claim(Index);
        if (!claim.Buffer)
            claim.Buffer = GetComBuffer(Index);
        OnAdvancedComDecode(this, Channel, &Claim(Index), TheTime);
    }
    for (std::size_t i = 0; i < Children_.size(); ++i)
        Children_[i]->DoComDecodeWalk(Index, Channel, TheTime);
}

void VTolmGeneralDistributor::FindLowest(int Index, VTolmGeneralDistributor*& Lowest, int& Best,
                                         bool Strict) {
    const VTolmDistributor_ChannelRecord& claim = Claim(Index);
    const int c = claim.Length;
    if (c > 0 && c <= Best) {
        if (!Strict || c < Best || !claim.Failed) {
            Lowest = this;
            Best = c;
        }
    }
    for (VTolmDistributor* child : Children_)
        child->FindLowest(Index, Lowest, Best, Strict);
}

void VTolmGeneralDistributor::DoComTransfer(int Index, Tick& TheTime, bool failed,
                                            VTolmGeneralDistributor* Lowest,
                                            const std::string& Data) {
    DoComTransferWalk(Index, ChannelOfSide(Index), TheTime, failed, Lowest, Data);
}

void VTolmGeneralDistributor::DoComTransferWalk(int Index, TObject* Channel, Tick& TheTime,
                                                bool failed, VTolmGeneralDistributor* Lowest,
                                                const std::string& Data) {
    VTolmDistributor_DataRecord& record = DataRecords_[Index & 1];
    if (Index < 2 && record.CharPoll) {
        for (char c : Data)
            record.CharPoll(this, TheTime, c);
    }
    if (record.AdvancedCharPoll) {
        for (char c : Data)
            record.AdvancedCharPoll(this, Channel, TheTime, c);
    }
    if (Index < 2 && record.Transfer)
        record.Transfer(this, TheTime, Data, Lowest, failed);
    if (record.AdvancedTransfer)
        record.AdvancedTransfer(this, Channel, TheTime, Data, Lowest, failed);
    for (std::size_t i = 0; i < Children_.size(); ++i)
        Children_[i]->DoComTransferWalk(Index, Channel, TheTime, failed, Lowest, Data);
}

void VTolmGeneralDistributor::ResetClaims(int Index) {
    VTolmDistributor_ChannelRecord& claim = Claim(Index);
    claim.Length = 0;
    claim.Failed = true;
    for (VTolmDistributor* child : Children_)
        child->ResetClaims(Index);
}

bool VTolmGeneralDistributor::HasDecoder(int Index) const {
    const VTolmDistributor_DataRecord& record = DataRecords_[Index & 1];
    if ((Index < 2 && record.Decode) || record.AdvancedDecode || OnAdvancedComDecode)
        return true;
    for (const VTolmDistributor* child : Children_)
        if (child->HasDecoder(Index))
            return true;
    return false;
}

void VTolmGeneralDistributor::ResizeChannels(std::size_t count) {
    for (VTolmDistributor_DataRecord& record : DataRecords_)
        record.Channels.resize(count);
    for (VTolmDistributor* child : Children_)
        child->ResizeChannels(count);
}

void VTolmGeneralDistributor::ForgetChainCaches() {
    CachedTop_ = nullptr;
    for (VTolmDistributor_DataRecord& record : DataRecords_)
        for (VTolmDistributor_ChannelRecord& claim : record.Channels)
            claim.Buffer = nullptr;
    for (VTolmDistributor* child : Children_)
        child->ForgetChainCaches();
}

void VTolmGeneralDistributor::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && dynamic_cast<VTolmGeneralDistributor*>(component))
        CachedTop_ = nullptr;
}

} // namespace celdara
