// fuzz_loc_desc.cpp - the .loc / .desc readers against fuzzed files. The input is split
// into a .loc and a .desc image (the first two bytes give the .loc's length); the
// editor's store reads them from disk as it does a project, and loctool's reader reads
// the same bytes. Whatever either accepts must survive a write and a read back, and the
// two must agree on every file both can read.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "editor/text_store.h"
#include "formats/loc_format.h"
#include "tests/support/loc_files.h"
#include "tools/loctool/loc_text.h"

namespace fs = std::filesystem;

namespace {

void Check(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "fuzz_loc_desc: %s\n", what);
    std::abort();
}

void CheckStore(std::string_view loc, std::string_view desc) {
    locfixture::WriteFile("Texts/L/menu.loc", loc);
    locfixture::WriteFile("Descriptions/menu.desc", desc);
    const StoreResult texts = ReadTexts("L\\menu");
    Check(texts.ok == !CurrentKey().empty(), "a failed read left a file loaded, or a good one none");
    Check(texts.ok || !texts.message.empty(), "a refused .loc has no message");

    // loctool's strict reading: the same records, and nothing after them.
    std::vector<std::string> strict;
    const bool whole = locformat::ParseLoc(loc, "menu.loc", locformat::Trailing::Refuse, strict).ok;
    if (whole) Check(texts.ok, "the editor refuses a .loc that loctool reads");
    if (!texts.ok) return;
    const std::vector<std::string> read = g_store.texts;
    if (whole) Check(read == strict, "the editor and loctool read other texts");

    const StoreResult descs = ReadDescriptions();
    Check(descs.ok || CurrentKey().empty(), "a refused .desc left the texts loaded");
    if (!descs.ok) return;

    // Written back and read again, every text is what was read, NUL bytes included.
    Check(SaveCurrentFile().ok, "saving a file that was just read failed");
    const std::string saved = locfixture::ReadFile("Texts/L/menu.loc");
    Check(ReadTexts("L\\menu").ok, "the saved file cannot be read back");
    Check(g_store.texts == read, "a saved text changed");
    if (whole) Check(saved == loc, "a file read and saved unchanged is not identical");
}

// loctool's own round trips: what it reads, it writes back byte for byte.
void CheckTool(std::string_view loc, std::string_view desc) {
    std::vector<loctext::Item> items;
    std::string out;
    if (loctext::ParseLoc(loc, "menu.loc", items).ok) {
        Check(loctext::EncodeLoc(items, "menu.loc", out).ok && out == loc, "loctool's .loc round trip differs");
    }
    if (loctext::ParseDesc(desc, "menu.desc", true, items).ok)
        Check(loctext::EncodeDesc(items, "menu.desc", out).ok && out == desc, "loctool's .desc round trip differs");
}

}  // namespace

// A scratch project of one language; tmpfs keeps the file traffic cheap. The store
// reads relative to the working directory, but libFuzzer's own paths may be relative
// too, so the scratch folder is the working directory only while an input runs.
fs::path g_scratch, g_home;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const fs::path base = fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    g_scratch = base / ("fuzz_loc_desc." + std::to_string(::getpid()));
    g_home = fs::current_path();
    fs::create_directories(g_scratch / "Texts" / "L");
    fs::create_directories(g_scratch / "Descriptions");
    std::atexit([] {
        std::error_code ec;
        fs::remove_all(g_scratch, ec);
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const std::string_view all(reinterpret_cast<const char*>(data), size);
    const size_t split = std::min<size_t>(static_cast<size_t>(data[0] | data[1] << 8), size - 2);
    const std::string_view loc = all.substr(2, split), desc = all.substr(2 + split);
    fs::current_path(g_scratch);
    CheckStore(loc, desc);
    fs::current_path(g_home);
    CheckTool(loc, desc);
    return 0;
}
