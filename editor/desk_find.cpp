// desk_find.cpp - the find dialog (Ctrl+F) over the file chooser: what is typed finds
// items by name, description, reference text or text, Enter, F3 and Shift+F3 go round
// the matches with "n of m" shown; and replace-all in the loaded file's texts, one
// committed item at a time.
#include <string>
#include <vector>

#include "editor/desk.h"
#include "editor/desk_internal.h"
#include "editor/desk_undo.h"
#include "editor/edited_text.h"
#include "editor/text_store.h"
#include "engine/engine.h"
#include "gui/controls/listbox.h"
#include "gui/controls/text_edit.h"
#include "gui/gui.h"

using desk::ControlText;
using desk::CurrentItem;
using desk::Notice;
using desk::SetText;

namespace {

constexpr const char* kFind = "DeskFind";
constexpr const char* kFindText = "DeskFindText";
constexpr const char* kReplaceText = "DeskReplaceText";
constexpr const char* kFindCount = "DeskFindCount";

void OnFindNextClick(int32_t) { FindNext(+1); }
void OnFindPreviousClick(int32_t) { FindNext(-1); }
void OnReplaceAllClick(int32_t) {
    g_desk.replacement = ControlText(kReplaceText);
    ReplaceAllInFile(g_desk.needle, g_desk.replacement);
}

// The close box detaches the dialog; it is destroyed when the next one opens.
void OnFindClosed() {
    g_desk.findOpen = false;
    g_engine.escapeQuits = g_desk.escapeQuitsBefore;
}

void MakeFindLabel(const char* name, const char* text, float x, float y, float w) {
    CreateControl("Label", name, kFind, x, y, w, 18);
    SetText(name, text);
    SetControlProperty(name, "Color", ValColor(MakeColor(225, 225, 225)));
}

void MakeFindButton(const char* name, const char* text, float x, float w, void (*click)(int32_t)) {
    CreateControl("Button", name, kFind, x, 74, w, 20);
    SetText(name, text);
    BindControlEvent(name, "Click", click);
}

void BuildFindDialog() {
    CreateControl("Dialog", kFind, "Sheet01", 5, 5, 300, 100);
    SetText(kFind, "Find in this file");
    BindControlEvent(kFind, "Close", OnFindClosed);
    MakeFindLabel("DeskFindLabel", "Find", 6, 26, 52);
    CreateControl("TextBox", kFindText, kFind, 62, 25, 232, 20);
    MakeFindLabel("DeskReplaceLabel", "Replace", 6, 50, 52);
    CreateControl("TextBox", kReplaceText, kFind, 62, 49, 232, 20);
    SetText(kFindText, g_desk.needle);
    SetText(kReplaceText, g_desk.replacement);
    MakeFindLabel(kFindCount, "", 6, 76, 96);
    MakeFindButton("DeskFindPrevious", "Previous", 104, 60, OnFindPreviousClick);
    MakeFindButton("DeskFindNext", "Next", 168, 44, OnFindNextClick);
    MakeFindButton("DeskReplaceAll", "Replace all", 216, 78, OnReplaceAllClick);
}

}  // namespace

namespace desk {

void UpdateFindCount() {
    if (!g_desk.findOpen) return;
    std::string count;
    if (g_desk.needle.empty())
        count = "";
    else if (g_desk.matches.empty())
        count = "Not found";
    else if (const int n = MatchPosition(g_desk.matches, CurrentItem()); n > 0)
        count = std::to_string(n) + " of " + std::to_string(g_desk.matches.size());
    else
        count = std::to_string(g_desk.matches.size()) + (g_desk.matches.size() == 1 ? " item" : " items");
    SetText(kFindCount, count);
}

void ReadNeedle() {
    if (!g_desk.findOpen) return;
    const std::string needle = ControlText(kFindText);
    if (needle == g_desk.needle) return;
    g_desk.needle = needle;
    g_desk.matches = FindMatches(g_desk.index, g_desk.needle);
    UpdateFindCount();
}

bool FindBoxHasFocus() {
    const Control* focus = GetFocusControl();
    return focus && std::string(focus->name) == kFindText;
}

}  // namespace desk

using desk::ReadNeedle;
using desk::UpdateFindCount;

