// The editor end to end: the real program in a real window under the test's X server,
// driven with real mouse and keyboard input, and the files on disk checked afterwards.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "e2e_support.h"
#include "editor/project.h"
#include "formats/loc_format.h"

using namespace e2e;

namespace {

// Client coordinates of the main screen (it never changes).
constexpr int kRowX = 100, kFirstRowY = 124, kRowH = 16;
int RowY(int i) { return kFirstRowY + kRowH * i; }
constexpr int kTextX = 600, kTextY = 500;
constexpr int kCompileX = 245, kExitX = 35, kExitWithoutX = 125, kButtonsY = 577;
constexpr int kLoadX = 257, kLoadY = 57, kFoldX = 60, kFoldY = 32;

// The folder the editor lists first (the project's first language by name).
std::string FirstFolder(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir / "Texts"))
        if (entry.path().filename().string()[0] != '.') names.push_back(entry.path().filename().string());
    return names.empty() ? std::string() : *std::min_element(names.begin(), names.end(), FolderNameLess);
}

// The menu file of the language the editor opens with.
fs::path MenuLoc(const Editor& ed) { return ed.dir / "Texts" / FirstFolder(ed.dir) / "menu.loc"; }

// Chooses the item (unless it is -1: the one shown) and types its new text over the old.
void EditItem(Editor& ed, int item, const std::string& text) {
    if (item >= 0) ed.Click(kRowX, RowY(item));
    ed.Click(kTextX, kTextY);
    ed.Key("ctrl+a");
    ed.Type(text);
}

// Types `text` one character per xdotool call and checks through the clipboard that each
// arrived as itself. xdotool maps a spare key to each non-Latin character it types and
// maps it back afterwards, so on a busy machine the editor may read the key after it
// lost its meaning (nothing arrives) or took the next one's; a character that did not
// arrive as itself is taken back and typed again, so what lands in the file is what
// the editor was sent. The box must be empty or its whole text selected.
void TypeEachCharacter(Editor& ed, const std::string& text) {
    std::string typed;
    for (size_t at = 0; at < text.size();) {
        size_t end = at + 1;
        while (end < text.size() && (static_cast<uint8_t>(text[end]) & 0xC0) == 0x80) ++end;
        const std::string c = text.substr(at, end - at);
        std::string now;
        for (int attempt = 0; attempt < 4 && now != typed + c; ++attempt) {
            if (now.size() > typed.size()) ed.Key("BackSpace");
            ed.X("xdotool type --delay 1000 '" + c + "'");
            // The pause after these keys is the one between two characters.
            // End: where a line reads to its end, the right end in right-to-left text.
            ed.Key("ctrl+a ctrl+c End");
            now = ed.X("timeout 5 xclip -selection clipboard -o 2>/dev/null");
        }
        ASSERT_EQ(now, typed + c) << "the character at byte " << typed.size() << " of " << text;
        typed += c;
        at = end;
    }
}

// Types `text` into item 1 of the menu file, Compile, and the file on disk holds exactly
// those bytes there and nothing else changed.
void TypedTextIsCompiledAsItsExactUtf8(const std::string& name, const std::string& text) {
    Editor ed(name);
    const fs::path loc = MenuLoc(ed);
    const std::vector<std::string> before = LocTexts(loc);
    ASSERT_TRUE(ed.Start());
    EditItem(ed, 1, "");  // the text selected, to be typed over
    ASSERT_NO_FATAL_FAILURE(TypeEachCharacter(ed, text));
    ed.Click(kCompileX, kButtonsY);
    ExpectOnlyItemChanged(loc, before, 1, text);
    ed.Click(kExitX, kButtonsY);
    EXPECT_EQ(ed.WaitExit(), 0);
}

}  // namespace

