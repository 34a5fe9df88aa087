// registry_test.cpp - the class and control registries and the by-name API: creation
// and its refusals, the sorted registry, properties and events by name (a colour of any
// class moving exactly its four bytes), destruction.
#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "tests/gui/gui_test_support.h"

using namespace guitest;

namespace {

int g_shows = 0, g_hides = 0, g_clicks = 0, g_lastKey = 0;
float g_a = 0, g_b = 0;
bool g_frameAliveAtChildDestroy = false;

void CountShow() { ++g_shows; }
void CountHide() { ++g_hides; }
void OnClick(int32_t key) { ++g_clicks, g_lastKey = key; }
void OnMotion(float a, float b) { g_a = a, g_b = b; }
void HideAgain() { ++g_hides, SetControlProperty("A", "Visible", ValBool(false)); }
void MoveAgain(float, float) { ++g_clicks, SetControlProperty("A", "x", ValFloat(50)); }
void DestroyWhileMoving(float, float) { DestroyControl("A"); }
void CheckFrameAlive() { g_frameAliveAtChildDestroy = FindControl("F") != nullptr; }

class Registry : public GuiTest {};

// A call that failed and set the error that says why.
testing::AssertionResult Refused(bool succeeded, int error) {
    if (succeeded) return testing::AssertionFailure() << "succeeded";
    if (GuiLastError() != error) return testing::AssertionFailure() << "error " << GuiLastError() << ", not " << error;
    return testing::AssertionSuccess();
}

}  // namespace

// A second class or control under a taken name is refused; the first one stays.
TEST_F(Registry, TakenNamesAreRefusedAndTheFirstStays) {
    EXPECT_FALSE(RegisterControlClass([](ControlClass* c) {
        std::strcpy(c->name, "TestBox");
        c->factory = [] { return static_cast<Control*>(new TestPlain); };
    }));
    EXPECT_EQ(FindControlClass("TestBox")->tabStopByDefault, 1);
    MakeSheet();
    Control* first = CreateControl("TestBox", "A", "S", 10, 10, 50, 20);
    EXPECT_EQ(CreateControl("TestFrame", "A", "S", 0, 0, 5, 5), nullptr);
    EXPECT_EQ(FindControl("A"), first);
    EXPECT_EQ(FindControl("S")->children.size(), 1u);
}

TEST_F(Registry, CreationRefusalsSetTheirErrorAndChangeNothing) {
    MakeSheet();
    EXPECT_TRUE(Refused(CreateControl("Buton", "X", "S", 0, 0, 10, 10) != nullptr, GUI_ERR_CLASS));
    EXPECT_TRUE(
        Refused(CreateTopControl("testbox", "X", nullptr, 0, 0, 10, 10) != nullptr, GUI_ERR_CLASS));  // case matters
    EXPECT_TRUE(Refused(CreateControl("TestBox", "X", "NoSuchParent", 0, 0, 10, 10) != nullptr, GUI_ERR_PARENT));
    EXPECT_TRUE(Refused(CreateControl("TestBox", "Tab\tName", "S", 0, 0, 10, 10) != nullptr, GUI_ERR_NAME));
    // 31 characters fit the name field; 32 are refused instead of being cut.
    const std::string fits(31, 'n'), tooLong(32, 'n');
    EXPECT_TRUE(Refused(CreateControl("TestBox", tooLong.c_str(), "S", 0, 0, 10, 10) != nullptr, GUI_ERR_NAME));
    EXPECT_EQ(ControlCount(), 1);
    EXPECT_EQ(FindControl("S")->children.size(), 0u);
    Control* c = CreateControl("TestBox", fits.c_str(), "S", 0, 0, 10, 10);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(std::string(c->name), fits);
    // The empty name is a name like any other.
    EXPECT_NE(CreateControl("TestBox", "", "S", 0, 0, 10, 10), nullptr);
    EXPECT_NE(FindControl(""), nullptr);
}

