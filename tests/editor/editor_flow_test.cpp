// The editor's main screen and editing flow on a real screen (test backend): loading,
// showing and committing items, compiling, zazovi.cfg, tab order, and the failures a
// translator must be told about (damaged files, saves that fail).
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "editor/desk.h"
#include "editor/project_journal.h"
#include "gui/controls/text_edit.h"
#include "platform/test/test_platform.h"
#include "support/editor_screen.h"
#if !defined(_WIN32)
#include "support/file_size_limit.h"
#endif
#include "tools/loctool/loc_text.h"

namespace fs = std::filesystem;
using namespace editorscreen;

namespace {

using locfixture::LocBytes;

std::vector<std::string> Numbered(const std::string& prefix, int n) {
    std::vector<std::string> v;
    for (int i = 0; i < n; ++i) v.push_back(prefix + std::to_string(i));
    return v;
}

// A project with two languages of menu (5 items), game (0 items) and keyboard (20).
class EditorFlow : public ScreenTest {
  protected:
    void SetUp() override {
        ScreenTest::SetUp();
        for (const char* lang : {"English", "German"}) {
            WriteLoc(dir_ / "Texts" / lang / "menu.loc", Numbered(std::string(lang) + " menu ", 5));
            WriteLoc(dir_ / "Texts" / lang / "game.loc", {});
            WriteLoc(dir_ / "Texts" / lang / "keyboard.loc", Numbered(std::string(lang) + " key ", 20));
        }
        WriteDesc(dir_ / "Descriptions" / "menu.desc", 5);
        WriteDesc(dir_ / "Descriptions" / "game.desc", 0);
        WriteDesc(dir_ / "Descriptions" / "keyboard.desc", 20);
    }
    fs::path Loc(const char* lang, const char* file) const {
        return dir_ / "Texts" / lang / (std::string(file) + ".loc");
    }
    static void Choose(const char* lang, int file) {
        for (int i = 0; i < LanguageFolderCount(); ++i)
            if (LanguageFolder(i) == lang) g_editor.fold->selected = i;
        g_editor.file->selected = file;
    }
};

}  // namespace

TEST_F(EditorFlow, StartsOnTheFirstFolderAndFileWithoutConfiguration) {
    Build();
    EXPECT_EQ(g_editor.fold->selected, 0);
    EXPECT_EQ(g_editor.file->selected, 0);
    EXPECT_EQ(g_editor.items->current, -1);
    EXPECT_EQ(g_editor.items->items.size(), 5u);
    EXPECT_EQ(Prop("FileFrame"), "File [ " + LanguageFolder(0) + "\\menu.loc ]");
    EXPECT_EQ(Prop("ItemsFrame"), "Items [ nItems: 5 ; Current Item: -1 ]");
    EXPECT_EQ(g_gui.activeSheet, FindControl("Sheet01"));
}

TEST_F(EditorFlow, SwitchingItemsCommitsTheOneLeftAndShowsTheNew) {
    Build();
    Choose("German", 2);
    ASSERT_TRUE(LoadFile());
    g_editor.items->SelectItem(3);
    EXPECT_EQ(Prop("Text"), "German key 3");
    const std::string changed = "changed three " + std::string(9000, 'x');  // of any length
    SetControlProperty("Text", "Text", changed.c_str());
    g_editor.items->SelectItem(7);
    EXPECT_EQ(ItemText(3), changed);
    EXPECT_EQ(Prop("Item"), "Name7");
    EXPECT_EQ(Prop("Desc"), "Description of item 7");
    EXPECT_EQ(Prop("Text"), "German key 7");
    EXPECT_EQ(Prop("ItemsFrame"), "Items [ nItems: 20 ; Current Item: 7 ]");
    // Nothing on disk changes until a save.
    EXPECT_EQ(Bytes(Loc("German", "keyboard")).find("changed"), std::string::npos);
    ASSERT_TRUE(Compile());
    const std::string once = Bytes(Loc("German", "keyboard"));
    EXPECT_NE(once.find("changed three"), std::string::npos);
    ASSERT_TRUE(Compile());
    EXPECT_EQ(Bytes(Loc("German", "keyboard")), once);
}

