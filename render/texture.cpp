// texture.cpp - drawing Textures and tiled Surfaces into the virtual screen, and
// building them from RGBA or alpha pixels. A Surface tile holds 254 x 254 picture
// pixels at texel (1, 1) of a 256 x 256 texture; the ring of texels around them
// repeats the neighbouring pixels, so linear filtering joins tiles without seams.
#include "render/texture.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdlib>
#include <new>

#include "engine/engine.h"

#ifndef GL_CLAMP_TO_EDGE
#define GL_CLAMP_TO_EDGE 0x812F
#endif

namespace {

constexpr int kTileSize = 256;
constexpr int kTileStep = 254;  // picture pixels per tile; the other two are border

// Screen projection and texturing on for one drawer, both put back afterwards.
class TexturedFrame {
  public:
    TexturedFrame() {
        entered_ = !g_engine.mode2D;
        if (entered_) Begin2D();
        textured_ = glIsEnabled(GL_TEXTURE_2D);
        glEnable(GL_TEXTURE_2D);
    }
    ~TexturedFrame() {
        if (entered_) End2D();
        if (!textured_) glDisable(GL_TEXTURE_2D);
    }
    TexturedFrame(const TexturedFrame&) = delete;
    TexturedFrame& operator=(const TexturedFrame&) = delete;

  private:
    bool entered_ = false;
    bool textured_ = false;
};

// One textured quad in the corner order (x0, y0), (x1, y0), (x1, y1), (x0, y1).
void TexturedQuad(uint32_t name, float x0, float y0, float x1, float y1, float s0, float t0, float s1, float t1) {
    glBegin(GL_QUADS);
    glTexCoord2f(s0, t0);
    glVertex2f(x0, y0);
    glTexCoord2f(s1, t0);
    glVertex2f(x1, y0);
    glTexCoord2f(s1, t1);
    glVertex2f(x1, y1);
    glTexCoord2f(s0, t1);
    glVertex2f(x0, y1);
    glEnd();
    if (g_draw.trace) {
        g_draw.trace->push_back(
            {uint32_t(GL_QUADS), name, {{x0, y0, s0, t0}, {x1, y0, s1, t0}, {x1, y1, s1, t1}, {x0, y1, s0, t1}}});
    }
}

// Where a surface goes on the screen and which part of its picture fills it.
struct SurfacePlacement {
    float x, y, w, h;      // on the screen
    float sx, sy, sw, sh;  // in the picture
};

// Tile index of a picture coordinate: 1/254 rounded down, so a source that starts on a
// tile's first pixel also counts the tile before it (drawn with no width).
constexpr double kTileIndexScale = 0.003937007;

// Crops at the right and bottom of the screen, shrinking the source in proportion.
void CropToScreen(SurfacePlacement& p) {
    const float right = float(kVirtualWidth), bottom = float(kVirtualHeight);
    if (p.x + p.w > right) {
        p.sw = (right - p.x) / p.w * p.sw;
        p.w = right - p.x;
    }
    if (p.y + p.h > bottom) {
        p.sh = (bottom - p.y) / p.h * p.sh;
        p.h = bottom - p.y;
    }
}

// Keeps the source inside the picture, at least one pixel of it.
void KeepSourceInPicture(SurfacePlacement& p, float width, float height) {
    p.sw = std::min(p.sw, width);
    p.sh = std::min(p.sh, height);
    if (p.sx + p.sw > width) p.sx = width - p.sw;
    if (p.sy + p.sh > height) p.sy = height - p.sh;
    p.sx = std::max(p.sx, 0.0f);
    p.sy = std::max(p.sy, 0.0f);
    p.sw = std::max(p.sw, 1.0f);
    p.sh = std::max(p.sh, 1.0f);
    p.sx = std::min(p.sx, width - 1.0f);
    p.sy = std::min(p.sy, height - 1.0f);
}

// One past the last tile the source reaches along one axis: a tile counts as soon as
// any part of a pixel reaches into it; rounding can put the end a hair past the
// picture, so it is held to the grid.
int TileEnd(float start, float length, int tiles) {
    const int16_t end = int16_t(start + length);
    int last = end / kTileStep;
    if ((start + length) - last * kTileStep > 0) ++last;
    return std::min(last, tiles);
}

// Draws the placed source, one quad per tile it touches, row by row.
void DrawSurfaceTiles(const Surface& surface, SurfacePlacement p) {
    const int c0 = int(p.sx * kTileIndexScale);
    const int r0 = int(p.sy * kTileIndexScale);
    const int c1 = TileEnd(p.sx, p.sw, surface.columns);
    const int r1 = TileEnd(p.sy, p.sh, surface.rows);
    const float kx = p.w / p.sw, ky = p.h / p.sh;
    p.sx -= c0 * kTileStep;
    p.sy -= r0 * kTileStep;

    float oy = 0.0f;
    for (int r = r0; r < r1; ++r) {
        const float th = (r == surface.rows - 1) ? surface.lastRowHeight : float(kTileSize);
        float rh = p.sh;
        if (p.sy + rh > kTileStep) rh = kTileStep - p.sy;
        float colX = p.sx, remaining = p.sw, ox = 0.0f;
        for (int c = c0; c < c1; ++c) {
            const float tw = (c == surface.columns - 1) ? surface.lastColumnWidth : float(kTileSize);
            float cw = remaining;
            if (colX + cw > kTileStep) cw = kTileStep - colX;
            const uint32_t name = surface.tiles[size_t(r) * surface.columns + c];
            glBindTexture(GL_TEXTURE_2D, name);
            // +1: the picture starts one texel in, after the border.
            TexturedQuad(name, p.x + ox * kx, p.y + oy * ky, p.x + (ox + cw) * kx, p.y + (oy + rh) * ky,
                         (colX + 1.0f) / tw, (p.sy + 1.0f) / th, (colX + cw + 1.0f) / tw, (p.sy + rh + 1.0f) / th);
            ox += cw;
            remaining -= cw;
            colX = 0.0f;
        }
        p.sh -= rh;
        p.sy = 0.0f;
        oy += rh;
    }
}

void DrawSurfaceImpl(float x, float y, float w, float h, const Surface* surface, const RectF* src) {
    if (!surface || x + w < 0.0f || y + h < 0.0f || x > float(kVirtualWidth) || y > float(kVirtualHeight)) return;
    // A record without tiles (never built, or freed) has nothing to show.
    if (surface->columns <= 0 || surface->rows <= 0 ||
        surface->tiles.size() < size_t(surface->columns) * size_t(surface->rows))
        return;
    const float width = surface->width, height = surface->height;
    SurfacePlacement placement{x, y, w, h, 0.0f, 0.0f, width, height};
    if (src) placement.sx = src->x, placement.sy = src->y, placement.sw = src->w, placement.sh = src->h;
    CropToScreen(placement);
    KeepSourceInPicture(placement, width, height);
    TexturedFrame frame;
    DrawSurfaceTiles(*surface, placement);
}

int NextPowerOfTwo(int n) {
    int p = 1;
    while (p < n) p <<= 1;
    return p;
}

bool SizeFitsTexture(int w, int h) {
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    if (maxSize <= 0) maxSize = 1024;  // what every GL 1.1 implementation must offer
    return w >= 1 && h >= 1 && NextPowerOfTwo(w) <= maxSize && NextPowerOfTwo(h) <= maxSize;
}

// Uploads one texture and returns its name, 0 on failure. The caller's binding is
// left as it was: builders may run in the middle of drawing code.
uint32_t Upload(const uint8_t* pixels, int w, int h, GLenum format, bool clamp) {
    while (glGetError() != GL_NO_ERROR) {
    }
    GLint previous = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    const GLint wrap = clamp ? GL_CLAMP_TO_EDGE : GL_REPEAT;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
    GLint unpack = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &unpack);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GLint(format), w, h, 0, format, GL_UNSIGNED_BYTE, pixels);
    glPixelStorei(GL_UNPACK_ALIGNMENT, unpack);
    glBindTexture(GL_TEXTURE_2D, GLuint(previous));
    if (glGetError() != GL_NO_ERROR) {
        glDeleteTextures(1, &name);
        return 0;
    }
    return name;
}

