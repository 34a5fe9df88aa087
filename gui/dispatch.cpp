// dispatch.cpp - routes the engine's input calls through the active sheet's tree: the
// control under the pointer, mouse capture, the modal control, focus changes with their
// LoseFocus/GetFocus walk, and Tab navigation inside the tab root.
#include <cstring>

#include "engine/engine.h"
#include "gui/gui.h"

constexpr uint8_t kKeyTab = 9;

static bool IsMouseKey(uint8_t key) { return key >= KEY_MOUSE1 && key <= KEY_WHEEL_DOWN; }

// ---- state accessors ----------------------------------------------------------------------

Control* GetFocusControl() { return g_gui.focus; }
void SetCapture(Control* c) { g_gui.capture = c; }
Control* GetCapture() { return g_gui.capture; }
void SetModalControl(Control* c) {
    if (c != g_gui.modal) RequestFrame();
    g_gui.modal = c;
}
Control* GetModalControl() { return g_gui.modal; }
void SetOverlay(OverlayFunc fn) {
    if (fn != g_gui.overlay) RequestFrame();
    g_gui.overlay = fn;
}
OverlayFunc GetOverlay() { return g_gui.overlay; }

// ---- hit testing --------------------------------------------------------------------------

// Deepest visible control accepting (px, py), given in c's parent's coordinates.
static Control* HitInTree(Control* c, float px, float py) {
    if (!c->visible) return nullptr;
    float lx = px - c->x, ly = py - c->y;
    if (!c->HitTest(lx, ly)) return nullptr;
    // The most recently created child lies on top.
    for (size_t i = c->children.size(); i-- > 0;)
        if (Control* hit = HitInTree(c->children[i], lx, ly)) return hit;
    return c;
}

Control* ControlAtPoint(float x, float y) { return g_gui.activeSheet ? HitInTree(g_gui.activeSheet, x, y) : nullptr; }

static Control* ControlUnderPointer() {
    float mx, my;
    GetMousePos(&mx, &my);
    return ControlAtPoint(mx, my);
}

// The capture holds only while the pointer stays inside the capturing control.
static Control* LiveCapture() {
    if (g_gui.capture && g_gui.capture->MouseInside()) return g_gui.capture;
    g_gui.capture = nullptr;
    return nullptr;
}

// ---- focus ----------------------------------------------------------------------------------

// A focus handler (GetFocus, LoseFocus) that moves the focus would otherwise start a
// walk inside the walk that called it, and two controls that each take the focus back
// when they lose it recurse without end. So a change asked for during a walk waits:
// only the latest such request is kept, and it runs when the walk is over. Follow-ups
// are capped so that such a ping-pong settles on the last one allowed.
constexpr int kMaxFocusFollowUps = 8;

static void WalkFocusChange(Control* n) {
    Control* o = g_gui.focus;
    g_gui.focus = n;
    RequestFrame();
    ++g_gui.focusWalks;
    // LoseFocus climbs from the old focus until it reaches the new focus or a control
    // inside it; GetFocus then climbs from the new focus up to where that climb stopped.
    Control* stop = nullptr;
    if (o) {
        o->OnLoseFocus();
        Control* p = o->parent;
        while (p && p != n && !(n && n->Contains(p))) {
            p->OnLoseFocus();
            p = p->parent;
        }
        stop = p;
    }
    if (n) {
        n->OnGetFocus();
        for (Control* a = n->parent; a && a != stop; a = a->parent) a->OnGetFocus();
    }
    --g_gui.focusWalks;
}

void ChangeFocus(Control* n) {
    if (g_gui.focusWalks > 0) {
        g_gui.pendingFocus = n;
        g_gui.focusPending = true;
        return;
    }
    DeferFrees keep;  // a handler may destroy a control the walk is still climbing through
    WalkFocusChange(n);
    for (int followUps = 0; g_gui.focusPending && followUps < kMaxFocusFollowUps; ++followUps) {
        Control* next = g_gui.pendingFocus;
        g_gui.focusPending = false;
        if (next != g_gui.focus && !(next && next->destroying)) WalkFocusChange(next);
    }
    g_gui.focusPending = false;  // beyond the cap: dropped
    g_gui.pendingFocus = nullptr;
}

// A modal control keeps the focus: only it and its descendants may take it.
static bool ModalAllows(const Control* c) { return !g_gui.modal || g_gui.modal->Contains(c); }

bool SetFocusTo(const char* name) {
    Control* c = FindControl(name);
    if (!c) return false;
    if (!ModalAllows(c)) return false;
    ChangeFocus(c);
    return true;
}

