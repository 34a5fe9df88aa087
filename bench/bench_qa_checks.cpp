// bench_qa_checks.cpp - the cost of the checks next to what the editor already does:
// checking every item of a 4000-item file against its reference as a ratio to loading
// that file (counter x_load), and spelling a 32 KB text as a ratio to laying it out as
// the text box does after a keystroke (counter x_layout). Lower is better. Each side is
// the best of several timed runs, as the machine may be busy with other work.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "editor/qa/qa_checks.h"
#include "editor/qa/spelling.h"
#include "editor/text_store.h"
#include "platform/platform.h"
#include "render/font.h"
#include "tests/support/loc_files.h"

namespace fs = std::filesystem;

namespace {

using benchsupport::CpuSeconds;

using benchsupport::BestSeconds;

// ---- checking a file ----

// English and German menu files of 4000 items with tags, placeholders and line feeds.
void WriteFiles() {
    static bool written = false;
    if (written) return;
    const fs::path dir = fs::temp_directory_path() / "qk_bench_qa";
    fs::remove_all(dir);
    for (const char* lang : {"English", "German"}) {
        std::vector<std::string> texts;
        for (int i = 0; i < 4000; ++i)
            texts.push_back(std::string(lang[0] == 'E' ? "<color 255,200,0>Reward:<color default> %d coins"
                                                       : "<color 255,200,0>Belohnung:<color default> %d Münzen") +
                            " for quest {quest} number " + std::to_string(i) + "\nPress %1$s to go on.");
        locfixture::WriteFile(dir / "Texts" / lang / "menu.loc", locfixture::LocBytes(texts));
    }
    fs::current_path(dir);
    written = true;
}

double LoadSeconds() {
    static const double seconds = BestSeconds(
        [] {
            ReadTexts("German\\menu");
            ResetStore();
        },
        50);
    return seconds;
}

void BM_CheckFile4000(benchmark::State& state) {
    WriteFiles();
    const double load = LoadSeconds();
    ReadTexts("English\\menu");
    const std::vector<std::string> english = g_store.texts;
    ReadTexts("German\\menu");
    const std::vector<std::string> german = g_store.texts;
    ResetStore();
    double best = 1e9;
    for (auto _ : state) {
        const double t0 = CpuSeconds();
        for (size_t i = 0; i < german.size(); ++i)
            benchmark::DoNotOptimize(qa::CheckItem(german[i], english[i], true, {200}));
        best = std::min(best, CpuSeconds() - t0);
    }
    state.counters["x_load"] = best / load;
}

// ---- spelling a text ----

// A font with the glyph table of the shipped one's size, made in memory: layout needs
// no pages on a GPU.
Font* BenchFont() {
    static Font* font = [] {
        DsfFile file;
        file.height = 15;
        file.asciiDirect = 1;
        for (auto [first, last] : {std::pair{0x20, 0x7F}, std::pair{0xA0, 0x24F}, std::pair{0x2000, 0x206F}})
            for (int32_t c = first; c <= last; ++c)
                file.glyphs.push_back({c, 0, 0, 0, int16_t(4 + c % 7), int16_t(4 + c % 7)});
        DsfPage page;
        page.width = page.height = page.texWidth = page.texHeight = 1;
        page.alpha = {0};
        file.pages.push_back(page);
        return CreateFontFromDsf(file, false);
    }();
    return font;
}

// 32 KB of German with a misspelling, tags and placeholders, cut at a character boundary.
const std::string& Text() {
    static const std::string text = benchsupport::GermanSample(32768);
    return text;
}

constexpr float kBoxWidth = 380;  // the editor's text box, in pixels

// What the text box recomputes after a keystroke: measure, fit the lines, find the caret.
void LayOut() {
    const char* t = Text().c_str();
    benchmark::DoNotOptimize(MeasureText(t, int(Text().size()), BenchFont()));
    benchmark::DoNotOptimize(TextHeight(kBoxWidth, 0, t, 0, -1));
    benchmark::DoNotOptimize(TextEndPos(BenchFont(), kBoxWidth, t, -1));
}

double LayoutSeconds() {
    static const double seconds = [] {
        SetFont(BenchFont());
        return BestSeconds(LayOut, 50);
    }();
    return seconds;
}

std::string GermanDictionary() { return qa::FindDictionary(qa::DictionaryName("German", {}), PlatDictionaryFolders()); }

// Every word known from the checker's cache: a keystroke changes one word, so this is
// what re-spelling the text costs while typing.
void BM_SpellText32KWarm(benchmark::State& state) {
    qa::SpellChecker checker;
    std::string message;
    if (!checker.Open(GermanDictionary(), message)) return state.SkipWithError(message.c_str());
    const double layout = LayoutSeconds();
    checker.Misspelled(Text());
    double best = 1e9;
    for (auto _ : state) {
        const double t0 = CpuSeconds();
        benchmark::DoNotOptimize(checker.Misspelled(Text()));
        best = std::min(best, CpuSeconds() - t0);
    }
    state.counters["x_layout"] = best / layout;
}

// The first pass over a text (opening the item), with every distinct word asked of Hunspell.
void BM_SpellText32KCold(benchmark::State& state) {
    const double layout = LayoutSeconds();
    double best = 1e9;
    for (auto _ : state) {
        state.PauseTiming();
        qa::SpellChecker checker;
        std::string message;
        if (!checker.Open(GermanDictionary(), message)) return state.SkipWithError(message.c_str());
        state.ResumeTiming();
        const double t0 = CpuSeconds();
        benchmark::DoNotOptimize(checker.Misspelled(Text()));
        best = std::min(best, CpuSeconds() - t0);
    }
    state.counters["x_layout"] = best / layout;
}

}  // namespace

BENCHMARK(BM_CheckFile4000);
BENCHMARK(BM_SpellText32KWarm);
BENCHMARK(BM_SpellText32KCold)->Iterations(3);
BENCHMARK_MAIN();
