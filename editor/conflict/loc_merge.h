// loc_merge.h - the three-way merge of one .loc file's texts, item by item: an item
// changed on one side takes that side, changed alike on both takes it, changed
// differently on both is a conflict that keeps ours and records all three texts. Items are
// known by their place, so only items appended at the end by one side (or the same items
// by both) can be merged; any other change of the count is refused.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "editor/conflict/conflict_file.h"

namespace conflict {

struct MergeResult {
    bool ok = true;  // false: refused, `message` says why and nothing is merged
    std::string message;
    std::vector<std::string> merged;  // ours for every conflicting item
    Conflicts conflicts;              // named by `file`, sorted by index
};

MergeResult MergeTexts(const std::vector<std::string>& base, const std::vector<std::string>& ours,
                       const std::vector<std::string>& theirs, std::string_view file);

}  // namespace conflict
