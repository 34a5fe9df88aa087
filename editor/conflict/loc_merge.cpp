// loc_merge.cpp - the item-by-item three-way merge of loc_merge.h.
#include "editor/conflict/loc_merge.h"

#include <algorithm>

namespace conflict {
namespace {

bool SameTail(const std::vector<std::string>& a, const std::vector<std::string>& b, size_t from) {
    return a.size() == b.size() &&
           std::equal(a.begin() + std::ptrdiff_t(from), a.end(), b.begin() + std::ptrdiff_t(from));
}

std::string Count(size_t n) { return std::to_string(n) + (n == 1 ? " item" : " items"); }

}  // namespace

MergeResult MergeTexts(const std::vector<std::string>& base, const std::vector<std::string>& ours,
                       const std::vector<std::string>& theirs, std::string_view file) {
    MergeResult r;
    const size_t nb = base.size(), no = ours.size(), nt = theirs.size();
    const std::string counts = "the base has " + Count(nb) + ", ours " + Count(no) + ", theirs " + Count(nt);
    if (no < nb || nt < nb) {
        r.ok = false;
        r.message =
            "items were removed (" + counts + "); items are known by their place, so the merge cannot tell which ones";
        return r;
    }
    if (no > nb && nt > nb && !SameTail(ours, theirs, nb)) {
        r.ok = false;
        r.message = "both sides added items at the end (" + counts +
                    "); keep one side's file and add the other side's new items again";
        return r;
    }
    r.merged.reserve(std::max(no, nt));
    for (size_t i = 0; i < nb; ++i) {
        const std::string &b = base[i], &o = ours[i], &t = theirs[i];
        if (o == t || t == b) {
            r.merged.push_back(o);
        } else if (o == b) {
            r.merged.push_back(t);
        } else {
            r.merged.push_back(o);
            r.conflicts.push_back({std::string(file), static_cast<int32_t>(i), b, o, t});
        }
    }
    const std::vector<std::string>& longer = no >= nt ? ours : theirs;
    r.merged.insert(r.merged.end(), longer.begin() + std::ptrdiff_t(nb), longer.end());
    return r;
}

}  // namespace conflict
