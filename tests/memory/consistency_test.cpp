// Consistency of one language's translations across its items.
#include "editor/memory/consistency.h"

#include <gtest/gtest.h>

using namespace memory;

TEST(Consistency, SameSourceDifferentTranslationsAndSameTranslationDifferentSources) {
    const std::vector<ConsistencyItem> items = {
        {"menu.loc", 0, "Potion", "Potion", "Trank"},           // 0
        {"game.loc", 12, "Potion2", "Potion", "Heiltrank"},     // 1: same source, other translation
        {"game.loc", 13, "", "Potion", "Trank"},                // 2
        {"menu.loc", 1, "Save", "Save", "Speichern"},           // 3
        {"menu.loc", 2, "SaveGame", "Save game", "Speichern"},  // 4: same translation, other source
        {"menu.loc", 3, "Quit", "Quit", ""},                    // 5: untranslated
        {"menu.loc", 4, "Quit2", "Quit", "Quit"},               // 6: untranslated (the source itself)
        {"menu.loc", 5, "Quit3", "Quit", "Beenden"},            // 7: alone once the others are left out
        {"menu.loc", 6, "Ok", "OK", "OK"},                      // 8: untranslated, although shared
        {"menu.loc", 7, "Ok2", "Okay", "OK"},                   // 9: OK for "Okay" is a translation
    };
    const ConsistencyReport r = CheckConsistency(items);
    ASSERT_EQ(r.groups.size(), 2u);
    EXPECT_EQ(r.groups[0].kind, ConsistencyGroup::Kind::SourceTranslatedDifferently);
    EXPECT_EQ(r.groups[0].text, "Potion");
    EXPECT_EQ(r.groups[0].items, (std::vector<size_t>{0, 1, 2}));
    EXPECT_EQ(r.groups[1].kind, ConsistencyGroup::Kind::TranslationOfDifferentSources);
    EXPECT_EQ(r.groups[1].text, "Speichern");
    EXPECT_EQ(r.groups[1].items, (std::vector<size_t>{3, 4}));
    EXPECT_EQ(r.byItem[1], (std::vector<size_t>{0}));
    EXPECT_EQ(r.byItem[4], (std::vector<size_t>{1}));
    for (size_t i : {5, 6, 7, 8, 9}) EXPECT_TRUE(r.byItem[i].empty()) << i;

    EXPECT_EQ(DescribeFinding(r.groups[0], items, 1),
              "Translated differently elsewhere: menu.loc #0 (Potion) has \"Trank\", game.loc #13 has \"Trank\"");
    EXPECT_EQ(DescribeFinding(r.groups[1], items, 3),
              "The same translation is given to other source texts: menu.loc #2 (SaveGame) for \"Save game\"");
    EXPECT_EQ(DescribeFinding(r.groups[0], items, 0, 1),
              "Translated differently elsewhere: game.loc #12 (Potion2) has \"Heiltrank\" and 1 more");

    // With the source in the same language as the translation, a text equal to its
    // source is a translation like any other.
    const ConsistencyReport same = CheckConsistency(items, false);
    EXPECT_EQ(same.byItem[6].size(), 1u);
}

TEST(Consistency, ALongTextIsCutAtACharacterInTheMessage) {
    const std::string longText = std::string(59, 'x') + "ü and more";
    const std::vector<ConsistencyItem> items = {{"a.loc", 0, "", "S", longText}, {"a.loc", 1, "", "S", "short"}};
    const ConsistencyReport r = CheckConsistency(items);
    ASSERT_EQ(r.groups.size(), 1u);
    EXPECT_EQ(DescribeFinding(r.groups[0], items, 1),
              "Translated differently elsewhere: a.loc #0 has \"" + std::string(59, 'x') + "\xE2\x80\xA6\"");
}
