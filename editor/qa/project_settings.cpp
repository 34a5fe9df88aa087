// project_settings.cpp - reads zazovi-project.ini with inih. inih finds sections and
// name = value pairs; the line numbers for messages come from the line reader here,
// which hands inih one line at a time.
#include "editor/qa/project_settings.h"

#include <ini.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>

#include "platform/platform.h"

namespace qa {
namespace {

struct ParseState {
    std::string_view text;
    size_t offset = 0, lineStart = 0;
    int line = 0;
    ProjectSettings* settings = nullptr;
    std::vector<std::pair<int, std::string>> problems;  // by line, as inih reports its own error last
    std::map<std::string, int> seen;                    // "section/name" -> line, to catch a name given twice
};

std::string At(int line) { return std::string(kProjectSettingsFile) + " line " + std::to_string(line) + ": "; }

char* ReadLine(char* buffer, int size, void* stream) {
    auto* state = static_cast<ParseState*>(stream);
    if (state->offset >= state->text.size() || size < 2) return nullptr;
    const size_t end = state->text.find('\n', state->offset);
    const size_t stop = end == std::string_view::npos ? state->text.size() : end + 1;
    // inih keeps reading a line longer than its buffer as the next one; such a line
    // is cut here, so that the count stays right, and is refused as too long.
    size_t n = std::min(stop - state->offset, static_cast<size_t>(size - 1));
    std::memcpy(buffer, state->text.data() + state->offset, n);
    buffer[n] = '\0';
    ++state->line;
    state->lineStart = state->offset;
    if (stop - state->offset > static_cast<size_t>(size - 1)) {
        state->problems.emplace_back(state->line, "the line is too long");
        buffer[0] = '\0';
    }
    state->offset = stop;
    return buffer;
}

bool ValidDictionaryName(const std::string& value) {
    if (value.empty() || value.size() > 64) return false;
    for (char c : value)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '-' && c != '@') return false;
    return true;
}

// A language tag as translation memories write them: a language of two to eight letters,
// then subtags of one to eight letters or digits, joined by '-' (or '_', as some tools do).
bool ValidLanguageTag(const std::string& tag) {
    size_t i = 0, part = 0;
    for (bool first = true;; first = false) {
        const size_t start = i;
        while (i < tag.size() && (std::isalpha(static_cast<unsigned char>(tag[i])) ||
                                  (!first && std::isdigit(static_cast<unsigned char>(tag[i])))))
            ++i;
        part = i - start;
        if (part > 8 || (first ? part < 2 : part < 1)) return false;
        if (i == tag.size()) return true;
        if (tag[i] != '-' && tag[i] != '_') return false;
        ++i;
    }
}

bool ParseLimit(const std::string& value, size_t& limit) {
    if (value.empty() || value.size() > 5 || value.find_first_not_of("0123456789") != std::string::npos) return false;
    limit = std::stoul(value);
    return limit > 0 && limit <= 32767;
}

// An item's index as a .loc file counts them: 0 to 32766, digits only, without a leading
// zero (so that "06" and "6" cannot name one item twice).
bool ParseItemIndex(const std::string& key, int& index) {
    if (key.empty() || key.size() > 5 || key.find_first_not_of("0123456789") != std::string::npos) return false;
    if (key.size() > 1 && key[0] == '0') return false;
    index = std::stoi(key);
    return index < 32767;
}

constexpr const char* kSections =
    "the sections are [length], [font], [width], [lines], [width.FILE], [lines.FILE], [dictionary], "
    "[dictionaries] and [languages]";

// "width.game" -> "width" and "game"; false for a section that is not an item's room.
bool ItemSection(const std::string& section, std::string& kind, std::string& file) {
    for (const char* prefix : {"width.", "lines."}) {
        const size_t n = std::strlen(prefix);
        if (section.size() > n && section.compare(0, n, prefix) == 0) {
            kind = section.substr(0, n - 1);
            file = section.substr(n);
            return true;
        }
    }
    return false;
}

// The room of a file ([width], [lines]) or of one item ([width.FILE], [lines.FILE]).
void TakeRoom(ParseState* state, int line, const std::string& section, const std::string& key, const std::string& v) {
    std::string kind = section, file;
    const bool perItem = ItemSection(section, kind, file);
    const bool width = kind == "width";
    size_t value = 0;
    if (!ParseLimit(v, value)) {
        const std::string what = perItem ? "item " + key + " of '" + file + "'" : "'" + key + "'";
        state->problems.emplace_back(line, std::string(width ? "the width of " : "the line count of ") + what +
                                               " must be a whole number from 1 to 32767, not '" + v + "'");
        return;
    }
    ProjectSettings& settings = *state->settings;
    if (!perItem) {
        (width ? settings.widthLimits : settings.lineLimits)[key] = int(value);
        return;
    }
    int index = 0;
    if (!ParseItemIndex(key, index)) {
        state->problems.emplace_back(
            line, "[" + section + "] takes item indices (0, 1, 2 ...) of " + file + ", not '" + key + "'");
        return;
    }
    (width ? settings.itemWidthLimits : settings.itemLineLimits)[file][index] = int(value);
}

int OnEntry(void* user, const char* section, const char* name, const char* value) {
    auto* state = static_cast<ParseState*>(user);
    const int line = state->line;
    const std::string s = section, key = name, v = value ? value : "";
    if (s.empty()) {
        state->problems.emplace_back(line, "'" + key + "' comes before any [length] or [dictionary] section");
        return 1;
    }
    std::string kind, itemFile;
    const bool room = s == "width" || s == "lines" || ItemSection(s, kind, itemFile);
    if (!room && s != "length" && s != "font" && s != "dictionary" && s != "dictionaries" && s != "languages") {
        state->problems.emplace_back(line, "'" + key + "' is in the unknown section [" + s + "]; " + kSections);
        return 1;
    }
    if (s == "dictionaries" && key != "folder") {
        state->problems.emplace_back(line, "[dictionaries] takes only folder = PATH, not '" + key + "'");
        return 1;
    }
    // inih reads an indented line as more of the value above it and hands it over
    // under that name; such a line is almost always a name = value line typed with a
    // blank, so no entry may be indented.
    const char first = state->text[state->lineStart];
    if (first == ' ' || first == '\t') {
        state->problems.emplace_back(line, "the line is indented; start it at the left edge");
        return 1;
    }
    const auto [previous, fresh] = state->seen.emplace(s + "/" + key, state->line);
    if (!fresh) {
        state->problems.emplace_back(line, "'" + key + "' is given a second time in [" + s + "] (first on line " +
                                               std::to_string(previous->second) + ")");
        return 1;
    }
    state->settings->lines[s + "/" + key] = line;
    if (room) {
        TakeRoom(state, line, s, key, v);
    } else if (s == "font") {
        if (v.empty())
            state->problems.emplace_back(line, "the font of '" + key +
                                                   "' must be the path of a .dsf file, relative "
                                                   "to the project or whole");
        else
            state->settings->fonts[key] = v;
    } else if (s == "dictionaries") {
        if (v.empty())
            state->problems.emplace_back(line,
                                         "the dictionary folder must be a path, relative to the project or whole");
        else
            state->settings->dictionaryFolder = v;
    } else if (s == "languages") {
        if (!ValidLanguageTag(v))
            state->problems.emplace_back(line, "the language tag of '" + key +
                                                   "' must be a tag such as de-DE, pt-BR or zh-Hans, not '" + v + "'");
        else
            state->settings->languageTags[key] = v;
    } else if (s == "length") {
        size_t limit = 0;
        if (!ParseLimit(v, limit))
            state->problems.emplace_back(
                line, "the length of '" + key + "' must be a whole number from 1 to 32767, not '" + v + "'");
        else
            state->settings->lengthLimits[key] = limit;
    } else if (!ValidDictionaryName(v)) {
        state->problems.emplace_back(
            line, "the dictionary of '" + key + "' must be a name such as de_DE, or none, not '" + v + "'");
    } else {
        state->settings->dictionaries[key] = v;
    }
    return 1;
}

}  // namespace

