// consistency.cpp - two hash maps over the translated items, source -> items and
// translation -> items; a group is kept when its items disagree on the other text.
#include "editor/memory/consistency.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

#include "editor/qa/qa_checks.h"

namespace memory {
namespace {

using Kind = ConsistencyGroup::Kind;

const std::string& Shared(const ConsistencyItem& item, Kind kind) {
    return kind == Kind::SourceTranslatedDifferently ? item.source : item.translation;
}
const std::string& Other(const ConsistencyItem& item, Kind kind) {
    return kind == Kind::SourceTranslatedDifferently ? item.translation : item.source;
}

void FindGroups(const std::vector<ConsistencyItem>& items, const std::vector<size_t>& translated, Kind kind,
                std::vector<ConsistencyGroup>& groups) {
    std::unordered_map<std::string_view, size_t> slot;  // shared text -> its place in `found`
    std::vector<ConsistencyGroup> found;
    for (size_t i : translated) {
        const auto [it, fresh] = slot.emplace(Shared(items[i], kind), found.size());
        if (fresh) found.push_back({kind, Shared(items[i], kind), {}});
        found[it->second].items.push_back(i);
    }
    for (ConsistencyGroup& g : found) {
        const std::string& first = Other(items[g.items[0]], kind);
        for (size_t i : g.items)
            if (Other(items[i], kind) != first) {
                groups.push_back(std::move(g));
                break;
            }
    }
}

std::string Quoted(std::string_view text) {
    constexpr size_t kLongest = 60;  // bytes; a finding names a text, it need not show it all
    std::string s(text.substr(0, kLongest));
    while (s.size() < text.size() && !s.empty() && (static_cast<unsigned char>(s.back()) & 0xC0) == 0x80) s.pop_back();
    if (s.size() < text.size() && !s.empty()) s.pop_back(), s += "\xE2\x80\xA6";  // cut at a character, then "…"
    return "\"" + s + "\"";
}

}  // namespace

ConsistencyReport CheckConsistency(const std::vector<ConsistencyItem>& items, bool sourceIsOtherLanguage) {
    ConsistencyReport report;
    report.byItem.resize(items.size());
    std::vector<size_t> translated;
    for (size_t i = 0; i < items.size(); ++i)
        if (!qa::IsUntranslated(items[i].translation, items[i].source, sourceIsOtherLanguage)) translated.push_back(i);
    FindGroups(items, translated, Kind::SourceTranslatedDifferently, report.groups);
    FindGroups(items, translated, Kind::TranslationOfDifferentSources, report.groups);
    std::stable_sort(report.groups.begin(), report.groups.end(),
                     [](const ConsistencyGroup& a, const ConsistencyGroup& b) { return a.items[0] < b.items[0]; });
    for (size_t g = 0; g < report.groups.size(); ++g)
        for (size_t i : report.groups[g].items) report.byItem[i].push_back(g);
    return report;
}

std::string DescribeFinding(const ConsistencyGroup& group, const std::vector<ConsistencyItem>& items, size_t item,
                            size_t maxNamed) {
    std::string line = group.kind == Kind::SourceTranslatedDifferently
                           ? "Translated differently elsewhere: "
                           : "The same translation is given to other source texts: ";
    size_t named = 0, others = 0;
    for (size_t i : group.items) {
        if (i == item) continue;
        ++others;
        if (named == maxNamed) continue;
        const ConsistencyItem& o = items[i];
        if (named++) line += ", ";
        line += o.file + " #" + std::to_string(o.index);
        if (!o.name.empty()) line += " (" + o.name + ")";
        line += (group.kind == Kind::SourceTranslatedDifferently ? " has " : " for ") + Quoted(Other(o, group.kind));
    }
    if (others > named) line += " and " + std::to_string(others - named) + " more";
    return line;
}

}  // namespace memory
