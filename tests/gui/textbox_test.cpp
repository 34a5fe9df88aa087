// textbox_test.cpp - what the single-line edit field adds to the shared editing core,
// through the real input path: the integer and float formats, the character limit with
// multi-byte text, line breaks shown as bars, the default button, the input method's
// spot, scrolling that follows the caret, and how the box looks.
// The editing keys, typing, undo and the 32767-byte ceiling of both boxes are tested in
// mltextbox_test.cpp.
#include "gui/controls/textbox.h"

#include <cstdlib>
#include <string>
#include <vector>

#include "render/font.h"
#include "tests/gui/gui_test_support.h"

using namespace guitest;

namespace {

int g_changes = 0;
void CountChange() { ++g_changes; }

class TextBoxTest : public GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        ASSERT_NE(TestFont(), nullptr);
        SetFont(TestFont());
        MakeSheet();
        box = static_cast<TextBox*>(CreateControl("TextBox", "T", "S", 100, 100, 120, 20));
        ASSERT_NE(box, nullptr);
        SetControlProperty("T", "Text", "");
        SetFocusTo("T");
        TestSetClipboard("");
        g_changes = 0;
    }
    void SetFormat(uint8_t f) { SetControlProperty("T", "Format", ValEnum(f)); }

    TextBox* box = nullptr;
};

}  // namespace

TEST_F(TextBoxTest, InputMethodWindowsFollowTheCaretInClientPixels) {
    // Where an input method opens its candidate list: at the caret, which moves on as
    // composed characters arrive and back as the caret steps over them.
    const float sx = float(g_engine.clientWidth) / g_engine.virtualWidth;
    const float sy = float(g_engine.clientHeight) / g_engine.virtualHeight;
    GuiDraw();
    const PlatRect start = PlatTextInputSpot();
    EXPECT_NEAR(start.left, (100 + 2) * sx, 1.0f);
    EXPECT_NEAR(start.top, (100 + 2) * sy, 1.0f);
    EXPECT_NEAR(start.bottom - start.top, TestFont()->height * TestFont()->scale * sy, 1.0f);

    for (uint16_t c : {0x65E5, 0x672C, 0x8A9E}) TestChar(c);  // 日本語, as an input method commits it
    PumpMessages();
    GuiDraw();
    ASSERT_EQ(box->text, "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E");
    EXPECT_NEAR(PlatTextInputSpot().left - start.left, TextWidthFont(box->text.c_str(), TestFont()) * sx, 1.0f);
    EXPECT_EQ(PlatTextInputSpot().top, start.top);

    for (int i = 0; i < 3; ++i) Tap(VK_LEFT);  // one whole character a step
    GuiDraw();
    EXPECT_EQ(PlatTextInputSpot().left, start.left);
}

TEST_F(TextBoxTest, IntegerFormatRefusesLeadingZeroSignsAndLettersWhole) {
    SetFormat(TextBox::FORMAT_INTEGER);
    Type("0");
    EXPECT_EQ(box->text, "");
    Type("-");
    EXPECT_EQ(box->text, "");  // no sign: the field holds positive whole numbers
    Type("10");
    EXPECT_EQ(box->text, "10");
    Type(".");
    EXPECT_EQ(box->text, "10");
    TestSetClipboard("23x");
    Ctrl('V');
    EXPECT_EQ(box->text, "10");  // refused whole, not "1023"
    TestSetClipboard("23");
    Ctrl('V');
    EXPECT_EQ(box->text, "1023");
    // Letters set as the text leave the box empty, and Change still runs.
    BindControlEvent("T", "Change", CountChange);
    SetControlProperty("T", "Text", "abc");
    EXPECT_EQ(box->text, "");
    EXPECT_EQ(g_changes, 1);
}

