// face_recipe.cpp - code point ranges and the .faces recipe file (face_recipe.h).
#include "render/face_recipe.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace {

bool ParseCodePoint(const std::string& s, long& value) {
    std::string digits = s;
    int base = 10;
    if (digits.rfind("U+", 0) == 0 || digits.rfind("u+", 0) == 0 || digits.rfind("0x", 0) == 0 ||
        digits.rfind("0X", 0) == 0)
        digits = digits.substr(2), base = 16;
    // strtol would take a sign or blanks; a code point has neither.
    if (digits.empty() || digits.size() > 8 || !std::isxdigit(static_cast<unsigned char>(digits[0]))) return false;
    char* end = nullptr;
    value = std::strtol(digits.c_str(), &end, base);
    return *end == 0 && value >= 0 && value <= 0x10FFFF;
}

// A decimal number of at most 9 digits within lo..hi.
bool ParseNumber(const std::string& s, long lo, long hi, long& value) {
    if (s.empty() || s.size() > 9 || s.find_first_not_of("0123456789") != std::string::npos) return false;
    value = std::strtol(s.c_str(), nullptr, 10);
    return value >= lo && value <= hi;
}

std::vector<std::string> Split(const std::string& line, char separator) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        const size_t at = line.find(separator, start);
        fields.push_back(line.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos) return fields;
        start = at + 1;
    }
}

// A name the editor looks up in the folder beside the font: nothing that leads out of it.
bool PlainFileName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find_first_of("/\\:") == std::string::npos;
}

constexpr const char* kMagic = "zazovi-faces 1";
constexpr size_t kMaxFaces = 64;

}  // namespace

bool CodeRanges::Has(int32_t c) const {
    auto it = std::upper_bound(spans.begin(), spans.end(), c,
                               [](int32_t v, const std::pair<int32_t, int32_t>& s) { return v < s.first; });
    return it != spans.begin() && c <= std::prev(it)->second;
}

void CodeRanges::Add(int32_t first, int32_t last) {
    auto it = std::lower_bound(spans.begin(), spans.end(), std::make_pair(first, last));
    it = spans.insert(it, {first, last});
    // Merge with the neighbours it touches or overlaps.
    std::vector<std::pair<int32_t, int32_t>> merged;
    merged.reserve(spans.size());
    for (const auto& s : spans) {
        if (!merged.empty() && int64_t(s.first) <= int64_t(merged.back().second) + 1)
            merged.back().second = std::max(merged.back().second, s.second);
        else
            merged.push_back(s);
    }
    spans.swap(merged);
}

std::string CodeRanges::Format() const {
    std::string out;
    char item[32];
    for (const auto& [first, last] : spans) {
        if (first == last)
            std::snprintf(item, sizeof item, "0x%X", unsigned(first));
        else
            std::snprintf(item, sizeof item, "0x%X-0x%X", unsigned(first), unsigned(last));
        if (!out.empty()) out += ',';
        out += item;
    }
    return out;
}

bool ParseRanges(const std::string& text, CodeRanges& ranges) {
    size_t start = 0;
    while (start <= text.size()) {
        size_t comma = text.find(',', start);
        if (comma == std::string::npos) comma = text.size();
        const std::string item = text.substr(start, comma - start);
        start = comma + 1;
        if (item.empty()) continue;
        const size_t dash = item.find('-');
        long first, last;
        if (!ParseCodePoint(item.substr(0, dash), first)) return false;
        last = first;
        if (dash != std::string::npos && !ParseCodePoint(item.substr(dash + 1), last)) return false;
        if (last < first) return false;
        ranges.Add(int32_t(first), int32_t(last));
    }
    return true;
}

std::string WriteFaceRecipe(const FaceRecipe& recipe) {
    std::string out = std::string(kMagic) + "\n";
    out += "pixels " + std::to_string(recipe.pixels) + "\n";
    out += "line " + std::to_string(recipe.height) + " " + std::to_string(recipe.ascent) + "\n";
    for (const FaceSource& face : recipe.faces) {
        out += "face\t" + face.fileName + "\t" + std::to_string(face.index) + "\t" +
               std::to_string(face.pixels ? face.pixels : recipe.pixels) + "\t" + (face.keepLetters ? "1" : "0") +
               "\t" + face.ranges.Format() + "\t" + face.path + "\n";
    }
    return out;
}

bool ReadFaceRecipe(const std::string& text, FaceRecipe& recipe, std::string* error) {
    recipe = FaceRecipe{};
    int lineNumber = 0;
    auto fail = [&](const char* what) {
        recipe = FaceRecipe{};  // nothing half read
        if (error) *error = "line " + std::to_string(lineNumber) + ": " + what;
        return false;
    };
    bool sawPixels = false, sawLine = false;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.find('\0') != std::string::npos) return fail("a NUL byte");
        if (lineNumber == 1) {
            if (line != kMagic) return fail("not a zazovi-faces 1 file");
            continue;
        }
        if (line.empty() || line[0] == '#') continue;
        // A face's fields are tab-separated (paths may hold blanks), the rest by blanks.
        const bool isFace = line.rfind("face\t", 0) == 0;
        const std::vector<std::string> words = Split(line, isFace ? '\t' : ' ');
        long a = 0, b = 0;
        if (words[0] == "pixels") {
            if (sawPixels || words.size() != 2 || !ParseNumber(words[1], 4, 200, a)) return fail("bad pixels");
            recipe.pixels = int(a), sawPixels = true;
        } else if (words[0] == "line") {
            if (sawLine || words.size() != 3 || !ParseNumber(words[1], 1, 1000, a) || !ParseNumber(words[2], 0, a, b))
                return fail("bad line height and ascent");
            recipe.height = int(a), recipe.ascent = int(b), sawLine = true;
        } else if (isFace) {
            if (words.size() != 7) return fail("a face takes 6 fields");
            if (recipe.faces.size() >= kMaxFaces) return fail("too many faces");
            FaceSource face;
            long index = 0, pixels = 0, keep = 0;
            if (!PlainFileName(words[1])) return fail("bad face file name");
            if (!ParseNumber(words[2], 0, 0xFFFF, index)) return fail("bad face index");
            if (!ParseNumber(words[3], 4, 200, pixels)) return fail("bad face pixels");
            if (!ParseNumber(words[4], 0, 1, keep)) return fail("bad keep-letters flag");
            if (!ParseRanges(words[5], face.ranges) || face.ranges.Empty()) return fail("bad ranges");
            if (words[6].empty()) return fail("no face path");
            face.fileName = words[1], face.index = index, face.pixels = int(pixels), face.keepLetters = keep != 0;
            face.path = words[6];
            recipe.faces.push_back(std::move(face));
        } else {
            return fail("unknown line");
        }
    }
    lineNumber = 0;  // a part missing is no one line's fault
    if (!sawPixels || !sawLine || recipe.faces.empty()) return fail("pixels, line or faces missing");
    return true;
}
