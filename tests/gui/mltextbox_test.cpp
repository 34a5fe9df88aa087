// mltextbox_test.cpp - the multi-line text box through the real input path (clicks on
// empty and newline-ended texts, pasting over a selection, word selection, Up/Down,
// drag auto-scroll, the notice at the 32767-byte ceiling, the wrapped caret), then the
// editing core in both boxes: typing, keys and clipboard, the ceiling, undo/redo and its
// history, marks under words with their red line, and the word at the caret.
#include "gui/controls/mltextbox.h"

#include <algorithm>
#include <string>

#include "gui/controls/textbox.h"
#include "render/font.h"
#include "tests/gui/gui_test_support.h"

using namespace guitest;

namespace {

int g_changes = 0;
void CountChange() { ++g_changes; }

constexpr int kX = 100, kY = 100;  // the box's place on the sheet

// A sheet, an empty clipboard and the chords both boxes' tests use.
class BoxTest : public GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        ASSERT_NE(TestFont(), nullptr);
        SetFont(TestFont());
        MakeSheet();
        TestSetClipboard("");
        g_changes = 0;
    }
    static void CtrlShift(uint8_t k) {
        TestKeyDown(VK_SHIFT, 0x2A), PumpMessages();
        Ctrl(k);
        TestKeyUp(VK_SHIFT, 0x2A), PumpMessages();
    }
    // AltGr, as Windows reports it: left Ctrl with right Alt.
    static void AltGr(uint8_t k) {
        TestKeyDown(VK_MENU, 0x38, true), PumpMessages();
        Ctrl(k);
        TestKeyUp(VK_MENU, 0x38, true), PumpMessages();
    }
};

class MLTextBoxTest : public BoxTest {
  protected:
    void SetUp() override {
        BoxTest::SetUp();
        box = static_cast<MLTextBox*>(CreateControl("MLTextBox", "M", "S", kX, kY, 200, 100));
        ASSERT_NE(box, nullptr);
        SetControlProperty("M", "Text", "");
        SetFocusTo("M");
    }
    // Screen point on the left edge of the character at byte offset i.
    void PointAt(int32_t i, int* px, int* py) const {
        const TextPos c = box->CaretXY(i, box->WrapWidth());
        *px = kX + 2 + int(c.x) + 1;
        *py = kY + 2 + int(c.y - box->cBlock + box->LineHeight() / 2);
    }
    void ClickAt(int32_t i) {
        int px, py;
        PointAt(i, &px, &py);
        Press(px, py), Release(px, py);
    }
    void DoubleClickAt(int32_t i) {
        int px, py;
        PointAt(i, &px, &py);
        Press(px, py), Release(px, py);
        TestAdvanceTicks(100);
        TestMouseButton(WM_LBUTTONDOWN, px, py), TestMouseButton(WM_LBUTTONUP, px, py), PumpMessages();
        GuiUpdate(0.02f);  // the frame after the double click must keep the word
    }
    std::string Selected() const {
        const int32_t a = std::min(box->cPos, box->cPos + box->nSel);
        return box->text.substr(size_t(a), size_t(std::abs(box->nSel)));
    }

    MLTextBox* box = nullptr;
};

}  // namespace

TEST_F(MLTextBoxTest, EmptyTextKeepsTheCaretAtZeroWhereverTheClickAndWhateverTheKey) {
    ClickAt(0);
    Press(kX + 150, kY + 80), Release(kX + 150, kY + 80);
    EXPECT_EQ(box->cPos, 0);
    for (uint8_t k : {VK_BACK, VK_DELETE, VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN}) Tap(k);
    EXPECT_EQ(box->cPos, 0);
    EXPECT_EQ(box->nSel, 0);
    EXPECT_EQ(box->text, "");
}

TEST_F(MLTextBoxTest, ClickBelowTheLastLineGoesAfterAFinalNewlineElseOntoTheLastLine) {
    SetControlProperty("M", "Text", "ab\ncd\n");
    Press(kX + 2, kY + 80), Release(kX + 2, kY + 80);
    EXPECT_EQ(box->cPos, 6);
    SetControlProperty("M", "Text", "ab\ncd");
    Press(kX + 2, kY + 80), Release(kX + 2, kY + 80);
    EXPECT_EQ(box->cPos, 3);  // the start of "cd"
    Press(kX + 150, kY + 80), Release(kX + 150, kY + 80);
    EXPECT_EQ(box->cPos, 5);
}

