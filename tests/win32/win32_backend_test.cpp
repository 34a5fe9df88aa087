// win32_backend_test.cpp - the native Windows backend with real Win32 underneath (run
// under Wine here): keys injected with SendInput and translated from the lParams
// Windows builds, the window's client area, the GDI loading screen read back through
// GDI, the window icon read back through GDI, the clipboard as other Windows programs
// see it, files under UTF-8 names, and typed characters outside the Basic Multilingual
// Plane (text_input_test.cpp). The GL context is used by every suite that draws under
// Wine, the program's path and command line by the editor smoke test.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "editor/app_icon.h"
#include "engine/engine.h"
#include "platform/win32/win32_internal.h"
#include "tests/win32/win32_test_support.h"

namespace {

std::vector<PlatMsg>& g_seen = WinTestSeen();

std::string HostUtf8(const std::filesystem::path& path) {
    const std::u8string u8 = path.u8string();
    return std::string(u8.begin(), u8.end());
}

class Win32Test : public testing::Test {
  protected:
    void SetUp() override { WinTestOpenWindow(); }
    void TearDown() override { WinTestCloseWindow(); }
    static void Pump(int ms) { WinTestPump(ms); }
    static void SendKey(WORD vk, WORD scan, bool extended, bool up) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = vk;
        in.ki.wScan = scan;
        in.ki.dwFlags = (extended ? KEYEVENTF_EXTENDEDKEY : 0) | (up ? KEYEVENTF_KEYUP : 0);
        SendInput(1, &in, sizeof(in));
    }
    // The first key-down message the procedure saw, or null.
    static const PlatMsg* FirstKeyDown() {
        for (const PlatMsg& m : g_seen)
            if (m.message == WM_KEYDOWN || m.message == WM_SYSKEYDOWN) return &m;
        return nullptr;
    }
};

struct KeyCase {
    const char* what;
    WORD vk, scan;
    bool extended;
    uint8_t code;  // the engine's key code while the key is held
};

TEST_F(Win32Test, InjectedKeysArriveWithWindowsLParamsAndTranslateToEngineCodes) {
    const KeyCase cases[] = {
        {"left Shift", VK_SHIFT, 0x2A, false, 241},  {"right Shift", VK_SHIFT, 0x36, false, 242},
        {"left Ctrl", VK_CONTROL, 0x1D, false, 243}, {"right Ctrl", VK_CONTROL, 0x1D, true, 244},
        {"left Alt", VK_MENU, 0x38, false, 245},     {"right Alt", VK_MENU, 0x38, true, 246},
        {"main Enter", VK_RETURN, 0x1C, false, 13},  {"keypad Enter", VK_RETURN, 0x1C, true, 247},
        {"Up arrow", VK_UP, 0x48, true, 38},         {"keypad 8, Num Lock off", VK_UP, 0x48, false, 104},
        {"Home", VK_HOME, 0x47, true, 36},           {"keypad 7, Num Lock off", VK_HOME, 0x47, false, 103},
        {"Delete", VK_DELETE, 0x53, true, 46},       {"keypad ., Num Lock off", VK_DELETE, 0x53, false, 110},
        {"Page Down", VK_NEXT, 0x51, true, 34},      {"keypad 3, Num Lock off", VK_NEXT, 0x51, false, 99},
        {"letter A", 'A', 0x1E, false, 'A'},
    };
    for (const KeyCase& k : cases) {
        SCOPED_TRACE(k.what);
        g_seen.clear();
        SendKey(k.vk, k.scan, k.extended, false);
        Pump(60);
        const PlatMsg* down = FirstKeyDown();
        ASSERT_NE(down, nullptr) << "no key message reached the window";
        EXPECT_EQ(down->wParam, k.vk);
        EXPECT_EQ((down->lParam >> 16) & 0xFF, k.scan);
        EXPECT_EQ(((down->lParam >> 24) & 1) != 0, k.extended);
        EXPECT_TRUE(IsKeyDown(k.code));
        SendKey(k.vk, k.scan, k.extended, true);
        Pump(60);
        EXPECT_FALSE(IsKeyDown(k.code));
    }
    // The either-side queries follow the sided codes; 16 itself is never set.
    SendKey(VK_SHIFT, 0x36, false, false);
    Pump(60);
    EXPECT_TRUE(IsKeyDown(KEY_ANY_SHIFT));
    EXPECT_FALSE(IsKeyDown(VK_SHIFT));
    SendKey(VK_SHIFT, 0x36, false, true);
    Pump(60);
}

