// font_dsfmake_test.cpp - the font the build makes with dsfmake: a byte-exact round
// trip through the reader, the layout the loader relies on, the scripts translators
// need (Chinese, Japanese and Korean, Arabic, Hebrew and Thai merged from further
// faces, Latin and CJK untouched by them, Arabic joining on one baseline), CJK line
// breaking, what dsfmake reports, and legible pixels at scale 1.0.
#include <gtest/gtest.h>
#ifndef _WIN32
// The face's own coverage, to compare with; dsfmake and FreeType are Linux-build tools.
#include <ft2build.h>
#include FT_FREETYPE_H
#endif
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "render/draw.h"
#include "render/font.h"
#include "support/engine_fixture.h"

namespace {

const char* const kBuiltFont = QK_BINARY_DIR "/zazovi_font.dsf";
const char* const kDsfmake = QK_BINARY_DIR "/tools/dsfmake/dsfmake";
const char* const kDejaVu = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
const char* const kCjkFace = "/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc";
constexpr int kCjkFaceIndex = 2;  // WenQuanYi Zen Hei Sharp, the face with bitmap strikes

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Runs a command and returns its standard output and exit status.
std::string RunCommand(const std::string& command, int& status) {
    std::string out;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return out;
    char buffer[512];
    while (fgets(buffer, sizeof buffer, pipe)) out += buffer;
    status = pclose(pipe);
    return out;
}

// The coverage bytes of a glyph's cell, row by row.
[[maybe_unused]] std::vector<uint8_t> CellPixels(const DsfFile& file, const Glyph& g) {
    std::vector<uint8_t> cell;
    const DsfPage& page = file.pages[g.page];
    for (int y = 0; y < file.height; ++y)
        for (int x = 0; x < g.width; ++x) cell.push_back(page.alpha[size_t(g.v + y) * page.texWidth + g.u + x]);
    return cell;
}

[[maybe_unused]] const Glyph* FindRecord(const DsfFile& file, int32_t c) {
    for (const Glyph& g : file.glyphs)
        if (g.codePoint == c) return &g;
    return nullptr;
}

// The row of a cell's column with the most ink, -1 for a blank column.
int StrongestRow(const DsfFile& file, const Glyph& g, int x) {
    const DsfPage& page = file.pages[g.page];
    int row = -1, most = 0;
    for (int y = 0; y < file.height; ++y)
        if (const int a = page.alpha[size_t(g.v + y) * page.texWidth + g.u + x]; a > most) most = a, row = y;
    return row;
}

// The lowest row of a cell where some pixel is mostly covered, -1 if none is.
int LowestStrongRow(const DsfFile& file, const Glyph& g) {
    const DsfPage& page = file.pages[g.page];
    for (int y = file.height - 1; y >= 0; --y)
        for (int x = 0; x < g.width; ++x)
            if (page.alpha[size_t(g.v + y) * page.texWidth + g.u + x] > 127) return y;
    return -1;
}

DsfFile ReadBuiltFont() {
    DsfFile file;
    EXPECT_TRUE(ReadDsf(ReadBytes(kBuiltFont), file)) << kBuiltFont;
    return file;
}

// The lines FitLine makes of text at a width, and the pen travel of each.
std::vector<std::string> WrapLines(const std::string& text, float width, const Font* font, std::vector<float>& travel) {
    std::vector<std::string> lines;
    for (size_t pos = 0; pos < text.size();) {
        int count = int(text.size() - pos);
        float lineWidth;
        const int n = FitLine(text.c_str() + pos, width, font, nullptr, count, lineWidth);
        if (n <= 0) break;
        lines.push_back(text.substr(pos, size_t(n)));
        travel.push_back(lineWidth);
        pos += size_t(n);
    }
    return lines;
}

std::string FirstCharacter(const std::string& s) {
    size_t n = 1;
    while (n < s.size() && (uint8_t(s[n]) & 0xC0) == 0x80) ++n;
    return s.substr(0, n);
}

std::string LastCharacter(const std::string& s) {
    size_t at = s.size();
    while (at > 0 && (uint8_t(s[--at]) & 0xC0) == 0x80) {
    }
    return s.substr(at);
}

}  // namespace

