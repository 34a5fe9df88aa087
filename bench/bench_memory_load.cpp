// bench_memory_load.cpp - the translation memory on the real main screen (test backend,
// real GL): opening a language of 3 files x 4000 items with a 100,000-unit TMX in
// "Translation memory/", as a ratio to opening it without the TMX (counter
// tmx_x_without: what the memory adds to opening a language, at start-up too; the TMX
// index is built on another thread, and tmx_ready_ms is the wall time until it is in),
// and the suggestions for one item as a ratio to opening one file of the language
// (suggest_x_load), with the absolute times.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>

#include "bench/bench_support.h"
#include "bench/main_screen.h"
#include "editor/editor.h"
#include "editor/memory/memory_feature.h"
#include "editor/text_store.h"
#include "engine/engine.h"
#include "gui/controls/combobox.h"
#include "gui/controls/listbox.h"
#include "gui/gui.h"
#include "platform/platform.h"
#include "render/font.h"
#include "tests/support/loc_files.h"

namespace fs = std::filesystem;

namespace {

constexpr int kItems = 4000, kTmxUnits = 100000;
const char* const kFiles[] = {"game", "keyboard", "menu"};  // as the editor lists them
std::string g_tmx;

std::string Sentence(int i, int salt) {
    static const char* words[] = {"the",  "gold", "door",  "key", "potion", "quest", "sword", "north", "gate", "guard",
                                  "open", "find", "bring", "old", "river",  "tower", "night", "king",  "map",  "ring"};
    std::string s;
    for (int w = 0; w < 8; ++w) s += std::string(w ? " " : "") + words[(i * 7 + w * 13 + salt) % 20];
    return s + " " + std::to_string(i);
}

void Setup() {
    const fs::path dir = fs::temp_directory_path() / "qk_bench_memory_load";
    fs::remove_all(dir);
    for (const char* file : kFiles) {
        std::vector<std::string> english, german;
        std::vector<std::pair<std::string, std::string>> descs;
        for (int i = 0; i < kItems; ++i) {
            english.push_back(Sentence(i, 0));
            german.push_back("DE " + Sentence(i, 0));
            descs.emplace_back("Item" + std::to_string(i), "What the item is for.");
        }
        locfixture::WriteFile(dir / "Texts" / "English" / (std::string(file) + ".loc"), locfixture::LocBytes(english));
        locfixture::WriteFile(dir / "Texts" / "German" / (std::string(file) + ".loc"), locfixture::LocBytes(german));
        locfixture::WriteFile(dir / "Descriptions" / (std::string(file) + ".desc"), locfixture::DescBytes(descs));
    }
    g_tmx = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tmx version=\"1.4\"><header srclang=\"en\"/><body>\n";
    for (int i = 0; i < kTmxUnits; ++i)
        g_tmx += "<tu><tuv xml:lang=\"en\"><seg>" + Sentence(i, 3) + "</seg></tuv><tuv xml:lang=\"de\"><seg>DE " +
                 Sentence(i, 3) + "</seg></tuv></tu>\n";
    g_tmx += "</body></tmx>\n";
    locfixture::WriteFile(dir / "zazovi-project.ini", "[languages]\nEnglish = en\nGerman = de\n");
    benchsupport::StartMainScreen(dir);
}

double WallSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// English menu, then (measured: the main thread's time) German menu: the memory of
// German is built anew, the TMX files' part on another thread; `ready` is the wall time
// until that part is handed over too.
double OpenGerman(bool withTmx, double* ready = nullptr) {
    g_editor.fold->selected = 0;
    g_editor.file->selected = 2;
    LoadFile();
    FinishBackgroundWork();
    fs::remove_all("Translation memory");
    if (withTmx) locfixture::WriteFile(fs::path("Translation memory") / "studio.tmx", g_tmx);
    g_editor.fold->selected = 1;
    const double w0 = WallSeconds(), t0 = benchsupport::CpuSeconds();
    LoadFile();
    const double open = benchsupport::CpuSeconds() - t0;
    FinishBackgroundWork();
    if (ready) *ready = WallSeconds() - w0;
    return open;
}

void BM_MemoryOnTheMainScreen(benchmark::State& state) {
    static bool ready = (Setup(), true);
    (void)ready;
    double with = 0, without = 0, load = 0, suggest = 0, tmxReady = 0;
    for (auto _ : state) {
        with = std::min(OpenGerman(true, &tmxReady), OpenGerman(true));
        without = std::min(OpenGerman(false), OpenGerman(false));
        // Another file of the same language: the memory stays, the file is read.
        load = benchsupport::BestSeconds(
                   [] {
                       g_editor.file->selected = 0;
                       LoadFile();
                       g_editor.file->selected = 2;
                       LoadFile();
                   },
                   3) /
               2;
        suggest = benchsupport::BestSeconds(
                      [] {
                          for (int i = 0; i < 100; ++i) benchmark::DoNotOptimize(SuggestionsFor(i * 37 % kItems));
                      },
                      3) /
                  100;
    }
    state.counters["with_tmx_ms"] = with * 1e3;
    state.counters["without_ms"] = without * 1e3;
    state.counters["tmx_x_without"] = with / without;
    state.counters["tmx_ready_ms"] = tmxReady * 1e3;
    state.counters["load_file_ms"] = load * 1e3;
    state.counters["suggest_ms"] = suggest * 1e3;
    state.counters["suggest_x_load"] = suggest / load;
}
BENCHMARK(BM_MemoryOnTheMainScreen)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
