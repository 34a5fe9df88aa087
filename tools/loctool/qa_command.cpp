// qa_command.cpp - loctool qa: runs the checks of editor/qa (and Hunspell with
// --spell) over every language and file of a project and lists the problems, one a
// line or as JSON (nlohmann-json, which escapes every string it writes; keys in the order written).
// With --fail-on-review, the items still to review are problems too. Across a language,
// texts translated inconsistently are warnings; a text that misses its glossary term
// (Glossary.csv at the project root) is an error, and so is a text that does not fit its
// room in the game's font (editor/fit) or holds a character that font lacks.
#include "tools/loctool/qa_command.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <system_error>

#include "editor/fit/fit_check.h"
#include "editor/memory/consistency.h"
#include "editor/memory/glossary.h"
#include "editor/qa/project_settings.h"
#include "editor/qa/qa_checks.h"
#include "editor/qa/spelling.h"
#include "platform/platform.h"
#include "tools/loctool/project_texts.h"

namespace {

const char* const kQaHelp =
    "usage: loctool qa PROJECT [--spell] [--fail-on-review] [--fail-on-warnings] [--format text|json]\n"
    "                  [--source REFLANG]\n"
    "\n"
    "Checks every translated text of every language folder against the reference text\n"
    "(REFLANG, else English, else the first folder): colour tags, placeholders, line\n"
    "breaks, leading and trailing spaces, and the length limits of zazovi-project.ini.\n"
    "Every text (the reference's too) of a file with a room in zazovi-project.ini is\n"
    "measured in the game's font ([font], else the editor's zazovi_font.dsf from the\n"
    "project, beside loctool or in its installed data folder) as the engine lays it out:\n"
    "a line wider than [width] (a word cut in a wrapped text), more lines than [lines]\n"
    "after wrapping at the width, and, for a file with a [font], a character that font\n"
    "has no glyph for are errors (width, lines, glyphs).\n"
    "Within each language, a source text translated in more than one way and one\n"
    "translation given to different source texts are warnings (consistency). With\n"
    "PROJECT/Glossary.csv, a text whose source holds a term while the text holds none of\n"
    "the term's variants in its language's column is an error (glossary); a language\n"
    "without a column is not checked against it, and a damaged glossary stops qa.\n"
    "--spell also checks spelling with the Hunspell dictionary of each language.\n"
    "--fail-on-review also lists every item still to review (marked needs-review in\n"
    "PROJECT/Translation state/, or its source text changed since it was translated) as a\n"
    "problem, so that a release stops until the review is done.\n"
    "One line per problem:  language/file.loc:item-index:item-name: what\n"
    "(\"warning: \" before what only asks for a look), then a summary line; --format json\n"
    "prints the same as one JSON object, each problem with its check and severity.\n"
    "exit code: 0 no error, 1 an error (or an unreadable project; with --fail-on-warnings\n"
    "a warning too), 2 usage\n";

struct Options {
    std::string project, format = "text", source;
    bool spell = false, failOnReview = false, failOnWarnings = false, help = false;
};

bool ParseQaOptions(const std::vector<std::string>& args, Options& o) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "--spell") {
            o.spell = true;
        } else if (a == "--fail-on-warnings") {
            o.failOnWarnings = true;
        } else if (a == "--fail-on-review") {
            o.failOnReview = true;
        } else if ((a == "--format" || a == "--source") && i + 1 < args.size()) {
            (a == "--format" ? o.format : o.source) = args[++i];
        } else if (!a.empty() && a[0] != '-' && o.project.empty()) {
            o.project = a;
        } else {
            return false;
        }
    }
    return o.help || (!o.project.empty() && (o.format == "text" || o.format == "json"));
}

struct Problem {
    std::string language, file, name;
    qa::Finding finding;
    size_t item = 0;
};

// Why the item is still to review, or "" when it is not.
std::string ReviewProblem(const projtexts::Project& project, const projtexts::LanguageStates& states, size_t file,
                          size_t index) {
    const review::ItemReview* record = states.Find(project, file, index);
    if (!record || !states.NeedsReview(project, file, index)) return {};
    return record->state == review::ReviewState::NeedsReview
               ? "Still to review: marked needs-review"
               : "Still to review: its reference text changed since it was translated";
}

