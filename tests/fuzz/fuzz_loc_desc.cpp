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
#include "tools/loctool/loc_text.h"

namespace fs = std::filesystem;

namespace {

void Check(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "fuzz_loc_desc: %s\n", what);
    std::abort();
}

void WriteFile(const char* path, std::string_view bytes) {
    std::FILE* f = std::fopen(path, "wb");
    Check(f != nullptr, "cannot create a scratch file");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

std::string ReadFile(const char* path) {
    std::string bytes;
    std::FILE* f = std::fopen(path, "rb");
    Check(f != nullptr, "cannot open a scratch file");
    char chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.append(chunk, n);
    std::fclose(f);
    return bytes;
}

// A text as the store writes it at most: up to a NUL byte, which older saves cut at.
std::string_view UpToNul(std::string_view s) { return s.substr(0, s.find('\0')); }

// The bytes of a .loc image that its count's records take (the rest is a tail).
size_t LocRecordBytes(const std::vector<std::string>& texts) {
    size_t n = 2;
    for (const std::string& t : texts) n += 2 + t.size();
    return n;
}

void CheckStore(std::string_view loc, std::string_view desc) {
    WriteFile("Texts/L/menu.loc", loc);
    WriteFile("Descriptions/menu.desc", desc);
    const StoreResult texts = ReadTexts("L\\menu");
    Check(texts.ok == !CurrentKey().empty(), "a failed read left a file loaded, or a good one none");
    Check(texts.ok || !texts.message.empty(), "a refused .loc has no message");

    std::vector<loctext::Item> items;
    const loctext::Result tool = loctext::ParseLoc(loc, "menu.loc", items);
    if (tool.ok) {
        Check(texts.ok, "loctool reads a .loc that the editor refuses");
        Check(ItemCount() == static_cast<int>(items.size()), "the readers disagree on the count");
        for (int i = 0; i < ItemCount(); ++i) Check(ItemText(i) == items[i].text, "the readers disagree on a text");
    }
    if (!texts.ok) return;

    std::vector<std::string> read(ItemCount());
    for (int i = 0; i < ItemCount(); ++i) read[i] = ItemText(i);
    if (LocRecordBytes(read) == loc.size())
        Check(tool.ok, "the editor reads a .loc without a tail that loctool refuses");

    const StoreResult descs = ReadDescriptions();
    Check(descs.ok || CurrentKey().empty(), "a refused .desc left the texts loaded");
    if (!descs.ok) return;

    // Written back and read again, every text is what was read (up to a NUL at most).
    Check(SaveCurrentFile().ok, "saving a file that was just read failed");
    const std::string saved = ReadFile("Texts/L/menu.loc");
    Check(ReadTexts("L\\menu").ok, "the saved file cannot be read back");
    Check(ItemCount() == static_cast<int>(read.size()), "the saved file has another count");
    for (int i = 0; i < ItemCount(); ++i) Check(UpToNul(ItemText(i)) == UpToNul(read[i]), "a saved text changed");
    if (LocRecordBytes(read) == loc.size()) {
        bool hasNul = false;
        for (const std::string& t : read) hasNul |= t.find('\0') != std::string::npos;
        if (!hasNul) Check(saved == loc, "a file read and saved unchanged is not identical");
    }
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
