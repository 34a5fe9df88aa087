// fuzz_conflict_file.cpp - bytes to the reader of "Translation state/conflicts/<language>/
// <file>.tsv": a refused file leaves the conflicts as they were; a read file holds sorted,
// distinct items; writing it and reading that back gives the same items and the same
// bytes; and every text survives the escapes, whatever bytes it holds.
#include <cstdint>
#include <string>
#include <string_view>

#include "editor/conflict/conflict_file.h"

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::string text;
    Check(conflict::UnescapeText(conflict::EscapeText(bytes), text) && text == bytes);

    const conflict::Conflicts before = {{"kept", 1, "b", "o", "t"}};
    conflict::Conflicts conflicts = before;
    std::string error;
    if (!conflict::ParseConflictFile(bytes, conflicts, error)) {
        Check(conflicts == before && error.rfind("line ", 0) == 0);
        return 0;
    }
    for (size_t i = 1; i < conflicts.size(); ++i) {
        const conflict::ItemConflict &p = conflicts[i - 1], &c = conflicts[i];
        Check(p.file < c.file || (p.file == c.file && p.index < c.index));
    }
    const std::string canonical = conflict::WriteConflictFile(conflicts);
    conflict::Conflicts again;
    Check(conflict::ParseConflictFile(canonical, again, error) && again == conflicts);
    Check(conflict::WriteConflictFile(again) == canonical);
    // Merging a file into itself changes nothing.
    conflict::MergeConflicts(again, conflicts);
    Check(again == conflicts);
    return 0;
}
