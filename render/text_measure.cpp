// text_measure.cpp - measuring and word wrap (text_measure.h): the plain loops that keep
// typing fast for the scripts written left to right without marks, the shaped paragraphs
// of the others, and the fonts for measuring alone. Moved here from the drawers
// (text.cpp) unchanged, so that what is measured is what is drawn.
#include "render/text_measure.h"

#include <fribidi.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <string_view>
#include <unordered_map>

#include "platform/platform.h"
#include "render/text_walk.h"

namespace measure {

using font_detail::ColorTagLengthIf;
using font_detail::DecodeUtf8N;
using font_detail::FindMarkInk;
using font_detail::GlyphAt;
using font_detail::kShapes;
using font_detail::kThai;

int32_t SearchGlyph(int32_t c, const Glyph* glyphs, int32_t count, bool asciiDirect) {
    if (asciiDirect && c >= 32 && c < 128) return c - 32;
    int32_t lo = asciiDirect ? kDsfAsciiDirectCount : 0, hi = count - 1;
    while (lo <= hi) {
        const int32_t mid = lo + (hi - lo) / 2;
        if (glyphs[mid].codePoint == c) return mid;
        if (c < glyphs[mid].codePoint)
            hi = mid - 1;
        else
            lo = mid + 1;
    }
    return -1;
}

std::string Utf8Of(int32_t c) {
    std::string s;
    if (c < 0x80) {
        s += char(c);
    } else if (c < 0x800) {
        s += char(0xC0 | c >> 6), s += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        s += char(0xE0 | c >> 12), s += char(0x80 | (c >> 6 & 0x3F)), s += char(0x80 | (c & 0x3F));
    } else {
        s += char(0xF0 | c >> 18), s += char(0x80 | (c >> 12 & 0x3F)), s += char(0x80 | (c >> 6 & 0x3F));
        s += char(0x80 | (c & 0x3F));
    }
    return s;
}

uint8_t ShapeClassOf(int32_t c) {
    if (c < 0x300 || c > 0x10FFFF) return 0;
    if ((c >= 0x3100 && c < 0xA000) || (c >= 0xAC00 && c < 0xD7A4)) return 0;  // CJK and Hangul
    if (c >= 0x0E01 && c <= 0x0E5B) {
        const bool mark = fribidi_get_bidi_type(FriBidiChar(c)) == FRIBIDI_TYPE_NSM;
        return uint8_t(kThai | (mark ? kShapes : 0));
    }
    if ((c >= 0x200C && c <= 0x200F) || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) || c == 0x061C)
        return kShapes;
    const FriBidiCharType t = fribidi_get_bidi_type(FriBidiChar(c));
    const bool shapes = t == FRIBIDI_TYPE_NSM || FRIBIDI_IS_RTL(t) || FRIBIDI_IS_ARABIC(t) || FRIBIDI_IS_EXPLICIT(t) ||
                        FRIBIDI_IS_ISOLATE(t) || t == FRIBIDI_TYPE_PDF || t == FRIBIDI_TYPE_PDI;
    return shapes ? kShapes : 0;
}

