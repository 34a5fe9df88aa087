// editor.cpp - the editor's main screen and editing flow: loading a language file into
// the item list, showing and committing items, compiling, remembering the last
// position in zazovi.cfg, and the run from start-up to the final save.
#include "editor/editor.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "editor/app_icon.h"
#include "editor/desk_undo.h"
#include "editor/edited_text.h"
#include "editor/features.h"
#include "editor/project.h"
#include "editor/project_journal.h"
#include "editor/project_lock.h"
#include "editor/recovery.h"
#include "editor/scale/scale_feature.h"
#include "editor/text_store.h"
#include "engine/engine.h"
#include "engine/format.h"
#include "gui/controls/combobox.h"
#include "gui/controls/listbox.h"
#include "gui/controls/text_edit.h"
#include "gui/gui.h"
#include "gui/msgbox.h"
#include "platform/platform.h"
#include "render/font.h"

EditorState g_editor;

namespace {

void SetText(const char* control, const std::string& text) { SetControlProperty(control, "Text", text.c_str()); }

}  // namespace

std::string TextBoxText() {
    Control* box = FindControl("Text");
    if (!box) return {};
    const int size = box->GetProperty("Text", nullptr);
    if (size <= 0) return {};
    std::string text(static_cast<size_t>(size), '\0');
    box->GetProperty("Text", text.data());
    text.resize(text.find('\0') == std::string::npos ? text.size() : text.find('\0'));
    return text;
}

namespace {

// Escape dismisses it like "Ok" rather than quitting the editor behind it.
void Tell(const std::string& message, const char* title) {
    if (Ask(message, title, "Ok", 0) < 0) std::fprintf(stderr, "%s: %s\n", title, message.c_str());
}

// The last word on the way out: the editor's own box while the window is there, the
// system's box once it is gone.
void TellAtExit(const std::string& message, const char* title) {
    if (!PlatHasWindow() || Ask(message, title, "Ok", 0) < 0) PlatMessageBox(message.c_str(), title, true);
}

// Escape inside a question box answers it; the dialog and its buttons are the
// controls that can have the focus while it waits.
void AskKeyDown(int32_t key) {
    const int slot = g_editor.askSlot;
    if (key != VK_ESCAPE || slot < 0 || slot >= kDialogSlots || g_commonDialogs.slots[slot] != 1) return;
    g_commonDialogs.slots[slot] = static_cast<uint8_t>(2 + g_editor.askEscapeChoice);
}

void AskHook(Control* c) {
    if (g_editor.askOuterHook) g_editor.askOuterHook(c);
    int slot = -1;
    if (std::sscanf(c->name, "QUARNEL_Common_Dialog_%d", &slot) == 1)
        g_editor.askSlot = slot;
    else if (std::strncmp(c->name, "QUARNEL_CD_Button_", 18) != 0)
        return;
    BindControlEvent(c->name, "KeyDown", AskKeyDown);
}

int32_t Selected(const ComboBox* combo) { return combo ? combo->selected : -1; }

void ItemsCaption(int32_t current) {
    SetText("ItemsFrame", FormatText("Items [ nItems: %i ; Current Item: %i ]", ItemCount(), current));
}

// A start-up message that ends the program once it is dismissed.
[[noreturn]] void Fatal(const ProjectMessage& message) {
    MsgBox(message.text.c_str(), message.title.c_str(), "Ok");
    std::exit(0);
}

// The text box counts what the shown item will store: its edit mapped back onto the
// stored bytes (CR LF line ends and tabs kept), so no edit makes a text the .loc format
// cannot hold.
size_t StoredSizeOfShownItem(std::string_view shown) {
    const int32_t s = g_editor.shownItem;
    if (s < 0 || s >= ItemCount()) return shown.size();
    return MergeEditedText(ItemText(s), shown).size();
}

void OnLoadClick(int32_t) { LoadFile(); }
void OnCompileClick(int32_t) { Compile(); }
void OnExitClick(int32_t) { StopEngine(); }
void OnExitWithoutClick(int32_t) { LeaveWithoutSaving(); }

Control* Make(const char* cls, const char* name, const char* parent, float x, float y, float w, float h,
              const char* text = nullptr) {
    Control* c = CreateControl(cls, name, parent, x, y, w, h);
    if (text) SetControlProperty(name, "Text", text);
    return c;
}

}  // namespace