int Fail(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) std::fprintf(stderr, "loctool: %s\n", line.c_str());
    return 1;
}

// One checker per language with a dictionary; languages without one are said on stderr.
std::map<std::string, std::unique_ptr<qa::SpellChecker>> OpenCheckers(const projtexts::Project& project,
                                                                      const std::string& folder,
                                                                      const qa::ProjectSettings& settings) {
    std::map<std::string, std::unique_ptr<qa::SpellChecker>> checkers;
    const std::vector<std::string> dictionaryFolders = qa::DictionaryFolders(folder, settings);
    for (const std::string& language : project.languages) {
        const std::string name = qa::DictionaryName(language, settings);
        const std::string base = qa::FindDictionary(name, dictionaryFolders);
        std::string message;
        auto checker = std::make_unique<qa::SpellChecker>();
        if (!base.empty() && checker->Open(base, message)) {
            checkers[language] = std::move(checker);
        } else {
            std::fprintf(stderr, "loctool: %s: %s; its spelling is not checked\n", language.c_str(),
                         name.empty() ? "no dictionary is known for this folder"
                                      : ("the dictionary " + name + " is not installed").c_str());
        }
    }
    return checkers;
}

// The glossary at the project root (entered by now), when there is one. False with the
// problems said on stderr when it is damaged: a check against half a glossary would pass
// texts it should not.
bool LoadGlossary(std::optional<memory::Glossary>& glossary) {
    std::error_code ec;
    if (!std::filesystem::exists(PlatFsPath(memory::kGlossaryFile), ec)) return true;
    std::vector<std::string> errors;
    if (memory::ReadGlossaryFile(memory::kGlossaryFile, glossary.emplace(), errors)) return true;
    Fail(errors);
    return false;
}

// The consistency findings of one language's items, taken file by file, item by item.
struct LanguageConsistency {
    std::vector<memory::ConsistencyItem> items;
    memory::ConsistencyReport report;
};

LanguageConsistency CheckLanguageConsistency(const projtexts::Project& project,
                                             const projtexts::LanguageTexts& refTexts,
                                             const projtexts::LanguageTexts& texts, bool other) {
    LanguageConsistency c;
    for (size_t f = 0; f < texts.size(); ++f)
        for (size_t i = 0; i < texts[f].size(); ++i)
            c.items.push_back({project.files[f] + ".loc", int(i), project.names[f][i], refTexts[f][i], texts[f][i]});
    c.report = memory::CheckConsistency(c.items, other);
    return c;
}

// The fonts the texts are measured in, each read once: a file's [font], or the editor's.
class Fonts {
  public:
    Fonts(const qa::ProjectSettings& settings, std::string folder) : settings_(settings), folder_(std::move(folder)) {}
    // The font of `file`, null (with `problem` said) when it cannot be read or none is found.
    const Font* Of(const std::string& file, std::string& problem) {
        std::string path = fit::FontPath(settings_, folder_, file);
        const bool editor = path.empty();
        if (editor) path = EditorFont();
        if (path.empty()) {
            problem = std::string("the texts of ") + file +
                      " have a width, and no font was found to measure them: " + "name the game's font in [font] of " +
                      qa::kProjectSettingsFile + ", or put the editor's " + kEditorFontFile + " into the project";
            return nullptr;
        }
        auto& font = fonts_[path];
        if (!font) {
            std::string why;
            font = measure::LoadMeasureFont(path, &why);
            if (!font) {
                const auto line = settings_.lines.find("font/" + file);
                problem = std::string(qa::kProjectSettingsFile) +
                          (editor || line == settings_.lines.end() ? std::string()
                                                                   : " line " + std::to_string(line->second)) +
                          ": the font of '" + file + "' cannot be used: " + why;
                fonts_.erase(path);
                return nullptr;
            }
            if (editor) font->SetScale(1.0f);  // as the editor draws with it
        }
        return font->font();
    }

  private:
    static constexpr const char* kEditorFontFile = "zazovi_font.dsf";
    // The editor's font as the editor finds it: in the project, else beside the program,
    // else in the installed data folder (<prefix>/share/zazovi beside <prefix>/bin).
    std::string EditorFont() const {
        const std::filesystem::path program = PlatFsPath(PlatProgramFolder());
        for (const std::filesystem::path& folder :
             {PlatFsPath(folder_), program, program.parent_path() / "share" / "zazovi"}) {
            std::error_code ec;
            const std::filesystem::path path = folder / kEditorFontFile;
            if (std::filesystem::is_regular_file(path, ec)) return PlatPathString(path);
        }
        return {};
    }

