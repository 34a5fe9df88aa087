// font_draw_test.cpp - fonts on the GPU and text on screen: colour tags
// applied to the GL colour, runs at a point (colour, place, alignment, snapping,
// missing glyphs) and wrapped text in a scrolled box (cut lines, skip, block mode).
#include <gtest/gtest.h>

#include <vector>

#include "render/draw.h"
#include "render/font.h"
#include "support/engine_fixture.h"
#include "tests/render/font_test_font.h"

namespace {

struct Trace {
    std::vector<DrawBatch> batches;
    Trace() { g_draw.trace = &batches; }
    ~Trace() { g_draw.trace = nullptr; }
    // Glyph quads only (untextured fills have texture 0).
    std::vector<DrawBatch> Glyphs() const {
        std::vector<DrawBatch> out;
        for (const DrawBatch& b : batches)
            if (b.mode == GL_QUADS && b.texture != 0) out.push_back(b);
        return out;
    }
    int Count(uint32_t mode) const {
        int n = 0;
        for (const DrawBatch& b : batches) n += b.mode == mode && b.texture == 0;
        return n;
    }
};

// The test font with its page on the GPU, made current.
Font* UseDrawFont() {
    EnsureTestEngine();
    static Font* font = CreateFontFromDsf(TestFontFile(), true);
    SetFont(font);
    SetEngineSetting(SETTING_COLOR_TAGS, 1.0f);
    return font;
}

const Rgb kBlack{0, 0, 0}, kRed{255, 0, 0}, kGreen{0, 255, 0}, kWhite{255, 255, 255};

// Texture row of a glyph's cell top, as a texture coordinate of the 128-texel page.
float CellTop(char c, float rowsDown = 0) {
    const Glyph& g = TestFont()->glyphs[c - 32];
    return (g.v + rowsDown) / 128.0f;
}

}  // namespace

TEST(ColorTags, ApplyReadsOctalKeepsTheLowByteAndZeroesMissingChannels) {
    EnsureTestEngine();
    SetEngineSetting(SETTING_COLOR_TAGS, 1.0f);
    const float def[4] = {0.2f, 0.4f, 0.6f, 0.5f};
    auto applied = [&](const char* tag, int& length) {
        glColor4f(1, 1, 1, 1);
        length = ApplyColorTag(tag, def);
        float c[4];
        GetColor(c);
        return std::vector<int>{int(c[0] * 255 + 0.5f), int(c[1] * 255 + 0.5f), int(c[2] * 255 + 0.5f),
                                int(c[3] * 255 + 0.5f)};
    };
    int length = 0;
    EXPECT_EQ(applied("<color 010,20,255>", length), (std::vector<int>{8, 20, 255, 127}));
    EXPECT_EQ(length, 18);
    EXPECT_EQ(applied("<color 09,0,0>", length)[0], 0);  // octal reading stops at the 9
    EXPECT_EQ(applied("<color 999,0,0>", length)[0], 231);
    EXPECT_EQ(applied("<color 7,9>", length), (std::vector<int>{7, 9, 0, 127}));
    EXPECT_EQ(applied("<color 255>", length), (std::vector<int>{255, 0, 0, 127}));
    EXPECT_EQ(applied("<color default>", length), (std::vector<int>{51, 102, 153, 128}));
    EXPECT_EQ(length, 15);
    EXPECT_EQ(applied("<color 1234,0,0>", length), (std::vector<int>{255, 255, 255, 255}));
    EXPECT_EQ(length, 0);
}

TEST(DrawTextN, DrawsInTheCurrentColourAtThePlace) {
    UseDrawFont();
    ClearScreen();
    SetColor(MakeColor(255, 0, 0));
    EXPECT_EQ(DrawTextN(100, 50, "abc", ALIGN_LEFT, -1), 3 * kTestAdvance);
    // Cells of 7 pixels every 8: a at 100..106, b at 108..114, c at 116..122.
    for (int x : {100, 103, 106, 108, 114, 116, 122}) EXPECT_EQ(ReadPixel(x, 55), kRed) << x;
    for (int x : {99, 107, 115, 123}) EXPECT_EQ(ReadPixel(x, 55), kBlack) << x;
    EXPECT_EQ(ReadPixel(103, 50), kRed);
    EXPECT_EQ(ReadPixel(103, 59), kRed);
    EXPECT_EQ(ReadPixel(103, 49), kBlack);
    EXPECT_EQ(ReadPixel(103, 60), kBlack);
}

