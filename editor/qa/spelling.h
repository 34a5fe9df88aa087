// spelling.h - spell checking of texts with Hunspell: which dictionary a language
// folder uses, the words of a text (colour tags, placeholders and words with digits
// left out), the misspelled ones as byte ranges of the text, and suggestions.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "editor/qa/project_settings.h"
#include "editor/qa/qa_checks.h"

class Hunspell;

namespace qa {

// The dictionary name ("de_DE") of a language folder: the settings' entry when there is
// one ("none" gives ""), else a built-in table of language names and codes ("German",
// "Deutsch", "de", "de-AT" -> de_DE, "fr" -> fr_FR ...), matched without regard to case.
// Empty when neither knows the folder.
std::string DictionaryName(const std::string& folder, const ProjectSettings& settings);
// "<dir>/<name>" without extension for the first of `dirs` holding <name>.aff and
// <name>.dic, or else a variant of it named as dictionary extensions name theirs
// ("de_DE_frami" for de_DE); empty when none does.
std::string FindDictionary(const std::string& name, const std::vector<std::string>& dirs);
// Where a project's dictionaries are looked for: the settings' [dictionaries] folder
// (relative to `project`), then the program's and the system's (PlatDictionaryFolders).
std::vector<std::string> DictionaryFolders(const std::string& project, const ProjectSettings& settings);

// A word of a text: the bytes from its first to its last letter, and the word itself
// without the colour tags that may sit inside it ("Ro<color 255>t" is the word "Rot").
struct Word {
    ByteRange range;
    std::string text;
};
std::vector<Word> SplitWords(std::string_view text);

// Puts `replacement` in place of `word` in `text`. A colour tag inside the word stays,
// after as many characters of the replacement as it followed in the word (or at its
// end), so a suggestion never loses a tag.
std::string ReplaceWord(std::string_view text, const Word& word, std::string_view replacement);

class SpellChecker {
  public:
    SpellChecker();
    ~SpellChecker();
    SpellChecker(const SpellChecker&) = delete;
    SpellChecker& operator=(const SpellChecker&) = delete;

    // Opens "<base>.aff" and "<base>.dic"; false (and a message) when it cannot.
    bool Open(const std::string& base, std::string& message);
    bool IsOpen() const { return hunspell_ != nullptr; }

    bool IsCorrect(std::string_view word);
    // The misspelled words of a text, in text order.
    std::vector<Word> Misspelled(std::string_view text);
    // Up to `most` suggestions for a word, best first, in UTF-8.
    std::vector<std::string> Suggest(const std::string& word, size_t most = 8);

  private:
    // Words in the dictionary's own encoding; false when the word has a character
    // the encoding lacks (such a word cannot be in the dictionary).
    bool ToDictionary(const std::string& utf8, std::string& out) const;
    std::string FromDictionary(const std::string& bytes) const;

    std::unique_ptr<Hunspell> hunspell_;
    std::string encoding_;  // empty for UTF-8
    // Lets the cache be asked with a view of the text, without a string per word.
    struct WordHash {
        using is_transparent = void;
        size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
    };
    // word -> correct: Hunspell is slow per call, and a text repeats its words
    std::unordered_map<std::string, bool, WordHash, std::equal_to<>> known_;
};

}  // namespace qa
