// desk.h - the translator's desk on the main screen: the reference text under the
// description, the state of every item (list icons, counts and the unsaved "*" in the
// window title), the checks of every commit, the navigation and search keys and the
// find dialog. A feature beside the editing flow (features.h): the flow raises its steps
// to the Desk* hooks through kDeskFeature; the rest is what the keys do, callable by tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "editor/desk_progress.h"
#include "editor/desk_search.h"
#include "editor/editor.h"
#include "editor/features.h"
#include "editor/qa/project_settings.h"

struct Surface;

struct DeskState {
    // The reference language and its texts of the loaded file.
    std::string reference;
    std::vector<std::string> referenceTexts;
    bool referenceIsOther = false;  // another language than the loaded one, and readable
    std::string referenceError;     // why its file could not be read, or ""
    // The loaded file ("German", "menu") and where each of its items stands.
    std::string language, file;
    std::vector<ItemState> states;
    std::vector<std::string> problems;  // per item: what the checks found, one line each
    // What the file holds on disk, to tell whether anything is unsaved.
    std::vector<std::string> savedTexts;
    int changedItems = 0;
    std::string title;  // the window title last set
    // Project settings (length limits) for the checks.
    qa::ProjectSettings settings;
    // Search: the index of the loaded file, the text looked for and what matches it.
    SearchIndex index;
    std::string needle, replacement;
    std::vector<int> matches;
    bool findOpen = false;
    uint8_t escapeQuitsBefore = 1;
    std::string focusBefore;
    bool noticeShown = false;
    // Asked for on the command line: open this language and file.
    std::string openLanguage, openFile;
};
extern DeskState g_desk;

// ---- hooks of the editing flow ----
extern const Feature kDeskFeature;
void DeskInstall();                 // the screen is built (Desc and Text exist); before the restore
void DeskFileLoaded();              // a file was read into the list, or none could be
void DeskItemShown(int32_t i);      // item i is in the text box
void DeskItemCommitted(int32_t i);  // the text of item i changed in the store
void DeskFileSaved();               // the loaded file was written
// The position to start at: the stored one, or the file asked for on the command line.
LastPosition DeskStartPosition(const LastPosition& stored);

// ---- what the keys do ----
bool DeskKey(uint8_t key);             // the shortcut filter: true when the key was the desk's
void CycleReference();                 // F2
bool CopyReferenceIntoBox();           // Ctrl+B
bool GoToUntranslated(int direction);  // Ctrl+Down (+1), Ctrl+Up (-1)
bool CommitAndNext();                  // Ctrl+Enter in the text box
void OpenFind();                       // Ctrl+F
void CloseFind();                      // Escape while the find dialog is open
bool FindNext(int direction);          // F3 (+1), Shift+F3 (-1); Enter in the find box
// Replaces `needle` (case folded) by `replacement` in every text of the loaded file after
// the user confirmed the count; returns the number of replacements made.
int ReplaceAllInFile(const std::string& needle, const std::string& replacement);
// One item's replacement, committed like an edit of the text box. False when the text
// holds no match or would grow past a .loc text's size.
bool ReplaceInItem(int32_t i, const std::string& needle, const std::string& replacement);

// The reference text of item i as the checks and the panel use it ("" when none).
const std::string& ReferenceText(int32_t i);