TEST_F(MLTextBoxTest, PasteDropsCarriageReturnsTurnsTabsIntoSpacesAndReplacesTheSelection) {
    SetControlProperty("M", "Text", "xy");
    Shift(VK_LEFT);
    TestSetClipboard("a\r\nb\tc");
    Ctrl('V');
    EXPECT_EQ(box->text, "xa\nb c");
    EXPECT_EQ(box->cPos, 6);
    // An empty clipboard pastes nothing and keeps the selection.
    TestSetClipboard("");
    Ctrl('A'), Ctrl('V');
    EXPECT_EQ(box->text, "xa\nb c");
    EXPECT_EQ(box->nSel, 6);
}

TEST_F(MLTextBoxTest, DoubleClickSelectsAWordWithoutItsHyphenOrExactlyOneDelimiter) {
    SetControlProperty("M", "Text", "well-known words");
    DoubleClickAt(7);  // inside "known"
    EXPECT_EQ(Selected(), "known");
    EXPECT_EQ(box->cPos, 10);
    EXPECT_EQ(box->nSel, -5);
    DoubleClickAt(4);  // on the hyphen
    EXPECT_EQ(Selected(), "-");
    DoubleClickAt(10);  // on the blank
    EXPECT_EQ(Selected(), " ");
}

// Up and Down keep the column over lines of three-byte characters and a carried selection
// inside the text; both Enter keys break the line.
TEST_F(MLTextBoxTest, UpDownAndEnterOverMultiByteLines) {
    SetControlProperty("M", "Text", "\xE2\x82\xAC\xE2\x82\xAC\n\xE2\x82\xAC\xE2\x82\xAC");
    box->cPos = 3;
    Tap(VK_DOWN);
    EXPECT_EQ(box->cPos, 10);
    Tap(VK_UP);
    EXPECT_EQ(box->cPos, 3);
    // A selection carried up or down stays inside the text.
    SetControlProperty("M", "Text", "ab\nabcdef");
    for (int i = 0; i < 5; ++i) Shift(VK_LEFT);  // anchor 9, caret 4
    Tap(VK_UP);
    EXPECT_EQ(box->cPos, 2);
    EXPECT_EQ(box->nSel, -2);
    SetControlProperty("M", "Text", "abcdef\nab");
    box->cPos = 0;
    for (int i = 0; i < 6; ++i) Shift(VK_RIGHT);
    Tap(VK_DOWN);
    EXPECT_EQ(box->cPos, 7);
    EXPECT_EQ(box->nSel, 2);
    SetControlProperty("M", "Text", "\xE2\x82\xAC\xE2\x82\xAC\n\xE2\x82\xAC\xE2\x82\xAC");
    box->cPos = 3;
    Tap(VK_RETURN);
    TestKeyDown(VK_RETURN, 0x1C, true), PumpMessages();  // keypad Enter
    EXPECT_EQ(box->text, "\xE2\x82\xAC\n\n\xE2\x82\xAC\n\xE2\x82\xAC\xE2\x82\xAC");
}

TEST_F(MLTextBoxTest, DraggingBelowTheBoxScrollsFourPixelsPerSecondPerPixelAndSelects) {
    std::string text;
    for (int i = 0; i < 40; ++i) text += "line " + std::to_string(i) + "\n";
    SetControlProperty("M", "Text", text.c_str());
    ASSERT_GT(box->nBlocks, 100);
    EXPECT_FLOAT_EQ(box->WrapWidth(), 200 - 4 - 15);
    SetControlProperty("M", "cBlock", ValFloat(0));
    Press(kX + 40, kY + 20);
    const int32_t anchor = box->cPos;
    MoveTo(kX + 40, kY + 100 + 10);  // 10 pixels below the bottom edge
    GuiUpdate(0.5f);
    EXPECT_FLOAT_EQ(box->cBlock, 20.0f);
    EXPECT_GT(box->nSel, 0);
    EXPECT_EQ(box->cPos, anchor);
    GuiUpdate(0.25f);
    EXPECT_FLOAT_EQ(box->cBlock, 30.0f);
    Release(kX + 40, kY + 110);
    GuiUpdate(0.5f), GuiUpdate(0.5f);
    EXPECT_FLOAT_EQ(box->cBlock, 30.0f);  // the drag has ended
}

