// box_spelling.cpp - spelling in the main screen's text box with Hunspell (box_spelling.h):
// a hidden watcher control notices edits and checks the text once typing has rested,
// the dictionary follows the language folder of the loaded file, and Ctrl+. opens a
// small list of suggestions for the word at the caret.
#include "editor/box_spelling.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "editor/qa/project_settings.h"
#include "editor/qa/spelling.h"
#include "editor/text_store.h"
#include "engine/engine.h"
#include "gui/control.h"
#include "gui/controls/dialog.h"
#include "gui/controls/listbox.h"
#include "gui/controls/mltextbox.h"
#include "gui/controls/text_edit.h"
#include "gui/gui.h"
#include "gui/msgbox.h"
#include "platform/platform.h"
#include "render/font.h"

namespace {

constexpr const char* kBox = "Text";
constexpr const char* kWatcher = "SpellWatch";
constexpr size_t kMostSuggestions = 8;

struct BoxSpellingState {
    std::string folder;  // whose dictionary `checker` holds
    bool folderKnown = false;
    std::unique_ptr<qa::SpellChecker> checker;  // null: the folder is not checked
    std::string seen;                           // the box's text as the watcher last saw it
    float rest = 0;                             // > 0: seconds until the text is checked
    KeyHandler outerKeyDown = nullptr;
    // the suggestion list while it is open
    int slot = -1;
    int32_t chosen = -1;
};
BoxSpellingState g_spell;

// The language folder of the loaded file ("German" of "German\menu").
std::string LoadedFolder() {
    const std::string& key = CurrentKey();
    return key.substr(0, key.find('\\'));
}

// The checker of the loaded file's folder, opened on first use; null when the folder
// has no dictionary (or it cannot be read, which is said once on stderr).
qa::SpellChecker* CheckerForLoadedFolder() {
    const std::string folder = LoadedFolder();
    if (g_spell.folderKnown && folder == g_spell.folder) return g_spell.checker.get();
    g_spell.folder = folder;
    g_spell.folderKnown = true;
    g_spell.checker.reset();
    if (folder.empty()) return nullptr;
    qa::ProjectSettings settings;
    (void)qa::LoadProjectSettings(".", settings);  // its problems were said when the desk loaded it
    const std::string base =
        qa::FindDictionary(qa::DictionaryName(folder, settings), qa::DictionaryFolders(".", settings));
    if (base.empty()) return nullptr;
    auto checker = std::make_unique<qa::SpellChecker>();
    std::string message;
    if (!checker->Open(base, message)) {
        std::fprintf(stderr, "Spelling of %s is off: %s\n", folder.c_str(), message.c_str());
        return nullptr;
    }
    g_spell.checker = std::move(checker);
    return g_spell.checker.get();
}

void MarkMisspelled() {
    Control* box = FindControl(kBox);
    TextEdit* edit = TextEditOf(box);
    if (!edit) return;
    g_spell.seen = edit->text;
    g_spell.rest = 0;
    std::vector<TextMark> marks;
    if (qa::SpellChecker* checker = CheckerForLoadedFolder())
        for (const qa::Word& w : checker->Misspelled(edit->text))
            marks.push_back({uint32_t(w.range.begin), uint32_t(w.range.end)});
    if (marks != edit->marks) SetTextMarks(box, std::move(marks));
}

// Hidden and without size: it only takes part in the frame's update, where it notices
// that the box's text changed and checks it once the typing has rested.
class SpellWatch : public Control {
  public:
    void Update(float dt) override {
        const TextEdit* edit = TextEditOf(FindControl(kBox));
        if (!edit) return;
        if (edit->text != g_spell.seen) {
            // The frame of the edit itself: the time it waited for belongs to before the edit.
            g_spell.seen = edit->text;
            g_spell.rest = kSpellPauseSeconds;
            GuiWakeIn(g_spell.rest);
            return;
        }
        if (g_spell.rest <= 0) return;
        g_spell.rest -= dt;
        if (g_spell.rest > 0)
            GuiWakeIn(g_spell.rest);
        else
            MarkMisspelled();
    }
};

Control* NewSpellWatch() { return new SpellWatch; }

void FillSpellWatchClass(ControlClass* cls) {
    std::snprintf(cls->name, sizeof cls->name, "%s", kWatcher);
    cls->factory = &NewSpellWatch;
}

void OnBoxKeyDown(int32_t key) {
    if (g_spell.outerKeyDown) g_spell.outerKeyDown(key);
    if (key == VK_OEM_PERIOD && IsKeyDown(KEY_ANY_CTRL) && !IsKeyDown(KEY_ANY_ALT)) OfferSpellingSuggestions();
}

// The misspelled word of the text that the caret is in or just after.
bool MisspelledAtCaret(Control* box, const std::string& text, qa::Word& found) {
    const TextMark at = WordAtCaret(box);
    const TextEdit* edit = TextEditOf(box);
    const uint32_t caret = edit ? uint32_t(edit->Caret()) : 0;
    const uint32_t lo = at.begin != at.end ? at.begin : caret, hi = at.begin != at.end ? at.end : caret;
    qa::SpellChecker* checker = CheckerForLoadedFolder();
    if (!checker) return false;
    for (const qa::Word& w : checker->Misspelled(text))
        if (w.range.begin <= hi && lo <= w.range.end) {
            found = w;
            return true;
        }
    return false;
}

void OnSuggestionAction(int32_t index) {
    g_spell.chosen = index;
    if (g_spell.slot >= 0) g_commonDialogs.slots[g_spell.slot] = 2;
}

void OnSuggestionKeyDown(int32_t key) {
    if (key == VK_ESCAPE && g_spell.slot >= 0) g_spell.chosen = -1, g_commonDialogs.slots[g_spell.slot] = 2;
}

// Shows the list below the word and waits for a choice; -1 for none.
int32_t ChooseSuggestion(Control* box, const qa::Word& word, const std::vector<std::string>& suggestions) {
    const Font* font = GetFont();
    const float lineH = font ? font->height * font->scale : 16.0f;
    float width = 160;
    for (const std::string& s : suggestions)
        if (font) width = std::max(width, MeasureText(s.c_str(), int(s.size()), font) + 30);
    width = std::min(width, 400.0f);
    const float listH = lineH * float(std::max<size_t>(suggestions.size(), 1)) + 6;
    OpenDialog dialog;
    if (!OpenCommonDialog(("Spelling: " + word.text).c_str(), width, listH, &dialog)) return -1;
    g_spell.slot = dialog.slot;
    g_spell.chosen = -1;
    // Below the word, inside the window.
    if (auto* ml = dynamic_cast<MLTextBox*>(box)) {
        float bx, by;
        ml->ScreenPos(&bx, &by);
        const TextPos at = ml->CaretXY(int32_t(word.range.begin), ml->WrapWidth());
        const float dx = std::clamp(bx + 2 + at.x, 0.0f, float(kVirtualWidth) - dialog.dialog->w);
        float dy = by + 2 + at.y - ml->cBlock + lineH + 2;
        if (dy + dialog.dialog->h > kVirtualHeight) dy = by + 2 + at.y - ml->cBlock - dialog.dialog->h - 2;
        dialog.dialog->Move(dx, std::max(0.0f, dy));
    }
    const std::string listName = std::string(dialog.dialog->name) + "_List";
    auto* list = dynamic_cast<ListBox*>(
        CreateControl("ListBox", listName.c_str(), dialog.dialog->name, dialog.originX, dialog.originY, width, listH));
    if (list) {
        for (const std::string& s : suggestions) list->AddItem(s.c_str());
        if (suggestions.empty()) list->AddItem("(no suggestions)");
        list->SelectItem(0);
        BindControlEvent(listName.c_str(), "Action", OnSuggestionAction);  // "(no suggestions)" just closes
        BindControlEvent(listName.c_str(), "KeyDown", OnSuggestionKeyDown);
        ChangeFocus(list);
        if (g_commonDialogs.creationHook) g_commonDialogs.creationHook(list);
    }
    // Escape answers the list instead of quitting the editor; the clock stands still
    // while the list waits, as in a message box.
    const uint8_t escapeQuits = g_engine.escapeQuits;
    g_engine.escapeQuits = 0;
    const bool wasPaused = g_engine.clockPaused;
    if (!wasPaused) PauseClock();
    while (list && g_commonDialogs.slots[dialog.slot] == 1 && PlatHasWindow() && !g_engine.quitRequested) EngineFrame();
    if (!wasPaused) ResumeClock();
    g_engine.escapeQuits = escapeQuits;
    CloseCommonDialog(&dialog);
    g_spell.slot = -1;
    return g_spell.chosen;
}

}  // namespace

