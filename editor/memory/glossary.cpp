// glossary.cpp - rows through libcsv fed one line at a time (so each row knows its
// line); terms matched as sequences of the word diff's tokens over case-folded text,
// which gives whole words for spaced scripts and single characters for CJK and Thai.
#include "editor/memory/glossary.h"

#include <csv.h>

#include <algorithm>
#include <cstdint>
#include <unordered_map>

#include "editor/memory/match.h"
#include "editor/review/word_diff.h"
#include "platform/platform.h"
#include "render/text_markup.h"

namespace memory {
namespace {

// ---- reading ----

struct Rows {
    struct Row {
        std::vector<std::string> cells;
        int line = 0;
    };
    std::vector<Row> rows;
    std::vector<std::string> cells;
    int feedsInCells = 0;
    int line = 1;

    static void OnCell(void* data, size_t size, void* self) {
        auto* r = static_cast<Rows*>(self);
        const char* bytes = static_cast<const char*>(data);
        r->feedsInCells += int(std::count(bytes, bytes + size, '\n'));
        r->cells.emplace_back(bytes, size);
    }
    static void OnRowEnd(int, void* self) {
        auto* r = static_cast<Rows*>(self);
        r->rows.push_back({std::move(r->cells), r->line - r->feedsInCells});
        r->cells.clear();
        r->feedsInCells = 0;
    }
};

int NoSpaces(unsigned char) { return 0; }  // blanks are trimmed per variant, not by libcsv

// Rows up to the first damage; false with `error` set when there was one.
bool ReadRows(std::string_view bytes, const std::string& name, Rows& rows, std::string& error) {
    csv_parser parser;
    if (csv_init(&parser, CSV_STRICT | CSV_STRICT_FINI) != 0) {
        error = name + ": out of memory";
        return false;
    }
    csv_set_space_func(&parser, NoSpaces);
    std::unique_ptr<csv_parser, void (*)(csv_parser*)> guard(&parser, csv_free);
    for (size_t start = 0; start < bytes.size(); ++rows.line) {
        size_t end = bytes.find('\n', start);
        end = end == std::string_view::npos ? bytes.size() : end + 1;
        if (csv_parse(&parser, bytes.data() + start, end - start, Rows::OnCell, Rows::OnRowEnd, &rows) != end - start) {
            error = name + ":" + std::to_string(rows.line) + ": " + csv_strerror(csv_error(&parser)) +
                    " (a quote inside a cell must be doubled, and a quoted cell must end with one)";
            return false;
        }
        start = end;
    }
    if (rows.line > 1) --rows.line;
    if (csv_fini(&parser, Rows::OnCell, Rows::OnRowEnd, &rows) != 0) {
        error = name + ":" + std::to_string(rows.line) + ": the file ends inside a quoted cell";
        return false;
    }
    return true;
}

std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

std::vector<std::string> Variants(std::string_view cell) {
    std::vector<std::string> out;
    for (size_t start = 0; start <= cell.size();) {
        const size_t bar = std::min(cell.find('|', start), cell.size());
        const std::string_view v = Trimmed(cell.substr(start, bar - start));
        if (!v.empty()) out.emplace_back(v);
        start = bar + 1;
    }
    return out;
}

// ---- matching ----

// A token of folded text; blanks all read as one blank, so "Healing  Potion" is
// "Healing Potion".
bool IsBlankToken(std::string_view t) {
    return t[0] == ' ' || t[0] == '\t' || t.substr(0, 2) == "\xC2\xA0" || t.substr(0, 3) == "\xE3\x80\x80" ||
           t.substr(0, 3) == "\xE2\x80\xAF" || (t.substr(0, 2) == "\xE2\x80" && t.size() >= 3 && uint8_t(t[2]) <= 0x8A);
}

struct Piece {
    std::string_view text;  // into the folded text; " " for any blank
    size_t begin = 0, end = 0;
};

// The tokens of `text` less its colour tags (so a tag around a word does not hide it),
// each read from `folded`, which has the same bytes but for the letters' case.
std::vector<Piece> Pieces(std::string_view text, const std::string& folded) {
    std::vector<Piece> out;
    for (std::string_view t : review::SplitDiffTokens(text)) {
        const size_t at = size_t(t.data() - text.data());
        if (t[0] == '<' && markup::ColourTagLength(t) == t.size()) continue;
        out.push_back({IsBlankToken(t) ? std::string_view(" ") : std::string_view(folded).substr(at, t.size()), at,
                       at + t.size()});
    }
    return out;
}

struct Pattern {
    size_t term = 0;
    std::vector<std::string> tokens;
};

Pattern MakePattern(size_t term, std::string_view variant) {
    Pattern p{term, {}};
    const std::string folded = FoldCase(variant);
    for (const Piece& piece : Pieces(variant, folded)) p.tokens.emplace_back(piece.text);
    return p;
}

// Whether the pattern's tokens stand at pieces[at...]; the end byte in `end`.
bool MatchesAt(const Pattern& p, const std::vector<Piece>& pieces, size_t at, size_t& end) {
    if (p.tokens.empty() || at + p.tokens.size() > pieces.size()) return false;
    for (size_t k = 0; k < p.tokens.size(); ++k)
        if (pieces[at + k].text != p.tokens[k]) return false;
    end = pieces[at + p.tokens.size() - 1].end;
    return true;
}

}  // namespace

int Glossary::Column(const std::string& folder) const {
    const auto it = std::find(languages.begin(), languages.end(), folder);
    return it == languages.end() ? -1 : int(it - languages.begin());
}

bool ParseGlossary(std::string_view bytes, const std::string& name, Glossary& glossary,
                   std::vector<std::string>& errors) {
    glossary = {};
    errors.clear();
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    Rows rows;
    std::string damage;
    const bool whole = ReadRows(bytes, name, rows, damage);
    if (rows.rows.empty()) {
        errors.push_back(whole ? name + ":1: no header row naming the language folders" : damage);
        return false;
    }
    const Rows::Row& header = rows.rows[0];
    for (const std::string& cell : header.cells) {
        const std::string_view language = Trimmed(cell);
        if (language.empty() || glossary.Column(std::string(language)) >= 0) {
            errors.push_back(name + ":" + std::to_string(header.line) +
                             ": the header must name each language folder once, with no empty cell");
            glossary.languages.clear();
            return false;
        }
        glossary.languages.emplace_back(language);
    }
    for (size_t r = 1; r < rows.rows.size(); ++r) {
        const Rows::Row& row = rows.rows[r];
        const std::string at = name + ":" + std::to_string(row.line) + ": ";
        if (row.cells.size() > glossary.languages.size()) {
            errors.push_back(at + "more cells than the header has languages");
            continue;
        }
        GlossaryTerm term{row.line, {}};
        for (const std::string& cell : row.cells) term.variants.push_back(Variants(cell));
        term.variants.resize(glossary.languages.size());
        if (term.variants[0].empty()) {
            if (std::all_of(term.variants.begin(), term.variants.end(), [](const auto& v) { return v.empty(); }))
                continue;  // an empty row separates groups of terms
            errors.push_back(at + "no term in the first column (" + glossary.languages[0] + ")");
            continue;
        }
        glossary.terms.push_back(std::move(term));
    }
    if (!whole) errors.push_back(damage);
    return errors.empty();
}

bool ReadGlossaryFile(const std::string& path, Glossary& glossary, std::vector<std::string>& errors) {
    glossary = {};
    errors.clear();
    std::string bytes, error;
    if (!PlatReadFile(path, bytes, &error)) {
        errors.push_back(error);
        return false;
    }
    return ParseGlossary(bytes, path, glossary, errors);
}

struct TermFinder::Impl {
    int column = -1;
    // Patterns by their first token, each list longest first.
    std::unordered_map<std::string, std::vector<Pattern>> byFirst;
    std::vector<std::vector<Pattern>> byTerm;
};

TermFinder::TermFinder(const Glossary& glossary, int column) : impl_(std::make_unique<Impl>()) {
    impl_->byTerm.resize(glossary.terms.size());
    if (column < 0 || size_t(column) >= glossary.languages.size()) return;
    impl_->column = column;
    for (size_t t = 0; t < glossary.terms.size(); ++t) {
        for (const std::string& variant : glossary.terms[t].variants[size_t(column)]) {
            Pattern p = MakePattern(t, variant);
            if (p.tokens.empty()) continue;
            impl_->byFirst[p.tokens[0]].push_back(p);
            impl_->byTerm[t].push_back(std::move(p));
        }
    }
    for (auto& [first, patterns] : impl_->byFirst)
        std::stable_sort(patterns.begin(), patterns.end(),
                         [](const Pattern& a, const Pattern& b) { return a.tokens.size() > b.tokens.size(); });
}

TermFinder::~TermFinder() = default;
int TermFinder::column() const { return impl_->column; }
TermFinder::TermFinder(TermFinder&&) noexcept = default;
TermFinder& TermFinder::operator=(TermFinder&&) noexcept = default;

std::vector<TermMatch> TermFinder::Find(std::string_view text) const {
    std::vector<TermMatch> out;
    const std::string folded = FoldCase(text);
    const std::vector<Piece> pieces = Pieces(text, folded);
    for (size_t i = 0; i < pieces.size(); ++i) {
        const auto it = impl_->byFirst.find(std::string(pieces[i].text));
        if (it == impl_->byFirst.end()) continue;
        for (const Pattern& p : it->second) {
            size_t end;
            if (MatchesAt(p, pieces, i, end)) {
                out.push_back({p.term, pieces[i].begin, end});
                break;
            }
        }
    }
    return out;
}

bool TermFinder::Holds(std::string_view text, size_t term) const {
    if (term >= impl_->byTerm.size()) return false;
    const std::string folded = FoldCase(text);
    const std::vector<Piece> pieces = Pieces(text, folded);
    size_t end;
    for (size_t i = 0; i < pieces.size(); ++i)
        for (const Pattern& p : impl_->byTerm[term])
            if (MatchesAt(p, pieces, i, end)) return true;
    return false;
}

std::vector<GlossaryFinding> CheckGlossary(const Glossary& glossary, const TermFinder& sourceTerms,
                                           const TermFinder& targetTerms, std::string_view source,
                                           std::string_view translation) {
    std::vector<GlossaryFinding> out;
    const int column = targetTerms.column();
    if (column < 0 || size_t(column) >= glossary.languages.size() || translation.empty()) return out;
    std::vector<size_t> seen;
    for (const TermMatch& m : sourceTerms.Find(source)) {
        if (std::find(seen.begin(), seen.end(), m.term) != seen.end()) continue;
        seen.push_back(m.term);
        const GlossaryTerm& term = glossary.terms[m.term];
        const std::vector<std::string>& expected = term.variants[size_t(column)];
        if (expected.empty() || targetTerms.Holds(translation, m.term)) continue;
        GlossaryFinding f{m.term, term.variants[0][0], expected, {}};
        f.message = "Glossary: \"" + f.sourceTerm + "\" is ";
        for (size_t i = 0; i < expected.size(); ++i)
            f.message += (i == 0 ? "\"" : i + 1 == expected.size() ? " or \"" : ", \"") + expected[i] + "\"";
        f.message += " here";
        out.push_back(std::move(f));
    }
    return out;
}

std::vector<std::vector<std::string>> GlossaryCandidates(const std::vector<std::string>& names,
                                                         const std::vector<CandidateText>& texts,
                                                         const std::vector<std::string>& header,
                                                         const std::string& sourceFolder,
                                                         const std::string& targetFolder, const Glossary* existing,
                                                         size_t minTexts) {
    std::vector<std::vector<std::string>> rows;
    const auto column = [&](const std::string& folder) {
        const auto it = std::find(header.begin(), header.end(), folder);
        return it == header.end() ? -1 : int(it - header.begin());
    };
    const int sourceColumn = column(sourceFolder), targetColumn = column(targetFolder);
    if (sourceColumn < 0) return rows;

    // The names as a glossary of one column, so they are found exactly as terms are.
    Glossary asTerms;
    asTerms.languages = {sourceFolder};
    std::unordered_map<std::string, size_t> seen;
    std::unique_ptr<TermFinder> known;
    if (existing && existing->Column(sourceFolder) >= 0)
        known = std::make_unique<TermFinder>(*existing, existing->Column(sourceFolder));
    for (const std::string& name : names) {
        const std::string trimmed(Trimmed(name));
        if (trimmed.empty() || seen.count(FoldCase(trimmed))) continue;
        if (known) {  // already a term when the glossary finds one spanning the whole name
            const std::vector<TermMatch> found = known->Find(trimmed);
            if (std::any_of(found.begin(), found.end(),
                            [&](const TermMatch& m) { return m.begin == 0 && m.end == trimmed.size(); }))
                continue;
        }
        seen.emplace(FoldCase(trimmed), asTerms.terms.size());
        asTerms.terms.push_back({0, {{trimmed}}});
    }
    const TermFinder finder(asTerms, 0);
    std::vector<size_t> count(asTerms.terms.size(), 0);
    std::vector<std::string> translation(asTerms.terms.size());
    std::vector<char> agreed(asTerms.terms.size(), 1);
    for (const CandidateText& text : texts) {
        std::vector<size_t> here;
        for (const TermMatch& m : finder.Find(text.source))
            if (std::find(here.begin(), here.end(), m.term) == here.end()) here.push_back(m.term), ++count[m.term];
        const auto whole = seen.find(FoldCase(Trimmed(text.source)));
        if (whole == seen.end() || text.translation.empty()) continue;
        const size_t t = whole->second;
        if (translation[t].empty())
            translation[t] = text.translation;
        else if (translation[t] != text.translation)
            agreed[t] = 0;
    }
    std::vector<size_t> order;
    for (size_t t = 0; t < asTerms.terms.size(); ++t)
        if (count[t] >= minTexts) order.push_back(t);
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return count[a] > count[b]; });
    for (size_t t : order) {
        std::vector<std::string> row(header.size());
        row[size_t(sourceColumn)] = asTerms.terms[t].variants[0][0];
        if (targetColumn >= 0 && agreed[t]) row[size_t(targetColumn)] = translation[t];
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string FormatCsvRows(const std::vector<std::vector<std::string>>& rows) {
    std::string out;
    for (const std::vector<std::string>& row : rows) {
        for (size_t i = 0; i < row.size(); ++i) {
            const std::string& cell = row[i];
            const bool quoted = cell.find_first_of(",\"\r\n") != std::string::npos ||
                                (!cell.empty() && (cell.front() == ' ' || cell.back() == ' '));
            if (quoted) {
                const size_t at = out.size();
                out.resize(at + 2 * cell.size() + 2);
                out.resize(at + csv_write(out.data() + at, out.size() - at, cell.data(), cell.size()));
            } else {
                out += cell;
            }
            out += i + 1 == row.size() ? "\r\n" : ",";
        }
    }
    return out;
}

}  // namespace memory
