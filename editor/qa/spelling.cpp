// spelling.cpp - the words of a text and Hunspell over them. Hunspell takes words in
// the dictionary's encoding; Debian ships some dictionaries in ISO 8859 encodings, so
// words are converted both ways (PlatConvertEncoding) when the dictionary is not UTF-8.
#include "editor/qa/spelling.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <hunspell/hunspell.hxx>

#include "platform/platform.h"

namespace qa {
namespace {

struct LanguageEntry {
    const char* dictionary;
    std::vector<const char*> names;  // folder names, lower case; codes and names in English and in the language
};

const std::vector<LanguageEntry>& LanguageTable() {
    static const std::vector<LanguageEntry> table = {
        {"en_US", {"english", "en", "en-us", "en_us", "american"}},
        {"en_GB", {"british", "en-gb", "en_gb"}},
        {"de_DE", {"german", "deutsch", "de", "de-de", "de_de", "de-at", "de_at"}},
        {"de_CH", {"swiss german", "de-ch", "de_ch"}},
        {"fr_FR", {"french", "français", "francais", "fr", "fr-fr", "fr_fr"}},
        {"es_ES", {"spanish", "español", "espanol", "es", "es-es", "es_es"}},
        {"it_IT", {"italian", "italiano", "it", "it-it", "it_it"}},
        {"pt_PT", {"portuguese", "português", "portugues", "pt", "pt-pt", "pt_pt"}},
        {"pt_BR", {"brazilian portuguese", "brazilian", "pt-br", "pt_br"}},
        {"nl_NL", {"dutch", "nederlands", "nl", "nl-nl", "nl_nl"}},
        {"ru_RU", {"russian", "русский", "ru", "ru-ru", "ru_ru"}},
        {"pl_PL", {"polish", "polski", "pl", "pl-pl", "pl_pl"}},
        {"cs_CZ", {"czech", "čeština", "cestina", "cs", "cs-cz", "cs_cz"}},
        {"sv_SE", {"swedish", "svenska", "sv", "sv-se", "sv_se"}},
        {"da_DK", {"danish", "dansk", "da", "da-dk", "da_dk"}},
        {"nb_NO", {"norwegian", "norsk", "nb", "no", "nb-no", "nb_no"}},
        {"fi_FI", {"finnish", "suomi", "fi", "fi-fi", "fi_fi"}},
        {"hu_HU", {"hungarian", "magyar", "hu", "hu-hu", "hu_hu"}},
        {"tr_TR", {"turkish", "türkçe", "turkce", "tr", "tr-tr", "tr_tr"}},
        {"uk_UA", {"ukrainian", "українська", "uk", "uk-ua", "uk_ua"}},
        {"el_GR", {"greek", "ελληνικά", "el", "el-gr", "el_gr"}},
        {"ro_RO", {"romanian", "română", "romana", "ro", "ro-ro", "ro_ro"}},
        {"bg_BG", {"bulgarian", "български", "bg", "bg-bg", "bg_bg"}},
    };
    return table;
}

// ASCII lower case: enough for codes and English names; the table also holds the
// native names in lower case and in ASCII ("français", "francais").
std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// The code point at text[i] and its byte count; a broken sequence is one byte of -1.
char32_t Decode(std::string_view s, size_t i, size_t& length) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (length == 0 || i + length > s.size()) return length = 1, char32_t(-1);
    char32_t cp = length == 1 ? c : c & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) {
        const unsigned char b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) return length = 1, char32_t(-1);
        cp = (cp << 6) | (b & 0x3F);
    }
    return cp;
}

bool IsLetter(char32_t c) {
    if (c < 0x80) return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (c == char32_t(-1)) return false;
    // Without a Unicode table: everything beyond ASCII counts as a letter except the
    // blocks of spaces, punctuation and symbols that appear in game texts.
    return !((c >= 0xA0 && c <= 0xBF) || c == 0xD7 || c == 0xF7 || (c >= 0x2000 && c <= 0x2BFF) ||
             (c >= 0x3000 && c <= 0x303F) || (c >= 0xFE00 && c <= 0xFE0F) || (c >= 0xFF00 && c <= 0xFF0F) ||
             (c >= 0xFF1A && c <= 0xFF20) || c == 0xFEFF || c >= 0x1F000);
}

bool IsDigit(char32_t c) { return c >= '0' && c <= '9'; }
bool IsJoiner(char32_t c) { return c == '\'' || c == 0x2019 || c == '-'; }  // don't, l'homme, E-Mail

