// desk_progress.h - where each item of the loaded file stands: untranslated,
// translated, or translated with a problem the checks found; the counts the window
// title shows; and the small pictures the item list shows for the states, drawn here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qa {
struct LengthLimit;
}

enum class ItemState : uint8_t { Translated, Untranslated, Problem };
constexpr int kItemStateCount = 3;

// The state of one text and, for a problem, what is wrong (one line per problem).
// Untranslated: empty, or the reference's very bytes while the reference is another
// language. Untranslated texts are not checked.
ItemState StateOfText(std::string_view text, std::string_view reference, bool referenceIsOther,
                      const qa::LengthLimit& limit, std::string* problems);

struct ProgressCounts {
    int items = 0, translated = 0, problems = 0;  // a text with a problem counts as translated
};
ProgressCounts CountStates(const std::vector<ItemState>& states);

// The window title for the loaded file `key` ("German\menu"): the program's title, the
// file and the counts, with "*" in front while `unsaved`. An empty key: no file.
std::string ProgressTitle(const char* programTitle, const std::string& key, const ProgressCounts& counts, bool unsaved);

// A size x size RGBA picture, top row first, edges smoothed: a hollow grey ring for an
// untranslated item, a green disc with a tick for a translated one, an orange triangle
// with an exclamation mark for one with a problem.
std::vector<uint8_t> DrawStateIcon(ItemState state, int size);