void OpenFind() {
    Control* open = FindControl(kFind);
    if (open && !open->parent) {
        DestroyControl(kFind);  // closed with its close box
        open = nullptr;
    }
    if (!open) {
        const Control* focus = GetFocusControl();
        g_desk.focusBefore = focus ? focus->name : "Text";
        BuildFindDialog();
        g_desk.findOpen = true;
        g_desk.escapeQuitsBefore = g_engine.escapeQuits;
        g_engine.escapeQuits = 0;  // Escape closes the dialog rather than the editor
    }
    SetFocusTo(kFindText);
    // The text looked for last is selected, so typing replaces it.
    SetControlProperty(kFindText, "cPos", ValInt(0));
    SetControlProperty(kFindText, "nSel", ValInt(static_cast<int32_t>(g_desk.needle.size())));
    UpdateFindCount();
}

void CloseFind() {
    if (!FindControl(kFind)) return;
    if (g_desk.findOpen) g_engine.escapeQuits = g_desk.escapeQuitsBefore;
    g_desk.findOpen = false;
    DestroyControl(kFind);
    if (!SetFocusTo(g_desk.focusBefore.c_str())) SetFocusTo("Text");
}

bool FindNext(int direction) {
    ReadNeedle();
    if (g_desk.needle.empty()) {
        OpenFind();
        return false;
    }
    CommitText();  // the text being edited is searched as it now reads
    const int target = NextMatch(g_desk.matches, CurrentItem(), direction);
    if (target < 0) {
        Notice("Not found: " + g_desk.needle);
        UpdateFindCount();
        return false;
    }
    if (target != CurrentItem() && g_editor.items) g_editor.items->SelectItem(target);
    UpdateFindCount();
    return true;
}

bool ReplaceInItem(int32_t i, const std::string& needle, const std::string& replacement) {
    size_t count = 0;
    const std::string replaced = ReplaceFolded(ItemText(i), needle, replacement, &count);
    if (count == 0 || replaced.size() > static_cast<size_t>(TextEdit::kMaxTextBytes)) return false;
    if (i == g_editor.shownItem) {
        // Through the box, as one step of its history, then committed as typing would be.
        // The box counts what the item will store, which may be more than `replaced`
        // once the new line breaks of a CR LF item get their CRs.
        Control* box = FindControl("Text");
        if (!ReplaceTextRange(box, 0, static_cast<uint32_t>(TextEditOf(box)->Length()), TextBoxView(replaced)))
            return false;
        CommitText();
        return true;
    }
    RecordItemReplacement(i, TextBoxView(ItemText(i)), TextBoxView(replaced));
    SetItemText(i, replaced);
    DeskItemCommitted(i);
    return true;
}

int ReplaceAllInFile(const std::string& needle, const std::string& replacement) {
    if (needle.empty() || ItemCount() == 0) return 0;
    CommitText();
    size_t total = 0;
    std::vector<int32_t> items;
    for (int32_t i = 0; i < ItemCount(); ++i) {
        size_t count = 0;
        ReplaceFolded(ItemText(i), needle, replacement, &count);
        if (count == 0) continue;
        total += count;
        items.push_back(i);
    }
    if (total == 0) {
        Notice("Not found in the texts: " + needle);
        return 0;
    }
    const std::string question = "Replace " + std::to_string(total) + (total == 1 ? " occurrence" : " occurrences") +
                                 " of \"" + needle + "\" with \"" + replacement + "\" in the texts of " +
                                 std::to_string(items.size()) + (items.size() == 1 ? " item" : " items") + " of " +
                                 CurrentKey() + ".loc?";
    if (Ask(question, "Replace all", "Replace|Cancel", 1) != 0) return 0;
    int made = 0, refused = 0;
    for (const int32_t i : items) {
        size_t count = 0;
        ReplaceFolded(ItemText(i), needle, replacement, &count);
        if (ReplaceInItem(i, needle, replacement))
            made += static_cast<int>(count);
        else
            ++refused;
    }
    Notice("Replaced " + std::to_string(made) +
           (refused ? "; " + std::to_string(refused) + " texts would grow past 32767 bytes and were left" : ""));
    return made;
}
