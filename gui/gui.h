// gui.h - the GUI toolkit's public face: control classes and their registration, the
// registry of live controls with the by-name API (create, find, configure, wire,
// destroy), focus and the dispatch state that controls use (capture, overlay, modal
// control, tooltip, pointer), and the GUI's entry points, which InstallGui hands to the
// engine (engine/gui_hooks.h).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gui/control.h"

// ---- the GUI's entry points ------------------------------------------------------------
//
// Hands the entry points below and MsgBox to the engine, which calls them from then on:
// a program with a GUI calls this once, before InitEngine.
void InstallGui();
void InitGui();      // called by InitEngine
void ShutdownGui();  // called by ShutdownEngine
void GuiKeyDown(uint8_t code);
void GuiKeyUp(uint8_t code);
void GuiChar(uint16_t character);
void GuiDoubleClick(uint8_t code);
void GuiMouseMove(float dx, float dy);
void GuiDraw();
void GuiUpdate(float dt);
void GuiResetPointer();  // pointer kind back to the arrow at the start of a frame

// ---- control classes --------------------------------------------------------------------
//
// A class record: name, flags, factory and the property and event tables that are
// built from the first instance of the class and shared by all later ones.
struct ControlClass {
    char name[32] = {};
    uint8_t tabStopByDefault = 0;           // new controls get the next tab index (else -1)
    uint8_t tabRoot = 0;                    // Tab navigation stays inside such a control's subtree
    Control* (*factory)() = nullptr;        // returns a new, default-constructed control
    int16_t propertyCount = -1;             // -1 until built
    std::vector<PropertyEntry> properties;  // sorted by name
    int16_t eventCount = -1;
    std::vector<EventEntry> events;  // sorted by name

    const PropertyEntry* FindProperty(const char* prop) const;
    const EventEntry* FindEvent(const char* event) const;
};

constexpr int kMaxControlClasses = 255;

// Registers a class: the function fills in name, flags and factory of a cleared record.
// Classes are kept sorted by name (lookups are binary searches). Returns false when the
// table is full, the name is empty or too long, or a class of that name exists already.
//
// The toolkit's own classes (names, flags, fixed order) are listed in
// gui/class_table.cpp and registered by `InitGui`. A control unit defines its factory,
// `Control* NewButton() { return new Button; }`, and adds one row there:
//
//     {"Button", &NewButton},                                 // a row of kBuiltFactories
//
// Tests (and tools) may register classes of their own with this call at any time, for
// example a stand-in "Sheet" while the real one does not exist yet.
bool RegisterControlClass(void (*fill)(ControlClass* cls));
ControlClass* FindControlClass(const char* name);
int ControlClassCount();
ControlClass* ControlClassAt(int index);

// ---- last error -----------------------------------------------------------------------
//
// Set by a failing API call; meaningful only right after a call returned null or false.
enum GuiError : int32_t {
    GUI_ERR_PROPERTY = 1,  // the control rejected the property
    GUI_ERR_CLASS = 2,     // no control class of that name
    GUI_ERR_EVENT = 3,     // the control has no event of that name
    GUI_ERR_PARENT = 4,    // the named parent does not exist
    GUI_ERR_NAME = 5,      // no such control / property / event; or a name that is not allowed
    GUI_ERR_FONT = 7,      // the message box has no font
    GUI_ERR_DESTROY = 8,   // no control of that name to destroy
    GUI_ERR_NULL = 8,      // a null value or argument (the same code)
};
int32_t GuiLastError();
void SetGuiError(int32_t code);

// ---- the by-name API --------------------------------------------------------------------
//
// Names: up to 31 characters, none below code 32; unique among live controls.
// Property values pass as untyped pointers: a String value is the `const char*` itself,
// any other value a pointer to its bytes (as many as the property type has).

// Creates a control of the class under the named parent (null for none). With w or h
// equal to 0 the control keeps the position and size its constructor gave it; otherwise
// `Move`(x, y) and `Size`(w, h) place it. Null when the name is taken (error unchanged),
// the parent is missing (4), the name is too long or holds a control character (5), or
// the class is unknown (2).
Control* CreateControl(const char* cls, const char* name, const char* parent, float x, float y, float w, float h);
// The same without a parent (for sheets); the third argument is ignored.
Control* CreateTopControl(const char* cls, const char* name, const char* unused, float x, float y, float w, float h);
Control* FindControl(const char* name);  // null and error 5 when absent
// Makes the named control the one whose tree is drawn and receives input; null or ""
// clears it. The focus is cleared either way (without focus events).
bool SetActiveSheet(const char* name);
// Besides the class's own properties, the API itself handles "Visible" (1 byte; raises
// Show or Hide), "x", "y", "w", "h" (floats; through Move and Size) and "TabStop" (int16).
// A null value changes nothing: false and error 8.
bool SetControlProperty(const char* name, const char* prop, const void* value);
// dest must be large enough (for a String: the whole text and its terminator).
bool GetControlProperty(const char* name, const char* prop, void* dest);
bool BindControlEvent(const char* name, const char* event, GuiHandler handler);
// Binds a handler of any plain-function type, e.g. `void OnSelect(int32_t)`.
template <class R, class... A>
inline bool BindControlEvent(const char* name, const char* event, R (*handler)(A...)) {
    return BindControlEvent(name, event, reinterpret_cast<GuiHandler>(handler));
}
// Destroys the control and its subtree (children last-first, each raising `Destroy`
// where its class does). A focus inside the subtree moves to the active sheet first.
bool DestroyControl(const char* name);
// Moves the focus (with LoseFocus/GetFocus events); refused (false) when a modal
// control exists and the named control lies outside it. False and error 5 when the
// control does not exist.
bool SetFocusTo(const char* name);

