// registry.cpp - the class registry and the registry of live controls, with the by-name
// API on top of them: create, find, configure, wire and destroy controls, the value
// helpers and the last-error code.
#include <algorithm>
#include <cstring>

#include "engine/engine.h"
#include "gui/gui.h"

GuiState g_gui;

// Names are ordered byte by byte as signed characters; a prefix sorts first. (Plain
// strcmp compares unsigned bytes, which orders UTF-8 names differently.)
static int CompareNames(const char* a, const char* b) {
    for (;; ++a, ++b) {
        signed char ca = static_cast<signed char>(*a), cb = static_cast<signed char>(*b);
        if (ca != cb) {
            if (ca == 0) return -1;
            if (cb == 0) return 1;
            return ca < cb ? -1 : 1;
        }
        if (ca == 0) return 0;
    }
}

int32_t GuiLastError() { return g_gui.lastError; }
void SetGuiError(int32_t code) { g_gui.lastError = code; }

// ---- class registry -----------------------------------------------------------------------

// A class may list a name twice (a Dialog lists its own "Move" slot ahead of the common
// events' "Move"); the tables keep listing order among equal names, and a lookup finds
// the last one listed, which is the common layer's.
template <class Entry>
static const Entry* FindByName(const std::vector<Entry>& table, const char* name) {
    auto it = std::upper_bound(table.begin(), table.end(), name,
                               [](const char* n, const Entry& e) { return CompareNames(n, e.name) < 0; });
    if (it == table.begin()) return nullptr;
    --it;
    return CompareNames(it->name, name) == 0 ? &*it : nullptr;
}

const PropertyEntry* ControlClass::FindProperty(const char* prop) const {
    return prop ? FindByName(properties, prop) : nullptr;
}

const EventEntry* ControlClass::FindEvent(const char* event) const {
    return event ? FindByName(events, event) : nullptr;
}

static auto ClassPlace(const char* name) {
    return std::lower_bound(
        g_gui.classes.begin(), g_gui.classes.end(), name,
        [](const std::unique_ptr<ControlClass>& c, const char* n) { return CompareNames(c->name, n) < 0; });
}

bool RegisterControlClass(void (*fill)(ControlClass* cls)) {
    if (!fill || int(g_gui.classes.size()) >= kMaxControlClasses) return false;
    auto cls = std::make_unique<ControlClass>();
    fill(cls.get());
    cls->name[sizeof cls->name - 1] = 0;
    cls->propertyCount = -1, cls->eventCount = -1;
    cls->properties.clear(), cls->events.clear();
    if (!cls->name[0] || !cls->factory) return false;
    auto place = ClassPlace(cls->name);
    if (place != g_gui.classes.end() && CompareNames((*place)->name, cls->name) == 0) return false;
    g_gui.classes.insert(place, std::move(cls));
    return true;
}

ControlClass* FindControlClass(const char* name) {
    if (!name) return nullptr;
    auto place = ClassPlace(name);
    return place != g_gui.classes.end() && CompareNames((*place)->name, name) == 0 ? place->get() : nullptr;
}

int ControlClassCount() { return int(g_gui.classes.size()); }
ControlClass* ControlClassAt(int index) {
    return index >= 0 && index < ControlClassCount() ? g_gui.classes[size_t(index)].get() : nullptr;
}

// Builds the class's tables from its first instance: the listed field addresses become
// offsets, valid for every instance of the class.
static void BuildClassTables(ControlClass* cls, Control* first) {
    const char* base = reinterpret_cast<const char*>(first);
    if (cls->propertyCount < 0) {
        int n = first->ListProperties(nullptr);
        cls->properties.assign(size_t(std::max(n, 0)), PropertyEntry{});
        if (n > 0) first->ListProperties(cls->properties.data());
        for (PropertyEntry& e : cls->properties) e.offset = static_cast<const char*>(e.field) - base, e.field = nullptr;
        std::stable_sort(
            cls->properties.begin(), cls->properties.end(),
            [](const PropertyEntry& a, const PropertyEntry& b) { return CompareNames(a.name, b.name) < 0; });
        cls->propertyCount = int16_t(cls->properties.size());
    }
    if (cls->eventCount < 0) {
        int n = first->ListEvents(nullptr);
        cls->events.assign(size_t(std::max(n, 0)), EventEntry{});
        if (n > 0) first->ListEvents(cls->events.data());
        for (EventEntry& e : cls->events) e.offset = static_cast<const char*>(e.field) - base, e.field = nullptr;
        std::stable_sort(cls->events.begin(), cls->events.end(),
                         [](const EventEntry& a, const EventEntry& b) { return CompareNames(a.name, b.name) < 0; });
        cls->eventCount = int16_t(cls->events.size());
    }
}

