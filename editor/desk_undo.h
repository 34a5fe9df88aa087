// desk_undo.h - the undo history of each item of the loaded file: the text box holds the
// history of the item it shows; switching items puts it aside and brings back the one of
// the item shown next, so a translator who returns to an item can still undo there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// How many items keep a history at once; the one left longest ago goes first.
constexpr size_t kKeptItemHistories = 50;

// The text box's history, for the item it showed; call before the box gets another text.
void KeepItemHistory(int32_t item);
// The history kept for `item` into the text box; call after the box got the item's text.
void RestoreItemHistory(int32_t item);
// A change made to an item not in the text box (a replace-all): kept as one step of that
// item's history, so undo in the box takes it back once the translator is there.
// `before` and `after` are the texts as the box shows them.
void RecordItemReplacement(int32_t item, const std::string& before, const std::string& after);
// Another file (or the same one read again): no kept history fits its texts any more.
void ForgetItemHistories();
// How many items keep a history now (for tests).
size_t KeptItemHistoryCount();
