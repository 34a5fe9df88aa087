// face_raster.cpp - one glyph cell from a face, and which face a code point comes from
// (face_raster.h).
#include "render/face_raster.h"

#include <algorithm>

// The cell starts at the pen position; a glyph that reaches left of the pen is moved
// right onto it, and one that reaches past its advance widens the cell. A glyph of a
// fallback face (fitToLine) that would poke out above or below the line but is not
// taller than it is moved up or down into it: its face's own baseline sits a little
// differently, and a cut ideograph is worse than one a pixel off the Latin baseline.
// Not so for letters that join (keepLetters): Arabic letters meet their neighbours in a
// stroke on the baseline, and one moved a pixel breaks the word at that join, so a letter
// of such a face stays on the baseline and loses what pokes out. Its marks (no advance)
// join nothing and are still moved in, keeping all their ink.
int RenderCell(FT_Face face, int32_t codePoint, int lineHeight, int ascent, bool fitToLine, bool keepLetters,
               RasterCell& cell) {
    cell.codePoint = codePoint;
    if (FT_Load_Char(face, FT_ULong(codePoint), FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL) != 0) return 0;
    const FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    cell.advance = int((slot->advance.x + 32) >> 6);
    const int left = std::max(0, int(slot->bitmap_left));
    cell.width = std::max(cell.advance, left + int(bitmap.width));
    cell.alpha.assign(size_t(cell.width) * lineHeight, 0);

    int top = ascent - slot->bitmap_top;
    const bool moveIntoLine = fitToLine && !(keepLetters && cell.advance > 0);
    if (moveIntoLine && int(bitmap.rows) <= lineHeight) top = std::clamp(top, 0, lineHeight - int(bitmap.rows));
    // Embedded bitmap strikes may come as 1-bit masks; outlines render to 8-bit coverage.
    const bool mono = bitmap.pixel_mode == FT_PIXEL_MODE_MONO;
    int clipped = 0;
    for (int row = 0; row < int(bitmap.rows); ++row) {
        const int y = top + row;
        if (y < 0 || y >= lineHeight) {
            ++clipped;
            continue;
        }
        const uint8_t* src = bitmap.buffer + row * bitmap.pitch;
        uint8_t* dst = &cell.alpha[size_t(y) * cell.width + left];
        for (int x = 0; x < int(bitmap.width); ++x)
            dst[x] = mono ? ((src[x >> 3] >> (7 - (x & 7))) & 1 ? 255 : 0) : src[x];
    }
    return clipped;
}

int FaceFor(const std::vector<FaceSource>& sources, const std::vector<FT_Face>& faces, int32_t c) {
    for (size_t i = 0; i < faces.size() && i < sources.size(); ++i)
        if (sources[i].ranges.Has(c) && FT_Get_Char_Index(faces[i], FT_ULong(c)) != 0) return int(i);
    return -1;
}

int FaceForGlyph(const std::vector<FaceSource>& sources, const std::vector<FT_Face>& faces, int32_t c) {
    int from = FaceFor(sources, faces, c);
    if (from < 0 && c >= 32 && c < 128)
        for (size_t i = 0; i < faces.size() && from < 0; ++i)
            if (FT_Get_Char_Index(faces[i], FT_ULong(c)) != 0) from = int(i);
    return from;
}
