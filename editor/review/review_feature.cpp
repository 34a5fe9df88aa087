// review_feature.cpp - review states in the editor: read with the loaded language, kept in
// step with every commit and key, written with the loaded file through the project's
// journal, shown as the item list's pictures and as the review part of the panel.
#include "editor/review/review_feature.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

#include "editor/desk_navigation.h"
#include "editor/desk_reference.h"
#include "editor/editor.h"
#include "editor/project.h"
#include "editor/qa/qa_checks.h"
#include "editor/text_store.h"
#include "engine/engine.h"
#include "gui/controls/listbox.h"
#include "gui/gui.h"
#include "platform/platform.h"
#include "render/font.h"

namespace {

using panel::kDefault;
using panel::kHeading;

constexpr const char* kDialog = "ReviewComment";
constexpr const char* kDialogText = "ReviewCommentText";

struct ReviewFeatureState {
    std::string language, file;  // the loaded file ("German", "menu")
    // The states of `statesLanguage`; `readable` false while its file is damaged: then
    // nothing is shown for it and its file is never written.
    std::string statesLanguage;
    review::StateFile states;
    bool readable = false;
    bool unsaved = false;       // changed by the translator since the file was last written
    bool pendingWrite = false;  // translations found without a record, recorded on load
    // The source texts of the loaded file, when the loaded language is not the source.
    std::vector<std::string> sources;
    bool sourcesKnown = false;
    int32_t commentItem = -1;       // the item the open comment dialog is for
    uint8_t escapeQuitsBefore = 1;  // Escape closes the dialog while it is open
    // Per item of the loaded file, where its record is in states.items (-1: none), and how
    // many items are to review: looked up for every row and every title, so kept ready.
    std::vector<int32_t> at;
    int toReview = 0;
};
ReviewFeatureState g_review;

std::string StatePath(const std::string& language) {
    return std::string(review::kStateFolder) + "\\" + review::StateFileName(language);
}

const std::string& SourceOf(int32_t i) {
    static const std::string none;
    return g_review.sourcesKnown && i >= 0 && size_t(i) < g_review.sources.size() ? g_review.sources[size_t(i)] : none;
}

bool Usable() { return g_review.readable && !g_review.file.empty(); }

const review::ItemReview* Find(int32_t i) {
    if (i < 0 || size_t(i) >= g_review.at.size() || g_review.at[size_t(i)] < 0) return nullptr;
    return &g_review.states.items[size_t(g_review.at[size_t(i)])];
}

review::ItemReview RecordOf(int32_t i) {
    if (const review::ItemReview* r = Find(i)) return *r;
    review::ItemReview fresh;
    fresh.file = g_review.file;
    fresh.index = i;
    return fresh;
}

bool ToReview(int32_t i) { return SourceChangedAt(i) || ReviewStateOf(i) == review::ReviewState::NeedsReview; }

// The index of the loaded file's records and the count to review, after any change.
void Reindex() {
    g_review.at.assign(size_t(std::max(ItemCount(), 0)), -1);
    const std::vector<review::ItemReview>& items = g_review.states.items;
    for (size_t k = 0; k < items.size(); ++k)
        if (items[k].file == g_review.file && items[k].index >= 0 && size_t(items[k].index) < g_review.at.size())
            g_review.at[size_t(items[k].index)] = int32_t(k);
    g_review.toReview = 0;
    for (int32_t i = 0; i < ItemCount(); ++i) g_review.toReview += ToReview(i);
}

void Store(int32_t i, review::ItemReview record) {
    if (record == RecordOf(i)) return;
    review::SetReview(g_review.states, std::move(record));
    Reindex();
    g_review.unsaved = true;
    RefreshRowMark(i);
    if (g_editor.items && g_editor.items->current == i) ShowDescPanel(i);
    RefreshFeatures();
}

bool TextUntranslated(int32_t i) { return qa::IsUntranslated(ItemText(i), SourceOf(i), g_review.sourcesKnown); }

void Notice(const std::string& text) { ShowToolTipAt(text.c_str(), 20, 570, 1.0f); }

// Reads the language's state file; a damaged one is said once, with its line, and left
// alone until it is mended.
void LoadStates(const std::string& language) {
    g_review.statesLanguage = language;
    g_review.states = {};
    g_review.states.sourceLanguage = ProjectSourceLanguage();
    g_review.readable = true;
    g_review.unsaved = g_review.pendingWrite = false;
    g_review.at.clear();
    const std::string path = StatePath(language);
    std::error_code ec;
    if (!std::filesystem::exists(PlatFsPath(HostPath(path)), ec)) return;  // none yet
    std::string bytes, why;
    review::StateFileError error;
    if (!PlatReadFile(HostPath(path), bytes, &why)) {
        error.message = why;
    } else if (review::ParseStateFile(bytes, g_review.states, error)) {
        return;
    }
    g_review.readable = false;
    g_review.states = {};
    const std::string text = "Cannot read " + HostPath(path) + ": " + (error.line > 0 ? error.Text() : error.message) +
                             "\n\nThe editor goes on without review states for " + language +
                             " and leaves the file as it is until it is mended.";
    if (Ask(text, "Review states", "Ok", 0) < 0) std::fprintf(stderr, "%s\n", text.c_str());
}

// The source texts of the loaded file, from the language the recorded ones came from.
void LoadSources() {
    g_review.sources.clear();
    g_review.sourcesKnown = false;
    const std::string& source = g_review.states.sourceLanguage;
    if (source.empty() || source == g_review.language) return;
    g_review.sourcesKnown = ReadReferenceTexts(source, g_review.file, g_review.sources).ok;
}

// Translations made before states were kept: recorded now with the source as it is.
// Nothing to record without a source (the source language itself, or its file missing).
void RecordExistingTranslations() {
    if (!g_review.sourcesKnown) return;
    for (int32_t i = 0; i < ItemCount(); ++i) {
        if (Find(i) || TextUntranslated(i)) continue;
        review::SetReview(g_review.states, {g_review.file, i, review::ReviewState::Translated, SourceOf(i), ""});
        // Written with the next save, but no change of the translator's to warn about.
        g_review.pendingWrite = true;
    }
}

void OnFileLoaded() {
    const std::string& key = CurrentKey();
    const size_t slash = key.find('\\');
    g_review.language = slash == std::string::npos ? std::string() : key.substr(0, slash);
    g_review.file = slash == std::string::npos ? std::string() : key.substr(slash + 1);
    if (g_review.language.empty()) return;
    if (g_review.language != g_review.statesLanguage) LoadStates(g_review.language);
    LoadSources();
    Reindex();
    if (g_review.readable) RecordExistingTranslations();
    Reindex();
}

void OnItemCommitted(int32_t i) {
    if (!Usable()) return;
    review::ItemReview record = RecordOf(i);
    if (TextUntranslated(i)) {
        record.state = review::ReviewState::Untranslated;
        record.recordedSource.clear();
    } else {
        // An edit takes an approval back; needs review stays until someone clears it.
        if (record.state != review::ReviewState::NeedsReview) record.state = review::ReviewState::Translated;
        record.recordedSource = SourceOf(i);
    }
    Store(i, std::move(record));
}

void FilesToSave(std::vector<PlatFileWrite>& files) {
    if (!g_review.readable || g_review.statesLanguage.empty() || !(g_review.unsaved || g_review.pendingWrite)) return;
    // A folder of its own at the project's root, beside Texts (whose folders the game
    // and the start-up check read).
    std::error_code ec;
    std::filesystem::create_directories(PlatFsPath(review::kStateFolder), ec);
    files.push_back({StatePath(g_review.statesLanguage), review::WriteStateFile(g_review.states)});
}

void OnFileSaved() {
    if (g_review.readable) g_review.unsaved = g_review.pendingWrite = false;
}

RowMark ReviewRowMark(int32_t i) {
    if (!Usable()) return RowMark::Translated;
    if (SourceChangedAt(i)) return RowMark::ReferenceChanged;
    switch (ReviewStateOf(i)) {
        case review::ReviewState::NeedsReview:
            return RowMark::NeedsReview;
        case review::ReviewState::Approved:
            return RowMark::Approved;
        default:
            return RowMark::Translated;
    }
}

// The panel's review part: the state when it is not plain, the comment, and what changed
// in the source since the item was translated.
void Describe(int32_t i, const Font* font, DescParts& parts) {
    if (!Usable() || i < 0 || i >= ItemCount()) return;
    const review::ItemReview record = RecordOf(i);
    std::string text;
    if (record.state == review::ReviewState::NeedsReview)
        text += std::string(kHeading) + "Needs review" + kDefault;
    else if (record.state == review::ReviewState::Approved)
        text += std::string(kHeading) + "Approved" + kDefault;
    if (!record.comment.empty()) {
        if (!text.empty()) text += "\n";
        text += std::string(kHeading) + "Comment" + kDefault + "\n" + panel::Shown(record.comment, font);
    }
    if (SourceChangedAt(i)) {
        if (!text.empty()) text += "\n\n";
        text += std::string(kHeading) + g_review.states.sourceLanguage + " changed since translated" + kDefault + "\n";
        text += panel::Diff(record.recordedSource, SourceOf(i), font);
    }
    parts[size_t(DescSection::Review)] = std::move(text);
}

// ---- the comment dialog ----

void CloseCommentDialog() {
    if (FindControl(kDialog)) DestroyControl(kDialog);
    if (g_review.commentItem >= 0) g_engine.escapeQuits = g_review.escapeQuitsBefore;
    g_review.commentItem = -1;
}

void OnCommentOk(int32_t) {
    const int32_t item = g_review.commentItem;
    std::string comment;
    if (Control* box = FindControl(kDialogText)) {
        const int size = box->GetProperty("Text", nullptr);
        comment.resize(size_t(std::max(size, 0)));
        if (size > 0) box->GetProperty("Text", comment.data());
        comment = comment.substr(0, comment.find('\0'));
    }
    CloseCommentDialog();
    SetComment(item, comment);
    SetFocusTo("Text");
}

void OnCommentCancel(int32_t) {
    CloseCommentDialog();
    SetFocusTo("Text");
}

bool ReviewKey(uint8_t key) {
    if (key == VK_ESCAPE && g_review.commentItem >= 0) return OnCommentCancel(0), true;
    const bool ctrl = IsKeyDown(KEY_ANY_CTRL), shift = IsKeyDown(KEY_ANY_SHIFT), alt = IsKeyDown(KEY_ANY_ALT);
    if (ctrl && !alt && key == 'U') return shift ? ToggleApproved() : ToggleNeedsReview(), true;
    if (ctrl && !alt && !shift && key == 'M') return OpenCommentDialog(), true;
    if (alt && !ctrl && !shift && (key == VK_DOWN || key == VK_UP)) return GoToReview(key == VK_DOWN ? +1 : -1), true;
    return false;
}

int32_t CurrentItem() { return g_editor.items ? g_editor.items->current : -1; }

}  // namespace