TEST_F(Registry, ZeroWidthKeepsTheConstructorsRectangle) {
    MakeSheet();
    const auto rect = [](const Control* c) { return std::vector<float>{c->x, c->y, c->w, c->h}; };
    Control* kept = CreateControl("TestBox", "Kept", "S", 50, 60, 0, 25);
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(rect(kept), (std::vector<float>{7, 9, 40, 30}));
    Control* placed = CreateControl("TestBox", "Placed", "S", 50, 60, 70, 25);
    EXPECT_EQ(rect(placed), (std::vector<float>{50, 60, 70, 25}));
    EXPECT_EQ(placed->parent, FindControl("S"));
    EXPECT_EQ(placed->visible, 1);
}

TEST_F(Registry, StaysSortedThroughCreateAndDestroy) {
    MakeSheet();
    for (const char* n : {"b", "a", "c"}) ASSERT_NE(CreateControl("TestBox", n, "S", 0, 0, 5, 5), nullptr);
    for (const char* n : {"a", "b", "c", "S"}) EXPECT_NE(FindControl(n), nullptr) << n;
    // Signed byte order puts "S" (83) before the lower-case names.
    EXPECT_STREQ(ControlAt(0)->name, "S");
    EXPECT_STREQ(ControlAt(1)->name, "a");
    EXPECT_STREQ(ControlAt(3)->name, "c");
    EXPECT_TRUE(DestroyControl("a"));
    EXPECT_TRUE(Refused(FindControl("a") != nullptr, GUI_ERR_NAME));
    EXPECT_NE(FindControl("b"), nullptr);
    EXPECT_NE(FindControl("c"), nullptr);
    EXPECT_TRUE(Refused(DestroyControl("a"), GUI_ERR_DESTROY));
}

TEST_F(Registry, ThreeHundredControlsGrowTheRegistryAndGetTheirTabIndices) {
    MakeSheet();
    // Created in descending name order, so every insertion goes to the front.
    std::vector<std::string> names;
    for (int i = 0; i < 300; ++i) names.push_back("C" + std::to_string(1000 + i));
    for (int i = 299; i >= 0; --i) ASSERT_NE(CreateControl("TestBox", names[i].c_str(), "S", 0, 0, 5, 5), nullptr);
    for (int i = 0; i < 300; ++i) {
        ASSERT_EQ(ControlAt(i), FindControl(names[i].c_str())) << names[i];
        EXPECT_EQ(ControlAt(i)->tabStop, 300 - i) << names[i];  // the number of controls before it
    }
    EXPECT_EQ(FindControl("S")->tabStop, -1);  // its class is not a tab stop
}

// Visible, x, y, w and h by name go through Show/Hide, Move and Size; Size reports the
// size before the change, Move the new position.
TEST_F(Registry, ApiPropertiesRaiseShowHideMoveAndSize) {
    MakeSheet();
    CreateControl("TestBox", "A", "S", 0, 0, 100, 20);
    g_shows = g_hides = 0;
    ASSERT_TRUE(BindControlEvent("A", "Show", CountShow));
    ASSERT_TRUE(BindControlEvent("A", "Hide", CountHide));
    EXPECT_TRUE(SetControlProperty("A", "Visible", ValBool(false)));
    EXPECT_EQ(g_hides, 1);
    EXPECT_EQ(g_shows, 0);
    uint8_t v = 9;
    EXPECT_TRUE(GetControlProperty("A", "Visible", &v));
    EXPECT_EQ(v, 0);
    EXPECT_TRUE(SetControlProperty("A", "Visible", ValBool(true)));
    EXPECT_EQ(g_shows, 1);
    EXPECT_EQ(g_hides, 1);
    BindControlEvent("A", "Size", OnMotion);
    EXPECT_TRUE(SetControlProperty("A", "w", ValFloat(200)));
    EXPECT_EQ(g_a, 100);
    EXPECT_EQ(g_b, 20);
    EXPECT_TRUE(SetControlProperty("A", "h", ValFloat(25)));
    EXPECT_EQ(g_a, 200);
    BindControlEvent("A", "Move", OnMotion);
    EXPECT_TRUE(SetControlProperty("A", "x", ValFloat(10)));
    EXPECT_TRUE(SetControlProperty("A", "y", ValFloat(5)));
    EXPECT_EQ(g_a, 10);
    EXPECT_EQ(g_b, 5);
    float f = 0;
    EXPECT_TRUE(GetControlProperty("A", "w", &f));
    EXPECT_EQ(f, 200);
    EXPECT_TRUE(SetControlProperty("A", "TabStop", ValShort(42)));
    int16_t tab = 0;
    EXPECT_TRUE(GetControlProperty("A", "TabStop", &tab));
    EXPECT_EQ(tab, 42);
}

