// font.cpp - .dsf fonts as the engine holds them: loading a checked file's index and
// uploading each page when it is first drawn, the current font, glyph lookup, UTF-8
// decoding and encoding, and the inline colour tags. Measuring, wrapping and drawing
// live in text.cpp.
#include "render/font.h"

#include <GL/gl.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <vector>

#include "engine/engine.h"
#include "platform/platform.h"
#include "render/font_internal.h"
#include "render/scaled_glyphs.h"
#include "render/text_measure.h"
#include "render/texture.h"

FontState g_font;

namespace {

// A block that lives until engine shut-down; null if memory is out.
template <typename T>
T* EngineBlock(size_t count) {
    void* block = std::calloc(count ? count : 1, sizeof(T));
    if (block) TrackAllocation(block);
    return static_cast<T*>(block);
}

Texture* PageTexture(const DsfPage& page, bool upload) {
    if (upload) {
        if (Texture* texture = CreateAlphaTexture(page.alpha.data(), page.texWidth, page.texHeight)) {
            TrackAllocation(texture);
            return texture;
        }
    }
    // Without GL (or if the upload failed) the page keeps its size and no name, so
    // measuring and layout still work and drawing shows nothing.
    Texture* texture = EngineBlock<Texture>(1);
    if (texture) texture->width = page.texWidth, texture->height = page.texHeight;
    return texture;
}

// The pixels of a font's page while the font is made, null if they cannot be had.
using PagePixels = std::function<const DsfPage*(int page)>;

// The ink box of one glyph cell on its page (rows and columns with any coverage), the
// cell cut to the page's stored image; false for a cell without ink.
bool InkBox(const PagePixels& pixels, int16_t height, const Glyph& g, MarkInk& ink) {
    const DsfPage* stored = pixels(g.page);
    if (!stored) return false;
    const DsfPage& page = *stored;
    const int left = std::max<int>(g.u, 0), right = std::min<int>(g.u + g.width, page.width);
    const int top = std::max<int>(g.v, 0), bottom = std::min<int>(g.v + height, page.height);
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

// The glyphs whose cells the font's marks, baseline and blank space are read from: the
// marks, and the ones MeasureMarks looks up for H and the space (in a font whose ASCII
// glyphs are stored by code, found by position, whatever code they claim).
std::vector<int32_t> InkMeasuredGlyphs(const Font* font) {
    std::vector<int32_t> glyphs;
    for (int32_t i = 0; i < font->glyphCount; ++i)
        if (font->glyphs[i].advance == 0 && font->glyphs[i].width > 0) glyphs.push_back(i);
    for (const int32_t c : {int32_t('H'), int32_t(' ')}) {
        const int32_t g = measure::SearchGlyph(c, font->glyphs, font->glyphCount, font->asciiDirect);
        if (g >= 0) glyphs.push_back(g);
    }
    return glyphs;
}

// The marks' ink boxes and the baseline, read once from the page pixels: the file
// format stores neither, and scanning the pixels at every draw would cost too much.
bool MeasureMarks(const PagePixels& pixels, Font* font) {
    std::vector<MarkInk> inks;
    for (int32_t i = 0; i < font->glyphCount; ++i) {
        const Glyph& g = font->glyphs[i];
        MarkInk ink{i, 0, 0, 0, 0};
        if (g.advance == 0 && g.width > 0 && InkBox(pixels, font->height, g, ink)) inks.push_back(ink);
    }
    font->baseline = int16_t(font->height * 3 / 4);
    const int32_t h = measure::SearchGlyph('H', font->glyphs, font->glyphCount, font->asciiDirect);
    MarkInk ink{};
    if (h >= 0 && InkBox(pixels, font->height, font->glyphs[h], ink)) font->baseline = ink.y1;
    const int32_t space = measure::SearchGlyph(' ', font->glyphs, font->glyphCount, font->asciiDirect);
    font->blankSpace = space >= 0 && !InkBox(pixels, font->height, font->glyphs[space], ink) ? space : -1;
    if (inks.empty()) return true;
    font->markInks = EngineBlock<MarkInk>(inks.size());
    if (!font->markInks) return false;
    std::copy(inks.begin(), inks.end(), font->markInks);
    font->markInkCount = int32_t(inks.size());
    return true;
}

// A font's record and lookup tables from its header and glyphs, with a page array of
// pageCount empty slots; null if memory is out.
Font* NewFont(int16_t height, float scale, uint8_t asciiDirect, const std::vector<Glyph>& glyphs, size_t pageCount) {
    Font* font = EngineBlock<Font>(1);
    if (!font) return nullptr;
    font->pageCount = uint8_t(pageCount);
    font->glyphCount = int32_t(glyphs.size());
    font->height = height;
    font->scale = scale;
    font->asciiDirect = asciiDirect ? 1 : 0;
    font->pages = EngineBlock<Texture*>(pageCount);
    font->glyphs = EngineBlock<Glyph>(glyphs.size());
    font->direct = EngineBlock<int32_t>(kFontDirectRange);
    font->plainDirect = EngineBlock<int32_t>(kFontDirectRange);
    font->formsDirect = EngineBlock<int32_t>(kFontFormsEnd - kFontFormsFirst);
    if (!font->pages || !font->glyphs || !font->direct || !font->plainDirect || !font->formsDirect) return nullptr;

    std::copy(glyphs.begin(), glyphs.end(), font->glyphs);
    for (int32_t c = 0; c < kFontDirectRange; ++c)
        font->direct[c] = measure::SearchGlyph(c, font->glyphs, font->glyphCount, font->asciiDirect);
    for (int32_t c = 0; c < kFontDirectRange; ++c)
        font->plainDirect[c] = measure::ShapeClassOf(c) ? -1 : font->direct[c];
    for (int32_t c = kFontFormsFirst; c < kFontFormsEnd; ++c)
        font->formsDirect[c - kFontFormsFirst] =
            measure::SearchGlyph(c, font->glyphs, font->glyphCount, font->asciiDirect);
    return font;
}

// ---- pages read from the file when first drawn ----

// Reads n bytes at offset of an open file.
bool ReadAt(FILE* file, uint64_t offset, uint8_t* out, size_t n) {
    if (n == 0) return true;
    if (offset > uint64_t(LONG_MAX) || std::fseek(file, long(offset), SEEK_SET) != 0) return false;
    return std::fread(out, 1, n, file) == n;
}

bool FileSize(FILE* file, uint64_t& size) {
    if (std::fseek(file, 0, SEEK_END) != 0) return false;
    const long end = std::ftell(file);
    if (end < 0) return false;
    size = uint64_t(end);
    return true;
}

// One page's pixels from an open file at the place its index gives.
bool ReadPagePixels(FILE* file, const DsfPageInfo& info, DsfPage& page) {
    std::vector<uint8_t> stored(DsfStoredSize(info));
    if (!ReadAt(file, info.offset, stored.data(), stored.size())) return false;
    DsfPageFromStored(info, stored.data(), page);
    return true;
}

enum : uint8_t { kPageInFile = 0, kPageUploaded = 1, kPageFailed = 2 };

}  // namespace

// Every block on the engine's allocation list, like the font's.
struct FontPageSource {
    char* path;         // the file, UTF-8, opened again for each page
    uint64_t fileSize;  // as the index was read: a file replaced since is not read
    DsfPageInfo* pages;
    uint8_t* state;  // per page: kPageInFile, kPageUploaded or kPageFailed
    int32_t uploaded;
};

namespace {

FontPageSource* NewPageSource(const char* path, uint64_t fileSize, const std::vector<DsfPageInfo>& pages) {
    FontPageSource* source = EngineBlock<FontPageSource>(1);
    if (!source) return nullptr;
    const size_t length = std::strlen(path);
    source->path = EngineBlock<char>(length + 1);
    source->pages = EngineBlock<DsfPageInfo>(pages.size());
    source->state = EngineBlock<uint8_t>(pages.size());
    if (!source->path || !source->pages || !source->state) return nullptr;
    std::memcpy(source->path, path, length + 1);
    std::copy(pages.begin(), pages.end(), source->pages);
    source->fileSize = fileSize;
    return source;
}

// Reads and uploads one page of a font loaded from a file; false if the file is gone
// or no longer the one indexed, or the upload failed.
bool UploadPageFromFile(const FontPageSource& source, int page, Texture& texture) {
    FILE* file = PlatOpenFile(source.path, "rb");
    if (!file) return false;
    const DsfPageInfo& info = source.pages[page];
    uint64_t size = 0;
    uint8_t sizes[4];
    DsfPage pixels;
    bool ok = FileSize(file, size) && size == source.fileSize && info.offset >= sizeof sizes &&
              ReadAt(file, info.offset - sizeof sizes, sizes, sizeof sizes) &&
              int16_t(sizes[0] | sizes[1] << 8) == info.width && int16_t(sizes[2] | sizes[3] << 8) == info.height &&
              ReadPagePixels(file, info, pixels);
    std::fclose(file);
    return ok && UploadAlphaTexture(texture, pixels.alpha.data(), pixels.texWidth, pixels.texHeight);
}

}  // namespace

namespace font_detail {

int TextLength(const char* text, int length) {
    if (!text) return 0;
    return length < 0 ? int(std::strlen(text)) : length;
}

}  // namespace font_detail

Font* CreateFontFromDsf(const DsfFile& file, bool uploadPages) {
    Font* font = NewFont(file.height, file.scale, file.asciiDirect, file.glyphs, file.pages.size());
    if (!font) return nullptr;
    for (size_t i = 0; i < file.pages.size(); ++i) font->pages[i] = PageTexture(file.pages[i], uploadPages);
    const PagePixels pixels = [&file](int page) {
        return size_t(page) < file.pages.size() ? &file.pages[size_t(page)] : nullptr;
    };
    if (!MeasureMarks(pixels, font)) return nullptr;
    return font;
}

Font* LoadFont(const char* path) {
    if (!path) return nullptr;
    FILE* file = PlatOpenFile(path, "rb");
    if (!file) return nullptr;
    DsfIndex index;
    uint64_t size = 0;
    const auto readAt = [file](uint64_t offset, uint8_t* out, size_t n) { return ReadAt(file, offset, out, n); };
    Font* font = nullptr;
    if (FileSize(file, size) && ReadDsfIndex(readAt, size, index))
        font = NewFont(index.height, index.scale, index.asciiDirect, index.glyphs, index.pages.size());
    // The marks' ink, the baseline and the blank space are read from the pixels of the
    // few pages that hold them; those pages are read now and let go, not uploaded.
    std::map<int, DsfPage> read;
    bool pagesOk = font != nullptr;
    if (font) {
        for (const int32_t i : InkMeasuredGlyphs(font)) {
            const int page = font->glyphs[i].page;
            if (read.count(page)) continue;
            pagesOk = ReadPagePixels(file, index.pages[size_t(page)], read[page]);
            if (!pagesOk) break;
        }
    }
    std::fclose(file);
    if (!pagesOk) return nullptr;
    const PagePixels pixels = [&read](int page) {
        const auto it = read.find(page);
        return it == read.end() ? nullptr : &it->second;
    };
    if (!MeasureMarks(pixels, font)) return nullptr;
    for (size_t i = 0; i < index.pages.size(); ++i) {
        // Each page keeps its texture size and no name until it is first drawn.
        font->pages[i] = EngineBlock<Texture>(1);
        if (!font->pages[i]) return nullptr;
        font->pages[i]->width = index.pages[i].texWidth, font->pages[i]->height = index.pages[i].texHeight;
    }
    font->pageSource = NewPageSource(path, size, index.pages);
    if (!font->pageSource) return nullptr;
    font->scaled = LoadScaledGlyphs(path, *font);
    return font;
}

const Texture* FontPage(const Font* font, int page) {
    Texture* texture = font->pages[page];
    FontPageSource* source = font->pageSource;
    if (!source || !texture || source->state[page] == kPageUploaded) return texture;
    if (source->state[page] == kPageInFile) {
        source->state[page] = kPageFailed;
        if (UploadPageFromFile(*source, page, *texture)) {
            source->state[page] = kPageUploaded;
            ++source->uploaded;
            return texture;
        }
    }
    // Bound, a texture without a name would draw its glyphs as filled boxes.
    return nullptr;
}

int FontPagesUploaded(const Font* font) {
    if (!font) return 0;
    if (font->pageSource) return font->pageSource->uploaded;
    int count = 0;
    for (int i = 0; i < font->pageCount; ++i) count += font->pages[i] && font->pages[i]->name ? 1 : 0;
    return count;
}

Font* SetFont(Font* font) {
    Font* previous = g_font.current;
    g_font.current = font;
    return previous;
}

Font* GetFont() { return g_font.current; }

int32_t FindGlyph(int32_t c, const Font* font) {
    if (!font || !font->glyphs || c == -1) return -1;
    if (uint32_t(c) < uint32_t(kFontDirectRange) && font->direct) return font->direct[c];
    if (uint32_t(c - kFontFormsFirst) < uint32_t(kFontFormsEnd - kFontFormsFirst) && font->formsDirect)
        return font->formsDirect[c - kFontFormsFirst];
    return measure::SearchGlyph(c, font->glyphs, font->glyphCount, font->asciiDirect);
}

// ---- UTF-8 ----

int DecodeUtf8(const char* bytes, int32_t& codePoint) {
    const int8_t lead = int8_t(bytes[0]);
    int need = 0;
    int32_t value = lead;
    if ((lead & 0xE0) == 0xC0)
        need = 1, value = lead & 0x1F;
    else if ((lead & 0xF0) == 0xE0)
        need = 2, value = lead & 0x0F;
    else if ((lead & 0xF8) == 0xF0)
        need = 3, value = lead & 0x07;
    // A terminator is not a continuation byte, so a cut sequence stops at it.
    int valid = 0;
    while (valid < need && (uint8_t(bytes[valid + 1]) & 0xC0) == 0x80) {
        value = value << 6 | (bytes[valid + 1] & 0x3F);
        ++valid;
    }
    codePoint = valid < need ? -1 : value;
    return need + 1;
}

int EncodeUtf8(char* buffer, int position, int32_t codePoint) {
    char* out = buffer + position;
    int n;
    if (codePoint < 0x80) {
        out[0] = char(codePoint);
        n = 1;
    } else if (codePoint < 0x800) {
        out[0] = char(0xC0 | codePoint >> 6);
        out[1] = char(0x80 | (codePoint & 0x3F));
        n = 2;
    } else if (codePoint < 0x10000) {
        out[0] = char(0xE0 | codePoint >> 12);
        out[1] = char(0x80 | (codePoint >> 6 & 0x3F));
        out[2] = char(0x80 | (codePoint & 0x3F));
        n = 3;
    } else {
        out[0] = char(0xF0 | (codePoint >> 18 & 0x07));
        out[1] = char(0x80 | (codePoint >> 12 & 0x3F));
        out[2] = char(0x80 | (codePoint >> 6 & 0x3F));
        out[3] = char(0x80 | (codePoint & 0x3F));
        n = 4;
    }
    out[n] = 0;
    return n;
}

// ---- colour tags ----

int ColorTagLength(const char* text) { return font_detail::ColorTagLengthN(text, 1 << 30); }

int ApplyColorTag(const char* text, const float defaultColour[4]) {
    const int length = ColorTagLength(text);
    if (length == 0) return 0;
    if (text[7] == 'd') {  // "<color default>": a numeric tag has a digit here
        glColor4fv(defaultColour);
        return 15;
    }
    // Channels the tag leaves out are 0.
    uint8_t rgb[3] = {0, 0, 0};
    const char* p = text + 7;
    for (int i = 0; i < 3; ++i) {
        char* end = nullptr;
        // Base 0 reads like scanf's %i: "010" is octal 8, and "09" stops at the 9.
        // The tag allows only digits, so no hexadecimal prefix can appear.
        rgb[i] = uint8_t(std::strtol(p, &end, 0));
        while (*p >= '0' && *p <= '9') ++p;
        if (*p != ',') break;
        ++p;
    }
    const uint8_t alpha = uint8_t(int(defaultColour[3] * 255.0f));
    glColor4ub(rgb[0], rgb[1], rgb[2], alpha);
    return length;
}