TEST(DrawTextN, CentresAndRightAlignsByTheMeasuredWidth) {
    UseDrawFont();
    {
        Trace trace;
        DrawTextN(400, 10, "abc", ALIGN_CENTER, 3);
        const auto quads = trace.Glyphs();
        ASSERT_EQ(quads.size(), 3u);
        EXPECT_FLOAT_EQ(quads[0].vertices[0].x, 400 - 1.5f * kTestWidth);
        EXPECT_FLOAT_EQ(quads[2].vertices[0].x, 400 - 1.5f * kTestWidth + 2 * kTestAdvance);  // by advances
        EXPECT_FLOAT_EQ(quads[0].vertices[0].y, 10);
        EXPECT_FLOAT_EQ(quads[0].vertices[2].y, 10 + kTestHeight);
    }
    {
        Trace trace;  // each line aligned by its own width
        DrawTextN(300, 20, "ab\nabcd", ALIGN_RIGHT, -1);
        const auto quads = trace.Glyphs();
        ASSERT_EQ(quads.size(), 6u);
        EXPECT_FLOAT_EQ(quads[0].vertices[0].x, 300 - 2 * kTestWidth);
        EXPECT_FLOAT_EQ(quads[2].vertices[0].x, 300 - 4 * kTestWidth);
        EXPECT_FLOAT_EQ(quads[2].vertices[0].y, 20 + kTestHeight);
    }
}

TEST(DrawTextN, SnapsTheOriginToWholePixels) {
    UseDrawFont();
    Trace trace;
    DrawTextN(100.6f, 20.3f, "a", ALIGN_LEFT, -1);
    ASSERT_EQ(trace.Glyphs().size(), 1u);
    EXPECT_FLOAT_EQ(trace.Glyphs()[0].vertices[0].x, 100);
    EXPECT_FLOAT_EQ(trace.Glyphs()[0].vertices[0].y, 20);
}

TEST(DrawTextN, ColourTagsChangeOnlyTheRestOfTheirString) {
    UseDrawFont();
    ClearScreen();
    SetColor(MakeColor(0, 255, 0));
    EXPECT_EQ(DrawTextN(100, 100, "<color 255,0,0>Red<color default>Plain", ALIGN_LEFT, -1), 8 * kTestAdvance);
    EXPECT_EQ(ReadPixel(103, 105), kRed);    // R
    EXPECT_EQ(ReadPixel(119, 105), kRed);    // d
    EXPECT_EQ(ReadPixel(127, 105), kGreen);  // P
    float c[4];
    GetColor(c);
    EXPECT_EQ(c[0], 0.0f);
    EXPECT_EQ(c[1], 1.0f);

    ClearScreen();
    SetColor(MakeColor(255, 255, 255));
    DrawTextN(100, 200, "<color 255,0,0>Red", ALIGN_LEFT, -1);
    EXPECT_EQ(ReadPixel(103, 205), kRed);
    DrawTextN(100, 220, "Next", ALIGN_LEFT, -1);  // a tag does not leak into the next call
    EXPECT_EQ(ReadPixel(103, 225), kWhite);

    SetEngineSetting(SETTING_COLOR_TAGS, 0.0f);  // off: every tag is drawn literally
    Trace trace;
    DrawTextN(10, 300, "<color 255,0,0>R", ALIGN_LEFT, -1);
    EXPECT_EQ(trace.Glyphs().size(), 16u);
    SetEngineSetting(SETTING_COLOR_TAGS, 1.0f);
}

TEST(DrawTextN, MarksMissingGlyphsWithAnX) {
    UseDrawFont();
    Trace trace;
    // Hebrew alef is not in the font; a lead byte cut by the terminator is broken.
    EXPECT_EQ(DrawTextN(10, 10,
                        "a\xD7\x90"
                        "b\xC3",
                        ALIGN_LEFT, -1),
              2 * kTestAdvance + 2 * kTestHeight);
    ASSERT_EQ(trace.Count(GL_LINES), 4);
    // The first X crosses the square of the line height where the alef would stand.
    const DrawBatch* first = nullptr;
    for (const DrawBatch& b : trace.batches)
        if (b.mode == GL_LINES && !first) first = &b;
    const float px = 10 + kTestAdvance, s = kTestHeight;
    EXPECT_FLOAT_EQ(first->vertices[0].x, px);
    EXPECT_FLOAT_EQ(first->vertices[1].y, 10 + s);
    EXPECT_FLOAT_EQ(trace.Glyphs()[1].vertices[0].x, px + s);  // b after the X
}

