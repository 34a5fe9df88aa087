// po_format.cpp - gettext PO files: one entry per item, msgctxt "file:index:name",
// msgid the reference text, msgstr the translation (empty when untranslated), the
// description as an extracted comment. Read with GNU gettext's own library
// (libgettextpo); written directly, because the library's writer (line wrapping by
// display width, charset conversion) is several times slower than loading the texts,
// and the output is plain enough that msgfmt --check and the library itself vouch
// for it in the tests.
#include <gettext-po.h>

#include <algorithm>
#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <memory>
#include <unordered_map>

#include "platform/platform.h"
#include "tools/loctool/exchange.h"

namespace exchange {
namespace {

using loctext::Fail;

// libgettextpo reports problems through callbacks; they collect here. A fatal
// error must not return to the library, so it jumps back to the caller.
struct PoState {
    std::vector<std::string> problems;
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
                po_message_t, const char* f2, size_t l2, size_t, int, const char* t2) {
    std::string second = Where(f2, l2) + (t2 ? t2 : "");
    std::string first = std::string(t1 ? t1 : "") + " " + second;
    OnProblem(severity, m1, f1, l1, c1, ml1, first.c_str());
}

const po_xerror_handler kHandler = {OnProblem, OnProblem2};

struct PoFileFree {
    void operator()(po_file_t f) const { po_file_free(f); }
};
using PoFilePtr = std::unique_ptr<std::remove_pointer_t<po_file_t>, PoFileFree>;

std::string RevisionDate() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M+0000", &utc);
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
// characters other than these raw, and a new quoted line after every line break.
void AppendPoString(std::string& out, std::string_view value) {
    const size_t firstBreak = value.find('\n');
    if (firstBreak != std::string_view::npos && firstBreak + 1 < value.size()) out += "\"\"\n";  // a line each
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
                if (i + 1 < value.size()) out += "\"\n\"";
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

void AppendUnit(std::string& out, const Unit& unit) {
    out += '\n';
    const bool fuzzy = unit.translated && LineBreakEndsDiffer(unit.source, unit.text);
    // msgfmt --check refuses such a pair unless it is fuzzy; the text is still the
    // translation and is imported as such.
    if (fuzzy) out += "# line breaks at the start or end differ from the reference on purpose\n";
    if (!unit.desc.empty()) AppendComment(out, "#.", unit.desc);
    if (fuzzy) out += "#, fuzzy\n";
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

// Line numbers of the msgctxt lines, keyed by the quoted value as written, so an
// entry's line is found by quoting its id the same way.
std::unordered_map<std::string, int> ContextLines(const std::string& bytes) {
    std::unordered_map<std::string, int> lines;
    int line = 1;
    for (size_t start = 0; start < bytes.size(); ++line) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        if (bytes.compare(start, 9, "msgctxt \"") == 0) {
            std::string value = bytes.substr(start + 8, end - start - 8);
            while (!value.empty() && (value.back() == '\r' || value.back() == ' ')) value.pop_back();
            lines.emplace(value, line);
        }
        start = end + 1;
    }
    return lines;
}

std::string PoQuoted(const std::string& value) {
    std::string out = "\"";
    for (char c : value) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
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
    g_po = {};
    if (setjmp(g_po.escape) == 0) g_po.read = po_file_read(path.c_str(), &kHandler);
    PoFilePtr file(g_po.read);
    if (!g_po.problems.empty() || !file) {
        std::string message = g_po.problems.empty() ? "Cannot read " + path : g_po.problems.front();
        for (size_t i = 1; i < g_po.problems.size() && i < 10; ++i) message += "\n" + g_po.problems[i];
        return Fail(message);
    }

    const char* header = po_file_domain_header(file.get(), nullptr);
    read.language = HeaderField(header, "Language");
    const size_t at = bytes.find("\"Language:");
    read.languageLine =
        at == std::string::npos ? 0 : 1 + static_cast<int>(std::count(bytes.begin(), bytes.begin() + at, '\n'));

    const std::unordered_map<std::string, int> lines = ContextLines(bytes);
    po_message_iterator_t it = po_message_iterator(file.get(), nullptr);
    for (po_message_t m; (m = po_next_message(it)) != nullptr;) {
        if (po_message_is_obsolete(m)) continue;
        const char* context = po_message_msgctxt(m);
        if (!context && *po_message_msgid(m) == '\0') continue;  // the header
        Entry entry;
        entry.id = context ? context : "";
        const auto line = lines.find(PoQuoted(entry.id));
        entry.line = line == lines.end() ? 0 : line->second;
        if (po_message_msgid_plural(m)) {  // it has no plain msgstr to take
            po_message_iterator_free(it);
            return Fail(path + ":" + std::to_string(entry.line) + ": '" + entry.id +
                        "' has plural forms, which a game text does not have");
        }
        entry.text = po_message_msgstr(m);
        read.entries.push_back(std::move(entry));
    }
    po_message_iterator_free(it);
    return {};
}

}  // namespace exchange
