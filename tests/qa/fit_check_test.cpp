// fit_check_test.cpp - does a text fit the game (editor/fit): the settings' [font], [width],
// [lines] and per-item sections, bad lines refused with their line, per-item values over
// per-file ones, and the width, lines and glyph checks in a font made in memory (cells 7
// pixels wide, an advance of 8, lines 10 high): tags take no room, line breaks count,
// wrapping as the engine wraps, "112/80 px, 2/1 lines" in the messages, glyphs only
// against a game font, and the cells the preview marks.
#include "editor/fit/fit_check.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/render/font_test_font.h"

namespace {

const Font* Face() {
    static const measure::MeasureFont font(TestFontFile());
    return font.font();
}

using Messages = std::vector<std::string>;

Messages Problems(std::string_view text, fit::Room room, bool gameFont = false, Messages* checks = nullptr) {
    Messages out;
    for (const qa::Finding& f : fit::Findings(fit::LayOut(Face(), text, room, gameFont), room, gameFont)) {
        EXPECT_EQ(f.severity, qa::Severity::Error);
        if (checks) checks->push_back(f.check);
        out.push_back(f.message);
    }
    return out;
}

constexpr const char* kRoomSettings =
    "[font]\n"
    "menu = Fonts/menu.dsf\n"
    "[width]\n"
    "menu = 180\n"
    "game = 300\n"
    "[lines]\n"
    "menu = 1\n"
    "game = 3\n"
    "[width.game]\n"
    "12 = 320\n"
    "[lines.game]\n"
    "12 = 4\n"
    "[lines.keyboard]\n"
    "0 = 2\n";

}  // namespace

TEST(FitSettings, ItemValuesOverFileValues) {
    qa::ProjectSettings settings;
    ASSERT_EQ(qa::ParseProjectSettings(kRoomSettings, settings), Messages{});
    EXPECT_EQ(settings.fonts.at("menu"), "Fonts/menu.dsf");
    const auto room = [&](const char* file, int item) {
        const fit::Room r = fit::RoomOf(settings, file, item);
        return std::make_pair(r.width, r.lines);
    };
    EXPECT_EQ(room("game", 12), std::make_pair(320, 4));
    EXPECT_EQ(room("game", 11), std::make_pair(300, 3));
    EXPECT_EQ(room("menu", 12), std::make_pair(180, 1));
    EXPECT_EQ(room("keyboard", 0), std::make_pair(0, 2));  // an item's own value without a file's
    EXPECT_EQ(room("keyboard", 1), std::make_pair(0, 0));
    EXPECT_TRUE(fit::FileIsMeasured(settings, "keyboard"));
    EXPECT_FALSE(fit::FileIsMeasured(settings, "tutorial01"));
    EXPECT_EQ(fit::FontPath(settings, "/games/quarnel", "menu"), "/games/quarnel/Fonts/menu.dsf");
    EXPECT_EQ(fit::FontPath(settings, "/games/quarnel", "game"), "");
}

