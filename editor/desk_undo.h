// desk_undo.h - the undo history of each item of the loaded file: the text box holds the
// history of the item it shows; switching items puts it aside and brings back the one of
// the item shown next, so a translator who returns to an item can still undo there.
#pragma once

#include <cstddef>
#include <cstdint>

// How many items keep a history at once; the one left longest ago goes first.
constexpr size_t kKeptItemHistories = 50;

// The text box's history, for the item it showed; call before the box gets another text.
void KeepItemHistory(int32_t item);
// The history kept for `item` into the text box; call after the box got the item's text.
void RestoreItemHistory(int32_t item);
// Another file (or the same one read again): no kept history fits its texts any more.
void ForgetItemHistories();
// How many items keep a history now (for tests).
size_t KeptItemHistoryCount();
