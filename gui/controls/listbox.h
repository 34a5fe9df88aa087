// listbox.h - `ListBox`: a scrolling list of one-line items with optional icons, single
// or multiple selection, keyboard and type-to-select, zebra rows, " ..." shortening of
// items too wide for the list and a tooltip with the whole text of a shortened item.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "gui/controls/scrollbar.h"
#include "render/draw.h"

struct Font;
struct Surface;

// One row of a list. Widths are measured once (when the item is added, or when the
// font, the strip width or the list's size changes), never while drawing.
struct ListItem {
    std::string text;
    Surface* icon = nullptr;    // not owned; null for none
    int32_t visibleLength = 0;  // bytes of text drawn
    uint8_t selected = 0;
    uint8_t shortened = 0;  // 1: only visibleLength bytes are drawn, then " ..."
};

// Item storage grows by this many records at a time, so appending n items costs
// about n / 64 reallocations.
constexpr int kListGrowth = 64;

// Handler of `Select` (an index, or -1 when several items changed) and `Action`.
using IndexHandler = void (*)(int32_t index);

// Cuts an item that is wider than `available` pixels (less the icon's room) so that
// its visible part plus " ..." (ellipsisWidth wide) fits.
void FitItem(ListItem& item, float available, float ellipsisWidth, const Font* font);
// The same rule for any item record: sets *visibleLength and *shortened.
void FitItemText(const std::string& text, bool hasIcon, float available, float ellipsisWidth, const Font* font,
                 int32_t* visibleLength, uint8_t* shortened);

// Draws the first `length` bytes of a row's text (a list row, a cell, a combo box's field)
// in the room from `left` to `right`, current font and colour; `text` runs at least to the
// row's line feed or end. Left-to-right text starts at left. Text whose paragraph reads
// right to left ends at right, so that its first word lines up with the others' first
// words, but never starts left of `left`: one too wide for the room spills to the right
// as left-to-right text does, where the control's own clipping cuts it. A shortened text
// gets " ..." where it reads on: after the text on the right, or before it on the left.
void DrawRowText(float left, float right, float y, std::string_view text, int32_t length, bool shortened);

// The scroll state lives in the inherited bar fields, in pixels: `cBlock` is how far the
// content is moved up, `nBlocks` the largest offset, `Step` one line. The strip of
// `ScrollBarWidth` appears on the right only while the items are higher than the list.
//
// Events: `Select`(index) is raised *before* the current index (and, for SelectItem,
// the item's selected flag) changes, so a handler still sees the item being left in
// `current`. `Action`(current) on a double click, Enter or Space. `MouseDown` is not
// raised for presses on the strip or the wheel while scrolling; `Destroy` is not raised.
class ListBox : public ScrollBar {
  public:
    float hoverTimer = 1.0f;                             // seconds of rest until a shortened item's tooltip
    IndexHandler select = nullptr;                       // `Select`
    IndexHandler action = nullptr;                       // `Action`
    std::vector<ListItem> items;                         // capacity kept a multiple of kListGrowth
    Font* font = nullptr;                                // `Font`; the GUI default font at construction
    int32_t current = -1;                                // last clicked / moved to / selected item, -1: none
    Color color = MakeColor(236, 255, 236);              // `Color`, the background
    Color textColor = MakeColor(0, 0, 0);                // `TextColor`
    Color selectorColor = MakeColor(0, 0, 160);          // `SelectorColor`
    Color selectedTextColor = MakeColor(255, 255, 255);  // `SelectedTextColor`
    uint8_t multiSelect = 0;                             // `MultiSelect`
    float scrollBarWidth = 15.0f;                        // `ScrollBarWidth`

    ListBox();

    // ---- item operations for the application (no by-name form) ----
    void AddItem(const char* text, Surface* icon = nullptr);
    // index -1 .. count (-1 means the front); anything else is ignored. A current index
    // at or after the insertion point moves with its item.
    void InsertItem(int32_t index, const char* text, Surface* icon = nullptr);
    // Selects one item (0 .. count-1, else ignored) and scrolls it into view; in a
    // single-selection list the previous current item is deselected first.
    void SelectItem(int32_t index);
    void SelectAll();       // MultiSelect lists only; raises Select(-1)
    void ClearSelection();  // raises Select(-1)
    // Empties the list: no items, current index -1, scrolled to the top. No event.
    void ClearItems();
    int32_t ItemCount() const { return int32_t(items.size()); }
    int32_t CurrentIndex() const { return current; }
    // Text of an item, or null outside 0 .. count-1.
    const char* ItemText(int32_t index) const;
    bool IsSelected(int32_t index) const;

    // ---- geometry ----
    float FontH() const;  // the font's glyph height x scale
    float LineH() const { return FontH() + 1; }
    bool Scrolling() const;         // the items are higher than the list area
    float AvailableWidth() const;   // for the text: w less the strip while scrolling
    int32_t RowAt(float py) const;  // item index under a point py in own coordinates
    void RefitAll();

    void Draw() override;
    void Update(float dt) override;
    void OnKeyDown(int32_t key) override;
    void OnMouseDown(int32_t key) override;
    void OnMouseMove(float dx, float dy) override;
    void OnDoubleClick(int32_t key) override;
    void OnChar(int32_t ch) override;
    void Size(float nw, float nh) override;
    bool SetProperty(const char* prop, const void* value) override;
    // Font, Color, TextColor, SelectedTextColor, ScrollBarWidth, SelectorColor,
    // MultiSelect, ScrollBarSkin (the bar's own rows are not listed)
    int ListProperties(PropertyEntry* table) override;
    int ListEvents(EventEntry* table) override;  // Select, Action, Scroll + the 13 common

  protected:
    // Height taken off the top of the control before the rows start (a column bar).
    virtual float ListTop() const { return 0; }
    // The scroll strip, in the same coordinates as x and y.
    virtual RectF Strip() const;
    // Writes the bar fields (range, slider, step) for the current items and size.
    void UpdateScrollRange();
    // Moves the current index by one row (Up/Down). setCurrentFirst: the current index
    // changes before `Select` is raised instead of after.
    void MoveCurrent(int delta, bool setCurrentFirst);
    void ScrollIntoView(int32_t index);
    // The list part of OnMouseDown / OnDoubleClick / Update, shared with derived lists.
    void ListMouseDown(int32_t key);
    void ListDoubleClick(int32_t key);
    void ListUpdate(float dt);
    void ListKeyDown(int32_t key, bool setCurrentFirst);
    void SetClipRows(bool on) const;
};

Control* NewListBox();
