// Drives a TSimModem with a manual tick and frames its output into lines the way the
// program does: a line ends at each carriage return and is trimmed.
#pragma once

#include "simulator/SimModem.h"
#include "util/TextConvert.h"

#include <string>
#include <string_view>
#include <vector>

namespace celdara::test {

struct TimedPiece {
    Tick at;
    std::string bytes;
    bool operator==(const TimedPiece&) const = default;
};

inline TSimModemOptions QuietOptions(std::uint64_t seed = 7) {
    TSimModemOptions o;
    o.Seed = seed;
    return o;
}

class SimHarness {
public:
    explicit SimHarness(const TSimModemOptions& options = QuietOptions(), Tick start = 1000)
        : now(start), modem(options, start) {}

    Tick now;
    TSimModem modem;
    std::vector<TimedPiece> pieces; // everything the modem sent, as it came
    std::string pending;            // bytes after the last carriage return

    void Send(std::string_view bytes) { modem.Receive(bytes, now); }

    // Lets `ms` pass, jumping from one event of the modem to the next, and collects its
    // output. `everyMs` forces visits at least that often (1: every millisecond).
    void Run(Tick ms, Tick everyMs = 0) {
        Tick end = now + ms;
        Drain();
        while (now != end) {
            Tick step = modem.TimeToNextEvent(now);
            if (everyMs != 0 && step > everyMs)
                step = everyMs;
            if (step == 0)
                step = 1;
            Tick left = end - now;
            now += step < left ? step : left;
            Drain();
        }
    }

    // Complete trimmed lines received since the last call, empty ones left out.
    std::vector<std::string> TakeLines() {
        std::vector<std::string> lines;
        std::size_t cr;
        while ((cr = pending.find('\r')) != std::string::npos) {
            std::string_view line = Trim(std::string_view(pending).substr(0, cr));
            if (!line.empty())
                lines.emplace_back(line);
            pending.erase(0, cr + 1);
        }
        return lines;
    }

    // Sends a command and waits (at most `limitMs`) for the line that ends its reply.
    // Unsolicited lines that come meanwhile are part of the result; "NO CARRIER" and
    // "CONNECT" end only the reply to ATA.
    std::vector<std::string> Command(std::string_view text, Tick limitMs = 12000) {
        bool answering = text.rfind("ATA", 0) == 0;
        TakeLines();
        pending.clear();
        Send(text);
        std::vector<std::string> lines;
        for (Tick waited = 0; waited < limitMs; waited += 10) {
            Run(10);
            for (std::string& l : TakeLines()) {
                lines.push_back(l);
                if (IsFinal(l, answering))
                    return lines;
            }
        }
        return lines;
    }

    static bool IsFinal(const std::string& l, bool answering) {
        return l == "OK" || l == "ERROR" || l.rfind("+CME ERROR", 0) == 0 ||
               (answering && (l.rfind("CONNECT", 0) == 0 || l == "NO CARRIER"));
    }

    std::string AllBytes() const {
        std::string all;
        for (const TimedPiece& p : pieces)
            all += p.bytes;
        return all;
    }

private:
    void Drain() {
        for (std::string p = modem.Transmit(now); !p.empty(); p = modem.Transmit(now)) {
            pending += p;
            pieces.push_back({now, std::move(p)});
        }
    }
};

// The information lines of a reply, without its final "OK".
inline std::vector<std::string> Info(SimHarness& h, const std::string& command) {
    std::vector<std::string> lines = h.Command(command + "\r");
    if (!lines.empty() && lines.back() == "OK")
        lines.pop_back();
    return lines;
}

inline int Count(const std::vector<std::string>& lines, std::string_view prefix) {
    int n = 0;
    for (const std::string& l : lines)
        n += l.rfind(prefix, 0) == 0 ? 1 : 0;
    return n;
}

} // namespace celdara::test
