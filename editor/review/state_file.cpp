// state_file.cpp - reads and writes "Translation state/<language>.tsv". The reader stops
// at the first damaged line and hands back nothing else: a half-read file taken as the
// whole would drop the rest of the team's states at the next save.
#include "editor/review/state_file.h"

#include <algorithm>
#include <array>
#include <map>

namespace review {
namespace {

constexpr char kHex[] = "0123456789ABCDEF";

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

constexpr std::array<std::string_view, 4> kStateWords = {"untranslated", "translated", "needs-review", "approved"};
constexpr int kFieldCount = 5;
constexpr const char* kFieldNames[kFieldCount] = {"file name", "index", "state", "recorded source", "comment"};

bool KeyLess(const ItemReview& r, std::string_view file, int32_t index) {
    const int byName = std::string_view(r.file).compare(file);
    return byName < 0 || (byName == 0 && r.index < index);
}

bool PairLess(const std::pair<std::string, int32_t>& key, std::string_view file, int32_t index) {
    return key.first < file || (key.first == file && key.second < index);
}

std::vector<ItemReview>::const_iterator LowerBound(const StateFile& states, std::string_view file, int32_t index) {
    return std::lower_bound(states.items.begin(), states.items.end(), 0,
                            [&](const ItemReview& r, int) { return KeyLess(r, file, index); });
}

// Length of the well-formed UTF-8 sequence at the start of s (shortest form, no
// surrogates, at most U+10FFFF), 0 when there is none.
size_t Utf8SequenceLength(std::string_view s) {
    const auto b = [&](size_t i) { return static_cast<uint8_t>(s[i]); };
    const uint8_t lead = b(0);
    if (lead < 0x80) return 1;
    size_t n = 0;
    uint8_t lo = 0x80, hi = 0xBF;  // the allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        n = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        n = 3;
        if (lead == 0xE0) lo = 0xA0;  // shorter forms written long
        if (lead == 0xED) hi = 0x9F;  // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        n = 4;
        if (lead == 0xF0) lo = 0x90;
        if (lead == 0xF4) hi = 0x8F;  // beyond U+10FFFF
    } else {
        return 0;
    }
    if (s.size() < n || b(1) < lo || b(1) > hi) return 0;
    for (size_t i = 2; i < n; ++i)
        if ((b(i) & 0xC0) != 0x80) return 0;
    return n;
}

// The byte offset of the first byte that is not well-formed UTF-8, or npos.
size_t FirstInvalidUtf8(std::string_view s) {
    for (size_t i = 0; i < s.size();) {
        if (static_cast<uint8_t>(s[i]) < 0x80) {
            ++i;
            continue;
        }
        const size_t n = Utf8SequenceLength(s.substr(i));
        if (n == 0) return i;
        i += n;
    }
    return std::string_view::npos;
}

std::string Quoted(std::string_view s) {
    constexpr size_t kMax = 40;  // a whole damaged comment would drown the message
    if (s.size() <= kMax) return "'" + std::string(s) + "'";
    size_t cut = kMax;
    while (cut > 0 && (static_cast<uint8_t>(s[cut]) & 0xC0) == 0x80) --cut;  // not inside a character
    return "'" + std::string(s.substr(0, cut)) + "...'";
}

// Splits the lines, checks the encoding and the raw line shape; the callbacks get each
// line's text without its line end.
struct LineReader {
    std::string_view rest;
    int number = 0;