// Alt+Tab while a key is held: Windows takes the focus away and the key's release
// goes to the other window, so the engine must let go of it on WM_KILLFOCUS.
TEST_F(Win32Test, LosingTheFocusToAnotherWindowReleasesTheHeldKeys) {
    // Not Alt: its release in the other window would open that window's system menu.
    SendKey(VK_SHIFT, 0x2A, false, false);
    SendKey(VK_CONTROL, 0x1D, false, false);
    Pump(60);
    ASSERT_TRUE(IsKeyDown(KEY_ANY_SHIFT));
    ASSERT_TRUE(IsKeyDown(KEY_ANY_CTRL));
    HWND other = CreateWindowExW(0, L"STATIC", L"another program", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                                 nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(other, nullptr);
    SetForegroundWindow(other);
    SetFocus(other);
    Pump(60);
    EXPECT_FALSE(IsKeyDown(KEY_ANY_SHIFT));
    EXPECT_FALSE(IsKeyDown(KEY_ANY_CTRL));
    SendKey(VK_CONTROL, 0x1D, false, true);
    SendKey(VK_SHIFT, 0x2A, false, true);
    Pump(60);
    DestroyWindow(other);
    Pump(30);
}

TEST_F(Win32Test, WaitingForMessagesEndsForPostedInputAndForMessagesAlreadyPeeked) {
    Pump(100);
    // Posted from elsewhere, typed, or seen by an earlier peek and left queued: each
    // must end the wait at once (a wait that missed them would sleep out its timeout).
    PostMessageW(Win32Window(), WM_USER + 7, 0, 0);
    EXPECT_TRUE(PlatWaitMessage(10000));
    MSG m;
    ASSERT_TRUE(PeekMessageW(&m, nullptr, WM_USER + 7, WM_USER + 7, PM_NOREMOVE));
    EXPECT_TRUE(PlatWaitMessage(10000));
    Pump(50);
    SendKey('B', 0x30, false, false);
    EXPECT_TRUE(PlatWaitMessage(10000));
    SendKey('B', 0x30, false, true);
    Pump(60);
}

TEST_F(Win32Test, FixedFrameWindowHasExactly800By600ClientAreaCentredWithItsFrame) {
    RECT client, outer;
    ASSERT_TRUE(GetClientRect(Win32Window(), &client));
    ASSERT_TRUE(GetWindowRect(Win32Window(), &outer));
    EXPECT_EQ(client.right - client.left, 800);
    EXPECT_EQ(client.bottom - client.top, 600);
    EXPECT_GT(outer.right - outer.left, 800);  // a real frame and caption around it
    EXPECT_GT(outer.bottom - outer.top, 600);
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_EQ(outer.left, (w - (outer.right - outer.left)) / 2);
    EXPECT_EQ(outer.top, (h - (outer.bottom - outer.top)) / 2);
    const LONG style = GetWindowLongW(Win32Window(), GWL_STYLE);
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_THICKFRAME | WS_MAXIMIZEBOX),
              WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
    wchar_t cls[32] = {};
    GetClassNameW(Win32Window(), cls, 32);
    EXPECT_EQ(std::wstring(cls), L"CopperKestrel");
}

