// box_spelling.h - spelling in the main screen's text box: the misspelled words of the
// text get a red wavy line, checked when an item is shown and when typing pauses (never
// on the keystroke itself), with the dictionary of the language folder being edited;
// Ctrl+. on such a word offers suggestions. The Linux build checks with Hunspell
// (editor/qa/box_spelling.cpp); a build without Hunspell links a stand-in that checks
// nothing (editor/qa/box_spelling_none.cpp).
#pragma once

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