TEST(FitSettings, BadLinesAndUnknownNamesAreRefusedWithTheirLine) {
    const struct {
        const char* text;
        Messages errors;
    } cases[] = {
        {"[width]\nmenu = wide\n",
         {"zazovi-project.ini line 2: the width of 'menu' must be a whole number from 1 to 32767, not 'wide'"}},
        {"[lines]\nmenu = 0\n",
         {"zazovi-project.ini line 2: the line count of 'menu' must be a whole number from 1 to 32767, not '0'"}},
        {"[width.game]\ntwelve = 320\n",
         {"zazovi-project.ini line 2: [width.game] takes item indices (0, 1, 2 ...) of game, not 'twelve'"}},
        {"[width.game]\n012 = 320\n",
         {"zazovi-project.ini line 2: [width.game] takes item indices (0, 1, 2 ...) of game, not '012'"}},
        {"[lines.game]\n12 = -4\n",
         {"zazovi-project.ini line 2: the line count of item 12 of 'game' must be a whole number from 1 to 32767, "
          "not '-4'"}},
        {"[width.game]\n12 = 320\n12 = 330\n",
         {"zazovi-project.ini line 3: '12' is given a second time in [width.game] (first on line 2)"}},
        {"[font]\nmenu =\n",
         {"zazovi-project.ini line 2: the font of 'menu' must be the path of a .dsf file, relative to the project or "
          "whole"}},
        {"[width.]\n1 = 2\n",
         {"zazovi-project.ini line 2: '1' is in the unknown section [width.]; the sections are [length], [font], "
          "[width], [lines], [width.FILE], [lines.FILE], [dictionary], [dictionaries] and [languages]"}},
    };
    for (const auto& c : cases) {
        qa::ProjectSettings settings;
        EXPECT_EQ(qa::ParseProjectSettings(c.text, settings), c.errors) << c.text;
        EXPECT_TRUE(settings.widthLimits.empty() && settings.lineLimits.empty() && settings.fonts.empty());
    }

    qa::ProjectSettings settings;
    ASSERT_EQ(qa::ParseProjectSettings("[font]\nmneu = a.dsf\n[width]\ngame = 300\nmneu = 3\n[lines]\nmneu = 1\n"
                                       "[width.gmae]\n3 = 1\n4 = 2\n[lines.game]\n40 = 2\n",
                                       settings),
              Messages{});
    EXPECT_EQ(qa::UnknownSettingNames(settings, {"menu", "game"}, {}),
              (Messages{"zazovi-project.ini line 2: [font] names 'mneu', which is not a file of the project",
                        "zazovi-project.ini line 5: [width] names 'mneu', which is not a file of the project",
                        "zazovi-project.ini line 7: [lines] names 'mneu', which is not a file of the project",
                        "zazovi-project.ini line 9: [width.gmae] names 'gmae', which is not a file of the project"}));
    EXPECT_EQ(fit::UnknownItems(settings, {{"menu", 5}, {"game", 40}}),
              Messages{"zazovi-project.ini line 12: [lines.game] names item 40, but game.loc has 40 items"});
    EXPECT_EQ(fit::UnknownItems(settings, {{"game", 41}}), Messages{});
}

// The font's cells are 7 pixels wide and its pen moves 8: n characters take 8n pixels
// (the pen's travel passes the last cell), and wrap by 8 each.
TEST(FitCheck, WidthAndLinesAsTheEngineLaysTheTextOut) {
    // A width alone: one line per line break, each as wide as the pixels it takes.
    EXPECT_EQ(Problems("abcdefghij", {80, 0}), Messages{});
    EXPECT_EQ(Problems("abcdefghijk", {80, 0}), Messages{"Width: 88/80 px"});
    EXPECT_EQ(Problems("<color 255,0,0>abcdefghij<color default>", {80, 0}), Messages{}) << "tags take no room";
    EXPECT_EQ(Problems("abcde\nabcdefghijk", {80, 0}), Messages{"Width: 88/80 px"});
    EXPECT_EQ(Problems("abcdefghij\nabcde", {80, 0}), Messages{});
    // A line count too: wrapped at the width (ten advances), as a text box wraps.
    Messages checks;
    EXPECT_EQ(Problems("aaaa bbbb cccc", {80, 1}, false, &checks), Messages{"Lines: 112/80 px, 2/1 lines"});
    EXPECT_EQ(checks, Messages{"lines"});
    EXPECT_EQ(Problems("aaaa bbbb cccc", {80, 2}), Messages{});
    EXPECT_EQ(Problems("aaaa\nbbbb cccc", {80, 2}), Messages{});
    EXPECT_EQ(Problems("aaaa\n\nbbbb", {80, 2}), Messages{"Lines: 32/80 px, 3/2 lines"}) << "an empty line counts";
    EXPECT_EQ(Problems("aaaa\n", {80, 1}), Messages{}) << "a line break at the end opens no line of text";
    // A word wider than the box is cut by the engine: a width problem.
    checks.clear();
    EXPECT_EQ(Problems("abcdefghijkl", {40, 3}, false, &checks),
              Messages{"Width: 96/40 px, 3/3 lines; a word is wider than the box and is cut"});
    EXPECT_EQ(checks, Messages{"width"});
    // A line count alone: the line breaks.
    EXPECT_EQ(Problems("a\nb\nc", {0, 2}), Messages{"Lines: 3/2 lines"});
    EXPECT_EQ(Problems("a\nb", {0, 2}), Messages{});
    // The game reads a text up to its first NUL.
    EXPECT_EQ(Problems(std::string("abc\0defghijklmn", 15), {24, 0}), Messages{});
}

