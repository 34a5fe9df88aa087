// Dialog (dragging, close box, coming to the front, skins) and the modal message box,
// driven by real clicks through the window procedure.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "gui/controls/dialog.h"
#include "gui/msgbox.h"
#include "gui_test_support.h"
#include "render/font.h"

using namespace guitest;

namespace {

class DialogTest : public GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        ASSERT_NE(TestFont(), nullptr);
        SetFont(TestFont());
        g_commonDialogs.font = TestFont();
        g_commonDialogs.creationHook = nullptr;
    }
    void TearDown() override {
        g_commonDialogs.creationHook = nullptr;
        GuiTest::TearDown();
    }
    // A sheet with dialog "D" at (100, 100), 300 x 200, drawn once (which focuses it).
    Dialog* MakeDialog(bool closeButton = true) {
        MakeSheet();
        Dialog* d = dynamic_cast<Dialog*>(CreateControl("Dialog", "D", "S", 100, 100, 300, 200));
        SetControlProperty("D", "CloseButton", ValBool(closeButton));
        EngineFrame();
        return d;
    }
    // The middle of the close box at the right end of the title bar of a dialog at
    // (100, 100), 300 wide; without a close button the same spot is title bar.
    static void CloseBoxAt(const Dialog* d, int* x, int* y) {
        const float fh = d->FontHeight();
        *x = static_cast<int>(100 + 300 - fh / 2 - 4), *y = 100 + 3 + static_cast<int>(fh / 2);
    }
};

int g_closed = 0, g_opened = 0, g_moved = 0;
void OnClose() { ++g_closed; }
void OnOpen() { ++g_opened; }
void OnMove(float, float) { ++g_moved; }

// Screen centre of a control.
void Centre(const char* name, int* x, int* y) {
    Control* c = FindControl(name);
    float sx, sy;
    c->ScreenPos(&sx, &sy);
    *x = static_cast<int>(sx + c->w / 2);
    *y = static_cast<int>(sy + c->h / 2);
}

}  // namespace

TEST_F(DialogTest, MoveByNameReachesTheCommonEvent) {
    Dialog* d = MakeDialog();
    g_moved = 0;
    ASSERT_TRUE(BindControlEvent("D", "Move", OnMove));
    EXPECT_EQ(d->dragMove, nullptr);  // the name reaches the common event, not the drag slot
    SetControlProperty("D", "x", ValFloat(120));
    EXPECT_EQ(g_moved, 1);
}

TEST_F(DialogTest, FirstDrawFocusesAndOpens) {
    MakeSheet();
    g_opened = 0;
    CreateControl("Dialog", "D", "S", 100, 100, 300, 200);
    BindControlEvent("D", "Open", OnOpen);
    EngineFrame();
    EngineFrame();
    EXPECT_EQ(g_opened, 1);
    EXPECT_EQ(GetFocusControl(), FindControl("D"));
}

TEST_F(DialogTest, DraggingTheTitleBarMovesByThePointerMovement) {
    Dialog* d = MakeDialog();
    Press(150, 105);
    EXPECT_EQ(d->dragging, 1);
    MoveTo(160, 112);
    MoveTo(155, 130);
    EXPECT_FLOAT_EQ(d->x, 105);
    EXPECT_FLOAT_EQ(d->y, 125);
    Release(155, 130);
    EXPECT_EQ(d->dragging, 0);
    MoveTo(200, 200);
    EXPECT_FLOAT_EQ(d->x, 105);
    // A press on the body does not drag.
    Press(200, 250);
    EXPECT_EQ(d->dragging, 0);
}

TEST_F(DialogTest, CloseBoxClosesOnlyOnARelease) {
    Dialog* d = MakeDialog();
    BindControlEvent("D", "Close", OnClose);
    g_closed = 0;
    int cx, cy;
    CloseBoxAt(d, &cx, &cy);
    // Press on the close box, release outside the dialog: nothing.
    Press(cx, cy);
    EXPECT_EQ(d->dragging, 0);
    Release(600, 500);
    EXPECT_EQ(g_closed, 0);
    // Press on the body, release on the close box: closes and detaches.
    Press(200, 250);
    Release(cx, cy);
    EXPECT_EQ(g_closed, 1);
    EXPECT_EQ(d->parent, nullptr);
    EXPECT_EQ(FindControl("D"), d);  // hidden, not destroyed
    EXPECT_TRUE(FindControl("S")->children.empty());
    EXPECT_EQ(d->opened, 0);
}

