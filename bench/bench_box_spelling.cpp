// bench_box_spelling.cpp - a keystroke in the editor's text box holding a 32 KB German text,
// on the real main screen (test backend): in a folder with a dictionary (spelling on) as a
// ratio to the same in a folder without one (spelling off). The spelling itself waits for
// typing to rest, so a keystroke only notices the edit: the ratio should stay near 1.
// (Spelling a 32 KB text against laying it out is in bench_qa_checks.)
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "bench/bench_support.h"
#include "bench/main_screen.h"
#include "editor/editor.h"
#include "editor/project.h"
#include "engine/engine.h"
#include "engine/gui_hooks.h"
#include "gui/controls/combobox.h"
#include "gui/controls/listbox.h"
#include "gui/controls/text_edit.h"
#include "gui/gui.h"
#include "platform/platform.h"
#include "render/font.h"
#include "tests/support/loc_files.h"

namespace fs = std::filesystem;

namespace {

using benchsupport::CpuSeconds;

std::string GermanText() { return benchsupport::GermanSample(size_t(TextEdit::kMaxTextBytes) - 8); }

// "German" (checked) and "Klingon" (no dictionary), one item each holding the text.
void Setup() {
    const fs::path dir = fs::temp_directory_path() / "qk_bench_box_spelling";
    fs::remove_all(dir);
    const std::string loc = locfixture::LocBytes({GermanText()}), desc = locfixture::DescBytes({{"Item", "Long"}});
    for (const std::string file : {"menu", "game", "keyboard"}) {  // the files every project has
        for (const char* lang : {"German", "Klingon"}) {
            locfixture::WriteFile(dir / "Texts" / lang / (file + ".loc"), loc);
        }
        locfixture::WriteFile(dir / "Descriptions" / (file + ".desc"), desc);
    }
    benchsupport::StartMainScreen(dir);
}

void Open(const char* lang) {
    for (int i = 0; i < LanguageFolderCount(); ++i)
        if (LanguageFolder(i) == lang) g_editor.fold->selected = i;
    g_editor.file->selected = 0;
    LoadFile();
    g_editor.items->SelectItem(0);
    SetFocusTo("Text");
    TextEdit* edit = TextEditOf(FindControl("Text"));
    edit->cPos = edit->Length() / 2, edit->nSel = 0;
}

// Seconds per keystroke as the GUI takes it: the character, then Backspace, each followed
// by the frame's update (where the spelling watcher runs); the best of several rounds.
double KeystrokeSeconds(int rounds) {
    double best = 1e9;
    for (int r = 0; r < 7; ++r) {
        const double t0 = CpuSeconds();
        for (int i = 0; i < rounds; ++i) {
            GuiChar('x');
            GuiUpdate(0.01f);
            GuiKeyDown(VK_BACK);
            GuiKeyUp(VK_BACK);
            GuiUpdate(0.01f);
        }
        best = std::min(best, (CpuSeconds() - t0) / (2.0 * rounds));
    }
    return best;
}

void BM_KeystrokeSpelling32K(benchmark::State& state) {
    static bool ready = (Setup(), true);
    (void)ready;
    double on = 0, off = 0;
    for (auto _ : state) {
        Open("Klingon");
        off = KeystrokeSeconds(100);
        Open("German");
        on = KeystrokeSeconds(100);
    }
    state.counters["ms_per_key_on"] = on * 1e3;
    state.counters["ms_per_key_off"] = off * 1e3;
    state.counters["x_spelling_off"] = on / off;
}
BENCHMARK(BM_KeystrokeSpelling32K)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
