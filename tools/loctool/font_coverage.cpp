// font_coverage.cpp - the characters of a project's texts checked against the glyphs
// of a .dsf font. Reads the font through the same format module as the editor, and
// every language's .loc files through the .loc format module.
#include "tools/loctool/font_coverage.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <vector>

#include "editor/project.h"
#include "platform/platform.h"
#include "render/dsf.h"
#include "render/text_measure.h"
#include "render/text_shape.h"
#include "tools/loctool/loc_text.h"

namespace fs = std::filesystem;

namespace {

constexpr size_t kShown = 8;  // code points named per folder; the count says the rest

bool ReadBytes(const std::string& path, std::vector<uint8_t>& bytes) {
    std::string read;
    if (!PlatReadFile(path, read, nullptr)) return false;
    bytes.assign(read.begin(), read.end());
    return true;
}

// Adds every code point the text is drawn with: each paragraph shaped as the editor
// draws it, so an Arabic letter needs the joined form it takes there, and the invisible
// direction and joining controls need nothing. Colour tags are left out (they are
// never drawn), and so are line feeds and other controls. A broken sequence counts as
// U+FFFD, which is what a user sees.
void CollectDrawnCodePoints(const std::string& text, std::set<int32_t>& out) {
    std::vector<shape::Cluster> clusters;
    for (size_t start = 0; start <= text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string_view paragraph(text.data() + start, end - start);
        shape::VisualLine(paragraph, shape::ParagraphDirection(paragraph), clusters);
        for (const shape::Cluster& c : clusters)
            if (c.glyph < 0)
                out.insert(0xFFFD);
            else if (c.glyph >= 32)
                out.insert(c.glyph);
        start = end + 1;
    }
}

// Every character the texts of one language folder use.
std::set<int32_t> FolderCodePoints(const std::string& folder) {
    std::set<int32_t> used;
    std::error_code ec;
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(fs::path("Texts") / PlatFsPath(folder), ec))
        if (entry.path().extension() == ".loc") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
        std::string bytes;
        std::vector<loctext::Item> items;
        if (!PlatReadFile(PlatPathString(file), bytes, nullptr)) continue;
        if (!loctext::ParseLoc(bytes, PlatPathString(file), items).ok) continue;  // the folder check reports it
        for (const loctext::Item& item : items) CollectDrawnCodePoints(item.text, used);
    }
    return used;
}

}  // namespace

int CheckFontCoverage(const std::string& fontPath) {
    std::vector<uint8_t> bytes;
    DsfFile font;
    if (!ReadBytes(fontPath, bytes)) {
        std::fprintf(stderr, "loctool: Cannot open the font %s: %s\n", fontPath.c_str(), std::strerror(errno));
        return 1;
    }
    if (!ReadDsf(bytes, font)) {
        std::fprintf(stderr, "loctool: %s is not a .dsf font\n", fontPath.c_str());
        return 1;
    }
    std::set<int32_t> glyphs;
    for (const Glyph& g : font.glyphs) glyphs.insert(g.codePoint);

    bool anyMissing = false;
    for (int i = 0; i < LanguageFolderCount(); ++i) {
        const std::string& folder = LanguageFolder(i);
        std::vector<int32_t> missing;
        for (int32_t c : FolderCodePoints(folder))
            if (!glyphs.count(c)) missing.push_back(c);
        if (missing.empty()) continue;
        anyMissing = true;
        std::printf("Folder '%s': %zu character%s the font lacks:", folder.c_str(), missing.size(),
                    missing.size() == 1 ? "" : "s");
        for (size_t k = 0; k < missing.size() && k < kShown; ++k)
            std::printf(" U+%04X %s", unsigned(missing[k]), measure::Utf8Of(missing[k]).c_str());
        std::printf("%s\n", missing.size() > kShown ? " ..." : "");
    }
    return anyMissing ? 1 : 0;
}
