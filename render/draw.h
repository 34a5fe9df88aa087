// draw.h - colours, the colour stack, 2D drawing primitives in the 800 x 600 virtual
// screen, the matching hit tests and the scratch rectangles handed to the image drawers.
// Depends on engine/ (Begin2D/End2D and the 2D-mode flag) and OpenGL 1.1.
#pragma once

#include <cstdint>
#include <vector>

// ---- colours ----

// R in the lowest byte, then G, B, A: the byte order glColor4ub takes.
using Color = uint32_t;

// Opaque colour (alpha 255).
constexpr Color MakeColor(uint8_t r, uint8_t g, uint8_t b) {
    return 0xFF000000u | (Color(b) << 16) | (Color(g) << 8) | Color(r);
}
constexpr uint8_t ColorR(Color c) { return uint8_t(c & 0xFF); }
constexpr uint8_t ColorG(Color c) { return uint8_t(c >> 8); }
constexpr uint8_t ColorB(Color c) { return uint8_t(c >> 16); }
constexpr uint8_t ColorA(Color c) { return uint8_t(c >> 24); }

// Makes c the current GL colour (glColor4ub of its four bytes).
void SetColor(Color c);
// Reads the current GL colour as R, G, B, A floats.
void GetColor(float rgba[4]);
// Saves the current GL colour; a push on a full stack (256 entries) is ignored.
void PushColor();
// Restores the last saved colour; does nothing when the stack is empty.
void PopColor();

// ---- primitives (all draw with the current GL colour) ----

void DrawLine(float x1, float y1, float x2, float y2);
void DrawRect(float x, float y, float w, float h);
void FillRect(float x, float y, float w, float h);
// roundness 0..1 (clamped): 1 makes the short side fully round.
void DrawRoundRect(float x, float y, float w, float h, float roundness);
void FillRoundRect(float x, float y, float w, float h, float roundness);
// segments < 3 picks a count from the radius.
void DrawCircle(float cx, float cy, float r, int16_t segments);
void FillCircle(float cx, float cy, float r, int16_t segments);
// Ellipses use at least 32 segments.
void DrawEllipse(float cx, float cy, float rx, float ry, int16_t segments);
void FillEllipse(float cx, float cy, float rx, float ry, int16_t segments);

// ---- hit tests ----

// Edges included.
bool PointInRect(float px, float py, float x, float y, float w, float h);
bool PointInRoundRect(float px, float py, float x, float y, float w, float h, float roundness);
// Strictly inside: a point exactly on the ellipse is outside.
bool PointInEllipse(float px, float py, float cx, float cy, float rx, float ry);

// Corner radius and segments per corner that the rounded-rectangle drawers use.
struct RoundRectShape {
    float radius;
    int segments;
};
RoundRectShape RoundRectGeometry(float w, float h, float roundness);

// ---- scratch rectangles ----

struct RectS {
    int16_t x, y, w, h;
};
struct RectF {
    float x, y, w, h;
};

// Store the values in the next slot of a small ring and return it; the pointer
// stays valid until eight further calls of the same function.
RectS* TempRect(int16_t x, int16_t y, int16_t w, int16_t h);
RectF* TempRectF(float x, float y, float w, float h);

// ---- module state ----

// One glBegin/glEnd batch as seen by the trace (for tests and debugging).
struct DrawVertex {
    float x, y, s, t;
};
struct DrawBatch {
    uint32_t mode;     // GL primitive
    uint32_t texture;  // texture bound when the batch began (0 when untextured)
    std::vector<DrawVertex> vertices;
};

struct DrawState {
    float colorStack[256][4] = {};
    int16_t colorCount = 0;
    RectS tempRects[10] = {};
    int16_t tempRectIndex = 0;
    RectF tempRectsF[10] = {};
    int16_t tempRectFIndex = 0;
    // When set, every batch the drawers emit is also appended here.
    std::vector<DrawBatch>* trace = nullptr;
};
extern DrawState g_draw;
