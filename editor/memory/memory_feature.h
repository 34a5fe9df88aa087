// memory_feature.h - translation memory, glossary and consistency in the editor: when a
// language is opened its items (all its files) and the TMX files of "Translation memory/"
// are indexed once; the panel under the description shows up to three suggestions for
// the current item with their scores and what differs, the glossary's terms found in its
// source, and the consistency warnings; Ctrl+1 ... Ctrl+3 put a suggestion into the
// text box as one undo step. A feature beside the editing flow (features.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "editor/features.h"

extern const Feature kMemoryFeature;

// ---- for tests ----
struct ShownSuggestion {
    int score = 0;
    std::string origin;  // "menu:3:LoadGame", or the TMX file's name
    std::string source, translation;
};
// The suggestions the panel shows for item i, best first.
std::vector<ShownSuggestion> SuggestionsFor(int32_t i);
// Ctrl+1 ... Ctrl+3: puts suggestion n (from 1) for the current item into the text box,
// its tags and placeholders those of the item's source where they correspond one to one.
bool InsertSuggestion(int n);
// `translation` with the tags and placeholders of `fromSource` replaced by those of
// `toSource` when the two sources have as many of each and each maps to one.
std::string AdaptSuggestion(const std::string& translation, const std::string& fromSource, const std::string& toSource);
