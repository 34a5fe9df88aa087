// desk.cpp - the translator's desk: keeps the states, checks, search index and unsaved
// marker of the loaded file in step with every load, commit and save, shows the
// reference panel inside the Desc label, and answers the desk's keys. The find dialog
// and replace-all are in desk_find.cpp.
#include "editor/desk.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "editor/desk_internal.h"
#include "editor/desk_navigation.h"
#include "editor/desk_reference.h"
#include "editor/edited_text.h"
#include "editor/project.h"
#include "editor/qa/qa_checks.h"
#include "editor/text_store.h"
#include "engine/engine.h"
#include "gui/controls/frame_label_line.h"
#include "gui/controls/listbox.h"
#include "gui/controls/text_edit.h"
#include "gui/gui.h"
#include "platform/platform.h"
#include "render/font.h"
#include "render/texture.h"

DeskState g_desk;

// ---- helpers shared with desk_find.cpp ----

namespace desk {

void SetText(const char* control, const std::string& text) { SetControlProperty(control, "Text", text.c_str()); }

std::string ControlText(const char* name) {
    Control* c = FindControl(name);
    if (!c) return {};
    const int size = c->GetProperty("Text", nullptr);
    if (size <= 0) return {};
    std::string text(static_cast<size_t>(size), '\0');
    c->GetProperty("Text", text.data());
    return text.substr(0, text.find('\0'));
}

int32_t CurrentItem() { return g_editor.items ? g_editor.items->current : -1; }

// A notice: a short word in a tooltip over the item list, gone at the next key.
void Notice(const std::string& text) {
    ShowToolTipAt(text.c_str(), 20, 570, 1.0f);
    g_desk.noticeShown = true;
}

}  // namespace desk

using desk::CurrentItem;
using desk::Notice;
using desk::ReadNeedle;
using desk::SetText;
using desk::UpdateFindCount;

