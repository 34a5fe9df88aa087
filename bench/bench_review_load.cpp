// bench_review_load.cpp - opening a 4000-item German file on the real main screen (test
// backend, real GL) with review states and a recorded English source for every item, as
// a ratio to opening it in a project without states (counter with_x_without; aim: at
// most 1.5). Each measured load comes from the English file, so the states are read anew.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "bench/bench_support.h"
#include "bench/main_screen.h"
#include "editor/editor.h"
#include "editor/review/state_file.h"
#include "editor/text_store.h"
#include "engine/engine.h"
#include "gui/controls/combobox.h"
#include "gui/gui.h"
#include "platform/platform.h"
#include "render/font.h"
#include "tests/support/loc_files.h"

namespace fs = std::filesystem;

namespace {

constexpr int kItems = 4000;
const char* const kFiles[] = {"game", "keyboard", "menu"};  // as the editor lists them
std::string g_states;  // the German state file: every item translated, its source recorded

std::string English(int i) { return "A typical game string of moderate length, number " + std::to_string(i); }

void Setup() {
    const fs::path dir = fs::temp_directory_path() / "qk_bench_review_load";
    fs::remove_all(dir);
    review::StateFile states;
    states.sourceLanguage = "English";
    for (const char* file : kFiles) {
        std::vector<std::string> english, german;
        std::vector<std::pair<std::string, std::string>> descs;
        for (int i = 0; i < kItems; ++i) {
            english.push_back(English(i));
            german.push_back("Ein typischer Text eines Spiels, Nummer " + std::to_string(i));
            descs.emplace_back("Item" + std::to_string(i), "What the item is for and where it shows in the game.");
            states.items.push_back({file, i, review::ReviewState::Translated, English(i), ""});
        }
        locfixture::WriteFile(dir / "Texts" / "English" / (std::string(file) + ".loc"), locfixture::LocBytes(english));
        locfixture::WriteFile(dir / "Texts" / "German" / (std::string(file) + ".loc"), locfixture::LocBytes(german));
        locfixture::WriteFile(dir / "Descriptions" / (std::string(file) + ".desc"), locfixture::DescBytes(descs));
    }
    g_states = review::WriteStateFile(states);
    benchsupport::StartMainScreen(dir);
}

// English menu, then (measured) German menu; the state folder as asked before each.
double LoadGerman(bool withStates) {
    g_editor.fold->selected = 0;
    g_editor.file->selected = 2;
    LoadFile();
    fs::remove_all(review::kStateFolder);
    if (withStates) {
        fs::create_directories(review::kStateFolder);
        locfixture::WriteFile(fs::path(review::kStateFolder) / "German.tsv", g_states);
    }
    g_editor.fold->selected = 1;
    const double t0 = benchsupport::CpuSeconds();
    LoadFile();
    return benchsupport::CpuSeconds() - t0;
}

void BM_OpenWithStates(benchmark::State& state) {
    static bool ready = (Setup(), true);
    (void)ready;
    double with = 0, without = 0;
    for (auto _ : state) {
        with = std::min(LoadGerman(true), LoadGerman(true));
        without = std::min(LoadGerman(false), LoadGerman(false));
    }
    state.counters["with_ms"] = with * 1e3;
    state.counters["without_ms"] = without * 1e3;
    state.counters["with_x_without"] = with / without;
}
BENCHMARK(BM_OpenWithStates)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
