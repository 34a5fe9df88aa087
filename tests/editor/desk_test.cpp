// The translator's desk: item states, navigation targets, case-folded search and
// replace, the reference choice and its file, opening by a .loc path; then the desk on
// the real main screen (test backend): the reference panel, the keys, the unsaved
// marker, the find dialog, replace-all and the checks of a commit.
#include "editor/desk.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "editor/desk_navigation.h"
#include "editor/desk_open.h"
#include "editor/desk_reference.h"
#include "editor/qa/qa_checks.h"
#include "support/editor_screen.h"

#if !defined(_WIN32)
#include <sys/stat.h>
#endif

namespace fs = std::filesystem;
using namespace editorscreen;

namespace {

using S = ItemState;

TEST(DeskRules, StateOfATextAgainstItsReference) {
    struct Row {
        const char* text;
        const char* reference;
        bool referenceIsOther;
        ItemState state;
    } rows[] = {
        {"", "Start", true, S::Untranslated},
        {"", "", false, S::Untranslated},
        {"Start", "Start", true, S::Untranslated},  // the reference's bytes: not yet translated
        {"Start", "Start", false, S::Translated},   // the reference is this language
        {"Start ", "Start", true, S::Problem},      // trailing space differs
        {"Starten", "Start", true, S::Translated},
        {"<color 255,0,0>Rot", "<color 255,0,0>Red<color default>", true, S::Problem},
        {"%d Leben", "%d lives", true, S::Translated},
        {"Leben", "%d lives", true, S::Problem},
    };
    for (const Row& row : rows) {
        std::string problems;
        EXPECT_EQ(StateOfText(row.text, row.reference, row.referenceIsOther, {}, &problems), row.state) << row.text;
        EXPECT_EQ(problems.empty(), row.state != S::Problem) << row.text;
    }
    const std::vector<ItemState> states = {S::Translated, S::Untranslated, S::Problem};
    EXPECT_EQ(ProgressTitle("T", "German\\menu", CountStates(states), true),
              "*T \u2013 German\\menu.loc \u2013 2/3 translated, 1 problem");
    EXPECT_EQ(ProgressTitle("T", "", CountStates({}), false), "T");
}

TEST(DeskRules, NextUntranslatedWrapsAndSaysWhenNoneIsLeft) {
    const std::vector<ItemState> some = {S::Translated, S::Untranslated, S::Translated, S::Untranslated, S::Problem};
    struct Row {
        int from, direction, expected;
    } rows[] = {{-1, +1, 1}, {1, +1, 3}, {3, +1, 1}, {4, +1, 1}, {-1, -1, 3}, {1, -1, 3}, {3, -1, 1}};
    for (const Row& row : rows)
        EXPECT_EQ(NextUntranslated(some, row.from, row.direction), row.expected) << row.from << " " << row.direction;
    EXPECT_EQ(NextUntranslated({S::Translated, S::Untranslated}, 1, +1), 1);  // the only one
    EXPECT_EQ(NextUntranslated({S::Translated, S::Problem}, 0, +1), -1);
    EXPECT_EQ(NextUntranslated({}, -1, +1), -1);
}

TEST(DeskRules, ListKeysMoveByAPageAndToTheEnds) {
    struct Row {
        int32_t key;
        int current, expected;
    } rows[] = {{VK_NEXT, 0, 27}, {VK_NEXT, 90, 99}, {VK_NEXT, -1, 27}, {VK_PRIOR, 50, 23},
                {VK_PRIOR, 5, 0}, {VK_HOME, 50, 0},  {VK_END, 3, 99},   {VK_LEFT, 3, -1}};
    for (const Row& row : rows) EXPECT_EQ(ListKeyTarget(row.key, row.current, 100, 28), row.expected) << row.key;
    EXPECT_EQ(ListKeyTarget(VK_END, -1, 0, 28), -1);
}

TEST(DeskRules, SearchFoldsLatinGreekAndCyrillicCaseInEveryField) {
    SearchIndex index;
    index.Build({"NewGame", "Ärger", "Item"}, {"", "", "Σοφία и ПРИВЕТ"}, {"Start a game", "", ""},
                {"Neues Spiel", "x<color 255,0,0>y", "ende"});
    struct Row {
        const char* needle;
        std::vector<int> matches;
    } rows[] = {
        {"newgame", {0}},     // name
        {"START A", {0}},     // reference
        {"NEUES", {0}},       // text
        {"ärger", {1}},       // Latin-1 letters in either case
        {"ΣΟΦΊΑ", {2}},       // Greek with its accented capital
        {"привет", {2}},      // Cyrillic
        {"<COLOR 255", {1}},  // tags are text
        {"game", {0}},        // name and reference of one item: found once
        {"emitem", {}},       // never across two fields
        {"", {}},
    };
    for (const Row& row : rows) EXPECT_EQ(FindMatches(index, row.needle), row.matches) << row.needle;
    // Folding keeps every byte where it was, bad UTF-8 included.
    const std::string odd = "\xC3\xA4\xFF\xE2\x82\xAC\xD1";
    EXPECT_EQ(FoldForSearch(odd).size(), odd.size());
}

TEST(DeskRules, ReplaceFindsEveryCaseAndCountsIt) {
    size_t count = 0;
    EXPECT_EQ(ReplaceFolded("Der Hund, der HUND, die hündin", "hund", "Katze", &count),
              "Der Katze, der Katze, die hündin");
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(ReplaceFolded("ЁЖ ёж", "ёж", "ёжик", &count), "ёжик ёжик");
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(ReplaceFolded("aaa", "aa", "a", &count), "aa");  // left to right, no overlaps
    EXPECT_EQ(count, 1u);
}

TEST(DeskRules, ReferenceIsRememberedOrEnglishOrTheFirstFolder) {
    const std::vector<std::string> folders = {"Chinese", "English", "German"};
    EXPECT_EQ(PickReference(folders, "German"), "German");
    EXPECT_EQ(PickReference(folders, "Klingon"), "English");
    EXPECT_EQ(PickReference({"French", "German"}, ""), "French");
    EXPECT_EQ(PickReference({}, "German"), "");
    EXPECT_EQ(NextReference(folders, "English"), "German");
    EXPECT_EQ(NextReference(folders, "German"), "Chinese");
    EXPECT_EQ(ParseReferenceFile("\xEF\xBB\xBFGerman\r\nrest"), "German");
    EXPECT_EQ(ParseReferenceFile("Français"), "Français");
    EXPECT_EQ(ParseReferenceFile("German\r\r\n"), "German");  // a line end some editors write
    EXPECT_EQ(TagsAsText("a<color 255,0,0>b\r\n<color default>\tc<colour>", "|"),
              "a<|color 255,0,0>b\n<|color default> c<colour>");
    // A Hebrew paragraph that starts with a tag keeps reading right to left once the tag
    // is broken into letters; a Latin one is left as it is.
    EXPECT_EQ(TagsAsText("<color 1>\xD7\xA9\n<color 1>a", "|"), "\u200F<|color 1>\xD7\xA9\n<|color 1>a");
}

using DeskOpen = ScreenTest;

TEST_F(DeskOpen, OpenArgumentNamesTheProjectLanguageAndFileOfALocFile) {
    fs::create_directories(dir_ / "Proj" / "Texts" / "German");
    std::ofstream(dir_ / "Proj" / "Texts" / "German" / "menu.loc") << "";
    std::ofstream(dir_ / "Proj" / "Texts" / "German" / "notes.loc") << "";
    std::ofstream(dir_ / "Proj" / "readme.txt") << "";
    OpenRequest open;
    std::string message;
    ASSERT_TRUE(ResolveOpenArgument(dir_, "Proj/Texts/German/menu.loc", &open, &message)) << message;
    EXPECT_EQ(fs::path(open.project), dir_ / "Proj");
    EXPECT_EQ(open.language, "German");
    EXPECT_EQ(open.file, "menu");
    ASSERT_TRUE(ResolveOpenArgument(dir_, "Proj", &open, &message));  // a folder: as before
    EXPECT_EQ(open.project, "Proj");
    EXPECT_TRUE(open.language.empty());
    for (const char* bad : {"Proj/readme.txt", "Proj/Texts/German/notes.loc", "Proj/Texts/German/gone.loc"}) {
        message.clear();
        EXPECT_FALSE(ResolveOpenArgument(dir_, bad, &open, &message)) << bad;
        EXPECT_NE(message.find((dir_ / bad).string()), std::string::npos) << message;
    }
}

// ---- the desk on the main screen ----

std::string Title() {
    std::string out;
    for (const char16_t* p = g_engine.title; *p; ++p) out += *p < 0x80 ? static_cast<char>(*p) : '?';
    return out;
}

// English (the reference) and German menu files of six items: German 1 and 4 are the
// English bytes, German 3 is empty.
class Desk : public DeskScreen {
  protected:
    void SetUp() override {
        DeskScreen::SetUp();
        WriteEnglishGerman(
            {"New game", "Continue", "<color 255,0,0>Quit<color default>", "Options", "Audio", "%d lives"},
            {"Neues Spiel", "Continue", "<color 255,0,0>Beenden<color default>", "", "Audio", "%d Leben"});
    }
    void TearDown() override {
        g_desk.openLanguage.clear();
        DeskScreen::TearDown();
    }
    static void Type(const std::string& ascii) {
        for (const char c : ascii) TestChar(static_cast<uint16_t>(c));
        PumpMessages();
    }
    int32_t Current() const { return g_editor.items->current; }
    fs::path Loc(const char* lang) const { return dir_ / "Texts" / lang / "menu.loc"; }
};

TEST_F(Desk, ReferencePanelShowsTheReferenceWithTagsAsTextAndF2CyclesIt) {
    Build();
    ASSERT_EQ(g_desk.reference, "English");
    g_editor.items->SelectItem(2);
    EXPECT_EQ(Prop("Desc"), "Description of item 2");  // the description itself is untouched
    const std::string panel = Prop("DeskReference");
    EXPECT_NE(panel.find("English (reference)"), std::string::npos);
    EXPECT_NE(panel.find("<\u200Acolor 255,0,0>Quit<\u200Acolor default>"), std::string::npos) << panel;
    EXPECT_TRUE(FindControl("DeskReference")->visible);
    // F2: the next folder, German, is the edited language: nothing is shown, and every
    // non-empty text counts as translated.
    Key(0x71);
    EXPECT_EQ(g_desk.reference, "German");
    EXPECT_EQ(Bytes(dir_ / kReferenceFile), "German\n");
    EXPECT_TRUE(!FindControl("DeskReference")->visible ||
                Prop("DeskReference").find("(reference)") == std::string::npos)
        << Prop("DeskReference");
    EXPECT_EQ(CountStates(g_desk.states).translated, 5);
    // Remembered for the next start.
    TearDown();
    SetUp();
    std::ofstream(dir_ / kReferenceFile) << "German\n";
    Build();
    EXPECT_EQ(g_desk.reference, "German");
}

// The settings file and the reference file: bad lines and names the project lacks are
// said once at start, with their lines; a folder or a pipe in a file's place is said,
// and the editor starts on the defaults instead of aborting or waiting for a writer.
TEST_F(Desk, SideFileProblemsAreSaidOnceAtStartAndNothingHangs) {
    std::ofstream(dir_ / "zazovi-project.ini") << "[length]\nmenu = -5\ngame = 0\nkeyboard = 99999999\nMenu = 40\n"
                                                  "[dictionary]\nGerman = de_DE\n";
    Build();
    ASSERT_EQ(g_boxes.texts.size(), 1u);
    const std::string& said = g_boxes.texts[0];
    for (const char* line : {"line 2: the length of 'menu'", "line 3: the length of 'game'",
                             "line 4: the length of 'keyboard'", "line 5: [length] names 'Menu'"})
        EXPECT_NE(said.find(line), std::string::npos) << line << " in " << said;
    EXPECT_EQ(said.find("line 7"), std::string::npos) << said;
    g_editor.items->SelectItem(1);
    g_editor.items->SelectItem(2);
    EXPECT_EQ(g_boxes.texts.size(), 1u) << "said again: " << g_boxes.texts.back();

    struct Case {
        const char* what;
        std::function<void()> make;
        const char* said;
    };
    const Case cases[] = {
        {"settings file is a folder", [&] { fs::create_directory(dir_ / "zazovi-project.ini"); }, "it is a folder"},
#if !defined(_WIN32)
        {"settings file is a pipe", [&] { ASSERT_EQ(mkfifo((dir_ / "zazovi-project.ini").c_str(), 0600), 0); },
         "not a regular file"},
        {"reference file is a pipe", [&] { ASSERT_EQ(mkfifo((dir_ / kReferenceFile).c_str(), 0600), 0); },
         "not a regular file"},
#endif
    };
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        c.make();
        Build();
        ASSERT_EQ(g_boxes.texts.size(), 1u) << c.what;
        EXPECT_NE(g_boxes.texts[0].find(c.said), std::string::npos) << c.what << ": " << g_boxes.texts[0];
        EXPECT_EQ(g_desk.reference, "English") << c.what;
    }
}