// ---- editing flow ----

void CommitText() {
    const int32_t s = g_editor.items ? g_editor.items->current : -1;
    if (s == -1) return;
    const std::string edited = TextBoxText();
    // Only looked at: the stored bytes stay as they were read.
    if (s == g_editor.shownItem && edited == g_editor.shownText) return;
    SetItemText(s, s == g_editor.shownItem ? MergeEditedText(ItemText(s), edited) : edited);
    g_editor.shownItem = s;
    g_editor.shownText = edited;
    FeaturesItemCommitted(s);
}

void ShowItem(int32_t i) {
    SetText("Item", ItemName(i));
    SetText("Desc", ItemDescription(i));
    KeepItemHistory(g_editor.shownItem);
    SetText("Text", ItemText(i));
    RestoreItemHistory(i);
    g_editor.shownItem = i;
    g_editor.shownText = TextBoxText();
    ItemsCaption(i);
    FeaturesItemShown(i);
}

void OnItemSelect(int32_t i) {
    CommitText();
    ShowItem(i);
}

namespace {

void ClearItemControls() {
    if (g_editor.items) g_editor.items->ClearItems();
    SetText("Item", "");
    SetText("Desc", "");
    SetText("Text", "");
    ForgetItemHistories();
    g_editor.shownItem = -1;
    g_editor.shownText.clear();
}

// Reads `key` into the store and the item list (the screen already emptied).
bool ReadIntoScreen(const std::string& key) {
    SetText("FileFrame", FormatText("File [ %s.loc ]", key.c_str()));
    FreeItems();
    StoreResult read = ReadTexts(key);
    ItemsCaption(-1);
    if (read.ok) read = ReadDescriptions();
    if (!read.ok) {
        // The store is left empty, so nothing of the damaged file can be written back;
        // the caption no longer names a file, since none is loaded.
        SetText("FileFrame", "File");
        ItemsCaption(-1);
        FeaturesFileLoaded();
        Tell(read.message, "Cannot load");
        return false;
    }
    for (int i = 0; i < ItemCount(); ++i) g_editor.items->AddItem(ItemName(i).c_str());
    FeaturesFileLoaded();
    return true;
}

// The loaded file as another program left it, on the item the user was on.
void ReloadLoadedFile() {
    const int32_t item = g_editor.items ? g_editor.items->current : -1;
    const std::string key = CurrentKey();
    ClearItemControls();
    if (ReadIntoScreen(key) && g_editor.items) g_editor.items->SelectItem(item);
}

std::string ChangedOnDiskText() {
    return HostPath("Texts\\" + CurrentKey() + ".loc") + " was changed by another program since the editor read it.";
}

}  // namespace

int Ask(const std::string& text, const char* title, const char* buttons, int escapeChoice) {
    const uint8_t escapeQuits = g_engine.escapeQuits;
    g_engine.escapeQuits = 0;
    g_editor.askSlot = -1;
    g_editor.askEscapeChoice = escapeChoice;
    g_editor.askOuterHook = g_commonDialogs.creationHook;
    g_commonDialogs.creationHook = AskHook;
    const int choice = MsgBox(text.c_str(), title, buttons);
    g_commonDialogs.creationHook = g_editor.askOuterHook;
    g_editor.askOuterHook = nullptr;
    g_editor.askSlot = -1;
    g_engine.escapeQuits = escapeQuits;
    return choice;
}

