// word_diff_test.cpp - the word diff a translator sees for a changed source: real
// sentence pairs written out as [-removed-]{+added+}, the token boundaries it rests on,
// and, over many generated pairs, that the pieces spell both texts and keep as much as
// the longest common token sequence.
#include "editor/review/word_diff.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace {

using review::DiffKind;
using review::DiffPiece;

std::string Marked(const std::vector<DiffPiece>& pieces) {
    std::string out;
    for (const DiffPiece& p : pieces) {
        if (p.kind == DiffKind::Same) out += p.text;
        if (p.kind == DiffKind::Removed) out += "[-" + p.text + "-]";
        if (p.kind == DiffKind::Added) out += "{+" + p.text + "+}";
    }
    return out;
}

std::string Diff(const std::string& oldText, const std::string& newText) {
    return Marked(review::WordDiff(oldText, newText));
}

TEST(WordDiff, ShowsChangedWordsAndPunctuationBetweenWhatStayed) {
    EXPECT_EQ(Diff("Open the red door to the cellar.", "Open the blue door to the cellar."),
              "Open the [-red-]{+blue+} door to the cellar.");
    EXPECT_EQ(Diff("Saved! Press any key.", "Saved. Press any key."), "Saved[-!-]{+.+} Press any key.");
    EXPECT_EQ(Diff("Hello, world", "Hello world"), "Hello[-,-] world");
    // Two changes far apart stay two changes.
    EXPECT_EQ(Diff("You found 3 coins in the old chest.", "You found 5 coins in the new chest."),
              "You found [-3-]{+5+} coins in the [-old-]{+new+} chest.");
    // A word with an accent is one word, not split where the accent is.
    EXPECT_EQ(Diff("Café fermé", "Café ouvert"), "Café [-fermé-]{+ouvert+}");
}

TEST(WordDiff, MovedWordsShowAsRemovedInOnePlaceAndAddedInTheOther) {
    EXPECT_EQ(Diff("Press jump to climb quickly", "Press quickly to climb jump"),
              "Press [-jump-]{+quickly+} to climb [-quickly-]{+jump+}");
    EXPECT_EQ(Diff("the quick brown fox", "the brown quick fox"), "the [-quick -]brown{+ quick+} fox");
}

TEST(WordDiff, CjkAndThaiChangeByTheCharacter) {
    EXPECT_EQ(Diff("今日は良い天気です。", "今日は悪い天気です。"), "今日は[-良-]{+悪+}い天気です。");
    EXPECT_EQ(Diff("게임을 저장했습니다", "게임을 불러왔습니다"), "게임을 [-저장했-]{+불러왔+}습니다");
    // ที่ (a consonant with a vowel and a tone mark on it) changes as one character.
    EXPECT_EQ(Diff("บันทึกที่นี่", "บันทึกตรงนี่"), "บันทึก[-ที่-]{+ตรง+}นี่");
}

TEST(WordDiff, TagsAndPlaceholdersChangeWhole) {
    EXPECT_EQ(Diff("<color 255,0,0>%d coins<color default>", "<color 0,255,0>%d coins<color default>"),
              "[-<color 255,0,0>-]{+<color 0,255,0>+}%d coins<color default>");
    EXPECT_EQ(Diff("Hello {0}, you have %1$d lives", "Hello {1}, you have %2$d lives"),
              "Hello [-{0}-]{+{1}+}, you have [-%1$d-]{+%2$d+} lives");
}

TEST(WordDiff, IdenticalAndEmptyTexts) {
    const std::vector<DiffPiece> same = review::WordDiff("Keep this.\nAnd this.", "Keep this.\nAnd this.");
    EXPECT_EQ(same, (std::vector<DiffPiece>{{DiffKind::Same, "Keep this.\nAnd this."}}));
    EXPECT_TRUE(review::WordDiff("", "").empty());
    EXPECT_EQ(review::WordDiff("", "New text"), (std::vector<DiffPiece>{{DiffKind::Added, "New text"}}));
    EXPECT_EQ(review::WordDiff("Old text", ""), (std::vector<DiffPiece>{{DiffKind::Removed, "Old text"}}));
}