namespace {

constexpr const char* kHeadingColour = panel::kHeading;
constexpr const char* kQuietColour = panel::kQuiet;
constexpr const char* kProblemColour = panel::kProblem;
constexpr const char* kDefaultColour = panel::kDefault;

void HideNotice() {
    if (g_desk.noticeShown) HideToolTip();
    g_desk.noticeShown = false;
}

// ---- states, icons and the title ----

qa::LengthLimit LimitOfFile() {
    qa::LengthLimit limit;
    if (const auto found = g_desk.settings.lengthLimits.find(g_desk.file); found != g_desk.settings.lengthLimits.end())
        limit.maxCharacters = found->second;
    return limit;
}

void ComputeState(int32_t i, const qa::LengthLimit& limit) {
    const auto at = static_cast<size_t>(i);
    const std::string& text = ItemText(i);
    // The features' checks too (the room of the text in the game), of a translated text.
    std::vector<std::string> more;
    if (!qa::IsUntranslated(text, ReferenceText(i), g_desk.referenceIsOther))
        for (qa::Finding& f : FeaturesCheck(i, text)) more.push_back(std::move(f.message));
    g_desk.states[at] = StateOfText(text, ReferenceText(i), g_desk.referenceIsOther, limit, &g_desk.problems[at], more);
}

bool TextBoxEdited() {
    const int32_t s = CurrentItem();
    return s >= 0 && s == g_editor.shownItem && TextBoxText() != g_editor.shownText;
}

void UpdateTitle() {
    const bool unsaved = g_desk.changedItems > 0 || TextBoxEdited() || FeaturesUnsaved();
    ProgressCounts counts = CountStates(g_desk.states);
    counts.toReview = FeaturesToReview();
    counts.problems = ItemsWithProblems();  // the checks' and the glossary's
    const std::string title = ProgressTitle(kEditorTitle, CurrentKey(), counts, unsaved);
    if (title == g_desk.title) return;
    g_desk.title = title;
    SetEngineWindowTitle(title.c_str());
}

void UpdateIndexEntry(int32_t i) {
    g_desk.index.Update(static_cast<size_t>(i), ItemName(i), ItemDescription(i),
                        g_desk.referenceIsOther ? ReferenceText(i) : std::string(), ItemText(i));
}

// Every item's state, icon and search entry, after a load or a new reference.
void RecomputeFile() {
    const int count = ItemCount();
    g_desk.states.assign(static_cast<size_t>(count), ItemState::Untranslated);
    g_desk.problems.assign(static_cast<size_t>(count), {});
    const qa::LengthLimit limit = LimitOfFile();
    for (int i = 0; i < count; ++i) ComputeState(i, limit);
    if (g_editor.items) {
        RefreshRowMarks();
    }
    g_desk.index.Build(g_store.names, g_store.descriptions,
                       g_desk.referenceIsOther ? g_desk.referenceTexts : std::vector<std::string>(), g_store.texts);
    g_desk.matches = FindMatches(g_desk.index, g_desk.needle);
}

void LoadReference() {
    g_desk.referenceTexts.clear();
    g_desk.referenceError.clear();
    g_desk.referenceIsOther = false;
    if (g_desk.file.empty() || g_desk.reference.empty() || g_desk.reference == g_desk.language) return;
    const StoreResult read = ReadReferenceTexts(g_desk.reference, g_desk.file, g_desk.referenceTexts);
    if (!read.ok) {
        g_desk.referenceError = read.message;
    } else if (static_cast<int>(g_desk.referenceTexts.size()) != ItemCount()) {
        g_desk.referenceError = "its " + g_desk.file + ".loc has " + std::to_string(g_desk.referenceTexts.size()) +
                                " items, this one " + std::to_string(ItemCount());
        g_desk.referenceTexts.clear();
    }
    // An unreadable reference compares with nothing: no text would look translated.
    g_desk.referenceIsOther = g_desk.referenceError.empty();
}

// ---- the desk's parts of the panel under the description ----

void Describe(int32_t i, const Font* font, DescParts& parts) {
    if (i < 0 || i >= ItemCount()) return;
    // A hair space after the '<' keeps a tag from being applied; a plain space when the
    // font has no hair space.
    const std::string breaker = FindGlyph(0x200A, font) >= 0 ? "\u200A" : " ";
    if (!g_desk.reference.empty() && g_desk.reference != g_desk.language) {
        std::string& text = parts[size_t(DescSection::Reference)];
        text = kHeadingColour + g_desk.reference + " (reference)" + kDefaultColour + "\n";
        if (!g_desk.referenceError.empty())
            text += kQuietColour + TagsAsText(g_desk.referenceError, breaker) + kDefaultColour;
        else if (ReferenceText(i).empty())
            text += std::string(kQuietColour) + "(empty)" + kDefaultColour;
        else
            text += TagsAsText(ReferenceText(i), breaker);
    }
    const std::string& problems =
        static_cast<size_t>(i) < g_desk.problems.size() ? g_desk.problems[static_cast<size_t>(i)] : std::string();
    if (!problems.empty())
        parts[size_t(DescSection::Problems)] = kProblemColour + TagsAsText(problems, breaker) + kDefaultColour;
}

// The good lines are taken; the bad ones, and names the project does not have, are
// said once here, each with its line, as loctool qa says them.
std::vector<std::string> LoadSettings() {
    g_desk.settings = {};
    std::vector<std::string> problems = qa::LoadProjectSettings(".", g_desk.settings);
    std::vector<std::string> files;
    for (int i = 0; i < FileCount(); ++i) files.push_back(FileName(i));
    for (std::string& unknown : qa::UnknownSettingNames(g_desk.settings, files, g_project.folders))
        problems.push_back(std::move(unknown));
    return problems;
}

void TellSideFileProblems(const std::vector<std::string>& problems) {
    if (problems.empty()) return;
    std::string text;
    for (const std::string& line : problems) text += line + "\n";
    text += "\nThe editor goes on without what these lines say.";
    if (Ask(text, "Project settings", "Ok", 0) < 0) std::fprintf(stderr, "%s", text.c_str());
}

void InputHandled() {
    ReadNeedle();
    UpdateTitle();
}

bool ListKey(uint8_t key) {
    ListBox* list = g_editor.items;
    if (!list || GetFocusControl() != list) return false;
    const int rows = int(list->h / list->LineH());
    const int target = ListKeyTarget(key, list->current, list->ItemCount(), rows);
    if (target < 0) return false;
    list->SelectItem(target);
    return true;
}

bool FocusIs(const char* name) {
    const Control* focus = GetFocusControl();
    return focus && std::strcmp(focus->name, name) == 0;
}

}  // namespace

