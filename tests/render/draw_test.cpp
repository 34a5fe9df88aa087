// draw_test.cpp - the 2D primitives: rounding, hit-test edges, the colour stack, and
// pixels and GL state on a real GL context.
#include "render/draw.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

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
    EXPECT_FLOAT_EQ(RoundRectGeometry(100, 80, 0.5f).radius, 25.0f);  // w * f fits: not h * f
    EXPECT_FLOAT_EQ(RoundRectGeometry(100, 20, 1.7f).radius, 10.0f);
    EXPECT_FLOAT_EQ(RoundRectGeometry(100, 20, -1.0f).radius, 0.0f);
}

TEST(Circle, TinyRadiusWithAutomaticSegmentsDrawsNothing) {
    EnsureTestEngine();
    Trace trace;
    DrawCircle(100, 100, 1.5f, 0);
    FillCircle(100, 100, 1.5f, 0);
    EXPECT_TRUE(trace.batches.empty());
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
    EXPECT_FALSE(PointInRoundRect(1, 1, 0, 0, 100, 20, 1.0f));    // outside the corner disc
    EXPECT_TRUE(PointInRoundRect(4, 5, 0, 0, 100, 20, 1.0f));     // inside it
    EXPECT_TRUE(PointInRoundRect(50, 0, 0, 0, 100, 20, 1.0f));    // top edge counts
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
