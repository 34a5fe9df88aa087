// dialog.cpp - the Dialog control: drawing (built-in look with its shadow, or skin
// pieces), dragging by the title bar, the close box, and coming to the front on focus.
#include "gui/controls/dialog.h"

#include <GL/gl.h>

#include <algorithm>

#include "engine/engine.h"
#include "gui/gui.h"
#include "render/font.h"
#include "render/texture.h"

Control* NewDialog() { return new Dialog; }

Dialog::Dialog() : font(GetFont()) {}

bool Dialog::IsActive() const {
    const Control* focus = GetFocusControl();
    return focus && Contains(focus);
}

float Dialog::FontHeight() const { return font ? font->height * font->scale : 0.0f; }

float Dialog::ResolveSkin(float v, float s) {
    if (v < 0) return s + v;
    if (v <= 1) return v * s;
    return v;
}

bool Dialog::InCloseBox(float px, float py) const {
    if (skin.pieceCount > 0) {
        const float cx = ResolveSkin(skin.closeX, w), cy = ResolveSkin(skin.closeY, h);
        return PointInRect(px, py, cx, cy, ResolveSkin(skin.closeW, w), ResolveSkin(skin.closeH, h));
    }
    const float fh = FontHeight();
    return PointInRect(px, py, w - fh - 4, 3, fh, fh - 1);
}

void Dialog::Draw() {
    if (!opened) {
        if (!IsActive()) {
            const Control* before = GetFocusControl();
            focusBefore = before ? before->name : "";
            SetFocusTo(name);
        }
        opened = 1;
        Raise(open);
    }
    if (skin.pieceCount > 0)
        DrawSkinned();
    else
        DrawBuiltIn();
}

namespace {

void ShadowVertex(float x, float y, float alpha) {
    glColor4f(0, 0, 0, alpha);
    glVertex2f(x, y);
}

// Black at 0.6 along the bottom and right edges, fading out over seven pixels.
void DrawShadow(float x, float y, float w, float h) {
    glBegin(GL_QUADS);
    ShadowVertex(x + 10, y + h, 0.6f), ShadowVertex(x + w, y + h, 0.6f);
    ShadowVertex(x + w, y + h + 7, 0), ShadowVertex(x + 10, y + h + 7, 0);
    ShadowVertex(x + w, y + 10, 0.6f), ShadowVertex(x + w + 7, y + 10, 0);
    ShadowVertex(x + w + 7, y + h, 0), ShadowVertex(x + w, y + h, 0.6f);
    glEnd();
    glBegin(GL_TRIANGLES);
    ShadowVertex(x + 10, y + h, 0.6f), ShadowVertex(x + 3, y + h, 0), ShadowVertex(x + 10, y + h + 7, 0);
    ShadowVertex(x + w, y + 10, 0.6f), ShadowVertex(x + w + 7, y + 10, 0), ShadowVertex(x + w, y + 3, 0);
    ShadowVertex(x + w, y + h, 0.6f), ShadowVertex(x + w + 7, y + h, 0), ShadowVertex(x + w, y + h + 7, 0);
    glEnd();
}

void Quad(float x0, float y0, float x1, float y1) {
    glVertex2f(x0, y0);
    glVertex2f(x1, y0);
    glVertex2f(x1, y1);
    glVertex2f(x0, y1);
}

}  // namespace

