// text.cpp - measuring, word wrap and drawing of UTF-8 text in the current font: one
// run at a point (pixel-snapped, aligned) or wrapped text in a scrolled box, with
// inline colour tags and an X for every character the font lacks. Lines with
// right-to-left letters, combining marks or direction controls go through the shaping
// unit (render/text_shape.h) and are drawn in visual order with Arabic letters joined
// and marks over their bases; every other line keeps the plain logical loops, whose
// speed the editor's typing depends on.
#include <GL/gl.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/engine.h"
#include "render/draw.h"
#include "render/font.h"
#include "render/font_internal.h"
#include "render/line_layout.h"
#include "render/text_shape.h"
#include "render/texture.h"

using font_detail::ColorTagLengthN;
using font_detail::DecodeUtf8N;
using font_detail::FindMarkInk;
using font_detail::GlyphAt;
using font_detail::kShapes;
using font_detail::LookupGlyph;
using font_detail::LookupPlainGlyph;
using font_detail::ShapeClassSlow;
using font_detail::TextLength;

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

// Characters after which a line may break.
bool IsBreakChar(int32_t c) {
    switch (c) {
        case ' ':
        case ',':
        case '.':
        case '?':
        case '!':
        case ';':
        case ':':
        case '(':
        case ')':
        case '&':
        case '%':
        case '-':
        case '+':
            return true;
        default:
            return false;
    }
}

// Chinese, Japanese and Korean: scripts written without spaces between words, whose
// lines may break between any two characters.
bool IsCjk(int32_t c) {
    return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFFEF) || (c >= 0x20000 && c <= 0x3FFFF);
}

// Marks that never start a line: closing brackets and quotes, commas and stops,
// iteration marks, the prolonged-sound mark and the small kana, which belong to the
// syllable before them.
bool ClosesLine(int32_t c) {
    static constexpr char32_t kClosing[] =
        U"、。，．！？：；）」』】〉》〕〗〙〛］｝｠〞〟’”・ー〜゛゜ゝゞヽヾ々〻"
        U"ぁぃぅぇぉっゃゅょゎゕゖァィゥェォッャュョヮヵヶ)]},.!?:;%";
    if (c >= 0x31F0 && c <= 0x31FF) return true;  // small katakana for Ainu
    for (char32_t k : kClosing)
        if (int32_t(k) == c) return true;
    return false;
}

// Marks that never end a line: opening brackets and quotes.
bool OpensLine(int32_t c) {
    static constexpr char32_t kOpening[] = U"（「『【〈《〔〖〘〚［｛｟〝‘“([{";
    for (char32_t k : kOpening)
        if (int32_t(k) == c) return true;
    return false;
}

// Whether a line may break between two characters as CJK text breaks: anywhere next
// to a CJK character, except before a closing mark or after an opening one. Text
// without CJK characters never gets a break here.
bool CjkBreakBetween(int32_t before, int32_t c) {
    if (!IsCjk(before) && !IsCjk(c)) return false;
    return !ClosesLine(c) && !OpensLine(before) && c != ' ' && before != ' ';
}

// Whether text starts with a CJK closing mark (。、」 ...).
bool StartsWithCjkCloser(const char* text, int avail) {
    if (uint8_t(text[0]) < 0xE2) return false;  // everything below U+2000
    int32_t c;
    DecodeUtf8N(text, avail, c);
    return c >= 0x2E80 && ClosesLine(c);
}

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
};

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
// texels land on screen pixels one to one and text stays crisp.
float SnapToPixel(float v, int physical, int virtualSize) {
    if (physical <= 0 || virtualSize <= 0) return v;
    return float(int(v * physical / virtualSize)) * virtualSize / physical;
}

// ---- what needs the shaping unit ----

