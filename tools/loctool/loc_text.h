// loc_text.h - loctool's readable text form of .loc / .desc files, both ways, and
// the binary formats (formats/loc_format) over its items. Header-only so that the tool,
// its tests and the fuzzers share one copy.
//
// The text form, one block per item:
//
//   # comment lines and blank lines are ignored
//   item 0
//   name "NewGame"
//   desc "Main menu entry that starts a new game."
//   text "<color 255 200 0>New Game<color default>\n"
//        "second line"
//
// `item N` opens item N (numbered from 0, in order). A field is `name`, `desc` or
// `text` followed by a quoted value; lines that hold only another quoted value
// continue the field, the parts joined as they are. Inside quotes: \\ \" \n \r \t
// and \xHH (exactly two hex digits) for any byte; every other byte stands for
// itself, but raw bytes must be UTF-8 so that a source saved in another encoding
// is caught. Line ends may be LF or CRLF.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "formats/loc_format.h"

namespace loctext {

using locformat::Fail;
using locformat::kMaxCount;
using locformat::kMaxLength;
using locformat::Result;

struct Item {
    std::string name, desc, text;
    bool hasName = false, hasDesc = false, hasText = false;
};

// ---- binary formats: formats/loc_format, over items ---------------------------------
// A dump would lose bytes after the last item, so the tool refuses them.

// Reads a whole .loc file into the texts of `items` (resized to its count).
inline Result ParseLoc(std::string_view bytes, const std::string& file, std::vector<Item>& items) {
    std::vector<std::string> texts;
    const Result r = locformat::ParseLoc(bytes, file, locformat::Trailing::Refuse, texts);
    items.assign(texts.size(), Item{});
    for (size_t i = 0; i < texts.size(); ++i) {
        items[i].text = std::move(texts[i]);
        items[i].hasText = true;
    }
    return r;
}

// Reads a .desc file into the names and descriptions of `items`. With
// `untilEnd` the file alone decides the count (it stores none) and `items` is
// resized to it; otherwise it must hold exactly items.size() items.
inline Result ParseDesc(std::string_view bytes, const std::string& file, bool untilEnd, std::vector<Item>& items) {
    locformat::Descriptions read;
    const int count = untilEnd ? locformat::kUntilEnd : static_cast<int>(items.size());
    const Result r = locformat::ParseDesc(bytes, file, count, locformat::Trailing::Refuse, read);
    if (untilEnd) items.assign(read.names.size(), Item{});
    for (size_t i = 0; i < read.names.size(); ++i) {
        items[i].name = std::move(read.names[i]);
        items[i].desc = std::move(read.descs[i]);
        items[i].hasName = items[i].hasDesc = true;
    }
    return r;
}

// Texts are written whole, NUL bytes included: the tool never cuts what it packs.
inline Result EncodeLoc(const std::vector<Item>& items, const std::string& file, std::string& out) {
    std::vector<std::string> texts;
    for (const Item& item : items) texts.push_back(item.text);
    return locformat::EncodeLoc(texts, file, out);
}

inline Result EncodeDesc(const std::vector<Item>& items, const std::string& file, std::string& out) {
    locformat::Descriptions desc;
    for (const Item& item : items) {
        desc.names.push_back(item.name);
        desc.descs.push_back(item.desc);
    }
    return locformat::EncodeDesc(desc, file, out);
}

// ---- text form ------------------------------------------------------------------

// Length of the well-formed UTF-8 sequence at s[i] (no overlong forms, no
// surrogates, nothing above U+10FFFF), or 0 if there is none.
inline size_t Utf8Length(std::string_view s, size_t i) {
    const auto b = [&](size_t k) { return static_cast<uint8_t>(s[k]); };
    const uint8_t c = b(i);
    if (c < 0x80) return 1;
    size_t n;
    uint8_t lo = 0x80, hi = 0xBF;
    if (c >= 0xC2 && c <= 0xDF)
        n = 2;
    else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        if (c == 0xE0) lo = 0xA0;
        if (c == 0xED) hi = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        if (c == 0xF0) lo = 0x90;
        if (c == 0xF4) hi = 0x8F;
    } else
        return 0;
    if (s.size() - i < n) return 0;
    if (b(i + 1) < lo || b(i + 1) > hi) return 0;
    for (size_t k = 2; k < n; ++k)
        if (b(i + k) < 0x80 || b(i + k) > 0xBF) return 0;
    return n;
}

// Writes `value` as one or more quoted parts, breaking the line after every
// line break of the value; continuation parts are indented by `indent`.
inline void AppendQuoted(std::string& out, std::string_view value, const std::string& indent) {
    static const char kHex[] = "0123456789ABCDEF";
    out += '"';
    for (size_t i = 0; i < value.size();) {
        const auto c = static_cast<uint8_t>(value[i]);
        size_t n = 1;
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '"':
                out += "\\\"";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                n = c >= 0x20 && c != 0x7F ? Utf8Length(value, i) : 0;
                if (n == 0) {
                    out += "\\x";
                    out += kHex[c >> 4];
                    out += kHex[c & 15];
                    n = 1;
                } else
                    out.append(value.substr(i, n));
        }
        i += n;
        if (c == '\n' && i < value.size()) out += "\"\n" + indent + "\"";
    }
    out += "\"\n";
}

