// text.cpp - drawing UTF-8 text in the current font: one run at a point (pixel-snapped,
// aligned) or wrapped text in a scrolled box, with inline colour tags and an X for every
// character the font lacks. Lines with right-to-left letters, combining marks or
// direction controls go through the shaping unit (render/text_shape.h) and are drawn in
// visual order with Arabic letters joined and marks over their bases; every other line
// keeps the plain logical loops, whose speed the editor's typing depends on. What is
// drawn is laid out by the measuring unit (render/text_measure.h); font.h's measuring and
// wrapping calls are that unit with the engine's colour-tag switch.
#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string_view>
#include <vector>

#include "engine/engine.h"
#include "render/draw.h"
#include "render/font.h"
#include "render/font_internal.h"
#include "render/line_layout.h"
#include "render/scaled_glyphs.h"
#include "render/text_measure.h"
#include "render/text_shape.h"
#include "render/texture.h"

using font_detail::ColorTagLengthN;
using font_detail::DecodeUtf8N;
using font_detail::GlyphAt;
using font_detail::LookupGlyph;
using font_detail::TextLength;
using measure::LineLength;
using measure::NeedsShaping;
using measure::Placed;

namespace {

// The drawers' frame: screen projection on and texturing on, both put back at the end.
class TextFrame {
  public:
    TextFrame() {
        entered_ = !g_engine.mode2D;
        if (entered_) Begin2D();
        textured_ = glIsEnabled(GL_TEXTURE_2D);
        glEnable(GL_TEXTURE_2D);
    }
    ~TextFrame() {
        if (entered_) End2D();
        if (textured_)
            glEnable(GL_TEXTURE_2D);
        else
            glDisable(GL_TEXTURE_2D);
    }
    TextFrame(const TextFrame&) = delete;
    TextFrame& operator=(const TextFrame&) = delete;

