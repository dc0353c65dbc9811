// A TerminalView on a plain string, with one colour per character, for the output tests.
#pragma once

#include "terminal/TerminalView.h"

#include <algorithm>
#include <string>
#include <vector>

namespace celdara::test {

class FakeTerminalView : public TerminalView {
public:
    std::string text;
    std::vector<TerminalRgb> colours; // one per character of `text`
    bool focused = false;
    TerminalSelection selection;
    int firstVisibleLine = 0;
    int deleteCalls = 0;
    int scrollToEndCalls = 0;
    int restoreFocusCalls = 0;
    std::string inTime = "DebugInTime";
    std::string outTime = "DebugOutTime";

    int TextLength() const override { return static_cast<int>(text.size()); }
    int LineCount() const override {
        return static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 1;
    }
    int LineStart(int line) const override {
        int start = 0;
        for (int i = 0; i < line; ++i) {
            const auto next = text.find('\n', static_cast<std::size_t>(start));
            if (next == std::string::npos)
                return TextLength();
            start = static_cast<int>(next) + 1;
        }
        return start;
    }
    void DeleteFront(int count) override {
        ++deleteCalls;
        text.erase(0, static_cast<std::size_t>(count));
        colours.erase(colours.begin(), colours.begin() + count);
    }
    void Append(std::string_view added, TerminalRgb base,
                const std::vector<TerminalColourRun>& runs) override {
        const std::size_t at = text.size();
        text += added;
        colours.resize(text.size(), base);
        for (const TerminalColourRun& run : runs)
            std::fill_n(colours.begin() + static_cast<long>(at) + run.start, run.length,
                        run.colour);
    }
    void ClearText() override {
        text.clear();
        colours.clear();
    }
    bool HasFocus() const override { return focused; }
    void RestoreFocus() override { ++restoreFocusCalls; }
    TerminalSelection Selection() const override { return selection; }
    void SetSelection(TerminalSelection s) override { selection = s; }
    int FirstVisibleLine() const override { return firstVisibleLine; }
    void SetFirstVisibleLine(int line) override { firstVisibleLine = line; }
    void ScrollToEnd() override {
        ++scrollToEndCalls;
        selection = {TextLength(), TextLength()};
        firstVisibleLine = std::max(0, LineCount() - 20);
    }
    void Repaint() override {}
    void ShowDebugTime(bool outgoing, const std::string& value) override {
        (outgoing ? outTime : inTime) = value;
    }

    std::vector<std::string> Lines() const {
        std::vector<std::string> lines(1);
        for (char c : text) {
            if (c == '\n')
                lines.emplace_back();
            else
                lines.back() += c;
        }
        return lines;
    }
    // The colour of every character of the first occurrence of `piece`, or empty.
    std::vector<TerminalRgb> ColoursOf(const std::string& piece) const {
        const auto at = text.find(piece);
        if (at == std::string::npos)
            return {};
        return {colours.begin() + static_cast<long>(at),
                colours.begin() + static_cast<long>(at + piece.size())};
    }
};

} // namespace celdara::test
