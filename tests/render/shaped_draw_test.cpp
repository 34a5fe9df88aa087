// shaped_draw_test.cpp - text that goes through the shaping unit, drawn and measured
// with the editor's own font: Arabic joined and in visual order, right-to-left
// paragraphs right-aligned in a box, colours kept, marks over their bases, Thai wrapped
// at its words, and measuring that counts what is drawn.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "render/draw.h"
#include "render/font.h"
#include "render/text_shape.h"
#include "support/engine_fixture.h"

namespace {

Font* UseEditorFont() {
    EnsureTestEngine();
    static Font* font = LoadFont(QK_BINARY_DIR "/zazovi_font.dsf");
    SetFont(font);
    SetEngineSetting(SETTING_COLOR_TAGS, 1.0f);
    return font;
}

struct Trace {
    std::vector<DrawBatch> batches;
    Trace() { g_draw.trace = &batches; }
    ~Trace() { g_draw.trace = nullptr; }
    std::vector<DrawBatch> Glyphs() const {
        std::vector<DrawBatch> out;
        for (const DrawBatch& b : batches)
            if (b.mode == GL_QUADS && b.texture != 0) out.push_back(b);
        return out;
    }
};

// Whether a traced quad shows the glyph of code point c (its cell's corner on its page).
bool Shows(const DrawBatch& quad, int32_t c) {
    const Font* font = GetFont();
    const int32_t index = FindGlyph(c, font);
    if (index < 0) return false;
    const Glyph& g = font->glyphs[index];
    const Texture* page = font->pages[g.page];
    return quad.texture == page->name && std::lround(quad.vertices[0].s * page->width) == g.u &&
           std::lround(quad.vertices[0].t * page->height) == g.v;
}

// The bounding box of every pixel that is not black in (x0, y0) .. (x1, y1), ends
// excluded; empty (x0 >= x1) when there is none.
struct Box {
    int x0 = 1 << 20, y0 = 1 << 20, x1 = -1, y1 = -1;
    bool Empty() const { return x1 < 0; }
};
Box Ink(int x0, int y0, int x1, int y1) {
    Box box;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if (ReadPixel(x, y) != Rgb{}) {
                box.x0 = std::min(box.x0, x), box.x1 = std::max(box.x1, x + 1);
                box.y0 = std::min(box.y0, y), box.y1 = std::max(box.y1, y + 1);
            }
    return box;
}

// Draws text white on black at (x, y) and returns the ink of the line cell around it.
Box DrawnInk(const char* text, int x, int y, int* travel = nullptr) {
    ClearScreen();
    SetColor(MakeColor(255, 255, 255));
    const int pen = DrawTextN(float(x), float(y), text, ALIGN_LEFT, -1);
    if (travel) *travel = pen;
    return Ink(x - 20, y - 20, x + 120, y + 40);
}

const char kBayt[] = "بيت";  // beh, yeh, teh: initial, medial and final forms when joined

}  // namespace

