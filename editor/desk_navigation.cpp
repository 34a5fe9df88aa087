// desk_navigation.cpp - the targets of the translator's navigation keys.
#include "editor/desk_navigation.h"

#include <algorithm>

#include "platform/platform.h"

int NextUntranslated(const std::vector<ItemState>& states, int from, int direction) {
    return NextWhere(static_cast<int>(states.size()), from, direction,
                     [&](int i) { return states[static_cast<size_t>(i)] == ItemState::Untranslated; });
}

int ListKeyTarget(int32_t key, int current, int count, int rowsPerPage) {
    if (count <= 0) return -1;
    const int page = std::max(1, rowsPerPage - 1);
    switch (key) {
        case VK_PRIOR:
            return std::max(0, current - page);
        case VK_NEXT:
            return std::min(count - 1, current < 0 ? page : current + page);
        case VK_HOME:
            return 0;
        case VK_END:
            return count - 1;
        default:
            return -1;
    }
}