// After a close, keys go where they went before the dialog came up, or, when that
// control is gone, to the sheet the dialog stood on; never to the closed dialog.
TEST_F(DialogTest, ClosingGivesTheFocusBackToWhoHadItBefore) {
    for (bool fieldSurvives : {true, false}) {
        SCOPED_TRACE(fieldSurvives);
        Reset();
        MakeSheet();
        CreateControl("TestBox", "Field", "S", 500, 500, 60, 20);
        SetFocusTo("Field");
        Dialog* d = dynamic_cast<Dialog*>(CreateControl("Dialog", "D", "S", 100, 100, 300, 200));
        CreateControl("TestBox", "InD", "D", 10, 40, 40, 30);
        EngineFrame();  // the first draw takes the focus
        ASSERT_TRUE(SetFocusTo("InD"));
        if (!fieldSurvives) DestroyControl("Field");
        int cx, cy;
        CloseBoxAt(d, &cx, &cy);
        Click(cx, cy);
        ASSERT_EQ(d->parent, nullptr);
        EXPECT_EQ(GetFocusControl(), FindControl(fieldSurvives ? "Field" : "S"));
        Log().clear();
        Key('A');
        EXPECT_EQ(Log().front(), fieldSurvives ? "Field.KeyDown(65)" : "S.KeyDown(65)");
    }
}

TEST_F(DialogTest, WithoutCloseButtonThePressOnTheBoxDrags) {
    Dialog* d = MakeDialog(false);
    BindControlEvent("D", "Close", OnClose);
    g_closed = 0;
    int cx, cy;
    CloseBoxAt(d, &cx, &cy);
    Press(cx, cy);
    EXPECT_EQ(d->dragging, 1);
    Release(cx, cy);
    EXPECT_EQ(g_closed, 0);
    EXPECT_EQ(d->parent, FindControl("S"));
}

TEST_F(DialogTest, FocusInsideBringsTheDialogToTheFront) {
    MakeSheet();
    CreateControl("Dialog", "A", "S", 50, 50, 300, 200);
    CreateControl("TestBox", "InA", "A", 10, 40, 40, 30);
    CreateControl("Dialog", "B", "S", 100, 100, 300, 200);
    Control* s = FindControl("S");
    ASSERT_EQ(s->children.back(), FindControl("B"));
    SetFocusTo("InA");
    EXPECT_EQ(s->children.back(), FindControl("A"));
    EXPECT_EQ(s->children.front(), FindControl("B"));
}

TEST(DialogSkin, CoordinatesResolveAgainstTheSize) {
    EXPECT_FLOAT_EQ(Dialog::ResolveSkin(0.5f, 300), 150);
    EXPECT_FLOAT_EQ(Dialog::ResolveSkin(-20, 300), 280);
    EXPECT_FLOAT_EQ(Dialog::ResolveSkin(1, 300), 300);
    EXPECT_FLOAT_EQ(Dialog::ResolveSkin(1.5f, 300), 1.5f);
    EXPECT_FLOAT_EQ(Dialog::ResolveSkin(0, 300), 0);
}

TEST_F(DialogTest, BuiltInLookDrawsBodyTitleBarAndShadow) {
    MakeDialog();
    SetControlProperty("S", "Fill", ValColor(MakeColor(255, 255, 255)));
    ClearScreen();
    GuiDraw();
    EXPECT_EQ(ReadPixel(200, 250), (Rgb{225, 225, 225}));  // body
    EXPECT_EQ(ReadPixel(200, 106), (Rgb{0, 0, 160}));      // active title bar, left of the title
    const Rgb shadow = ReadPixel(250, 302);                // just below the bottom edge
    EXPECT_LT(shadow.r, 200);
    EXPECT_EQ(ReadPixel(250, 320), (Rgb{255, 255, 255}));  // past the shadow
}

// ---- message box ----

namespace {

// Clicks button `index` of the box being built, as soon as it exists.
int g_clickButton = -1;
std::vector<std::string> g_created;
void ClickWhenCreated(Control* c) {
    g_created.push_back(c->name);
    const std::string want = "_" + std::to_string(g_clickButton);
    if (std::strncmp(c->name, "QUARNEL_CD_Button_", 18) == 0 && std::string(c->name).size() >= want.size() &&
        std::string(c->name).compare(std::string(c->name).size() - want.size(), want.size(), want) == 0) {
        int x, y;
        Centre(c->name, &x, &y);
        TestAdvanceTicks(1000);
        TestMouseButton(WM_LBUTTONDOWN, x, y);
        TestMouseButton(WM_LBUTTONUP, x, y);
    }
}

}  // namespace

TEST_F(DialogTest, MessageBoxBeforeAnySheetMakesAndRemovesItsRootSheet) {
    ASSERT_EQ(g_gui.activeSheet, nullptr);
    g_created.clear();
    g_clickButton = 2;
    g_commonDialogs.creationHook = ClickWhenCreated;
    EXPECT_EQ(MsgBox("Pick one.", "Question", "Yes|No|Cancel"), 2);
    EXPECT_EQ(g_created.size(), 5u);  // dialog, label, three buttons
    EXPECT_EQ(g_gui.activeSheet, nullptr);
    EXPECT_EQ(FindControl("QUARNEL_CD_RootWnd_0"), nullptr);
    EXPECT_EQ(ControlCount(), 0);
    EXPECT_EQ(g_gui.dialogOpen, 0);
    EXPECT_EQ(g_commonDialogs.slots[0], 0);
}

