// po_format.cpp - gettext PO files: one entry per item, msgctxt "file:index:name",
// msgid the reference text, msgstr the translation (empty when untranslated), the
// description as an extracted comment, the translators' comment as translator comments,
// the review state as flags (fuzzy with the previous msgid, zazovi-approved). Read with GNU gettext's own library
// (libgettextpo); written directly, because the library's writer (line wrapping by
// display width, charset conversion) is several times slower than loading the texts,
// and the output is plain enough that msgfmt --check and the library itself vouch
// for it in the tests.
#include <gettext-po.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>

#include "platform/platform.h"
#include "tools/loctool/exchange.h"

namespace exchange {
namespace {

using loctext::Fail;

// libgettextpo reports problems through callbacks; they collect here. A fatal
// error must not return to the library, so it jumps back to the caller.
struct PoState {
    std::vector<std::string> problems;
    // A duplicate names the first definition by its message only (gettext 0.21 passes
    // no position for it); the reader finds its line once the file is read.
    struct Duplicate {
        size_t problem;
        po_message_t first;
        size_t line;       // of the second definition's msgid
        std::string text;  // what the library says of it
    };
    std::vector<Duplicate> duplicates;
    bool fatal = false;
    po_file_t read = nullptr;  // kept here, not in a local that longjmp may clobber
    std::jmp_buf escape;
};
PoState g_po;

std::string Where(const char* filename, size_t lineno) {
    std::string at = filename ? filename : "";
    if (filename && lineno != static_cast<size_t>(-1)) at += ":" + std::to_string(lineno);
    return at.empty() ? at : at + ": ";
}

void OnProblem(int severity, po_message_t, const char* filename, size_t lineno, size_t, int, const char* text) {
    if (severity == PO_SEVERITY_WARNING) return;
    std::string message = Where(filename, lineno) + (text ? text : "");
    while (!message.empty() && message.back() == '\n') message.pop_back();
    g_po.problems.push_back(message);
    if (severity == PO_SEVERITY_FATAL_ERROR) {
        g_po.fatal = true;
        std::longjmp(g_po.escape, 1);
    }
}

void OnProblem2(int severity, po_message_t m1, const char* f1, size_t l1, size_t c1, int ml1, const char* t1,
                po_message_t m2, const char* f2, size_t l2, size_t, int, const char* t2) {
    if (!f2 && m2 && severity != PO_SEVERITY_WARNING) {  // the first definition's line is found later
        g_po.duplicates.push_back({g_po.problems.size(), m2, l1, t1 ? t1 : ""});
        OnProblem(severity, m1, f1, l1, c1, ml1, t1);
        return;
    }
    std::string second = Where(f2, l2) + (t2 ? t2 : "");
    std::string first = std::string(t1 ? t1 : "") + "; " + second;
    OnProblem(severity, m1, f1, l1, c1, ml1, first.c_str());
}

const po_xerror_handler kHandler = {OnProblem, OnProblem2};

struct PoFileFree {
    void operator()(po_file_t f) const { po_file_free(f); }
};
using PoFilePtr = std::unique_ptr<std::remove_pointer_t<po_file_t>, PoFileFree>;

// Now, or the time SOURCE_DATE_EPOCH gives (whole seconds since 1970, UTC), as
// reproducible builds set it: the same project then exports the same bytes anywhere.
std::string RevisionDate() {
    using namespace std::chrono;
    int64_t seconds = duration_cast<std::chrono::seconds>(system_clock::now().time_since_epoch()).count();
    if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH"); epoch && *epoch) {
        char* end = nullptr;
        errno = 0;
        const long long given = std::strtoll(epoch, &end, 10);
        if (*end == '\0' && errno == 0 && given >= 0 && given < 253402300800LL)  // up to the year 9999
            seconds = given;
        else
            std::fprintf(stderr,
                         "loctool: warning: SOURCE_DATE_EPOCH=%s is not a number of seconds; the PO header "
                         "takes the time now\n",
                         epoch);
    }
    const sys_days day{floor<days>(sys_seconds{std::chrono::seconds{seconds}}.time_since_epoch())};
    const year_month_day date{day};
    const int64_t minutes = (seconds - duration_cast<std::chrono::seconds>(day.time_since_epoch()).count()) / 60;
    char stamp[40];
    std::snprintf(stamp, sizeof stamp, "%04d-%02u-%02u %02d:%02d+0000", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<int>(minutes / 60), static_cast<int>(minutes % 60));
    return stamp;
}

std::string Header(const Catalog& catalog) {
    return "Project-Id-Version: " + catalog.language + "\n" + "PO-Revision-Date: " + RevisionDate() + "\n" +
           "Last-Translator: \n" + "Language-Team: " + catalog.language + "\n" + "Language: " + catalog.language +
           "\n" + "MIME-Version: 1.0\n" + "Content-Type: text/plain; charset=UTF-8\n" +
           "Content-Transfer-Encoding: 8bit\n" + "Plural-Forms: \n" + "X-Source-Language: " + catalog.sourceLanguage +
           "\n";
}

// Appends `value` as a PO string: escapes as gettext writes them, control
// characters other than these raw, and a new quoted line after every line break, each
// continuation line after `linePrefix` ("#| " in a previous-msgid comment).
void AppendPoString(std::string& out, std::string_view value, std::string_view linePrefix = {}) {
    const size_t firstBreak = value.find('\n');
    if (firstBreak != std::string_view::npos && firstBreak + 1 < value.size())
        out.append("\"\"\n").append(linePrefix);  // a line each
    out += '"';
    for (size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '"':
                out += "\\\"";
                break;
            case '\a':
                out += "\\a";
                break;
            case '\b':
                out += "\\b";
                break;
            case '\f':
                out += "\\f";
                break;
            case '\v':
                out += "\\v";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\n':
                out += "\\n";
                if (i + 1 < value.size()) out.append("\"\n").append(linePrefix).append("\"");
                break;
            default:
                out += c;
        }
    }
    out += "\"\n";
}