// For each byte: 0 text, 1 a colour tag (letters may go on after it), 2 a placeholder
// (ends a word).
std::vector<unsigned char> MarkSkipped(std::string_view text) {
    std::vector<unsigned char> mark(text.size(), 0);
    const ColourTags tags = FindColourTags(text);
    for (const auto* list : {&tags.tags, &tags.malformed})
        for (const ByteRange& r : *list) std::fill(mark.begin() + r.begin, mark.begin() + r.end, 1);
    for (const Placeholder& p : FindPlaceholders(text))
        std::fill(mark.begin() + p.range.begin, mark.begin() + p.range.end, 2);
    return mark;
}

std::string Convert(const std::string& from, const std::string& to, const std::string& bytes, bool& ok) {
    std::string out;
    ok = PlatConvertEncoding(from, to, bytes, out);
    return ok ? out : std::string();
}

// Calls found(range, word) for each word of the text. The word is handed as a view of
// one reused buffer, so that spelling a long text allocates nothing per word.
template <typename Found>
void ForEachWord(std::string_view text, Found found) {
    const std::vector<unsigned char> mark = MarkSkipped(text);
    std::string word;
    size_t begin = 0;
    bool inWord = false, hasDigit = false;  // a word with a digit is skipped, and so is one glued to a placeholder
    size_t lastLetterEnd = 0, gluedFrom = std::string_view::npos;
    std::string_view pendingJoin;  // a joiner seen after a letter, kept only if a letter follows
    const auto finish = [&] {
        if (inWord && !hasDigit) found(ByteRange{begin, lastLetterEnd}, std::string_view(word));
        inWord = hasDigit = false;
        pendingJoin = {};
    };
    for (size_t i = 0; i < text.size();) {
        if (mark[i] == 1) {  // a tag: the word goes on if a letter follows it
            while (i < text.size() && mark[i] == 1) ++i;
            continue;
        }
        if (mark[i] == 2) {  // letters glued to a placeholder ("{0}th", "%sx") are no word of their own
            if (lastLetterEnd == i) hasDigit = true;
            finish();
            while (i < text.size() && mark[i] == 2) ++i;
            gluedFrom = i;
            continue;
        }
        size_t length = 1;
        const char32_t c = Decode(text, i, length);
        if (IsLetter(c) || IsDigit(c)) {
            if (!inWord) {
                begin = i;
                word.clear();
                inWord = true;
                hasDigit = i == gluedFrom;
            }
            hasDigit = hasDigit || IsDigit(c);
            word.append(pendingJoin).append(text.substr(i, length));
            pendingJoin = {};
            lastLetterEnd = i + length;
        } else if (inWord && IsJoiner(c) && pendingJoin.empty() && lastLetterEnd == i) {
            pendingJoin = text.substr(i, length);
        } else {
            finish();
        }
        i += length;
    }
    finish();
}

}  // namespace

std::string DictionaryName(const std::string& folder, const ProjectSettings& settings) {
    if (const auto it = settings.dictionaries.find(folder); it != settings.dictionaries.end())
        return it->second == "none" ? std::string() : it->second;
    const std::string name = Lower(folder);
    for (const LanguageEntry& entry : LanguageTable())
        for (const char* n : entry.names)
            if (name == n) return entry.dictionary;
    return {};
}

std::string FindDictionary(const std::string& name, const std::vector<std::string>& dirs) {
    if (name.empty()) return {};
    const auto both = [](const std::filesystem::path& base) {
        std::error_code ec;
        return std::filesystem::is_regular_file(PlatFsPath(PlatPathString(base) + ".aff"), ec) &&
               std::filesystem::is_regular_file(PlatFsPath(PlatPathString(base) + ".dic"), ec);
    };
    for (const std::string& dir : dirs) {
        const std::filesystem::path folder = PlatFsPath(dir);
        if (both(folder / PlatFsPath(name))) return PlatPathString(folder / PlatFsPath(name));
        // Dictionary extensions name their files after the language and a variant
        // ("de_DE_frami.aff"): the first such pair, by name, stands in.
        std::vector<std::string> variants;
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
            const std::string file = PlatPathString(entry.path().filename());
            if (file.size() > name.size() + 5 && file.compare(0, name.size(), name) == 0 &&
                (file[name.size()] == '_' || file[name.size()] == '-') && file.ends_with(".aff"))
                variants.push_back(file.substr(0, file.size() - 4));
        }
        std::sort(variants.begin(), variants.end());
        for (const std::string& variant : variants)
            if (both(folder / PlatFsPath(variant))) return PlatPathString(folder / PlatFsPath(variant));
    }
    return {};
}

