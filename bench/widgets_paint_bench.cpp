// Cost of the graph's history arithmetic and of one complete gauge paint (both passes and the
// text), per kind. The gauge fills its ellipses pixel by pixel, so its size matters.
#include "widgets/GraphGeometry.h"
#include "widgets/VTolmGauge.h"

#include <QApplication>
#include <benchmark/benchmark.h>

namespace {

using namespace celdara::widgets;

QApplication& App() {
    static int argc = 1;
    static char name[] = "widgets_paint_bench";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(argc, argv);
    return app;
}

void BM_HistoryPointsFullHistory(benchmark::State& state) {
    GraphHistory history;
    for (int i = 0; i < 1200; ++i)
        history.Sample(i % 101);
    for (auto _ : state)
        benchmark::DoNotOptimize(ComputeHistoryPoints(history.Values(), 442, 101, 100));
}
BENCHMARK(BM_HistoryPointsFullHistory);

void BM_GraphSample(benchmark::State& state) {
    GraphHistory history;
    RunningMean mean;
    int v = 0;
    for (auto _ : state) {
        v = (v + 7) % 101;
        history.Sample(v);
        mean.Add(v);
    }
    benchmark::DoNotOptimize(mean.Mean());
}
BENCHMARK(BM_GraphSample);

void BM_GaugeRender(benchmark::State& state) {
    App();
    const auto kind = static_cast<VTolmGaugeKind>(state.range(0));
    const int size = static_cast<int>(state.range(1));
    QWidget parent;
    auto* gauge = new VTolmGauge(&parent);
    gauge->resize(size, size);
    gauge->SetKind(kind);
    gauge->SetTheme(VTolmGaugeTheme::Themed);
    gauge->SetProgress(65);
    for (auto _ : state)
        benchmark::DoNotOptimize(gauge->RenderImage());
}
BENCHMARK(BM_GaugeRender)
    ->ArgNames({"kind", "size"})
    ->Args({static_cast<int>(VTolmGaugeKind::vgkHorizontalBar), 100})
    ->Args({static_cast<int>(VTolmGaugeKind::vgkPie), 100})
    ->Args({static_cast<int>(VTolmGaugeKind::vgkPie), 400})
    ->Args({static_cast<int>(VTolmGaugeKind::vgkNeedle), 100})
    ->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
