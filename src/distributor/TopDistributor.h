// The head of a distributor chain. It is bound to a timer and to a communication
// component, keeps the buffers of every channel side, appends what the component receives
// and dispatches it: decoders claim complete messages, the shortest claim wins, its
// characters go to the Transfer and character events of the chain and, as one message, to
// the Poll events of the claimer and of every distributor above it. Sends go to the
// component and to the send side, whose dispatch shows them to the send-side events.
#pragma once

#include "core/CommunicationComponent.h"
#include "core/Timer.h"
#include "distributor/GeneralDistributor.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace celdara {

using TDistributorUpdateComHandlerProc = TEvent<void(
    VTolmGeneralDistributor* Sender, VTolmCommunicationComponent*& handler, TObject*& channel)>;
using TDistributorUpdateComSendRecvProc = TEvent<void(TObject*& Sender, TObject*& channel)>;

class VTolmTopDistributor : public VTolmGeneralDistributor {
public:
    explicit VTolmTopDistributor(TComponent* owner, TTickClock* clock = nullptr);
    ~VTolmTopDistributor() override;

    // Stored properties.
    bool AutomaticCreate = true; // Loaded creates a missing timer and communication component
    bool DoTimerAfterData = true;
    TDistributorUpdateComHandlerProc OnUpdateHandler;
    TDistributorUpdateComSendRecvProc OnUpdateComReceive; // kept for stored forms; never raised
    TDistributorUpdateComSendRecvProc OnUpdateComSend;    // kept for stored forms; never raised

    TTimer* Timer() const { return Timer_; }
    void SetTimer(TTimer* Value);
    VTolmCommunicationComponent* ComHandler() const { return ComHandler_; }
    void SetComHandler(VTolmCommunicationComponent* Value);

    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;

    // One timer tick: dispatch the main channel again, then the chain's timer polls,
    // timeouts and timed notifications.
    void DoTimer(TObject* Sender);
    // The handler installed as the bound component's OnAdvancedReceiveData.
    void ComAdvancedReceiveData(VTolmCommunicationComponent* Sender, TObject* Channel,
                                const void* Buffer, std::uint16_t BufferLength);
    // The dispatch of one side.
    void DistributeComData(int Index, Tick& TheTime);

    using VTolmGeneralDistributor::GetComBuffer;
    using VTolmGeneralDistributor::SendComData;
    std::string* GetComBuffer(int Index) override;
    void SendComData(Tick& TheTime, const std::string& Data) override;
    void SendComData(TObject* Channel, Tick& TheTime, const std::string& Data) override;

    // Channels: looked up by object (created on first use), deleted, and buffers cut.
    int GetChannelIndex(TObject* Channel);
    bool DeleteChannel(TObject* Channel);
    int CutComBuffer(int Index, int Count);

    // Inspection.
    int ChannelCount() const { return static_cast<int>(TopRecords_.size() / 2); }
    const VTolmDistributor_TopDataRecord& TopRecord(int Index) const {
        return *TopRecords_.at(static_cast<std::size_t>(Index));
    }
    // Running dispatches (finished ones not yet removed included).
    std::size_t DispatchDepth() const { return DispatchStack_.size(); }

private:
    using TopRecord_t = VTolmDistributor_TopDataRecord;

    void RunDispatch(std::size_t position, TopRecord_t* rec, Tick& TheTime);
    // A pass that no decoder claimed: the listeners hear the fresh characters. False when
    // the dispatch was abandoned meanwhile.
    bool PassUnclaimed(std::size_t position, TopRecord_t* rec, Tick& TheTime);
    // Hands the characters the lowest claim took to the listeners and then to the
    // decoders' walk. False when the dispatch ends here.
    bool DeliverClaim(std::size_t position, TopRecord_t* rec, VTolmGeneralDistributor* Lowest,
                      Tick& TheTime);
    // The Poll walk from the claimer upwards; false when the dispatch was abandoned.
    bool PollWalk(std::size_t position, VTolmGeneralDistributor* Lowest, const std::string& Message,
                  bool& processed, Tick& TheTime);
    void EndDispatch(std::size_t position, TopRecord_t* rec, int startIndex, bool byException);
    bool Abandoned(std::size_t position) const { return DispatchStack_[position] < 0; }
    void ReleaseTimer();
    TAdvancedEventReceiveData OwnReceiveHandler();

    TTimer* Timer_ = nullptr;
    bool OwnsTimer_ = false;
    VTolmCommunicationComponent* ComHandler_ = nullptr;
    bool OwnsComHandler_ = false;
    std::vector<std::unique_ptr<TopRecord_t>> TopRecords_;
    bool TimerDispatching_ = false;
    // The side index of every running dispatch, innermost last; negative values mark
    // abandoned and finished dispatches.
    std::vector<int> DispatchStack_;

    friend class VTolmGeneralDistributor;
};

// Registers the two distributor classes with the application, so that stored
// descriptions can create them by name.
void RegisterDistributorClasses();

} // namespace celdara