TEST_F(MLTextBoxTest, ARefusalAtTheCeilingIsShownInTheBoxForAWhile) {
    ASSERT_TRUE(SetControlProperty("M", "Text", std::string(32767, 'a').c_str()));
    Type("b");
    EXPECT_GT(box->noticeTimer, 0.0f);
    box->cBlock = 0;
    ClearScreen();
    GuiDraw();
    EXPECT_EQ(ReadPixel(kX + 4, kY + 100 - 4), (Rgb{255, 236, 200}));
    GuiUpdate(3.0f);
    ClearScreen();
    GuiDraw();
    EXPECT_NE(ReadPixel(kX + 4, kY + 100 - 4), (Rgb{255, 236, 200}));
}

TEST_F(MLTextBoxTest, CaretAndUpFollowTheWrappedLinesOfTheWholeText) {
    // "a " then a word of m's one letter too long to join it: the word moves to a line of its own.
    const float width = box->WrapWidth();
    std::string word = "m";
    for (; word.size() < 100; word += "m") {
        SetControlProperty("M", "Text", ("a " + word).c_str());
        if (box->CaretXY(box->Length(), width).y > 0) break;
    }
    const float lineH = box->LineHeight();
    EXPECT_FLOAT_EQ(box->CaretXY(3, width).y, lineH);  // inside the word, on its line
    EXPECT_FLOAT_EQ(box->CaretXY(2, width).x, 0.0f);
    // Up from the end of the long word lands on the short line above it.
    Tap(VK_UP);
    EXPECT_EQ(box->CaretXY(box->cPos, width).y, 0.0f);
    EXPECT_EQ(box->cPos, 1);
    // A joiner or a direction mark takes no room, as drawn: the caret after it stays put.
    SetControlProperty("M", "Text",
                       "a\xE2\x80\x8D\xE2\x80\x8E"
                       "b");
    EXPECT_FLOAT_EQ(box->CaretXY(7, width).x, box->CaretXY(1, width).x);
}

// An application that stores each line feed as CR LF counts two bytes for it: the
// ceiling then holds for what is stored, through every way a text can grow.
TEST_F(MLTextBoxTest, StoredSizeCounterHoldsTheCeilingForTheStoredText) {
    const auto crlf = [](std::string_view t) { return t.size() + size_t(std::count(t.begin(), t.end(), '\n')); };
    // 16000 line breaks: 32000 bytes shown, 48000 if counted as stored.
    std::string lines;
    for (int i = 0; i < 16000; ++i) lines += "a\n";
    ASSERT_TRUE(SetStoredSizeCounter(box, crlf));
    ASSERT_TRUE(SetControlProperty("M", "Text", lines.c_str()));  // the stored text itself is handed over uncounted
    EXPECT_TRUE(box->text == lines);
    ASSERT_TRUE(SetStoredSizeCounter(box, nullptr));
    ASSERT_TRUE(SetControlProperty("M", "Text", std::string(32700, 'a').c_str()));
    ASSERT_TRUE(SetStoredSizeCounter(box, crlf));
    // 32700 + 33 line feeds = 32766 stored: one more line feed, or a second byte, would pass.
    const std::string breaks(33, '\n');
    TestSetClipboard(breaks);
    Ctrl('V');
    const std::string full = std::string(32700, 'a') + breaks;
    EXPECT_TRUE(box->text == full);
    TestChar(0xE9), PumpMessages();
    EXPECT_TRUE(box->text == full);
    Ctrl('V');
    EXPECT_FALSE(ReplaceTextRange(box, 0, 0, "\n"));
    EXPECT_TRUE(box->text == full);
    Type("b");
    EXPECT_TRUE(box->text == full + "b");
    // Undo back to the start, then a counter that stores more: redo is refused, not stored.
    Ctrl('Z'), Ctrl('Z');
    EXPECT_TRUE(box->text == std::string(32700, 'a'));
    ASSERT_TRUE(SetStoredSizeCounter(box, [](std::string_view t) { return t.size() * 2; }));
    Ctrl('Y');
    EXPECT_TRUE(box->text == std::string(32700, 'a'));
    ASSERT_TRUE(SetStoredSizeCounter(box, crlf));
    Ctrl('Y');
    EXPECT_TRUE(box->text == full);
    EXPECT_FALSE(SetStoredSizeCounter(FindControl("S"), crlf));
}

