// conflict_feature.cpp - merge conflicts in the editor: read with the loaded file, shown as
// the rows' picture and the panel's conflict part, settled by a key each, and written back
// (or removed) with the loaded file through the project's journal.
#include "editor/conflict/conflict_feature.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

#include "editor/editor.h"
#include "editor/text_store.h"
#include "engine/engine.h"
#include "gui/controls/listbox.h"
#include "gui/controls/text_edit.h"
#include "gui/gui.h"
#include "platform/platform.h"

namespace {

using panel::kDefault;
using panel::kHeading;
using panel::kQuiet;

struct ConflictFeatureState {
    std::string file;  // the loaded file's name ("menu")
    std::string path;  // its conflict file, in the documented form; empty: none loaded
    conflict::Conflicts conflicts;
    bool present = false;     // the file was there when the loaded file was read
    bool readable = true;     // false while the file is damaged: then it is left as it is
    bool settled = false;     // a conflict was settled since the file was last written
    std::vector<int32_t> at;  // per item of the loaded file, its place in `conflicts` (-1: none)
};
ConflictFeatureState g_conflict;

void Reindex() {
    g_conflict.at.assign(size_t(std::max(ItemCount(), 0)), -1);
    for (size_t k = 0; k < g_conflict.conflicts.size(); ++k) {
        const int32_t index = g_conflict.conflicts[k].index;
        // Records of another file's name cannot be this file's items: kept, not shown.
        if (g_conflict.conflicts[k].file == g_conflict.file && index >= 0 && size_t(index) < g_conflict.at.size())
            g_conflict.at[size_t(index)] = int32_t(k);
    }
}

void Notice(const std::string& text) { ShowToolTipAt(text.c_str(), 20, 570, 1.0f); }

// A damaged file is said once, with its line, and left alone until it is mended.
void OnFileLoaded() {
    g_conflict = ConflictFeatureState{};
    const std::string& key = CurrentKey();
    const size_t slash = key.find('\\');
    if (slash != std::string::npos) {
        g_conflict.file = key.substr(slash + 1);
        g_conflict.path = conflict::ConflictFilePath(key.substr(0, slash), g_conflict.file);
        std::error_code ec;
        g_conflict.present = std::filesystem::exists(PlatFsPath(HostPath(g_conflict.path)), ec);
    }
    if (g_conflict.present) {
        std::string bytes, why;
        if (PlatReadFile(HostPath(g_conflict.path), bytes, &why) &&
            conflict::ParseConflictFile(bytes, g_conflict.conflicts, why)) {
        } else {
            g_conflict.readable = false;
            g_conflict.conflicts.clear();
            const std::string text = "Cannot read the merge conflicts " + HostPath(g_conflict.path) + ": " + why +
                                     "\n\nThe editor shows no conflicts for this file and leaves that file as it is "
                                     "until it is mended.";
            if (Ask(text, "Merge conflicts", "Ok", 0) < 0) std::fprintf(stderr, "%s\n", text.c_str());
        }
    }
    Reindex();
    if (const int n = ConflictCount(); n > 0)
        Notice(std::to_string(n) + (n == 1 ? " item was" : " items were") +
               " left in conflict by a merge: Ctrl+T takes theirs, Ctrl+K keeps yours");
}

int32_t CurrentItem() { return g_editor.items ? g_editor.items->current : -1; }

// Removes item i's conflict: its row and the panel lose it at once, the file follows with
// the next save.
void Settle(int32_t i, const char* how) {
    g_conflict.conflicts.erase(g_conflict.conflicts.begin() + g_conflict.at[size_t(i)]);
    g_conflict.settled = true;
    Reindex();
    RefreshRowMark(i);
    ShowDescPanel(i);
    RefreshFeatures();
    const int left = ConflictCount();
    Notice(std::string(how) +
           (left == 0 ? "; no conflict is left in this file"
                      : "; " + std::to_string(left) + (left == 1 ? " conflict" : " conflicts") + " left in this file"));
}

void FilesToSave(std::vector<PlatFileWrite>& files) {
    if (!g_conflict.readable || !g_conflict.settled || g_conflict.conflicts.empty()) return;
    files.push_back({g_conflict.path, conflict::WriteConflictFile(g_conflict.conflicts)});
}

// The last conflict settled and the texts written: the file has nothing more to say.
void OnFileSaved() {
    if (!g_conflict.readable || !g_conflict.settled) return;
    g_conflict.settled = false;
    if (!g_conflict.conflicts.empty() || !g_conflict.present) return;
    std::error_code ec;
    const std::filesystem::path file = PlatFsPath(HostPath(g_conflict.path));
    std::filesystem::remove(file, ec);
    if (ec) {
        Notice("Cannot remove " + HostPath(g_conflict.path) + ": " + ec.message());
        return;
    }
    g_conflict.present = false;
    // The language's folder and the conflicts folder go with their last file.
    std::filesystem::remove(file.parent_path(), ec);
    std::filesystem::remove(file.parent_path().parent_path(), ec);
}

RowMark ConflictRowMark(int32_t i) { return ConflictOf(i) ? RowMark::Conflict : RowMark::Translated; }

// Under the reference: theirs and the base; ours is what the text box holds.
void Describe(int32_t i, const Font* font, DescParts& parts) {
    const conflict::ItemConflict* c = ConflictOf(i);
    if (!c) return;
    std::string text = std::string(kHeading) + "Merge conflict" + kDefault + kQuiet +
                       " (Ctrl+T takes theirs, Ctrl+K keeps yours)" + kDefault + "\n";
    text += std::string(kHeading) + "Theirs" + kDefault + "\n" + panel::Shown(c->theirs, font) + "\n";
    text += std::string(kHeading) + "Base" + kDefault + "\n" + panel::Shown(c->base, font);
    parts[size_t(DescSection::Conflict)] = std::move(text);
}

bool ConflictKey(uint8_t key) {
    const bool ctrl = IsKeyDown(KEY_ANY_CTRL), shift = IsKeyDown(KEY_ANY_SHIFT), alt = IsKeyDown(KEY_ANY_ALT);
    if (!ctrl || shift || alt || (key != 'T' && key != 'K')) return false;
    if (!ConflictOf(CurrentItem())) {
        Notice("This item has no merge conflict");
        return true;
    }
    return key == 'T' ? TakeTheirs() : KeepOurs(), true;
}

}  // namespace

