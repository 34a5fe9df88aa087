// scaled_glyphs.cpp - glyphs rendered again from the font's own faces at the screen's
// draw scale (scaled_glyphs.h), with FreeType, into alpha pages made when first needed.
#include "render/scaled_glyphs.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "render/face_raster.h"
#include "render/face_recipe.h"
#include "render/font.h"

namespace {

constexpr int kPageSize = 512;  // 2x cells are 30 rows: 16 shelves of them to a page
constexpr int kGap = 1;         // empty texels between cells
constexpr int32_t kUntried = -1, kMissing = -2;

int Round(float v) { return int(std::lround(v)); }

// FreeType reads a face through the file PlatOpenFile opened: a UTF-8 path then works
// on every system, where FreeType's own fopen would take it in Windows' code page.
unsigned long ReadStream(FT_Stream stream, unsigned long offset, unsigned char* buffer, unsigned long count) {
    FILE* file = static_cast<FILE*>(stream->descriptor.pointer);
    // A count of 0 is a seek, which reports failure by anything but 0.
    if (offset > 0x7FFFFFFFul || std::fseek(file, long(offset), SEEK_SET) != 0) return count ? 0 : 1;
    return count ? (unsigned long)std::fread(buffer, 1, count, file) : 0;
}

void CloseStream(FT_Stream stream) {
    if (stream->descriptor.pointer) std::fclose(static_cast<FILE*>(stream->descriptor.pointer));
    stream->descriptor.pointer = nullptr;
}

// A glyph's place in a scale's pages.
struct Placed {
    int page, u, v, width;
};

// Everything rendered at one factor: the line and face sizes it asks for, where each
// glyph went (kUntried, kMissing or an index into cells) and the pages.
struct Scale {
    float factor = 1;
    int lineHeight = 0, ascent = 0;
    std::vector<int> facePixels;
    std::vector<int32_t> cellOf;
    std::vector<Placed> cells;
    std::vector<Texture> pages;
    int u = kPageSize, v = 0;  // the next free place on the last page's shelf
};

enum class Faces { Closed, Open, Failed };

}  // namespace

struct ScaledGlyphs {
    std::string folder;  // the font's folder, with its separator
    FaceRecipe recipe;
    Faces state = Faces::Closed;
    FT_Library library = nullptr;
    std::vector<std::unique_ptr<FT_StreamRec>> streams;  // outlive the faces read through them
    std::vector<FT_Face> faces;
    std::vector<int> setPixels;  // each face's pixel size now, -1: that size failed
    std::vector<Scale> scales;
    int rendered = 0, pages = 0;

    ~ScaledGlyphs() {
        for (FT_Face face : faces) FT_Done_Face(face);
        if (library) FT_Done_FreeType(library);
        // The GL names went with the context (ended before the program is).
    }
};

