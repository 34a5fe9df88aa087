// csv_format.cpp - CSV (RFC 4180, UTF-8) through libcsv: a header row, then one row
// per item with the columns file, index, name, description, reference, text, state,
// comment. Every field is quoted, rows end with CR LF. The text column's header reads
// "text (<language>)" so that a file for another language is recognised. A file of the
// six columns before state and comment were added is read too: it carries no states.
#include <csv.h>

#include <algorithm>
#include <memory>

#include "tools/loctool/exchange.h"

namespace exchange {
namespace {

using loctext::Fail;

const char* const kColumns[] = {"file", "index", "name", "description"};
constexpr size_t kTextColumn = 5;
constexpr size_t kColumnCount = 8;  // the text, then state and comment
constexpr size_t kColumnCountWithoutStates = 6;

// The state column's words: the review states of the editor, with "reference-changed"
// for a translation whose reference text changed since (to review, as needs-review).
const char* const kUntranslated = "untranslated";
const char* const kTranslated = "translated";
const char* const kNeedsReview = "needs-review";
const char* const kReferenceChanged = "reference-changed";
const char* const kApproved = "approved";

std::string StateWord(const Unit& unit) {
    if (!unit.translated) return kUntranslated;
    if (unit.toReview) return unit.referenceChanged ? kReferenceChanged : kNeedsReview;
    return unit.approved ? kApproved : kTranslated;
}

// A cell as a message quotes it: on one line (control bytes as '?') and short.
std::string Shown(const std::string& cell) {
    constexpr size_t kMax = 40;
    size_t cut = std::min(cell.size(), kMax);
    while (cut < cell.size() && cut > 0 && (static_cast<unsigned char>(cell[cut]) & 0xC0) == 0x80) --cut;
    std::string shown = cell.substr(0, cut);
    for (char& c : shown)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    return cut < cell.size() ? shown + "..." : shown;
}

// An empty cell is translated: a spreadsheet user who fills in a text may leave it so.
bool MarkOfWord(const std::string& word, Mark& mark) {
    if (word == kNeedsReview || word == kReferenceChanged)
        mark = Mark::ToReview;
    else if (word == kApproved)
        mark = Mark::Approved;
    else if (word.empty() || word == kTranslated || word == kUntranslated)
        mark = Mark::Translated;
    else
        return false;
    return true;
}

std::string LanguageColumn(const std::string& language) { return "text (" + language + ")"; }

void AppendField(std::string& out, const std::string& value, bool last) {
    const size_t at = out.size();
    out.resize(at + 2 * value.size() + 2);
    out.resize(at + csv_write(out.data() + at, out.size() - at, value.data(), value.size()));
    out += last ? "\r\n" : ",";
}

void AppendRow(std::string& out, const std::vector<std::string>& fields) {
    for (size_t i = 0; i < fields.size(); ++i) AppendField(out, fields[i], i + 1 == fields.size());
}

// Rows as libcsv hands them over, each with the line it starts on. libcsv gives no
// positions, so the input is fed one line at a time and a row's first line is its
// last one less the line feeds inside its fields.
struct CsvRows {
    struct Row {
        std::vector<std::string> fields;
        int line = 0;
    };
    std::vector<Row> rows;
    std::vector<std::string> fields;
    int feedsInFields = 0;
    int line = 1;