TEST(BuiltFont, RoundTripsAndFindsEveryCodePointItHolds) {
    const std::vector<uint8_t> bytes = ReadBytes(kBuiltFont);
    ASSERT_FALSE(bytes.empty()) << kBuiltFont << " is missing: build the zazovi_font target";
    DsfFile file;
    ASSERT_TRUE(ReadDsf(bytes, file));
    EXPECT_EQ(WriteDsf(file), bytes);  // nothing in the file that the reader drops

    EXPECT_GE(file.height, 14);  // fits the main screen's 20-pixel rows
    EXPECT_LE(file.height, 16);
    EXPECT_EQ(file.scale, 1.0f);
    ASSERT_TRUE(file.asciiDirect);
    ASSERT_GT(file.glyphs.size(), 96u);
    for (int i = 0; i < 96; ++i) EXPECT_EQ(file.glyphs[size_t(i)].codePoint, 32 + i);
    for (size_t i = 97; i < file.glyphs.size(); ++i)
        EXPECT_LT(file.glyphs[i - 1].codePoint, file.glyphs[i].codePoint) << i;
    for (const DsfPage& page : file.pages) EXPECT_LE(page.texWidth * page.texHeight, kDsfMaxPageTexels);

    const Font* font = CreateFontFromDsf(file, false);
    ASSERT_NE(font, nullptr);
    for (int32_t i = 0; i < font->glyphCount; ++i) EXPECT_EQ(FindGlyph(font->glyphs[i].codePoint, font), i);

    // What European translations use never shows the missing-glyph mark.
    std::vector<std::pair<int32_t, int32_t>> needed = {
        {0x20, 0x7E},     {0xA0, 0xFF},     {0x100, 0x17F},   {0x180, 0x24F},   {0x391, 0x3A1},
        {0x3A3, 0x3A9},   {0x3B1, 0x3C9},   {0x384, 0x38A},   {0x400, 0x45F},   {0x490, 0x491},
        {0x2013, 0x2014}, {0x2018, 0x201E}, {0x2026, 0x2026}, {0x2039, 0x203A}, {0x20AC, 0x20AC},
        {0x2122, 0x2122}, {0x2116, 0x2116}, {0x2022, 0x2022}, {0x202F, 0x202F},
    };
    // Nor do Arabic, Persian and Urdu with every form joined letters are drawn with
    // (lam-alef included), Hebrew with its points, Thai, or the combining marks.
    needed.insert(needed.end(),
                  {{0x300, 0x36F},   {0x5B0, 0x5C7}, {0x5D0, 0x5EA}, {0x60C, 0x60C}, {0x61B, 0x61B},   {0x61F, 0x652},
                   {0x660, 0x669},   {0x679, 0x679}, {0x67E, 0x67E}, {0x686, 0x686}, {0x688, 0x688},   {0x691, 0x691},
                   {0x698, 0x698},   {0x6A9, 0x6A9}, {0x6AF, 0x6AF}, {0x6BA, 0x6BA}, {0x6BE, 0x6BE},   {0x6C0, 0x6C1},
                   {0x6CC, 0x6CC},   {0x6D2, 0x6D2}, {0x6D4, 0x6D4}, {0x6F0, 0x6F9}, {0xFB50, 0xFBB1}, {0xFBFC, 0xFBFF},
                   {0xFE80, 0xFEFC}, {0xE01, 0xE3A}, {0xE3F, 0xE5B}});
    for (auto [first, last] : needed)
        for (int32_t c = first; c <= last; ++c) EXPECT_GE(FindGlyph(c, font), 0) << std::hex << "U+" << c;
}