// ---- the editing core, in both boxes --------------------------------------------------------

namespace {

class EditCoreTest : public BoxTest, public ::testing::WithParamInterface<const char*> {
  protected:
    void SetUp() override {
        BoxTest::SetUp();
        control = CreateControl(GetParam(), "E", "S", kX, kY, 200, 100);
        edit = TextEditOf(control);
        ASSERT_NE(edit, nullptr);
        SetText("");
        SetFocusTo("E");
    }
    static void SetText(const char* t) { ASSERT_TRUE(SetControlProperty("E", "Text", t)); }

    Control* control = nullptr;
    TextEdit* edit = nullptr;
};

INSTANTIATE_TEST_SUITE_P(BothBoxes, EditCoreTest, ::testing::Values("TextBox", "MLTextBox"));

}  // namespace

TEST_P(EditCoreTest, TypingUndoesWordByWordAndRedoesWithCtrlYOrCtrlShiftZ) {
    Type("hello world");
    Ctrl('Z');
    EXPECT_EQ(edit->text, "hello ");
    Ctrl('Z'), Ctrl('Z');  // the second finds nothing left
    EXPECT_EQ(edit->text, "");
    Ctrl('Y');
    EXPECT_EQ(edit->text, "hello ");
    CtrlShift('Z');
    EXPECT_EQ(edit->text, "hello world");
    EXPECT_EQ(edit->cPos, 11);
    // A caret jump ends the word being typed, and a new edit drops what could be redone.
    Ctrl('Z');
    Tap(VK_LEFT);
    Type("x");
    Ctrl('Y');
    EXPECT_EQ(edit->text, "hellox ");
    Ctrl('Z');
    EXPECT_EQ(edit->text, "hello ");
    // AltGr (Ctrl+Alt) types letters on many keyboards: it neither undoes nor selects.
    AltGr('Z'), AltGr('A');
    EXPECT_EQ(edit->text, "hello ");
    EXPECT_EQ(edit->nSel, 0);
}

TEST_P(EditCoreTest, PasteCutAndDeletionsAreOneStepEachAndBringTheSelectionBack) {
    SetText("one two three");
    edit->cPos = 4, edit->nSel = 3;  // "two"
    TestSetClipboard("2");
    Ctrl('V');
    EXPECT_EQ(edit->text, "one 2 three");
    Ctrl('A'), Ctrl('X');
    EXPECT_EQ(edit->text, "");
    Ctrl('Z');
    EXPECT_EQ(edit->text, "one 2 three");
    Ctrl('Z');
    EXPECT_EQ(edit->text, "one two three");
    EXPECT_EQ(edit->cPos, 4);
    EXPECT_EQ(edit->nSel, 3);
    edit->cPos = 13, edit->nSel = 0;
    for (int i = 0; i < 3; ++i) Tap(VK_BACK);
    edit->cPos = 0;
    Tap(VK_DELETE), Tap(VK_DELETE);
    EXPECT_EQ(edit->text, "e two th");
    Ctrl('Z');
    EXPECT_EQ(edit->text, "one two th");
    Ctrl('Z');
    EXPECT_EQ(edit->text, "one two three");
}

TEST_P(EditCoreTest, HistoryIsClearedBySettingTextAndCanBeTakenAndPutBack) {
    Type("ab");
    SetText("loaded");
    Ctrl('Z');  // a text set by name is a new item: nothing to undo
    EXPECT_EQ(edit->text, "loaded");
    Type("!");
    EditHistory saved = TakeEditHistory(control);
    EXPECT_FALSE(saved.Empty());
    SetText("another item");
    Type("x");
    SetText("loaded!");  // back to the first item, its history with it
    ASSERT_TRUE(PutEditHistory(control, std::move(saved)));
    Ctrl('Z');
    EXPECT_EQ(edit->text, "loaded");
    // A history put on a text it was not made on is dropped, not applied.
    saved = TakeEditHistory(control);
    SetText("zz");
    PutEditHistory(control, std::move(saved));
    Ctrl('Y');
    EXPECT_EQ(edit->text, "zz");
    EXPECT_TRUE(edit->history.Empty());
    // A replacement by the program is one step, and the caret follows it.
    SetText("teh cat");
    ASSERT_TRUE(ReplaceTextRange(control, 0, 3, "the"));
    EXPECT_EQ(edit->text, "the cat");
    EXPECT_EQ(edit->cPos, 3);
    EXPECT_FALSE(ReplaceTextRange(control, 5, 99, "x"));
    Ctrl('Z');
    EXPECT_EQ(edit->text, "teh cat");
    EXPECT_FALSE(PutEditHistory(FindControl("S"), {}));
}

