// scale_feature.h - the screen's scale by hand: Ctrl+Plus (Ctrl+=, keypad +) grows it a
// step, Ctrl+Minus (keypad -) shrinks it a step, Ctrl+0 goes back to the display's own
// scale. The window is resized to the new scale where the desktop's work area holds it,
// and the hand-set scale is kept for the user (scale_setting.h). A feature beside the
// editing flow (features.h).
#pragma once

#include "editor/features.h"

extern const Feature kScaleFeature;

// The scale the window opens at: the user's hand-set one, else the display's.
float StartScale();

// ---- what the keys do, callable by tests ----
bool StepScale(int steps);  // +1 / -1; false (and a notice) when it cannot
bool ResetScale();          // the display's own scale; forgets the hand-set one
