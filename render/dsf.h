// dsf.h - the .dsf bitmap-font file format on its own, without OpenGL: reading a file
// image into checked glyph records and padded page pixels, and writing one back.
// The font loader and the dsfmake tool share it, so reader and writer cannot drift apart.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

// One glyph record (16 bytes in the file; the unused bytes are not kept).
struct Glyph {
    int32_t codePoint = 0;
    uint8_t page = 0;
    int16_t u = 0, v = 0;  // top-left corner of the glyph cell in its page, pixels
    int16_t advance = 0;   // pen advance, pixels
    int16_t width = 0;     // cell width, pixels (also the width used for measuring)
    // Field by field: the record has padding, which a byte compare would read.
    bool operator==(const Glyph&) const = default;
};

// One page as it goes to the GPU: the stored image padded to power-of-two sizes.
struct DsfPage {
    int16_t width = 0, height = 0;         // the image as stored in the file
    uint16_t texWidth = 0, texHeight = 0;  // DsfTextureSize of each
    // texWidth * texHeight coverage bytes, top row first. Columns past width are 0;
    // when height is not a power of two, row `height` is the file's extra row (what
    // linear filtering samples below the lowest glyphs); rows after it are 0.
    std::vector<uint8_t> alpha;
};

struct DsfFile {
    float version = 0.9f;
    int16_t height = 0;  // line height and glyph cell height, pixels
    float scale = 1.0f;
    uint8_t asciiDirect = 0;    // records 0..95 are code points 32..127 in order
    std::vector<Glyph> glyphs;  // ascending code points
    std::vector<DsfPage> pages;
};

// Where one page lies in a file: its sizes and the first byte of its stored pixels
// (after the page's four size bytes). What the lazy loader keeps instead of the pixels.
struct DsfPageInfo {
    int16_t width = 0, height = 0;
    uint16_t texWidth = 0, texHeight = 0;
    uint64_t offset = 0;
};

// A file's header, glyph table and page table: all of a font but its pixels.
struct DsfIndex {
    float version = 0.9f;
    int16_t height = 0;
    float scale = 1.0f;
    uint8_t asciiDirect = 0;
    std::vector<Glyph> glyphs;
    std::vector<DsfPageInfo> pages;
};

constexpr int kDsfHeaderSize = 28;
constexpr int kDsfGlyphSize = 16;
constexpr float kDsfMaxVersion = 0.9f;
// The staging buffer of the loader and older drivers' texture limits.
constexpr int kDsfMaxPageTexels = 65536;
constexpr int kDsfAsciiDirectCount = 96;  // code points 32..127

// 1 for n < 2, else the smallest power of two >= n (n up to 32767).
uint16_t DsfTextureSize(int n);

// Parses a whole file image. False for anything a well-formed file cannot be: wrong
// magic, a version above 0.9, a negative line height, a scale that is infinite or NaN,
// the ASCII-direct flag with fewer than 96 glyphs, a glyph table or page data longer
// than the bytes, negative page sizes, pages over 65,536 texels, or a glyph on a page
// that does not exist. Trailing bytes are ignored.
bool ReadDsf(std::span<const uint8_t> bytes, DsfFile& font);

// Reads n bytes at offset into out; false if they are not all there.
using DsfReadAt = std::function<bool(uint64_t offset, uint8_t* out, size_t n)>;

// The index of a file of fileSize bytes, read through readAt: the header, the glyph
// table and each page's four size bytes, never the pixels. Refuses exactly what ReadDsf
// refuses (the pages' pixels must lie inside the file).
bool ReadDsfIndex(const DsfReadAt& readAt, uint64_t fileSize, DsfIndex& index);
// Bytes a page stores in the file after its sizes.
size_t DsfStoredSize(const DsfPageInfo& info);
// The padded page (as ReadDsf gives it) from the DsfStoredSize bytes stored for it.
void DsfPageFromStored(const DsfPageInfo& info, const uint8_t* stored, DsfPage& page);

// The file image of a font (version, height, scale, flag, glyphs and pages as given;
// unused header and record bytes are zero). Empty if the font cannot be stored:
// more than 255 pages, a page over 65,536 texels or one whose pixels do not match
// its sizes.
std::vector<uint8_t> WriteDsf(const DsfFile& font);
