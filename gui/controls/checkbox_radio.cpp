// checkbox_radio.cpp - behaviour and drawing of CheckBox and RadioButton. Both toggle on
// a left click or on the release of Space, turn grey while pressed, and draw a caption
// that is cut at the control's edges when it does not fit.
#include "gui/controls/checkbox_radio.h"

#include <GL/gl.h>

#include <cstring>

#include "engine/engine.h"
#include "gui/controls/control_support.h"
#include "gui/gui.h"
#include "platform/platform.h"
#include "render/font.h"
#include "render/texture.h"

Control* NewCheckBox() { return new CheckBox; }
Control* NewRadioButton() { return new RadioButton; }

namespace {

Color WithAlpha(Color rgb, Color alphaFrom) { return (rgb & 0x00FFFFFFu) | (alphaFrom & 0xFF000000u); }

// The pressed look: while the focused toggle's Space is held, or Mouse 1 is held over
// it, the box turns grey (a light fixed grey over textures, the box colour's own
// brightness otherwise).
Color BoxColor(const Control* c, Color color, bool textured) {
    const bool space = IsKeyDown(VK_SPACE), mouse = IsKeyDown(KEY_MOUSE1);
    if (!c->HasFocus() || !(space || mouse) || !(space || c->MouseInside())) return color;
    const uint8_t g = textured ? 200 : uint8_t((ColorR(color) + ColorG(color) + ColorB(color)) / 3);
    return WithAlpha(MakeColor(g, g, g), color);
}

// The caption, left-aligned from (tx, ty), cut 2 pixels before the right edge when it
// is too wide and at the top and bottom when the control is lower than a line.
void DrawCaption(const Control* c, Font* font, const std::string& text, Color textColor, float tx, float ty) {
    Font* previous = SetFont(font);
    SetColor(textColor);
    const float lineH = font ? font->height * font->scale : 0;
    {
        const bool cutRight = TextWidth(text.c_str()) > c->w - 19;
        const bool cutHeight = lineH > c->h;
        ClipPlaneGuard right(4, cutRight ? -1 : 0, 0, cutRight ? c->x + c->w - 2 : 1);
        ClipPlaneGuard top(5, 0, cutHeight ? 1 : 0, cutHeight ? -(c->y + 1) : 1);
        ClipPlaneGuard bottom(6, 0, cutHeight ? -1 : 0, cutHeight ? c->y + c->h - 1 : 1);
        DrawText(tx, ty, text.c_str(), ALIGN_LEFT);
    }
    // Controls created later take the current font as theirs: leave it as it was.
    SetFont(previous);
}

void DrawFocusFrame(const Control* c) {
    if (!c->HasFocus()) return;
    SetColor(0x64808080u);  // (128, 128, 128, 100)
    DrawRect(c->x + 13, c->y + 2, c->w - 15, c->h - 4);
}

}  // namespace

// ---- CheckBox -------------------------------------------------------------------------

void CheckBox::Flip() {
    checked = !checked;
    Raise(toggle);
}

void CheckBox::OnClick(int32_t key) {
    Raise(click, key);
    if (key == KEY_MOUSE1) Flip();
}

// A CheckBox turns every key release into `Click`, so its handler sees Space as a click.
void CheckBox::OnKeyUp(int32_t key) {
    if (key == VK_SPACE) Flip();
    Raise(click, key);
}

void CheckBox::Draw() {
    ScreenLineWidth(2);
    SetColor(backgroundColor);
    FillRect(x, y, w, h);
    const Color box = BoxColor(this, color, onTexture != nullptr);
    const Color black = WithAlpha(MakeColor(0, 0, 0), color);

    const float s = h < 10 ? float(int(h)) : 10.0f;
    const float t = y + (h - s) * 0.5f;
    SetColor(box);
    if (offTexture) {
        DrawTexture(x, t, s, s, offTexture, nullptr);
    } else {
        FillRect(x, t, s, s);
        SetColor(black);
        DrawRect(x, t, s, s);
    }
    if (checked) {
        if (onTexture) {
            SetColor(box);
            DrawTexture(x, t, s, s, onTexture, nullptr);
        } else {
            SetColor(black);
            ScreenLineWidth(2);
            DrawLine(x + 0.2f * s, t + 0.5f * s, x + 0.35f * s, t + 0.8f * s);
            DrawLine(x + 0.35f * s, t + 0.8f * s, x + 0.8f * s, t + 0.2f * s);
        }
    }
    const float lineH = font ? font->height * font->scale : 0;
    DrawCaption(this, font, text, textColor, x + 15, y + h * 0.5f - lineH * 0.5f);
    ScreenLineWidth(1);
    DrawFocusFrame(this);
}