TEST_F(Desk, StatesIconsAndTitleFollowEveryCommit) {
    Build();
    const std::vector<ItemState> expected = {S::Translated,   S::Untranslated, S::Translated,
                                             S::Untranslated, S::Untranslated, S::Translated};
    EXPECT_EQ(g_desk.states, expected);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(g_editor.items->items[i].icon,
                  RowMarkPicture(expected[i] == S::Translated ? RowMark::Translated : RowMark::Untranslated));
    EXPECT_NE(Title().find("German\\menu.loc ? 3/6 translated"), std::string::npos) << Title();
    // Ctrl+B copies the reference, Ctrl+Down commits it and goes on: still untranslated.
    g_editor.items->SelectItem(3);
    Key('B', true);
    EXPECT_EQ(Prop("Text"), "Options");
    Key(VK_DOWN, true);
    EXPECT_EQ(Current(), 4);
    EXPECT_EQ(ItemText(3), "Options");
    EXPECT_EQ(g_desk.states[3], S::Untranslated);
    // A text that loses the placeholder is a problem: its own icon and the message.
    g_editor.items->SelectItem(5);
    SetControlProperty("Text", "Text", "Leben");
    g_editor.items->SelectItem(5);
    EXPECT_EQ(g_desk.states[5], S::Problem);
    EXPECT_EQ(g_editor.items->items[5].icon, RowMarkPicture(RowMark::Problem));
    EXPECT_NE(Prop("DeskReference").find("Placeholders"), std::string::npos) << Prop("DeskReference");
    EXPECT_NE(Title().find("3/6 translated, 1 problem"), std::string::npos) << Title();
    // A problem never stops a save.
    ASSERT_TRUE(Compile());
    EXPECT_NE(Bytes(Loc("German")).find("Leben"), std::string::npos);
}

