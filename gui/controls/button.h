// button.h - `Button`: a push button with a centred one-line caption in four looks
// (classic box, rounded rectangle, picture, ellipse). It looks pressed while Mouse 1 is
// held on it or Space/Enter is held while it has the focus, and raises `Click` on a
// mouse release over it and on a Space/Enter release while focused.
#pragma once

#include <cstdint>
#include <string>

#include "gui/control.h"
#include "render/draw.h"

enum ButtonStyle : uint8_t {
    BUTTON_CLASSIC = 0,       // flat box, black outline, caption moves 2 px while pressed
    BUTTON_ROUNDED = 1,       // rounded rectangle; pressed shows `DownBackground`
    BUTTON_SURFACE = 2,       // `Background`/`DownBackground` are Surface pointers
    BUTTON_ELLIPSE = 3,       // ellipse; pressed shows `DownBackground`
    // Any other value draws no background and is never hit.
};

class Button : public TipControl {
public:
    std::string text = "Button";   // `Text`; empty: no caption
    BackgroundValue background{};  // `Background`: a colour, or a Surface* in style 2
    Color textColor = MakeColor(0, 0, 0);  // `TextColor`
    BackgroundValue downBackground{};      // `DownBackground`, read like Background, while pressed
    uint8_t style = BUTTON_CLASSIC;        // `Style`
    // Style 2 reads `Background`/`DownBackground` as pictures only once they have been
    // given one (set by name, or these flags set by code that writes the fields): their
    // defaults are colours, and a colour read as a Surface pointer would be followed.
    uint8_t backgroundIsSet = 0;
    uint8_t downBackgroundIsSet = 0;

    Button();
    void Draw() override;
    // Space or Enter going up is the keyboard click: `Click`(230), then `KeyUp`(key).
    void OnKeyUp(int32_t key) override;
    bool HitTest(float px, float py) override;
    bool SetProperty(const char* prop, const void* value) override;
    // Background, DownBackground, Style, Text, TextColor, then Font and ToolTipText
    int ListProperties(PropertyEntry* table) override;

    // The point (button coordinates) lies in the button's shape for its style.
    bool InShape(float px, float py) const;
    // Focused and Space, Enter or Mouse 1 held (Mouse 1 only with the pointer on it).
    bool IsPressed() const;
};

Control* NewButton();