// Rests of some seconds between the steps: the editor sleeps while nothing happens, and
// the next key and click must still be taken at once.
TEST(EditorEndToEnd, EditSwitchAndCompileChangesExactlyThatItemEvenAfterLongRests) {
    Editor ed("compile");
    const fs::path loc = MenuLoc(ed);
    const std::vector<std::string> before = LocTexts(loc);
    ASSERT_EQ(before.size(), 12u);
    ASSERT_TRUE(ed.Start());
    ed.Click(kRowX, RowY(1));
    ed.Click(kTextX, kTextY);
    ed.Key("ctrl+a");
    Sleep(4000);
    ed.Type("Weiter mit e2e");
    ed.Click(kRowX, RowY(2));  // leaving item 1 keeps its edit
    Sleep(4000);
    ed.Click(kCompileX, kButtonsY);  // read back 0.4 s after the click
    ExpectOnlyItemChanged(loc, before, 1, "Weiter mit e2e");
    // The backup holds the file as it was at the start.
    EXPECT_EQ(LocTexts(ed.dir / "Texts Backup" / FirstFolder(ed.dir) / "menu.loc"), before);
    ed.Click(kExitX, kButtonsY);
    EXPECT_EQ(ed.WaitExit(), 0);
}

TEST(EditorEndToEnd, LoadingAnotherLanguageWritesTheFirstFile) {
    Editor ed("load");
    const fs::path first = MenuLoc(ed);
    ASSERT_TRUE(ed.Start());
    EditItem(ed, 3, "edited before load");
    ed.Click(kFoldX, kFoldY);       // open the folder list
    ed.Click(kFoldX, kFoldY + 34);  // its second row
    ed.Click(kLoadX, kLoadY);
    EXPECT_EQ(LocTexts(first)[3], "edited before load");
    ed.Click(kExitX, kButtonsY);
    EXPECT_EQ(ed.WaitExit(), 0);
    // The configuration remembers the second folder and no item.
    const std::vector<uint8_t> cfg = ReadBytes(ed.dir / "zazovi.cfg");
    ASSERT_EQ(cfg.size(), 12u);
    EXPECT_EQ(cfg[0], 1);
    EXPECT_EQ(cfg[8], 0xFF);
}

TEST(EditorEndToEnd, ExitWithoutSavingLeavesEverythingAsItWas) {
    Editor ed("nosave");
    const fs::path loc = MenuLoc(ed);
    const std::vector<uint8_t> before = ReadBytes(loc);
    ASSERT_TRUE(ed.Start());
    EditItem(ed, 0, "never saved");
    ed.Click(kRowX, RowY(4));
    ed.Click(kExitWithoutX, kButtonsY);
    EXPECT_EQ(ed.WaitExit(), 0);
    EXPECT_EQ(ReadBytes(loc), before);
    EXPECT_FALSE(fs::exists(ed.dir / "zazovi.cfg"));
}

TEST(EditorEndToEnd, ExitRemembersTheItemForTheNextStart) {
    Editor ed("restart");
    const fs::path loc = MenuLoc(ed);
    ASSERT_TRUE(ed.Start());
    ed.Click(kRowX, RowY(5));
    ed.Click(kExitX, kButtonsY);
    ASSERT_EQ(ed.WaitExit(), 0);
    EXPECT_EQ(ReadBytes(ed.dir / "zazovi.cfg"), (std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 0, 0, 5, 0, 0, 0}));
    // The next start shows item 5 again: an edit made without choosing an item lands in it.
    ed.exitCode = -1;
    ASSERT_TRUE(ed.Start());
    EditItem(ed, -1, "item five again");
    ed.Click(kCompileX, kButtonsY);
    EXPECT_EQ(LocTexts(loc)[5], "item five again");
    ed.Click(kExitX, kButtonsY);
    EXPECT_EQ(ed.WaitExit(), 0);
}