TEST_F(EditorFlow, LoadingAnotherFileWritesTheFirstBackWithTheEdit) {
    Build();
    Choose("English", 0);
    ASSERT_TRUE(LoadFile());
    g_editor.items->SelectItem(2);
    SetControlProperty("Text", "Text", "edit in progress");
    Choose("German", 1);  // game: no items
    ASSERT_TRUE(LoadFile());
    EXPECT_NE(Bytes(Loc("English", "menu")).find("edit in progress"), std::string::npos);
    EXPECT_EQ(g_editor.items->items.size(), 0u);
    EXPECT_EQ(g_editor.items->current, -1);
    EXPECT_EQ(Prop("ItemsFrame"), "Items [ nItems: 0 ; Current Item: -1 ]");
    EXPECT_EQ(Prop("Text"), "");
}

TEST_F(EditorFlow, EachItemKeepsItsUndoHistoryWithinTheFile) {
    Build();
    Choose("German", 2);
    ASSERT_TRUE(LoadFile());
    Control* box = FindControl("Text");
    auto editItem = [box](int item, const char* prefix) {
        g_editor.items->SelectItem(item);
        ASSERT_TRUE(ReplaceTextRange(box, 0, 0, prefix));
    };
    editItem(3, "A: ");
    editItem(7, "B: ");
    g_editor.items->SelectItem(3);
    EXPECT_EQ(Prop("Text"), "A: German key 3");
    ASSERT_TRUE(UndoTextEdit(box));
    EXPECT_EQ(Prop("Text"), "German key 3");
    ASSERT_TRUE(RedoTextEdit(box));
    g_editor.items->SelectItem(7);
    ASSERT_TRUE(UndoTextEdit(box));
    EXPECT_EQ(Prop("Text"), "German key 7");
    EXPECT_FALSE(UndoTextEdit(box)) << "item 3's step undone in item 7";
    g_editor.items->SelectItem(3);
    EXPECT_EQ(ItemText(7), "German key 7");
    EXPECT_EQ(Prop("Text"), "A: German key 3");

    // Another file, and back: the histories were for texts no longer in memory.
    Choose("German", 0);
    ASSERT_TRUE(LoadFile());
    g_editor.items->SelectItem(3);
    EXPECT_FALSE(UndoTextEdit(box));
    Choose("German", 2);
    ASSERT_TRUE(LoadFile());
    g_editor.items->SelectItem(3);
    EXPECT_EQ(Prop("Text"), "A: German key 3");
    EXPECT_FALSE(UndoTextEdit(box));
}

TEST_F(EditorFlow, ConfigurationBytesAndRestore) {
    Build();
    g_editor.fold->selected = 1;
    g_editor.file->selected = 2;
    ASSERT_TRUE(LoadFile());
    g_editor.items->SelectItem(17);
    ASSERT_TRUE(WriteLastPosition());
    EXPECT_EQ(Bytes(dir_ / "zazovi.cfg"), std::string({1, 0, 0, 0, 2, 0, 0, 0, 0x11, 0, 0, 0}));

    // A fresh screen restores folder, file and item.
    TearDownScreen();
    Build();
    EXPECT_EQ(g_editor.fold->selected, 1);
    EXPECT_EQ(g_editor.file->selected, 2);
    EXPECT_EQ(g_editor.items->current, 17);
    EXPECT_EQ(Prop("Text"), LanguageFolder(1) + " key 17");

    // An item past the file's end starts on that file with none chosen. (Damaged files and
    // folders or files out of range: fuzz_cfg.)
    TearDownScreen();
    std::ofstream(dir_ / "zazovi.cfg", std::ios::binary) << std::string("\x00\0\0\0\x02\0\0\0\x19\0\0\0", 12);
    Build();
    EXPECT_EQ(g_editor.fold->selected, 0);
    EXPECT_EQ(g_editor.file->selected, 2);
    EXPECT_EQ(g_editor.items->current, -1);
}

