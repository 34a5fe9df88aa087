// text_measure.h - measuring and word wrap of UTF-8 text in a .dsf font, exactly as the
// drawers lay it out: render/text.cpp draws what this unit measures, and font.h's
// MeasureText and FitLine are this unit with the engine's colour-tag switch. Colour tags
// take no room, line feeds end lines, lines wrap as the engine wraps them (font.h,
// FitLine), and lines with right-to-left letters, marks or direction controls go
// through the shaping unit (render/text_shape.h).
//
// Needs neither GL nor the engine's state: whether colour tags are on is a parameter,
// and a font for measuring alone is read from a .dsf here (MeasureFont). The drawers,
// the editor's checks and loctool share it.
//
// Not thread-safe: shaped paragraphs are kept between calls and the work buffers reused,
// for the engine's single thread (or a tool's).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "render/dsf.h"
#include "render/font.h"
#include "render/text_shape.h"

namespace measure {

// ---- fonts ----

// The lookup as the file layout defines it: ASCII by arithmetic when the font says
// records 0..95 are code points 32..127, a binary search over the rest. The loaded
// font's tables are built with it.
int32_t SearchGlyph(int32_t c, const Glyph* glyphs, int32_t count, bool asciiDirect);
// What a code point asks of the layout (text_walk.h: kShapes, kThai), asked of FriBidi:
// the rule both the loaded font's plainDirect and the measuring tables follow.
uint8_t ShapeClassOf(int32_t c);
// A code point (at most U+10FFFF) as its UTF-8 bytes, for messages that name it.
std::string Utf8Of(int32_t c);

// Index of the glyph for c, -1 if none (also for a null font or c == -1): font.h's
// FindGlyph, for any font, without the engine.
int32_t GlyphIndex(const Font* font, int32_t c);

// A font for measuring and layout alone, built from a parsed .dsf: the very tables
// LoadFont builds (glyphs, direct lookups, mark inks, baseline), and no pages.
class MeasureFont {
  public:
    explicit MeasureFont(const DsfFile& file);
    ~MeasureFont();
    MeasureFont(const MeasureFont&) = delete;
    MeasureFont& operator=(const MeasureFont&) = delete;

    const Font* font() const { return &font_; }
    // The font's scale multiplies every measure; the editor draws its own font at 1.
    void SetScale(float scale);

  private:
    Font font_{};
    std::vector<Glyph> glyphs_;
    std::vector<int32_t> direct_, plainDirect_, formsDirect_;
    std::vector<MarkInk> markInks_;
};

// Reads the .dsf at `path` (UTF-8); null, with `why` saying so, when it cannot be read or
// is not a sound .dsf file.
std::unique_ptr<MeasureFont> LoadMeasureFont(const std::string& path, std::string* why = nullptr);

// Forgets what the unit keeps of `font` (its shaped paragraphs): for a font that goes
// away, so that another one made at its address is never taken for it.
void ForgetFont(const Font* font);

// ---- measuring and wrapping (font.h says what each counts) ----

// font.h's MeasureText: the width of the widest line, cells of the glyphs as drawn.
float MeasureText(const Font* font, const char* text, int length, bool colorTags);
// A character drawn as a missing glyph (an X): the code point the font lacks (for shaped
// text the form drawn, such as a joined Arabic form; 0xFFFD for a broken UTF-8 sequence)
// and its bytes.
struct MissingGlyph {
    int32_t codePoint = 0;
    uint32_t begin = 0, end = 0;
};

// The pixels one line (up to its line feed) covers when drawn as a run from x = 0: to the
// end of its rightmost glyph cell, or the pen's travel when that is further. What a box
// must hold for the line's ink, where MeasureText adds up cells that may overlap (a
// joined Arabic form's cell is a pixel wider than its advance). `missing`, when given,
// gets the line's missing glyphs in logical order (bytes from the line's start), controls
// below U+0020 left out.
float LineExtent(const Font* font, const char* line, int bytes, bool colorTags,
                 std::vector<MissingGlyph>* missing = nullptr);
// font.h's FitLine. `cut`, when given, is set when the line ends inside a word because
// not even its first part fits (the engine cuts such a word) and cleared otherwise.
int FitLine(const Font* font, const char* text, float maxWidth, int32_t* codes, int& count, float& lineWidth,
            bool colorTags, bool* cut = nullptr);

// ---- lines through the shaping unit ----

// One cluster placed on its line: x from the line's start, and for a mark the rows it
// is moved down (up when negative) to stack beyond the marks before it on its base.
struct Placed {
    const Glyph* glyph;  // null: missing, drawn as an X
    float x;
    int dy;
    int32_t colorTag;
    uint32_t byteBegin;
    bool mark;  // placed over a base: no cell of its own
};

// Lays out one line (no line feed in it) in visual order for its paragraph's direction
// `base` and returns the pen's travel. `clusters` gets the shaping unit's clusters and
// `out` one Placed each, in visual order. A mark goes over the last cluster before it
// that is not a mark: centred on the base's advance, at the height its ink has in its
// cell, moved beyond the marks already on that side of the base (1 pixel apart) and kept
// inside the line cell where the cell has room.
// cells, when given, gets the line as MeasureText counts it: the cell width of each
// cluster that is not a mark, as it counts a line that needs no shaping. cellsRight gets
// where the rightmost cell ends, which can pass the pen's travel: a joined Arabic form's
// cell is a pixel wider than its advance.
float PlaceLine(const Font* font, const char* line, int bytes, shape::Direction base, bool colorTags,
                std::vector<shape::Cluster>& clusters, std::vector<Placed>& out, float* cells = nullptr,
                float* cellsRight = nullptr);

// Whether any character of the n bytes needs the shaping unit (right-to-left letters,
// marks, direction controls); Latin, CJK and Thai without marks do not.
bool NeedsShaping(const char* s, int n);
// Bytes before the first line feed or terminator, at most n: callers hand the bytes
// available, and the text may end before them, so nothing past a terminator is read.
int LineLength(const char* s, int n);

}  // namespace measure
