// memory_index.h - the translation memory of one language: (source text, translation,
// origin) units from the project's items and from TMX files, indexed once per load so
// that the best matches for a text are found without scoring every unit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "editor/memory/match.h"

namespace memory {

// Where a unit comes from: an item of the project (its file, e.g. "menu.loc", its index
// there and its name from Descriptions), or a TMX file (its name in `file`).
struct Origin {
    enum class Kind : uint8_t { Project, Tmx };
    Kind kind = Kind::Project;
    std::string file;
    int index = 0;     // the item's index; for a TMX unit the line of its <tu> (TmxPair::line)
    std::string name;  // the item's name; empty for a TMX unit
    // The same item (or TMX unit); the name does not take part.
    bool SamePlace(const Origin& o) const { return kind == o.kind && file == o.file && index == o.index; }
};

struct MemoryUnit {
    std::string source, translation;
    Origin origin;
};

struct Suggestion {
    MatchScore match;                  // the score, and what a 100 still differs in
    size_t unit = 0;                   // the unit's number: its position in the list the index was built from
    const MemoryUnit* data = nullptr;  // the unit itself, valid while the index lives
};

// Built once from every unit (units with an empty translation are kept, so that
// SetTranslation can fill them in as the translator works, but never suggested).
class MemoryIndex {
  public:
    MemoryIndex();
    explicit MemoryIndex(std::vector<MemoryUnit> units);
    ~MemoryIndex();
    MemoryIndex(MemoryIndex&&) noexcept;
    MemoryIndex& operator=(MemoryIndex&&) noexcept;

    size_t size() const;
    const MemoryUnit& unit(size_t number) const;
    // A unit's translation changed (an item committed): the token index stays as it is,
    // since it is built from sources only.
    void SetTranslation(size_t number, std::string translation);

    // The best matches for `source`, scoring at least `minScore` (clamped to 1..100),
    // best first: higher score, then a source byte for byte the same before one that
    // differs in tags, placeholders, numbers or spacing, then the order the units were
    // given. A unit with the same translation as one before it is left out (it would
    // suggest nothing new), as are units with an empty translation and the unit whose
    // origin is in the same place as `skip` (the item being translated), when given.
    std::vector<Suggestion> Suggest(std::string_view source, size_t maxResults = 3, int minScore = 70,
                                    const Origin* skip = nullptr) const;
    // Every unit scoring at least minScore (1..100) against `source`, unsorted, appended
    // to `found`, numbered from firstNumber on.
    void AddMatches(std::string_view source, int minScore, const Origin* skip, size_t firstNumber,
                    std::vector<Suggestion>& found) const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// What Suggest gives over the units of several indexes together, as one index of all
// of them would (units numbered on from one index to the next; null indexes skipped).
std::vector<Suggestion> SuggestFrom(std::initializer_list<const MemoryIndex*> indexes, std::string_view source,
                                    size_t maxResults = 3, int minScore = 70, const Origin* skip = nullptr);

// The order Suggest returns matches in, for whoever merges or checks its results: true
// when `a` (of unit number ua) comes before `b` (of ub), given their sources and the
// text they were scored against.
bool SuggestionBefore(const MatchScore& a, size_t ua, const MatchScore& b, size_t ub);

}  // namespace memory
