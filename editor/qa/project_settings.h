// project_settings.h - the optional project settings file "zazovi-project.ini" in the
// project folder: a length limit, the game's font and the room of its texts per text
// file (and per item), and a dictionary per language folder.
//
//   [length]           ; characters as the player sees them (colour tags not counted)
//   menu = 40
//   [font]             ; the .dsf the game draws the file's texts with, relative to the project
//   menu = Fonts/menu.dsf
//   [width]            ; the most pixels a line may take in that font
//   menu = 180
//   [lines]            ; the most lines, after wrapping at the width
//   menu = 1
//   [width.game]       ; per item of a file, by the item's index
//   12 = 320
//   [lines.game]
//   12 = 4
//   [dictionary]       ; a Hunspell dictionary name, or "none" to check no spelling
//   Deutsch = de_DE
//   Klingon = none
//   [dictionaries]     ; a folder searched for dictionaries before the usual ones
//   folder = Dictionaries
//   [languages]        ; the language tag of a folder, as translation memories name it
//   German = de-DE
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace qa {

inline constexpr const char* kProjectSettingsFile = "zazovi-project.ini";

struct ProjectSettings {
    std::map<std::string, size_t> lengthLimits;  // by file name ("menu")
    std::map<std::string, std::string> fonts;    // by file name: the .dsf as written, relative to the project
    std::map<std::string, int> widthLimits;      // by file name: pixels
    std::map<std::string, int> lineLimits;       // by file name: lines
    // By file name, then by item index: what the item has instead of its file's value.
    std::map<std::string, std::map<int, int>> itemWidthLimits, itemLineLimits;
    std::map<std::string, std::string> dictionaries;  // by language folder; "none" = off
    std::string dictionaryFolder;                     // as written: relative to the project, or whole
    std::map<std::string, std::string> languageTags;  // by language folder: "de-DE"
    // "length/menu", "dictionary/Klingon", "width.game/12" -> its line
    std::map<std::string, int> lines;
};

// Parses the file's text into `settings`. Returns the problems, one per bad line, as
// "zazovi-project.ini line 3: ..."; the good lines are taken all the same.
std::vector<std::string> ParseProjectSettings(std::string_view text, ProjectSettings& settings);
// Reads the file from `folder`; a missing file is no problem and gives no settings. Only
// a regular file is read: a folder, a pipe or a device in its place is one problem.
std::vector<std::string> LoadProjectSettings(const std::string& folder, ProjectSettings& settings);
// The entries that name a file or a language folder the project does not have (a typo,
// or the wrong case, would switch a check off without a word), one problem each with
// its line; a per-item section ([width.FILE], [lines.FILE]) of a file the project does
// not have is one problem, at its first entry. Names are compared exactly, as the
// project's own lists spell them.
std::vector<std::string> UnknownSettingNames(const ProjectSettings& settings, const std::vector<std::string>& files,
                                             const std::vector<std::string>& folders);

}  // namespace qa
