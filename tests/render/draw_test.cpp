// draw_test.cpp - the 2D primitives' geometry (recorded through the draw trace),
// hit-test edges, the colour stack and scratch rings, and pixels on a real GL context.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "render/draw.h"
#include "support/engine_fixture.h"

namespace {

// Records every batch drawn while it lives.
struct Trace {
    std::vector<DrawBatch> batches;
    Trace() { g_draw.trace = &batches; }
    ~Trace() { g_draw.trace = nullptr; }
};

std::vector<float> ProjectionMatrix() {
    std::vector<float> m(16);
    glGetFloatv(GL_PROJECTION_MATRIX, m.data());
    return m;
}

}  // namespace

TEST(RoundRect, RadiusFollowsShortSideAndRoundnessIsClamped) {
    RoundRectShape s = RoundRectGeometry(100, 20, 1.0f);
    EXPECT_FLOAT_EQ(s.radius, 10.0f);
    EXPECT_EQ(s.segments, 11);
    EXPECT_FLOAT_EQ(RoundRectGeometry(100, 80, 0.5f).radius, 25.0f);  // w * f fits: not h * f
    EXPECT_FLOAT_EQ(RoundRectGeometry(100, 20, 1.7f).radius, 10.0f);
    EXPECT_FLOAT_EQ(RoundRectGeometry(100, 20, -1.0f).radius, 0.0f);
}

TEST(RoundRect, FillEmitsThreeBandsAndFourCornerFans) {
    EnsureTestEngine();
    Trace trace;
    FillRoundRect(0, 0, 100, 20, 1.0f);
    ASSERT_EQ(trace.batches.size(), 5u);
    EXPECT_EQ(trace.batches[0].mode, uint32_t(GL_QUADS));
    EXPECT_EQ(trace.batches[0].vertices.size(), 12u);
    for (int i = 1; i < 5; ++i) {
        EXPECT_EQ(trace.batches[i].mode, uint32_t(GL_TRIANGLE_FAN));
        EXPECT_EQ(trace.batches[i].vertices.size(), 13u);  // centre + 12 arc vertices
    }
    // Top-left corner: centre (10, 10), arc from (0, 10) round to just past (10, 0).
    const auto& tl = trace.batches[1].vertices;
    EXPECT_FLOAT_EQ(tl[0].x, 10.0f);
    EXPECT_FLOAT_EQ(tl[1].x, 0.0f);
    EXPECT_FLOAT_EQ(tl[1].y, 10.0f);
    EXPECT_NEAR(tl[12].x, 10.0f, 0.01);  // the quarter turn of 1.57096 overshoots a hair
    EXPECT_NEAR(tl[12].y, 0.0f, 0.01);
    // Bottom-right corner arcs to the right edge first.
    const auto& br = trace.batches[4].vertices;
    EXPECT_FLOAT_EQ(br[1].x, 100.0f);
    EXPECT_FLOAT_EQ(br[1].y, 10.0f);
}

TEST(Circle, AutomaticSegmentsStartAtTopAndClose) {
    EnsureTestEngine();
    Trace trace;
    DrawCircle(100, 100, 40, 0);
    FillCircle(100, 100, 40, 0);
    ASSERT_EQ(trace.batches.size(), 2u);
    const auto& ring = trace.batches[0].vertices;
    ASSERT_EQ(ring.size(), 21u);
    EXPECT_FLOAT_EQ(ring[0].x, 100.0f);
    EXPECT_FLOAT_EQ(ring[0].y, 60.0f);
    EXPECT_GT(ring[1].x, 100.0f);  // clockwise on screen: to the right first
    EXPECT_NEAR(ring[20].x, 100.0f, 0.05f);
    EXPECT_NEAR(ring[20].y, 60.0f, 0.05f);
    const auto& fan = trace.batches[1].vertices;
    ASSERT_EQ(fan.size(), 22u);
    EXPECT_FLOAT_EQ(fan[0].x, 100.0f);
    EXPECT_FLOAT_EQ(fan[0].y, 100.0f);
}

