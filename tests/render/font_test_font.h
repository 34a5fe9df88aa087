// font_test_font.h - a small font made in memory for the text tests: printable ASCII
// (ASCII-direct) plus a few other code points, 10-pixel lines, cells 7 pixels wide
// with an 8-pixel advance, every cell solid so drawn text is easy to find on screen.
#pragma once

#include "render/dsf.h"
#include "render/font.h"

constexpr int kTestHeight = 10, kTestWidth = 7, kTestAdvance = 8;
constexpr int32_t kTestExtraCodePoints[] = {200, 0x416, 0x20AC};  // È, Ж, €

inline DsfFile TestFontFile(bool asciiDirect = true) {
    DsfFile file;
    file.height = kTestHeight;
    file.scale = 1.0f;
    file.asciiDirect = asciiDirect;
    std::vector<int32_t> codePoints;
    for (int32_t c = 32; c < 128; ++c) codePoints.push_back(c);
    for (int32_t c : kTestExtraCodePoints) codePoints.push_back(c);

    // 16 cells a row on a 128-pixel page; 99 glyphs take 7 rows, 70 pixels: the page
    // is 128 x 128 as a texture, with the extra row after row 70.
    DsfPage page;
    page.width = 128;
    page.height = int16_t(kTestHeight * ((codePoints.size() + 15) / 16));
    page.texWidth = DsfTextureSize(page.width);
    page.texHeight = DsfTextureSize(page.height);
    page.alpha.assign(size_t(page.texWidth) * page.texHeight, 0);
    for (size_t i = 0; i < codePoints.size(); ++i) {
        Glyph g;
        g.codePoint = codePoints[i];
        g.u = int16_t(i % 16 * 8);
        g.v = int16_t(i / 16 * kTestHeight);
        g.advance = kTestAdvance;
        g.width = kTestWidth;
        if (g.codePoint != ' ')
            for (int y = 0; y < kTestHeight; ++y)
                for (int x = 0; x < kTestWidth; ++x) page.alpha[size_t(g.v + y) * page.texWidth + g.u + x] = 255;
        file.glyphs.push_back(g);
    }
    file.pages.push_back(std::move(page));
    return file;
}

// A measuring-only copy (pages without GL names); lives until engine shut-down.
inline Font* TestFont() {
    static Font* font = CreateFontFromDsf(TestFontFile(), false);
    return font;
}