// Copies a w x h picture of `channels` bytes per pixel into the top-left corner of a
// power-of-two texture and uploads it; the name, or 0 on failure, and the padded size.
// The padding repeats the last column and row, so linear filtering at the picture's
// right and bottom edge does not fade into empty texels.
uint32_t UploadPadded(const uint8_t* pixels, int w, int h, int channels, GLenum format, bool clamp, int& pw, int& ph) {
    if (!pixels || !SizeFitsTexture(w, h)) return 0;
    pw = NextPowerOfTwo(w), ph = NextPowerOfTwo(h);
    std::vector<uint8_t> padded;
    if (pw != w || ph != h) {
        padded.resize(size_t(pw) * ph * channels);
        for (int row = 0; row < ph; ++row) {
            const uint8_t* from = pixels + size_t(std::min(row, h - 1)) * w * channels;
            auto to = padded.begin() + size_t(row) * pw * channels;
            std::copy_n(from, size_t(w) * channels, to);
            for (int x = w; x < pw; ++x)
                std::copy_n(from + size_t(w - 1) * channels, channels, to + size_t(x) * channels);
        }
        pixels = padded.data();
    }
    return Upload(pixels, pw, ph, format, clamp);
}

Texture* CreatePaddedTexture(const uint8_t* pixels, int w, int h, int channels, GLenum format, bool clamp) {
    int pw = 0, ph = 0;
    const uint32_t name = UploadPadded(pixels, w, h, channels, format, clamp, pw, ph);
    if (!name) return nullptr;
    // malloc rather than new: the record may go on the engine's allocation list,
    // which releases its blocks with free().
    void* block = std::malloc(sizeof(Texture));
    if (!block) {
        glDeleteTextures(1, &name);
        return nullptr;
    }
    return new (block) Texture{uint16_t(pw), uint16_t(ph), name};
}

}  // namespace

