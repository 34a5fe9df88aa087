// The glossary: reading Glossary.csv, finding its terms, checking translations, and
// the candidates from item names.
#include "editor/memory/glossary.h"

#include <gtest/gtest.h>

using namespace memory;

namespace {

const char* const kGlossary =
    "\xEF\xBB\xBF"
    "English,German,Japanese,Thai\r\n"
    "Healing Potion|Healing Potions,Heiltrank|Heiltränke,回復薬,ยารักษา\r\n"
    "Gold,Gold,ゴールド,\r\n"
    "\"Sword, short\",Kurzschwert,,\r\n"
    ",,,\r\n"
    "Mana,  Mana | Manapunkte  \r\n";

Glossary Parsed(const char* csv) {
    Glossary g;
    std::vector<std::string> errors;
    EXPECT_TRUE(ParseGlossary(csv, "Glossary.csv", g, errors)) << (errors.empty() ? "" : errors[0]);
    return g;
}

std::vector<size_t> TermsIn(const TermFinder& finder, std::string_view text) {
    std::vector<size_t> terms;
    for (const TermMatch& m : finder.Find(text)) terms.push_back(m.term);
    return terms;
}

}  // namespace

TEST(GlossaryRead, HeaderVariantsAndLines) {
    const Glossary g = Parsed(kGlossary);
    EXPECT_EQ(g.languages, (std::vector<std::string>{"English", "German", "Japanese", "Thai"}));
    ASSERT_EQ(g.terms.size(), 4u);
    EXPECT_EQ(g.terms[0].variants[1], (std::vector<std::string>{"Heiltrank", "Heiltränke"}));
    EXPECT_EQ(g.terms[2].variants[0], (std::vector<std::string>{"Sword, short"}));
    EXPECT_TRUE(g.terms[2].variants[2].empty());
    EXPECT_EQ(g.terms[3].line, 6);
    EXPECT_EQ(g.terms[3].variants[1], (std::vector<std::string>{"Mana", "Manapunkte"}));
    EXPECT_EQ(g.terms[3].variants.size(), 4u);  // short rows have every column
    EXPECT_EQ(g.Column("Japanese"), 2);
    EXPECT_EQ(g.Column("French"), -1);
}

TEST(GlossaryRead, DamageIsReportedWithItsLine) {
    Glossary g;
    std::vector<std::string> errors;
    EXPECT_FALSE(ParseGlossary("English,German\nPotion,Trank\nSword,\"Schwert\nAxe,Axt\n", "G.csv", g, errors));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "G.csv:4: the file ends inside a quoted cell");
    EXPECT_EQ(g.terms.size(), 1u);  // the rows before the damage are kept

    EXPECT_FALSE(ParseGlossary("English,German\nPo\"tion,Trank\nSword,Schwert\n", "G.csv", g, errors));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].rfind("G.csv:2: ", 0), 0u) << errors[0];

    EXPECT_FALSE(ParseGlossary("English,German\nPotion,Trank,Extra\n,Schwert\nAxe,Axt\n", "G.csv", g, errors));
    EXPECT_EQ(errors, (std::vector<std::string>{"G.csv:2: more cells than the header has languages",
                                                "G.csv:3: no term in the first column (English)"}));
    EXPECT_EQ(g.terms.size(), 1u);

    EXPECT_FALSE(ParseGlossary("English,,German\n", "G.csv", g, errors));
    EXPECT_EQ(errors[0], "G.csv:1: the header must name each language folder once, with no empty cell");
    EXPECT_FALSE(ParseGlossary("English,English\n", "G.csv", g, errors));
    EXPECT_FALSE(ParseGlossary("", "G.csv", g, errors));
    EXPECT_EQ(errors[0], "G.csv:1: no header row naming the language folders");
}

TEST(GlossaryFind, WholeWordsInAnyCaseAndCjkThaiAnywhere) {
    const Glossary g = Parsed(kGlossary);
    const TermFinder english(g, 0);
    EXPECT_EQ(TermsIn(english, "Drink a healing potion."), (std::vector<size_t>{0}));
    EXPECT_EQ(TermsIn(english, "Two HEALING   POTIONS and gold"), (std::vector<size_t>{0, 1}));
    EXPECT_EQ(TermsIn(english, "<color 255,0,0>Healing<color default> Potion"), (std::vector<size_t>{0}));
    EXPECT_TRUE(TermsIn(english, "Goldsmith, golden, potion").empty());  // whole words only
    EXPECT_EQ(TermsIn(english, "A sword, short and sharp"), (std::vector<size_t>{2}));
    const std::vector<TermMatch> at = english.Find("Buy Gold!");
    ASSERT_EQ(at.size(), 1u);
    EXPECT_EQ(at[0].begin, 4u);
    EXPECT_EQ(at[0].end, 8u);

    const TermFinder japanese(g, 2), thai(g, 3);
    EXPECT_EQ(TermsIn(japanese, "回復薬を3個買った。ゴールドが足りない"), (std::vector<size_t>{0, 1}));
    EXPECT_TRUE(TermsIn(japanese, "回復を").empty());
    EXPECT_EQ(TermsIn(thai, "ซื้อยารักษาสองขวด"), (std::vector<size_t>{0}));
    // Thai: a consonant with its vowel mark is not the bare consonant.
    EXPECT_TRUE(TermsIn(TermFinder(Parsed("Thai\nกี\n"), 0), "กา").empty());
}