namespace {

// Glyph index of c without the search for the common scripts.
inline int32_t LookupGlyph(const Font* font, int32_t c) {
    if (uint32_t(c) < uint32_t(kFontDirectRange)) return font->direct[c];
    if (uint32_t(c - kFontFormsFirst) < uint32_t(kFontFormsEnd - kFontFormsFirst))
        return font->formsDirect[c - kFontFormsFirst];
    return GlyphIndex(font, c);
}

// LookupGlyph for the plain loops: -1 also for every code point ShapeClassOf names.
inline int32_t LookupPlainGlyph(const Font* font, int32_t c) {
    if (uint32_t(c) < uint32_t(kFontDirectRange)) return font->plainDirect[c];
    if (ShapeClassOf(c)) return -1;
    return GlyphIndex(font, c);
}

// Length of a text: up to the terminator for length < 0, else length bytes.
int TextLength(const char* text, int length) {
    if (!text) return 0;
    return length < 0 ? int(std::strlen(text)) : length;
}

// ---- the break rules ----

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

// ---- what needs the shaping unit ----

// The classes of U+0300 up to the direct glyph range, looked up rather than asked of
// FriBidi for every Greek or Cyrillic letter.
const std::array<uint8_t, kFontDirectRange - 0x300> kLowClasses = [] {
    std::array<uint8_t, kFontDirectRange - 0x300> table{};
    for (int32_t c = 0x300; c < kFontDirectRange; ++c) table[size_t(c - 0x300)] = ShapeClassOf(c);
    return table;
}();

// For c >= 0x300 only: callers test that first, one compare for Latin text.
inline uint8_t ShapeClass(int32_t c) {
    if (c >= 0x370 && c < 0x483) return 0;  // Greek and Cyrillic letters, without a load
    if (c < kFontDirectRange) return kLowClasses[size_t(c - 0x300)];
    return ShapeClassOf(c);
}

// Room per byte of a paragraph as its shaped line would take it (each cluster's advance
// on its first byte, 0 for marks, tags, controls and a ligature's second letter), and
// its Thai word breaks: what FitLine needs to wrap a paragraph that needs shaping. Kept
// for the last paragraph: the lines of one paragraph are fitted one after another, each
// call handing over the rest of it. With them, what LineExtent says of the whole
// paragraph: how far its run reaches, and its missing glyphs.
struct ParagraphRoom {
    std::string bytes;
    const Font* font = nullptr;
    float scale = 0;
    bool colorTags = false;
    std::vector<float> advance;
    std::vector<uint32_t> thaiBreaks;
    float extent = 0;
    std::vector<MissingGlyph> missing;
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

// Never destroyed: a font made for measuring that outlives it (a static one) still tells
// it to forget the font when it goes, at the program's end.
RoomCache& Cache() {
    static RoomCache& cache = *new RoomCache;
    return cache;
}

// The work buffers of measuring, kept between calls.
struct Buffers {
    std::vector<shape::Cluster> clusters;
    std::vector<Placed> placed;
};

Buffers& Work() {
    static Buffers buffers;
    return buffers;
}

// The same font at the same scale, with the tags read alike.
bool SameRoom(const ParagraphRoom& r, const Font* font, bool tags) {
    return r.font == font && r.scale == font->scale && r.colorTags == tags;
}

// The shaped paragraph `text`; unless `whole`, also the rest of the last one used, from
// `offset` on.
const ParagraphRoom& RoomOf(const Font* font, const char* text, int bytes, int& offset, bool tags, bool whole = false) {
    RoomCache& cache = Cache();
    const std::string_view wanted(text, size_t(bytes));
    // The next line of the paragraph last used: the rest of it.
    if (const ParagraphRoom* r = cache.last;
        r && SameRoom(*r, font, tags) && r->bytes.size() >= wanted.size() &&
        (!whole || r->bytes.size() == wanted.size()) &&
        std::string_view(r->bytes).substr(r->bytes.size() - wanted.size()) == wanted) {
        offset = int(r->bytes.size()) - bytes;
        return *r;
    }
    offset = 0;
    const size_t hash = std::hash<std::string_view>{}(wanted);
    for (auto [at, end] = cache.rooms.equal_range(hash); at != end; ++at) {
        const ParagraphRoom& r = *at->second;
        if (SameRoom(r, font, tags) && r.bytes == wanted) return *(cache.last = &r);
    }
    if (cache.bytes > kRoomCacheBytes) cache.rooms.clear(), cache.bytes = 0, cache.last = nullptr;
    auto room = std::make_unique<ParagraphRoom>();
    room->bytes.assign(wanted);
    room->font = font;
    room->scale = font->scale;
    room->colorTags = tags;
    room->advance.assign(size_t(bytes) + 1, 0.0f);
    std::vector<shape::Cluster>& clusters = Work().clusters;
    shape::VisualLine(wanted, shape::ParagraphDirection(wanted), clusters, tags);
    const float missing = font->height * font->scale;
    // The pen and the cells as PlaceLine puts them: a mark with ink over a base before it
    // has no cell of its own.
    float pen = 0, right = 0;
    bool base = false;
    for (const shape::Cluster& c : clusters) {
        const int32_t index = c.glyph < 0 ? -1 : LookupGlyph(font, c.glyph);
        const Glyph* g = GlyphAt(font, index);
        room->advance[c.byteBegin] += g ? g->advance * font->scale : missing;
        if (c.mark && g && base && FindMarkInk(font, index)) continue;
        right = std::max(right, pen + (g ? g->width * font->scale : missing));
        pen += g ? g->advance * font->scale : missing;
        base = base || !c.mark || !g;
        if (!g && (c.glyph < 0 || c.glyph >= 32))
            room->missing.push_back({c.glyph < 0 ? 0xFFFD : c.glyph, c.byteBegin, c.byteEnd});
    }
    room->extent = std::max(pen, right);
    std::sort(room->missing.begin(), room->missing.end(),
              [](const MissingGlyph& a, const MissingGlyph& b) { return a.begin < b.begin; });
    shape::ThaiBreaks(wanted, room->thaiBreaks, tags);
    cache.bytes += wanted.size() * (1 + sizeof(float)) + room->thaiBreaks.size() * sizeof(uint32_t) +
                   room->missing.size() * sizeof(MissingGlyph);
    cache.last = room.get();
    cache.rooms.emplace(hash, std::move(room));
    return *cache.last;
}

// The line around text[pos] as the drawer lays it out (joined forms; marks and controls
// take no room) into x; returns where the line ends. Kept out of MeasureText's loop so
// the loop stays as tight as before for the text that never needs it.
[[gnu::noinline]] int MeasureShapedLine(const Font* font, const char* text, int length, int pos, float& x, bool tags) {
    int lineStart = pos;
    while (lineStart > 0 && text[lineStart - 1] != '\n') --lineStart;
    const char* line = text + lineStart;
    const int bytes = LineLength(line, length - lineStart);
    const std::string_view view(line, size_t(bytes));
    PlaceLine(font, line, bytes, shape::ParagraphDirection(view), tags, Work().clusters, Work().placed, &x);
    return lineStart + bytes;
}

}  // namespace

// ---- lines through the shaping unit ----

// Lead bytes below 0xCC start only code points below U+0300, so most text is a byte
// compare each.
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

int LineLength(const char* s, int n) {
    int i = 0;
    while (i < n && s[i] != '\n' && s[i] != 0) ++i;
    return i;
}

float PlaceLine(const Font* font, const char* line, int bytes, shape::Direction base, bool colorTags,
                std::vector<shape::Cluster>& clusters, std::vector<Placed>& out, float* cells, float* cellsRight) {
    shape::VisualLine(std::string_view(line, size_t(bytes)), base, clusters, colorTags);
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

// ---- measuring ----

float MeasureText(const Font* font, const char* text, int length, bool colorTags) {
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
        } else if (c == '<' && ColorTagLengthIf(text + pos, length - pos, colorTags)) {
            n = ColorTagLengthIf(text + pos, length - pos, colorTags);
        } else if (const Glyph* g = GlyphAt(font, LookupPlainGlyph(font, c))) {
            x += g->width * scale;
        } else if (c >= 0x300 && (ShapeClass(c) & kShapes)) {
            pos = MeasureShapedLine(font, text, length, pos, x, colorTags);
            continue;
        } else {  // missing, or Thai (which plainDirect leaves to this path too)
            const Glyph* thai = c >= 0x300 ? GlyphAt(font, LookupGlyph(font, c)) : nullptr;
            x += thai ? thai->width * scale : missing;
        }
        pos += n;
    }
    return std::max(widest, x);
}

