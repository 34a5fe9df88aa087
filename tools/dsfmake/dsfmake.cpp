// dsfmake - rasterises TrueType/OpenType faces with FreeType into one .dsf bitmap font:
// the printable ASCII block first (ASCII-direct), then every other requested code point
// some face has, in order; glyph cells packed into alpha pages of at most 256 x 256.
// Several faces merge in priority order: a code point comes from the first face that
// lists it and has a glyph for it, so a CJK face fills in only what a Latin face lacks.
//
//   dsfmake OUTPUT.dsf PIXEL_SIZE FACE:RANGE[,RANGE...] [FACE:RANGE...]...
//   dsfmake FONT PIXEL_SIZE OUTPUT.dsf RANGE...          (one face, every range from it)
//   FACE: PATH[#INDEX][@PIXELS][!] - the face INDEX of a collection (.ttc), rendered at
//   PIXELS instead of PIXEL_SIZE; the line height and baseline come from the first face.
//   "!" keeps a fallback face's letters on the baseline (see RenderCell).
//   RANGE: a code point or FIRST-LAST, decimal, 0x hex or U+hex; several may be
//   joined with commas ("0x20-0x7E,0xA0-0x17F,U+20AC").
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
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
// right onto it, and one that reaches past its advance widens the cell. A glyph of a
// fallback face (fitToLine) that would poke out above or below the line but is not
// taller than it is moved up or down into it: its face's own baseline sits a little
// differently, and a cut ideograph is worse than one a pixel off the Latin baseline.
// Not so for letters that join (keepLetters): Arabic letters meet their neighbours in a
// stroke on the baseline, and one moved a pixel breaks the word at that join, so a letter
// of such a face stays on the baseline and loses what pokes out. Its marks (no advance)
// join nothing and are still moved in, keeping all their ink.
// Returns the number of bitmap rows that did not fit the line.
int RenderCell(FT_Face face, int32_t codePoint, int lineHeight, int ascent, bool fitToLine, bool keepLetters,
               Cell& cell) {
    cell.codePoint = codePoint;
    if (FT_Load_Char(face, FT_ULong(codePoint), FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL) != 0) return 0;
    const FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    cell.advance = int((slot->advance.x + 32) >> 6);
    const int left = std::max(0, int(slot->bitmap_left));
    cell.width = std::max(cell.advance, left + int(bitmap.width));
    cell.alpha.assign(size_t(cell.width) * lineHeight, 0);

    int top = ascent - slot->bitmap_top;
    const bool moveIntoLine = fitToLine && !(keepLetters && cell.advance > 0);
    if (moveIntoLine && int(bitmap.rows) <= lineHeight) top = std::clamp(top, 0, lineHeight - int(bitmap.rows));
    // Embedded bitmap strikes may come as 1-bit masks; outlines render to 8-bit coverage.
    const bool mono = bitmap.pixel_mode == FT_PIXEL_MODE_MONO;
    int clipped = 0;
    for (int row = 0; row < int(bitmap.rows); ++row) {
        const int y = top + row;
        if (y < 0 || y >= lineHeight) {
            ++clipped;
            continue;
        }
        const uint8_t* src = bitmap.buffer + row * bitmap.pitch;
        uint8_t* dst = &cell.alpha[size_t(y) * cell.width + left];
        for (int x = 0; x < int(bitmap.width); ++x)
            dst[x] = mono ? ((src[x >> 3] >> (7 - (x & 7))) & 1 ? 255 : 0) : src[x];
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
                 "usage: dsfmake OUTPUT.dsf PIXEL_SIZE FACE:RANGES [FACE:RANGES]...\n"
                 "       dsfmake FONT PIXEL_SIZE OUTPUT.dsf RANGE...\n"
                 "  FACE: PATH[#INDEX][@PIXELS][!] (a face of a collection, its own pixel size;\n"
                 "        !: its letters stay on the baseline, cut rather than moved into the line)\n"
                 "  RANGE: CODE or FIRST-LAST (decimal, 0x.. or U+..), comma-separated lists allowed\n"
                 "  a code point comes from the first face that lists it and has it\n");
    return 2;
}

// One face as the command line names it, and the code points asked of it.
struct FaceSpec {
    std::string path;
    long index = 0;
    int pixels = 0;            // 0: the font's pixel size
    bool keepLetters = false;  // "!": letters stay on the baseline, never moved into the line
    std::set<int32_t> ranges;
};

struct Job {
    std::string outPath;
    int pixelSize = 0;
    std::vector<FaceSpec> faces;
};

