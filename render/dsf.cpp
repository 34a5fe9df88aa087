// dsf.cpp - reading and writing .dsf font files: a 28-byte header, 16-byte glyph
// records and alpha pages, all little-endian. Every size read from a file is checked
// against the bytes that remain, so a damaged file is refused instead of half-read.
#include "render/dsf.h"

#include <bit>
#include <cmath>
#include <cstring>

namespace {

// A cursor over the file image that refuses to read past the end.
class Reader {
  public:
    explicit Reader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    size_t Remaining() const { return bytes_.size() - pos_; }
    bool Has(size_t n) const { return n <= Remaining(); }
    void Skip(size_t n) { pos_ += n; }
    const uint8_t* Here() const { return bytes_.data() + pos_; }

    uint8_t U8() { return bytes_[pos_++]; }
    int16_t I16() {
        const uint16_t v = uint16_t(bytes_[pos_] | bytes_[pos_ + 1] << 8);
        pos_ += 2;
        return int16_t(v);
    }
    uint32_t U32() {
        const uint32_t v = uint32_t(bytes_[pos_]) | uint32_t(bytes_[pos_ + 1]) << 8 | uint32_t(bytes_[pos_ + 2]) << 16 |
                           uint32_t(bytes_[pos_ + 3]) << 24;
        pos_ += 4;
        return v;
    }
    int32_t I32() { return int32_t(U32()); }
    float F32() { return std::bit_cast<float>(U32()); }

  private:
    std::span<const uint8_t> bytes_;
    size_t pos_ = 0;
};

void PutU8(std::vector<uint8_t>& out, uint8_t v) { out.push_back(v); }
void PutI16(std::vector<uint8_t>& out, int16_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(uint16_t(v) >> 8));
}
void PutU32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}
void PutF32(std::vector<uint8_t>& out, float v) { PutU32(out, std::bit_cast<uint32_t>(v)); }
void PutZeros(std::vector<uint8_t>& out, size_t n) { out.insert(out.end(), n, 0); }

bool ReadPage(Reader& in, DsfPage& page) {
    if (!in.Has(4)) return false;
    page.width = in.I16();
    page.height = in.I16();
    if (page.width < 0 || page.height < 0) return false;
    page.texWidth = DsfTextureSize(page.width);
    page.texHeight = DsfTextureSize(page.height);
    const size_t texels = size_t(page.texWidth) * page.texHeight;
    if (texels > size_t(kDsfMaxPageTexels)) return false;

    const bool extraRow = page.texHeight != page.height;
    const size_t stored = size_t(page.width) * page.height + (extraRow ? page.texWidth : 0);
    if (!in.Has(stored)) return false;

    page.alpha.assign(texels, 0);
    for (int y = 0; y < page.height; ++y) {
        std::memcpy(&page.alpha[size_t(y) * page.texWidth], in.Here(), size_t(page.width));
        in.Skip(size_t(page.width));
    }
    if (extraRow) {
        std::memcpy(&page.alpha[size_t(page.height) * page.texWidth], in.Here(), page.texWidth);
        in.Skip(page.texWidth);
    }
    return true;
}

}  // namespace

uint16_t DsfTextureSize(int n) {
    if (n < 2) return 1;
    return uint16_t(std::bit_ceil(unsigned(n)));
}

bool ReadDsf(std::span<const uint8_t> bytes, DsfFile& font) {
    Reader in(bytes);
    if (!in.Has(kDsfHeaderSize)) return false;
    if (in.U8() != 'd' || in.U8() != 's' || in.U8() != 'f') return false;
    in.Skip(1);
    font.version = in.F32();
    // Written so that a NaN version is refused as well.
    if (!(font.version <= kDsfMaxVersion)) return false;
    const int pageCount = in.U8();  // only the low byte of the 32-bit field counts
    in.Skip(3);
    const int32_t glyphCount = in.I32();
    font.height = in.I16();
    in.Skip(2);
    font.scale = in.F32();
    font.asciiDirect = in.U8() != 0;
    in.Skip(3);

    if (font.height < 0 || glyphCount < 0) return false;
    // Every measure is multiplied by the scale: an infinite or NaN one turns them into NaN.
    if (!std::isfinite(font.scale)) return false;
    // The loader finds ASCII by arithmetic in such a font: the records must be there.
    if (font.asciiDirect && glyphCount < kDsfAsciiDirectCount) return false;
    if (size_t(glyphCount) > in.Remaining() / kDsfGlyphSize) return false;

    font.glyphs.resize(size_t(glyphCount));
    for (Glyph& g : font.glyphs) {
        g.codePoint = in.I32();
        g.page = in.U8();
        in.Skip(1);
        g.u = in.I16();
        g.v = in.I16();
        g.advance = in.I16();
        g.width = in.I16();
        in.Skip(2);
        if (g.page >= pageCount) return false;
    }

    font.pages.resize(size_t(pageCount));
    for (DsfPage& page : font.pages)
        if (!ReadPage(in, page)) return false;
    return true;
}

std::vector<uint8_t> WriteDsf(const DsfFile& font) {
    std::vector<uint8_t> out;
    if (font.pages.size() > 255) return out;
    for (const DsfPage& p : font.pages) {
        if (p.width < 0 || p.height < 0 || p.texWidth != DsfTextureSize(p.width) ||
            p.texHeight != DsfTextureSize(p.height) || p.alpha.size() != size_t(p.texWidth) * p.texHeight ||
            p.alpha.size() > size_t(kDsfMaxPageTexels))
            return out;
    }

    for (uint8_t b : {'d', 's', 'f', '\0'}) out.push_back(b);
    PutF32(out, font.version);
    PutU32(out, uint32_t(font.pages.size()));
    PutU32(out, uint32_t(font.glyphs.size()));
    PutI16(out, font.height);
    PutZeros(out, 2);
    PutF32(out, font.scale);
    PutU8(out, font.asciiDirect ? 1 : 0);
    PutZeros(out, 3);

    for (const Glyph& g : font.glyphs) {
        PutU32(out, uint32_t(g.codePoint));
        PutU8(out, g.page);
        PutZeros(out, 1);
        PutI16(out, g.u);
        PutI16(out, g.v);
        PutI16(out, g.advance);
        PutI16(out, g.width);
        PutZeros(out, 2);
    }

    for (const DsfPage& p : font.pages) {
        PutI16(out, p.width);
        PutI16(out, p.height);
        for (int y = 0; y < p.height; ++y) {
            const auto row = p.alpha.begin() + ptrdiff_t(y) * p.texWidth;
            out.insert(out.end(), row, row + p.width);
        }
        if (p.texHeight != p.height) {
            const auto row = p.alpha.begin() + ptrdiff_t(p.height) * p.texWidth;
            out.insert(out.end(), row, row + p.texWidth);
        }
    }
    return out;
}
