// qa_checks_test.cpp - the checks of a text against its reference: texts that must trip
// each check, and near misses that must not.
#include "editor/qa/qa_checks.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/qa/project_settings.h"

namespace {

struct Case {
    const char* what;
    std::string reference, text;
    std::vector<std::string> problems;  // exact messages, in order
    size_t limit = 0;
};

void ExpectProblems(const std::vector<Case>& cases) {
    for (const Case& c : cases) EXPECT_EQ(qa::CheckItem(c.text, c.reference, true, {c.limit}), c.problems) << c.what;
}

TEST(QaCheckItem, ColourTagsTripOnMissingChangedAndMalformedTags) {
    const std::string red = "<color 255,0,0>Red<color default>";
    ExpectProblems({
        {"a tag in the reference only", red, "Rot", {"Colour tags: the reference has 2, this text 0"}},
        {"a tag in the text only", "Red", "<color 255,0,0>Rot", {"Colour tags: the reference has 0, this text 1"}},
        {"a malformed tag",
         red,
         "<color 255;0;0>Rot<color default>",
         {"Colour tags: \"<color 255;0;0>\" is not a well-formed tag (the font reads <color R,G,B> and <color "
          "default>)",
          "Colour tags: the reference has 2, this text 1"}},
        {"a capitalised tag the font prints",
         red,
         "<Color 255,0,0>Rot<color default>",
         {"Colour tags: \"<Color 255,0,0>\" is not a well-formed tag (the font reads <color R,G,B> and <color "
          "default>)",
          "Colour tags: the reference has 2, this text 1"}},
        {"another colour",
         red,
         "<color 0,255,0>Rot<color default>",
         {"Colour tags: tag 1 is <color 0,255,0>, in the reference <color 255,0,0>"}},
        {"the colour not reset at the end",
         "Go <color 9>now<color default>",
         "<color 9>Jetzt<color default> los",
         {"Colour tags: the reference ends with <color default>, this text does not"}},
    });
}

TEST(QaCheckItem, ColourTagNearMissesPass) {
    ExpectProblems({
        {"same tags, other words", "<color 255,0,0>Red<color default>\n", "<color 255,0,0>Rot<color default>\n", {}},
        {"angle brackets that are no colour tag", "a < b <b>", "a < b <b> <colo", {}},
        {"reset followed by spaces",
         "<color 1>x<color default>",
         "<color 1>y<color default>  ",
         {"Trailing spaces: the reference has 0, this text 2"}},
    });
}

TEST(QaCheckItem, PlaceholdersTripOnLostChangedOrReorderedOnes) {
    ExpectProblems({
        {"a lost %d", "%d coins", "Münzen", {"Placeholders: the reference has %d, this text none"}},
        {"%d became %s", "%d coins", "%s Münzen", {"Placeholders: the reference has %d, this text %s"}},
        {"precision changed", "%.2f km", "%.1f km", {"Placeholders: the reference has %.2f, this text %.1f"}},
        {"a brace name changed",
         "Hi {name}",
         "Hallo {Name}",
         {"Placeholders: the reference has {name}, this text {Name}"}},
        {"an extra one", "Level", "Stufe %d", {"Placeholders: the reference has none, this text %d"}},
        {"unpositioned ones reordered",
         "%s has %d coins",
         "%d Münzen hat %s",
         {"Placeholders: %d %s are in another order than in the reference (%s %d); use positions such as %1$s to "
          "reorder"}},
        {"positional changed to plain",
         "%1$s and %2$s",
         "%s und %s",
         {"Placeholders: the reference has %1$s %2$s, this text %s %s"}},
    });
}

TEST(QaCheckItem, PlaceholderNearMissesPass) {
    ExpectProblems({
        {"escaped percent", "100%% sure: %d", "%d, zu 100%% sicher", {}},
        {"a percent sign in prose is no placeholder", "50% off", "50 % de remise", {}},
        {"positional ones reordered", "%1$s has %2$d coins", "%2$d Münzen hat %1$s", {}},
        {"brace ones reordered", "{name} got {0}", "{0} für {name}", {}},
        {"escaped braces", "{{literal}} {0}", "{0} {{wörtlich}}", {}},
        {"flags and width kept", "%-5s|%05.1f|%lld|%zu", "%-5s|%05.1f|%lld|%zu", {}},
    });
}

TEST(QaCheckItem, LineBreaksAndEdgeSpaces) {
    ExpectProblems({
        {"a lost line feed", "one\ntwo", "eins zwei", {"Line breaks: the reference has 1, this text 0"}},
        {"a leading space lost", "  indented", " eingerückt", {"Leading spaces: the reference has 2, this text 1"}},
        {"a trailing space added", "end", "Ende ", {"Trailing spaces: the reference has 0, this text 1"}},
        {"CR LF counts as one line feed", "one\ntwo", "eins\r\nzwei", {}},
        {"inner spaces do not matter", "a b", "a    b", {}},
    });
}

TEST(QaCheckItem, LengthCountsVisibleCharacters) {
    ExpectProblems({
        {"tags do not count", "<color 1>abc<color default>", "<color 1>äöü<color default>", {}, 3},
        {"over by one", "abc", "äöüß", {"Length: 4 characters, the limit is 3"}, 3},
        {"no limit", "abc", std::string(5000, 'x'), {}, 0},
    });
}

TEST(QaCheckItem, UntranslatedAndReferenceTextsAreCheckedOnlyForWhatNeedsNoReference) {
    const std::string broken = "<color 300;0>%d\n";
    // Empty or the reference's own bytes: untranslated, nothing to say.
    EXPECT_TRUE(qa::CheckItem("", broken, true).empty());
    EXPECT_TRUE(qa::CheckItem(broken, broken, true).empty());
    // In the reference language itself, a malformed tag and the length still count.
    EXPECT_EQ(qa::CheckItem(broken, broken, false, {3}),
              (std::vector<std::string>{"Colour tags: \"<color 300;0>\" is not a well-formed tag (the font reads "
                                        "<color R,G,B> and <color default>)",
                                        "Length: 16 characters, the limit is 3"}));
}

TEST(QaPlaceholders, RangesCoverWhatIsWritten) {
    const std::string text = "%1$-3s {0}%%d{{x}} %5.2lf";  // "%%d" and "{{x}}" are plain text
    const std::vector<qa::Placeholder> found = qa::FindPlaceholders(text);
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(text.substr(found[0].range.begin, found[0].range.end - found[0].range.begin), "%1$-3s");
    EXPECT_EQ(found[0].position, 1);
    EXPECT_EQ(found[0].written, "%-3s");
    EXPECT_EQ(text.substr(found[1].range.begin, found[1].range.end - found[1].range.begin), "{0}");
    EXPECT_EQ(text.substr(found[2].range.begin), "%5.2lf");
}

struct SettingsCase {
    const char* what;
    std::string text;
    std::vector<std::string> errors;
};

TEST(QaProjectSettings, BadLinesAreNamedAndGoodOnesKept) {
    const std::vector<SettingsCase> cases = {
        {"good file with comments, CRLF and a BOM",
         "\xEF\xBB\xBF; limits\r\n[length]\r\nmenu = 40\r\n# spelling\r\n[dictionary]\r\nDeutsch = de_DE\r\nKlingon = "
         "none\r\n",
         {}},
        {"not a number",
         "[length]\nmenu = 40\ngame = forty\n",
         {"zazovi-project.ini line 3: the length of 'game' must be a whole number from 1 to 32767, not 'forty'"}},
        {"zero and too big",
         "[length]\nmenu = 0\ngame = 99999\n",
         {"zazovi-project.ini line 2: the length of 'menu' must be a whole number from 1 to 32767, not '0'",
          "zazovi-project.ini line 3: the length of 'game' must be a whole number from 1 to 32767, not '99999'"}},
        {"unknown section",
         "[lengths]\nmenu = 40\n",
         {"zazovi-project.ini line 2: 'menu' is in the unknown section [lengths]; the sections are [length], "
          "[font], [width], [lines], [width.FILE], [lines.FILE], [dictionary], [dictionaries] and [languages]"}},
        {"language tags",
         "[languages]\nGerman = de-DE\nChinese = zh_Hans_CN\nFrench = french!\nKlingon = x\n",
         {"zazovi-project.ini line 4: the language tag of 'French' must be a tag such as de-DE, pt-BR or zh-Hans, "
          "not 'french!'",
          "zazovi-project.ini line 5: the language tag of 'Klingon' must be a tag such as de-DE, pt-BR or zh-Hans, "
          "not 'x'"}},
        {"dictionaries takes a folder only",
         "[dictionaries]\nfolder =\npath = Dicts\n",
         {"zazovi-project.ini line 2: the dictionary folder must be a path, relative to the project or whole",
          "zazovi-project.ini line 3: [dictionaries] takes only folder = PATH, not 'path'"}},
        {"given twice",
         "[length]\nmenu = 40\n\nmenu = 41\n",
         {"zazovi-project.ini line 4: 'menu' is given a second time in [length] (first on line 2)"}},
        {"bad dictionary name",
         "[dictionary]\nGerman = ../../etc/passwd\n",
         {"zazovi-project.ini line 2: the dictionary of 'German' must be a name such as de_DE, or none, not "
          "'../../etc/passwd'"}},
        {"an indented line",
         "[length]\nmenu = 40\n  game = 30\n",
         {"zazovi-project.ini line 3: the line is indented; start it at the left edge"}},
        {"a line that is neither",
         "[length]\nmenu 40\n",
         {"zazovi-project.ini line 2: not a [section] or a name = value line"}},
        {"an unclosed section",
         "[length\nmenu = 40\n",
         {"zazovi-project.ini line 1: not a [section] or a name = value line",
          "zazovi-project.ini line 2: 'menu' comes before any [length] or [dictionary] section"}},
    };
    for (const SettingsCase& c : cases) {
        qa::ProjectSettings settings;
        EXPECT_EQ(qa::ParseProjectSettings(c.text, settings), c.errors) << c.what;
    }
    qa::ProjectSettings settings;
    qa::ParseProjectSettings("[length]\nmenu = 40\ngame = x\n[dictionary]\nKlingon = none\n", settings);
    EXPECT_EQ(settings.lengthLimits, (std::map<std::string, size_t>{{"menu", 40}}));
    EXPECT_EQ(settings.dictionaries.at("Klingon"), "none");
    qa::ParseProjectSettings("[languages]\nGerman = de-DE\nGerman2 = de\n", settings);
    EXPECT_EQ(settings.languageTags.at("German"), "de-DE");
    EXPECT_EQ(
        qa::UnknownSettingNames(settings, {"menu"}, {"German"}),
        (std::vector<std::string>{
            "zazovi-project.ini line 3: [languages] names 'German2', which is not a language folder of the project"}));
}

// Each finding names the rule it comes from, which loctool qa reports for scripts to filter.
TEST(QaFindings, NameTheirRules) {
    auto checks = [](const char* text, const char* reference, size_t limit = 0) {
        std::vector<std::string> names;
        for (const qa::Finding& f : qa::CheckItemFindings(text, reference, true, {limit})) {
            EXPECT_EQ(f.severity, qa::Severity::Error);
            names.push_back(f.check);
        }
        return names;
    };
    EXPECT_EQ(checks("<color 1,2>Rot", "<color 255,0,0>Red<color default>"), (std::vector<std::string>{"tags"}));
    EXPECT_EQ(checks("Leben", "%d lives"), (std::vector<std::string>{"placeholders"}));
    EXPECT_EQ(checks("eins zwei ", "one\ntwo"), (std::vector<std::string>{"line-breaks", "spaces"}));
    EXPECT_EQ(checks("Lange Zeile", "Long line", 4), (std::vector<std::string>{"length"}));
}

}  // namespace
