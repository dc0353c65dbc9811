// Cost of the settings store as the placement code uses it: every value is a separate read
// of the INI file (nothing is cached between calls), and a restore reads about a dozen values
// per form.
#include "appinfo/SettingsStore.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace celdara;

namespace {

const std::string kForms = "Software\\Tolm\\Celdara\\Options\\Forms\\";

// A file as a program with `forms` windows leaves it.
void FillStore(TIniSettingsStore& store, int forms) {
    for (int f = 0; f < forms; ++f) {
        const std::string key = kForms + "frmForm" + std::to_string(f);
        for (const char* name : {"Visible", "WindowState", "MinLeft", "MinTop", "MaxLeft", "MaxTop",
                                 "Left", "Top", "Width", "Height"})
            store.WriteInteger(key, name, f * 10);
    }
    store.WriteString("Software\\Tolm\\Celdara\\Connection", "COMPort", "ttyUSB0");
}

void BM_ReadInteger(benchmark::State& state) {
    QTemporaryDir dir;
    TIniSettingsStore store(dir.filePath("registry.ini").toStdString());
    FillStore(store, static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(store.ReadInteger(kForms + "frmForm0", "Left", -1));
}
BENCHMARK(BM_ReadInteger)->Arg(3)->Arg(30);

void BM_WriteInteger(benchmark::State& state) {
    QTemporaryDir dir;
    TIniSettingsStore store(dir.filePath("registry.ini").toStdString());
    FillStore(store, 3);
    int v = 0;
    for (auto _ : state)
        store.WriteInteger(kForms + "frmForm0", "Left", ++v);
}
BENCHMARK(BM_WriteInteger);

// What SaveForms does for three forms: 31 values in one update.
void BM_SaveThreeFormsInOneUpdate(benchmark::State& state) {
    QTemporaryDir dir;
    TIniSettingsStore store(dir.filePath("registry.ini").toStdString());
    int v = 0;
    for (auto _ : state) {
        TSettingsUpdate update(store);
        FillStore(store, 3);
        store.WriteInteger(kForms, "Dummy", ++v);
    }
}
BENCHMARK(BM_SaveThreeFormsInOneUpdate);

} // namespace

BENCHMARK_MAIN();
