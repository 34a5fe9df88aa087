// box_spelling.h - spelling in the main screen's text box: the misspelled words of the
// text get a red wavy line, checked when an item is shown and when typing pauses (never
// on the keystroke itself), with the dictionary of the language folder being edited;
// Ctrl+. on such a word offers suggestions. Checked with Hunspell (editor/qa/box_spelling.cpp).
// A feature beside the editing flow (features.h).
#pragma once

#include "editor/features.h"

extern const Feature kBoxSpellingFeature;

// How long typing must rest before the text is checked again.
constexpr float kSpellPauseSeconds = 0.3f;

// Once the `Text` box exists: watches it and takes Ctrl+. in it. Forgets the
// dictionaries of an earlier screen (the project folder may be another one).
void StartBoxSpelling();
// An item was shown: its text is checked at once.
void CheckBoxSpellingNow();
// Ctrl+.: suggestions for the misspelled word at the caret; the chosen one replaces it
// as one undo step. Nothing happens away from a misspelled word.
void OfferSpellingSuggestions();
