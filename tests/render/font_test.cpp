// font_test.cpp - the .dsf reader and writer (versions, damaged and lying files, page
// padding), glyph lookup, UTF-8, colour-tag parsing, measuring and word wrap. None of
// these need a GL context: fonts here are built without uploading their pages.
#include "render/font.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "tests/render/font_test_font.h"

namespace {

void PutI16(std::vector<uint8_t>& b, size_t at, int16_t v) {
    b[at] = uint8_t(v), b[at + 1] = uint8_t(uint16_t(v) >> 8);
}
void PutI32(std::vector<uint8_t>& b, size_t at, int32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(uint32_t(v) >> (8 * i));
}
void PutF32(std::vector<uint8_t>& b, size_t at, float v) {
    uint32_t u;
    std::memcpy(&u, &v, 4);
    PutI32(b, at, int32_t(u));
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_TRUE(f);
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

bool Parses(const std::vector<uint8_t>& bytes) {
    DsfFile file;
    return ReadDsf(bytes, file);
}

// Offset of the first page's width and height in the test font's file.
size_t FirstPageOffset(const DsfFile& f) { return kDsfHeaderSize + f.glyphs.size() * kDsfGlyphSize; }

struct ColorTagsOn {
    ColorTagsOn() { SetEngineSetting(SETTING_COLOR_TAGS, 1.0f); }
    ~ColorTagsOn() { SetEngineSetting(SETTING_COLOR_TAGS, 1.0f); }
};

}  // namespace

// ---- the file format ----

TEST(DsfFile, AcceptsVersionsUpTo09AndRefusesLater) {
    const std::vector<uint8_t> good = WriteDsf(TestFontFile());
    for (float version : {0.5f, 0.9f, 0.95f, 1.0f, NAN}) {
        std::vector<uint8_t> bytes = good;
        PutF32(bytes, 4, version);
        EXPECT_EQ(Parses(bytes), version <= 0.9f) << version;
    }
}

TEST(DsfFile, RefusesEveryTruncation) {
    const std::vector<uint8_t> good = WriteDsf(TestFontFile());
    ASSERT_TRUE(Parses(good));
    for (size_t n = 0; n < good.size(); ++n)
        ASSERT_FALSE(Parses(std::vector<uint8_t>(good.begin(), good.begin() + ptrdiff_t(n)))) << n << " bytes";
    std::vector<uint8_t> longer = good;
    longer.push_back(7);  // trailing bytes are harmless
    EXPECT_TRUE(Parses(longer));
}

TEST(DsfFile, RefusesLyingHeadersRecordsAndPages) {
    const DsfFile font = TestFontFile();
    const std::vector<uint8_t> good = WriteDsf(font);
    const size_t page = FirstPageOffset(font);
    struct Damage {
        const char* what;
        void (*apply)(std::vector<uint8_t>&, size_t page);
    } damages[] = {
        {"magic", [](std::vector<uint8_t>& b, size_t) { b[1] = 'x'; }},
        {"huge glyph count", [](std::vector<uint8_t>& b, size_t) { PutI32(b, 12, 0x7FFFFFFF); }},
        {"negative glyph count", [](std::vector<uint8_t>& b, size_t) { PutI32(b, 12, -1); }},
        {"glyph table past the end", [](std::vector<uint8_t>& b, size_t) { PutI32(b, 12, 1000); }},
        {"negative height", [](std::vector<uint8_t>& b, size_t) { PutI16(b, 16, -10); }},
        {"NaN scale", [](std::vector<uint8_t>& b, size_t) { PutF32(b, 20, NAN); }},
        {"infinite scale", [](std::vector<uint8_t>& b, size_t) { PutF32(b, 20, -INFINITY); }},
        {"page index past the count", [](std::vector<uint8_t>& b, size_t) { b[kDsfHeaderSize + 5 * 16 + 4] = 1; }},
        {"no pages for the glyphs", [](std::vector<uint8_t>& b, size_t) { b[8] = 0; }},
        {"negative page width", [](std::vector<uint8_t>& b, size_t p) { PutI16(b, p, -128); }},
        {"negative page height", [](std::vector<uint8_t>& b, size_t p) { PutI16(b, p + 2, -1); }},
        {"page over 65,536 texels", [](std::vector<uint8_t>& b, size_t p) { PutI16(b, p, 513), PutI16(b, p + 2, 70); }},
        {"page larger than the file", [](std::vector<uint8_t>& b, size_t p) { PutI16(b, p + 2, 128); }},
    };
    // LoadFont reads a file's index a piece at a time and its pages later: it refuses
    // them too, before anything reaches the GPU, and a missing file.
    const auto dir = std::filesystem::temp_directory_path() / ("qk_font_test_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "bad.dsf").string();
    for (const Damage& d : damages) {
        std::vector<uint8_t> bytes = good;
        d.apply(bytes, page);
        EXPECT_FALSE(Parses(bytes)) << d.what;
        WriteBytes(path, bytes);
        EXPECT_EQ(LoadFont(path.c_str()), nullptr) << d.what;
    }
    for (size_t n = 0; n < good.size(); n += 1 + n / 16) {
        WriteBytes(path, std::vector<uint8_t>(good.begin(), good.begin() + ptrdiff_t(n)));
        ASSERT_EQ(LoadFont(path.c_str()), nullptr) << n << " bytes";
    }
    EXPECT_EQ(LoadFont((dir / "absent.dsf").string().c_str()), nullptr);
    std::filesystem::remove_all(dir);
}

// LoadFont keeps the pixels in the file, yet makes the font CreateFontFromDsf makes from
// the whole file: the same glyphs, the marks' ink, the baseline and the blank space
// read from the few pages that hold them. Nothing is uploaded: no GL is needed here.
TEST(LoadFont, ReadsTheIndexAndTheMeasuredPagesOnly) {
    std::vector<uint8_t> bytes;
    {
        FILE* f = std::fopen(QK_BINARY_DIR "/zazovi_font.dsf", "rb");
        ASSERT_TRUE(f);
        uint8_t chunk[65536];
        size_t n;
        while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.insert(bytes.end(), chunk, chunk + n);
        std::fclose(f);
    }
    DsfFile file;
    ASSERT_TRUE(ReadDsf(bytes, file));
    const Font* whole = CreateFontFromDsf(file, false);
    const Font* lazy = LoadFont(QK_BINARY_DIR "/zazovi_font.dsf");
    ASSERT_NE(whole, nullptr);
    ASSERT_NE(lazy, nullptr);
    ASSERT_EQ(lazy->glyphCount, whole->glyphCount);
    ASSERT_EQ(lazy->pageCount, whole->pageCount);
    EXPECT_EQ(lazy->height, whole->height);
    EXPECT_EQ(lazy->scale, whole->scale);
    EXPECT_EQ(lazy->baseline, whole->baseline);
    EXPECT_EQ(lazy->blankSpace, whole->blankSpace);
    EXPECT_TRUE(std::equal(lazy->glyphs, lazy->glyphs + lazy->glyphCount, whole->glyphs));
    ASSERT_EQ(lazy->markInkCount, whole->markInkCount);
    EXPECT_GT(lazy->markInkCount, 100);  // the combining marks, Arabic, Hebrew and Thai
    for (int i = 0; i < whole->markInkCount; ++i) {
        const MarkInk &a = lazy->markInks[i], &b = whole->markInks[i];
        EXPECT_TRUE(a.glyph == b.glyph && a.x0 == b.x0 && a.y0 == b.y0 && a.x1 == b.x1 && a.y1 == b.y1) << i;
    }
    for (int i = 0; i < whole->pageCount; ++i) {
        EXPECT_EQ(lazy->pages[i]->width, whole->pages[i]->width) << i;
        EXPECT_EQ(lazy->pages[i]->height, whole->pages[i]->height) << i;
        EXPECT_EQ(lazy->pages[i]->name, 0u) << i;
    }
    EXPECT_EQ(FontPagesUploaded(lazy), 0);
    EXPECT_NE(lazy->pageSource, nullptr);
    EXPECT_EQ(whole->pageSource, nullptr);
}

// The loader finds ASCII in such a font by arithmetic, so a flag without the 96
// records it promises would send lookups past the glyph table.
TEST(DsfFile, RefusesTheAsciiDirectFlagWithoutItsGlyphs) {
    DsfFile font = TestFontFile();
    font.glyphs.resize(kDsfAsciiDirectCount - 1);
    EXPECT_FALSE(Parses(WriteDsf(font)));
    font.asciiDirect = 0;
    EXPECT_TRUE(Parses(WriteDsf(font)));  // the same glyphs, found by search
}

TEST(DsfFile, PadsPagesToPowersOfTwoWithTheExtraRow) {
    // A 100 x 20 page: 128 x 32 texture, 2,000 bytes of image plus an extra row of 128.
    DsfFile font;
    font.height = 10;
    font.glyphs.push_back({65, 0, 0, 0, 8, 8});
    DsfPage p;
    p.width = 100, p.height = 20, p.texWidth = 128, p.texHeight = 32;
    p.alpha.assign(128 * 32, 0);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 100; ++x) p.alpha[size_t(y) * 128 + x] = uint8_t(1 + (x + y) % 200);
    for (int x = 0; x < 128; ++x) p.alpha[20 * 128 + x] = 250;  // the extra row
    font.pages.push_back(p);
    // A 64 x 64 page has no extra row.
    DsfPage q;
    q.width = 64, q.height = 64, q.texWidth = 64, q.texHeight = 64;
    q.alpha.assign(64 * 64, 9);
    font.pages.push_back(q);

    const std::vector<uint8_t> bytes = WriteDsf(font);
    EXPECT_EQ(bytes.size(), size_t(kDsfHeaderSize + 16 + (4 + 2000 + 128) + (4 + 64 * 64)));

    DsfFile back;
    ASSERT_TRUE(ReadDsf(bytes, back));
    ASSERT_EQ(back.pages.size(), 2u);
    EXPECT_EQ(back.pages[0].texWidth, 128);
    EXPECT_EQ(back.pages[0].texHeight, 32);
    EXPECT_EQ(back.pages[0].alpha, p.alpha);  // padding columns 0, row 20 = extra row
    EXPECT_EQ(back.pages[1].alpha, q.alpha);
    EXPECT_EQ(WriteDsf(back), bytes);
}

// ---- glyph lookup ----

// ASCII is found by arithmetic in an ASCII-direct font, by search otherwise: either
// way every glyph the font holds, and nothing it lacks.
TEST(FindGlyph, FindsEveryGlyphTheFontHoldsAndNothingElse) {
    for (const bool asciiDirect : {true, false}) {
        SCOPED_TRACE(asciiDirect);
        const Font* font = CreateFontFromDsf(TestFontFile(asciiDirect), false);
        for (int i = 0; i < font->glyphCount; ++i) EXPECT_EQ(FindGlyph(font->glyphs[i].codePoint, font), i);
        for (int32_t absent : {-1, 0, 31, 199, 0x5D0, 0x10FFFF}) EXPECT_EQ(FindGlyph(absent, font), -1) << absent;
    }
    EXPECT_EQ(FindGlyph('A', nullptr), -1);
}

// ---- UTF-8 ----

TEST(Utf8, DecodesValidCutAndInvalidSequences) {
    const struct {
        const char* bytes;
        int length;
        int32_t code;
    } cases[] = {
        {"A", 1, 65},
        {"\xC3", 2, -1},  // the lead byte cut off by the terminator
        {"\xC3\xA9", 2, 0xE9},
        {"\xE2\x82\xAC", 3, 0x20AC},
        {"\xF0\x9F\x98\x80", 4, 0x1F600},
        {"\xE2\x41\x42", 3, -1},  // a broken continuation: -1, and still the expected length
        {"\xF0\x9F\x98", 4, -1},
        {"\x80", 1, -128},  // bytes that lead nothing come back sign-extended
        {"\xBF", 1, -65},
        {"\xFF", 1, -1},
    };
    for (const auto& c : cases) {
        int32_t code = 0;
        EXPECT_EQ(DecodeUtf8(c.bytes, code), c.length) << c.bytes;
        EXPECT_EQ(code, c.code) << c.bytes;
    }
}

TEST(Utf8, EncodesEveryLengthWithATerminator) {
    for (int32_t cp : {0x41, 0x7F, 0x80, 0x7FF, 0x800, 0x20AC, 0xFFFF, 0x10000, 0x10FFFF}) {
        char buffer[8];
        std::memset(buffer, 'x', sizeof buffer);
        const int n = EncodeUtf8(buffer, 1, cp);
        EXPECT_EQ(buffer[0], 'x');
        EXPECT_EQ(buffer[1 + n], 0);
        int32_t back = 0;
        EXPECT_EQ(DecodeUtf8(buffer + 1, back), n);
        EXPECT_EQ(back, cp);
    }
}

// ---- colour tags ----

TEST(ColorTags, RecognisesOnlyWellFormedTags) {
    ColorTagsOn on;
    struct Case {
        const char* text;
        int length;
    } cases[] = {
        {"<color 255,0,0>Red", 15},
        {"<color default>Plain", 15},
        {"<color 1>", 9},
        {"<color 1,22>", 12},
        {"<color 255,255,255>", 19},
        {"<color 010,0,0>", 15},
        {"<color 1234,0,0>", 0},
        {"<color 25a,0,0>", 0},
        {"<color ,0,0>", 0},
        {"<color 1,,2>", 0},
        {"<color 1,2,3,4>", 0},
        {"<color 1,2,3", 0},
        {"<color>", 0},
        {"<colour 1,2,3>", 0},
        {"<color  1>", 0},
        {"<color defaults>", 0},
        {"", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(ColorTagLength(c.text), c.length) << c.text;
    EXPECT_EQ(ColorTagLength(nullptr), 0);

    SetEngineSetting(SETTING_COLOR_TAGS, 0.0f);
    EXPECT_EQ(ColorTagLength("<color 255,0,0>"), 0);
    EXPECT_EQ(ColorTagLength("<color default>"), 0);
}

// ---- measuring and wrapping ----

TEST(MeasureText, WidestLineWithTagsTakingNoRoom) {
    ColorTagsOn on;
    const Font* font = TestFont();
    EXPECT_FLOAT_EQ(MeasureText("abc", -1, font), 3 * kTestWidth);  // widths, not advances
    EXPECT_FLOAT_EQ(MeasureText("abc", 2, font), 2 * kTestWidth);
    EXPECT_FLOAT_EQ(MeasureText("ab\nabcd\nc", -1, font), 4 * kTestWidth);
    EXPECT_FLOAT_EQ(MeasureText("<color 255,0,0>Red<color default>Plain", -1, font), 8 * kTestWidth);
    // A character the font lacks measures as the line height; so does a broken sequence.
    EXPECT_FLOAT_EQ(MeasureText("a\xD7\x90"
                                "b",
                                -1, font),
                    2 * kTestWidth + kTestHeight);
    EXPECT_FLOAT_EQ(MeasureText("\xC3", -1, font), kTestHeight);
    EXPECT_FLOAT_EQ(MeasureText("abc", -1, nullptr), 0);

    SetEngineSetting(SETTING_COLOR_TAGS, 0.0f);
    EXPECT_FLOAT_EQ(MeasureText("<color 1>", -1, font), 9 * kTestWidth);
}

TEST(FitLine, BreaksAfterTheLastBlankThatFits) {
    const Font* font = TestFont();
    int count = 11;
    float width = -1;
    int32_t codes[16];
    EXPECT_EQ(FitLine("Hello world", 8 * kTestAdvance, font, codes, count, width), 6);
    EXPECT_EQ(count, 6);
    EXPECT_FLOAT_EQ(width, 6 * kTestAdvance);
    EXPECT_EQ(codes[0], 'H' - 32);
    EXPECT_EQ(codes[5], 0);  // the blank

    count = 10;  // a word longer than the line is cut at the last character that fits
    EXPECT_EQ(FitLine("abcdefghij", 5 * kTestAdvance, font, nullptr, count, width), 5);
    EXPECT_EQ(count, 5);
    count = 5;  // exactly filling the width still fits
    EXPECT_EQ(FitLine("abcde", 5 * kTestAdvance, font, nullptr, count, width), 5);
    count = 5;  // the line feed ends the line and is consumed, but is no code
    EXPECT_EQ(FitLine("ab\ncd", 100, font, nullptr, count, width), 3);
    EXPECT_EQ(count, 2);
    count = 3;  // the available length ends the line before the terminator
    EXPECT_EQ(FitLine("abcdef", 100, font, nullptr, count, width), 3);
    count = 0;
    EXPECT_EQ(FitLine("abc", 100, font, nullptr, count, width), 0);
}

TEST(FitLine, TextWithoutCjkBreaksOnlyAfterBlanksAndItsMarks) {
    // Every mark a line may break after, at two widths; the lines are the ones text
    // without Chinese, Japanese or Korean has always had.
    const Font* font = TestFont();
    const std::string text = "Hello, world. Stay (calm) & go-on+yes 50%!";
    const struct {
        int chars;
        std::vector<std::string> lines;
    } cases[] = {
        {10, {"Hello, ", "world. ", "Stay (", "calm) & ", "go-on+yes ", "50%!"}},
        {6, {"Hello,", " ", "world.", " Stay ", "(calm)", " & go-", "on+", "yes ", "50%!"}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> lines;
        for (size_t pos = 0; pos < text.size();) {
            int count = int(text.size() - pos);
            float width;
            const int n = FitLine(text.c_str() + pos, float(c.chars * kTestAdvance), font, nullptr, count, width);
            ASSERT_GT(n, 0);
            lines.push_back(text.substr(pos, size_t(n)));
            pos += size_t(n);
        }
        EXPECT_EQ(lines, c.lines) << c.chars << " characters wide";
    }
}

TEST(FitLine, AlwaysTakesAtLeastOneCharacter) {
    const Font* font = TestFont();
    int count = 3;
    float width = 0;
    int32_t codes[4];
    EXPECT_EQ(FitLine("\xD0\x96x", 3, font, codes, count, width), 2);  // Ж in a 3-pixel line
    EXPECT_EQ(count, 1);
    EXPECT_EQ(codes[0], 97);
    EXPECT_FLOAT_EQ(width, kTestAdvance);

    // So layouts of any width finish, one character a line.
    SetFont(TestFont());
    EXPECT_EQ(TextHeight(0, 0, "abc", 0, -1), 3 * kTestHeight);
    EXPECT_EQ(TextHeight(-50, 0, "a b", 0, -1), 3 * kTestHeight);
    const TextPos end = TextEndPos(font, 0, "abc", -1);
    EXPECT_FLOAT_EQ(end.x, kTestWidth);
    EXPECT_FLOAT_EQ(end.y, 2 * kTestHeight);
}

TEST(FitLine, KeepsColourTagsWholeAsTheirBytes) {
    ColorTagsOn on;
    const Font* font = TestFont();
    const char* text = "<color 1,2,3>ab";
    int count = int(std::strlen(text));
    float width = 0;
    int32_t codes[32];
    EXPECT_EQ(FitLine(text, 100, font, codes, count, width), count);
    ASSERT_EQ(count, 13 + 2);
    EXPECT_EQ(codes[0], '<');
    EXPECT_EQ(codes[12], '>');
    EXPECT_EQ(codes[13], 'a' - 32);
    EXPECT_FLOAT_EQ(width, 2 * kTestAdvance);
}

TEST(TextLayout, HeightAndEndPositionOfWrappedText) {
    const Font* font = TestFont();
    SetFont(TestFont());
    const float eight = 8 * kTestAdvance;
    EXPECT_EQ(TextHeight(eight, 0, "Hello world", 0, -1), 2 * kTestHeight);
    EXPECT_EQ(TextHeight(eight, 0, "Hello world\n", 0, -1), 3 * kTestHeight);  // caret line
    EXPECT_EQ(TextHeight(eight, 0, "", 0, -1), 0);
    EXPECT_EQ(TextHeight(eight, 0, "a\nb\nc\nd", 15, -1), 4 * kTestHeight - 15);
    EXPECT_EQ(TextHeight(eight, 25, "a\nb\nc\nd", 0, -1), 25);
    EXPECT_EQ(TextHeight(eight, 0, "a\nb\nc\nd", -5, 3), 2 * kTestHeight);
    EXPECT_EQ(TextHeight(eight, 0, "a\nb", 100, -1), 0);
    EXPECT_EQ(TextHeightFont(nullptr, eight, 0, "abc", 0, -1), 0);
    EXPECT_EQ(GetFont(), TestFont());  // restored

    const struct {
        const char* text;
        int count;
        float x, y;
    } ends[] = {
        {"Hello world", -1, 5 * kTestWidth, kTestHeight},
        {"Hello world", 3, 3 * kTestWidth, 0},
        {"ab\n", -1, 0, kTestHeight},
        {"abc", 0, 0, 0},
    };
    for (const auto& e : ends) {
        const TextPos end = TextEndPos(font, eight, e.text, e.count);
        EXPECT_FLOAT_EQ(end.x, e.x) << e.text << " " << e.count;
        EXPECT_FLOAT_EQ(end.y, e.y) << e.text << " " << e.count;
    }
}
