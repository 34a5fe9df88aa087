// texture_test.cpp - builders (tile grid, padding, borders), the surface tile walk
// with its texture coordinates, cropping and clamping, and pixels drawn from textures.
#include <gtest/gtest.h>

#include <cstdlib>
#include <utility>
#include <vector>

#include "render/texture.h"
#include "support/engine_fixture.h"

namespace {

struct Trace {
    std::vector<DrawBatch> batches;
    Trace() { g_draw.trace = &batches; }
    ~Trace() { g_draw.trace = nullptr; }
};

// A picture whose every pixel can be told from its neighbours:
// R = x mod 256, G = y mod 256, B = 40 per tile column.
std::vector<uint8_t> Pattern(int w, int h) {
    std::vector<uint8_t> p(size_t(w) * h * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* px = &p[(size_t(y) * w + x) * 4];
            px[0] = uint8_t(x);
            px[1] = uint8_t(y);
            px[2] = uint8_t(40 * (x / 254));
            px[3] = 255;
        }
    return p;
}

bool Near(Rgb a, Rgb b, int tolerance = 1) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.b - b.b) <= tolerance;
}

SurfaceHandle MakeSurface(int w, int h) {
    const auto pixels = Pattern(w, h);
    return SurfaceHandle(CreateSurfaceRGBA(pixels.data(), w, h));
}

}  // namespace

TEST(SurfaceBuilder, CutsTheGridAndSizesTheLastTiles) {
    EnsureTestEngine();
    auto s = MakeSurface(600, 300);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->columns, 3);
    EXPECT_EQ(s->rows, 2);
    EXPECT_EQ(s->lastColumnWidth, 128);  // 92 pixels + 2 border texels
    EXPECT_EQ(s->lastRowHeight, 64);     // 46 + 2
    ASSERT_EQ(s->tiles.size(), 6u);
    for (uint32_t name : s->tiles) EXPECT_TRUE(glIsTexture(name));

    auto exact = MakeSurface(508, 254);  // whole tiles: the last ones need the full 256
    ASSERT_TRUE(exact);
    EXPECT_EQ(exact->columns, 2);
    EXPECT_EQ(exact->rows, 1);
    EXPECT_EQ(exact->lastColumnWidth, 256);
    EXPECT_EQ(exact->lastRowHeight, 256);
}

// Texel (tx, ty) of a tile read back from GL, as R, G.
std::pair<int, int> Texel(uint32_t name, int tw, int tx, int ty) {
    std::vector<uint8_t> texels(size_t(tw) * 256 * 4);
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    const uint8_t* p = &texels[(size_t(ty) * tw + tx) * 4];
    return {p[0], p[1]};
}

TEST(SurfaceBuilder, BordersRepeatNeighbouringPixels) {
    EnsureTestEngine();
    auto s = MakeSurface(600, 300);
    ASSERT_TRUE(s);
    using P = std::pair<int, int>;
    // Tile (0, 0): texel 1 is pixel 0; the left/top border repeats the edge pixel and
    // the right border shows the next tile's first column.
    EXPECT_EQ(Texel(s->tiles[0], 256, 1, 1), P(0, 0));
    EXPECT_EQ(Texel(s->tiles[0], 256, 0, 0), P(0, 0));
    EXPECT_EQ(Texel(s->tiles[0], 256, 255, 10), P(254, 9));
    // Tile (1, 0): its left border is the previous tile's last column.
    EXPECT_EQ(Texel(s->tiles[1], 256, 0, 10), P(253, 9));
    // Tile (2, 1) (128 x 64): everything past the picture repeats its last pixel.
    EXPECT_EQ(Texel(s->tiles[5], 128, 92, 46), P(599 & 255, 299 & 255));
    EXPECT_EQ(Texel(s->tiles[5], 128, 127, 63), P(599 & 255, 299 & 255));
    EXPECT_EQ(Texel(s->tiles[5], 128, 1, 0), P(508 & 255, 253));
}

TEST(SurfaceBuilder, RejectsBadInput) {
    EnsureTestEngine();
    const auto pixels = Pattern(4, 4);
    EXPECT_EQ(CreateSurfaceRGBA(nullptr, 4, 4), nullptr);
    EXPECT_EQ(CreateSurfaceRGBA(pixels.data(), 0, 4), nullptr);
    EXPECT_EQ(CreateSurfaceRGBA(pixels.data(), 4, -1), nullptr);
    EXPECT_EQ(CreateTextureRGBA(nullptr, 4, 4, false), nullptr);
    EXPECT_EQ(CreateTextureRGBA(pixels.data(), 0, 4, false), nullptr);
    EXPECT_EQ(CreateAlphaTexture(pixels.data(), 4, 1 << 20), nullptr);
    FreeTexture(nullptr);
    FreeSurface(nullptr);
}

