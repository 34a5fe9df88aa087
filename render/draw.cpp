// draw.cpp - colours and the colour stack, immediate-mode 2D primitives, hit tests
// and the scratch-rectangle rings. Every primitive is one self-contained batch that
// enters the screen projection only when the caller has not.
#include "render/draw.h"

#include <GL/gl.h>

#include <cmath>

#include "engine/engine.h"

DrawState g_draw;

namespace {

// The frame every primitive runs in: screen projection on, texturing off, and both
// put back afterwards, so a primitive can be called from any state.
class UntexturedFrame {
  public:
    UntexturedFrame() {
        entered_ = !g_engine.mode2D;
        if (entered_) Begin2D();
        textured_ = glIsEnabled(GL_TEXTURE_2D);
        if (textured_) glDisable(GL_TEXTURE_2D);
    }
    ~UntexturedFrame() {
        if (textured_) glEnable(GL_TEXTURE_2D);
        if (entered_) End2D();
    }
    UntexturedFrame(const UntexturedFrame&) = delete;
    UntexturedFrame& operator=(const UntexturedFrame&) = delete;

  private:
    bool entered_ = false;
    bool textured_ = false;
};

void BeginBatch(GLenum mode) {
    glBegin(mode);
    if (g_draw.trace) g_draw.trace->push_back({uint32_t(mode), 0, {}});
}

void Vertex(float x, float y) {
    glVertex2f(x, y);
    if (g_draw.trace) g_draw.trace->back().vertices.push_back({x, y, 0.0f, 0.0f});
}

void Vertex(double x, double y) { Vertex(float(x), float(y)); }

// The quarter-circle arc of one corner, i = 0 .. n; sx, sy pick the quadrant
// (-1 towards the left / top, +1 towards the right / bottom).
void CornerArc(float cx, float cy, float r, int n, int sx, int sy) {
    // The quarter turn is 1.57096 rather than pi/2: the last vertex overshoots by a
    // hair, which closes the corner against the straight edges without a gap.
    const double step = 1.57096 / n;
    for (int i = 0; i <= n; ++i) {
        const double a = i * step;
        Vertex(cx + sx * std::cos(a) * r, cy + sy * std::sin(a) * r);
    }
}

// Circle segments when the caller leaves the choice to us.
int16_t CircleSegments(float r, int16_t segments) { return segments < 3 ? int16_t(r * 0.5f) : segments; }

int16_t EllipseSegments(float rx, float ry, int16_t segments) {
    if (segments < 3) segments = int16_t((rx + ry) * 0.25f);
    // Ellipses are mostly large GUI shapes; fewer segments show visible corners.
    return segments < 32 ? int16_t(32) : segments;
}

// Vertices of a circle or ellipse from the top, clockwise on screen; the last one
// closes the shape. The full turn is taken as 6.283. The angle is worked out in the
// precision of the step (the filled ellipse uses a double step).
template <typename Real>
void RingVertices(float cx, float cy, float rx, float ry, int16_t segments, Real step) {
    for (float i = 0.0f; i <= segments; i += 1.0f) {
        const Real a = Real(i) * step;
        Vertex(cx + std::sin(a) * rx, cy - std::cos(a) * ry);
    }
}

}  // namespace

// ---- colours ----

void SetColor(Color c) { glColor4ub(ColorR(c), ColorG(c), ColorB(c), ColorA(c)); }

void GetColor(float rgba[4]) { glGetFloatv(GL_CURRENT_COLOR, rgba); }

void PushColor() {
    if (g_draw.colorCount >= 256) return;
    GetColor(g_draw.colorStack[g_draw.colorCount]);
    ++g_draw.colorCount;
}

void PopColor() {
    if (g_draw.colorCount <= 0) return;
    --g_draw.colorCount;
    glColor4fv(g_draw.colorStack[g_draw.colorCount]);
}

// ---- primitives ----

void DrawLine(float x1, float y1, float x2, float y2) {
    UntexturedFrame frame;
    BeginBatch(GL_LINES);
    Vertex(x1, y1);
    Vertex(x2, y2);
    glEnd();
}

static void RectCorners(GLenum mode, float x, float y, float w, float h) {
    UntexturedFrame frame;
    BeginBatch(mode);
    Vertex(x, y);
    Vertex(x + w, y);
    Vertex(x + w, y + h);
    Vertex(x, y + h);
    glEnd();
}

void DrawRect(float x, float y, float w, float h) { RectCorners(GL_LINE_LOOP, x, y, w, h); }

void FillRect(float x, float y, float w, float h) { RectCorners(GL_QUADS, x, y, w, h); }

RoundRectShape RoundRectGeometry(float w, float h, float roundness) {
    if (roundness < 0.0f) roundness = 0.0f;
    if (roundness > 1.0f) roundness = 1.0f;
    const float f = roundness * 0.5f;
    // The radius follows the short side, so a roundness of 1 makes that side a half circle.
    const float r = (w * f <= h * 0.5f) ? w * f : h * f;
    // More segments for bigger rectangles: about one more per 18 pixels of w + h.
    const int n = int((w + h) * 0.0555556 + 5.0);
    return {r, n};
}

