// The output side of the debug terminal: how traffic is drawn into the view (kinds,
// markers, colours, prefixes, line breaking), how the view is kept within its limits
// without losing the user's place, the two diagnostic time fields and the log file.
// Plain C++: the view is reached through TerminalView, the time through TerminalClock.
#pragma once

#include "terminal/TerminalClock.h"
#include "terminal/TerminalKinds.h"
#include "terminal/TerminalLog.h"
#include "terminal/TerminalView.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace celdara {

enum VTolmTerminal_ShowOption : unsigned {
    vttsoShowLineCounts = 1u << 0,
    vttsoShowTimes = 1u << 1,
};
// A set of VTolmTerminal_ShowOption bits.
using VTolmTerminal_ShowOptions = unsigned;

// The text of one output, composed before it touches the view.
struct TerminalChunk {
    std::string logText;  // bytes for the log: CR LF line ends, raw bytes as they came
    std::string viewText; // characters for the view: '\n' line ends
    std::vector<TerminalColourRun> runs; // where the colour differs from `base`
    TerminalRgb base;
};

class TerminalOutput {
public:
    explicit TerminalOutput(TerminalClock clock = SystemTerminalClock());

    // The view may be absent (the window was destroyed): output then does nothing.
    void SetView(TerminalView* view) { view_ = view; }
    TerminalView* View() const { return view_; }

    void AddChars(const std::uint8_t* data, int count, int kind);
    void AddString(std::string_view text, int kind);
    void AddLine(std::string_view text, int kind);
    void EndLine();
    // Empties the view and restarts the counters; the log and the last output time stay.
    void Clear();

    // Called when the component has been loaded: the first time field then shows the time
    // since two seconds before.
    void StartTiming();

    int MaxLines() const { return maxLines_; }
    void SetMaxLines(int value);
    int MaxChars() const { return maxChars_; }
    void SetMaxChars(int value);
    int EffectiveMaxChars() const { return effectiveMaxChars_; }
    int MaxCharsPerLine() const { return maxCharsPerLine_; }
    void SetMaxCharsPerLine(int value) { maxCharsPerLine_ = value; }
    bool IgnoreAddChars() const { return ignoreAddChars_; }
    void SetIgnoreAddChars(bool value) { ignoreAddChars_ = value; }
    bool DebugWindowsVisible() const { return debugWindowsVisible_; }
    void SetDebugWindowsVisible(bool value) { debugWindowsVisible_ = value; }
    VTolmTerminal_ShowOptions ShowOptions() const { return showOptions_; }
    void SetShowOptions(VTolmTerminal_ShowOptions value) { showOptions_ = value; }

    const std::string& LogFileName() const { return logFileName_; }
    void SetLogFileName(const std::string& name);
    std::int64_t LogFileMaxLen() const { return log_.MaxLen(); }
    void SetLogFileMaxLen(std::int64_t value) { log_.SetMaxLen(value); }
    bool LogIsOpen() const { return log_.IsOpen(); }

    // The kind of the line still open at the end of the view, or -1 when none is.
    int OpenKind() const { return openKind_; }
    int LineCounter(int kind) const;
    void SetLineCounter(int kind, int value);
    Tick LastOutputTime() const { return lastOutputTime_; }

private:
    struct ReadingPosition {
        bool focused = false;
        TerminalSelection selection;
        int firstVisibleLine = 0;
    };

    // The text AddChars inserts, given the length the view's last line has reached.
    // Counts the new line when one starts.
    TerminalChunk Compose(const std::uint8_t* data, int count, int kind, int lastLineLength);
    // Whether output of `kind` begins a line of its own rather than continuing the open one.
    bool StartsLine(int kind) const;
    std::string LinePrefix(int counter) const;
    ReadingPosition SaveReadingPosition() const;
    // Deletes whole leading lines so that `newChars` more characters fit; returns the
    // number of lines deleted and adds the characters deleted to `deletedChars`.
    int MakeRoom(int newChars, int& deletedChars);
    void RestoreReadingPosition(const ReadingPosition& saved, int deletedLines, int deletedChars);
    void UpdateTimeField(int kind, Tick now);

    TerminalClock clock_;
    TerminalView* view_ = nullptr;
    TerminalLog log_;
    std::string logFileName_;

    int maxLines_ = 1100;
    int maxChars_ = 65535;
    int effectiveMaxChars_ = 65535;
    int maxCharsPerLine_ = 500;
    bool ignoreAddChars_ = false;
    bool debugWindowsVisible_ = false;
    VTolmTerminal_ShowOptions showOptions_ = 0;

    int openKind_ = -1;
    bool openLineEnded_ = false; // the open line's last byte was a CR or LF
    std::array<int, kTerminalKindCount> lineCounters_{};
    Tick lastOutputTime_ = 0;
};

} // namespace celdara