SaveOutcome SaveLoadedFile(bool canAsk, bool reload, std::string& message) {
    message.clear();
    if (LoadedFileChangedOnDisk()) {
        int choice = 0;
        if (canAsk)
            choice = Ask(ChangedOnDiskText() +
                             "\n\nKeep your edits in a recovery file and load the file as it is now, or "
                             "write your edits over it?",
                         "File changed on disk", "Keep mine in a recovery file|Overwrite it", 0);
        if (choice != 1) {
            std::string path;
            const StoreResult kept = WriteRecoveryFile(path);
            if (!kept.ok) {
                message = ChangedOnDiskText() + "\n\n" + kept.message;
                return SaveOutcome::Failed;
            }
            message = ChangedOnDiskText() + "\n\nYour edits are kept in " + path + ".";
            if (reload) ReloadLoadedFile();
            return SaveOutcome::KeptInRecovery;
        }
    }
    const StoreResult saved = SaveCurrentFile(FeaturesFilesToSave());
    message = saved.message;
    if (saved.ok) FeaturesFileSaved();
    return saved.ok ? SaveOutcome::Saved : SaveOutcome::Failed;
}

bool Compile() {
    CommitText();
    std::string message;
    switch (SaveLoadedFile(true, true, message)) {
        case SaveOutcome::Saved:
            return true;
        case SaveOutcome::KeptInRecovery:
            Tell(message, "Not saved");
            return false;
        case SaveOutcome::Failed:
            break;
    }
    Tell(message + "\n\nYour edits are still here; nothing was lost.", "Not saved");
    return false;
}

bool LoadFile() {
    CommitText();
    std::string message;
    const SaveOutcome saved = SaveLoadedFile(true, false, message);
    if (saved == SaveOutcome::Failed) {
        // Leaving the file would lose the edits that could not be written: stay on it.
        Tell(message + "\n\nThe file stays open with your edits; nothing else was loaded.", "Not saved");
        return false;
    }
    if (saved == SaveOutcome::KeptInRecovery) Tell(message, "Not saved");
    ClearItemControls();
    return ReadIntoScreen(LanguageFolder(Selected(g_editor.fold)) + "\\" + FileName(Selected(g_editor.file)));
}

// ---- zazovi.cfg ----

namespace {

int32_t ReadLe32(const uint8_t* p) {
    return static_cast<int32_t>(p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24));
}

}  // namespace

LastPosition ParseLastPosition(std::string_view bytes, int folderCount, int fileCount) {
    LastPosition at;
    if (bytes.size() < 12) return at;
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
    at = {ReadLe32(p), ReadLe32(p + 4), ReadLe32(p + 8)};
    // Indices that no longer exist (a removed language, a damaged file) mean a fresh start.
    if (at.folder < 0 || at.folder >= folderCount || at.file < 0 || at.file >= fileCount) at = {};
    return at;
}

void RestoreLastPosition() {
    std::string bytes;
    PlatReadFile(kConfigFile, bytes, nullptr);  // none or unreadable: a fresh start
    const LastPosition at = FeaturesStartPosition(ParseLastPosition(bytes, LanguageFolderCount(), FileCount()));
    if (g_editor.fold) g_editor.fold->selected = at.folder;
    if (g_editor.file) g_editor.file->selected = at.file;
    if (LoadFile() && g_editor.items) g_editor.items->SelectItem(at.item);
}

bool WriteLastPosition() {
    const int32_t values[3] = {Selected(g_editor.fold), Selected(g_editor.file),
                               g_editor.items ? g_editor.items->current : -1};
    std::array<uint8_t, 12> bytes{};
    for (int v = 0; v < 3; ++v)
        for (int b = 0; b < 4; ++b)
            bytes[v * 4 + b] = static_cast<uint8_t>(static_cast<uint32_t>(values[v]) >> (8 * b));
    // Like the texts: a full disk must not leave a cut-off file in place of the old one.
    const StoreResult written = ReplaceFile(kConfigFile, std::string(bytes.begin(), bytes.end()));
    if (!written.ok) {
        const std::string message = written.message + "\n\nThe editor will not reopen at this place next time.";
        if (PlatHasWindow())
            Tell(message, "Not saved");
        else
            PlatMessageBox(message.c_str(), "Not saved", true);
    }
    return written.ok;
}

