// A ListBox of 4000 items against one of 100 in the same run: filling it (AddItem,
// which measures each item once) should grow linearly, so the per-item ratio stays near
// 1; one GUI frame should cost the same whatever the count, since only the visible
// rows are drawn. Runs on the scripted test backend with a real GL context (run under
// xvfb-run, from the build folder so that zazovi_font.dsf is found).
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "gui/controls/listbox.h"
#include "gui/gui.h"
#include "render/font.h"

namespace {

using Clock = std::chrono::steady_clock;

void StartEngine() {
    static bool started = false;
    if (started) return;
    started = true;
    InstallGui();
    InitEngine("listbox bench");
    CreateEngineWindow(800, 600, 0);
    InitGL();
    Begin2D();
    for (const char* path : {"zazovi_font.dsf", "../zazovi_font.dsf"})
        if (Font* font = LoadFont(path)) {
            SetFont(font);
            break;
        }
}

// Item names like the editor's: a number and a few words, some too wide for the list.
std::vector<std::string> MakeTexts(int n) {
    std::vector<std::string> texts;
    texts.reserve(size_t(n));
    for (int i = 0; i < n; ++i)
        texts.push_back(std::to_string(i) +
                        (i % 7 ? " menu caption" : " a long description that will not fit the list"));
    return texts;
}

// A sheet with one list of the given items, scrolled to the middle and a row selected.
ListBox* BuildScreen(const std::string& sheet, const std::vector<std::string>& texts, double* addSeconds) {
    CreateTopControl("Sheet", sheet.c_str(), nullptr, 0, 0, 800, 600);
    const std::string name = sheet + "_list";
    auto* list = dynamic_cast<ListBox*>(CreateControl("ListBox", name.c_str(), sheet.c_str(), 10, 40, 280, 445));
    const auto start = Clock::now();
    for (const std::string& t : texts) list->AddItem(t.c_str());
    *addSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    list->SelectItem(list->ItemCount() / 2);
    return list;
}

void Frame() {
    GuiDraw();
    GuiUpdate(1.0f / 60);
    glFinish();  // count the rendering itself, not only the submission
}

double SecondsPerFrame(const char* sheet, int frames) {
    SetActiveSheet(sheet);
    for (int i = 0; i < 5; ++i) Frame();
    const auto start = Clock::now();
    for (int i = 0; i < frames; ++i) Frame();
    return std::chrono::duration<double>(Clock::now() - start).count() / frames;
}

void BM_ListBox(benchmark::State& state) {
    StartEngine();
    constexpr int kSmall = 100, kLarge = 4000;
    const std::vector<std::string> small = MakeTexts(kSmall), large = MakeTexts(kLarge);
    double addSmall = 0, addLarge = 0, frameSmall = 0, frameLarge = 0;
    int run = 0;
    for (auto _ : state) {
        const std::string s = "Small" + std::to_string(run), l = "Large" + std::to_string(run);
        ++run;
        BuildScreen(s, small, &addSmall);
        BuildScreen(l, large, &addLarge);
        frameSmall = SecondsPerFrame(s.c_str(), 200);
        frameLarge = SecondsPerFrame(l.c_str(), 200);
        SetActiveSheet(nullptr);
        DestroyControl(s.c_str());
        DestroyControl(l.c_str());
    }
    state.counters["add_ms_100"] = addSmall * 1e3;
    state.counters["add_ms_4000"] = addLarge * 1e3;
    // 1.0 means adding is linear in the items.
    state.counters["add_ratio_per_item"] = addSmall > 0 ? (addLarge / addSmall) / (double(kLarge) / kSmall) : 0;
    state.counters["frame_ms_100"] = frameSmall * 1e3;
    state.counters["frame_ms_4000"] = frameLarge * 1e3;
    // 1.0 means a frame costs the same whatever the number of items.
    state.counters["frame_ratio"] = frameSmall > 0 ? frameLarge / frameSmall : 0;
    state.counters["font_loaded"] = GetFont() ? 1 : 0;
}
BENCHMARK(BM_ListBox)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