void BindTexture(const Texture* texture) { glBindTexture(GL_TEXTURE_2D, texture ? texture->name : 0); }

void DrawTexture(float x, float y, float w, float h, const Texture* texture, const RectS* src) {
    if (!texture) return;
    const RectF* s =
        src ? TempRectF(src->x, src->y, src->w, src->h) : TempRectF(0.0f, 0.0f, texture->width, texture->height);
    const float sx = std::max(s->x, 0.0f), sy = std::max(s->y, 0.0f);
    const float sw = std::max(s->w, 1.0f), sh = std::max(s->h, 1.0f);
    TexturedFrame frame;
    BindTexture(texture);
    const float tw = texture->width, th = texture->height;
    TexturedQuad(texture->name, x, y, x + w, y + h, sx / tw, sy / th, (sx + sw) / tw, (sy + sh) / th);
}

void DrawSurface(float x, float y, float w, float h, const Surface* surface, const RectS* src) {
    if (!surface) return;
    const RectF* s =
        src ? TempRectF(src->x, src->y, src->w, src->h) : TempRectF(0.0f, 0.0f, surface->width, surface->height);
    DrawSurfaceImpl(x, y, w, h, surface, s);
}

void DrawSurfaceAt(float x, float y, const Surface* surface, const RectF* src) {
    if (!surface) return;
    const float w = src ? src->w : surface->width, h = src ? src->h : surface->height;
    DrawSurfaceImpl(x, y, w, h, surface, src);
}

void DrawSurfaceRect(float x, float y, float w, float h, const Surface* surface, const RectF* src) {
    DrawSurfaceImpl(x, y, w, h, surface, src);
}

// ---- builders ----

Texture* CreateTextureRGBA(const uint8_t* rgba, int w, int h, bool clamp) {
    return CreatePaddedTexture(rgba, w, h, 4, GL_RGBA, clamp);
}

Texture* CreateAlphaTexture(const uint8_t* alpha, int w, int h) {
    return CreatePaddedTexture(alpha, w, h, 1, GL_ALPHA, true);
}

bool UploadAlphaTexture(Texture& texture, const uint8_t* alpha, int w, int h) {
    if (texture.name) return false;
    int pw = 0, ph = 0;
    const uint32_t name = UploadPadded(alpha, w, h, 1, GL_ALPHA, true, pw, ph);
    if (!name) return false;
    texture = Texture{uint16_t(pw), uint16_t(ph), name};
    return true;
}

Surface* CreateSurfaceRGBA(const uint8_t* rgba, int w, int h) {
    if (!rgba || w < 1 || h < 1 || w > 32767 || h > 32767) return nullptr;
    auto surface = SurfaceHandle(new Surface);
    surface->width = int16_t(w);
    surface->height = int16_t(h);
    surface->columns = int16_t((w + kTileStep - 1) / kTileStep);
    surface->rows = int16_t((h + kTileStep - 1) / kTileStep);
    // The last tiles hold what is left of the picture plus the two border texels.
    surface->lastColumnWidth = int16_t(NextPowerOfTwo(w - (surface->columns - 1) * kTileStep + 2));
    surface->lastRowHeight = int16_t(NextPowerOfTwo(h - (surface->rows - 1) * kTileStep + 2));
    surface->tiles.reserve(size_t(surface->columns) * surface->rows);

    std::vector<uint8_t> tile;
    for (int r = 0; r < surface->rows; ++r) {
        const int th = (r == surface->rows - 1) ? surface->lastRowHeight : kTileSize;
        for (int c = 0; c < surface->columns; ++c) {
            const int tw = (c == surface->columns - 1) ? surface->lastColumnWidth : kTileSize;
            tile.resize(size_t(tw) * th * 4);
            // Texel (tx, ty) shows picture pixel (c * 254 + tx - 1, r * 254 + ty - 1):
            // the border repeats the neighbouring tile's pixels inside the picture and
            // the picture's own edge pixels outside it.
            for (int ty = 0; ty < th; ++ty) {
                const int py = std::clamp(r * kTileStep + ty - 1, 0, h - 1);
                for (int tx = 0; tx < tw; ++tx) {
                    const int px = std::clamp(c * kTileStep + tx - 1, 0, w - 1);
                    std::copy_n(rgba + (size_t(py) * w + px) * 4, 4, tile.begin() + (size_t(ty) * tw + tx) * 4);
                }
            }
            const uint32_t name = Upload(tile.data(), tw, th, GL_RGBA, true);
            if (!name) return nullptr;  // the handle frees the tiles made so far
            surface->tiles.push_back(name);
        }
    }
    return surface.release();
}

void FreeTexture(Texture* texture) {
    if (!texture) return;
    if (texture->name) glDeleteTextures(1, &texture->name);
    std::free(texture);
}

void FreeSurface(Surface* surface) {
    if (!surface) return;
    if (!surface->tiles.empty()) glDeleteTextures(GLsizei(surface->tiles.size()), surface->tiles.data());
    delete surface;
}
