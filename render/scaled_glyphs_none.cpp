// scaled_glyphs_none.cpp - scaled_glyphs.h for a build without FreeType: no font has
// scaled glyphs, so text at every draw scale is drawn from the font's 1x cells.
#include "render/scaled_glyphs.h"

ScaledGlyphs* LoadScaledGlyphs(const char*, const Font&) { return nullptr; }
bool GetScaledGlyph(const Font&, int32_t, float, ScaledGlyphCell&) { return false; }
int ScaledGlyphsRendered(const Font*) { return 0; }
int ScaledGlyphPages(const Font*) { return 0; }
