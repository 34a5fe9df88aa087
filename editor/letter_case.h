// letter_case.h - the upper case of the letters the editor folds when it sorts folder
// names and finds text without regard to case: one table for the editor's sort and
// search, the translation memory's glossary matching and loctool. Header only, pure.
#pragma once

namespace lettercase {

// What NTFS's upper-case table does for these letters, written out so that every
// system sorts (and searches) alike.
inline char32_t UpperCase(char32_t c) {
    const auto odd = [c] { return (c & 1) != 0; };
    if (c >= 'a' && c <= 'z') return c - 0x20;
    if (c < 0x80) return c;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 0x20;  // Latin-1, less the division sign
    if (c == 0xFF) return 0x178;
    // Latin Extended-A: pairs of capital and small letter, the capital first, with a
    // run whose pairs start at an odd code. U+0131 (dotless i) and U+017F keep theirs.
    if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return c != 0x131 && odd() ? c - 1 : c;
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return odd() ? c : c - 1;
    // Greek, with its accented vowels and the final sigma.
    if (c == 0x3AC) return 0x386;
    if (c >= 0x3AD && c <= 0x3AF) return c - 0x25;
    if (c == 0x3C2) return 0x3A3;
    if (c >= 0x3B1 && c <= 0x3CB) return c - 0x20;
    if (c == 0x3CC) return 0x38C;
    if (c == 0x3CD || c == 0x3CE) return c - 0x3F;
    // Cyrillic: the basic alphabet, the letters before it, and the paired extensions.
    if (c >= 0x430 && c <= 0x44F) return c - 0x20;
    if (c >= 0x450 && c <= 0x45F) return c - 0x50;
    if ((c >= 0x460 && c <= 0x481) || (c >= 0x48A && c <= 0x4BF) || (c >= 0x4D0 && c <= 0x52F))
        return odd() ? c - 1 : c;
    if (c >= 0x4C1 && c <= 0x4CE) return odd() ? c : c - 1;
    if (c == 0x4CF) return 0x4C0;
    if (c >= 0xFF41 && c <= 0xFF5A) return c - 0x20;  // full-width Latin
    return c;
}

}  // namespace lettercase
