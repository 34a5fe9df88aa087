// desk_navigation.h - where the translator's keys lead in the item list: the next or
// previous untranslated item, and the rows Page Up, Page Down, Home and End reach.
// Pure functions over indices; desk.cpp selects the item they name.
#pragma once

#include <cstdint>
#include <vector>

#include "editor/desk_progress.h"

// The untranslated item after (direction +1) or before (-1) `from`, wrapping around
// the file; `from` itself when it is the only one; -1 when every item is translated.
// From -1 (no item) the search starts at the first item, or backwards at the last.
int NextUntranslated(const std::vector<ItemState>& states, int from, int direction);

// The same search over `count` items for any test: the item after (+1) or before (-1)
// `from` for which wanted(i) holds, wrapping; `from` when it is the only one; -1 for none.
template <class Wanted>
int NextWhere(int count, int from, int direction, Wanted wanted) {
    if (count <= 0) return -1;
    const int step = direction < 0 ? -1 : 1;
    if (from < 0 || from >= count) from = step > 0 ? -1 : count;
    for (int n = 1; n <= count; ++n) {
        const int i = ((from + step * n) % count + count) % count;
        if (wanted(i)) return i;
    }
    return -1;
}

// The item a list key moves to from `current` in a list of `count` items showing
// `rowsPerPage` rows: Page Up / Page Down a page less one row, Home the first, End the
// last. -1 for any other key or an empty list.
int ListKeyTarget(int32_t key, int current, int count, int rowsPerPage);
