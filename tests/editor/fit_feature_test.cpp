// fit_feature_test.cpp - the room of the texts in the game on the real main screen (test
// backend): the width, lines and glyph problems in the desk's problem list, the row's mark
// and the title's count, brought up to date by a commit, and a game font that cannot be
// read said once.
#include "editor/fit/fit_feature.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "editor/desk.h"
#include "editor/text_store.h"
#include "support/editor_screen.h"
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
};

}  // namespace

TEST_F(FitScreen, RoomProblemsAreListedWithTheDesksAndFollowEachCommit) {
    Build();
    ASSERT_EQ(CurrentKey(), "German\\menu");
    EXPECT_EQ(Problems(0), "");
    EXPECT_EQ(Problems(1),
              "Width: 84/70 px, 2/1 lines; a word is wider than the box and is cut\n"
              "Lines: 84/70 px, 2/1 lines");
    EXPECT_EQ(Problems(2), "") << "the item's own width";
    EXPECT_EQ(Problems(3), "Glyphs: the game's font has no glyph for \u201C\xC5\x8B\u201D (U+014B)");
    EXPECT_EQ(Problems(4), "") << "untranslated";
    EXPECT_EQ(RowMarkOf(1), RowMark::Problem);
    EXPECT_EQ(RowMarkOf(2), RowMark::Translated);
    EXPECT_NE(g_desk.title.find("2 problems"), std::string::npos) << g_desk.title;
    g_editor.items->SelectItem(1);
    EXPECT_NE(DescPanelText(1, GetFont()).find("Lines: 84/70 px, 2/1 lines"), std::string::npos);

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
