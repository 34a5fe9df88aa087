// bench_scale.cpp - what the display scale costs: a frame of the editor's main screen on
// a 1600 x 1200 window at 2x against the same frame on 800 x 600 at 1x, alternating in
// one run, with a Latin and a Japanese file shown (the aim: at most 2x; four times the
// pixels are filled, the layout is the same). Runs on the scripted test backend with a
// real GL context (run under xvfb-run). The resident memory of the real editor at 2x is
// in bench_cjk_font.
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/main_screen.h"
#include "editor/project.h"
#include "editor/text_store.h"
#include "gui/controls/combobox.h"
#include "gui/controls/listbox.h"
#include "render/scaled_glyphs.h"
#include "tests/support/loc_files.h"

namespace fs = std::filesystem;

namespace {

const fs::path kDir = fs::temp_directory_path() / "qk_bench_scale";

void MakeProject() {
    for (const char* file : {"menu", "game", "keyboard"}) {
        std::vector<std::string> english, japanese;
        std::vector<std::pair<std::string, std::string>> descs;
        for (int i = 0; i < 300; ++i) {
            english.push_back("A typical game string, number " + std::to_string(i));
            japanese.push_back("新しいゲームを始める " + std::to_string(i));
            descs.emplace_back("Item" + std::to_string(i), "What the item is for, number " + std::to_string(i));
        }
        locfixture::WriteFile(kDir / "Texts" / "English" / (std::string(file) + ".loc"), locfixture::LocBytes(english));
        locfixture::WriteFile(kDir / "Texts" / "Japanese" / (std::string(file) + ".loc"),
                              locfixture::LocBytes(japanese));
        locfixture::WriteFile(kDir / "Descriptions" / (std::string(file) + ".desc"), locfixture::DescBytes(descs));
    }
}

void SetSize(int w, int h) {
    PlatMoveWindow(0, 0, w, h);
    g_engine.clientWidth = int16_t(w);
    g_engine.clientHeight = int16_t(h);
    OnResize(w, h);
}

double SecondsPerFrame(int frames) {
    auto frame = [] {
        GuiResetPointer();
        GuiDraw();
        GuiUpdate(1.0f / 60);
        glFinish();  // the rendering itself, not only its submission
    };
    for (int i = 0; i < 3; ++i) frame();  // glyphs of this scale made and uploaded
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < frames; ++i) frame();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / frames;
}

void BM_FrameAt2xVs1x(benchmark::State& state) {
    static bool started = false;
    if (!started) {
        fs::remove_all(kDir);
        MakeProject();
        benchsupport::StartMainScreen(kDir);
        started = true;
    }
    const char* language = state.range(0) ? "Japanese" : "English";
    for (int i = 0; i < LanguageFolderCount(); ++i)
        if (LanguageFolder(i) == language) g_editor.fold->selected = i;
    g_editor.file->selected = 0;
    LoadFile();
    g_editor.items->SelectItem(1);
    double at1 = 0, at2 = 0;
    for (auto _ : state) {
        SetSize(800, 600);
        at1 += SecondsPerFrame(20);
        SetSize(1600, 1200);
        at2 += SecondsPerFrame(20);
        if (g_engine.drawScale != 2.0f || ScaledGlyphsRendered(GetFont()) == 0) {
            state.SkipWithError("the screen was not drawn at 2x from glyphs made for it");
            return;
        }
    }
    SetSize(800, 600);
    const double n = double(state.iterations());
    state.counters["frame_1x_ms"] = at1 / n * 1e3;
    state.counters["frame_2x_ms"] = at2 / n * 1e3;
    state.counters["ratio_2x_to_1x"] = at2 / at1;
    state.SetLabel(language);
}
BENCHMARK(BM_FrameAt2xVs1x)->Arg(0)->Arg(1)->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