TEST(SurfaceDraw, WholePictureWalksEveryTileWithBorderOffsets) {
    EnsureTestEngine();
    auto s = MakeSurface(600, 300);
    ASSERT_TRUE(s);
    Trace trace;
    DrawSurface(0, 0, 600, 300, s.get(), nullptr);
    ASSERT_EQ(trace.batches.size(), 6u);
    const float xs[4] = {0, 254, 508, 600}, ys[3] = {0, 254, 300};
    const float tw[3] = {256, 256, 128}, th[2] = {256, 64};
    const float cw[3] = {254, 254, 92}, rh[2] = {254, 46};
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 3; ++c) {
            const DrawBatch& q = trace.batches[size_t(r) * 3 + c];
            SCOPED_TRACE(testing::Message() << "tile " << c << "," << r);
            EXPECT_EQ(q.texture, s->tiles[size_t(r) * 3 + c]);
            ASSERT_EQ(q.vertices.size(), 4u);
            EXPECT_FLOAT_EQ(q.vertices[0].x, xs[c]);
            EXPECT_FLOAT_EQ(q.vertices[0].y, ys[r]);
            EXPECT_FLOAT_EQ(q.vertices[2].x, xs[c + 1]);
            EXPECT_FLOAT_EQ(q.vertices[2].y, ys[r + 1]);
            EXPECT_FLOAT_EQ(q.vertices[0].s, 1.0f / tw[c]);
            EXPECT_FLOAT_EQ(q.vertices[0].t, 1.0f / th[r]);
            EXPECT_FLOAT_EQ(q.vertices[2].s, (cw[c] + 1.0f) / tw[c]);
            EXPECT_FLOAT_EQ(q.vertices[2].t, (rh[r] + 1.0f) / th[r]);
        }
    // The middle column spans 1/256 .. 255/256.
    EXPECT_FLOAT_EQ(trace.batches[1].vertices[1].s, 255.0f / 256.0f);
}

TEST(SurfaceDraw, CropsAtTheRightEdgeOfTheScreen) {
    EnsureTestEngine();
    auto s = MakeSurface(600, 300);
    ASSERT_TRUE(s);
    {
        // w 200 at x 700 keeps 100 pixels of screen and half of the source: 0 .. 300.
        Trace trace;
        DrawSurface(700, 0, 200, 300, s.get(), nullptr);
        ASSERT_EQ(trace.batches.size(), 4u);  // columns 0 and 1, rows 0 and 1
        const auto& right = trace.batches[1].vertices;
        EXPECT_NEAR(trace.batches[0].vertices[2].x, 700.0f + 254.0f / 3.0f, 1e-3);
        EXPECT_FLOAT_EQ(right[2].x, 800.0f);
        EXPECT_FLOAT_EQ(right[2].s, 47.0f / 256.0f);  // 46 pixels into column 1
    }
    {
        Trace trace;
        DrawSurface(801, 0, 200, 300, s.get(), nullptr);
        EXPECT_TRUE(trace.batches.empty());
    }
    {
        // At x 800 the crop leaves no width: quads of zero width at the screen edge.
        Trace trace;
        DrawSurface(800, 0, 200, 300, s.get(), nullptr);
        ASSERT_FALSE(trace.batches.empty());
        for (const DrawBatch& b : trace.batches) {
            EXPECT_FLOAT_EQ(b.vertices[0].x, 800.0f);
            EXPECT_FLOAT_EQ(b.vertices[2].x, 800.0f);
        }
    }
    {
        Trace trace;
        DrawSurface(-201, 0, 200, 300, s.get(), nullptr);
        DrawSurface(0, 601, 200, 300, s.get(), nullptr);
        EXPECT_TRUE(trace.batches.empty());
    }
}

TEST(SurfaceDraw, SourceIsClampedIntoThePicture) {
    EnsureTestEngine();
    auto s = MakeSurface(600, 300);
    ASSERT_TRUE(s);
    Trace trace;
    // 100 wide from x 550 runs past the picture: it is moved back to 500 .. 600.
    DrawSurface(0, 0, 100, 100, s.get(), TempRect(550, 0, 100, 100));
    ASSERT_EQ(trace.batches.size(), 2u);
    EXPECT_EQ(trace.batches[0].texture, s->tiles[1]);
    EXPECT_FLOAT_EQ(trace.batches[0].vertices[0].s, 247.0f / 256.0f);
    EXPECT_FLOAT_EQ(trace.batches[0].vertices[2].x, 8.0f);
    EXPECT_EQ(trace.batches[1].texture, s->tiles[2]);
    EXPECT_FLOAT_EQ(trace.batches[1].vertices[2].s, 93.0f / 128.0f);
    trace.batches.clear();

    // Natural size from a float source: the destination takes the source's size.
    DrawSurfaceAt(10, 20, s.get(), TempRectF(100, 100, 50, 30));
    ASSERT_EQ(trace.batches.size(), 1u);
    EXPECT_FLOAT_EQ(trace.batches[0].vertices[2].x, 60.0f);
    EXPECT_FLOAT_EQ(trace.batches[0].vertices[2].y, 50.0f);
}

