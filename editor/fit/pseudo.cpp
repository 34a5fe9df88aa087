// pseudo.cpp - pseudo-localization of one text (pseudo.h): its lines, the bytes no letter
// of which may change (colour tags and placeholders, found by the checks' own grammar),
// look-alikes for the ASCII letters, and the lengthening, cut short to stay within the
// format's bytes.
#include "editor/fit/pseudo.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "editor/qa/qa_checks.h"

namespace fit {
namespace {

// Look-alikes from Latin-1 and Latin Extended-A (and the florin, which Windows-1252 has),
// as the fonts of European games have them, each two bytes in UTF-8; a letter without a
// look-alike there stays as it is.
const char* LookAlike(char c) {
    static const char* const kLower[26] = {"á", nullptr, "ç", "ď",     "é", "ƒ",     "ĝ",     "ĥ",     "í",
                                           "ĵ", "ķ",     "ĺ", nullptr, "ñ", "ó",     nullptr, nullptr, "ŕ",
                                           "š", "ţ",     "ú", nullptr, "ŵ", nullptr, "ý",     "ž"};
    static const char* const kUpper[26] = {"Á", nullptr, "Ç", "Ď",     "É", nullptr, "Ĝ",     "Ĥ",     "Í",
                                           "Ĵ", "Ķ",     "Ĺ", nullptr, "Ñ", "Ó",     nullptr, nullptr, "Ŕ",
                                           "Š", "Ţ",     "Ú", nullptr, "Ŵ", nullptr, "Ý",     "Ž"};
    if (c >= 'a' && c <= 'z') return kLower[c - 'a'];
    if (c >= 'A' && c <= 'Z') return kUpper[c - 'A'];
    return nullptr;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsEdge(char c) { return IsBlank(c) || c == '\r' || c == '\n'; }

// One line of the text: what is pseudo-localized, then its own trailing spaces and the
// line break that ends it, kept as they are.
struct Line {
    std::string_view core, after;
    size_t tagsFrom = 0;  // where the colour tags that end the core begin (its size: none)
    size_t pad = 0;
    bool spaced = false;     // it has words: its lengthening is words too
    std::vector<bool> kept;  // per byte of core: part of a tag or a placeholder
};

std::vector<Line> SplitLines(std::string_view body, int expandPercent) {
    std::vector<Line> lines;
    for (size_t start = 0; start <= body.size();) {
        size_t end = body.find('\n', start);
        const bool last = end == std::string_view::npos;
        if (last) end = body.size();
        size_t coreEnd = end;
        if (!last && coreEnd > start && body[coreEnd - 1] == '\r') --coreEnd;
        while (coreEnd > start && IsBlank(body[coreEnd - 1])) --coreEnd;
        Line& line = lines.emplace_back();
        line.core = body.substr(start, coreEnd - start);
        line.after = body.substr(coreEnd, (last ? end : end + 1) - coreEnd);
        line.spaced = line.core.find(' ') != std::string_view::npos;
        line.pad = (qa::VisibleCharacters(line.core) * size_t(expandPercent) + 99) / 100;
        line.kept.assign(line.core.size(), false);
        std::vector<std::pair<size_t, size_t>> tags;
        for (size_t p = line.core.find('<'); p != std::string_view::npos; p = line.core.find('<', p + 1))
            if (const size_t n = qa::ColourTagLength(line.core.substr(p))) {
                for (size_t k = p; k < p + n; ++k) line.kept[k] = true;
                tags.emplace_back(p, p + n);
                p += n - 1;
            }
        line.tagsFrom = line.core.size();
        for (auto tag = tags.rbegin(); tag != tags.rend() && tag->second == line.tagsFrom; ++tag)
            line.tagsFrom = tag->first;
        for (const qa::Placeholder& ph : qa::FindPlaceholders(line.core))
            for (size_t k = ph.range.begin; k < ph.range.end; ++k) line.kept[k] = true;
        if (last) break;
        start = end + 1;
    }
    return lines;
}

std::string Padding(size_t n, bool spaced) {
    if (!spaced) return std::string(n, '~');
    std::string out;
    // Words of five, never ending on a blank.
    for (size_t i = 0; i < n; ++i) out += i % 6 == 0 && i + 1 < n ? ' ' : '~';
    return out;
}

}  // namespace

std::string PseudoText(std::string_view reference, int expandPercent, size_t maxBytes) {
    size_t lead = 0, trail = 0;
    while (lead < reference.size() && IsEdge(reference[lead])) ++lead;
    if (lead == reference.size()) return std::string(reference);
    while (IsEdge(reference[reference.size() - 1 - trail])) ++trail;
    const std::string_view body = reference.substr(lead, reference.size() - lead - trail);
    std::vector<Line> lines = SplitLines(body, expandPercent < 0 ? 0 : expandPercent);

    // What the whole takes: the reference's bytes, the brackets, one more byte a letter
    // replaced, one a character of lengthening. Past maxBytes the lengthening goes first,
    // from the last line back, then the replacements, from the last letter back.
    size_t letters = 0, pads = 0;
    for (const Line& line : lines) {
        pads += line.pad;
        for (size_t k = 0; k < line.core.size(); ++k) letters += !line.kept[k] && LookAlike(line.core[k]) != nullptr;
    }
    const size_t base = reference.size() + 2;
    if (base > maxBytes) return std::string(reference);
    size_t over = base + letters + pads > maxBytes ? base + letters + pads - maxBytes : 0;
    for (auto line = lines.rbegin(); line != lines.rend() && over > 0; ++line) {
        const size_t cut = std::min(line->pad, over);
        line->pad -= cut, over -= cut;
    }
    size_t replace = letters - std::min(letters, over);

    std::string out(reference.substr(0, lead));
    out += '[';
    for (const Line& line : lines) {
        for (size_t k = 0; k < line.tagsFrom; ++k) {
            const char* alike = line.kept[k] ? nullptr : LookAlike(line.core[k]);
            if (alike && replace > 0) {
                out += alike;
                --replace;
            } else {
                out += line.core[k];
            }
        }
        // The lengthening, and after the last line the closing bracket, go before the
        // colour tags that end the line ("<color default>" stays the text's last word).
        out += Padding(line.pad, line.spaced);
        if (&line == &lines.back()) out += ']';
        out += line.core.substr(line.tagsFrom);
        out += line.after;
    }
    out += reference.substr(reference.size() - trail);
    return out;
}

}  // namespace fit
