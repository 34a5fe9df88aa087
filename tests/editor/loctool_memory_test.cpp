// loctool_memory_test.cpp - loctool suggest and glossary-candidates run as the program on
// small projects: suggestions from the project's items and from TMX files (languages
// matched through [languages] and by primary subtag, a broken file left out), JSON and
// text output, refused arguments, and the candidates' CSV.
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "tests/support/loctool_run.h"

using namespace loctoolrun;

namespace {

using locfixture::WriteFile;

struct Item {
    const char* file;
    const char* name;
    const char* english;
    const char* german;
    const char* french;
};

class LoctoolMemory : public LoctoolTest {
  protected:
    void WriteProject(const std::vector<Item>& items) const {
        for (const char* file : {"menu", "game", "keyboard"}) {
            std::vector<std::pair<std::string, std::string>> names;
            std::vector<std::string> english, german, french;
            for (const Item& item : items)
                if (std::string(item.file) == file) {
                    names.emplace_back(item.name, "");
                    english.push_back(item.english);
                    german.push_back(item.german);
                    french.push_back(item.french);
                }
            WriteFile(dir_ / "Descriptions" / (std::string(file) + ".desc"), locfixture::DescBytes(names));
            WriteFile(dir_ / "Texts" / "English" / (std::string(file) + ".loc"), locfixture::LocBytes(english));
            WriteFile(dir_ / "Texts" / "German" / (std::string(file) + ".loc"), locfixture::LocBytes(german));
            WriteFile(dir_ / "Texts" / "French" / (std::string(file) + ".loc"), locfixture::LocBytes(french));
        }
    }
    Outcome Suggest(const std::string& args) const { return Loctool("suggest " + Q(dir_) + " " + args); }
};

class LoctoolSuggest : public LoctoolMemory {
  protected:
    void SetUp() override {
        LoctoolMemory::SetUp();
        WriteProject({
            {"menu", "Load", "Load the saved game", "Gespeichertes Spiel laden", ""},
            {"menu", "LoadAll", "Load the saved games", "Load the saved games", ""},  // a copy: untranslated
            {"menu", "Buy", "Buy 5 potions", "5 Tränke kaufen", ""},
            {"menu", "BuyMore", "Buy 12 potions", "", ""},
            {"menu", "Open", "Open the heavy door", "", ""},
            {"game", "Close", "Close the heavy door", "Schließe die schwere Tür", ""},
            {"keyboard", "Yes", "Yes", "Ja", "Oui"},
        });
        // English is found by its tag's primary subtag (en-GB, EN), German by its tag
        // (de-DE, de_DE); de-AT is another language, and a unit without German gives nothing.
        WriteFile(dir_ / "zazovi-project.ini", "[languages]\nEnglish = en\nGerman = de-DE\n");
        WriteFile(dir_ / "Translation memory" / "old.tmx",
                  "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                  "<tmx version=\"1.4\">\n"
                  "<header srclang=\"en\" datatype=\"plaintext\"/>\n"
                  "<body>\n"
                  "<tu><tuv xml:lang=\"en-GB\"><seg>Open the heavy door</seg></tuv>"
                  "<tuv xml:lang=\"de-AT\"><seg>Mach die Tür auf</seg></tuv></tu>\n"
                  "<tu><tuv xml:lang=\"EN\"><seg>Open the heavy doors</seg></tuv>"
                  "<tuv xml:lang=\"de_DE\"><seg>Öffne die Türen</seg></tuv></tu>\n"
                  "<tu><tuv xml:lang=\"en-GB\"><seg>Open the heavy door</seg></tuv>"
                  "<tuv xml:lang=\"fr-FR\"><seg>Ouvre la porte</seg></tuv></tu>\n"
                  "<tu><tuv xml:lang=\"en-GB\"><seg>Open the heavy door</seg></tuv>"
                  "<tuv xml:lang=\"de-DE\"><seg>Öffne die Tür</seg></tuv></tu>\n"
                  "</body>\n</tmx>\n");
        WriteFile(dir_ / "Translation memory" / "broken.tmx", "<tmx><body>\n<tu></body></tmx>\n");
    }
    nlohmann::json SuggestJson(const std::string& args) const {
        const Outcome o = Suggest(args + " --format json");
        EXPECT_EQ(o.code, 0) << o.err;
        return nlohmann::json::parse(o.out, nullptr, false);
    }
};

nlohmann::json ProjectOrigin(const char* file, int index, const char* name) {
    return {{"kind", "project"}, {"file", file}, {"index", index}, {"name", name}};
}

TEST_F(LoctoolSuggest, ProjectItemsAreSuggestedButNeverTheItemItselfNorAnUntranslatedOne) {
    // One word of four changed: 75.
    EXPECT_EQ(SuggestJson("German menu 1"), nlohmann::json::parse(R"([{
        "score": 75, "origin": {"kind": "project", "file": "menu.loc", "index": 0, "name": "Load"},
        "source": "Load the saved game", "translation": "Gespeichertes Spiel laden", "differs_in": []}])"));
    // Only a number differs: 100, and said so.
    const nlohmann::json exact = SuggestJson("German menu.loc 3");
    ASSERT_EQ(exact.size(), 1u) << exact;
    EXPECT_EQ(exact[0]["score"], 100);
    EXPECT_EQ(exact[0]["origin"], ProjectOrigin("menu.loc", 2, "Buy"));
    EXPECT_EQ(exact[0]["differs_in"], nlohmann::json::array({"numbers"}));
    // The item itself scores 100, and "Load the saved games" 75 but holds only its source.
    const Outcome none = Suggest("German menu 0");
    EXPECT_EQ(none.code, 0);
    EXPECT_EQ(none.out, "no suggestions\n");
    EXPECT_EQ(SuggestJson("German menu 0"), nlohmann::json::array());
}

