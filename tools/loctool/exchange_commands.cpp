// exchange_commands.cpp - `loctool export`, `import` and `stats`: hands one language's
// texts with their review states and comments to translation platforms and CAT tools as
// PO, XLIFF or CSV, takes them back all or nothing (texts and state file in one journaled
// write), and counts what is translated and what is to review.
#include "tools/loctool/exchange_commands.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <system_error>
#include <unordered_map>

#include "platform/platform.h"
#include "tools/loctool/exchange.h"
#include "tools/loctool/project_texts.h"

namespace fs = std::filesystem;
using exchange::Catalog;
using loctext::Fail;
using loctext::Result;
using projtexts::LanguageTexts;
using projtexts::Project;

namespace {

const char* const kExportHelp =
    "usage: loctool export --format po|xliff|csv PROJECT LANGUAGE [--source REFLANG] [-o FILE]\n"
    "\n"
    "Writes the texts of the language folder LANGUAGE of the project folder PROJECT, all\n"
    "three files (menu, game, keyboard), as one file for a translation platform or CAT tool:\n"
    "  po     gettext PO: msgctxt \"file:index:name\", msgid the reference text, msgstr the\n"
    "         text, the description as a #. comment, the translators' comment as # lines.\n"
    "         An item to review (marked so, or its source text changed since it was\n"
    "         translated) is fuzzy, with the source it was translated from as #| msgid;\n"
    "         an approved one has the flag zazovi-approved. An entry fuzzy only because\n"
    "         its line breaks at the start or end differ from the reference (msgfmt --check\n"
    "         refuses it otherwise) has the flag zazovi-edge-breaks and is translated.\n"
    "  xliff  XLIFF 1.2: a <file> per .loc file, a <trans-unit id=\"file:index:name\"> per\n"
    "         item with <source>, <target state=\"translated|needs-translation|\n"
    "         needs-review-translation|final\"> (final: approved), the description as a\n"
    "         <note> and the comment as a <note from=\"translator\">. Control characters\n"
    "         that XML cannot hold are written as <x ctype=\"x-char-XXXX\"/>.\n"
    "  csv    RFC 4180, UTF-8: file,index,name,description,reference (REFLANG),\n"
    "         text (LANGUAGE),state,comment; state is untranslated, translated,\n"
    "         needs-review, reference-changed or approved.\n"
    "An untranslated text (empty, or the same bytes as the reference text of another\n"
    "language) is exported empty. The reference is REFLANG, else English, else the first\n"
    "folder. States and comments come from PROJECT/Translation state/LANGUAGE.tsv. A text,\n"
    "name, description or comment that is not UTF-8 or holds a NUL byte cannot be\n"
    "exported: the export is refused and the item named (mend it with loctool dump/pack).\n"
    "Without -o the file goes to standard output.\n"
    "exit code: 0 ok, 1 a problem (said on stderr), 2 usage\n";

const char* const kImportHelp =
    "usage: loctool import PROJECT LANGUAGE FILE [--format po|xliff|csv] [--wait SECONDS]\n"
    "\n"
    "Takes the texts of FILE, as written by loctool export (and translated elsewhere), back\n"
    "into the language folder LANGUAGE of PROJECT. The format comes from the extension\n"
    "(.po, .xliff or .xlf, .csv) unless --format says it. Entries are matched by their\n"
    "\"file:index:name\" id, never by their order. An empty translation leaves the item as it\n"
    "is, so an untranslated item keeps its bytes (empty, or the copy of the reference).\n"
    "Nothing is written unless the whole file is valid: an unknown id, an item without an\n"
    "entry, an id given twice, a file for another language, a text longer than 32767 bytes\n"
    "or holding a NUL byte is reported with its line. The changed .loc files are replaced\n"
    "all or none, even if loctool is killed meanwhile (through zazovi.journal in PROJECT);\n"
    "unchanged ones are not touched. The report says how many items changed.\n"
    "Review states and comments come back too and go into PROJECT/Translation state/\n"
    "LANGUAGE.tsv in the same all-or-none write: PO fuzzy (unless only for\n"
    "zazovi-edge-breaks) or XLIFF needs-review-* or CSV needs-review/reference-changed is\n"
    "to review; a text that comes in records the source it now goes with. An approved item\n"
    "stays approved when its text comes back unchanged and approved (zazovi-approved,\n"
    "final, approved); a changed text loses its approval, and an import gives none. A CSV\n"
    "without the state and comment columns leaves them as they are.\n"
    "Like the editor, import holds the project's lock (zazovi.lock) while it works: while\n"
    "the editor or another loctool has the project, it refuses, naming that process, or\n"
    "with --wait waits up to SECONDS for it. A write into the project that was interrupted\n"
    "is first finished or undone, and said on stderr.\n"
    "PO: a string holding a NUL (\\000, \\x00) and a domain line are refused. XLIFF is\n"
    "read as XLIFF 1.2 in its namespace (urn:oasis:names:tc:xliff:document:1.2) only,\n"
    "with at most one <target> per unit, holding text, <x ctype=\"x-char-XXXX\"/> and\n"
    "segment marks (<mrk mtype=\"seg\">, whose text is taken); other inline markup\n"
    "(<g>, <ph>, <bpt>...) cannot become a game text and is refused. Before parsing,\n"
    "an XLIFF file is refused whose start tag has more than 1000 attributes, whose\n"
    "elements nest more than 100 deep or which has a line longer than 16 MiB.\n"
    "exit code: 0 ok, 1 a problem (said on stderr), 2 usage\n";

const char* const kStatsHelp =
    "usage: loctool stats PROJECT [--source REFLANG] [--format table|json]\n"
    "\n"
    "For every language folder and file of PROJECT: the item count, how many items are\n"
    "translated and the percentage, as a table (default) or as JSON for a build script;\n"
    "from the review states, how many items are marked needs-review, have a reference\n"
    "text changed since they were translated, are approved and have a comment (JSON:\n"
    "needs_review, reference_changed, approved, commented).\n"
    "An item is untranslated when its text is empty or the same bytes as the reference\n"
    "text (REFLANG, else English, else the first folder) of another language.\n"
    "exit code: 0 ok, 1 a problem (said on stderr), 2 usage\n";

constexpr size_t kListedProblems = 20;

struct Options {
    std::vector<std::string> positional;
    std::map<std::string, std::string> named;  // --format, --source, -o
    bool help = false;
};

// Splits the arguments; false on an unknown option or one without its value.
bool ParseOptions(const std::vector<std::string>& args, const std::vector<std::string>& known, Options& options) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            options.help = true;
        } else if (a.size() > 1 && a[0] == '-') {
            if (std::find(known.begin(), known.end(), a) == known.end() || i + 1 >= args.size()) return false;
            options.named[a] = args[++i];
        } else {
            options.positional.push_back(a);
        }
    }
    return true;
}