bool EndsWith(const std::string& s, const char* suffix) {
    const size_t n = std::strlen(suffix);
    return s.size() >= n && s.compare(s.size() - n, n, suffix) == 0;
}

// Reads "PATH[#INDEX][@PIXELS][!]:RANGES". The ranges follow the last colon, so a
// Windows drive letter in the path stays part of it.
bool ParseFaceSpec(const std::string& arg, FaceSpec& face) {
    const size_t colon = arg.rfind(':');
    if (colon == std::string::npos || colon == 0) return false;
    if (!ParseRanges(arg.substr(colon + 1), face.ranges)) return false;
    face.path = arg.substr(0, colon);
    if (EndsWith(face.path, "!")) face.keepLetters = true, face.path.pop_back();
    auto takeNumber = [&](char mark, long& value) {
        const size_t at = face.path.rfind(mark);
        if (at == std::string::npos) return true;
        const std::string digits = face.path.substr(at + 1);
        if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos) return true;
        value = std::strtol(digits.c_str(), nullptr, 10);
        face.path.resize(at);
        return true;
    };
    long pixels = 0;
    takeNumber('@', pixels);
    takeNumber('#', face.index);
    face.pixels = int(pixels);
    return !face.path.empty() && (pixels == 0 || (pixels >= 4 && pixels <= 200));
}

// Both command shapes; false (with a message) for anything unreadable.
bool ParseCommandLine(int argc, char** argv, Job& job) {
    const bool merging = EndsWith(argv[1], ".dsf") || EndsWith(argv[1], ".DSF");
    job.pixelSize = std::atoi(argv[2]);
    if (job.pixelSize < 4 || job.pixelSize > 200) {
        std::fprintf(stderr, "dsfmake: pixel size %s is not between 4 and 200\n", argv[2]);
        return false;
    }
    if (merging) {
        job.outPath = argv[1];
        for (int i = 3; i < argc; ++i) {
            FaceSpec face;
            if (!ParseFaceSpec(argv[i], face)) {
                std::fprintf(stderr, "dsfmake: cannot read the face \"%s\" (PATH[#INDEX][@PIXELS][!]:RANGES)\n",
                             argv[i]);
                return false;
            }
            job.faces.push_back(std::move(face));
        }
        return true;
    }
    job.outPath = argv[3];
    FaceSpec face;
    face.path = argv[1];
    for (int i = 4; i < argc; ++i) {
        if (!ParseRanges(argv[i], face.ranges)) {
            std::fprintf(stderr, "dsfmake: cannot read the range \"%s\"\n", argv[i]);
            return false;
        }
    }
    job.faces.push_back(std::move(face));
    return true;
}

// The FreeType library and the faces opened in it, released together whatever path
// the program leaves by.
struct FreeType {
    FT_Library library = nullptr;
    std::vector<FT_Face> faces;
    ~FreeType() {
        for (FT_Face face : faces) FT_Done_Face(face);
        if (library) FT_Done_FreeType(library);
    }
};

std::string FreeTypeError(FT_Error error) {
    const char* text = FT_Error_String(error);
    return text ? text : "FreeType error " + std::to_string(error);
}

// Opens a face at its pixel size; on failure says which file and why.
FT_Face OpenFace(FreeType& ft, const FaceSpec& source, int pixelSize) {
    // FreeType reports a file it cannot open only as "cannot open resource":
    // the system's own reason (no such file, no permission) tells the user more.
    if (FILE* probe = std::fopen(source.path.c_str(), "rb"))
        std::fclose(probe);
    else {
        std::fprintf(stderr, "dsfmake: cannot open the font %s: %s\n", source.path.c_str(), std::strerror(errno));
        return nullptr;
    }
    FT_Face face = nullptr;
    FT_Error error = FT_New_Face(ft.library, source.path.c_str(), FT_Long(source.index), &face);
    if (error != 0) {
        std::fprintf(stderr, "dsfmake: cannot open the font %s (face %ld): %s\n", source.path.c_str(), source.index,
                     FreeTypeError(error).c_str());
        return nullptr;
    }
    ft.faces.push_back(face);
    const int pixels = source.pixels ? source.pixels : pixelSize;
    error = FT_Set_Pixel_Sizes(face, 0, FT_UInt(pixels));
    if (error != 0) {
        std::fprintf(stderr, "dsfmake: the font %s has no %d px size: %s\n", source.path.c_str(), pixels,
                     FreeTypeError(error).c_str());
        return nullptr;
    }
    return face;
}

