// editor.h - the localization editor on top of the toolkit: its one main screen, the
// editing flow that connects the text store with the screen, zazovi.cfg (the last
// position) and the run from start-up to shut-down.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class ComboBox;
class Control;
class ListBox;

struct EditorState {
    // The three controls the flow reads directly; everything else goes by name.
    ComboBox* fold = nullptr;
    ComboBox* file = nullptr;
    ListBox* items = nullptr;
    // The item in the text box and the text the box showed for it, so that an item
    // only looked at is never stored back.
    int32_t shownItem = -1;
    std::string shownText;
    // Opened although another editor holds the project's lock: its temporary files
    // may be in use and are left alone.
    bool sharedProject = false;
    // The question box being asked (its dialog slot) and the answer Escape gives.
    int askSlot = -1;
    int askEscapeChoice = 0;
    void (*askOuterHook)(Control*) = nullptr;
};
extern EditorState g_editor;

constexpr const char* kEditorTitle = "VRD3 Localization Kit (Editor's Edition)";
constexpr const char* kConfigFile = "zazovi.cfg";
constexpr const char* kFontFile = "zazovi_font.dsf";

// ---- editing flow ----
// The whole text of the text box, however long (the box itself caps it at 32767 bytes).
std::string TextBoxText();
void CommitText();         // the text box into the selected item
void ShowItem(int32_t i);  // item i into Item, Desc, Text and the ItemsFrame caption
// Saves the file being left, then loads the folder and file chosen in Fold and File.
// False (after telling the user) when the old file could not be saved, so nothing was
// loaded and the edits stay in memory, or when the new file could not be read.
bool LoadFile();
void OnItemSelect(int32_t i);
bool Compile();  // commit and save; the user is told when the save fails

// What became of the loaded file's texts when they were to be saved.
enum class SaveOutcome {
    Saved,           // written to the .loc
    KeptInRecovery,  // another program had changed the .loc: the texts went to a recovery file
    Failed,          // neither; the texts are still only in memory
};
// Saves the loaded file, but never over a file another program changed since it was
// read: then, when `canAsk`, the user chooses between overwriting it and keeping the
// edits in a recovery file (and, with `reload`, loading the file as it now is);
// without asking the edits go to a recovery file. `message` says what happened
// (the reason of a failure, the recovery file's path).
SaveOutcome SaveLoadedFile(bool canAsk, bool reload, std::string& message);
// A message box whose buttons are `buttons` ("A|B"); Escape answers `escapeChoice`
// instead of quitting the editor. -1 when the window went away meanwhile.
int Ask(const std::string& text, const char* title, const char* buttons, int escapeChoice);

// ---- leaving ----
// How the main loop was left, which decides what a failed final save can still do.
enum class ExitRoad {
    ExitButton,    // the window is still there: the user can go back to the editor
    WindowClosed,  // Escape, Alt+F4, the close box: only the system box is left
    Signal,        // SIGTERM, SIGINT, SIGHUP: the system wants the program to end
};
ExitRoad HowTheLoopEnded();
struct ExitOutcome {
    bool leave = true;  // false: the user went back to the editor
    int code = 0;       // the program's exit code when leaving
};
// After the main loop: writes zazovi.cfg, stores the text box and saves. A save that
// fails (or finds the file changed by another program, without a way to ask) leaves
// the texts in a recovery file, says where, and gives exit code 1. When no recovery
// file can be written, the editor stays (leave false) after the Exit button, and prints
// the texts on standard error on the other roads.
ExitOutcome FinishEditing(ExitRoad road);
// "Exit w/out saving": nothing is written, not even by the emergency save.
[[noreturn]] void LeaveWithoutSaving();
// The program is being ended from outside (the display is lost, the session ends):
// stores the text box and saves, or writes a recovery file, or as the last resort
// prints the texts on standard error. Needs no window.
void EmergencySave();

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