    const qa::ProjectSettings& settings_;
    std::string folder_;
    std::map<std::string, std::unique_ptr<measure::MeasureFont>> fonts_;
};

// The font each file with a room or a [font] is measured in (null: a file without one);
// false with the problems said when a font cannot be had.
bool MeasuredFiles(const projtexts::Project& project, const qa::ProjectSettings& settings, Fonts& fonts,
                   std::vector<const Font*>& byFile) {
    byFile.assign(project.files.size(), nullptr);
    std::vector<std::string> problems;
    for (size_t f = 0; f < project.files.size(); ++f) {
        const std::string& file = project.files[f];
        if (!fit::FileIsMeasured(settings, file)) continue;
        // A file with line counts alone needs no font: its lines are its line breaks.
        bool needsFont =
            settings.fonts.count(file) || settings.widthLimits.count(file) || settings.itemWidthLimits.count(file);
        if (!needsFont) continue;
        std::string problem;
        byFile[f] = fonts.Of(file, problem);
        if (!problem.empty()) problems.push_back(problem);
    }
    if (problems.empty()) return true;
    Fail(problems);
    return false;
}

std::string SpellingProblem(qa::SpellChecker& checker, const std::string& text) {
    std::string words;
    for (const qa::Word& w : checker.Misspelled(text)) words += (words.empty() ? "" : ", ") + w.text;
    return words.empty() ? std::string() : "Spelling: " + words;
}

void PrintText(const std::vector<Problem>& problems, size_t items, size_t toReview) {
    for (const Problem& p : problems)
        std::printf("%s/%s.loc:%zu:%s: %s%s\n", p.language.c_str(), p.file.c_str(), p.item, p.name.c_str(),
                    p.finding.severity == qa::Severity::Warning ? "warning: " : "", p.finding.message.c_str());
    if (problems.empty())
        std::printf("no problems\n");
    else
        std::printf("%zu problem%s in %zu item%s\n", problems.size(), problems.size() == 1 ? "" : "s", items,
                    items == 1 ? "" : "s");
    if (toReview)
        std::printf("%zu item%s still to review (--fail-on-review)\n", toReview, toReview == 1 ? " is" : "s are");
}

void PrintJson(const std::vector<Problem>& problems, size_t items, const std::string& reference,
               const bool failOnReview, size_t toReview) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const Problem& p : problems)
        list.push_back({{"language", p.language},
                        {"file", p.file + ".loc"},
                        {"item", p.item},
                        {"name", p.name},
                        {"check", p.finding.check},
                        {"severity", qa::SeverityWord(p.finding.severity)},
                        {"message", p.finding.message}});
    nlohmann::ordered_json summary = {{"problems", problems.size()}, {"items", items}};
    if (failOnReview) summary["to_review"] = toReview;
    const nlohmann::ordered_json out = {{"reference", reference}, {"problems", list}, {"summary", summary}};
    // Texts that are not UTF-8 get U+FFFD rather than stopping the report.
    std::printf("%s\n", out.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace).c_str());
}

}  // namespace