float LineExtent(const Font* font, const char* line, int bytes, bool colorTags, std::vector<MissingGlyph>* missing) {
    if (!font || !line) return 0;
    bytes = LineLength(line, bytes);
    if (NeedsShaping(line, bytes)) {
        // The paragraph as FitLine shapes it, kept for the lines it will be wrapped into.
        int offset = 0;
        const ParagraphRoom& room = RoomOf(font, line, bytes, offset, colorTags, true);
        if (missing) missing->insert(missing->end(), room.missing.begin(), room.missing.end());
        return room.extent;
    }
    // As the drawers' plain loop puts each glyph: its cell from the pen, then the pen on
    // by its advance; a missing one is a square as high as the line.
    const float scale = font->scale, height = font->height * scale;
    float pen = 0, right = 0;
    for (int pos = 0; pos < bytes;) {
        int32_t c;
        const int n = DecodeUtf8N(line + pos, bytes - pos, c);
        if (c == '<')
            if (const int tag = ColorTagLengthIf(line + pos, bytes - pos, colorTags)) {
                pos += tag;
                continue;
            }
        const Glyph* g = c == -1 ? nullptr : GlyphAt(font, LookupGlyph(font, c));
        if (g) {
            right = std::max(right, pen + g->width * scale);
            pen += g->advance * scale;
        } else {
            pen += height;
            right = std::max(right, pen);
            if (missing && (c < 0 || c >= 32))
                missing->push_back({c < 0 ? 0xFFFD : c, uint32_t(pos), uint32_t(pos + n)});
        }
        pos += n;
    }
    return std::max(pen, right);
}