void AppendComment(std::string& out, const char* mark, std::string_view text) {
    for (size_t start = 0;;) {
        const size_t end = std::min(text.find('\n', start), text.size());
        out += mark;
        if (end > start) out.append(" ").append(text.substr(start, end - start));
        out += '\n';
        if (end >= text.size()) break;
        start = end + 1;
    }
}

// The flags loctool adds to gettext's own "fuzzy", which other tools keep as they are.
constexpr std::string_view kApprovedFlag = "zazovi-approved";
// The entry is fuzzy only because its line breaks at the start or end differ from the
// reference, which msgfmt --check refuses in a translated entry: it is translated.
constexpr std::string_view kEdgeBreaksFlag = "zazovi-edge-breaks";
// What files exported before that flag said instead, as a translator comment.
constexpr std::string_view kOldEdgeBreaksComment =
    "line breaks at the start or end differ from the reference on purpose";

// In the order gettext writes an entry's comments: translator, extracted, flags,
// previous msgid.
void AppendUnit(std::string& out, const Unit& unit) {
    out += '\n';
    if (!unit.comment.empty()) AppendComment(out, "#", unit.comment);
    if (!unit.desc.empty()) AppendComment(out, "#.", unit.desc);
    const bool review = unit.translated && unit.toReview;
    const bool edgeBreaks = unit.translated && LineBreakEndsDiffer(unit.source, unit.text);
    std::string flags;
    if (review || edgeBreaks) flags += ", fuzzy";
    if (unit.translated && unit.approved && !review) flags.append(", ").append(kApprovedFlag);
    if (edgeBreaks && !review) flags.append(", ").append(kEdgeBreaksFlag);
    if (!flags.empty()) out.append("#").append(flags).append("\n");
    if (review && !unit.previousSource.empty()) {
        out += "#| msgctxt ";
        AppendPoString(out, unit.Id(), "#| ");
        out += "#| msgid ";
        AppendPoString(out, unit.previousSource, "#| ");
    }
    out += "msgctxt ";
    AppendPoString(out, unit.Id());
    out += "msgid ";
    AppendPoString(out, unit.source);
    out += "msgstr ";
    AppendPoString(out, unit.translated ? std::string_view(unit.text) : std::string_view());
}

