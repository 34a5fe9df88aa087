// dispatch_test.cpp - input routed through the real window procedure into the GUI: the
// control under the pointer, clicks, the wheel, capture, the modal control, the order
// of focus events and Tab navigation inside its tab root.
#include <algorithm>

#include "tests/gui/gui_test_support.h"

using namespace guitest;

namespace {

class Dispatch : public GuiTest {
  protected:
    static bool Logged(const std::string& entry) { return std::find(Log().begin(), Log().end(), entry) != Log().end(); }
    static std::string FocusName() { return GetFocusControl() ? GetFocusControl()->name : "(none)"; }
};

constexpr unsigned kLeftAltScan = 0x38;

}  // namespace

TEST_F(Dispatch, ClickOnACoveredControlGoesToTheLaterSibling) {
    MakeSheet();
    CreateControl("TestBox", "A", "S", 10, 10, 100, 50);
    CreateControl("TestBox", "B", "S", 50, 20, 100, 50);
    Click(80, 40);
    EXPECT_EQ(FocusName(), "B");
    EXPECT_EQ(Log(), (std::vector<std::string>{"B.GetFocus", "S.GetFocus", "B.MouseDown(230)", "B.Click(230)"}));
    EXPECT_EQ(ControlAtPoint(20, 20), FindControl("A"));
    EXPECT_EQ(ControlAtPoint(110, 60), FindControl("B"));  // the edges belong to the control
}

TEST_F(Dispatch, InvisibleControlsAndTheirChildrenAreNotHit) {
    MakeSheet();
    CreateControl("TestBox", "A", "S", 10, 10, 100, 50);
    CreateControl("TestBox", "B", "S", 10, 10, 100, 50);
    CreateControl("TestFrame", "F", "S", 300, 300, 100, 100);
    CreateControl("TestBox", "Inner", "F", 10, 10, 50, 50);
    SetControlProperty("B", "Visible", ValBool(false));
    SetControlProperty("F", "Visible", ValBool(false));
    Press(50, 30);
    EXPECT_EQ(FocusName(), "A");
    Press(320, 320);
    EXPECT_EQ(FocusName(), "S");
    EXPECT_FALSE(Logged("Inner.MouseDown(230)"));
}

TEST_F(Dispatch, PressOnOneControlAndReleaseOnAnotherIsNoClick) {
    MakeSheet();
    CreateControl("TestBox", "A", "S", 10, 10, 100, 50);
    CreateControl("TestBox", "B", "S", 200, 10, 100, 50);
    Press(50, 30);
    MoveTo(250, 30);
    Release(250, 30);
    EXPECT_TRUE(Logged("A.MouseDown(230)"));
    EXPECT_FALSE(Logged("A.Click(230)"));
    EXPECT_FALSE(Logged("B.Click(230)"));
    EXPECT_FALSE(Logged("B.MouseDown(230)"));
    EXPECT_EQ(FocusName(), "A");
}

TEST_F(Dispatch, WheelGoesToTheControlUnderThePointerWithoutTakingTheFocus) {
    MakeSheet();
    CreateControl("TestBox", "A", "S", 10, 10, 100, 50);
    CreateControl("TestBox", "List", "S", 200, 10, 100, 50);
    Click(50, 30);
    MoveTo(250, 30);
    Log().clear();
    TestWheel(120), PumpMessages();
    TestWheel(-120), PumpMessages();
    EXPECT_EQ(FocusName(), "A");
    EXPECT_EQ(Log(), (std::vector<std::string>{"List.MouseDown(238)", "List.MouseDown(239)"}));
}

TEST_F(Dispatch, MouseMoveGoesToTheControlThePointerLeft) {
    MakeSheet();
    CreateControl("TestBox", "A", "S", 10, 10, 100, 50);
    static float moved;
    moved = 0;
    BindControlEvent(
        "A", "MouseMove", +[](float dx, float) { moved += dx; });
    MoveTo(300, 300);
    MoveTo(50, 30);   // came from outside: not A's move
    MoveTo(150, 30);  // left A: A's move
    MoveTo(200, 30);  // outside all the way
    EXPECT_FLOAT_EQ(moved, 100.0f);
}

TEST_F(Dispatch, CaptureTakesMouseEventsOnlyWhileThePointerIsInside) {
    MakeSheet();
    CreateControl("TestBox", "A", "S", 10, 10, 100, 50);
    CreateControl("TestBox", "Cover", "S", 10, 10, 100, 50);
    CreateControl("TestBox", "Other", "S", 300, 10, 100, 50);
    SetFocusTo("Other");
    SetCapture(FindControl("A"));
    Click(50, 30);
    EXPECT_TRUE(Logged("A.MouseDown(230)"));
    EXPECT_TRUE(Logged("A.Click(230)"));
    EXPECT_FALSE(Logged("Cover.MouseDown(230)"));
    EXPECT_EQ(FocusName(), "Other");  // a captured press does not move the focus
    MoveTo(300, 300);
    EXPECT_EQ(GetCapture(), nullptr);
    Press(50, 30);
    EXPECT_TRUE(Logged("Cover.MouseDown(230)"));
}

