// fit_check.cpp - the room of each text from the project settings, the text laid out in
// it with the measuring unit, what does not fit, and the cells the preview marks.
#include "editor/fit/fit_check.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/platform.h"
#include "render/text_measure.h"
#include "render/text_shape.h"

namespace fit {
namespace {

// The text as the game reads it: up to its first NUL byte.
std::string_view AsDrawn(std::string_view text) { return text.substr(0, text.find('\0')); }

std::string Pixels(float width) { return std::to_string(long(std::ceil(width - 0.001f))); }

std::string GlyphMessage(const std::vector<Missing>& missing) {
    std::vector<int32_t> seen;
    for (const Missing& m : missing)
        if (std::find(seen.begin(), seen.end(), m.codePoint) == seen.end()) seen.push_back(m.codePoint);
    constexpr size_t kShown = 5;
    std::string list;
    for (size_t k = 0; k < seen.size() && k < kShown; ++k) {
        char code[16];
        std::snprintf(code, sizeof code, "U+%04X", unsigned(seen[k]));
        list += std::string(k == 0                                                            ? ""
                            : k + 1 == std::min(seen.size(), kShown) && seen.size() <= kShown ? " and "
                                                                                              : ", ") +
                "\u201C" + measure::Utf8Of(seen[k]) + "\u201D (" + code + ")";
    }
    if (seen.size() > kShown) list += " and " + std::to_string(seen.size() - kShown) + " more";
    return "Glyphs: the game's font has no glyph for " + list;
}

}  // namespace

Room RoomOf(const qa::ProjectSettings& settings, const std::string& file, int index) {
    Room room;
    if (const auto w = settings.widthLimits.find(file); w != settings.widthLimits.end()) room.width = w->second;
    if (const auto l = settings.lineLimits.find(file); l != settings.lineLimits.end()) room.lines = l->second;
    if (const auto items = settings.itemWidthLimits.find(file); items != settings.itemWidthLimits.end())
        if (const auto w = items->second.find(index); w != items->second.end()) room.width = w->second;
    if (const auto items = settings.itemLineLimits.find(file); items != settings.itemLineLimits.end())
        if (const auto l = items->second.find(index); l != items->second.end()) room.lines = l->second;
    return room;
}

bool FileIsMeasured(const qa::ProjectSettings& settings, const std::string& file) {
    return settings.fonts.count(file) || settings.widthLimits.count(file) || settings.lineLimits.count(file) ||
           settings.itemWidthLimits.count(file) || settings.itemLineLimits.count(file);
}

std::vector<std::string> UnknownItems(const qa::ProjectSettings& settings, const std::map<std::string, size_t>& items) {
    std::vector<std::pair<int, std::string>> found;
    for (const char* kind : {"width", "lines"}) {
        const auto& byFile = std::string(kind) == "width" ? settings.itemWidthLimits : settings.itemLineLimits;
        for (const auto& [file, values] : byFile) {
            const auto count = items.find(file);
            if (count == items.end()) continue;  // not a file of the project: said by UnknownSettingNames
            for (const auto& [index, value] : values) {
                if (size_t(index) < count->second) continue;
                const std::string key = std::string(kind) + "." + file + "/" + std::to_string(index);
                const auto entry = settings.lines.find(key);
                const int line = entry == settings.lines.end() ? 0 : entry->second;
                found.emplace_back(line, std::string(qa::kProjectSettingsFile) +
                                             (line > 0 ? " line " + std::to_string(line) : std::string()) + ": [" +
                                             kind + "." + file + "] names item " + std::to_string(index) + ", but " +
                                             file + ".loc has " + std::to_string(count->second) + " items");
            }
        }
    }
    std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::string> out;
    for (auto& f : found) out.push_back(std::move(f.second));
    return out;
}

std::string FontPath(const qa::ProjectSettings& settings, const std::string& projectFolder, const std::string& file) {
    const auto font = settings.fonts.find(file);
    if (font == settings.fonts.end()) return {};
    std::string path = font->second;
    // Written with either separator, as on the system the team shares the file from;
    // '/' is one on every system.
    std::replace(path.begin(), path.end(), '\\', '/');
    return PlatPathString(PlatFsPath(projectFolder) / PlatFsPath(path));
}

Layout LayOut(const Font* font, std::string_view text, const Room& room, bool glyphs, bool colorTags) {
    Layout out;
    text = AsDrawn(text);
    out.wrapped = room.Wraps() && font;
    // The lines as the text has them, each as wide as the pixels it covers, and the glyphs
    // they are drawn without.
    std::vector<Line> lines;
    for (size_t pos = 0; pos < text.size();) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        const size_t before = out.missing.size();
        const float width = font ? measure::LineExtent(font, text.data() + pos, int(end - pos), colorTags,
                                                       glyphs ? &out.missing : nullptr)
                                 : 0.0f;
        for (size_t k = before; k < out.missing.size(); ++k)
            out.missing[k].begin += uint32_t(pos), out.missing[k].end += uint32_t(pos);
        out.widest = std::max(out.widest, width);
        lines.push_back({uint32_t(pos), uint32_t(end), width, false});
        pos = end + 1;
    }
    if (out.wrapped) {
        // Wrapped at the width as a text box wraps, each line as wide as its pen's travel.
        for (size_t pos = 0; pos < text.size();) {
            int count = int(text.size() - pos);
            float width = 0;
            bool cut = false;
            const int n =
                measure::FitLine(font, text.data() + pos, float(room.width), nullptr, count, width, colorTags, &cut);
            if (n <= 0) break;
            const size_t end = pos + size_t(n);
            out.lines.push_back({uint32_t(pos), uint32_t(end - (text[end - 1] == '\n' ? 1 : 0)), width, cut});
            pos = end;
        }
    } else {
        out.lines = std::move(lines);
    }
    return out;
}