std::string HeaderField(const char* header, const char* field) {
    if (!header) return {};
    char* value = po_header_field(header, field);
    std::string result = value ? value : "";
    std::free(value);
    return result;
}

// What loctool needs of a PO file that libgettextpo does not say: where each message
// starts (the library keeps no positions of its own), its flags (the library keeps only
// those it knows, and drops loctool's own), strings that hold a NUL byte
// (the library hands out C strings, which a NUL cuts short: "\000" would shorten a
// text, or turn a near-miss msgctxt into a match) and `domain` lines (whose messages
// the default domain, which loctool reads, would not hold). The bytes are walked as
// the library tokenizes them: comments to the end of the line, "#~" before the
// keywords of an obsolete entry, quoted strings with C escapes.
struct PoScan {
    struct Message {
        int line = 0;       // of its msgctxt, else of its msgid
        int msgidLine = 0;  // where the library reports a duplicate
        std::vector<std::string> flags;
    };
    std::vector<Message> messages;  // in file order, as the library lists them
    int nulLine = 0, domainLine = 0;
    std::string nulKeyword;
};

bool IsOctal(char c) { return c >= '0' && c <= '7'; }

// Skips the quoted string at b[i] (the opening quote); true when it holds a NUL byte,
// raw or as an escape. Octal escapes take up to three digits and keep the low byte
// (so "\400" is a NUL too), hex escapes up to two, as libgettextpo reads them.
bool SkipString(std::string_view b, size_t& i) {
    bool nul = false;
    for (++i; i < b.size() && b[i] != '"' && b[i] != '\n'; ++i) {
        if (b[i] == '\0') nul = true;
        if (b[i] != '\\' || i + 1 >= b.size()) continue;
        unsigned value = 1;
        size_t k = i + 1;
        if (IsOctal(b[k])) {
            value = 0;
            for (size_t end = k + 3; k < end && k < b.size() && IsOctal(b[k]); ++k) value = value * 8 + (b[k] - '0');
        } else if (b[k] == 'x' && k + 1 < b.size() && loctext::HexDigit(b[k + 1]) >= 0) {
            value = 0;
            for (size_t end = ++k + 2; k < end && k < b.size() && loctext::HexDigit(b[k]) >= 0; ++k)
                value = value * 16 + static_cast<unsigned>(loctext::HexDigit(b[k]));
        } else if (b[k] != '\n') {  // a line break ends the string, escaped or not
            ++k;
        }
        nul = nul || (value & 0xFF) == 0;
        i = k - 1;
    }
    if (i < b.size() && b[i] == '"') ++i;
    return nul;
}

// The flags of a "#," line (from just after the comma) to the end of the line.
void AddFlags(std::string_view b, size_t& i, std::vector<std::string>& flags) {
    const size_t end = std::min(b.find('\n', i), b.size());
    for (size_t start = i; start <= end;) {
        const size_t comma = std::min(b.find(',', start), end);
        std::string_view flag = b.substr(start, comma - start);
        while (!flag.empty() && std::isspace(static_cast<unsigned char>(flag.front()))) flag.remove_prefix(1);
        while (!flag.empty() && std::isspace(static_cast<unsigned char>(flag.back()))) flag.remove_suffix(1);
        if (!flag.empty()) flags.emplace_back(flag);
        start = comma + 1;
    }
    i = end;
}

bool IsWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '[' || c == ']'; }