// ---- public ----

std::string ProjectSourceLanguage() { return PickReference(g_project.folders, ""); }

review::ReviewState ReviewStateOf(int32_t i) {
    if (!Usable()) return review::ReviewState::Untranslated;
    const review::ItemReview* r = Find(i);
    return r ? r->state : review::ReviewState::Untranslated;
}

bool SourceChangedAt(int32_t i) {
    if (!Usable() || !g_review.sourcesKnown) return false;
    const review::ItemReview* r = Find(i);
    return r && r->state != review::ReviewState::Untranslated && review::ReferenceChanged(*r, SourceOf(i));
}

int ItemsToReview() { return Usable() ? g_review.toReview : 0; }

bool ToggleNeedsReview() {
    const int32_t i = CurrentItem();
    if (!Usable() || i < 0) return false;
    CommitText();
    review::ItemReview record = RecordOf(i);
    if (SourceChangedAt(i)) {
        // Seen: the translation stands for the new source.
        record.recordedSource = SourceOf(i);
        Notice("The new " + g_review.states.sourceLanguage + " text is taken as seen");
    } else {
        const bool marked = record.state == review::ReviewState::NeedsReview;
        record.state = marked
                           ? (TextUntranslated(i) ? review::ReviewState::Untranslated : review::ReviewState::Translated)
                           : review::ReviewState::NeedsReview;
        if (!TextUntranslated(i) && record.recordedSource.empty()) record.recordedSource = SourceOf(i);
    }
    Store(i, std::move(record));
    return true;
}

