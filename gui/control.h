// control.h - the base of every GUI control: the `Control` node with its fixed virtual
// interface, the two event-carrying layers `EventControl` and `TipControl`, and the
// property and event tables through which controls are configured by name.
// Depends on render/ (fonts) only through an opaque pointer; the registry is gui.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

struct Font;
struct ControlClass;

// ---- property types -----------------------------------------------------------------
//
// Every property has a type code; the code fixes how many bytes a value has, and so
// how many bytes `SetControlProperty` copies from the caller's pointer into the field.
// Pointer-valued types (Texture, SurfacePtr, FontPtr, Function) are pointer-sized, so the
// matching field must be a pointer. Colours, Background included, are always 4 bytes:
// a background picture goes through a pointer-typed property of its own
// ("BackgroundSurface" and the like), never through the 4-byte colour.
enum PropertyType : int32_t {
    PROP_BOOL = 1,            // uint8_t, 0 or 1
    PROP_SHORT = 3,           // int16_t
    PROP_INT = 4,             // int32_t
    PROP_FLOAT = 5,           // float
    PROP_COLOR = 7,           // Color (uint32_t, R in the lowest byte)
    PROP_STRING = 8,          // std::string field; the value passed is a const char*
    PROP_TEXTURE = 9,         // Texture*
    PROP_SURFACE = 10,        // Surface*
    PROP_FONT = 13,           // Font*
    PROP_BACKGROUND = 14,     // Color: a background colour
    PROP_ENUM = 15,           // uint8_t
    PROP_SKIN = 16,           // the dialog skin record (size given by the listing class)
    PROP_SCROLLBARSKIN = 17,  // the scroll-bar skin record (size given by the listing class)
    PROP_FUNCTION = 18,       // void (*)(): a drawing function of the application
};

// Size in bytes of a value of the type; 0 for String (variable) and for the two skin
// types, whose size only the class that owns the record knows (see PropertyList::Add).
int PropertyTypeSize(int32_t type);

// One row of a class's property table.
struct PropertyEntry {
    const char* name = nullptr;     // static string, e.g. "TextColor"
    int32_t type = 0;               // PropertyType
    const char* comment = nullptr;  // help text for tools ("MaxLen:31"); never interpreted
    void* field = nullptr;          // while listing: the field's address in the listing control
    ptrdiff_t offset = 0;           // once the table is built: the field's offset in any instance
    int32_t size = 0;               // bytes copied for non-String types
};

// One row of a class's event table.
struct EventEntry {
    const char* name = nullptr;
    void* field = nullptr;  // while listing: the handler field's address
    ptrdiff_t offset = 0;   // once the table is built
};

// ---- event handlers -------------------------------------------------------------------
//
// Handlers are plain functions of the application. Their parameter lists depend on the
// event; the tables store them all in the generic `GuiHandler` form.
using GuiHandler = void (*)();
using KeyHandler = void (*)(int32_t key);          // KeyDown, KeyUp, MouseDown, Click, DoubleClick
using MotionHandler = void (*)(float a, float b);  // MouseMove (dx, dy), Move (x, y), Size (old w, h)
using PlainHandler = void (*)();                   // Show, Hide, Destroy, GetFocus, LoseFocus

// Raising an event: call the handler if one is bound. Controls use this for their own
// events too: `Raise(select, index);`.
template <class Handler, class... Args>
inline void Raise(Handler handler, Args... args) {
    if (handler) handler(args...);
}

// ---- listing helpers ------------------------------------------------------------------
//
// `ListProperties` and `ListEvents` are called twice per class: once with a null table to
// count the rows and once to fill them. A class writes its own rows first and then hands
// the rest of the table to its base layer:
//
//     int Sheet::ListProperties(PropertyEntry* table) {
//         PropertyList list(table);
//         list.Add("Background", PROP_BACKGROUND, nullptr, &background);
//         list.Add("BackgroundSurface", PROP_SURFACE, nullptr, &backgroundSurface);
//         return list.count + EventControl::ListProperties(list.Rest());
//     }
//
// A class with events of its own does the same in `ListEvents` with `EventList`:
//
//     int ListBox::ListEvents(EventEntry* table) {
//         EventList list(table);
//         list.Add("Select", &select);
//         return list.count + ScrollBar::ListEvents(list.Rest());
//     }
struct PropertyList {
    PropertyEntry* table;
    int count = 0;

