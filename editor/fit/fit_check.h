// fit_check.h - whether a text fits the room the game gives it: the pixels of its lines
// and the count of its lines in the game's font ([font], [width], [lines], [width.FILE]
// and [lines.FILE] of zazovi-project.ini), measured as the engine lays text out
// (render/text_measure.h), and the characters that font has no glyph for. Pure functions
// over bytes and a font, without GL or the engine: the editor's checks and preview and
// loctool qa share them.
//
// How a text is laid out in its room:
//   - a width and a line count: wrapped at the width as the engine wraps a text box;
//     more lines than the count is a `lines` problem, and a word too wide for the width
//     (the engine cuts it) or a line wider than it (one character wider than the box) a
//     `width` problem;
//   - a width alone: drawn as it is, one line per line break; a line wider than the
//     width (the pixels it covers: from its start to the end of its rightmost glyph,
//     measure::LineExtent) is a `width` problem;
//   - a line count alone: more lines than the count, counting line breaks, is a `lines`
//     problem.
// A text is cut at its first NUL byte, as the game reads it. Colour tags take no room.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "editor/qa/project_settings.h"
#include "editor/qa/qa_checks.h"
#include "render/text_measure.h"

namespace fit {

// The room of one text; 0 is no limit.
struct Room {
    int width = 0;  // pixels a line may take
    int lines = 0;  // lines, after wrapping at the width
    bool Any() const { return width > 0 || lines > 0; }
    bool Wraps() const { return width > 0 && lines > 0; }
};
// The room of item `index` of `file`: the item's own values over its file's.
Room RoomOf(const qa::ProjectSettings& settings, const std::string& file, int index);
// Whether any item of `file` has a room, or the file a font of its own.
bool FileIsMeasured(const qa::ProjectSettings& settings, const std::string& file);
// The per-item entries whose index is not an item of their file (`items`: the item count
// of each file), one problem each with its line, as the settings reader words them.
std::vector<std::string> UnknownItems(const qa::ProjectSettings& settings, const std::map<std::string, size_t>& items);

// The font file of `file` as the settings name it, relative to `projectFolder` unless
// whole; empty when the file has none (the editor's own font stands in).
std::string FontPath(const qa::ProjectSettings& settings, const std::string& projectFolder, const std::string& file);

// One line of the text as the game lays it out in its room.
struct Line {
    uint32_t begin = 0, end = 0;  // its bytes in the text, without the line feed that ends it
    // Its width: what FitLine gives it in a wrapped text (the pen's travel), the pixels it
    // covers otherwise (measure::LineExtent).
    float width = 0;
    bool cut = false;  // it ends inside a word the engine cuts
};

// A character the font has no glyph for, drawn as an X (for shaped text, the form drawn:
// an Arabic letter's joined form; 0xFFFD for a broken UTF-8 sequence), bytes in the text.
using Missing = measure::MissingGlyph;

struct Layout {
    std::vector<Line> lines;
    float widest = 0;      // the pixels of the widest line before wrapping
    bool wrapped = false;  // wrapped at the room's width
    std::vector<Missing> missing;
    int LineCount() const { return int(lines.size()); }
};

// The text laid out in its room. The missing glyphs are looked for only with `glyphs`.
Layout LayOut(const Font* font, std::string_view text, const Room& room, bool glyphs, bool colorTags = true);

// Whether the layout passes its room: `width` and `lines` as the header says.
bool TooWide(const Layout& layout, const Room& room);
bool TooManyLines(const Layout& layout, const Room& room);

// "212/180 px, 2/1 lines": the measure against the room (the widest line before wrapping
// against the width, the lines against their count); empty without a room.
std::string Summary(const Layout& layout, const Room& room);

// The problems of the layout: `width` and `lines`, and with `gameFont` (the file names its
// font in [font]) `glyphs` for the characters the font lacks. All are errors.
std::vector<qa::Finding> Findings(const Layout& layout, const Room& room, bool gameFont);

// ---- the preview ----

// One cluster of a line as the preview draws it, in visual order.
struct Cell {
    float x0 = 0, x1 = 0;  // its cell, from the line's left end
    uint32_t begin = 0, end = 0;
    bool overflow = false;  // the part that does not fit
    bool missing = false;   // the font has no glyph for it
};

struct PreviewLine {
    uint32_t begin = 0, end = 0;
    float origin = 0;          // where its left end is drawn in the box: right-to-left lines end at the right
    bool shaped = false;       // drawn through the shaping unit (order and forms its own)
    bool rightToLeft = false;  // its paragraph reads right to left
    bool overflow = false;     // a line past the room's count: all of it is overflow
    // The bytes of the overflow, for a line that needs no shaping (both end when none):
    // the line's start or its end, or all of it; drawn marked, the rest as it is.
    uint32_t overflowFrom = 0, overflowTo = 0;
    std::vector<Cell> cells;
};

// The lines of the layout with their cells: what fits, what does not (past the width in
// its line, or a line past the count) and the missing glyphs, for the preview.
std::vector<PreviewLine> PreviewLines(const Font* font, std::string_view text, const Layout& layout, const Room& room,
                                      bool colorTags = true);

}  // namespace fit