TEST(DrawTextBox, ScrolledOneAndAHalfLinesCutsTheFirstVisibleLine) {
    UseDrawFont();
    ClearScreen();
    SetColor(MakeColor(255, 255, 255));
    Trace trace;
    // Box 20 high at y = 100, scrolled 15 pixels: b shows its lower half, c whole,
    // d its upper half.
    EXPECT_EQ(DrawTextBox(10, 100, 200, 20, "aaa\nbbb\nccc\nddd", 15, ALIGN_LEFT, -1, 0), 20);
    const auto quads = trace.Glyphs();
    ASSERT_EQ(quads.size(), 9u);  // no a
    EXPECT_FLOAT_EQ(quads[0].vertices[0].y, 100);
    EXPECT_FLOAT_EQ(quads[0].vertices[2].y, 105);
    EXPECT_FLOAT_EQ(quads[0].vertices[0].t, CellTop('b', 5));
    EXPECT_FLOAT_EQ(quads[0].vertices[2].t, CellTop('b', kTestHeight));
    EXPECT_FLOAT_EQ(quads[3].vertices[0].y, 105);
    EXPECT_FLOAT_EQ(quads[3].vertices[2].y, 115);
    EXPECT_FLOAT_EQ(quads[6].vertices[0].y, 115);
    EXPECT_FLOAT_EQ(quads[6].vertices[2].y, 120);
    EXPECT_FLOAT_EQ(quads[6].vertices[2].t, CellTop('d', 5));

    EXPECT_EQ(ReadPixel(12, 99), kBlack);
    EXPECT_EQ(ReadPixel(12, 100), kWhite);
    EXPECT_EQ(ReadPixel(12, 119), kWhite);
    EXPECT_EQ(ReadPixel(12, 120), kBlack);
}

TEST(DrawTextBox, WrapsAlignsAndSkips) {
    UseDrawFont();
    {
        Trace trace;
        EXPECT_EQ(DrawTextBox(50, 10, 8 * kTestAdvance, 0, "Hello world", 0, ALIGN_LEFT, -1, 0), 2 * kTestHeight);
        const auto quads = trace.Glyphs();
        ASSERT_EQ(quads.size(), 11u);
        EXPECT_FLOAT_EQ(quads[6].vertices[0].x, 50);  // w starts the second line
        EXPECT_FLOAT_EQ(quads[6].vertices[0].y, 10 + kTestHeight);
    }
    {
        Trace trace;  // centred on x by each line's fitted width (advances)
        DrawTextBox(200, 10, 8 * kTestAdvance, 0, "Hello world", 0, ALIGN_CENTER, -1, 0);
        EXPECT_FLOAT_EQ(trace.Glyphs()[0].vertices[0].x, 200 - 3 * kTestAdvance);
        EXPECT_FLOAT_EQ(trace.Glyphs()[6].vertices[0].x, 200 - 2.5f * kTestAdvance);
    }
    {
        Trace trace;  // a box narrower than any character still shows it all, a line each
        EXPECT_EQ(DrawTextBox(50, 10, 1, 0, "abc", 0, ALIGN_LEFT, -1, 0), 3 * kTestHeight);
        EXPECT_EQ(trace.Glyphs().size(), 3u);
    }
    {
        ClearScreen();
        SetColor(MakeColor(255, 255, 255));
        Trace trace;  // skipped characters keep their room
        DrawTextBox(50, 410, 200, 0, "abcd", 0, ALIGN_LEFT, -1, 3);
        ASSERT_EQ(trace.Glyphs().size(), 1u);
        EXPECT_FLOAT_EQ(trace.Glyphs()[0].vertices[0].x, 50 + 3 * kTestAdvance);
        EXPECT_EQ(ReadPixel(52, 415), kBlack);
        EXPECT_EQ(ReadPixel(52 + 3 * kTestAdvance, 415), kWhite);
    }
}

TEST(DrawTextBox, BlockModeFillsEveryCellInTheCurrentColour) {
    UseDrawFont();
    ClearScreen();
    SetColor(MakeColor(0, 0, 255));
    const GLboolean textured = glIsEnabled(GL_TEXTURE_2D);
    Trace trace;
    // The first five bytes of "ab\ncd!" as a selection: a, b, the line feed, c, d.
    DrawTextBox(100, 300, 200, 0, "ab\ncd!", 0, ALIGN_LEFT, -1 - 5, 0);
    EXPECT_EQ(trace.Glyphs().size(), 0u);
    EXPECT_EQ(trace.Count(GL_QUADS), 5);
    EXPECT_EQ(trace.Count(GL_LINE_LOOP), 5);
    EXPECT_EQ(glIsEnabled(GL_TEXTURE_2D), textured);
    EXPECT_EQ(ReadPixel(103, 305), (Rgb{0, 0, 255}));
    EXPECT_EQ(ReadPixel(100 + 2 * kTestAdvance + 2, 305), (Rgb{0, 0, 255}));  // the line feed's block
    EXPECT_EQ(ReadPixel(100 + 2 * kTestAdvance + 7, 305), kBlack);            // half a line wide
}