const std::string& ReferenceText(int32_t i) {
    static const std::string none;
    if (!g_desk.referenceIsOther || i < 0 || static_cast<size_t>(i) >= g_desk.referenceTexts.size()) return none;
    return g_desk.referenceTexts[static_cast<size_t>(i)];
}

// ---- hooks ----

void DeskInstall() {
    const std::string openLanguage = g_desk.openLanguage, openFile = g_desk.openFile;
    g_desk = DeskState{};
    g_desk.openLanguage = openLanguage;
    g_desk.openFile = openFile;
    std::vector<std::string> problems = LoadSettings();
    std::string referenceProblem;
    g_desk.reference = PickReference(g_project.folders, ReadRememberedReference(&referenceProblem));
    if (!referenceProblem.empty()) problems.push_back(referenceProblem);
    TellSideFileProblems(problems);
    UpdateTitle();
}

void DeskFileLoaded() {
    const std::string& key = CurrentKey();
    const size_t slash = key.find('\\');
    g_desk.language = slash == std::string::npos ? std::string() : key.substr(0, slash);
    g_desk.file = slash == std::string::npos ? key : key.substr(slash + 1);
    LoadReference();
    RecomputeFile();
    g_desk.savedTexts = g_store.texts;
    g_desk.changedItems = 0;
    UpdateFindCount();
    UpdateTitle();
}

void DeskItemShown(int32_t) {
    UpdateFindCount();
    UpdateTitle();
}

void DeskItemCommitted(int32_t i) {
    if (i < 0 || static_cast<size_t>(i) >= g_desk.states.size()) return;
    ComputeState(i, LimitOfFile());
    RefreshRowMark(i);
    UpdateIndexEntry(i);
    g_desk.matches = FindMatches(g_desk.index, g_desk.needle);
    g_desk.changedItems = 0;
    for (int k = 0; k < ItemCount(); ++k)
        if (static_cast<size_t>(k) >= g_desk.savedTexts.size() ||
            g_desk.savedTexts[static_cast<size_t>(k)] != ItemText(k))
            ++g_desk.changedItems;
    UpdateFindCount();
    UpdateTitle();
}

void DeskFileSaved() {
    g_desk.savedTexts = g_store.texts;
    g_desk.changedItems = 0;
    UpdateTitle();
}

// What the checks say of an item's row.
RowMark DeskRowMark(int32_t i) {
    if (i < 0 || static_cast<size_t>(i) >= g_desk.states.size()) return RowMark::Translated;
    switch (g_desk.states[static_cast<size_t>(i)]) {
        case ItemState::Untranslated:
            return RowMark::Untranslated;
        case ItemState::Problem:
            return RowMark::Problem;
        case ItemState::Translated:
            break;
    }
    return RowMark::Translated;
}

const Feature kDeskFeature = {
    .name = "desk",
    .install = DeskInstall,
    .fileLoaded = DeskFileLoaded,
    .itemShown = DeskItemShown,
    .itemCommitted = DeskItemCommitted,
    .fileSaved = DeskFileSaved,
    .startPosition = [](LastPosition& at) { at = DeskStartPosition(at); },
    .key = DeskKey,
    .inputHandled = InputHandled,
    .describe = Describe,
    .rowMark = DeskRowMark,
    .refresh = UpdateTitle,
};

