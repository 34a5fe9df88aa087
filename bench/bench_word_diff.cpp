// bench_word_diff.cpp - the word diff the editor shows for an item whose source changed,
// on two texts of 2 KB each: with a dozen scattered edits (the usual case: a source
// reworded here and there) and with every word changed (the most the diff computes
// exactly before it falls back to removed-and-added whole). The target is under 1 ms per
// diff, so that showing an item stays instant.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/bench_support.h"
#include "editor/review/word_diff.h"

namespace {

// The German sample with a word swapped, a word added and a mark changed in every
// sentence or so, a dozen edits in all.
std::string Edited(std::string text) {
    const struct {
        const char* from;
        const char* to;
    } edits[] = {{"Fuchs", "Wolf"}, {"faulen ", "faulen alten "}, {"Fehlr", "Fehler"}, {"Achtung:", "Achtung!"}};
    size_t at = 0;
    for (int i = 0; i < 12; ++i) {
        const auto& e = edits[i % 4];
        at = text.find(e.from, at);
        if (at == std::string::npos) break;
        text.replace(at, std::string(e.from).size(), e.to);
        at += 120;  // leave some text untouched between edits
    }
    return text;
}

// English of the same size and shape with no word in common with the German.
std::string Rewritten(size_t bytes) {
    std::string t;
    for (int i = 0; t.size() < bytes; ++i)
        t += "The quick red hen walks past " + std::to_string(i) + " lazy cats today; ";
    t.resize(bytes);
    return t;
}

void RunDiff(benchmark::State& state, const std::string& oldText, const std::string& newText) {
    size_t pieces = 0;
    for (auto _ : state) {
        const auto diff = review::WordDiff(oldText, newText);
        pieces = diff.size();
        benchmark::DoNotOptimize(diff.data());
    }
    state.counters["pieces"] = double(pieces);
    state.counters["tokens"] =
        double(review::SplitDiffTokens(oldText).size() + review::SplitDiffTokens(newText).size());
}

void BM_WordDiff2KB_DozenEdits(benchmark::State& state) {
    const std::string oldText = benchsupport::GermanSample(2048);
    RunDiff(state, oldText, Edited(oldText));
}
BENCHMARK(BM_WordDiff2KB_DozenEdits)->Unit(benchmark::kMicrosecond);

void BM_WordDiff2KB_EveryWordChanged(benchmark::State& state) {
    RunDiff(state, benchsupport::GermanSample(2048), Rewritten(2048));
}
BENCHMARK(BM_WordDiff2KB_EveryWordChanged)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