// The classes of U+0300 up to the direct glyph range, looked up rather than asked of
// FriBidi for every Greek or Cyrillic letter.
const std::array<uint8_t, kFontDirectRange - 0x300> kLowClasses = [] {
    std::array<uint8_t, kFontDirectRange - 0x300> table{};
    for (int32_t c = 0x300; c < kFontDirectRange; ++c) table[size_t(c - 0x300)] = ShapeClassSlow(c);
    return table;
}();

// For c >= 0x300 only: callers test that first, one compare for Latin text.
inline uint8_t ShapeClass(int32_t c) {
    if (c >= 0x370 && c < 0x483) return 0;  // Greek and Cyrillic letters, without a load
    if (c < kFontDirectRange) return kLowClasses[size_t(c - 0x300)];
    return ShapeClassSlow(c);
}

// Whether any character of the bytes needs the shaping unit. Lead bytes below 0xCC start
// only code points below U+0300, so most text is a byte compare each.
bool NeedsShaping(const char* s, int n) {
    for (int i = 0; i < n; ++i) {
        if (uint8_t(s[i]) < 0xCC) continue;
        int32_t c;
        const int k = DecodeUtf8N(s + i, n - i, c);
        if (c >= 0x300 && (ShapeClass(c) & kShapes)) return true;
        i += k - 1;
    }
    return false;
}

// Bytes before the first line feed or terminator, at most n: callers hand the bytes
// available, and the text may end before them, so nothing past a terminator is read.
int LineLength(const char* s, int n) {
    int i = 0;
    while (i < n && s[i] != '\n' && s[i] != 0) ++i;
    return i;
}

// ---- a shaped line ----

// One cluster placed on its line: x from the line's start, and for a mark the rows it
// is moved down (up when negative) to stack beyond the marks before it on its base.
struct Placed {
    const Glyph* glyph;  // null: missing, drawn as an X
    float x;
    int dy;
    int32_t colorTag;
    uint32_t byteBegin;
    bool mark;  // placed over a base: no cell of its own in block mode
};

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