// Ctrl+U marks an item for review, kept in "Translation state" at Exit; the source text
// changed on disk meanwhile shows at the next start (the title counts both).
TEST(EditorEndToEnd, ReviewMarkIsKeptAndAChangedSourceShowsAtTheNextStart) {
    Editor ed("review");
    const std::string language = FirstFolder(ed.dir);
    ASSERT_TRUE(ed.Start());
    ed.Click(kRowX, RowY(1));
    ed.Key("ctrl+u");
    ed.Click(kExitX, kButtonsY);
    ASSERT_EQ(ed.WaitExit(), 0);
    const std::vector<uint8_t> bytes = ReadBytes(ed.dir / "Translation state" / (language + ".tsv"));
    const std::string states(bytes.begin(), bytes.end());
    EXPECT_NE(states.find("\nmenu\t1\tneeds-review\t"), std::string::npos) << states;
    EXPECT_NE(states.find("\nmenu\t2\ttranslated\t"), std::string::npos) << states;
    // loctool counts it the same way.
    const std::string stats =
        Shell(QK_BINARY_DIR "/tools/loctool/loctool stats '" + ed.dir.string() + "' --format json");
    EXPECT_NE(stats.find("\"needs_review\": 1"), std::string::npos) << stats;

    const fs::path english = ed.dir / "Texts" / "English" / "menu.loc";
    std::vector<std::string> source = LocTexts(english);
    ASSERT_GT(source.size(), 2u);
    source[2] += " now";
    std::string encoded;
    ASSERT_TRUE(locformat::EncodeLoc(source, english.string(), encoded).ok);
    std::FILE* out = std::fopen(english.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    std::fwrite(encoded.data(), 1, encoded.size(), out);
    std::fclose(out);

    ed.exitCode = -1;
    ASSERT_TRUE(ed.Start());
    const std::string title = ed.X("xdotool getwindowname " + ed.window);
    EXPECT_NE(title.find(", 2 to review"), std::string::npos) << title;
    ed.Click(kExitX, kButtonsY);
    EXPECT_EQ(ed.WaitExit(), 0);
}

// A translation memory of the team's, mapped to the folders by [languages]: Ctrl+1 on an
// item puts its match into the text box and Compile writes it.
TEST(EditorEndToEnd, CtrlOnePutsTheMemorysSuggestionInAndCompileWritesIt) {
    Editor ed("memory");
    const std::string language = FirstFolder(ed.dir);
    const std::string translation = "\xE2\x9C\x93 from the studio memory";  // "✓ ..."
    fs::create_directories(ed.dir / "Translation memory");
    std::FILE* tmx = std::fopen((ed.dir / "Translation memory" / "studio.tmx").c_str(), "wb");
    ASSERT_NE(tmx, nullptr);
    std::fprintf(tmx,
                 "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tmx version=\"1.4\"><header srclang=\"en\"/><body>"
                 "<tu><tuv xml:lang=\"en\"><seg>%s</seg></tuv><tuv xml:lang=\"xx\"><seg>%s</seg></tuv></tu>"
                 "</body></tmx>\n",
                 LocTexts(ed.dir / "Texts" / "English" / "menu.loc")[1].c_str(), translation.c_str());
    std::fclose(tmx);
    std::FILE* ini = std::fopen((ed.dir / "zazovi-project.ini").c_str(), "wb");
    ASSERT_NE(ini, nullptr);
    std::fprintf(ini, "[languages]\nEnglish = en\n%s = xx\n", language.c_str());
    std::fclose(ini);
    ASSERT_TRUE(ed.Start());
    ed.Click(kRowX, RowY(1));
    ed.Click(kTextX, kTextY);
    ed.Key("ctrl+1");
    ed.Click(kCompileX, kButtonsY);
    EXPECT_EQ(LocTexts(MenuLoc(ed))[1], translation);
    ed.Click(kExitX, kButtonsY);
    EXPECT_EQ(ed.WaitExit(), 0);
}

TEST(EditorEndToEnd, ARelativeProjectFolderIsTakenFromWhereTheProgramWasStarted) {
    // "zazovi proj" typed in work/, which holds proj; another proj lies beside the program.
    Editor ed("relative");
    const fs::path typedHere = ed.dir / "work";
    for (const fs::path& project : {typedHere / "proj", ed.dir / "proj"}) {
        fs::create_directories(project);
        for (const char* part : {"Texts", "Descriptions"})
            fs::copy(ed.dir / part, project / part, fs::copy_options::recursive);
    }
    ed.args = {"proj"};
    ed.startIn = typedHere;
    ASSERT_TRUE(ed.Start());
    ed.Click(kRowX, RowY(2));
    ed.Click(kExitX, kButtonsY);
    ASSERT_EQ(ed.WaitExit(), 0);
    EXPECT_TRUE(fs::exists(typedHere / "proj" / "Texts Backup"));
    EXPECT_EQ(ReadBytes(typedHere / "proj" / "zazovi.cfg"), (std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0}));
    // The project beside the program is not touched.
    EXPECT_FALSE(fs::exists(ed.dir / "proj" / "Texts Backup"));
    EXPECT_FALSE(fs::exists(ed.dir / "proj" / "zazovi.cfg"));
}