int CheckBox::ListProperties(PropertyEntry* table) {
    PropertyList list(table);
    list.Add("Text", PROP_STRING, nullptr, &text);
    list.Add("BackgroundColor", PROP_COLOR, nullptr, &backgroundColor);
    list.Add("TextColor", PROP_COLOR, nullptr, &textColor);
    list.Add("Color", PROP_COLOR, nullptr, &color);
    list.Add("Checked", PROP_BOOL, nullptr, &checked);
    list.Add("On_Texture", PROP_TEXTURE, nullptr, &onTexture);
    list.Add("Off_Texture", PROP_TEXTURE, nullptr, &offTexture);
    return list.count + TipControl::ListProperties(list.Rest());
}

int CheckBox::ListEvents(EventEntry* table) {
    EventList list(table);
    list.Add("Toggle", &toggle);
    return list.count + TipControl::ListEvents(list.Rest());
}

// ---- RadioButton ----------------------------------------------------------------------

void RadioButton::Toggle() {
    if (!value && parent) {
        // Through the virtual SetProperty, so a button class that reacts to `Value` sees it.
        static constexpr uint8_t kOff = 0;
        for (Control* sibling : parent->children)
            if (sibling->cls && std::strcmp(sibling->cls->name, "RadioButton") == 0)
                sibling->SetProperty("Value", &kOff);
    }
    value = !value;
    Raise(toggle);
}

void RadioButton::OnClick(int32_t key) {
    Raise(click, key);
    if (key == KEY_MOUSE1) Toggle();
}

void RadioButton::OnKeyUp(int32_t key) {
    if (key == VK_SPACE) Toggle();
    Raise(click, key);
}

void RadioButton::Size(float nw, float nh) {
    w = nw < 10 ? 10 : nw;
    h = nh < 10 ? 10 : nh;
}

void RadioButton::Draw() {
    const float cy = y + h / 2;
    const int d = h < 10 ? int(h) : 10;
    const float cx = x + float(d / 2);
    const Color black = WithAlpha(MakeColor(0, 0, 0), color);

    SetColor(backgroundColor);
    FillRect(x, y, w, h);
    const Color circle = BoxColor(this, color, onTexture != nullptr);
    if (offTexture) {
        SetColor(circle);
        DrawTexture(x, cy - 5.0f, 10, 10, offTexture, nullptr);
    } else {
        SetColor(circle);
        FillCircle(cx, cy, 5.0f, 16);
        ScreenLineWidth(2.0f);
        SetColor(black);
        DrawCircle(cx, cy, 5.0f, 16);
    }
    if (value) {
        if (onTexture) {
            SetColor(circle);
            DrawTexture(x, cy - 5.0f, 10, 10, onTexture, nullptr);
        } else {
            SetColor(black);
            FillCircle(cx, cy, 2.0f, 16);
        }
    }
    const float lineH = font ? font->height * font->scale : 0;
    DrawCaption(this, font, text, textColor, x + 15, cy - lineH / 2);
    ScreenLineWidth(1.0f);
    DrawFocusFrame(this);
}

int RadioButton::ListProperties(PropertyEntry* table) {
    PropertyList list(table);
    list.Add("Text", PROP_STRING, nullptr, &text);
    list.Add("BackgroundColor", PROP_COLOR, nullptr, &backgroundColor);
    list.Add("TextColor", PROP_COLOR, nullptr, &textColor);
    list.Add("Color", PROP_COLOR, nullptr, &color);
    list.Add("Value", PROP_BOOL, nullptr, &value);
    list.Add("On_Texture", PROP_TEXTURE, nullptr, &onTexture);
    list.Add("Off_Texture", PROP_TEXTURE, nullptr, &offTexture);
    return list.count + TipControl::ListProperties(list.Rest());
}

int RadioButton::ListEvents(EventEntry* table) {
    EventList list(table);
    list.Add("Toggle", &toggle);
    return list.count + TipControl::ListEvents(list.Rest());
}
