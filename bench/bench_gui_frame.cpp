// One GUI frame (GuiDraw + GuiUpdate) of a screen of 200 controls, buttons and labels
// on a sheet, against a screen of 20 in the same run. The cost should grow no faster
// than the number of controls drawn: the ratio per control should stay near or below 1.
// Runs on the scripted test backend with a real GL context (run under xvfb-run, from
// the build folder so that zazovi_font.dsf is found).
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "engine/engine.h"
#include "gui/gui.h"
#include "platform/platform.h"
#include "render/font.h"

namespace {

void StartEngine() {
    static bool started = false;
    if (started) return;
    started = true;
    // Frames here are never presented; naming the backend also makes the linker take it
    // in before it reaches the engine library.
    PlatSetPresentPacing(false);
    InstallGui();
    InitEngine("gui frame bench");
    CreateEngineWindow(800, 600, WINDOW_MODE_FIXED);
    InitGL();
    Begin2D();
    for (const char* path : {"zazovi_font.dsf", "../zazovi_font.dsf"})
        if (Font* font = LoadFont(path)) {
            SetFont(font);
            break;
        }
}

// A sheet holding n controls in a grid, every other one a button, the rest labels.
void BuildScreen(const std::string& sheet, int n) {
    CreateTopControl("Sheet", sheet.c_str(), nullptr, 0, 0, 800, 600);
    for (int i = 0; i < n; ++i) {
        const std::string name = sheet + "_" + std::to_string(i);
        const float x = float(i % 10) * 80 + 2, y = float(i / 10) * 30 + 2;
        CreateControl(i % 2 ? "Label" : "Button", name.c_str(), sheet.c_str(), x, y, 76, 26);
        SetControlProperty(name.c_str(), "Text", ("Item " + std::to_string(i)).c_str());
    }
}

void Frame() {
    GuiResetPointer();  // as the engine's frame does
    GuiDraw();
    GuiUpdate(1.0f / 60);
    glFinish();  // count the rendering itself, not only the submission
}

// Seconds per frame of the named screen, over enough frames to be steady.
double SecondsPerFrame(const char* sheet, int frames) {
    SetActiveSheet(sheet);
    for (int i = 0; i < 5; ++i) Frame();
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < frames; ++i) Frame();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / frames;
}

void BM_GuiFrame(benchmark::State& state) {
    StartEngine();
    static bool built = false;
    if (!built) {
        BuildScreen("Small", 20);
        BuildScreen("Large", 200);
        built = true;
    }
    double small = 0, large = 0;
    for (auto _ : state) {
        small = SecondsPerFrame("Small", 200);
        large = SecondsPerFrame("Large", 200);
    }
    state.counters["ms_per_frame_20"] = small * 1e3;
    state.counters["ms_per_frame_200"] = large * 1e3;
    state.counters["ratio_200_to_20"] = small > 0 ? large / small : 0;
    // 1.0 means linear in the controls drawn; below 1 the fixed per-frame cost dominates.
    state.counters["ratio_per_control"] = small > 0 ? (large / small) / 10.0 : 0;
    state.counters["font_loaded"] = GetFont() ? 1 : 0;
}
BENCHMARK(BM_GuiFrame)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
