// box_spelling_test.cpp - spelling in the editor's text box (test backend, Debian's German
// dictionary): marks, drawn as red underlines, after typing rests and not before, none for a folder without a
// dictionary, and Ctrl+. replacing a word through the suggestion list as one undo step.
#include "editor/box_spelling.h"

#include <string>
#include <vector>

#include "gui/controls/text_edit.h"
#include "support/editor_screen.h"
#include "support/engine_fixture.h"

using namespace editorscreen;

namespace {

const std::vector<std::string> kTexts = {"Ein Fe<color 255>hlr hier", "Gute Worte"};

class BoxSpelling : public ScreenTest {
  protected:
    void SetUp() override {
        ScreenTest::SetUp();
        for (const std::string file : {"menu", "game", "keyboard"}) {  // the files every project has
            for (const char* lang : {"German", "Klingon"}) WriteLoc(dir_ / "Texts" / lang / (file + ".loc"), kTexts);
            WriteDesc(dir_ / "Descriptions" / (file + ".desc"), 2);
        }
        Build();
        box_ = FindControl("Text");
        ASSERT_NE(box_, nullptr);
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
    // Underline-red pixels inside the text box as drawn now.
    int RedInBox() {
        ShowGuiPointer(false);
        ClearScreen();
        GuiDraw();
        glFinish();
        float x = 0, y = 0;
        box_->ScreenPos(&x, &y);
        int n = 0;
        for (int py = int(y); py < int(y + box_->h); ++py)
            for (int px = int(x); px < int(x + box_->w); ++px) {
                const Rgb c = ReadPixel(px, py);
                n += c.r > 150 && c.g < 100 && c.b < 100;
            }
        ShowGuiPointer(true);
        return n;
    }
    static void Type(const std::string& ascii) {
        for (char c : ascii) TestChar(uint8_t(c));
        Frame(20);
    }
    Control* box_ = nullptr;
};

using Words = std::vector<std::string>;

TEST_F(BoxSpelling, MisspelledWordsAreMarkedOnShowAndOnceTypingRests) {
    Open("German", 0);
    EXPECT_EQ(Marked(), Words{"Fe<color 255>hlr"});
    EXPECT_GT(RedInBox(), 10) << "the mark is drawn as a red underline";
    ASSERT_TRUE(SetTextMarks(box_, {}));
    EXPECT_EQ(RedInBox(), 0);
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
