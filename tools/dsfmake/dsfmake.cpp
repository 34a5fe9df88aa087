// dsfmake - rasterises a TrueType/OpenType font with FreeType into a .dsf bitmap font:
// the printable ASCII block first (ASCII-direct), then every other requested code point
// the font has, in order; glyph cells packed into alpha pages of at most 256 x 256.
//
//   dsfmake FONT PIXEL_SIZE OUTPUT.dsf RANGE...
//   RANGE: a code point or FIRST-LAST, decimal, 0x hex or U+hex; several may be
//   joined with commas ("0x20-0x7E,0xA0-0x17F,U+20AC").
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "render/dsf.h"

namespace {

constexpr int kPageSize = 256;  // 256 x 256 = the 65,536-texel page limit
constexpr int kGap = 1;         // empty texels between cells, so filtering never bleeds

struct Cell {
    int32_t codePoint = 0;
    int advance = 0, width = 0;
    std::vector<uint8_t> alpha;  // width x lineHeight
};

bool ParseCodePoint(const std::string& s, long& value) {
    std::string digits = s;
    int base = 10;
    if (digits.rfind("U+", 0) == 0 || digits.rfind("u+", 0) == 0 || digits.rfind("0x", 0) == 0 ||
        digits.rfind("0X", 0) == 0)
        digits = digits.substr(2), base = 16;
    if (digits.empty()) return false;
    char* end = nullptr;
    value = std::strtol(digits.c_str(), &end, base);
    return *end == 0 && value >= 0 && value <= 0x10FFFF;
}

// Adds the code points of "A", "A-B" or several of them joined by commas.
bool ParseRanges(const std::string& arg, std::set<int32_t>& codePoints) {
    size_t start = 0;
    while (start <= arg.size()) {
        size_t comma = arg.find(',', start);
        if (comma == std::string::npos) comma = arg.size();
        const std::string item = arg.substr(start, comma - start);
        start = comma + 1;
        if (item.empty()) continue;
        const size_t dash = item.find('-');
        long first, last;
        if (!ParseCodePoint(item.substr(0, dash), first)) return false;
        last = first;
        if (dash != std::string::npos && !ParseCodePoint(item.substr(dash + 1), last)) return false;
        if (last < first) return false;
        for (long c = first; c <= last; ++c) codePoints.insert(int32_t(c));
    }
    return true;
}

// Renders one glyph into a cell as tall as the line, its baseline `ascent` rows down.
// The cell starts at the pen position; a glyph that reaches left of the pen is moved
// right onto it, and one that reaches past its advance widens the cell. Returns the
// number of bitmap rows that did not fit the line.
int RenderCell(FT_Face face, int32_t codePoint, int lineHeight, int ascent, Cell& cell) {
    cell.codePoint = codePoint;
    if (FT_Load_Char(face, FT_ULong(codePoint), FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL) != 0) return 0;
    const FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    cell.advance = int((slot->advance.x + 32) >> 6);
    const int left = std::max(0, int(slot->bitmap_left));
    cell.width = std::max(cell.advance, left + int(bitmap.width));
    cell.alpha.assign(size_t(cell.width) * lineHeight, 0);

    int clipped = 0;
    for (int row = 0; row < int(bitmap.rows); ++row) {
        const int y = ascent - slot->bitmap_top + row;
        if (y < 0 || y >= lineHeight) {
            ++clipped;
            continue;
        }
        const uint8_t* src = bitmap.buffer + row * bitmap.pitch;
        for (int x = 0; x < int(bitmap.width); ++x) cell.alpha[size_t(y) * cell.width + left + x] = src[x];
    }
    return clipped;
}

// Packs cells row by row into pages and fills in each glyph's page and position.
void PackPages(const std::vector<Cell>& cells, int lineHeight, DsfFile& font) {
    struct Placement {
        int page, u, v;
    };
    std::vector<Placement> placed;
    std::vector<int> usedHeight;  // per page, the rows its cells reach (gap included)
    int page = -1, u = kPageSize, v = 0;
    for (const Cell& cell : cells) {
        if (u + cell.width > kPageSize) {  // next shelf
            u = 0;
            v += lineHeight + kGap;
            if (page < 0 || v + lineHeight > kPageSize) {
                ++page, v = 0;
                usedHeight.push_back(0);
            }
        }
        placed.push_back({page, u, v});
        usedHeight[size_t(page)] = v + lineHeight + kGap;
        u += cell.width + kGap;
    }

    font.pages.resize(usedHeight.size());
    for (size_t p = 0; p < usedHeight.size(); ++p) {
        DsfPage& pg = font.pages[p];
        pg.width = kPageSize;
        pg.height = int16_t(std::min(usedHeight[p], kPageSize));
        pg.texWidth = DsfTextureSize(pg.width);
        pg.texHeight = DsfTextureSize(pg.height);
        // Everything outside the cells is 0, the extra row below a page that is not
        // a power of two high included: nothing lies below the lowest glyphs.
        pg.alpha.assign(size_t(pg.texWidth) * pg.texHeight, 0);
    }
    for (size_t i = 0; i < cells.size(); ++i) {
        const Cell& cell = cells[i];
        const Placement& at = placed[i];
        DsfPage& pg = font.pages[size_t(at.page)];
        // data() + offset, not &alpha[offset]: a blank glyph (the space) has no pixels,
        // and indexing an empty vector is undefined even when nothing is copied.
        for (int y = 0; y < lineHeight; ++y)
            std::copy_n(cell.alpha.data() + size_t(y) * cell.width, cell.width,
                        pg.alpha.data() + size_t(at.v + y) * pg.texWidth + at.u);
        Glyph g;
        g.codePoint = cell.codePoint;
        g.page = uint8_t(at.page);
        g.u = int16_t(at.u);
        g.v = int16_t(at.v);
        g.advance = int16_t(cell.advance);
        g.width = int16_t(cell.width);
        font.glyphs.push_back(g);
    }
}

void PrintCodePoints(const char* what, const std::vector<int32_t>& list) {
    std::printf("  %s: %zu code points", what, list.size());
    for (size_t i = 0; i < list.size() && i < 64; ++i) std::printf(" U+%04X", unsigned(list[i]));
    std::printf("%s\n", list.size() > 64 ? " ..." : "");
}

int Usage() {
    std::fprintf(stderr,
                 "usage: dsfmake FONT PIXEL_SIZE OUTPUT.dsf RANGE...\n"
                 "  RANGE: CODE or FIRST-LAST (decimal, 0x.. or U+..), comma-separated lists allowed\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string(argv[1]) == "--version") {
        std::printf("dsfmake %s\n", QK_VERSION);
        return 0;
    }
    if (argc < 4) return Usage();
    const char* fontPath = argv[1];
    const int pixelSize = std::atoi(argv[2]);
    const char* outPath = argv[3];
    if (pixelSize < 4 || pixelSize > 200) {
        std::fprintf(stderr, "dsfmake: pixel size %s is not between 4 and 200\n", argv[2]);
        return 2;
    }
    std::set<int32_t> requested;
    for (int i = 4; i < argc; ++i) {
        if (!ParseRanges(argv[i], requested)) {
            std::fprintf(stderr, "dsfmake: cannot read the range \"%s\"\n", argv[i]);
            return 2;
        }
    }

    FT_Library library;
    FT_Face face;
    if (FT_Init_FreeType(&library) != 0) {
        std::fprintf(stderr, "dsfmake: FreeType does not start\n");
        return 1;
    }
    if (FT_New_Face(library, fontPath, 0, &face) != 0 || FT_Set_Pixel_Sizes(face, 0, FT_UInt(pixelSize)) != 0) {
        std::fprintf(stderr, "dsfmake: cannot open the font %s at %d px\n", fontPath, pixelSize);
        FT_Done_FreeType(library);  // frees a face that opened but took no size, too
        return 1;
    }
    const int ascent = int((face->size->metrics.ascender + 63) >> 6);
    const int descent = int((-face->size->metrics.descender + 63) >> 6);
    const int lineHeight = ascent + descent;

    // Control characters have no glyphs; 32..127 always come first, in order, so the
    // loader can find printable ASCII by arithmetic. A code point of that block the
    // font lacks (DEL) gets an empty cell.
    std::vector<Cell> cells;
    std::vector<int32_t> missing;
    std::vector<int32_t> clipped;
    for (int32_t c = 32; c < 128; ++c) {
        Cell cell;
        if (FT_Get_Char_Index(face, FT_ULong(c)) != 0) {
            if (RenderCell(face, c, lineHeight, ascent, cell) > 0) clipped.push_back(c);
        } else {
            cell.codePoint = c;
            if (requested.count(c) && c != 127) missing.push_back(c);
        }
        cells.push_back(std::move(cell));
    }
    for (int32_t c : requested) {
        if (c < 128) continue;
        if (FT_Get_Char_Index(face, FT_ULong(c)) == 0) {
            missing.push_back(c);
            continue;
        }
        Cell cell;
        if (RenderCell(face, c, lineHeight, ascent, cell) > 0) clipped.push_back(c);
        cells.push_back(std::move(cell));
    }

    DsfFile font;
    font.version = kDsfMaxVersion;
    font.height = int16_t(lineHeight);
    font.scale = 1.0f;
    font.asciiDirect = 1;
    PackPages(cells, lineHeight, font);
    FT_Done_Face(face);
    FT_Done_FreeType(library);

    const std::vector<uint8_t> bytes = WriteDsf(font);
    if (bytes.empty()) {
        std::fprintf(stderr, "dsfmake: %zu pages do not fit a .dsf file (at most 255)\n", font.pages.size());
        return 1;
    }
    FILE* out = std::fopen(outPath, "wb");
    if (!out || std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size() || std::fclose(out) != 0) {
        std::fprintf(stderr, "dsfmake: cannot write %s\n", outPath);
        return 1;
    }

    std::printf("dsfmake: wrote %s: %zu glyphs on %zu pages, line height %d px (ascent %d), %zu bytes\n", outPath,
                font.glyphs.size(), font.pages.size(), lineHeight, ascent, bytes.size());
    for (size_t p = 0; p < font.pages.size(); ++p)
        std::printf("  page %zu: %d x %d (texture %u x %u)\n", p, font.pages[p].width, font.pages[p].height,
                    font.pages[p].texWidth, font.pages[p].texHeight);
    PrintCodePoints("reach beyond the line and are cut", clipped);
    PrintCodePoints("missing", missing);
    return 0;
}