int Usage(const char* help) {
    std::fputs(help, stderr);
    return 2;
}

int Help(const char* help) {
    std::fputs(help, stdout);
    return 0;
}

// Each line of the message, whole: a stray NUL in it must not end it early.
int Report(const Result& r) {
    if (r.ok) return 0;
    for (size_t start = 0; start < r.message.size();) {
        const size_t end = std::min(r.message.find('\n', start), r.message.size());
        std::fputs("loctool: ", stderr);
        std::fwrite(r.message.data() + start, 1, end - start, stderr);
        std::fputc('\n', stderr);
        start = end + 1;
    }
    return 1;
}

Result ReadWhole(const std::string& path, std::string& bytes) {
    Result r;
    r.ok = PlatReadFile(path, bytes, &r.message);
    return r;
}

// The exported file replaces an older one only when complete (PlatReplaceFile).
Result WriteOutput(const std::string& path, const std::string& bytes) {
    if (path.empty()) {
        if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size() || std::fflush(stdout) != 0)
            return Fail(std::string("Cannot write to standard output: ") + std::strerror(errno));
        return {};
    }
    std::string why;
    if (!PlatReplaceFile(path, bytes, &why)) return Fail("Cannot write " + path + ": " + why);
    return {};
}

// The file argument is taken relative to where loctool was started, before it
// enters the project folder.
std::string FromStartFolder(const std::string& path) {
    if (path.empty()) return path;
    std::error_code ec;
    const fs::path absolute = fs::absolute(PlatFsPath(path), ec);
    return ec ? path : PlatPathString(absolute);
}

// Why `value` cannot travel in an exchange file, or "" when it can.
std::string Unexportable(const std::string& value) {
    for (size_t i = 0; i < value.size();) {
        if (static_cast<unsigned char>(value[i] - 1) < 0x7F) {  // ASCII other than NUL, the common case
            ++i;
            continue;
        }
        if (value[i] == '\0') return "holds a NUL byte (at byte " + std::to_string(i) + ")";
        const size_t n = loctext::Utf8Length(value, i);
        if (n == 0) return "is not valid UTF-8 (at byte " + std::to_string(i) + ")";
        i += n;
    }
    return {};
}

