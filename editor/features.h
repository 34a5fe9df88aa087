// features.h - the features beside the editing flow: the translator's desk, spelling in
// the text box, and whatever a team needs next (review states, translation memory,
// fitting texts to the game, merge conflicts). The flow (editor.cpp) raises its steps to
// the list (feature_list.cpp) and never names a feature; a feature answers the steps it
// cares about, takes the keys it owns, and adds its sections to the Desc panel.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "editor/editor.h"
#include "editor/qa/qa_checks.h"
#include "platform/platform.h"

struct Font;
struct Surface;

// The parts of the panel under an item's description, top to bottom. Each is text with
// colour tags, empty for nothing; the panel puts a blank line between two parts.
enum class DescSection : uint8_t { Reference, Problems, Review, Conflict, Suggestions, Fit, Count };
using DescParts = std::array<std::string, static_cast<size_t>(DescSection::Count)>;

// A drawn part of the panel, under its text: how tall it is at the panel's width, and
// what draws it into its box (x, y, w, h: where the GUI draws the panel's controls) each
// time the panel is drawn. Height 0 or no drawer: none.
struct PanelPicture {
    float height = 0;
    void (*draw)(float x, float y, float w, float h) = nullptr;
};

// The picture on an item's row in the list: of what the features say of the item, the
// one that asks most for the translator's attention, the later ones here first.
enum class RowMark : uint8_t {
    Translated,
    Approved,
    Untranslated,
    NeedsReview,
    ReferenceChanged,
    Problem,
    Conflict,
    Count
};
constexpr int kRowMarkCount = static_cast<int>(RowMark::Count);

// What a feature answers; any hook may be null.
struct Feature {
    const char* name = "";
    void (*install)() = nullptr;                 // the screen is built (Desc and Text exist); before the restore
    void (*fileLoaded)() = nullptr;              // a file was read into the list, or none could be
    void (*itemShown)(int32_t i) = nullptr;      // item i is in the text box
    void (*itemCommitted)(int32_t i) = nullptr;  // the text of item i changed in the store
    void (*fileSaved)() = nullptr;               // the loaded file was written
    void (*shutdown)() = nullptr;                // after the last save
    // The start position: the stored one, or one the feature was asked for.
    void (*startPosition)(LastPosition& at) = nullptr;
    // A key before the focused control sees it: true when it was the feature's.
    bool (*key)(uint8_t key) = nullptr;
    // After every key or mouse input the GUI handled.
    void (*inputHandled)() = nullptr;
    // Its parts of the panel for item i (what it leaves alone stays empty).
    void (*describe)(int32_t i, const Font* font, DescParts& parts) = nullptr;
    // Its picture under the panel's text for item i at the panel's width; the first
    // feature that gives one has the place.
    void (*picture)(int32_t i, float width, PanelPicture& out) = nullptr;
    // Its checks of the text of item i of the loaded file, beside the desk's own: the desk
    // lists what they find with its own findings (the problem list, the row's mark and
    // the title's count). Untranslated texts are not checked.
    void (*check)(int32_t i, std::string_view text, std::vector<qa::Finding>& found) = nullptr;
    // What it says of item i's row; Translated when it has nothing to say.
    RowMark (*rowMark)(int32_t i) = nullptr;
    // Files it writes together with the loaded file, all or none (the journal's write).
    void (*filesToSave)(std::vector<PlatFileWrite>& files) = nullptr;
    // How many items of the loaded file it has for a reviewer, for the window title.
    int (*toReview)() = nullptr;
    // Whether it holds changes not yet written.
    bool (*unsaved)() = nullptr;
    // Something another feature shows may have changed (the title, the counts).
    void (*refresh)() = nullptr;
};

// The features, in the order they are told of each step (feature_list.cpp).
const Feature* const* Features(size_t& count);

// ---- the steps, raised by the editing flow ----
void FeaturesInstall();
void FeaturesFileLoaded();
void FeaturesItemShown(int32_t i);
void FeaturesItemCommitted(int32_t i);
void FeaturesFileSaved();
void FeaturesShutdown();
LastPosition FeaturesStartPosition(const LastPosition& stored);
// What the features write together with the loaded file.
std::vector<PlatFileWrite> FeaturesFilesToSave();
// The sums of what the features say, for the window title.
int FeaturesToReview();
// Items of the loaded file some feature finds a problem in (its row mark says so).
int ItemsWithProblems();
bool FeaturesUnsaved();
// After a feature changed what it shows: every feature brings its part up to date.
void RefreshFeatures();
// What every feature's check finds in the text of item i.
std::vector<qa::Finding> FeaturesCheck(int32_t i, std::string_view text);

// ---- the item list's pictures ----
// Item i's picture from every feature's mark, or every row's. Features call them when what
// they say of a row changed; after a load the list refreshes every row itself.
void RefreshRowMark(int32_t i);
void RefreshRowMarks();
// The mark item i's row shows, and the picture of a mark (for tests).
RowMark RowMarkOf(int32_t i);
const Surface* RowMarkPicture(RowMark mark);

// ---- the panel under the description, inside the Desc label ----
// The colours of the panel's parts, as colour tags.
namespace panel {
inline constexpr const char* kHeading = "<color 0,0,160>";
inline constexpr const char* kQuiet = "<color 110,110,110>";
inline constexpr const char* kProblem = "<color 190,0,0>";
inline constexpr const char* kWarning = "<color 170,100,0>";
inline constexpr const char* kAdded = "<color 0,130,0>";
inline constexpr const char* kDefault = "<color default>";
// A text as written: its colour tags shown as letters (TagsAsText with a hair space when
// the font has one).
std::string Shown(std::string_view text, const Font* font);
// What changed from `from` to `to`, word by word: removed in red, added in green.
std::string Diff(std::string_view from, std::string_view to, const Font* font);
}  // namespace panel

// Builds the panel for item i from every feature's parts and picture; hidden when they are
// all empty or i is no item. Features call it when what they show changed.
void ShowDescPanel(int32_t i);
void HideDescPanel();
// The panel's text for item i, as shown (for tests).
std::string DescPanelText(int32_t i, const Font* font);