// Lays out one line in visual order and returns its width. A mark goes over the last
// cluster before it that is not a mark: centred on the base's advance, at the height its
// ink has in its cell, moved beyond the marks already on that side of the base (1 pixel
// apart) and kept inside the line cell where the cell has room.
// cells, when given, gets the line as MeasureText counts it: the cell width of each
// cluster that is not a mark, as it counts a line that needs no shaping. cellsRight gets
// where the rightmost cell ends, which can pass the pen's travel: a joined Arabic form's
// cell is a pixel wider than its advance.
float PlaceLine(const Font* font, const char* line, int bytes, shape::Direction base, std::vector<Placed>& out,
                float* cells = nullptr, float* cellsRight = nullptr) {
    std::vector<shape::Cluster>& clusters = Buffers().clusters;
    shape::VisualLine(std::string_view(line, size_t(bytes)), base, clusters, g_engine.colorTags);
    out.clear();
    const float scale = font->scale, missing = font->height * scale;
    float pen = 0, cellSum = 0, right = 0;
    // No mark yet above or below the base: far enough out that a first mark is never
    // moved, near enough that the arithmetic below cannot overflow.
    constexpr int kNoMark = 1 << 20;
    int baseAt = -1, aboveTop = kNoMark, belowEnd = -kNoMark;
    for (const shape::Cluster& c : clusters) {
        const int32_t index = c.glyph < 0 ? -1 : LookupGlyph(font, c.glyph);
        const Glyph* g = GlyphAt(font, index);
        const MarkInk* ink = c.mark && g && baseAt >= 0 ? FindMarkInk(font, index) : nullptr;
        if (!ink) {
            out.push_back({g, pen, 0, c.colorTag, c.byteBegin, false});
            if (!c.mark || !g) baseAt = int(out.size()) - 1, aboveTop = kNoMark, belowEnd = -kNoMark;
            right = std::max(right, pen + (g ? g->width * scale : missing));
            pen += g ? g->advance * scale : missing;
            cellSum += g ? g->width * scale : missing;
            continue;
        }
        const Placed& b = out[size_t(baseAt)];
        const int baseAdvance = b.glyph ? b.glyph->advance : font->height;
        const float x = b.x + float((baseAdvance - ink->x0 - ink->x1) / 2) * scale;
        int dy;
        if (ink->y0 + ink->y1 >= 2 * font->baseline) {  // under the base
            dy = std::max(0, belowEnd + 1 - ink->y0);
            dy = std::max(0, std::min(dy, font->height - ink->y1));
            belowEnd = ink->y1 + dy;
        } else {
            dy = std::min(0, aboveTop - 1 - ink->y1);
            dy = std::min(0, std::max(dy, -ink->y0));
            aboveTop = ink->y0 + dy;
        }
        out.push_back({g, x, dy, c.colorTag, c.byteBegin, true});
    }
    if (cells) *cells = cellSum;
    if (cellsRight) *cellsRight = right;
    return pen;
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

// Room per byte of a paragraph as its shaped line would take it (each cluster's advance
// on its first byte, 0 for marks, tags, controls and a ligature's second letter), and
// its Thai word breaks: what FitLine needs to wrap a paragraph that needs shaping. Kept
// for the last paragraph: the lines of one paragraph are fitted one after another, each
// call handing over the rest of it.
struct ParagraphRoom {
    std::string bytes;
    const Font* font = nullptr;
    bool colorTags = false;
    std::vector<float> advance;
    std::vector<uint32_t> thaiBreaks;
};

// Shaped paragraphs kept between walks: one keystroke walks the whole text several times
// (wrapping, the scroll range, the caret, drawing), and shaping every paragraph again on
// each walk would cost more than all the rest. Dropped whole once they hold more than
// kRoomCacheBytes, counting each paragraph's bytes and its table of room per byte.
struct RoomCache {
    std::unordered_multimap<size_t, std::unique_ptr<ParagraphRoom>> rooms;
    const ParagraphRoom* last = nullptr;  // the one the last call used: the next line's
    size_t bytes = 0;
};
constexpr size_t kRoomCacheBytes = size_t(4) << 20;

const ParagraphRoom& RoomOf(const Font* font, const char* text, int bytes, int& offset) {
    static RoomCache cache;
    const bool tags = g_engine.colorTags;
    const std::string_view wanted(text, size_t(bytes));
    // The next line of the paragraph last used: the rest of it.
    if (const ParagraphRoom* r = cache.last;
        r && r->font == font && r->colorTags == tags && r->bytes.size() >= wanted.size() &&
        std::string_view(r->bytes).substr(r->bytes.size() - wanted.size()) == wanted) {
        offset = int(r->bytes.size()) - bytes;
        return *r;
    }
    offset = 0;
    const size_t hash = std::hash<std::string_view>{}(wanted);
    for (auto [at, end] = cache.rooms.equal_range(hash); at != end; ++at) {
        const ParagraphRoom& r = *at->second;
        if (r.font == font && r.colorTags == tags && r.bytes == wanted) return *(cache.last = &r);
    }
    if (cache.bytes > kRoomCacheBytes) cache.rooms.clear(), cache.bytes = 0;
    auto room = std::make_unique<ParagraphRoom>();
    room->bytes.assign(wanted);
    room->font = font;
    room->colorTags = tags;
    room->advance.assign(size_t(bytes) + 1, 0.0f);
    std::vector<shape::Cluster>& clusters = Buffers().clusters;
    shape::VisualLine(wanted, shape::ParagraphDirection(wanted), clusters, tags);
    const float missing = font->height * font->scale;
    for (const shape::Cluster& c : clusters) {
        const Glyph* g = GlyphAt(font, c.glyph < 0 ? -1 : LookupGlyph(font, c.glyph));
        room->advance[c.byteBegin] += g ? g->advance * font->scale : missing;
    }
    shape::ThaiBreaks(wanted, room->thaiBreaks, tags);
    cache.bytes += wanted.size() * (1 + sizeof(float)) + room->thaiBreaks.size() * sizeof(uint32_t);
    cache.last = room.get();
    cache.rooms.emplace(hash, std::move(room));
    return *cache.last;
}

}  // namespace

