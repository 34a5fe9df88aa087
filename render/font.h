// font.h - .dsf bitmap fonts and text: loading, the current font, glyph lookup, UTF-8,
// inline colour tags, measuring, word wrap, and drawing a run or a wrapped, scrolled box.
// Depends on render/dsf.h (the file format), render/draw.h, render/texture.h and engine/.
#pragma once

#include <cstdint>

#include "render/dsf.h"
#include "render/texture.h"

// Text alignment codes taken by the drawers.
enum : int { ALIGN_LEFT = 1030, ALIGN_CENTER = 505, ALIGN_RIGHT = 1031 };

// Code points below this have a direct glyph-index table (Latin, Greek, Cyrillic,
// typographic punctuation, currency and letterlike signs): what a translator types
// never needs a search.
constexpr int32_t kFontDirectRange = 0x2200;
// The Arabic presentation forms (U+FB50-FEFF), what joined Arabic text is drawn with:
// also found without a search.
constexpr int32_t kFontFormsFirst = 0xFB50, kFontFormsEnd = 0xFF00;

// Where the ink of a glyph with no advance (a combining mark) lies in its cell, in
// font pixels: columns x0..x1 and rows y0..y1, the ends excluded. The drawer centres a
// mark over its base and stacks a second one beyond the first by these.
struct MarkInk {
    int32_t glyph;  // index into Font::glyphs
    int16_t x0, y0, x1, y1;
};

// Where the pages of a font loaded from a file wait until they are first drawn
// (font.cpp).
struct FontPageSource;
// The font's glyphs rasterised at other draw scales (render/scaled_glyphs.h).
struct ScaledGlyphs;

// A loaded font. Every block (the record, the arrays, the page Textures) is on the
// engine's allocation list and lives until ShutdownEngine.
struct Font {
    // pageCount Textures (W x H, GL name). A page still in the file has its size and
    // GL name 0: FontPage uploads it.
    Texture** pages;
    uint8_t pageCount;
    Glyph* glyphs;  // sorted by code point
    int32_t glyphCount;
    int16_t height;       // line height and glyph cell height, pixels
    float scale;          // applied to every pixel measure when drawing and measuring
    uint8_t asciiDirect;  // glyphs 0..95 are code points 32..127
    int32_t* direct;      // glyph index per code point below kFontDirectRange, -1: none
    // direct for the plain text loops: -1 also for what needs the shaping unit (marks,
    // right-to-left letters, direction controls) and for Thai, so those loops find them
    // on their missing-glyph path and pay nothing for them otherwise.
    int32_t* plainDirect;
    int32_t* formsDirect;  // glyph index per code point kFontFormsFirst .. kFontFormsEnd - 1
    // The space's glyph when its cell has no ink, else -1: drawn as no quad at all, so a
    // line of another script's page does not switch pages at every word.
    int32_t blankSpace;
    MarkInk* markInks;  // the inked glyphs of advance 0, by ascending glyph index
    int32_t markInkCount;
    int16_t baseline;  // first cell row below the ink of "H" (3/4 of the height without one)
    // LoadFont's pages, read from the file when first drawn; null when the pages were
    // made with the font (CreateFontFromDsf).
    FontPageSource* pageSource;
    // LoadFont's font with a recipe of its faces beside it (<font>.faces): its glyphs
    // are rendered again at the draw scale; null draws the 1x cells at every scale.
    ScaledGlyphs* scaled;
};

struct FontState {
    Font* current = nullptr;
};
extern FontState g_font;

// ---- loading and the current font ----

// Reads and checks the file's header, glyph table and page sizes; each page's pixels
// stay in the file until a glyph of that page is first drawn, then FontPage uploads it
// (needs the GL context then, not now). A recipe beside the file (made by dsfmake
// --recipe) gives the font glyphs rendered at other draw scales. Null if the file cannot
// be opened or is not a sound .dsf file.
Font* LoadFont(const char* path);
// Builds a font from a parsed file. uploadPages false leaves every page a Texture
// with GL name 0: enough for measuring and layout, for tools and tests without GL.
Font* CreateFontFromDsf(const DsfFile& file, bool uploadPages);

// The texture of page `page` (< pageCount), uploaded from the font's file first if this
// is the first time it is asked for (needs the GL context). Null for a page of the file
// that could not be read or uploaded (its glyphs draw as nothing; it is not tried again).
const Texture* FontPage(const Font* font, int page);
// How many of the font's pages have been uploaded so far (all of them for a font built
// with uploadPages, none without).
int FontPagesUploaded(const Font* font);

// Returns the previous current font.
Font* SetFont(Font* font);
Font* GetFont();