void StartBoxSpelling() {
    g_spell = BoxSpellingState{};
    Control* box = FindControl(kBox);
    if (!box || !box->parent) return;
    if (!FindControlClass(kWatcher)) RegisterControlClass(FillSpellWatchClass);
    if (Control* watch = CreateControl(kWatcher, kWatcher, box->parent->name, 0, 0, 0, 0)) watch->visible = 0;
    g_spell.outerKeyDown = reinterpret_cast<KeyHandler>(box->GetEventHandler("KeyDown"));
    BindControlEvent(kBox, "KeyDown", OnBoxKeyDown);
}

void CheckBoxSpellingNow() { MarkMisspelled(); }

const Feature kBoxSpellingFeature = {
    .name = "box spelling",
    .install = StartBoxSpelling,
    .itemShown = [](int32_t) { CheckBoxSpellingNow(); },
};

void OfferSpellingSuggestions() {
    Control* box = FindControl(kBox);
    const TextEdit* edit = TextEditOf(box);
    if (!edit) return;
    const std::string text = edit->text;
    qa::Word word;
    if (!MisspelledAtCaret(box, text, word)) return;
    const std::vector<std::string> suggestions = g_spell.checker->Suggest(word.text, kMostSuggestions);
    const int32_t chosen = ChooseSuggestion(box, word, suggestions);
    if (chosen < 0 || size_t(chosen) >= suggestions.size()) return;
    // The replacement of the word's bytes alone, its colour tags kept where they were.
    const std::string replaced = qa::ReplaceWord(text, word, suggestions[size_t(chosen)]);
    const size_t tail = text.size() - word.range.end;
    const std::string with = replaced.substr(word.range.begin, replaced.size() - tail - word.range.begin);
    // Something may have changed the box while the list waited (a handler, the screen
    // taken down): replace only in the same box still holding the text the word came from.
    box = FindControl(kBox);
    if (TextEditOf(box) != edit || edit->text != text) return;
    ReplaceTextRange(box, uint32_t(word.range.begin), uint32_t(word.range.end), with);
    MarkMisspelled();
}