// ---- control registry ---------------------------------------------------------------------

// Live controls are kept sorted by name; the array grows 256 entries at a time.
constexpr size_t kRegistryStep = 256;
// TabStop is 16-bit and -1 means "none": more live controls than this cannot be told apart.
constexpr size_t kMaxControls = 65535;

static auto ControlPlace(const char* name) {
    return std::lower_bound(
        g_gui.controls.begin(), g_gui.controls.end(), name,
        [](const std::unique_ptr<Control>& c, const char* n) { return CompareNames(c->name, n) < 0; });
}

static Control* LookUp(const char* name) {
    if (!name) return nullptr;
    auto place = ControlPlace(name);
    return place != g_gui.controls.end() && CompareNames((*place)->name, name) == 0 ? place->get() : nullptr;
}

Control* FindControl(const char* name) {
    Control* c = LookUp(name);
    if (!c) SetGuiError(GUI_ERR_NAME);
    return c;
}

int ControlCount() { return int(g_gui.controls.size()); }
Control* ControlAt(int index) {
    return index >= 0 && index < ControlCount() ? g_gui.controls[size_t(index)].get() : nullptr;
}

static bool NameAllowed(const char* name) {
    size_t n = 0;
    for (; name[n]; ++n)
        if (static_cast<unsigned char>(name[n]) < 32 || n >= sizeof Control::name - 1) return false;
    return true;
}

static Control* Create(const char* clsName, const char* name, Control* parent, float x, float y, float w, float h) {
    if (!name) name = "";
    if (LookUp(name)) return nullptr;  // taken: the first control stays, no error code
    // Longer names would not fit the name field; refusing beats silently cutting them
    // (two long names with a common start would then collide).
    if (!NameAllowed(name)) {
        SetGuiError(GUI_ERR_NAME);
        return nullptr;
    }
    ControlClass* cls = FindControlClass(clsName);
    if (!cls) {
        SetGuiError(GUI_ERR_CLASS);
        return nullptr;
    }
    if (g_gui.controls.size() >= kMaxControls) return nullptr;
    if (g_gui.controls.size() == g_gui.controls.capacity())
        g_gui.controls.reserve(g_gui.controls.size() + kRegistryStep);

    std::unique_ptr<Control> owned(cls->factory());
    if (!owned) return nullptr;
    Control* c = owned.get();
    if (w != 0 && h != 0) {
        c->Move(x, y);
        c->Size(w, h);
    }
    c->cls = cls;
    c->children.clear();
    c->visible = 1;
    std::strcpy(c->name, name);
    c->tabStop = cls->tabStopByDefault ? int16_t(g_gui.controls.size()) : int16_t(-1);
    c->parent = parent;
    if (parent) {
        auto& kids = parent->children;
        if (kids.size() == kids.capacity()) kids.reserve(kids.size() + 64);
        kids.push_back(c);
    }
    g_gui.controls.insert(ControlPlace(name), std::move(owned));
    BuildClassTables(cls, c);
    RequestFrame();
    return c;
}

Control* CreateControl(const char* cls, const char* name, const char* parent, float x, float y, float w, float h) {
    Control* p = nullptr;
    if (parent) {
        p = LookUp(parent);
        if (!p) {
            SetGuiError(GUI_ERR_PARENT);
            return nullptr;
        }
    }
    return Create(cls, name, p, x, y, w, h);
}

Control* CreateTopControl(const char* cls, const char* name, const char*, float x, float y, float w, float h) {
    return Create(cls, name, nullptr, x, y, w, h);
}

