// textbox.h - `TextBox`, the single-line edit field: caret and selection by keys or
// mouse, word selection, clipboard, horizontal scrolling that follows the caret, an
// optional character limit and integer/float input format, and a default button for Enter.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "gui/control.h"
#include "render/draw.h"

class TextBox : public TipControl {
public:
    enum : uint8_t { FORMAT_STRING = 0, FORMAT_INTEGER = 1, FORMAT_FLOAT = 2 };
    // Positions are 16-bit in the toolkit's text layout, so a text never grows past this
    // many bytes: an insertion that would cross it is refused whole.
    static constexpr int kMaxTextBytes = 32767;

    float blinkTimer = 0.5f;
    uint8_t caretVisible = 0;
    uint8_t mouseSelecting = 0;  // from a press until Update sees Mouse 1 released
    PlainHandler change = nullptr;  // raised only when `Text` is set
    std::string defaultButton;      // name of the control that Enter hands over to
    std::string text = "TextBox";   // UTF-8
    int32_t cPos = 7;               // caret anchor, a byte offset
    int32_t nSel = 0;               // signed selection length from cPos; the caret is at cPos + nSel
    int32_t maxLen = 0;             // most characters (not bytes) the text may hold; 0: no limit
    float scroll = 0;               // pixels the text is moved left, never below 0
    Color color = MakeColor(236, 255, 236);
    Color textColor = MakeColor(0, 0, 0);
    Color selectedColor = MakeColor(0, 0, 0);
    Color selectedTextColor = MakeColor(255, 255, 255);
    Color borderColor = MakeColor(0, 0, 0);
    uint8_t format = FORMAT_STRING;  // other values behave as FORMAT_STRING
    uint16_t pendingHighSurrogate = 0;  // first half of a character typed as a UTF-16 pair

    void Draw() override;
    void Update(float dt) override;
    void OnKeyDown(int32_t key) override;
    void OnKeyUp(int32_t key) override;
    void OnMouseDown(int32_t key) override;
    void OnMouseMove(float dx, float dy) override;
    void OnDoubleClick(int32_t key) override;
    // Takes UTF-16 code units (what WM_CHAR carries) or whole code points.
    void OnChar(int32_t ch) override;
    void OnLoseFocus() override { nSel = 0; }
    bool SetProperty(const char* prop, const void* value) override;
    int ListProperties(PropertyEntry* table) override;
    int ListEvents(EventEntry* table) override;
    void OnDestroy() override {}  // plain teardown: no Destroy event

    // Inserts at pos (which must be cPos), replacing the selection, within the limit and
    // the format. False when nothing was inserted (refused by the format, no room left,
    // or past kMaxTextBytes); a refused insertion leaves text and selection untouched.
    bool InsertText(int32_t pos, std::string_view str);
    void DeleteSelection();
    // Replaces the whole text (limit and format apply) and raises `Change`. False, with
    // the old text kept, when the text is longer than kMaxTextBytes.
    bool SetText(const char* str);
    // Byte offset of the character under a local x (scroll added); caret goes before it.
    int32_t CharIndexAtX(float px) const;

private:
    enum class Insert { Done, Refused, TooLong };
    Insert TryInsert(int32_t pos, std::string_view str);
    void Sanitize();
    void ResetBlink() { blinkTimer = 0.5f, caretVisible = 1; }
    float PrefixWidth(int32_t bytes) const;
    bool Copy();
    void Paste();
};

Control* NewTextBox();
