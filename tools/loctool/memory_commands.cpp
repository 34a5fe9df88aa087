// memory_commands.cpp - `loctool suggest`: the translation memory of one language (the
// project's own items and the TMX files in "Translation memory/") asked for one item, as
// the editor's panel would show it; `loctool glossary-candidates`: the item names worth an
// entry in Glossary.csv. Both only read the project; the logic is editor/memory's.
#include "tools/loctool/memory_commands.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <system_error>

#include "editor/memory/glossary.h"
#include "editor/memory/memory_index.h"
#include "editor/memory/tmx.h"
#include "editor/qa/project_settings.h"
#include "platform/platform.h"
#include "tools/loctool/project_texts.h"

namespace fs = std::filesystem;
using loctext::Fail;
using loctext::Result;
using projtexts::LanguageTexts;
using projtexts::Project;

namespace {

const char* const kSuggestHelp =
    "usage: loctool suggest PROJECT LANGUAGE FILE INDEX [--source REFLANG] [--format text|json]\n"
    "\n"
    "Up to three translations from the translation memory of LANGUAGE for the item INDEX\n"
    "(counted from 0, as loctool dump numbers them) of FILE (menu or menu.loc), as the\n"
    "editor suggests them: the memory holds every translated item of the project (its\n"
    "source text from REFLANG, else English, else the first folder) and the units of the\n"
    "TMX files in PROJECT/Translation memory/ whose languages are REFLANG and LANGUAGE (by\n"
    "[languages] of zazovi-project.ini, else the folder names). A suggestion scores 70 or\n"
    "more, the item itself is never one; each shows its score, where it comes from\n"
    "(file.loc:index:name, or the TMX file and the line of its unit), its source text and\n"
    "its translation, and, at 100, what the sources still differ in (tags, placeholders,\n"
    "numbers, spacing). A TMX file that cannot be read is named on stderr and left out.\n"
    "--format json prints an array of {score, origin {kind, file, index, name}, source,\n"
    "translation, differs_in}; kind is project or tmx, and a TMX unit's index is its line.\n"
    "exit code: 0 ok (also without suggestions), 1 a problem (said on stderr), 2 usage\n";

const char* const kCandidatesHelp =
    "usage: loctool glossary-candidates PROJECT [--source REFLANG]\n"
    "\n"
    "Prints, as CSV for Glossary.csv, the item names (from Descriptions) that occur in at\n"
    "least two source texts (REFLANG, else English, else the first folder), most frequent\n"
    "first, less the terms PROJECT/Glossary.csv already has. The header row names the\n"
    "language folders, the source first; each other language's cell holds the translation\n"
    "of the items whose source text is exactly the name, when they all agree. Nothing is\n"
    "written into the project.\n"
    "exit code: 0 ok, 1 a problem (said on stderr), 2 usage\n";

constexpr size_t kMaxSuggestions = 3;
constexpr int kMinScore = 70;
constexpr const char* kMemoryFolder = "Translation memory";

struct Options {
    std::vector<std::string> positional;
    std::string source, format = "text";
    bool help = false;
};

bool ParseArgs(const std::vector<std::string>& args, bool withFormat, Options& o) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h")
            o.help = true;
        else if ((a == "--source" || (withFormat && a == "--format")) && i + 1 < args.size())
            (a == "--source" ? o.source : o.format) = args[++i];
        else if (a.size() > 1 && a[0] == '-')
            return false;
        else
            o.positional.push_back(a);
    }
    return o.format == "text" || o.format == "json";
}

int Usage(const char* help) {
    std::fputs(help, stderr);
    return 2;
}

int Help(const char* help) {
    std::fputs(help, stdout);
    return 0;
}

int Report(const Result& r) {
    if (r.ok) return 0;
    std::fprintf(stderr, "loctool: %s\n", r.message.c_str());
    return 1;
}

// The project, its source language and that language's texts; `requested` is --source.
Result OpenWithSource(const std::string& folder, const std::string& requested, Project& project, std::string& source,
                      LanguageTexts& sourceTexts) {
    Result r = projtexts::OpenProject(folder, project);
    if (r.ok) r = projtexts::PickReference(project, requested, source);
    if (r.ok) r = projtexts::LoadLanguage(project, source, sourceTexts);
    return r;
}

// The file named as "menu" or "menu.loc", and an item index within it.
Result FindItem(const Project& project, const std::string& fileArg, const std::string& indexArg, size_t& file,
                size_t& index) {
    std::string name = fileArg;
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".loc") == 0) name.resize(name.size() - 4);
    const auto it = std::find(project.files.begin(), project.files.end(), name);
    if (it == project.files.end()) {
        std::string known;
        for (const std::string& f : project.files) known += (known.empty() ? "" : ", ") + f;
        return Fail("The project has no file '" + fileArg + "' (its files: " + known + ")");
    }
    file = size_t(it - project.files.begin());
    const size_t count = project.names[file].size();
    const char* end = indexArg.data() + indexArg.size();
    const auto parsed = std::from_chars(indexArg.data(), end, index);
    if (indexArg.empty() || parsed.ec != std::errc() || parsed.ptr != end || index >= count)
        return Fail("'" + indexArg + "' is not an item of " + name + ".loc, which has " + std::to_string(count) +
                    " items counted from 0");
    return {};
}

