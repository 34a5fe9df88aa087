// fit_feature_test.cpp - the room of the texts in the game on the real main screen (test
// backend, a real GL context): the width, lines and glyph problems in the desk's problem
// list, the row's mark and the title's count, brought up to date by a commit; a game font
// that cannot be read said once; and the picture in the panel, read back from the window:
// a text typed past its width turns red there once typing rests, a wrapped text's lines
// past its count too, missing glyphs are boxed, and a box wider than the panel is shown
// smaller, its scale said.
#include "editor/fit/fit_feature.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "editor/desk.h"
#include "editor/fit/fit_preview.h"
#include "editor/text_store.h"
#include "gui/controls/text_edit.h"
#include "support/editor_screen.h"
#include "support/engine_fixture.h"
#include "tests/render/font_test_font.h"

namespace fs = std::filesystem;
using namespace editorscreen;

namespace {

// German menu in the test font (cells 7 pixels wide, an advance of 8), 70 pixels and one
// line a text, item 2 with 200 pixels of its own.
const std::vector<std::string> kEnglish = {"Start", "Options", "Options", "Quit", "Back"};
const std::vector<std::string> kGerman = {"Start", "abcdefghijkl", "abcdefghijkl", "aŋ", ""};

class FitScreen : public ScreenTest {
  protected:
    void SetUp() override {
        ScreenTest::SetUp();
        for (const char* file : {"menu", "game", "keyboard"}) {
            WriteLoc(dir_ / "Texts" / "English" / (std::string(file) + ".loc"), kEnglish);
            WriteLoc(dir_ / "Texts" / "German" / (std::string(file) + ".loc"), kGerman);
            WriteDesc(dir_ / "Descriptions" / (std::string(file) + ".desc"), int(kEnglish.size()));
        }
        fs::create_directories(dir_ / "Fonts");
        const std::vector<uint8_t> font = WriteDsf(TestFontFile());
        std::ofstream(dir_ / "Fonts" / "menu.dsf", std::ios::binary)
            .write(reinterpret_cast<const char*>(font.data()), std::streamsize(font.size()));
        Settings("[font]\nmenu = Fonts/menu.dsf\n[width]\nmenu = 70\n[lines]\nmenu = 1\n[width.menu]\n2 = 200\n");
        // Start on German menu.
        std::ofstream(dir_ / "zazovi.cfg", std::ios::binary) << std::string("\x01\0\0\0\0\0\0\0\xFF\xFF\xFF\xFF", 12);
    }
    void TearDown() override {
        FeaturesShutdown();
        ScreenTest::TearDown();
    }
    void Settings(const std::string& text) { std::ofstream(dir_ / "zazovi-project.ini") << text; }
    static std::string Problems(int i) { return g_desk.problems[size_t(i)]; }
    static void Frame(uint32_t afterMs) {
        TestAdvanceTicks(afterMs);
        PumpMessages();
        EngineFrame();
    }
    static void Type(const std::string& ascii) {
        for (char c : ascii) TestChar(uint8_t(c));
        Frame(20);
    }
    // The picture's box on screen, and its pixels of one colour as drawn now: the glyphs'
    // red, the band's pink, the frame's blue, the missing glyphs' orange.
    struct Pixels {
        float x = 0, y = 0, w = 0, h = 0;
        std::vector<std::pair<int, int>> overflow, band, frame, missing;
    };
    static Pixels Picture() {
        Pixels p;
        Control* picture = FindControl("DeskPicture");
        if (!picture || !picture->visible) return p;
        picture->ScreenPos(&p.x, &p.y);
        p.w = picture->w, p.h = picture->h;
        ShowGuiPointer(false);
        ClearScreen();
        GuiDraw();
        glFinish();
        const auto is = [](Rgb c, const uint8_t(&want)[3], int slack) {
            return std::abs(c.r - want[0]) <= slack && std::abs(c.g - want[1]) <= slack &&
                   std::abs(c.b - want[2]) <= slack;
        };
        for (int y = int(p.y); y < int(p.y + p.h); ++y)
            for (int x = int(p.x); x < int(p.x + p.w); ++x) {
                const Rgb c = ReadPixel(x, y);
                if (is(c, fitcolour::kOverflow, 30)) p.overflow.emplace_back(x, y);
                if (is(c, fitcolour::kBand, 4)) p.band.emplace_back(x, y);
                if (is(c, fitcolour::kFrame, 40)) p.frame.emplace_back(x, y);
                if (is(c, fitcolour::kMissing, 40)) p.missing.emplace_back(x, y);
            }
        ShowGuiPointer(true);
        return p;
    }
    static void TypeAtEnd(int item, const std::string& ascii) {
        g_editor.items->SelectItem(item);
        SetFocusTo("Text");
        TextEdit* edit = TextEditOf(FindControl("Text"));
        edit->cPos = int32_t(edit->text.size()), edit->nSel = 0;
        Type(ascii);
    }
};

}  // namespace

