// font_dsfmake_test.cpp - the font the build makes with dsfmake: a byte-exact round
// trip through the reader, the layout the loader relies on, the scripts translators
// need, what dsfmake reports, and legible pixels at scale 1.0.
#include <gtest/gtest.h>
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
    for (auto [first, last] : needed)
        for (int32_t c = first; c <= last; ++c) EXPECT_GE(FindGlyph(c, font), 0) << std::hex << "U+" << c;
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
    RunCommand(std::string(kDsfmake) + " " + (dir / "none.ttf").string() + " 12 " + out + " 65", status);
    EXPECT_NE(status, 0);
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
