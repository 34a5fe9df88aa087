// qa_checks.h - checks of one translated text against its reference text: colour
// tags, placeholders, line breaks, edge spaces and a length limit. Pure functions over
// UTF-8 byte strings, no GUI, so the editor can run them on every commit and loctool
// over whole projects.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qa {

// A run of bytes in a text: [begin, end).
struct ByteRange {
    size_t begin = 0, end = 0;
};

// Every "<color" in the text, split into the tags the font reads and the ones it
// prints as plain text because they are not well formed.
struct ColourTags {
    std::vector<ByteRange> tags;
    std::vector<ByteRange> malformed;  // from "<color" up to the next '>' (or the line end)
};
ColourTags FindColourTags(std::string_view text);
// Bytes of the well-formed tag at the start of s, 0 when there is none. The same
// grammar as the font's: "<color default>" or "<color " with one to three comma
// separated numbers of one to three digits, then '>'.
size_t ColourTagLength(std::string_view s);

// A printf-style ("%s", "%-5.2f", "%1$s") or brace-style ("{0}", "{name}") placeholder.
struct Placeholder {
    ByteRange range;
    std::string written;  // as written, without the position: "%.2f", "{name}"
    int position = 0;     // 1 for "%1$s"; 0 when not positional (brace ones are by name)
    bool brace = false;
};
// "%%", "{{" and "}}" are escapes, not placeholders.
std::vector<Placeholder> FindPlaceholders(std::string_view text);

// An optional per-file limit; 0 = none. Counted in characters (UTF-8 code points)
// as the player sees them: colour tags do not count, line feeds do.
struct LengthLimit {
    size_t maxCharacters = 0;
};
size_t VisibleCharacters(std::string_view text);

// Untranslated: empty, or byte for byte the reference while the reference is another
// language. Such an item is not checked.
bool IsUntranslated(std::string_view text, std::string_view reference, bool referenceIsOther);

// How much a finding weighs: an error must be mended before a release (it fails
// `loctool qa`), a warning asks for a look (listed and shown, failing nothing unless asked).
enum class Severity : uint8_t { Error, Warning };
const char* SeverityWord(Severity severity);  // "error", "warning"

// One problem: the rule it comes from ("tags", "placeholders", "line-breaks", "spaces",
// "length"; other checks name theirs: "spelling", "review", "consistency", "glossary"),
// its weight and a short message ("Colour tags: the reference has 2, this text 1").
struct Finding {
    std::string check;
    Severity severity = Severity::Error;
    std::string message;
};

// Every problem of `text`; empty when there is none or the item is untranslated. When
// the reference is the text's own language (referenceIsOther false), only what needs no
// reference is checked: malformed tags and the length. All of these are errors.
std::vector<Finding> CheckItemFindings(std::string_view text, std::string_view reference, bool referenceIsOther,
                                       const LengthLimit& limit = {});
// The same, as the messages alone.
std::vector<std::string> CheckItem(std::string_view text, std::string_view reference, bool referenceIsOther,
                                   const LengthLimit& limit = {});

}  // namespace qa