TEST_F(FitScreen, RoomProblemsAreListedWithTheDesksAndFollowEachCommit) {
    Build();
    ASSERT_EQ(CurrentKey(), "German\\menu");
    EXPECT_EQ(Problems(0), "");
    EXPECT_EQ(Problems(1),
              "Width: 96/70 px, 2/1 lines; a word is wider than the box and is cut\n"
              "Lines: 96/70 px, 2/1 lines");
    EXPECT_EQ(Problems(2), "") << "the item's own width";
    EXPECT_EQ(Problems(3), "Glyphs: the game's font has no glyph for \u201C\xC5\x8B\u201D (U+014B)");
    EXPECT_EQ(Problems(4), "") << "untranslated";
    EXPECT_EQ(RowMarkOf(1), RowMark::Problem);
    EXPECT_EQ(RowMarkOf(2), RowMark::Translated);
    EXPECT_NE(g_desk.title.find("2 problems"), std::string::npos) << g_desk.title;
    g_editor.items->SelectItem(1);
    EXPECT_NE(DescPanelText(1, GetFont()).find("Lines: 96/70 px, 2/1 lines"), std::string::npos);

    // A shorter text, once committed, fits.
    SetControlProperty("Text", "Text", "abcdefgh");
    CommitText();
    EXPECT_EQ(Problems(1), "");
    EXPECT_EQ(RowMarkOf(1), RowMark::Translated);
    EXPECT_NE(g_desk.title.find("1 problem"), std::string::npos) << g_desk.title;
}

TEST_F(FitScreen, AGameFontThatCannotBeReadIsSaidOnceAndItsFileNotMeasured) {
    Settings("[font]\nmenu = Fonts/gone.dsf\n[width]\nmenu = 70\n");
    Build();
    ASSERT_EQ(g_boxes.texts.size(), 1u);
    EXPECT_NE(g_boxes.texts[0].find("zazovi-project.ini line 2: the font Fonts/gone.dsf of 'menu' cannot be read"),
              std::string::npos)
        << g_boxes.texts[0];
    EXPECT_EQ(Problems(1), "");
    EXPECT_EQ(Problems(3), "");
}

TEST_F(FitScreen, WithoutAGameFontTheEditorsFontMeasuresAndNoGlyphIsChecked) {
    Settings("[width]\nmenu = 30\n");
    Build();
    EXPECT_EQ(Problems(1).rfind("Width: ", 0), 0u) << Problems(1);
    EXPECT_EQ(Problems(3), "") << "ŋ is drawn in the editor's font, and no game font is named";
    EXPECT_EQ(g_boxes.texts.size(), 0u);
}

