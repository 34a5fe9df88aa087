// bench_cjk_font.cpp - what the Chinese, Japanese and Korean glyphs cost: loading the
// editor's font next to the same font without them, and the editor's whole start
// (engine, window, GL, font, main screen, first file, first frame) with each, as
// ratios from one run; what one glyph page costs when it is first drawn; and the
// resident memory of the real editor after its start on a Latin-only project of 3,400
// items and on a Japanese one, at 1x and at 2x. Every start runs in a process of its own, since the
// engine starts once per process. Run under xvfb-run (real GL).
#include <GL/gl.h>
#include <benchmark/benchmark.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "editor/editor.h"
#include "editor/text_store.h"
#include "engine/engine.h"
#include "gui/gui.h"
#include "platform/platform.h"
#include "render/dsf.h"
#include "render/font.h"
#include "tests/support/loc_files.h"

extern char** environ;

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
    double total = 0, font = 0;        // seconds
    double pageMax = 0, pageMean = 0;  // one page uploaded when first drawn, seconds
};

// What the child reports: the font's load time, then the slowest and the mean time of
// uploading a page when first drawn (the last pages, which the screen did not draw).
struct ChildReport {
    double fontSeconds = 0, pageMaxSeconds = 0, pageMeanSeconds = 0;
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
        ChildReport report{fontSeconds, 0, 0};
        // Pages the first frame left in the file, as a later frame meets them.
        int timed = 0;
        for (int page = font ? font->pageCount - 1 : -1; page >= 0 && timed < 16; --page) {
            if (font->pages[page]->name != 0) continue;
            const auto p0 = Clock::now();
            FontPage(font, page);
            glFinish();
            const double seconds = std::chrono::duration<double>(Clock::now() - p0).count();
            report.pageMaxSeconds = std::max(report.pageMaxSeconds, seconds);
            report.pageMeanSeconds += seconds;
            ++timed;
        }
        if (timed) report.pageMeanSeconds /= timed;
        ShutdownEngine();
        const bool ok = font != nullptr && write(pipeFds[1], &report, sizeof report) == sizeof report;
        _exit(ok ? 0 : 1);
    }
    close(pipeFds[1]);
    StartTimes times;
    ChildReport report;
    const bool got = read(pipeFds[0], &report, sizeof report) == sizeof report;
    close(pipeFds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (!got || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return {};
    times.total = std::chrono::duration<double>(Clock::now() - t0).count();
    times.font = report.fontSeconds;
    times.pageMax = report.pageMaxSeconds;
    times.pageMean = report.pageMeanSeconds;
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
        withCjk.pageMax = std::max(withCjk.pageMax, b.pageMax);
        withCjk.pageMean += b.pageMean;
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
    state.counters["page_upload_max_ms"] = withCjk.pageMax * 1e3;
    state.counters["page_upload_mean_ms"] = withCjk.pageMean / n * 1e3;
}
BENCHMARK(BM_StartWithCjkFontVsWithout)->Unit(benchmark::kMillisecond)->Iterations(10);

// ---- the real editor's resident memory after its start ----------------------------

// A project of two languages, English and `language`, of 1,200 + 1,200 + 1,000 items
// whose texts are `text` and a number, in folder dir.
void MakeSizedProject(const fs::path& dir, const char* language, const std::string& text) {
    const std::pair<const char*, int> files[] = {{"menu", 1200}, {"game", 1200}, {"keyboard", 1000}};
    for (const auto& [file, count] : files) {
        std::vector<std::string> english, other;
        std::vector<std::pair<std::string, std::string>> descs;
        for (int i = 0; i < count; ++i) {
            english.push_back("A typical game string, number " + std::to_string(i));
            other.push_back(text + " " + std::to_string(i));
            descs.emplace_back("Item" + std::to_string(i), "What the item is for, number " + std::to_string(i));
        }
        locfixture::WriteFile(dir / "Texts" / "English" / (std::string(file) + ".loc"), locfixture::LocBytes(english));
        locfixture::WriteFile(dir / "Texts" / language / (std::string(file) + ".loc"), locfixture::LocBytes(other));
        locfixture::WriteFile(dir / "Descriptions" / (std::string(file) + ".desc"), locfixture::DescBytes(descs));
    }
}

// The resident set of a process, kB (VmRSS), 0 if it cannot be read.
long ResidentKb(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return 0;
}

bool WindowShown(pid_t pid) {
    const std::string cmd = "xdotool search --pid " + std::to_string(pid) + " >/dev/null 2>&1";
    return std::system(cmd.c_str()) == 0;
}

// Starts the real editor on the language's menu file of a fresh project, lets it draw
// its first frames (on a 1600 x 1200 window at 2x when `twice`), and returns its resident
// memory in MB; -1 when it did not start.
double EditorResidentMb(const char* language, const std::string& text, bool twice) {
    const fs::path dir = fs::temp_directory_path() / ("qk_rss_bench_" + std::to_string(getpid()));
    fs::remove_all(dir);
    MakeSizedProject(dir, language, text);
    fs::copy_file(QK_BINARY_DIR "/zazovi", dir / "zazovi");
    fs::copy_file(QK_FONT_PATH, dir / "zazovi_font.dsf");
    fs::copy_file(QK_BINARY_DIR "/zazovi_font.faces", dir / "zazovi_font.faces");
    const std::string program = (dir / "zazovi").string();
    const std::string file = (dir / "Texts" / language / "menu.loc").string();
    char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>(file.c_str()), nullptr};
    pid_t pid = -1;
    double mb = -1;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ) == 0) {
        for (int i = 0; i < 100 && !WindowShown(pid); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (twice) {
            const std::string cmd =
                "xdotool windowsize $(xdotool search --pid " + std::to_string(pid) + " | head -n 1) 1600 1200";
            if (std::system(cmd.c_str()) != 0) std::fprintf(stderr, "cannot resize the editor's window\n");
        }
        std::this_thread::sleep_for(std::chrono::seconds(3));  // the backup, the first frames
        if (const long kb = ResidentKb(pid)) mb = double(kb) / 1024.0;
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    fs::remove_all(dir);
    return mb;
}

void BM_EditorResidentMemory(benchmark::State& state) {
    double latin = 0, japanese = 0, latin2 = 0, japanese2 = 0;
    const std::string german = "Ein typischer Spieltext für Grüße";
    const std::string nihongo = "日本語の説明書を読んでください。新しいゲームを始める";
    for (auto _ : state) {
        latin = EditorResidentMb("German", german, false);
        japanese = EditorResidentMb("Japanese", nihongo, false);
        latin2 = EditorResidentMb("German", german, true);
        japanese2 = EditorResidentMb("Japanese", nihongo, true);
    }
    if (latin <= 0 || japanese <= 0 || latin2 <= 0 || japanese2 <= 0) {
        state.SkipWithError("the editor did not start (needs an X display and xdotool)");
        return;
    }
    state.counters["rss_latin_mb"] = latin;
    state.counters["rss_japanese_mb"] = japanese;
    state.counters["rss_ratio_japanese_to_latin"] = japanese / latin;
    state.counters["rss_latin_2x_mb"] = latin2;
    state.counters["rss_japanese_2x_mb"] = japanese2;
}
BENCHMARK(BM_EditorResidentMemory)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
