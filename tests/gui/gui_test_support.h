// gui_test_support.h - small control classes that exist only in the tests (a filling
// sheet, a frame, a tip box with a few properties, a passive control), registered
// through the ordinary class registry, plus a log of the virtual calls they receive.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gui/gui.h"
#include "render/draw.h"
#include "render/font.h"
#include "tests/support/engine_fixture.h"

namespace guitest {

// "Name.Event" or "Name.Event(arg)" for every logged virtual call, in order.
inline std::vector<std::string>& Log() {
    static std::vector<std::string> log;
    return log;
}
inline void Note(const Control* c, const std::string& what) { Log().push_back(std::string(c->name) + "." + what); }

// Logs the input and focus operations of any event layer, then does what the layer does.
template <class Base>
class Logged : public Base {
  public:
    Color fill = MakeColor(200, 200, 200);

    void Draw() override {
        SetColor(fill);
        FillRect(this->x, this->y, this->w, this->h);
    }
    void OnKeyDown(int32_t k) override { Note(this, "KeyDown(" + std::to_string(k) + ")"), Base::OnKeyDown(k); }
    void OnKeyUp(int32_t k) override { Note(this, "KeyUp(" + std::to_string(k) + ")"), Base::OnKeyUp(k); }
    void OnMouseDown(int32_t k) override { Note(this, "MouseDown(" + std::to_string(k) + ")"), Base::OnMouseDown(k); }
    void OnClick(int32_t k) override { Note(this, "Click(" + std::to_string(k) + ")"), Base::OnClick(k); }
    void OnDoubleClick(int32_t k) override {
        Note(this, "DoubleClick(" + std::to_string(k) + ")"), Base::OnDoubleClick(k);
    }
    void OnChar(int32_t ch) override { Note(this, "Char(" + std::to_string(ch) + ")"), Base::OnChar(ch); }
    void OnGetFocus() override { Note(this, "GetFocus"), Base::OnGetFocus(); }
    void OnLoseFocus() override { Note(this, "LoseFocus"), Base::OnLoseFocus(); }
    void OnDestroy() override { Note(this, "Destroy"), Base::OnDestroy(); }
    int ListProperties(PropertyEntry* table) override {
        PropertyList list(table);
        list.Add("Fill", PROP_COLOR, nullptr, &fill);
        return list.count + Base::ListProperties(list.Rest());
    }
};

// A sheet stand-in: covers its rectangle, scopes Tab navigation.
class TestSheet : public Logged<EventControl> {};
// A frame stand-in: a tab root that is not a tab stop.
class TestFrame : public Logged<EventControl> {};

// A tab stop with a tooltip and one property of each common kind. The constructor
// gives it its own rectangle, which creation with w = 0 must keep.
class TestBox : public Logged<TipControl> {
  public:
    std::string text;
    int32_t number = 0;
    uint8_t flag = 0;
    float ratio = 0;

    TestBox() { x = 7, y = 9, w = 40, h = 30; }
    int ListProperties(PropertyEntry* table) override {
        PropertyList list(table);
        list.Add("Text", PROP_STRING, "MaxLen:31", &text);
        list.Add("Number", PROP_INT, nullptr, &number);
        list.Add("Flag", PROP_BOOL, nullptr, &flag);
        list.Add("Ratio", PROP_FLOAT, nullptr, &ratio);
        return list.count + Logged<TipControl>::ListProperties(list.Rest());  // + Fill, Font, ToolTipText
    }
};

// A passive control: no events, no properties.
class TestPlain : public Control {
  public:
    void OnDestroy() override { Note(this, "Destroy"); }
};

inline void RegisterTestClasses() {
    RegisterControlClass([](ControlClass* c) {
        std::snprintf(c->name, sizeof c->name, "TestBox");
        c->tabStopByDefault = 1;
        c->factory = [] { return static_cast<Control*>(new TestBox); };
    });
    RegisterControlClass([](ControlClass* c) {
        std::snprintf(c->name, sizeof c->name, "TestFrame");
        c->tabRoot = 1;
        c->factory = [] { return static_cast<Control*>(new TestFrame); };
    });
    RegisterControlClass([](ControlClass* c) {
        std::snprintf(c->name, sizeof c->name, "TestPlain");
        c->factory = [] { return static_cast<Control*>(new TestPlain); };
    });
    RegisterControlClass([](ControlClass* c) {
        std::snprintf(c->name, sizeof c->name, "TestSheet");
        c->tabRoot = 1;
        c->factory = [] { return static_cast<Control*>(new TestSheet); };
    });
}

// The editor's font as the build makes it, loaded once per test program.
inline Font* TestFont() {
    static Font* font = LoadFont(QK_BINARY_DIR "/zazovi_font.dsf");
    return font;
}

inline TestBox* Box(const char* name) { return dynamic_cast<TestBox*>(FindControl(name)); }

// Every test starts with an engine, the test classes, no controls and a quiet GUI.
class GuiTest : public ::testing::Test {
  protected:
    void SetUp() override {
        EnsureTestEngine();
        RegisterTestClasses();
        Reset();
    }
    void TearDown() override { Reset(); }