TEST(Circle, TinyRadiusWithAutomaticSegmentsDrawsNothing) {
    EnsureTestEngine();
    Trace trace;
    DrawCircle(100, 100, 1.5f, 0);
    FillCircle(100, 100, 1.5f, 0);
    EXPECT_TRUE(trace.batches.empty());
}

TEST(Ellipse, UsesAtLeast32Segments) {
    EnsureTestEngine();
    Trace trace;
    DrawEllipse(0, 0, 10, 10, 8);
    FillEllipse(200, 100, 60, 20, 40);
    ASSERT_EQ(trace.batches.size(), 2u);
    EXPECT_EQ(trace.batches[0].vertices.size(), 33u);
    const auto& fan = trace.batches[1].vertices;
    ASSERT_EQ(fan.size(), 42u);
    EXPECT_FLOAT_EQ(fan[1].y, 80.0f);                 // top of the ellipse: cy - ry
    EXPECT_NEAR(fan[11].x, 260.0f, 0.05f);            // a quarter turn on: cx + rx
}

TEST(HitTest, RectIncludesAllEdges) {
    EXPECT_TRUE(PointInRect(10, 20, 10, 20, 30, 40));
    EXPECT_TRUE(PointInRect(40, 60, 10, 20, 30, 40));
    EXPECT_TRUE(PointInRect(40, 20, 10, 20, 30, 40));
    EXPECT_TRUE(PointInRect(10, 60, 10, 20, 30, 40));
    EXPECT_FALSE(PointInRect(9.9f, 30, 10, 20, 30, 40));
    EXPECT_FALSE(PointInRect(20, 60.1f, 10, 20, 30, 40));
}

TEST(HitTest, EllipseExcludesItsOutline) {
    EXPECT_FALSE(PointInEllipse(150, 100, 100, 100, 50, 20));
    EXPECT_FALSE(PointInEllipse(100, 120, 100, 100, 50, 20));
    EXPECT_TRUE(PointInEllipse(149, 100, 100, 100, 50, 20));
    EXPECT_TRUE(PointInEllipse(100, 119, 100, 100, 50, 20));
    EXPECT_FALSE(PointInEllipse(140, 115, 100, 100, 50, 20));
}

TEST(HitTest, RoundRectCutsCornersAndKeepsBandEdgeRules) {
    // 100 x 20 at roundness 1: radius 10.
    EXPECT_TRUE(PointInRoundRect(50, 10, 0, 0, 100, 20, 1.0f));
    EXPECT_FALSE(PointInRoundRect(1, 1, 0, 0, 100, 20, 1.0f));  // outside the corner disc
    EXPECT_TRUE(PointInRoundRect(4, 5, 0, 0, 100, 20, 1.0f));   // inside it
    EXPECT_TRUE(PointInRoundRect(50, 0, 0, 0, 100, 20, 1.0f));  // top edge counts
    EXPECT_FALSE(PointInRoundRect(50, 20, 0, 0, 100, 20, 1.0f));  // bottom edge does not
    EXPECT_FALSE(PointInRoundRect(101, 10, 0, 0, 100, 20, 1.0f));
    // Roundness 0 is a plain rectangle, corners included.
    EXPECT_TRUE(PointInRoundRect(0, 1, 0, 0, 100, 20, 0.0f));
}