std::vector<std::string> DictionaryFolders(const std::string& project, const ProjectSettings& settings) {
    std::vector<std::string> folders;
    if (!settings.dictionaryFolder.empty())
        folders.push_back(PlatPathString(PlatFsPath(project) / PlatFsPath(settings.dictionaryFolder)));
    for (std::string& folder : PlatDictionaryFolders()) folders.push_back(std::move(folder));
    return folders;
}

std::vector<Word> SplitWords(std::string_view text) {
    std::vector<Word> words;
    ForEachWord(text, [&](ByteRange range, std::string_view word) { words.push_back({range, std::string(word)}); });
    return words;
}

std::string ReplaceWord(std::string_view text, const Word& word, std::string_view replacement) {
    // The tags inside the word, each with the number of word bytes before it.
    std::vector<std::pair<size_t, std::string_view>> tags;
    size_t wordBytes = 0;
    for (size_t i = word.range.begin; i < word.range.end;) {
        if (const size_t n = text[i] == '<' ? ColourTagLength(text.substr(i, word.range.end - i)) : 0) {
            tags.emplace_back(wordBytes, text.substr(i, n));
            i += n;
        } else {
            ++wordBytes;
            ++i;
        }
    }
    std::string middle;
    size_t taken = 0;
    for (const auto& [at, tag] : tags) {
        size_t cut = std::min(at, replacement.size());
        while (cut < replacement.size() && (static_cast<unsigned char>(replacement[cut]) & 0xC0) == 0x80) ++cut;
        if (cut > taken) middle.append(replacement.substr(taken, cut - taken)), taken = cut;
        middle.append(tag);
    }
    middle.append(replacement.substr(taken));
    return std::string(text.substr(0, word.range.begin)) + middle + std::string(text.substr(word.range.end));
}

SpellChecker::SpellChecker() = default;
SpellChecker::~SpellChecker() = default;

bool SpellChecker::Open(const std::string& base, std::string& message) {
    hunspell_.reset();
    known_.clear();
    std::error_code ec;
    if (!std::filesystem::is_regular_file(PlatFsPath(base + ".aff"), ec) ||
        !std::filesystem::is_regular_file(PlatFsPath(base + ".dic"), ec)) {
        message = "No dictionary " + base + ".aff / .dic";
        return false;
    }
    hunspell_ = std::make_unique<Hunspell>((base + ".aff").c_str(), (base + ".dic").c_str());
    const std::string encoding = hunspell_->get_dict_encoding();
    encoding_ = Lower(encoding) == "utf-8" || encoding.empty() ? std::string() : encoding;
    return true;
}

bool SpellChecker::ToDictionary(const std::string& utf8, std::string& out) const {
    if (encoding_.empty()) return out = utf8, true;
    bool ok = false;
    out = Convert("UTF-8", encoding_, utf8, ok);
    return ok;
}

std::string SpellChecker::FromDictionary(const std::string& bytes) const {
    if (encoding_.empty()) return bytes;
    bool ok = false;
    std::string out = Convert(encoding_, "UTF-8", bytes, ok);
    return ok ? out : std::string();
}

bool SpellChecker::IsCorrect(std::string_view word) {
    if (!hunspell_) return true;
    if (const auto it = known_.find(word); it != known_.end()) return it->second;
    std::string converted;
    const bool correct = ToDictionary(std::string(word), converted) && hunspell_->spell(converted);
    known_.emplace(word, correct);
    return correct;
}

std::vector<Word> SpellChecker::Misspelled(std::string_view text) {
    std::vector<Word> wrong;
    if (!hunspell_) return wrong;
    ForEachWord(text, [&](ByteRange range, std::string_view word) {
        if (!IsCorrect(word)) wrong.push_back({range, std::string(word)});
    });
    return wrong;
}

std::vector<std::string> SpellChecker::Suggest(const std::string& word, size_t most) {
    std::vector<std::string> out;
    std::string converted;
    if (!hunspell_ || !ToDictionary(word, converted)) return out;
    for (const std::string& s : hunspell_->suggest(converted)) {
        if (out.size() >= most) break;
        std::string utf8 = FromDictionary(s);
        if (!utf8.empty()) out.push_back(std::move(utf8));
    }
    return out;
}

}  // namespace qa
