// box_spelling_test.cpp - spelling in the editor's text box (test backend, Debian's German
// dictionary): marks after typing rests and not before, none for a folder without a
// dictionary, and Ctrl+. replacing a word through the suggestion list as one undo step.
#include "editor/box_spelling.h"

#include <gtest/gtest.h>
#include <unistd.h>

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
#include "gui/controls/text_edit.h"
#include "gui/gui.h"
#include "gui/msgbox.h"
#include "render/font.h"
#include "support/engine_fixture.h"

namespace fs = std::filesystem;

namespace {

// A .loc or .desc: 16-bit little-endian lengths before each string.
void WriteStrings(const fs::path& p, const std::vector<std::string>& strings, bool counted) {
    std::string out;
    auto put16 = [&out](size_t v) { out += char(v & 0xFF), out += char((v >> 8) & 0xFF); };
    if (counted) put16(strings.size());
    for (const std::string& s : strings) put16(s.size()), out += s;
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << out;
}

const std::vector<std::string> kTexts = {"Ein Fe<color 255>hlr hier", "Gute Worte"};

class BoxSpelling : public testing::Test {
  protected:
    void SetUp() override {
        EnsureTestEngine();
        static Font* font = LoadFont(QK_BINARY_DIR "/zazovi_font.dsf");
        ASSERT_NE(font, nullptr);
        SetFont(font);
        old_ = fs::current_path();
        dir_ = fs::temp_directory_path() / ("qk_box_spelling_" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        for (const std::string file : {"menu", "game", "keyboard"}) {  // the files every project has
            for (const char* lang : {"German", "Klingon"})
                WriteStrings(dir_ / "Texts" / lang / (file + ".loc"), kTexts, true);
            WriteStrings(dir_ / "Descriptions" / (file + ".desc"), {"A", "a", "B", "b"}, false);
        }
        fs::current_path(dir_);
        BuildMainScreen();
        box_ = FindControl("Text");
        ASSERT_NE(box_, nullptr);
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
    void Open(const char* lang, int item) {
        for (int i = 0; i < LanguageFolderCount(); ++i)
            if (LanguageFolder(i) == lang) g_editor.fold->selected = i;
        g_editor.file->selected = 0;
        ASSERT_TRUE(LoadFile());
        g_editor.items->SelectItem(item);
        SetFocusTo("Text");
    }
    // The bytes under each mark.
    std::vector<std::string> Marked() {
        std::vector<std::string> out;
        const std::string& text = TextEditOf(box_)->text;
        for (const TextMark& m : GetTextMarks(box_)) out.push_back(text.substr(m.begin, m.end - m.begin));
        return out;
    }
    static void Frame(uint32_t afterMs) {
        TestAdvanceTicks(afterMs);
        PumpMessages();
        EngineFrame();
    }
    static void Type(const std::string& ascii) {
        for (char c : ascii) TestChar(uint8_t(c));
        Frame(20);
    }
    Control* box_ = nullptr;
    fs::path old_, dir_;
};

using Words = std::vector<std::string>;

TEST_F(BoxSpelling, MisspelledWordsAreMarkedOnShowAndOnceTypingRests) {
    Open("German", 0);
    EXPECT_EQ(Marked(), Words{"Fe<color 255>hlr"});
    g_editor.items->SelectItem(1);
    EXPECT_EQ(Marked(), Words{});
    Type(" Quatschwrt");
    Frame(100);
    EXPECT_EQ(Marked(), Words{}) << "checked before the pause";
    Frame(kSpellPauseSeconds * 1000);
    EXPECT_EQ(Marked(), Words{"Quatschwrt"});
    Type(" gut");  // a correct word adds no mark
    Frame(kSpellPauseSeconds * 1000 + 50);
    EXPECT_EQ(Marked(), Words{"Quatschwrt"});

    // A folder no dictionary belongs to is not checked.
    Open("Klingon", 0);
    Type(" Quatschwrt");
    Frame(kSpellPauseSeconds * 1000 + 50);
    EXPECT_EQ(Marked(), Words{});
}

// Picks the entry `g_pick` of the suggestion list (Escape when absent) as soon as the list exists.
std::string g_pick;
Words g_offered;
void PickSuggestion(Control* c) {
    auto* list = dynamic_cast<ListBox*>(c);
    if (!list) return;
    g_offered.clear();
    for (const ListItem& item : list->items) g_offered.push_back(item.text);
    int32_t at = -1;
    for (size_t i = 0; i < g_offered.size(); ++i)
        if (g_offered[i] == g_pick) at = int32_t(i);
    if (at >= 0) list->SelectItem(at);
    const uint8_t key = at >= 0 ? VK_RETURN : VK_ESCAPE;
    TestKeyDown(key, 0), TestKeyUp(key, 0);
}

TEST_F(BoxSpelling, CtrlPeriodReplacesTheWordKeepingItsTagAsOneUndoStep) {
    const struct {
        const char* pick;
        const char* after;
    } cases[] = {
        {"Fehler", "Ein Fe<color 255>hler hier"}, {"", "Ein Fe<color 255>hlr hier"},  // Escape: nothing changes
    };
    g_commonDialogs.creationHook = PickSuggestion;
    for (const auto& c : cases) {
        Open("German", 0);
        TextEditOf(box_)->cPos = 20, TextEditOf(box_)->nSel = 0;  // in "hlr"
        g_pick = c.pick;
        g_offered.clear();
        TestKeyDown(VK_CONTROL, 0x1D), TestKeyDown(VK_OEM_PERIOD, 0x34), PumpMessages();
        TestKeyUp(VK_OEM_PERIOD, 0x34), TestKeyUp(VK_CONTROL, 0x1D), PumpMessages();
        ASSERT_FALSE(g_offered.empty());
        EXPECT_LE(g_offered.size(), 8u);
        EXPECT_EQ(TextEditOf(box_)->text, c.after) << c.pick;
        EXPECT_EQ(Marked(), std::string(c.pick).empty() ? Words{"Fe<color 255>hlr"} : Words{});
        EXPECT_EQ(GetFocusControl(), box_);
        if (*c.pick) {
            ASSERT_TRUE(UndoTextEdit(box_));
            EXPECT_EQ(TextEditOf(box_)->text, kTexts[0]);
        }
    }
}

}  // namespace
