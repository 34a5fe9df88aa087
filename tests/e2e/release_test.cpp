// What a released program shows of itself: the programs' --version and --help (printed
// without starting the editor or touching a project), and the editor's icon on its real
// window, read back from the X server.
#include <regex>
#include <string>
#include <vector>

#include "e2e_support.h"
#include "editor/app_icon.h"

// Xlib's macros (None, Bool, Status) would break GoogleTest's headers: it comes last.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

using namespace e2e;

TEST(CommandLineOptions, AreAnsweredWithoutStartingTheEditorOrTouchingTheProject) {
    ASSERT_TRUE(std::regex_match(QK_VERSION, std::regex(R"(\d+\.\d+\.\d+)"))) << QK_VERSION;
    const std::string version = QK_VERSION;
    // The editor sits in a copy of the sample project, which it would work in if it started.
    Editor editor("options");
    const std::string zazovi = (editor.dir / "zazovi").string();
    const std::string tools = QK_BINARY_DIR "/tools/";
    struct Case {
        std::string program, option;
        int exitCode;
        std::string out, err;  // expected at the start of stdout; contained in stderr
    };
    const Case cases[] = {
        {zazovi, "--version", 0, "zazovi " + version + "\n", ""},
        {zazovi, "--help", 0, "zazovi " + version + "\nusage: zazovi [PROJECT_FOLDER]", ""},
        {zazovi, "-h", 0, "zazovi " + version + "\nusage: zazovi [PROJECT_FOLDER]", ""},
        {zazovi, "--verison", 2, "", "unknown option --verison"},
        {tools + "loctool/loctool", "--version", 0, "loctool " + version + "\n", ""},
        {tools + "loctool/loctool", "--help", 0, "loctool " + version + "\nusage:", ""},
        {tools + "dsfmake/dsfmake", "--version", 0, "dsfmake " + version + "\n", ""},
    };
    const std::string out = (editor.dir / "out.txt").string(), err = (editor.dir / "err.txt").string();
    for (const Case& c : cases) {
        // No display: an editor that tried to open its window would fail and say so.
        const std::string code = Shell("cd '" + editor.dir.string() + "' && env -u DISPLAY '" + c.program + "' " +
                                       c.option + " > '" + out + "' 2> '" + err + "'; echo $?");
        const std::string what = c.program + " " + c.option;
        const std::vector<uint8_t> o = ReadBytes(out), e = ReadBytes(err);
        const std::string stdoutText(o.begin(), o.end()), stderrText(e.begin(), e.end());
        EXPECT_EQ(code, std::to_string(c.exitCode)) << what << "\n" << stderrText;
        EXPECT_EQ(stdoutText.substr(0, c.out.size()), c.out) << what;
        if (c.err.empty())
            EXPECT_EQ(stderrText, "") << what;
        else
            EXPECT_NE(stderrText.find(c.err), std::string::npos) << what << ": " << stderrText;
    }
    EXPECT_FALSE(fs::exists(editor.dir / "Texts Backup"));
    EXPECT_FALSE(fs::exists(editor.dir / "zazovi.cfg"));
}

TEST(WindowIcon, IsTheEditorsPictureOnItsWindow) {
    Editor editor("icon");
    ASSERT_TRUE(editor.Start());
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    const Window window = std::stoul(editor.window);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, left = 0;
    unsigned char* data = nullptr;
    const int status = XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_ICON", False), 0, 1 << 20,
                                          False, XA_CARDINAL, &type, &format, &count, &left, &data);
    std::vector<unsigned long> values;
    if (status == Success && data) {
        // Xlib hands 32-bit properties out as longs.
        const auto* longs = reinterpret_cast<const unsigned long*>(data);
        values.assign(longs, longs + count);
        XFree(data);
    }
    XCloseDisplay(display);
    ASSERT_EQ(format, 32);
    ASSERT_GE(values.size(), 2u);
    // Width, height, then ARGB pixels, top row first: the picture the editor draws.
    const std::vector<uint8_t> rgba = DrawAppIcon(kAppIconSize);
    ASSERT_EQ(values[0], static_cast<unsigned long>(kAppIconSize));
    ASSERT_EQ(values[1], static_cast<unsigned long>(kAppIconSize));
    ASSERT_EQ(values.size(), 2u + rgba.size() / 4);
    int mismatches = 0;
    for (size_t i = 0; i < rgba.size() / 4; ++i) {
        const uint8_t* p = &rgba[4 * i];
        const unsigned long argb =
            (unsigned long)p[3] << 24 | (unsigned long)p[0] << 16 | (unsigned long)p[1] << 8 | p[2];
        mismatches += (values[2 + i] & 0xFFFFFFFFul) != argb;
    }
    EXPECT_EQ(mismatches, 0);
}
