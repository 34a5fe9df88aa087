// memory.cpp - the engine's allocation list: blocks (fonts and their tables) that
// live until ShutdownEngine frees them all at once.
#include <cstdlib>
#include <cstring>

#include "engine/engine.h"

namespace {

struct AllocationList {
    void** blocks = nullptr;
    int count = 0;
    int capacity = 0;
};
AllocationList g_allocations;

}  // namespace

void TrackAllocation(void* block) {
    if (g_allocations.count % 64 == 0) {
        // Grows by 64 entries at a time; a failed growth keeps the list as it was.
        void** grown = static_cast<void**>(std::malloc(sizeof(void*) * (g_allocations.count + 64)));
        if (!grown) return;
        if (g_allocations.count) std::memcpy(grown, g_allocations.blocks, sizeof(void*) * g_allocations.count);
        std::free(g_allocations.blocks);
        g_allocations.blocks = grown;
        g_allocations.capacity = g_allocations.count + 64;
    }
    g_allocations.blocks[g_allocations.count++] = block;
}

int TrackedAllocationCount() { return g_allocations.count; }

void FreeTrackedAllocations() {
    for (int i = 0; i < g_allocations.count; ++i) std::free(g_allocations.blocks[i]);
    std::free(g_allocations.blocks);
    g_allocations = {};
}
