// scaled_glyphs.h - a font's glyphs rasterised at the screen's draw scale, so that text
// at 1.25x to 2x is drawn from bitmaps made for that size instead of stretched 1x cells.
// A font made by dsfmake with --recipe has a <font>.faces file beside it naming the
// faces it was rendered from (render/face_recipe.h); each glyph is rendered again from
// the same face at round(pixels x scale) on first draw, into alpha pages kept per scale.
// The layout stays the font's own: only the pictures are finer. Without FreeType (a
// build that lacks it) LoadScaledGlyphs finds nothing and every font draws at 1x.
#pragma once

#include <cstdint>

#include "render/texture.h"

struct Font;
struct ScaledGlyphs;

// The recipe beside the font at dsfPath ("x.dsf" -> "x.faces"), checked against the
// font's line, with its faces still closed; null when there is none or it is unusable.
// The result lives until the program ends.
ScaledGlyphs* LoadScaledGlyphs(const char* dsfPath, const Font& font);

// Where one glyph's scaled cell lies: `width` x `height` texels at (u, v) of `page`.
struct ScaledGlyphCell {
    const Texture* page = nullptr;
    int pageIndex = 0;
    int u = 0, v = 0, width = 0, height = 0;
    bool uploaded = false;  // this call uploaded texels (and left another texture bound)
};

// The cell of glyph `glyph` (an index into font.glyphs) rasterised at `factor` device
// pixels per font pixel, rendered and uploaded first if this is its first draw (needs
// the GL context). False when the font has no recipe, a face cannot be opened or lacks
// the glyph, or the upload failed: draw the 1x cell instead.
bool GetScaledGlyph(const Font& font, int32_t glyph, float factor, ScaledGlyphCell& out);

// How many glyphs have been rendered at any scale, and how many scaled pages made.
int ScaledGlyphsRendered(const Font* font);
int ScaledGlyphPages(const Font* font);