Result CheckExportable(const exchange::Unit& unit, const std::string& language, const std::string& referenceLanguage) {
    const struct {
        const char* what;
        const std::string* value;
    } fields[] = {{"name", &unit.name}, {"description", &unit.desc}, {"reference text", &unit.source},
                  {"text", &unit.text}, {"comment", &unit.comment},  {"recorded source text", &unit.previousSource}};
    for (const auto& field : fields) {
        const std::string why = Unexportable(*field.value);
        if (why.empty()) continue;
        const bool reference = field.value == &unit.source || field.value == &unit.previousSource;
        const std::string whose = reference ? referenceLanguage : language;
        return Fail("Cannot export " + language + ": the " + field.what + " of item " + unit.Id() + " (" + whose +
                    ") " + why + "; mend it in the editor or with loctool dump/pack");
    }
    return {};
}

// The review state and comment of a unit from the language's state file. The recorded
// source goes along as PO's previous msgid only when it is in the exported reference's
// language: a diff between two languages would say nothing.
void AddReview(const Project& project, const projtexts::LanguageStates& states, const std::string& reference,
               size_t file, size_t index, exchange::Unit& unit) {
    const review::ItemReview* record = states.Find(project, file, index);
    if (!record) return;
    unit.comment = record->comment;
    unit.toReview = states.NeedsReview(project, file, index);
    unit.referenceChanged = states.ReferenceChanged(project, file, index);
    unit.approved = record->state == review::ReviewState::Approved;
    if (unit.referenceChanged && reference == states.states.sourceLanguage)
        unit.previousSource = record->recordedSource;
}

Result BuildCatalog(const Project& project, const std::string& language, const std::string& reference,
                    Catalog& catalog) {
    LanguageTexts texts, sources;
    projtexts::LanguageStates states;
    Result r = projtexts::LoadLanguage(project, language, texts);
    if (r.ok) r = projtexts::LoadLanguage(project, reference, sources);
    if (r.ok) r = projtexts::LoadStates(project, language, states);
    if (!r.ok) return r;
    catalog.language = language;
    catalog.sourceLanguage = reference;
    for (size_t j = 0; j < project.files.size(); ++j)
        for (size_t i = 0; i < texts[j].size(); ++i) {
            exchange::Unit unit;
            unit.file = project.files[j];
            unit.index = static_cast<int>(i);
            unit.name = project.names[j][i];
            unit.desc = project.descs[j][i];
            unit.source = std::move(sources[j][i]);
            unit.text = std::move(texts[j][i]);
            unit.translated = !projtexts::IsUntranslated(unit.text, unit.source, reference != language);
            AddReview(project, states, reference, j, i, unit);
            if (!(r = CheckExportable(unit, language, reference)).ok) return r;
            catalog.units.push_back(std::move(unit));
        }
    return {};
}

std::string FormatOf(const Options& options, const std::string& file) {
    const auto given = options.named.find("--format");
    if (given != options.named.end()) return given->second;
    std::string ext = PlatPathString(PlatFsPath(file).extension());
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext == ".po") return "po";
    if (ext == ".xliff" || ext == ".xlf") return "xliff";
    if (ext == ".csv") return "csv";
    return {};
}

bool KnownFormat(const std::string& format) { return format == "po" || format == "xliff" || format == "csv"; }

// ---- import ----------------------------------------------------------------------

struct ItemRef {
    size_t file = 0, index = 0;
};

// An id as a message quotes it: a control byte (a NUL, a line break from a CSV field)
// is shown as \xHH, so the message stays one whole line.
std::string Shown(const std::string& id) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : id) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            out.append("\\x").append(1, kHex[byte >> 4]).append(1, kHex[byte & 15]);
        else
            out += c;
    }
    return out;
}

std::string Line(const std::string& path, int line) {
    return line > 0 ? path + ":" + std::to_string(line) + ": " : path + ": ";
}

// The entry read for each item, file by file, item by item.
using MatchedEntries = std::vector<std::vector<const exchange::Entry*>>;

