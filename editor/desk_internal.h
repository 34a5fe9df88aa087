// desk_internal.h - what desk.cpp and desk_find.cpp share: small helpers over the main
// screen's controls and the find dialog's part in the desk's hooks and keys.
#pragma once

#include <cstdint>
#include <string>

namespace desk {

void SetText(const char* control, const std::string& text);
std::string ControlText(const char* name);  // a control's Text, however long
int32_t CurrentItem();                      // the item list's current index, -1: none
// A short word in a tooltip over the item list, gone at the next key.
void Notice(const std::string& text);

// The find dialog's "n of m" for the current item and matches (nothing when it is closed).
void UpdateFindCount();
// Takes what the find box holds as the text looked for, matching it anew when it changed.
void ReadNeedle();
bool FindBoxHasFocus();

}  // namespace desk
