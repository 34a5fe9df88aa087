// texture_test.cpp - builders (padding, tile borders, bad input), and the pixels drawn
// from surfaces and textures: across tile seams, cropped, from clamped sources.
#include "render/texture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <utility>
#include <vector>

#include "support/engine_fixture.h"

namespace {

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
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance;
}

SurfaceHandle MakeSurface(int w, int h) {
    const auto pixels = Pattern(w, h);
    return SurfaceHandle(CreateSurfaceRGBA(pixels.data(), w, h));
}

}  // namespace

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

// A picture running off the right edge keeps its scale: what shows is the part of it
// that lies on the screen, not the whole picture squeezed in.
TEST(SurfaceDraw, CroppedAtTheRightEdgeOfTheScreenWithoutSqueezing) {
    EnsureTestEngine();
    auto s = MakeSurface(600, 300);
    ASSERT_TRUE(s);
    ClearScreen();
    glColor4ub(255, 255, 255, 255);
    DrawSurface(700, 0, 200, 300, s.get(), nullptr);  // a third of the size: x 700 .. 900
    for (int x : {701, 750, 790, 799}) {
        const int source = int((x + 0.5f - 700) * 3);  // linear filtering: within two texels
        EXPECT_TRUE(Near(ReadPixel(x, 10), Rgb{uint8_t(source), 10, uint8_t(40 * (source / 254))}, 2)) << x;
    }
}

// A source rectangle that runs past the picture is moved back into it.
TEST(SurfaceDraw, SourceIsClampedIntoThePicture) {
    EnsureTestEngine();
    auto s = MakeSurface(600, 300);
    ASSERT_TRUE(s);
    ClearScreen();
    glColor4ub(255, 255, 255, 255);
    DrawSurface(0, 0, 100, 100, s.get(), TempRect(550, 0, 100, 100));  // shows 500 .. 600
    EXPECT_TRUE(Near(ReadPixel(5, 5), Rgb{uint8_t(505), 5, 40}));
    EXPECT_TRUE(Near(ReadPixel(95, 5), Rgb{uint8_t(595), 5, 80}));

    // Natural size from a float source: the destination takes the source's size.
    ClearScreen();
    DrawSurfaceAt(10, 20, s.get(), TempRectF(100, 100, 50, 30));
    EXPECT_TRUE(Near(ReadPixel(10, 20), Rgb{100, 100, 0}));
    EXPECT_TRUE(Near(ReadPixel(59, 49), Rgb{149, 129, 0}));
    EXPECT_EQ(ReadPixel(61, 30), (Rgb{0, 0, 0}));
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
    ClearScreen();
    glColor4ub(255, 255, 255, 255);
    // A source narrower than a texel is widened to one texel (column 4); a negative
    // origin starts at 0 (rows 0 and 1 stretched over ten pixels).
    DrawTexture(0, 0, 10, 10, t.get(), TempRect(4, -3, 0, 2));
    for (int x : {1, 5, 8}) EXPECT_NEAR(ReadPixel(x, 5).r, 4, 1) << x;
    EXPECT_LE(ReadPixel(5, 9).g, 2);
    DrawTexture(100, 0, 32, 16, t.get(), nullptr);  // the whole texture, twice its size
    EXPECT_TRUE(Near(ReadPixel(100, 0), Rgb{0, 0, 0}));
    EXPECT_TRUE(Near(ReadPixel(131, 15), Rgb{15, 7, 0}));
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