// Matches the entries to the items by id and fills `after` and `matched`; every problem
// found is listed in `problems`.
void MatchEntries(const Project& project, const exchange::ReadBack& read, const std::string& path, LanguageTexts& after,
                  MatchedEntries& matched, std::vector<std::string>& problems) {
    matched.assign(after.size(), {});
    for (size_t j = 0; j < after.size(); ++j) matched[j].assign(after[j].size(), nullptr);
    std::unordered_map<std::string, ItemRef> items;
    std::vector<std::string> order;  // the ids in file order, for the list of missing items
    for (size_t j = 0; j < project.files.size(); ++j)
        for (size_t i = 0; i < after[j].size(); ++i)
            items[order.emplace_back(project.files[j] + ":" + std::to_string(i) + ":" + project.names[j][i])] = {j, i};
    std::unordered_map<std::string, int> seen;  // id -> line of its first entry
    seen.reserve(read.entries.size());
    for (const exchange::Entry& e : read.entries) {
        const auto item = items.find(e.id);
        if (item == items.end()) {
            problems.push_back(Line(path, e.line) + "unknown item '" + Shown(e.id) +
                               "': no item of the project has this file:index:name");
            continue;
        }
        const auto first = seen.emplace(e.id, e.line);
        if (!first.second) {
            problems.push_back(Line(path, e.line) + "item '" + Shown(e.id) + "' appears a second time (first at line " +
                               std::to_string(first.first->second) + ")");
            continue;
        }
        std::string why = Unexportable(e.text);
        if (why.empty() && e.text.size() > static_cast<size_t>(loctext::kMaxLength))
            why = "is " + std::to_string(e.text.size()) + " bytes long; a .loc text holds at most " +
                  std::to_string(loctext::kMaxLength);
        if (!why.empty()) {
            problems.push_back(Line(path, e.line) + "the text of item '" + Shown(e.id) + "' " + why);
            continue;
        }
        // The comment goes into the state file, which holds UTF-8 text only.
        if (const std::string bad = Unexportable(e.comment); !bad.empty()) {
            problems.push_back(Line(path, e.line) + "the comment of item '" + Shown(e.id) + "' " + bad);
            continue;
        }
        // An empty translation is an untranslated item: it keeps its bytes.
        if (!e.text.empty()) after[item->second.file][item->second.index] = e.text;
        matched[item->second.file][item->second.index] = &e;
    }
    for (const std::string& id : order)
        if (!seen.count(id)) problems.push_back(path + ": item '" + id + "' has no entry in the file");
}

Result ReadExchange(const std::string& format, const std::string& path, const std::string& bytes,
                    exchange::ReadBack& read) {
    if (format == "po") return exchange::ReadPo(path, read);
    if (format == "xliff") return exchange::ReadXliff(path, bytes, read);
    return exchange::ReadCsv(path, bytes, read);
}

std::string ChangeReport(const Project& project, const std::string& language, const LanguageTexts& before,
                         const LanguageTexts& after) {
    size_t total = 0;
    std::string perFile;
    for (size_t j = 0; j < project.files.size(); ++j) {
        size_t changed = 0;
        for (size_t i = 0; i < after[j].size(); ++i) changed += after[j][i] != before[j][i];
        total += changed;
        perFile += (j ? ", " : "") + project.files[j] + " " + std::to_string(changed);
    }
    return language + ": " + std::to_string(total) + (total == 1 ? " item" : " items") + " changed (" + perFile + ")\n";
}

// What an entry's mark asks of the item, against what is stored: a stored item without
// a record, or a plain record, is translated.
exchange::Mark StoredMark(const review::ItemReview* record, const std::string& source) {
    if (!record) return exchange::Mark::Translated;
    if (record->state == review::ReviewState::NeedsReview || review::ReferenceChanged(*record, source))
        return exchange::Mark::ToReview;
    return record->state == review::ReviewState::Approved ? exchange::Mark::Approved : exchange::Mark::Translated;
}