TEST_F(EditorFlow, DamagedFileIsReportedAndNeverWrittenOver) {
    Build();
    // A .loc that claims more items than it holds.
    std::string damaged = Bytes(Loc("German", "menu"));
    damaged[0] = 9;
    std::ofstream(Loc("German", "menu"), std::ios::binary) << damaged;
    Choose("German", 0);
    EXPECT_FALSE(LoadFile());
    ASSERT_FALSE(g_boxes.texts.empty());
    EXPECT_NE(g_boxes.texts.back().find("menu.loc"), std::string::npos);
    EXPECT_EQ(g_editor.items->items.size(), 0u);
    EXPECT_EQ(Prop("FileFrame"), "File");  // names no file, since none is loaded
    EXPECT_TRUE(Compile());                // nothing loaded: nothing written
    EXPECT_EQ(Bytes(Loc("German", "menu")), damaged);
}

TEST_F(EditorFlow, FailedSaveIsReportedAndKeepsTheEdits) {
    Build();
    g_editor.items->SelectItem(0);
    SetControlProperty("Text", "Text", "precious");
    // The language folder turns into a plain file: the save cannot be written.
    const fs::path folder = dir_ / "Texts" / LanguageFolder(0);
    fs::rename(folder, dir_ / "moved");
    std::ofstream(folder) << "not a folder";
    g_boxes.texts.clear();
    EXPECT_FALSE(Compile());
    ASSERT_EQ(g_boxes.texts.size(), 1u);
    EXPECT_EQ(ItemText(0), "precious");
    // Loading another file would drop the edits: the load is refused.
    Choose("German", 2);
    EXPECT_FALSE(LoadFile());
    EXPECT_EQ(ItemText(0), "precious");
    EXPECT_EQ(g_editor.items->items.size(), 5u);
    // Once the folder is back the save goes through.
    fs::remove(folder);
    fs::rename(dir_ / "moved", folder);
    EXPECT_TRUE(Compile());
    EXPECT_NE(Bytes(folder / "menu.loc").find("precious"), std::string::npos);
}

TEST_F(EditorFlow, TabOrderStaysInsideEachFrame) {
    Build();
    auto tabFrom = [](const char* name) {
        SetFocusTo(name);
        TestKeyDown(VK_TAB, 0x0F);
        TestKeyUp(VK_TAB, 0x0F);
        PumpMessages();
        return std::string(GetFocusControl() ? GetFocusControl()->name : "");
    };
    for (const auto& [from, to] : {std::pair<const char*, const char*>{"Fold", "File"},
                                   {"File", "FileOK"},
                                   {"FileOK", "Fold"},
                                   {"Items", "Exit"},
                                   {"Exit", "ExitWithout"},
                                   {"ExitWithout", "Compile"},
                                   {"Compile", "Items"},
                                   {"Text", "Fold"}})
        EXPECT_EQ(tabFrom(from), to) << from;
}

// --- nothing the translator typed or stored is lost ---------------------------------

namespace {

// The path a box named after "kept in ", up to the full stop that ends the sentence.
std::string KeptIn(const std::string& boxText) {
    const size_t at = boxText.find("kept in ");
    if (at == std::string::npos) return {};
    const size_t end = boxText.find(".\n", at) != std::string::npos ? boxText.find(".\n", at) : boxText.rfind('.');
    return boxText.substr(at + 8, end - at - 8);
}

}  // namespace

// Looked at, the items go back byte for byte; an edit keeps the item's CR LF and tabs.
TEST_F(EditorFlow, LookingAtItemsWritesThemBackByteForByteAndAnEditKeepsLineEndsAndTabs) {
    const std::vector<std::string> stored = {"New\r\nGame\tX", std::string("a\0b", 3), "plain", "trailing CR\r",
                                             "\t\ttabbed\r\n"};
    WriteLoc(Loc("English", "menu"), stored);
    Build();
    Choose("English", 0);
    ASSERT_TRUE(LoadFile());
    for (int i = 0; i < 5; ++i) g_editor.items->SelectItem(i);
    ASSERT_TRUE(Compile());
    EXPECT_EQ(Bytes(Loc("English", "menu")), LocBytes(stored));
    const ExitOutcome out = FinishEditing(ExitRoad::ExitButton);
    EXPECT_TRUE(out.leave);
    EXPECT_EQ(out.code, 0);
    EXPECT_EQ(Bytes(Loc("English", "menu")), LocBytes(stored));

    g_editor.items->SelectItem(0);
    SetControlProperty("Text", "Text", "New\nGame X\nMore");
    g_editor.items->SelectItem(1);
    EXPECT_EQ(ItemText(0), "New\r\nGame\tX\r\nMore");
}