bool ToggleApproved() {
    const int32_t i = CurrentItem();
    if (!Usable() || i < 0) return false;
    CommitText();
    if (TextUntranslated(i)) {
        Notice("An untranslated item cannot be approved");
        return false;
    }
    review::ItemReview record = RecordOf(i);
    record.state =
        record.state == review::ReviewState::Approved ? review::ReviewState::Translated : review::ReviewState::Approved;
    record.recordedSource = SourceOf(i);
    Store(i, std::move(record));
    return true;
}

bool GoToReview(int direction) {
    ListBox* list = g_editor.items;
    if (!list || list->ItemCount() == 0) return false;
    CommitText();
    const int32_t from = list->current;
    const int target = NextWhere(list->ItemCount(), from, direction, ToReview);
    if (target < 0) {
        Notice("Nothing in this file is left to review");
        return false;
    }
    if (target == from) {
        Notice("This is the only item to review");
        return true;
    }
    list->SelectItem(target);
    return true;
}

bool SetComment(int32_t i, const std::string& comment) {
    if (!Usable() || i < 0 || i >= ItemCount()) return false;
    review::ItemReview record = RecordOf(i);
    if (record.comment == comment) return true;
    record.comment = comment;
    Store(i, std::move(record));
    return true;
}

void OpenCommentDialog() {
    const int32_t i = CurrentItem();
    if (!Usable() || i < 0) {
        if (!g_review.readable && !g_review.statesLanguage.empty())
            Notice("The review states of this language are damaged");
        return;
    }
    CloseCommentDialog();
    g_review.commentItem = i;
    g_review.escapeQuitsBefore = g_engine.escapeQuits;
    g_engine.escapeQuits = 0;
    CreateControl("Dialog", kDialog, "Sheet01", 310, 150, 485, 170);
    SetControlProperty(kDialog, "Text", ("Comment on " + ItemName(i)).c_str());
    BindControlEvent(kDialog, "Close", [] { OnCommentCancel(0); });
    CreateControl("MLTextBox", kDialogText, kDialog, 6, 26, 473, 110);
    SetControlProperty(kDialogText, "Text", RecordOf(i).comment.c_str());
    CreateControl("Button", "ReviewCommentOk", kDialog, 329, 142, 70, 22);
    SetControlProperty("ReviewCommentOk", "Text", "OK");
    BindControlEvent("ReviewCommentOk", "Click", OnCommentOk);
    CreateControl("Button", "ReviewCommentCancel", kDialog, 405, 142, 74, 22);
    SetControlProperty("ReviewCommentCancel", "Text", "Cancel");
    BindControlEvent("ReviewCommentCancel", "Click", OnCommentCancel);
    SetFocusTo(kDialogText);
}

const Feature kReviewFeature = {
    .name = "review",
    .install = [] { g_review = ReviewFeatureState{}; },
    .fileLoaded = OnFileLoaded,
    .itemCommitted = OnItemCommitted,
    .fileSaved = OnFileSaved,
    .shutdown = CloseCommentDialog,
    .key = ReviewKey,
    .describe = Describe,
    .rowMark = ReviewRowMark,
    .filesToSave = FilesToSave,
    .toReview = ItemsToReview,
    .unsaved = [] { return g_review.unsaved; },
};
