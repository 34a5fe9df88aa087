// desk_progress.h - where each item of the loaded file stands: untranslated,
// translated, or translated with a problem the checks found; the counts the window
// title shows; and the small pictures the item list shows for the states, drawn here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "editor/features.h"

namespace qa {
struct LengthLimit;
}

enum class ItemState : uint8_t { Translated, Untranslated, Problem };

// The state of one text and, for a problem, what is wrong (one line per problem).
// Untranslated: empty, or the reference's very bytes while the reference is another
// language. Untranslated texts are not checked. `more` are the messages of the
// features' own checks of a translated text, listed after the desk's.
ItemState StateOfText(std::string_view text, std::string_view reference, bool referenceIsOther,
                      const qa::LengthLimit& limit, std::string* problems, const std::vector<std::string>& more = {});

struct ProgressCounts {
    int items = 0, translated = 0, problems = 0;  // a text with a problem counts as translated
    int toReview = 0;                             // marked for review, or its source changed
};
ProgressCounts CountStates(const std::vector<ItemState>& states);

// The window title for the loaded file `key` ("German\menu"): the program's title, the
// file and the counts, with "*" in front while `unsaved`. An empty key: no file.
std::string ProgressTitle(const char* programTitle, const std::string& key, const ProgressCounts& counts, bool unsaved);

// A size x size RGBA picture for a row of the item list, top row first, edges smoothed:
// a green disc with a tick (translated), a green disc with two ticks (approved), a hollow
// grey ring (untranslated), a blue disc with three dots (needs review), an amber disc
// with a not-equal sign (its reference changed), an orange triangle with an exclamation
// mark (a problem), a red diamond with a cross (a merge conflict).
std::vector<uint8_t> DrawRowMarkIcon(RowMark mark, int size);
