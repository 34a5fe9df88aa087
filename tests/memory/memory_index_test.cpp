// The memory index against a brute-force scan that scores every unit: the same
// suggestions, in the same order, for many generated texts and thresholds.
#include "editor/memory/memory_index.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace memory;

namespace {

// Few words, so that generated texts share many of them, plus the neutral tokens and
// CJK characters.
const char* const kWords[] = {"the",
                              "a",
                              "Save",
                              "save",
                              "game",
                              "Load",
                              "potion",
                              "of",
                              "healing",
                              ",",
                              ".",
                              "!",
                              "gold",
                              "12",
                              "7",
                              "%d",
                              "{0}",
                              "<color 255,0,0>",
                              "<color default>",
                              "回",
                              "复",
                              "药"};

std::string RandomText(std::mt19937& rng, size_t maxTokens) {
    std::string text;
    const size_t n = 1 + rng() % maxTokens;
    for (size_t i = 0; i < n; ++i) {
        if (i) text += ' ';
        text += kWords[rng() % std::size(kWords)];
    }
    return text;
}

// A few word edits of `text` (by whole words, as written with spaces).
std::string Mutated(std::mt19937& rng, const std::string& text) {
    std::vector<std::string> words;
    for (size_t start = 0; start <= text.size();) {
        const size_t space = std::min(text.find(' ', start), text.size());
        words.push_back(text.substr(start, space - start));
        start = space + 1;
    }
    for (size_t edits = rng() % 3; edits-- > 0;) {
        const size_t at = rng() % (words.size() + 1);
        switch (rng() % 3) {
            case 0:
                words.insert(words.begin() + long(at), kWords[rng() % std::size(kWords)]);
                break;
            case 1:
                if (at < words.size() && words.size() > 1) words.erase(words.begin() + long(at));
                break;
            default:
                if (at < words.size()) words[at] = kWords[rng() % std::size(kWords)];
        }
    }
    std::string out;
    for (const std::string& w : words) out += (out.empty() ? "" : " ") + w;
    return out;
}

std::vector<MemoryUnit> GeneratedUnits(std::mt19937& rng, size_t count) {
    std::vector<MemoryUnit> units;
    for (size_t i = 0; i < count; ++i) {
        MemoryUnit u;
        u.source = i > 10 && rng() % 3 == 0 ? Mutated(rng, units[rng() % units.size()].source) : RandomText(rng, 10);
        // Some empty, some repeated translations.
        const unsigned kind = rng() % 10;
        u.translation = kind == 0 ? "" : kind == 1 ? "shared" : "T" + std::to_string(i);
        u.origin = i % 4 == 0 ? Origin{Origin::Kind::Tmx, "old.tmx", int(i), ""}
                              : Origin{Origin::Kind::Project, "menu.loc", int(i), "Item" + std::to_string(i)};
        units.push_back(std::move(u));
    }
    return units;
}

std::vector<size_t> BruteForce(const std::vector<MemoryUnit>& units, const std::string& query, size_t max, int minScore,
                               const Origin* skip) {
    struct Scored {
        MatchScore match;
        size_t unit;
    };
    std::vector<Scored> all;
    for (size_t u = 0; u < units.size(); ++u) {
        if (units[u].translation.empty() || (skip && units[u].origin.SamePlace(*skip))) continue;
        const MatchScore m = ScoreTexts(query, units[u].source);
        if (m.score >= minScore) all.push_back({m, u});
    }
    std::sort(all.begin(), all.end(),
              [](const Scored& a, const Scored& b) { return SuggestionBefore(a.match, a.unit, b.match, b.unit); });
    std::vector<size_t> out;
    for (const Scored& s : all) {
        if (std::any_of(out.begin(), out.end(),
                        [&](size_t o) { return units[o].translation == units[s.unit].translation; }))
            continue;
        if (out.size() < max) out.push_back(s.unit);
    }
    return out;
}

}  // namespace

