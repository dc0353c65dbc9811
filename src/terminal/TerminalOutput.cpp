#include "terminal/TerminalOutput.h"

#include "util/HexText.h"
#include "util/TextConvert.h"

#include <algorithm>
#include <cstdio>

namespace celdara {

namespace {

constexpr int kCounterModulo = 1000000;
constexpr int kNoLine = -1;

// Builds the two forms of one output side by side, keeping the column of the current line
// and the positions of colour runs in view characters.
class ChunkBuilder {
public:
    explicit ChunkBuilder(TerminalChunk& chunk) : chunk_(chunk) {}

    void LineBreak() {
        chunk_.logText += "\r\n";
        chunk_.viewText += '\n';
        column_ = 0;
        afterRawCr_ = false;
    }

    void Text(std::string_view text) {
        chunk_.logText += text;
        chunk_.viewText += text;
        column_ += static_cast<int>(text.size());
        afterRawCr_ = false;
    }

    void Coloured(std::string_view text, TerminalRgb colour) {
        if (colour == chunk_.base) {
            Text(text);
            return;
        }
        const int start = static_cast<int>(chunk_.viewText.size());
        auto& runs = chunk_.runs;
        if (!runs.empty() && runs.back().colour == colour &&
            runs.back().start + runs.back().length == start)
            runs.back().length += static_cast<int>(text.size());
        else
            runs.push_back({start, static_cast<int>(text.size()), colour});
        Text(text);
    }

    // A byte put in as it is. The view ends a line at CR, LF or CR LF, as a text view does
    // with control characters, so its line count stays what the view itself will count.
    void Raw(char byte) {
        chunk_.logText += byte;
        if (byte == '\r') {
            chunk_.viewText += '\n';
            afterRawCr_ = true;
        } else {
            if (byte != '\n' || !afterRawCr_)
                chunk_.viewText += byte;
            afterRawCr_ = false;
        }
        ++column_;
    }

    int column_ = 0;

private:
    TerminalChunk& chunk_;
    bool afterRawCr_ = false;
};

} // namespace

TerminalOutput::TerminalOutput(TerminalClock clock) : clock_(std::move(clock)) {
    if (!clock_.tickCount || !clock_.localTime) {
        const TerminalClock system = SystemTerminalClock();
        if (!clock_.tickCount)
            clock_.tickCount = system.tickCount;
        if (!clock_.localTime)
            clock_.localTime = system.localTime;
    }
}

void TerminalOutput::SetMaxLines(int value) {
    if (value > 0)
        maxLines_ = value;
}

void TerminalOutput::SetMaxChars(int value) {
    // No cap of the view's own: Qt's text view holds far more than 65535 characters.
    if (value > 0 && value != effectiveMaxChars_) {
        maxChars_ = value;
        effectiveMaxChars_ = value;
    }
}

void TerminalOutput::SetLogFileName(const std::string& name) {
    if (name == logFileName_)
        return;
    log_.Close();
    logFileName_ = name;
    log_.Open(name); // an unusable name simply leaves logging off
}

int TerminalOutput::LineCounter(int kind) const {
    return lineCounters_[static_cast<std::size_t>(NormalTerminalKind(kind))];
}

void TerminalOutput::SetLineCounter(int kind, int value) {
    lineCounters_[static_cast<std::size_t>(NormalTerminalKind(kind))] =
        ((value % kCounterModulo) + kCounterModulo) % kCounterModulo;
}

void TerminalOutput::StartTiming() {
    lastOutputTime_ = clock_.tickCount() - 2000u;
}

std::string TerminalOutput::LinePrefix(int counter) const {
    const bool counts = (showOptions_ & vttsoShowLineCounts) != 0;
    const bool times = (showOptions_ & vttsoShowTimes) != 0;
    std::string prefix;
    if (counts) {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "%4d", counter);
        prefix = buffer;
        prefix += times ? " @ " : ": ";
    }
    if (times) {
        prefix += DurationToText(3, false, clock_.localTime());
        prefix += ": ";
    }
    return prefix;
}

// A send is a command of its own, and received text goes on after a line end on a new line:
// a typed command and the poll command after it never share a line. Chunks of one received
// line still join up.
bool TerminalOutput::StartsLine(int kind) const {
    return kind != openKind_ || TerminalKind(kind).sent || openLineEnded_;
}

