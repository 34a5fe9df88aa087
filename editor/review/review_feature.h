// review_feature.h - review states in the editor: per item of the loaded language a state
// (untranslated, translated, needs review, approved), the source text it was translated
// from (so a changed source shows, with a word diff) and a comment, kept in
// "Translation state/<language>.tsv" and written with the loaded file. A feature beside
// the editing flow (features.h): the item list's pictures, the keys Ctrl+U, Ctrl+Shift+U,
// Alt+Down, Alt+Up and Ctrl+M, and the review part of the panel under the description.
#pragma once

#include <cstdint>
#include <string>

#include "editor/features.h"
#include "editor/review/state_file.h"

extern const Feature kReviewFeature;

// ---- what the keys do, callable by tests ----
bool ToggleNeedsReview();        // Ctrl+U: on a changed source, takes the new source instead
bool ToggleApproved();           // Ctrl+Shift+U
bool GoToReview(int direction);  // Alt+Down (+1), Alt+Up (-1): needs review or source changed
void OpenCommentDialog();        // Ctrl+M
bool SetComment(int32_t i, const std::string& comment);

// ---- what the feature knows of the loaded file ----
review::ReviewState ReviewStateOf(int32_t i);
bool SourceChangedAt(int32_t i);
int ItemsToReview();  // needs review or source changed
// The project's source language: "English", else the first language folder.
std::string ProjectSourceLanguage();