TEST(ColorStack, FullStackIgnoresPushAndEmptyStackIgnoresPop) {
    EnsureTestEngine();
    ASSERT_EQ(g_draw.colorCount, 0);
    for (int i = 0; i < 256; ++i) {
        glColor4ub(uint8_t(i), 0, 0, 255);
        PushColor();
    }
    glColor4ub(0, 255, 0, 255);
    PushColor();  // the 257th: ignored
    EXPECT_EQ(g_draw.colorCount, 256);
    float rgba[4];
    for (int i = 255; i >= 0; --i) {
        PopColor();
        GetColor(rgba);
        ASSERT_NEAR(rgba[0], i / 255.0f, 1e-4) << "pop " << i;
        ASSERT_FLOAT_EQ(rgba[1], 0.0f);
    }
    glColor4f(0.25f, 0.5f, 0.75f, 1.0f);
    PopColor();
    GetColor(rgba);
    EXPECT_FLOAT_EQ(rgba[0], 0.25f);
    EXPECT_FLOAT_EQ(rgba[2], 0.75f);
    EXPECT_EQ(g_draw.colorCount, 0);
}

TEST(ScratchRects, RingsReuseTheirSlotAfterNineCalls) {
    RectF* first = TempRectF(1, 2, 3, 4);
    std::vector<RectF*> next;
    for (int i = 0; i < 8; ++i) next.push_back(TempRectF(float(i), 0, 0, 0));
    for (RectF* r : next) EXPECT_NE(r, first);
    EXPECT_FLOAT_EQ(first->w, 3.0f);  // still intact after eight further calls
    EXPECT_EQ(TempRectF(5, 6, 7, 8), first);

    RectS* s = TempRect(1, 2, 3, 4);
    for (int i = 0; i < 8; ++i) EXPECT_NE(TempRect(0, 0, 0, 0), s);
    EXPECT_EQ(TempRect(0, 0, 0, 0), s);
}

TEST(DrawPixels, FilledShapesAppearInTheirColourAndPlace) {
    EnsureTestEngine();
    ClearScreen();
    SetColor(MakeColor(255, 0, 0));
    FillRect(100, 100, 50, 40);
    SetColor(MakeColor(0, 255, 0));
    FillCircle(400, 300, 50, 0);
    SetColor(MakeColor(0, 0, 255));
    FillRoundRect(600, 100, 100, 40, 1.0f);
    EXPECT_EQ(ReadPixel(125, 120), (Rgb{255, 0, 0}));
    EXPECT_EQ(ReadPixel(101, 101), (Rgb{255, 0, 0}));
    EXPECT_EQ(ReadPixel(95, 120), (Rgb{0, 0, 0}));
    EXPECT_EQ(ReadPixel(125, 145), (Rgb{0, 0, 0}));
    EXPECT_EQ(ReadPixel(400, 300), (Rgb{0, 255, 0}));
    EXPECT_EQ(ReadPixel(400, 255), (Rgb{0, 255, 0}));
    EXPECT_EQ(ReadPixel(440, 260), (Rgb{0, 0, 0}));  // outside the circle, inside its box
    EXPECT_EQ(ReadPixel(650, 120), (Rgb{0, 0, 255}));
    EXPECT_EQ(ReadPixel(601, 101), (Rgb{0, 0, 0}));  // rounded corner left empty
}

TEST(DrawState, PrimitivesRestoreTexturingAndProjection) {
    EnsureTestEngine();
    ASSERT_TRUE(g_engine.mode2D);
    const auto projection = ProjectionMatrix();
    glEnable(GL_TEXTURE_2D);
    DrawLine(0, 0, 10, 10);
    FillEllipse(100, 100, 20, 10, 0);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    glDisable(GL_TEXTURE_2D);
    DrawRect(0, 0, 10, 10);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(ProjectionMatrix(), projection);

    // Outside the screen projection a primitive enters it for itself and leaves it.
    End2D();
    const auto perspective = ProjectionMatrix();
    ClearScreen();
    SetColor(MakeColor(255, 255, 0));
    FillRect(200, 200, 20, 20);
    EXPECT_FALSE(g_engine.mode2D);
    EXPECT_EQ(ProjectionMatrix(), perspective);
    EXPECT_EQ(ReadPixel(210, 210), (Rgb{255, 255, 0}));
    Begin2D();
}