// The TMX files of the project's memory folder, by name so that ties between equal
// suggestions fall the same way on every machine.
std::vector<std::string> TmxFiles() {
    std::vector<std::string> files;
    std::error_code ec;
    for (fs::directory_iterator it(PlatFsPath(kMemoryFolder), ec), end; !ec && it != end; it.increment(ec)) {
        std::string ext = PlatPathString(it->path().extension());
        std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
        if (ext == ".tmx" && it->is_regular_file(ec)) files.push_back(PlatPathString(it->path().filename()));
    }
    std::sort(files.begin(), files.end());
    return files;
}

// The memory as the editor builds it: the project's items file by file (an untranslated
// one keeps an empty translation, so it is never suggested), then every TMX unit.
std::vector<memory::MemoryUnit> BuildMemory(const Project& project, const LanguageTexts& sourceTexts,
                                            const LanguageTexts& texts, const std::string& source,
                                            const std::string& language, const memory::LanguageMap& languages) {
    std::vector<memory::MemoryUnit> units;
    for (size_t f = 0; f < project.files.size(); ++f)
        for (size_t i = 0; i < texts[f].size(); ++i) {
            const std::string& text = texts[f][i];
            const bool untranslated = projtexts::IsUntranslated(text, sourceTexts[f][i], true);
            units.push_back({sourceTexts[f][i],
                             untranslated ? std::string() : text,
                             {memory::Origin::Kind::Project, project.files[f] + ".loc", int(i), project.names[f][i]}});
        }
    for (const std::string& name : TmxFiles()) {
        memory::TmxDocument doc;
        std::string error;
        if (!memory::ReadTmxFile(PlatPathString(PlatFsPath(kMemoryFolder) / PlatFsPath(name)), doc, error)) {
            std::fprintf(stderr, "loctool: %s; the file is left out of the memory\n", error.c_str());
            continue;
        }
        for (memory::TmxPair& pair : memory::TmxPairs(doc, source, language, languages))
            units.push_back({std::move(pair.source),
                             std::move(pair.target),
                             {memory::Origin::Kind::Tmx, name, pair.line, std::string()}});
    }
    return units;
}

std::vector<std::string> DifferenceWords(uint8_t bits) {
    std::vector<std::string> words;
    if (bits & memory::kDiffersInTags) words.push_back("tags");
    if (bits & memory::kDiffersInPlaceholders) words.push_back("placeholders");
    if (bits & memory::kDiffersInNumbers) words.push_back("numbers");
    if (bits & memory::kDiffersInSpacing) words.push_back("spacing");
    return words;
}

std::string OriginText(const memory::Origin& o) {
    if (o.kind == memory::Origin::Kind::Tmx) return o.file + ":" + std::to_string(o.index);
    return o.file + ":" + std::to_string(o.index) + ":" + o.name;
}

// A text's later lines start under its first, so a line feed does not look like a new field.
std::string Indented(const std::string& text) {
    std::string out;
    for (char c : text) out += c == '\n' ? std::string("\n               ") : std::string(1, c);
    return out;
}

void PrintSuggestionsText(const std::vector<memory::Suggestion>& found) {
    if (found.empty()) {
        std::printf("no suggestions\n");
        return;
    }
    for (size_t n = 0; n < found.size(); ++n) {
        const memory::Suggestion& s = found[n];
        std::printf("%s%d%% %s%s\n", n ? "\n" : "", s.match.score, OriginText(s.data->origin).c_str(),
                    s.data->origin.kind == memory::Origin::Kind::Tmx ? " (translation memory)" : "");
        std::printf("  source:      %s\n", Indented(s.data->source).c_str());
        std::printf("  translation: %s\n", Indented(s.data->translation).c_str());
        std::string words;
        for (const std::string& w : DifferenceWords(s.match.differsIn)) words += (words.empty() ? "" : ", ") + w;
        if (!words.empty()) std::printf("  differs only in: %s\n", words.c_str());
    }
}

void PrintSuggestionsJson(const std::vector<memory::Suggestion>& found) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const memory::Suggestion& s : found) {
        const memory::Origin& o = s.data->origin;
        list.push_back({{"score", s.match.score},
                        {"origin",
                         {{"kind", o.kind == memory::Origin::Kind::Tmx ? "tmx" : "project"},
                          {"file", o.file},
                          {"index", o.index},
                          {"name", o.name}}},
                        {"source", s.data->source},
                        {"translation", s.data->translation},
                        {"differs_in", DifferenceWords(s.match.differsIn)}});
    }
    // Texts that are not UTF-8 get U+FFFD rather than stopping the output.
    std::printf("%s\n", list.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace).c_str());
}

}  // namespace

