// Idle CPU of the running main loop: processor time per wall-clock second while the
// loop presents frames paced to the display refresh, against the same loop presenting
// as fast as it can. Needs a display (run under xvfb-run); reports the ratio.
#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>

#include "engine/engine.h"
#include "gui/gui.h"
#include "platform/platform.h"

namespace {

double CpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec * 1e-9;
}

// Runs frames for `seconds` of wall time; returns the share of one core used.
double LoopCpuShare(bool paced, double seconds) {
    PlatSetPresentPacing(paced);
    const auto start = std::chrono::steady_clock::now();
    const double cpu0 = CpuSeconds();
    while (std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() < seconds) EngineFrame();
    return (CpuSeconds() - cpu0) / seconds;
}

void BM_IdleLoopCpu(benchmark::State& state) {
    static bool started = false;
    if (!started) {
        InstallGui();
        InitEngine("idle loop");
        CreateEngineWindow(800, 600, WINDOW_MODE_FIXED);
        InitGL();
        Begin2D();
        g_engine.idleWait = 0;  // this measures presenting itself: a frame every turn
        started = true;
    }
    const double seconds = 5.0;
    double paced = 0, unpaced = 0;
    for (auto _ : state) {
        paced = LoopCpuShare(true, seconds);
        unpaced = LoopCpuShare(false, seconds);
    }
    state.counters["paced_core_share"] = paced;
    state.counters["unpaced_core_share"] = unpaced;
    state.counters["ratio_paced_to_unpaced"] = unpaced > 0 ? paced / unpaced : 0;
}
BENCHMARK(BM_IdleLoopCpu)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
