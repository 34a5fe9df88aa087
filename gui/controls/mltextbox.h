// mltextbox.h - `MLTextBox`, the multi-line text editor: the shared editing core
// (text_edit.h) laid out as word-wrapped lines, with Up/Down between them, the mouse,
// and a scroll strip of its own along the right edge once the text is taller than the box.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "gui/controls/scrollbar.h"
#include "gui/controls/text_edit.h"
#include "render/draw.h"
#include "render/font.h"
#include "render/line_layout.h"

// The text is held as UTF-8 in the shared editing core (text_edit.h), every position a
// byte offset. Colour tags are shown and measured literally, so a translator can edit
// them. The inherited scroll state is in pixels: `cBlock` is how far the text is moved
// up, `nBlocks` the largest such offset (0 while the whole text fits, and then there is
// no strip).
class MLTextBox : public ScrollBar, public TextEdit {
  public:
    static constexpr int32_t kInitialCapacity = 129;  // bytes, terminator included
    static constexpr int32_t kCapacityStep = 128;
    static constexpr float kNoticeSeconds = 2.5f;  // how long the "text is full" notice shows

    // Bytes reserved for the text and its terminator: grows in steps of 128, never shrinks.
    int32_t capacity = kInitialCapacity;
    PlainHandler change = nullptr;  // `Change`: raised only when `Text` is set
    Font* font = nullptr;           // `Font`: the current font at construction
    Color color = MakeColor(236, 255, 236);
    Color textColor = MakeColor(0, 0, 0);  // also the caret
    Color selectedColor = MakeColor(0, 0, 0);
    Color selectedTextColor = MakeColor(255, 255, 255);
    Color borderColor = MakeColor(0, 0, 0);
    float scrollBarWidth = 15.0f;  // `ScrollBarWidth`
    float noticeTimer = 0;         // > 0 while the "text is full" notice is shown

    MLTextBox();

    void Draw() override;
    void Update(float dt) override;
    void OnKeyDown(int32_t key) override;
    void OnMouseDown(int32_t key) override;
    void OnDoubleClick(int32_t key) override;
    // Takes UTF-16 code units (what WM_CHAR carries, surrogate pairs joined) or whole code points.
    void OnChar(int32_t ch) override { TypeChar(ch); }
    void OnLoseFocus() override { nSel = 0, CloseEditStep(); }  // keeps cPos; raises nothing
    void Size(float nw, float nh) override;
    bool SetProperty(const char* prop, const void* value) override;
    int ListProperties(PropertyEntry* table) override;  // 10 of its own + the 7 of ScrollBar
    int ListEvents(EventEntry* table) override;         // Change + Scroll + the 13 common
    void OnDestroy() override {}                        // plain teardown: no Destroy event

    // ---- direct access for the application (the same as the `Text` property) ----
    const std::string& Text() const { return text; }
    // Replaces the whole text, puts the caret at its end and raises `Change`. False, with
    // the old text kept, when the new one is longer than kMaxTextBytes.
    bool SetText(const char* str);

    // ---- layout (pixels; text coordinates start at the text origin x + 2, y + 2) ----
    float LineHeight() const;
    float WrapWidth() const;          // w - 4, less the strip while there is one
    float ReservedWrapWidth() const;  // w - 4 - ScrollBarWidth: the width once a strip shows
    // Top-left of the place where byte offset n sits in the text wrapped to width, before
    // scrolling: the caret's position (withPrevious: see TextEdit::caretWithPrevious).
    TextPos CaretXY(int32_t n, float width, bool withPrevious = false) const;
    // The caret place nearest to the point (px, py) in text coordinates, scrolling counted
    // in py.
    layout::Place PlaceAtPoint(float px, float py, float width) const;
    void RecomputeScroll();  // nBlocks, nSliderBlocks, cBlock from the text
    void ScrollToCaret();    // brings the line of cPos into view

  protected:
    // Carriage returns are dropped and tabs become spaces.
    Fit ShapeInsertion(Insertion& ins) override;
    void OnTextChanged() override;
    void OnCaretMoved() override { ScrollToCaret(); }
    void OnTextFull() override { noticeTimer = kNoticeSeconds; }
    int32_t MoveCaret(int32_t at, CaretMove move) override;
    bool ReadsRightToLeft(int32_t at) const override;

  private:
    // The wrapped line that shows byte offset n (an offset at a wrapped line's end is the
    // next line's start), laid out into `out`; returns its number from the top, -1 for the
    // empty line after a final line feed.
    int32_t LineOf(int32_t n, float width, layout::Line& out) const;
    void MoveLine(int32_t key);
    void DrawSelection(float width);
    void DrawMarks(float width);
    void DrawNotice();
};

Control* NewMLTextBox();
