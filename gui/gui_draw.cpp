// gui_draw.cpp - the GUI's part of every frame: the active sheet's tree drawn in
// creation order with each control clipped to its ancestors, the tooltip box, the
// overlay slot and the GUI's own mouse pointer; then the per-frame update.
#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "engine/engine.h"
#include "gui/gui.h"
#include "gui/gui_internal.h"
#include "platform/platform.h"
#include "render/draw.h"
#include "render/font.h"

// ---- pointer ------------------------------------------------------------------------------

void GuiResetPointer() { g_gui.pointerKind = POINTER_ARROW; }
void SetPointerKind(int kind) {
    if (kind >= 0 && kind < kPointerKinds) g_gui.pointerKind = kind;
}
int GetPointerKind() { return g_gui.pointerKind; }
void SetPointerShape(int kind, PointerDrawFunc fn) {
    if (kind >= 0 && kind < kPointerKinds) g_gui.pointerShapes[kind] = fn;
}
void ShowGuiPointer(bool shown) { g_gui.pointerShown = shown ? 1 : 0; }

struct Vec2 {
    float x, y;
};

static void OutlineLoop(const Vec2* points, int n) {
    glColor4ub(255, 255, 255, 255);
    glBegin(GL_LINE_LOOP);
    for (int i = 0; i < n; ++i) glVertex2f(points[i].x, points[i].y);
    glEnd();
}

static void DrawArrowPointer(float x, float y) {
    const Vec2 tri[3] = {{x, y}, {x + 3, y + 19}, {x + 15, y + 12}};
    glColor4f(0, 0, 0, 0.3f);
    glBegin(GL_TRIANGLES);
    for (const Vec2& p : tri) glVertex2f(p.x, p.y);
    glEnd();
    ScreenLineWidth(1.2f);
    OutlineLoop(tri, 3);
    ScreenLineWidth(1.0f);
}

static void DrawIBeamPointer(float x, float y) {
    glColor4ub(0, 0, 0, 255);
    FillRect(x - 1, y - 8, 2, 16);
    FillRect(x - 3, y - 8, 6, 2);
    FillRect(x - 3, y + 6, 6, 2);
    const Vec2 contour[12] = {{x - 3, y - 8}, {x + 3, y - 8}, {x + 3, y - 6}, {x + 1, y - 6},
                              {x + 1, y + 6}, {x + 3, y + 6}, {x + 3, y + 8}, {x - 3, y + 8},
                              {x - 3, y + 6}, {x - 1, y + 6}, {x - 1, y - 6}, {x - 3, y - 6}};
    OutlineLoop(contour, 12);
}

static void DrawDoubleBarPointer(float x, float y) {
    glColor4ub(0, 0, 0, 255);
    FillRect(x - 3, y - 8, 2, 16);
    FillRect(x + 1, y - 8, 2, 16);
    FillRect(x - 8, y - 1, 5, 2);
    FillRect(x + 3, y - 1, 5, 2);
    const Vec2 left[8] = {{x - 3, y - 8}, {x - 1, y - 8}, {x - 1, y + 8}, {x - 3, y + 8},
                          {x - 3, y + 1}, {x - 8, y + 1}, {x - 8, y - 1}, {x - 3, y - 1}};
    const Vec2 right[8] = {{x + 1, y - 8}, {x + 3, y - 8}, {x + 3, y - 1}, {x + 8, y - 1},
                           {x + 8, y + 1}, {x + 3, y + 1}, {x + 3, y + 8}, {x + 1, y + 8}};
    OutlineLoop(left, 8);
    OutlineLoop(right, 8);
}

void RegisterGuiPointerShapes() {
    for (PointerDrawFunc& fn : g_gui.pointerShapes) fn = nullptr;
    g_gui.pointerShapes[POINTER_ARROW] = DrawArrowPointer;
    g_gui.pointerShapes[POINTER_IBEAM] = DrawIBeamPointer;
    g_gui.pointerShapes[POINTER_DOUBLE_BAR] = DrawDoubleBarPointer;
}

// ---- tooltip ------------------------------------------------------------------------------

