// desk_undo.cpp - the kept undo histories of the loaded file's items (desk_undo.h), bounded
// to kKeptItemHistories items, each history itself bounded by the text box's own limits.
#include "editor/desk_undo.h"

#include <map>
#include <utility>

#include "gui/controls/text_edit.h"
#include "gui/gui.h"

namespace {

struct KeptHistory {
    EditHistory history;
    uint64_t leftAt = 0;  // when the translator left the item, as a running count
};

struct DeskUndoState {
    std::map<int32_t, KeptHistory> items;
    uint64_t clock = 0;
};
DeskUndoState g_undo;

void DropLongestLeft() {
    auto oldest = g_undo.items.begin();
    for (auto it = g_undo.items.begin(); it != g_undo.items.end(); ++it)
        if (it->second.leftAt < oldest->second.leftAt) oldest = it;
    g_undo.items.erase(oldest);
}

}  // namespace

void KeepItemHistory(int32_t item) {
    if (item < 0) return;
    EditHistory history = TakeEditHistory(FindControl("Text"));
    if (history.Empty()) {
        g_undo.items.erase(item);
        return;
    }
    history.open = false;  // typing on return starts a step of its own
    g_undo.items[item] = KeptHistory{std::move(history), ++g_undo.clock};
    while (g_undo.items.size() > kKeptItemHistories) DropLongestLeft();
}

void RestoreItemHistory(int32_t item) {
    const auto it = g_undo.items.find(item);
    if (it == g_undo.items.end()) return;
    PutEditHistory(FindControl("Text"), std::move(it->second.history));
    g_undo.items.erase(it);
}

void RecordItemReplacement(int32_t item, const std::string& before, const std::string& after) {
    KeptHistory& kept = g_undo.items[item];
    EditHistory& h = kept.history;
    for (const EditStep& step : h.redo) h.bytes -= step.removed.size() + step.inserted.size();
    h.redo.clear();  // a new change ends what could be redone, as typing does
    h.undo.push_back(EditStep{0, before, after, 0, 0, EditStep::SINGLE});
    h.bytes += before.size() + after.size();
    h.open = false;
    while (h.undo.size() > 1 && (h.undo.size() > EditHistory::kMaxSteps || h.bytes > EditHistory::kMaxBytes)) {
        h.bytes -= h.undo.front().removed.size() + h.undo.front().inserted.size();
        h.undo.pop_front();
    }
    kept.leftAt = ++g_undo.clock;
    while (g_undo.items.size() > kKeptItemHistories) DropLongestLeft();
}

void ForgetItemHistories() { g_undo = DeskUndoState{}; }

size_t KeptItemHistoryCount() { return g_undo.items.size(); }
