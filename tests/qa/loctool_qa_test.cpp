// loctool_qa_test.cpp - loctool qa run as the program on a small project with planted
// problems: the line format, the summary, the exit codes, JSON with the same content,
// spelling with the German dictionary, a settings file with a bad line, inconsistent
// translations as warnings, the glossary's terms as errors, the room of the texts in the
// game's font, and every rule named in the JSON.
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <vector>

#include "tests/render/font_test_font.h"
#include "tests/support/loctool_run.h"

using namespace loctoolrun;

namespace {

// Item names and, per language, the texts of the menu file; the other files get one
// clean item each.
const std::vector<std::string> kNames = {"Start", "Coins", "Warn", "Lines", "Same", "Empty", "Typo"};
const std::vector<std::string> kEnglish = {
    "Start", "%d coins", "<color 255,0,0>Warning<color default>", "one\ntwo", "Audio", "Options", "Error"};
const std::vector<std::string> kGerman = {"Starten", "Münzen", "<color 255,0,0>Warnung", "eins zwei", "Audio",
                                          "",        "Fehlr"};

class LoctoolQa : public LoctoolTest {
  protected:
    void SetUp() override {
        LoctoolTest::SetUp();
        WriteProject(kEnglish, kGerman);
    }

    void WriteFile(const std::string& language, const std::string& file, const std::vector<std::string>& texts) {
        locfixture::WriteFile(dir_ / "Texts" / language / (file + ".loc"), locfixture::LocBytes(texts));
    }
    void WriteProject(const std::vector<std::string>& english, const std::vector<std::string>& german) {
        std::vector<std::pair<std::string, std::string>> names;
        for (const std::string& name : kNames) names.emplace_back(name, "");
        locfixture::WriteFile(dir_ / "Descriptions" / "menu.desc", locfixture::DescBytes(names));
        for (const char* file : {"game", "keyboard"}) {
            locfixture::WriteFile(dir_ / "Descriptions" / (std::string(file) + ".desc"),
                                  locfixture::DescBytes({{"Only", ""}}));
            WriteFile("English", file, {"Yes"});
            WriteFile("German", file, {"Ja"});
        }
        WriteFile("English", "menu", english);
        WriteFile("German", "menu", german);
    }
    Outcome Qa(const std::string& options) const { return Loctool("qa " + Q(dir_) + " " + options); }
    // The test font (cells 7 pixels wide, an advance of 8) as the game's font of a file.
    void WriteTestFont(const std::string& name) {
        std::filesystem::create_directories(dir_ / "Fonts");
        const std::vector<uint8_t> bytes = WriteDsf(TestFontFile());
        locfixture::WriteFile(dir_ / "Fonts" / name, std::string(bytes.begin(), bytes.end()));
    }
};

TEST_F(LoctoolQa, ListsEachPlantedProblemOnItsLineAndFails) {
    const Outcome o = Qa("");
    EXPECT_EQ(o.code, 1) << o.err;
    EXPECT_EQ(o.out,
              "German/menu.loc:1:Coins: Placeholders: the reference has %d, this text none\n"
              "German/menu.loc:2:Warn: Colour tags: the reference has 2, this text 1\n"
              "German/menu.loc:3:Lines: Line breaks: the reference has 1, this text 0\n"
              "3 problems in 3 items\n");
}

TEST_F(LoctoolQa, CleanProjectPassesAndLimitsAndSpellingAddProblems) {
    std::vector<std::string> german = {
        "Starten", "%d Münzen", "<color 255,0,0>Warnung<color default>", "eins\nzwei", "Audio", "", "Fehler"};
    WriteProject(kEnglish, german);
    Outcome o = Qa("--spell");
    EXPECT_EQ(o.code, 0) << o.out << o.err;
    EXPECT_EQ(o.out, "no problems\n");

    std::ofstream(dir_ / "zazovi-project.ini") << "[length]\nmenu = 8\n";
    german.back() = "Fehlr";
    WriteProject(kEnglish, german);
    o = Qa("--spell --source English");
    EXPECT_EQ(o.code, 1);
    EXPECT_EQ(o.out,
              "German/menu.loc:1:Coins: Length: 9 characters, the limit is 8\n"
              "German/menu.loc:3:Lines: Length: 9 characters, the limit is 8\n"
              "German/menu.loc:6:Typo: Spelling: Fehlr\n"
              "3 problems in 3 items\n");
}

TEST_F(LoctoolQa, JsonHoldsTheSameProblems) {
    const Outcome o = Qa("--format json");
    EXPECT_EQ(o.code, 1);
    const nlohmann::json j = nlohmann::json::parse(o.out);
    EXPECT_EQ(j["reference"], "English");
    ASSERT_EQ(j["problems"].size(), 3u);
    EXPECT_EQ(j["problems"][1], (nlohmann::json{{"language", "German"},
                                                {"file", "menu.loc"},
                                                {"item", 2},
                                                {"name", "Warn"},
                                                {"check", "tags"},
                                                {"severity", "error"},
                                                {"message", "Colour tags: the reference has 2, this text 1"}}));
    EXPECT_EQ(j["summary"]["problems"], 3);
}

TEST_F(LoctoolQa, BadSettingsUnknownNamesAndUsageAreRefused) {
    const struct {
        const char* settings;
        const char* options;
        int code;
        const char* err;  // a line stderr must hold
    } cases[] = {
        {"[length]\nmenu = lots\n", "", 1,
         "loctool: zazovi-project.ini line 2: the length of 'menu' must be a whole number from 1 to 32767, not "
         "'lots'\n"},
        {"[length]\nmneu = 40\n", "", 1,
         "loctool: zazovi-project.ini line 2: [length] names 'mneu', which is not a file of the project\n"},
        {"", "--format xml", 2, "usage: loctool qa"},
        {"", "--source Klingon", 1, "loctool: The reference language 'Klingon' has no folder under Texts\n"},
    };
    for (const auto& c : cases) {
        std::ofstream(dir_ / "zazovi-project.ini") << c.settings;
        const Outcome o = Qa(c.options);
        EXPECT_EQ(o.code, c.code) << c.settings << c.options;
        EXPECT_NE(o.err.find(c.err), std::string::npos) << o.err;
    }
    // A folder in the file's place is refused with a word, not an abort.
    std::filesystem::remove(dir_ / "zazovi-project.ini");
    std::filesystem::create_directory(dir_ / "zazovi-project.ini");
    const Outcome o = Qa("");
    EXPECT_EQ(o.code, 1);
    EXPECT_NE(o.err.find("zazovi-project.ini: it is a folder"), std::string::npos) << o.err;
}

TEST_F(LoctoolQa, InconsistentTranslationsAreWarningsThatFailOnlyWhenAsked) {
    WriteProject({"Start", "Save", "Save", "Load", "Load game", "Options", "Error"},
                 {"Starten", "Speichern", "Sichern", "Laden", "Laden", "", "Fehler"});
    const Outcome o = Qa("");
    EXPECT_EQ(o.code, 0) << o.err;
    EXPECT_EQ(o.out,
              "German/menu.loc:1:Coins: warning: Translated differently elsewhere: menu.loc #2 (Warn) has \"Sichern\"\n"
              "German/menu.loc:2:Warn: warning: Translated differently elsewhere: menu.loc #1 (Coins) has "
              "\"Speichern\"\n"
              "German/menu.loc:3:Lines: warning: The same translation is given to other source texts: menu.loc #4 "
              "(Same) for \"Load game\"\n"
              "German/menu.loc:4:Same: warning: The same translation is given to other source texts: menu.loc #3 "
              "(Lines) for \"Load\"\n"
              "4 problems in 4 items\n");
    EXPECT_EQ(Qa("--fail-on-warnings").code, 1);
    const Outcome json = Qa("--format json");
    EXPECT_EQ(json.code, 0);
    const nlohmann::json j = nlohmann::json::parse(json.out);
    ASSERT_EQ(j["problems"].size(), 4u);
    EXPECT_EQ(j["problems"][0]["check"], "consistency");
    EXPECT_EQ(j["problems"][0]["severity"], "warning");
}

TEST_F(LoctoolQa, TranslationsMustHoldTheGlossaryTermsOfTheirSource) {
    // Terms match in any case as whole words ("Goldfish" holds no "Gold"); a plural
    // counts only as a listed variant ("Heiltränken" is none).
    WriteProject(
        {"Start", "Buy a healing potion", "HEALING POTIONS for sale", "Goldfish", "Gold coins", "Options", "Error"},
        {"Starten", "Kaufe einen HEILTRANK", "Verkauf von Heiltränken", "Goldfisch", "Münzen", "", "Fehler"});
    std::ofstream(dir_ / "Glossary.csv") << "English,German\nHealing Potion|Healing Potions,Heiltrank|Heiltränke\n"
                                            "Gold,Gold\nOptions,Einstellungen\n";
    Outcome o = Qa("");
    EXPECT_EQ(o.code, 1) << o.err;
    EXPECT_EQ(o.out,
              "German/menu.loc:2:Warn: Glossary: \"Healing Potion\" is \"Heiltrank\" or \"Heiltränke\" here\n"
              "German/menu.loc:4:Same: Glossary: \"Gold\" is \"Gold\" here\n"
              "2 problems in 2 items\n");
    EXPECT_EQ(nlohmann::json::parse(Qa("--format json").out)["problems"][1]["check"], "glossary");

    // A language without a column is not checked against the glossary.
    std::ofstream(dir_ / "Glossary.csv") << "English,French\nGold,Or\n";
    o = Qa("");
    EXPECT_EQ(o.code, 0) << o.err;
    EXPECT_EQ(o.out, "no problems\n");

    std::ofstream(dir_ / "Glossary.csv") << "English,German\nGold,Gold\n\"Gold coins,Münzen\n";
    o = Qa("");
    EXPECT_EQ(o.code, 1);
    EXPECT_NE(o.err.find("loctool: Glossary.csv:3:"), std::string::npos) << o.err;
    EXPECT_EQ(o.out, "");
}

// Each rule's problems are named by it in the JSON: the checks of the text against its
// reference, the length, spelling, and the room in the game's font.
TEST_F(LoctoolQa, EveryProblemNamesItsRuleInJson) {
    WriteProject(kEnglish, {"Starten ", "Münzen", "<color 255,0,0>Warnung", "eins zwei", "Audio", "", "Fehlr"});
    WriteFile("German", "game", {"abcdefgh ijkl \xC5\x8B"});
    WriteTestFont("game.dsf");
    std::ofstream(dir_ / "zazovi-project.ini") << "[font]\ngame = Fonts/game.dsf\n[width]\ngame = 70\n[lines]\n"
                                                  "game = 1\n[length]\nkeyboard = 2\n";
    WriteFile("German", "keyboard", {"Jawohl"});
    const Outcome o = Qa("--spell --format json");
    EXPECT_EQ(o.code, 1) << o.err;
    const nlohmann::json j = nlohmann::json::parse(o.out);
    std::set<std::string> checks;
    for (const nlohmann::json& p : j["problems"]) {
        if (p["check"] == "consistency") continue;  // the two one-item files' warnings
        checks.insert(p["check"].get<std::string>());
        EXPECT_EQ(p["severity"], "error") << p;
    }
    EXPECT_EQ(checks, (std::set<std::string>{"tags", "placeholders", "line-breaks", "spaces", "length", "spelling",
                                             "width", "lines", "glyphs"}));
    const Outcome text = Qa("");
    EXPECT_NE(text.out.find("German/game.loc:0:Only: Width: 122/70 px, 2/1 lines; a word is wider than the box and "
                            "is cut\n"
                            "German/game.loc:0:Only: Lines: 122/70 px, 2/1 lines\n"
                            "German/game.loc:0:Only: Glyphs: the game's font has no glyph for \u201C\xC5\x8B\u201D "
                            "(U+014B)\n"),
              std::string::npos)
        << text.out;
}

// Widths are measured in the game's font of the file, else in the editor's; without
// either, or with a font that cannot be read, or a room for an item the file lacks, qa
// stops before checking anything.
TEST_F(LoctoolQa, TheRoomNeedsAFontAndItemsTheFileHas) {
    const struct {
        const char* settings;
        const char* err;
    } cases[] = {
        {"[width]\ngame = 70\n",
         "loctool: the texts of game have a width, and no font was found to measure them: name the game's font in "
         "[font] of zazovi-project.ini, or put the editor's zazovi_font.dsf into the project\n"},
        {"[font]\ngame = Fonts/none.dsf\n", "loctool: zazovi-project.ini line 2: the font of 'game' cannot be used: "},
        {"[width.game]\n1 = 70\n[font]\ngame = Fonts/game.dsf\n",
         "loctool: zazovi-project.ini line 2: [width.game] names item 1, but game.loc has 1 items\n"},
    };
    WriteTestFont("game.dsf");
    for (const auto& c : cases) {
        std::ofstream(dir_ / "zazovi-project.ini") << c.settings;
        const Outcome o = Qa("");
        EXPECT_EQ(o.code, 1) << c.settings;
        EXPECT_NE(o.err.find(c.err), std::string::npos) << o.err;
        EXPECT_EQ(o.out, "");
    }
    // The editor's font from the project, for the file without a font of its own; lines
    // alone need no font.
    std::filesystem::copy_file(QK_BINARY_DIR "/zazovi_font.dsf", dir_ / "zazovi_font.dsf");
    WriteFile("German", "game", {"Ja\nJa"});
    std::ofstream(dir_ / "zazovi-project.ini") << "[width]\ngame = 10\n[lines]\nkeyboard = 1\n";
    const Outcome o = Qa("");
    EXPECT_NE(o.out.find("German/game.loc:0:Only: Width: "), std::string::npos) << o.out << o.err;
    EXPECT_EQ(o.out.find("keyboard.loc:0:Only: Lines"), std::string::npos) << o.out;
}

}  // namespace