// While one of these lives, controls destroyed (by handlers, say) are taken out of the
// tree and the registry at once but freed only when the last one goes. A control that
// raises an event whose handler may destroy it holds one around the call and then
// checks its `destroying` flag before touching itself again.
class DeferFrees {
  public:
    DeferFrees();
    ~DeferFrees();
    DeferFrees(const DeferFrees&) = delete;
    DeferFrees& operator=(const DeferFrees&) = delete;
};

// Value helpers for literal arguments: each stores its value in a slot of its own and
// returns the slot's address, which stays valid until the same helper is called again.
const uint8_t* ValBool(bool value);
const uint8_t* ValEnum(uint8_t value);
const int16_t* ValShort(int16_t value);
const int32_t* ValInt(int32_t value);
const float* ValFloat(float value);
const uint32_t* ValColor(uint32_t rgba);

// Live controls in name order (for tools and tests).
int ControlCount();
Control* ControlAt(int index);

// ---- dispatch state used by controls ----------------------------------------------------

using OverlayFunc = void (*)();
using PointerDrawFunc = void (*)(float x, float y);

constexpr int kPointerKinds = 32;
enum PointerKind : int { POINTER_ARROW = 1, POINTER_IBEAM = 9, POINTER_DOUBLE_BAR = 10 };

struct ToolTipState {
    std::string text;    // copied: the tooltip outlives a destroyed control
    float x = 0, y = 0;  // top-left of the box once laid out
    float w = 0, h = 0;
    float opacity = 0;  // 0: hidden
    std::vector<std::string> lines;
};

struct GuiState {
    // control classes and live controls
    std::vector<std::unique_ptr<ControlClass>> classes;  // sorted by name
    std::vector<std::unique_ptr<Control>> controls;      // sorted by name
    int32_t lastError = 0;
    // Controls destroyed while a `DestroyControl` (or another `DeferFrees`) is still
    // running: freed only when the outermost one ends, so that nothing further up the
    // stack reads a freed control.
    std::vector<std::unique_ptr<Control>> destroyed;
    int destroyDepth = 0;
    // dispatch
    Control* activeSheet = nullptr;
    Control* focus = nullptr;
    Control* capture = nullptr;
    Control* modal = nullptr;
    Control* keyDownTarget = nullptr;  // focus at the last key down: gets the key up
    // A focus change asked for by a focus handler, run once the current walk is over.
    int focusWalks = 0;  // how many focus walks are raising handlers right now
    Control* pendingFocus = nullptr;
    bool focusPending = false;  // pendingFocus holds a request (null: clear the focus)
    OverlayFunc overlay = nullptr;
    // tooltip and pointer
    ToolTipState tip;
    uint8_t tipShadow = 1;
    uint8_t pointerShown = 1;
    int pointerKind = POINTER_ARROW;
    PointerDrawFunc pointerShapes[kPointerKinds] = {};
    // set while a common dialog with its own root sheet is open: the frame then does
    // not give up the processor
    uint8_t dialogOpen = 0;
    // The program's own keys (its shortcuts): offered every key press before the focused
    // control, while no modal control waits; true takes the key and no control sees it.
    bool (*shortcutKey)(uint8_t key) = nullptr;
    // Called after every key press and typed character has reached the controls, so the
    // program can follow what they changed (a text being edited).
    void (*inputHandled)() = nullptr;
    uint8_t initialised = 0;
};
extern GuiState g_gui;

// The focused control, or null.
Control* GetFocusControl();
// Moves the focus to c (null clears it), raising LoseFocus on the old focus and its
// ancestors, then GetFocus on c and its ancestors. Focusing the focus again raises
// LoseFocus and then GetFocus along its whole chain of ancestors. Called from inside a
// GetFocus or LoseFocus handler, the change waits until the walk that raised the handler
// is over; only the latest such request runs then (nothing when c has the focus by
// then), and at most 8 of them follow one another.
void ChangeFocus(Control* c);
// While set, the control receives all mouse events that happen inside it; a mouse event
// outside it clears the capture.
void SetCapture(Control* c);
Control* GetCapture();
// A control that must keep the focus (a modal dialog); null for none.
void SetModalControl(Control* c);
Control* GetModalControl();
// Drawn after the whole tree, above everything (a drop-down list); null for none.
void SetOverlay(OverlayFunc fn);
OverlayFunc GetOverlay();
// Pointer: kinds 0..31, others ignored. The engine resets it to the arrow every frame,
// so a control sets its kind during Draw or Update while the pointer is over it.
void SetPointerKind(int kind);
int GetPointerKind();
void SetPointerShape(int kind, PointerDrawFunc fn);
void ShowGuiPointer(bool shown);
// Shows a tooltip at once: text at the mouse position, fully opaque.
void ShowToolTip(const char* text);
// Shows a tooltip with the box placed above the point (screen coordinates) at a
// starting opacity (it fades in to 1 over a quarter second).
void ShowToolTipAt(const char* text, float x, float y, float opacity);
void HideToolTip();
// ---- drawing on demand ---------------------------------------------------------------------
//
// The main loop draws only when something changed or is due, and otherwise sleeps.
// Input, the by-name API and changes of focus, modal control, overlay and tooltip ask
// for a frame by themselves. A control with a running timer or animation asks in its
// Update, in every frame it still runs: GuiKeepDrawing() for the next frame (an
// animation, a drag that scrolls), GuiWakeIn(seconds) for a frame that much later (a
// blink, a delay). A control that asks for nothing costs nothing while the user rests.
void GuiKeepDrawing();
void GuiWakeIn(float seconds);

// The control under a point in screen coordinates (the deepest visible one that
// accepts it; later siblings first), or null.
Control* ControlAtPoint(float x, float y);