TEST(EditorEndToEnd, CountMismatchShowsTheMessageAndEndsWithZero) {
    Editor ed("mismatch");
    // Give one language's menu another item count than the others.
    std::string other;
    for (const auto& entry : fs::directory_iterator(ed.dir / "Texts"))
        if (entry.path().filename().string() != FirstFolder(ed.dir)) other = entry.path().filename().string();
    fs::copy_file(ed.dir / "Texts" / other / "game.loc", ed.dir / "Texts" / other / "menu.loc",
                  fs::copy_options::overwrite_existing);
    ASSERT_TRUE(ed.Start());
    EXPECT_FALSE(ed.Exited());  // waiting for "Ok"
    ed.Key("Return");
    EXPECT_EQ(ed.WaitExit(), 0);
    EXPECT_FALSE(fs::exists(ed.dir / "Texts Backup"));
}

// With no display to show it on, the editor says so and ends at once (it used to run on
// without a window, for ever), touching nothing in the project.
TEST(EditorEndToEnd, WithoutADisplayItSaysSoAndEndsWithOne) {
    Editor ed("no_display");
    const std::vector<uint8_t> before = ReadBytes(ed.dir / "zazovi.cfg");
    EXPECT_FALSE(ed.Start(":249"));
    EXPECT_EQ(ed.WaitExit(), 1);
    EXPECT_FALSE(fs::exists(ed.dir / "zazovi.lock"));
    EXPECT_EQ(ReadBytes(ed.dir / "zazovi.cfg"), before);
}

TEST(EditorEndToEnd, LosingTheDisplayStillSavesWhatWasTyped) {
    Editor ed("display_lost");
    PrivateDisplay display;
    ASSERT_FALSE(display.name.empty());
    const fs::path loc = MenuLoc(ed);
    ASSERT_TRUE(ed.Start(display.name));
    EditItem(ed, 4, "typed before the crash");  // still only in the text box
    display.Stop();
    EXPECT_EQ(ed.WaitExit(), 1);
    EXPECT_EQ(LocTexts(loc)[4], "typed before the crash");
}

TEST(EditorEndToEnd, CjkTypedAndPastedFromAnotherProgramIsCompiledAsItsExactUtf8) {
    Editor ed("cjk");
    const fs::path loc = MenuLoc(ed);
    const std::vector<std::string> before = LocTexts(loc);
    ASSERT_TRUE(ed.Start());
    EditItem(ed, 1, "");                                   // the text selected, to be typed over
    const std::string typed = "日本語한\xF0\xA0\xAE\xB7";  // 𠮷 lies outside the basic plane
    ASSERT_NO_FATAL_FAILURE(TypeEachCharacter(ed, typed));

    const std::string offered = "中文，한국어。";
    std::ofstream(ed.dir / "offer.txt", std::ios::binary) << offered;
    const pid_t owner = OfferOnClipboard(ed.dir / "offer.txt");
    for (int i = 0; i < 50 && ed.X("timeout 2 xclip -selection clipboard -o 2>/dev/null") != offered; ++i) Sleep(100);
    ed.Key("ctrl+v");
    ed.Click(kRowX, RowY(2));
    ed.Click(kCompileX, kButtonsY);
    kill(owner, SIGTERM);
    waitpid(owner, nullptr, 0);

    ExpectOnlyItemChanged(loc, before, 1, typed + offered);
    ed.Click(kExitX, kButtonsY);
    EXPECT_EQ(ed.WaitExit(), 0);
}

// The screen shows Arabic joined and right to left and breaks Thai between words, but
// the file keeps what was typed: logical order, base letters (lam-alef as two), the
// Thai vowel and tone marks as their own characters.
TEST(EditorEndToEnd, ArabicTypedIsCompiledAsItsExactUtf8) {
    TypedTextIsCompiledAsItsExactUtf8("arabic", "مرحبا بالعالم لا");
}

TEST(EditorEndToEnd, ThaiTypedIsCompiledAsItsExactUtf8) { TypedTextIsCompiledAsItsExactUtf8("thai", "สวัสดีครับ"); }