bool TooWide(const Layout& layout, const Room& room) {
    if (room.width <= 0) return false;
    return std::any_of(layout.lines.begin(), layout.lines.end(),
                       [&](const Line& l) { return l.cut || l.width > float(room.width); });
}

bool TooManyLines(const Layout& layout, const Room& room) { return room.lines > 0 && layout.LineCount() > room.lines; }

std::string Summary(const Layout& layout, const Room& room) {
    std::string out;
    if (room.width > 0) out = Pixels(layout.widest) + "/" + std::to_string(room.width) + " px";
    if (room.lines > 0)
        out += (out.empty() ? "" : ", ") + std::to_string(layout.LineCount()) + "/" + std::to_string(room.lines) +
               " lines";
    return out;
}

std::vector<qa::Finding> Findings(const Layout& layout, const Room& room, bool gameFont) {
    std::vector<qa::Finding> found;
    if (TooWide(layout, room)) {
        const bool cut = std::any_of(layout.lines.begin(), layout.lines.end(), [](const Line& l) { return l.cut; });
        found.push_back({"width", qa::Severity::Error,
                         "Width: " + Summary(layout, room) +
                             (layout.wrapped ? cut ? "; a word is wider than the box and is cut"
                                                   : "; a character is wider than the box"
                                             : "")});
    }
    if (TooManyLines(layout, room)) found.push_back({"lines", qa::Severity::Error, "Lines: " + Summary(layout, room)});
    if (gameFont && !layout.missing.empty())
        found.push_back({"glyphs", qa::Severity::Error, GlyphMessage(layout.missing)});
    return found;
}

std::vector<PreviewLine> PreviewLines(const Font* font, std::string_view text, const Layout& layout, const Room& room,
                                      bool colorTags) {
    std::vector<PreviewLine> out;
    if (!font) return out;
    text = AsDrawn(text);
    std::vector<shape::Cluster> clusters;
    std::vector<measure::Placed> placed;
    const float scale = font->scale, missing = font->height * scale, width = float(room.width);
    bool afterCut = false;
    for (size_t k = 0; k < layout.lines.size(); ++k) {
        const Line& line = layout.lines[k];
        PreviewLine& p = out.emplace_back();
        p.begin = line.begin, p.end = line.end;
        const char* bytes = text.data() + line.begin;
        const int count = int(line.end - line.begin);
        // The direction is the whole paragraph's, as a text box takes it.
        const size_t paragraph = text.rfind('\n', line.begin == 0 ? std::string_view::npos : line.begin - 1);
        const std::string_view from = text.substr(paragraph == std::string_view::npos ? 0 : paragraph + 1);
        const shape::Direction base = shape::ParagraphDirection(from);
        p.shaped = measure::NeedsShaping(bytes, count);
        p.rightToLeft = base == shape::Direction::RightToLeft;
        float right = 0;
        const float pen = measure::PlaceLine(font, bytes, count, base, colorTags, clusters, placed, nullptr, &right);
        if (p.rightToLeft && width > 0) p.origin = width - std::max(pen, right);
        p.overflow = room.lines > 0 && int(k) >= room.lines;
        for (size_t i = 0; i < placed.size() && i < clusters.size(); ++i) {
            const uint32_t from0 = line.begin + clusters[i].byteBegin, to0 = line.begin + clusters[i].byteEnd;
            if (placed[i].mark && !p.cells.empty()) {  // drawn over its base: part of the base's cell
                Cell& owner = p.cells.back();
                owner.begin = std::min(owner.begin, from0), owner.end = std::max(owner.end, to0);
                continue;
            }
            const Glyph* g = placed[i].glyph;
            const float x0 = p.origin + placed[i].x;
            p.cells.push_back({x0, x0 + (g ? g->width * scale : missing), from0, to0, p.overflow, !g});
        }
        // Past the width in its line: the cells out of the box (a right-to-left line runs
        // out past its left edge). After a cut, the rest of the cut word.
        constexpr float kEdge = 0.01f;
        if (!p.overflow && width > 0 && line.width > width)
            for (Cell& c : p.cells) c.overflow = c.x0 < -kEdge || c.x1 > width + kEdge;
        if (!p.overflow && afterCut) {
            const size_t blank = text.substr(line.begin, line.end - line.begin).find(' ');
            const uint32_t wordEnd = blank == std::string_view::npos ? line.end : line.begin + uint32_t(blank);
            for (Cell& c : p.cells)
                if (c.begin < wordEnd) c.overflow = true;
        }
        afterCut = line.cut;
        p.overflowFrom = p.end, p.overflowTo = p.begin;
        for (const Cell& c : p.cells)
            if (c.overflow)
                p.overflowFrom = std::min(p.overflowFrom, c.begin), p.overflowTo = std::max(p.overflowTo, c.end);
        if (p.overflowFrom >= p.overflowTo) p.overflowFrom = p.overflowTo = p.end;
    }
    return out;
}

}  // namespace fit