LastPosition DeskStartPosition(const LastPosition& stored) {
    if (g_desk.openLanguage.empty()) return stored;
    LastPosition at = stored;
    int folder = -1, file = -1;
    for (int i = 0; i < LanguageFolderCount(); ++i)
        if (LanguageFolder(i) == g_desk.openLanguage) folder = i;
    for (int j = 0; j < FileCount(); ++j)
        if (FileName(j) == g_desk.openFile) file = j;
    if (folder < 0 || file < 0) return stored;
    // The item remembered belongs to that file only.
    if (folder != stored.folder || file != stored.file) at.item = -1;
    at.folder = folder;
    at.file = file;
    return at;
}

// ---- keys ----

bool DeskKey(uint8_t key) {
    HideNotice();
    const bool ctrl = IsKeyDown(KEY_ANY_CTRL), shift = IsKeyDown(KEY_ANY_SHIFT);
    if (IsKeyDown(KEY_ANY_ALT)) return false;  // Ctrl+Alt+S is the screenshot, AltGr types
    switch (key) {
        case VK_F2:
            CycleReference();
            return true;
        case VK_F3:
            FindNext(shift ? -1 : +1);
            return true;
        case VK_ESCAPE:
            if (!g_desk.findOpen) return false;
            CloseFind();
            return true;
        case 'F':
            if (!ctrl) return false;
            OpenFind();
            return true;
        case 'S':
            if (!ctrl) return false;
            Compile();
            return true;
        case 'B':
            if (!ctrl) return false;
            CopyReferenceIntoBox();
            return true;
        case VK_UP:
        case VK_DOWN:
            if (!ctrl) return false;
            GoToUntranslated(key == VK_DOWN ? +1 : -1);
            return true;
        case VK_RETURN:
        case KEY_NUMENTER:
            if (ctrl && FocusIs("Text")) return CommitAndNext(), true;
            if (!ctrl && desk::FindBoxHasFocus()) return FindNext(shift ? -1 : +1), true;
            return false;
        case VK_PRIOR:
        case VK_NEXT:
        case VK_HOME:
        case VK_END:
            return !ctrl && ListKey(key);
        default:
            return false;
    }
}

void CycleReference() {
    g_desk.reference = NextReference(g_project.folders, g_desk.reference);
    const StoreResult remembered = RememberReference(g_desk.reference);
    CommitText();
    LoadReference();
    RecomputeFile();
    if (CurrentItem() >= 0) ShowDescPanel(CurrentItem());
    UpdateFindCount();
    UpdateTitle();
    Notice("Reference: " + g_desk.reference +
           (remembered.ok ? std::string() : " (not remembered: " + remembered.message + ")"));
}

bool CopyReferenceIntoBox() {
    const int32_t i = CurrentItem();
    if (i < 0 || i != g_editor.shownItem) return false;
    if (!g_desk.referenceIsOther) {
        Notice(g_desk.reference == g_desk.language ? "The reference is the language being edited"
                                                   : "No reference text to copy");
        return false;
    }
    // One undo step, so Ctrl+Z brings back what the translator had typed.
    Control* box = FindControl("Text");
    if (!ReplaceTextRange(box, 0, static_cast<uint32_t>(TextEditOf(box)->Length()), TextBoxView(ReferenceText(i)))) {
        Notice("The reference text is too long for this item: it would pass 32767 bytes");
        return false;
    }
    UpdateTitle();
    return true;
}

bool GoToUntranslated(int direction) {
    ListBox* list = g_editor.items;
    if (!list || list->ItemCount() == 0) return false;
    CommitText();
    const int32_t from = list->current;
    const int target = NextUntranslated(g_desk.states, from, direction);
    if (target < 0) {
        Notice("Every item of this file is translated");
        return false;
    }
    if (target == from) {
        Notice("This is the only untranslated item");
        return true;
    }
    list->SelectItem(target);
    return true;
}

bool CommitAndNext() {
    ListBox* list = g_editor.items;
    if (!list || list->current < 0) return false;
    CommitText();
    if (list->current + 1 >= list->ItemCount()) {
        Notice("This is the last item");
        return false;
    }
    list->SelectItem(list->current + 1);
    return true;
}