TEST(EditorEndToEnd, SignalsEndTheEditorAsExitDoes) {
    for (const int sig : {SIGTERM, SIGINT, SIGHUP}) {
        Editor ed("signal_" + std::to_string(sig));
        const fs::path loc = MenuLoc(ed);
        ASSERT_TRUE(ed.Start()) << sig;
        const std::string text = "typed before signal " + std::to_string(sig);
        EditItem(ed, 4, text);  // still only in the text box
        kill(ed.pid, sig);
        EXPECT_EQ(ed.WaitExit(), 0) << sig;
        EXPECT_EQ(LocTexts(loc)[4], text) << sig;
        EXPECT_EQ(ReadBytes(ed.dir / "zazovi.cfg").at(8), 4) << sig;
        EXPECT_FALSE(fs::exists(ed.dir / "zazovi.lock")) << sig;
    }
}

TEST(EditorEndToEnd, FailedSaveOnEscapeIsToldAndKeptInARecoveryFile) {
    Editor ed("escape_fail");
    const fs::path folder = ed.dir / "Texts" / FirstFolder(ed.dir);
    const std::vector<uint8_t> before = ReadBytes(folder / "menu.loc");
    ASSERT_TRUE(ed.Start());
    EditItem(ed, 3, "only in memory");
    fs::permissions(folder / "menu.loc", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read,
                    fs::perm_options::replace);
    ed.Key("Escape");
    const fs::path recovered = folder / "menu.loc.recovered";
    for (int i = 0; i < 100 && !fs::exists(recovered); ++i) Sleep(100);
    ASSERT_TRUE(fs::exists(recovered));
    Sleep(1000);
    // The window is gone; the system's box says where the texts are and waits for its
    // one button, at the middle of its bottom edge.
    const std::string info = "xwininfo -name 'Not saved' 2>/dev/null";
    const std::string box = ed.X(info + " | awk '/Window id/{print $4}'");
    ASSERT_FALSE(box.empty());
    EXPECT_FALSE(ed.Exited());
    const int width = std::atoi(ed.X(info + " | awk '/Width/{print $2}'").c_str());
    const int height = std::atoi(ed.X(info + " | awk '/Height/{print $2}'").c_str());
    ed.X("xdotool mousemove --window " + std::to_string(std::stoul(box, nullptr, 16)) + " " +
         std::to_string(width / 2) + " " + std::to_string(height - 25));
    Sleep(300);
    ed.X("xdotool click 1");
    EXPECT_EQ(ed.WaitExit(), 1);
    EXPECT_EQ(ReadBytes(folder / "menu.loc"), before);
    const std::vector<std::string> kept = LocTexts(recovered);
    ASSERT_EQ(kept.size(), 12u);
    EXPECT_EQ(kept[3], "only in memory");
}

TEST(EditorEndToEnd, ASecondEditorOnAnOpenProjectSaysSo) {
    Editor first("lock_first");
    Editor second("lock_second");
    fs::remove_all(second.dir);
    second.dir = first.dir;
    ASSERT_TRUE(first.Start());
    EXPECT_TRUE(fs::exists(first.dir / "zazovi.lock"));
    ASSERT_TRUE(second.Start());
    EXPECT_FALSE(second.Exited());  // asking: quit or open anyway
    second.Key("Return");           // "Quit"
    EXPECT_EQ(second.WaitExit(), 0);
    EXPECT_FALSE(first.Exited());
    EXPECT_TRUE(fs::exists(first.dir / "zazovi.lock"));
    first.X("xdotool mousemove --window " + first.window + " 600 150");
    first.Click(kExitX, kButtonsY);
    EXPECT_EQ(first.WaitExit(), 0);
    EXPECT_FALSE(fs::exists(first.dir / "zazovi.lock"));
}

TEST(EditorEndToEnd, EscapeInTheNotSavedBoxGoesBackToTheEditor) {
    Editor ed("escape_back");
    const fs::path loc = MenuLoc(ed);
    ASSERT_TRUE(ed.Start());
    EditItem(ed, 2, "saved at last");
    const fs::perms readOnly = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
    fs::permissions(loc, readOnly, fs::perm_options::replace);
    ed.Click(kExitX, kButtonsY);  // "Not saved": back to the editor, or quit
    ed.Key("Escape");
    Sleep(500);
    EXPECT_FALSE(ed.Exited());
    EXPECT_FALSE(fs::exists(loc.string() + ".recovered"));
    fs::permissions(loc, readOnly | fs::perms::owner_write, fs::perm_options::replace);
    ed.Click(kExitX, kButtonsY);
    EXPECT_EQ(ed.WaitExit(), 0);
    EXPECT_EQ(LocTexts(loc)[2], "saved at last");
}
