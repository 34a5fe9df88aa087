// project_texts.h - a project's texts as loctool's export, import and stats see them:
// loaded and saved through the editor's own text store (ReadTexts, ReadDescriptions,
// SaveCurrentFile), so the tool reads and writes .loc files exactly as the editor does;
// and their review states, "Translation state/<language>.tsv" (editor/review).
#pragma once

#include <string>
#include <vector>

#include "editor/review/state_file.h"
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
// the descriptions. For a command that only reads: a write into the project that did
// not finish is warned of on stderr, and the files are read as they are.
Result OpenProject(const std::string& folder, Project& project);
// The same for a command that writes into the project: first takes the project's lock
// for `program` as the editor does (waiting up to `waitSeconds` while the editor or
// another loctool holds it), finishes or undoes a write that was interrupted (saying
// which on stderr), and after the checks removes the temporary files of ended writers.
Result OpenProjectForWriting(const std::string& folder, const std::string& program, double waitSeconds,
                             Project& project);

bool HasLanguage(const Project& project, const std::string& language);
// `requested` when given (it must exist), else "English", else the first folder.
Result PickReference(const Project& project, const std::string& requested, std::string& reference);

Result LoadLanguage(const Project& project, const std::string& language, LanguageTexts& texts);

// Untranslated: empty, or byte for byte the reference text while the reference
// is another language.
bool IsUntranslated(const std::string& text, const std::string& reference, bool referenceIsOther);

// The review states of one language, "Translation state/<language>.tsv", as read.
struct LanguageStates {
    std::string path;  // in the documented form, relative to the project
    bool present = false;
    review::StateFile states;  // without the file: none, against the project's source
    // The texts the recorded sources are compared with, those of states.sourceLanguage
    // (when the file names a folder the project lacks, the project's source).
    LanguageTexts sources;
    // The item's record, or null (the file name and index of the project's lists).
    const review::ItemReview* Find(const Project& project, size_t file, size_t index) const;
    // To review: marked needs-review, or its source text changed since it was translated.
    bool NeedsReview(const Project& project, size_t file, size_t index) const;
    bool ReferenceChanged(const Project& project, size_t file, size_t index) const;
};

// Reads the states of `language`, and the texts of their source language when there is a
// file or `withSources` (an import records sources where there was no file). A damaged
// file fails with its path and line; the caller then writes nothing (the file is never
// written over).
Result LoadStates(const Project& project, const std::string& language, LanguageStates& states,
                  bool withSources = false);

// Writes the files of `language` whose texts differ between `before` and `after`, and
// the state file when `stateBytes` is given, all or none, even if loctool is killed
// meanwhile (ReplaceProjectFiles, one journal for them all); a file that has not changed
// is not touched. The project must have been opened for writing.
Result SaveLanguage(const Project& project, const std::string& language, const LanguageTexts& before,
                    const LanguageTexts& after, const LanguageStates* states = nullptr,
                    const std::string* stateBytes = nullptr);

}  // namespace projtexts