TEST_F(TextBoxTest, FloatFormatTakesOnePointAndOnlyThePointAfterALeadingZero) {
    SetFormat(TextBox::FORMAT_FLOAT);
    Type("05");
    EXPECT_EQ(box->text, "0");
    Type(".5");
    EXPECT_EQ(box->text, "0.5");
    Type(".");
    EXPECT_EQ(box->text, "0.5");
    Type("-");
    EXPECT_EQ(box->text, "0.5");  // no sign in this format either
    // A second point is refused even while the first one is selected.
    box->cPos = 1, box->nSel = 1;
    Type(".");
    EXPECT_EQ(box->text, "0.5");
    EXPECT_EQ(box->nSel, 1);
    SetControlProperty("T", "Text", "12.75");
    EXPECT_EQ(box->text, "12.75");
    TestSetClipboard("1.2.3");
    SetControlProperty("T", "Text", "");
    Ctrl('V');
    EXPECT_EQ(box->text, "");
}

TEST_F(TextBoxTest, MaxLenCountsCharactersNotBytesAndTypingReplacesASelection) {
    SetControlProperty("T", "MaxLen", ValInt(3));
    SetControlProperty("T", "Text", "\xC3\xA4\xC3\xB6");  // "äö": two characters, four bytes
    TestSetClipboard(
        "\xC3\xBC\xE2\x82\xAC"
        "x");  // "ü€x"
    Ctrl('V');
    EXPECT_EQ(box->text, "\xC3\xA4\xC3\xB6\xC3\xBC");  // only "ü" fitted
    EXPECT_EQ(box->cPos, 6);
    Type("y");
    EXPECT_EQ(box->text, "\xC3\xA4\xC3\xB6\xC3\xBC");  // full: nothing changes
    // Typing over the whole text replaces it rather than only deleting it.
    Ctrl('A');
    Type("z");
    EXPECT_EQ(box->text, "z");
    // The limit also cuts a text that is set, at a character boundary.
    SetControlProperty("T", "Text", "\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC");
    EXPECT_EQ(box->text, "\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC");
}

// (The caret at the end and the Change event: mltextbox_test.cpp, for both boxes.)
TEST_F(TextBoxTest, SettingTextShowsLineBreaksAsBarsAndReadsBackSo) {
    SetControlProperty("T", "Text", "a\nb\tc");
    char read[16] = {};
    ASSERT_TRUE(GetControlProperty("T", "Text", read));
    EXPECT_STREQ(read, "a|b c");
}

TEST_F(TextBoxTest, EnterHandsTheFocusAndTheKeyReleaseToTheDefaultButton) {
    CreateControl("TestBox", "Ok", "S", 300, 100, 60, 20);
    SetControlProperty("T", "DefaultButton", "Ok");
    Log().clear();
    Tap(VK_RETURN);
    EXPECT_EQ(GetFocusControl(), FindControl("Ok"));
    ASSERT_FALSE(Log().empty());
    EXPECT_EQ(Log().back(), "Ok.KeyUp(13)");
    EXPECT_EQ(box->text, "");
}

// Default buttons that lead back round to a box (itself, a pair, a ring of three): Enter
// ends, and every box in the ring sees the release once.
TEST_F(TextBoxTest, EnterEndsWhenDefaultButtonsFormACycle) {
    static int releases = 0;
    const std::vector<std::vector<const char*>> rings = {{"T"}, {"T", "U"}, {"T", "U", "V"}};
    for (const auto& ring : rings) {
        SCOPED_TRACE(ring.size());
        for (size_t i = 0; i < ring.size(); ++i) {
            if (!FindControl(ring[i])) CreateControl("TextBox", ring[i], "S", 100, 130 + 30 * float(i), 120, 20);
            SetControlProperty(ring[i], "DefaultButton", ring[(i + 1) % ring.size()]);
            BindControlEvent(
                ring[i], "KeyUp", +[](int32_t) { ++releases; });
        }
        SetFocusTo("T");
        releases = 0;
        Tap(VK_RETURN);
        EXPECT_EQ(releases, int(ring.size()));
        EXPECT_EQ(box->text, "");
    }
}

