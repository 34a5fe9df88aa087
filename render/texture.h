// texture.h - Textures (one GL texture) and Surfaces (a picture cut into 256 x 256
// tiles with 254-pixel steps and a one-texel border), their drawers and builders.
// Depends on render/draw.h and engine/ (Begin2D/End2D and the 2D-mode flag).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "render/draw.h"

struct Texture {
    uint16_t width = 0, height = 0;  // texels, powers of two
    uint32_t name = 0;               // GL texture name
};

// A picture of any size as a grid of tiles. Tile (c, r) holds picture pixels from
// (c * 254, r * 254), up to 254 x 254 of them, at texel offset (1, 1); the texels
// around them repeat the picture's edge pixels so linear filtering shows no seams.
struct Surface {
    int16_t width = 0, height = 0;  // picture pixels
    int16_t columns = 0, rows = 0;  // ceil(width / 254), ceil(height / 254)
    int16_t lastColumnWidth = 0;    // texture width of the last column's tiles
    int16_t lastRowHeight = 0;      // texture height of the last row's tiles
    std::vector<uint32_t> tiles;    // GL names, index = row * columns + column
};

// Binds the texture's name, or 0 for null.
void BindTexture(const Texture* texture);

// Draws src (texels; null = whole texture) into (x, y, w, h). Null texture: nothing.
void DrawTexture(float x, float y, float w, float h, const Texture* texture, const RectS* src);
// Draws src (picture pixels; null = whole picture) into (x, y, w, h), cropped at the
// right and bottom of the 800 x 600 screen.
void DrawSurface(float x, float y, float w, float h, const Surface* surface, const RectS* src);
// Natural size: the destination is as large as the source.
void DrawSurfaceAt(float x, float y, const Surface* surface, const RectF* src);
void DrawSurfaceRect(float x, float y, float w, float h, const Surface* surface, const RectF* src);

// ---- builders (need a current GL context) ----

// Uploads w x h RGBA pixels (rows top-down). Sizes that are not powers of two are
// padded up: the picture sits at texel (0, 0), the padding repeats its last column
// and row, and width/height report the padded size, so draw it with a source
// rectangle of (0, 0, w, h). clamp picks edge clamping
// instead of repeat wrapping (the GL default, which tiled backgrounds need); filtering
// is linear. The record comes from malloc, so it may be handed to TrackAllocation
// (the GL name then lives as long as the context). Null on bad sizes or no input.
Texture* CreateTextureRGBA(const uint8_t* rgba, int w, int h, bool clamp);
// One alpha byte per texel (GL_ALPHA: white with that coverage), clamped, linear;
// padded up like CreateTextureRGBA. Meant for font pages.
Texture* CreateAlphaTexture(const uint8_t* alpha, int w, int h);
// CreateAlphaTexture into a record that has no GL name yet (a font page uploaded when
// it is first drawn): sets its name and padded size. False, the record unchanged, on a
// failed upload or a record that already has a name.
bool UploadAlphaTexture(Texture& texture, const uint8_t* alpha, int w, int h);
// Cuts w x h RGBA pixels into tiles (w, h up to 32767). Null on bad sizes, no input
// or a failed upload. The record owns a std::vector: free it with FreeSurface (or a
// SurfaceHandle), never through the allocation list.
Surface* CreateSurfaceRGBA(const uint8_t* rgba, int w, int h);

// Delete the GL textures and the record; null is fine.
void FreeTexture(Texture* texture);
void FreeSurface(Surface* surface);

struct TextureDeleter {
    void operator()(Texture* t) const { FreeTexture(t); }
};
struct SurfaceDeleter {
    void operator()(Surface* s) const { FreeSurface(s); }
};
using TextureHandle = std::unique_ptr<Texture, TextureDeleter>;
using SurfaceHandle = std::unique_ptr<Surface, SurfaceDeleter>;