TEST_F(Win32Test, DesktopScaleWorkAreaAndTheMoveToAMonitorOfAnotherScale) {
    // Wine's default of 96 DPI is Windows' 100 %.
    EXPECT_EQ(PlatDisplayScale(), 1.0f);
    PlatRect work;
    PlatGetWorkArea(&work);
    EXPECT_GT(work.right - work.left, 0);
    EXPECT_GT(work.bottom - work.top, 0);
    EXPECT_LE(work.right - work.left, GetSystemMetrics(SM_CXVIRTUALSCREEN));
    EXPECT_LE(work.bottom - work.top, GetSystemMetrics(SM_CYVIRTUALSCREEN));
    // Windows' rectangle for a monitor at 150 % is taken as it comes, and the engine
    // hears of the new client size.
    g_seen.clear();
    RECT suggested{20, 10, 20 + 1220, 10 + 940};
    SendMessageW(Win32Window(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    Pump(50);
    RECT outer, client;
    ASSERT_TRUE(GetWindowRect(Win32Window(), &outer));
    ASSERT_TRUE(GetClientRect(Win32Window(), &client));
    EXPECT_EQ(outer.left, suggested.left);
    EXPECT_EQ(outer.top, suggested.top);
    EXPECT_EQ(outer.right, suggested.right);
    EXPECT_EQ(outer.bottom, suggested.bottom);
    bool sized = false;
    for (const PlatMsg& m : g_seen)
        sized |= m.message == WM_SIZE && LOWORD(m.lParam) == client.right && HIWORD(m.lParam) == client.bottom;
    EXPECT_TRUE(sized) << "no WM_SIZE with the new client size reached the engine";
    EXPECT_GT(client.right, 800);
}

TEST_F(Win32Test, WindowIconIsTheEditorsPictureAsWindowsReadsItBack) {
    const std::vector<uint8_t> rgba = DrawAppIcon(kAppIconSize);
    PlatSetWindowIcon(rgba.data(), kAppIconSize, kAppIconSize);
    for (WPARAM which : {ICON_BIG, ICON_SMALL}) {
        const HICON icon = reinterpret_cast<HICON>(SendMessageW(Win32Window(), WM_GETICON, which, 0));
        ASSERT_NE(icon, nullptr);
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = kAppIconSize;
        bi.bmiHeader.biHeight = -kAppIconSize;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        bi.bmiHeader.biCompression = BI_RGB;
        std::vector<uint8_t> bgra(rgba.size());
        HDC screen = GetDC(nullptr);
        const int rows = GetDIBits(screen, info.hbmColor, 0, kAppIconSize, bgra.data(), &bi, DIB_RGB_COLORS);
        ReleaseDC(nullptr, screen);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        ASSERT_EQ(rows, kAppIconSize);
        // Opaque pixels keep their colour exactly (red and blue in Windows' order).
        int mismatches = 0, opaque = 0;
        for (size_t i = 0; i < rgba.size(); i += 4) {
            if (rgba[i + 3] != 255) continue;
            ++opaque;
            mismatches += bgra[i] != rgba[i + 2] || bgra[i + 1] != rgba[i + 1] || bgra[i + 2] != rgba[i];
        }
        EXPECT_GT(opaque, kAppIconSize * kAppIconSize / 2);
        EXPECT_EQ(mismatches, 0) << (which == ICON_BIG ? "big icon" : "small icon");
    }
}

TEST(Win32Window, PopupModeIsExactly800By600WithoutAFrame) {
    InitEngine("popup");
    CreateEngineWindow(800, 600, WINDOW_MODE_POPUP);
    RECT outer;
    ASSERT_TRUE(GetWindowRect(Win32Window(), &outer));
    EXPECT_EQ(outer.right - outer.left, 800);
    EXPECT_EQ(outer.bottom - outer.top, 600);
    EXPECT_NE(GetWindowLongW(Win32Window(), GWL_STYLE) & WS_POPUP, 0);
    ShutdownEngine();
    // The class goes with the window even though the engine asks for that first.
    WNDCLASSW wc;
    EXPECT_FALSE(GetClassInfoW(GetModuleHandleW(nullptr), L"CopperKestrel", &wc));
}

// The bar's geometry is checked by the engine suite, which runs here too; this is that
// GDI really paints it on WM_PAINT and that it reaches the window.
TEST_F(Win32Test, LoadingScreenIsPaintedWithGdiOnPaintMessages) {
    SetLoadingText("Making backup...");
    SetLoadingProgress(0.5f);  // the bar runs from x = 7 to 400 (exclusive)
    uint8_t rgb[3];
    ASSERT_TRUE(Win32ReadPaintedPixel(200, 580, rgb));
    EXPECT_EQ(rgb[1], 255);
    HDC dc = GetDC(Win32Window());
    EXPECT_EQ(GetPixel(dc, 200, 580), RGB(0, 255, 0));
    EXPECT_EQ(GetPixel(dc, 500, 580), RGB(0, 0, 0));
    ReleaseDC(Win32Window(), dc);
    bool sawPaint = false;
    for (const PlatMsg& m : g_seen) sawPaint = sawPaint || m.message == WM_PAINT;
    EXPECT_TRUE(sawPaint);
}

// The clipboard as another Windows program sees it: raw Win32 calls, no backend.
std::wstring OtherProgramReadsUnicode() {
    std::wstring out;
    if (!OpenClipboard(nullptr)) return L"<cannot open>";
    if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
        out = static_cast<const wchar_t*>(GlobalLock(h));
        GlobalUnlock(h);
    }
    CloseClipboard();
    return out;
}
void OtherProgramWrites(UINT format, const void* data, size_t bytes) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
    memcpy(GlobalLock(block), data, bytes);
    GlobalUnlock(block);
    SetClipboardData(format, block);
    CloseClipboard();
}

