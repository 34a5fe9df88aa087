// qa_checks.cpp - the checks of a text against its reference. The colour-tag grammar
// is the drawers' own (render/text_markup.h).
#include "editor/qa/qa_checks.h"

#include <algorithm>
#include <cstring>

#include "render/text_markup.h"

namespace qa {
namespace {

constexpr std::string_view kDefaultTag = "<color default>";

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsNameChar(char c) { return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }

bool StartsWithColourWord(std::string_view s) {
    if (s.size() < 6 || s[0] != '<') return false;
    for (size_t i = 1; i < 6; ++i)
        if ((s[i] | 0x20) != "<color"[i]) return false;  // "<Color" is a slip the font prints as text
    return true;
}

// A printf conversion: flags, width and precision (numbers or '*'), a length
// modifier, the conversion letter. No space flag and no "'" flag: "50 % de remise"
// would otherwise hold a "% d", and game texts never need either.
size_t PrintfSpecLength(std::string_view s, size_t p) {
    const size_t start = p;
    while (p < s.size() && std::strchr("-+#0", s[p]) && s[p]) ++p;
    if (p < s.size() && s[p] == '*')
        ++p;
    else
        while (p < s.size() && IsDigit(s[p])) ++p;
    if (p < s.size() && s[p] == '.') {
        ++p;
        if (p < s.size() && s[p] == '*')
            ++p;
        else
            while (p < s.size() && IsDigit(s[p])) ++p;
    }
    for (const char* mod : {"hh", "ll", "h", "l", "L", "z", "j", "t", "q"}) {
        const size_t n = std::strlen(mod);
        if (s.substr(p, n) == mod) {
            p += n;
            break;
        }
    }
    if (p >= s.size() || !std::strchr("diouxXeEfFgGaAcspn", s[p]) || !s[p]) return 0;
    return p + 1 - start;
}

// The placeholder at s[p] == '%' (0 bytes when it is none).
size_t ParsePrintf(std::string_view s, size_t p, Placeholder& out) {
    size_t q = p + 1, digits = 0;
    while (q + digits < s.size() && IsDigit(s[q + digits])) ++digits;
    int position = 0;
    if (digits > 0 && digits < 5 && q + digits < s.size() && s[q + digits] == '$' && s[q] != '0') {
        position = std::stoi(std::string(s.substr(q, digits)));
        q += digits + 1;
    }
    const size_t conversion = PrintfSpecLength(s, q);
    if (conversion == 0) return 0;
    out.range = {p, q + conversion};
    out.written = "%" + std::string(s.substr(q, conversion));
    out.position = position;
    out.brace = false;
    return q + conversion - p;
}

size_t ParseBrace(std::string_view s, size_t p, Placeholder& out) {
    size_t q = p + 1;
    while (q < s.size() && IsNameChar(s[q])) ++q;
    if (q == p + 1 || q >= s.size() || s[q] != '}') return 0;
    out.range = {p, q + 1};
    out.written = std::string(s.substr(p, q + 1 - p));
    out.position = 0;
    out.brace = true;
    return q + 1 - p;
}

std::string_view Written(std::string_view text, const ByteRange& r) { return text.substr(r.begin, r.end - r.begin); }

std::string Joined(const std::vector<std::string_view>& parts) {
    if (parts.empty()) return "none";
    std::string out;
    for (const std::string_view p : parts) out.append(out.empty() ? "" : " ").append(p);
    return out;
}

std::string Count(size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string Shortened(std::string_view s) {
    constexpr size_t kShown = 32;
    return s.size() <= kShown ? std::string(s) : std::string(s.substr(0, kShown)) + "...";
}

bool EndsWithDefaultTag(std::string_view text) {
    while (!text.empty() && std::strchr(" \t\r\n", text.back()) && text.back()) text.remove_suffix(1);
    return text.size() >= kDefaultTag.size() && text.substr(text.size() - kDefaultTag.size()) == kDefaultTag;
}

void CheckMalformedTags(std::string_view text, const ColourTags& tags, std::vector<std::string>& problems) {
    for (const ByteRange& r : tags.malformed)
        problems.push_back("Colour tags: \"" + Shortened(text.substr(r.begin, r.end - r.begin)) +
                           "\" is not a well-formed tag (the font reads <color R,G,B> and <color default>)");
}

void CompareColourTags(std::string_view text, std::string_view reference, const ColourTags& mine,
                       std::vector<std::string>& problems) {
    const ColourTags theirs = FindColourTags(reference);
    if (mine.tags.size() != theirs.tags.size()) {
        problems.push_back("Colour tags: the reference has " + std::to_string(theirs.tags.size()) + ", this text " +
                           std::to_string(mine.tags.size()));
        return;  // a missing reset shows in the count; one message is enough
    }
    for (size_t i = 0; i < mine.tags.size(); ++i) {
        const std::string_view a = Written(text, mine.tags[i]), b = Written(reference, theirs.tags[i]);
        if (a == b) continue;
        problems.push_back("Colour tags: tag " + std::to_string(i + 1) + " is " + std::string(a) +
                           ", in the reference " + std::string(b));
        return;
    }
    const bool setsColour = std::any_of(mine.tags.begin(), mine.tags.end(), [&](const ByteRange& r) {
        return text.substr(r.begin, r.end - r.begin) != kDefaultTag;
    });
    if (setsColour && EndsWithDefaultTag(reference) && !EndsWithDefaultTag(text))
        problems.push_back("Colour tags: the reference ends with <color default>, this text does not");
}

void ComparePlaceholders(std::string_view text, std::string_view reference, std::vector<std::string>& problems) {
    const std::vector<Placeholder> mine = FindPlaceholders(text), theirs = FindPlaceholders(reference);
    std::vector<std::string_view> a, b;
    for (const Placeholder& p : mine) a.push_back(Written(text, p.range));
    for (const Placeholder& p : theirs) b.push_back(Written(reference, p.range));
    std::vector<std::string_view> sortedA = a, sortedB = b;
    std::sort(sortedA.begin(), sortedA.end());
    std::sort(sortedB.begin(), sortedB.end());
    if (sortedA != sortedB) {
        problems.push_back("Placeholders: the reference has " + Joined(b) + ", this text " + Joined(a));
        return;
    }
    // The same set: only those without a position must keep their order, since the
    // game fills them from its arguments one after the other.
    std::vector<std::string_view> orderA, orderB;
    for (const Placeholder& p : mine)
        if (!p.brace && p.position == 0) orderA.push_back(p.written);
    for (const Placeholder& p : theirs)
        if (!p.brace && p.position == 0) orderB.push_back(p.written);
    if (orderA != orderB)
        problems.push_back("Placeholders: " + Joined(orderA) + " are in another order than in the reference (" +
                           Joined(orderB) + "); use positions such as %1$s to reorder");
}

size_t EdgeSpaces(std::string_view s, bool leading) {
    size_t n = 0;
    while (n < s.size() && (s[leading ? n : s.size() - 1 - n] == ' ' || s[leading ? n : s.size() - 1 - n] == '\t')) ++n;
    return n;
}

void CompareLayout(std::string_view text, std::string_view reference, std::vector<std::string>& problems) {
    const auto feeds = [](std::string_view s) { return static_cast<size_t>(std::count(s.begin(), s.end(), '\n')); };
    if (feeds(text) != feeds(reference))
        problems.push_back("Line breaks: the reference has " + std::to_string(feeds(reference)) + ", this text " +
                           std::to_string(feeds(text)));
    for (const bool leading : {true, false}) {
        const size_t mine = EdgeSpaces(text, leading), theirs = EdgeSpaces(reference, leading);
        if (mine != theirs)
            problems.push_back(std::string(leading ? "Leading" : "Trailing") + " spaces: the reference has " +
                               std::to_string(theirs) + ", this text " + std::to_string(mine));
    }
}

}  // namespace

size_t ColourTagLength(std::string_view s) { return markup::ColourTagLength(s); }

ColourTags FindColourTags(std::string_view text) {
    ColourTags found;
    for (size_t p = text.find('<'); p != std::string_view::npos; p = text.find('<', p + 1)) {
        const std::string_view rest = text.substr(p);
        if (const size_t n = ColourTagLength(rest)) {
            found.tags.push_back({p, p + n});
            p += n - 1;
        } else if (StartsWithColourWord(rest)) {
            const size_t end =
                std::min(text.find('>', p) == std::string_view::npos ? text.size() : text.find('>', p) + 1,
                         text.find('\n', p) == std::string_view::npos ? text.size() : text.find('\n', p));
            found.malformed.push_back({p, end});
        }
    }
    return found;
}

std::vector<Placeholder> FindPlaceholders(std::string_view text) {
    std::vector<Placeholder> found;
    Placeholder p;
    // Skips to the next '%', '{' or '}' with a plain loop: string_view's find_first_of
    // calls memchr on the set for every byte of the text.
    const auto isMark = [](char c) { return c == '%' || c == '{' || c == '}'; };
    for (size_t i = 0; i < text.size();) {
        if (!isMark(text[i])) {
            ++i;
            continue;
        }
        const char c = text[i];
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        size_t n = 0;
        if ((c == '%' && next == '%') || (c == '{' && next == '{') || (c == '}' && next == '}')) {
            i += 2;
            continue;
        }
        if (c == '%') n = ParsePrintf(text, i, p);
        if (c == '{') n = ParseBrace(text, i, p);
        if (n) {
            found.push_back(p);
            i += n;
        } else {
            ++i;
        }
    }
    return found;
}

size_t VisibleCharacters(std::string_view text) {
    size_t count = 0;
    for (size_t i = 0; i < text.size();) {
        if (text[i] == '<')
            if (const size_t n = ColourTagLength(text.substr(i))) {
                i += n;
                continue;
            }
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) ++count;
        ++i;
    }
    return count;
}

bool IsUntranslated(std::string_view text, std::string_view reference, bool referenceIsOther) {
    return text.empty() || (referenceIsOther && text == reference);
}

const char* SeverityWord(Severity severity) { return severity == Severity::Warning ? "warning" : "error"; }

std::vector<Finding> CheckItemFindings(std::string_view text, std::string_view reference, bool referenceIsOther,
                                       const LengthLimit& limit) {
    std::vector<Finding> findings;
    if (IsUntranslated(text, reference, referenceIsOther)) return findings;
    std::vector<std::string> found;
    auto take = [&](const char* check) {
        for (std::string& m : found) findings.push_back({check, Severity::Error, std::move(m)});
        found.clear();
    };
    const ColourTags tags = FindColourTags(text);
    CheckMalformedTags(text, tags, found);
    take("tags");
    if (referenceIsOther) {
        CompareColourTags(text, reference, tags, found);
        take("tags");
        ComparePlaceholders(text, reference, found);
        take("placeholders");
        CompareLayout(text, reference, found);
        for (std::string& m : found)
            findings.push_back(
                {m.rfind("Line breaks", 0) == 0 ? "line-breaks" : "spaces", Severity::Error, std::move(m)});
        found.clear();
    }
    if (limit.maxCharacters > 0) {
        const size_t length = VisibleCharacters(text);
        if (length > limit.maxCharacters)
            findings.push_back({"length", Severity::Error,
                                "Length: " + Count(length, "character", "characters") + ", the limit is " +
                                    std::to_string(limit.maxCharacters)});
    }
    return findings;
}

std::vector<std::string> CheckItem(std::string_view text, std::string_view reference, bool referenceIsOther,
                                   const LengthLimit& limit) {
    std::vector<std::string> messages;
    for (Finding& f : CheckItemFindings(text, reference, referenceIsOther, limit))
        messages.push_back(std::move(f.message));
    return messages;
}

}  // namespace qa
