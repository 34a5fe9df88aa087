// fit_feature.h - does it fit the game? In the editor: the room each text of the loaded
// file has in the game ([font], [width], [lines] and the per-item sections of
// zazovi-project.ini, editor/fit/fit_check.h), and its width, lines and glyph checks
// beside the desk's in the problem list. Without [font] the editor's own font stands in.
// A feature beside the editing flow (features.h).
#pragma once

#include "editor/features.h"

extern const Feature kFitFeature;