TEST_F(Dispatch, ModalControlKeepsTheFocus) {
    MakeSheet();
    CreateControl("TestBox", "Outside", "S", 500, 10, 100, 50);
    CreateControl("TestFrame", "Dlg", "S", 10, 10, 300, 200);
    CreateControl("TestBox", "Ok", "Dlg", 10, 10, 50, 20);
    SetFocusTo("Ok");
    SetModalControl(FindControl("Dlg"));
    Log().clear();
    Press(550, 30);
    EXPECT_EQ(FocusName(), "Ok");
    EXPECT_FALSE(Logged("Outside.MouseDown(230)"));
    Press(30, 30);  // inside the modal control: allowed
    EXPECT_EQ(FocusName(), "Ok");
    EXPECT_TRUE(Logged("Ok.MouseDown(230)"));
    // Nor can the program move it out by name; inside, it may.
    EXPECT_FALSE(SetFocusTo("Outside"));
    EXPECT_EQ(FocusName(), "Ok");
    EXPECT_TRUE(SetFocusTo("Dlg"));
    EXPECT_EQ(FocusName(), "Dlg");
}

TEST_F(Dispatch, FocusEventsClimbOutOfTheOldFrameAndIntoTheNewOne) {
    MakeSheet();
    CreateControl("TestFrame", "F1", "S", 10, 10, 200, 200);
    CreateControl("TestBox", "a1", "F1", 10, 10, 50, 20);
    CreateControl("TestFrame", "F2", "S", 300, 10, 200, 200);
    CreateControl("TestBox", "b1", "F2", 10, 10, 50, 20);
    Press(30, 30);
    ASSERT_EQ(FocusName(), "a1");
    Release(30, 30);
    Log().clear();
    Press(320, 30);
    EXPECT_EQ(Log(), (std::vector<std::string>{"a1.LoseFocus", "F1.LoseFocus", "S.LoseFocus", "b1.GetFocus",
                                               "F2.GetFocus", "S.GetFocus", "b1.MouseDown(230)"}));
    // Pressing the focused control again changes nothing.
    Release(320, 30);
    Log().clear();
    Press(322, 30);
    EXPECT_EQ(Log(), (std::vector<std::string>{"b1.MouseDown(230)"}));
    Release(322, 30);
    // Focusing it again by name goes the whole way out and back in.
    Log().clear();
    EXPECT_TRUE(SetFocusTo("b1"));
    EXPECT_EQ(Log(), (std::vector<std::string>{"b1.LoseFocus", "F2.LoseFocus", "S.LoseFocus", "b1.GetFocus",
                                               "F2.GetFocus", "S.GetFocus"}));
}

TEST_F(Dispatch, TabSkipsHiddenControlsAndEverythingInsideHiddenOnes) {
    MakeSheet();
    CreateControl("TestBox", "t1", "S", 10, 10, 50, 20);
    CreateControl("TestBox", "t2", "S", 10, 40, 50, 20);
    CreateControl("TestBox", "t3", "S", 10, 70, 50, 20);
    CreateControl("TestBox", "t4", "S", 10, 100, 50, 20);  // stands for a panel...
    CreateControl("TestBox", "t5", "t4", 0, 0, 20, 10);    // ...with a field inside
    CreateControl("TestBox", "t6", "S", 10, 130, 50, 20);
    SetControlProperty("t2", "Visible", ValBool(false));
    SetControlProperty("t4", "Visible", ValBool(false));
    SetFocusTo("t1");
    std::vector<std::string> seen;
    for (int i = 0; i < 3; ++i) {
        Key(VK_TAB);
        KeyRelease(VK_TAB);
        seen.push_back(FocusName());
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"t3", "t6", "t1"}));
}

TEST_F(Dispatch, TabCyclesInsideItsFrameAndNeverLeavesIt) {
    MakeSheet();                                             // tab index 0, but not a tab stop
    CreateControl("TestFrame", "F", "S", 10, 10, 300, 200);  // 1, not a tab stop
    CreateControl("TestBox", "t2", "F", 10, 10, 50, 20);
    CreateControl("TestBox", "t3", "F", 10, 40, 50, 20);
    CreateControl("TestBox", "t4", "F", 10, 70, 50, 20);
    CreateControl("TestBox", "out5", "S", 400, 10, 50, 20);
    ASSERT_EQ(FindControl("t2")->tabStop, 2);
    SetFocusTo("t2");
    std::vector<std::string> seen;
    for (int i = 0; i < 4; ++i) {
        Key(VK_TAB);
        KeyRelease(VK_TAB);
        seen.push_back(FocusName());
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"t3", "t4", "t2", "t3"}));
    // From the sheet's own level Tab wraps to the lowest index under the sheet.
    SetFocusTo("out5");
    Key(VK_TAB);
    EXPECT_EQ(FocusName(), "t2");
}