// The text form of `items`: names and descriptions where `hasName`/`hasDesc`,
// texts where `hasText`.
inline std::string DumpText(const std::vector<Item>& items, const std::string& header) {
    std::string out = "# " + header + "\n";
    const auto field = [&out](const char* word, bool has, const std::string& value) {
        if (!has) return;
        out += word;
        out += ' ';
        AppendQuoted(out, value, "     ");  // continuation parts line up under the first
    };
    for (size_t i = 0; i < items.size(); ++i) {
        out += "\nitem " + std::to_string(i) + "\n";
        field("name", items[i].hasName, items[i].name);
        field("desc", items[i].hasDesc, items[i].desc);
        field("text", items[i].hasText, items[i].text);
    }
    return out;
}

inline int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Parses one quoted value at line[pos] (the opening quote) to the end of the
// line; appends the bytes to `out`. Returns an empty string or what is wrong.
inline std::string ParseQuoted(std::string_view line, size_t pos, std::string& out) {
    if (pos >= line.size() || line[pos] != '"') return "a quoted value (\"...\") is expected";
    for (size_t i = pos + 1; i < line.size();) {
        const char c = line[i];
        if (c == '"') {
            for (size_t k = i + 1; k < line.size(); ++k)
                if (line[k] != ' ' && line[k] != '\t') return "unexpected characters after the closing quote";
            return {};
        }
        if (c == '\\') {
            if (i + 1 >= line.size()) return "the line ends inside an escape";
            const char e = line[i + 1];
            switch (e) {
                case '\\':
                    out += '\\';
                    break;
                case '"':
                    out += '"';
                    break;
                case 'n':
                    out += '\n';
                    break;
                case 'r':
                    out += '\r';
                    break;
                case 't':
                    out += '\t';
                    break;
                case 'x': {
                    const int hi = i + 2 < line.size() ? HexDigit(line[i + 2]) : -1;
                    const int lo = i + 3 < line.size() ? HexDigit(line[i + 3]) : -1;
                    if (hi < 0 || lo < 0) return "\\x must be followed by two hex digits";
                    out += static_cast<char>(hi * 16 + lo);
                    i += 4;
                    continue;
                }
                default:
                    return std::string("unknown escape \\") + e;
            }
            i += 2;
            continue;
        }
        const size_t n = Utf8Length(line, i);
        if (n == 0) return "a byte that is not UTF-8 (write such bytes as \\xHH)";
        out.append(line.substr(i, n));
        i += n;
    }
    return "the closing quote is missing";
}

// Parses the text form. `file` names the source in messages, with the line.
inline Result ParseText(std::string_view text, const std::string& file, std::vector<Item>& items) {
    items.clear();
    std::string* field = nullptr;  // the field that a quoted line continues
    size_t lineNo = 0;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const auto at = [&](const std::string& why) { return Fail(file + ":" + std::to_string(lineNo) + ": " + why); };

        size_t p = line.find_first_not_of(" \t");
        if (p == std::string_view::npos || line[p] == '#') {
            field = nullptr;
            continue;
        }
        if (line[p] == '"') {
            if (!field) return at("a quoted line continues nothing: it must follow a name, desc or text line");
            const std::string why = ParseQuoted(line, p, *field);
            if (!why.empty()) return at(why);
            continue;
        }
        const size_t wordEnd = line.find_first_of(" \t", p);
        const std::string_view word = line.substr(p, wordEnd == std::string_view::npos ? line.size() - p : wordEnd - p);
        const size_t arg = wordEnd == std::string_view::npos ? line.size() : line.find_first_not_of(" \t", wordEnd);
        const std::string_view rest = arg == std::string_view::npos ? std::string_view() : line.substr(arg);

        if (word == "item") {
            const std::string expected = std::to_string(items.size());
            std::string_view number = rest;
            while (!number.empty() && (number.back() == ' ' || number.back() == '\t')) number.remove_suffix(1);
            if (number != expected)
                return at("'item " + std::string(number) + "' where 'item " + expected +
                          "' is expected (items are numbered from 0, in order)");
            if (items.size() >= static_cast<size_t>(kMaxCount))
                return at("more than " + std::to_string(kMaxCount) + " items");
            items.emplace_back();
            field = nullptr;
            continue;
        }
        if (word != "name" && word != "desc" && word != "text")
            return at("'" + std::string(word) + "' is not one of item, name, desc, text");
        if (items.empty()) return at("'" + std::string(word) + "' before the first 'item' line");
        Item& item = items.back();
        bool& has = word == "name" ? item.hasName : word == "desc" ? item.hasDesc : item.hasText;
        field = word == "name" ? &item.name : word == "desc" ? &item.desc : &item.text;
        if (has) return at("item " + std::to_string(items.size() - 1) + " has a second " + std::string(word));
        has = true;
        const std::string why = ParseQuoted(line, arg == std::string_view::npos ? line.size() : arg, *field);
        if (!why.empty()) return at(why);
    }
    return {};
}

// Every item must have the fields that the output needs.
inline Result RequireFields(const std::vector<Item>& items, const std::string& file, bool needText, bool needDesc) {
    for (size_t i = 0; i < items.size(); ++i) {
        const char* missing = needText && !items[i].hasText   ? "text"
                              : needDesc && !items[i].hasName ? "name"
                              : needDesc && !items[i].hasDesc ? "desc"
                                                              : nullptr;
        if (missing) return Fail(file + ": item " + std::to_string(i) + " has no " + missing + " line");
    }
    return {};
}

}  // namespace loctext