// The glyphs drawn are the joined forms, in visual order, a Latin run keeping its own
// order to the left of the Arabic one in a right-to-left line; colours follow the tags
// in logical order and the last one carries on into the next line.
TEST(ShapedText, ArabicIsDrawnJoinedInVisualOrderAndInItsColours) {
    const Font* font = UseEditorFont();
    {
        Trace trace;
        const int travel = DrawTextN(100, 50, "بيت ok", ALIGN_LEFT, -1);
        const auto quads = trace.Glyphs();
        // The space takes its room but draws no quad (it has no ink).
        ASSERT_EQ(quads.size(), 5u);
        EXPECT_TRUE(Shows(quads[0], 'o'));
        EXPECT_TRUE(Shows(quads[1], 'k'));
        EXPECT_TRUE(Shows(quads[2], 0xFE96));  // teh final, leftmost of the word
        EXPECT_TRUE(Shows(quads[3], 0xFEF4));  // yeh medial
        EXPECT_TRUE(Shows(quads[4], 0xFE91));  // beh initial
        for (size_t i = 1; i < quads.size(); ++i) EXPECT_GT(quads[i].vertices[0].x, quads[i - 1].vertices[0].x);
        // The run is as long as the forms drawn, not the letters' isolated forms.
        float forms = 0;
        for (int32_t c : {0x6F, 0x6B, 0x20, 0xFE96, 0xFEF4, 0xFE91}) forms += font->glyphs[FindGlyph(c, font)].advance;
        EXPECT_EQ(travel, int(forms));
        int count = 100;
        float lineWidth = 0;
        EXPECT_EQ(FitLine("بيت ok", 1000, font, nullptr, count, lineWidth), int(sizeof kBayt) + 2);
        EXPECT_EQ(lineWidth, forms);
    }
    ClearScreen();
    SetColor(MakeColor(0, 255, 0));
    DrawTextN(100, 100, "سلام <color 255,0,0>بيت<color 0,0,255>\nok", ALIGN_LEFT, -1);
    // Right to left: the red word is the leftmost, the green one after it.
    const Box red = Ink(100, 100, 119, 115);
    const Box all = Ink(100, 100, 200, 115);
    ASSERT_FALSE(red.Empty());
    bool sawRed = false, sawGreen = false;
    for (int y = all.y0; y < all.y1; ++y)
        for (int x = all.x0; x < all.x1; ++x) {
            const Rgb p = ReadPixel(x, y);
            if (x < 117) {
                EXPECT_EQ(p.g, 0) << x << "," << y;  // the red word has no green
            }
            sawRed |= p.r > 0 && x < 117;
            sawGreen |= p.g > 0 && p.r == 0;
        }
    EXPECT_TRUE(sawRed);
    EXPECT_TRUE(sawGreen);
    const Box next = Ink(100, 115, 200, 130);  // "ok" in the blue of the line's last tag
    ASSERT_FALSE(next.Empty());
    for (int y = next.y0; y < next.y1; ++y)
        for (int x = next.x0; x < next.x1; ++x) EXPECT_EQ(ReadPixel(x, y).r | ReadPixel(x, y).g, 0);
}

// With left alignment a right-to-left paragraph reads from the box's right edge, every
// line of it, also one holding only Latin words, and a left-to-right paragraph after it
// stays at the left.
TEST(ShapedText, RightToLeftParagraphsAreRightAlignedInABox) {
    UseEditorFont();
    ClearScreen();
    SetColor(MakeColor(255, 255, 255));
    // 60 pixels hold the Arabic word with "abc" but not "def" too.
    DrawTextBox(100, 200, 60, 0, "بيت abc def\nabc", 0, ALIGN_LEFT, -1, 0);
    const Box first = Ink(80, 200, 180, 215), second = Ink(80, 215, 180, 230), third = Ink(80, 230, 180, 245);
    ASSERT_FALSE(first.Empty());
    ASSERT_FALSE(second.Empty());
    EXPECT_GE(first.x1, 158);  // the ink ends at the edge, none past it
    EXPECT_LE(first.x1, 160);
    EXPECT_GE(second.x1, 158);
    EXPECT_LE(second.x1, 160);
    EXPECT_GT(second.x0, 130);  // "def" alone, at the right
    EXPECT_LE(third.x0, 101);
    EXPECT_LT(third.x1, 130);
}