void Dialog::DrawBuiltIn() {
    glPushAttrib(GL_ENABLE_BIT | GL_LINE_BIT);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_LINE_SMOOTH);
    ScreenLineWidth(2);
    const bool entered = !g_engine.mode2D;
    if (entered) Begin2D();

    DrawShadow(x, y, w, h);
    glColor4ub(255, 255, 255, 255);
    Font* previous = SetFont(font);
    const float fh = FontHeight(), th = fh + 4;
    float mx, my;
    MouseLocal(&mx, &my);
    const bool pressed = HasFocus() && IsKeyDown(KEY_MOUSE1) && InCloseBox(mx, my);
    const Color bar = IsActive() ? dragBoxColor : inactiveDragBoxColor;

    glBegin(GL_QUADS);
    SetColor(backgroundColor);
    Quad(x, y + th, x + w, y + h);
    SetColor(bar);
    Quad(x, y, x + w, y + th);
    if (closeButton) {
        SetColor(pressed ? borderColor : backgroundColor);
        Quad(x + w - fh - 4, y + 3, x + w - 3, y + fh + 1);
    }
    glEnd();

    SetColor(bar);
    DrawLine(x, y + th, x + w, y + th);
    SetColor(borderColor);
    DrawRect(x, y, w, h);
    if (closeButton) {
        SetColor(pressed ? backgroundColor : borderColor);
        DrawLine(x + w - fh, y + 6, x + w - 8, y + fh - 1);
        DrawLine(x + w - fh, y + fh - 1, x + w - 8, y + 6);
        ScreenLineWidth(1);
        DrawRect(x + w - fh - 4, y + 3, fh + 1, fh - 1);
    }
    SetColor(textColor);
    glEnable(GL_TEXTURE_2D);
    DrawText(x + 3, y + 2, text.c_str(), ALIGN_LEFT);
    SetFont(previous);

    if (entered) End2D();
    glPopAttrib();
}

void Dialog::DrawSkinned() {
    glPushAttrib(GL_POLYGON_BIT);
    Font* previous = SetFont(skin.font);
    glColor4ub(255, 255, 255, 255);
    const int pieces = std::clamp<int>(skin.pieceCount, 0, 32);
    for (int i = 0; i < pieces; ++i) {
        const DialogSkinPiece& p = skin.pieces[i];
        const float px = ResolveSkin(p.x, w), py = ResolveSkin(p.y, h);
        const float pw = ResolveSkin(p.w, w), ph = ResolveSkin(p.h, h);
        DrawSurfaceRect(x + px, y + py, pw, ph, p.surface, nullptr);
        glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
        DrawSurfaceRect(x + px, y + py, pw, ph, p.surface, nullptr);
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    }
    SetColor(skin.titleColor);
    const float tx = ResolveSkin(skin.titleX, w), ty = ResolveSkin(skin.titleY, h);
    const float tw = skin.font ? TextWidth(text.c_str()) : 0.0f;
    const float shift = skin.titleAlign == 255 ? 0.0f : skin.titleAlign == 0 ? tw * 0.5f : tw;
    DrawText(x + tx - shift, y + ty, text.c_str(), ALIGN_LEFT);
    glColor4ub(255, 255, 255, 255);
    float mx, my;
    MouseLocal(&mx, &my);
    const bool pressed = IsActive() && IsKeyDown(KEY_MOUSE1) && InCloseBox(mx, my);
    if (closeButton) {
        const float cx = ResolveSkin(skin.closeX, w), cy = ResolveSkin(skin.closeY, h);
        const float cw = ResolveSkin(skin.closeW, w), ch = ResolveSkin(skin.closeH, h);
        Surface* face = pressed ? skin.closePressed : skin.closeNormal;
        DrawSurfaceRect(x + cx, y + cy, cw, ch, face, nullptr);
        glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
        DrawSurfaceRect(x + cx, y + cy, cw, ch, face, nullptr);
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    }
    SetFont(previous);
    glPopAttrib();
}

void Dialog::OnMouseDown(int32_t key) {
    EventControl::OnMouseDown(key);
    if (key != KEY_MOUSE1) return;
    float px, py;
    MouseLocal(&px, &py);
    const float fh = FontHeight();
    if (closeButton && PointInRect(px, py, w - fh - 4, 3, fh, fh - 1)) return;
    if (skin.pieceCount > 0) {
        if (PointInRect(px, py, ResolveSkin(skin.dragX, w), ResolveSkin(skin.dragY, h), ResolveSkin(skin.dragW, w),
                        ResolveSkin(skin.dragH, h)))
            dragging = 1;
        if (closeButton && InCloseBox(px, py)) dragging = 0;
    } else if (PointInRect(px, py, 0, 0, w, fh + 4)) {
        dragging = 1;
    }
}

