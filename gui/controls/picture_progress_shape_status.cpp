// picture_progress_shape_status.cpp - drawing and property tables of the four
// display-only controls. None of them handles input; the two with events raise only
// the common ones of their base layer.
#include "gui/controls/picture_progress_shape_status.h"

#include <GL/gl.h>

#include <algorithm>

#include "engine/engine.h"
#include "render/font.h"
#include "render/texture.h"

Control* NewPictureBox() { return new PictureBox; }
Control* NewProgressBar() { return new ProgressBar; }
Control* NewShape() { return new Shape; }
Control* NewStatusBar() { return new StatusBar; }

// ---- PictureBox -----------------------------------------------------------------------

void PictureBox::Draw() {
    if (picture) {
        float sw = w, sh = h;
        if (picture->width < w + sourceX) sw = std::max(0.0f, picture->width - sourceX);
        if (h + sourceY > picture->height) sh = std::max(0.0f, picture->height - sourceY);
        if (sw != w || sh != h) {
            SetColor(color);
            FillRect(x, y, w, h);
        }
        if (sw > 0 && sh > 0) {
            // Natural size: only the part of the picture that fits the box is drawn.
            const RectF src = {sourceX, sourceY, sw, sh};
            SetColor(MakeColor(255, 255, 255));
            DrawSurfaceAt(x, y, picture, &src);
            // Traces the tile edges over the picture, which shows how it is cut up.
            glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
            DrawSurfaceAt(x, y, picture, &src);
            glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        }
    }
    // The framework puts the line width back after the tree, so it is not reset here.
    ScreenLineWidth(2.0f);
    SetColor(borderColor);
    DrawRect(x, y, w, h);
}

int PictureBox::ListProperties(PropertyEntry* table) {
    PropertyList list(table);
    list.Add("Picture", PROP_SURFACE, nullptr, &picture);
    list.Add("SourceX", PROP_FLOAT, nullptr, &sourceX);
    list.Add("SourceY", PROP_FLOAT, nullptr, &sourceY);
    list.Add("Color", PROP_COLOR, nullptr, &color);
    list.Add("BorderColor", PROP_COLOR, nullptr, &borderColor);
    return list.count + TipControl::ListProperties(list.Rest());
}

// ---- ProgressBar ----------------------------------------------------------------------

static void SetColorWithAlpha(Color rgb, Color alphaFrom) { SetColor((rgb & 0x00FFFFFFu) | (alphaFrom & 0xFF000000u)); }

void ProgressBar::Draw() {
    if (backSurface) {
        SetColor(MakeColor(255, 255, 255));
        DrawSurface(x, y, w, h, backSurface, nullptr);
        glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
        DrawSurface(x, y, w, h, backSurface, nullptr);
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    } else {
        SetColor(backColor);
        FillRect(x, y, w, h);
        SetColorWithAlpha(MakeColor(0, 0, 0), backColor);
        DrawRect(x, y, w, h);
    }
    if (progress == 0) return;
    const float x0 = x + 2, y0 = y + 2, x1 = x + 2 + (w - 4) * progress, y1 = y + h - 2;
    if (texture) {
        // The texture is cut off at the progress rather than squeezed into the bar, and
        // drawn untinted (the outline above left the colour black).
        SetColor(MakeColor(255, 255, 255));
        const bool textured = glIsEnabled(GL_TEXTURE_2D);
        glEnable(GL_TEXTURE_2D);
        BindTexture(texture);
        for (GLenum mode : {GLenum(GL_QUADS), GLenum(GL_LINE_LOOP)}) {
            glBegin(mode);
            glTexCoord2f(0, 0), glVertex2f(x0, y0);
            glTexCoord2f(progress, 0), glVertex2f(x1, y0);
            glTexCoord2f(progress, 1), glVertex2f(x1, y1);
            glTexCoord2f(0, 1), glVertex2f(x0, y1);
            glEnd();
        }
        if (!textured) glDisable(GL_TEXTURE_2D);
    } else {
        SetColor(color);
        FillRect(x0, y0, x1 - x0, y1 - y0);
        DrawRect(x0, y0, x1 - x0, y1 - y0);
    }
}

int ProgressBar::ListProperties(PropertyEntry* table) {
    PropertyList list(table);
    list.Add("Progress", PROP_FLOAT, nullptr, &progress);
    list.Add("Color", PROP_COLOR, nullptr, &color);
    list.Add("BackColor", PROP_COLOR, nullptr, &backColor);
    list.Add("Texture", PROP_TEXTURE, nullptr, &texture);
    list.Add("BackSurface", PROP_SURFACE, nullptr, &backSurface);
    return list.count + Control::ListProperties(list.Rest());
}

// ---- Shape ----------------------------------------------------------------------------

void Shape::Draw() {
    const float rx = w * 0.5f, ry = h * 0.5f;
    // More segments for wider ellipses, so large ones stay smooth.
    const int16_t n = int16_t(std::clamp(w * 0.25f + 32.0f, 3.0f, 32767.0f));
    switch (shape) {
        case RECTANGLE:
            SetColor(color), FillRect(x, y, w, h);
            SetColor(borderColor), DrawRect(x, y, w, h);
            break;
        case ROUNDED:
            SetColor(color), FillRoundRect(x, y, w, h, 0.2f);
            SetColor(borderColor), DrawRoundRect(x, y, w, h, 0.2f);
            break;
        default:
            SetColor(color), FillEllipse(x + rx, y + ry, rx, ry, n);
            SetColor(borderColor), DrawEllipse(x + rx, y + ry, rx, ry, n);
            break;
    }
}

int Shape::ListProperties(PropertyEntry* table) {
    PropertyList list(table);
    list.Add("Shape", PROP_ENUM, "0-Rectangle;1-Rounded Rectangle;2-Ellipse", &shape);
    list.Add("BorderColor", PROP_COLOR, nullptr, &borderColor);
    list.Add("Color", PROP_COLOR, nullptr, &color);
    return list.count + EventControl::ListProperties(list.Rest());
}

// ---- StatusBar ------------------------------------------------------------------------

StatusBar::StatusBar() : font(GetFont()) {}

void StatusBar::Draw() {
    SetColor(color);
    FillRect(x, y, w, h);
    SetColor(borderColor);
    DrawRect(x, y, w, h);
}

int StatusBar::ListProperties(PropertyEntry* table) {
    PropertyList list(table);
    list.Add("Color", PROP_COLOR, nullptr, &color);
    list.Add("Font", PROP_FONT, nullptr, &font);
    list.Add("TextColor", PROP_COLOR, nullptr, &textColor);
    list.Add("BorderColor", PROP_COLOR, nullptr, &borderColor);
    return list.count + Control::ListProperties(list.Rest());
}
