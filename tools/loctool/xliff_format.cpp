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

// Adds `text` (valid UTF-8) to `parent` as text nodes, with placeholders for the
// characters XML cannot hold.
void AppendText(xmlNodePtr parent, xmlNsPtr ns, std::string_view text) {
    size_t run = 0, placeholders = 0;
    const auto flush = [&](size_t end) {
        if (end > run) xmlAddChild(parent, xmlNewTextLen(X(text.data() + run), static_cast<int>(end - run)));
    };
    for (size_t i = 0; i < text.size();) {
        const size_t n = std::max<size_t>(1, loctext::Utf8Length(text, i));
        const unsigned cp = CodePoint(text, i, n);
        if (!XmlAllows(cp)) {
            flush(i);
            char type[32], id[32];
            std::snprintf(type, sizeof type, "%s%04X", kCharType, cp);
            std::snprintf(id, sizeof id, "c%zu", ++placeholders);
            xmlNodePtr x = xmlNewChild(parent, ns, X("x"), nullptr);
            xmlNewProp(x, X("id"), X(id));
            xmlNewProp(x, X("ctype"), X(type));
            run = i + n;
        }
        i += n;
    }
    flush(text.size());
}

void AddUnit(xmlNodePtr body, xmlNsPtr ns, const Unit& unit) {
    xmlNodePtr tu = xmlNewChild(body, ns, X("trans-unit"), nullptr);
    xmlNewProp(tu, X("id"), X(unit.Id().c_str()));
    xmlNewProp(tu, X("resname"), X(unit.name.c_str()));
    xmlNodeSetSpacePreserve(tu, 1);  // leading and trailing blanks are part of a text
    AppendText(xmlNewChild(tu, ns, X("source"), nullptr), ns, unit.source);
    xmlNodePtr target = xmlNewChild(tu, ns, X("target"), nullptr);
    xmlNewProp(target, X("state"), X(unit.translated ? "translated" : "needs-translation"));
    if (unit.translated) AppendText(target, ns, unit.text);
    if (!unit.desc.empty()) AppendText(xmlNewChild(tu, ns, X("note"), nullptr), ns, unit.desc);
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
    DocPtr doc(xmlNewDoc(X("1.0")));
    xmlNodePtr root = xmlNewNode(nullptr, X("xliff"));
    xmlDocSetRootElement(doc.get(), root);
    xmlNsPtr ns = xmlNewNs(root, X(kXliffNamespace), nullptr);
    xmlSetNs(root, ns);
    xmlNewProp(root, X("version"), X("1.2"));

    xmlNodePtr body = nullptr;
    std::string current;
    for (const Unit& unit : catalog.units) {
        if (!body || unit.file != current) {
            current = unit.file;
            xmlNodePtr file = xmlNewChild(root, ns, X("file"), nullptr);
            xmlNewProp(file, X("original"), X((unit.file + ".loc").c_str()));
            xmlNewProp(file, X("source-language"), X(catalog.sourceLanguage.c_str()));
            xmlNewProp(file, X("target-language"), X(catalog.language.c_str()));
            xmlNewProp(file, X("datatype"), X("plaintext"));
            body = xmlNewChild(file, ns, X("body"), nullptr);
        }
        AddUnit(body, ns, unit);
    }
    xmlChar* bytes = nullptr;
    int size = 0;
    xmlDocDumpFormatMemoryEnc(doc.get(), &bytes, &size, "UTF-8", 1);
    if (!bytes) return Fail("Cannot build the XLIFF file: out of memory");
    out.assign(C(bytes), static_cast<size_t>(size));
    xmlFree(bytes);
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