TEST_P(EditCoreTest, HistoryKeepsTheNewestStepsWithinItsBounds) {
    for (int i = 0; i < 150; ++i) edit->InsertText(edit->cPos, "x");
    int undone = 0;
    while (edit->Undo()) ++undone;
    EXPECT_EQ(undone, int(EditHistory::kMaxSteps));
    EXPECT_EQ(edit->text.size(), 150 - EditHistory::kMaxSteps);
    // Whole-text replacements of 30000 bytes hold 60000 bytes each.
    SetText(std::string(30000, 'a').c_str());
    for (char c = 'b'; c < 'k'; ++c) ASSERT_TRUE(edit->ReplaceRange(0, edit->Length(), std::string(30000, c)));
    EXPECT_LE(edit->history.bytes, EditHistory::kMaxBytes);
    undone = 0;
    while (edit->Undo()) ++undone;
    EXPECT_EQ(undone, int(EditHistory::kMaxBytes / 60000));
    EXPECT_EQ(edit->text, std::string(30000, char('k' - undone - 1)));
}

TEST_P(EditCoreTest, TextNeverPasses32767BytesAndARefusalChangesNothing) {
    const std::string full(32766, 'a');
    SetText(full.c_str());
    TestChar(0xE9), PumpMessages();  // two bytes would make 32768
    Type("bc");
    EXPECT_EQ(edit->text, full + "b");
    Shift(VK_LEFT);
    TestChar(0xE9), PumpMessages();  // 2 bytes over a 1-byte selection
    TestSetClipboard("xy");
    Ctrl('V');
    EXPECT_EQ(edit->text, full + "b");
    EXPECT_EQ(edit->nSel, -1);  // the selection survives a refusal
    Type("c");                  // 1 byte over 1 byte fits
    EXPECT_EQ(edit->text, full + "c");
    // A text too long to set is refused whole and reported; the old text stays.
    BindControlEvent("E", "Change", &CountChange);
    EXPECT_FALSE(SetControlProperty("E", "Text", std::string(32768, 'z').c_str()));
    EXPECT_EQ(GuiLastError(), GUI_ERR_PROPERTY);
    EXPECT_EQ(edit->text, full + "c");
    EXPECT_EQ(g_changes, 0);
}

TEST_P(EditCoreTest, MarksMoveWithTheirWordsAndGoWhenTheWordIsEdited) {
    SetText("aa bb cc");
    ASSERT_TRUE(SetTextMarks(control, {{3, 5}, {6, 8}, {5, 3}, {7, 99}}));
    EXPECT_EQ(GetTextMarks(control), (std::vector<TextMark>{{3, 5}, {6, 8}}));  // the bad ranges left out
    edit->cPos = 0;
    Type("x");
    EXPECT_EQ(GetTextMarks(control), (std::vector<TextMark>{{4, 6}, {7, 9}}));
    edit->cPos = 5;
    Type("y");  // inside "bb"
    EXPECT_EQ(GetTextMarks(control), (std::vector<TextMark>{{8, 10}}));
    Ctrl('Z');
    EXPECT_EQ(GetTextMarks(control), (std::vector<TextMark>{{7, 9}}));
    SetText("new");
    EXPECT_TRUE(GetTextMarks(control).empty());
}

TEST_P(EditCoreTest, WordAtTheCaretTakesLettersOfAnyScriptAndInnerApostrophes) {
    SetText("l'eau don't, \xD0\xBA\xD0\xBB\xD1\x8E\xD1\x87\xE2\x80\x94x");  // ... ключ—x
    const struct {
        int32_t caret;
        TextMark word;
    } cases[] = {{0, {0, 5}},    {5, {0, 5}},    {8, {6, 11}},  {12, {12, 12}},
                 {17, {13, 21}}, {21, {13, 21}}, {24, {24, 25}}};
    for (const auto& c : cases) {
        edit->cPos = c.caret, edit->nSel = 0;
        EXPECT_EQ(WordAtCaret(control), c.word) << c.caret;
    }
}

