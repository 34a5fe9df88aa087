// spelling_test.cpp - spelling with Debian's German Hunspell dictionary (installed by
// scripts/setup.sh): misspelled words as byte ranges, words with a colour tag inside,
// what is skipped, suggestions that replace a word, and a dictionary in ISO 8859-1.
#include "editor/qa/spelling.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace fs = std::filesystem;

namespace {

class GermanSpelling : public testing::Test {
  protected:
    void SetUp() override {
        const std::string base = qa::FindDictionary(qa::DictionaryName("German", {}), PlatDictionaryFolders());
        ASSERT_FALSE(base.empty()) << "hunspell-de-de is not installed (scripts/setup.sh installs it)";
        std::string message;
        ASSERT_TRUE(checker_.Open(base, message)) << message;
    }
    std::vector<std::string> Wrong(const std::string& text) {
        std::vector<std::string> out;
        for (const qa::Word& w : checker_.Misspelled(text))
            out.push_back(text.substr(w.range.begin, w.range.end - w.range.begin));
        return out;
    }
    qa::SpellChecker checker_;
};

TEST_F(GermanSpelling, FindsMisspelledWordsAndSkipsTagsPlaceholdersAndDigits) {
    struct Case {
        std::string text;
        std::vector<std::string> wrong;  // the bytes of each misspelled range
    } cases[] = {
        {"Größere Äpfel für schöne Grüße", {}},
        {"Ein Fehlr und noch ein Fhler.", {"Fehlr", "Fhler"}},
        {"<color 255,0,0>Achtung<color default>: %d Münzen, {name} und %1$s", {}},
        {"Stufe 2, Level3, 3D-Grafik, x86", {}},
        {"%sabc {xyzq}", {}},  // placeholders are no words
        // A tag inside a word: the word is read without it, the range spans it.
        {"Das Fe<color 255>hler<color default>bild", {}},
        {"Ein Fe<color 255>hlr<color default> hier", {"Fe<color 255>hlr"}},
        {"«Wrtx» — „Quatschwrt“", {"Wrtx", "Quatschwrt"}},
        {"", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(Wrong(c.text), c.wrong) << c.text;
}

TEST_F(GermanSpelling, SuggestionsReplaceTheWordAndKeepAnInnerTag) {
    const std::vector<std::string> suggestions = checker_.Suggest("Fehlr");
    ASSERT_LE(suggestions.size(), 8u);
    EXPECT_NE(std::find(suggestions.begin(), suggestions.end(), "Fehler"), suggestions.end());
    const std::vector<std::string> umlaut = checker_.Suggest("Grüse");
    EXPECT_NE(std::find(umlaut.begin(), umlaut.end(), "Grüße"), umlaut.end());

    const std::string text = "Ein Fe<color 255>hlr hier";
    const std::vector<qa::Word> wrong = checker_.Misspelled(text);
    ASSERT_EQ(wrong.size(), 1u);
    EXPECT_EQ(wrong[0].text, "Fehlr");
    EXPECT_EQ(qa::ReplaceWord(text, wrong[0], "Fehler"), "Ein Fe<color 255>hler hier");
    EXPECT_EQ(qa::ReplaceWord(text, wrong[0], "F"), "Ein F<color 255> hier");  // a short word keeps the tag
    const std::string plain = "Ein Fehlr.";
    EXPECT_EQ(qa::ReplaceWord(plain, checker_.Misspelled(plain).at(0), "Fehler"), "Ein Fehler.");
}

TEST(SpellingDictionary, FolderNamesAndSettingsPickTheDictionary) {
    const std::pair<const char*, const char*> byName[] = {
        {"GERMAN", "de_DE"}, {"de", "de_DE"}, {"fr-FR", "fr_FR"}, {"français", "fr_FR"}, {"Klingon", ""},
    };
    for (const auto& [folder, dictionary] : byName) EXPECT_EQ(qa::DictionaryName(folder, {}), dictionary) << folder;

    qa::ProjectSettings settings;
    settings.dictionaries = {{"Deutsch (Schweiz)", "de_CH"}, {"German", "none"}};
    EXPECT_EQ(qa::DictionaryName("Deutsch (Schweiz)", settings), "de_CH");
    EXPECT_EQ(qa::DictionaryName("German", settings), "");  // "none" switches the table's choice off
    EXPECT_EQ(qa::FindDictionary("xx_NOPE", PlatDictionaryFolders()), "");
}

// Some Debian dictionaries are in ISO 8859 encodings: words go in and suggestions come
// out as UTF-8 all the same.
TEST(SpellingDictionary, ALatin1DictionaryTakesAndGivesUtf8) {
    const fs::path dir = fs::temp_directory_path() / ("qk_latin1_" + std::to_string(PlatProcessId()));
    fs::create_directories(dir);
    std::ofstream(dir / "xx_XX.aff", std::ios::binary) << "SET ISO8859-1\nTRY esartnolu\xDF\n";
    std::ofstream(dir / "xx_XX.dic", std::ios::binary) << "2\nStra\xDF"
                                                          "e\nM\xFCller\n";
    qa::SpellChecker checker;
    std::string message;
    ASSERT_TRUE(checker.Open((dir / "xx_XX").string(), message)) << message;
    EXPECT_TRUE(checker.IsCorrect("Straße"));
    EXPECT_TRUE(checker.IsCorrect("Müller"));
    EXPECT_FALSE(checker.IsCorrect("Strase"));
    EXPECT_FALSE(checker.IsCorrect("Улица"));  // not in the encoding at all
    const std::vector<std::string> s = checker.Suggest("Strase");
    EXPECT_NE(std::find(s.begin(), s.end(), "Straße"), s.end());
    fs::remove_all(dir);
}

// The project's own folder comes first; a folder of dictionary extensions names its
// files after the language and a variant, and such a pair stands in for the plain name.
TEST(SpellingDictionary, TheProjectFolderFirstAndVariantNames) {
    const fs::path root = fs::temp_directory_path() / ("qk_dicts_" + std::to_string(PlatProcessId()));
    const fs::path project = root / PlatFsPath("Projekt Ł"), own = project / PlatFsPath("Wörterbücher");
    const fs::path extension = root / "dict-xx";
    fs::create_directories(own);
    fs::create_directories(extension);
    for (const fs::path& base : {own / "xx_XX", extension / "xx_XX_frami", extension / "xx_XX_zz"}) {
        std::ofstream(PlatFsPath(PlatPathString(base) + ".aff")) << "SET UTF-8\n";
        std::ofstream(PlatFsPath(PlatPathString(base) + ".dic")) << "1\nWort\n";
    }
    const auto at = [](const fs::path& p) { return PlatPathString(p); };
    qa::ProjectSettings settings;
    ASSERT_TRUE(qa::ParseProjectSettings("[dictionaries]\nfolder = Wörterbücher\n", settings).empty());
    const std::vector<std::string> folders = qa::DictionaryFolders(at(project), settings);
    ASSERT_FALSE(folders.empty());
    EXPECT_EQ(folders.front(), at(own));
    EXPECT_EQ(qa::FindDictionary("xx_XX", {at(extension), at(own)}), at(extension / "xx_XX_frami"));
    EXPECT_EQ(qa::FindDictionary("xx_XX", {at(own), at(extension)}), at(own / "xx_XX"));
    EXPECT_EQ(qa::FindDictionary("xx", {at(extension)}), at(extension / "xx_XX_frami"));
    EXPECT_EQ(qa::FindDictionary("xx_X", {at(extension)}), "");  // a prefix of the code is no match
    qa::SpellChecker checker;
    std::string message;
    ASSERT_TRUE(checker.Open(at(own / "xx_XX"), message)) << message;  // a folder name Hunspell must open
    EXPECT_TRUE(checker.IsCorrect("Wort"));
    fs::remove_all(root);
}

}  // namespace