// ---- main screen ----

void BuildMainScreen() {
    CreateTopControl("Sheet", "Sheet01", nullptr, 0, 0, 0, 0);
    Make("Frame", "FileFrame", "Sheet01", 5, 5, 300, 72, "File");
    g_editor.fold = dynamic_cast<ComboBox*>(Make("ComboBox", "Fold", "FileFrame", 10, 17, 100, 20));

    // Another program on the project may be writing right now: its journal and its
    // temporary files are left alone then.
    if (!g_editor.sharedProject) {
        if (const std::string done = FinishInterruptedWrite(); !done.empty()) Tell(done, "Interrupted write");
    }
    if (ProjectMessage scan = ScanLanguageFolders(); !scan.ok) Fatal(scan);
    if (!g_editor.sharedProject) RemoveLeftoverTemporaries();
    for (int i = 0; i < LanguageFolderCount(); ++i) g_editor.fold->AddItem(LanguageFolder(i).c_str());
    if (ProjectMessage verify = VerifyLanguageFiles(); !verify.ok) Fatal(verify);
    SetLoadingText("Making backup...");
    const std::vector<BackupFailure> failures = BackupTexts([](float p) { SetLoadingProgress(p); });
    if (ProjectMessage report = BackupFailureMessage(failures); !report.ok) Tell(report.text, report.title.c_str());

    g_editor.file = dynamic_cast<ComboBox*>(Make("ComboBox", "File", "FileFrame", 10, 42, 200, 20));
    for (int i = 0; i < FileCount(); ++i) g_editor.file->AddItem(FormatText("%s.loc", FileName(i).c_str()));
    Make("Button", "FileOK", "FileFrame", 217, 42, 70, 20, "Load");
    BindControlEvent("FileOK", "Click", OnLoadClick);

    Make("Frame", "ItemsFrame", "Sheet01", 5, 75, 300, 525, "Items");
    Make("Label", "Item", "ItemsFrame", 10, 17, 280, 20, "");
    g_editor.items = dynamic_cast<ListBox*>(Make("ListBox", "Items", "ItemsFrame", 10, 40, 280, 445));
    BindControlEvent("Items", "Select", OnItemSelect);
    Make("Button", "Exit", "ItemsFrame", 10, 490, 40, 25, "Exit");
    BindControlEvent("Exit", "Click", OnExitClick);
    Make("Button", "ExitWithout", "ItemsFrame", 57, 490, 127, 25, "Exit w/out saving");
    BindControlEvent("ExitWithout", "Click", OnExitWithoutClick);
    Make("Button", "Compile", "ItemsFrame", 192, 490, 97, 25, "Compile");
    BindControlEvent("Compile", "Click", OnCompileClick);

    Make("Label", "Desc", "Sheet01", 310, 10, 485, 290, "");
    Make("MLTextBox", "Text", "Sheet01", 310, 305, 485, 290, "");
    SetStoredSizeCounter(FindControl("Text"), StoredSizeOfShownItem);
    FeaturesInstall();

    RestoreLastPosition();
    SetActiveSheet("Sheet01");
}

// ---- leaving ----

ExitRoad HowTheLoopEnded() {
    if (g_engine.quitRequested) return ExitRoad::Signal;
    return PlatHasWindow() ? ExitRoad::ExitButton : ExitRoad::WindowClosed;
}

