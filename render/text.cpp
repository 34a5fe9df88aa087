// text.cpp - measuring, word wrap and drawing of UTF-8 text in the current font: one
// run at a point (pixel-snapped, aligned) or wrapped text in a scrolled box, with
// inline colour tags and an X for every character the font lacks.
#include <GL/gl.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/engine.h"
#include "render/draw.h"
#include "render/font.h"
#include "render/font_internal.h"
#include "render/texture.h"

using font_detail::ColorTagLengthN;
using font_detail::DecodeUtf8N;
using font_detail::GlyphAt;
using font_detail::LookupGlyph;
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

// Binds a glyph's page only when it differs from the previous glyph's.
struct PageBinder {
    int bound = -1;
    const Texture* Use(const Font* font, int page) {
        const Texture* texture = font->pages[page];
        if (page != bound) {
            BindTexture(texture);
            bound = page;
        }
        return texture;
    }
};

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

}  // namespace

// ---- measuring ----

float CharWidthFont(int32_t codePoint, const Font* font) {
    if (!font) return 0;
    const Glyph* g = GlyphAt(font, FindGlyph(codePoint, font));
    return (g ? g->width : font->height) * font->scale;
}

float CharWidth(int32_t codePoint) { return CharWidthFont(codePoint, g_font.current); }

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
        } else {
            const Glyph* g = GlyphAt(font, LookupGlyph(font, c));
            x += g ? g->width * scale : missing;
        }
        pos += n;
    }
    return std::max(widest, x);
}

float TextWidthN(const char* text, int length) { return MeasureText(text, length, g_font.current); }
float TextWidth(const char* text) { return MeasureText(text, -1, g_font.current); }
float TextWidthFont(const char* text, const Font* font) { return MeasureText(text, -1, font); }

// ---- word wrap ----

int FitLine(const char* text, float maxWidth, const Font* font, int32_t* codes, int& count, float& lineWidth) {
    const int avail = count;
    count = 0;
    lineWidth = 0;
    if (!text || !font || avail <= 0 || text[0] == 0) return 0;

    // Count and width are kept in locals and stored once: through the references
    // every character would be a store and a reload the compiler cannot drop.
    const float scale = font->scale, missing = font->height * scale;
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
    while (pos < avail && text[pos] != 0) {
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

        int32_t index = LookupGlyph(font, c);
        const Glyph* g = GlyphAt(font, index);
        const float w = g ? g->advance * scale : missing;
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
    for (int pos = 0; pos < len;) {
        int32_t c;
        int n = DecodeUtf8N(text + pos, len - pos, c);
        const Glyph* g = nullptr;
        if (c == '<' && ColorTagLengthN(text + pos, len - pos)) {
            n = ApplyColorTag(text + pos, defaultColour);
        } else if (c == '\n') {
            pen = RunLineStart(text + pos + 1, len - pos - 1, align, lineStart, font);
            y += lineHeight;
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
    for (int pos = 0; pos < len;) {
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
            if (align == ALIGN_LEFT)
                pen = x;
            else if (align == ALIGN_RIGHT)
                pen = x - lineWidth;
            else if (align == ALIGN_CENTER)
                pen = x - lineWidth * 0.5f;
            DrawBoxLine(font, line, block, pen, skip, defaultColour, binder);
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