// A mark is drawn over (or under) its base, inside the base's advance, and takes no
// room; a second mark on the same side goes beyond the first, inside the line (the
// editor's font leaves the acute two rows over it and Thai tone marks none).
TEST(ShapedText, MarksSitOnTheirBaseWithoutTakingRoom) {
    UseEditorFont();
    const char* const pairs[][2] = {{"e", "e\xCC\x81"}, {"и", "и\xCC\x86"}, {"ب", "بَ"}, {"ก", "กิ"}};
    for (const auto& [base, marked] : pairs) {
        int plainTravel = 0, markedTravel = 0;
        const Box b = DrawnInk(base, 100, 100, &plainTravel);
        const Box m = DrawnInk(marked, 100, 100, &markedTravel);
        EXPECT_EQ(markedTravel, plainTravel) << marked;
        const Box above = Ink(80, 100, 220, b.y0);
        ASSERT_FALSE(above.Empty()) << marked;
        EXPECT_GE(above.x0, b.x0) << marked;
        EXPECT_LE(above.x1, b.x1) << marked;
        EXPECT_GE(m.y0, 100) << marked;
        EXPECT_EQ(m.y1, b.y1) << marked;
    }
    // Dot below: under the base.
    const Box e = DrawnInk("e", 100, 100), dotted = DrawnInk("e\xCC\xA3", 100, 100);
    EXPECT_GT(dotted.y1, e.y1);
    EXPECT_EQ(dotted.y0, e.y0);
    // Thai: the tone mark above the upper vowel, both inside the line.
    const Box vowel = DrawnInk("กิ", 100, 100), tone = DrawnInk("กิ่", 100, 100);
    EXPECT_LT(tone.y0, vowel.y0);
    EXPECT_GE(tone.y0, 100);
    // Two acutes on one e: the second above the first, a pixel apart.
    // Two acutes on one e: the second above the first, as far as the line lets it.
    const Box acute = DrawnInk("e\xCC\x81", 100, 100), twoAcutes = DrawnInk("e\xCC\x81\xCC\x81", 100, 100);
    EXPECT_LT(twoAcutes.y0, acute.y0);
    EXPECT_GE(twoAcutes.y0, 100);
}

// Thai, written without spaces, wraps at the dictionary's word boundaries; and every
// measure counts the line as drawn: joined forms, marks and invisible controls without
// room.
TEST(ShapedText, ThaiWrapsAtWordsAndMeasuresCountWhatIsDrawn) {
    const Font* font = UseEditorFont();
    const std::string thai = "ภาษาไทยง่ายมาก";  // four words
    const std::vector<uint32_t> words = shape::ThaiBreaks(thai);
    ASSERT_GE(words.size(), 2u);
    // Room for two words and the next word's first letter: the line ends after the words.
    int count = int(words[1]) + 3;
    float width = 0;
    FitLine(thai.c_str(), 1000, font, nullptr, count, width);
    count = int(thai.size());
    float lineWidth = 0;
    EXPECT_EQ(FitLine(thai.c_str(), width + 1, font, nullptr, count, lineWidth), int(words[1]));
    Trace trace;
    DrawTextBox(100, 300, width + 1, 0, thai.c_str(), 0, ALIGN_LEFT, -1, 0);
    const auto quads = trace.Glyphs();
    const auto second =
        std::find_if(quads.begin(), quads.end(), [](const DrawBatch& q) { return q.vertices[0].y > 300; });
    ASSERT_NE(second, quads.end());
    EXPECT_TRUE(Shows(*second, 0x0E07));  // ง starts the third word
    EXPECT_EQ(second->vertices[0].x, 100);

    const char* marked =
        "\xE2\x80\x8F"
        "بَيت\xE2\x80\x8D ok";  // RLM before, ZWJ after
    count = int(std::strlen(marked));
    FitLine(marked, 1000, font, nullptr, count, lineWidth);
    EXPECT_EQ(lineWidth, float(DrawTextN(100, 100, marked, ALIGN_LEFT, -1)));
    EXPECT_EQ(MeasureText("a\xE2\x80\x8D"
                          "b\xE2\x80\x8F",
                          -1, font),
              MeasureText("ab", -1, font));
    float forms = 0;
    for (int32_t c : {0xFE96, 0xFEF4, 0xFE91}) forms += font->glyphs[FindGlyph(c, font)].width;
    EXPECT_EQ(MeasureText(kBayt, -1, font), forms);
}
