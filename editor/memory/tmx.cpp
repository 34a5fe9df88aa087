// tmx.cpp - libxml2 builds the tree (no entity substitution, no DTD, no network), then
// the walk takes <tmx>/<body>/<tu>/<tuv>/<seg>; whatever else a tool puts in (<prop>,
// <note>, <header> contents, other namespaces' elements) is passed over.
#include "editor/memory/tmx.h"

#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>

#include <algorithm>
#include <filesystem>
#include <memory>

#include "platform/platform.h"

namespace memory {
namespace {

const xmlChar* X(const char* s) { return reinterpret_cast<const xmlChar*>(s); }

struct DocFree {
    void operator()(xmlDocPtr doc) const { xmlFreeDoc(doc); }
};
using DocPtr = std::unique_ptr<xmlDoc, DocFree>;

bool Named(xmlNodePtr node, const char* name) {
    return node->type == XML_ELEMENT_NODE && xmlStrcmp(node->name, X(name)) == 0;
}

xmlNodePtr FirstChild(xmlNodePtr parent, const char* name) {
    for (xmlNodePtr n = parent->children; n; n = n->next)
        if (Named(n, name)) return n;
    return nullptr;
}

std::string Take(xmlChar* value) {
    std::string s = value ? reinterpret_cast<const char*>(value) : "";
    xmlFree(value);
    return s;
}

// The text of a <seg>: its text and CDATA, and those of the elements inside, in order.
// References to entities a document declares itself are left out rather than expanded
// (xmlNodeGetContent would expand them, and nested ones grow exponentially); XML's own
// five and character references are already text.
void AppendText(xmlNodePtr parent, std::string& out) {
    for (xmlNodePtr n = parent->children; n; n = n->next) {
        if ((n->type == XML_TEXT_NODE || n->type == XML_CDATA_SECTION_NODE) && n->content)
            out += reinterpret_cast<const char*>(n->content);
        else if (n->type == XML_ELEMENT_NODE)
            AppendText(n, out);  // as deep as libxml2 lets a document nest (256 levels)
    }
}

std::string Language(xmlNodePtr tuv) {
    std::string lang = Take(xmlGetNsProp(tuv, X("lang"), XML_XML_NAMESPACE));
    return lang.empty() ? Take(xmlGetNoNsProp(tuv, X("lang"))) : lang;
}

// libxml2 prints some errors that belong to no parser (a byte sequence the declared
// encoding cannot convert) to stderr through its generic handler; the parse fails with
// an error of its own anyway, so while it runs they go nowhere, and the handler the
// program had is put back after.
void Silent(void*, const char*, ...) {}

struct QuietGenericErrors {
    xmlGenericErrorFunc handler = xmlGenericError;
    void* context = xmlGenericErrorContext;
    QuietGenericErrors() { xmlSetGenericErrorFunc(nullptr, Silent); }
    ~QuietGenericErrors() { xmlSetGenericErrorFunc(context, handler); }
    QuietGenericErrors(const QuietGenericErrors&) = delete;
    QuietGenericErrors& operator=(const QuietGenericErrors&) = delete;
};

// libxml2 counts a start tag's attributes against each other pairwise, so one tag with
// hundreds of thousands of them takes minutes; TMX tags carry a handful.
constexpr size_t kMaxAttributes = 1000;

bool TooManyAttributes(std::string_view b, size_t& at) {
    size_t inTag = 0;
    bool tag = false;
    char quote = 0;
    for (size_t i = 0; i < b.size(); ++i) {
        const char c = b[i];
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == '<') {
            tag = true, inTag = 0;
        } else if (c == '>') {
            tag = false;
        } else if (tag && (c == '"' || c == '\'')) {
            quote = c;
        } else if (tag && c == '=' && ++inTag > kMaxAttributes) {
            at = i;
            return true;
        }
    }
    return false;
}

// The first error of a parse, copied (libxml2 reuses its own record for the next one).
struct FirstError {
    bool seen = false;
    xmlError error{};
    std::string message;
};

// A template, so that it fits libxml2's handler type whether that takes a const record
// (newer versions) or not.
template <typename Error>
void KeepFirstError(void* userData, Error* e) {
    auto* context = static_cast<xmlParserCtxtPtr>(userData);
    auto* first = static_cast<FirstError*>(context ? context->_private : nullptr);
    if (!first || first->seen || !e || e->level < XML_ERR_ERROR) return;
    first->seen = true;
    first->error = *e;
    first->message = e->message ? e->message : "";
    first->error.message = first->message.data();
}

std::string Normalized(std::string_view tag) {
    std::string s(tag);
    for (char& c : s) {
        if (c == '_') c = '-';
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    }
    return s;
}

}  // namespace