    bool Next(std::string_view& line) {
        if (rest.empty()) return false;
        const size_t lf = rest.find('\n');
        line = rest.substr(0, lf);
        rest = lf == std::string_view::npos ? std::string_view() : rest.substr(lf + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);  // CR LF from a Windows checkout
        ++number;
        return true;
    }
};

bool Fail(StateFileError& error, int line, std::string message) {
    error.line = line;
    error.message = std::move(message);
    return false;
}

// Checks what every line must be before its fields are looked at.
bool CheckLineBytes(std::string_view line, int number, StateFileError& error) {
    if (const size_t bad = FirstInvalidUtf8(line); bad != std::string_view::npos)
        return Fail(error, number, "invalid UTF-8 at byte " + std::to_string(bad + 1) + " of the line");
    if (line.find('\r') != std::string_view::npos)
        return Fail(error, number, "a carriage return inside the line (in a field it is written \\r)");
    return true;
}

// Git leaves both sides of lines it could not merge between marker lines. Taking the file
// as it is would keep one side by chance, or stop at a line that only looks damaged; so
// the markers are named, for the person who settles it.
bool CheckNoMergeConflict(std::string_view bytes, StateFileError& error) {
    LineReader lines{bytes};
    std::string_view line;
    while (lines.Next(line)) {
        for (const std::string_view marker : {"<<<<<<<", "|||||||", "=======", ">>>>>>>"}) {
            if (line.substr(0, marker.size()) != marker) continue;
            if (line.size() > marker.size() && line[marker.size()] != ' ') continue;
            return Fail(error, lines.number,
                        "a git merge conflict is left in the file (" + std::string(marker) +
                            "): keep the right line of each item between the <<<<<<< and >>>>>>> lines, remove "
                            "the marker lines, and open the language again");
        }
    }
    return true;
}

bool ParseHeader(std::string_view line, StateFile& parsed, StateFileError& error) {
    const std::string expected = std::string(kStateFileMagic) + " " + std::to_string(kStateFileVersion);
    const std::vector<std::string_view> fields = SplitTabs(line);
    const std::string_view first = fields[0];
    const std::string_view magicSpace = first.substr(0, kStateFileMagic.size() + 1);
    if (magicSpace != std::string(kStateFileMagic) + " ")
        return Fail(error, 1, "the first line is not '" + expected + "<tab><source language>'");
    if (first != expected)
        return Fail(error, 1,
                    "the file is version " + Quoted(first.substr(magicSpace.size())) + "; this program reads version " +
                        std::to_string(kStateFileVersion));
    if (fields.size() == 1)
        return Fail(error, 1, "the first line names no source language (a tab and its folder name after the version)");
    if (fields.size() != 2)
        return Fail(error, 1,
                    "the first line has " + std::to_string(fields.size()) +
                        " fields; it is the version and the source language, separated by a tab");
    if (!UnescapeField(fields[1], parsed.sourceLanguage))
        return Fail(error, 1, "a bad escape in the source language (the escapes are \\t, \\n, \\r and \\\\)");
    if (parsed.sourceLanguage.empty()) return Fail(error, 1, "the source language is empty");
    return true;
}

bool ParseItem(std::string_view line, int number, ItemReview& item, StateFileError& error) {
    const std::vector<std::string_view> fields = SplitTabs(line);
    if (fields.size() != kFieldCount)
        return Fail(error, number,
                    std::to_string(fields.size()) + (fields.size() == 1 ? " field" : " fields") +
                        " where an item line has 5: file, index, state, recorded source and comment, "
                        "separated by tabs");
    std::string* const texts[kFieldCount] = {&item.file, nullptr, nullptr, &item.recordedSource, &item.comment};
    for (int f = 0; f < kFieldCount; ++f)
        if (texts[f] && !UnescapeField(fields[f], *texts[f]))
            return Fail(
                error, number,
                std::string("a bad escape in the ") + kFieldNames[f] + " (the escapes are \\t, \\n, \\r and \\\\)");
    if (item.file.empty()) return Fail(error, number, "the file name is empty");
    if (!ParseIndex(fields[1], item.index))
        return Fail(error, number,
                    "bad index " + Quoted(fields[1]) + " (a whole number from 0 to 2147483647, no leading zeros)");
    if (!ReviewStateFromWord(fields[2], item.state))
        return Fail(error, number,
                    "unknown state " + Quoted(fields[2]) +
                        " (the states are untranslated, translated, needs-review and approved)");
    return true;
}

}  // namespace

std::vector<std::string_view> SplitTabs(std::string_view line) {
    std::vector<std::string_view> fields;
    for (size_t start = 0;;) {
        const size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start));
        if (tab == std::string_view::npos) return fields;
        start = tab + 1;
    }
}

bool ParseIndex(std::string_view s, int32_t& index) {
    if (s.empty() || s.size() > 10 || (s.size() > 1 && s[0] == '0')) return false;
    int64_t value = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    if (value > INT32_MAX) return false;
    index = static_cast<int32_t>(value);
    return true;
}

std::string_view ReviewStateWord(ReviewState state) {
    const size_t i = static_cast<size_t>(state);
    return i < kStateWords.size() ? kStateWords[i] : kStateWords[0];
}

bool ReviewStateFromWord(std::string_view word, ReviewState& state) {
    for (size_t i = 0; i < kStateWords.size(); ++i)
        if (kStateWords[i] == word) {
            state = static_cast<ReviewState>(i);
            return true;
        }
    return false;
}

bool HasAnythingToKeep(const ItemReview& review) {
    return review.state != ReviewState::Untranslated || !review.recordedSource.empty() || !review.comment.empty();
}

bool ReferenceChanged(const ItemReview& review, std::string_view currentSource) {
    if (review.state == ReviewState::Untranslated && review.recordedSource.empty()) return false;
    return review.recordedSource != currentSource;
}

std::string StateFileName(std::string_view language) { return std::string(language) + ".tsv"; }

const ItemReview* FindReview(const StateFile& states, std::string_view file, int32_t index) {
    const auto it = LowerBound(states, file, index);
    return it != states.items.end() && it->file == file && it->index == index ? &*it : nullptr;
}

void SetReview(StateFile& states, ItemReview review) {
    const auto at = states.items.begin() + (LowerBound(states, review.file, review.index) - states.items.begin());
    const bool present = at != states.items.end() && at->file == review.file && at->index == review.index;
    if (!HasAnythingToKeep(review)) {
        if (present) states.items.erase(at);
    } else if (present) {
        *at = std::move(review);
    } else {
        states.items.insert(at, std::move(review));
    }
}

bool EraseReview(StateFile& states, std::string_view file, int32_t index) {
    const auto at = LowerBound(states, file, index);
    if (at == states.items.end() || at->file != file || at->index != index) return false;
    states.items.erase(at);
    return true;
}

