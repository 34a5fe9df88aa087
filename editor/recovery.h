// recovery.h - where the loaded texts go when a save cannot be made: a new recovery
// file in the first place that takes one (beside the .loc, the project folder, the
// user's data folder, the temporary folder), as a .loc when the texts fit the format
// and else in loctool's text form, which has no length limit; standard error last.
#pragma once

#include <string>

#include "editor/text_store.h"

// The loaded file's names and texts in loctool's text form; `loctool pack` makes a
// .loc of it again once every text fits the format.
std::string RecoveryText();
// Writes the loaded texts to a new file and never over an existing one:
// "menu.loc.recovered" beside the .loc (then .recovered2, 3, ... when taken), else
// "zazovi-<language>-menu.loc.recovered" in the project folder, the user's data folder
// and the temporary folder, in that order. Texts the .loc format cannot hold (one longer
// than 32767 bytes) go in the text form, under ".recovered.txt" (".recovered2.txt",
// ...). On success `path` is the file's full host path.
StoreResult WriteRecoveryFile(std::string& path);
// The last resort when no file could be written: the text form on standard error.
void WriteRecoveryToStderr();