// A handler that sets the very property its event reports does not raise itself again,
// and one that destroys its control leaves no dangling access behind.
TEST_F(Registry, HandlersThatSetTheirOwnPropertyRunOnce) {
    MakeSheet();
    CreateControl("TestBox", "A", "S", 0, 0, 100, 20);
    g_hides = g_clicks = 0;
    BindControlEvent("A", "Hide", HideAgain);
    BindControlEvent("A", "Move", MoveAgain);
    EXPECT_TRUE(SetControlProperty("A", "Visible", ValBool(false)));
    EXPECT_TRUE(SetControlProperty("A", "x", ValFloat(10)));
    EXPECT_EQ(g_hides, 1);
    EXPECT_EQ(g_clicks, 1);
    EXPECT_TRUE(SetControlProperty("A", "Visible", ValBool(false)));  // and again, later
    EXPECT_EQ(g_hides, 2);
    BindControlEvent("A", "Move", DestroyWhileMoving);
    EXPECT_TRUE(SetControlProperty("A", "y", ValFloat(3)));
    EXPECT_EQ(FindControl("A"), nullptr);
}

TEST_F(Registry, PropertiesByNameRoundTrip) {
    MakeSheet();
    CreateControl("TestBox", "A", "S", 0, 0, 5, 5);
    EXPECT_TRUE(SetControlProperty("A", "Text", "hello"));
    char buf[32] = {};
    EXPECT_TRUE(GetControlProperty("A", "Text", buf));
    EXPECT_STREQ(buf, "hello");
    // An empty text reads back successfully as the empty string.
    EXPECT_TRUE(SetControlProperty("A", "Text", ""));
    std::memset(buf, 'x', sizeof buf);
    EXPECT_TRUE(GetControlProperty("A", "Text", buf));
    EXPECT_STREQ(buf, "");
    EXPECT_TRUE(SetControlProperty("A", "Fill", ValColor(MakeColor(1, 2, 3))));
    Color c = 0;
    EXPECT_TRUE(GetControlProperty("A", "Fill", &c));
    EXPECT_EQ(c, MakeColor(1, 2, 3));
    EXPECT_TRUE(SetControlProperty("A", "Ratio", ValFloat(0.5f)));
    EXPECT_TRUE(SetControlProperty("A", "Flag", ValBool(true)));
    EXPECT_EQ(Box("A")->ratio, 0.5f);
    EXPECT_EQ(Box("A")->flag, 1);
    EXPECT_TRUE(SetControlProperty("A", "ToolTipText", "tip"));
    EXPECT_EQ(Box("A")->toolTipText, "tip");
    // The tables are shared: a second instance resolves the same names to its own fields.
    CreateControl("TestBox", "B", "S", 0, 0, 5, 5);
    EXPECT_TRUE(SetControlProperty("B", "Number", ValInt(-7)));
    EXPECT_EQ(Box("B")->number, -7);
    EXPECT_EQ(Box("A")->number, 0);
}

// A colour is 4 bytes wherever it is stored: the API reads no more than those from the
// caller and writes no more than those back, so a caller's `Color` is never overrun.
TEST_F(Registry, EveryColourPropertyOfEveryClassMovesExactlyFourBytes) {
    CreateTopControl("Sheet", "S", nullptr, 0, 0, 800, 600);
    std::set<std::string> checked;
    for (int i = 0; i < ControlClassCount(); ++i) {
        const ControlClass* cls = ControlClassAt(i);
        if (std::strncmp(cls->name, "Test", 4) == 0) continue;
        const std::string name = std::string("Probe") + cls->name;
        ASSERT_NE(CreateControl(cls->name, name.c_str(), "S", 10, 10, 50, 50), nullptr) << cls->name;
        for (const PropertyEntry& e : cls->properties) {
            if (e.type != PROP_COLOR && e.type != PROP_BACKGROUND) continue;
            SCOPED_TRACE(std::string(cls->name) + "." + e.name);
            // The colour, then bytes that must not be taken for part of it.
            const uint32_t given[2] = {MakeColor(12, 34, 56), 0xFFFFFFFFu};
            ASSERT_TRUE(SetControlProperty(name.c_str(), e.name, given));
            uint8_t read[16];
            std::memset(read, 0xAB, sizeof read);
            ASSERT_TRUE(GetControlProperty(name.c_str(), e.name, read));
            uint32_t colour;
            std::memcpy(&colour, read, 4);
            EXPECT_EQ(colour, given[0]);
            for (size_t b = 4; b < sizeof read; ++b) EXPECT_EQ(read[b], 0xAB) << "byte " << b;
            checked.insert(std::string(cls->name) + "." + e.name);
        }
    }
    for (const char* background : {"Button.Background", "Button.DownBackground", "Sheet.Background"})
        EXPECT_EQ(checked.count(background), 1u) << background;
}

