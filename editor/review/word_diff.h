// word_diff.h - what changed between the source text a translation was made from and
// the source text now, word by word, for the editor to show beside a "reference
// changed" item. Pure functions over UTF-8 byte strings.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace review {

enum class DiffKind : uint8_t { Same, Removed, Added };

struct DiffPiece {
    DiffKind kind = DiffKind::Same;
    std::string text;
    bool operator==(const DiffPiece&) const = default;
};

// The units a diff compares, in reading order; together they are the whole text. A
// token is one of: a word (letters, digits and combining marks); a run of spaces and
// tabs; a line feed; a colour tag ("<color 255,0,0>"); a placeholder as the checks read
// them ("%s", "%1$d", "{0}"); one CJK ideograph, kana or hangul syllable, or one Thai
// character, each with the marks that follow it; any other single character (punctuation,
// symbols, a byte that is not UTF-8).
std::vector<std::string_view> SplitDiffTokens(std::string_view text);

// The shortest edit from old to new over tokens, as pieces in reading order: Same text
// is in both, Removed only in the old, Added only in the new. Each change shows what it
// removes before what it adds, and no two neighbouring pieces are of one kind, so the
// Same and Removed pieces spell the old text and the Same and Added ones the new.
// Texts with very little in common (thousands of tokens changed) come out as their
// common start and end around one Removed and one Added piece, to bound the time.
std::vector<DiffPiece> WordDiff(std::string_view oldText, std::string_view newText);

}  // namespace review
