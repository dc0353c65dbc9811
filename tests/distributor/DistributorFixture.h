// A top distributor on a manual clock and a fake link, the main window's line decoder,
// and an event log that shows CR and LF visibly.
#pragma once

#include "core/Timer.h"
#include "distributor/LinkedDistributor.h"
#include "distributor/TopDistributor.h"
#include "core/FakeLink.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace celdara::testing {

inline std::string Visible(std::string_view s) {
    std::string out;
    for (char c : s) {
        if (c == '\r')
            out += "<CR>";
        else if (c == '\n')
            out += "<LF>";
        else
            out += c;
    }
    return out;
}

// Claims everything up to and including the first carriage return, as a valid message.
inline void ClaimLine(VTolmGeneralDistributor* d, int index) {
    const std::string& buffer = *d->GetComBuffer(index);
    const auto cr = buffer.find('\r');
    if (cr != std::string::npos) {
        d->SetComLength(index, static_cast<int>(cr + 1));
        d->SetComFailed(index, false);
    }
}

inline TDistributorPollProc LineDecoder(int index = 0) {
    return TDistributorPollProc::From(
        [index](VTolmGeneralDistributor* d, Tick&) { ClaimLine(d, index); });
}

class DistributorTest : public ::testing::Test {
protected:
    DistributorTest() {
        top = std::make_unique<VTolmTopDistributor>(nullptr, &clock);
        top->SetName("distTop");
        link = new TFakeLink(top.get());
        timer = new TManualTimer(top.get());
        timer->SetInterval(50);
        top->SetTimer(timer);
        top->SetComHandler(link);
    }

    // Records the Poll and Transfer events of one distributor's receive side.
    void Watch(VTolmGeneralDistributor* d, const std::string& tag, int direction = 0) {
        auto poll = TDistributorDataProc::From(
            [this, tag](VTolmGeneralDistributor*, Tick&, const std::string& data, bool& processed) {
                log.push_back(tag + " poll " + Visible(data) + (processed ? " processed" : ""));
            });
        auto transfer = TDistributorTransferProc::From(
            [this, tag](VTolmGeneralDistributor*, Tick, const std::string& data,
                        VTolmGeneralDistributor* lowest, bool failed) {
                log.push_back(tag + " transfer " + Visible(data) + " by " +
                              (lowest ? lowest->Name() : std::string("nil")) +
                              (failed ? " failed" : ""));
            });
        if (direction == 0) {
            d->SetOnComRecvPoll(poll);
            d->SetOnComRecvTransfer(transfer);
        } else {
            d->SetOnComSendPoll(poll);
            d->SetOnComSendTransfer(transfer);
        }
    }

    std::vector<std::string> TakeLog() { return std::exchange(log, {}); }

    // The end of a session: the chain goes back to its unused state.
    void TearDown() override {
        if (top) {
            while (top->ChannelCount() > 1)
                top->DeleteChannel(top->TopRecord(2).Channel);
            top->DeleteChannel(nullptr);
        }
    }

    TManualTickClock clock{1000};
    std::unique_ptr<VTolmTopDistributor> top;
    TFakeLink* link;
    TManualTimer* timer;
    std::vector<std::string> log;
};

using Lines = std::vector<std::string>;

} // namespace celdara::testing
