// xliff_format.cpp - XLIFF 1.2 through libxml2: one <file> per .loc file, one
// <trans-unit> per item with its "file:index:name" id, <source>, <target state=...>
// (the review state too: needs-review-translation, final), the description as a <note>
// and the translators' comment as a <note from="translator">.
//
// XML 1.0 cannot hold most C0 control characters (nor U+FFFE, U+FFFF) even as
// character references, yet a game text may; each such character is written as the
// inline placeholder <x id="cN" ctype="x-char-XXXX"/> (XXXX its code point in hex),
// which XLIFF 1.2 allows in a source or target and which reads back to the character.
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlwriter.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>
#include <utility>

#include "tools/loctool/exchange.h"

namespace exchange {
namespace {

using loctext::Fail;

const char* const kXliffNamespace = "urn:oasis:names:tc:xliff:document:1.2";
const char* const kCharType = "x-char-";

const xmlChar* X(const char* s) { return reinterpret_cast<const xmlChar*>(s); }
const char* C(const xmlChar* s) { return reinterpret_cast<const char*>(s); }

struct DocFree {
    void operator()(xmlDocPtr doc) const { xmlFreeDoc(doc); }
};
using DocPtr = std::unique_ptr<xmlDoc, DocFree>;

// Decodes the code point of the (valid) UTF-8 sequence of `n` bytes at s[i].
unsigned CodePoint(std::string_view s, size_t i, size_t n) {
    const auto b = [&](size_t k) { return static_cast<unsigned>(static_cast<uint8_t>(s[i + k])); };
    if (n == 1) return b(0);
    unsigned cp = b(0) & (0xFF >> (n + 1));
    for (size_t k = 1; k < n; ++k) cp = (cp << 6) | (b(k) & 0x3F);
    return cp;
}

bool XmlAllows(unsigned cp) {
    return cp == 0x9 || cp == 0xA || cp == 0xD || (cp >= 0x20 && cp != 0xFFFE && cp != 0xFFFF);
}

// Streams the document through libxml2's writer, which escapes every text and
// attribute. No indentation is asked of it, since that would put blanks into the
// texts; the line breaks between elements are written where no text is.
class XliffWriter {
  public:
    XliffWriter() : buffer_(xmlBufferCreate()), w_(buffer_ ? xmlNewTextWriterMemory(buffer_, 0) : nullptr) {
        failed_ = !w_;
    }
    ~XliffWriter() {
        if (w_) xmlFreeTextWriter(w_);
        if (buffer_) xmlBufferFree(buffer_);
    }
    bool ok() const { return buffer_ && !failed_; }

    void Start(const char* name, int depth) {
        if (depth >= 0) Break(depth);
        Check(xmlTextWriterStartElement(w_, X(name)));
    }
    void Attribute(const char* name, const std::string& value) {
        Check(xmlTextWriterWriteAttribute(w_, X(name), X(value.c_str())));
    }
    void End(int depth) {
        if (depth >= 0) Break(depth);
        Check(xmlTextWriterEndElement(w_));
    }

    // `text` (valid UTF-8) as character data, with placeholders for the characters
    // XML cannot hold.
    void Text(std::string_view text) {
        size_t run = 0, placeholders = 0;
        std::string part;
        const auto flush = [&](size_t end) {
            if (end <= run) return;
            part.assign(text.substr(run, end - run));
            Check(xmlTextWriterWriteString(w_, X(part.c_str())));
        };
        for (size_t i = 0; i < text.size();) {
            const size_t n = std::max<size_t>(1, loctext::Utf8Length(text, i));
            const unsigned cp = CodePoint(text, i, n);
            if (!XmlAllows(cp)) {
                flush(i);
                char type[32];
                std::snprintf(type, sizeof type, "%s%04X", kCharType, cp);
                Start("x", -1);
                Attribute("id", "c" + std::to_string(++placeholders));
                Attribute("ctype", type);
                End(-1);
                run = i + n;
            }
            i += n;
        }
        flush(text.size());
    }

    void Element(const char* name, std::string_view text, int depth) {
        Start(name, depth);
        Text(text);
        End(-1);
    }

