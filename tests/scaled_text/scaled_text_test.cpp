// scaled_text_test.cpp - text at draw scales other than 1: the editor's font drawn from
// glyphs rendered again at the scale, texel on device pixel, exactly as FreeType renders
// those faces at that size; rendered only when first drawn; the 1x cells, stretched, when
// a face is missing; and the recipe file the faces are read from.
#include <ft2build.h>
#include FT_FREETYPE_H
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "render/draw.h"
#include "render/face_recipe.h"
#include "render/font.h"
#include "render/scaled_glyphs.h"
#include "support/engine_fixture.h"

namespace {

const std::string kFontPath = QK_BINARY_DIR "/zazovi_font.dsf";

// The engine's screen at draw scale s: the 800 x 600 virtual screen on 800s x 600s
// device pixels, its top-left corner at the window's (the rest of it off the window).
struct DrawScale {
    explicit DrawScale(float s) {
        EnsureTestEngine();
        g_engine.drawScale = s;
        const int w = int(std::lround(800 * s)), h = int(std::lround(600 * s));
        glViewport(0, g_engine.clientHeight - h, w, h);
    }
    ~DrawScale() {
        g_engine.drawScale = 1;
        glViewport(0, 0, g_engine.clientWidth, g_engine.clientHeight);
    }
};

// The red channel of the window's top-left w x h device pixels, rows top-down.
std::vector<int> ReadScreen(int w, int h) {
    std::vector<uint8_t> rgba(size_t(w) * h * 4);
    glFinish();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, g_engine.clientHeight - h, w, h, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    std::vector<int> red(size_t(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) red[size_t(y) * w + x] = rgba[(size_t(h - 1 - y) * w + x) * 4];
    return red;
}

// What FreeType itself renders for text at scale s: each glyph from the face the font
// took it from, at round(pixels x s), its pen where the font's 1x advances put it from
// x, on the device pixel at or before, its baseline round(ascent x s) below the line's
// top (y, on the pixel at or before).
// White coverage blended over black, as the screen has it. Rows above cutRows are empty.
std::vector<int> FreeTypeText(const std::u32string& text, float x, float y, float s, int w, int h, const Font* font,
                              int cutRows = 0) {
    FaceRecipe recipe;
    std::string bytes;
    EXPECT_TRUE(PlatReadFile(QK_BINARY_DIR "/zazovi_font.faces", bytes, nullptr));
    EXPECT_TRUE(ReadFaceRecipe(bytes, recipe, nullptr));
    FT_Library library;
    EXPECT_EQ(FT_Init_FreeType(&library), 0);
    std::vector<double> image(size_t(w) * h, 0.0);
    const int top = int(std::floor(y * s + 1e-3f)), ascent = int(std::lround(recipe.ascent * s));
    float pen = x;
    for (const char32_t c : text) {
        const Glyph& g = font->glyphs[FindGlyph(int32_t(c), font)];
        for (size_t i = 0; i < recipe.faces.size() && c != ' '; ++i) {
            const FaceSource& source = recipe.faces[i];
            if (!source.ranges.Has(int32_t(c))) continue;
            FT_Face face;
            if (FT_New_Face(library, source.path.c_str(), source.index, &face) != 0) break;
            if (FT_Get_Char_Index(face, c) == 0) {  // listed, but not in this face
                FT_Done_Face(face);
                continue;
            }
            FT_Set_Pixel_Sizes(face, 0, FT_UInt(std::lround(source.pixels * s)));
            EXPECT_EQ(FT_Load_Char(face, c, FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL), 0);
            const FT_Bitmap& bm = face->glyph->bitmap;
            const int left = int(std::floor(pen * s + 1e-3f)) + std::max(0, face->glyph->bitmap_left);
            const int row0 = top + ascent - face->glyph->bitmap_top;
            EXPECT_EQ(bm.pixel_mode, FT_PIXEL_MODE_GRAY);
            for (int r = 0; r < int(bm.rows); ++r)
                for (int col = 0; col < int(bm.width); ++col) {
                    const int px = left + col, py = row0 + r;
                    if (px < 0 || px >= w || py < cutRows || py >= h) continue;
                    double& d = image[size_t(py) * w + px];
                    const double a = bm.buffer[r * bm.pitch + col] / 255.0;
                    d = a + d * (1 - a);
                }
            FT_Done_Face(face);
            break;
        }
        pen += g.advance;
    }
    FT_Done_FreeType(library);
    std::vector<int> out(image.size());
    for (size_t i = 0; i < image.size(); ++i) out[i] = int(std::lround(image[i] * 255));
    return out;
}

// Pixels that differ by more than blending's rounding, and where the first one is.
int Differences(const std::vector<int>& got, const std::vector<int>& want, int w, std::string& first) {
    int n = 0;
    for (size_t i = 0; i < got.size(); ++i)
        if (std::abs(got[i] - want[i]) > 2 && n++ == 0)
            first = "(" + std::to_string(i % size_t(w)) + ", " + std::to_string(i / size_t(w)) +
                    "): " + std::to_string(got[i]) + " drawn, " + std::to_string(want[i]) + " rendered";
    return n;
}

int Ink(const std::vector<int>& pixels) {
    return int(std::count_if(pixels.begin(), pixels.end(), [](int v) { return v > 0; }));
}

}  // namespace

TEST(ScaledText, RunsAndCutBoxLinesAreFreeTypesOwnGlyphsAtTheScale) {
    Font* font = LoadFont(kFontPath.c_str());
    ASSERT_NE(font, nullptr);
    Font* previous = SetFont(font);
    const std::u32string label = U"Hamburg \u6771\u4eac";
    const char* utf8 = "Hamburg \xe6\x9d\xb1\xe4\xba\xac";
    for (const float s : {1.5f, 2.0f}) {
        SCOPED_TRACE(s);
        DrawScale scale(s);
        const int w = 400, h = 100;
        ClearScreen();
        SetColor(MakeColor(255, 255, 255));
        DrawText(10.3f, 5.6f, utf8, ALIGN_LEFT);
        std::string first;
        const std::vector<int> run = ReadScreen(w, h);
        EXPECT_GT(Ink(run), 200);
        const float start = std::floor(10.3f * s) / s;  // a run starts on a device pixel
        EXPECT_EQ(Differences(run, FreeTypeText(label, start, 5.6f, s, w, h, font), w, first), 0) << first;

        // A box scrolled 5 pixels: the line's top rows are cut at round(5 s) device rows.
        ClearScreen();
        DrawTextBox(7, 20, 300, 40, utf8, 5, ALIGN_LEFT, -1, 0);
        const std::vector<int> box = ReadScreen(w, h);
        const int cut = int(std::floor(20 * s + 1e-3f));
        EXPECT_EQ(Differences(box, FreeTypeText(label, 7, 15, s, w, h, font, cut), w, first), 0) << first;
    }
    SetFont(previous);
}

TEST(ScaledText, GlyphsAreRenderedOnlyWhenFirstDrawnAtAScale) {
    EnsureTestEngine();
    Font* font = LoadFont(kFontPath.c_str());
    ASSERT_NE(font, nullptr);
    Font* previous = SetFont(font);
    DrawText(10, 10, "Hamburg", ALIGN_LEFT);  // at 1x: the font's own cells
    EXPECT_EQ(ScaledGlyphsRendered(font), 0);
    EXPECT_EQ(ScaledGlyphPages(font), 0);
    {
        DrawScale scale(2);
        DrawText(10, 10, "Hamburg", ALIGN_LEFT);
        DrawText(10, 30, "burg Ham", ALIGN_LEFT);  // the same letters again, and a blank
        // H a m b u r g and the space, each once: no other glyph of the font, no second page.
        EXPECT_EQ(ScaledGlyphsRendered(font), 8);
        EXPECT_EQ(ScaledGlyphPages(font), 1);
    }
    SetFont(previous);
}

TEST(ScaledText, AMissingFaceDrawsTheFontsOwnCellsStretched) {
    EnsureTestEngine();
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "qk_scaled_text_missing";
    std::filesystem::create_directories(dir);
    std::filesystem::copy_file(kFontPath, dir / "font.dsf", std::filesystem::copy_options::overwrite_existing);
    std::ofstream(dir / "font.faces") << "zazovi-faces 1\npixels 12\nline 15 12\n"
                                         "face\tgone.ttf\t0\t12\t0\t0x20-0x7E\t/nonexistent/gone.ttf\n";
    Font* font = LoadFont((dir / "font.dsf").string().c_str());
    ASSERT_NE(font, nullptr);
    Font* previous = SetFont(font);
    DrawScale scale(2);
    ClearScreen();
    SetColor(MakeColor(255, 255, 255));
    DrawText(10, 10, "Hamburg", ALIGN_LEFT);
    const std::vector<int> pixels = ReadScreen(400, 100);
    EXPECT_GT(Ink(pixels), 200);
    EXPECT_EQ(ScaledGlyphsRendered(font), 0);
    SetFont(previous);
    std::filesystem::remove_all(dir);
}

TEST(FaceRecipe, ReadsWhatItWritesAndRefusesBadLines) {
    FaceRecipe recipe;
    recipe.pixels = 12, recipe.height = 15, recipe.ascent = 12;
    FaceSource face;
    face.fileName = "A B.ttc", face.path = "/fonts dir/A B.ttc", face.index = 2, face.keepLetters = true;
    ASSERT_TRUE(ParseRanges("U+20-0x7e,,0x41,0x80-0x90,0x91,48", face.ranges));
    EXPECT_EQ(face.ranges.Format(), "0x20-0x7E,0x80-0x91");
    recipe.faces.push_back(face);
    const std::string text = WriteFaceRecipe(recipe);
    FaceRecipe back;
    std::string error;
    ASSERT_TRUE(ReadFaceRecipe(text, back, &error)) << error;
    EXPECT_EQ(WriteFaceRecipe(back), text);
    EXPECT_EQ(back.faces[0].pixels, 12);  // the font's size, written out
    EXPECT_TRUE(back.faces[0].ranges.Has(0x91) && !back.faces[0].ranges.Has(0x7F));

    const std::string head = "zazovi-faces 1\npixels 12\nline 15 12\n";
    const std::string good = "face\ta.ttf\t0\t12\t0\t0x20-0x7E\t/a.ttf\n";
    EXPECT_TRUE(ReadFaceRecipe(head + "# made by dsfmake\r\n" + good, back, nullptr));
    for (const std::string& bad :
         {std::string("zazovi-faces 2\npixels 12\nline 15 12\n") + good, head, head + good + "pixels 13\n",
          "zazovi-faces 1\npixels 12\n" + good, head + "face\t../a.ttf\t0\t12\t0\t0x20\t/a.ttf\n",
          head + "face\ta.ttf\t0\t12\t0\t0x20\t\n", head + "face\ta.ttf\t-1\t12\t0\t0x20\t/a.ttf\n",
          head + "face\ta.ttf\t0\t999\t0\t0x20\t/a.ttf\n", head + "face\ta.ttf\t0\t12\t2\t0x20\t/a.ttf\n",
          head + "face\ta.ttf\t0\t12\t0\t0x7E-0x20\t/a.ttf\n", head + "face\ta.ttf\t0\t12\t0\t0x110000\t/a.ttf\n",
          head + "face\ta.ttf\t0\t12\t0\t\t/a.ttf\n", head + "face a.ttf 0 12 0 0x20 /a.ttf\n",
          "zazovi-faces 1\npixels 12\nline 15 16\n" + good, head + good + "colour red\n"}) {
        EXPECT_FALSE(ReadFaceRecipe(bad, back, &error)) << bad;
        EXPECT_FALSE(error.empty());
    }
}
