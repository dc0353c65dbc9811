// The base of every member of a distributor chain: its events for both sides of the
// traffic, the claim operations decoders use, forwarding of buffer look-ups and sends to
// the top of the chain, its timer poll, timeout and timed notifications, and the walks over
// the chain that the top's dispatch performs. Everything runs on the main thread; the Busy
// and RefreshTime flags guard against re-entrance.
#pragma once

#include "core/Component.h"
#include "core/Event.h"
#include "core/TickClock.h"
#include "distributor/ChannelRecords.h"

#include <string>
#include <string_view>
#include <vector>

namespace celdara {

class VTolmTopDistributor;
class VTolmDistributor;

// Accessors of one event kind of the two data records (0 receive, 1 send).
#define CELDARA_DISTRIBUTOR_EVENT(Property, Field, Type, Direction)                                \
    const Type& Get##Property() const {                                                            \
        return DataRecords_[Direction].Field;                                                      \
    }                                                                                              \
    void Set##Property(Type handler) {                                                             \
        DataRecords_[Direction].Field = std::move(handler);                                        \
    }

class VTolmGeneralDistributor : public TComponent {
public:
    // `clock` is the tick counter; the application's clock when none is given.
    explicit VTolmGeneralDistributor(TComponent* owner, TTickClock* clock = nullptr);
    ~VTolmGeneralDistributor() override;

    // Stored properties.
    bool GlobalEnabled = true;     // false: timer polls and timeouts skip this subtree
    bool TimerEnabled = false;     // meaningful on the top distributor
    bool ComHandlerEnabled = true; // meaningful on the top distributor
    TDistributorPollProc OnTimerPoll;
    TDistributorPollProc OnTimeout;
    TDistributorConfigLineProc OnConfigLinePoll; // kept for stored forms; never raised
    TDistributorChannelProc OnAdvancedComDecode;

    CELDARA_DISTRIBUTOR_EVENT(OnComRecvDecode, Decode, TDistributorPollProc, 0)
    CELDARA_DISTRIBUTOR_EVENT(OnComRecvPoll, Poll, TDistributorDataProc, 0)
    CELDARA_DISTRIBUTOR_EVENT(OnComRecvCharPoll, CharPoll, TDistributorCharProc, 0)
    CELDARA_DISTRIBUTOR_EVENT(OnComRecvTransfer, Transfer, TDistributorTransferProc, 0)
    CELDARA_DISTRIBUTOR_EVENT(OnComSendDecode, Decode, TDistributorPollProc, 1)
    CELDARA_DISTRIBUTOR_EVENT(OnComSendPoll, Poll, TDistributorDataProc, 1)
    CELDARA_DISTRIBUTOR_EVENT(OnComSendCharPoll, CharPoll, TDistributorCharProc, 1)
    CELDARA_DISTRIBUTOR_EVENT(OnComSendTransfer, Transfer, TDistributorTransferProc, 1)
    CELDARA_DISTRIBUTOR_EVENT(OnAdvancedRecvDecode, AdvancedDecode, TDistributorAdvancedPollProc, 0)
    CELDARA_DISTRIBUTOR_EVENT(OnAdvancedRecvPoll, AdvancedPoll, TDistributorAdvancedDataProc, 0)
    CELDARA_DISTRIBUTOR_EVENT(OnAdvancedRecvCharPoll, AdvancedCharPoll,
                              TDistributorAdvancedCharProc, 0)
    CELDARA_DISTRIBUTOR_EVENT(OnAdvancedRecvTransfer, AdvancedTransfer,
                              TDistributorAdvancedTransferProc, 0)
    CELDARA_DISTRIBUTOR_EVENT(OnAdvancedSendDecode, AdvancedDecode, TDistributorAdvancedPollProc, 1)
    CELDARA_DISTRIBUTOR_EVENT(OnAdvancedSendPoll, AdvancedPoll, TDistributorAdvancedDataProc, 1)
    CELDARA_DISTRIBUTOR_EVENT(OnAdvancedSendCharPoll, AdvancedCharPoll,
                              TDistributorAdvancedCharProc, 1)
    CELDARA_DISTRIBUTOR_EVENT(OnAdvancedSendTransfer, AdvancedTransfer,
                              TDistributorAdvancedTransferProc, 1)

    // State, for handlers and tests.
    Tick Time() const { return Time_; }
    bool Busy() const { return Busy_; }
    bool RefreshTime() const { return RefreshTime_; }
    bool TimeoutArmed() const { return TimeoutArmed_; }
    const std::vector<VTolmDistributor*>& Children() const { return Children_; }
    const VTolmDistributor_DataRecord& DataRecord(int direction) const {
        return DataRecords_[direction & 1];
    }
    // Active timed notifications (the spare entry not counted).
    int TimerEventCount() const;
    TTickClock& Clock() const { return *clock_; }

