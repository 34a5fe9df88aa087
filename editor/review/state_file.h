// state_file.h - the review state of each item of one language, kept beside the game's
// files in "Translation state/<language>.tsv": per item a state, the source text it was
// translated from and a comment. Pure functions over the file's bytes; reading and
// writing the file itself is the caller's (the editor writes it through its journal).
//
//   zazovi translation state 1<TAB>English
//   menu<TAB>3<TAB>translated<TAB>Start game<TAB>
//   menu<TAB>4<TAB>needs-review<TAB>Load game<TAB>Too long for the button?\nAsk the UI team.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace review {

inline constexpr const char* kStateFolder = "Translation state";
inline constexpr std::string_view kStateFileMagic = "zazovi translation state";
inline constexpr int kStateFileVersion = 1;

// The words the file spells the states with are ReviewStateWord's.
enum class ReviewState : uint8_t { Untranslated, Translated, NeedsReview, Approved };

std::string_view ReviewStateWord(ReviewState state);  // "untranslated", "translated", "needs-review", "approved"
bool ReviewStateFromWord(std::string_view word, ReviewState& state);

// One item's record. `file` is the text file's name as the editor lists it ("menu", for
// Texts/<language>/menu.loc), `index` the item's place in it counted from 0.
struct ItemReview {
    std::string file;
    int32_t index = 0;
    ReviewState state = ReviewState::Untranslated;
    std::string recordedSource;  // the source text when the item was last marked translated
    std::string comment;
    bool operator==(const ItemReview&) const = default;
};

// Untranslated with no recorded source and no comment is the same as no record at all.
bool HasAnythingToKeep(const ItemReview& review);

// The source text differs from the one recorded with the translation. An item that
// never recorded a source (untranslated, empty recorded source) has nothing to compare.
bool ReferenceChanged(const ItemReview& review, std::string_view currentSource);

// One language's file. `items` is sorted by file (byte order) then index, holds each
// (file, index) once and only records with anything to keep: ParseStateFile gives it so
// and the helpers below keep it so.
struct StateFile {
    std::string sourceLanguage;  // the language folder the recorded sources are from; never empty
    std::vector<ItemReview> items;
    bool operator==(const StateFile&) const = default;
};

// "German.tsv": the file of a language inside kStateFolder.
std::string StateFileName(std::string_view language);

// The item's record, or null when it has none (it is untranslated, without comment).
const ItemReview* FindReview(const StateFile& states, std::string_view file, int32_t index);
// Replaces the record of review's item, or adds it in its sorted place; a record with
// nothing to keep removes the item's record instead.
void SetReview(StateFile& states, ItemReview review);
// Removes the item's record; false when it had none.
bool EraseReview(StateFile& states, std::string_view file, int32_t index);

// Where a damaged file went wrong: its line (the first is 1) and what is wrong there.
struct StateFileError {
    int line = 0;
    std::string message;
    std::string Text() const;  // "line 3: unknown state 'done' ..."
};

// Reads a file's bytes. On success fills `states` and returns true; on the first
// damaged line returns false with `error` set and leaves `states` as it was. Accepted
// beyond what WriteStateFile writes: a UTF-8 byte order mark, CR LF line ends, no final
// line feed, lines in any order and lines with nothing to keep (read as no record).
bool ParseStateFile(std::string_view bytes, StateFile& states, StateFileError& error);

// The file's bytes: the first line, then one line per record with anything to keep,
// sorted by file and index, fields escaped, LF line ends and a final line feed. Records
// out of order are sorted; of two for the same item the later one is written.
std::string WriteStateFile(const StateFile& states);

// The field escapes of the file: tab, line feed, carriage return and backslash as
// \t, \n, \r and \\. Unescape returns false on any other backslash sequence. With
// hexBytes (the merge conflict file, whose texts may be any bytes) also \xHH for control
// bytes and bytes that are not UTF-8, and a raw control byte in a field is refused.
// The tab-separated fields of a line (one more than it has tabs), and an index field as
// the writers spell it: no sign, no leading zeros, within int32_t. Also the merge
// conflict file's.
std::vector<std::string_view> SplitTabs(std::string_view line);
bool ParseIndex(std::string_view s, int32_t& index);
std::string EscapeField(std::string_view text, bool hexBytes = false);
bool UnescapeField(std::string_view field, std::string& text, bool hexBytes = false);

}  // namespace review