  private:
    bool entered_ = false;
    GLboolean textured_ = GL_FALSE;
};

// Binds a glyph's page only when it differs from the previous glyph's (uploading it
// the first time any glyph of it is drawn).
struct PageBinder {
    int bound = -1;
    const Texture* Use(const Font* font, int page) {
        const Texture* texture = FontPage(font, page);
        if (page != bound) {
            BindTexture(texture);
            bound = page;
        }
        return texture;
    }
    // A texture that is not one of the font's pages, by a key above theirs (0..254).
    void UseOther(int key, const Texture* texture) {
        if (key != bound) {
            BindTexture(texture);
            bound = key;
        }
    }
};
constexpr int kScaledPageKey = 256;  // + the scaled page's index

// A glyph with no ink (the space): drawing it in a shaped line would only switch pages.
inline bool IsBlank(const Font* font, const Glyph* g) {
    return font->blankSpace >= 0 && g == font->glyphs + font->blankSpace;
}

// One textured quad, corners top-left, top-right, bottom-right, bottom-left.
void GlyphQuad(float x0, float y0, float x1, float y1, float s0, float t0, float s1, float t1, uint32_t textureName) {
    glBegin(GL_QUADS);
    glTexCoord2f(s0, t0), glVertex2f(x0, y0);
    glTexCoord2f(s1, t0), glVertex2f(x1, y0);
    glTexCoord2f(s1, t1), glVertex2f(x1, y1);
    glTexCoord2f(s0, t1), glVertex2f(x0, y1);
    glEnd();
    if (g_draw.trace)
        g_draw.trace->push_back(
            {GL_QUADS, textureName, {{x0, y0, s0, t0}, {x1, y0, s1, t0}, {x1, y1, s1, t1}, {x0, y1, s0, t1}}});
}

// The missing-glyph X over the square (px, py) .. (px + size, py + size); the insets
// move its top down and its bottom up where a box cuts the line.
void MissingMark(float px, float py, float size, float topInset = 0, float bottomInset = 0) {
    DrawLine(px, py + topInset, px + size, py + size + bottomInset);
    DrawLine(px + size, py + topInset, px, py + size + bottomInset);
}

// A selection cell: filled, plus an outline on the same corners.
void BlockCell(float x0, float y0, float x1, float y1) {
    FillRect(x0, y0, x1 - x0, y1 - y0);
    DrawRect(x0, y0, x1 - x0, y1 - y0);
}

// Where the pen starts a line of a run: the line's measured width decides the shift
// for right and centre alignment.
float RunLineStart(const char* line, int bytesLeft, int align, float lineStart, const Font* font) {
    if (align != ALIGN_RIGHT && align != ALIGN_CENTER) return lineStart;
    const void* feed = std::memchr(line, '\n', size_t(bytesLeft));
    const int n = feed ? int(static_cast<const char*>(feed) - line) : bytesLeft;
    const float width = MeasureText(line, n, font);
    return align == ALIGN_RIGHT ? lineStart - width : lineStart - width * 0.5f;
}

// Snaps a virtual coordinate to the nearest physical pixel at or before it, so glyph
// texels land on screen pixels one to one and text stays crisp. At a draw scale other
// than 1 the device pixels are 1/drawScale virtual pixels apart (the viewport starts on
// one); the small allowance keeps a coordinate that is a whole pixel from falling to
// the one before through rounding.
float SnapToPixel(float v, int physical, int virtualSize) {
    if (const float s = g_engine.drawScale; s != 1 && s > 0) return std::floor(v * s + 1e-3f) / s;
    if (physical <= 0 || virtualSize <= 0) return v;
    return float(int(v * physical / virtualSize)) * virtualSize / physical;
}

// At a draw scale other than 1, a glyph of a font with scaled glyphs is drawn from its
// cell rendered at that scale, on a device pixel, each texel on one pixel: rows topCut ..
// height + bottomCut of the 1x cell (font pixels; bottomCut <= 0), the glyph moved dy
// rows (a mark), all taken at the scale. False: the caller draws the 1x cell, stretched.
bool DrawScaled(const Font* font, const Glyph* g, float x, float y, float topCut, float bottomCut, float dy,
                PageBinder& binder) {
    const float s = g_engine.drawScale;
    if (s == 1 || !font->scaled) return false;
    const float k = s * font->scale;  // device pixels per font pixel
    ScaledGlyphCell cell;
    if (!GetScaledGlyph(*font, int32_t(g - font->glyphs), k, cell)) return false;
    if (cell.uploaded) binder.bound = -1;  // the upload bound its page
    const int shift = int(std::lround(dy * k));
    const int r0 = std::max(0, int(std::lround(topCut * k)) - shift);
    const int r1 = std::min(cell.height, cell.height + int(std::lround(bottomCut * k)) - shift);
    if (r1 <= r0) return true;
    binder.UseOther(kScaledPageKey + cell.pageIndex, cell.page);
    x = SnapToPixel(x, ScreenDeviceWidth(), g_engine.virtualWidth);
    y = SnapToPixel(y, ScreenDeviceHeight(), g_engine.virtualHeight);
    const float tw = cell.page->width, th = cell.page->height;
    GlyphQuad(x, y + float(r0 + shift) / s, x + float(cell.width) / s, y + float(r1 + shift) / s, cell.u / tw,
              (cell.v + r0) / th, (cell.u + cell.width) / tw, (cell.v + r1) / th, cell.page->name);
    return true;
}

// The shaping unit's work buffers, kept between lines (the engine is single-threaded).
struct ShapeBuffers {
    std::vector<shape::Cluster> clusters;
    std::vector<Placed> placed;
    std::vector<int32_t> charIndex;
};

ShapeBuffers& Buffers() {
    static ShapeBuffers buffers;
    return buffers;
}

// A line laid out by the measuring unit, as the engine's switch reads colour tags.
float PlaceLine(const Font* font, const char* line, int bytes, shape::Direction base, std::vector<Placed>& out,
                float* cells = nullptr, float* cellsRight = nullptr) {
    return measure::PlaceLine(font, line, bytes, base, g_engine.colorTags, Buffers().clusters, out, cells, cellsRight);
}

// The colour a line leaves for the next: its last tag's in logical order, or the one it
// started with.
void EndLineColour(const char* line, int bytes, const float startColour[4], const float defaultColour[4]) {
    int last = -1;
    for (int p = 0; p < bytes; ++p)
        if (line[p] == '<')
            if (const int tag = ColorTagLengthN(line + p, bytes - p)) last = p, p += tag - 1;
    if (last >= 0)
        ApplyColorTag(line + last, defaultColour);
    else
        glColor4fv(startColour);
}

// Draws a laid-out line at (pen, y): rows topCut .. height + bottomCut of each cell (font
// pixels; bottomCut <= 0), each cluster in the colour of its tag. With block, cells are
// filled instead; clusters of the line's first skip characters are not drawn.
void DrawPlaced(const Font* font, const char* line, int bytes, const std::vector<Placed>& placed, float pen, float y,
                float topCut, float bottomCut, bool block, int skip, const float defaultColour[4], PageBinder& binder) {
    const float scale = font->scale, lineHeight = font->height * scale;
    float startColour[4];
    GetColor(startColour);
    std::vector<int32_t>& charIndex = Buffers().charIndex;
    if (skip > 0) {  // which character of the line each byte belongs to
        charIndex.assign(size_t(bytes) + 1, 0);
        int k = 0;
        for (int p = 0; p < bytes;) {
            int32_t c;
            int n = DecodeUtf8N(line + p, bytes - p, c);
            const int tag = c == '<' ? ColorTagLengthN(line + p, bytes - p) : 0;
            if (tag) n = tag;
            for (int i = 0; i < n; ++i) charIndex[size_t(p + i)] = k;
            if (!tag) ++k;
            p += n;
        }
    }
    int32_t colour = -1;
    for (const Placed& p : placed) {
        if (skip > 0 && charIndex[p.byteBegin] < skip) continue;
        if (p.colorTag != colour) {
            if (p.colorTag < 0)
                glColor4fv(startColour);
            else
                ApplyColorTag(line + p.colorTag, defaultColour);
            colour = p.colorTag;
        }
        const float x = pen + p.x;
        const Glyph* g = p.glyph;
        if (block) {
            if (!p.mark)
                BlockCell(x, y + topCut * scale, x + (g ? g->width * scale : lineHeight),
                          y + (font->height + bottomCut) * scale);
        } else if (!g) {
            MissingMark(x, y, lineHeight, topCut * scale, bottomCut * scale);
        } else if (IsBlank(font, g)) {
            // Nothing to draw, and no reason to leave the page of the line's letters: a
            // line of Arabic or Thai would switch pages at every word.
        } else if (DrawScaled(font, g, x, y, topCut, bottomCut, float(p.dy), binder)) {
            // Drawn from the cell rendered at the screen's scale.
        } else if (const Texture* page = binder.Use(font, g->page)) {
            // The rows of the cell that stay inside the line once the mark has moved.
            const float dy = float(p.dy);
            const float r0 = std::max(0.0f, topCut - dy),
                        r1 = std::min(float(font->height), font->height + bottomCut - dy);
            if (r1 > r0) {
                const float tw = page->width, th = page->height;
                GlyphQuad(x, y + (r0 + dy) * scale, x + g->width * scale, y + (r1 + dy) * scale, g->u / tw,
                          (g->v + r0) / th, (g->u + g->width) / tw, (g->v + r1) / th, page->name);
            }
        }
    }
    EndLineColour(line, bytes, startColour, defaultColour);
}

}  // namespace