    static void OnField(void* data, size_t size, void* self) {
        auto* rows = static_cast<CsvRows*>(self);
        const char* bytes = static_cast<const char*>(data);
        rows->feedsInFields += static_cast<int>(std::count(bytes, bytes + size, '\n'));
        rows->fields.emplace_back(bytes, size);
    }
    static void OnRowEnd(int, void* self) {
        auto* rows = static_cast<CsvRows*>(self);
        rows->rows.push_back({std::move(rows->fields), rows->line - rows->feedsInFields});
        rows->fields.clear();
        rows->feedsInFields = 0;
    }
};

// RFC 4180 keeps blanks around fields; libcsv would trim them by default.
int NoSpaces(unsigned char) { return 0; }

Result ParseRows(const std::string& path, const std::string& bytes, CsvRows& rows) {
    csv_parser parser;
    if (csv_init(&parser, CSV_STRICT | CSV_STRICT_FINI) != 0) return Fail("Cannot read " + path + ": out of memory");
    csv_set_space_func(&parser, NoSpaces);
    std::unique_ptr<csv_parser, void (*)(csv_parser*)> guard(&parser, csv_free);
    for (size_t start = 0; start < bytes.size(); ++rows.line) {
        size_t end = bytes.find('\n', start);
        end = end == std::string::npos ? bytes.size() : end + 1;
        if (csv_parse(&parser, bytes.data() + start, end - start, CsvRows::OnField, CsvRows::OnRowEnd, &rows) !=
            end - start)
            return Fail(path + ":" + std::to_string(rows.line) + ": " + csv_strerror(csv_error(&parser)) +
                        " (a quote inside a field must be doubled, and a quoted field must end with one)");
        start = end;
    }
    if (rows.line > 1) --rows.line;  // back to the last line fed
    if (csv_fini(&parser, CsvRows::OnField, CsvRows::OnRowEnd, &rows) != 0)
        return Fail(path + ":" + std::to_string(rows.line) + ": the file ends inside a quoted field");
    return {};
}

Result CheckHeader(const std::string& path, const CsvRows::Row& header, ReadBack& read) {
    const size_t count = header.fields.size();
    const bool withStates = count == kColumnCount && header.fields[6] == "state" && header.fields[7] == "comment";
    const std::string column =
        withStates || count == kColumnCountWithoutStates ? header.fields[kTextColumn] : std::string();
    bool ok = column.rfind("text (", 0) == 0 && column.size() > 7 && column.back() == ')';
    for (size_t i = 0; ok && i < std::size(kColumns); ++i) ok = header.fields[i] == kColumns[i];
    if (!ok)
        return Fail(path + ":" + std::to_string(header.line) +
                    ": the first row must be the header file,index,name,description,reference (...),text (...),"
                    "state,comment (state and comment may be left out)");
    read.language = column.substr(6, column.size() - 7);
    read.languageLine = header.line;
    return {};
}

}  // namespace

Result WriteCsv(const Catalog& catalog, std::string& out) {
    out.clear();
    AppendRow(out, {kColumns[0], kColumns[1], kColumns[2], kColumns[3], "reference (" + catalog.sourceLanguage + ")",
                    LanguageColumn(catalog.language), "state", "comment"});
    for (const Unit& unit : catalog.units)
        AppendRow(out, {unit.file, std::to_string(unit.index), unit.name, unit.desc, unit.source,
                        unit.translated ? unit.text : std::string(), StateWord(unit), unit.comment});
    return {};
}

Result ReadCsv(const std::string& path, const std::string& bytes, ReadBack& read) {
    read = {};
    CsvRows rows;
    // Spreadsheets often save UTF-8 with a byte-order mark; it is no part of the header.
    const std::string kBom = "\xEF\xBB\xBF";
    Result r = ParseRows(path, bytes.compare(0, 3, kBom) == 0 ? bytes.substr(3) : bytes, rows);
    if (!r.ok) return r;
    if (rows.rows.empty()) return Fail(path + ": the file is empty (not even a header row)");
    if (!(r = CheckHeader(path, rows.rows.front(), read)).ok) return r;
    const size_t columns = rows.rows.front().fields.size();
    for (size_t i = 1; i < rows.rows.size(); ++i) {
        const CsvRows::Row& row = rows.rows[i];
        if (row.fields.size() != columns)
            return Fail(path + ":" + std::to_string(row.line) + ": " + std::to_string(row.fields.size()) +
                        " columns where the header has " + std::to_string(columns));
        Entry entry;
        entry.id = row.fields[0] + ":" + row.fields[1] + ":" + row.fields[2];
        entry.text = row.fields[kTextColumn];
        entry.line = row.line;
        entry.hasReview = columns == kColumnCount;
        if (entry.hasReview && !MarkOfWord(row.fields[6], entry.mark))
            return Fail(path + ":" + std::to_string(row.line) + ": unknown state '" + Shown(row.fields[6]) +
                        "' (the states are untranslated, translated, needs-review, reference-changed and approved)");
        if (entry.hasReview) entry.comment = row.fields[7];
        read.entries.push_back(std::move(entry));
    }
    return {};
}

}  // namespace exchange
