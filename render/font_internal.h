// font_internal.h - helpers shared by the font and text units: the GL-free walk of
// text_walk.h, colour tags as the engine's switch has them, and the glyph lookups of the
// text loops. Not part of the public interface.
#pragma once

#include <cstdint>
#include <string_view>

#include "engine/engine.h"
#include "render/font.h"
#include "render/text_walk.h"

namespace font_detail {

// ColorTagLength over at most avail bytes (tags switched by engine setting 8).
inline int ColorTagLengthN(const char* s, int avail) { return ColorTagLengthIf(s, avail, g_engine.colorTags); }

// Glyph index of c without the search for the common scripts.
inline int32_t LookupGlyph(const Font* font, int32_t c) {
    if (uint32_t(c) < uint32_t(kFontDirectRange)) return font->direct[c];
    if (uint32_t(c - kFontFormsFirst) < uint32_t(kFontFormsEnd - kFontFormsFirst))
        return font->formsDirect[c - kFontFormsFirst];
    return FindGlyph(c, font);
}

// Length of a text: up to the terminator for length < 0, else length bytes.
int TextLength(const char* text, int length);

}  // namespace font_detail