TEST(SurfaceDraw, PixelsMatchThePictureAcrossTileSeams) {
    EnsureTestEngine();
    auto s = MakeSurface(600, 300);
    ASSERT_TRUE(s);
    ClearScreen();
    glColor4ub(255, 255, 255, 255);
    glDisable(GL_TEXTURE_2D);
    DrawSurfaceAt(0, 0, s.get(), nullptr);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    glEnable(GL_TEXTURE_2D);
    for (int x : {0, 100, 253, 254, 255, 507, 508, 599})
        for (int y : {0, 253, 254, 299}) {
            const Rgb want{uint8_t(x), uint8_t(y), uint8_t(40 * (x / 254))};
            EXPECT_TRUE(Near(ReadPixel(x, y), want)) << "at " << x << "," << y;
        }
    EXPECT_EQ(ReadPixel(650, 100), (Rgb{0, 0, 0}));
}

TEST(TextureDraw, SourceClampingAndWholeTexture) {
    EnsureTestEngine();
    const auto pixels = Pattern(16, 8);
    TextureHandle t(CreateTextureRGBA(pixels.data(), 16, 8, true));
    ASSERT_TRUE(t);
    Trace trace;
    // A source narrower than a texel is widened to one texel; negative origins start at 0.
    DrawTexture(0, 0, 10, 10, t.get(), TempRect(4, -3, 0, 2));
    DrawTexture(0, 0, 10, 10, t.get(), nullptr);
    ASSERT_EQ(trace.batches.size(), 2u);
    const auto& v = trace.batches[0].vertices;
    EXPECT_FLOAT_EQ(v[0].s, 4.0f / 16.0f);
    EXPECT_FLOAT_EQ(v[2].s, 5.0f / 16.0f);
    EXPECT_FLOAT_EQ(v[0].t, 0.0f);
    EXPECT_FLOAT_EQ(v[2].t, 2.0f / 8.0f);
    EXPECT_FLOAT_EQ(trace.batches[1].vertices[2].s, 1.0f);
    EXPECT_FLOAT_EQ(trace.batches[1].vertices[2].t, 1.0f);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(GLuint(bound), t->name);  // the texture stays bound
}

TEST(TextureDraw, PaddedTextureShowsItsPixelsAndRestoresState) {
    EnsureTestEngine();
    // 3 x 3, padded to 4 x 4: row 0 is the top of the picture.
    std::vector<uint8_t> pixels(3 * 3 * 4, 255);
    auto set = [&](int x, int y, uint8_t r, uint8_t g, uint8_t b) {
        uint8_t* p = &pixels[size_t(y * 3 + x) * 4];
        p[0] = r, p[1] = g, p[2] = b;
    };
    set(0, 0, 255, 0, 0);
    set(2, 2, 0, 0, 255);
    TextureHandle t(CreateTextureRGBA(pixels.data(), 3, 3, true));
    ASSERT_TRUE(t);
    EXPECT_EQ(t->width, 4);
    EXPECT_EQ(t->height, 4);

    std::vector<float> before(16), after(16);
    glGetFloatv(GL_PROJECTION_MATRIX, before.data());
    ClearScreen();
    glColor4ub(255, 255, 255, 255);
    glDisable(GL_TEXTURE_2D);
    DrawTexture(100, 100, 300, 300, t.get(), TempRect(0, 0, 3, 3));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    glEnable(GL_TEXTURE_2D);
    DrawTexture(100, 100, 300, 300, t.get(), TempRect(0, 0, 3, 3));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    glGetFloatv(GL_PROJECTION_MATRIX, after.data());
    EXPECT_EQ(before, after);
    EXPECT_TRUE(Near(ReadPixel(120, 120), {255, 0, 0}));
    EXPECT_TRUE(Near(ReadPixel(250, 250), {255, 255, 255}));
    // Near the bottom-right edge the filter reaches into the padding, which must
    // repeat the edge pixel rather than fade to black.
    EXPECT_TRUE(Near(ReadPixel(395, 395), {0, 0, 255}));
}

TEST(TextureDraw, AlphaTextureModulatesTheCurrentColour) {
    EnsureTestEngine();
    const uint8_t alpha[4] = {255, 255, 0, 0};  // 2 x 2: top row opaque
    TextureHandle t(CreateAlphaTexture(alpha, 2, 2));
    ASSERT_TRUE(t);
    glPushAttrib(GL_COLOR_BUFFER_BIT);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    ClearScreen();
    SetColor(MakeColor(0, 255, 0));
    DrawTexture(0, 0, 200, 200, t.get(), nullptr);
    glPopAttrib();
    EXPECT_TRUE(Near(ReadPixel(100, 20), {0, 255, 0}));
    EXPECT_TRUE(Near(ReadPixel(100, 180), {0, 0, 0}));
}