static void LayOutToolTip(float px, float py) {
    ToolTipState& tip = g_gui.tip;
    tip.lines.clear();
    size_t start = 0;
    for (;;) {
        size_t end = tip.text.find('\n', start);
        tip.lines.push_back(tip.text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    const Font* font = GetFont();
    float widest = 0;
    for (const std::string& line : tip.lines)
        if (font) widest = std::max(widest, MeasureText(line.c_str(), int(line.size()), font));
    const float lineHeight = font ? font->height * font->scale : 0.0f;
    tip.w = widest + 10;
    tip.h = float(tip.lines.size()) * lineHeight + 4;
    // Above the pointer, kept on the screen.
    tip.x = px, tip.y = py - tip.h;
    if (tip.x + tip.w >= kVirtualWidth) tip.x = kVirtualWidth - tip.w;
    if (tip.y + tip.h >= kVirtualHeight) tip.y = kVirtualHeight - tip.h;
    if (tip.x < 0) tip.x = 0;
    if (tip.y < 0) tip.y = 0;
}

void ShowToolTipAt(const char* text, float x, float y, float opacity) {
    g_gui.tip.text = text ? text : "";
    g_gui.tip.opacity = std::clamp(opacity, 0.0f, 1.0f);
    LayOutToolTip(x, y);
    RequestFrame();
}

void ShowToolTip(const char* text) {
    float mx, my;
    GetMousePos(&mx, &my);
    ShowToolTipAt(text, mx, my, 1.0f);
}

void HideToolTip() {
    if (g_gui.tip.opacity > 0) RequestFrame();
    g_gui.tip.opacity = 0;
}

// A band fading from alpha a0 along (x0,y0)-(x1,y1) to 0 along the parallel edge at
// offset (ox, oy).
static void ShadowBand(float x0, float y0, float x1, float y1, float ox, float oy, float a0) {
    glBegin(GL_QUADS);
    glColor4f(0, 0, 0, a0);
    glVertex2f(x0, y0);
    glVertex2f(x1, y1);
    glColor4f(0, 0, 0, 0);
    glVertex2f(x1 + ox, y1 + oy);
    glVertex2f(x0 + ox, y0 + oy);
    glEnd();
}

static void DrawToolTip() {
    const ToolTipState& tip = g_gui.tip;
    if (tip.opacity <= 0) return;
    const float a = tip.opacity;
    glDisable(GL_TEXTURE_2D);
    if (g_gui.tipShadow) {
        constexpr float kShadow = 4;  // the soft edge; starts a few pixels in from the corner
        glShadeModel(GL_SMOOTH);
        const float r = tip.x + tip.w, b = tip.y + tip.h;
        ShadowBand(r, tip.y + kShadow, r, b, kShadow, 0, 0.6f * a);
        ShadowBand(tip.x + kShadow, b, r, b, 0, kShadow, 0.6f * a);
        // corner: fades diagonally out from (r, b)
        glBegin(GL_TRIANGLES);
        glColor4f(0, 0, 0, 0.6f * a);
        glVertex2f(r, b);
        glColor4f(0, 0, 0, 0);
        glVertex2f(r + kShadow, b);
        glVertex2f(r + kShadow, b + kShadow);
        glColor4f(0, 0, 0, 0.6f * a);
        glVertex2f(r, b);
        glColor4f(0, 0, 0, 0);
        glVertex2f(r + kShadow, b + kShadow);
        glVertex2f(r, b + kShadow);
        glEnd();
    }
    const uint8_t alpha = uint8_t(std::lround(a * 255));
    glColor4ub(255, 255, 225, alpha);
    FillRect(tip.x, tip.y, tip.w, tip.h);
    glColor4ub(0, 0, 0, alpha);
    DrawRect(tip.x, tip.y, tip.w, tip.h);
    glEnable(GL_TEXTURE_2D);
    if (GetFont()) DrawText(std::round(tip.x + 5), std::round(tip.y + 2), tip.text.c_str(), ALIGN_LEFT);
}

// ---- the tree -----------------------------------------------------------------------------

struct ClipRect {
    float left, top, right, bottom;
};

static void SetClipPlane(GLenum plane, double a, double b, double d) {
    const GLdouble eq[4] = {a, b, 0, d};
    glClipPlane(plane, eq);
    glEnable(plane);
}

static void DisableClipPlanes() {
    for (GLenum p = GL_CLIP_PLANE0; p <= GL_CLIP_PLANE3; ++p) glDisable(p);
}

static void DrawTree(Control* c, float ox, float oy, const ClipRect* outer) {
    if (!c->visible) return;
    glPushMatrix();
    glTranslatef(ox, oy, 0);
    glEnable(GL_LINE_SMOOTH);
    glEnable(GL_TEXTURE_2D);
    ScreenLineWidth(1);
    glColor4ub(255, 255, 255, 255);
    // Controls make their own font current to draw; the current font is the GUI's
    // default (new controls and the tooltip take it), so it is put back after each.
    Font* defaultFont = GetFont();
    c->Draw();
    SetFont(defaultFont);
    glPopMatrix();
    if (c->children.empty()) return;

    const float sx = ox + c->x, sy = oy + c->y;
    ClipRect clip{std::round(sx), std::round(sy), std::round(sx + c->w), std::round(sy + c->h)};
    if (outer) {
        clip.left = std::max(clip.left, outer->left), clip.top = std::max(clip.top, outer->top);
        clip.right = std::min(clip.right, outer->right), clip.bottom = std::min(clip.bottom, outer->bottom);
    }
    // By index: a control's Draw may reorder its siblings (a dialog comes to the front).
    for (size_t i = 0; i < c->children.size(); ++i) {
        Control* k = c->children[i];
        const float l = sx + k->x, t = sy + k->y, r = l + k->w, b = t + k->h;
        if (r < clip.left || l > clip.right || b < clip.top || t > clip.bottom) continue;
        // The planes are given with the plain 2D modelview, so they are in screen pixels.
        if (l < clip.left) SetClipPlane(GL_CLIP_PLANE0, 1, 0, -clip.left);
        if (r > clip.right) SetClipPlane(GL_CLIP_PLANE1, -1, 0, clip.right);
        if (t < clip.top) SetClipPlane(GL_CLIP_PLANE2, 0, 1, -clip.top);
        if (b > clip.bottom) SetClipPlane(GL_CLIP_PLANE3, 0, -1, clip.bottom);
        DrawTree(k, sx, sy, &clip);
        DisableClipPlanes();
    }
}

void GuiDraw() {
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    const bool entered2D = !g_engine.mode2D;
    if (entered2D) Begin2D();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_LINE_SMOOTH);
    ScreenLineWidth(1);
    if (g_gui.activeSheet) {
        DrawTree(g_gui.activeSheet, 0, 0, nullptr);
        DrawToolTip();
    }
    glEnable(GL_LINE_SMOOTH);
    glEnable(GL_TEXTURE_2D);
    ScreenLineWidth(1);
    glColor4ub(255, 255, 255, 255);
    DisableClipPlanes();
    if (g_gui.overlay) g_gui.overlay();
    if (g_gui.pointerShown) {
        if (PointerDrawFunc fn = g_gui.pointerShapes[g_gui.pointerKind]) {
            float mx, my;
            GetMousePos(&mx, &my);
            glDisable(GL_TEXTURE_2D);
            fn(mx, my);
        }
    }
    if (entered2D) End2D();
    glPopAttrib();
    // Without vsync a GUI frame would spin a core; a common dialog's own loop does not wait.
    if (g_gui.activeSheet && !g_gui.dialogOpen) PlatSleep(1);
}

// ---- update -------------------------------------------------------------------------------

static void UpdateTree(Control* c, float dt) {
    c->Update(dt);
    for (size_t i = 0; i < c->children.size(); ++i) UpdateTree(c->children[i], dt);
}

void GuiUpdate(float dt) {
    if (g_gui.tip.opacity > 0) g_gui.tip.opacity = std::min(1.0f, g_gui.tip.opacity + dt * 4);
    if (g_gui.activeSheet) UpdateTree(g_gui.activeSheet, dt);
    if (g_gui.tip.opacity > 0 && g_gui.tip.opacity < 1) GuiKeepDrawing();  // fading in
}

void GuiKeepDrawing() { RequestFrameIn(0); }
void GuiWakeIn(float seconds) { RequestFrameIn(seconds); }