// The first face that lists c and has a glyph for it, -1 if none.
int FaceFor(const Job& job, const std::vector<FT_Face>& faces, int32_t c) {
    for (size_t i = 0; i < faces.size(); ++i)
        if (job.faces[i].ranges.count(c) && FT_Get_Char_Index(faces[i], FT_ULong(c)) != 0) return int(i);
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string(argv[1]) == "--version") {
        std::printf("dsfmake %s\n", QK_VERSION);
        return 0;
    }
    if (argc < 4) return Usage();
    Job job;
    if (!ParseCommandLine(argc, argv, job)) return 2;

    FreeType ft;
    if (FT_Error error = FT_Init_FreeType(&ft.library); error != 0) {
        std::fprintf(stderr, "dsfmake: FreeType does not start: %s\n", FreeTypeError(error).c_str());
        return 1;
    }
    std::vector<FT_Face> faces;
    for (const FaceSpec& source : job.faces) {
        FT_Face face = OpenFace(ft, source, job.pixelSize);
        if (!face) return 1;
        faces.push_back(face);
    }
    const FT_Face primary = faces[0];
    const int ascent = int((primary->size->metrics.ascender + 63) >> 6);
    const int descent = int((-primary->size->metrics.descender + 63) >> 6);
    const int lineHeight = ascent + descent;

    std::set<int32_t> requested;
    for (const FaceSpec& source : job.faces) requested.insert(source.ranges.begin(), source.ranges.end());

    // Control characters have no glyphs; 32..127 always come first, in order, so the
    // loader can find printable ASCII by arithmetic. A code point of that block no
    // face has (DEL) gets an empty cell.
    std::vector<Cell> cells;
    std::vector<int32_t> missing;
    std::vector<int32_t> clipped;
    std::vector<size_t> perFace(faces.size(), 0);
    auto addCell = [&](int32_t c, int faceIndex) {
        Cell cell;
        cell.codePoint = c;
        if (faceIndex >= 0) {
            if (RenderCell(faces[size_t(faceIndex)], c, lineHeight, ascent, faceIndex > 0,
                           job.faces[size_t(faceIndex)].keepLetters, cell) > 0)
                clipped.push_back(c);
            ++perFace[size_t(faceIndex)];
        }
        cells.push_back(std::move(cell));
    };
    for (int32_t c = 32; c < 128; ++c) {
        // ASCII always comes from the first face that has it, asked for or not.
        int from = FaceFor(job, faces, c);
        if (from < 0)
            for (size_t i = 0; i < faces.size() && from < 0; ++i)
                if (FT_Get_Char_Index(faces[i], FT_ULong(c)) != 0) from = int(i);
        if (from < 0 && requested.count(c) && c != 127) missing.push_back(c);
        addCell(c, from);
    }
    for (int32_t c : requested) {
        if (c < 128) continue;
        const int from = FaceFor(job, faces, c);
        if (from < 0)
            missing.push_back(c);
        else
            addCell(c, from);
    }

    DsfFile font;
    font.version = kDsfMaxVersion;
    font.height = int16_t(lineHeight);
    font.scale = 1.0f;
    font.asciiDirect = 1;
    PackPages(cells, lineHeight, font);

    const std::vector<uint8_t> bytes = WriteDsf(font);
    if (bytes.empty()) {
        std::fprintf(stderr, "dsfmake: %zu pages do not fit a .dsf file (at most 255)\n", font.pages.size());
        return 1;
    }
    FILE* out = std::fopen(job.outPath.c_str(), "wb");
    if (!out) {
        std::fprintf(stderr, "dsfmake: cannot write %s: %s\n", job.outPath.c_str(), std::strerror(errno));
        return 1;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    if (std::fclose(out) != 0 || !written) {
        std::fprintf(stderr, "dsfmake: cannot write %s: %s\n", job.outPath.c_str(), std::strerror(errno));
        return 1;
    }

    std::printf("dsfmake: wrote %s: %zu glyphs on %zu pages, line height %d px (ascent %d), %zu bytes\n",
                job.outPath.c_str(), font.glyphs.size(), font.pages.size(), lineHeight, ascent, bytes.size());
    for (size_t i = 0; i < faces.size(); ++i)
        std::printf("  face %zu: %zu glyphs from %s\n", i + 1, perFace[i], job.faces[i].path.c_str());
    if (font.pages.size() <= 8)
        for (size_t p = 0; p < font.pages.size(); ++p)
            std::printf("  page %zu: %d x %d (texture %u x %u)\n", p, font.pages[p].width, font.pages[p].height,
                        font.pages[p].texWidth, font.pages[p].texHeight);
    PrintCodePoints("reach beyond the line and are cut", clipped);
    PrintCodePoints("missing", missing);
    return 0;
}
