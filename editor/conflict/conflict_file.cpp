// conflict_file.cpp - reads and writes the conflict file of conflict_file.h. Like the
// review states, the reader takes all or nothing: a half-read file would drop the
// conflicts after its damage once the editor writes it back.
#include "editor/conflict/conflict_file.h"

#include <algorithm>

namespace conflict {
namespace {

using review::ParseIndex;
using review::SplitTabs;

constexpr int kFieldCount = 5;
constexpr const char* kFieldNames[kFieldCount] = {"file name", "index", "base text", "ours text", "theirs text"};

bool Fail(std::string& error, int line, const std::string& message) {
    error = "line " + std::to_string(line) + ": " + message;
    return false;
}

bool ParseLine(std::string_view line, int number, ItemConflict& item, std::string& error) {
    const std::vector<std::string_view> fields = SplitTabs(line);
    if (fields.size() != kFieldCount)
        return Fail(error, number,
                    std::to_string(fields.size()) +
                        " fields where a conflict line has 5: file, index, base, ours and theirs, separated by tabs");
    std::string* const texts[kFieldCount] = {&item.file, nullptr, &item.base, &item.ours, &item.theirs};
    for (int f = 0; f < kFieldCount; ++f)
        if (texts[f] && !UnescapeText(fields[size_t(f)], *texts[f]))
            return Fail(error, number,
                        std::string("a bad escape in the ") + kFieldNames[f] +
                            " (the escapes are \\t, \\n, \\r, \\\\ and \\xHH)");
    if (item.file.empty()) return Fail(error, number, "the file name is empty");
    if (!ParseIndex(fields[1], item.index))
        return Fail(error, number, "bad index (a whole number from 0 to 2147483647, no leading zeros)");
    return true;
}

bool Less(const ItemConflict& a, const ItemConflict& b) {
    return a.file != b.file ? a.file < b.file : a.index < b.index;
}

}  // namespace

std::string ConflictFilePath(std::string_view language, std::string_view file) {
    return std::string(kConflictFolder) + "\\" + std::string(language) + "\\" + std::string(file) + ".tsv";
}

bool ParseConflictFile(std::string_view bytes, Conflicts& conflicts, std::string& error) {
    Conflicts parsed;
    int number = 0;
    const std::string header = std::string(kConflictFileMagic) + " " + std::to_string(kConflictFileVersion);
    for (size_t start = 0; start < bytes.size();) {
        size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos) end = bytes.size();
        std::string_view line = bytes.substr(start, end - start);
        start = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (number == 1) {
            if (line != header) return Fail(error, 1, "the first line is not '" + header + "'");
            continue;
        }
        ItemConflict item;
        if (!ParseLine(line, number, item, error)) return false;
        if (!parsed.empty() && !Less(parsed.back(), item))
            return Fail(error, number, "the lines are not in the order of file and index, or an item comes twice");
        parsed.push_back(std::move(item));
    }
    if (number == 0) return Fail(error, 1, "the file is empty; its first line names the format");
    conflicts = std::move(parsed);
    return true;
}

std::string WriteConflictFile(const Conflicts& conflicts) {
    std::string out = std::string(kConflictFileMagic) + " " + std::to_string(kConflictFileVersion) + "\n";
    for (const ItemConflict& c : conflicts)
        out += EscapeText(c.file) + "\t" + std::to_string(c.index) + "\t" + EscapeText(c.base) + "\t" +
               EscapeText(c.ours) + "\t" + EscapeText(c.theirs) + "\n";
    return out;
}

void MergeConflicts(Conflicts& kept, const Conflicts& fresh) {
    for (const ItemConflict& c : fresh) {
        const auto at = std::lower_bound(kept.begin(), kept.end(), c, Less);
        if (at != kept.end() && at->file == c.file && at->index == c.index)
            *at = c;
        else
            kept.insert(at, c);
    }
}

}  // namespace conflict
