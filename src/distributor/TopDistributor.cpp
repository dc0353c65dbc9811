#include "distributor/TopDistributor.h"

#include "core/Application.h"
#include "distributor/LinkedDistributor.h"

#include <algorithm>
#include <climits>

namespace celdara {

namespace {
// DispatchStack marks besides side indexes.
constexpr int kAbandoned = -1;     // its channel was deleted; its records are gone
constexpr int kFinished = -2;      // done, waiting to be popped
constexpr int kAbandonedKept = -3; // the main channel was reset; its records remain

constexpr int kWholeBuffer = INT_MAX;
} // namespace

VTolmTopDistributor::VTolmTopDistributor(TComponent* owner, TTickClock* clock)
    : VTolmGeneralDistributor(owner, clock) {
    TimerEnabled = true;
    CachedTop_ = this;
    TopRecords_.push_back(std::make_unique<TopRecord_t>());
    TopRecords_.push_back(std::make_unique<TopRecord_t>());
}

VTolmTopDistributor::~VTolmTopDistributor() {
    NotifyRemoval();
    // Before destruction: unbinding the component resets the main channel.
    SetComHandler(nullptr);
    SetTimer(nullptr);
    const std::string name = Name();
    if (TopRecords_.size() > 2) {
        Report("VTolmTopDistributor(" + name +
               ").Destroy: Please call DeleteChannel after communication termination");
    }
    if (TopRecords_[0]->Released != TopRecords_[1]->Released)
        Report("VTolmTopDistributor(" + name + ").Destroy: zmatky s freed");
    if (!TopRecords_[0]->Released) {
        Report("VTolmTopDistributor(" + name +
               ").Destroy: Please call DeleteChannel(nil) after communication termination (e.g. "
               "in TLyrComm32.OnStateChange)");
    }
    TopRecords_.clear();
}

TAdvancedEventReceiveData VTolmTopDistributor::OwnReceiveHandler() {
    return TAdvancedEventReceiveData::Bind<&VTolmTopDistributor::ComAdvancedReceiveData>(this);
}

void VTolmTopDistributor::ReleaseTimer() {
    if (!Timer_)
        return;
    // A timer that outlives this binding must not keep ticking into it.
    if (Timer_->OnTimer() == TNotifyEvent::Bind<&VTolmTopDistributor::DoTimer>(this))
        Timer_->SetOnTimer({});
    if (OwnsTimer_) {
        OwnsTimer_ = false;
        TTimer* old = Timer_;
        Timer_ = nullptr;
        delete old;
    } else {
        RemoveFreeNotification(Timer_);
        Timer_ = nullptr;
    }
}

void VTolmTopDistributor::SetTimer(TTimer* Value) {
    if (Value == Timer_)
        return;
    ReleaseTimer();
    Timer_ = Value;
    if (Value) {
        Value->FreeNotification(this);
        Value->SetOnTimer(TNotifyEvent::Bind<&VTolmTopDistributor::DoTimer>(this));
    }
}

void VTolmTopDistributor::SetComHandler(VTolmCommunicationComponent* Value) {
    if (Value == ComHandler_)
        return;
    if (ComHandler_) {
        // Clear the receive handler only if it is still a distributor's own.
        if (ComHandler_->GetOnAdvancedReceiveData().GetCode() == OwnReceiveHandler().GetCode())
            ComHandler_->SetOnAdvancedReceiveData({});
        DeleteChannel(nullptr);
    }
    if (OwnsComHandler_) {
        OwnsComHandler_ = false;
        VTolmCommunicationComponent* old = ComHandler_;
        ComHandler_ = nullptr;
        delete old;
    } else if (ComHandler_) {
        RemoveFreeNotification(ComHandler_);
    }
    ComHandler_ = Value;
    if (Value) {
        Value->FreeNotification(this);
        Value->SetOnAdvancedReceiveData(OwnReceiveHandler());
        DeleteChannel(nullptr);
    }
}

void VTolmTopDistributor::Loaded() {
    VTolmGeneralDistributor::Loaded();
    if (!AutomaticCreate || IsDesigning())
        return;
    if (!Timer_) {
        TComponent* created = Application().CreateComponent("TTimer", this);
        if (auto* timer = dynamic_cast<TTimer*>(created)) {
            SetTimer(timer);
            timer->SetName("VTolmDistributionTimer");
            timer->SetInterval(20);
            OwnsTimer_ = true;
        } else {
            delete created;
        }
    }
    if (!ComHandler_) {
        TComponent* created = Application().CreateComponent("TLyrComm32", this);
        if (auto* link = dynamic_cast<VTolmCommunicationComponent*>(created)) {
            SetComHandler(link);
            link->SetName("VTolmCOMHandler");
            OwnsComHandler_ = true;
        } else {
            delete created;
        }
    }
}

void VTolmTopDistributor::Notification(TComponent* component, TOperation operation) {
    VTolmGeneralDistributor::Notification(component, operation);
    if (operation != TOperation::opRemove || !component)
        return;
    if (component == ComHandler_) {
        if (!ComHandler_->IsOpen())
            DeleteChannel(nullptr);
        OwnsComHandler_ = false;
        ComHandler_ = nullptr;
    }
    if (component == Timer_) {
        OwnsTimer_ = false;
        Timer_ = nullptr;
    }
}

std::string* VTolmTopDistributor::GetComBuffer(int Index) {
    if (Index < 0)
        throw std::out_of_range("negative side index");
    return &TopRecords_.at(static_cast<std::size_t>(Index))->Buffer;
}

int VTolmTopDistributor::GetChannelIndex(TObject* Channel) {
    for (std::size_t i = 0; i + 1 < TopRecords_.size(); i += 2) {
        if (TopRecords_[i]->Channel == Channel) {
            TopRecords_[i]->Released = false;
            TopRecords_[i + 1]->Released = false;
            return static_cast<int>(i / 2);
        }
    }
    for (int direction = 0; direction < 2; ++direction) {
        auto record = std::make_unique<TopRecord_t>();
        record->Channel = Channel;
        TopRecords_.push_back(std::move(record));
    }
    const std::size_t count = TopRecords_.size() / 2;
    ResizeChannels(count);
    return static_cast<int>(count - 1);
}

bool VTolmTopDistributor::DeleteChannel(TObject* Channel) {
    if (!Channel) {
        CutComBuffer(0, kWholeBuffer);
        CutComBuffer(1, kWholeBuffer);
        TopRecords_[0]->Released = true;
        TopRecords_[1]->Released = true;
        for (int& entry : DispatchStack_)
            if (entry == 0 || entry == 1)
                entry = kAbandonedKept;
        return true;
    }
    int k = -1;
    for (int channel = ChannelCount() - 1; channel >= 0; --channel) {
        if (TopRecords_[static_cast<std::size_t>(channel) * 2]->Channel == Channel) {
            k = channel;
            break;
        }
    }
    if (k <= 0)
        return false;
    const int last = ChannelCount() - 1;
    for (int& entry : DispatchStack_) {
        if (entry == 2 * k || entry == 2 * k + 1)
            entry = kAbandoned;
        else if (entry == 2 * last || entry == 2 * last + 1)
            entry -= 2 * (last - k); // the moved channel's dispatch follows it
    }
    // Every distributor of the chain: channel `last`'s claims move into number k.
    struct Mover {
        static void Move(VTolmGeneralDistributor* d, std::size_t k, std::size_t last) {
            for (VTolmDistributor_DataRecord& record : d->DataRecords_) {
                record.Channels[k].Buffer = nullptr;
                record.Channels[k] = record.Channels[last];
                record.Channels.resize(last);
            }
            for (VTolmDistributor* child : d->Children_)
                Move(child, k, last);
        }
    };
    Mover::Move(this, static_cast<std::size_t>(k), static_cast<std::size_t>(last));
    const auto ks = static_cast<std::size_t>(k) * 2;
    const auto lasts = static_cast<std::size_t>(last) * 2;
    TopRecords_[ks] = std::move(TopRecords_[lasts]);
    TopRecords_[ks + 1] = std::move(TopRecords_[lasts + 1]);
    TopRecords_.resize(lasts);
    return true;
}

int VTolmTopDistributor::CutComBuffer(int Index, int Count) {
    TopRecord_t& rec = *TopRecords_.at(static_cast<std::size_t>(Index));
    const auto length = static_cast<std::int64_t>(rec.Buffer.size());
    std::int64_t count = Count;
    if (count == -1 || count > length)
        count = length;
    if (count <= 0)
        return 0;
    rec.Buffer.erase(0, static_cast<std::size_t>(count));
    rec.Scanned = static_cast<std::int32_t>(std::max<std::int64_t>(0, rec.Scanned - count));
    return static_cast<int>(count);
}

void VTolmTopDistributor::ComAdvancedReceiveData(VTolmCommunicationComponent*, TObject* Channel,
                                                 const void* Buffer, std::uint16_t BufferLength) {
    if (IsDesigning() || !ComHandlerEnabled)
        return;
    if (!Buffer && BufferLength > 0)
        return;
    const int Index = GetChannelIndex(Channel) * 2;
    TopRecords_[static_cast<std::size_t>(Index)]->Buffer.append(static_cast<const char*>(Buffer),
                                                                BufferLength);
    Tick TheTime = clock_->Now();
    Time_ = TheTime;
    DistributeComData(Index, TheTime);
    if (DoTimerAfterData)
        DoTimer(Timer_);
}

void VTolmTopDistributor::SendComData(Tick& TheTime, const std::string& Data) {
    if (ComHandler_)
        ComHandler_->SendData(Data.data(), static_cast<std::int32_t>(Data.size()));
    TopRecords_[1]->Buffer += Data;
    DistributeComData(1, TheTime);
}

void VTolmTopDistributor::SendComData(TObject* Channel, Tick& TheTime, const std::string& Data) {
    VTolmCommunicationComponent* handler = ComHandler_;
    TObject* ch = Channel;
    if (OnUpdateHandler)
        OnUpdateHandler(this, handler, ch);
    if (!handler)
        return;
    handler->AdvancedSendData(ch, Data.data(), static_cast<std::int32_t>(Data.size()));
    const int Index = GetChannelIndex(Channel) * 2 + 1;
    TopRecords_[static_cast<std::size_t>(Index)]->Buffer += Data;
    DistributeComData(Index, TheTime);
}

void VTolmTopDistributor::DoTimer(TObject*) {
    if (IsDesigning() || IsDestroying())
        return;
    Tick TheTime = clock_->Now();
    if (TimerEnabled) {
        for (int side = 0; side < 2; ++side) {
            if (TimerDispatching_)
                continue;
            struct Flag {
                bool& flag;
                ~Flag() { flag = false; }
            } guard{TimerDispatching_};
            TimerDispatching_ = true;
            DistributeComData(side, TheTime);
        }
        DoTimerPoll(TheTime);
        DoTimeout(TheTime);
    }
    DoTimerEvents(TheTime);
}

void VTolmTopDistributor::DistributeComData(int Index, Tick& TheTime) {
    if (Index < 0 || static_cast<std::size_t>(Index) >= TopRecords_.size())
        return;
    TopRecord_t* rec = TopRecords_[static_cast<std::size_t>(Index)].get();
    if (rec->Busy) {
        rec->Again = true; // the running dispatch makes another pass
        return;
    }
    rec->Busy = true;
    DispatchStack_.push_back(Index);
    const std::size_t position = DispatchStack_.size() - 1;
    try {
        RunDispatch(position, rec, TheTime);
    } catch (...) {
        EndDispatch(position, rec, Index, true);
        throw;
    }
    EndDispatch(position, rec, Index, false);
}

void VTolmTopDistributor::RunDispatch(std::size_t position, TopRecord_t* rec, Tick& TheTime) {
    // The side index is read from the stack each time: deleting another channel may
    // renumber this one.
    auto index = [&] { return DispatchStack_[position]; };
    for (int pass = 0;; ++pass) {
        rec->Again = false;
        if (rec->Buffer.empty())
            break;
        if (pass >= 1) {
            VTolmDistributor_ChannelRecord& own = Claim(index());
            own.Length = 0;
            own.Failed = true;
            DoComDecode(index(), TheTime);
            if (Abandoned(position))
                return;
        }
        VTolmGeneralDistributor* Lowest = nullptr;
        int Best = INT_MAX;
        FindLowest(index(), Lowest, Best, true);
        if (!Lowest)
            FindLowest(index(), Lowest, Best, false);

        if (!Lowest) {
            if (pass >= 1 && !PassUnclaimed(position, rec, TheTime))
                return;
        } else if (!DeliverClaim(position, rec, Lowest, TheTime)) {
            return;
        }
        const bool delivered = Claim(index()).Length != 0;
        if (!delivered && pass >= 1 && !rec->Again)
            break;
    }
    ResetClaims(index());
}

bool VTolmTopDistributor::PassUnclaimed(std::size_t position, TopRecord_t* rec, Tick& TheTime) {
    auto index = [&] { return DispatchStack_[position]; };
    const auto size = static_cast<std::int32_t>(rec->Buffer.size());
    if (rec->Scanned < size) {
        const std::string fresh = rec->Buffer.substr(static_cast<std::size_t>(rec->Scanned));
        rec->Scanned = size;
        DoComTransfer(index(), TheTime, true, nullptr, fresh);
        if (Abandoned(position))
            return false;
    }
    // Without any decoder on the side nothing can ever claim these characters; the
    // listeners have seen them, so they leave the buffer.
    if (!HasDecoder(index()))
        CutComBuffer(index(), rec->Scanned);
    return true;
}

bool VTolmTopDistributor::DeliverClaim(std::size_t position, TopRecord_t* rec,
                                       VTolmGeneralDistributor* Lowest, Tick& TheTime) {
    auto index = [&] { return DispatchStack_[position]; };
    const VTolmDistributor_ChannelRecord& claim = Lowest->Claim(index());
    const auto length = static_cast<std::int32_t>(
        std::min<std::size_t>(static_cast<std::size_t>(claim.Length), rec->Buffer.size()));
    const bool failed = claim.Failed;
    std::string fresh;
    if (rec->Scanned < length)
        fresh = rec->Buffer.substr(static_cast<std::size_t>(rec->Scanned),
                                   static_cast<std::size_t>(length - rec->Scanned));
    std::string message = rec->Buffer.substr(0, static_cast<std::size_t>(length));
    rec->Scanned = length;
    DoComTransfer(index(), TheTime, failed, Lowest, fresh);
    if (Abandoned(position))
        return false;
    if (message.empty())
        return true;
    bool processed = Lowest->Claim(index()).Failed;
    CutComBuffer(index(), length);
    return PollWalk(position, Lowest, message, processed, TheTime);
}

bool VTolmTopDistributor::PollWalk(std::size_t position, VTolmGeneralDistributor* Lowest,
                                   const std::string& Message, bool& processed, Tick& TheTime) {
    VTolmGeneralDistributor* D = Lowest;
    for (;;) {
        const int Index = DispatchStack_[position];
        VTolmDistributor_DataRecord& record = D->DataRecords_[Index & 1];
        if (Index < 2 && record.Poll) {
            record.Poll(D, TheTime, Message, processed);
            if (Abandoned(position))
                return false;
        }
        if (record.AdvancedPoll) {
            TObject* channel = TopRecords_[static_cast<std::size_t>(Index)]->Channel;
            record.AdvancedPoll(D, channel, TheTime, Message, processed);
            if (Abandoned(position))
                return false;
        }
        if (RefreshTime_)
            Time_ = clock_->Now();
        auto* linked = dynamic_cast<VTolmDistributor*>(D);
        if (!linked)
            return true; // the top keeps the claim
        VTolmGeneralDistributor* P = linked->Distributor();
        if (!P)
            return true; // a handler unlinked it: the claim goes no further
        const int side = DispatchStack_[position];
        VTolmDistributor_ChannelRecord& mine = D->Claim(side);
        VTolmDistributor_ChannelRecord& parents = P->Claim(side);
        parents.Length = mine.Length;
        mine.Length = 0;
        parents.Failed = mine.Failed;
        mine.Failed = true;
        D = P;
    }
}

void VTolmTopDistributor::EndDispatch(std::size_t position, TopRecord_t* rec, int startIndex,
                                      bool byException) {
    const int entry = DispatchStack_[position];
    if (entry >= 0) {
        rec->Busy = false;
        // A handler's exception leaves claims standing; the next dispatch must not take
        // them for new ones.
        if (byException)
            ResetClaims(entry);
    } else if (entry == kAbandonedKept) {
        // The main channel was reset under the dispatch; its records live on, idle.
        rec->Busy = false;
        rec->Again = false;
        ResetClaims(startIndex);
    }
    DispatchStack_[position] = kFinished;
    while (!DispatchStack_.empty() && DispatchStack_.back() == kFinished)
        DispatchStack_.pop_back();
}

void RegisterDistributorClasses() {
    Application().RegisterClass("VTolmTopDistributor", [](TComponent* owner) -> TComponent* {
        return new VTolmTopDistributor(owner);
    });
    Application().RegisterClass("VTolmDistributor", [](TComponent* owner) -> TComponent* {
        return new VTolmDistributor(owner);
    });
}

} // namespace celdara