// ---- word wrap ----

namespace {

// FitLine's walk. Plain (room == null): each character takes its glyph's advance, and
// the walk gives up, returning -1, at the first character that needs the shaping unit
// or is Thai. Shaped: each takes the room its paragraph's shaped line gives it
// (room->advance from byte `offset` on), and Thai text may also break at the
// dictionary's word boundaries. Either way lines break in logical order.
template <bool kShaped>
int FitLineWalk(const char* text, float maxWidth, const Font* font, int32_t* codes, int avail, int& count,
                float& lineWidth, bool tags, bool& cut, [[maybe_unused]] const ParagraphRoom* room,
                [[maybe_unused]] int offset) {
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
    cut = false;
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
            if (const int tag = ColorTagLengthIf(text + pos, avail - pos, tags)) {
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
            if (hasCharacter) {
                cut = true;
                return finish(pos, codeCount, width);
            }
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

int FitLine(const Font* font, const char* text, float maxWidth, int32_t* codes, int& count, float& lineWidth,
            bool colorTags, bool* cut) {
    bool cutHere = false;
    bool& wordCut = cut ? *cut : cutHere;
    wordCut = false;
    const int avail = count;
    count = 0;
    lineWidth = 0;
    if (!text || !font || avail <= 0 || text[0] == 0) return 0;
    const int n =
        FitLineWalk<false>(text, maxWidth, font, codes, avail, count, lineWidth, colorTags, wordCut, nullptr, 0);
    if (n >= 0) return n;
    // The paragraph's rest, up to its line feed or the terminator within avail.
    const int bytes = LineLength(text, avail);
    int offset = 0;
    const ParagraphRoom& room = RoomOf(font, text, bytes, offset, colorTags);
    return FitLineWalk<true>(text, maxWidth, font, codes, avail, count, lineWidth, colorTags, wordCut, &room, offset);
}

// ---- fonts for measuring ----

namespace {

// The ink box of one glyph cell on its page (rows and columns with any coverage), the
// cell cut to the page's stored image; false for a cell without ink. As font.cpp reads it.
bool InkBox(const DsfFile& file, const Glyph& g, MarkInk& ink) {
    if (g.page >= file.pages.size()) return false;
    const DsfPage& page = file.pages[g.page];
    const int left = std::max<int>(g.u, 0), right = std::min<int>(g.u + g.width, page.width);
    const int top = std::max<int>(g.v, 0), bottom = std::min<int>(g.v + file.height, page.height);
    int x0 = right, x1 = left, y0 = bottom, y1 = top;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            if (page.alpha[size_t(y) * page.texWidth + size_t(x)]) {
                x0 = std::min(x0, x), x1 = std::max(x1, x + 1);
                y0 = std::min(y0, y), y1 = std::max(y1, y + 1);
            }
    if (x0 >= x1) return false;
    ink.x0 = int16_t(x0 - g.u), ink.x1 = int16_t(x1 - g.u);
    ink.y0 = int16_t(y0 - g.v), ink.y1 = int16_t(y1 - g.v);
    return true;
}

}  // namespace

int32_t GlyphIndex(const Font* font, int32_t c) {
    if (!font || !font->glyphs || c == -1) return -1;
    if (uint32_t(c) < uint32_t(kFontDirectRange) && font->direct) return font->direct[c];
    if (uint32_t(c - kFontFormsFirst) < uint32_t(kFontFormsEnd - kFontFormsFirst) && font->formsDirect)
        return font->formsDirect[c - kFontFormsFirst];
    return SearchGlyph(c, font->glyphs, font->glyphCount, font->asciiDirect);
}

MeasureFont::MeasureFont(const DsfFile& file) : glyphs_(file.glyphs) {
    Font& f = font_;
    f.glyphCount = int32_t(glyphs_.size());
    f.glyphs = glyphs_.data();
    f.height = file.height;
    f.scale = file.scale;
    f.asciiDirect = file.asciiDirect ? 1 : 0;
    direct_.resize(kFontDirectRange);
    plainDirect_.resize(kFontDirectRange);
    formsDirect_.resize(kFontFormsEnd - kFontFormsFirst);
    for (int32_t c = 0; c < kFontDirectRange; ++c) {
        direct_[size_t(c)] = SearchGlyph(c, f.glyphs, f.glyphCount, f.asciiDirect);
        plainDirect_[size_t(c)] = ShapeClassOf(c) ? -1 : direct_[size_t(c)];
    }
    for (int32_t c = kFontFormsFirst; c < kFontFormsEnd; ++c)
        formsDirect_[size_t(c - kFontFormsFirst)] = SearchGlyph(c, f.glyphs, f.glyphCount, f.asciiDirect);
    f.direct = direct_.data();
    f.plainDirect = plainDirect_.data();
    f.formsDirect = formsDirect_.data();
    // The marks' ink boxes and the baseline, from the page pixels.
    for (int32_t i = 0; i < f.glyphCount; ++i) {
        const Glyph& g = glyphs_[size_t(i)];
        MarkInk ink{i, 0, 0, 0, 0};
        if (g.advance == 0 && g.width > 0 && InkBox(file, g, ink)) markInks_.push_back(ink);
    }
    f.markInks = markInks_.empty() ? nullptr : markInks_.data();
    f.markInkCount = int32_t(markInks_.size());
    f.baseline = int16_t(f.height * 3 / 4);
    MarkInk ink{};
    const int32_t h = SearchGlyph('H', f.glyphs, f.glyphCount, f.asciiDirect);
    if (h >= 0 && InkBox(file, glyphs_[size_t(h)], ink)) f.baseline = ink.y1;
    const int32_t space = SearchGlyph(' ', f.glyphs, f.glyphCount, f.asciiDirect);
    f.blankSpace = space >= 0 && !InkBox(file, glyphs_[size_t(space)], ink) ? space : -1;
}

MeasureFont::~MeasureFont() { ForgetFont(&font_); }

void MeasureFont::SetScale(float scale) { font_.scale = scale; }

std::unique_ptr<MeasureFont> LoadMeasureFont(const std::string& path, std::string* why) {
    std::string bytes, error;
    if (!PlatReadFile(path, bytes, &error)) {
        if (why) *why = error;
        return nullptr;
    }
    DsfFile file;
    if (!ReadDsf(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), file)) {
        if (why) *why = path + " is not a .dsf font";
        return nullptr;
    }
    return std::make_unique<MeasureFont>(file);
}

void ForgetFont(const Font* font) {
    RoomCache& cache = Cache();
    if (cache.last && cache.last->font == font) cache.last = nullptr;
    for (auto at = cache.rooms.begin(); at != cache.rooms.end();) {
        if (at->second->font == font) {
            cache.bytes -= std::min(cache.bytes, at->second->bytes.size() * (1 + sizeof(float)));
            at = cache.rooms.erase(at);
        } else {
            ++at;
        }
    }
}

}  // namespace measure
