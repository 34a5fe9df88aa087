// e2e_support.h - drives the real editor program: a scratch copy of the sample
// project, the program started in it under the test's X server, real input through
// xdotool, and the files on disk read back afterwards.
#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "formats/loc_format.h"

extern char** environ;

namespace e2e {

namespace fs = std::filesystem;

inline std::vector<uint8_t> ReadBytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The texts of a .loc file.
inline std::vector<std::string> LocTexts(const fs::path& file) {
    const std::vector<uint8_t> b = ReadBytes(file);
    std::vector<std::string> texts;
    locformat::ParseLoc({reinterpret_cast<const char*>(b.data()), b.size()}, file.string(), locformat::Trailing::Ignore,
                        texts);
    return texts;
}

// `file` holds the texts `before` but for item `item`, which now holds `text`.
inline void ExpectOnlyItemChanged(const fs::path& file, std::vector<std::string> before, size_t item,
                                  const std::string& text) {
    ASSERT_LT(item, before.size());
    before[item] = text;
    EXPECT_EQ(LocTexts(file), before);
}

// The pauses that let the real program catch up with xdotool, stretched by
// QK_E2E_SLOWDOWN (a whole factor) where the program runs slower, as under the sanitizers.
inline void Sleep(int ms) {
    static const int factor = [] {
        const char* v = std::getenv("QK_E2E_SLOWDOWN");
        const int f = v ? std::atoi(v) : 1;
        return f > 1 ? f : 1;
    }();
    std::this_thread::sleep_for(std::chrono::milliseconds(ms * factor));
}

// Runs a shell command and returns its standard output.
inline std::string Shell(const std::string& command) {
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buf[256];
        while (fgets(buf, sizeof buf, pipe)) out += buf;
        pclose(pipe);
    }
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
    return out;
}

// A window's picture as the X server shows it: RGB, top row first.
struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
    // The pixel as 0xRRGGBB; -1 outside the picture.
    long At(int x, int y) const {
        if (x < 0 || y < 0 || x >= width || y >= height) return -1;
        const uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
        return (long(p[0]) << 16) | (long(p[1]) << 8) | p[2];
    }
    bool operator==(const Picture& o) const { return width == o.width && height == o.height && rgb == o.rgb; }
};

// Captures the window (on `display` when not empty) through ImageMagick as a binary PPM.
inline Picture Capture(const std::string& window, const std::string& display = "") {
    Picture pic;
    const std::string command =
        (display.empty() ? "" : "DISPLAY=" + display + " ") + "timeout 10 import -window " + window + " -depth 8 ppm:-";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return pic;
    int maxValue = 0;
    if (std::fscanf(pipe, "P6 %d %d %d", &pic.width, &pic.height, &maxValue) == 3 && maxValue == 255 &&
        std::fgetc(pipe) != EOF && pic.width > 0 && pic.height > 0) {
        pic.rgb.resize(static_cast<size_t>(pic.width) * pic.height * 3);
        if (std::fread(pic.rgb.data(), 1, pic.rgb.size(), pipe) != pic.rgb.size()) pic = {};
    } else {
        pic = {};
    }
    pclose(pipe);
    return pic;
}

// Another program offering the file's bytes on the clipboard: xclip, kept in the
// foreground as the clipboard's owner so that it can be ended afterwards. Its process id.
inline pid_t OfferOnClipboard(const fs::path& source) {
    const pid_t owner = fork();
    if (owner == 0) {
        std::freopen(source.c_str(), "rb", stdin);
        std::freopen("/dev/null", "wb", stdout);  // -quiet talks about every request
        std::freopen("/dev/null", "wb", stderr);
        execlp("xclip", "xclip", "-quiet", "-selection", "clipboard", "-i", static_cast<char*>(nullptr));
        _exit(127);
    }
    return owner;
}

// An X server of the test's own, for a test that takes the display away or needs a
// screen larger than the one the suite runs on.
class PrivateDisplay {
  public:
    explicit PrivateDisplay(const char* screen = "1024x768x24") {
        for (int n = 90; n < 140 && name.empty(); ++n) {
            if (fs::exists("/tmp/.X11-unix/X" + std::to_string(n)) ||
                fs::exists("/tmp/.X" + std::to_string(n) + "-lock"))
                continue;
            const std::string display = ":" + std::to_string(n);
            const char* argv[] = {"Xvfb",     display.c_str(), "-screen", "0",    screen,
                                  "-noreset", "-nolisten",     "tcp",     nullptr};
            if (posix_spawnp(&pid, "Xvfb", nullptr, nullptr, const_cast<char**>(argv), environ) != 0) return;
            for (int i = 0; i < 50 && !fs::exists("/tmp/.X11-unix/X" + std::to_string(n)); ++i) Sleep(100);
            name = display;
        }
        Sleep(300);
    }
    ~PrivateDisplay() { Stop(); }
    void Stop() {
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
            pid = -1;
        }
    }
    std::string name;
    pid_t pid = -1;
};