TEST_F(Desk, NavigationKeys) {
    Build();
    g_editor.items->SelectItem(0);
    SetFocusTo("Text");
    for (const auto& [key, expected] :
         {std::pair<uint8_t, int>{VK_DOWN, 1}, {VK_DOWN, 3}, {VK_DOWN, 4}, {VK_DOWN, 1} /* wraps */, {VK_UP, 4}}) {
        Key(key, true);
        EXPECT_EQ(Current(), expected);
    }
    // Ctrl+Enter commits the edit and goes to the next item, without a line break.
    Type("x");
    Key(VK_RETURN, true);
    EXPECT_EQ(Current(), 5);
    EXPECT_EQ(ItemText(4), "Audiox");
    // When everything is translated, Ctrl+Down stays and says so.
    for (int i : {1, 3}) {
        g_editor.items->SelectItem(i);
        SetControlProperty("Text", "Text", "done");
    }
    g_editor.items->SelectItem(4);
    Key(VK_DOWN, true);
    EXPECT_EQ(Current(), 4);
    EXPECT_EQ(g_gui.tip.text, "Every item of this file is translated");
    // The list's own keys (their targets are tested in DeskRules).
    SetFocusTo("Items");
    Key(VK_HOME);
    EXPECT_EQ(Current(), 0);
    Key(VK_NEXT);
    EXPECT_EQ(Current(), 5);
}