const conflict::ItemConflict* ConflictOf(int32_t i) {
    if (i < 0 || size_t(i) >= g_conflict.at.size() || g_conflict.at[size_t(i)] < 0) return nullptr;
    return &g_conflict.conflicts[size_t(g_conflict.at[size_t(i)])];
}

int ConflictCount() {
    return int(std::count_if(g_conflict.at.begin(), g_conflict.at.end(), [](int32_t k) { return k >= 0; }));
}

// Put in as an edit of the text box (one undo step), then the stored bytes made exactly
// theirs: the box cannot show every byte (carriage returns), the file must hold them.
bool TakeTheirs() {
    const int32_t i = CurrentItem();
    const conflict::ItemConflict* c = ConflictOf(i);
    if (!c) return false;
    const std::string theirs = c->theirs;
    Control* box = FindControl("Text");
    if (const TextEdit* edit = TextEditOf(box)) {
        SetFocusTo("Text");
        ReplaceTextRange(box, 0, uint32_t(edit->Length()), theirs);
    }
    CommitText();
    if (ItemText(i) != theirs) {
        SetItemText(i, theirs);
        FeaturesItemCommitted(i);
    }
    Settle(i, "Theirs taken");
    return true;
}

bool KeepOurs() {
    const int32_t i = CurrentItem();
    if (!ConflictOf(i)) return false;
    CommitText();
    Settle(i, "Yours kept");
    return true;
}

const Feature kConflictFeature = {
    .name = "merge conflicts",
    .install = [] { g_conflict = ConflictFeatureState{}; },
    .fileLoaded = OnFileLoaded,
    .fileSaved = OnFileSaved,
    .key = ConflictKey,
    .describe = Describe,
    .rowMark = ConflictRowMark,
    .filesToSave = FilesToSave,
    .unsaved = [] { return g_conflict.settled; },
};
