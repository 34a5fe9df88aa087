// combobox.h - `ComboBox`: a one-line box showing the selected item that opens a list
// of all items below it (or above it near the bottom of the screen), drawn above every
// other control with an optional shadow, a highlight under the pointer and its own strip.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "gui/controls/listbox.h"
#include "gui/controls/scrollbar.h"
#include "render/draw.h"

struct Font;
struct Surface;

// One entry of a combo list; it has no selected flag (the combo keeps one index).
struct ComboItem {
    std::string text;
    Surface* icon = nullptr;    // not owned; null for none
    int32_t visibleLength = 0;  // bytes drawn in the open list
    uint8_t shortened = 0;      // 1: the list draws visibleLength bytes, then " ..."
};

// Open states: what the current press of Mouse 1 is doing to an open list.
enum ComboOpenState : uint8_t {
    COMBO_CLOSED = 0,
    COMBO_OPENING = 1,  // opened by a press that may still be held; its release keeps it open
    COMBO_ON_ROW = 2,   // pressed on a row: the release picks it and closes
    COMBO_ON_BOX = 3,   // pressed on the box: the release closes without a change
};
enum ComboDirection : uint8_t { COMBO_NOT_OPENED = 0, COMBO_DOWN = 1, COMBO_UP = 255 };

// While open, the control's rectangle grows to cover the list as well (so that presses
// and moves over the list reach it and the mouse capture holds): downward h grows by
// the drop height; upward y also moves up by it. Closing puts the rectangle back.
// The list's scroll state lives in the inherited bar fields, in pixels.
//
// Events: `Select`(index) when a row is picked or an arrow key moves the highlight;
// `Scroll` and the common events. `Destroy` is not raised.
class ComboBox : public ScrollBar {
  public:
    int32_t highlighted = -1;       // row highlighted in the open list
    IndexHandler select = nullptr;  // `Select`
    uint8_t openState = COMBO_CLOSED;
    uint8_t direction = COMBO_NOT_OPENED;
    float scrollBarWidth = 15.0f;                        // `ScrollBarWidth`
    Surface* dropButtonSkin = nullptr;                   // `DropButtonSkin`: set, it hides the drawn drop button
    int16_t dropHeight = 0;                              // height of the open list, recomputed on insertion
    int16_t maxDropHeight = 250;                         // `MaxDropHeight`
    uint8_t drawShadow = 1;                              // `DrawShadow` (lists opening downward only)
    std::vector<ComboItem> items;                        // capacity kept a multiple of kListGrowth
    Font* font = nullptr;                                // `Font`; the GUI default font at construction
    int32_t selected = -1;                               // the chosen item, -1: none (read and set directly)
    Color color = MakeColor(236, 255, 236);              // `Color`, box and list
    Color textColor = MakeColor(0, 0, 0);                // `TextColor`
    Color selectorColor = MakeColor(0, 0, 160);          // `SelectorColor`: highlight, focused box
    Color selectedTextColor = MakeColor(255, 255, 255);  // `SelectedTextColor`

    ComboBox();
    ~ComboBox() override;

    // ---- item operations for the application ----
    void AddItem(const char* text, Surface* icon = nullptr);
    void InsertItem(int32_t index, const char* text, Surface* icon = nullptr);  // -1 .. count
    void ClearItems();  // no items, nothing selected; closes an open list
    int32_t ItemCount() const { return int32_t(items.size()); }
    const char* ItemText(int32_t index) const;  // null outside 0 .. count-1

    bool IsOpen() const { return openState != COMBO_CLOSED; }
    float FontH() const;
    float LineH() const { return FontH() + 1; }
    bool Scrolling() const;  // the items are higher than the list
    // The box and the list, in the same coordinates as x and y (valid open or closed).
    RectF Box() const;
    RectF ListRegion() const;
    void Open();
    void Close();

    void Draw() override;
    void Update(float dt) override;
    void OnKeyDown(int32_t key) override;
    void OnMouseDown(int32_t key) override;
    void OnClick(int32_t key) override;
    void OnMouseMove(float dx, float dy) override;
    bool SetProperty(const char* prop, const void* value) override;
    // Font, Color, TextColor, SelectedTextColor, ScrollBarColor, SelectorColor,
    // DrawShadow, ScrollBarWidth, ScrollBarSkin, MaxDropHeight, DropButtonSkin
    int ListProperties(PropertyEntry* table) override;
    int ListEvents(EventEntry* table) override;  // Select, Scroll + the 13 common

    // Draws the open list at (sx, sy) on the screen: the overlay's work.
    void DrawList();

  private:
    int16_t openDrop = 0;  // the drop height the rectangle was grown by at opening
    float AvailableWidth() const;
    void RefitAll();
    void UpdateScrollRange();
    int32_t RowInList(float px, float py) const;  // px, py in own coordinates; -1: none
};

Control* NewComboBox();