TEST(WordDiffTokens, SplitWhereAReaderSeesUnits) {
    using Tokens = std::vector<std::string_view>;
    EXPECT_EQ(review::SplitDiffTokens("Don't  stop\n"), (Tokens{"Don", "'", "t", "  ", "stop", "\n"}));
    EXPECT_EQ(review::SplitDiffTokens("<color 9>%s%%{name}<color x>"),
              (Tokens{"<color 9>", "%s", "%", "%", "{name}", "<", "color", " ", "x", ">"}));
    EXPECT_EQ(review::SplitDiffTokens("e\xCC\x81t\xC3\xA9 100\xC2\xA0\xE2\x82\xAC"),
              (Tokens{"e\xCC\x81t\xC3\xA9", " ", "100", "\xC2\xA0", "\xE2\x82\xAC"}));
    EXPECT_EQ(review::SplitDiffTokens("東京タワー、ソウル"),
              (Tokens{"東", "京", "タ", "ワ", "ー", "、", "ソ", "ウ", "ル"}));
    // Bytes that are not UTF-8 are single tokens, so any text splits whole.
    EXPECT_EQ(review::SplitDiffTokens("ab\xFF\xE2\x82"), (Tokens{"ab", "\xFF", "\xE2", "\x82"}));
}

// The number of tokens of a longest common subsequence, by the textbook table.
size_t LcsLength(const std::vector<std::string_view>& a, const std::vector<std::string_view>& b) {
    std::vector<std::vector<size_t>> t(a.size() + 1, std::vector<size_t>(b.size() + 1, 0));
    for (size_t i = 1; i <= a.size(); ++i)
        for (size_t j = 1; j <= b.size(); ++j)
            t[i][j] = a[i - 1] == b[j - 1] ? t[i - 1][j - 1] + 1 : std::max(t[i - 1][j], t[i][j - 1]);
    return t[a.size()][b.size()];
}

TEST(WordDiffPieces, SpellBothTextsAndKeepALongestCommonSequence) {
    const char* words[] = {"the", "a", "door", ", ", ".", " ", "猫", "<color 1>", "%s", "ok"};
    std::mt19937 random(7);
    const auto text = [&](size_t n) {
        std::string s;
        for (size_t i = 0; i < n; ++i) s += words[random() % 10] + std::string(random() % 3 ? " " : "");
        return s;
    };
    for (int round = 0; round < 300; ++round) {
        const std::string a = text(random() % 25), b = round % 3 ? text(random() % 25) : a + text(3);
        const std::vector<DiffPiece> pieces = review::WordDiff(a, b);
        std::string oldSide, newSide;
        std::vector<char> sameByte;  // per byte of the old text: inside a Same piece
        for (size_t i = 0; i < pieces.size(); ++i) {
            const DiffPiece& p = pieces[i];
            ASSERT_FALSE(p.text.empty());
            if (i > 0) {
                ASSERT_NE(p.kind, pieces[i - 1].kind) << Marked(pieces);
                ASSERT_FALSE(p.kind == DiffKind::Removed && pieces[i - 1].kind == DiffKind::Added) << Marked(pieces);
            }
            if (p.kind != DiffKind::Added) oldSide += p.text, sameByte.resize(oldSide.size(), p.kind == DiffKind::Same);
            if (p.kind != DiffKind::Removed) newSide += p.text;
        }
        ASSERT_EQ(oldSide, a);
        ASSERT_EQ(newSide, b);
        size_t kept = 0;
        for (const std::string_view t : review::SplitDiffTokens(a)) kept += sameByte[size_t(t.data() - a.data())];
        ASSERT_EQ(kept, LcsLength(review::SplitDiffTokens(a), review::SplitDiffTokens(b))) << a << " | " << b;
    }
}

TEST(WordDiffPieces, TextsTooFarApartForAWordDiffShowAsRemovedAndAddedWhole) {
    // The same 3000 words in the opposite order: only spaces line up, some 6000 edits.
    std::string forward, backward;
    for (int i = 0; i < 3000; ++i) {
        forward += " w" + std::to_string(i);
        backward += " w" + std::to_string(2999 - i);
    }
    const std::string prefix = "Same start:", suffix = ". Same end";
    const std::vector<DiffPiece> pieces = review::WordDiff(prefix + forward + suffix, prefix + backward + suffix);
    EXPECT_EQ(pieces, (std::vector<DiffPiece>{{DiffKind::Same, prefix + " "},
                                              {DiffKind::Removed, forward.substr(1)},
                                              {DiffKind::Added, backward.substr(1)},
                                              {DiffKind::Same, suffix}}));
}

}  // namespace