// ---- measuring ----

float CharWidthFont(int32_t codePoint, const Font* font) {
    if (!font) return 0;
    const Glyph* g = GlyphAt(font, FindGlyph(codePoint, font));
    return (g ? g->width : font->height) * font->scale;
}

float CharWidth(int32_t codePoint) { return CharWidthFont(codePoint, g_font.current); }

float MeasureText(const char* text, int length, const Font* font) {
    return measure::MeasureText(font, text, length, g_engine.colorTags);
}

float TextWidthN(const char* text, int length) { return MeasureText(text, length, g_font.current); }
float TextWidth(const char* text) { return MeasureText(text, -1, g_font.current); }
float TextWidthFont(const char* text, const Font* font) { return MeasureText(text, -1, font); }

// ---- word wrap ----

int FitLine(const char* text, float maxWidth, const Font* font, int32_t* codes, int& count, float& lineWidth) {
    return measure::FitLine(font, text, maxWidth, codes, count, lineWidth, g_engine.colorTags);
}

int TextHeight(float maxWidth, float maxHeight, const char* text, float scrollY, int length) {
    const Font* font = g_font.current;
    if (!font || !text) return 0;
    const int len = TextLength(text, length);
    if (scrollY < 0) scrollY = 0;
    if (maxHeight == 0) maxHeight = 32000;
    const float lineHeight = font->height * font->scale;

    float total = 0;
    int pos = 0;
    while (pos < len) {
        int count = len - pos;
        float lineWidth;
        const int n = FitLine(text + pos, maxWidth, font, nullptr, count, lineWidth);
        if (n == 0) break;  // a terminator inside the length
        pos += n;
        total += lineHeight;
        if (total > scrollY && total - scrollY >= maxHeight) break;
    }
    if (pos > 0 && text[pos - 1] == '\n') total += lineHeight;
    const float height = std::min(total - scrollY, maxHeight);
    return height < 0 ? 0 : int(height);
}