int SuggestCommand(const std::vector<std::string>& args) {
    Options o;
    if (!ParseArgs(args, true, o)) return Usage(kSuggestHelp);
    if (o.help) return Help(kSuggestHelp);
    if (o.positional.size() != 4) return Usage(kSuggestHelp);
    const std::string& folder = o.positional[0];
    const std::string& language = o.positional[1];

    // Settings are read before the project is entered, from the folder as given. A bad
    // line costs only that line, as in the editor: suggestions need just [languages].
    std::error_code ec;
    qa::ProjectSettings settings;
    for (const std::string& problem :
         qa::LoadProjectSettings(PlatPathString(fs::absolute(PlatFsPath(folder), ec)), settings))
        std::fprintf(stderr, "loctool: warning: %s\n", problem.c_str());

    Project project;
    std::string source;
    LanguageTexts sourceTexts, texts;
    size_t file = 0, index = 0;
    Result r = OpenWithSource(folder, o.source, project, source, sourceTexts);
    if (r.ok && !projtexts::HasLanguage(project, language))
        r = Fail("The language '" + language + "' has no folder under " + folder + "/Texts");
    if (r.ok && language == source)
        r = Fail("'" + language + "' is the source language; its texts are what the memory is searched for");
    if (r.ok) r = FindItem(project, o.positional[2], o.positional[3], file, index);
    if (r.ok) r = projtexts::LoadLanguage(project, language, texts);
    if (!r.ok) return Report(r);

    const memory::MemoryIndex units(BuildMemory(project, sourceTexts, texts, source, language, settings.languageTags));
    const memory::Origin self{memory::Origin::Kind::Project, project.files[file] + ".loc", int(index), {}};
    const std::vector<memory::Suggestion> found =
        units.Suggest(sourceTexts[file][index], kMaxSuggestions, kMinScore, &self);
    if (o.format == "json")
        PrintSuggestionsJson(found);
    else
        PrintSuggestionsText(found);
    return 0;
}

int GlossaryCandidatesCommand(const std::vector<std::string>& args) {
    Options o;
    if (!ParseArgs(args, false, o)) return Usage(kCandidatesHelp);
    if (o.help) return Help(kCandidatesHelp);
    if (o.positional.size() != 1) return Usage(kCandidatesHelp);

    Project project;
    std::string source;
    LanguageTexts sourceTexts;
    Result r = OpenWithSource(o.positional[0], o.source, project, source, sourceTexts);
    if (!r.ok) return Report(r);
    // The terms the glossary has are no candidates; a damaged glossary is mended first,
    // since what it would have held cannot be told.
    memory::Glossary glossary;
    std::error_code ec;
    const bool hasGlossary = fs::exists(PlatFsPath(memory::kGlossaryFile), ec);
    if (std::vector<std::string> errors;
        hasGlossary && !memory::ReadGlossaryFile(memory::kGlossaryFile, glossary, errors)) {
        for (const std::string& e : errors) std::fprintf(stderr, "loctool: %s\n", e.c_str());
        return 1;
    }

    std::vector<std::string> names, header{source};
    for (const std::vector<std::string>& fileNames : project.names)
        names.insert(names.end(), fileNames.begin(), fileNames.end());
    for (const std::string& language : project.languages)
        if (language != source) header.push_back(language);

    // Which names are candidates depends on the source texts alone, so every language's
    // run gives the same rows in the same order; each fills in its own column.
    std::vector<memory::CandidateText> texts;
    for (const std::vector<std::string>& fileTexts : sourceTexts)
        for (const std::string& text : fileTexts) texts.push_back({text, {}});
    std::vector<std::vector<std::string>> rows =
        memory::GlossaryCandidates(names, texts, header, source, std::string(), hasGlossary ? &glossary : nullptr);
    for (size_t column = 1; column < header.size(); ++column) {
        LanguageTexts translated;
        if (!(r = projtexts::LoadLanguage(project, header[column], translated)).ok) return Report(r);
        size_t n = 0;
        for (size_t f = 0; f < translated.size(); ++f)
            for (size_t i = 0; i < translated[f].size(); ++i, ++n)
                texts[n].translation =
                    projtexts::IsUntranslated(translated[f][i], sourceTexts[f][i], true) ? "" : translated[f][i];
        const std::vector<std::vector<std::string>> filled =
            memory::GlossaryCandidates(names, texts, header, source, header[column], hasGlossary ? &glossary : nullptr);
        for (size_t k = 0; k < rows.size() && k < filled.size(); ++k) rows[k][column] = filled[k][column];
    }
    rows.insert(rows.begin(), header);
    const std::string csv = memory::FormatCsvRows(rows);
    std::fwrite(csv.data(), 1, csv.size(), stdout);
    return 0;
}
