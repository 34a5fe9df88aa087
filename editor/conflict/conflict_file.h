// conflict_file.h - the items that a three-way merge of one .loc file could not settle,
// kept at the project's root in "Translation state/conflicts/<language>/<file>.tsv" until
// the translator settles them in the editor. One item per line, tab-separated fields with
// the review state file's escapes (editor/review/state_file.h), so it reads like one:
//
//   zazovi merge conflicts 1
//   menu<TAB>3<TAB>Load<TAB>Charger<TAB>Charger la partie
//
// The fields are the file's name, the item's index, then its base, ours and theirs
// texts. Texts are bytes; beyond \t \n \r \\ a byte that is a control character or not
// UTF-8 is written \xHH, so no text is changed on its way through the file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "editor/review/state_file.h"

namespace conflict {

inline constexpr const char* kConflictFolder = "Translation state\\conflicts";
inline constexpr std::string_view kConflictFileMagic = "zazovi merge conflicts";
inline constexpr int kConflictFileVersion = 1;

struct ItemConflict {
    std::string file;
    int32_t index = 0;
    std::string base, ours, theirs;
    bool operator==(const ItemConflict&) const = default;
};

// Sorted by index, each index once (ParseConflictFile and MergeConflicts keep it so).
using Conflicts = std::vector<ItemConflict>;

// "Translation state\conflicts\French\menu.tsv", in the documented form.
std::string ConflictFilePath(std::string_view language, std::string_view file);

// Reads a file's bytes; on the first damaged line false with `error` ("line 3: ...") and
// `conflicts` left as it was. Accepts CR LF line ends and a missing last line feed.
bool ParseConflictFile(std::string_view bytes, Conflicts& conflicts, std::string& error);
std::string WriteConflictFile(const Conflicts& conflicts);

// Puts `fresh` into `kept`: an item in both takes fresh's record.
void MergeConflicts(Conflicts& kept, const Conflicts& fresh);

// A text as a field of the file, and back: the review file's escapes with \xHH.
inline std::string EscapeText(std::string_view text) { return review::EscapeField(text, true); }
inline bool UnescapeText(std::string_view field, std::string& text) { return review::UnescapeField(field, text, true); }

}  // namespace conflict