bool ParseTmx(std::string_view bytes, const std::string& name, TmxDocument& doc, std::string& error) {
    doc = {};
    if (bytes.size() > kMaxTmxBytes) {
        error = name + ": larger than " + std::to_string(kMaxTmxBytes >> 20) + " MiB, the limit for a TMX file";
        return false;
    }
    if (size_t at = 0; TooManyAttributes(bytes, at)) {
        error = name + ":" + std::to_string(1 + std::count(bytes.begin(), bytes.begin() + long(at), '\n')) +
                ": more than " + std::to_string(kMaxAttributes) + " attributes in one tag";
        return false;
    }
    // libxml2 goes on after the first error and reports each one after it; the first is
    // the one that says what is wrong, so it is kept from the context's handler.
    if (bytes.find_first_not_of(" \t\r\n") == std::string_view::npos) {
        error = name + ": the file is empty";
        return false;
    }
    const QuietGenericErrors quiet;
    std::unique_ptr<xmlParserCtxt, void (*)(xmlParserCtxtPtr)> context(
        xmlCreateMemoryParserCtxt(bytes.data(), int(bytes.size())), xmlFreeParserCtxt);
    if (!context) {
        error = name + ": out of memory";
        return false;
    }
    FirstError first;
    context->_private = &first;
    context->sax->serror = KeepFirstError;
    xmlCtxtUseOptions(context.get(), XML_PARSE_NONET | XML_PARSE_BIG_LINES | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    xmlParseDocument(context.get());
    DocPtr tree(context->myDoc);
    context->myDoc = nullptr;
    if (tree && !context->wellFormed) tree.reset();
    if (!tree) {
        const xmlError* e = first.seen ? &first.error : &context->lastError;
        std::string why = e->message ? e->message : "not well-formed XML";
        while (!why.empty() && (why.back() == '\n' || why.back() == ' ')) why.pop_back();
        std::replace(why.begin(), why.end(), '\n', ' ');  // some messages go on with the bytes
        error = name + ":" + std::to_string(e->line) + ": not well-formed XML: " + why;
        return false;
    }
    xmlNodePtr root = xmlDocGetRootElement(tree.get());
    if (!root || !Named(root, "tmx")) {
        error = name + ": not a TMX file (its root element is " +
                (root ? "<" + std::string(reinterpret_cast<const char*>(root->name)) + ">" : std::string("missing")) +
                ", not <tmx>)";
        return false;
    }
    xmlNodePtr body = FirstChild(root, "body");
    if (!body) {
        error = name + ":" + std::to_string(xmlGetLineNo(root)) + ": <tmx> has no <body>";
        return false;
    }
    for (xmlNodePtr tu = body->children; tu; tu = tu->next) {
        if (!Named(tu, "tu")) continue;
        TmxUnit unit;
        unit.line = int(xmlGetLineNo(tu));
        for (xmlNodePtr tuv = tu->children; tuv; tuv = tuv->next) {
            if (!Named(tuv, "tuv")) continue;
            xmlNodePtr seg = FirstChild(tuv, "seg");
            if (!seg) continue;
            TmxVariant variant{Language(tuv), {}};
            AppendText(seg, variant.text);
            unit.variants.push_back(std::move(variant));
        }
        if (!unit.variants.empty()) doc.units.push_back(std::move(unit));
    }
    return true;
}

void PrepareTmxReading() { xmlInitParser(); }

bool ReadTmxFile(const std::string& path, TmxDocument& doc, std::string& error) {
    doc = {};
    std::error_code ec;
    const auto size = std::filesystem::file_size(PlatFsPath(path), ec);
    if (!ec && size > kMaxTmxBytes) {  // refused before it is read into memory
        error = path + ": larger than " + std::to_string(kMaxTmxBytes >> 20) + " MiB, the limit for a TMX file";
        return false;
    }
    std::string bytes;
    if (!PlatReadFile(path, bytes, &error)) return false;
    return ParseTmx(bytes, path, doc, error);
}

bool LanguageMatches(const std::string& folder, std::string_view tmxLanguage, const LanguageMap& languages) {
    const auto mapped = languages.find(folder);
    const std::string mine = Normalized(mapped != languages.end() ? mapped->second : folder);
    const std::string theirs = Normalized(tmxLanguage);
    if (mine.empty() || theirs.empty()) return false;
    return mine == theirs || mine == theirs.substr(0, theirs.find('-'));
}

std::vector<TmxPair> TmxPairs(const TmxDocument& doc, const std::string& sourceFolder, const std::string& targetFolder,
                              const LanguageMap& languages) {
    std::vector<TmxPair> pairs;
    for (const TmxUnit& unit : doc.units) {
        const TmxVariant *source = nullptr, *target = nullptr;
        for (const TmxVariant& v : unit.variants) {
            if (!source && LanguageMatches(sourceFolder, v.language, languages))
                source = &v;
            else if (!target && LanguageMatches(targetFolder, v.language, languages))
                target = &v;
        }
        if (source && target && !source->text.empty() && !target->text.empty())
            pairs.push_back({source->text, target->text, unit.line});
    }
    return pairs;
}

}  // namespace memory