ExitOutcome FinishEditing(ExitRoad road) {
    WriteLastPosition();
    CommitText();
    const bool canAsk = road == ExitRoad::ExitButton && PlatHasWindow();
    std::string message;
    const SaveOutcome saved = SaveLoadedFile(canAsk, false, message);
    if (saved == SaveOutcome::Saved) return {true, 0};
    if (saved == SaveOutcome::KeptInRecovery) {
        TellAtExit(message, "Not saved");
        return {true, 1};
    }
    if (canAsk) {
        const int choice = Ask(message +
                                   "\n\nGo back to the editor and try again, or quit and keep your edits "
                                   "in a recovery file?",
                               "Not saved", "Back to the editor|Quit", 0);
        if (choice == 0) return {false, 0};
    }
    std::string path;
    const StoreResult kept = WriteRecoveryFile(path);
    if (kept.ok) {
        TellAtExit(message + "\n\nWhat could not be saved is kept in " + path + ".", "Not saved");
        return {true, 1};
    }
    const std::string lost = message + "\n\nNo recovery file could be written either: " + kept.message;
    if (road == ExitRoad::ExitButton && PlatHasWindow()) {
        // Leaving now would lose the texts: they stay in the editor until a place is found.
        Tell(lost + "\n\nThe editor stays open with your edits. Make room or free a folder, then exit again.",
             "Not saved");
        return {false, 0};
    }
    WriteRecoveryToStderr();
    TellAtExit(lost + "\n\nThe texts were written to standard error in loctool's text form.", "Not saved");
    return {true, 1};
}

void LeaveWithoutSaving() {
    // Disarmed first: losing the display on the way out must not save emptied texts.
    PlatSetEmergencyHandler(nullptr);
    FreeItems();
    std::exit(0);
}

void EmergencySave() {
    CommitText();
    std::string message;
    const SaveOutcome saved = SaveLoadedFile(false, false, message);
    if (saved == SaveOutcome::Saved) return;
    std::fprintf(stderr, "Not saved: %s\n", message.c_str());
    if (saved == SaveOutcome::KeptInRecovery) return;
    std::string path;
    const StoreResult kept = WriteRecoveryFile(path);
    if (kept.ok) {
        std::fprintf(stderr, "What could not be saved is kept in %s\n", path.c_str());
        return;
    }
    std::fprintf(stderr, "No recovery file could be written either: %s\nThe texts follow in loctool's text form.\n",
                 kept.message.c_str());
    WriteRecoveryToStderr();
}

// ---- the run ----

namespace {

// True when the editor may go on: the project is ours, or the user opens it anyway.
bool ClaimProject() {
    LockOwner owner;
    if (TakeProjectLock(owner)) return true;
    std::error_code ec;
    const std::string folder = PlatPathString(std::filesystem::current_path(ec));
    const std::string text = "The project " + folder + " is " + LockHolderText(owner) +
                             ".\n\nTwo programs writing into one project write over each other's work. If that "
                             "program is no longer running, open the project anyway.";
    if (Ask(text, "Project already open", "Quit|Open anyway", 0) != 1) return false;
    g_editor.sharedProject = true;
    return true;
}

}  // namespace

int RunEditor(const std::string& fontFallback) {
    PlatShowCursor(false);
    InstallGui();
    InitEngine(kEditorTitle);
    CreateEngineWindow(kVirtualWidth, kVirtualHeight, WINDOW_MODE_SIZABLE, StartScale());
    const std::vector<uint8_t> icon = DrawAppIcon(kAppIconSize);
    PlatSetWindowIcon(icon.data(), kAppIconSize, kAppIconSize);
    InitGL();

    Font* font = LoadFont(kFontFile);
    if (!font && !fontFallback.empty()) font = LoadFont((fontFallback + "/" + kFontFile).c_str());
    if (!font) {
        PlatMessageBox("The font zazovi_font.dsf is missing or damaged; the editor cannot show any text.",
                       "Error( LoadFont )", true);
        return 0;
    }
    font->scale = 1.0f;
    SetFont(font);

    if (!ClaimProject()) return 0;
    std::atexit(ReleaseProjectLock);  // every way out, the start-up failures' exit(0) included

    BuildMainScreen();
    PlatSetEmergencyHandler(EmergencySave);
    Begin2D();
    ExitOutcome outcome;
    do {
        RunEngine();
        outcome = FinishEditing(HowTheLoopEnded());
    } while (!outcome.leave);
    PlatSetEmergencyHandler(nullptr);
    FeaturesShutdown();
    FreeItems();
    ReleaseProjectLock();
    return outcome.code;
}
