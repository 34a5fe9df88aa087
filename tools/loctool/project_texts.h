// project_texts.h - a project's texts as loctool's export, import and stats see them:
// loaded and saved through the editor's own text store (ReadTexts, ReadDescriptions,
// SaveCurrentFile), so the tool reads and writes .loc files exactly as the editor does.
#pragma once

#include <string>
#include <vector>

#include "tools/loctool/loc_text.h"

namespace projtexts {

using loctext::Result;

// Texts of one language, file by file in file-list order, item by item.
using LanguageTexts = std::vector<std::vector<std::string>>;

struct Project {
    std::vector<std::string> languages;  // the language folders, in the editor's order
    std::vector<std::string> files;      // the file list: menu, game, keyboard
    // Names and descriptions, shared by all languages, file by file.
    std::vector<std::vector<std::string>> names, descs;
};

// Enters the project folder and runs the editor's start-up checks on it (every
// language holds every file with the first language's item counts), then reads
// the descriptions.
Result OpenProject(const std::string& folder, Project& project);

bool HasLanguage(const Project& project, const std::string& language);
// `requested` when given (it must exist), else "English", else the first folder.
Result PickReference(const Project& project, const std::string& requested, std::string& reference);

Result LoadLanguage(const Project& project, const std::string& language, LanguageTexts& texts);

// Untranslated: empty, or byte for byte the reference text while the reference
// is another language.
bool IsUntranslated(const std::string& text, const std::string& reference, bool referenceIsOther);

// Writes the files of `language` whose texts differ between `before` and `after`,
// each through the editor's atomic save; a file that has not changed is not touched.
// If a save fails, the files already written get their old texts back.
Result SaveLanguage(const Project& project, const std::string& language, const LanguageTexts& before,
                    const LanguageTexts& after);

}  // namespace projtexts
