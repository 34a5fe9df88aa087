// text_walk.h - what every loop over a text in a .dsf font needs, without GL and without
// the engine: bounded UTF-8 decoding and colour-tag scanning (they never look past the
// bytes a caller handed over), the glyph record of an index and the ink of a mark glyph.
// The font unit (font_internal.h) and the measuring unit (text_measure.h) share them.
// Not part of the public interface.
#pragma once

#include <cstdint>
#include <string_view>

#include "render/font.h"
#include "render/text_markup.h"

namespace font_detail {

// DecodeUtf8 that treats byte `avail` and beyond as absent: a sequence cut there
// decodes as -1, and the length returned never passes avail or a terminator (avail >= 1).
inline int DecodeUtf8N(const char* s, int avail, int32_t& codePoint) {
    const uint8_t lead = uint8_t(s[0]);
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    }
    int need;
    int32_t value;
    if ((lead & 0xE0) == 0xC0) {
        need = 1, value = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        need = 2, value = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        need = 3, value = lead & 0x07;
    } else {
        codePoint = int8_t(lead);  // stray continuation or 0xF8-0xFF: negative
        return 1;
    }
    int i = 1;
    for (; i <= need && i < avail; ++i) {
        const uint8_t c = uint8_t(s[i]);
        if ((c & 0xC0) != 0x80) break;
        value = value << 6 | (c & 0x3F);
    }
    if (i > need) {
        codePoint = value;
        return need + 1;
    }
    codePoint = -1;
    // A broken sequence still covers its expected length, but never the end of the
    // text: the walk must not step over a terminator or past avail.
    int length = need + 1 < avail ? need + 1 : avail;
    for (int j = i; j < length; ++j)
        if (s[j] == 0) length = j;
    return length;
}

// ColorTagLength over at most avail bytes, with the tags on or off as the caller says
// (the engine's setting 8 for the drawers).
inline int ColorTagLengthIf(const char* s, int avail, bool tagsOn) {
    if (!s || avail <= 0 || !tagsOn) return 0;
    return int(markup::ColourTagLength(std::string_view(s, size_t(avail))));
}

// What a code point asks of the text layout: kShapes for what the shaping unit changes
// (right-to-left letters and digits, non-spacing marks, the invisible controls of joining
// and direction: the unit's own quick scan, mirrored), kThai for Thai, whose words break
// by the dictionary.
enum : uint8_t { kShapes = 1, kThai = 2 };

// The glyph record, or null for an index outside the table (a missing glyph).
inline const Glyph* GlyphAt(const Font* font, int32_t index) {
    return index >= 0 && index < font->glyphCount ? &font->glyphs[index] : nullptr;
}

// The ink box of a mark glyph, or null when the glyph has an advance or no ink.
inline const MarkInk* FindMarkInk(const Font* font, int32_t glyph) {
    int32_t lo = 0, hi = font->markInkCount - 1;
    while (lo <= hi) {
        const int32_t mid = lo + (hi - lo) / 2;
        if (font->markInks[mid].glyph == glyph) return &font->markInks[mid];
        if (font->markInks[mid].glyph < glyph)
            lo = mid + 1;
        else
            hi = mid - 1;
    }
    return nullptr;
}

}  // namespace font_detail