TEST(GlossaryCheck, ATermWithoutAnyOfItsTranslationsIsAFinding) {
    const Glossary g = Parsed(kGlossary);
    const TermFinder english(g, 0), german(g, 1), japanese(g, 2), thai(g, 3), french(g, g.Column("French"));
    EXPECT_TRUE(CheckGlossary(g, english, german, "Drink a Healing Potion", "Trink einen Heiltrank").empty());
    EXPECT_TRUE(CheckGlossary(g, english, german, "Two healing potions", "Zwei HEILTRÄNKE").empty());
    // No stemming: an inflected form is not a variant unless listed.
    std::vector<GlossaryFinding> f = CheckGlossary(g, english, german, "Use the healing potion", "Nimm den Heiltranks");
    ASSERT_EQ(f.size(), 1u);
    EXPECT_EQ(f[0].sourceTerm, "Healing Potion");
    EXPECT_EQ(f[0].expected, (std::vector<std::string>{"Heiltrank", "Heiltränke"}));
    EXPECT_EQ(f[0].message, "Glossary: \"Healing Potion\" is \"Heiltrank\" or \"Heiltränke\" here");
    // A term without a cell in the target column, an empty translation, a folder the
    // glossary lacks: nothing to check.
    EXPECT_TRUE(CheckGlossary(g, english, thai, "Gold", "ทอง").empty());
    EXPECT_TRUE(CheckGlossary(g, english, german, "Gold", "").empty());
    EXPECT_TRUE(CheckGlossary(g, english, french, "Gold", "Or").empty());
    f = CheckGlossary(g, english, japanese, "Gold and a healing potion", "金と回復薬");
    ASSERT_EQ(f.size(), 1u);
    EXPECT_EQ(f[0].message, "Glossary: \"Gold\" is \"ゴールド\" here");
    EXPECT_TRUE(CheckGlossary(g, english, japanese, "Gold", "ゴールドを").empty());
}

TEST(GlossaryCandidates, NamesInSeveralTextsWithTheirAgreedTranslation) {
    const std::vector<std::string> names = {"Fire Sword", "Ice Wand", "Gold", "Rare", "Fire Sword", ""};
    const std::vector<CandidateText> texts = {
        {"Fire Sword", "Feuerschwert"},
        {"fire sword", "Feuerschwert"},
        {"Your Fire Sword glows.", "Dein Feuerschwert glüht."},
        {"Ice Wand", "Eisstab"},
        {"Ice Wand", "Frostzauberstab"},
        {"The Ice Wand breaks.", "Der Eisstab zerbricht."},
        {"Gold: 12", "Gold: 12"},
        {"More gold", "Mehr Gold"},
        {"Rare", "Selten"},
    };
    const Glossary existing = Parsed("English,German\nGold,Gold\n");
    std::vector<std::vector<std::string>> rows =
        GlossaryCandidates(names, texts, {"English", "Japanese", "German"}, "English", "German", &existing);
    EXPECT_EQ(rows, (std::vector<std::vector<std::string>>{{"Fire Sword", "", "Feuerschwert"}, {"Ice Wand", "", ""}}));
    EXPECT_EQ(FormatCsvRows(rows), "Fire Sword,,Feuerschwert\r\nIce Wand,,\r\n");
    EXPECT_EQ(FormatCsvRows({{"a,b", "say \"hi\""}}), "\"a,b\",\"say \"\"hi\"\"\"\r\n");
    // Without a glossary, Gold is a candidate too.
    rows = GlossaryCandidates(names, texts, {"English", "German"}, "English", "German");
    EXPECT_EQ(rows.size(), 3u);
    Glossary back;
    std::vector<std::string> errors;
    EXPECT_TRUE(ParseGlossary("English,German\r\n" + FormatCsvRows(rows), "G.csv", back, errors));
    EXPECT_EQ(back.terms.size(), 3u);
}