PoScan ScanPo(std::string_view b) {
    PoScan scan;
    int line = 1;
    bool obsolete = false;      // the rest of this line follows "#~"
    bool afterContext = false;  // the last keyword was a msgctxt: its msgid starts no message
    std::string_view keyword;
    std::vector<std::string> flags;  // of the message that starts next
    for (size_t i = 0; i < b.size();) {
        const char c = b[i];
        if (c == '\n') {
            ++line, ++i;
            obsolete = false;
        } else if (c == '#' && i + 1 < b.size() && b[i + 1] == '~' && (i + 2 >= b.size() || b[i + 2] != '|')) {
            obsolete = true;
            i += 2;
        } else if (c == '#' && i + 1 < b.size() && b[i + 1] == ',') {
            i += 2;
            AddFlags(b, i, flags);
        } else if (c == '#') {
            i = std::min(b.find('\n', i), b.size());
        } else if (c == '"') {
            if (SkipString(b, i) && !obsolete && scan.nulLine == 0) {
                scan.nulLine = line;
                scan.nulKeyword = keyword;
            }
        } else if (IsWordChar(c)) {
            const size_t start = i;
            while (i < b.size() && IsWordChar(b[i])) ++i;
            keyword = b.substr(start, i - start);
            if (keyword == "msgctxt" || (keyword == "msgid" && !afterContext)) {
                scan.messages.push_back({line, 0, std::move(flags)});
                flags.clear();
            }
            if (keyword == "msgid" && !scan.messages.empty()) scan.messages.back().msgidLine = line;
            if (keyword == "domain" && !obsolete && scan.domainLine == 0) scan.domainLine = line;
            afterContext = keyword == "msgctxt";
        } else {
            ++i;
        }
    }
    return scan;
}

// Says each duplicate with the lines where both definitions start. The library drops
// a duplicate from its list, so the scan's messages less the duplicates line up with
// the list; when they do not, the message stays as the library said it.
void PlaceDuplicates(const std::string& path, po_file_t file, const PoScan& scan) {
    if (!file || g_po.duplicates.empty()) return;
    std::vector<int> lines;  // the scan's line of each listed message
    for (const PoScan::Message& m : scan.messages) {
        const auto dropped = [&](const PoState::Duplicate& d) { return static_cast<int>(d.line) == m.msgidLine; };
        if (std::none_of(g_po.duplicates.begin(), g_po.duplicates.end(), dropped)) lines.push_back(m.line);
    }
    std::vector<po_message_t> listed;
    po_message_iterator_t it = po_message_iterator(file, nullptr);
    for (po_message_t m; (m = po_next_message(it)) != nullptr;) listed.push_back(m);
    po_message_iterator_free(it);
    if (listed.size() != lines.size()) return;
    for (const PoState::Duplicate& d : g_po.duplicates) {
        const auto first = std::find(listed.begin(), listed.end(), d.first);
        const auto second = std::find_if(scan.messages.begin(), scan.messages.end(), [&](const PoScan::Message& m) {
            return m.msgidLine == static_cast<int>(d.line);
        });
        if (first == listed.end() || second == scan.messages.end() || d.problem >= g_po.problems.size()) continue;
        g_po.problems[d.problem] = path + ":" + std::to_string(second->line) + ": " + d.text +
                                   " (the first definition is at line " +
                                   std::to_string(lines[static_cast<size_t>(first - listed.begin())]) + ")";
    }
}

// Fuzzy is to review, unless loctool's edge-breaks flag says why it is fuzzy and no
// previous msgid (a changed source) gives another reason.
Mark PoMark(po_message_t m, const std::vector<std::string>& flags) {
    const auto has = [&](std::string_view flag) { return std::find(flags.begin(), flags.end(), flag) != flags.end(); };
    const bool edgeBreaksOnly = has(kEdgeBreaksFlag) && !po_message_prev_msgid(m) && !po_message_prev_msgctxt(m);
    if (po_message_is_fuzzy(m) && !edgeBreaksOnly) return Mark::ToReview;
    return has(kApprovedFlag) ? Mark::Approved : Mark::Translated;
}

}  // namespace

