// clipboard_test.cpp - the multi-line text box and the desktop clipboard, in a real
// window on the desktop backend: text copied in the box is read by another program
// (xclip), and text that xclip offers is pasted into the box, both by real Ctrl+C/V keys.
#include "e2e_support.h"
#include "engine/engine.h"
#include "gui/controls/mltextbox.h"
#include "gui/gui.h"
#include "render/font.h"

namespace {

using namespace e2e;

// Keeps the engine's window answering (the clipboard owner must serve requests from
// other programs through its event queue) until done() holds or the time runs out.
template <class Done>
bool PumpUntil(Done done, int milliseconds = 5000) {
    for (int waited = 0; waited < milliseconds; waited += 20) {
        PumpMessages();
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return done();
}

// The engine in a real SDL window with one focused text box on a sheet.
class ClipboardTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        InstallGui();
        InitEngine("clipboard test");
        CreateEngineWindow(800, 600, 0);
        InitGL();
        Font* font = LoadFont(QK_BINARY_DIR "/zazovi_font.dsf");
        ASSERT_NE(font, nullptr);
        SetFont(font);
        ASSERT_NE(CreateTopControl("Sheet", "S", nullptr, 0, 0, 800, 600), nullptr);
        SetActiveSheet("S");
        ASSERT_NE(CreateControl("MLTextBox", "Edit", "S", 100, 100, 400, 200), nullptr);
        PumpUntil([] { return false; }, 300);
        // Without a window manager the keyboard follows the pointer: keep it over the window.
        window = Shell("xdotool search --pid " + std::to_string(getpid()) + " 2>/dev/null | head -n 1");
        if (!window.empty()) Shell("xdotool mousemove --window " + window + " 300 200");
    }
    static void TearDownTestSuite() { ShutdownEngine(); }

    void SetUp() override {
        if (window.empty()) GTEST_SKIP() << "no window found with xdotool (needs an X display)";
        box = static_cast<MLTextBox*>(FindControl("Edit"));
        ASSERT_NE(box, nullptr);
        SetFocusTo("Edit");
        scratch = fs::temp_directory_path() / ("qk_clip_" + std::to_string(getpid()));
        fs::create_directories(scratch);
    }
    void TearDown() override {
        if (xclipOwner > 0) {
            kill(xclipOwner, SIGTERM);
            waitpid(xclipOwner, nullptr, 0);
        }
        fs::remove_all(scratch);
    }

    // A real key chord through X, delivered to the engine by its message pump.
    static void Keys(const std::string& chord) {
        Shell("xdotool key --clearmodifiers " + chord);
        PumpUntil([] { return false; }, 200);
    }

    void OfferWithXclip(const std::string& text) {
        const fs::path source = scratch / "offer.txt";
        std::ofstream(source, std::ios::binary) << text;
        xclipOwner = OfferOnClipboard(source);
        // Owned once another reader gets it back. The reader runs beside the pump: until
        // xclip has taken over, the engine is still the owner and must answer.
        PumpUntil([&] { return ReadWithXclip() == text; });
    }

    // What another program gets from the clipboard. The engine owns it and answers only
    // while its queue is pumped, so the reader runs in the background meanwhile (a reader
    // left waiting and then killed would leave the engine a request from a window that no
    // longer exists).
    std::string ReadWithXclip() {
        const fs::path out = scratch / "read.txt", done = scratch / "read.done";
        fs::remove(out), fs::remove(done);
        std::system(("(timeout 5 xclip -selection clipboard -o > '" + out.string() + "' 2>/dev/null; touch '" +
                     done.string() + "') &")
                        .c_str());
        PumpUntil([&] { return fs::exists(done); });
        const std::vector<uint8_t> bytes = ReadBytes(out);
        return {bytes.begin(), bytes.end()};
    }

    static inline std::string window;
    MLTextBox* box = nullptr;
    fs::path scratch;
    pid_t xclipOwner = -1;
};

}  // namespace

TEST_F(ClipboardTest, TextCopiedInTheBoxIsWhatAnotherProgramPastes) {
    const std::string text =
        "Gr\xC3\xBC\xC3\x9F"
        "e \xE2\x80\x94 5 \xE2\x82\xAC\nzweite Zeile";  // Grüße — 5 €
    ASSERT_TRUE(box->SetText(text.c_str()));
    Keys("ctrl+a");
    ASSERT_EQ(box->nSel, int32_t(text.size()));
    Keys("ctrl+c");
    EXPECT_EQ(ReadWithXclip(), text);

    // Cut: the selection goes to the clipboard and out of the box.
    box->cPos = 0, box->nSel = 4;  // "Grü"
    Keys("ctrl+x");
    EXPECT_EQ(ReadWithXclip(), "Gr\xC3\xBC");
    EXPECT_EQ(box->text, text.substr(4));
}

TEST_F(ClipboardTest, TextOfferedByAnotherProgramIsPastedWithItsLineEndsMadeSingle) {
    ASSERT_TRUE(box->SetText("[]"));
    box->cPos = 1;
    OfferWithXclip("\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82\r\nworld\tend");  // Привет
    Keys("ctrl+v");
    EXPECT_EQ(box->text, "[\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82\nworld end]");
    EXPECT_EQ(box->cPos, int32_t(box->text.size()) - 1);
}
