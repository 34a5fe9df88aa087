// bench_fit.cpp - the cost of fitting texts to the game (editor/fit) next to what the editor
// already does: the width, lines and glyph checks of every item of a 4000-item file in the
// shipped font as a ratio to loading that file in the editor (LoadFile on the real main
// screen, without rooms; counter x_open, the aim is at most 2) and to reading its texts
// alone (x_read), and
// the preview's measurement after a keystroke in a 2 KB text (layout, lines and the cells
// the picture marks) in milliseconds (counter ms; the aim is under 1) and as a ratio to
// laying the text out as the text box does (x_layout). Latin and Arabic texts; the font is
// read for measuring alone, as loctool reads it, and nothing it keeps of shaped paragraphs
// is kept from one timed run to the next. Each side is the best of several timed runs, as
// the machine may be busy with other work. Lower is better.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "bench/main_screen.h"
#include "editor/fit/fit_check.h"
#include "editor/text_store.h"
#include "gui/controls/combobox.h"
#include "render/font.h"
#include "render/text_measure.h"
#include "tests/support/loc_files.h"

namespace fs = std::filesystem;

namespace {

using benchsupport::BestSeconds;
using benchsupport::CpuSeconds;

const Font* ShippedFont() {
    static const std::unique_ptr<measure::MeasureFont> font = [] {
        auto f = measure::LoadMeasureFont(QK_FONT_PATH);
        if (f) f->SetScale(1.0f);
        return f;
    }();
    return font ? font->font() : nullptr;
}

// A German and an Arabic game file of 4000 dialogue lines with tags, placeholders and
// line feeds.
const char* const kGerman =
    "<color 255,200,0>Wirt:<color default> Man sagt, seit dem Einsturz spukt es in den Minen. Bring mir %d "
    "Eisenerze, {name}!\nWer hinabstieg, kam nie zurück. Nummer ";
const char* const kArabic =
    "<color 255,200,0>صاحب النزل:<color default> يقولون إن المناجم مسكونة منذ الانهيار. أحضر لي %d "
    "من خام الحديد يا {name}!\nمن نزل لم يعد أبدًا. رقم ";

// The project, and the main screen built on it: every file of both languages holds the
// 4000 lines; no zazovi-project.ini, so opening a file checks no room.
void Setup() {
    static bool ready = false;
    if (ready) return;
    ready = true;
    const fs::path dir = fs::temp_directory_path() / "qk_bench_fit";
    fs::remove_all(dir);
    for (const char* file : {"menu", "game", "keyboard"}) {
        std::vector<std::pair<std::string, std::string>> descs;
        for (int i = 0; i < 4000; ++i) descs.emplace_back("Line" + std::to_string(i), "What the innkeeper says.");
        locfixture::WriteFile(dir / "Descriptions" / (std::string(file) + ".desc"), locfixture::DescBytes(descs));
        for (const auto& [lang, text] : {std::pair{"Arabic", kArabic}, std::pair{"German", kGerman}}) {
            std::vector<std::string> texts;
            for (int i = 0; i < 4000; ++i) texts.push_back(text + std::to_string(i));
            locfixture::WriteFile(dir / "Texts" / lang / (std::string(file) + ".loc"), locfixture::LocBytes(texts));
        }
    }
    benchsupport::StartMainScreen(dir);
}

// Opening `language`'s game file in the editor, and reading its texts alone.
struct Baseline {
    double open = 0, read = 0;
};
Baseline LoadSeconds(const char* language) {
    Baseline b;
    const int fold = std::string(language) == "Arabic" ? 0 : 1;
    b.open = BestSeconds(
        [&] {
            g_editor.fold->selected = fold;
            g_editor.file->selected = 1;  // game.loc
            LoadFile();
        },
        10);
    const std::string key = std::string(language) + "\\game";
    TextStore loaded;
    std::swap(loaded, g_store);
    b.read = BestSeconds(
        [&] {
            ReadTexts(key);
            ResetStore();
        },
        50);
    std::swap(loaded, g_store);
    return b;
}

// Every item's checks as the editor and loctool qa run them: wrapped at 300 pixels into
// at most three lines (or one line per line break, 300 pixels each), glyphs against the
// game's font.
void CheckFile(benchmark::State& state, const char* language, fit::Room room) {
    Setup();
    const Font* font = ShippedFont();
    if (!font) return state.SkipWithError("the shipped font is not built");
    const Baseline load = LoadSeconds(language);
    const std::vector<std::string> texts = g_store.texts;  // the file just opened
    double best = 1e9;
    for (auto _ : state) {
        // As when the file is opened: nothing of its paragraphs kept from before.
        measure::ForgetFont(font);
        const double t0 = CpuSeconds();
        for (const std::string& text : texts)
            benchmark::DoNotOptimize(fit::Findings(fit::LayOut(font, text, room, true), room, true));
        best = std::min(best, CpuSeconds() - t0);
    }
    state.counters["x_open"] = best / load.open;
    state.counters["x_read"] = best / load.read;
}

void BM_CheckFile4000Wrapped(benchmark::State& state) { CheckFile(state, "German", {300, 3}); }
void BM_CheckFile4000Lines(benchmark::State& state) { CheckFile(state, "German", {300, 0}); }
void BM_CheckFile4000ArabicWrapped(benchmark::State& state) { CheckFile(state, "Arabic", {300, 3}); }
void BM_CheckFile4000ArabicLines(benchmark::State& state) { CheckFile(state, "Arabic", {300, 0}); }

// ---- the preview after a keystroke ----

std::string Sample2K(const char* piece) {
    std::string t;
    while (t.size() < 2048) t += std::string(piece) + " ";
    size_t end = 2048;
    while (end > 0 && (uint8_t(t[end]) & 0xC0) == 0x80) --end;
    t.resize(end);
    return t;
}

// What the preview measures once typing rests: the layout in the room, its summary and the
// cells the picture marks.
void Preview(benchmark::State& state, const std::string& text) {
    const Font* font = ShippedFont();
    if (!font) return state.SkipWithError("the shipped font is not built");
    const fit::Room room{300, 3};
    // The text box's own work after a keystroke: measure, fit the lines, find the caret.
    Setup();
    Font* drawing = GetFont();  // the editor's, as the main screen loaded it
    const double layout = BestSeconds(
        [&] {
            benchmark::DoNotOptimize(MeasureText(text.c_str(), int(text.size()), drawing));
            benchmark::DoNotOptimize(TextHeight(380, 0, text.c_str(), 0, -1));
            benchmark::DoNotOptimize(TextEndPos(drawing, 380, text.c_str(), -1));
        },
        50);
    double best = 1e9;
    for (auto _ : state) {
        // The text changed: its paragraph is shaped afresh.
        measure::ForgetFont(font);
        const double t0 = CpuSeconds();
        const fit::Layout measured = fit::LayOut(font, text, room, true);
        benchmark::DoNotOptimize(fit::Summary(measured, room));
        benchmark::DoNotOptimize(fit::PreviewLines(font, text, measured, room));
        best = std::min(best, CpuSeconds() - t0);
    }
    state.counters["ms"] = best * 1000;
    state.counters["x_layout"] = best / layout;
}

void BM_PreviewAfterKeystroke2K(benchmark::State& state) { Preview(state, Sample2K(kGerman)); }
void BM_PreviewAfterKeystroke2KArabic(benchmark::State& state) { Preview(state, Sample2K(kArabic)); }

}  // namespace

BENCHMARK(BM_CheckFile4000Wrapped);
BENCHMARK(BM_CheckFile4000Lines);
BENCHMARK(BM_CheckFile4000ArabicWrapped);
BENCHMARK(BM_CheckFile4000ArabicLines);
BENCHMARK(BM_PreviewAfterKeystroke2K);
BENCHMARK(BM_PreviewAfterKeystroke2KArabic);
BENCHMARK_MAIN();