int TextHeightFont(Font* font, float maxWidth, float maxHeight, const char* text, float scrollY, int length) {
    Font* previous = SetFont(font);
    const int height = TextHeight(maxWidth, maxHeight, text, scrollY, length);
    SetFont(previous);
    return height;
}

TextPos TextEndPos(const Font* font, float maxWidth, const char* text, int length) {
    if (!font || !text) return {};
    const int len = TextLength(text, length);
    if (len == 0) return {};
    const float lineHeight = font->height * font->scale;

    TextPos end;
    int pos = 0, lineStart = 0;
    for (;;) {
        int count = len - pos;
        float lineWidth;
        const int n = FitLine(text + pos, maxWidth, font, nullptr, count, lineWidth);
        if (n == 0) break;
        lineStart = pos;
        pos += n;
        if (pos >= len) break;
        end.y += lineHeight;
    }
    end.x = MeasureText(text + lineStart, pos - lineStart, font);
    if (text[len - 1] == '\n') {
        end.x = 0;
        end.y += lineHeight;
    }
    return end;
}

// ---- drawing ----

int DrawTextN(float x, float y, const char* text, int align, int length) {
    const Font* font = g_font.current;
    if (!font || !text) return 0;
    const int len = TextLength(text, length);

    x = SnapToPixel(x, ScreenDeviceWidth(), g_engine.virtualWidth);
    y = SnapToPixel(y, ScreenDeviceHeight(), g_engine.virtualHeight);
    const float lineStart = x;

    TextFrame frame;
    float defaultColour[4];
    GetColor(defaultColour);
    PushColor();

    const float scale = font->scale, lineHeight = font->height * scale;
    PageBinder binder;
    float pen = RunLineStart(text, len, align, lineStart, font);
    // A line that needs shaping is laid out whole and drawn in visual order, its
    // direction its own (each line of a run is a paragraph). Left alignment stays at x
    // even for right-to-left text: a run has no width to align in, and the controls
    // that draw labels pick the alignment.
    auto shapedLine = [&](int from) {
        const int bytes = LineLength(text + from, len - from);
        if (!NeedsShaping(text + from, bytes)) return 0;
        const std::string_view view(text + from, size_t(bytes));
        std::vector<Placed>& placed = Buffers().placed;
        const float width = PlaceLine(font, text + from, bytes, shape::ParagraphDirection(view), placed);
        DrawPlaced(font, text + from, bytes, placed, pen, y, 0, 0, false, 0, defaultColour, binder);
        pen += width;
        return bytes;
    };
    for (int pos = shapedLine(0); pos < len;) {
        int32_t c;
        int n = DecodeUtf8N(text + pos, len - pos, c);
        const Glyph* g = nullptr;
        if (c == '<' && ColorTagLengthN(text + pos, len - pos)) {
            n = ApplyColorTag(text + pos, defaultColour);
        } else if (c == '\n') {
            pen = RunLineStart(text + pos + 1, len - pos - 1, align, lineStart, font);
            y += lineHeight;
            n += shapedLine(pos + 1);
        } else if (c != -1 && (g = GlyphAt(font, LookupGlyph(font, c)))) {
            if (DrawScaled(font, g, pen, y, 0, 0, 0, binder)) {
                // Drawn from the cell rendered at the screen's scale.
            } else if (const Texture* page = binder.Use(font, g->page)) {
                const float tw = page->width, th = page->height;
                GlyphQuad(pen, y, pen + g->width * scale, y + lineHeight, g->u / tw, g->v / th, (g->u + g->width) / tw,
                          (g->v + font->height) / th, page->name);
            }
            pen += g->advance * scale;
        } else {
            MissingMark(pen, y, lineHeight);
            pen += lineHeight;
        }
        pos += n;
    }
    PopColor();
    return int(pen - lineStart);
}

int DrawText(float x, float y, const char* text, int align) { return DrawTextN(x, y, text, align, -1); }