// ---- Tab navigation -------------------------------------------------------------------------

static Control* TabRootOf(Control* c) {
    Control* top = c;
    for (Control* a = c; a; a = a->parent) {
        if (a->cls && a->cls->tabRoot) return a;
        top = a;
    }
    return top;
}

struct TabSearch {
    int from;
    int best = 32000;
    bool wrap = false;
};

// Pre-order walk. Every improving candidate takes the focus on the way, as the focus
// events of the intermediate candidates are part of the navigation's observable order.
static void VisitTabOrder(Control* c, TabSearch& s) {
    if (!c->visible) return;  // what cannot be seen cannot be typed into: its subtree neither
    if (c->tabStop != -1) {
        int d = c->tabStop - s.from;
        bool better = s.wrap ? c->tabStop < s.best : (d > 0 && d < s.best);
        if (better) {
            ChangeFocus(c);
            s.best = s.wrap ? c->tabStop : d;
        }
    }
    for (size_t i = 0; i < c->children.size(); ++i) VisitTabOrder(c->children[i], s);
}

static void TabNavigate() {
    if (!g_gui.focus) ChangeFocus(g_gui.activeSheet);
    Control* focus = g_gui.focus;
    if (!focus) return;
    TabSearch search{focus->tabStop < 0 ? 0 : focus->tabStop};
    Control* root = TabRootOf(focus);
    VisitTabOrder(root, search);
    if (search.best == 32000) {
        search.wrap = true;
        VisitTabOrder(root, search);
    }
}

// ---- input entries --------------------------------------------------------------------------

static void MouseDown(uint8_t key) {
    HideToolTip();
    if (Control* cap = LiveCapture()) {
        cap->OnMouseDown(key);
        return;
    }
    Control* under = ControlUnderPointer();
    if (key == KEY_WHEEL_UP || key == KEY_WHEEL_DOWN) {
        // The wheel scrolls what lies under the pointer without taking the focus.
        if (under) under->OnMouseDown(key);
        return;
    }
    Control* previous = g_gui.focus;
    if (under != previous) ChangeFocus(under);
    if (!ModalAllows(g_gui.focus)) {
        ChangeFocus(previous);
        return;
    }
    if (under) under->OnMouseDown(key);
}

void GuiKeyDown(uint8_t key) {
    if (!g_gui.activeSheet) return;
    if (IsMouseKey(key)) {
        MouseDown(key);
        return;
    }
    if (g_gui.shortcutKey && !g_gui.modal && g_gui.shortcutKey(key)) {
        g_gui.keyDownTarget = nullptr;  // its release belongs to nobody either
        if (g_gui.inputHandled) g_gui.inputHandled();
        return;
    }
    g_gui.keyDownTarget = g_gui.focus;
    if (key == kKeyTab && !IsKeyDown(KEY_LALT)) TabNavigate();
    if (g_gui.focus) g_gui.focus->OnKeyDown(key);
    if (g_gui.inputHandled) g_gui.inputHandled();
}

void GuiKeyUp(uint8_t key) {
    if (!g_gui.activeSheet || !g_gui.focus) return;
    if (IsMouseKey(key)) {
        // A click is a press and a release over the same (focused) control.
        if (Control* cap = LiveCapture())
            cap->OnClick(key);
        else if (g_gui.focus->MouseInside())
            g_gui.focus->OnClick(key);
        return;
    }
    if (g_gui.keyDownTarget) g_gui.keyDownTarget->OnKeyUp(key);
}

void GuiChar(uint16_t ch) {
    if (!g_gui.activeSheet || !g_gui.focus) return;
    g_gui.focus->OnChar(ch);
    if (g_gui.inputHandled) g_gui.inputHandled();
}

void GuiDoubleClick(uint8_t key) {
    if (!g_gui.activeSheet || !g_gui.focus) return;
    if (Control* cap = LiveCapture())
        cap->OnDoubleClick(key);
    else
        g_gui.focus->OnDoubleClick(key);
}

void GuiMouseMove(float dx, float dy) {
    if (!g_gui.activeSheet) return;
    HideToolTip();
    if (Control* cap = LiveCapture()) {
        cap->OnMouseMove(dx, dy);
        return;
    }
    // The move belongs to where the pointer came from.
    float mx, my;
    GetMousePos(&mx, &my);
    if (Control* c = ControlAtPoint(mx - dx, my - dy)) c->OnMouseMove(dx, dy);
}