int QaCommand(const std::vector<std::string>& args) {
    Options o;
    if (!ParseQaOptions(args, o)) {
        std::fputs(kQaHelp, stderr);
        return 2;
    }
    if (o.help) {
        std::fputs(kQaHelp, stdout);
        return 0;
    }
    std::error_code ec;
    const std::string folder = PlatPathString(std::filesystem::absolute(PlatFsPath(o.project), ec));
    qa::ProjectSettings settings;
    if (const auto errors = qa::LoadProjectSettings(folder, settings); !errors.empty()) return Fail(errors);

    projtexts::Project project;
    std::string reference;
    projtexts::LanguageTexts refTexts;
    loctext::Result r = projtexts::OpenProject(o.project, project);
    if (r.ok) r = projtexts::PickReference(project, o.source, reference);
    if (r.ok) r = projtexts::LoadLanguage(project, reference, refTexts);
    if (!r.ok) return Fail({r.message});
    if (const auto unknown = qa::UnknownSettingNames(settings, project.files, project.languages); !unknown.empty())
        return Fail(unknown);
    std::map<std::string, size_t> itemCounts;
    for (size_t f = 0; f < project.files.size(); ++f) itemCounts[project.files[f]] = refTexts[f].size();
    if (const auto unknown = fit::UnknownItems(settings, itemCounts); !unknown.empty()) return Fail(unknown);
    Fonts fonts(settings, folder);
    std::vector<const Font*> fontOf;
    if (!MeasuredFiles(project, settings, fonts, fontOf)) return 1;
    std::optional<memory::Glossary> glossary;
    if (!LoadGlossary(glossary)) return 1;
    // Terms are looked up in the glossary's first column, whatever the reference.
    std::optional<memory::TermFinder> lookup;
    if (glossary) lookup.emplace(*glossary, 0);

    std::map<std::string, std::unique_ptr<qa::SpellChecker>> checkers;
    if (o.spell) checkers = OpenCheckers(project, folder, settings);

    std::vector<Problem> problems;
    size_t items = 0, toReview = 0;
    for (const std::string& language : project.languages) {
        projtexts::LanguageTexts texts;
        projtexts::LanguageStates states;  // read only when asked for: qa alone never fails on them
        if (!(r = projtexts::LoadLanguage(project, language, texts)).ok) return Fail({r.message});
        if (o.failOnReview && !(r = projtexts::LoadStates(project, language, states)).ok) return Fail({r.message});
        const bool other = language != reference;
        const auto checker = checkers.find(language);
        const LanguageConsistency consistency = CheckLanguageConsistency(project, refTexts, texts, other);
        size_t flat = 0;  // the item's place in consistency.items
        std::optional<memory::TermFinder> terms;
        if (glossary && glossary->Column(language) >= 0) terms.emplace(*glossary, glossary->Column(language));
        for (size_t f = 0; f < project.files.size(); ++f) {
            const std::string& file = project.files[f];
            const auto limit = settings.lengthLimits.find(file);
            const qa::LengthLimit length{limit == settings.lengthLimits.end() ? 0 : limit->second};
            const bool measured = fit::FileIsMeasured(settings, file), gameFont = settings.fonts.count(file) > 0;
            for (size_t i = 0; i < texts[f].size(); ++i, ++flat) {
                const std::string& text = texts[f][i];
                const bool translated = !qa::IsUntranslated(text, refTexts[f][i], other);
                std::vector<qa::Finding> found = qa::CheckItemFindings(text, refTexts[f][i], other, length);
                if (measured && translated) {
                    const fit::Room room = fit::RoomOf(settings, file, int(i));
                    if (room.Any() || gameFont)
                        for (qa::Finding& m :
                             fit::Findings(fit::LayOut(fontOf[f], text, room, gameFont), room, gameFont))
                            found.push_back(std::move(m));
                }
                if (checker != checkers.end() && translated)
                    if (std::string s = SpellingProblem(*checker->second, text); !s.empty())
                        found.push_back({"spelling", qa::Severity::Error, s});
                if (terms && translated)
                    for (memory::GlossaryFinding& g :
                         memory::CheckGlossary(*glossary, *lookup, *terms, refTexts[f][i], text))
                        found.push_back({"glossary", qa::Severity::Error, std::move(g.message)});
                for (size_t g : consistency.report.byItem[flat])
                    found.push_back({"consistency", qa::Severity::Warning,
                                     memory::DescribeFinding(consistency.report.groups[g], consistency.items, flat)});
                if (o.failOnReview)
                    if (std::string s = ReviewProblem(project, states, f, i); !s.empty()) {
                        found.push_back({"review", qa::Severity::Error, s});
                        ++toReview;
                    }
                items += found.empty() ? 0 : 1;
                for (qa::Finding& m : found) problems.push_back({language, file, project.names[f][i], std::move(m), i});
            }
        }
    }
    if (o.format == "json")
        PrintJson(problems, items, reference, o.failOnReview, toReview);
    else
        PrintText(problems, items, toReview);
    // Warnings are listed for a look; only errors (or, when asked, warnings) fail a build.
    const bool fails = std::any_of(problems.begin(), problems.end(), [&](const Problem& p) {
        return p.finding.severity == qa::Severity::Error || o.failOnWarnings;
    });
    return fails ? 1 : 0;
}
