// editor.h - the localization editor on top of the toolkit: its one main screen, the
// editing flow that connects the text store with the screen, zazovi.cfg (the last
// position) and the run from start-up to shut-down.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class ComboBox;
class ListBox;

struct EditorState {
    // The three controls the flow reads directly; everything else goes by name.
    ComboBox* fold = nullptr;
    ComboBox* file = nullptr;
    ListBox* items = nullptr;
};
extern EditorState g_editor;

constexpr const char* kEditorTitle = "VRD3 Localization Kit (Editor's Edition)";
constexpr const char* kConfigFile = "zazovi.cfg";
constexpr const char* kFontFile = "zazovi_font.dsf";

// ---- editing flow ----
void CommitText();          // the text box into the selected item
void ShowItem(int32_t i);   // item i into Item, Desc, Text and the ItemsFrame caption
// Saves the file being left, then loads the folder and file chosen in Fold and File.
// False (after telling the user) when the old file could not be saved, so nothing was
// loaded and the edits stay in memory, or when the new file could not be read.
bool LoadFile();
void OnItemSelect(int32_t i);
bool Compile();             // commit and save; the user is told when the save fails

// ---- zazovi.cfg ----
struct LastPosition {
    int32_t folder = 0, file = 0, item = -1;
};
// The position stored in the bytes of a zazovi.cfg: the fresh start (first folder, first
// file, no item) when they are fewer than 12 or name a folder or file index outside
// 0 .. count-1. The item index is kept as it is: the item list ignores one it lacks.
LastPosition ParseLastPosition(std::string_view bytes, int folderCount, int fileCount);
// Selects the stored folder and file (the first ones when the file is missing, short
// or out of range), loads them and selects the stored item.
void RestoreLastPosition();
bool WriteLastPosition();

// ---- screen and run ----
// Builds the main screen, scanning, verifying and backing up the language folders on
// the way (a failed scan or verification ends the process after its message).
void BuildMainScreen();
// The whole editor, from the engine's start to the saves after the loop. The project
// folder is the working directory; `fontFallback` is where the font is looked for when
// the project has none (the program's folder). Returns the exit code.
int RunEditor(const std::string& fontFallback);