// The item's record after the import of `entry`, as the editor keeps it when a text is
// typed. The comment is the file's. The state changes only for an entry with a text: a
// text that comes in is translated against today's source, so that source is recorded
// (under whatever mark the entry gives), and one that became the source's bytes is
// untranslated. An unchanged text takes the entry's mark; its recorded source moves on
// only when it becomes translated or approved, so a changed source stays to review until
// someone says otherwise. Approval is given in the editor: an import keeps it for an
// unchanged text that comes back approved, and never gives it (a text the translator
// changed under an approved flag, imported twice, would else be approved the second time).
review::ItemReview ImportedReview(const review::ItemReview* record, const exchange::Entry& entry,
                                  const std::string& before, const std::string& after, const std::string& source,
                                  bool translated, review::ItemReview fresh) {
    review::ItemReview out = record ? *record : std::move(fresh);
    if (entry.hasReview) out.comment = entry.comment;
    const bool same = before == after;
    if (entry.text.empty() || (same && !translated)) return out;
    if (!translated) {
        out.state = review::ReviewState::Untranslated;
        out.recordedSource.clear();
        return out;
    }
    const exchange::Mark stored = StoredMark(record, source);
    exchange::Mark mark = entry.hasReview ? entry.mark : stored;
    if (mark == exchange::Mark::Approved && !(same && record && record->state == review::ReviewState::Approved))
        mark = exchange::Mark::Translated;
    if (same && mark == stored) return out;
    if (mark == exchange::Mark::ToReview) {
        out.state = review::ReviewState::NeedsReview;
        if (!same || out.recordedSource.empty()) out.recordedSource = source;
    } else {
        out.state = mark == exchange::Mark::Approved ? review::ReviewState::Approved : review::ReviewState::Translated;
        out.recordedSource = source;
    }
    return out;
}

// The language's states after the import; the number of items whose record changed.
size_t ImportStates(const Project& project, const std::string& language, const projtexts::LanguageStates& states,
                    const LanguageTexts& before, const LanguageTexts& after, const MatchedEntries& matched,
                    review::StateFile& next) {
    next = states.states;
    size_t changed = 0;
    const bool sourceIsOther = language != states.states.sourceLanguage;
    for (size_t j = 0; j < project.files.size(); ++j)
        for (size_t i = 0; i < after[j].size(); ++i) {
            if (!matched[j][i]) continue;
            const std::string& source = states.sources[j][i];
            const review::ItemReview* record = states.Find(project, j, i);
            review::ItemReview fresh;
            fresh.file = project.files[j];
            fresh.index = static_cast<int32_t>(i);
            const bool translated = !projtexts::IsUntranslated(after[j][i], source, sourceIsOther);
            review::ItemReview updated =
                ImportedReview(record, *matched[j][i], before[j][i], after[j][i], source, translated, fresh);
            if (updated == (record ? *record : fresh)) continue;
            review::SetReview(next, std::move(updated));
            ++changed;
        }
    return changed;
}

// ---- stats -----------------------------------------------------------------------

struct FileStats {
    std::string file;
    size_t items = 0, translated = 0;
    // From the review states: marked needs-review, translated from a source text that has
    // changed since (an item may be both), approved, and with a comment.
    size_t needsReview = 0, referenceChanged = 0, approved = 0, commented = 0;

    FileStats& operator+=(const FileStats& o) {
        items += o.items, translated += o.translated, needsReview += o.needsReview;
        referenceChanged += o.referenceChanged, approved += o.approved, commented += o.commented;
        return *this;
    }
};

double Percent(size_t part, size_t whole) { return whole ? 100.0 * static_cast<double>(part) / whole : 100.0; }