TEST_F(DialogTest, LongLineWrapsAtThreeQuartersOfTheScreen) {
    static float dialogW = 0, labelW = 0;
    g_commonDialogs.creationHook = [](Control* c) {
        if (std::strncmp(c->name, "QUARNEL_Common_Dialog_", 22) == 0) dialogW = c->w;
        if (std::strncmp(c->name, "QUARNEL_CD_Label_", 17) == 0) labelW = c->w;
        g_clickButton = 0;
        ClickWhenCreated(c);
    };
    const std::string text(400, 'w');
    EXPECT_EQ(MsgBox(text.c_str(), "Long", "Ok"), 0);
    EXPECT_FLOAT_EQ(labelW, 600);
    EXPECT_FLOAT_EQ(dialogW, 608);
    EXPECT_GT(TextHeightFont(TestFont(), 600 - 5, 0, text.c_str(), 0, -1), TestFont()->height);
}

TEST_F(DialogTest, NestedBoxGivesTheFocusBackToTheOuterDialog) {
    MakeSheet();
    OpenDialog outer;
    ASSERT_TRUE(OpenCommonDialog("Outer", 300, 100, &outer));
    EngineFrame();
    g_clickButton = 0;
    g_commonDialogs.creationHook = ClickWhenCreated;
    EXPECT_EQ(MsgBox("Inner", "Inner", "Ok"), 0);
    EXPECT_EQ(GetModalControl(), outer.dialog);
    EXPECT_EQ(GetFocusControl(), outer.dialog);
    EXPECT_EQ(g_commonDialogs.slots[1], 0);
    CloseCommonDialog(&outer);
    EXPECT_EQ(GetModalControl(), nullptr);
    EXPECT_EQ(FindControl("QUARNEL_Common_Dialog_0"), nullptr);
}

// Rows break with a gap counted before every button after the first, the first of a
// new row too: two buttons that fit side by side only without that gap go on rows of
// their own.
TEST_F(DialogTest, MessageBoxRowsCountAGapBeforeEveryButtonAfterTheFirst) {
    // The box is SW / 4 = 200 wide for a short text; a gap counts 8, a button is its
    // caption plus 16. Two buttons of width b then share a row only when 2b + 16 <= 200.
    std::string caption;
    auto width = [](const std::string& c) { return TextWidthFont(c.c_str(), TestFont()) + 16; };
    for (int m = 0; m < 40 && caption.empty(); ++m)
        for (int i = 0; i < 40 && caption.empty(); ++i) {
            const std::string c = std::string(size_t(m), 'm') + std::string(size_t(i), 'i');
            if (2 * width(c) + 8 <= 200 && 2 * width(c) + 16 > 200) caption = c;
        }
    ASSERT_FALSE(caption.empty());
    std::string first = "M";
    while (width(first) + 8 + width(caption) <= 200) first += 'M';  // alone on the first row
    ASSERT_LE(width(first), 200);
    static std::vector<float> rowsY;
    rowsY.clear();
    g_commonDialogs.creationHook = [](Control* c) {
        if (std::strncmp(c->name, "QUARNEL_CD_Button_", 18) == 0) rowsY.push_back(c->y);
        g_clickButton = 0;
        ClickWhenCreated(c);
    };
    const std::string buttons = first + "|" + caption + "|" + caption;
    EXPECT_EQ(MsgBox("x", "Rows", buttons.c_str()), 0);
    ASSERT_EQ(rowsY.size(), 3u);
    EXPECT_LT(rowsY[0], rowsY[1]);
    EXPECT_LT(rowsY[1], rowsY[2]);
}

TEST_F(DialogTest, BadArgumentsFullSlotsAndNoFont) {
    EXPECT_EQ(MsgBox(nullptr, "t", "Ok"), -1);
    EXPECT_EQ(GuiLastError(), 8);
    EXPECT_EQ(MsgBox("t", nullptr, "Ok"), -1);
    EXPECT_EQ(MsgBox("t", "t", ""), -1);
    EXPECT_EQ(GuiLastError(), 8);
    // Every slot taken: nothing is shown and nothing waits.
    std::fill(std::begin(g_commonDialogs.slots), std::end(g_commonDialogs.slots), uint8_t(1));
    EXPECT_EQ(MsgBox("t", "t", "Ok"), -1);
    EXPECT_EQ(ControlCount(), 0);
    std::fill(std::begin(g_commonDialogs.slots), std::end(g_commonDialogs.slots), uint8_t(0));
    // No font at all: the system box, error 7, result 0.
    TestClearMessageBoxes();
    g_commonDialogs.font = nullptr;
    Font* previous = SetFont(nullptr);
    EXPECT_EQ(MsgBox("Body", "Head", "Ok"), 0);
    EXPECT_EQ(GuiLastError(), 7);
    ASSERT_EQ(TestMessageBoxes().size(), 1u);
    EXPECT_EQ(TestMessageBoxes()[0].caption, "Error ( MsgBox )");
    EXPECT_EQ(TestMessageBoxes()[0].text,
              "Unable to display MsgBox(), CommonDialogFont == NULL\n\nMessage: Head\n\nBody");
    SetFont(previous);
}
