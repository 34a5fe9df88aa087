// line_layout.h - where each character of one line stands on the screen, as the drawers
// put it there: what the text boxes need for the caret, selections, marks under words
// and clicks. In mixed right-to-left and left-to-right text a byte offset's place is no
// longer the width of the text before it, so everything here works on the line's cells
// in visual order (for every script alike: a Latin line is simply one run).
//
// Needs no GL: a font made without uploaded pages is enough (tools and tests).
#pragma once

#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "render/text_shape.h"

struct Font;

namespace layout {

// One thing drawn, with the bytes it stands for: a character, a joined Arabic form, a
// lam-alef ligature (both letters), or a base with the combining marks drawn over it.
struct Cell {
    float x0, x1;         // its room on the line, box coordinates
    uint32_t begin, end;  // its bytes in the whole text, logical order
    bool rightToLeft;     // a caret before it in logical order stands at its right
};

struct Line {
    uint32_t begin = 0, end = 0;  // the line's bytes in the whole text, without its line feed
    float origin = 0;             // where its left end is drawn, box coordinates
    float width = 0;              // the pen's travel over it
    bool rightToLeft = false;     // its paragraph reads right to left
    // A wrapped line's end offset is drawn as the next line's start, so it is no caret
    // place of this line; the end of a paragraph or of the text is.
    bool endIsCaretPlace = true;
    std::vector<Cell> cells;  // visual order, left to right
};

// Lays out text[begin, end) (one line, no line feed in it) in `font` as the text box
// draws it: in visual order for its paragraph's direction `base`, colour tags as the
// engine's switch has them. With boxWidth > 0 a right-to-left paragraph's line is
// right-aligned in [0, boxWidth) as DrawTextBox aligns it; otherwise it starts at 0.
void LayOutLine(const Font* font, std::string_view text, uint32_t begin, uint32_t end, shape::Direction base,
                float boxWidth, Line& out);

// A place the caret can take. One byte offset can have two places on screen where runs
// of the two directions meet (after "abc" and before the Arabic word that follows it in
// logical order); `withPrevious` tells which: the caret stands against the character
// before it in logical order rather than the one after it.
struct Place {
    float x;
    uint32_t at;
    bool withPrevious;
};

// Where the caret stands for byte offset `at` of the text: at the edge of the character
// that follows it in logical order where that one would be typed over (at its right
// when it reads right to left), or with `withPrevious` after the character before it;
// at the line's end, after the last one. Offsets in bytes that draw nothing (controls,
// tags with tags on) go with the character after them.
float CaretX(const Line& line, uint32_t at, bool withPrevious = false);

// The caret place nearest to x (a click).
Place PlaceAtX(const Line& line, float x);

// The caret place one character to the left or the right of the caret on screen; false
// when the caret is already at that end of the line.
bool StepOnScreen(const Line& line, uint32_t at, bool withPrevious, bool toLeft, Place& out);

// The caret place at the line's left or right end.
Place LineEndOnScreen(const Line& line, bool left);

// The stretches of the screen that the bytes [a, b) of the text take on the line, left
// to right, touching ones joined: a selection in mixed text can be several pieces.
void Spans(const Line& line, uint32_t a, uint32_t b, std::vector<std::pair<float, float>>& out);

// Draws the line at (x, y) as the text box draws it (x is the box's left, y its top),
// in the current colour and font: what the boxes draw again over a selection's
// highlight, cut to its spans.
void DrawLine(float x, float y, std::string_view text, const Line& line, shape::Direction base);

}  // namespace layout
