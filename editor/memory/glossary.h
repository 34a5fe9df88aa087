// glossary.h - the project's glossary (Glossary.csv at the project root, read with
// libcsv): terms in each language, found in source texts and checked in translations,
// and the item names worth adding to it. Pure apart from ReadGlossaryFile.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace memory {

inline constexpr const char* kGlossaryFile = "Glossary.csv";

// A header row of language folders, the first being the language terms are looked up
// in (normally the source language); then one term per row, a cell listing the term's
// variants in that language separated by '|' ("Heiltrank|Heiltränke"), blanks around
// each variant ignored. An empty cell: the term has no fixed translation there.
struct GlossaryTerm {
    int line = 0;
    std::vector<std::vector<std::string>> variants;  // per column, as written
};

struct Glossary {
    std::vector<std::string> languages;  // the header
    std::vector<GlossaryTerm> terms;
    // The column of a language folder (exact name), -1 when the glossary has none.
    int Column(const std::string& folder) const;
};

// Parses the CSV (UTF-8, a BOM allowed). Errors name the line: "<name>:<line>: why".
// A damaged quote ends the reading there; a row with more cells than the header or no
// term in the first column is reported and skipped. True when there was no error.
bool ParseGlossary(std::string_view bytes, const std::string& name, Glossary& glossary,
                   std::vector<std::string>& errors);
bool ReadGlossaryFile(const std::string& path, Glossary& glossary, std::vector<std::string>& errors);

// Where a term occurs in a text: without regard to case (Latin, Greek, Cyrillic), as
// whole words; a term of CJK or Thai characters anywhere, since those scripts put no
// spaces between words. Colour tags around or inside a phrase do not stop a match,
// blanks match any blanks. No stemming: the plural is a variant of its own.
struct TermMatch {
    size_t term = 0;            // into Glossary::terms
    size_t begin = 0, end = 0;  // bytes of the text
};

// Looks the terms of one column up, prepared once for many texts.
class TermFinder {
  public:
    TermFinder(const Glossary& glossary, int column);
    ~TermFinder();
    TermFinder(TermFinder&&) noexcept;
    TermFinder& operator=(TermFinder&&) noexcept;
    int column() const;  // -1 when the glossary has no such column
    // Every occurrence, by position; a longer variant at a position wins over a shorter one.
    std::vector<TermMatch> Find(std::string_view text) const;
    // Whether `text` holds any variant of `term` in this column.
    bool Holds(std::string_view text, size_t term) const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

struct GlossaryFinding {
    size_t term = 0;
    std::string sourceTerm;             // the first variant in the lookup column
    std::vector<std::string> expected;  // the variants in the translation's column
    std::string message;                // "Glossary: "Healing Potion" is "Heiltrank" or "Heiltränke" here"
};

// The terms `source` holds (as `sourceTerms` finds them) whose cell in the column of
// `targetTerms` is not empty while `translation` holds none of its variants. Nothing
// for an empty translation or a target column the glossary lacks.
std::vector<GlossaryFinding> CheckGlossary(const Glossary& glossary, const TermFinder& sourceTerms,
                                           const TermFinder& targetTerms, std::string_view source,
                                           std::string_view translation);

// Candidates for the glossary: the item names (from Descriptions) that occur, as terms
// would be found, in at least `minTexts` source texts, most frequent first, less those
// the glossary already has. Each is a row under `header` (the glossary's header, or
// {sourceFolder, targetFolder} for a new one): the name in the source folder's column,
// and in the target folder's the translation of the items whose source is exactly the
// name, when they all agree; empty otherwise.
struct CandidateText {
    std::string source, translation;
};
std::vector<std::vector<std::string>> GlossaryCandidates(const std::vector<std::string>& names,
                                                         const std::vector<CandidateText>& texts,
                                                         const std::vector<std::string>& header,
                                                         const std::string& sourceFolder,
                                                         const std::string& targetFolder,
                                                         const Glossary* existing = nullptr, size_t minTexts = 2);

// Rows as CSV (RFC 4180, CRLF line ends), quoting where needed.
std::string FormatCsvRows(const std::vector<std::vector<std::string>>& rows);

}  // namespace memory