// Looking marks nothing, Ctrl+S writes what Compile writes, and an edit taken back by
// hand leaves nothing unsaved. (The marker after typing and Ctrl+S: desk_e2e_test.cpp.)
TEST_F(Desk, UnsavedMarkerAndCtrlSWritesTheCompileBytes) {
    Build();
    g_editor.items->SelectItem(0);
    g_editor.items->SelectItem(2);  // only looked at
    EXPECT_NE(Title()[0], '*') << Title();
    SetFocusTo("Text");
    Type("!");
    Key('S', true);
    const std::string byKey = Bytes(Loc("German"));
    EXPECT_NE(byKey.find("<color default>!"), std::string::npos);
    ASSERT_TRUE(Compile());
    EXPECT_EQ(Bytes(Loc("German")), byKey);
    Type("?");
    g_editor.items->SelectItem(1);
    EXPECT_EQ(Title()[0], '*');
    g_editor.items->SelectItem(2);
    SetControlProperty("Text", "Text", "<color 255,0,0>Beenden<color default>!");
    g_editor.items->SelectItem(1);
    EXPECT_NE(Title()[0], '*') << Title();
}

TEST_F(Desk, FindDialogJumpsWrapsAndCounts) {
    Build();
    g_editor.items->SelectItem(0);
    Key('F', true);
    ASSERT_NE(FindControl("DeskFind"), nullptr);
    EXPECT_STREQ(GetFocusControl()->name, "DeskFindText");
    Type("AUDIO");  // the text of item 4 and the reference of item 4
    EXPECT_EQ(Prop("DeskFindCount"), "1 item");
    for (int i = 0; i < 5; ++i) Key(VK_BACK);
    Type("ue");  // Neues, and Continue (its reference and its text)
    Key(VK_RETURN);
    EXPECT_EQ(Current(), 1);
    EXPECT_EQ(Prop("DeskFindCount"), "2 of 2");
    Key(0x72, false, true);  // Shift+F3 wraps back
    EXPECT_EQ(Current(), 0);
    Key(VK_ESCAPE);
    EXPECT_EQ(FindControl("DeskFind"), nullptr);
    EXPECT_EQ(g_engine.escapeQuits, 1);
    Key(0x72);  // F3 goes on with the same text
    EXPECT_EQ(Current(), 1);
}

