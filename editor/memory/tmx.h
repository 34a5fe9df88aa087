// tmx.h - translation memory exchange files (TMX 1.4, as CAT tools write them), read
// with libxml2, and the rule that tells which of their language tags a project's
// language folder stands for.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace memory {

// One <tuv>: its language (xml:lang, or the older lang) and the text of its <seg>.
// Inline elements inside <seg> (<ph>, <bpt>, <ept>, <it>, <ut>, <hi>, <sub>) give their
// text content: for the codes that is the native code a tool stored, which for this
// game's texts is the colour tag or placeholder as written, so a suggestion keeps them.
struct TmxVariant {
    std::string language;
    std::string text;
};

struct TmxUnit {
    int line = 0;  // of its <tu>
    std::vector<TmxVariant> variants;
};

struct TmxDocument {
    std::vector<TmxUnit> units;
};

// Files larger than this are refused before parsing: a memory built from them would
// not fit the editor's budget anyway, and libxml2's tree takes several times the bytes.
constexpr size_t kMaxTmxBytes = 256u << 20;

// Reads TMX bytes; `name` is used in the messages. False, with `error` saying
// "<name>:<line>: why" (the line where libxml2 or the structure gives one), for bytes that
// are not well-formed XML, a root that is not <tmx>, or a <tmx> without <body>. External
// entities and DTDs are never loaded, nothing is fetched from the network.
bool ParseTmx(std::string_view bytes, const std::string& name, TmxDocument& doc, std::string& error);
// The same for a file on disk, read through the file place.
// Readies the XML library on the calling thread, so that files may then be read on
// another (it sets up its tables on first use, which is not safe to race).
void PrepareTmxReading();
bool ReadTmxFile(const std::string& path, TmxDocument& doc, std::string& error);

// [languages] of the project settings: folder name -> language tag ("German" -> "de-DE").
using LanguageMap = std::map<std::string, std::string>;

// Whether a TMX language tag stands for a project's language folder. The folder's tag
// is its mapping when `languages` has one, else the folder's own name; it matches a
// TMX tag equal to it or to the TMX tag's primary subtag, in any case and with '_' and
// '-' alike: "de", "de_DE" and "DE-de" all match "de-DE"; "de" matches "de-AT" too,
// "de-DE" does not match "de-AT" or "de".
bool LanguageMatches(const std::string& folder, std::string_view tmxLanguage, const LanguageMap& languages = {});

struct TmxPair {
    std::string source, target;
    int line = 0;
};

// For every unit with a variant for each folder (the first matching one of each, two
// different variants) and text in both: the pair.
std::vector<TmxPair> TmxPairs(const TmxDocument& doc, const std::string& sourceFolder, const std::string& targetFolder,
                              const LanguageMap& languages = {});

}  // namespace memory
