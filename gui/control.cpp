// control.cpp - the default behaviour of the control layers: table-driven properties
// and events, the common events of EventControl and the hover tooltip of TipControl.
#include "gui/control.h"

#include <cassert>
#include <cstring>

#include "engine/engine.h"
#include "gui/gui.h"
#include "render/font.h"

int PropertyTypeSize(int32_t type) {
    switch (type) {
        case 0:
            return 0;
        case PROP_BOOL:
            return 1;
        case 2:
            return 1;
        case PROP_SHORT:
            return 2;
        case PROP_INT:
            return 4;
        case PROP_FLOAT:
            return 4;
        case 6:
            return 8;
        case PROP_COLOR:
            return 4;
        case PROP_STRING:
            return 0;
        case PROP_TEXTURE:
        case PROP_SURFACE:
        case PROP_FONT:
        case PROP_FUNCTION:
            return int(sizeof(void*));
        case 11:
        case 12:
            return 2;
        case PROP_BACKGROUND:
            return 4;
        case PROP_ENUM:
            return 1;
        default:
            return 0;  // the skins: sized by their class; unknown codes copy nothing
    }
}

void PropertyList::CheckField(int32_t type, int32_t size, size_t fieldSize, bool isString) {
    // A mismatch here would let the API write past the field: catch it in any debug run.
    assert((type == PROP_STRING) == isString && "a String property needs a std::string field");
    assert((isString || size_t(size) <= fieldSize) && "field smaller than its property type");
    (void)type, (void)size, (void)fieldSize, (void)isString;
}

// ---- Control ----------------------------------------------------------------------------

static void* FieldOf(Control* c, ptrdiff_t offset) { return reinterpret_cast<char*>(c) + offset; }

bool Control::SetProperty(const char* prop, const void* value) {
    const PropertyEntry* e = cls ? cls->FindProperty(prop) : nullptr;
    if (!e) {
        SetGuiError(GUI_ERR_NAME);
        return false;
    }
    void* field = FieldOf(this, e->offset);
    if (e->type == PROP_STRING) {
        // A null pointer is taken as the empty text rather than read.
        *static_cast<std::string*>(field) = value ? static_cast<const char*>(value) : "";
    } else if (value) {
        std::memcpy(field, value, size_t(e->size));
    }
    return true;
}

int Control::GetProperty(const char* prop, void* dest) {
    const PropertyEntry* e = cls ? cls->FindProperty(prop) : nullptr;
    if (!e) return 0;
    const void* field = FieldOf(this, e->offset);
    if (e->type == PROP_STRING) {
        const std::string& s = *static_cast<const std::string*>(field);
        if (dest) std::memcpy(dest, s.c_str(), s.size() + 1);
        // Length plus terminator: an empty text still reads successfully.
        return int(s.size() + 1);
    }
    if (dest) std::memcpy(dest, field, size_t(e->size));
    return e->size;
}

bool Control::BindEvent(const char* event, GuiHandler handler) {
    if (!cls || cls->eventCount <= 0) return false;
    const EventEntry* e = cls->FindEvent(event);
    if (!e) {
        SetGuiError(GUI_ERR_NAME);
        return false;
    }
    std::memcpy(FieldOf(this, e->offset), &handler, sizeof handler);
    return true;
}

GuiHandler Control::GetEventHandler(const char* event) {
    if (!cls || cls->eventCount <= 0) return nullptr;
    const EventEntry* e = cls->FindEvent(event);
    if (!e) {
        SetGuiError(GUI_ERR_NAME);
        return nullptr;
    }
    GuiHandler handler;
    std::memcpy(&handler, FieldOf(this, e->offset), sizeof handler);
    return handler;
}

void Control::ScreenPos(float* sx, float* sy) const {
    float ax = 0, ay = 0;
    for (const Control* c = this; c; c = c->parent) ax += c->x, ay += c->y;
    *sx = ax, *sy = ay;
}