// Index of the glyph for c, -1 if none (also for a null font or c == -1).
int32_t FindGlyph(int32_t c, const Font* font);

// ---- UTF-8 ----

// Decodes one sequence and returns its expected length (1 to 4), even when it is
// cut or broken; codePoint is then -1. A byte that leads nothing (ASCII, a stray
// continuation, 0xF8-0xFF) is returned sign-extended, so 0x80-0xFF alone are negative.
int DecodeUtf8(const char* bytes, int32_t& codePoint);
// Writes codePoint at buffer[position] and a terminator after it; returns 1 to 4
// (the terminator not counted). The buffer needs room for five bytes.
int EncodeUtf8(char* buffer, int position, int32_t codePoint);

// ---- colour tags: "<color R,G,B>" (one to three components) and "<color default>" ----

// Length of the tag at the start of text (at most 19), 0 if none or tags are off.
int ColorTagLength(const char* text);
// Makes the tag's colour current and returns its length (0 and nothing done if the
// text starts with no valid tag). Components read like scanf's %i (a leading 0 means
// octal) and keep their low byte; missing components are 0; alpha comes from
// defaultColour, which "<color default>" restores whole.
int ApplyColorTag(const char* text, const float defaultColour[4]);

// ---- measuring ----

// Glyph width x scale, or height x scale for a code point the font lacks.
float CharWidthFont(int32_t codePoint, const Font* font);
float CharWidth(int32_t codePoint);  // current font
// Width of the widest line (lines end at line feeds); colour tags take no room, nor do
// combining marks and the invisible controls of joining and direction, and Arabic
// letters count as the joined forms they are drawn in. length < 0: up to the terminator.
float MeasureText(const char* text, int length, const Font* font);
float TextWidthN(const char* text, int length);  // current font
float TextWidth(const char* text);               // current font, up to the terminator
float TextWidthFont(const char* text, const Font* font);

// ---- word wrap and layout ----

// Fits the next line of text into maxWidth and returns the bytes it takes (the line
// feed that ends a line included). On entry count holds the bytes available; on
// return it holds the codes of the line (glyph indices, -1 for missing glyphs, and
// the bytes of colour tags), which are also stored in codes when given (room for
// count entries). Lines break after a blank or one of , . ? ! ; : ( ) & % - + when
// they can, and next to Chinese, Japanese and Korean characters between any two of
// them, except that a closing mark (、。」 small kana ...) never starts a line and an
// opening mark (「（ ...) never ends one; Thai, written without spaces, also breaks at
// its dictionary's word boundaries; a word wider than the line is cut; a line
// always takes at least one character, so callers that fit line after line always finish.
// Lines break in logical order; each character takes the room it has in its shaped
// paragraph (joined Arabic forms, nothing for marks and controls), and the codes stay
// those of the logical characters.
int FitLine(const char* text, float maxWidth, const Font* font, int32_t* codes, int& count, float& lineWidth);

// Height of text wrapped to maxWidth, from scrollY down, at most maxHeight (0: 32,000).
// length -1: up to the terminator. Current font.
int TextHeight(float maxWidth, float maxHeight, const char* text, float scrollY, int length);
int TextHeightFont(Font* font, float maxWidth, float maxHeight, const char* text, float scrollY, int length);

// Where the first length bytes of text (-1: all) end when wrapped to maxWidth: x on
// the last line and the top y of that line. A final line feed moves to a new line.
struct TextPos {
    float x = 0, y = 0;
};
TextPos TextEndPos(const Font* font, float maxWidth, const char* text, int length);

// ---- drawing (current font and colour; colour tags change the colour for the rest of
// their own string only) ----

// Draws one run at (x, y), snapped to whole physical pixels; line feeds start new
// lines below, each line in visual order (ALIGN_LEFT keeps right-to-left text at x). Returns the pen's travel on the
// last line. length -1: up to the terminator.
int DrawTextN(float x, float y, const char* text, int align, int length);
int DrawText(float x, float y, const char* text, int align);

// Draws text wrapped to width w in the box (x, y, w, h), scrolled up by scrollY
// pixels; lines cut by the box edges are drawn cut. h 0: 32,000. length -1: up to the
// terminator; length < -1: block mode for the first -1 - length bytes, each character
// cell filled in the current colour (text selections). The first skip characters take
// their room but are not drawn. A paragraph whose direction is right to left is drawn
// right-aligned in the box under ALIGN_LEFT. Returns the height drawn.
int DrawTextBox(float x, float y, float w, float h, const char* text, float scrollY, int align, int length, int skip);
