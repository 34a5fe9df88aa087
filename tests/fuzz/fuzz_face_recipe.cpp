// fuzz_face_recipe.cpp - bytes to the reader of the font's face recipe (<font>.faces):
// a refused file leaves the recipe empty and says which line (0: a part missing); a read
// one holds sizes, names and ranges the rasteriser can take (a file name that cannot lead
// out of the font's folder, sorted ranges within Unicode), and writing it and reading
// that back gives the same recipe, and the same bytes again.
#include <cstdint>
#include <string>

#include "render/face_recipe.h"

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    FaceRecipe recipe;
    std::string error;
    if (!ReadFaceRecipe(bytes, recipe, &error)) {
        size_t lines = 1;
        for (char c : bytes) lines += c == '\n';
        Check(error.rfind("line ", 0) == 0 && std::stoul(error.substr(5)) <= lines);
        Check(recipe.faces.empty() && recipe.pixels == 0);
        return 0;
    }
    Check(recipe.pixels >= 4 && recipe.pixels <= 200 && recipe.ascent >= 0 && recipe.ascent <= recipe.height);
    Check(!recipe.faces.empty() && recipe.faces.size() <= 64);
    for (const FaceSource& face : recipe.faces) {
        Check(face.pixels >= 4 && face.pixels <= 200 && face.index >= 0 && !face.path.empty());
        Check(!face.fileName.empty() && face.fileName != "." && face.fileName != ".." &&
              face.fileName.find_first_of("/\\:") == std::string::npos);
        Check(!face.ranges.Empty());
        int64_t previousEnd = -2;
        for (const auto& [first, last] : face.ranges.spans) {
            Check(first > previousEnd + 1 && first <= last && last <= 0x10FFFF);
            Check(face.ranges.Has(first) && face.ranges.Has(last) && !face.ranges.Has(first - 1));
            previousEnd = last;
        }
    }
    const std::string canonical = WriteFaceRecipe(recipe);
    FaceRecipe again;
    Check(ReadFaceRecipe(canonical, again, nullptr));
    Check(WriteFaceRecipe(again) == canonical && again.faces.size() == recipe.faces.size());
    return 0;
}
