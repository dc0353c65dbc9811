// Traffic into a shown terminal window (offscreen): the modem's usual mix of a sent
// command (kind 5) and a received reply line (kind 6), with the view full so that every
// 110 lines a block is trimmed. The window repaints once per 100 lines, as it would once
// per received chunk of a serial flood.
#include "terminal/VTolmTerminal.h"

#include <QApplication>
#include <QWidget>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

QApplication& App() {
    static int argc = 1;
    static char name[] = "terminal_bench";
    static char* argv[] = {name, nullptr};
    static std::unique_ptr<QApplication> app = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        return std::make_unique<QApplication>(argc, argv);
    }();
    return *app;
}

enum Mode { kFollowing, kReading, kDebugFields };

void BM_SendAndReceiveLines(benchmark::State& state) {
    App();
    celdara::VTolmTerminal terminal(nullptr);
    terminal.BeginLoading();
    terminal.SetName("termMain");
    terminal.SetShowOptions(celdara::vttsoShowTimes);
    const auto mode = state.range(0);
    terminal.SetDebugWindowsVisible(mode == kDebugFields);
    terminal.SetVisible(true);
    terminal.Loaded();
    // Following the output with the focus in the text entry, or keeping a reader's place
    // with the focus in the view.
    QApplication::setActiveWindow(terminal.Form());
    const char* focus = mode == kReading ? "termMain_RichEdit" : "termMain_ManualLine";
    if (auto* control = terminal.Form()->findChild<QWidget*>(focus))
        control->setFocus();
    for (int i = 0; i < 1200; ++i)
        terminal.AddLine("+CSQ: 17,99 filling", 6);
    QCoreApplication::processEvents();

    std::int64_t lines = 0;
    for (auto _ : state) {
        terminal.AddString("AT+CSQ;+CPAS\r", 5);
        terminal.AddLine("+CSQ: 17,99", 6);
        lines += 2;
        if (lines % 100 == 0)
            QCoreApplication::processEvents();
    }
    state.SetItemsProcessed(lines);
    state.counters["lines/s"] =
        benchmark::Counter(static_cast<double>(lines), benchmark::Counter::kIsRate);
}
// 0: following the output; 1: a reader in the view; 2: diagnostic fields shown, which
// repaints the view at every output.
BENCHMARK(BM_SendAndReceiveLines)
    ->ArgName("mode")
    ->Arg(kFollowing)
    ->Arg(kReading)
    ->Arg(kDebugFields)
    ->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
