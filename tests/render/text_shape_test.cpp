// text_shape_test.cpp - display order of mixed-direction lines, the paragraph's direction,
// Arabic joined forms, placeholders and colour tags inside right-to-left text, marks,
// and Thai word breaks. Expected orders follow the Unicode bidi rules worked by hand.
#include "render/text_shape.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using shape::Cluster;
using shape::Direction;

constexpr Direction kLtr = Direction::LeftToRight, kRtl = Direction::RightToLeft;

// The line's bytes of each cluster in visual order, joined by '|': "م|لا|س| |B".
std::string Pieces(std::string_view line, const std::vector<Cluster>& clusters) {
    std::string joined;
    for (const Cluster& c : clusters) {
        if (!joined.empty()) joined += '|';
        joined += line.substr(c.byteBegin, c.byteEnd - c.byteBegin);
    }
    return joined;
}

std::vector<int32_t> Glyphs(const std::vector<Cluster>& clusters) {
    std::vector<int32_t> glyphs;
    for (const Cluster& c : clusters) glyphs.push_back(c.glyph);
    return glyphs;
}

// An Arabic sentence with a coloured Arabic word, a Latin word and a number: runs of
// the other direction stay in reading order inside, and each character keeps the colour
// it has in logical order.
TEST(TextShape, ReordersMixedLinesAndKeepsColours) {
    const std::string line = "مرحبا <color 255,0,0>عالم<color default> Bob 123 سلام";
    const auto clusters = shape::VisualLine(line, kRtl);
    // "Bob 123" is one left-to-right run (the digits follow the Latin letter before them),
    // the spaces around it are the paragraph's; the lam-alef of سلام is one ligature.
    EXPECT_EQ(Pieces(line, clusters), "م|لا|س| |B|o|b| |1|2|3| |م|ل|ا|ع| |ا|ب|ح|ر|م");
    const int32_t red = int32_t(line.find("<color 255")), plain = int32_t(line.find("<color default"));
    for (const Cluster& c : clusters) {
        const std::string_view piece = std::string_view(line).substr(c.byteBegin, c.byteEnd - c.byteBegin);
        const bool latin = piece.size() == 1 && piece != " ";
        EXPECT_EQ(c.rightToLeft, !latin && !(piece == " " && c.byteBegin == line.find(" 123"))) << piece;
        const int32_t colour = c.byteBegin < uint32_t(red) ? -1 : c.byteBegin < uint32_t(plain) ? red : plain;
        EXPECT_EQ(c.colorTag, colour) << piece;
    }

    // Under a left-to-right base only the Hebrew word turns; brackets in right-to-left
    // text are drawn mirrored, so "(שלום)" still shows its opening bracket on the right.
    const std::string mixed = "Open שלום now";
    EXPECT_EQ(Pieces(mixed, shape::VisualLine(mixed, kLtr)), "O|p|e|n| |ם|ו|ל|ש| |n|o|w");
    EXPECT_EQ(Glyphs(shape::VisualLine("(שלום)", kRtl)),
              (std::vector<int32_t>{'(', 0x05DD, 0x05D5, 0x05DC, 0x05E9, ')'}));
}

TEST(TextShape, ParagraphDirectionFromFirstStrongCharacter) {
    EXPECT_EQ(shape::ParagraphDirection("Hello مرحبا"), kLtr);
    EXPECT_EQ(shape::ParagraphDirection("مرحبا Hello"), kRtl);
    EXPECT_EQ(shape::ParagraphDirection("  (42) ... שלום"), kRtl);  // digits and punctuation are not strong
    // The letters of a tag or a placeholder are not the text's.
    EXPECT_EQ(shape::ParagraphDirection("<color 255,0,0>שלום"), kRtl);
    EXPECT_EQ(shape::ParagraphDirection("{name}: %1$s مرحبا"), kRtl);
    EXPECT_EQ(shape::ParagraphDirection("\u2067Hello\u2069 שלום"), kRtl);  // an isolate's inside is skipped
    EXPECT_EQ(shape::ParagraphDirection("123\nשלום"), kLtr);               // the paragraph ends at the line feed
    EXPECT_EQ(shape::ParagraphDirection(""), kLtr);
}

// Presentation forms, in visual order (right to left: the last letter first).
TEST(TextShape, JoinsArabicLetters) {
    const auto glyphs = [](std::string_view word) { return Glyphs(shape::VisualLine(word, kRtl)); };
    using G = std::vector<int32_t>;
    EXPECT_EQ(glyphs("بيت"), (G{0xFE96, 0xFEF4, 0xFE91}));   // final, medial, initial
    EXPECT_EQ(glyphs("دار"), (G{0xFEAD, 0xFE8D, 0xFEA9}));   // dal and alef join nothing after them
    EXPECT_EQ(glyphs("سلام"), (G{0xFEE1, 0xFEFC, 0xFEB3}));  // lam-alef final after an initial seen
    EXPECT_EQ(glyphs("لا"), (G{0xFEFB}));                    // lam-alef alone
    EXPECT_EQ(glyphs("پدر"), (G{0xFEAD, 0xFEAA, 0xFB58}));   // Persian peh from the FB50 block
    // Persian "می‌شود": the zero-width non-joiner ends the join and takes no room.
    EXPECT_EQ(glyphs("\u0645\u06CC\u200C\u0634\u0648\u062F"), (G{0xFEA9, 0xFEEE, 0xFEB7, 0xFBFD, 0xFEE3}));
    // A colour tag inside a word does not break the join.
    EXPECT_EQ(glyphs("ب<color 255,0,0>ت"), (G{0xFE96, 0xFE91}));
}

