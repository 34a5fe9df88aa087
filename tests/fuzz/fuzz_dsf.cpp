// fuzz_dsf.cpp - the .dsf font reader against fuzzed files, and the font the loader
// builds from what it accepts (without uploading pages, so no GL is needed): text is
// measured and wrapped with it. LoadFont, which reads the same image from a file a piece
// at a time and leaves the pages there, must accept exactly what ReadDsf accepts and make
// the same font. The input is one byte n, n bytes of UTF-8 text to lay out, then the
// file image.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "render/dsf.h"
#include "render/font.h"

namespace {

void Check(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "fuzz_dsf: %s\n", what);
    std::abort();
}

bool SamePages(const DsfFile& a, const DsfFile& b) {
    if (a.pages.size() != b.pages.size() || a.glyphs.size() != b.glyphs.size()) return false;
    for (size_t i = 0; i < a.pages.size(); ++i)
        if (a.pages[i].width != b.pages[i].width || a.pages[i].height != b.pages[i].height ||
            a.pages[i].alpha != b.pages[i].alpha)
            return false;
    for (size_t i = 0; i < a.glyphs.size(); ++i)
        if (a.glyphs[i].codePoint != b.glyphs[i].codePoint || a.glyphs[i].page != b.glyphs[i].page ||
            a.glyphs[i].u != b.glyphs[i].u || a.glyphs[i].v != b.glyphs[i].v ||
            a.glyphs[i].advance != b.glyphs[i].advance || a.glyphs[i].width != b.glyphs[i].width)
            return false;
    return true;
}

// Measures and wraps `text` with the font: every glyph it finds must be one of its own.
void LayOut(Font* font, const std::string& text) {
    for (size_t i = 0; i < text.size();) {
        int32_t code = 0;
        const int n = DecodeUtf8(text.c_str() + i, code);
        const int32_t g = FindGlyph(code, font);
        Check(g >= -1 && g < font->glyphCount, "a glyph lookup points past the glyph table");
        i += static_cast<size_t>(n);
    }
    MeasureText(text.c_str(), static_cast<int>(text.size()), font);
    TextHeightFont(font, 120, 1000, text.c_str(), 0, static_cast<int>(text.size()));
    TextEndPos(font, 120, text.c_str(), static_cast<int>(text.size()));
}

// LoadFont's font from the image written to a file of this process (removed again: the
// font reads no page after loading unless one is drawn); null if refused.
const Font* LoadFromFile(std::span<const uint8_t> image) {
    static const std::string path =
        (std::filesystem::temp_directory_path() / ("fuzz_dsf_" + std::to_string(::getpid()) + ".dsf")).string();
    FILE* f = std::fopen(path.c_str(), "wb");
    Check(f != nullptr, "cannot write the font file");
    if (!image.empty()) std::fwrite(image.data(), 1, image.size(), f);
    std::fclose(f);
    const Font* font = LoadFont(path.c_str());
    std::remove(path.c_str());
    return font;
}

bool SameFont(const Font* a, const Font* b) {
    if (a->glyphCount != b->glyphCount || a->pageCount != b->pageCount || a->height != b->height ||
        a->baseline != b->baseline || a->blankSpace != b->blankSpace || a->markInkCount != b->markInkCount)
        return false;
    if (!std::equal(a->glyphs, a->glyphs + a->glyphCount, b->glyphs)) return false;
    for (int i = 0; i < a->markInkCount; ++i) {
        const MarkInk &x = a->markInks[i], &y = b->markInks[i];
        if (x.glyph != y.glyph || x.x0 != y.x0 || x.y0 != y.y0 || x.x1 != y.x1 || x.y1 != y.y1) return false;
    }
    for (int i = 0; i < a->pageCount; ++i)
        if (a->pages[i]->width != b->pages[i]->width || a->pages[i]->height != b->pages[i]->height) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const size_t textLength = std::min<size_t>(data[0], size - 1);
    const std::string text(reinterpret_cast<const char*>(data + 1), textLength);
    const std::span<const uint8_t> image(data + 1 + textLength, size - 1 - textLength);

    DsfFile file;
    const Font* loaded = LoadFromFile(image);
    if (!ReadDsf(image, file)) {
        Check(loaded == nullptr, "LoadFont accepts a file ReadDsf refuses");
        FreeTrackedAllocations();
        return 0;
    }
    Check(loaded != nullptr, "LoadFont refuses a file ReadDsf accepts");
    for (const Glyph& g : file.glyphs) Check(g.page < file.pages.size(), "a glyph on a page that does not exist");
    for (const DsfPage& p : file.pages)
        Check(p.alpha.size() == size_t(p.texWidth) * p.texHeight && p.alpha.size() <= size_t(kDsfMaxPageTexels),
              "a page's pixels do not match its texture size");

    // What was read is written back as a file that reads to the same font.
    const std::vector<uint8_t> written = WriteDsf(file);
    Check(!written.empty(), "a font that was read cannot be written");
    DsfFile again;
    Check(ReadDsf(written, again) && SamePages(file, again), "a written font reads back as another");

    Font* font = CreateFontFromDsf(file, false);
    Check(font != nullptr, "no font from a file that was read");
    Check(SameFont(font, loaded), "LoadFont makes another font than the whole file does");
    LayOut(font, text);
    LayOut(font, "Hello, w\xC3\xB6rld <color 255 0 0>red<color default>\nnext line \xE2\x82\xAC");
    FreeTrackedAllocations();
    return 0;
}
