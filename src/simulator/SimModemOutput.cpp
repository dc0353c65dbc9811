// What the simulated modem sends: information lines, result codes in words or numbers,
// unsolicited codes between responses, and the bytes on their way with the line's faults.
#include "simulator/SimModem.h"

#include <algorithm>

namespace celdara {
namespace {

// More output than this waiting for the host is lost, as on a line without flow control.
constexpr std::size_t kMaxQueuedOutput = 65536;

} // namespace

void TSimModem::Info(const std::string& line) {
    if (!faults_.MissingPrefix.empty() && line.rfind(faults_.MissingPrefix, 0) == 0)
        return;
    // The lines of one command form one response: a line break before it, one after
    // each line.
    if (verbose_ && !responseOpen_)
        reply_ += "\r\n";
    responseOpen_ = true;
    reply_ += line + "\r\n";
}

void TSimModem::ResultCode(const std::string& code) {
    if (quiet_)
        return;
    if (verbose_ || code.rfind("+CME", 0) == 0) {
        reply_ += "\r\n" + code + "\r\n";
        return;
    }
    static const std::pair<const char*, const char*> numeric[] = {
        {"OK", "0"}, {"CONNECT", "1"}, {"RING", "2"}, {"NO CARRIER", "3"}, {"ERROR", "4"}};
    for (const auto& [text, number] : numeric) {
        if (code.rfind(text, 0) == 0) {
            reply_ += std::string(number) + "\r";
            return;
        }
    }
}

void TSimModem::Urc(const std::string& code) {
    if (network_.CallState() == TSimCallState::Data && code != "NO CARRIER")
        return;
    std::string keep = std::move(reply_);
    bool keepOpen = responseOpen_;
    reply_.clear();
    responseOpen_ = false;
    if (code.rfind("+CREG", 0) == 0)
        Info(code);
    else
        ResultCode(code);
    FlushReply();
    reply_ = std::move(keep);
    responseOpen_ = keepOpen;
}

void TSimModem::FlushReply() {
    if (!reply_.empty())
        Send(std::move(reply_), at_ + options_.ReplyLatency);
    reply_.clear();
}

void TSimModem::Send(std::string bytes, std::uint64_t due) {
    if (bytes.empty() || faults_.Silent || faults_.Vanished ||
        outBytes_ + bytes.size() > kMaxQueuedOutput)
        return;
    if (faults_.NoisePerMille > 0) {
        std::string noisy;
        for (char c : bytes) {
            if (lineRng_.Chance(faults_.NoisePerMille)) {
                char garbage = static_cast<char>(lineRng_.Range(0, 255));
                if (lineRng_.Chance(500)) {
                    noisy += garbage; // an extra byte
                } else {
                    c = garbage; // a garbled one
                }
            }
            noisy += c;
        }
        bytes = std::move(noisy);
    }
    // Output leaves in the order it was made, whatever its latency.
    due = std::max(due, lastDue_);
    outBytes_ += bytes.size();
    if (faults_.Split && bytes.size() > 1) {
        int pieces = lineRng_.Range(2, static_cast<int>(std::min<std::size_t>(bytes.size(), 4)));
        std::vector<std::size_t> cuts;
        while (static_cast<int>(cuts.size()) < pieces - 1) {
            auto cut =
                static_cast<std::size_t>(lineRng_.Range(1, static_cast<int>(bytes.size()) - 1));
            if (std::find(cuts.begin(), cuts.end(), cut) == cuts.end())
                cuts.push_back(cut);
        }
        std::sort(cuts.begin(), cuts.end());
        std::size_t from = 0;
        cuts.push_back(bytes.size());
        for (std::size_t cut : cuts) {
            out_.push_back({due, bytes.substr(from, cut - from)});
            from = cut;
            // Longer than a reader's inter-byte pause, so the pieces arrive as pieces.
            due += static_cast<std::uint64_t>(lineRng_.Range(15, 40));
        }
        lastDue_ = out_.back().due;
        return;
    }
    out_.push_back({due, std::move(bytes)});
    lastDue_ = due;
}

} // namespace celdara
