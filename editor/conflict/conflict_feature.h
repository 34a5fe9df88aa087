// conflict_feature.h - the items that a merge of the loaded file left in conflict
// (loctool merge, "Translation state/conflicts/<language>/<file>.tsv"): a picture on their
// rows, their theirs and base texts in the panel under the description, Ctrl+T to take
// theirs and Ctrl+K to keep ours. The shrinking file is written with the loaded file and
// removed once the last conflict is settled. A feature beside the editing flow (features.h).
#pragma once

#include <cstdint>

#include "editor/conflict/conflict_file.h"
#include "editor/features.h"

extern const Feature kConflictFeature;

// ---- what the keys do, callable by tests ----
bool TakeTheirs();  // Ctrl+T: the current item's text becomes theirs, and its conflict is settled
bool KeepOurs();    // Ctrl+K: the current item keeps its text, and its conflict is settled

// The conflict of item i of the loaded file, or null.
const conflict::ItemConflict* ConflictOf(int32_t i);
int ConflictCount();  // of the loaded file, settled ones not counted
