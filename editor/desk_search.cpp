// desk_search.cpp - case-folded matching over the items of the loaded file, and
// replacing in a text. Folding keeps every byte offset, so offsets found in a folded
// text are offsets of the text itself.
#include "editor/desk_search.h"

#include <algorithm>
#include <functional>

#include "editor/project.h"

namespace {

bool Continuation(unsigned char b) { return (b & 0xC0) == 0x80; }

// Puts the upper-case form of the 2- or 3-byte sequence at out[i] in its place when it
// takes as many bytes (every letter UpperCase changes does).
void FoldSequence(std::string& out, size_t i, size_t length) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(out[i + k]); };
    char32_t c = length == 2 ? byte(0) & 0x1F : byte(0) & 0x0F;
    for (size_t k = 1; k < length; ++k) c = (c << 6) | (byte(k) & 0x3F);
    const char32_t upper = UpperCase(c);
    if (upper == c) return;
    if (length == 2 && upper >= 0x80 && upper < 0x800) {
        out[i] = static_cast<char>(0xC0 | (upper >> 6));
        out[i + 1] = static_cast<char>(0x80 | (upper & 0x3F));
    } else if (length == 3 && upper >= 0x800 && upper < 0x10000) {
        out[i] = static_cast<char>(0xE0 | (upper >> 12));
        out[i + 1] = static_cast<char>(0x80 | ((upper >> 6) & 0x3F));
        out[i + 2] = static_cast<char>(0x80 | (upper & 0x3F));
    }
}

}  // namespace

std::string FoldForSearch(std::string_view text) {
    std::string out(text);
    const size_t n = out.size();
    for (size_t i = 0; i < n;) {
        const auto b = static_cast<unsigned char>(out[i]);
        if (b < 0x80) {
            if (b >= 'a' && b <= 'z') out[i] = static_cast<char>(b - 0x20);
            ++i;
        } else if (b >= 0xC2 && b < 0xE0 && i + 1 < n && Continuation(out[i + 1])) {
            FoldSequence(out, i, 2);
            i += 2;
        } else if (b >= 0xE0 && b < 0xF0 && i + 2 < n && Continuation(out[i + 1]) && Continuation(out[i + 2])) {
            FoldSequence(out, i, 3);
            i += 3;
        } else {
            ++i;  // a four-byte sequence or a stray byte: no letter UpperCase knows
        }
    }
    return out;
}

namespace {

std::string IndexEntry(std::string_view name, std::string_view description, std::string_view reference,
                       std::string_view text) {
    std::string joined;
    joined.reserve(name.size() + description.size() + reference.size() + text.size() + 3);
    // A NUL between the fields: nothing typed in the find box spans two of them.
    joined.append(name).append(1, '\0').append(description).append(1, '\0');
    joined.append(reference).append(1, '\0').append(text);
    return FoldForSearch(joined);
}

const std::string& At(const std::vector<std::string>& v, size_t i) {
    static const std::string empty;
    return i < v.size() ? v[i] : empty;
}

}  // namespace

void SearchIndex::Build(const std::vector<std::string>& names, const std::vector<std::string>& descriptions,
                        const std::vector<std::string>& references, const std::vector<std::string>& texts) {
    items.assign(texts.size(), {});
    for (size_t i = 0; i < texts.size(); ++i)
        items[i] = IndexEntry(At(names, i), At(descriptions, i), At(references, i), texts[i]);
}

void SearchIndex::Update(size_t item, std::string_view name, std::string_view description, std::string_view reference,
                         std::string_view text) {
    if (item < items.size()) items[item] = IndexEntry(name, description, reference, text);
}

std::vector<int> FindMatches(const SearchIndex& index, std::string_view needle) {
    std::vector<int> matches;
    if (needle.empty()) return matches;
    const std::string folded = FoldForSearch(needle);
    // One searcher for every item: it skips ahead by the needle's length where find()
    // would stop at every byte that matches the needle's first one.
    const std::boyer_moore_horspool_searcher searcher(folded.begin(), folded.end());
    for (size_t i = 0; i < index.items.size(); ++i) {
        const std::string& item = index.items[i];
        if (std::search(item.begin(), item.end(), searcher) != item.end()) matches.push_back(static_cast<int>(i));
    }
    return matches;
}

int NextMatch(const std::vector<int>& matches, int from, int direction) {
    if (matches.empty()) return -1;
    if (direction >= 0) {
        const auto after = std::upper_bound(matches.begin(), matches.end(), from);
        return after == matches.end() ? matches.front() : *after;
    }
    const auto at = std::lower_bound(matches.begin(), matches.end(), from);
    return at == matches.begin() ? matches.back() : *(at - 1);
}

int MatchPosition(const std::vector<int>& matches, int at) {
    const auto found = std::lower_bound(matches.begin(), matches.end(), at);
    return found != matches.end() && *found == at ? static_cast<int>(found - matches.begin()) + 1 : 0;
}

std::string ReplaceFolded(std::string_view text, std::string_view needle, std::string_view replacement, size_t* count) {
    size_t found = 0;
    std::string out;
    if (!needle.empty()) {
        const std::string foldedText = FoldForSearch(text), foldedNeedle = FoldForSearch(needle);
        size_t from = 0;
        for (size_t at = foldedText.find(foldedNeedle); at != std::string::npos;
             at = foldedText.find(foldedNeedle, from)) {
            out.append(text.substr(from, at - from)).append(replacement);
            from = at + needle.size();
            ++found;
        }
        out.append(text.substr(from));
    } else {
        out.assign(text);
    }
    if (count) *count = found;
    return out;
}
