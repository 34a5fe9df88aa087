// desk_search.h - finding items of the loaded file by what they say: their name,
// description, reference text or text, without regard to case for Latin, Greek and
// Cyrillic letters; and replacing a text in every item's text. The matching is pure
// (no GUI); the find dialog and the replace-all that uses it live in desk.cpp.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// `text` with every letter that has one in its upper-case form (UpperCase). The result
// has exactly the bytes of `text` where the letters stand, so a match found in it is a
// match at the same offsets of `text`. Bytes that are not UTF-8 stay as they are.
std::string FoldForSearch(std::string_view text);

// The folded name, description, reference text and text of every item, kept ready so
// that a search is one pass over memory, and renewed item by item as texts change.
struct SearchIndex {
    std::vector<std::string> items;  // per item, the four fields folded and joined by '\0'

    void Build(const std::vector<std::string>& names, const std::vector<std::string>& descriptions,
               const std::vector<std::string>& references, const std::vector<std::string>& texts);
    void Update(size_t item, std::string_view name, std::string_view description, std::string_view reference,
                std::string_view text);
};

// The items (ascending) whose entry holds `needle` (case folded here). Empty needle: none.
std::vector<int> FindMatches(const SearchIndex& index, std::string_view needle);

// The match after (direction +1) or before (-1) item `from`, wrapping around the file;
// `from` itself only when it is the one match. -1 when there is none.
int NextMatch(const std::vector<int>& matches, int from, int direction);
// Where item `at` stands among the matches, counted from 1 ("3 of 17"); 0 when it is none.
int MatchPosition(const std::vector<int>& matches, int at);

// `text` with every occurrence of `needle` (case folded) replaced by `replacement`, left
// to right, never inside what was put in; `count` receives how many there were.
std::string ReplaceFolded(std::string_view text, std::string_view needle, std::string_view replacement, size_t* count);
