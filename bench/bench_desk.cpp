// bench_desk.cpp - the translator's desk next to loading a file: the state of every item
// of a 4000-item file (untranslated or not) and its counts, the same with the checks,
// building the search index, and one search over it, each as a ratio to loading that file's
// texts and descriptions (counter x_load). Lower is better; each side is the best of
// several timed runs of thread CPU time, as the machine may be busy with other work.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "editor/desk_progress.h"
#include "editor/desk_search.h"
#include "editor/qa/qa_checks.h"
#include "editor/text_store.h"
#include "tests/support/loc_files.h"

namespace fs = std::filesystem;

namespace {

using benchsupport::CpuSeconds;

using benchsupport::BestSeconds;

constexpr int kItems = 4000;

// English and German menu files of 4000 items (every tenth German one still the English
// text), and their names and descriptions, written by the editor's own writer.
void WriteProject() {
    static bool written = false;
    if (written) return;
    const fs::path dir = fs::temp_directory_path() / "qk_bench_desk";
    fs::remove_all(dir);
    fs::create_directories(dir / "Descriptions");
    for (const char* lang : {"English", "German"}) {
        fs::create_directories(dir / "Texts" / lang);
        fs::current_path(dir);
        ResetStore();
        g_store.key = std::string(lang) + "\\menu";
        g_store.itemCount = kItems;
        g_store.names.assign(kItems, {});
        g_store.descriptions.assign(kItems, {});
        for (int i = 0; i < kItems; ++i) {
            const bool english = lang[0] == 'E' || i % 10 == 0;
            g_store.texts.push_back(std::string(english ? "<color 255,200,0>Reward:<color default> %d coins for the "
                                                          "quest of the old ferryman, number "
                                                        : "<color 255,200,0>Belohnung:<color default> %d Münzen für "
                                                          "die Aufgabe des alten Fährmanns, Nummer ") +
                                    std::to_string(i));
        }
        SaveCurrentFile();
    }
    std::vector<std::pair<std::string, std::string>> items;
    for (int i = 0; i < kItems; ++i)
        items.emplace_back("QuestReward" + std::to_string(i),
                           "Shown when quest " + std::to_string(i) + " ends; the ferryman pays the player.");
    locfixture::WriteFile("Descriptions/menu.desc", locfixture::DescBytes(items));
    ResetStore();
    written = true;
}

double LoadSeconds() {
    static const double seconds = BestSeconds(
        [] {
            ReadTexts("German\\menu");
            ReadDescriptions();
            ResetStore();
        },
        20);
    return seconds;
}

struct Loaded {
    std::vector<std::string> names, descriptions, texts, references;
};

const Loaded& Files() {
    static const Loaded loaded = [] {
        WriteProject();
        Loaded l;
        ReadTexts("English\\menu");
        l.references = g_store.texts;
        ReadTexts("German\\menu");
        ReadDescriptions();
        l.names = g_store.names;
        l.descriptions = g_store.descriptions;
        l.texts = g_store.texts;
        ResetStore();
        return l;
    }();
    return loaded;
}

void Report(benchmark::State& state, double best) { state.counters["x_load"] = best / LoadSeconds(); }

// Every item untranslated or not, and the counts of the title.
void BM_CountStates4000(benchmark::State& state) {
    const Loaded& f = Files();
    std::vector<ItemState> states(f.texts.size());
    double best = 1e9;
    for (auto _ : state) {
        const double t0 = CpuSeconds();
        for (size_t i = 0; i < f.texts.size(); ++i)
            states[i] =
                qa::IsUntranslated(f.texts[i], f.references[i], true) ? ItemState::Untranslated : ItemState::Translated;
        benchmark::DoNotOptimize(CountStates(states));
        best = std::min(best, CpuSeconds() - t0);
    }
    Report(state, best);
}

// What a load or a new reference costs in all: every item's state with the checks.
void BM_StatesWithChecks4000(benchmark::State& state) {
    const Loaded& f = Files();
    std::vector<ItemState> states(f.texts.size());
    std::string problems;
    double best = 1e9;
    for (auto _ : state) {
        const double t0 = CpuSeconds();
        for (size_t i = 0; i < f.texts.size(); ++i)
            states[i] = StateOfText(f.texts[i], f.references[i], true, {}, &problems);
        benchmark::DoNotOptimize(CountStates(states));
        best = std::min(best, CpuSeconds() - t0);
    }
    Report(state, best);
}

void BM_BuildSearchIndex4000(benchmark::State& state) {
    const Loaded& f = Files();
    double best = 1e9;
    for (auto _ : state) {
        const double t0 = CpuSeconds();
        SearchIndex index;
        index.Build(f.names, f.descriptions, f.references, f.texts);
        benchmark::DoNotOptimize(index.items.data());
        best = std::min(best, CpuSeconds() - t0);
    }
    Report(state, best);
}

// One keystroke in the find box: every item searched for a word with non-ASCII letters.
void BM_Search4000(benchmark::State& state) {
    const Loaded& f = Files();
    SearchIndex index;
    index.Build(f.names, f.descriptions, f.references, f.texts);
    double best = 1e9;
    for (auto _ : state) {
        const double t0 = CpuSeconds();
        benchmark::DoNotOptimize(FindMatches(index, "fährmanns, nummer 39"));
        best = std::min(best, CpuSeconds() - t0);
    }
    Report(state, best);
}

}  // namespace

BENCHMARK(BM_CountStates4000);
BENCHMARK(BM_StatesWithChecks4000);
BENCHMARK(BM_BuildSearchIndex4000);
BENCHMARK(BM_Search4000);
BENCHMARK_MAIN();
