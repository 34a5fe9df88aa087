// The editor's main screen and editing flow on a real screen (test backend): loading,
// showing and committing items, compiling, zazovi.cfg, tab order, and the failures a
// translator must be told about (damaged files, saves that fail).
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "editor/editor.h"
#include "editor/project.h"
#include "editor/text_store.h"
#include "gui/controls/combobox.h"
#include "gui/controls/listbox.h"
#include "gui/gui.h"
#include "gui/msgbox.h"
#include "render/font.h"
#include "support/engine_fixture.h"

namespace fs = std::filesystem;

namespace {

void Put16(std::string& out, int v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}

void WriteLoc(const fs::path& p, const std::vector<std::string>& texts) {
    std::string out;
    Put16(out, static_cast<int>(texts.size()));
    for (const std::string& t : texts) Put16(out, static_cast<int>(t.size())), out += t;
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << out;
}

void WriteDesc(const fs::path& p, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) {
        const std::string name = "Name" + std::to_string(i), desc = "Description of item " + std::to_string(i);
        Put16(out, static_cast<int>(name.size())), out += name;
        Put16(out, static_cast<int>(desc.size())), out += desc;
    }
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << out;
}

std::vector<std::string> Numbered(const std::string& prefix, int n) {
    std::vector<std::string> v;
    for (int i = 0; i < n; ++i) v.push_back(prefix + std::to_string(i));
    return v;
}

std::string Bytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::string Prop(const char* control) {
    Control* c = FindControl(control);
    std::string text(static_cast<size_t>(c->GetProperty("Text", nullptr)), '\0');
    c->GetProperty("Text", text.data());
    return text.c_str();
}

// Presses the first button of every message box as soon as it is built, and keeps
// what the boxes said.
std::vector<std::string> g_boxTexts;
void AnswerBoxes(Control* c) {
    if (std::strncmp(c->name, "QUARNEL_CD_Label_", 17) == 0) g_boxTexts.push_back(Prop(c->name));
    if (std::strncmp(c->name, "QUARNEL_CD_Button_", 18) == 0 && c->name[std::strlen(c->name) - 1] == '0') {
        float x, y;
        c->ScreenPos(&x, &y);
        TestAdvanceTicks(1000);
        TestMouseButton(WM_LBUTTONDOWN, static_cast<int>(x + 5), static_cast<int>(y + 5));
        TestMouseButton(WM_LBUTTONUP, static_cast<int>(x + 5), static_cast<int>(y + 5));
    }
}

