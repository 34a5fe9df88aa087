// xliff_format.cpp - XLIFF 1.2 through libxml2: one <file> per .loc file, one
// <trans-unit> per item with its "file:index:name" id, <source>, <target state=...>
// and the description as a <note>.
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

void WriteUnit(XliffWriter& w, const Unit& unit) {
    w.Start("trans-unit", 3);
    w.Attribute("id", unit.Id());
    w.Attribute("resname", unit.name);
    w.Attribute("xml:space", "preserve");  // leading and trailing blanks are part of a text
    w.Element("source", unit.source, 4);
    w.Start("target", 4);
    w.Attribute("state", unit.translated ? "translated" : "needs-translation");
    if (unit.translated) w.Text(unit.text);
    w.End(-1);
    if (!unit.desc.empty()) w.Element("note", unit.desc, 4);
    w.End(3);
}

bool Named(xmlNodePtr node, const char* name) {
    return node->type == XML_ELEMENT_NODE && xmlStrcmp(node->name, X(name)) == 0;
}

std::string Attribute(xmlNodePtr node, const char* name) {
    xmlChar* value = xmlGetProp(node, X(name));
    std::string result = value ? C(value) : "";
    xmlFree(value);
    return result;
}

std::string At(const std::string& path, xmlNodePtr node) {
    return path + ":" + std::to_string(xmlGetLineNo(node)) + ": ";
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

// The text of a <target>: its text nodes, with our placeholders turned back into
// their characters. Other inline markup has no place in a game text.
Result ReadContent(const std::string& path, xmlNodePtr target, std::string& out) {
    for (xmlNodePtr n = target->children; n; n = n->next) {
        if (n->type == XML_TEXT_NODE || n->type == XML_CDATA_SECTION_NODE) {
            if (n->content) out += C(n->content);
        } else if (Named(n, "x")) {
            const std::string type = Attribute(n, "ctype");
            unsigned cp = 0;
            char tail = 0;
            if (type.rfind(kCharType, 0) != 0 ||
                std::sscanf(type.c_str() + std::strlen(kCharType), "%4X%c", &cp, &tail) != 1 || XmlAllows(cp) ||
                cp == 0)
                return Fail(At(path, n) + "an <x> placeholder that does not stand for a character (ctype \"" + type +
                            "\")");
            AppendCodePoint(out, cp);
        } else if (n->type == XML_ENTITY_REF_NODE) {
            // Left unexpanded by the parser: taking the rest would lose its text.
            return Fail(At(path, n) + "the entity &" + C(n->name) + "; inside a <target> is not supported");
        } else if (n->type == XML_ELEMENT_NODE) {
            return Fail(At(path, n) + "<" + C(n->name) + "> inside a <target>: a game text holds no inline markup");
        }
    }
    return {};
}

Result ReadUnit(const std::string& path, xmlNodePtr tu, ReadBack& read) {
    Entry entry;
    entry.id = Attribute(tu, "id");
    entry.line = static_cast<int>(xmlGetLineNo(tu));
    for (xmlNodePtr n = tu->children; n; n = n->next)
        if (Named(n, "target")) {
            Result r = ReadContent(path, n, entry.text);
            if (!r.ok) return r;
        }
    read.entries.push_back(std::move(entry));
    return {};
}

// Trans-units may sit in <group>s at any depth of a <body>.
Result ReadUnits(const std::string& path, xmlNodePtr parent, ReadBack& read) {
    for (xmlNodePtr n = parent->children; n; n = n->next) {
        Result r;
        if (Named(n, "trans-unit"))
            r = ReadUnit(path, n, read);
        else if (Named(n, "group") || Named(n, "body"))
            r = ReadUnits(path, n, read);
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
    return ReadUnits(path, file, read);
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
    if (!root || !Named(root, "xliff")) return Fail(path + ": not an XLIFF file (its root element is not <xliff>)");
    for (xmlNodePtr n = root->children; n; n = n->next)
        if (Named(n, "file")) {
            Result r = ReadFileElement(path, n, read);
            if (!r.ok) return r;
        }
    return {};
}

}  // namespace exchange