    explicit PropertyList(PropertyEntry* t) : table(t) {}
    // The field's own type is checked against the type code: a String property needs a
    // std::string field, and no field may be smaller than the bytes the API copies into it.
    template <class T>
    void Add(const char* name, int32_t type, const char* comment, T* field) {
        int32_t size = PropertyTypeSize(type);
        if (type == PROP_SKIN || type == PROP_SCROLLBARSKIN) size = int32_t(sizeof(T));
        CheckField(type, size, sizeof(T), std::is_same_v<T, std::string>);
        if (table) table[count] = {name, type, comment, field, 0, size};
        ++count;
    }
    PropertyEntry* Rest() const { return table ? table + count : nullptr; }

  private:
    static void CheckField(int32_t type, int32_t size, size_t fieldSize, bool isString);
};

struct EventList {
    EventEntry* table;
    int count = 0;

    explicit EventList(EventEntry* t) : table(t) {}
    template <class Handler>
    void Add(const char* name, Handler* field) {
        static_assert(std::is_pointer_v<Handler> && std::is_function_v<std::remove_pointer_t<Handler>>,
                      "an event field is a plain function pointer");
        if (table) table[count] = {name, field, 0};
        ++count;
    }
    EventEntry* Rest() const { return table ? table + count : nullptr; }
};

// ---- Control --------------------------------------------------------------------------
//
// Writing a control class, in short:
//
//     class Shape : public EventControl {          // or Control (no events), TipControl (tooltip, Font)
//     public:
//         Color color = MakeColor(0, 0, 0);       // a property field
//         std::string text;                        // String properties are std::string
//         KeyHandler toggle = nullptr;             // an event of its own
//
//         void Draw() override { ... }             // draws at x, y: the GUI has translated to
//                                                  // the parent's screen position
//         void OnClick(int32_t key) override {
//             Raise(toggle, key);                  // raise its own event...
//             EventControl::OnClick(key);          // ...and keep the common one
//         }
//         int ListProperties(PropertyEntry* t) override;  // see PropertyList above
//         int ListEvents(EventEntry* t) override;          // see EventList above
//     };
//     Control* NewShape() { return new Shape; }
//
// and one row for the class in gui/class_table.cpp. Draw, Update and the input
// operations are called by the dispatcher (gui.h); a control never deletes itself or
// another control except through `DestroyControl`.
//
// A named node of the control tree, placed relative to its parent. The registry
// (gui.h) creates controls through their class's factory, owns them and destroys them;
// application code addresses them by name. The virtual interface below is fixed: a
// concrete class overrides what it needs and leaves the rest to its base layer.
class Control {
  public:
    ControlClass* cls = nullptr;  // set by the registry at creation
    char name[32] = {};           // unique, case-sensitive, up to 31 characters
    uint8_t visible = 1;          // an invisible control hides its whole subtree
    int16_t tabStop = -1;         // tab index; -1 (65535) means not a tab stop
    float x = 0, y = 0;           // top-left, relative to the parent's top-left
    float w = 0, h = 0;
    Control* parent = nullptr;       // null for a top-level control (a sheet)
    std::vector<Control*> children;  // creation order = drawing order; owned by the registry
    // Set when its destruction begins: a `Destroy` handler may destroy an ancestor (or
    // anything else) again, and that call must leave a control that is already going alone.
    uint8_t destroying = 0;

    Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    // Frees what the control owns (its String fields are std::string members).
    virtual ~Control() = default;