// QK_E2E_WINDOWS_PROGRAM names a Windows build of the editor (zazovi.exe): the tests
// that use it (those on a display of their own, where its window is the only one to
// find by its title) then run against that program under Wine.
inline const char* WindowsProgram() {
    const char* exe = std::getenv("QK_E2E_WINDOWS_PROGRAM");
    return exe && exe[0] ? exe : nullptr;
}

class Editor {
  public:
    // A fresh copy of the packed sample with the program and its font beside it.
    explicit Editor(const std::string& name) {
        dir = fs::temp_directory_path() / ("qk_e2e_" + name + "_" + std::to_string(getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        fs::copy(QK_BINARY_DIR "/sample", dir, fs::copy_options::recursive);
        if (const char* exe = WindowsProgram())
            fs::copy_file(exe, dir / "zazovi.exe");
        else
            fs::copy_file(QK_BINARY_DIR "/zazovi", dir / "zazovi");
        fs::copy_file(QK_BINARY_DIR "/zazovi_font.dsf", dir / "zazovi_font.dsf");
    }
    ~Editor() {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        fs::remove_all(dir);
    }

    // Starts the program and waits until its window is up and the first frames ran.
    // On the test's display, or on another one (":95").
    bool Start(const std::string& onDisplay = "") {
        window.clear();
        exitCode = -1;
        display = onDisplay;
        std::string wine = "wine", program = (dir / (WindowsProgram() ? "zazovi.exe" : "zazovi")).string();
        std::vector<char*> argv = {program.data()};
        if (WindowsProgram()) argv.insert(argv.begin(), wine.data());
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        std::vector<std::string> env;
        for (char** e = environ; *e; ++e)
            if ((display.empty() || std::strncmp(*e, "DISPLAY=", 8) != 0) &&
                std::strncmp(*e, "XDG_CONFIG_HOME=", 16) != 0)
                env.emplace_back(*e);
        if (!display.empty()) env.push_back("DISPLAY=" + display);
        // The user's own settings (a hand-set scale) are the test's, not the machine's.
        env.push_back("XDG_CONFIG_HOME=" + (dir / ".config").string());
        std::vector<char*> envp;
        for (std::string& e : env) envp.push_back(e.data());
        envp.push_back(nullptr);
        // Started from the folder the test names, as if typed in a shell there.
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (!startIn.empty()) posix_spawn_file_actions_addchdir_np(&actions, startIn.c_str());
        const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0) return false;
        for (int i = 0; i < 200 && window.empty(); ++i) {
            // Under Wine the window is found by its title: the display must hold no other.
            const std::string search =
                WindowsProgram() ? "--name '^VRD3 Localization Kit'" : "--pid " + std::to_string(pid);
            window = X("xdotool search " + search + " 2>/dev/null | head -n 1");
            if (window.empty()) Sleep(100);
            if (Exited()) return false;
        }
        // Without a window manager the keyboard follows the pointer: keep it over the window.
        if (!window.empty()) X("xdotool mousemove --window " + window + " 600 150");
        Sleep(1500);
        // Clicks made while the backup still runs are lost. A start that shows a
        // message box instead never gets there, and goes on after the wait.
        if (!window.empty()) WaitForMainScreen(10000);
        return !window.empty();
    }
    // Waits until the main screen has replaced the loading screen (its grey margin
    // shows where the loading screen is black): a busy machine can take longer to
    // make the backup than Start waits. False after `ms` without it.
    bool WaitForMainScreen(int ms = 20000) {
        for (int waited = 0; waited < ms && !Exited(); waited += 200) {
            const std::string pixel =
                X("timeout 5 import -window " + window + " -crop 1x1+2+300 txt:- 2>/dev/null | tail -n 1");
            if (pixel.find("(225,225,225)") != std::string::npos) return true;
            Sleep(200);
        }
        return false;
    }
    // Real input, in client coordinates (without a window manager the window is the
    // client area).
    void Click(int x, int y) {
        X("xdotool mousemove --window " + window + " " + std::to_string(x) + " " + std::to_string(y));
        Sleep(150);
        X("xdotool click 1");
        Sleep(400);
    }
    void Type(const std::string& text) {
        X("xdotool type --delay 120 '" + text + "'");
        Sleep(300);
    }
    void Key(const std::string& keys) {
        X("xdotool key " + keys);
        Sleep(300);
    }
    // A command for the editor's display.
    std::string X(const std::string& command) {
        return Shell(display.empty() ? command : "DISPLAY=" + display + " " + command);
    }
    bool Exited() {
        if (exitCode >= 0) return true;
        int status = 0;
        if (pid > 0 && waitpid(pid, &status, WNOHANG) == pid) {
            exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128;
            pid = -1;
            return true;
        }
        return false;
    }
    // Waits for the program to end; its exit code, or -1 if it is still running.
    int WaitExit(int ms = 15000) {
        for (int waited = 0; waited < ms; waited += 100) {
            if (Exited()) return exitCode;
            Sleep(100);
        }
        return -1;
    }

    fs::path dir;
    std::vector<std::string> args;  // the program's arguments
    fs::path startIn;               // the folder it is started from; empty: the test's own
    pid_t pid = -1;
    int exitCode = -1;
    std::string window;
    std::string display;
};

}  // namespace e2e