// ---- measuring ----

float CharWidthFont(int32_t codePoint, const Font* font) {
    if (!font) return 0;
    const Glyph* g = GlyphAt(font, FindGlyph(codePoint, font));
    return (g ? g->width : font->height) * font->scale;
}

float CharWidth(int32_t codePoint) { return CharWidthFont(codePoint, g_font.current); }

namespace {

// The line around text[pos] as the drawer lays it out (joined forms; marks and controls
// take no room) into x; returns where the line ends. Kept out of MeasureText's loop so
// the loop stays as tight as before for the text that never needs it.
[[gnu::noinline]] int MeasureShapedLine(const Font* font, const char* text, int length, int pos, float& x) {
    int lineStart = pos;
    while (lineStart > 0 && text[lineStart - 1] != '\n') --lineStart;
    const char* line = text + lineStart;
    const int bytes = LineLength(line, length - lineStart);
    const std::string_view view(line, size_t(bytes));
    PlaceLine(font, line, bytes, shape::ParagraphDirection(view), Buffers().placed, &x);
    return lineStart + bytes;
}

}  // namespace

float MeasureText(const char* text, int length, const Font* font) {
    if (!font || !text) return 0;
    length = TextLength(text, length);
    const float scale = font->scale, missing = font->height * scale;
    float x = 0, widest = 0;
    for (int pos = 0; pos < length;) {
        int32_t c;
        int n = DecodeUtf8N(text + pos, length - pos, c);
        if (c == '\n') {
            widest = std::max(widest, x);
            x = 0;
        } else if (c == '<' && ColorTagLengthN(text + pos, length - pos)) {
            n = ColorTagLengthN(text + pos, length - pos);
        } else if (const Glyph* g = GlyphAt(font, LookupPlainGlyph(font, c))) {
            x += g->width * scale;
        } else if (c >= 0x300 && (ShapeClass(c) & kShapes)) {
            pos = MeasureShapedLine(font, text, length, pos, x);
            continue;
        } else {  // missing, or Thai (which plainDirect leaves to this path too)
            const Glyph* thai = c >= 0x300 ? GlyphAt(font, LookupGlyph(font, c)) : nullptr;
            x += thai ? thai->width * scale : missing;
        }
        pos += n;
    }
    return std::max(widest, x);
}

float TextWidthN(const char* text, int length) { return MeasureText(text, length, g_font.current); }
float TextWidth(const char* text) { return MeasureText(text, -1, g_font.current); }
float TextWidthFont(const char* text, const Font* font) { return MeasureText(text, -1, font); }

// ---- word wrap ----