    void StartDocument() { Check(xmlTextWriterStartDocument(w_, "1.0", "UTF-8", nullptr)); }
    std::string Finish() {
        Check(xmlTextWriterEndDocument(w_));
        xmlFreeTextWriter(w_);  // flushes into the buffer
        w_ = nullptr;
        return std::string(C(xmlBufferContent(buffer_)), static_cast<size_t>(xmlBufferLength(buffer_)));
    }

  private:
    // A line break and two blanks a level, between elements only.
    void Break(int depth) {
        indent_.assign(1, '\n');
        indent_.append(2 * static_cast<size_t>(depth), ' ');
        Check(xmlTextWriterWriteRaw(w_, X(indent_.c_str())));
    }

    void Check(int result) { failed_ = failed_ || result < 0; }

    xmlBufferPtr buffer_;
    xmlTextWriterPtr w_;
    bool failed_ = false;
    std::string indent_;
};

// The <note from="..."> that holds the translators' comment; a <note> without it is the
// item's description, which the game's files own.
const char* const kTranslatorNote = "translator";

const char* TargetState(const Unit& unit) {
    if (!unit.translated) return "needs-translation";
    if (unit.toReview) return "needs-review-translation";
    return unit.approved ? "final" : "translated";
}

// The review state of a target's state attribute. XLIFF 1.2 has more states than the
// editor: whatever asks for another look is to review, signed off is approved too.
Mark MarkOfState(const std::string& state) {
    if (state.rfind("needs-review-", 0) == 0 || state == "needs-adaptation" || state == "needs-l10n")
        return Mark::ToReview;
    if (state == "final" || state == "signed-off") return Mark::Approved;
    return Mark::Translated;
}

void WriteUnit(XliffWriter& w, const Unit& unit) {
    w.Start("trans-unit", 3);
    w.Attribute("id", unit.Id());
    w.Attribute("resname", unit.name);
    w.Attribute("xml:space", "preserve");  // leading and trailing blanks are part of a text
    w.Element("source", unit.source, 4);
    w.Start("target", 4);
    w.Attribute("state", TargetState(unit));
    if (unit.translated) w.Text(unit.text);
    w.End(-1);
    if (!unit.desc.empty()) w.Element("note", unit.desc, 4);
    if (!unit.comment.empty()) {
        w.Start("note", 4);
        w.Attribute("from", kTranslatorNote);
        w.Text(unit.comment);
        w.End(-1);
    }
    w.End(3);
}

// ---- reading -------------------------------------------------------------------
// Strict: XLIFF 1.2 in its namespace, units in <body> and <group>s, at most one
// <target> per unit holding text, our <x> placeholders and CAT tools' segment marks.
// Whatever else could carry a translator's text (other inline markup, a <target> of
// another namespace or version) is refused, since taking the rest would lose it.

// Limits checked on the raw bytes before libxml2 parses them. libxml2 compares each
// attribute of a start tag with all the ones before it, so a tag with 200,000
// attributes takes about a minute. loctool's own files use at most 4 attributes in a
// tag, 6 levels of elements and lines of about a megabyte at worst (a 32767-byte text
// made of placeholders).
constexpr size_t kMaxAttributes = 1000;
constexpr int kMaxDepth = 100;
constexpr size_t kMaxLine = 16 << 20;

bool InXliff(xmlNodePtr node) {
    return node->ns && node->ns->href && xmlStrcmp(node->ns->href, X(kXliffNamespace)) == 0;
}

bool Named(xmlNodePtr node, const char* name) {
    return node->type == XML_ELEMENT_NODE && InXliff(node) && xmlStrcmp(node->name, X(name)) == 0;
}

// An element that would be read as `name` if it were in XLIFF 1.2's namespace.
bool NamedElsewhere(xmlNodePtr node, const char* name) {
    return node->type == XML_ELEMENT_NODE && !InXliff(node) && xmlStrcmp(node->name, X(name)) == 0;
}

std::string NamespaceOf(xmlNodePtr node) {
    return node->ns && node->ns->href ? "the namespace " + std::string(C(node->ns->href)) : "no namespace";
}

// Attributes in no namespace, as XLIFF 1.2 defines its own.
std::string Attribute(xmlNodePtr node, const char* name) {
    xmlChar* value = xmlGetNoNsProp(node, X(name));
    std::string result = value ? C(value) : "";
    xmlFree(value);
    return result;
}

std::string At(const std::string& path, xmlNodePtr node) {
    return path + ":" + std::to_string(xmlGetLineNo(node)) + ": ";
}

Result Foreign(const std::string& path, xmlNodePtr node) {
    return Fail(At(path, node) + "a <" + C(node->name) + "> in " + NamespaceOf(node) + ", not in XLIFF 1.2's (" +
                kXliffNamespace + ")");
}

// Measures lines, nesting and start tags on the raw bytes against the limits above.
Result Prescan(const std::string& path, std::string_view b) {
    int line = 1;
    size_t counted = 0;  // the bytes before it are counted into `line`
    const auto fail = [&](size_t at, const std::string& why) {
        line += static_cast<int>(
            std::count(b.begin() + static_cast<long>(counted), b.begin() + static_cast<long>(at), '\n'));
        return Fail(path + ":" + std::to_string(line) + ": " + why);
    };
    for (size_t start = 0; start < b.size();) {
        const size_t end = std::min(b.find('\n', start), b.size());
        if (end - start > kMaxLine)
            return fail(start,
                        "a line longer than " + std::to_string(kMaxLine >> 20) + " MiB, loctool's limit for XLIFF");
        start = end + 1;
    }
    if (b.size() > static_cast<size_t>(INT32_MAX)) return Fail(path + ": the file is larger than 2 GiB");
    int depth = 0;
    const auto skipPast = [&](size_t from, const char* mark) {
        const size_t at = b.find(mark, from);
        return at == std::string_view::npos ? b.size() : at + std::strlen(mark);
    };
    for (size_t i = b.find('<'); i < b.size(); i = b.find('<', i)) {
        const std::string_view rest = b.substr(i);
        if (rest.rfind("<!--", 0) == 0) {
            i = skipPast(i + 4, "-->");
        } else if (rest.rfind("<![CDATA[", 0) == 0) {
            i = skipPast(i + 9, "]]>");
        } else if (rest.rfind("<?", 0) == 0) {
            i = skipPast(i + 2, "?>");
        } else if (rest.rfind("</", 0) == 0) {
            --depth;
            i = skipPast(i + 2, ">");
        } else {  // a start tag, or a declaration (<!DOCTYPE ...>, with its [internal subset])
            const bool declaration = rest.rfind("<!", 0) == 0;
            size_t attributes = 0, k = i + 1;
            int brackets = 0;
            for (char quote = 0; k < b.size(); ++k) {
                const char c = b[k];
                if (quote) {
                    quote = c == quote ? 0 : quote;
                } else if (c == '"' || c == '\'') {
                    quote = c;
                } else if (c == '[' || c == ']') {
                    brackets += c == '[' ? 1 : -1;
                } else if (c == '=') {
                    ++attributes;
                } else if (c == '>' && (!declaration || brackets <= 0)) {
                    break;
                }
            }
            if (!declaration && attributes > kMaxAttributes)
                return fail(i, "a start tag with more than " + std::to_string(kMaxAttributes) +
                                   " attributes, loctool's limit for XLIFF");
            if (!declaration && b[k - 1] != '/' && ++depth > kMaxDepth)
                return fail(
                    i, "elements nested more than " + std::to_string(kMaxDepth) + " deep, loctool's limit for XLIFF");
            i = k;
        }
    }
    return {};
}

void AppendCodePoint(std::string& out, unsigned cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// The character an <x ctype="x-char-XXXX"/> of ours stands for: four hex digits naming
// one that XML cannot hold; 0 when it is not one of ours.
unsigned PlaceholderChar(const std::string& type) {
    const size_t prefix = std::strlen(kCharType);
    if (type.size() != prefix + 4 || type.compare(0, prefix, kCharType) != 0) return 0;
    unsigned cp = 0;
    for (size_t k = prefix; k < type.size(); ++k) {
        const int digit = loctext::HexDigit(type[k]);
        if (digit < 0) return 0;
        cp = cp * 16 + static_cast<unsigned>(digit);
    }
    return XmlAllows(cp) ? 0 : cp;
}

// The text of a <target> (or of a segment mark in it): its text nodes, with our
// placeholders turned back into their characters. Comments carry no text.
Result ReadContent(const std::string& path, xmlNodePtr parent, std::string& out) {
    for (xmlNodePtr n = parent->children; n; n = n->next) {
        if (n->type == XML_TEXT_NODE || n->type == XML_CDATA_SECTION_NODE) {
            if (n->content) out += C(n->content);
        } else if (n->type == XML_COMMENT_NODE) {
            continue;
        } else if (Named(n, "x")) {
            const std::string type = Attribute(n, "ctype");
            const unsigned cp = PlaceholderChar(type);
            if (cp == 0)
                return Fail(At(path, n) + "an <x> placeholder that does not stand for a character (ctype \"" + type +
                            "\")");
            if (n->children)
                return Fail(At(path, n) +
                            "an <x> placeholder with content: it stands for one character and holds none");
            AppendCodePoint(out, cp);
        } else if (Named(n, "mrk") && Attribute(n, "mtype") == "seg") {
            Result r = ReadContent(path, n, out);  // a CAT tool's segment: its text is the text
            if (!r.ok) return r;
        } else if (Named(n, "mrk")) {
            return Fail(At(path, n) + "a <mrk mtype=\"" + Attribute(n, "mtype") +
                        "\"> inside a <target>: only segment marks (mtype=\"seg\") can be read into a game text");
        } else if (n->type == XML_ENTITY_REF_NODE) {
            // Left unexpanded by the parser: taking the rest would lose its text.
            return Fail(At(path, n) + "the entity &" + C(n->name) + "; inside a <target> is not supported");
        } else if (n->type == XML_ELEMENT_NODE) {
            return Fail(At(path, n) + "<" + C(n->name) + ">" + (InXliff(n) ? "" : " (in " + NamespaceOf(n) + ")") +
                        " inside a <target>: a game text holds no inline markup");
        } else {
            return Fail(At(path, n) + "a processing instruction or declaration inside a <target>");
        }
    }
    return {};
}

Result ReadUnit(const std::string& path, xmlNodePtr tu, ReadBack& read) {
    Entry entry;
    entry.id = Attribute(tu, "id");
    entry.line = static_cast<int>(xmlGetLineNo(tu));
    xmlNodePtr target = nullptr;
    for (xmlNodePtr n = tu->children; n; n = n->next) {
        if (NamedElsewhere(n, "target")) return Foreign(path, n);
        if (!Named(n, "target")) continue;
        if (target)
            return Fail(At(path, n) + "a second <target> in the unit '" + entry.id + "' (the first at line " +
                        std::to_string(xmlGetLineNo(target)) + "): a unit holds one translation");
        target = n;
        Result r = ReadContent(path, n, entry.text);
        if (!r.ok) return r;
        entry.mark = MarkOfState(Attribute(n, "state"));
    }
    // Translators' notes, several joined a line each: their text and our placeholders.
    // A note is no game text, so markup a tool put there is passed over, not refused.
    bool firstNote = true;
    for (xmlNodePtr n = tu->children; n; n = n->next) {
        if (!Named(n, "note") || Attribute(n, "from") != kTranslatorNote) continue;
        if (!std::exchange(firstNote, false)) entry.comment += '\n';
        std::string note;
        for (xmlNodePtr c = n->children; c; c = c->next) {
            if ((c->type == XML_TEXT_NODE || c->type == XML_CDATA_SECTION_NODE) && c->content) note += C(c->content);
            if (Named(c, "x"))
                if (const unsigned cp = PlaceholderChar(Attribute(c, "ctype")); cp != 0) AppendCodePoint(note, cp);
        }
        entry.comment += note;
    }
    read.entries.push_back(std::move(entry));
    return {};
}

// Trans-units sit in the <body> and in <group>s at any depth of it.
Result ReadUnits(const std::string& path, xmlNodePtr parent, ReadBack& read) {
    for (xmlNodePtr n = parent->children; n; n = n->next) {
        Result r;
        if (Named(n, "trans-unit"))
            r = ReadUnit(path, n, read);
        else if (Named(n, "group"))
            r = ReadUnits(path, n, read);
        else if (Named(n, "bin-unit"))
            r = Fail(At(path, n) + "a <bin-unit>: a game text is no binary object");
        else if (NamedElsewhere(n, "trans-unit") || NamedElsewhere(n, "group"))
            r = Foreign(path, n);
        if (!r.ok) return r;
    }
    return {};
}

Result ReadFileElement(const std::string& path, xmlNodePtr file, ReadBack& read) {
    const std::string language = Attribute(file, "target-language");
    const int line = static_cast<int>(xmlGetLineNo(file));
    if (read.languageLine == 0) {
        read.language = language;
        read.languageLine = line;
    } else if (language != read.language) {
        return Fail(At(path, file) + "this <file> is for \"" + language + "\" but the one at line " +
                    std::to_string(read.languageLine) + " is for \"" + read.language + "\"");
    }
    for (xmlNodePtr n = file->children; n; n = n->next) {
        Result r;
        if (Named(n, "body"))
            r = ReadUnits(path, n, read);
        else if (NamedElsewhere(n, "body"))
            r = Foreign(path, n);
        else if (n->type == XML_ELEMENT_NODE && InXliff(n) && !Named(n, "header"))
            r = Fail(At(path, n) + "a <" + C(n->name) + "> inside a <file>, where XLIFF 1.2 has <header> and <body>");
        if (!r.ok) return r;
    }
    return {};
}

}  // namespace

Result WriteXliff(const Catalog& catalog, std::string& out) {
    XliffWriter w;
    if (!w.ok()) return Fail("Cannot build the XLIFF file: out of memory");
    w.StartDocument();
    w.Start("xliff", -1);
    w.Attribute("xmlns", kXliffNamespace);
    w.Attribute("version", "1.2");
    for (size_t u = 0; u < catalog.units.size();) {
        const std::string& file = catalog.units[u].file;
        w.Start("file", 1);
        w.Attribute("original", file + ".loc");
        w.Attribute("source-language", catalog.sourceLanguage);
        w.Attribute("target-language", catalog.language);
        w.Attribute("datatype", "plaintext");
        w.Start("body", 2);
        for (; u < catalog.units.size() && catalog.units[u].file == file; ++u) WriteUnit(w, catalog.units[u]);
        w.End(2);
        w.End(1);
    }
    w.End(0);
    out = w.Finish();
    if (!w.ok()) return Fail("Cannot build the XLIFF file: the XML writer failed");
    out += '\n';
    return {};
}

Result ReadXliff(const std::string& path, const std::string& bytes, ReadBack& read) {
    read = {};
    Result r = Prescan(path, bytes);
    if (!r.ok) return r;
    xmlResetLastError();
    DocPtr doc(xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), path.c_str(), nullptr,
                             XML_PARSE_NONET | XML_PARSE_BIG_LINES | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
    if (!doc) {
        const xmlError* e = xmlGetLastError();
        std::string why = e && e->message ? e->message : "not well-formed XML";
        while (!why.empty() && why.back() == '\n') why.pop_back();
        return Fail(path + ":" + std::to_string(e ? e->line : 0) + ": " + why);
    }
    xmlNodePtr root = xmlDocGetRootElement(doc.get());
    if (!root || xmlStrcmp(root->name, X("xliff")) != 0)
        return Fail(path + ": not an XLIFF file (its root element is not <xliff>)");
    if (!InXliff(root))
        return Fail(At(path, root) + "loctool reads XLIFF 1.2, and this <xliff> is in " + NamespaceOf(root) + ", not " +
                    kXliffNamespace);
    const std::string version = Attribute(root, "version");
    if (version != "1.2")
        return Fail(At(path, root) + "loctool reads XLIFF 1.2, and this file says version \"" + version + "\"");
    for (xmlNodePtr n = root->children; n; n = n->next) {
        if (NamedElsewhere(n, "file")) return Foreign(path, n);
        if (Named(n, "file") && !(r = ReadFileElement(path, n, read)).ok) return r;
    }
    return {};
}

}  // namespace exchange
