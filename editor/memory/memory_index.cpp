// memory_index.cpp - every source is turned into token numbers once (neutral tokens of
// one kind share a number, so equal numbers are exactly the tokens the score counts as
// equal), and each number keeps the list of units holding it. Units are numbered inside
// the index in order of token count, so each list is sorted by length too and the units
// whose length allows the minimum score are one slice of it, found by binary search.
//
// Candidates come from a prefix filter: with at most D edits allowed, a unit that scores
// enough keeps all but at most D of the query's tokens in place, so it holds at least
// one of any D + 1 of them; taking the D + 1 rarest, only their lists are walked. Each
// candidate is then scored with a banded edit distance that gives up past D.
#include "editor/memory/memory_index.h"

#include <algorithm>
#include <limits>
#include <unordered_map>

namespace memory {
namespace {

constexpr uint32_t kUnknown = std::numeric_limits<uint32_t>::max();  // a token no unit has
// Numbers of the neutral kinds; words and other text tokens come after them.
constexpr uint32_t kTagId = 0, kPlaceholderId = 1, kNumberId = 2, kFirstTextId = 3;

// The most edits that still reach `minScore` against a text of `longer` tokens:
// floor(100 (L - d) / L) >= m  <=>  d <= L (100 - m) / 100.
size_t MaxEdits(size_t longer, int minScore) { return longer * size_t(100 - minScore) / 100; }

// Levenshtein distance of a and b when it is at most `cap`, else cap + 1; only the
// diagonal band |i - j| <= cap is filled.
size_t BandedDistance(const uint32_t* a, size_t n, const uint32_t* b, size_t m, size_t cap) {
    if ((n > m ? n - m : m - n) > cap) return cap + 1;
    const size_t over = cap + 1;
    std::vector<size_t> prev(m + 1, over), cur(m + 1, over);
    for (size_t j = 0; j <= std::min(m, cap); ++j) prev[j] = j;
    for (size_t i = 1; i <= n; ++i) {
        const size_t from = i > cap ? i - cap : 1, to = std::min(m, i + cap);
        // The cell left of the band still holds a value of an older row, and must read as
        // "too far". Right of the band no row has written yet: those cells are still `over`.
        cur[from - 1] = from == 1 && i <= cap ? i : over;
        size_t best = cur[from - 1];
        for (size_t j = from; j <= to; ++j) {
            size_t d = prev[j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1);
            d = std::min({d, prev[j] + 1, cur[j - 1] + 1});
            cur[j] = std::min(d, over);
            best = std::min(best, cur[j]);
        }
        if (best > cap) return over;
        std::swap(prev, cur);
    }
    return std::min(prev[m], over);
}

}  // namespace

struct MemoryIndex::Impl {
    std::vector<MemoryUnit> units;
    // Per internal number (ascending token count): the unit's number and its tokens.
    std::vector<uint32_t> unitOf;
    std::vector<uint32_t> tokenStart;  // size units + 1, into `tokens`
    std::vector<uint32_t> tokens;
    std::vector<uint32_t> firstOfLength;  // firstOfLength[L]: first internal number with >= L tokens
    // Per token number, the internal numbers holding it (each once), ascending.
    std::vector<uint32_t> postingStart, postings;
    // Keys view the units' own sources, which never move once built.
    std::unordered_map<std::string_view, uint32_t> ids;

    uint32_t IdOf(const Token& t) const {
        switch (t.kind) {
            case TokenKind::Tag:
                return kTagId;
            case TokenKind::Placeholder:
                return kPlaceholderId;
            case TokenKind::Number:
                return kNumberId;
            default: {
                const auto it = ids.find(t.text);
                return it == ids.end() ? kUnknown : it->second;
            }
        }
    }

    size_t Length(uint32_t internal) const { return tokenStart[internal + 1] - tokenStart[internal]; }