// A project with two languages of menu (5 items), game (0 items) and keyboard (20).
class EditorFlow : public testing::Test {
protected:
    void SetUp() override {
        EnsureTestEngine();
        static Font* font = LoadFont(QK_BINARY_DIR "/zazovi_font.dsf");
        ASSERT_NE(font, nullptr);
        SetFont(font);
        old_ = fs::current_path();
        dir_ = fs::temp_directory_path() / ("qk_editor_" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        for (const char* lang : {"English", "German"}) {
            WriteLoc(dir_ / "Texts" / lang / "menu.loc", Numbered(std::string(lang) + " menu ", 5));
            WriteLoc(dir_ / "Texts" / lang / "game.loc", {});
            WriteLoc(dir_ / "Texts" / lang / "keyboard.loc", Numbered(std::string(lang) + " key ", 20));
        }
        WriteDesc(dir_ / "Descriptions" / "menu.desc", 5);
        WriteDesc(dir_ / "Descriptions" / "game.desc", 0);
        WriteDesc(dir_ / "Descriptions" / "keyboard.desc", 20);
        fs::current_path(dir_);
        g_boxTexts.clear();
        g_commonDialogs.creationHook = AnswerBoxes;
    }
    void TearDown() override {
        g_commonDialogs.creationHook = nullptr;
        SetActiveSheet(nullptr);
        while (ControlCount() > 0) DestroyControl(ControlAt(0)->name);
        g_editor = EditorState{};
        ResetStore();
        fs::current_path(old_);
        fs::remove_all(dir_);
    }
    void Build() {
        BuildMainScreen();
        ASSERT_NE(g_editor.items, nullptr);
    }
    // Takes the screen down so that a second one can be built in the same test.
    static void TearDownScreen() {
        SetActiveSheet(nullptr);
        while (ControlCount() > 0) DestroyControl(ControlAt(0)->name);
        g_editor = EditorState{};
        ResetStore();
    }
    fs::path Loc(const char* lang, const char* file) const { return dir_ / "Texts" / lang / (std::string(file) + ".loc"); }
    int FolderIndex(const char* name) const {
        for (int i = 0; i < LanguageFolderCount(); ++i)
            if (LanguageFolder(i) == name) return i;
        return -1;
    }
    void Choose(const char* lang, int file) {
        g_editor.fold->selected = FolderIndex(lang);
        g_editor.file->selected = file;
    }
    fs::path old_, dir_;
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
    // The backup was made.
    EXPECT_TRUE(fs::exists(dir_ / "Texts Backup" / "German" / "keyboard.loc"));
    EXPECT_TRUE(fs::exists(dir_ / "Texts Backup" / "Descriptions" / "menu.desc"));
}

TEST_F(EditorFlow, SwitchingItemsCommitsTheOneLeftAndShowsTheNew) {
    Build();
    Choose("German", 2);
    ASSERT_TRUE(LoadFile());
    g_editor.items->SelectItem(3);
    EXPECT_EQ(Prop("Text"), "German key 3");
    SetControlProperty("Text", "Text", "changed three");
    g_editor.items->SelectItem(7);
    EXPECT_EQ(ItemText(3), "changed three");
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

TEST_F(EditorFlow, CommitKeepsTextsOfAnyLength) {
    Build();
    g_editor.items->SelectItem(1);
    const std::string longText(9000, 'x');
    SetControlProperty("Text", "Text", longText.c_str());
    CommitText();
    EXPECT_EQ(ItemText(1), longText);
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

    // Leaving with no item selected stores -1.
    g_editor.items->ClearItems();
    ASSERT_TRUE(WriteLastPosition());
    EXPECT_EQ(Bytes(dir_ / "zazovi.cfg").substr(8), std::string(4, char(0xFF)));
}

TEST_F(EditorFlow, DamagedOrOutOfRangeConfigurationMeansAFreshStart) {
    for (const std::string& cfg : {std::string("\x01\x00", 2), std::string("\x07\0\0\0\0\0\0\0\0\0\0\0", 12),
                                   std::string("\x00\0\0\0\x02\0\0\0\x19\0\0\0", 12)}) {
        std::ofstream(dir_ / "zazovi.cfg", std::ios::binary) << cfg;
        Build();
        const bool itemOutOfRange = cfg.size() == 12 && cfg[4] == 2;
        EXPECT_EQ(g_editor.fold->selected, 0);
        EXPECT_EQ(g_editor.file->selected, itemOutOfRange ? 2 : 0);
        EXPECT_EQ(g_editor.items->current, -1);
        TearDownScreen();
    }
}

TEST_F(EditorFlow, DamagedFileIsReportedAndNeverWrittenOver) {
    Build();
    // A .loc that claims more items than it holds.
    std::string damaged = Bytes(Loc("German", "menu"));
    damaged[0] = 9;
    std::ofstream(Loc("German", "menu"), std::ios::binary) << damaged;
    Choose("German", 0);
    EXPECT_FALSE(LoadFile());
    ASSERT_FALSE(g_boxTexts.empty());
    EXPECT_NE(g_boxTexts.back().find("menu.loc"), std::string::npos);
    EXPECT_EQ(g_editor.items->items.size(), 0u);
    EXPECT_TRUE(Compile());  // nothing loaded: nothing written
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
    g_boxTexts.clear();
    EXPECT_FALSE(Compile());
    ASSERT_EQ(g_boxTexts.size(), 1u);
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
    EXPECT_EQ(tabFrom("Fold"), "File");
    EXPECT_EQ(tabFrom("File"), "FileOK");
    EXPECT_EQ(tabFrom("FileOK"), "Fold");
    EXPECT_EQ(tabFrom("Items"), "Exit");
    EXPECT_EQ(tabFrom("Exit"), "ExitWithout");
    EXPECT_EQ(tabFrom("ExitWithout"), "Compile");
    EXPECT_EQ(tabFrom("Compile"), "Items");
    EXPECT_EQ(tabFrom("Text"), "Fold");
}

TEST(EditorStartDeath, MissingFileEndsAfterItsMessage) {
    EXPECT_EXIT(
        {
            EnsureTestEngine();
            SetFont(LoadFont(QK_BINARY_DIR "/zazovi_font.dsf"));
            const fs::path dir = fs::temp_directory_path() / ("qk_editor_missing_" + std::to_string(::getpid()));
            fs::remove_all(dir);
            WriteLoc(dir / "Texts" / "English" / "menu.loc", {});
            fs::current_path(dir);
            g_commonDialogs.creationHook = AnswerBoxes;
            BuildMainScreen();
            std::exit(3);
        },
        testing::ExitedWithCode(0), "");
}