TEST_F(Registry, UnknownNamesSetTheirErrors) {
    MakeSheet();
    CreateControl("TestBox", "A", "S", 0, 0, 5, 5);
    CreateControl("TestPlain", "P", "S", 0, 0, 5, 5);
    EXPECT_TRUE(Refused(SetControlProperty("A", "Colour", ValColor(0)), GUI_ERR_PROPERTY));
    int32_t v = 0;
    EXPECT_TRUE(Refused(GetControlProperty("A", "Colour", &v), GUI_ERR_PROPERTY));
    EXPECT_TRUE(Refused(BindControlEvent("A", "Clik", OnClick), GUI_ERR_EVENT));
    EXPECT_TRUE(Refused(BindControlEvent("P", "Click", OnClick), GUI_ERR_EVENT));  // a class without events
    EXPECT_TRUE(Refused(SetControlProperty("Nobody", "Text", "x"), GUI_ERR_NAME));
    EXPECT_TRUE(Refused(BindControlEvent("Nobody", "Click", OnClick), GUI_ERR_NAME));
    EXPECT_TRUE(BindControlEvent("A", "Click", OnClick));
    EXPECT_EQ(FindControl("A")->GetEventHandler("Click"), reinterpret_cast<GuiHandler>(OnClick));
}

// A null value is a caller's mistake whatever the property: refused, nothing changed.
TEST_F(Registry, NullValuesAreRefusedWithError8) {
    MakeSheet();
    CreateControl("TestBox", "A", "S", 0, 0, 5, 5);
    SetControlProperty("A", "Text", "kept");
    for (const char* prop : {"Visible", "x", "w", "TabStop", "Text", "ToolTipText", "Number", "Fill"}) {
        SCOPED_TRACE(prop);
        EXPECT_TRUE(Refused(SetControlProperty("A", prop, nullptr), GUI_ERR_NULL));
    }
    EXPECT_EQ(Box("A")->visible, 1);
    EXPECT_EQ(Box("A")->w, 5);
    EXPECT_EQ(Box("A")->text, "kept");
}

// Children go last first and the parent last, after the focus and the capture have left
// the subtree for the sheet.
TEST_F(Registry, DestroyTakesChildrenLastFirstAndTheParentLastMovingTheFocusOut) {
    MakeSheet();
    CreateControl("TestFrame", "F", "S", 0, 0, 100, 100);
    CreateControl("TestBox", "c1", "F", 0, 0, 5, 5);
    CreateControl("TestFrame", "c2", "F", 0, 0, 50, 50);
    CreateControl("TestBox", "g", "c2", 0, 0, 5, 5);
    CreateControl("TestPlain", "c3", "F", 0, 0, 5, 5);
    g_frameAliveAtChildDestroy = false;
    BindControlEvent("c1", "Destroy", CheckFrameAlive);
    ASSERT_TRUE(SetFocusTo("g"));
    SetCapture(FindControl("g"));
    Log().clear();
    EXPECT_TRUE(DestroyControl("F"));
    EXPECT_EQ(Log(), (std::vector<std::string>{"g.LoseFocus", "S.GetFocus", "c3.Destroy", "g.Destroy", "c2.Destroy",
                                               "c1.Destroy", "F.Destroy"}));
    EXPECT_TRUE(g_frameAliveAtChildDestroy);
    EXPECT_EQ(ControlCount(), 1);
    EXPECT_TRUE(FindControl("S")->children.empty());
    EXPECT_EQ(GetFocusControl(), FindControl("S"));
    EXPECT_EQ(GetCapture(), nullptr);
}

