// bench_editor_load.cpp - the editor's LoadFile of a 4000-item file on the real main
// screen (test backend, real GL): save of the file being left, emptying the list,
// reading texts and descriptions, and filling the item list. Aim: under 50 ms.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "editor/editor.h"
#include "editor/text_store.h"
#include "engine/engine.h"
#include "gui/controls/combobox.h"
#include "gui/gui.h"
#include "platform/platform.h"
#include "render/font.h"

namespace fs = std::filesystem;

namespace {

void Put16(std::string& out, int v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}

void Record(std::string& out, const std::string& text) {
    Put16(out, static_cast<int>(text.size()));
    out += text;
}

// Two languages of 4000-item files, and the main screen built on them.
void Setup() {
    const fs::path dir = fs::temp_directory_path() / "qk_bench_editor_load";
    fs::remove_all(dir);
    for (const char* file : {"menu", "game", "keyboard"}) {
        std::string loc, desc;
        Put16(loc, 4000);
        for (int i = 0; i < 4000; ++i) {
            Record(loc, "A typical game string of moderate length, number " + std::to_string(i));
            Record(desc, "Item" + std::to_string(i));
            Record(desc, "What the item is for and where it shows in the game.");
        }
        for (const char* lang : {"English", "German"}) {
            fs::create_directories(dir / "Texts" / lang);
            std::ofstream(dir / "Texts" / lang / (std::string(file) + ".loc"), std::ios::binary) << loc;
        }
        fs::create_directories(dir / "Descriptions");
        std::ofstream(dir / "Descriptions" / (std::string(file) + ".desc"), std::ios::binary) << desc;
    }
    fs::current_path(dir);
    PlatSetPresentPacing(false);
    InstallGui();
    InitEngine("bench");
    CreateEngineWindow(800, 600, WINDOW_MODE_FIXED);
    InitGL();
    SetFont(LoadFont(QK_FONT_PATH));
    BuildMainScreen();
    Begin2D();
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
