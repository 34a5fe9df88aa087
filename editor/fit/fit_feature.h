// fit_feature.h - does it fit the game? In the editor: the room each text of the loaded
// file has in the game ([font], [width], [lines] and the per-item sections of
// zazovi-project.ini, editor/fit/fit_check.h), its width, lines and glyph checks beside
// the desk's in the problem list, and for an item with a width a live picture in the
// panel under the description (fit_preview.h): the text as the game draws it in its font
// and box, the part that does not fit in red, the missing glyphs boxed, with the measure
// ("212/180 px, 2/1 lines") and the scale in the Fit part. The text box is measured
// again once typing has rested, never on the keystroke itself. Without [font] the
// editor's own font stands in. A feature beside the editing flow (features.h).
#pragma once

#include <string>

#include "editor/features.h"
#include "editor/fit/fit_check.h"

extern const Feature kFitFeature;

// How long typing must rest before the text box is measured again.
constexpr float kFitPauseSeconds = 0.3f;

// ---- what the panel shows, for tests ----
struct FitShown {
    int32_t item = -1;  // -1: nothing measured
    std::string text;   // the text measured: the text box's when it shows the item
    fit::Room room;
    fit::Layout layout;
    std::string summary;  // "212/180 px, 2/1 lines"
    float scale = 1;      // of the picture
};
const FitShown& ShownFit();
// Measures the text box's text again at once, as when typing has rested.
void MeasureFitNow();