void DrawRoundRect(float x, float y, float w, float h, float roundness) {
    const auto [r, n] = RoundRectGeometry(w, h, roundness);
    UntexturedFrame frame;
    BeginBatch(GL_LINES);
    Vertex(x + r, y);
    Vertex(x + w - r, y);
    Vertex(x + r, y + h);
    Vertex(x + w - r, y + h);
    Vertex(x, y + r);
    Vertex(x, y + h - r);
    Vertex(x + w, y + r);
    Vertex(x + w, y + h - r);
    glEnd();
    // Hugely negative sizes give no segments; there is no arc to draw then.
    if (n < 1) return;
    const float corners[4][4] = {
        {x + r, y + r, -1, -1}, {x + w - r, y + r, 1, -1}, {x + r, y + h - r, -1, 1}, {x + w - r, y + h - r, 1, 1}};
    for (const auto& c : corners) {
        BeginBatch(GL_LINE_STRIP);
        CornerArc(c[0], c[1], r, n, int(c[2]), int(c[3]));
        glEnd();
    }
}

void FillRoundRect(float x, float y, float w, float h, float roundness) {
    const auto [r, n] = RoundRectGeometry(w, h, roundness);
    UntexturedFrame frame;
    BeginBatch(GL_QUADS);
    Vertex(x + r, y);  // middle band, full height
    Vertex(x + w - r, y);
    Vertex(x + w - r, y + h);
    Vertex(x + r, y + h);
    Vertex(x, y + r);  // left band
    Vertex(x + r, y + r);
    Vertex(x + r, y + h - r);
    Vertex(x, y + h - r);
    Vertex(x + w - r, y + r);  // right band
    Vertex(x + w, y + r);
    Vertex(x + w, y + h - r);
    Vertex(x + w - r, y + h - r);
    glEnd();
    if (n < 1) return;
    const float corners[4][4] = {
        {x + r, y + r, -1, -1}, {x + w - r, y + r, 1, -1}, {x + r, y + h - r, -1, 1}, {x + w - r, y + h - r, 1, 1}};
    for (const auto& c : corners) {
        BeginBatch(GL_TRIANGLE_FAN);
        Vertex(c[0], c[1]);
        CornerArc(c[0], c[1], r, n, int(c[2]), int(c[3]));
        glEnd();
    }
}

// A count of 0 (tiny radius with automatic segments) has no finite angle step;
// such a circle is invisible, so nothing is sent to GL at all.
void DrawCircle(float cx, float cy, float r, int16_t segments) {
    segments = CircleSegments(r, segments);
    if (segments == 0) return;
    UntexturedFrame frame;
    BeginBatch(GL_LINE_STRIP);
    RingVertices(cx, cy, r, r, segments, 6.283f / segments);
    glEnd();
}

void FillCircle(float cx, float cy, float r, int16_t segments) {
    segments = CircleSegments(r, segments);
    if (segments == 0) return;
    UntexturedFrame frame;
    BeginBatch(GL_TRIANGLE_FAN);
    Vertex(cx, cy);
    RingVertices(cx, cy, r, r, segments, 6.283f / segments);
    glEnd();
}

void DrawEllipse(float cx, float cy, float rx, float ry, int16_t segments) {
    segments = EllipseSegments(rx, ry, segments);
    UntexturedFrame frame;
    BeginBatch(GL_LINE_STRIP);
    RingVertices(cx, cy, rx, ry, segments, 6.283f / segments);
    glEnd();
}

void FillEllipse(float cx, float cy, float rx, float ry, int16_t segments) {
    segments = EllipseSegments(rx, ry, segments);
    UntexturedFrame frame;
    BeginBatch(GL_TRIANGLE_FAN);
    Vertex(cx, cy);
    RingVertices(cx, cy, rx, ry, segments, 6.283 / double(segments));
    glEnd();
}

// ---- hit tests ----

bool PointInRect(float px, float py, float x, float y, float w, float h) {
    return x <= px && px <= x + w && y <= py && py <= y + h;
}

// The rounded shape as a cross of two bands plus four corner discs. The band edges
// are not symmetric (the vertical band excludes its left and bottom edge); controls
// rely on the exact result, so it stays this way.
bool PointInRoundRect(float px, float py, float x, float y, float w, float h, float roundness) {
    const float f = roundness * 0.5f;
    const float r = (w * f <= h * 0.5f) ? w * f : h * f;
    if (x <= px && px <= x + w && y + r < py && py < y + h - r) return true;
    if (x + r < px && px <= x + w - r && y <= py && py < y + h) return true;
    const float centres[4][2] = {{x + r, y + r}, {x + w - r, y + r}, {x + r, y + h - r}, {x + w - r, y + h - r}};
    for (const auto& c : centres) {
        const float dx = px - c[0], dy = py - c[1];
        if (dx * dx + dy * dy < r * r) return true;
    }
    return false;
}

bool PointInEllipse(float px, float py, float cx, float cy, float rx, float ry) {
    const float k = rx / ry;
    const float dx = px - cx, dy = (py - cy) * k;
    return dx * dx + dy * dy < rx * rx;
}

// ---- scratch rectangles ----

// Ten slots, nine in use: the rings wrap after slot 8.
RectS* TempRect(int16_t x, int16_t y, int16_t w, int16_t h) {
    RectS* slot = &g_draw.tempRects[g_draw.tempRectIndex];
    *slot = {x, y, w, h};
    g_draw.tempRectIndex = g_draw.tempRectIndex >= 8 ? 0 : g_draw.tempRectIndex + 1;
    return slot;
}

RectF* TempRectF(float x, float y, float w, float h) {
    RectF* slot = &g_draw.tempRectsF[g_draw.tempRectFIndex];
    *slot = {x, y, w, h};
    g_draw.tempRectFIndex = g_draw.tempRectFIndex >= 8 ? 0 : g_draw.tempRectFIndex + 1;
    return slot;
}