bool SetActiveSheet(const char* name) {
    g_gui.focus = nullptr;
    if (!name || !name[0]) {
        g_gui.activeSheet = nullptr;
        RequestFrame();
        return true;
    }
    Control* c = FindControl(name);
    if (!c) return false;
    g_gui.activeSheet = c;
    RequestFrame();
    return true;
}

bool SetControlProperty(const char* name, const char* prop, const void* value) {
    Control* c = FindControl(name);
    if (!c) return false;
    DeferFrees keep;  // a Hide, Move or Size handler may destroy c while its class still works on it
    if (!value) {
        SetGuiError(GUI_ERR_NULL);
        return false;
    }
    if (!prop) prop = "";
    // The placement and visibility properties belong to every control and go through
    // the virtual operations, so that classes see (and may react to) the change.
    auto f = [value] { return *static_cast<const float*>(value); };
    if (!std::strcmp(prop, "Visible")) {
        c->visible = *static_cast<const uint8_t*>(value);
        if (c->visible == 1)
            c->Show();
        else
            c->Hide();
    } else if (!std::strcmp(prop, "x")) {
        c->Move(f(), c->y);
    } else if (!std::strcmp(prop, "y")) {
        c->Move(c->x, f());
    } else if (!std::strcmp(prop, "w")) {
        c->Size(f(), c->h);
    } else if (!std::strcmp(prop, "h")) {
        c->Size(c->w, f());
    } else if (!std::strcmp(prop, "TabStop")) {
        std::memcpy(&c->tabStop, value, sizeof c->tabStop);
    } else if (!c->SetProperty(prop, value)) {
        SetGuiError(GUI_ERR_PROPERTY);
        return false;
    }
    RequestFrame();
    return true;
}

bool GetControlProperty(const char* name, const char* prop, void* dest) {
    Control* c = FindControl(name);
    if (!c) return false;
    if (!prop) prop = "";
    auto put = [dest](const void* src, size_t n) {
        if (dest) std::memcpy(dest, src, n);
        return true;
    };
    if (!std::strcmp(prop, "Visible")) return put(&c->visible, 1);
    if (!std::strcmp(prop, "x")) return put(&c->x, 4);
    if (!std::strcmp(prop, "y")) return put(&c->y, 4);
    if (!std::strcmp(prop, "w")) return put(&c->w, 4);
    if (!std::strcmp(prop, "h")) return put(&c->h, 4);
    if (!std::strcmp(prop, "TabStop")) return put(&c->tabStop, 2);
    if (c->GetProperty(prop, dest) == 0) {
        SetGuiError(GUI_ERR_PROPERTY);
        return false;
    }
    return true;
}

bool BindControlEvent(const char* name, const char* event, GuiHandler handler) {
    Control* c = FindControl(name);
    if (!c) return false;
    if (!c->BindEvent(event ? event : "", handler)) {
        SetGuiError(GUI_ERR_EVENT);
        return false;
    }
    return true;
}

// ---- destruction --------------------------------------------------------------------------

// Forgets every dispatch reference into the subtree of c, so that nothing points at a
// freed control afterwards.
static void ForgetSubtree(Control* c) {
    if (c->Contains(g_gui.capture)) g_gui.capture = nullptr;
    if (c->Contains(g_gui.modal)) g_gui.modal = nullptr;
    if (c->Contains(g_gui.keyDownTarget)) g_gui.keyDownTarget = nullptr;
    if (c->Contains(g_gui.activeSheet)) g_gui.activeSheet = nullptr, g_gui.focus = nullptr;
    if (c->Contains(g_gui.focus)) g_gui.focus = nullptr;
    if (g_gui.pendingFocus && c->Contains(g_gui.pendingFocus)) g_gui.focusPending = false, g_gui.pendingFocus = nullptr;
}

// The last child whose destruction has not begun yet (one that has begun is finished
// by the call that began it).
static Control* LastChildToDestroy(const Control* c) {
    for (size_t i = c->children.size(); i-- > 0;)
        if (!c->children[i]->destroying) return c->children[i];
    return nullptr;
}