TEST_F(EditorFlow, FailedFinalSaveLeavesTheTextsInARecoveryFile) {
    struct Case {
        const char* what;
        ExitRoad road;
    };
    // (A signal ends the editor as a closed window does: the same road past the Exit button's.)
    const Case cases[] = {{"Exit button, then Quit", ExitRoad::ExitButton}, {"window closed", ExitRoad::WindowClosed}};
    for (const Case& c : cases) {
        Build();
        Choose("German", 0);
        ASSERT_TRUE(LoadFile());
        g_editor.items->SelectItem(2);
        SetControlProperty("Text", "Text", "rescued text");
        const fs::path folder = dir_ / "Texts" / "German";
        const std::string before = Bytes(folder / "menu.loc");
        fs::permissions(folder / "menu.loc", fs::perms::owner_read | fs::perms::group_read, fs::perm_options::replace);
        // Taken names are never written over: the next free one is used.
        std::ofstream(folder / "menu.loc.recovered") << "older recovery";
        g_boxes.texts.clear();
        if (c.road == ExitRoad::ExitButton) g_boxes.answers = {1};  // "Quit"
        const ExitOutcome out = FinishEditing(c.road);
        EXPECT_TRUE(out.leave) << c.what;
        EXPECT_EQ(out.code, 1) << c.what;
        ASSERT_FALSE(g_boxes.texts.empty()) << c.what;
        const std::string path = KeptIn(g_boxes.texts.back());
        EXPECT_EQ(Bytes(path),
                  LocBytes({"German menu 0", "German menu 1", "rescued text", "German menu 3", "German menu 4"}))
            << c.what << ": " << g_boxes.texts.back();
        EXPECT_TRUE(fs::equivalent(path, folder / "menu.loc.recovered2")) << c.what << ": " << path;
        EXPECT_EQ(Bytes(folder / "menu.loc.recovered"), "older recovery") << c.what;
        fs::permissions(folder / "menu.loc", fs::perms::owner_write, fs::perm_options::add);
        fs::remove(folder / "menu.loc.recovered");
        fs::remove(folder / "menu.loc.recovered2");
        EXPECT_EQ(Bytes(folder / "menu.loc"), before) << c.what;
        TearDownScreen();
    }
}

namespace {

void SetEnvironment(const char* name, const std::string& value) {
#if defined(_WIN32)
    _putenv_s(name, value.c_str());
#else
    setenv(name, value.c_str(), 1);
#endif
}

// The temporary folder as the standard library finds it, on every system; the one
// before comes back when the test ends, however it ends.
void SetTemporaryFolder(const fs::path& folder) {
    for (const char* name : {"TMPDIR", "TMP", "TEMP"}) SetEnvironment(name, folder.string());
}
struct TemporaryFolderKept {
    const fs::path before = fs::temp_directory_path();
    ~TemporaryFolderKept() {
        SetTemporaryFolder(before);
        TestSetUserDataFolder("");
    }
};

std::vector<std::string> TextsOfRecovery(const std::string& path) {
    std::vector<loctext::Item> items;
    EXPECT_TRUE(loctext::ParseText(Bytes(path), path, items).ok) << path;
    std::vector<std::string> texts;
    for (const loctext::Item& item : items) texts.push_back(item.text);
    return texts;
}

}  // namespace

