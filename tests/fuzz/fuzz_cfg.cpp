// fuzz_cfg.cpp - the zazovi.cfg reader against fuzzed files and project sizes. The input
// is the number of language folders, the number of files, then the file's bytes. The
// position read is either the stored one, wholly inside the project, or the fresh start.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "editor/editor.h"

namespace {

void Check(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "fuzz_cfg: %s\n", what);
    std::abort();
}

int32_t Le32(const uint8_t* p) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | p[i];
    return static_cast<int32_t>(v);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const int folders = data[0], files = data[1] % 17;
    const std::string_view bytes(reinterpret_cast<const char*>(data + 2), size - 2);
    const LastPosition at = ParseLastPosition(bytes, folders, files);

    const bool fresh = at.folder == 0 && at.file == 0 && at.item == -1;
    if (bytes.size() < 12) {
        Check(fresh, "a short file did not give the fresh start");
        return 0;
    }
    const int32_t folder = Le32(data + 2), file = Le32(data + 6), item = Le32(data + 10);
    const bool inside = folder >= 0 && folder < folders && file >= 0 && file < files;
    if (inside)
        Check(at.folder == folder && at.file == file && at.item == item, "a stored position was not kept");
    else
        Check(fresh, "a position outside the project did not give the fresh start");
    return 0;
}