TEST_F(LoctoolSuggest, TmxUnitsCountThroughLanguageTagsAndABrokenFileIsLeftOut) {
    const Outcome o = Suggest("German menu 4 --format json");
    EXPECT_EQ(o.code, 0) << o.err;
    EXPECT_NE(o.err.find("broken.tmx:"), std::string::npos) << o.err;
    EXPECT_NE(o.err.find("left out"), std::string::npos) << o.err;
    const nlohmann::json j = nlohmann::json::parse(o.out);
    ASSERT_EQ(j.size(), 3u) << j;
    EXPECT_EQ(j[0]["origin"], (nlohmann::json{{"kind", "tmx"}, {"file", "old.tmx"}, {"index", 8}, {"name", ""}}));
    EXPECT_EQ(j[0]["translation"], "Öffne die Tür");
    EXPECT_EQ(j[0]["score"], 100);
    // Equal scores: the project's items come before the TMX units.
    EXPECT_EQ(j[1]["origin"], ProjectOrigin("game.loc", 0, "Close"));
    EXPECT_EQ(j[2]["origin"]["index"], 6);
    EXPECT_EQ(j[2]["translation"], "Öffne die Türen");
    EXPECT_EQ(j[2]["score"], 75);

    // French has no tag: its folder name matches nothing in the file.
    EXPECT_EQ(SuggestJson("French menu 4"), nlohmann::json::array());
}

TEST_F(LoctoolSuggest, TextFormShowsOneBlockPerSuggestion) {
    const Outcome o = Suggest("German menu 3");
    EXPECT_EQ(o.code, 0) << o.err;
    EXPECT_EQ(o.out,
              "100% menu.loc:2:Buy\n"
              "  source:      Buy 5 potions\n"
              "  translation: 5 Tränke kaufen\n"
              "  differs only in: numbers\n");
    const Outcome tmx = Suggest("German menu 4 --source English");
    EXPECT_EQ(tmx.out.substr(0, tmx.out.find('\n', tmx.out.find('\n') + 1) + 1),
              "100% old.tmx:8 (translation memory)\n"
              "  source:      Open the heavy door\n");
}

TEST_F(LoctoolSuggest, RefusesWhatNamesNoItem) {
    const struct {
        std::string args;
        int code;
        const char* err;
    } cases[] = {
        {"Klingon menu 0", 1, "The language 'Klingon' has no folder"},
        {"English menu 0", 1, "'English' is the source language"},
        {"German menus 0", 1, "no file 'menus' (its files: menu, game, keyboard)"},
        {"German menu 5", 1, "'5' is not an item of menu.loc, which has 5 items"},
        {"German menu -1", 2, "usage: loctool suggest"},
        {"German menu 1x", 1, "'1x' is not an item"},
        {"German menu 0 --source Klingon", 1, "The reference language 'Klingon' has no folder"},
        {"German menu", 2, "usage: loctool suggest"},
        {"German menu 0 --format xml", 2, "usage: loctool suggest"},
    };
    for (const auto& c : cases) {
        const Outcome o = Suggest(c.args);
        EXPECT_EQ(o.code, c.code) << c.args;
        EXPECT_NE(o.err.find(c.err), std::string::npos) << c.args << ": " << o.err;
        EXPECT_EQ(o.out, "") << c.args;
    }
    const Outcome missing = Loctool("suggest " + Q(dir_ / "nowhere") + " German menu 0");
    EXPECT_EQ(missing.code, 1);
    EXPECT_NE(missing.err.find("Cannot enter the project folder"), std::string::npos) << missing.err;
}

TEST_F(LoctoolMemory, GlossaryCandidatesAreNamesInSeveralSourcesWithAgreedTranslations) {
    WriteProject({
        {"menu", "Potion", "Potion", "Trank", "Potion de soin"},
        {"menu", "Drink", "Drink a potion", "Trink einen Trank", "Bois une potion"},
        {"menu", "Sword", "Sword", "Schwert", "Épée"},
        {"menu", "Buy", "Buy a sword, or a POTION", "Kaufe ein Schwert oder einen Trank", ""},
        {"game", "Potion", "Potion", "Trank", "Fiole"},
        {"game", "Shield", "Shield", "Schild", "Bouclier"},
        {"keyboard", "Yes", "Yes", "Ja", "Yes"},
    });
    // French disagrees on Potion; Shield, Drink and Buy are in one source text each.
    Outcome o = Loctool("glossary-candidates " + Q(dir_));
    EXPECT_EQ(o.code, 0) << o.err;
    EXPECT_EQ(o.out,
              "English,French,German\r\n"
              "Potion,,Trank\r\n"
              "Sword,Épée,Schwert\r\n");

    // A term the glossary has (in any case) is no candidate.
    WriteFile(dir_ / "Glossary.csv", "English,German\nsword,Schwert\n");
    o = Loctool("glossary-candidates " + Q(dir_));
    EXPECT_EQ(o.out, "English,French,German\r\nPotion,,Trank\r\n");
    // Another source comes first; the English names are in none of its texts.
    o = Loctool("glossary-candidates " + Q(dir_) + " --source German");
    EXPECT_EQ(o.code, 0) << o.err;
    EXPECT_EQ(o.out, "German,English,French\r\n");

    WriteFile(dir_ / "Glossary.csv", "English,German\n\"Sword,Schwert\n");
    o = Loctool("glossary-candidates " + Q(dir_));
    EXPECT_EQ(o.code, 1);
    EXPECT_NE(o.err.find("Glossary.csv:2:"), std::string::npos) << o.err;
    EXPECT_EQ(o.out, "");
}

}  // namespace
