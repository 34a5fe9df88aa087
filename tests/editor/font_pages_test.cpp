// font_pages_test.cpp - the editor's font uploads a glyph page the first time a glyph of
// it is drawn, on the real main screen with the real GL context: a Latin file uploads a
// few pages, a Japanese one adds the pages of the ideographs it shows and no others, and
// pages nothing has drawn are never uploaded.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "editor/editor.h"
#include "gui/controls/combobox.h"
#include "gui/controls/listbox.h"
#include "gui/gui.h"
#include "render/font.h"
#include "support/editor_screen.h"

namespace {

using namespace editorscreen;

const char kJapanese[] = "日本語の説明書を読んでください";

class FontPages : public ScreenTest {
  protected:
    void SetUp() override {
        ScreenTest::SetUp();
        previous_ = GetFont();
        std::vector<std::string> latin, japanese;
        for (int i = 0; i < 12; ++i) {
            latin.push_back("New game " + std::to_string(i));
            japanese.push_back(std::string(kJapanese) + std::to_string(i));
        }
        for (const char* file : {"menu", "game", "keyboard"}) {
            WriteLoc(dir_ / "Texts" / "English" / (std::string(file) + ".loc"), latin);
            WriteLoc(dir_ / "Texts" / "Japanese" / (std::string(file) + ".loc"), japanese);
            WriteDesc(dir_ / "Descriptions" / (std::string(file) + ".desc"), 12);
        }
    }
    void TearDown() override {
        SetFont(previous_);
        ScreenTest::TearDown();
    }
    static void Show(const char* language) {
        for (int i = 0; i < LanguageFolderCount(); ++i)
            if (LanguageFolder(i) == language) g_editor.fold->selected = i;
        g_editor.file->selected = 0;
        ASSERT_TRUE(LoadFile());
        g_editor.items->SelectItem(1);
        ShowGuiPointer(false);
        ClearScreen();
        GuiDraw();
        ShowGuiPointer(true);
    }
    // The pages that hold a glyph uploaded so far.
    static std::set<int> Uploaded(const Font* font) {
        std::set<int> pages;
        for (int i = 0; i < font->pageCount; ++i)
            if (font->pages[i]->name != 0) pages.insert(i);
        return pages;
    }
    static std::set<int> PagesOf(const Font* font, const std::u32string& text) {
        std::set<int> pages;
        for (char32_t c : text)
            if (const int32_t g = FindGlyph(int32_t(c), font); g >= 0) pages.insert(font->glyphs[g].page);
        return pages;
    }
    Font* previous_ = nullptr;
};

TEST_F(FontPages, AreUploadedWhenAGlyphOfThemIsFirstDrawn) {
    // A font of its own, so no other test has drawn with it.
    Font* font = LoadFont(QK_BINARY_DIR "/zazovi_font.dsf");
    ASSERT_NE(font, nullptr);
    ASSERT_GT(font->pageCount, 100);  // the editor's font with its CJK pages
    EXPECT_EQ(FontPagesUploaded(font), 0);
    for (int i = 0; i < font->pageCount; ++i) EXPECT_EQ(font->pages[i]->name, 0u);
    SetFont(font);
    Build();
    EXPECT_EQ(FontPagesUploaded(font), 0);  // building the screen measures, draws nothing

    Show("English");
    const std::set<int> latin = Uploaded(font);
    EXPECT_EQ(int(latin.size()), FontPagesUploaded(font));
    // The screen's Latin text: a handful of pages, all below the CJK ones.
    EXPECT_GE(latin.size(), 1u);
    EXPECT_LE(latin.size(), 6u);
    const std::set<int> cjk = PagesOf(font, U"日本語の説明書を読んでください");
    for (int page : latin) EXPECT_EQ(cjk.count(page), 0u) << page;

    // Drawing the same again uploads nothing.
    Show("English");
    EXPECT_EQ(Uploaded(font), latin);

    Show("Japanese");
    const std::set<int> japanese = Uploaded(font);
    for (int page : latin) EXPECT_EQ(japanese.count(page), 1u);
    // Every page of the ideographs shown is up, and nothing but those and Latin ones.
    for (int page : cjk) EXPECT_EQ(japanese.count(page), 1u) << page;
    for (int page : japanese) EXPECT_TRUE(latin.count(page) || cjk.count(page)) << page;
    EXPECT_EQ(int(japanese.size()), FontPagesUploaded(font));
    EXPECT_LT(FontPagesUploaded(font), font->pageCount / 4);

    // The glyphs drawn from a page uploaded late show: ink inside the text box.
    int inked = 0;
    for (int y = 0; y < 600; y += 2)
        for (int x = 0; x < 800; x += 2) inked += ReadPixel(x, y) != Rgb{} ? 1 : 0;
    EXPECT_GT(inked, 0);
}

TEST_F(FontPages, AFontFileGoneAfterLoadingDrawsNothingInsteadOfFailing) {
    const fs::path copy = dir_ / "copy.dsf";
    fs::copy_file(QK_BINARY_DIR "/zazovi_font.dsf", copy);
    Font* font = LoadFont(copy.string().c_str());
    ASSERT_NE(font, nullptr);
    fs::remove(copy);
    SetFont(font);
    ClearScreen();
    SetColor(MakeColor(255, 255, 255));
    DrawText(10, 10, "Gone", ALIGN_LEFT);
    EXPECT_EQ(FontPagesUploaded(font), 0);
    // Nothing drawn: neither glyphs nor the filled boxes a page without texture would give.
    for (int y = 5; y < 35; ++y)
        for (int x = 5; x < 60; ++x) ASSERT_EQ(ReadPixel(x, y), Rgb{}) << x << "," << y;
    const int32_t g = FindGlyph('G', font);
    ASSERT_GE(g, 0);
    EXPECT_EQ(font->pages[font->glyphs[g].page]->name, 0u);
    // Not tried again at every draw.
    DrawText(10, 10, "Gone", ALIGN_LEFT);
    EXPECT_EQ(FontPagesUploaded(font), 0);
}

}  // namespace
