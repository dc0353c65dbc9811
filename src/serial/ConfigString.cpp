// The configuration string: the settings as one line of quoted fields, and back.
#include "serial/LyrComm32.h"
#include "serial/SettingChange.h"
#include "util/Debug.h"
#include "util/TextConvert.h"
#include "util/TextCut.h"

#include <cstddef>
#include <functional>

namespace celdara {
namespace {

constexpr const char* kParityTexts[] = {"None", "Odd", "Even", "Mark", "Space"};
constexpr const char* kStopBitTexts[] = {"1", "1.5", "2"};

// A rate field: one of the known rates, else nothing changes.
bool TakeBaudRate(const std::string& token, TBaudRate& rate) {
    if (token.empty())
        return false;
    const int value = TextToInt(token, static_cast<int>(BaudRateValue(rate)));
    for (int i = 0; i < kBaudRateCount; ++i)
        if (static_cast<int>(BaudRateValue(static_cast<TBaudRate>(i))) == value)
            return ChangeSetting(rate, static_cast<TBaudRate>(i));
    return false;
}

// A data-bits field: 4 to 8.
bool TakeDataBits(const std::string& token, TDataBits& bits) {
    if (token.empty())
        return false;
    const int n = TextToInt(token, 4 + static_cast<int>(bits));
    return n >= 4 && n <= 8 && ChangeSetting(bits, static_cast<TDataBits>(n - 4));
}

// A field that is one of `texts` exactly; the field takes its index.
template <typename T, std::size_t N>
bool TakeNamed(const std::string& token, const char* const (&texts)[N], T& field) {
    for (std::size_t i = 0; i < N; ++i)
        if (token == texts[i])
            return ChangeSetting(field, static_cast<T>(i));
    return false;
}

// One line's "control/level": the control within 0..maxControl, the level as a truth
// value. The setters reach an open port at once.
template <typename TControl>
bool TakeLine(std::string part, int maxControl, TControl current, bool raised,
              const std::function<void(TControl)>& setControl,
              const std::function<void(bool)>& setRaised) {
    bool changed = false;
    const std::string control = CutToken(part, "/");
    const int c = TextToInt(control, current);
    if (c >= 0 && c <= maxControl && c != current) {
        setControl(static_cast<TControl>(c));
        changed = true;
    }
    const bool level = TextToBool(part, raised);
    if (level != raised) {
        setRaised(level);
        changed = true;
    }
    return changed;
}

// "control/level control/level": DTR first, then RTS.
bool TakeLines(std::string lines, LyrComm32Signals& s) {
    const std::string dtr = CutToken(lines);
    if (dtr.empty())
        return false;
    bool changed = TakeLine<VTolmSignalControl_DTR>(
        dtr, 2, s.DTRControl(), s.DTR(), [&](auto c) { s.SetDTRControl(c); },
        [&](bool v) { s.SetDTR(v); });
    const std::string rts = CutToken(lines);
    if (rts.empty())
        return changed;
    changed |= TakeLine<VTolmSignalControl_RTS>(
        rts, 3, s.RTSControl(), s.RTS(), [&](auto c) { s.SetRTSControl(c); },
        [&](bool v) { s.SetRTS(v); });
    return changed;
}

// The five time-outs, separated by blanks; an empty one keeps its value.
bool TakeTimeouts(std::string times, std::uint32_t (&values)[5]) {
    bool changed = false;
    for (int i = 0; i < 5 && !times.empty(); ++i) {
        const std::string t = CutToken(times);
        if (t.empty())
            continue;
        changed |= ChangeSetting(
            values[i], static_cast<std::uint32_t>(TextToInt(t, static_cast<int>(values[i]))));
    }
    return changed;
}

} // namespace

std::string TLyrComm32::GetConfigAsString() {
    // A quote inside a field is doubled, as the reader (CutToken) undoes it: a port name
    // with quotes or commas must not spill into the fields after it.
    auto quoted = [](const std::string& s) {
        std::string field = "\"";
        for (char c : s) {
            if (c == '"')
                field += '"';
            field += c;
        }
        return field + '"';
    };
    std::string lines = std::to_string(static_cast<int>(signals_->DTRControl())) + "/" +
                        BoolToText(signals_->DTR()) + " " +
                        std::to_string(static_cast<int>(signals_->RTSControl())) + "/" +
                        BoolToText(signals_->RTS());
    std::string times;
    for (int i = 0; i < 5; ++i)
        times += (i ? " " : "") + std::to_string(timeouts_->Timeout(i));
    return quoted(commPort_) + "," + quoted(std::to_string(BaudRateValue(baudRate_))) + "," +
           quoted(std::to_string(4 + static_cast<int>(dataBits_))) + "," +
           quoted(kStopBitTexts[static_cast<int>(stopBits_)]) + "," +
           quoted(kParityTexts[static_cast<int>(parity_)]) + "," + quoted(lines) + "," +
           quoted(times);
}

void TLyrComm32::SetConfigAsString(const std::string& Text) {
    std::string text = Text;
    bool changed = false;
    const std::string port = CutToken(text);
    if (!port.empty() && port != "*" && port != commPort_) {
        commPort_ = port; // no reopening yet: that follows once every field is taken
        changed = true;
    }
    changed |= TakeBaudRate(CutToken(text), baudRate_);
    changed |= TakeDataBits(CutToken(text), dataBits_);
    changed |= TakeNamed(CutToken(text), kStopBitTexts, stopBits_);
    changed |= TakeNamed(CutToken(text), kParityTexts, parity_);

    const std::string lines = CutToken(text);
    DebugTrace("SetConfigAsString: s=" + lines, "->" + commPort_);
    if (!lines.empty())
        changed |= TakeLines(lines, *signals_);
    DebugTrace(signals_->RTS() ? "SetConfigAsString: RTS=True" : "SetConfigAsString: RTS=False",
               "->" + commPort_);
    changed |= TakeTimeouts(CutToken(text), timeouts_->values_);

    if (changed) {
        if (IsOpen())
            Close();
        if (autoReconnect_)
            Open();
    } else if (!IsOpen() && autoReconnect_) {
        Open();
    }
}

} // namespace celdara