    static void Reset() {
        PumpMessages();
        TestClearMessages();
        SetActiveSheet(nullptr);
        SetModalControl(nullptr);
        SetCapture(nullptr);
        SetOverlay(nullptr);
        HideToolTip();
        while (ControlCount() > 0) DestroyControl(ControlAt(0)->name);
        std::fill(std::begin(g_input.keys), std::end(g_input.keys), uint8_t(0));
        g_input.lastClickButton = 255;
        Log().clear();
    }

    // A full-screen sheet, made active: the test class, or the toolkit's own "Sheet".
    static Control* MakeSheet(const char* name = "S", const char* cls = "TestSheet") {
        Control* s = CreateTopControl(cls, name, nullptr, 0, 0, 800, 600);
        SetActiveSheet(name);
        return s;
    }
    // One frame drawn on a cleared screen without the GUI's pointer, which would cover
    // what the test reads back.
    static void DrawFrame(float r = 0, float g = 0, float b = 0) {
        ShowGuiPointer(false);
        ClearScreen(r, g, b);
        GuiDraw();
        glFinish();
        ShowGuiPointer(true);
    }
    // Real input path: injected window messages through the engine's window procedure.
    // Presses are spaced a second apart so that two of them never make a double click.
    static void Press(int x, int y) { TestAdvanceTicks(1000), TestMouseButton(WM_LBUTTONDOWN, x, y), PumpMessages(); }
    static void Release(int x, int y) { TestMouseButton(WM_LBUTTONUP, x, y), PumpMessages(); }
    static void MoveTo(int x, int y) { TestMouseMove(x, y), PumpMessages(); }
    static void Key(uint8_t vk, unsigned scan = 0) { TestKeyDown(vk, scan), PumpMessages(); }
    static void KeyRelease(uint8_t vk, unsigned scan = 0) { TestKeyUp(vk, scan), PumpMessages(); }
    static void Click(int x, int y) { Press(x, y), Release(x, y); }
    static void KeyTap(uint8_t vk, bool extended = false) {
        TestKeyDown(vk, 0, extended), PumpMessages();
        TestKeyUp(vk, 0, extended), PumpMessages();
    }
    // Typing and editing keys; the arrows and Delete come from the navigation block, with
    // the extended flag (without it they are the keypad's).
    static void Type(const std::string& ascii) {
        for (char c : ascii) TestChar(uint8_t(c));
        PumpMessages();
    }
    static void Tap(uint8_t vk) { KeyTap(vk, (vk >= VK_LEFT && vk <= VK_DOWN) || vk == VK_DELETE); }
    static void Chord(uint8_t modifier, unsigned scan, uint8_t vk) {
        Key(modifier, scan);
        Tap(vk);
        KeyRelease(modifier, scan);
    }
    static void Ctrl(uint8_t vk) { Chord(VK_CONTROL, 0x1D, vk); }
    static void Shift(uint8_t vk) { Chord(VK_SHIFT, 0x2A, vk); }
};

}  // namespace guitest
