// button.h - `Button`: a push button with a centred one-line caption in four looks
// (classic box, rounded rectangle, picture, ellipse). It looks pressed while Mouse 1 is
// held on it or Space/Enter is held while it has the focus, and raises `Click` on a
// mouse release over it and on a Space/Enter release while focused.
#pragma once

#include <cstdint>
#include <string>

#include "gui/control.h"
#include "render/draw.h"

struct Surface;

enum ButtonStyle : uint8_t {
    BUTTON_CLASSIC = 0,  // flat box, black outline, caption moves 2 px while pressed
    BUTTON_ROUNDED = 1,  // rounded rectangle; pressed shows `DownBackground`
    BUTTON_SURFACE = 2,  // pictures: `BackgroundSurface`/`DownBackgroundSurface`
    BUTTON_ELLIPSE = 3,  // ellipse; pressed shows `DownBackground`
    // Any other value draws no background and is never hit.
};

class Button : public TipControl {
  public:
    std::string text = "Button";                      // `Text`; empty: no caption
    Color background = MakeColor(225, 225, 225);      // `Background`
    Color textColor = MakeColor(0, 0, 0);             // `TextColor`
    Color downBackground = MakeColor(225, 225, 225);  // `DownBackground`, while pressed
    uint8_t style = BUTTON_CLASSIC;                   // `Style`
    // The pictures of style 2 (not owned); null draws no picture. They are fields of
    // their own, pointer-sized, so a colour is never taken for a picture.
    const Surface* backgroundSurface = nullptr;      // `BackgroundSurface`
    const Surface* downBackgroundSurface = nullptr;  // `DownBackgroundSurface`, while pressed

    Button();
    void Draw() override;
    // Space or Enter going up is the keyboard click: `Click`(230), then `KeyUp`(key).
    void OnKeyUp(int32_t key) override;
    bool HitTest(float px, float py) override;
    // Background, DownBackground, Style, Text, TextColor, BackgroundSurface,
    // DownBackgroundSurface, then Font and ToolTipText

    int ListProperties(PropertyEntry* table) override;
    void OnDestroy() override {}  // plain teardown: no Destroy event

    // The point (button coordinates) lies in the button's shape for its style.
    bool InShape(float px, float py) const;
    // Focused and Space, Enter or Mouse 1 held (Mouse 1 only with the pointer on it).
    bool IsPressed() const;

  private:
    // The face of each style; true when a press shows by moving the caption.
    bool DrawClassicFace(bool pressed, bool focused) const;
    bool DrawRoundedFace(bool pressed, bool focused) const;
    bool DrawSurfaceFace(bool pressed) const;
    bool DrawEllipseFace(bool pressed, bool focused) const;
    void DrawCaption(bool shifted) const;
};

Control* NewButton();