TEST_F(Win32Test, ClipboardExchangesUnicodeTextWithOtherProgramsAndOffersAnsiToo) {
    const std::string utf8 =
        "Gr\xC3\xBC\xC3\x9F"
        "e \xE2\x80\x94 \xD0\xB6 \xE2\x82\xAC\nzweite \xF0\x9F\x98\x80";
    ASSERT_TRUE(PlatSetClipboardText(utf8));
    EXPECT_EQ(OtherProgramReadsUnicode(), L"Gr\u00FC\u00DFe \u2014 \u0436 \u20AC\r\nzweite \U0001F600");
    // The ANSI format is there as well, in the system code page (not as UTF-8 bytes).
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
    ASSERT_TRUE(OpenClipboard(nullptr));
    std::string ansi;
    if (HANDLE h = GetClipboardData(CF_TEXT)) {
        ansi = static_cast<const char*>(GlobalLock(h));
        GlobalUnlock(h);
    }
    CloseClipboard();
    DWORD systemPage = 0;  // the programs' own code page is UTF-8; the system's is not
    GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                   reinterpret_cast<LPWSTR>(&systemPage), sizeof(systemPage) / sizeof(wchar_t));
    if (systemPage == 1252) {
        EXPECT_EQ(ansi.substr(0, 5),
                  "Gr\xFC\xDF"
                  "e");
    }
    EXPECT_EQ(ansi.find("\xC3\xBC"), std::string::npos);
    // Our own copy comes back as it went, apart from the Windows line end.
    EXPECT_EQ(PlatGetClipboardText(),
              "Gr\xC3\xBC\xC3\x9F"
              "e \xE2\x80\x94 \xD0\xB6 \xE2\x82\xAC\r\nzweite \xF0\x9F\x98\x80");

    const wchar_t theirs[] = L"\u00C9t\u00E9 \u0416 \U0001F600";
    OtherProgramWrites(CF_UNICODETEXT, theirs, sizeof(theirs));
    EXPECT_EQ(PlatGetClipboardText(), "\xC3\x89t\xC3\xA9 \xD0\x96 \xF0\x9F\x98\x80");
    if (GetACP() == 1252) {  // a program that offers only ANSI text
        const char legacy[] = "caf\xE9";
        OtherProgramWrites(CF_TEXT, legacy, sizeof(legacy));
        EXPECT_EQ(PlatGetClipboardText(), "caf\xC3\xA9");
    }
}

