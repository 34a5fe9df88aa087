// match.h - how alike two source texts are, for translation memory: texts split into
// tokens (the word diff's units, editor/review), colour tags, placeholders and numbers
// counted as neutral tokens, and a score from the token edit distance. Also the
// case-folded token view the glossary matches terms on. Pure functions over UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace memory {

// What a token is. Neutral kinds (Tag, Placeholder, Number) match any token of their
// own kind: a suggestion made for "<color 255,0,0>5</color default> gold" serves
// "<color 0,255,0>12</color default> gold" as well, since the translator copies those
// tokens from the source anyway.
enum class TokenKind : uint8_t {
    Text,         // a word, one CJK / kana / hangul / Thai character, a punctuation mark or
                  // symbol, a line feed: equal only to the same bytes
    Tag,          // "<color 255,0,0>", "<color default>"
    Placeholder,  // "%s", "%1$d", "{0}", "{name}" as the checks read them
    Number,       // a run of ASCII digits standing alone
};

struct Token {
    std::string_view text;  // a view into the text that was split
    TokenKind kind = TokenKind::Text;
};

// The tokens of `text` in reading order, spaces and tabs left out. Words are kept as
// written: matching is case-sensitive, so "Save" against "save" is one edit (the
// translation of a sentence-initial word often differs from a mid-sentence one).
std::vector<Token> SplitMatchTokens(std::string_view text);

// Bits of MatchScore::differsIn: what two texts that score 100 still differ in.
enum DifferenceBits : uint8_t {
    kDiffersInTags = 1,
    kDiffersInPlaceholders = 2,
    kDiffersInNumbers = 4,
    kDiffersInSpacing = 8,  // spaces, tabs: the tokens are the same, the bytes are not
};

struct MatchScore {
    int score = 0;          // 0..100
    uint8_t differsIn = 0;  // DifferenceBits; only ever set when score is 100
};

// 100 x (1 - token edit distance / the longer text's token count), rounded down;
// neutral tokens of one kind are equal. Two texts without any token (empty, or only
// spaces) score 100; one without tokens against one with scores 0.
MatchScore ScoreTexts(std::string_view a, std::string_view b);
// The same over tokens already split.
MatchScore ScoreTokens(std::string_view a, const std::vector<Token>& ta, std::string_view b,
                       const std::vector<Token>& tb);

// `text` with the letters of Latin, Greek and Cyrillic (and full-width Latin) in their
// upper-case form, every other byte as it was and every letter in as many bytes as
// before, so offsets found in the folded text are offsets of `text`.
std::string FoldCase(std::string_view text);

}  // namespace memory