TEST(TextShape, PlaceholdersAndShownTagsStayLeftToRightUnits) {
    const std::string line = "مرحبا %s، لديك {0} رسائل";
    const auto clusters = shape::VisualLine(line, kRtl);
    EXPECT_EQ(Pieces(line, clusters), "ل|ئ|ا|س|ر| |{|0|}| |ك|ي|د|ل| |،|%|s| |ا|ب|ح|ر|م");
    for (const Cluster& c : clusters)
        EXPECT_EQ(c.rightToLeft, std::string_view("%s{0}").find(line[c.byteBegin]) == std::string_view::npos);

    const std::string positional = "العدد %1$-3d من %2$s";
    EXPECT_EQ(Pieces(positional, shape::VisualLine(positional, kRtl)), "%|2|$|s| |ن|م| |%|1|$|-|3|d| |د|د|ع|ل|ا");
    // With colour tags off a tag is text the translator reads as written.
    const std::string shown = "مرحبا <color 255,0,0>";
    EXPECT_EQ(Pieces(shown, shape::VisualLine(shown, kRtl, false)), "<|c|o|l|o|r| |2|5|5|,|0|,|0|>| |ا|ب|ح|ر|م");
}

// Each mark right after its base, in both directions, flagged for the drawer.
TEST(TextShape, MarksFollowTheirBase) {
    const std::string arabic = "\u0628\u064E\u062A";  // beh, fatha, teh: the beh joins through the mark
    auto clusters = shape::VisualLine(arabic, kRtl);
    EXPECT_EQ(Pieces(arabic, clusters), "\u062A|\u0628|\u064E");
    EXPECT_EQ(Glyphs(clusters), (std::vector<int32_t>{0xFE96, 0xFE91, 0x064E}));
    EXPECT_TRUE(clusters[2].mark && !clusters[0].mark && !clusters[1].mark);

    // Hebrew shalom with its points (qamats and shin dot on the shin, holam on the vav),
    // then a Latin word with a combining accent.
    const std::string line = "\u05E9\u05B8\u05C1\u05DC\u05D5\u05B9\u05DD cafe\u0301";
    clusters = shape::VisualLine(line, kRtl);
    EXPECT_EQ(Pieces(line, clusters), "c|a|f|e|\u0301| |\u05DD|\u05D5|\u05B9|\u05DC|\u05E9|\u05B8|\u05C1");
    std::string marks;
    for (const Cluster& c : clusters) marks += c.mark ? 'm' : '.';
    EXPECT_EQ(marks, "....m...m..mm");
}

TEST(TextShape, ThaiBreaksBetweenWords) {
    // สวัสดี|ครับ ยินดี|ต้อนรับ: 3 bytes a character; the space is a break of its own.
    const std::string text = "สวัสดีครับ ยินดีต้อนรับ";
    EXPECT_EQ(shape::ThaiBreaks(text), (std::vector<uint32_t>{18, 46}));
    // A tag inside the run does not end it; the break goes before the tag, which then
    // colours the next word.
    EXPECT_EQ(shape::ThaiBreaks("สวัสดี<color 255,0,0>ครับ"), (std::vector<uint32_t>{18}));
    // A sentence full of marks (ั ิ ี ่ ้): breaks fall between characters, never before a mark.
    const std::string marked = "ภาษาไทยเขียนติดกันโดยไม่เว้นวรรค";
    const auto breaks = shape::ThaiBreaks(marked);
    EXPECT_GE(breaks.size(), 5u);
    for (const uint32_t at : breaks) {
        ASSERT_TRUE(at % 3 == 0 && at > 0 && at < marked.size()) << at;
        const int32_t next = 0x0E00 | (marked[at + 1] & 0x03) << 6 | (marked[at + 2] & 0x3F);
        EXPECT_FALSE(next == 0x0E31 || (next >= 0x0E34 && next <= 0x0E3A) || (next >= 0x0E47 && next <= 0x0E4E)) << at;
    }
    EXPECT_TRUE(shape::ThaiBreaks("No Thai here").empty());
}

TEST(TextShape, LatinLinesAreTheIdentity) {
    const std::string line = "Hello, <color 0,255,0>world (1/2) %s cafe\u0301";
    const auto clusters = shape::VisualLine(line, kLtr);
    const uint32_t tag = uint32_t(line.find('<')), tagEnd = uint32_t(line.find('w'));
    std::u32string drawn;
    uint32_t next = 0;
    for (const Cluster& c : clusters) {
        if (next == tag) next = tagEnd;
        EXPECT_EQ(c.byteBegin, next);
        next = c.byteEnd;
        EXPECT_FALSE(c.rightToLeft);
        EXPECT_EQ(c.colorTag, c.byteBegin < tag ? -1 : int32_t(tag));
        EXPECT_EQ(c.mark, c.glyph == 0x301);
        drawn += char32_t(c.glyph);
    }
    EXPECT_EQ(next, line.size());
    EXPECT_EQ(drawn, U"Hello, world (1/2) %s cafe\u0301");
}

}  // namespace
