// fuzz_glossary.cpp - bytes as Glossary.csv: errors name a line the file has; every term
// has a cell per language and a first one; the terms written back as CSV read back the
// same; and the same bytes as a text to look terms up in and check give matches inside
// the text.
#include <cstdint>
#include <string>
#include <string_view>

#include "editor/memory/glossary.h"

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

std::string Joined(const std::vector<std::string>& variants) {
    std::string s;
    for (const std::string& v : variants) s += (s.empty() ? "" : "|") + v;
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    memory::Glossary g;
    std::vector<std::string> errors;
    const bool ok = memory::ParseGlossary(bytes, "G.csv", g, errors);
    Check(ok == errors.empty());
    size_t lines = 1;
    for (char c : bytes) lines += c == '\n';
    for (const std::string& e : errors) {
        Check(e.rfind("G.csv:", 0) == 0);
        const size_t line = std::stoul(e.substr(6));
        Check(line >= 1 && line <= lines);
    }
    for (const memory::GlossaryTerm& t : g.terms)
        Check(t.variants.size() == g.languages.size() && !t.variants[0].empty());

    // Written back: the header, then each term with its variants joined again.
    if (!g.languages.empty() && g.languages[0].rfind("\xEF\xBB\xBF", 0) != 0) {
        std::vector<std::vector<std::string>> rows = {g.languages};
        for (const memory::GlossaryTerm& t : g.terms) {
            rows.emplace_back();
            for (const std::vector<std::string>& cell : t.variants) rows.back().push_back(Joined(cell));
        }
        memory::Glossary back;
        Check(memory::ParseGlossary(memory::FormatCsvRows(rows), "G.csv", back, errors));
        Check(back.languages == g.languages && back.terms.size() == g.terms.size());
        for (size_t i = 0; i < g.terms.size(); ++i) Check(back.terms[i].variants == g.terms[i].variants);
    }

    if (g.languages.empty()) return 0;
    const memory::TermFinder finder(g, 0);
    for (const memory::TermMatch& m : finder.Find(bytes))
        Check(m.term < g.terms.size() && m.begin < m.end && m.end <= size);
    for (const memory::GlossaryFinding& f : memory::CheckGlossary(
             g, finder, memory::TermFinder(g, int(g.languages.size()) - 1), bytes, bytes.substr(size / 2)))
        Check(f.term < g.terms.size() && !f.expected.empty());
    return 0;
}
