// textbox.h - `TextBox`, the single-line edit field: the shared editing core (text_edit.h)
// with what is the line's own: horizontal scrolling that follows the caret, an optional
// character limit and integer/float input format, and a default button for Enter.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "gui/control.h"
#include "gui/controls/text_edit.h"
#include "render/draw.h"
#include "render/line_layout.h"

class TextBox : public TipControl, public TextEdit {
  public:
    enum : uint8_t { FORMAT_STRING = 0, FORMAT_INTEGER = 1, FORMAT_FLOAT = 2 };

    PlainHandler change = nullptr;  // raised only when `Text` is set
    std::string defaultButton;      // name of the control that Enter hands over to
    int32_t maxLen = 0;             // most characters (not bytes) the text may hold; 0: no limit
    float scroll = 0;               // pixels the text is moved left, never below 0
    Color color = MakeColor(236, 255, 236);
    Color textColor = MakeColor(0, 0, 0);
    Color selectedColor = MakeColor(0, 0, 0);
    Color selectedTextColor = MakeColor(255, 255, 255);
    Color borderColor = MakeColor(0, 0, 0);
    uint8_t format = FORMAT_STRING;  // other values behave as FORMAT_STRING

    TextBox() : TextEdit("TextBox") {}

    void Draw() override;
    void Update(float dt) override;
    void OnKeyDown(int32_t key) override;
    void OnKeyUp(int32_t key) override;
    void OnMouseDown(int32_t key) override;
    void OnMouseMove(float dx, float dy) override;
    void OnDoubleClick(int32_t key) override;
    // Takes UTF-16 code units (what WM_CHAR carries) or whole code points.
    void OnChar(int32_t ch) override { TypeChar(ch); }
    void OnLoseFocus() override { nSel = 0, CloseEditStep(); }
    bool SetProperty(const char* prop, const void* value) override;
    int ListProperties(PropertyEntry* table) override;
    int ListEvents(EventEntry* table) override;
    void OnDestroy() override {}  // plain teardown: no Destroy event

    // Replaces the whole text (limit and format apply) and raises `Change`. False, with
    // the old text kept, when the text is longer than kMaxTextBytes.
    bool SetText(const char* str);
    // The caret place nearest to a local x (the box's left edge at 0, scrolling counted).
    layout::Place PlaceAtX(float px) const;
    // The line as drawn, x from the text's left end before scrolling: a right-to-left
    // text that fits is right-aligned in the box.
    const layout::Line& Layout() const;

  protected:
    // The limit, the input format, and line breaks shown as bars on the one line.
    Fit ShapeInsertion(Insertion& ins) override;
    int32_t MoveCaret(int32_t at, CaretMove move) override;
    bool ReadsRightToLeft(int32_t) const override { return Layout().rightToLeft; }

  private:
    void DrawMarks(float tx);
    // Layout() for the text, font and width it was made for.
    mutable layout::Line line_;
    mutable std::string laidText_;
    mutable const Font* laidFont_ = nullptr;
    mutable float laidWidth_ = -1;
};

Control* NewTextBox();
