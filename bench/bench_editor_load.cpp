// bench_editor_load.cpp - the editor's LoadFile of a 4000-item file on the real main
// screen (test backend, real GL): save of the file being left, emptying the list,
// reading texts and descriptions, and filling the item list. Aim: under 50 ms.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "bench/main_screen.h"
#include "editor/editor.h"
#include "editor/text_store.h"
#include "engine/engine.h"
#include "gui/controls/combobox.h"
#include "gui/gui.h"
#include "platform/platform.h"
#include "render/font.h"
#include "tests/support/loc_files.h"

namespace fs = std::filesystem;

namespace {

// Two languages of 4000-item files, and the main screen built on them.
void Setup() {
    const fs::path dir = fs::temp_directory_path() / "qk_bench_editor_load";
    fs::remove_all(dir);
    for (const char* file : {"menu", "game", "keyboard"}) {
        std::vector<std::string> texts;
        std::vector<std::pair<std::string, std::string>> descs;
        for (int i = 0; i < 4000; ++i) {
            texts.push_back("A typical game string of moderate length, number " + std::to_string(i));
            descs.emplace_back("Item" + std::to_string(i), "What the item is for and where it shows in the game.");
        }
        for (const char* lang : {"English", "German"})
            locfixture::WriteFile(dir / "Texts" / lang / (std::string(file) + ".loc"), locfixture::LocBytes(texts));
        locfixture::WriteFile(dir / "Descriptions" / (std::string(file) + ".desc"), locfixture::DescBytes(descs));
    }
    benchsupport::StartMainScreen(dir);
}

void BM_LoadFile4000(benchmark::State& state) {
    static bool ready = (Setup(), true);
    (void)ready;
    int file = 0;
    for (auto _ : state) {
        g_editor.file->selected = file;
        file = (file + 1) % 3;
        benchmark::DoNotOptimize(LoadFile());
    }
    state.counters["items"] = ItemCount();
}
BENCHMARK(BM_LoadFile4000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
