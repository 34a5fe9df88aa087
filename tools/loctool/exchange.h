// exchange.h - one language's texts as translation platforms and CAT tools take them:
// the catalog that `loctool export` writes as PO, XLIFF or CSV and the entries that
// `loctool import` reads back. Each format lives in its own unit (po_format.cpp,
// xliff_format.cpp, csv_format.cpp); none of them touches the project.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tools/loctool/loc_text.h"

namespace exchange {

using loctext::Result;

// One item of one .loc file as it is exported.
struct Unit {
    std::string file;  // the file-list name: menu, game, keyboard
    int index = 0;
    std::string name, desc;
    std::string source;  // the reference language's text
    std::string text;    // this language's text, exported only when `translated`
    bool translated = false;
    // The review state of a translated unit (Translation state/<language>.tsv): to review
    // (marked so, or its source text changed since it was translated) or approved;
    // neither is plainly translated. `previousSource` is the source the translation was
    // made from when it changed and is comparable with `source` (PO's previous msgid).
    bool toReview = false, approved = false;
    bool referenceChanged = false;  // one reason to review, which CSV names
    std::string previousSource;
    std::string comment;  // the translators' note, of any unit

    // "file:index:name": names the item in every format; stable while the
    // .desc files stay as they are, and unique because the index is in it.
    std::string Id() const { return file + ":" + std::to_string(index) + ":" + name; }
};

struct Catalog {
    std::string language;        // the language folder exported
    std::string sourceLanguage;  // the reference folder
    std::vector<Unit> units;     // file by file, item by item
};

// One entry as read back from an exchange file. `line` is where it starts in the
// file (0 when the reader cannot tell), for the messages.
// The review state an entry carries: plain (translated), to review, or approved.
enum class Mark { Translated, ToReview, Approved };

struct Entry {
    std::string id;
    std::string text;  // empty: the translator left it untranslated
    int line = 0;
    Mark mark = Mark::Translated;
    // False for a file that carries no states and comments (a CSV without those columns):
    // the stored ones are then left as they are.
    bool hasReview = true;
    std::string comment;
};

struct ReadBack {
    std::string language;  // the language the file says it holds ("" when it says none)
    int languageLine = 0;
    std::vector<Entry> entries;
};

Result WritePo(const Catalog& catalog, std::string& out);
Result ReadPo(const std::string& path, ReadBack& read);

Result WriteXliff(const Catalog& catalog, std::string& out);
Result ReadXliff(const std::string& path, const std::string& bytes, ReadBack& read);

Result WriteCsv(const Catalog& catalog, std::string& out);
Result ReadCsv(const std::string& path, const std::string& bytes, ReadBack& read);

// Line-break differences at the start or end that msgfmt --check refuses between a
// msgid and its msgstr.
bool LineBreakEndsDiffer(std::string_view source, std::string_view text);

}  // namespace exchange