    // Claims. Index is a side index; a bad index throws std::out_of_range.
    virtual std::string* GetComBuffer(int Index);
    virtual int GetComLength(int Index);
    virtual void SetComLength(int Index, int Value);
    virtual bool GetComFailed(int Index);
    virtual void SetComFailed(int Index, bool Value);
    // The same by channel object and direction; they create the channel on first use.
    virtual std::string* GetComBuffer(TObject* Channel, int Direction);
    virtual int GetComLength(TObject* Channel, int Direction);
    virtual void SetComLength(TObject* Channel, int Direction, int Value);
    virtual bool GetComFailed(TObject* Channel, int Direction);
    virtual void SetComFailed(TObject* Channel, int Direction, bool Value);

    // Sends through the top of the chain; the first form uses this distributor's Time.
    virtual void SendComData(const std::string& Data);
    virtual void SendComData(Tick& TheTime, const std::string& Data);
    virtual void SendComData(TObject* Channel, Tick& TheTime, const std::string& Data);

    // Arms (Period >= 0 ms, counted from Time) or disarms (-1) OnTimeout.
    void SetTimeout(int Period);
    // Adds, re-arms (same event) or, with Period -1, removes a timed notification.
    void SetTimerEvent(int Period, bool Repeating, TNotifyEvent Event);
    void SetTimerEvent(int Period, TNotifyEvent Event) { SetTimerEvent(Period, false, Event); }

    VTolmTopDistributor* GetTopDistributor();
    // The channel number of Channel at the top of this chain, created on first use.
    int GetChannelIndex(TObject* Channel);

    // The walks over the chain (this distributor, then its children in order, depth first).
    void DoTimerPoll(Tick& TheTime);
    void DoTimeout(Tick& TheTime);
    void DoTimerEvents(Tick& TheTime);
    void DoComDecode(int Index, Tick& TheTime);
    void FindLowest(int Index, VTolmGeneralDistributor*& Lowest, int& Best, bool Strict);
    void DoComTransfer(int Index, Tick& TheTime, bool failed, VTolmGeneralDistributor* Lowest,
                       const std::string& Data);
    void ResetClaims(int Index);

    void Notification(TComponent* component, TOperation operation) override;

    // Consistency reports go to DebugStop; a sink set here sees them too (tests, logs).
    using TDiagnosticSink = void (*)(std::string_view message);
    static void SetDiagnosticSink(TDiagnosticSink sink);

protected:
    static void Report(std::string_view message);

    VTolmDistributor_ChannelRecord& Claim(int Index) {
        return DataRecords_[Index & 1].Channels[static_cast<std::size_t>(Index >> 1)];
    }
    VTolmDistributor_ChannelRecord& CheckedClaim(int Index);
    // Gives both Channels arrays of this distributor and its subtree `count` elements.
    void ResizeChannels(std::size_t count);
    // Forgets the cached top and buffer pointers here and below (the chain changed).
    void ForgetChainCaches();
    // Whether any distributor of the chain from here down has a decoder for the side.
    bool HasDecoder(int Index) const;
    TObject* ChannelOfSide(int Index);

    // The start of a timer walk: false when this distributor sits it out, disabled or busy
    // in a handler of its own (which then takes a fresh tick); else it takes the walk's time.
    bool BeginTimerWalk(Tick& TheTime);
    // The own-event rule: Busy around the handler, a fresh tick when a walk was skipped.
    template <typename Call>
    void RunOwnEvent(Tick& TheTime, Call&& call);

    VTolmDistributor_DataRecord DataRecords_[2];
    std::vector<VTolmDistributor*> Children_;
    VTolmTopDistributor* CachedTop_ = nullptr;
    TTickClock* clock_;
    Tick Time_ = 0;
    bool Busy_ = false;
    bool RefreshTime_ = false;

private:
    struct TimerEntry {
        TNotifyEvent Event;
        Tick Start = 0;
        int Period = 0;
        bool Repeating = false;
    };

    void RemoveTimerEntry(std::size_t position);
    void DoComDecodeWalk(int Index, TObject* Channel, Tick& TheTime);
    void DoComTransferWalk(int Index, TObject* Channel, Tick& TheTime, bool failed,
                           VTolmGeneralDistributor* Lowest, const std::string& Data);

    bool TimeoutArmed_ = false;
    Tick TimeoutStart_ = 0;
    int TimeoutPeriod_ = 0;
    std::vector<TimerEntry> TimerEvents_; // active entries, then at most one spare
    bool HasSpare_ = false;

    friend class VTolmTopDistributor;
    friend class VTolmDistributor;
};

#undef CELDARA_DISTRIBUTOR_EVENT

} // namespace celdara