namespace {

// Every recipe loaded, kept until the program ends: a font lives in the engine's
// allocation list, freed without destructors, so it cannot own the faces.
std::vector<std::unique_ptr<ScaledGlyphs>>& AllRecipes() {
    static std::vector<std::unique_ptr<ScaledGlyphs>> all;
    return all;
}

// The face file: the packaged copy in the "fonts" folder beside the font, else where
// the build found it.
FILE* OpenFaceFile(const ScaledGlyphs& sg, const FaceSource& face) {
    if (FILE* file = PlatOpenFile((sg.folder + "fonts/" + face.fileName).c_str(), "rb")) return file;
    return PlatOpenFile(face.path.c_str(), "rb");
}

bool OpenFaces(ScaledGlyphs& sg) {
    if (FT_Init_FreeType(&sg.library) != 0) {
        sg.library = nullptr;
        return false;
    }
    for (const FaceSource& source : sg.recipe.faces) {
        FILE* file = OpenFaceFile(sg, source);
        if (!file) return false;
        long size = -1;
        if (std::fseek(file, 0, SEEK_END) == 0) size = std::ftell(file);
        auto stream = std::make_unique<FT_StreamRec>();
        *stream = FT_StreamRec{};
        stream->size = size > 0 ? (unsigned long)size : 0;
        stream->descriptor.pointer = file;
        stream->read = ReadStream;
        stream->close = CloseStream;
        if (size <= 0) {
            std::fclose(file);
            return false;
        }
        FT_Open_Args args{};
        args.flags = FT_OPEN_STREAM;
        args.stream = stream.get();
        FT_Face face = nullptr;
        // On failure FreeType closes the stream itself.
        const FT_Error error = FT_Open_Face(sg.library, &args, FT_Long(source.index), &face);
        sg.streams.push_back(std::move(stream));
        if (error != 0) return false;
        sg.faces.push_back(face);
    }
    sg.setPixels.assign(sg.faces.size(), 0);
    return true;
}

Scale& ScaleFor(ScaledGlyphs& sg, const Font& font, float factor) {
    for (Scale& sc : sg.scales)
        if (std::fabs(sc.factor - factor) < 1e-4f) return sc;
    Scale sc;
    sc.factor = factor;
    sc.lineHeight = Round(sg.recipe.height * factor);
    sc.ascent = Round(sg.recipe.ascent * factor);
    for (const FaceSource& face : sg.recipe.faces) sc.facePixels.push_back(Round(face.pixels * factor));
    sc.cellOf.assign(size_t(font.glyphCount), kUntried);
    sg.scales.push_back(std::move(sc));
    return sg.scales.back();
}

// Renders the code point at the scale's sizes, from the face the 1x font took it from.
bool RenderScaled(ScaledGlyphs& sg, const Scale& sc, int32_t c, RasterCell& cell) {
    const int from = FaceForGlyph(sg.recipe.faces, sg.faces, c);
    if (from < 0) return false;
    const size_t i = size_t(from);
    if (sg.setPixels[i] != sc.facePixels[i]) {
        const bool ok = FT_Set_Pixel_Sizes(sg.faces[i], 0, FT_UInt(sc.facePixels[i])) == 0;
        sg.setPixels[i] = ok ? sc.facePixels[i] : -1;
        if (!ok) return false;
    }
    RenderCell(sg.faces[i], c, sc.lineHeight, sc.ascent, from > 0, sg.recipe.faces[i].keepLetters, cell);
    return cell.width > 0;
}

// A new blank page: nearest filtering, since the cells are drawn texel on pixel (GL
// 1.1's clamping is then as good as clamping to the edge).
bool AddPage(Scale& sc) {
    GLuint name = 0;
    glGenTextures(1, &name);
    if (!name) return false;
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    const std::vector<uint8_t> blank(size_t(kPageSize) * kPageSize, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA, kPageSize, kPageSize, 0, GL_ALPHA, GL_UNSIGNED_BYTE, blank.data());
    sc.pages.push_back(Texture{uint16_t(kPageSize), uint16_t(kPageSize), name});
    return true;
}

// Puts a rendered cell on the scale's pages; false if it cannot fit a page at all.
bool PlaceCell(Scale& sc, const RasterCell& cell, Placed& at) {
    if (cell.width + kGap > kPageSize || sc.lineHeight + kGap > kPageSize) return false;
    if (sc.u + cell.width > kPageSize) sc.u = 0, sc.v += sc.lineHeight + kGap;
    if (sc.pages.empty() || sc.v + sc.lineHeight > kPageSize) {
        if (!AddPage(sc)) return false;
        sc.u = 0, sc.v = 0;
    }
    at = {int(sc.pages.size()) - 1, sc.u, sc.v, cell.width};
    sc.u += cell.width + kGap;
    glBindTexture(GL_TEXTURE_2D, sc.pages.back().name);
    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexSubImage2D(GL_TEXTURE_2D, 0, at.u, at.v, cell.width, sc.lineHeight, GL_ALPHA, GL_UNSIGNED_BYTE,
                    cell.alpha.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    return true;
}

}  // namespace

ScaledGlyphs* LoadScaledGlyphs(const char* dsfPath, const Font& font) {
    if (!dsfPath) return nullptr;
    std::string path = dsfPath;
    const size_t dot = path.rfind('.'), slash = path.find_last_of("/\\");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return nullptr;
    std::string text;
    if (!PlatReadFile(path.substr(0, dot) + ".faces", text, nullptr)) return nullptr;
    auto sg = std::make_unique<ScaledGlyphs>();
    // A recipe whose line is not the font's belongs to another build of it.
    if (!ReadFaceRecipe(text, sg->recipe, nullptr) || sg->recipe.height != font.height) return nullptr;
    sg->folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    AllRecipes().push_back(std::move(sg));
    return AllRecipes().back().get();
}

bool GetScaledGlyph(const Font& font, int32_t glyph, float factor, ScaledGlyphCell& out) {
    ScaledGlyphs* sg = font.scaled;
    if (!sg || glyph < 0 || glyph >= font.glyphCount || !(factor > 0)) return false;
    if (sg->state == Faces::Closed) sg->state = OpenFaces(*sg) ? Faces::Open : Faces::Failed;
    if (sg->state != Faces::Open) return false;
    Scale& sc = ScaleFor(*sg, font, factor);
    int32_t& slot = sc.cellOf[size_t(glyph)];
    out.uploaded = false;
    if (slot == kUntried) {
        slot = kMissing;
        const int32_t c = font.asciiDirect && glyph < kDsfAsciiDirectCount ? 32 + glyph : font.glyphs[glyph].codePoint;
        RasterCell cell;
        Placed at{};
        const size_t pagesBefore = sc.pages.size();
        if (RenderScaled(*sg, sc, c, cell) && PlaceCell(sc, cell, at)) {
            slot = int32_t(sc.cells.size());
            sc.cells.push_back(at);
            ++sg->rendered;
            out.uploaded = true;
        }
        sg->pages += int(sc.pages.size() - pagesBefore);
        out.uploaded = out.uploaded || sc.pages.size() != pagesBefore;
    }
    if (slot < 0) return false;
    const Placed& at = sc.cells[size_t(slot)];
    out.page = &sc.pages[size_t(at.page)];
    out.pageIndex = at.page;
    out.u = at.u, out.v = at.v, out.width = at.width, out.height = sc.lineHeight;
    return true;
}

int ScaledGlyphsRendered(const Font* font) { return font && font->scaled ? font->scaled->rendered : 0; }
int ScaledGlyphPages(const Font* font) { return font && font->scaled ? font->scaled->pages : 0; }