TerminalChunk TerminalOutput::Compose(const std::uint8_t* data, int count, int kind,
                                      int lastLineLength) {
    kind = NormalTerminalKind(kind);
    const TerminalKindInfo& info = TerminalKind(kind);
    TerminalChunk chunk;
    chunk.base = info.base;
    ChunkBuilder out(chunk);

    if (StartsLine(kind)) {
        auto& counter = lineCounters_[static_cast<std::size_t>(kind)];
        counter = (counter + 1) % kCounterModulo;
        // Raw output that ended in a line end has broken the view's line already.
        if (openKind_ != kNoLine && lastLineLength > 0)
            out.LineBreak();
        out.column_ = 0;
        out.Text(LinePrefix(counter));
        out.Text(info.marker);
    } else {
        out.column_ = lastLineLength;
    }

    for (int i = 0; i < count; ++i) {
        if (out.column_ > maxCharsPerLine_)
            out.LineBreak(); // continuation lines carry neither prefix nor marker
        const std::uint8_t byte = data[i];
        switch (info.display) {
        case TerminalDisplay::Text:
            if (byte >= 0x20 && byte <= 0x7F) {
                out.Text(std::string_view(reinterpret_cast<const char*>(&byte), 1));
            } else {
                std::string escape = "<#";
                escape += HexDigitChar(byte >> 4);
                escape += HexDigitChar(byte & 0x0F);
                escape += '>';
                out.Coloured(escape, info.escape);
            }
            break;
        case TerminalDisplay::Hex: {
            const char hex[3] = {' ', HexDigitChar(byte >> 4), HexDigitChar(byte & 0x0F)};
            out.Text(std::string_view(hex, 3));
            break;
        }
        case TerminalDisplay::Raw:
            out.Raw(static_cast<char>(byte));
            break;
        }
    }
    return chunk;
}

TerminalOutput::ReadingPosition TerminalOutput::SaveReadingPosition() const {
    ReadingPosition saved;
    saved.focused = view_->HasFocus();
    saved.selection = view_->Selection();
    saved.firstVisibleLine = view_->FirstVisibleLine();
    return saved;
}

int TerminalOutput::MakeRoom(int newChars, int& deletedChars) {
    const int length = view_->TextLength();
    const int lines = view_->LineCount();
    const long long limit = effectiveMaxChars_;
    const long long excess = static_cast<long long>(length) + newChars - limit;
    if (lines <= maxLines_ && excess <= 0)
        return 0;
    int cut = std::max(0, lines - (maxLines_ - maxLines_ / 10));
    while (cut < lines && view_->LineStart(cut) < excess)
        ++cut;
    const int chars = cut >= lines ? length : view_->LineStart(cut);
    if (chars <= 0)
        return 0;
    view_->DeleteFront(chars);
    deletedChars += chars;
    return cut >= lines ? lines - 1 : cut;
}

void TerminalOutput::RestoreReadingPosition(const ReadingPosition& saved, int deletedLines,
                                            int deletedChars) {
    if (debugWindowsVisible_)
        view_->Repaint();
    if (!saved.focused) {
        view_->ScrollToEnd();
    } else {
        // Keep the reader on the same text: the lines above it may have been deleted.
        view_->SetFirstVisibleLine(std::max(0, saved.firstVisibleLine - deletedLines));
        TerminalSelection selection;
        selection.start = std::max(0, saved.selection.start - deletedChars);
        selection.end = std::max(selection.start, saved.selection.end - deletedChars);
        view_->SetSelection(selection);
        view_->RestoreFocus();
    }
    if (debugWindowsVisible_)
        view_->Repaint();
}

void TerminalOutput::UpdateTimeField(int kind, Tick now) {
    const TerminalTimeField field = TerminalKind(kind).timeField;
    if (field == TerminalTimeField::None)
        return;
    Tick elapsed = now;
    TickSub(elapsed, lastOutputTime_);
    view_->ShowDebugTime(field == TerminalTimeField::Out, std::to_string(elapsed));
    lastOutputTime_ = now;
}

void TerminalOutput::AddChars(const std::uint8_t* data, int count, int kind) {
    if (count <= 0 || data == nullptr || ignoreAddChars_ || view_ == nullptr)
        return;
    kind = NormalTerminalKind(kind);
    const int length = view_->TextLength();
    const Tick now = clock_.tickCount();
    const int lastLineLength = length - view_->LineStart(view_->LineCount() - 1);

    const TerminalChunk chunk = Compose(data, count, kind, lastLineLength);
    const int newChars = static_cast<int>(chunk.viewText.size());

    const ReadingPosition saved = SaveReadingPosition();
    int deletedChars = 0;
    const int deletedLines = MakeRoom(newChars, deletedChars);
    view_->Append(chunk.viewText, chunk.base, chunk.runs);
    if (debugWindowsVisible_)
        view_->Repaint();
    log_.Write(chunk.logText, true);
    RestoreReadingPosition(saved, deletedLines, deletedChars);
    openKind_ = kind;
    openLineEnded_ = data[count - 1] == '\r' || data[count - 1] == '\n';
    UpdateTimeField(kind, now);
}

void TerminalOutput::AddString(std::string_view text, int kind) {
    AddChars(reinterpret_cast<const std::uint8_t*>(text.data()), static_cast<int>(text.size()),
             kind);
}

void TerminalOutput::AddLine(std::string_view text, int kind) {
    AddString(text, kind);
    EndLine();
}

void TerminalOutput::EndLine() {
    if (openKind_ == kNoLine || view_ == nullptr)
        return;
    const ReadingPosition saved = SaveReadingPosition();
    int deletedChars = 0;
    const int deletedLines = MakeRoom(1, deletedChars);
    view_->Append("\n", TerminalKind(openKind_).base, {});
    RestoreReadingPosition(saved, deletedLines, deletedChars);
    openKind_ = kNoLine;
    log_.Write("\r\n", false);
}

void TerminalOutput::Clear() {
    if (view_ != nullptr)
        view_->ClearText();
    openKind_ = kNoLine;
    lineCounters_.fill(0);
}

} // namespace celdara
