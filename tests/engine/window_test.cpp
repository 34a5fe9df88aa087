// Window, GL context, projections, loading screen and shut-down, on a real window.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "support/engine_fixture.h"

namespace {

bool PaintedIs(int x, int y, uint8_t r, uint8_t g, uint8_t b) {
    uint8_t rgb[3];
    return TestReadPaintedPixel(x, y, rgb) && rgb[0] == r && rgb[1] == g && rgb[2] == b;
}

std::vector<float> CurrentMatrix(GLenum which) {
    std::vector<float> m(16);
    glGetFloatv(which, m.data());
    return m;
}

}  // namespace

TEST(EngineWindow, ClientAreaIsExactly800x600AndViewportMatches) {
    EnsureTestEngine();
    PlatRect client;
    PlatGetClientRect(&client);
    EXPECT_EQ(client.right, 800);
    EXPECT_EQ(client.bottom, 600);
    EXPECT_EQ(g_engine.clientWidth, 800);
    EXPECT_EQ(g_engine.clientHeight, 600);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 800);
    EXPECT_EQ(viewport[3], 600);
}

TEST(EngineWindow, LoadingBarAtHalfEndsAtX400WithOnePixelFrame) {
    EnsureTestEngine();
    SetLoadingText("Making backup...");
    SetLoadingProgress(0.5f);
    const int h = 600;
    EXPECT_TRUE(PaintedIs(5, h - 30, 0, 255, 0));    // outer frame
    EXPECT_TRUE(PaintedIs(6, h - 29, 0, 0, 0));      // gap inside the frame
    EXPECT_TRUE(PaintedIs(7, h - 28, 0, 255, 0));    // bar start
    EXPECT_TRUE(PaintedIs(399, h - 15, 0, 255, 0));  // last bar column
    EXPECT_TRUE(PaintedIs(400, h - 15, 0, 0, 0));    // first empty column
    EXPECT_TRUE(PaintedIs(794, h - 6, 0, 255, 0));   // frame's bottom-right
    EXPECT_TRUE(PaintedIs(400, 100, 0, 0, 0));       // black above
    // The text is drawn in green somewhere in the line above the bar.
    bool textSeen = false;
    for (int y = h - 50; y < h - 32 && !textSeen; ++y)
        for (int x = 5; x < 120 && !textSeen; ++x) {
            uint8_t rgb[3];
            textSeen = TestReadPaintedPixel(x, y, rgb) && rgb[1] > 128 && rgb[0] == 0;
        }
    EXPECT_TRUE(textSeen);
    SetLoadingProgress(1.0f);
}

TEST(EngineWindow, NewLoadingTextFirstShowsTheRunningBarFull) {
    EnsureTestEngine();
    static std::vector<float> seen;
    seen.clear();
    void (*saved)() = g_engine.progressHandler;
    g_engine.progressHandler = [] { seen.push_back(g_engine.loadingProgress); };
    SetLoadingProgress(0.4f);
    SetLoadingText("Next step");
    g_engine.progressHandler = saved;
    EXPECT_EQ(seen, (std::vector<float>{0.4f, 1.0f, 0.0f}));
    // A finished bar is not repainted full again.
    seen.clear();
    g_engine.progressHandler = [] { seen.push_back(g_engine.loadingProgress); };
    SetLoadingText("Another");
    g_engine.progressHandler = saved;
    EXPECT_EQ(seen, (std::vector<float>{0.0f}));
}

TEST(EngineWindow, Begin2DDoesNotCountAndEnd2DRestoresMatrices) {
    EnsureTestEngine();
    End2D();
    const auto projection = CurrentMatrix(GL_PROJECTION_MATRIX);
    Begin2D();
    Begin2D();
    EXPECT_FLOAT_EQ(CurrentMatrix(GL_PROJECTION_MATRIX)[0], 2.0f / 800.0f);
    EXPECT_FLOAT_EQ(CurrentMatrix(GL_PROJECTION_MATRIX)[5], -2.0f / 600.0f);
    End2D();
    EXPECT_EQ(g_engine.mode2D, 0);
    EXPECT_EQ(CurrentMatrix(GL_PROJECTION_MATRIX), projection);
    Begin2D();
}

TEST(EngineWindow, ResizeKeepsTheScreenProjectionIn2D) {
    EnsureTestEngine();
    OnResize(1600, 1200);
    EXPECT_FLOAT_EQ(CurrentMatrix(GL_PROJECTION_MATRIX)[0], 2.0f / 800.0f);
    OnResize(800, 600);
}

TEST(EngineWindowDeath, GLContextFailureShowsTheMessageAndExitsWithZero) {
    EXPECT_EXIT(
        {
            InitEngine("x");
            CreateEngineWindow(800, 600, 0);
            TestSetGLContextFails(true);
            InitGL();
            std::exit(3);  // not reached
        },
        testing::ExitedWithCode(0), "Error\\( InitGL \\): Failed to initialize OpenGL,quiting\\.\\.\\.");
}

TEST(EngineWindowDeath, ShutdownTwiceFreesOnceAndShowsTheCursorOnce) {
    EXPECT_EXIT(
        {
            EnsureTestEngine();
            const int hidden = TestCursorShowCount();
            for (int i = 0; i < 3; ++i) TrackAllocation(std::malloc(16));
            ShutdownEngine();
            const bool first = TestCursorShowCount() == hidden + 1 && TrackedAllocationCount() == 0 &&
                               !PlatHasGLContext() && !PlatHasWindow();
            ShutdownEngine();
            std::exit(first && TestCursorShowCount() == hidden + 1 ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}