void Control::MouseLocal(float* px, float* py) const {
    float mx, my, sx, sy;
    GetMousePos(&mx, &my);
    ScreenPos(&sx, &sy);
    *px = mx - sx, *py = my - sy;
}

bool Control::MouseInside() const {
    float px, py;
    MouseLocal(&px, &py);
    return const_cast<Control*>(this)->HitTest(px, py);
}

bool Control::HasFocus() const { return g_gui.focus == this; }

bool Control::Contains(const Control* c) const {
    for (; c; c = c->parent)
        if (c == this) return true;
    return false;
}

// ---- EventControl -------------------------------------------------------------------------

namespace {
enum : uint8_t { kRaisingShow = 1, kRaisingHide = 2, kRaisingMove = 4, kRaisingSize = 8 };
}

// The by-name API keeps a control that its handler destroys alive until the call
// returns (DeferFrees), so the bit can be cleared after the handler in any case.
template <class F>
void EventControl::RaiseOnce(uint8_t bit, F raise) {
    if (raising & bit) return;
    raising |= bit;
    raise();
    raising &= static_cast<uint8_t>(~bit);
}

void EventControl::Show() {
    RaiseOnce(kRaisingShow, [&] { Raise(show); });
}

void EventControl::Hide() {
    RaiseOnce(kRaisingHide, [&] { Raise(hide); });
}

void EventControl::Move(float nx, float ny) {
    RaiseOnce(kRaisingMove, [&] { Raise(move, nx, ny); });
    x = nx, y = ny;
}

void EventControl::Size(float nw, float nh) {
    RaiseOnce(kRaisingSize, [&] { Raise(size, w, h); });
    w = nw, h = nh;
}

int EventControl::ListEvents(EventEntry* table) {
    EventList list(table);
    list.Add("KeyDown", &keyDown);
    list.Add("KeyUp", &keyUp);
    list.Add("MouseDown", &mouseDown);
    list.Add("Click", &click);
    list.Add("MouseMove", &mouseMove);
    list.Add("DoubleClick", &doubleClick);
    list.Add("Show", &show);
    list.Add("Hide", &hide);
    list.Add("Destroy", &destroy);
    list.Add("Move", &move);
    list.Add("Size", &size);
    list.Add("GetFocus", &getFocus);
    list.Add("LoseFocus", &loseFocus);
    return list.count + Control::ListEvents(list.Rest());
}

// ---- TipControl ---------------------------------------------------------------------------

TipControl::TipControl() : font(GetFont()) {}

void TipControl::Update(float dt) {
    if (toolTipText.empty()) return;
    // Only what the pointer is really over: not a control that is hidden (or whose
    // parent is), covered by a later sibling, or off the active sheet.
    float px, py;
    GetMousePos(&px, &py);
    if (!Contains(ControlAtPoint(px, py))) return;
    tipTimer -= dt;
    // Above 0.24 the pointer has not rested long enough; below -500 the tip was shown
    // during this rest already and waits for a move to re-arm it.
    if (tipTimer > 0.24f) GuiWakeIn(tipTimer - 0.24f);
    if (tipTimer > 0.24f || tipTimer < -500.0f) return;
    if (tipTimer < 0) tipTimer = 0;
    ShowToolTipAt(toolTipText.c_str(), px, py, (0.25f - tipTimer) * 4.0f);
    tipTimer = -501.0f;
}

void TipControl::OnMouseMove(float dx, float dy) {
    EventControl::OnMouseMove(dx, dy);
    tipTimer = kTipDelay;
}

bool TipControl::SetProperty(const char* prop, const void* value) {
    if (std::strcmp(prop, "ToolTipText") == 0) {
        toolTipText = value ? static_cast<const char*>(value) : "";
        return true;
    }
    return EventControl::SetProperty(prop, value);
}

int TipControl::ListProperties(PropertyEntry* table) {
    PropertyList list(table);
    list.Add("Font", PROP_FONT, nullptr, &font);
    list.Add("ToolTipText", PROP_STRING, nullptr, &toolTipText);
    return list.count + EventControl::ListProperties(list.Rest());
}
