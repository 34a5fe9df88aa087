// bench_cjk_font.cpp - what the Chinese, Japanese and Korean glyphs cost: loading the
// editor's font next to the same font without them, and the editor's whole start
// (engine, window, GL, font, main screen, first file, first frame) with each, as
// ratios from one run. Every start runs in a child process of its own, since the
// engine starts once per process. Run under xvfb-run (real GL).
#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "editor/editor.h"
#include "editor/text_store.h"
#include "engine/engine.h"
#include "gui/gui.h"
#include "platform/platform.h"
#include "render/dsf.h"
#include "render/font.h"
#include "tests/support/loc_files.h"

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

const fs::path kDir = fs::temp_directory_path() / "qk_bench_cjk_font";

// The font as it was before the CJK face was merged in: dsfmake packs glyphs in
// code-point order, so the ones below U+3000 and the pages they use are exactly it.
std::string MakeFontWithoutCjk() {
    std::ifstream in(QK_FONT_PATH, std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    DsfFile file;
    if (!ReadDsf(bytes, file)) return {};
    std::erase_if(file.glyphs, [](const Glyph& g) { return g.codePoint >= 0x3000; });
    int lastPage = 0;
    for (const Glyph& g : file.glyphs) lastPage = std::max(lastPage, int(g.page));
    file.pages.resize(size_t(lastPage) + 1);
    const std::vector<uint8_t> out = WriteDsf(file);
    const fs::path path = kDir / "latin.dsf";
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(out.data()), std::streamsize(out.size()));
    return path.string();
}

// A two-language project of three 500-item files.
void MakeProject() {
    for (const char* file : {"menu", "game", "keyboard"}) {
        std::vector<std::string> texts;
        std::vector<std::pair<std::string, std::string>> descs;
        for (int i = 0; i < 500; ++i) {
            texts.push_back("A typical game string, number " + std::to_string(i));
            descs.emplace_back("Item" + std::to_string(i), "What for.");
        }
        for (const char* lang : {"English", "Japanese"})
            locfixture::WriteFile(kDir / "Texts" / lang / (std::string(file) + ".loc"), locfixture::LocBytes(texts));
        locfixture::WriteFile(kDir / "Descriptions" / (std::string(file) + ".desc"), locfixture::DescBytes(descs));
    }
}

struct StartTimes {
    double total = 0, font = 0;  // seconds
};

// One start of the editor's screen with the font at path, in a child process; the
// child sends back how long loading the font took.
StartTimes TimedStart(const std::string& fontPath) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return {};
    const auto t0 = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        close(pipeFds[0]);
        fs::current_path(kDir);
        PlatSetPresentPacing(false);
        InstallGui();
        InitEngine("bench");
        CreateEngineWindow(800, 600, WINDOW_MODE_FIXED);
        InitGL();
        const auto f0 = Clock::now();
        Font* font = LoadFont(fontPath.c_str());
        const double fontSeconds = std::chrono::duration<double>(Clock::now() - f0).count();
        SetFont(font);
        BuildMainScreen();
        LoadFile();
        Begin2D();
        GuiDraw();
        PlatSwapBuffers();
        ShutdownEngine();
        const bool ok = font != nullptr && write(pipeFds[1], &fontSeconds, sizeof fontSeconds) == sizeof fontSeconds;
        _exit(ok ? 0 : 1);
    }
    close(pipeFds[1]);
    StartTimes times;
    double fontSeconds = 0;
    const bool got = read(pipeFds[0], &fontSeconds, sizeof fontSeconds) == sizeof fontSeconds;
    close(pipeFds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (!got || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return {};
    times.total = std::chrono::duration<double>(Clock::now() - t0).count();
    times.font = fontSeconds;
    return times;
}

void BM_StartWithCjkFontVsWithout(benchmark::State& state) {
    fs::remove_all(kDir);
    fs::create_directories(kDir);
    MakeProject();
    const std::string latin = MakeFontWithoutCjk();
    if (latin.empty()) {
        state.SkipWithError("cannot read " QK_FONT_PATH);
        return;
    }
    StartTimes withCjk, without;
    for (auto _ : state) {
        // Alternating, so a busy machine slows both alike.
        const StartTimes a = TimedStart(latin), b = TimedStart(QK_FONT_PATH);
        if (a.total == 0 || b.total == 0) {
            state.SkipWithError("the editor's screen did not start");
            break;
        }
        without.total += a.total, without.font += a.font;
        withCjk.total += b.total, withCjk.font += b.font;
    }
    fs::remove_all(kDir);
    if (state.iterations() == 0 || without.total == 0) return;
    const double n = double(state.iterations());
    state.counters["font_load_ms"] = withCjk.font / n * 1e3;
    state.counters["font_load_no_cjk_ms"] = without.font / n * 1e3;
    state.counters["font_load_ratio"] = without.font > 0 ? withCjk.font / without.font : 0;
    state.counters["startup_ms"] = withCjk.total / n * 1e3;
    state.counters["startup_no_cjk_ms"] = without.total / n * 1e3;
    state.counters["startup_ratio"] = withCjk.total / without.total;
}
BENCHMARK(BM_StartWithCjkFontVsWithout)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

BENCHMARK_MAIN();
