// face_recipe.h - the faces a bitmap font is made from, as dsfmake reads them from its
// command line and records them beside the font (<font>.faces), so that the editor can
// rasterise the same glyphs again at other display scales. Neither FreeType nor GL.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Inclusive code point intervals, sorted and merged.
struct CodeRanges {
    std::vector<std::pair<int32_t, int32_t>> spans;
    bool Has(int32_t c) const;
    bool Empty() const { return spans.empty(); }
    // Adds first..last and keeps the spans sorted and merged.
    void Add(int32_t first, int32_t last);
    // "0x20-0x7E,0xA0" form, as ParseRanges reads it.
    std::string Format() const;
};

// Adds the code points of "A", "A-B" or several of them joined by commas (decimal, 0x
// hex or U+hex; empty items are skipped). False for anything else, a code point beyond
// U+10FFFF or a range that runs backwards.
bool ParseRanges(const std::string& text, CodeRanges& ranges);

// One face of a merged font, in priority order.
struct FaceSource {
    std::string path;          // as given (dsfmake) or as recorded at build time (recipe)
    std::string fileName;      // the file's own name: where a package ships it
    long index = 0;            // the face of a collection (.ttc)
    int pixels = 0;            // 0: the font's pixel size (command line only)
    bool keepLetters = false;  // letters stay on the baseline, never moved into the line
    CodeRanges ranges;
};

// What a .faces file holds: the font's base pixel size and line, and its faces.
struct FaceRecipe {
    int pixels = 0;
    int height = 0, ascent = 0;  // the line the faces were rendered into, pixels
    std::vector<FaceSource> faces;
};

// The recipe as text (see README, "Fonts at every scale"); every face's pixels resolved.
std::string WriteFaceRecipe(const FaceRecipe& recipe);
// Reads what WriteFaceRecipe writes. False, with the line and what is wrong in `error`,
// for anything else (the recipe then left empty): the editor draws the font's own cells.
bool ReadFaceRecipe(const std::string& text, FaceRecipe& recipe, std::string* error);