// A text the .loc format cannot hold makes the save fail by itself; the texts go in
// loctool's text form to the first place that takes a new file, and where none does,
// the editor stays open (or, ended from outside, prints them).
TEST_F(EditorFlow, TextsThatCannotBeSavedAreKeptInTheFirstPlaceThatTakesThem) {
    const TemporaryFolderKept kept;
    Build();
    Choose("German", 0);
    ASSERT_TRUE(LoadFile());
    const std::string tooLong(40000, 'l');
    ASSERT_TRUE(SetItemText(2, tooLong));
    const std::vector<std::string> expected = {"German menu 0", "German menu 1", tooLong, "German menu 3",
                                               "German menu 4"};
    const fs::path folder = dir_ / "Texts" / "German", data = dir_ / "data", temp = dir_ / "temp";
    fs::create_directories(data), fs::create_directories(temp);
    TestSetUserDataFolder(data.string());
    SetTemporaryFolder(temp);
    const std::string name = "zazovi-German-menu.loc.recovered";
    struct Step {
        const char* what;
        fs::path expected;
        std::function<void()> thenBlock;
    };
    const Step steps[] = {
        {"beside the file", folder / "menu.loc.recovered.txt",
         [&] {
             fs::rename(folder, dir_ / "moved");
             std::ofstream(folder) << "not a folder";
         }},
        {"project folder", dir_ / (name + ".txt"),
         [&] {
             // Every name the project folder could take is taken.
             std::error_code ec;  // the first is the file just written
             for (int n = 1; n <= 99; ++n)
                 fs::create_directory(dir_ / (name + (n > 1 ? std::to_string(n) : "") + ".txt"), ec);
         }},
        {"user data folder", data / (name + ".txt"), [&] { TestSetUserDataFolder(""); }},
        {"temporary folder", temp / (name + ".txt"), [&] { SetTemporaryFolder(dir_ / "gone"); }},
    };
    for (const Step& step : steps) {
        g_boxes.texts.clear();
        const ExitOutcome out = FinishEditing(ExitRoad::WindowClosed);
        EXPECT_TRUE(out.leave && out.code == 1) << step.what;
        ASSERT_FALSE(g_boxes.texts.empty()) << step.what;
        const std::string path = KeptIn(g_boxes.texts.back());
        EXPECT_TRUE(fs::equivalent(path, step.expected)) << step.what << ": " << path;
        EXPECT_EQ(TextsOfRecovery(path), expected) << step.what;
        step.thenBlock();
    }
    // Nowhere to write: after Exit the editor stays open with the texts; ended from
    // outside it prints them in the text form.
    g_boxes = Boxes{};
    g_boxes.answers = {1, 0};  // "Quit", then the message
    const ExitOutcome stay = FinishEditing(ExitRoad::ExitButton);
    EXPECT_FALSE(stay.leave);
    ASSERT_FALSE(g_boxes.texts.empty());
    EXPECT_NE(g_boxes.texts.back().find("stays open"), std::string::npos) << g_boxes.texts.back();
    EXPECT_EQ(ItemText(2), tooLong);
    // The capture makes a file in the temporary folder: blocked only around the save.
    SetTemporaryFolder(kept.before);
    testing::internal::CaptureStderr();
    SetTemporaryFolder(dir_ / "gone");
    const ExitOutcome ended = FinishEditing(ExitRoad::Signal);
    SetTemporaryFolder(kept.before);
    const std::string printed = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(ended.leave && ended.code == 1);
    std::vector<loctext::Item> items;
    ASSERT_TRUE(loctext::ParseText(printed.substr(printed.find("# ")), "stderr", items).ok) << printed.substr(0, 300);
    ASSERT_EQ(items.size(), 5u);
    EXPECT_EQ(items[2].text, tooLong);
}

