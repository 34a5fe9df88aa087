// bench_text_store.cpp - the text store's read and save of a 4000-item, ~1 MB
// .loc file next to copying the same file with std::filesystem::copy_file, in
// one run. The save flushes to disk, so a copy followed by fsync is timed too.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "editor/text_store.h"
#include "tests/support/loc_files.h"

#if !defined(_WIN32)
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kItems = 4000;
constexpr int kTextBytes = 250;  // 4000 x (2 + 250) bytes: about 1 MB

// A working folder holding Texts/Bench/menu.loc and Descriptions/menu.desc,
// made the current directory for the benchmark's lifetime.
struct BenchFolder {
    fs::path oldDir = fs::current_path();
    fs::path dir = fs::temp_directory_path() / "qk_bench_text_store";

    BenchFolder() {
        fs::remove_all(dir);
        fs::create_directories(dir / "Texts" / "Bench");
        fs::create_directories(dir / "Descriptions");
        fs::current_path(dir);
        std::vector<std::string> texts;
        for (int i = 0; i < kItems; ++i) {
            std::string text = "Item " + std::to_string(i) +
                               ": <color 255 0 0>Gr\xC3\xBC\xC3\x9F"
                               "e\n";
            while (static_cast<int>(text.size()) < kTextBytes)
                text += static_cast<char>('a' + (text.size() * 7 + i) % 26);
            texts.push_back(std::move(text));
        }
        locfixture::WriteFile(fs::path("Texts") / "Bench" / "menu.loc", locfixture::LocBytes(texts));
        locfixture::WriteFile(
            fs::path("Descriptions") / "menu.desc",
            locfixture::DescBytes(std::vector<std::pair<std::string, std::string>>(kItems, {"NAME", ""})));
    }
    ~BenchFolder() {
        fs::current_path(oldDir);
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
};

double Seconds(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); }

void SyncFile(const fs::path& path) {
#if !defined(_WIN32)
    if (FILE* f = std::fopen(path.string().c_str(), "rb+")) {
        fsync(fileno(f));
        std::fclose(f);
    }
#else
    (void)path;
#endif
}

void BM_StoreReadSaveVsCopyFile(benchmark::State& state) {
    BenchFolder folder;
    const fs::path src = fs::path("Texts") / "Bench" / "menu.loc";
    const fs::path dst = fs::path("Texts") / "Bench" / "menu_copy.loc";
    double store = 0, copy = 0, syncedCopy = 0;

    for (auto _ : state) {
        const auto t0 = Clock::now();
        StoreResult r = ReadTexts("Bench\\menu");
        if (r.ok) r = SaveCurrentFile();
        const auto t1 = Clock::now();
        fs::copy_file(src, dst, fs::copy_options::overwrite_existing);
        const auto t2 = Clock::now();
        fs::copy_file(src, dst, fs::copy_options::overwrite_existing);
        SyncFile(dst);
        const auto t3 = Clock::now();
        if (!r.ok) {
            state.SkipWithError(r.message.c_str());
            break;
        }
        store += Seconds(t0, t1);
        copy += Seconds(t1, t2);
        syncedCopy += Seconds(t2, t3);
    }
    ResetStore();

    if (state.iterations() == 0) return;
    const double n = static_cast<double>(state.iterations());
    state.counters["file_bytes"] = static_cast<double>(fs::file_size(src));
    state.counters["store_us"] = store / n * 1e6;
    state.counters["copy_us"] = copy / n * 1e6;
    state.counters["copy_fsync_us"] = syncedCopy / n * 1e6;
    state.counters["store_per_copy"] = copy > 0 ? store / copy : 0;
    state.counters["store_per_copy_fsync"] = syncedCopy > 0 ? store / syncedCopy : 0;
}
BENCHMARK(BM_StoreReadSaveVsCopyFile)->Unit(benchmark::kMillisecond);

// The parse alone, without the disk write, to show where the time goes.
void BM_StoreReadOnly(benchmark::State& state) {
    BenchFolder folder;
    for (auto _ : state) {
        const StoreResult r = ReadTexts("Bench\\menu");
        if (!r.ok) {
            state.SkipWithError(r.message.c_str());
            break;
        }
        benchmark::DoNotOptimize(ItemText(kItems - 1).data());
    }
    ResetStore();
}
BENCHMARK(BM_StoreReadOnly)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
