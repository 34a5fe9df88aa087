// bench_startup_data.cpp - the start-up data work (folder scan, verification and
// backup) of 40 languages x 3 files x 4000 items, next to std::filesystem::copy of
// the same tree, in one run; the ratio is what matters, not the absolute time.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "editor/project.h"
#include "editor/text_store.h"
#include "tests/support/loc_files.h"

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kFolders = 40;
constexpr int kItems = 4000;
constexpr int kTextBytes = 60;  // a typical short game string: about 250 KB per .loc

// A project of kFolders languages, made the current directory while it lives.
struct BenchProject {
    fs::path oldDir = fs::current_path();
    fs::path dir = fs::temp_directory_path() / "qk_bench_startup_data";

    BenchProject() {
        fs::remove_all(dir);
        fs::create_directories(dir / "Descriptions");
        fs::current_path(dir);
        for (const char* file : {"menu", "game", "keyboard"}) {
            std::vector<std::pair<std::string, std::string>> descs;
            for (int i = 0; i < kItems; ++i) descs.emplace_back(file + std::to_string(i), "what this item means");
            locfixture::WriteFile(fs::path("Descriptions") / (std::string(file) + ".desc"),
                                  locfixture::DescBytes(descs));
            for (int f = 0; f < kFolders; ++f) {
                std::vector<std::string> texts;
                for (int i = 0; i < kItems; ++i) {
                    std::string text = "Lang " + std::to_string(f) + " item " + std::to_string(i) + ": ";
                    while (static_cast<int>(text.size()) < kTextBytes)
                        text += static_cast<char>('a' + (text.size() * 7 + i) % 26);
                    texts.push_back(std::move(text));
                }
                const fs::path folder = fs::path("Texts") / ("Lang" + std::to_string(f));
                locfixture::WriteFile(folder / (std::string(file) + ".loc"), locfixture::LocBytes(texts));
            }
        }
    }
    ~BenchProject() {
        fs::current_path(oldDir);
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
};

double Seconds(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); }

void BM_StartupDataVsFilesystemCopy(benchmark::State& state) {
    BenchProject project;
    const auto copyOptions = fs::copy_options::recursive | fs::copy_options::overwrite_existing;
    double startup = 0, copy = 0;
    // Both write over an existing tree every turn, as the backup does at every start.
    BackupTexts(nullptr);
    fs::copy("Texts", "Plain Copy", copyOptions);
    fs::copy("Descriptions", fs::path("Plain Copy") / "Descriptions", copyOptions);

    for (auto _ : state) {
        const auto t0 = Clock::now();
        ProjectMessage m = ScanLanguageFolders();
        if (m.ok) m = VerifyLanguageFiles();
        const size_t failures = m.ok ? BackupTexts([](float p) { benchmark::DoNotOptimize(p); }).size() : 0;
        const auto t1 = Clock::now();
        fs::copy("Texts", "Plain Copy", copyOptions);
        fs::copy("Descriptions", fs::path("Plain Copy") / "Descriptions", copyOptions);
        const auto t2 = Clock::now();
        if (!m.ok || failures != 0) {
            state.SkipWithError(m.ok ? "the backup failed" : m.text.c_str());
            break;
        }
        startup += Seconds(t0, t1);
        copy += Seconds(t1, t2);
    }

    if (state.iterations() == 0) return;
    const double n = static_cast<double>(state.iterations());
    state.counters["startup_ms"] = startup / n * 1e3;
    state.counters["fs_copy_ms"] = copy / n * 1e3;
    state.counters["startup_per_copy"] = copy > 0 ? startup / copy : 0;
}
BENCHMARK(BM_StartupDataVsFilesystemCopy)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