bool LineBreakEndsDiffer(std::string_view source, std::string_view text) {
    const auto starts = [](std::string_view s) { return !s.empty() && s.front() == '\n'; };
    const auto ends = [](std::string_view s) { return !s.empty() && s.back() == '\n'; };
    if (source.empty() || text.empty()) return false;
    return starts(source) != starts(text) || ends(source) != ends(text);
}

Result WritePo(const Catalog& catalog, std::string& out) {
    out = "msgid \"\"\nmsgstr ";
    AppendPoString(out, Header(catalog));
    for (const Unit& unit : catalog.units) AppendUnit(out, unit);
    return {};
}

Result ReadPo(const std::string& path, ReadBack& read) {
    read = {};
    std::string bytes;
    Result r;
    if (!(r.ok = PlatReadFile(path, bytes, &r.message))) return r;
    const PoScan scan = ScanPo(bytes);
    g_po = {};
    if (setjmp(g_po.escape) == 0) g_po.read = po_file_read(path.c_str(), &kHandler);
    PoFilePtr file(g_po.read);
    if (!g_po.problems.empty() || !file) {
        PlaceDuplicates(path, file.get(), scan);
        std::string message = g_po.problems.empty() ? "Cannot read " + path : g_po.problems.front();
        for (size_t i = 1; i < g_po.problems.size() && i < 10; ++i) message += "\n" + g_po.problems[i];
        return Fail(message);
    }
    if (scan.nulLine)
        return Fail(path + ":" + std::to_string(scan.nulLine) + ": this " + scan.nulKeyword +
                    " holds a NUL byte (\\000, \\x00 or a raw one), which no " +
                    (scan.nulKeyword == "msgctxt" ? "item id" : "game text") + " holds");
    if (scan.domainLine)
        return Fail(path + ":" + std::to_string(scan.domainLine) +
                    ": a domain line: loctool's PO files hold one domain, the default one");

    const char* header = po_file_domain_header(file.get(), nullptr);
    read.language = HeaderField(header, "Language");
    const size_t at = bytes.find("\"Language:");
    read.languageLine =
        at == std::string::npos ? 0 : 1 + static_cast<int>(std::count(bytes.begin(), bytes.begin() + at, '\n'));

    std::vector<po_message_t> messages;
    po_message_iterator_t it = po_message_iterator(file.get(), nullptr);
    for (po_message_t m; (m = po_next_message(it)) != nullptr;) messages.push_back(m);
    po_message_iterator_free(it);
    const bool placed = messages.size() == scan.messages.size();  // else the lines are not known
    for (size_t k = 0; k < messages.size(); ++k) {
        const po_message_t m = messages[k];
        if (po_message_is_obsolete(m)) continue;
        const char* context = po_message_msgctxt(m);
        if (!context && *po_message_msgid(m) == '\0') continue;  // the header
        Entry entry;
        entry.id = context ? context : "";
        entry.line = placed ? scan.messages[k].line : 0;
        if (po_message_msgid_plural(m))  // it has no plain msgstr to take
            return Fail(path + ":" + std::to_string(entry.line) + ": '" + entry.id +
                        "' has plural forms, which a game text does not have");
        entry.text = po_message_msgstr(m);
        std::vector<std::string> flags = placed ? scan.messages[k].flags : std::vector<std::string>();
        if (const char* comments = po_message_comments(m)) {
            entry.comment = comments;  // a line each, each ended by a line feed
            if (!entry.comment.empty() && entry.comment.back() == '\n') entry.comment.pop_back();
        }
        if (entry.comment == kOldEdgeBreaksComment) {
            entry.comment.clear();
            flags.emplace_back(kEdgeBreaksFlag);
        }
        entry.mark = PoMark(m, flags);
        read.entries.push_back(std::move(entry));
    }
    return {};
}

}  // namespace exchange