namespace {

// One line of a text box, with the cuts that the box's top and bottom edges make
// (in font pixels: top rows hidden, and a negative count of bottom rows hidden).
struct BoxLine {
    const char* text;
    int bytes;             // without the line feed that ends it
    const int32_t* codes;  // what FitLine stored for it
    int codeCount;
    float y, topCut, bottomCut;
};

void DrawBoxLine(const Font* font, const BoxLine& line, bool block, float& pen, int& skip, const float defaultColour[4],
                 PageBinder& binder) {
    const float scale = font->scale, lineHeight = font->height * scale;
    const float top = line.y + line.topCut * scale;
    const float bottom = line.y + (font->height + line.bottomCut) * scale;
    int k = 0;
    for (int p = 0; p < line.bytes && k < line.codeCount;) {
        int32_t c;
        const int n = DecodeUtf8N(line.text + p, line.bytes - p, c);
        // Colour tags sit in the codes as their raw bytes; walking the line's own
        // bytes next to the codes tells them apart from glyph indices.
        if (c == '<') {
            if (const int tag = ColorTagLengthN(line.text + p, line.bytes - p)) {
                ApplyColorTag(line.text + p, defaultColour);
                p += tag;
                k += tag;
                continue;
            }
        }
        const Glyph* g = GlyphAt(font, line.codes[k++]);
        p += n;
        const float advance = g ? g->advance * scale : lineHeight;
        if (skip > 0) {
            --skip;
        } else if (block) {
            BlockCell(pen, top, pen + (g ? g->width * scale : lineHeight), bottom);
        } else if (!g) {
            MissingMark(pen, line.y, lineHeight, line.topCut * scale, line.bottomCut * scale);
        } else if (DrawScaled(font, g, pen, line.y, line.topCut, line.bottomCut, 0, binder)) {
            // Drawn from the cell rendered at the screen's scale.
        } else if (const Texture* page = binder.Use(font, g->page)) {
            const float tw = page->width, th = page->height;
            GlyphQuad(pen, top, pen + g->width * scale, bottom, g->u / tw, (g->v + line.topCut) / th,
                      (g->u + g->width) / tw, (g->v + font->height + line.bottomCut) / th, page->name);
        }
        pen += advance;
    }
}

}  // namespace

int DrawTextBox(float x, float y, float w, float h, const char* text, float scrollY, int align, int length, int skip) {
    const Font* font = g_font.current;
    if (!font || !text) return 0;
    TextFrame frame;
    const bool block = length < -1;
    const int len = block ? -1 - length : TextLength(text, length);
    if (block) glDisable(GL_TEXTURE_2D);

    std::vector<int32_t> codes(size_t(len) + 1);
    float defaultColour[4];
    GetColor(defaultColour);
    PushColor();
    if (h == 0) h = 32000;

    const float scale = font->scale, lineHeight = font->height * scale;
    float penY = y - (lineHeight + scrollY), used = 0, pen = x;
    PageBinder binder;
    bool shaped = false;  // the paragraph needs the shaping unit
    shape::Direction base = shape::Direction::LeftToRight;
    for (int pos = 0; pos < len;) {
        if (pos == 0 || text[pos - 1] == '\n') {
            const int bytes = LineLength(text + pos, len - pos);
            shaped = NeedsShaping(text + pos, bytes);
            base = shaped ? shape::ParagraphDirection(std::string_view(text + pos, size_t(bytes)))
                          : shape::Direction::LeftToRight;
        }
        int count = len - pos;
        float lineWidth;
        const int n = FitLine(text + pos, w, font, codes.data(), count, lineWidth);
        if (n == 0) break;  // a terminator inside the length
        const bool endsWithFeed = text[pos + n - 1] == '\n';
        penY += lineHeight;
        used += lineHeight;
        const float d = scrollY - used;
        if (d >= 0) {
            // Wholly above the box: its characters still count against skip.
            skip = std::max(0, skip - count - (endsWithFeed ? 1 : 0));
        } else {
            BoxLine line{text + pos, n - (endsWithFeed ? 1 : 0), codes.data(), count, penY, 0, 0};
            line.topCut = std::max(0.0f, d / scale + font->height);
            if (used - scrollY > h) line.bottomCut = (h - used + scrollY) / scale;
            std::vector<Placed>& placed = Buffers().placed;
            // A shaped line is aligned by the width it is drawn with; a right-to-left
            // paragraph reads from the box's right edge.
            float cellsRight = 0;
            if (shaped) lineWidth = PlaceLine(font, line.text, line.bytes, base, placed, nullptr, &cellsRight);
            if (align == ALIGN_LEFT)
                pen = shaped && base == shape::Direction::RightToLeft ? x + w - std::max(lineWidth, cellsRight) : x;
            else if (align == ALIGN_RIGHT)
                pen = x - lineWidth;
            else if (align == ALIGN_CENTER)
                pen = x - lineWidth * 0.5f;
            if (shaped) {
                DrawPlaced(font, line.text, line.bytes, placed, pen, penY, line.topCut, line.bottomCut, block, skip,
                           defaultColour, binder);
                int characters = count;  // the codes less the tags' bytes
                for (int p = 0; p < line.bytes; ++p)
                    if (line.text[p] == '<')
                        if (const int tag = ColorTagLengthN(line.text + p, line.bytes - p))
                            characters -= tag, p += tag - 1;
                skip = std::max(0, skip - characters);
                pen += lineWidth;
            } else {
                DrawBoxLine(font, line, block, pen, skip, defaultColour, binder);
            }
            if (endsWithFeed) {
                if (skip > 0)
                    --skip;
                else if (block)
                    BlockCell(pen, penY + line.topCut * scale, pen + lineHeight * 0.5f,
                              penY + (font->height + line.bottomCut) * scale);
            }
        }
        pos += n;
        if (used - scrollY >= h) break;
    }
    PopColor();
    const float drawn = std::min(used - scrollY, h);
    return drawn < 0 ? 0 : int(drawn);
}