void Dialog::OnMouseMove(float dx, float dy) {
    EventControl::OnMouseMove(dx, dy);
    if (dragging) {
        Raise(dragMove, dx, dy);
        // Dragging changes the position directly: it is not a programmatic Move.
        x += dx;
        y += dy;
    }
    Raise(dragMove, x, y);
}

void Dialog::OnClick(int32_t key) {
    EventControl::OnClick(key);
    dragging = 0;
    if (key != KEY_MOUSE1 || !closeButton) return;
    float px, py;
    MouseLocal(&px, &py);
    if (InCloseBox(px, py)) CloseDialog();
}

void Dialog::CloseDialog() {
    opened = 0;
    {
        DeferFrees keep;
        Raise(close);
        if (destroying) return;  // the handler destroyed the dialog: nothing left to do
    }
    const bool hadFocus = IsActive();
    // Detached, not destroyed: the dialog keeps its name and children and can be
    // shown again by putting it back under a parent.
    Control* formerParent = parent;
    if (parent) {
        auto& siblings = parent->children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
        parent = nullptr;
    }
    if (hadFocus) GiveFocusBack(formerParent);
}

// Keys typed after the close must not go to a dialog that is no longer on screen: the
// focus returns to the control that had it before the dialog took it, or else to the
// place the dialog stood on. A closed modal dialog holds nobody any more.
void Dialog::GiveFocusBack(Control* formerParent) {
    if (Contains(GetModalControl())) SetModalControl(nullptr);
    Control* sheet = g_gui.activeSheet;
    auto onScreen = [&](Control* c) {
        if (!c || !sheet || !sheet->Contains(c) || Contains(c)) return false;
        for (const Control* a = c; a; a = a->parent)
            if (!a->visible) return false;
        return true;
    };
    Control* before = focusBefore.empty() ? nullptr : FindControl(focusBefore.c_str());
    if (onScreen(before))
        ChangeFocus(before);
    else
        ChangeFocus(onScreen(formerParent) ? formerParent : sheet);
}

void Dialog::OnGetFocus() {
    if (!parent) return;
    auto& siblings = parent->children;
    auto it = std::find(siblings.begin(), siblings.end(), this);
    if (it != siblings.end()) std::rotate(it, it + 1, siblings.end());
}

int Dialog::ListProperties(PropertyEntry* table) {
    PropertyList list(table);
    list.Add("CloseButton", PROP_BOOL, nullptr, &closeButton);
    list.Add("BackgroundColor", PROP_COLOR, nullptr, &backgroundColor);
    list.Add("BorderColor", PROP_COLOR, nullptr, &borderColor);
    list.Add("TextColor", PROP_COLOR, nullptr, &textColor);
    list.Add("DragBoxColor", PROP_COLOR, nullptr, &dragBoxColor);
    list.Add("InactiveDragBoxColor", PROP_COLOR, nullptr, &inactiveDragBoxColor);
    list.Add("Font", PROP_FONT, nullptr, &font);
    list.Add("Text", PROP_STRING, nullptr, &text);
    list.Add("Skin", PROP_SKIN, nullptr, &skin);
    return list.count;
}

// The drag slot is listed as "Move" ahead of the common events, which have a "Move" of
// their own; looking "Move" up by name reaches the common one, so the drag slot is only
// set from code.
int Dialog::ListEvents(EventEntry* table) {
    EventList list(table);
    list.Add("Move", &dragMove);
    list.Add("Open", &open);
    list.Add("Close", &close);
    return list.count + EventControl::ListEvents(list.Rest());
}