    // The virtual interface, in its fixed order.
    virtual void Draw() {}
    virtual void Update(float dt) { (void)dt; }
    virtual void OnKeyDown(int32_t key) { (void)key; }
    virtual void OnKeyUp(int32_t key) { (void)key; }
    virtual void OnMouseDown(int32_t key) { (void)key; }
    virtual void OnClick(int32_t key) { (void)key; }  // button released over the control
    virtual void OnMouseMove(float dx, float dy) { (void)dx, (void)dy; }
    virtual void OnDoubleClick(int32_t key) { (void)key; }
    virtual void OnChar(int32_t ch) { (void)ch; }
    virtual void Show() {}  // after `Visible` was set to 1 through the API
    virtual void Hide() {}  // after `Visible` was set to 0 through the API
    virtual void Move(float nx, float ny) { x = nx, y = ny; }
    virtual void Size(float nw, float nh) { w = nw, h = nh; }
    virtual void OnGetFocus() {}
    virtual void OnLoseFocus() {}
    // Table-driven: look the name up in the class's property table and copy the value.
    virtual bool SetProperty(const char* prop, const void* value);
    // Copies the value into dest (if not null) and returns its size in bytes (for a String
    // the length plus the terminator, so an empty string reads as 1); 0 when unknown.
    virtual int GetProperty(const char* prop, void* dest);
    virtual bool BindEvent(const char* event, GuiHandler handler);
    virtual GuiHandler GetEventHandler(const char* event);
    // (px, py) in the control's own coordinates; edges count as inside.
    virtual bool HitTest(float px, float py) { return px >= 0 && px <= w && py >= 0 && py <= h; }
    virtual int ListProperties(PropertyEntry* table) {
        (void)table;
        return 0;
    }
    virtual int ListEvents(EventEntry* table) {
        (void)table;
        return 0;
    }
    // Called by the registry right before the control is deleted, with the control
    // already out of the tree and the registry; the event layers raise `Destroy` here.
    virtual void OnDestroy() {}

    // Helpers for controls.
    void ScreenPos(float* sx, float* sy) const;   // top-left in screen coordinates
    void MouseLocal(float* px, float* py) const;  // pointer in own coordinates
    bool MouseInside() const;                     // HitTest of the pointer
    bool HasFocus() const;                        // this control is the focus
    bool Contains(const Control* c) const;        // c is this control or inside it
};

// ---- EventControl ---------------------------------------------------------------------
//
// Adds the 13 common events: every input operation raises its event, `Move` and `Size`
// raise theirs before storing the new values, destruction raises `Destroy`.
class EventControl : public Control {
  public:
    KeyHandler keyDown = nullptr;
    KeyHandler keyUp = nullptr;
    KeyHandler mouseDown = nullptr;
    KeyHandler click = nullptr;
    MotionHandler mouseMove = nullptr;
    KeyHandler doubleClick = nullptr;
    PlainHandler show = nullptr;
    PlainHandler hide = nullptr;
    PlainHandler destroy = nullptr;
    MotionHandler move = nullptr;
    MotionHandler size = nullptr;
    PlainHandler getFocus = nullptr;
    PlainHandler loseFocus = nullptr;

    void OnKeyDown(int32_t key) override { Raise(keyDown, key); }
    void OnKeyUp(int32_t key) override { Raise(keyUp, key); }
    void OnMouseDown(int32_t key) override { Raise(mouseDown, key); }
    void OnClick(int32_t key) override { Raise(click, key); }
    void OnMouseMove(float dx, float dy) override { Raise(mouseMove, dx, dy); }
    void OnDoubleClick(int32_t key) override { Raise(doubleClick, key); }
    void Show() override;
    void Hide() override;
    // The handler sees the new position; `Size` hands it the size before the change.
    void Move(float nx, float ny) override;
    void Size(float nw, float nh) override;
    void OnGetFocus() override { Raise(getFocus); }
    void OnLoseFocus() override { Raise(loseFocus); }
    // The 13 common events: KeyDown, KeyUp, MouseDown, Click, MouseMove, DoubleClick,
    // Show, Hide, Destroy, Move, Size, GetFocus, LoseFocus.
    int ListEvents(EventEntry* table) override;
    void OnDestroy() override { Raise(destroy); }

  private:
    // The events whose handler is running right now (one bit each for Show, Hide, Move
    // and Size): a handler that hides its own control from Hide, or moves it from Move,
    // changes it without raising its own event again, which would never end.
    uint8_t raising = 0;
    template <class F>
    void RaiseOnce(uint8_t bit, F raise);
};

// ---- TipControl -----------------------------------------------------------------------
//
// An EventControl with a `Font` and a hover tooltip: after the pointer has rested on the
// control for about 1.26 s the `ToolTipText` shows (fading in), once per rest; any
// pointer move over the control re-arms it.
class TipControl : public EventControl {
  public:
    static constexpr float kTipDelay = 1.5f;  // seconds; shown once the timer falls to 0.24

    float tipTimer = kTipDelay;
    Font* font = nullptr;     // the GUI default font (the current font) at construction
    std::string toolTipText;  // empty: no tooltip

    TipControl();
    void Update(float dt) override;
    void OnMouseMove(float dx, float dy) override;
    bool SetProperty(const char* prop, const void* value) override;
    int ListProperties(PropertyEntry* table) override;  // Font, ToolTipText
};
