// dsf.cpp - reading and writing .dsf font files: a 28-byte header, 16-byte glyph
// records and alpha pages, all little-endian. Every size read from a file is checked
// against the bytes that remain, so a damaged file is refused instead of half-read.
// The index (header, glyphs, where each page lies) is read on its own, so a loader can
// leave the pixels in the file until a page is needed; ReadDsf reads it the same way.
#include "render/dsf.h"

#include <bit>
#include <cmath>
#include <cstring>

namespace {

// A cursor over bytes the caller has checked are long enough (a header, a glyph table).
class Reader {
  public:
    explicit Reader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    void Skip(size_t n) { pos_ += n; }

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

}  // namespace

uint16_t DsfTextureSize(int n) {
    if (n < 2) return 1;
    return uint16_t(std::bit_ceil(unsigned(n)));
}

size_t DsfStoredSize(const DsfPageInfo& info) {
    const bool extraRow = info.texHeight != info.height;
    return size_t(info.width) * size_t(info.height) + (extraRow ? info.texWidth : 0);
}

void DsfPageFromStored(const DsfPageInfo& info, const uint8_t* stored, DsfPage& page) {
    page.width = info.width;
    page.height = info.height;
    page.texWidth = info.texWidth;
    page.texHeight = info.texHeight;
    page.alpha.assign(size_t(page.texWidth) * page.texHeight, 0);
    // A page of no width stores no rows (and its bytes may be no buffer at all).
    for (int y = 0; y < page.height && page.width > 0; ++y) {
        std::memcpy(&page.alpha[size_t(y) * page.texWidth], stored, size_t(page.width));
        stored += page.width;
    }
    if (page.texHeight != page.height)
        std::memcpy(&page.alpha[size_t(page.height) * page.texWidth], stored, page.texWidth);
}

bool ReadDsfIndex(const DsfReadAt& readAt, uint64_t fileSize, DsfIndex& index) {
    uint8_t header[kDsfHeaderSize];
    if (fileSize < uint64_t(kDsfHeaderSize) || !readAt(0, header, sizeof header)) return false;
    Reader in(header);
    if (in.U8() != 'd' || in.U8() != 's' || in.U8() != 'f') return false;
    in.Skip(1);
    index.version = in.F32();
    // Written so that a NaN version is refused as well.
    if (!(index.version <= kDsfMaxVersion)) return false;
    const int pageCount = in.U8();  // only the low byte of the 32-bit field counts
    in.Skip(3);
    const int32_t glyphCount = in.I32();
    index.height = in.I16();
    in.Skip(2);
    index.scale = in.F32();
    index.asciiDirect = in.U8() != 0;
    in.Skip(3);

    if (index.height < 0 || glyphCount < 0) return false;
    // Every measure is multiplied by the scale: an infinite or NaN one turns them into NaN.
    if (!std::isfinite(index.scale)) return false;
    // The loader finds ASCII by arithmetic in such a font: the records must be there.
    if (index.asciiDirect && glyphCount < kDsfAsciiDirectCount) return false;
    if (uint64_t(glyphCount) > (fileSize - kDsfHeaderSize) / kDsfGlyphSize) return false;

    std::vector<uint8_t> table(size_t(glyphCount) * kDsfGlyphSize);
    if (!table.empty() && !readAt(kDsfHeaderSize, table.data(), table.size())) return false;
    Reader records(table);
    index.glyphs.resize(size_t(glyphCount));
    for (Glyph& g : index.glyphs) {
        g.codePoint = records.I32();
        g.page = records.U8();
        records.Skip(1);
        g.u = records.I16();
        g.v = records.I16();
        g.advance = records.I16();
        g.width = records.I16();
        records.Skip(2);
        if (g.page >= pageCount) return false;
    }

    uint64_t pos = kDsfHeaderSize + table.size();
    index.pages.resize(size_t(pageCount));
    for (DsfPageInfo& page : index.pages) {
        uint8_t sizes[4];
        if (fileSize - pos < sizeof sizes || !readAt(pos, sizes, sizeof sizes)) return false;
        Reader size(sizes);
        page.width = size.I16();
        page.height = size.I16();
        if (page.width < 0 || page.height < 0) return false;
        page.texWidth = DsfTextureSize(page.width);
        page.texHeight = DsfTextureSize(page.height);
        if (size_t(page.texWidth) * page.texHeight > size_t(kDsfMaxPageTexels)) return false;
        pos += sizeof sizes;
        page.offset = pos;
        const size_t stored = DsfStoredSize(page);
        if (fileSize - pos < stored) return false;
        pos += stored;
    }
    return true;
}

bool ReadDsf(std::span<const uint8_t> bytes, DsfFile& font) {
    const auto readAt = [bytes](uint64_t offset, uint8_t* out, size_t n) {
        if (offset > bytes.size() || n > bytes.size() - offset) return false;
        if (n) std::memcpy(out, bytes.data() + offset, n);
        return true;
    };
    DsfIndex index;
    if (!ReadDsfIndex(readAt, bytes.size(), index)) return false;
    font.version = index.version;
    font.height = index.height;
    font.scale = index.scale;
    font.asciiDirect = index.asciiDirect;
    font.glyphs = std::move(index.glyphs);
    font.pages.resize(index.pages.size());
    for (size_t i = 0; i < index.pages.size(); ++i)
        DsfPageFromStored(index.pages[i], bytes.data() + index.pages[i].offset, font.pages[i]);
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