TEST(MemoryIndex, SuggestsWhatScoringEveryUnitWouldFind) {
    std::mt19937 rng(20261208);
    const std::vector<MemoryUnit> units = GeneratedUnits(rng, 400);
    const MemoryIndex index(units);
    size_t nonEmpty = 0;
    for (int q = 0; q < 600; ++q) {
        const std::string query = q % 2 ? Mutated(rng, units[rng() % units.size()].source) : RandomText(rng, 12);
        const int minScore = std::vector<int>{30, 50, 70, 85, 100}[size_t(q) % 5];
        const Origin* skip = q % 3 == 0 ? &units[rng() % units.size()].origin : nullptr;
        const size_t max = 1 + size_t(q) % 5;
        std::vector<size_t> got;
        for (const Suggestion& s : index.Suggest(query, max, minScore, skip)) {
            got.push_back(s.unit);
            EXPECT_EQ(s.match.score, ScoreTexts(query, units[s.unit].source).score);
            EXPECT_EQ(s.match.differsIn, ScoreTexts(query, units[s.unit].source).differsIn);
            EXPECT_EQ(s.data, &index.unit(s.unit));
        }
        ASSERT_EQ(got, BruteForce(units, query, max, minScore, skip)) << "query \"" << query << "\", min " << minScore;
        nonEmpty += !got.empty();
    }
    EXPECT_GT(nonEmpty, 200u);  // the comparison is about real results, not empty lists
}

TEST(MemoryIndex, BestFirstWithTheItemItselfAndEmptyTranslationsLeftOut) {
    std::vector<MemoryUnit> units = {
        {"Save the game", "Spiel speichern", {Origin::Kind::Project, "menu.loc", 3, "SaveGame"}},
        {"Save the game", "", {Origin::Kind::Project, "menu.loc", 4, "SaveGame2"}},
        {"Save the <color 255,0,0>game", "Spiel <color 255,0,0>sichern", {Origin::Kind::Tmx, "old.tmx", 0, ""}},
        {"Save a game", "Ein Spiel speichern", {Origin::Kind::Tmx, "old.tmx", 0, ""}},
        {"Save the game now", "Spiel jetzt speichern", {Origin::Kind::Project, "game.loc", 9, "Now"}},
        {"Save the game", "Spiel speichern", {Origin::Kind::Tmx, "other.tmx", 0, ""}},
        {"Load the game", "Spiel laden", {Origin::Kind::Project, "menu.loc", 5, "Load"}},
    };
    MemoryIndex index(units);
    const Origin self{Origin::Kind::Project, "menu.loc", 3, "SaveGame"};
    std::vector<Suggestion> s = index.Suggest("Save the game", 3, 70, &self);
    ASSERT_EQ(s.size(), 3u);
    // Unit 5 has the very source and is not the item itself; unit 1 has no translation.
    EXPECT_EQ(s[0].unit, 5u);
    EXPECT_EQ(s[0].match.score, 100);
    // Units 2 and 4 have one token more: 3 of 4 is 75, in the order given; units 3 and 6
    // (66) fall below 70.
    EXPECT_EQ(s[1].unit, 2u);
    EXPECT_EQ(s[1].match.score, 75);
    EXPECT_EQ(s[2].unit, 4u);
    // Without the item skipped, unit 0 comes first and unit 5 (the same translation) is left out.
    s = index.Suggest("Save the game", 3, 70);
    EXPECT_EQ(s[0].unit, 0u);
    EXPECT_EQ(s[1].unit, 2u);

    // A tag-only difference is a 100 that says so, after a byte-identical one.
    s = index.Suggest("Save the <color 0,255,0>game", 2, 100);
    ASSERT_EQ(s.size(), 1u);
    EXPECT_EQ(s[0].unit, 2u);
    EXPECT_EQ(s[0].match.differsIn, kDiffersInTags);

    // A translation filled in later is suggested.
    index.SetTranslation(1, "Speichere das Spiel");
    s = index.Suggest("Save the game", 5, 100, &self);
    ASSERT_EQ(s.size(), 2u);
    EXPECT_EQ(s[0].unit, 1u);
    EXPECT_EQ(s[1].unit, 5u);

    EXPECT_TRUE(index.Suggest("", 3, 0).empty());
    EXPECT_TRUE(index.Suggest("Unknown words only", 3, 70).empty());
    EXPECT_TRUE(MemoryIndex().Suggest("Save the game").empty());
}