// Past its width the text turns red right of the frame, once typing has rested: the part
// that fits stays black inside it.
TEST_F(FitScreen, ATextTypedPastItsWidthTurnsRedInThePicture) {
    Settings("[font]\nmenu = Fonts/menu.dsf\n[width]\nmenu = 70\n");
    Build();
    g_editor.items->SelectItem(0);
    Pixels p = Picture();
    ASSERT_GT(p.w, 70);
    EXPECT_FALSE(p.frame.empty()) << "the box's frame";
    EXPECT_TRUE(p.overflow.empty());
    EXPECT_EQ(ShownFit().summary, "40/70 px");

    TypeAtEnd(0, "abcdefghij");  // "Startabcdefghij": fifteen cells of 7 pixels
    EXPECT_TRUE(Picture().overflow.empty()) << "measured before typing rested";
    Frame(uint32_t(kFitPauseSeconds * 1000) + 50);
    EXPECT_EQ(ShownFit().text, "Startabcdefghij");
    EXPECT_EQ(ShownFit().summary, "120/70 px");
    EXPECT_NE(DescPanelText(0, GetFont()).find("120/70 px"), std::string::npos);
    p = Picture();
    ASSERT_FALSE(p.overflow.empty()) << "the part that does not fit is red";
    // Red: the cells that cross the frame's right edge or lie past it, the ninth (from 64
    // pixels) on; black: the eight before it.
    const float frameLeft = p.x + kFitMargin, frameRight = frameLeft + 70;
    int past = 0;
    for (const auto& [x, y] : p.overflow) {
        EXPECT_GE(x, int(frameLeft + 64)) << x << "," << y;
        past += x > int(frameRight);
    }
    EXPECT_GT(past, 100);
    // Black glyphs inside the frame: the ten cells that fit.
    int black = 0;
    ShowGuiPointer(false);
    ClearScreen();
    GuiDraw();
    for (int x = int(frameLeft); x < int(frameLeft + 64); ++x)
        black += ReadPixel(x, int(p.y + kFitMargin + 5)) == Rgb{};
    ShowGuiPointer(true);
    EXPECT_EQ(black, 8 * 7);

    // Deleting it again: nothing red once it rests.
    for (int k = 0; k < 10; ++k) TestKeyDown(VK_BACK, 0x0E), TestKeyUp(VK_BACK, 0x0E);
    Frame(20);
    Frame(uint32_t(kFitPauseSeconds * 1000) + 50);
    EXPECT_TRUE(Picture().overflow.empty());
}

// A wrapped text's lines past its count are red below the frame; a missing glyph is boxed.
TEST_F(FitScreen, LinesPastTheCountAreRedAndMissingGlyphsBoxed) {
    Build();
    g_editor.items->SelectItem(1);  // "abcdefghijkl": cut at 70 pixels into two lines, one allowed
    EXPECT_EQ(ShownFit().summary, "96/70 px, 2/1 lines");
    Pixels p = Picture();
    ASSERT_FALSE(p.overflow.empty());
    const float frameBottom = p.y + kFitMargin + kTestHeight;
    for (const auto& [x, y] : p.overflow) EXPECT_GE(y, int(frameBottom) - 1) << x << "," << y;
    g_editor.items->SelectItem(3);  // "aŋ"
    p = Picture();
    EXPECT_FALSE(p.missing.empty());
    EXPECT_NE(DescPanelText(3, GetFont()).find("No glyph in the game's font for U+014B"), std::string::npos);
}

// A box wider than the panel is drawn smaller, and the scale is said.
TEST_F(FitScreen, ABoxWiderThanThePanelIsShownSmaller) {
    Settings("[font]\nmenu = Fonts/menu.dsf\n[width]\nmenu = 940\n");
    Build();
    g_editor.items->SelectItem(1);
    const Pixels p = Picture();
    EXPECT_LT(ShownFit().scale, 0.5f);
    EXPECT_GT(ShownFit().scale, 0.45f);
    EXPECT_NE(DescPanelText(1, GetFont()).find(", shown at "), std::string::npos);
    ASSERT_FALSE(p.frame.empty());
    int right = 0;
    for (const auto& [x, y] : p.frame) right = std::max(right, x);
    EXPECT_LE(right, int(p.x + p.w));
    EXPECT_GE(right, int(p.x + p.w) - 12);
}