TEST(BuiltFont, HoldsEveryCjkCodePointTheFaceHasWithLatinAndCjkUntouchedByTheOtherFaces) {
#ifdef _WIN32
    GTEST_SKIP() << "dsfmake and FreeType are tools of the Linux build";
#else
    const DsfFile file = ReadBuiltFont();
    EXPECT_LE(file.pages.size(), 255u);
    const Font* font = CreateFontFromDsf(file, false);
    ASSERT_NE(font, nullptr);

    FT_Library library;
    ASSERT_EQ(FT_Init_FreeType(&library), 0);
    FT_Face face;
    ASSERT_EQ(FT_New_Face(library, kCjkFace, kCjkFaceIndex, &face), 0) << kCjkFace << " is missing";
    const std::pair<int32_t, int32_t> ranges[] = {
        {0x3000, 0x303F}, {0x3040, 0x309F}, {0x30A0, 0x30FF}, {0x31F0, 0x31FF}, {0x3130, 0x318F},
        {0x4E00, 0x9FFF}, {0xAC00, 0xD7A3}, {0xF900, 0xFAFF}, {0xFF00, 0xFFEF},
    };
    int held = 0, lacking = 0;
    for (auto [first, last] : ranges)
        for (int32_t c = first; c <= last; ++c) {
            if (FT_Get_Char_Index(face, FT_ULong(c)) == 0) continue;
            ++held;
            if (FindGlyph(c, font) < 0 && ++lacking <= 10) ADD_FAILURE() << std::hex << "U+" << c << " is missing";
        }
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    EXPECT_EQ(lacking, 0);
    EXPECT_GT(held, 30000);  // the face really covers the scripts; a wrong face index would not

    // Latin, Greek, Cyrillic and CJK glyphs are DejaVu's and the CJK face's, pixel for
    // pixel, as in a font made from those two faces alone: merging the faces of the
    // other scripts moved nothing of theirs, nor changed the line they sit in.
    const auto dir = std::filesystem::temp_directory_path() / ("qk_dejavu_only_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string alone = (dir / "reference.dsf").string();
    int status = -1;
    const std::string report =
        RunCommand(std::string(kDsfmake) + " " + alone + " 12 " + kDejaVu +
                       ":0x20-0x7E,0xA0-0x17F,0x391-0x3C9,0x410-0x44F,0x2026 " + kCjkFace + "#" +
                       std::to_string(kCjkFaceIndex) + ":0x3001,0x30A2,0x6587,0x9F8D,0xAC00,0xD55C,0xFF21",
                   status);
    ASSERT_EQ(status, 0) << report;
    DsfFile reference;
    ASSERT_TRUE(ReadDsf(ReadBytes(alone), reference));
    std::filesystem::remove_all(dir);
    EXPECT_EQ(reference.height, file.height);
    for (int32_t c : {int32_t('A'), int32_t('g'), int32_t('W'), int32_t('1'), 0xC4, 0xE9, 0x3A9, 0x3B2, 0x416, 0x44F,
                      0x2026, 0x3001, 0x30A2, 0x6587, 0x9F8D, 0xAC00, 0xD55C, 0xFF21}) {
        const Glyph* merged = FindRecord(file, c);
        const Glyph* own = FindRecord(reference, c);
        ASSERT_TRUE(merged && own) << std::hex << "U+" << c;
        EXPECT_EQ(merged->advance, own->advance) << std::hex << "U+" << c;
        ASSERT_EQ(merged->width, own->width) << std::hex << "U+" << c;
        EXPECT_EQ(CellPixels(file, *merged), CellPixels(reference, *own)) << std::hex << "U+" << c;
    }
    // And an ideograph has ink that sits wholly inside the line.
    const Glyph* ideograph = FindRecord(file, 0x6587);  // 文
    ASSERT_NE(ideograph, nullptr);
    const std::vector<uint8_t> cell = CellPixels(file, *ideograph);
    int inked = 0;
    for (uint8_t a : cell) inked += a > 127;
    EXPECT_GT(inked, 15);
    EXPECT_GE(ideograph->advance, 11);
#endif
}

// Hebrew and Thai come from faces at 13 px and Arabic partly from a fallback face, all
// in DejaVu's 12-pixel line: their letters stand on the Latin baseline, and Arabic
// letters in their joining forms meet their neighbours there, whichever face drew them.
TEST(BuiltFont, LettersOfEveryScriptStandOnOneBaselineAndArabicFormsJoinOnIt) {
    const DsfFile file = ReadBuiltFont();
    const Glyph* latin = FindRecord(file, 'H');
    ASSERT_NE(latin, nullptr);
    const int baseline = LowestStrongRow(file, *latin);
    // א ב מ ש, ก น ส า: letters without descenders.
    for (int32_t c : {0x5D0, 0x5D1, 0x5DE, 0x5E9, 0xE01, 0xE19, 0xE2A, 0xE32}) {
        const Glyph* g = FindRecord(file, c);
        ASSERT_NE(g, nullptr) << std::hex << "U+" << c;
        EXPECT_EQ(LowestStrongRow(file, *g), baseline) << std::hex << "U+" << c;
    }
    // Medial forms join on both sides, through the first and last columns of the cell:
    // beh, seen, lam, peh, keheh, gaf and Farsi yeh from DejaVu, heh goal (Urdu) from Noto.
    for (int32_t c : {0xFE92, 0xFEB4, 0xFEE0, 0xFB59, 0xFB91, 0xFB95, 0xFBFF, 0xFBA9}) {
        const Glyph* g = FindRecord(file, c);
        ASSERT_NE(g, nullptr) << std::hex << "U+" << c;
        EXPECT_EQ(StrongestRow(file, *g, 0), baseline) << std::hex << "U+" << c;
        EXPECT_EQ(StrongestRow(file, *g, g->width - 1), baseline) << std::hex << "U+" << c;
    }
}

TEST(BuiltFont, CjkTextWrapsBetweenCharactersKeepingMarksWithTheirNeighbours) {
    const DsfFile file = ReadBuiltFont();
    const Font* font = CreateFontFromDsf(file, false);
    ASSERT_NE(font, nullptr);
    const float em = CharWidthFont(0x6587, font);
    const std::vector<std::string> closing = {"、", "。", "，", "．", "！", "？", "）", "」",
                                              "』", "】", "〉", "》", "っ", "ゃ", "ョ", "ー"};
    const std::vector<std::string> opening = {"（", "「", "『", "【", "〈", "《"};
    const std::string texts[] = {
        "宿屋の主人：落盤以来、鉱山には幽霊が出るって噂さ。降りていった者は誰一人戻ってこなかった。"
        "「錆びた鍵」を手に入れた。扉には鍵がかかっている。近くに鍵があるかもしれない。",
        "旅店老板：听说自从塌方以后，矿井里就开始闹鬼了。（下去的人）没有一个回来过！《失踪的商队》。",
        "ジャンプ、ダッシュ、チョッキ。ちょっと待って！『ショップ』へ。",
        "Press <color 255,200,0>スペース<color default> key to jump（ジャンプ）。",
    };
    for (const std::string& text : texts)
        for (int chars = 3; chars <= 16; ++chars) {
            const float width = em * float(chars);
            std::vector<float> travel;
            const std::vector<std::string> lines = WrapLines(text, width, font, travel);
            std::string joined;
            for (size_t i = 0; i < lines.size(); ++i) {
                const std::string& line = lines[i];
                joined += line;
                const std::string where =
                    "at " + std::to_string(chars) + " em, line " + std::to_string(i) + ": " + line;
                EXPECT_LE(travel[i], width) << where;
                if (i > 0) {
                    for (const std::string& mark : closing) EXPECT_NE(FirstCharacter(line), mark) << where;
                }
                if (i + 1 < lines.size()) {
                    for (const std::string& mark : opening) EXPECT_NE(LastCharacter(line), mark) << where;
                    // Broken between characters, not at the first chance: at most three
                    // characters move down with a mark they must not be parted from.
                    EXPECT_LE(width - travel[i], 3 * em) << where;
                }
            }
            EXPECT_EQ(joined, text);
        }
}

TEST(Dsfmake, WritesWhatItReportsAndNamesWhatIsMissing) {
#ifdef _WIN32
    GTEST_SKIP() << "dsfmake is a tool of the Linux build";
#endif
    const auto dir = std::filesystem::temp_directory_path() / ("qk_dsfmake_test_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string out = (dir / "small.dsf").string();
    int status = -1;
    // CJK ideographs are not in DejaVu Sans.
    const std::string report =
        RunCommand(std::string(kDsfmake) + " " + kDejaVu + " 10 " + out + " 0x20-0x7E,U+416 0x4E00", status);
    EXPECT_EQ(status, 0) << report;
    EXPECT_NE(report.find("97 glyphs on 1 pages"), std::string::npos) << report;
    EXPECT_NE(report.find("missing: 1 code points U+4E00"), std::string::npos) << report;

    DsfFile file;
    ASSERT_TRUE(ReadDsf(ReadBytes(out), file));
    ASSERT_EQ(file.glyphs.size(), 97u);
    EXPECT_EQ(file.glyphs[96].codePoint, 0x416);
    EXPECT_EQ(file.height, 13);
    // At 10 px the page is not a power of two high, so the file carries its extra row
    // (the reader refuses a file without it).
    ASSERT_EQ(file.pages.size(), 1u);
    EXPECT_NE(file.pages[0].height, file.pages[0].texHeight);

    RunCommand(std::string(kDsfmake) + " " + kDejaVu + " 12 " + out + " 0x20-zz", status);
    EXPECT_NE(status, 0);
    std::string said =
        RunCommand(std::string(kDsfmake) + " " + (dir / "none.ttf").string() + " 12 " + out + " 65", status);
    EXPECT_NE(status, 0);
    EXPECT_NE(said.find("none.ttf: No such file or directory"), std::string::npos) << said;
    // A file that is there but is no font: FreeType's own reason.
    std::ofstream(dir / "text.ttf") << "not a font";
    said = RunCommand(
        std::string(kDsfmake) + " " + out + " 12 " + kDejaVu + ":0x41 " + (dir / "text.ttf").string() + "#1:0x4E00",
        status);
    EXPECT_NE(status, 0);
    EXPECT_NE(said.find("text.ttf (face 1): "), std::string::npos) << said;

    // Merged faces: a code point comes from the first face that lists it and has it,
    // and one that no face has is reported.
    const std::string merged = (dir / "merged.dsf").string();
    said = RunCommand(
        std::string(kDsfmake) + " " + merged + " 12 " + kDejaVu + ":0x20-0x7E " + kCjkFace + "#2:0x41,0x4E00,0xE000",
        status);
    EXPECT_EQ(status, 0) << said;
    EXPECT_NE(said.find("97 glyphs on 1 pages"), std::string::npos) << said;
    EXPECT_NE(said.find("missing: 1 code points U+E000"), std::string::npos) << said;
    std::filesystem::remove_all(dir);
}

TEST(BuiltFont, DrawsCrispTextAtScaleOne) {
    EnsureTestEngine();
    Font* font = LoadFont(kBuiltFont);
    ASSERT_NE(font, nullptr);
    font->scale = 1.0f;
    Font* previous = SetFont(font);
    ClearScreen();
    SetColor(MakeColor(255, 255, 255));
    const int travel = DrawText(100, 200, "Hello, Ïñtérnätiønàl Ελληνικά Кириллица €…", ALIGN_LEFT);
    SetFont(previous);
    EXPECT_GT(travel, 200);
    EXPECT_LT(travel, 400);

    int lit = 0, strong = 0, outside = 0;
    for (int y = 195; y < 220; ++y)
        for (int x = 95; x < 100 + travel + 5; ++x) {
            const Rgb p = ReadPixel(x, y);
            const bool inside = y >= 200 && y < 200 + font->height && x >= 100 && x < 100 + travel + 2;
            if (p.r > 0 && !inside) ++outside;
            lit += p.r > 0;
            strong += p.r >= 224;
        }
    EXPECT_EQ(outside, 0);
    EXPECT_GT(lit, 300);
    // Hinted stems cover whole pixels: crisp, not smeared over two half-lit ones.
    EXPECT_GT(strong * 5, lit) << strong << " of " << lit;
}