// A Destroy handler may destroy again what is already going, or an ancestor of it: each
// control still goes once, children before their parents, and nothing is read freed.
TEST_F(Registry, DestroyHandlersMayDestroyAncestorsAgain) {
    struct Case {
        const char* destroyed;  // what the program destroys
        const char* reentered;  // what g's Destroy handler destroys meanwhile
        int left;               // controls alive afterwards
    };
    static const char* s_reentered = nullptr;
    for (const Case& c : {Case{"F", "F", 1}, Case{"F", "S", 0}, Case{"c2", "F", 1}, Case{"c2", "c1", 2}}) {
        SCOPED_TRACE(std::string(c.destroyed) + " then " + c.reentered);
        Reset();
        MakeSheet();
        CreateControl("TestFrame", "F", "S", 0, 0, 100, 100);
        CreateControl("TestBox", "c1", "F", 0, 0, 5, 5);
        CreateControl("TestFrame", "c2", "F", 0, 0, 50, 50);
        CreateControl("TestBox", "g", "c2", 0, 0, 5, 5);
        SetFocusTo("g");
        s_reentered = c.reentered;
        BindControlEvent(
            "g", "Destroy", +[] { EXPECT_TRUE(DestroyControl(s_reentered)); });
        Log().clear();
        EXPECT_TRUE(DestroyControl(c.destroyed));
        std::vector<std::string> destroys;
        for (const std::string& line : Log())
            if (line.size() > 8 && line.compare(line.size() - 8, 8, ".Destroy") == 0) destroys.push_back(line);
        EXPECT_EQ(int(destroys.size()) + c.left, 5);
        EXPECT_EQ(std::set<std::string>(destroys.begin(), destroys.end()).size(), destroys.size()) << "twice";
        EXPECT_EQ(ControlCount(), c.left);
        if (Control* sheet = FindControl("S")) {
            EXPECT_EQ(GetFocusControl(), sheet);
            for (Control* child : sheet->children) EXPECT_EQ(FindControl(child->name), child);
        }
        GuiDraw();  // nothing of the destroyed subtree is drawn or dispatched to
        Key('A');
    }
}

TEST_F(Registry, DestroyingTheActiveSheetLeavesNoDanglingState) {
    MakeSheet();
    CreateControl("TestBox", "A", "S", 0, 0, 50, 50);
    Press(10, 10);
    ASSERT_EQ(GetFocusControl(), FindControl("A"));
    EXPECT_TRUE(DestroyControl("S"));
    EXPECT_EQ(g_gui.activeSheet, nullptr);
    EXPECT_EQ(GetFocusControl(), nullptr);
    EXPECT_EQ(ControlCount(), 0);
    Release(10, 10);  // input without a sheet is ignored, not sent to freed controls
    Key('A');
    GuiDraw();
    GuiUpdate(0.1f);
}

TEST_F(Registry, ActiveSheetByName) {
    MakeSheet();
    SetFocusTo("S");
    EXPECT_TRUE(Refused(SetActiveSheet("Nobody"), GUI_ERR_NAME));
    EXPECT_EQ(g_gui.activeSheet, FindControl("S"));
    EXPECT_EQ(GetFocusControl(), nullptr);  // cleared even by the failed call
    EXPECT_TRUE(SetActiveSheet(""));
    EXPECT_EQ(g_gui.activeSheet, nullptr);
}

TEST_F(Registry, ShutdownDestroysEveryControlAndInitStartsClean) {
    MakeSheet();
    CreateControl("TestBox", "A", "S", 0, 0, 5, 5);
    SetFocusTo("A");
    Log().clear();
    const int classes = ControlClassCount();
    ShutdownGui();
    EXPECT_EQ(ControlCount(), 0);
    EXPECT_EQ(Log().size(), 2u);  // A.Destroy and S.Destroy
    EXPECT_EQ(GetFocusControl(), nullptr);
    InitGui();
    EXPECT_EQ(ControlClassCount(), classes);  // nothing registered twice
    ASSERT_NE(CreateTopControl("TestBox", "B", nullptr, 0, 0, 5, 5), nullptr);
    EXPECT_TRUE(SetControlProperty("B", "Number", ValInt(3)));
    EXPECT_EQ(Box("B")->number, 3);
}