std::string StateFileError::Text() const { return "line " + std::to_string(line) + ": " + message; }

std::string EscapeField(std::string_view text, bool hexBytes) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<uint8_t>(text[i]);
        if (c == '\t' || c == '\n' || c == '\r' || c == '\\') {
            out += '\\';
            out += c == '\t' ? 't' : c == '\n' ? 'n' : c == '\r' ? 'r' : '\\';
            ++i;
            continue;
        }
        const size_t n = !hexBytes ? 1 : c >= 0x20 && c != 0x7F ? Utf8SequenceLength(text.substr(i)) : 0;
        if (n == 0) {
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 15];
            ++i;
        } else {
            out.append(text.substr(i, n));
            i += n;
        }
    }
    return out;
}

bool UnescapeField(std::string_view field, std::string& text, bool hexBytes) {
    text.clear();
    text.reserve(field.size());
    for (size_t i = 0; i < field.size(); ++i) {
        const char c = field[i];
        if (hexBytes && (static_cast<uint8_t>(c) < 0x20 || c == 0x7F)) return false;  // written escaped
        if (c != '\\') {
            text += c;
            continue;
        }
        if (++i == field.size()) return false;
        switch (field[i]) {
            case 't':
                text += '\t';
                break;
            case 'n':
                text += '\n';
                break;
            case 'r':
                text += '\r';
                break;
            case '\\':
                text += '\\';
                break;
            case 'x': {
                const int hi = hexBytes && i + 1 < field.size() ? HexDigit(field[i + 1]) : -1;
                const int lo = hexBytes && i + 2 < field.size() ? HexDigit(field[i + 2]) : -1;
                if (hi < 0 || lo < 0) return false;
                text += static_cast<char>(hi * 16 + lo);
                i += 2;
                break;
            }
            default:
                return false;
        }
    }
    return true;
}

bool ParseStateFile(std::string_view bytes, StateFile& states, StateFileError& error) {
    constexpr std::string_view kBom = "\xEF\xBB\xBF";  // some Windows editors put one first
    if (bytes.substr(0, kBom.size()) == kBom) bytes.remove_prefix(kBom.size());
    if (!CheckNoMergeConflict(bytes, error)) return false;
    LineReader lines{bytes};
    std::string_view line;
    if (!lines.Next(line)) return Fail(error, 1, "the file is empty; its first line names the format");
    StateFile parsed;
    if (!CheckLineBytes(line, 1, error) || !ParseHeader(line, parsed, error)) return false;

    // Each item's line, for a second line of it. Lines in the written order cannot repeat an
    // earlier item, so the map is only built once a line comes out of order (a hand merge).
    std::map<std::pair<std::string, int32_t>, int> seen;
    std::vector<std::pair<std::string, int32_t>> inOrder;  // the keys so far while in order
    std::vector<int> inOrderLines;
    bool ordered = true;
    while (lines.Next(line)) {
        ItemReview item;
        if (!CheckLineBytes(line, lines.number, error) || !ParseItem(line, lines.number, item, error)) return false;
        if (ordered && (inOrder.empty() || PairLess(inOrder.back(), item.file, item.index))) {
            inOrder.emplace_back(item.file, item.index);
            inOrderLines.push_back(lines.number);
        } else {
            if (ordered) {
                for (size_t k = 0; k < inOrder.size(); ++k) seen.emplace(inOrder[k], inOrderLines[k]);
                ordered = false;
            }
            const auto [it, fresh] = seen.emplace(std::pair(item.file, item.index), lines.number);
            if (!fresh)
                return Fail(error, lines.number,
                            Quoted(item.file) + " item " + std::to_string(item.index) + " is already on line " +
                                std::to_string(it->second));
        }
        if (HasAnythingToKeep(item)) parsed.items.push_back(std::move(item));
    }
    std::sort(parsed.items.begin(), parsed.items.end(),
              [](const ItemReview& a, const ItemReview& b) { return KeyLess(a, b.file, b.index); });
    states = std::move(parsed);
    return true;
}

std::string WriteStateFile(const StateFile& states) {
    std::vector<const ItemReview*> order;
    order.reserve(states.items.size());
    for (const ItemReview& r : states.items)
        if (HasAnythingToKeep(r)) order.push_back(&r);
    std::stable_sort(order.begin(), order.end(),
                     [](const ItemReview* a, const ItemReview* b) { return KeyLess(*a, b->file, b->index); });
    std::string out = std::string(kStateFileMagic) + " " + std::to_string(kStateFileVersion) + "\t" +
                      EscapeField(states.sourceLanguage) + "\n";
    for (size_t i = 0; i < order.size(); ++i) {
        const ItemReview& r = *order[i];
        if (i + 1 < order.size() && order[i + 1]->file == r.file && order[i + 1]->index == r.index) continue;
        out += EscapeField(r.file) + "\t" + std::to_string(r.index) + "\t" + std::string(ReviewStateWord(r.state)) +
               "\t" + EscapeField(r.recordedSource) + "\t" + EscapeField(r.comment) + "\n";
    }
    return out;
}

}  // namespace review
