// frame_label_line.cpp - drawing and layout of the passive display controls: the framed
// group box with its title gap, the scrolling text label and the plain line.
#include "gui/controls/frame_label_line.h"

#include <GL/gl.h>

#include <cstring>

#include "engine/engine.h"
#include "gui/controls/control_support.h"
#include "render/font.h"

namespace {

float FontHeight(const Font* font) { return font ? float(font->height) * font->scale : 0.0f; }

}  // namespace

Control* NewFrame() { return new Frame; }
Control* NewLabel() { return new Label; }
Control* NewLine() { return new Line; }

// ---- Frame ------------------------------------------------------------------------------

Frame::Frame() : font(GetFont()) {}

void Frame::Draw() {
    FontScope scope(font);
    SetColor(color);
    FillRect(x, y, w, h);
    DrawRect(x, y, w, h);
    const float tw = font ? TextWidth(text.c_str()) : 0.0f;
    const float hh = FontHeight(font) * 0.5f;
    if (font) {
        SetColor(textColor);
        DrawText(x + 15, y, text.c_str(), ALIGN_LEFT);
    }
    // The border runs round the panel at mid-title height and leaves a gap from x + 10
    // to just past the title (20 pixels even for an empty title).
    glDisable(GL_TEXTURE_2D);
    SetColor(borderColor);
    glBegin(GL_LINE_STRIP);
    glVertex2f(x + 10, y + hh);
    glVertex2f(x + 5, y + hh);
    glVertex2f(x + 5, y + h - 5);
    glVertex2f(x + w - 5, y + h - 5);
    glVertex2f(x + w - 5, y + hh);
    glVertex2f(x + tw + 20, y + hh);
    glEnd();
}

int Frame::ListProperties(PropertyEntry* table) {
    PropertyList list(table);
    list.Add("Text", PROP_STRING, nullptr, &text);
    list.Add("TextColor", PROP_COLOR, nullptr, &textColor);
    list.Add("Color", PROP_COLOR, nullptr, &color);
    list.Add("BorderColor", PROP_COLOR, nullptr, &borderColor);
    list.Add("Font", PROP_FONT, nullptr, &font);
    return list.count + Control::ListProperties(list.Rest());
}

// ---- Label ------------------------------------------------------------------------------

Label::Label() : font(GetFont()) {}

void Label::Layout() {
    // Whatever the previous text was scrolled to means nothing for the new one: a text
    // that fits must not stay drawn moved up out of its box.
    cBlock = 0;
    pressMode = SB_PRESS_NONE;
    if (!font) {
        scrolling = 0;
        return;
    }
    const int16_t full = int16_t(TextHeightFont(font, w, 0, text.c_str(), 0, -1));
    if (full <= h) {
        scrolling = 0;
        return;
    }
    scrolling = 1;
    step = int32_t(FontHeight(font) * 0.5f);
    // With the bar in place the text wraps to the narrower width and grows taller.
    const int16_t narrow = int16_t(TextHeightFont(font, w - scrollBarWidth - 1, 0, text.c_str(), 0, -1));
    nBlocks = int32_t(float(narrow) - h);
    // The bar's slider is nSliderBlocks / nBlocks of its track; that share is made the
    // visible part of the whole text (h / narrow), so the slider shows how much of the
    // text is in view and still leaves room to drag.
    nSliderBlocks = narrow > 0 ? int32_t(float(nBlocks) * h / float(narrow)) : 0;
}

void Label::Draw() {
    FontScope scope(font);
    SetColor(color);
    FillRect(x, y, w, h);
    if (font) {
        SetColor(textColor);
        DrawTextBox(x, y, w - (scrollBarWidth + 1) * float(scrolling), h, text.c_str(), cBlock, ALIGN_LEFT, -1, 0);
    }
    if (scrolling) DrawIn(x + w - scrollBarWidth, y, scrollBarWidth, h);
}

void Label::Update(float dt) {
    if (scrolling) UpdateIn(dt, x + w - scrollBarWidth, y, scrollBarWidth, h);
}

void Label::OnMouseDown(int32_t key) {
    // Presses on the strip drive the bar; the wheel scrolls wherever it is over the label.
    if (scrolling) MouseDownIn(key, x + w - scrollBarWidth, y, scrollBarWidth, h);
}

bool Label::SetProperty(const char* prop, const void* value) {
    if (!ScrollBar::SetProperty(prop, value)) return false;
    if (std::strcmp(prop, "Text") == 0 || std::strcmp(prop, "Font") == 0 || std::strcmp(prop, "ScrollBarWidth") == 0)
        Layout();
    return true;
}

int Label::ListProperties(PropertyEntry* table) {
    // The label shows its own names for the bar's look; the block fields stay internal.
    PropertyList list(table);
    list.Add("Text", PROP_STRING, nullptr, &text);
    list.Add("Color", PROP_COLOR, nullptr, &color);
    list.Add("TextColor", PROP_COLOR, nullptr, &textColor);
    list.Add("ScrollBarSkin", PROP_SCROLLBARSKIN, nullptr, &vskin);
    list.Add("ScrollBarWidth", PROP_FLOAT, nullptr, &scrollBarWidth);
    list.Add("SelectorColor", PROP_COLOR, nullptr, &scrollBarColor);
    list.Add("Font", PROP_FONT, nullptr, &font);
    return list.count + EventControl::ListProperties(list.Rest());
}

// ---- Line -------------------------------------------------------------------------------

void Line::Draw() {
    SetColor(color);
    ScreenLineWidth(lineWidth);  // left as is for whatever is drawn next
    if (invert)
        DrawLine(x + w, y, x, y + h);
    else
        DrawLine(x, y, x + w, y + h);
}

int Line::ListProperties(PropertyEntry* table) {
    PropertyList list(table);
    list.Add("LineWidth", PROP_FLOAT, nullptr, &lineWidth);
    list.Add("Invert", PROP_BOOL, nullptr, &invert);
    list.Add("Color", PROP_COLOR, nullptr, &color);
    return list.count + Control::ListProperties(list.Rest());
}