// A UTF-8 name with letters from no single ANSI code page is created and read back
// under exactly that name; a name in the ANSI code page still opens as before.
TEST(Win32Process, FilesOpenByTheirUtf8NamesAndAnsiNamesStillOpen) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("qk_open_" + std::to_string(GetCurrentProcessId()));
    std::filesystem::create_directories(dir);
    const std::u8string name = u8"Проект ελληνικά 字.txt";
    const std::string utf8 = HostUtf8(dir / name);
    FILE* out = PlatOpenFile(utf8.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    std::fputs("abc", out);
    std::fclose(out);
    EXPECT_EQ(std::filesystem::file_size(dir / name), 3u);
    FILE* in = PlatOpenFile(utf8.c_str(), "rb");
    ASSERT_NE(in, nullptr);
    char text[8] = {};
    EXPECT_EQ(std::fread(text, 1, sizeof text, in), 3u);
    std::fclose(in);
    EXPECT_STREQ(text, "abc");
    EXPECT_EQ(PlatOpenFile(HostUtf8(dir / u8"missing ž.txt").c_str(), "rb"), nullptr);

    // "café" in the ANSI code page is not UTF-8: it is taken as the ANSI name it is.
    std::FILE* ansiFile = _wfopen((dir / L"caf\u00e9.txt").c_str(), L"wb");
    ASSERT_NE(ansiFile, nullptr);
    std::fclose(ansiFile);
    const std::wstring wideDir = dir.wstring() + L"\\caf\u00e9.txt";
    const int n = WideCharToMultiByte(CP_ACP, 0, wideDir.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, wideDir.c_str(), -1, ansi.data(), n, nullptr, nullptr);
    if (GetACP() == 1252) {
        FILE* a = PlatOpenFile(ansi.c_str(), "rb");
        EXPECT_NE(a, nullptr);
        if (a) std::fclose(a);
    }
    std::filesystem::remove_all(dir);
}

}  // namespace

// ---- the shared window set-up (win32_test_support.h) ----

namespace {
std::vector<PlatMsg> g_recorded;
intptr_t RecordingProc(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    g_recorded.push_back({message, wParam, lParam});
    return EngineWindowProc(message, wParam, lParam);
}
}  // namespace

std::vector<PlatMsg>& WinTestSeen() { return g_recorded; }

void WinTestOpenWindow() {
    InitEngine("Win32 backend test");
    PlatRegisterWindowClass(RecordingProc);  // same class, a procedure that records first
    CreateEngineWindow(800, 600, WINDOW_MODE_FIXED);
    SetForegroundWindow(Win32Window());
    SetFocus(Win32Window());
    WinTestPump(100);
    g_recorded.clear();
}

void WinTestCloseWindow() {
    ShutdownEngine();
    PlatMsg msg;
    while (PlatPeekMessage(&msg)) {
    }
}

void WinTestPump(int ms) {
    for (int waited = 0; waited <= ms; waited += 10) {
        PumpMessages();
        Sleep(10);
    }
}

void WinTestSendUnicode(uint16_t unit) {
    INPUT in[2]{};
    for (int i = 0; i < 2; ++i) {
        in[i].type = INPUT_KEYBOARD;
        in[i].ki.wScan = unit;
        in[i].ki.dwFlags = KEYEVENTF_UNICODE | (i ? KEYEVENTF_KEYUP : 0);
    }
    SendInput(2, in, sizeof(INPUT));
}