// ---- one line for the text boxes' caret and selections (line_layout.h) ----

void layout::LayOutLine(const Font* font, std::string_view text, uint32_t begin, uint32_t end, shape::Direction base,
                        float boxWidth, Line& out) {
    out.begin = begin, out.end = end, out.origin = 0, out.width = 0;
    out.rightToLeft = base == shape::Direction::RightToLeft;
    out.cells.clear();
    if (!font || begin > end || end > text.size()) return;
    const char* line = text.data() + begin;
    const int bytes = int(end - begin);
    std::vector<Placed>& placed = Buffers().placed;
    float cellsRight = 0;
    out.width = PlaceLine(font, line, bytes, base, placed, nullptr, &cellsRight);
    // The same alignment as DrawTextBox gives the line.
    if (boxWidth > 0 && out.rightToLeft) out.origin = boxWidth - std::max(out.width, cellsRight);
    const std::vector<shape::Cluster>& clusters = Buffers().clusters;
    const float missing = font->height * font->scale;
    for (size_t i = 0; i < placed.size() && i < clusters.size(); ++i) {
        const shape::Cluster& c = clusters[i];
        const uint32_t from = begin + c.byteBegin, to = begin + c.byteEnd;
        if (c.mark && !out.cells.empty()) {
            // A mark is part of its base: the caret never stands between them.
            Cell& owner = out.cells.back();
            owner.begin = std::min(owner.begin, from), owner.end = std::max(owner.end, to);
            continue;
        }
        const Glyph* g = placed[i].glyph;
        const float x0 = out.origin + placed[i].x;
        out.cells.push_back({x0, x0 + (g ? g->advance * font->scale : missing), from, to, c.rightToLeft});
    }
}

void layout::DrawLine(float x, float y, std::string_view text, const Line& line, shape::Direction base) {
    const Font* font = g_font.current;
    if (!font || line.begin > line.end || line.end > text.size()) return;
    TextFrame frame;
    float defaultColour[4];
    GetColor(defaultColour);
    PushColor();
    const char* bytes = text.data() + line.begin;
    const int count = int(line.end - line.begin);
    std::vector<Placed>& placed = Buffers().placed;
    PlaceLine(font, bytes, count, base, placed);
    PageBinder binder;
    // On whole physical pixels, as DrawTextN puts a run: glyph texels one to one.
    const float pen = SnapToPixel(x + line.origin, ScreenDeviceWidth(), g_engine.virtualWidth);
    y = SnapToPixel(y, ScreenDeviceHeight(), g_engine.virtualHeight);
    DrawPlaced(font, bytes, count, placed, pen, y, 0, 0, false, 0, defaultColour, binder);
    PopColor();
}
