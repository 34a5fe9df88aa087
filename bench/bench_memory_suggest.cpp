// bench_memory_suggest.cpp - translation memory at game scale: one language's 12,000
// project items (3 files x 4000) and 100,000 units from TMX files, labels and sentences
// generated with words drawn from a Zipf-like vocabulary of 20,000 words (a few words very common, most
// rare, as in real text) plus colour tags, placeholders and numbers. Measures building
// the index once per load, and one suggestion (3 best, 70 % and up) for texts that have
// near matches, for texts that have none, and for short common labels; the target is
// well under 20 ms per suggestion. A scan that scores every unit is the yardstick.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "editor/memory/memory_index.h"

namespace {

constexpr size_t kProjectUnits = 12000, kTmxUnits = 100000, kVocabulary = 20000;

struct Corpus {
    std::vector<std::string> words;
    std::vector<double> cumulative;  // Zipf weights 1 / rank, summed
    std::mt19937 rng{7};

    Corpus() {
        const char* syllables[] = {"ka", "lo",  "mi",  "ne",  "ru",  "sa",  "ti",
                                   "vo", "ber", "gan", "dor", "fel", "wen", "ish"};
        double sum = 0;
        for (size_t i = 0; i < kVocabulary; ++i) {
            std::string w;
            for (size_t n = i + 1; n; n /= 14) w += syllables[n % 14];
            if (i % 7 == 0) w[0] = char(w[0] - 'a' + 'A');
            words.push_back(w);
            cumulative.push_back(sum += 1.0 / double(i + 1));
        }
    }
    const std::string& Word() {
        const double r = double(rng()) / double(std::mt19937::max()) * cumulative.back();
        return words[size_t(std::lower_bound(cumulative.begin(), cumulative.end(), r) - cumulative.begin()) %
                     kVocabulary];
    }
    std::string Text(size_t tokens) {
        std::string t;
        for (size_t i = 0; i < tokens; ++i) {
            if (i) t += ' ';
            switch (rng() % 20) {
                case 0:
                    t += "<color 255,200,0>" + Word() + "<color default>";
                    break;
                case 1:
                    t += std::to_string(rng() % 500);
                    break;
                case 2:
                    t += "%d";
                    break;
                default:
                    t += Word();
            }
        }
        return t + (rng() % 2 ? "." : "");
    }
    // A text like `text` with one word replaced.
    std::string NearTo(const std::string& text) {
        std::string t = text;
        const size_t space = t.find(' ', t.size() / 2);
        if (space != std::string::npos) t.insert(space, " " + Word());
        return t;
    }
};

struct Fixture {
    Corpus corpus;
    std::vector<memory::MemoryUnit> units;
    memory::MemoryIndex index;
    std::vector<std::string> near, unmatched, labels, common;

    Fixture() {
        const char* files[] = {"menu.loc", "game.loc", "keyboard.loc"};
        for (size_t i = 0; i < kProjectUnits + kTmxUnits; ++i) {
            memory::MemoryUnit u;
            // One in ten a short label ("Options", "New game"), the rest sentences.
            u.source = corpus.Text(i % 10 == 0 ? 1 + corpus.rng() % 3 : 3 + corpus.rng() % 22);
            u.translation = "T: " + u.source;
            if (i < kProjectUnits)
                u.origin = {memory::Origin::Kind::Project, files[i / 4000], int(i % 4000), "Item"};
            else
                u.origin = {memory::Origin::Kind::Tmx, "old-game.tmx", int(i), ""};
            units.push_back(std::move(u));
        }
        index = memory::MemoryIndex(units);
        for (int i = 0; i < 64; ++i) {
            near.push_back(corpus.NearTo(units[corpus.rng() % units.size()].source));
            unmatched.push_back(corpus.Text(3 + corpus.rng() % 22));
            labels.push_back(corpus.Word() + (i % 2 ? "" : " " + corpus.Word()));
            std::string c;
            for (int w = 0; w < 12; ++w) c += (w ? " " : "") + corpus.words[corpus.rng() % 5];
            common.push_back(c);
        }
    }
};

Fixture& Shared() {
    static Fixture f;
    return f;
}

void BM_MemoryBuild_112kUnits(benchmark::State& state) {
    const std::vector<memory::MemoryUnit>& units = Shared().units;
    for (auto _ : state) {
        memory::MemoryIndex index(units);
        benchmark::DoNotOptimize(index.size());
    }
}
BENCHMARK(BM_MemoryBuild_112kUnits)->Unit(benchmark::kMillisecond)->Iterations(3);

void RunSuggest(benchmark::State& state, const std::vector<std::string>& queries) {
    const memory::MemoryIndex& index = Shared().index;
    size_t i = 0, found = 0, runs = 0;
    for (auto _ : state) {
        const auto s = index.Suggest(queries[i++ % queries.size()]);
        found += s.size();
        ++runs;
    }
    state.counters["suggestions"] = double(found) / double(std::max<size_t>(runs, 1));
}

void BM_Suggest_NearMatches(benchmark::State& state) { RunSuggest(state, Shared().near); }
BENCHMARK(BM_Suggest_NearMatches)->Unit(benchmark::kMicrosecond);

void BM_Suggest_NoMatch(benchmark::State& state) { RunSuggest(state, Shared().unmatched); }
BENCHMARK(BM_Suggest_NoMatch)->Unit(benchmark::kMicrosecond);

void BM_Suggest_ShortLabels(benchmark::State& state) { RunSuggest(state, Shared().labels); }
BENCHMARK(BM_Suggest_ShortLabels)->Unit(benchmark::kMicrosecond);

// The worst case for the candidate lists: every word among the five most common.
void BM_Suggest_CommonWordsOnly(benchmark::State& state) { RunSuggest(state, Shared().common); }
BENCHMARK(BM_Suggest_CommonWordsOnly)->Unit(benchmark::kMicrosecond);

// What the index saves: scoring every unit for one text.
void BM_ScoreEveryUnit_NearMatch(benchmark::State& state) {
    const Fixture& f = Shared();
    size_t i = 0;
    for (auto _ : state) {
        const std::string& query = f.near[i++ % f.near.size()];
        const std::vector<memory::Token> tokens = memory::SplitMatchTokens(query);
        int best = 0;
        for (const memory::MemoryUnit& u : f.units)
            best =
                std::max(best, memory::ScoreTokens(query, tokens, u.source, memory::SplitMatchTokens(u.source)).score);
        benchmark::DoNotOptimize(best);
    }
}
BENCHMARK(BM_ScoreEveryUnit_NearMatch)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