// Tab with no focus starts at the sheet's first stop; under Alt it moves nothing and the
// focus still gets the key; a Tab's release goes to the control that had the focus before.
TEST_F(Dispatch, TabFromNoFocusUnderAltAndTheReleaseOfATab) {
    MakeSheet();
    CreateControl("TestBox", "A", "S", 10, 10, 50, 20);
    CreateControl("TestBox", "B", "S", 10, 40, 50, 20);
    Key(VK_TAB);
    EXPECT_EQ(FocusName(), "A");
    EXPECT_TRUE(Logged("A.KeyDown(9)"));
    KeyRelease(VK_TAB);

    Key(VK_MENU, kLeftAltScan);
    Log().clear();
    Key(VK_TAB);
    EXPECT_EQ(FocusName(), "A");
    EXPECT_EQ(Log(), (std::vector<std::string>{"A.KeyDown(9)"}));
    KeyRelease(VK_TAB);
    KeyRelease(VK_MENU, kLeftAltScan);

    Log().clear();
    Key(VK_TAB);
    KeyRelease(VK_TAB);
    EXPECT_EQ(FocusName(), "B");
    EXPECT_EQ(Log(), (std::vector<std::string>{"A.LoseFocus", "S.LoseFocus", "B.GetFocus", "S.GetFocus", "B.KeyDown(9)",
                                               "A.KeyUp(9)"}));
}

TEST_F(Dispatch, CharactersAndDoubleClicksGoToTheFocus) {
    MakeSheet();
    CreateControl("TestBox", "A", "S", 10, 10, 50, 20);
    CreateControl("TestBox", "B", "S", 100, 10, 50, 20);
    Click(20, 20);
    TestMouseButton(WM_LBUTTONDOWN, 21, 21), PumpMessages();  // within the double-click time
    MoveTo(120, 20);
    TestChar(0x44F), PumpMessages();  // я
    EXPECT_TRUE(Logged("A.DoubleClick(230)"));
    EXPECT_TRUE(Logged("A.Char(1103)"));
    EXPECT_FALSE(Logged("B.Char(1103)"));
}

namespace {
int g_focusHandlerCalls = 0;
void FocusFirstField() { ++g_focusHandlerCalls, SetFocusTo("f1"); }
void TakeFocusBackA() { ++g_focusHandlerCalls, SetFocusTo("A"); }
void TakeFocusBackB() { ++g_focusHandlerCalls, SetFocusTo("B"); }
void AskTwiceLatestWins() { SetFocusTo("Y"), SetFocusTo("Z"); }
void AskThenDestroy() { SetFocusTo("Y"), DestroyControl("Y"); }
}  // namespace

// A frame that hands the focus to its first field, by click, by name and by Tab: the
// request runs once the walk that raised it is over, and ends there.
TEST_F(Dispatch, AFrameThatFocusesItsFirstFieldWhenItGetsTheFocus) {
    MakeSheet();
    CreateControl("TestFrame", "F", "S", 10, 10, 200, 200);
    CreateControl("TestBox", "f1", "F", 10, 10, 50, 20);
    CreateControl("TestBox", "other", "S", 300, 10, 50, 20);
    BindControlEvent("F", "GetFocus", FocusFirstField);
    g_focusHandlerCalls = 0;
    Press(150, 150);
    EXPECT_EQ(FocusName(), "f1");
    // Focusing f1 raises F's GetFocus again: its request for the focus it has raises nothing.
    EXPECT_EQ(g_focusHandlerCalls, 2);
    Release(150, 150);
    SetFocusTo("other");
    SetFocusTo("F");
    EXPECT_EQ(FocusName(), "f1");
    SetFocusTo("other");
    Key(VK_TAB);
    KeyRelease(VK_TAB);
    EXPECT_EQ(FocusName(), "f1");
}

TEST_F(Dispatch, TwoControlsTakingTheFocusBackSettleAfterEightFollowUps) {
    MakeSheet();
    CreateControl("TestBox", "A", "S", 10, 10, 50, 20);
    CreateControl("TestBox", "B", "S", 100, 10, 50, 20);
    SetFocusTo("A");
    BindControlEvent("A", "LoseFocus", TakeFocusBackA);
    BindControlEvent("B", "LoseFocus", TakeFocusBackB);
    g_focusHandlerCalls = 0;
    SetFocusTo("B");
    // B, then A, B, ... eight follow-ups: the eighth (B) stands, the ninth request is dropped.
    EXPECT_EQ(FocusName(), "B");
    EXPECT_EQ(g_focusHandlerCalls, 9);
}

TEST_F(Dispatch, OnlyTheLatestFocusRequestOfAHandlerRunsAndNoneForADestroyedControl) {
    MakeSheet();
    for (const char* name : {"X", "Y", "Z"}) CreateControl("TestBox", name, "S", 10, 10, 50, 20);
    BindControlEvent("X", "GetFocus", AskTwiceLatestWins);
    SetFocusTo("X");
    EXPECT_EQ(FocusName(), "Z");
    BindControlEvent("X", "GetFocus", AskThenDestroy);
    SetFocusTo("X");
    EXPECT_EQ(FocusName(), "X");
    EXPECT_EQ(FindControl("Y"), nullptr);
}