std::string JsonString(const std::string& value) {
    std::string out = "\"";
    for (unsigned char c : value) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

// The counts of one language or file as JSON members, after its name.
std::string JsonCounts(const FileStats& f) {
    char percent[32];
    std::snprintf(percent, sizeof percent, "%.1f", Percent(f.translated, f.items));
    return ", \"items\": " + std::to_string(f.items) + ", \"translated\": " + std::to_string(f.translated) +
           ", \"percent\": " + percent + ", \"needs_review\": " + std::to_string(f.needsReview) +
           ", \"reference_changed\": " + std::to_string(f.referenceChanged) +
           ", \"approved\": " + std::to_string(f.approved) + ", \"commented\": " + std::to_string(f.commented);
}

std::string StatsJson(const std::string& reference,
                      const std::vector<std::pair<std::string, std::vector<FileStats>>>& all) {
    std::string out = "{\n  \"reference\": " + JsonString(reference) + ",\n  \"languages\": [";
    for (size_t l = 0; l < all.size(); ++l) {
        FileStats total;
        std::string files;
        for (size_t j = 0; j < all[l].second.size(); ++j) {
            const FileStats& f = all[l].second[j];
            total += f;
            files += std::string(j ? ",\n" : "\n") + "        {\"file\": " + JsonString(f.file) + JsonCounts(f) + "}";
        }
        out += std::string(l ? "," : "") + "\n    {\"language\": " + JsonString(all[l].first) + JsonCounts(total) +
               ",\n      \"files\": [" + files + "\n      ]}";
    }
    return out + "\n  ]\n}\n";
}

std::string StatsRow(int width, const std::string& language, const std::string& file, const FileStats& f) {
    char row[512];
    std::snprintf(row, sizeof row, "%-*s  %-10s %6zu %11zu %7.1f%% %7zu %8zu %9zu %10zu\n", width, language.c_str(),
                  file.c_str(), f.items, f.translated, Percent(f.translated, f.items), f.needsReview,
                  f.referenceChanged, f.approved, f.commented);
    return row;
}

std::string StatsTable(const std::vector<std::pair<std::string, std::vector<FileStats>>>& all) {
    size_t width = 8;
    for (const auto& language : all) width = std::max(width, language.first.size());
    const int w = static_cast<int>(width);
    char header[512];
    std::snprintf(header, sizeof header, "%-*s  %-10s %6s %11s %8s %7s %8s %9s %10s\n", w, "language", "file", "items",
                  "translated", "percent", "review", "changed", "approved", "commented");
    std::string out = header;
    for (const auto& [language, files] : all) {
        FileStats total;
        for (const FileStats& f : files) {
            total += f;
            out += StatsRow(w, language, f.file, f);
        }
        out += StatsRow(w, language, "(all)", total);
    }
    return out;
}

}  // namespace

Result ExportLanguage(const Project& project, const std::string& language, const std::string& reference,
                      const std::string& format, std::string& bytes) {
    Catalog catalog;
    Result r = BuildCatalog(project, language, reference, catalog);
    if (!r.ok) return r;
    if (format == "po") return exchange::WritePo(catalog, bytes);
    if (format == "xliff") return exchange::WriteXliff(catalog, bytes);
    return exchange::WriteCsv(catalog, bytes);
}

Result ImportLanguage(const Project& project, const std::string& language, const std::string& path,
                      const std::string& format, std::string& report) {
    std::string bytes;
    exchange::ReadBack read;
    LanguageTexts before;
    projtexts::LanguageStates states;
    Result r = ReadWhole(path, bytes);
    if (r.ok) r = ReadExchange(format, path, bytes, read);
    if (r.ok) r = projtexts::LoadLanguage(project, language, before);
    if (r.ok) r = projtexts::LoadStates(project, language, states, true);
    if (!r.ok) return r;

    std::vector<std::string> problems;
    if (read.language != language)
        problems.push_back(Line(path, read.languageLine) +
                           (read.language.empty() ? "the file does not say its language"
                                                  : "the file holds the language '" + read.language + "'") +
                           ", not '" + language + "'");
    LanguageTexts after = before;
    MatchedEntries matched;
    if (problems.empty()) MatchEntries(project, read, path, after, matched, problems);
    if (!problems.empty()) {
        std::string message;
        for (size_t i = 0; i < problems.size() && i < kListedProblems; ++i) message += problems[i] + "\n";
        if (problems.size() > kListedProblems)
            message += "... and " + std::to_string(problems.size() - kListedProblems) + " more problems\n";
        return Fail(message + "nothing was imported: no file of " + language + " was changed");
    }
    review::StateFile next;
    const size_t stateChanges = ImportStates(project, language, states, before, after, matched, next);
    const std::string stateBytes = stateChanges ? review::WriteStateFile(next) : std::string();
    if (!(r = projtexts::SaveLanguage(project, language, before, after, &states, stateChanges ? &stateBytes : nullptr))
             .ok)
        return r;
    report = ChangeReport(project, language, before, after);
    if (stateChanges)
        report += language + ": review states of " + std::to_string(stateChanges) +
                  (stateChanges == 1 ? " item" : " items") + " changed (" + review::kStateFolder + "/" +
                  review::StateFileName(language) + ")\n";
    return {};
}

