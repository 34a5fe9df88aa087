// bench_merge.cpp - the merge driver's work on three 4000-item files (base, ours, theirs:
// each side changed a different tenth of the items, a few items both ways): read and
// parsed, merged item by item, the conflicts put in their file's form and the merged file
// encoded and written, as a ratio to reading and parsing the three files alone (counter
// merge_x_read; aim: at most 3). CPU time of this thread, the best of a few rounds.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "editor/conflict/conflict_file.h"
#include "editor/conflict/loc_merge.h"
#include "formats/loc_format.h"
#include "platform/platform.h"
#include "tests/support/loc_files.h"

namespace fs = std::filesystem;

namespace {

constexpr int kItems = 4000;
const char* const kSides[] = {"base.loc", "ours.loc", "theirs.loc"};
fs::path g_dir;

void Setup() {
    g_dir = fs::temp_directory_path() / "qk_bench_merge";
    fs::remove_all(g_dir);
    std::vector<std::string> base, ours, theirs;
    for (int i = 0; i < kItems; ++i) {
        base.push_back("Ein typischer Text eines Spiels, <color 255 0 0>Nummer<color default> " + std::to_string(i));
        ours.push_back(i % 10 == 1 || i % 400 == 7 ? base.back() + " (ours)" : base.back());
        theirs.push_back(i % 10 == 2 || i % 400 == 7 ? base.back() + " (theirs)" : base.back());
    }
    for (const auto& [name, texts] : {std::pair{kSides[0], base}, {kSides[1], ours}, {kSides[2], theirs}})
        locfixture::WriteFile(g_dir / name, locfixture::LocBytes(texts));
}

bool ReadSide(int s, std::vector<std::string>& texts) {
    std::string bytes;
    return PlatReadFile((g_dir / kSides[s]).string(), bytes, nullptr) &&
           locformat::ParseLoc(bytes, kSides[s], locformat::Trailing::Refuse, texts).ok;
}

double ReadThree() {
    const double t0 = benchsupport::CpuSeconds();
    std::vector<std::string> sides[3];
    for (int s = 0; s < 3; ++s)
        if (!ReadSide(s, sides[s])) std::abort();
    return benchsupport::CpuSeconds() - t0;
}

// The merged file goes beside the three, so every round merges the same files.
double MergeThree() {
    const double t0 = benchsupport::CpuSeconds();
    std::vector<std::string> sides[3];
    for (int s = 0; s < 3; ++s)
        if (!ReadSide(s, sides[s])) std::abort();
    const conflict::MergeResult merged = conflict::MergeTexts(sides[0], sides[1], sides[2], "menu");
    if (!merged.ok || merged.conflicts.size() != kItems / 400) std::abort();
    const std::string conflicts = conflict::WriteConflictFile(merged.conflicts);
    std::string encoded;
    if (!locformat::EncodeLoc(merged.merged, "menu.loc", encoded).ok) std::abort();
    benchmark::DoNotOptimize(conflicts);
    if (!PlatReplaceFile((g_dir / "merged.loc").string(), encoded, nullptr)) std::abort();
    return benchsupport::CpuSeconds() - t0;
}

void BM_MergeThreeFiles(benchmark::State& state) {
    static bool ready = (Setup(), true);
    (void)ready;
    double merge = 0, read = 0;
    for (auto _ : state) {
        merge = std::min({MergeThree(), MergeThree(), MergeThree()});
        read = std::min({ReadThree(), ReadThree(), ReadThree()});
    }
    state.counters["merge_ms"] = merge * 1e3;
    state.counters["read_ms"] = read * 1e3;
    state.counters["merge_x_read"] = merge / read;
}
BENCHMARK(BM_MergeThreeFiles)->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
