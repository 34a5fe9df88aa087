// dsfmake - rasterises TrueType/OpenType faces with FreeType into one .dsf bitmap font:
// the printable ASCII block first (ASCII-direct), then every other requested code point
// some face has, in order; glyph cells packed into alpha pages of at most 256 x 256.
// Several faces merge in priority order: a code point comes from the first face that
// lists it and has a glyph for it, so a CJK face fills in only what a Latin face lacks.
//
//   dsfmake [--recipe OUT.faces] OUTPUT.dsf PIXEL_SIZE FACE:RANGE[,RANGE...] [FACE:RANGE...]...
//   dsfmake FONT PIXEL_SIZE OUTPUT.dsf RANGE...          (one face, every range from it)
//   FACE: PATH[#INDEX][@PIXELS][!] - the face INDEX of a collection (.ttc), rendered at
//   PIXELS instead of PIXEL_SIZE; the line height and baseline come from the first face.
//   "!" keeps a fallback face's letters on the baseline (see RenderCell).
//   RANGE: a code point or FIRST-LAST, decimal, 0x hex or U+hex; several may be
//   joined with commas ("0x20-0x7E,0xA0-0x17F,U+20AC").
//   --recipe also writes the faces, their sizes and ranges as a .faces file, from which
//   the editor rasterises the same glyphs at other display scales (render/face_recipe.h).
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "render/dsf.h"
#include "render/face_raster.h"
#include "render/face_recipe.h"

namespace {

constexpr int kPageSize = 256;  // 256 x 256 = the 65,536-texel page limit
constexpr int kGap = 1;         // empty texels between cells, so filtering never bleeds

using Cell = RasterCell;

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
                 "usage: dsfmake [--recipe OUT.faces] OUTPUT.dsf PIXEL_SIZE FACE:RANGES [FACE:RANGES]...\n"
                 "       dsfmake FONT PIXEL_SIZE OUTPUT.dsf RANGE...\n"
                 "  FACE: PATH[#INDEX][@PIXELS][!] (a face of a collection, its own pixel size;\n"
                 "        !: its letters stay on the baseline, cut rather than moved into the line)\n"
                 "  RANGE: CODE or FIRST-LAST (decimal, 0x.. or U+..), comma-separated lists allowed\n"
                 "  a code point comes from the first face that lists it and has it\n"
                 "  --recipe: also write the faces as a recipe for rasterising at other scales\n");
    return 2;
}

struct Job {
    std::string outPath;
    int pixelSize = 0;
    std::vector<FaceSource> faces;
    std::string recipePath;  // --recipe: where the .faces file goes, empty: none
};

bool EndsWith(const std::string& s, const char* suffix) {
    const size_t n = std::strlen(suffix);
    return s.size() >= n && s.compare(s.size() - n, n, suffix) == 0;
}

// Reads "PATH[#INDEX][@PIXELS][!]:RANGES". The ranges follow the last colon, so a
// Windows drive letter in the path stays part of it.
bool ParseFaceSource(const std::string& arg, FaceSource& face) {
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
            FaceSource face;
            if (!ParseFaceSource(argv[i], face)) {
                std::fprintf(stderr, "dsfmake: cannot read the face \"%s\" (PATH[#INDEX][@PIXELS][!]:RANGES)\n",
                             argv[i]);
                return false;
            }
            job.faces.push_back(std::move(face));
        }
        return true;
    }
    job.outPath = argv[3];
    FaceSource face;
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
FT_Face OpenFace(FreeType& ft, const FaceSource& source, int pixelSize) {
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

// Writes the bytes to path, saying why not on failure.
bool WriteFile(const std::string& path, const void* bytes, size_t size) {
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) {
        std::fprintf(stderr, "dsfmake: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
        return false;
    }
    const bool written = std::fwrite(bytes, 1, size, out) == size;
    if (std::fclose(out) != 0 || !written) {
        std::fprintf(stderr, "dsfmake: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string(argv[1]) == "--version") {
        std::printf("dsfmake %s\n", QK_VERSION);
        return 0;
    }
    Job job;
    if (argc >= 3 && std::string(argv[1]) == "--recipe") {
        job.recipePath = argv[2];
        argv[2] = argv[0];  // the rest reads as if the option were not there
        argc -= 2, argv += 2;
    }
    if (argc < 4) return Usage();
    if (!ParseCommandLine(argc, argv, job)) return 2;

    FreeType ft;
    if (FT_Error error = FT_Init_FreeType(&ft.library); error != 0) {
        std::fprintf(stderr, "dsfmake: FreeType does not start: %s\n", FreeTypeError(error).c_str());
        return 1;
    }
    std::vector<FT_Face> faces;
    for (const FaceSource& source : job.faces) {
        FT_Face face = OpenFace(ft, source, job.pixelSize);
        if (!face) return 1;
        faces.push_back(face);
    }
    const FT_Face primary = faces[0];
    const int ascent = int((primary->size->metrics.ascender + 63) >> 6);
    const int descent = int((-primary->size->metrics.descender + 63) >> 6);
    const int lineHeight = ascent + descent;

    std::set<int32_t> requested;
    for (const FaceSource& source : job.faces)
        for (const auto& [first, last] : source.ranges.spans)
            for (int32_t c = first; c <= last; ++c) requested.insert(c);

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
        const int from = FaceForGlyph(job.faces, faces, c);
        if (from < 0 && requested.count(c) && c != 127) missing.push_back(c);
        addCell(c, from);
    }
    for (int32_t c : requested) {
        if (c < 128) continue;
        const int from = FaceFor(job.faces, faces, c);
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
    if (!WriteFile(job.outPath, bytes.data(), bytes.size())) return 1;
    if (!job.recipePath.empty()) {
        FaceRecipe recipe;
        recipe.pixels = job.pixelSize, recipe.height = lineHeight, recipe.ascent = ascent;
        recipe.faces = job.faces;
        for (FaceSource& face : recipe.faces) {
            // Where the face was found at build time, wherever the build ran from.
            std::error_code error;
            const std::filesystem::path absolute = std::filesystem::absolute(face.path, error);
            if (!error) face.path = absolute.string();
            face.fileName = std::filesystem::path(face.path).filename().string();
        }
        const std::string text = WriteFaceRecipe(recipe);
        if (!WriteFile(job.recipePath, text.data(), text.size())) return 1;
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
