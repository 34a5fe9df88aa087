// bench_loctool_exchange.cpp - loctool's export and import of a 20-language project
// (3 files x 4000 items each) in PO, XLIFF and CSV, next to loading the same .loc
// files through the text store, in one run. Export loads the language and its
// reference; import reads the file, loads the language and compares (an unchanged
// round trip writes nothing).
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/loc_files.h"
#include "tools/loctool/exchange_commands.h"
#include "tools/loctool/loc_text.h"

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kLanguages = 20;
constexpr int kItems = 4000;
const char* const kFiles[] = {"menu", "game", "keyboard"};

std::string Language(int l) { return l == 0 ? "English" : "Lang" + std::to_string(l); }

// Texts of game-like size and shape: a colour tag, an accent, every seventh with a
// line break, every tenth left as the English text (untranslated).
std::string TextOf(int l, int file, int i) {
    if (l > 0 && i % 10 == 0) return TextOf(0, file, i);
    std::string text = (l == 0 ? "Item " : "Objet ") + std::to_string(file) + "." + std::to_string(i) +
                       " <color 255 200 0>Gr\xC3\xBC\xC3\x9F"
                       "e<color default> for language " +
                       std::to_string(l);
    if (i % 7 == 0) text += "\r\nsecond line with \"quotes\"";
    return text;
}

struct BenchProject {
    fs::path oldDir = fs::current_path();
    fs::path dir = fs::temp_directory_path() / "qk_bench_loctool_exchange";
    projtexts::Project project;
    loctext::Result opened;

    BenchProject() {
        fs::remove_all(dir);
        for (int f = 0; f < 3; ++f) {
            std::vector<std::pair<std::string, std::string>> descs;
            for (int i = 0; i < kItems; ++i)
                descs.emplace_back("Item" + std::to_string(i),
                                   "Shown on screen " + std::to_string(i % 40) + "; keep it short.");
            locfixture::WriteFile(dir / "Descriptions" / (std::string(kFiles[f]) + ".desc"),
                                  locfixture::DescBytes(descs));
            for (int l = 0; l < kLanguages; ++l) {
                std::vector<std::string> texts;
                for (int i = 0; i < kItems; ++i) texts.push_back(TextOf(l, f, i));
                locfixture::WriteFile(dir / "Texts" / Language(l) / (std::string(kFiles[f]) + ".loc"),
                                      locfixture::LocBytes(texts));
            }
        }
        opened = projtexts::OpenProject(dir.string(), project);
    }
    ~BenchProject() {
        fs::current_path(oldDir);
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
};

double Seconds(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); }

void BM_ExportImportVsLoad(benchmark::State& state, const char* format) {
    BenchProject bench;
    if (!bench.opened.ok) {
        state.SkipWithError(bench.opened.message.c_str());
        return;
    }
    double load = 0, exportTime = 0, importTime = 0;
    size_t exportedBytes = 0;
    for (auto _ : state) {
        exportedBytes = 0;
        for (int l = 0; l < kLanguages; ++l) {
            const std::string language = Language(l);
            const std::string path = (bench.dir / (language + "." + format)).string();
            projtexts::LanguageTexts texts;
            std::string bytes, report;
            const auto t0 = Clock::now();
            loctext::Result r = projtexts::LoadLanguage(bench.project, language, texts);
            const auto t1 = Clock::now();
            if (r.ok) r = ExportLanguage(bench.project, language, "English", format, bytes);
            if (r.ok) locfixture::WriteFile(path, bytes);
            const auto t2 = Clock::now();
            if (r.ok) r = ImportLanguage(bench.project, language, path, format, report);
            const auto t3 = Clock::now();
            if (!r.ok) {
                state.SkipWithError(r.message.c_str());
                return;
            }
            load += Seconds(t0, t1);
            exportTime += Seconds(t1, t2);
            importTime += Seconds(t2, t3);
            exportedBytes += bytes.size();
        }
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["load_ms"] = load / n * 1e3;
    state.counters["export_ms"] = exportTime / n * 1e3;
    state.counters["import_ms"] = importTime / n * 1e3;
    state.counters["export_per_load"] = load > 0 ? exportTime / load : 0;
    state.counters["import_per_load"] = load > 0 ? importTime / load : 0;
    state.counters["exported_MB"] = static_cast<double>(exportedBytes) / 1e6;
}
BENCHMARK_CAPTURE(BM_ExportImportVsLoad, po, "po")->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK_CAPTURE(BM_ExportImportVsLoad, xliff, "xliff")->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK_CAPTURE(BM_ExportImportVsLoad, csv, "csv")->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
