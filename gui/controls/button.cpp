// button.cpp - the push button: shape tests per style, the pressed look (mouse held on
// it, or Space/Enter held while focused), the four background looks with their focus
// marks, the centred caption and the keyboard click.
#include "gui/controls/button.h"

#include <GL/gl.h>

#include "engine/engine.h"
#include "gui/controls/control_support.h"
#include "gui/gui.h"
#include "render/font.h"
#include "render/texture.h"

namespace {

constexpr float kRoundness = 0.8f;
constexpr int32_t kSpace = 32, kEnter = 13;

}  // namespace

Control* NewButton() { return new Button; }

Button::Button() = default;

bool Button::InShape(float px, float py) const {
    switch (style) {
        case BUTTON_CLASSIC:
        case BUTTON_ROUNDED:
            return PointInRect(px, py, 0, 0, w, h);
        case BUTTON_SURFACE:
            return PointInRoundRect(px, py, 0, 0, w, h, kRoundness);
        case BUTTON_ELLIPSE:
            return PointInEllipse(px, py, w * 0.5f, h * 0.5f, w * 0.5f, h * 0.5f);
        default:
            return false;
    }
}

bool Button::HitTest(float px, float py) { return InShape(px, py); }

bool Button::IsPressed() const {
    if (!HasFocus()) return false;
    if (IsKeyDown(kSpace) || IsKeyDown(kEnter)) return true;
    if (!IsKeyDown(KEY_MOUSE1)) return false;
    // A style without a shape is never hit, so a held mouse alone counts there.
    if (style > BUTTON_ELLIPSE) return true;
    float px, py;
    MouseLocal(&px, &py);
    return InShape(px, py);
}

void Button::Draw() {
    glDisable(GL_TEXTURE_2D);
    FontScope scope(font);
    const bool pressed = IsPressed();
    const bool focused = HasFocus();
    bool captionMoves = true;
    switch (style) {
        case BUTTON_CLASSIC:
            captionMoves = DrawClassicFace(pressed, focused);
            break;
        case BUTTON_ROUNDED:
            captionMoves = DrawRoundedFace(pressed, focused);
            break;
        case BUTTON_SURFACE:
            captionMoves = DrawSurfaceFace(pressed);
            break;
        case BUTTON_ELLIPSE:
            captionMoves = DrawEllipseFace(pressed, focused);
            break;
        default:
            break;
    }
    DrawCaption(pressed && captionMoves);
}

// The classic look shows a press by moving the caption, never by its colour; the
// focus is a dim inner frame.
bool Button::DrawClassicFace(bool, bool focused) const {
    SetColor(background);
    FillRect(x, y, w, h);
    glColor4ub(0, 0, 0, 255);
    DrawRect(x, y, w, h);
    if (focused) {
        glColor4ub(ColorR(background) >> 2, ColorG(background) >> 2, ColorB(background) >> 2, 100);
        DrawRect(x + 4, y + 4, w - 9, h - 8);
    }
    return true;
}

// The focus ring is drawn in the colour of the other state.
bool Button::DrawRoundedFace(bool pressed, bool focused) const {
    SetColor(pressed ? downBackground : background);
    FillRoundRect(x, y, w, h, kRoundness);
    if (focused) {
        glEnable(GL_LINE_SMOOTH);
        SetColor(pressed ? background : downBackground);
        DrawRoundRect(x + 4, y + 4, w - 9, h - 8, kRoundness);
    }
    return false;
}

// Without a picture nothing is drawn but the caption, which then moves when pressed.
bool Button::DrawSurfaceFace(bool pressed) const {
    const Surface* picture = pressed && downBackgroundSurface ? downBackgroundSurface : backgroundSurface;
    if (!picture) return true;
    DrawSurface(x, y, w, h, picture, nullptr);
    // The same tiles once more as outlines: a thin frame round the picture.
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    DrawSurface(x, y, w, h, picture, nullptr);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    return false;
}

bool Button::DrawEllipseFace(bool pressed, bool focused) const {
    const float cx = x + w * 0.5f, cy = y + h * 0.5f;
    SetColor(pressed ? downBackground : background);
    FillEllipse(cx, cy, w * 0.5f, h * 0.5f, 0);
    if (focused) {
        glEnable(GL_LINE_SMOOTH);
        SetColor(pressed ? background : downBackground);
        DrawEllipse(cx, cy, w * 0.5f - 3, h * 0.5f - 2, 0);
    }
    return false;
}

// Centred, two pixels down and right while shifted.
void Button::DrawCaption(bool shifted) const {
    if (text.empty() || !font) return;
    SetColor(textColor);
    const float cx = x + w * 0.5f, cy = y + h * 0.5f;
    const float tw = TextWidth(text.c_str());
    const float fontH = float(font->height) * font->scale;
    const float d = shifted ? 2.0f : 0.0f;
    DrawText(cx - tw * 0.5f + d, cy - fontH * 0.55f + d, text.c_str(), ALIGN_LEFT);
}

void Button::OnKeyUp(int32_t key) {
    // A keyboard click reports itself as Mouse 1, so one Click handler serves both.
    const int32_t low = key & 0xFF;
    if (low == kSpace || low == kEnter) Raise(click, int32_t(KEY_MOUSE1));
    TipControl::OnKeyUp(key);
}

int Button::ListProperties(PropertyEntry* table) {
    PropertyList list(table);
    list.Add("Background", PROP_BACKGROUND, "Style:0-null;1-color;2-surface;3-color", &background);
    list.Add("DownBackground", PROP_BACKGROUND, "Style:0-null;1-color;2-surface;3-color", &downBackground);
    list.Add("Style", PROP_ENUM, "0-Classic;1-Rounded Rect;2-Surface Background;3-Ellipse", &style);
    list.Add("Text", PROP_STRING, nullptr, &text);
    list.Add("TextColor", PROP_COLOR, nullptr, &textColor);
    list.Add("BackgroundSurface", PROP_SURFACE, "Style 2", &backgroundSurface);
    list.Add("DownBackgroundSurface", PROP_SURFACE, "Style 2", &downBackgroundSurface);
    return list.count + TipControl::ListProperties(list.Rest());
}
