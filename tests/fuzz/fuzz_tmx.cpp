// fuzz_tmx.cpp - bytes as a TMX file: never a crash or a hang; a refused file's message
// names it; units come only out of well-formed XML, each with a variant, their texts
// UTF-8 (the editor shows them), and pairing them for any two folders gives texts of
// those units.
#include <libxml/parser.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "editor/memory/tmx.h"

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

bool Utf8(std::string_view s) {
    for (size_t i = 0; i < s.size();) {
        const auto b = uint8_t(s[i]);
        const size_t n = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
        if (n == 0 || i + n > s.size()) return false;
        for (size_t k = 1; k < n; ++k)
            if ((uint8_t(s[i + k]) & 0xC0) != 0x80) return false;
        i += n;
    }
    return true;
}

bool WellFormed(std::string_view bytes) {
    xmlDocPtr doc = xmlReadMemory(bytes.data(), int(bytes.size()), "f.tmx", nullptr,
                                  XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    xmlFreeDoc(doc);
    return doc != nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    memory::TmxDocument doc;
    std::string error;
    if (!memory::ParseTmx(bytes, "f.tmx", doc, error)) {
        Check(doc.units.empty() && error.rfind("f.tmx", 0) == 0);
        return 0;
    }
    Check(WellFormed(bytes));
    for (const memory::TmxUnit& unit : doc.units) {
        Check(!unit.variants.empty() && unit.line >= 1);
        for (const memory::TmxVariant& v : unit.variants) Check(Utf8(v.text) && Utf8(v.language));
    }
    const memory::LanguageMap map = {{"German", "de-DE"}};
    for (const char* source : {"en", "English", "de"})
        for (const char* target : {"German", "de", "fr-FR"})
            for (const memory::TmxPair& p : memory::TmxPairs(doc, source, target, map))
                Check(!p.source.empty() && !p.target.empty() && p.line >= 1);
    return 0;
}
