// text_markup.h - the syntax of the colour tags in a game's texts: "<color R,G,B>" with one
// to three components of one to three digits, and "<color default>". One rule for the
// drawers, the text layout and the editor's checks. Needs nothing but the standard library.
#pragma once

#include <cstddef>
#include <string_view>

namespace markup {

// Whether s starts with `word`, read a byte at a time up to the first that differs: the
// drawers hand over the bytes that may follow in their buffer, and a terminator ends the
// comparison before anything past it is read.
inline bool StartsWithWord(std::string_view s, std::string_view word) {
    for (size_t i = 0; i < word.size(); ++i)
        if (i >= s.size() || s[i] != word[i]) return false;
    return true;
}

// Length of the tag at the start of s, 0 when s does not start with one.
inline size_t ColourTagLength(std::string_view s) {
    constexpr std::string_view kPrefix = "<color ", kDefault = "<color default>";
    if (!StartsWithWord(s, kPrefix)) return 0;
    if (StartsWithWord(s, kDefault)) return kDefault.size();
    size_t i = kPrefix.size();
    for (int component = 1;; ++component) {
        size_t digits = 0;
        while (i < s.size() && digits < 4 && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
        if (digits == 0 || digits > 3 || i >= s.size()) return 0;
        if (s[i] == '>') return i + 1;
        if (s[i] != ',' || component == 3) return 0;
        ++i;
    }
}

}  // namespace markup