    void Build();
};

void MemoryIndex::Impl::Build() {
    const size_t count = units.size();
    std::vector<std::vector<uint32_t>> numbered(count);
    for (size_t u = 0; u < count; ++u) {
        for (const Token& t : SplitMatchTokens(units[u].source)) {
            uint32_t id = IdOf(t);
            if (id == kUnknown) id = ids.emplace(t.text, uint32_t(ids.size() + kFirstTextId)).first->second;
            numbered[u].push_back(id);
        }
    }
    unitOf.resize(count);
    for (size_t u = 0; u < count; ++u) unitOf[u] = uint32_t(u);
    std::stable_sort(unitOf.begin(), unitOf.end(),
                     [&](uint32_t a, uint32_t b) { return numbered[a].size() < numbered[b].size(); });
    tokenStart.assign(count + 1, 0);
    for (size_t r = 0; r < count; ++r) {
        const std::vector<uint32_t>& t = numbered[unitOf[r]];
        tokenStart[r + 1] = tokenStart[r] + uint32_t(t.size());
        tokens.insert(tokens.end(), t.begin(), t.end());
    }
    const size_t longest = count ? Length(uint32_t(count - 1)) : 0;
    firstOfLength.assign(longest + 2, uint32_t(count));
    for (size_t r = count; r-- > 0;) firstOfLength[Length(uint32_t(r))] = uint32_t(r);
    for (size_t l = longest + 1; l-- > 0;) firstOfLength[l] = std::min(firstOfLength[l], firstOfLength[l + 1]);

    // Postings by counting sort: sizes, then fill in internal order, so each is ascending.
    const size_t idCount = ids.size() + kFirstTextId;
    std::vector<uint32_t> lastSeen(idCount, kUnknown), fill(idCount + 1, 0);
    for (uint32_t r = 0; r < count; ++r)
        for (uint32_t k = tokenStart[r]; k < tokenStart[r + 1]; ++k)
            if (lastSeen[tokens[k]] != r) lastSeen[tokens[k]] = r, ++fill[tokens[k] + 1];
    for (size_t i = 0; i < idCount; ++i) fill[i + 1] += fill[i];
    postingStart = fill;
    postings.resize(fill[idCount]);
    std::fill(lastSeen.begin(), lastSeen.end(), kUnknown);
    for (uint32_t r = 0; r < count; ++r)
        for (uint32_t k = tokenStart[r]; k < tokenStart[r + 1]; ++k)
            if (lastSeen[tokens[k]] != r) lastSeen[tokens[k]] = r, postings[fill[tokens[k]]++] = r;
}

MemoryIndex::MemoryIndex() : impl_(std::make_unique<Impl>()) { impl_->Build(); }

MemoryIndex::MemoryIndex(std::vector<MemoryUnit> units) : impl_(std::make_unique<Impl>()) {
    impl_->units = std::move(units);
    impl_->Build();
}

MemoryIndex::~MemoryIndex() = default;
MemoryIndex::MemoryIndex(MemoryIndex&&) noexcept = default;
MemoryIndex& MemoryIndex::operator=(MemoryIndex&&) noexcept = default;

size_t MemoryIndex::size() const { return impl_->units.size(); }
const MemoryUnit& MemoryIndex::unit(size_t number) const { return impl_->units[number]; }
void MemoryIndex::SetTranslation(size_t number, std::string translation) {
    if (number < impl_->units.size()) impl_->units[number].translation = std::move(translation);
}

bool SuggestionBefore(const MatchScore& a, size_t ua, const MatchScore& b, size_t ub) {
    if (a.score != b.score) return a.score > b.score;
    if ((a.differsIn == 0) != (b.differsIn == 0)) return a.differsIn == 0;
    return ua < ub;
}

void MemoryIndex::AddMatches(std::string_view source, int minScore, const Origin* skip, size_t firstNumber,
                             std::vector<Suggestion>& found) const {
    const Impl& x = *impl_;
    const std::vector<Token> queryTokens = SplitMatchTokens(source);
    const size_t la = queryTokens.size();
    if (la == 0 || x.units.empty()) return;
    minScore = std::clamp(minScore, 1, 100);
    std::vector<uint32_t> query(la);
    for (size_t i = 0; i < la; ++i) query[i] = x.IdOf(queryTokens[i]);

    // Lengths that can reach the score: |la - lb| edits are needed at least.
    const size_t lo = la - MaxEdits(la, minScore);
    size_t hi = la;
    while (hi + 1 - la <= MaxEdits(hi + 1, minScore)) ++hi;
    const size_t longest = x.firstOfLength.size() - 2;
    if (lo > longest) return;
    const uint32_t sliceBegin = x.firstOfLength[lo], sliceEnd = x.firstOfLength[std::min(hi, longest) + 1];

    // The D + 1 rarest query tokens (a token no unit has is the rarest of all).
    const auto postingSize = [&](uint32_t id) {
        return id == kUnknown ? 0 : x.postingStart[id + 1] - x.postingStart[id];
    };
    std::vector<uint32_t> rare = query;
    std::stable_sort(rare.begin(), rare.end(), [&](uint32_t a, uint32_t b) { return postingSize(a) < postingSize(b); });
    rare.resize(std::min(la, MaxEdits(la, minScore) + 1));
    std::sort(rare.begin(), rare.end());
    rare.erase(std::unique(rare.begin(), rare.end()), rare.end());

    std::vector<uint32_t> candidates;
    for (uint32_t id : rare) {
        if (id == kUnknown) continue;
        const uint32_t* begin = x.postings.data() + x.postingStart[id];
        const uint32_t* end = x.postings.data() + x.postingStart[id + 1];
        const uint32_t* from = std::lower_bound(begin, end, sliceBegin);
        const uint32_t* to = std::lower_bound(from, end, sliceEnd);
        candidates.insert(candidates.end(), from, to);
    }
    std::sort(candidates.begin(), candidates.end());
    candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());