std::vector<std::string> ParseProjectSettings(std::string_view text, ProjectSettings& settings) {
    settings = {};
    ParseState state;
    state.text = text;
    state.settings = &settings;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") state.offset = 3;  // as some Windows editors save it
    const int firstError = ini_parse_stream(ReadLine, &state, OnEntry, &state);
    // inih names only the first line it could not read at all; entries it read went
    // through OnEntry, whose problems carry their own lines.
    if (firstError > 0 && std::none_of(state.problems.begin(), state.problems.end(),
                                       [&](const auto& p) { return p.first == firstError; }))
        state.problems.emplace_back(firstError, "not a [section] or a name = value line");
    std::stable_sort(state.problems.begin(), state.problems.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::string> out;
    for (const auto& [line, what] : state.problems) out.push_back(At(line) + what);
    return out;
}

std::vector<std::string> LoadProjectSettings(const std::string& folder, ProjectSettings& settings) {
    settings = {};
    const std::string path = PlatPathString(PlatFsPath(folder) / kProjectSettingsFile);
    std::error_code ec;
    if (!std::filesystem::exists(PlatFsPath(path), ec)) return {};
    std::string text, why;
    if (!PlatReadFile(path, text, &why)) return {why};
    return ParseProjectSettings(text, settings);
}

std::vector<std::string> UnknownSettingNames(const ProjectSettings& settings, const std::vector<std::string>& files,
                                             const std::vector<std::string>& folders) {
    std::vector<std::pair<int, std::string>> found;
    const auto check = [&](const std::string& section, const std::string& name, const std::vector<std::string>& list,
                           const char* what) {
        if (std::find(list.begin(), list.end(), name) != list.end()) return;
        const auto entry = settings.lines.find(section + "/" + name);
        const int line = entry == settings.lines.end() ? 0 : entry->second;
        const std::string where = line > 0 ? At(line) : std::string(kProjectSettingsFile) + ": ";
        found.emplace_back(line, where + "[" + section + "] names '" + name + "', which is not " + what);
    };
    for (const auto& [file, limit] : settings.lengthLimits) check("length", file, files, "a file of the project");
    for (const auto& [file, font] : settings.fonts) check("font", file, files, "a file of the project");
    for (const auto& [file, width] : settings.widthLimits) check("width", file, files, "a file of the project");
    for (const auto& [file, lines] : settings.lineLimits) check("lines", file, files, "a file of the project");
    // A per-item section of an unknown file: once, at its first entry.
    for (const char* kind : {"width", "lines"}) {
        const auto& byFile = std::string(kind) == "width" ? settings.itemWidthLimits : settings.itemLineLimits;
        for (const auto& [file, items] : byFile) {
            if (std::find(files.begin(), files.end(), file) != files.end()) continue;
            const std::string section = std::string(kind) + "." + file;
            int first = 0;
            for (const auto& [key, line] : settings.lines)
                if (key.compare(0, section.size() + 1, section + "/") == 0 && (first == 0 || line < first))
                    first = line;
            const std::string where = first > 0 ? At(first) : std::string(kProjectSettingsFile) + ": ";
            found.emplace_back(first,
                               where + "[" + section + "] names '" + file + "', which is not a file of the project");
        }
    }
    for (const auto& [folder, dictionary] : settings.dictionaries)
        check("dictionary", folder, folders, "a language folder of the project");
    for (const auto& [folder, tag] : settings.languageTags)
        check("languages", folder, folders, "a language folder of the project");
    std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::string> out;
    for (auto& entry : found) out.push_back(std::move(entry.second));
    return out;
}

}  // namespace qa