TEST_P(EditCoreTest, MarkedWordIsUnderlinedInRedAndTheOthersAreNot) {
    ShowGuiPointer(false);
    SetControlProperty("E", "Color", ValColor(MakeColor(255, 255, 255)));
    SetText("aaaa bbbb cccc");
    ASSERT_TRUE(SetTextMarks(control, {{5, 9}}));
    ClearScreen();
    GuiDraw();
    glFinish();
    const Font* f = TestFont();
    const int x0 = kX + 2 + int(MeasureText("aaaa ", -1, f)), x1 = kX + 2 + int(MeasureText("aaaa bbbb", -1, f));
    const int bottom = kY + 2 + int(f->height * f->scale);
    auto redPixels = [&](int from, int to) {
        int n = 0;
        for (int px = from; px < to; ++px)
            for (int py = bottom - 4; py <= bottom; ++py) {
                const Rgb c = ReadPixel(px, py);
                n += c.r > 150 && c.g < 100 && c.b < 100;
            }
        return n;
    };
    EXPECT_GE(redPixels(x0 + 1, x1 - 1), x1 - x0 - 2);  // a tooth in every column
    EXPECT_EQ(redPixels(kX + 2, x0 - 1), 0);
    EXPECT_EQ(redPixels(x1 + 1, kX + 2 + int(MeasureText("aaaa bbbb cccc", -1, f))), 0);
    ShowGuiPointer(true);
}

TEST_P(EditCoreTest, TypingJoinsUtf16PairsAndOnlySettingTextRaisesChange) {
    BindControlEvent("E", "Change", &CountChange);
    Type("a");
    TestChar(0xD83D), TestChar(0xDE00);  // U+1F600 as a surrogate pair
    TestChar(0x00E9), TestChar(0x20AC);  // é, €
    TestChar(0xDE00);                    // a low half with no high half
    TestChar(0xD83D), TestChar('b');     // a high half followed by a plain character
    PumpMessages();
    const std::string typed =
        "a\xF0\x9F\x98\x80\xC3\xA9\xE2\x82\xAC"
        "b";
    EXPECT_EQ(edit->text, typed);
    EXPECT_EQ(edit->cPos, int32_t(typed.size()));
    Tap(VK_BACK), Type("b");
    Ctrl('A'), Ctrl('X'), Ctrl('V');
    EXPECT_EQ(edit->text, typed);
    EXPECT_EQ(g_changes, 0);
    edit->nSel = -3;
    SetText("new <color default>text");
    EXPECT_EQ(g_changes, 1);
    EXPECT_EQ(edit->cPos, 23);
    EXPECT_EQ(edit->nSel, 0);
    char read[64] = {};
    ASSERT_TRUE(GetControlProperty("E", "Text", read));
    EXPECT_STREQ(read, "new <color default>text");  // colour tags kept as typed
}

TEST_P(EditCoreTest, KeysStepOverWholeCharactersAndTheClipboardTakesTheSelectedBytes) {
    SetText("x\xC3\xA9y\xE2\x82\xAC");  // x é y €
    Tap(VK_LEFT);
    EXPECT_EQ(edit->cPos, 4);
    Tap(VK_LEFT), Tap(VK_LEFT);
    EXPECT_EQ(edit->cPos, 1);
    Shift(VK_RIGHT);
    EXPECT_EQ(edit->nSel, 2);
    Ctrl('C');
    EXPECT_EQ(PlatGetClipboardText(), "\xC3\xA9");
    Ctrl('X');
    EXPECT_EQ(edit->text, "xy\xE2\x82\xAC");
    Tap(VK_DELETE);
    EXPECT_EQ(edit->text, "x\xE2\x82\xAC");
    Tap(VK_RIGHT), Tap(VK_BACK);
    EXPECT_EQ(edit->text, "x");
    Ctrl('V');
    EXPECT_EQ(edit->text, "x\xC3\xA9");
    // Copy and cut without a selection leave the clipboard and the text alone.
    TestSetClipboard("kept");
    Ctrl('X');
    EXPECT_EQ(PlatGetClipboardText(), "kept");
    EXPECT_EQ(edit->text, "x\xC3\xA9");
    // Out-of-range positions set through the API are brought back before use.
    SetControlProperty("E", "cPos", ValInt(99));
    SetControlProperty("E", "nSel", ValInt(-500));
    Tap(VK_DELETE);
    EXPECT_EQ(edit->text, "");
}