TEST_F(Desk, ReplaceAllAsksWithTheCountAndCommitsEachItem) {
    Build();
    g_editor.items->SelectItem(0);
    g_boxes.answers = {1};  // Cancel
    EXPECT_EQ(ReplaceAllInFile("SPIEL", "Partie"), 0);
    ASSERT_EQ(g_boxes.texts.size(), 1u);
    EXPECT_NE(g_boxes.texts[0].find("Replace 1 occurrence"), std::string::npos) << g_boxes.texts[0];
    EXPECT_EQ(ItemText(0), "Neues Spiel");
    g_boxes.answers = {0};
    EXPECT_EQ(ReplaceAllInFile("e", "E"), 10);
    EXPECT_EQ(ItemText(0), "NEuEs SpiEl");
    EXPECT_EQ(Prop("Text"), "NEuEs SpiEl");  // the item in the box shows it
    EXPECT_EQ(ItemText(2), "<color 255,0,0>BEEndEn<color dEfault>");
    EXPECT_EQ(g_desk.states[2], S::Problem);  // each item went through the checks
    EXPECT_EQ(Title()[0], '*');
    // Undo takes back one item's replacement: in the box at once, in another item once
    // the translator is there; Ctrl+B is one step too.
    SetFocusTo("Text");
    Key('Z', true);
    EXPECT_EQ(Prop("Text"), "Neues Spiel");
    Key('B', true);
    EXPECT_EQ(Prop("Text"), "New game");
    Key('Z', true);
    EXPECT_EQ(Prop("Text"), "Neues Spiel");
    g_editor.items->SelectItem(2);
    SetFocusTo("Text");
    Key('Z', true);
    EXPECT_EQ(Prop("Text"), "<color 255,0,0>Beenden<color default>");
    g_editor.items->SelectItem(0);
    EXPECT_EQ(ItemText(2), "<color 255,0,0>Beenden<color default>");
}

}  // namespace