// A CR LF item stores two bytes for each line break the box shows as one: the box
// counts what will be stored, so whatever is typed or copied in can still be saved.
TEST_F(EditorFlow, ACrLfItemCannotGrowPastWhatTheFormatHolds) {
    std::string crlf(32700, 'a');
    for (int i = 0; i < 33; ++i) crlf += "\r\n";  // 32766 stored, 32733 shown
    WriteLoc(Loc("German", "menu"), {crlf, "1", "2", "3", "4"});
    // 32767 stored with plain line feeds: as German's item 0 it would get 20 CRs.
    WriteLoc(Loc("English", "menu"), {std::string(32747, 'r') + std::string(20, '\n'), "1", "2", "3", "4"});
    Build();
    Choose("German", 0);
    ASSERT_TRUE(LoadFile());
    g_editor.items->SelectItem(0);
    Control* box = FindControl("Text");
    const uint32_t end = uint32_t(TextEditOf(box)->Length());
    EXPECT_FALSE(ReplaceTextRange(box, end, end, "\n"));
    EXPECT_FALSE(CopyReferenceIntoBox());
    EXPECT_TRUE(ReplaceTextRange(box, end, end, "x"));
    SetFocusTo("Text");
    TestChar('y'), PumpMessages();
    ASSERT_TRUE(Compile());
    EXPECT_EQ(Bytes(Loc("German", "menu")), LocBytes({crlf + "x", "1", "2", "3", "4"}));
}

TEST_F(EditorFlow, AFileChangedByAnotherProgramIsNeverOverwrittenUnseen) {
    struct Case {
        const char* what;
        int answer;  // 0 keep mine in a recovery file and reload, 1 overwrite, -1 Escape,
                     // -2 a quit request while asking; 9: no one to ask
    };
    for (const Case& c : {Case{"keep and reload", 0}, Case{"overwrite", 1}, Case{"Escape", -1},
                          Case{"quit request", -2}, Case{"emergency save", 9}}) {
        WriteLoc(Loc("German", "menu"), Numbered("German menu ", 5));
        Build();
        Choose("German", 0);
        ASSERT_TRUE(LoadFile());
        g_editor.items->SelectItem(3);
        SetControlProperty("Text", "Text", "mine");
        // Another editor saves its own edit of the same file meanwhile.
        const std::string theirs = LocBytes({"a", "b", "c", "theirs", "e"});
        std::ofstream(Loc("German", "menu"), std::ios::binary | std::ios::trunc) << theirs;
        g_boxes.answers = {c.answer};
        if (c.answer == 9)
            EmergencySave();
        else
            Compile();
        g_engine.quitRequested = 0;
        const std::string mine = LocBytes({"German menu 0", "German menu 1", "German menu 2", "mine", "German menu 4"});
        const fs::path recovered = Loc("German", "menu").string() + ".recovered";
        if (c.answer == 1) {
            EXPECT_EQ(Bytes(Loc("German", "menu")), mine) << c.what;
            EXPECT_FALSE(fs::exists(recovered)) << c.what;
        } else {
            EXPECT_EQ(Bytes(Loc("German", "menu")), theirs) << c.what;
            EXPECT_EQ(Bytes(recovered), mine) << c.what;
            if (c.answer != 9) {
                EXPECT_EQ(Prop("Text"), "theirs") << c.what;  // reloaded, on the same item
            }
        }
        fs::remove(recovered);
        TearDownScreen();
    }
}

TEST_F(EditorFlow, ConfigurationIsReplacedWholeOrNotAtAll) {
#if defined(_WIN32)
    GTEST_SKIP() << "no file-size limit to make a write fail";
#else
    const std::string old("\x01\0\0\0\x02\0\0\0\x03\0\0\0", 12);
    std::ofstream(dir_ / "zazovi.cfg", std::ios::binary) << old;
    Build();
    g_boxes.texts.clear();
    {
        const FileSizeLimit full(4);
        EXPECT_FALSE(WriteLastPosition());
    }
    EXPECT_EQ(Bytes(dir_ / "zazovi.cfg"), old);
    ASSERT_EQ(g_boxes.texts.size(), 1u);
    EXPECT_NE(g_boxes.texts[0].find("zazovi.cfg"), std::string::npos) << g_boxes.texts[0];
#endif
}

