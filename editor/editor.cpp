// editor.cpp - the editor's main screen and editing flow: loading a language file into
// the item list, showing and committing items, compiling, remembering the last
// position in zazovi.cfg, and the run from start-up to the final save.
#include "editor/editor.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "editor/app_icon.h"
#include "editor/project.h"
#include "editor/text_store.h"
#include "engine/engine.h"
#include "engine/format.h"
#include "gui/controls/combobox.h"
#include "gui/controls/listbox.h"
#include "gui/gui.h"
#include "gui/msgbox.h"
#include "platform/platform.h"
#include "render/font.h"

EditorState g_editor;

namespace {

void SetText(const char* control, const std::string& text) { SetControlProperty(control, "Text", text.c_str()); }

// The whole text of the text box, however long (the box itself caps it at 32767 bytes).
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

void Tell(const std::string& message, const char* title) {
    if (MsgBox(message.c_str(), title, "Ok") < 0) std::fprintf(stderr, "%s: %s\n", title, message.c_str());
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

void OnLoadClick(int32_t) { LoadFile(); }
void OnCompileClick(int32_t) { Compile(); }
void OnExitClick(int32_t) { StopEngine(); }
// The program is being ended from outside: keep what was typed.
void EmergencySave() {
    CommitText();
    const StoreResult saved = SaveCurrentFile();
    if (!saved.ok) std::fprintf(stderr, "Not saved: %s\n", saved.message.c_str());
}

void OnExitWithoutClick(int32_t) {
    FreeItems();
    std::exit(0);
}

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
    if (s != -1) SetItemText(s, TextBoxText());
}

void ShowItem(int32_t i) {
    SetText("Item", ItemName(i));
    SetText("Desc", ItemDescription(i));
    SetText("Text", ItemText(i));
    ItemsCaption(i);
}

void OnItemSelect(int32_t i) {
    CommitText();
    ShowItem(i);
}

bool Compile() {
    CommitText();
    const StoreResult saved = SaveCurrentFile();
    if (!saved.ok) Tell(saved.message + "\n\nYour edits are still here; nothing was lost.", "Not saved");
    return saved.ok;
}

bool LoadFile() {
    CommitText();
    const StoreResult saved = SaveCurrentFile();
    if (!saved.ok) {
        // Leaving the file would lose the edits that could not be written: stay on it.
        Tell(saved.message + "\n\nThe file stays open with your edits; nothing else was loaded.", "Not saved");
        return false;
    }
    if (g_editor.items) g_editor.items->ClearItems();
    const std::string key = LanguageFolder(Selected(g_editor.fold)) + "\\" + FileName(Selected(g_editor.file));
    SetText("FileFrame", FormatText("File [ %s.loc ]", key.c_str()));
    SetText("Item", "");
    SetText("Desc", "");
    SetText("Text", "");
    FreeItems();
    StoreResult read = ReadTexts(key);
    ItemsCaption(-1);
    if (read.ok) read = ReadDescriptions();
    if (!read.ok) {
        // The store is left empty, so nothing of the damaged file can be written back.
        ItemsCaption(-1);
        Tell(read.message, "Cannot load");
        return false;
    }
    for (int i = 0; i < ItemCount(); ++i) g_editor.items->AddItem(ItemName(i).c_str());
    return true;
}

// ---- zazovi.cfg ----

namespace {

int32_t ReadLe32(const uint8_t* p) {
    return static_cast<int32_t>(p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24));
}

}  // namespace

void RestoreLastPosition() {
    std::array<uint8_t, 12> bytes{};
    int32_t folder = 0, file = 0, item = -1;
    std::ifstream in(kConfigFile, std::ios::binary);
    if (in && in.read(reinterpret_cast<char*>(bytes.data()), bytes.size())) {
        folder = ReadLe32(&bytes[0]);
        file = ReadLe32(&bytes[4]);
        item = ReadLe32(&bytes[8]);
    }
    // Indices that no longer exist (a removed language, a damaged file) mean a fresh start.
    if (folder < 0 || folder >= LanguageFolderCount() || file < 0 || file >= FileCount()) {
        folder = 0, file = 0, item = -1;
    }
    if (g_editor.fold) g_editor.fold->selected = folder;
    if (g_editor.file) g_editor.file->selected = file;
    if (LoadFile() && g_editor.items) g_editor.items->SelectItem(item);
}

bool WriteLastPosition() {
    const int32_t values[3] = {Selected(g_editor.fold), Selected(g_editor.file),
                               g_editor.items ? g_editor.items->current : -1};
    std::array<uint8_t, 12> bytes{};
    for (int v = 0; v < 3; ++v)
        for (int b = 0; b < 4; ++b) bytes[v * 4 + b] = static_cast<uint8_t>(static_cast<uint32_t>(values[v]) >> (8 * b));
    std::ofstream out(kConfigFile, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return static_cast<bool>(out.flush());
}

// ---- main screen ----

void BuildMainScreen() {
    CreateTopControl("Sheet", "Sheet01", nullptr, 0, 0, 0, 0);
    Make("Frame", "FileFrame", "Sheet01", 5, 5, 300, 72, "File");
    g_editor.fold = dynamic_cast<ComboBox*>(Make("ComboBox", "Fold", "FileFrame", 10, 17, 100, 20));

    if (ProjectMessage scan = ScanLanguageFolders(); !scan.ok) Fatal(scan);
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

    RestoreLastPosition();
    SetActiveSheet("Sheet01");
}

// ---- the run ----

int RunEditor(const std::string& fontFallback) {
    PlatShowCursor(false);
    InitEngine(kEditorTitle);
    CreateEngineWindow(800, 600, WINDOW_MODE_FIXED);
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

    BuildMainScreen();
    PlatSetEmergencyHandler(EmergencySave);
    Begin2D();
    for (;;) {
        RunEngine();
        WriteLastPosition();
        CommitText();
        const StoreResult saved = SaveCurrentFile();
        if (saved.ok || !PlatHasWindow()) {
            if (!saved.ok) std::fprintf(stderr, "Not saved: %s\n", saved.message.c_str());
            break;
        }
        // Never leave silently with the work unsaved: the user decides.
        const int choice = MsgBox((saved.message + "\n\nYour edits are still open in the editor.").c_str(),
                                  "Not saved", "Back to the editor|Quit without saving");
        if (choice != 0) break;
    }
    PlatSetEmergencyHandler(nullptr);
    FreeItems();
    return 0;
}
