// What an idle program costs and how fast it still answers, on the desktop backend
// under a real X server (run under xvfb-run): the processor share of the real editor
// left alone on the sample project for 10 s, waiting for input against drawing every
// turn (QK_NO_IDLE_WAIT=1); and the time from a key pressed through the X server to the
// end of presenting the first frame that shows the typed character, in both modes.
// Xlib names a type Font, as the engine does; the X one is renamed while it is read.
#define Font XFont
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#undef Font
#include <benchmark/benchmark.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "engine/engine.h"
#include "gui/gui.h"
#include "platform/platform.h"
#include "render/font.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// ---- the real editor, idle ------------------------------------------------------------

// Processor seconds (user + system) the process has used so far, from /proc.
double ProcessCpuSeconds(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(in, line);
    // Fields after the command name (which may hold spaces) are counted from its ')'.
    std::istringstream rest(line.substr(line.rfind(')') + 2));
    std::string field;
    unsigned long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && rest >> field; ++i) {
        if (i == 14) utime = std::stoul(field);
        if (i == 15) stime = std::stoul(field);
    }
    return double(utime + stime) / double(sysconf(_SC_CLK_TCK));
}

bool WindowShown(pid_t pid) {
    const std::string cmd = "xdotool search --pid " + std::to_string(pid) + " >/dev/null 2>&1";
    return std::system(cmd.c_str()) == 0;
}

// Starts the editor in a fresh copy of the sample, lets it settle, and returns the share
// of one core it uses over `seconds` of doing nothing; -1 when it could not start.
double EditorIdleShare(bool idleWait, double seconds) {
    const fs::path dir = fs::temp_directory_path() / ("qk_idle_bench_" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::copy(QK_BINARY_DIR "/sample", dir, fs::copy_options::recursive);
    fs::copy_file(QK_BINARY_DIR "/zazovi", dir / "zazovi");
    fs::copy_file(QK_BINARY_DIR "/zazovi_font.dsf", dir / "zazovi_font.dsf");
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        if (std::string(*e).rfind("QK_NO_IDLE_WAIT=", 0) != 0) env.emplace_back(*e);
    if (!idleWait) env.emplace_back("QK_NO_IDLE_WAIT=1");
    std::vector<char*> envp;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    const std::string program = (dir / "zazovi").string();
    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
    pid_t pid = -1;
    double share = -1;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, envp.data()) == 0) {
        for (int i = 0; i < 100 && !WindowShown(pid); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
        std::this_thread::sleep_for(std::chrono::seconds(2));  // start-up frames, backup
        const double cpu0 = ProcessCpuSeconds(pid);
        const auto t0 = Clock::now();
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
        const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
        share = (ProcessCpuSeconds(pid) - cpu0) / wall;
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    fs::remove_all(dir);
    return share;
}

void BM_EditorIdleCpu(benchmark::State& state) {
    double waiting = 0, drawing = 0;
    for (auto _ : state) {
        waiting = EditorIdleShare(true, 10.0);
        drawing = EditorIdleShare(false, 10.0);
    }
    state.counters["idle_wait_core_share"] = waiting;
    state.counters["no_idle_wait_core_share"] = drawing;
    state.counters["ratio_wait_to_no_wait"] = drawing > 0 ? waiting / drawing : 0;
}
BENCHMARK(BM_EditorIdleCpu)->Iterations(1)->Unit(benchmark::kSecond);

// ---- key to frame -----------------------------------------------------------------------

// The key presser: its own display connection, pressing 'a' at irregular moments so the
// presses fall anywhere in the loop's wait or frame.
struct Presser {
    std::atomic<int64_t> sentNs{0};  // when the last press went to the server; 0: seen
    std::atomic<bool> stop{false};
};

int64_t NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
}

void PressKeys(Presser* p, int presses) {
    Display* d = XOpenDisplay(nullptr);
    if (!d) return;
    // Without a window manager the keyboard follows the pointer: park it on the window.
    const int screenW = DisplayWidth(d, DefaultScreen(d)), screenH = DisplayHeight(d, DefaultScreen(d));
    XTestFakeMotionEvent(d, -1, screenW / 2, screenH / 2, 0);
    XFlush(d);
    const KeyCode a = XKeysymToKeycode(d, XK_a);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    for (int i = 0; i < presses && !p->stop; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200 + (i * 37) % 130));
        while (p->sentNs != 0 && !p->stop) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        p->sentNs = NowNs();
        XTestFakeKeyEvent(d, a, True, 0);
        XTestFakeKeyEvent(d, a, False, 0);
        XFlush(d);
    }
    XCloseDisplay(d);
}

size_t TypedLength() {
    static char text[4096];
    text[0] = 0;
    GetControlProperty("T", "Text", text);
    return std::strlen(text);
}

// Drawn after the text box: notes how much text the frame being drawn shows (input
// handled after the drawing shows only in the next frame).
size_t g_drawnLength = 0;
class DrawnTextProbe : public Control {
  public:
    void Draw() override { g_drawnLength = TypedLength(); }
};

void StartEngineWithTextBox() {
    static bool started = false;
    if (started) return;
    started = true;
    InstallGui();
    InitEngine("key to frame");
    CreateEngineWindow(800, 600, WINDOW_MODE_FIXED);
    InitGL();
    SetFont(LoadFont(QK_FONT_PATH));
    CreateTopControl("Sheet", "S", nullptr, 0, 0, 800, 600);
    CreateControl("TextBox", "T", "S", 100, 100, 600, 24);
    RegisterControlClass([](ControlClass* c) {
        std::snprintf(c->name, sizeof c->name, "DrawnTextProbe");
        c->factory = [] { return static_cast<Control*>(new DrawnTextProbe); };
    });
    CreateControl("DrawnTextProbe", "Probe", "S", 0, 0, 1, 1);
    SetActiveSheet("S");
    SetFocusTo("T");
    Begin2D();
}

void BM_KeyToFrame(benchmark::State& state) {
    StartEngineWithTextBox();
    g_engine.idleWait = state.range(0) ? 1 : 0;
    SetControlProperty("T", "Text", "");
    const int presses = 30;
    std::vector<double> ms;
    for (auto _ : state) {
        Presser presser;
        std::thread t(PressKeys, &presser, presses);
        size_t seen = TypedLength();
        g_drawnLength = seen;
        uint64_t frames = g_engine.framesPresented;
        const auto end = Clock::now() + std::chrono::seconds(25);
        while (int(ms.size()) < presses && Clock::now() < end) {
            EngineFrame();
            if (g_engine.framesPresented == frames) continue;
            frames = g_engine.framesPresented;
            const size_t len = g_drawnLength;
            if (len > seen && presser.sentNs != 0) {
                ms.push_back(double(NowNs() - presser.sentNs) * 1e-6);
                presser.sentNs = 0;
            }
            seen = len;
        }
        presser.stop = true;
        t.join();
    }
    std::sort(ms.begin(), ms.end());
    state.counters["presses_seen"] = double(ms.size());
    state.counters["median_ms"] = ms.empty() ? 0 : ms[ms.size() / 2];
    state.counters["max_ms"] = ms.empty() ? 0 : ms.back();
    state.counters["frame_interval_ms"] = 1000.0 / 60.0;
    state.counters["median_to_frame_interval"] = ms.empty() ? 0 : ms[ms.size() / 2] / (1000.0 / 60.0);
}
BENCHMARK(BM_KeyToFrame)->ArgName("idle_wait")->Arg(1)->Arg(0)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
    // The key presser talks to the X server from a thread of its own.
    XInitThreads();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