// Only our own leftovers go: temporary names for the project's files made by a process
// that no longer runs (and the plain ".tmp" of older versions), never a link, a folder,
// another file's or a live writer's.
TEST_F(EditorFlow, TemporaryFilesOfAKilledSaveAreRemovedAtStart) {
    const std::string dead = ".4000000000-0123abcd.tmp";  // an id no process can have
    const fs::path german = dir_ / "Texts" / "German";
    const fs::path gone[] = {german / ("keyboard.loc" + dead), german / ("menu.loc.recovered" + dead),
                             dir_ / ("zazovi.cfg" + dead), german / "keyboard.loc.tmp", dir_ / "zazovi.cfg.tmp"};
    std::vector<fs::path> kept = {german / ("notes.txt" + dead), Loc("English", "game").string() + ".tmp/not ours"};
    for (const fs::path& p : gone) std::ofstream(p) << "half a save";
    std::ofstream(kept[0]) << "not a project file's";
    fs::create_directories(kept[1]);
#if !defined(_WIN32)
    kept.push_back(german / ("menu.loc." + std::to_string(getppid()) + "-0123abcd.tmp"));
    std::ofstream(kept.back()) << "a loctool pack still writing";
    kept.push_back(german / ("game.loc" + dead));
    std::ofstream(dir_ / "victim") << "the victim";
    fs::create_symlink(dir_ / "victim", kept.back());
#endif
    Build();
    for (const fs::path& p : gone) EXPECT_FALSE(fs::exists(p)) << p;
    for (const fs::path& p : kept) EXPECT_TRUE(fs::exists(fs::symlink_status(p))) << p;
}

// A write into several files that was killed once its files were complete is finished
// before the editor reads anything, and the translator is told once.
TEST_F(EditorFlow, AnInterruptedWriteIsFinishedAtStartAndSaidOnce) {
    const std::vector<std::string> menu = Numbered("new menu ", 5), keys = Numbered("new key ", 20);
    const std::string tmp = ".4000000000-0123abcd.tmp";
    WriteLoc(Loc("German", "menu").string() + tmp, menu);
    WriteLoc(Loc("German", "keyboard").string() + tmp, keys);
    std::ofstream(dir_ / kJournalFile, std::ios::binary)
        << "Texts/German/menu.loc" + tmp + " -> Texts/German/menu.loc\n"
        << "Texts/German/keyboard.loc" + tmp + " -> Texts/German/keyboard.loc\nend\n";
    Build();
    ASSERT_EQ(g_boxes.texts.size(), 1u);
    EXPECT_NE(g_boxes.texts[0].find("has now been finished: Texts/German/menu.loc, Texts/German/keyboard.loc"),
              std::string::npos)
        << g_boxes.texts[0];
    EXPECT_EQ(Bytes(Loc("German", "menu")), LocBytes(menu));
    EXPECT_EQ(Bytes(Loc("German", "keyboard")), LocBytes(keys));
    EXPECT_FALSE(fs::exists(dir_ / kJournalFile));
    TearDownScreen();
    g_boxes.texts.clear();
    Build();
    EXPECT_TRUE(g_boxes.texts.empty());
}

TEST(EditorExitDeath, ExitWithoutSavingDisarmsTheEmergencySave) {
    EXPECT_EXIT(
        {
            EnsureTestEngine();
            SetFont(LoadFont(QK_BINARY_DIR "/zazovi_font.dsf"));
            const fs::path dir = fs::temp_directory_path() / ("qk_editor_nosave_" + std::to_string(::getpid()));
            fs::remove_all(dir);
            for (const char* file : {"menu", "game", "keyboard"}) {
                WriteLoc(dir / "Texts" / "English" / (std::string(file) + ".loc"), {"kept", "also kept"});
                WriteDesc(dir / "Descriptions" / (std::string(file) + ".desc"), 2);
            }
            fs::current_path(dir);
            BuildMainScreen();
            g_editor.items->SelectItem(0);
            PlatSetEmergencyHandler(EmergencySave);
            // The display is lost while the program ends: what is still armed runs then.
            std::atexit([] {
                if (PlatEmergencyHandler armed = PlatSetEmergencyHandler(nullptr)) armed();
                std::_Exit(Bytes(fs::path("Texts") / "English" / "menu.loc") == LocBytes({"kept", "also kept"}) ? 6
                                                                                                                : 5);
            });
            LeaveWithoutSaving();
        },
        testing::ExitedWithCode(6), "");
}