namespace {

// FitLine's walk. Plain (room == null): each character takes its glyph's advance, and
// the walk gives up, returning -1, at the first character that needs the shaping unit
// or is Thai. Shaped: each takes the room its paragraph's shaped line gives it
// (room->advance from byte `offset` on), and Thai text may also break at the
// dictionary's word boundaries. Either way lines break in logical order.
template <bool kShaped>
int FitLineWalk(const char* text, float maxWidth, const Font* font, int32_t* codes, int avail, int& count,
                float& lineWidth, [[maybe_unused]] const ParagraphRoom* room, [[maybe_unused]] int offset) {
    // Count and width are kept in locals and stored once: through the references
    // every character would be a store and a reload the compiler cannot drop.
    [[maybe_unused]] const float scale = font->scale, missing = font->height * scale;
    float remaining = maxWidth, width = 0, breakWidth = 0;
    int codeCount = 0, breakPos = -1, breakCount = 0;
    int32_t previous = -1;  // the last character, colour tags not counted
    bool hasCharacter = false;
    int pos = 0;
    auto finish = [&](int consumed, int finalCount, float finalWidth) {
        count = finalCount;
        lineWidth = finalWidth;
        return consumed;
    };
    [[maybe_unused]] size_t thai = 0;
    while (pos < avail && text[pos] != 0) {
        if constexpr (kShaped) {
            const std::vector<uint32_t>& breaks = room->thaiBreaks;
            while (thai < breaks.size() && int(breaks[thai]) < pos + offset) ++thai;
            if (thai < breaks.size() && int(breaks[thai]) == pos + offset && hasCharacter)
                breakPos = pos, breakCount = codeCount, breakWidth = width;
        }
        int32_t c;
        const int n = DecodeUtf8N(text + pos, avail - pos, c);
        if (c == '<') {
            if (const int tag = ColorTagLengthN(text + pos, avail - pos)) {
                if (codes)
                    for (int i = 0; i < tag; ++i) codes[codeCount + i] = int8_t(text[pos + i]);
                codeCount += tag;
                pos += tag;
                continue;
            }
        }
        if (c == '\n') return finish(pos + 1, codeCount, width);

        int32_t index = kShaped ? LookupGlyph(font, c) : LookupPlainGlyph(font, c);
        const Glyph* g = GlyphAt(font, index);
        if constexpr (!kShaped)
            if (!g && c >= 0x300 && ShapeClass(c)) return -1;
        float w;
        if constexpr (kShaped)
            w = room->advance[size_t(pos + offset)];
        else
            w = g ? g->advance * scale : missing;
        if (!g) index = -1;
        // CJK text breaks between characters; the test costs one compare for
        // everything below U+2E80, so other scripts keep their speed and lines.
        if ((c >= 0x2E80 || previous >= 0x2E80) && hasCharacter && CjkBreakBetween(previous, c))
            breakPos = pos, breakCount = codeCount, breakWidth = width;
        remaining -= w;
        if (remaining < 0) {
            if (breakPos >= 0) return finish(breakPos, breakCount, breakWidth);
            // A line too narrow for even one character still takes it; otherwise
            // everything that wraps line by line would never get past it.
            if (hasCharacter) return finish(pos, codeCount, width);
        }
        width += w;
        if (codes) codes[codeCount] = index;
        ++codeCount;
        hasCharacter = true;
        pos += n;
        // After a blank or a mark the line may break, unless what follows is a CJK
        // closing mark, which must not start the next line.
        if (IsBreakChar(c) && !(pos < avail && StartsWithCjkCloser(text + pos, avail - pos)))
            breakPos = pos, breakCount = codeCount, breakWidth = width;
        previous = c;
    }
    return finish(pos, codeCount, width);
}

}  // namespace

int FitLine(const char* text, float maxWidth, const Font* font, int32_t* codes, int& count, float& lineWidth) {
    const int avail = count;
    count = 0;
    lineWidth = 0;
    if (!text || !font || avail <= 0 || text[0] == 0) return 0;
    const int n = FitLineWalk<false>(text, maxWidth, font, codes, avail, count, lineWidth, nullptr, 0);
    if (n >= 0) return n;
    // The paragraph's rest, up to its line feed or the terminator within avail.
    const int bytes = LineLength(text, avail);
    int offset = 0;
    const ParagraphRoom& room = RoomOf(font, text, bytes, offset);
    return FitLineWalk<true>(text, maxWidth, font, codes, avail, count, lineWidth, &room, offset);
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

    x = SnapToPixel(x, g_engine.clientWidth, g_engine.virtualWidth);
    y = SnapToPixel(y, g_engine.clientHeight, g_engine.virtualHeight);
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
            if (const Texture* page = binder.Use(font, g->page)) {
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
    const float pen = SnapToPixel(x + line.origin, g_engine.clientWidth, g_engine.virtualWidth);
    y = SnapToPixel(y, g_engine.clientHeight, g_engine.virtualHeight);
    DrawPlaced(font, bytes, count, placed, pen, y, 0, 0, false, 0, defaultColour, binder);
    PopColor();
}
