// Scores of source texts against each other, and the tokens they are counted in.
#include "editor/memory/match.h"

#include <gtest/gtest.h>

using namespace memory;

namespace {

std::vector<std::string> Texts(std::string_view text) {
    std::vector<std::string> out;
    for (const Token& t : SplitMatchTokens(text)) out.emplace_back(t.text);
    return out;
}

}  // namespace

TEST(MatchTokens, WordsPunctuationAndNeutralTokensWithoutBlanks) {
    EXPECT_EQ(Texts("Take <color 255,0,0>%d<color default> coins, {name}!  12"),
              (std::vector<std::string>{"Take", "<color 255,0,0>", "%d", "<color default>", "coins", ",", "{name}", "!",
                                        "12"}));
    const std::vector<Token> u = SplitMatchTokens("<color 1,2,3>%d<color default> x {a} 12");
    EXPECT_EQ(u[0].kind, TokenKind::Tag);
    EXPECT_EQ(u[1].kind, TokenKind::Placeholder);
    EXPECT_EQ(u[2].kind, TokenKind::Tag);
    EXPECT_EQ(u[3].kind, TokenKind::Text);
    EXPECT_EQ(u[4].kind, TokenKind::Placeholder);
    EXPECT_EQ(u[5].kind, TokenKind::Number);
    // A malformed tag is plain punctuation and words; "x2" is a word, not a number.
    EXPECT_EQ(Texts("<color red> x2"), (std::vector<std::string>{"<", "color", "red", ">", "x2"}));
    EXPECT_EQ(SplitMatchTokens("x2")[0].kind, TokenKind::Text);
}

TEST(MatchTokens, EachCjkKanaHangulAndThaiCharacterIsAToken) {
    EXPECT_EQ(Texts("回复药水"), (std::vector<std::string>{"回", "复", "药", "水"}));
    EXPECT_EQ(Texts("セーブ한국"), (std::vector<std::string>{"セ", "ー", "ブ", "한", "국"}));
    // Thai: the vowel above stays with its consonant.
    EXPECT_EQ(Texts("กิน"), (std::vector<std::string>{"กิ", "น"}));
}

TEST(MatchScore, ExactAndBlankOnlyDifferences) {
    EXPECT_EQ(ScoreTexts("Save the game", "Save the game").score, 100);
    EXPECT_EQ(ScoreTexts("Save the game", "Save the game").differsIn, 0);
    const MatchScore spaced = ScoreTexts("Save  the game", "Save the game");
    EXPECT_EQ(spaced.score, 100);
    EXPECT_EQ(spaced.differsIn, kDiffersInSpacing);
    EXPECT_EQ(ScoreTexts("", "   ").score, 100);
    EXPECT_EQ(ScoreTexts("", "Save").score, 0);
}

TEST(MatchScore, TagPlaceholderAndNumberOnlyDifferencesScoreFullAndSaySo) {
    const MatchScore tag =
        ScoreTexts("<color 255,0,0>Fire</color default> resist", "<color 0,0,255>Fire</color default> resist");
    EXPECT_EQ(tag.score, 100);
    EXPECT_EQ(tag.differsIn, kDiffersInTags);
    const MatchScore number = ScoreTexts("Costs 50 gold", "Costs 1200 gold");
    EXPECT_EQ(number.score, 100);
    EXPECT_EQ(number.differsIn, kDiffersInNumbers);
    const MatchScore both = ScoreTexts("%s has 3 <color default>", "{0} has 4 <color 1,1,1>");
    EXPECT_EQ(both.score, 100);
    EXPECT_EQ(both.differsIn, kDiffersInPlaceholders | kDiffersInNumbers | kDiffersInTags);
    // Neutral tokens of different kinds are not equal.
    EXPECT_EQ(ScoreTexts("Costs 50 gold", "Costs %d gold").score, 66);
    // A tag missing altogether is an edit like any other.
    EXPECT_LT(ScoreTexts("<color 255,0,0>Fire", "Fire").score, 100);
}

TEST(MatchScore, EditsCountAgainstTheLongerTextRoundedDown) {
    // One word of three changed: 100 x 2/3 = 66.
    EXPECT_EQ(ScoreTexts("Save the game", "Load the game").score, 66);
    // Case counts: one edit.
    EXPECT_EQ(ScoreTexts("Save the game", "save the game").score, 66);
    // One word added to seven: 100 x 7/8 = 87.
    EXPECT_EQ(ScoreTexts("Press any key to start the game .", "Press any key to start the new game .").score, 88);
    EXPECT_EQ(ScoreTexts("Press any key to start the game", "Press any key to start the new game").score, 87);
    EXPECT_EQ(ScoreTexts("Open the door", "Close the window").score, 33);
    EXPECT_EQ(ScoreTexts("Open the door", "Buy more potions").score, 0);
    EXPECT_EQ(ScoreTexts("Save the game", "the game Save").score, 33);  // order matters: two edits of three
    EXPECT_EQ(ScoreTexts("a b c", "a b c d").score, ScoreTexts("a b c d", "a b c").score);
}

TEST(MatchScore, CjkCountsCharacters) {
    // 回复药水 against 回复药剂: one character of four.
    EXPECT_EQ(ScoreTexts("回复药水", "回复药剂").score, 75);
    EXPECT_EQ(ScoreTexts("购买10个回复药水", "购买3个回复药水").differsIn, kDiffersInNumbers);
    EXPECT_EQ(ScoreTexts("购买10个回复药水", "出售10个回复药水").score, 75);  // two of eight
}

TEST(FoldCase, KeepsEveryOffset) {
    EXPECT_EQ(FoldCase("Heiltränke ÿ Ωμέγα пРиВет ｑ"), "HEILTRÄNKE Ÿ ΩΜΈΓΑ ПРИВЕТ Ｑ");
    // Dotless i and sharp s have no upper case of their own length; CJK and a stray byte
    // have none at all.
    EXPECT_EQ(FoldCase("ı ß 回 \xff"), "ı ß 回 \xff");
}
