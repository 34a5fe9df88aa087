// bench_gui_frame.cpp - the GUI's share of a frame (GuiDraw + GuiUpdate) for a screen
// of 200 controls next to a screen of 20, measured alternately in one run and reported
// as a ratio. Runs on the test backend with a real GL context (needs a display: xvfb-run).
#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include <chrono>
#include <cstdio>

#include "engine/engine.h"
#include "gui/gui.h"
#include "platform/platform.h"
#include "render/draw.h"

namespace {

// A box that draws what a typical control draws: a fill and an outline, with the
// tooltip logic of the tip layer running every frame.
class BenchBox : public TipControl {
public:
    void Draw() override {
        SetColor(MakeColor(180, 190, 200));
        FillRect(x, y, w, h);
        SetColor(MakeColor(0, 0, 0));
        DrawRect(x, y, w, h);
    }
};

void Setup() {
    static bool done = false;
    if (done) return;
    done = true;
    // Frames here are never presented; the call also names the backend in this program,
    // so the linker takes it in before it reaches the engine library.
    PlatSetPresentPacing(false);
    InitEngine("bench_gui_frame");
    CreateEngineWindow(800, 600, 0);
    InitGL();
    Begin2D();
    RegisterControlClass([](ControlClass* c) {
        std::snprintf(c->name, sizeof c->name, "BenchBox");
        c->tabStopByDefault = 1;
        c->factory = [] { return static_cast<Control*>(new BenchBox); };
    });
    RegisterControlClass([](ControlClass* c) {
        std::snprintf(c->name, sizeof c->name, "BenchFrame");
        c->tabRoot = 1;
        c->factory = [] { return static_cast<Control*>(new BenchBox); };
    });
}

// A sheet with frames of ten controls each (the frame and nine children), so every
// child is clipped against its frame.
void BuildScreen(const char* sheet, int controls) {
    CreateTopControl("BenchFrame", sheet, nullptr, 0, 0, 800, 600);
    char frame[32], name[32];
    for (int i = 0; i < controls; ++i) {
        const int f = i / 10, k = i % 10;
        std::snprintf(frame, sizeof frame, "%s_F%d", sheet, f);
        if (k == 0) {
            CreateControl("BenchFrame", frame, sheet, float(5 + (f % 5) * 158), float(5 + (f / 5) * 148), 150, 140);
        } else {
            std::snprintf(name, sizeof name, "%s_F%d_%d", sheet, f, k);
            // The last child of each frame sticks out, so its clip planes are in use.
            const float w = k == 9 ? 200.0f : 60.0f;
            CreateControl("BenchBox", name, frame, float(5 + (k % 2) * 70), float(5 + (k / 2) * 26), w, 22);
        }
    }
}

double FrameSeconds(const char* sheet, int frames) {
    SetActiveSheet(sheet);
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < frames; ++i) {
        GuiResetPointer();
        GuiDraw();
        GuiUpdate(0.016f);
    }
    glFinish();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / frames;
}

void BM_GuiFrameRatio(benchmark::State& state) {
    Setup();
    if (!FindControl("Small")) BuildScreen("Small", 20);
    if (!FindControl("Large")) BuildScreen("Large", 200);
    double small = 0, large = 0;
    for (auto _ : state) {
        small += FrameSeconds("Small", 20);
        large += FrameSeconds("Large", 20);
    }
    const double n = double(state.iterations());
    state.counters["frame_us_20"] = small / n * 1e6;
    state.counters["frame_us_200"] = large / n * 1e6;
    state.counters["ratio_200_to_20"] = small > 0 ? large / small : 0;
}
BENCHMARK(BM_GuiFrameRatio)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