TEST_F(TextBoxTest, ClicksPlaceTheCaretBeforeTheCharacterAndDoubleClickSelectsAWord) {
    SetControlProperty("T", "Text", "ab-cd");
    const float wa = CharWidthFont('a', TestFont());
    Press(int(100 + wa + 1), 110), Release(int(100 + wa + 1), 110);
    EXPECT_EQ(box->cPos, 1);                                                  // on "b": before it
    TestMouseButton(WM_LBUTTONDOWN, int(100 + wa + 1), 110), PumpMessages();  // double click
    TestMouseButton(WM_LBUTTONUP, int(100 + wa + 1), 110), PumpMessages();
    EXPECT_EQ(box->cPos, 2);
    EXPECT_EQ(box->nSel, -2);  // "ab" without the hyphen
    // Focus loss clears the selection but keeps the caret.
    CreateControl("TestBox", "Other", "S", 400, 400, 20, 20);
    SetFocusTo("Other");
    EXPECT_EQ(box->nSel, 0);
    EXPECT_EQ(box->cPos, 2);
}

TEST_F(TextBoxTest, MovingTheCaretPastTheRightEdgeScrollsTheTextLeft) {
    SetControlProperty("T", "Text", std::string(60, 'm').c_str());
    box->cPos = 0;
    GuiDraw();
    EXPECT_EQ(box->scroll, 0);
    for (int i = 0; i < 60; ++i) Tap(VK_RIGHT);
    GuiDraw();
    const float caret = MeasureText(box->text.c_str(), -1, TestFont());
    EXPECT_GT(box->scroll, 0);
    EXPECT_LE(caret - box->scroll, box->w - 4 + 0.01f);
    EXPECT_GE(caret - box->scroll, box->w - 4 - 0.01f);
}

TEST_F(TextBoxTest, DrawsItsBackgroundBorderAndSelectionHighlight) {
    ShowGuiPointer(false);
    SetControlProperty("T", "Color", ValColor(MakeColor(0, 200, 0)));
    SetControlProperty("T", "BorderColor", ValColor(MakeColor(0, 0, 255)));
    SetControlProperty("T", "SelectedColor", ValColor(MakeColor(255, 0, 0)));
    SetControlProperty("T", "Text", "WWWW");
    box->cPos = 0, box->nSel = 4;
    ClearScreen();
    GuiDraw();
    glFinish();
    EXPECT_EQ(ReadPixel(200, 110), (Rgb{0, 200, 0}));  // right of the text
    const Rgb edge = ReadPixel(150, 100);              // the smoothed top edge covers half a pixel row
    EXPECT_GE(edge.b, 100);
    EXPECT_LE(edge.g, 150);
    EXPECT_EQ(ReadPixel(103, 103), (Rgb{255, 0, 0}));  // inside the highlight's corner
    ShowGuiPointer(true);
}

TEST_F(TextBoxTest, DraggingPastTheRightEdgeScrollsAndExtendsTheSelectionUntilRelease) {
    SetControlProperty("T", "Text", std::string(60, 'm').c_str());
    Press(102, 110);
    EXPECT_EQ(box->cPos, 0);
    MoveTo(320, 110);  // 100 pixels right of the box
    GuiUpdate(0.25f);  // 100 px * 0.25 s * 4 = 100 px of scrolling
    EXPECT_NEAR(box->scroll, 100, 0.01f);
    EXPECT_GT(box->nSel, 0);
    const int32_t selected = box->nSel;
    GuiUpdate(10.0f);  // never beyond the end of the text
    EXPECT_LE(box->scroll, MeasureText(box->text.c_str(), -1, TestFont()) - box->w + 0.01f);
    EXPECT_GT(box->nSel, selected);
    EXPECT_LE(box->cPos + box->nSel, int32_t(box->text.size()));
    Release(320, 110);
    GuiUpdate(0.01f);
    EXPECT_EQ(box->mouseSelecting, 0);
}
