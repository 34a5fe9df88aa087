// text_measure_test.cpp - the measuring unit without GL against the drawers: a font read
// for measuring alone holds the tables the loader builds, and the lines and widths it
// measures in the editor's font are the ones DrawTextBox draws, for Latin, CJK and
// Arabic text, and a line's extent is how far its drawn run reaches; colour tags take no
// room, a cut word is told, and what the unit keeps of a font goes with it.
#include "render/text_measure.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "render/draw.h"
#include "render/font.h"
#include "render/text_shape.h"
#include "support/engine_fixture.h"
#include "tests/render/font_test_font.h"

namespace {

const char* const kBuiltFont = QK_BINARY_DIR "/zazovi_font.dsf";

DsfFile BuiltFontFile() {
    std::ifstream in(kBuiltFont, std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    DsfFile file;
    EXPECT_TRUE(ReadDsf(bytes, file)) << kBuiltFont;
    return file;
}

// The editor's font twice: for measuring alone, and on the GPU for the drawers.
const Font* Measuring() {
    static const measure::MeasureFont font(BuiltFontFile());
    return font.font();
}
Font* Drawing() {
    EnsureTestEngine();
    static Font* font = LoadFont(kBuiltFont);
    return font;
}

// One line as DrawTextBox drew it: its glyph quads, by their top.
std::map<long, std::vector<DrawBatch>> DrawnLines(const std::string& text, float width) {
    std::vector<DrawBatch> batches;
    g_draw.trace = &batches;
    SetFont(Drawing());
    SetEngineSetting(SETTING_COLOR_TAGS, 1.0f);
    DrawTextBox(0, 0, width, 0, text.c_str(), 0, ALIGN_LEFT, -1, 0);
    g_draw.trace = nullptr;
    std::map<long, std::vector<DrawBatch>> lines;
    for (const DrawBatch& b : batches)
        if (b.mode == GL_QUADS && b.texture != 0) lines[std::lround(b.vertices[0].y)].push_back(b);
    return lines;
}

// The lines the measuring unit makes of the text at a width, without their line feeds.
std::vector<std::string> MeasuredLines(const std::string& text, float width) {
    std::vector<std::string> lines;
    for (size_t pos = 0; pos < text.size();) {
        int count = int(text.size() - pos);
        float travel = 0;
        const int n = measure::FitLine(Measuring(), text.c_str() + pos, width, nullptr, count, travel, true);
        if (n <= 0) break;
        const std::string line = text.substr(pos, size_t(n));
        lines.push_back(line.back() == '\n' ? line.substr(0, line.size() - 1) : line);
        pos += size_t(n);
    }
    return lines;
}

int Spaces(const std::string& s) { return int(std::count(s.begin(), s.end(), ' ')); }

}  // namespace

TEST(MeasureFont, HoldsTheTablesTheLoaderBuilds) {
    for (const DsfFile& file : {TestFontFile(), BuiltFontFile()}) {
        const measure::MeasureFont measuring(file);
        const Font& a = *measuring.font();
        const Font& b = *CreateFontFromDsf(file, false);
        ASSERT_EQ(a.glyphCount, b.glyphCount);
        EXPECT_EQ(a.height, b.height);
        EXPECT_EQ(a.scale, b.scale);
        EXPECT_EQ(a.asciiDirect, b.asciiDirect);
        EXPECT_EQ(a.baseline, b.baseline);
        EXPECT_EQ(a.blankSpace, b.blankSpace);
        EXPECT_TRUE(std::equal(a.direct, a.direct + kFontDirectRange, b.direct));
        // The plain loops' table leaves out what needs the shaping unit by the same rule.
        EXPECT_TRUE(std::equal(a.plainDirect, a.plainDirect + kFontDirectRange, b.plainDirect));
        EXPECT_TRUE(std::equal(a.formsDirect, a.formsDirect + (kFontFormsEnd - kFontFormsFirst), b.formsDirect));
        ASSERT_EQ(a.markInkCount, b.markInkCount);
        for (int32_t i = 0; i < a.markInkCount; ++i) {
            EXPECT_EQ(a.markInks[i].glyph, b.markInks[i].glyph);
            EXPECT_EQ(a.markInks[i].x0 + a.markInks[i].x1 * 100, b.markInks[i].x0 + b.markInks[i].x1 * 100);
            EXPECT_EQ(a.markInks[i].y0 + a.markInks[i].y1 * 100, b.markInks[i].y0 + b.markInks[i].y1 * 100);
        }
        for (int32_t c : {int32_t('A'), 0x416, 0x4E2D, 0xFE91, 0x1F600, 0x10FFFF})
            EXPECT_EQ(measure::GlyphIndex(&a, c), FindGlyph(c, &b)) << c;
    }
}

// What the unit measures without GL is what the drawers draw: the same lines at a width
// (their count and where each breaks), each as wide as the cells of its glyphs on screen.
// A right-to-left line draws no quad for a space without ink, which takes its room all
// the same.
TEST(MeasureText, LinesAndWidthsAreTheDrawnOnesInEveryScript) {
    const struct {
        const char* script;
        std::string text;
        float width;
    } cases[] = {
        {"Latin", "The quick brown fox jumps over the lazy dog, twice: the quick brown fox.", 150},
        {"Latin with tags", "The <color 255,0,0>quick brown<color default> fox jumps over the lazy dog.", 120},
        {"CJK", "吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。", 130},
        {"Korean", "나는 고양이로소이다. 이름은 아직 없다. 어디서 태어났는지 전혀 모른다.", 140},
        {"Arabic", "السلام عليكم ورحمة الله وبركاته يا أصدقائي الأعزاء", 90},
    };
    for (const auto& c : cases) {
        const std::vector<std::string> measured = MeasuredLines(c.text, c.width);
        const auto drawn = DrawnLines(c.text, c.width);
        ASSERT_GT(measured.size(), 2u) << c.script;
        ASSERT_EQ(drawn.size(), measured.size()) << c.script;
        size_t k = 0;
        for (const auto& [top, quads] : drawn) {
            const std::string& line = measured[k++];
            float ink = 0;
            for (const DrawBatch& q : quads) ink += q.vertices[1].x - q.vertices[0].x;
            const bool shaped = measure::NeedsShaping(line.c_str(), int(line.size()));
            const float blanks = shaped ? float(Spaces(line)) * CharWidthFont(' ', Drawing()) : 0;
            EXPECT_FLOAT_EQ(measure::MeasureText(Measuring(), line.c_str(), int(line.size()), true), ink + blanks)
                << c.script << ": " << line;
            // The engine's own measure agrees, with the font it draws with.
            EXPECT_FLOAT_EQ(MeasureText(line.c_str(), int(line.size()), Drawing()),
                            measure::MeasureText(Measuring(), line.c_str(), int(line.size()), true));
        }
    }
}

// A line's extent is how far its run reaches when drawn from x = 0: the pen's travel, or
// the end of its rightmost glyph when that is further.
TEST(MeasureText, ALinesExtentIsHowFarItsDrawnRunReaches) {
    for (const std::string line : {"The quick brown fox", "jump off", "<color 255,0,0>tagged<color default> text",
                                   "吾輩は猫である。", "السلام عليكم ورحمة الله", "ok بيت ok", "\xD7\x90 missing"}) {
        std::vector<DrawBatch> batches;
        g_draw.trace = &batches;
        SetFont(Drawing());
        SetEngineSetting(SETTING_COLOR_TAGS, 1.0f);
        const int travel = DrawTextN(0, 0, line.c_str(), ALIGN_LEFT, -1);
        g_draw.trace = nullptr;
        float reach = float(travel);
        for (const DrawBatch& b : batches)
            for (const DrawVertex& v : b.vertices) reach = std::max(reach, v.x);
        EXPECT_FLOAT_EQ(measure::LineExtent(Measuring(), line.c_str(), int(line.size()), true), reach) << line;
    }
}

TEST(MeasureText, ColourTagsTakeNoRoomWhenTheyAreOn) {
    const Font* font = Measuring();
    const std::string plain = "Gold: 20", tagged = "<color 255,200,0>Gold<color default>: 20";
    EXPECT_FLOAT_EQ(measure::MeasureText(font, tagged.c_str(), -1, true),
                    measure::MeasureText(font, plain.c_str(), -1, true));
    EXPECT_GT(measure::MeasureText(font, tagged.c_str(), -1, false),
              measure::MeasureText(font, plain.c_str(), -1, true));
    int count = int(tagged.size());
    float travel = 0;
    EXPECT_EQ(measure::FitLine(font, tagged.c_str(), 1000, nullptr, count, travel, true), int(tagged.size()));
    int plainCount = int(plain.size());
    float plainTravel = 0;
    measure::FitLine(font, plain.c_str(), 1000, nullptr, plainCount, plainTravel, true);
    EXPECT_FLOAT_EQ(travel, plainTravel);
}

TEST(FitLine, TellsWhenAWordIsCut) {
    const measure::MeasureFont face(TestFontFile());
    const Font* font = face.font();
    bool cut = true;
    int count = 10;
    float travel = 0;
    EXPECT_EQ(measure::FitLine(font, "abcdefghij", 5 * kTestAdvance, nullptr, count, travel, true, &cut), 5);
    EXPECT_TRUE(cut);
    count = 11;
    EXPECT_EQ(measure::FitLine(font, "abcd efghij", 5 * kTestAdvance, nullptr, count, travel, true, &cut), 5);
    EXPECT_FALSE(cut);
    count = 3;
    EXPECT_EQ(measure::FitLine(font, "abc", 5 * kTestAdvance, nullptr, count, travel, true, &cut), 3);
    EXPECT_FALSE(cut);
}

// Shaped paragraphs are kept between calls: a font measured at another scale, or a font
// made where a forgotten one was, is measured afresh.
TEST(FitLine, KeptParagraphsFollowTheFontAndItsScale) {
    const std::string arabic = "سلام عليكم سلام عليكم";
    auto travelOf = [&](const Font* font) {
        int count = int(arabic.size());
        float travel = 0;
        measure::FitLine(font, arabic.c_str(), 10000, nullptr, count, travel, true);
        return travel;
    };
    measure::MeasureFont face(BuiltFontFile());
    const float atOne = travelOf(face.font());
    ASSERT_GT(atOne, 0);
    face.SetScale(2);
    EXPECT_FLOAT_EQ(travelOf(face.font()), 2 * atOne);
    face.SetScale(1);
    EXPECT_FLOAT_EQ(travelOf(face.font()), atOne);

    // The test font lacks every Arabic letter: each is as wide as the line is high.
    for (int round = 0; round < 3; ++round) {
        auto big = std::make_unique<measure::MeasureFont>(BuiltFontFile());
        EXPECT_FLOAT_EQ(travelOf(big->font()), atOne);
        big.reset();
        auto small = std::make_unique<measure::MeasureFont>(TestFontFile());
        EXPECT_NE(travelOf(small->font()), atOne);
    }
}
