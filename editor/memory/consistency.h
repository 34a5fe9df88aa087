// consistency.h - across one language's items: a source text translated in more than
// one way, and one translation given to different source texts. Pure; the editor shows
// an item's findings in its panel, loctool qa lists them all.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace memory {

struct ConsistencyItem {
    std::string file;  // "menu.loc"
    int index = 0;
    std::string name;  // from Descriptions, may be empty
    std::string source, translation;
};

struct ConsistencyGroup {
    enum class Kind : uint8_t {
        SourceTranslatedDifferently,    // `text` is the shared source
        TranslationOfDifferentSources,  // `text` is the shared translation
    };
    Kind kind = Kind::SourceTranslatedDifferently;
    std::string text;
    std::vector<size_t> items;  // every item of the group, in the order given
};

struct ConsistencyReport {
    std::vector<ConsistencyGroup> groups;     // in the order of their first item
    std::vector<std::vector<size_t>> byItem;  // per item, the groups it is in
};

// Untranslated items (qa::IsUntranslated: empty, or the source itself while the source
// is another language) take no part. Texts compare byte for byte.
ConsistencyReport CheckConsistency(const std::vector<ConsistencyItem>& items, bool sourceIsOtherLanguage = true);

// One line for `item`'s part in a group, naming the others and what they hold:
//   Translated differently elsewhere: game.loc #12 "Potion" has "Trank", ...
//   The same translation is given to other source texts: menu.loc #3 "Save game", ...
// At most `maxNamed` other items are named, then "and N more".
std::string DescribeFinding(const ConsistencyGroup& group, const std::vector<ConsistencyItem>& items, size_t item,
                            size_t maxNamed = 5);

}  // namespace memory
