// frame_label_line.h - three passive display controls: `Frame` (a titled group box and
// a tab root), `Label` (word-wrapped text in a filled box that grows its own vertical
// scroll bar when the text is taller than the box) and `Line` (one straight line).
#pragma once

#include <cstdint>
#include <string>

#include "gui/control.h"
#include "gui/controls/scrollbar.h"
#include "render/draw.h"

// A filled panel with an inset border that leaves a gap for the title at the top left.
// No events.
class Frame : public Control {
  public:
    Color color = MakeColor(225, 225, 225);  // `Color`, the panel
    Color borderColor = MakeColor(0, 0, 0);  // `BorderColor`
    Color textColor = MakeColor(0, 0, 0);    // `TextColor`, the title
    Font* font = nullptr;                    // `Font`; the GUI default font at construction
    std::string text = "Frame";              // `Text`, the title

    Frame();
    void Draw() override;
    int ListProperties(PropertyEntry* table) override;  // Text, TextColor, Color, BorderColor, Font
};

// Text wrapped to the box. When the wrapped text is taller than the box the label
// scrolls: a bar of `ScrollBarWidth` appears along the right edge and the text is
// re-wrapped to the narrower width; the wheel anywhere over the label scrolls it.
// The scroll state lives in the inherited bar fields, in pixels. The layout is redone
// when `Text`, `Font` or `ScrollBarWidth` is set (not on a resize).
// Events: `Scroll` and the common ones; `MouseDown` and `Destroy` are not raised.
class Label : public ScrollBar {
  public:
    uint8_t scrolling = 0;                   // 1 while the text is taller than the box
    std::string text = "Label";              // `Text`
    Color color = MakeColor(255, 255, 255);  // `Color`, the box
    Color textColor = MakeColor(0, 0, 0);    // `TextColor`
    float scrollBarWidth = 15.0f;            // `ScrollBarWidth`
    Font* font = nullptr;                    // `Font`; the GUI default font at construction
    // `ScrollBarSkin` is the inherited vskin, `SelectorColor` the inherited ScrollBarColor.

    Label();
    void Draw() override;
    void Update(float dt) override;
    void OnMouseDown(int32_t key) override;
    bool SetProperty(const char* prop, const void* value) override;
    // Text, Color, TextColor, ScrollBarSkin, ScrollBarWidth, SelectorColor, Font
    int ListProperties(PropertyEntry* table) override;
    // Decides whether the text needs the bar and sets the bar's range in pixels.
    void Layout();
};

// A line from the top-left to the bottom-right corner of its rectangle (with `Invert`,
// top-right to bottom-left). h = 0 gives a horizontal line, w = 0 a vertical one.
// The GL line width is left at `LineWidth` afterwards. No events.
class Line : public Control {
  public:
    float lineWidth = 2.0f;            // `LineWidth`
    uint8_t invert = 0;                // `Invert`
    Color color = MakeColor(0, 0, 0);  // `Color`

    void Draw() override;
    int ListProperties(PropertyEntry* table) override;  // LineWidth, Invert, Color
};

Control* NewFrame();
Control* NewLabel();
Control* NewLine();