    for (uint32_t r : candidates) {
        const uint32_t u = x.unitOf[r];
        const MemoryUnit& unit = x.units[u];
        if (unit.translation.empty() || (skip && unit.origin.SamePlace(*skip))) continue;
        const size_t lb = x.Length(r), longer = std::max(la, lb), cap = MaxEdits(longer, minScore);
        const size_t d = BandedDistance(query.data(), la, x.tokens.data() + x.tokenStart[r], lb, cap);
        if (d > cap) continue;
        MatchScore match{int(100 * (longer - d) / longer), 0};
        if (d == 0) match = ScoreTokens(source, queryTokens, unit.source, SplitMatchTokens(unit.source));
        found.push_back({match, firstNumber + u, &unit});
    }
}

std::vector<Suggestion> MemoryIndex::Suggest(std::string_view source, size_t maxResults, int minScore,
                                             const Origin* skip) const {
    return SuggestFrom({this}, source, maxResults, minScore, skip);
}

std::vector<Suggestion> SuggestFrom(std::initializer_list<const MemoryIndex*> indexes, std::string_view source,
                                    size_t maxResults, int minScore, const Origin* skip) {
    std::vector<Suggestion> found, out;
    if (maxResults == 0) return out;
    minScore = std::clamp(minScore, 1, 100);
    size_t first = 0;
    for (const MemoryIndex* index : indexes) {
        if (!index) continue;
        index->AddMatches(source, minScore, skip, first, found);
        first += index->size();
    }
    std::sort(found.begin(), found.end(), [](const Suggestion& a, const Suggestion& b) {
        return SuggestionBefore(a.match, a.unit, b.match, b.unit);
    });
    for (const Suggestion& f : found) {
        if (std::any_of(out.begin(), out.end(),
                        [&](const Suggestion& s) { return s.data->translation == f.data->translation; }))
            continue;
        out.push_back(f);
        if (out.size() == maxResults) break;
    }
    return out;
}

}  // namespace memory