int ExportCommand(const std::vector<std::string>& args) {
    Options options;
    if (!ParseOptions(args, {"--format", "--source", "-o"}, options)) return Usage(kExportHelp);
    if (options.help) return Help(kExportHelp);
    const std::string format = options.named["--format"];
    if (options.positional.size() != 2 || !KnownFormat(format)) return Usage(kExportHelp);
    const std::string& language = options.positional[1];
    const std::string output = FromStartFolder(options.named["-o"]);

    Project project;
    std::string reference, bytes;
    Result r = projtexts::OpenProject(options.positional[0], project);
    if (r.ok && !projtexts::HasLanguage(project, language))
        r = Fail("The language '" + language + "' has no folder under " + options.positional[0] + "/Texts");
    if (r.ok) r = projtexts::PickReference(project, options.named["--source"], reference);
    if (r.ok) r = ExportLanguage(project, language, reference, format, bytes);
    if (r.ok) r = WriteOutput(output, bytes);
    return Report(r);
}

namespace {

// A number of seconds, 0 or more; false for anything else.
bool ParseSeconds(const std::string& text, double& seconds) {
    char* end = nullptr;
    errno = 0;
    seconds = std::strtod(text.c_str(), &end);
    return !text.empty() && end == text.c_str() + text.size() && errno == 0 && seconds >= 0 && seconds < 1e9;
}

}  // namespace

int ImportCommand(const std::vector<std::string>& args) {
    Options options;
    if (!ParseOptions(args, {"--format", "--wait"}, options)) return Usage(kImportHelp);
    if (options.help) return Help(kImportHelp);
    double wait = 0;
    if (options.positional.size() != 3 ||
        (options.named.count("--wait") && !ParseSeconds(options.named["--wait"], wait)))
        return Usage(kImportHelp);
    const std::string& language = options.positional[1];
    const std::string path = FromStartFolder(options.positional[2]);
    const std::string format = FormatOf(options, path);
    if (!KnownFormat(format))
        return Report(Fail("Cannot tell the format of " + options.positional[2] +
                           ": name it .po, .xliff, .xlf or .csv, or give --format"));
    // The file is read before the project is opened, so a wrong path is said first.
    std::string bytes, report;
    Result r = ReadWhole(path, bytes);
    Project project;
    if (r.ok) r = projtexts::OpenProjectForWriting(options.positional[0], "loctool import", wait, project);
    if (r.ok && !projtexts::HasLanguage(project, language))
        r = Fail("The language '" + language + "' has no folder under " + options.positional[0] + "/Texts");
    if (r.ok) r = ImportLanguage(project, language, path, format, report);
    if (!r.ok) return Report(r);
    std::fputs(report.c_str(), stdout);
    return 0;
}

int StatsCommand(const std::vector<std::string>& args) {
    Options options;
    if (!ParseOptions(args, {"--format", "--source"}, options)) return Usage(kStatsHelp);
    if (options.help) return Help(kStatsHelp);
    const std::string format = options.named.count("--format") ? options.named["--format"] : "table";
    if (options.positional.size() != 1 || (format != "table" && format != "json")) return Usage(kStatsHelp);

    Project project;
    std::string reference;
    Result r = projtexts::OpenProject(options.positional[0], project);
    if (r.ok) r = projtexts::PickReference(project, options.named["--source"], reference);
    LanguageTexts sources;
    if (r.ok) r = projtexts::LoadLanguage(project, reference, sources);
    std::vector<std::pair<std::string, std::vector<FileStats>>> all;
    for (size_t l = 0; r.ok && l < project.languages.size(); ++l) {
        const std::string& language = project.languages[l];
        LanguageTexts texts;
        projtexts::LanguageStates states;
        if (!(r = projtexts::LoadLanguage(project, language, texts)).ok) break;
        if (!(r = projtexts::LoadStates(project, language, states)).ok) break;
        std::vector<FileStats> files;
        for (size_t j = 0; j < project.files.size(); ++j) {
            FileStats f;
            f.file = project.files[j];
            f.items = texts[j].size();
            for (size_t i = 0; i < texts[j].size(); ++i) {
                f.translated += !projtexts::IsUntranslated(texts[j][i], sources[j][i], language != reference);
                const review::ItemReview* record = states.Find(project, j, i);
                if (!record) continue;
                f.needsReview += record->state == review::ReviewState::NeedsReview;
                f.referenceChanged += states.ReferenceChanged(project, j, i);
                f.approved += record->state == review::ReviewState::Approved;
                f.commented += !record->comment.empty();
            }
            files.push_back(f);
        }
        all.emplace_back(language, std::move(files));
    }
    if (!r.ok) return Report(r);
    const std::string out = format == "json" ? StatsJson(reference, all) : StatsTable(all);
    return Report(WriteOutput("", out));
}