TEST(FitCheck, GlyphsTheGamesFontLacks) {
    Messages checks;
    EXPECT_EQ(Problems("aŋb", {}, true, &checks),
              Messages{"Glyphs: the game's font has no glyph for \u201C\xC5\x8B\u201D (U+014B)"});
    EXPECT_EQ(checks, Messages{"glyphs"});
    EXPECT_EQ(Problems("aŋb", {}, false), Messages{}) << "the editor's font standing in checks no glyph";
    EXPECT_EQ(Problems("Ж€È <color 1,2,3>ok", {}, true), Messages{});
    // The forms drawn, in reading order: joined Arabic letters, each once, a few named and
    // the rest counted.
    EXPECT_EQ(Problems("بيت", {}, true),
              Messages{"Glyphs: the game's font has no glyph for \u201C\uFE91\u201D (U+FE91), \u201C\uFEF4\u201D "
                       "(U+FEF4) and \u201C\uFE96\u201D (U+FE96)"});
    EXPECT_EQ(Problems("一二三四五六七一", {}, true),
              Messages{"Glyphs: the game's font has no glyph for \u201C一\u201D (U+4E00), \u201C二\u201D (U+4E8C), "
                       "\u201C三\u201D (U+4E09), \u201C四\u201D (U+56DB), \u201C五\u201D (U+4E94) and 2 more"});
    // A missing glyph takes a square as high as the line, as the engine draws its X.
    EXPECT_EQ(Problems("abcdefghi\xC5\x8B", {81, 0}, true).front(), "Width: 82/81 px");
}

// What the preview marks: past the width, from the side the line starts on; the lines
// past the count whole; the rest of a cut word; missing glyphs.
TEST(FitCheck, PreviewCellsMarkWhatDoesNotFit) {
    const auto layOut = [](std::string_view text, fit::Room room) {
        return fit::PreviewLines(Face(), text, fit::LayOut(Face(), text, room, true), room);
    };
    std::vector<fit::PreviewLine> lines = layOut("abcdefghijk", {80, 0});
    ASSERT_EQ(lines.size(), 1u);
    ASSERT_EQ(lines[0].cells.size(), 11u);
    for (size_t i = 0; i < 11; ++i) EXPECT_EQ(lines[0].cells[i].overflow, i == 10) << i;
    EXPECT_FLOAT_EQ(lines[0].cells[10].x0, 10 * kTestAdvance);
    EXPECT_EQ(lines[0].overflowFrom, 10u);
    EXPECT_EQ(lines[0].overflowTo, 11u);

    lines = layOut("aaaa bbbb cccc", {80, 1});
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_FALSE(lines[0].overflow);
    EXPECT_TRUE(lines[1].overflow);
    EXPECT_EQ(lines[1].overflowFrom, 10u);
    EXPECT_EQ(lines[1].overflowTo, 14u);

    lines = layOut("abcdefgh ij", {40, 3});  // "abcde" | "fgh " | "ij": the cut word's rest
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1].overflowFrom, 5u);
    EXPECT_EQ(lines[1].overflowTo, 8u);
    EXPECT_EQ(lines[2].overflowFrom, lines[2].end);

    lines = layOut("aŋb", {70, 0});
    ASSERT_EQ(lines[0].cells.size(), 3u);
    EXPECT_TRUE(lines[0].cells[1].missing);
    EXPECT_FLOAT_EQ(lines[0].cells[1].x1 - lines[0].cells[1].x0, kTestHeight);
}
