// box_spelling_none.cpp - the stand-in for builds without Hunspell (the Windows build):
// the text box is not checked and Ctrl+. does nothing.
#include "editor/box_spelling.h"

void StartBoxSpelling() {}
void CheckBoxSpellingNow() {}
void OfferSpellingSuggestions() {}
