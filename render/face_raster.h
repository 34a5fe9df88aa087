// face_raster.h - glyph cells rendered with FreeType from merged faces, the same way for
// the editor's font made at build time (tools/dsfmake) and for the glyphs the editor
// rasterises at other display scales (render/scaled_glyphs.cpp). No GL.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdint>
#include <vector>

#include "render/face_recipe.h"

struct RasterCell {
    int32_t codePoint = 0;
    int advance = 0, width = 0;
    std::vector<uint8_t> alpha;  // width x lineHeight
};

// Renders one glyph into a cell as tall as the line, its baseline `ascent` rows down.
// fitToLine (a fallback face) moves a glyph that pokes out of the line but is not taller
// than it into the line; keepLetters keeps such a face's letters (not its marks) on the
// baseline. Returns the number of bitmap rows that did not fit the line.
int RenderCell(FT_Face face, int32_t codePoint, int lineHeight, int ascent, bool fitToLine, bool keepLetters,
               RasterCell& cell);

// The first face that lists c and has a glyph for it, -1 if none.
int FaceFor(const std::vector<FaceSource>& sources, const std::vector<FT_Face>& faces, int32_t c);
// FaceFor, except that printable ASCII (32..127) always comes from the first face that
// has it, listed or not: the font's first 96 glyphs are that block.
int FaceForGlyph(const std::vector<FaceSource>& sources, const std::vector<FT_Face>& faces, int32_t c);