static void DestroySubtree(Control* c) {
    if (c->destroying) return;
    c->destroying = 1;
    // Last child first; a Destroy handler may remove siblings or ancestors, so look
    // again after each one.
    while (Control* child = LastChildToDestroy(c)) DestroySubtree(child);
    if (c->parent) {
        auto& kids = c->parent->children;
        kids.erase(std::remove(kids.begin(), kids.end(), c), kids.end());
    }
    for (auto it = g_gui.controls.begin(); it != g_gui.controls.end(); ++it) {
        if (it->get() == c) {
            g_gui.destroyed.push_back(std::move(*it));
            g_gui.controls.erase(it);
            break;
        }
    }
    c->parent = nullptr;
    c->OnDestroy();
}

// A pointer that the handlers left on a destroyed control (a handler may focus one
// that was still registered) is cleared before the control is freed.
static bool Destroyed(const Control* c) { return c && c->destroying; }
static void ForgetDestroyed() {
    if (Destroyed(g_gui.activeSheet)) g_gui.activeSheet = nullptr;
    if (Destroyed(g_gui.focus)) g_gui.focus = nullptr;
    if (Destroyed(g_gui.capture)) g_gui.capture = nullptr;
    if (Destroyed(g_gui.modal)) g_gui.modal = nullptr;
    if (Destroyed(g_gui.keyDownTarget)) g_gui.keyDownTarget = nullptr;
    if (Destroyed(g_gui.pendingFocus)) g_gui.focusPending = false, g_gui.pendingFocus = nullptr;
}

DeferFrees::DeferFrees() { ++g_gui.destroyDepth; }

DeferFrees::~DeferFrees() {
    if (--g_gui.destroyDepth > 0) return;
    ForgetDestroyed();
    // Moved out first: a destructor must not see the list change under it.
    std::vector<std::unique_ptr<Control>> freed = std::move(g_gui.destroyed);
    g_gui.destroyed.clear();
}

bool DestroyControl(const char* name) {
    Control* c = nullptr;
    for (auto& p : g_gui.controls)
        if (name && CompareNames(p->name, name) == 0) c = p.get();
    if (!c) {
        SetGuiError(GUI_ERR_DESTROY);
        return false;
    }
    if (c->destroying) return true;  // a handler asked again for what is already going
    DeferFrees keep;
    if (c->Contains(g_gui.focus)) {
        // The sheet itself may be going away: then nobody keeps the focus.
        ChangeFocus(c->Contains(g_gui.activeSheet) ? nullptr : g_gui.activeSheet);
    }
    ForgetSubtree(c);
    DestroySubtree(c);
    RequestFrame();
    return true;
}

// ---- value helpers ------------------------------------------------------------------------

namespace {
// Zero-filled 8 bytes: a value passed to a property of a wider type than meant reads
// zeros rather than a neighbour's bytes.
union ValueSlot {
    uint64_t raw;
    uint8_t u8;
    int16_t i16;
    int32_t i32;
    float f32;
    uint32_t u32;
};
ValueSlot g_boolSlot, g_enumSlot, g_shortSlot, g_intSlot, g_floatSlot, g_colorSlot;
}  // namespace

const uint8_t* ValBool(bool value) {
    g_boolSlot.raw = 0, g_boolSlot.u8 = value ? 1 : 0;
    return &g_boolSlot.u8;
}
const uint8_t* ValEnum(uint8_t value) {
    g_enumSlot.raw = 0, g_enumSlot.u8 = value;
    return &g_enumSlot.u8;
}
const int16_t* ValShort(int16_t value) {
    g_shortSlot.raw = 0, g_shortSlot.i16 = value;
    return &g_shortSlot.i16;
}
const int32_t* ValInt(int32_t value) {
    g_intSlot.raw = 0, g_intSlot.i32 = value;
    return &g_intSlot.i32;
}
const float* ValFloat(float value) {
    g_floatSlot.raw = 0, g_floatSlot.f32 = value;
    return &g_floatSlot.f32;
}
const uint32_t* ValColor(uint32_t rgba) {
    g_colorSlot.raw = 0, g_colorSlot.u32 = rgba;
    return &g_colorSlot.u32;
}
