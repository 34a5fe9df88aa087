// fuzz_loctool_text.cpp - loctool's readable text form against fuzzed sources. Whatever
// the parser accepts, the dumper must write in a form that parses back to the same
// items, and dumping that again must give the same text: a dump/pack cycle never
// changes a byte of a translator's texts.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "tools/loctool/loc_text.h"

namespace {

void Check(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "fuzz_loctool_text: %s\n", what);
    std::abort();
}

bool Same(const std::vector<loctext::Item>& a, const std::vector<loctext::Item>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].hasName != b[i].hasName || a[i].hasDesc != b[i].hasDesc || a[i].hasText != b[i].hasText) return false;
        if (a[i].name != b[i].name || a[i].desc != b[i].desc || a[i].text != b[i].text) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<loctext::Item> items;
    const loctext::Result parsed = loctext::ParseText(text, "in.txt", items);
    if (!parsed.ok) {
        Check(parsed.message.rfind("in.txt:", 0) == 0, "a refusal does not name the file and line");
        return 0;
    }
    const std::string dumped = loctext::DumpText(items, "dump");
    std::vector<loctext::Item> again;
    const loctext::Result reparsed = loctext::ParseText(dumped, "dump.txt", again);
    if (!reparsed.ok) std::fprintf(stderr, "%s\n", reparsed.message.c_str());
    Check(reparsed.ok, "a dump does not parse back");
    Check(Same(items, again), "a dump parses back to other items");
    Check(loctext::DumpText(again, "dump") == dumped, "dumping twice gives two texts");

    // Packing keeps the texts whole (NUL bytes included) and unpacks to the same.
    std::string loc;
    if (loctext::RequireFields(items, "in.txt", true, false).ok && loctext::EncodeLoc(items, "in.loc", loc).ok) {
        std::vector<loctext::Item> unpacked;
        Check(loctext::ParseLoc(loc, "in.loc", unpacked).ok, "a packed .loc cannot be read");
        Check(unpacked.size() == items.size(), "a packed .loc has another count");
        for (size_t i = 0; i < items.size(); ++i) Check(unpacked[i].text == items[i].text, "packing changed a text");
    }
    return 0;
}
