// The records in which a distributor chain keeps the two byte streams of every channel
// (what was received, what was sent) and the claims that distributors make on them, and
// the event types of the chain.
//
// A channel is named by an object reference; nil is the main channel, number 0. A side
// index addresses one side of one channel: channel number * 2 + direction (0 receive,
// 1 send).
#pragma once

#include "core/Component.h"
#include "core/Event.h"
#include "util/Tick.h"

#include <cstdint>
#include <string>
#include <vector>

namespace celdara {

class VTolmGeneralDistributor;

// One distributor's claim on one side of one channel.
struct VTolmDistributor_ChannelRecord {
    std::string* Buffer = nullptr; // the side's buffer in the top record, once looked up
    std::int32_t Length = 0;       // leading characters claimed as one message; 0: no claim
    bool Failed = false;           // the claimed message is not valid
};
using PVTolmDistributor_ChannelRecord = VTolmDistributor_ChannelRecord*;

using TDistributorPollProc = TEvent<void(VTolmGeneralDistributor* Sender, Tick& TheTime)>;
using TDistributorAdvancedPollProc =
    TEvent<void(VTolmGeneralDistributor* Sender, TObject* Channel, Tick& TheTime)>;
using TDistributorDataProc = TEvent<void(VTolmGeneralDistributor* Sender, Tick& TheTime,
                                         const std::string& Data, bool& processed)>;
using TDistributorAdvancedDataProc =
    TEvent<void(VTolmGeneralDistributor* Sender, TObject* Channel, Tick& TheTime,
                const std::string& Data, bool& processed)>;
using TDistributorCharProc =
    TEvent<void(VTolmGeneralDistributor* Sender, Tick& TheTime, char Data)>;
using TDistributorAdvancedCharProc =
    TEvent<void(VTolmGeneralDistributor* Sender, TObject* Channel, Tick& TheTime, char Data)>;
using TDistributorTransferProc =
    TEvent<void(VTolmGeneralDistributor* Sender, Tick TheTime, const std::string& Data,
                VTolmGeneralDistributor* Lowest, bool failed)>;
using TDistributorAdvancedTransferProc =
    TEvent<void(VTolmGeneralDistributor* Sender, TObject* Channel, Tick& TheTime,
                const std::string& Data, VTolmGeneralDistributor* Lowest, bool failed)>;
using TDistributorChannelProc = TEvent<void(VTolmGeneralDistributor* Sender, TObject* Channel,
                                            PVTolmDistributor_ChannelRecord rec, Tick TheTime)>;
using TDistributorConfigLineProc =
    TEvent<void(VTolmGeneralDistributor* Sender, int code, const std::string& key,
                const std::string& value, bool& processed)>;

// The top distributor keeps two of these per channel, in side-index order.
class VTolmDistributor_TopDataRecord {
public:
    bool Busy = false;        // a dispatch of this side is running
    bool Again = false;       // a dispatch was asked for meanwhile: make another pass
    std::int32_t Scanned = 0; // leading characters already shown to Transfer listeners
    std::string Buffer;       // what no claim has consumed yet
    TObject* Channel = nullptr;
    bool Released = true; // the side is not in use
};

// Every distributor has two: element 0 for the receive side, 1 for the send side.
class VTolmDistributor_DataRecord {
public:
    TDistributorPollProc Decode;
    TDistributorTransferProc Transfer;
    TDistributorDataProc Poll;
    TDistributorCharProc CharPoll;
    TDistributorAdvancedPollProc AdvancedDecode;
    TDistributorAdvancedTransferProc AdvancedTransfer;
    TDistributorAdvancedDataProc AdvancedPoll;
    TDistributorAdvancedCharProc AdvancedCharPoll;
    // One claim per channel, by channel number; the main channel's exists from the start.
    std::vector<VTolmDistributor_ChannelRecord> Channels{1};
};

} // namespace celdara
