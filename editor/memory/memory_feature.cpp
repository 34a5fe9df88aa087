// memory_feature.cpp - the translation memory of the language being edited, built when
// the language is opened (its files and the TMX files), kept up to date with each
// commit, and shown beside the item; the glossary's terms and the consistency warnings
// with it.
#include "editor/memory/memory_feature.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <system_error>

#include "editor/desk_reference.h"
#include "editor/editor.h"
#include "editor/memory/consistency.h"
#include "editor/memory/glossary.h"
#include "editor/memory/match.h"
#include "editor/memory/memory_index.h"
#include "editor/memory/tmx.h"
#include "editor/project.h"
#include "editor/qa/project_settings.h"
#include "editor/qa/qa_checks.h"
#include "editor/text_store.h"
#include "engine/engine.h"
#include "formats/loc_format.h"
#include "gui/controls/listbox.h"
#include "gui/controls/text_edit.h"
#include "gui/gui.h"
#include "platform/platform.h"
#include "render/font.h"

namespace {

constexpr const char* kMemoryFolder = "Translation memory";

struct MemoryState {
    std::string language, source;    // the language being edited, the one its sources are in
    std::vector<std::string> files;  // "menu", "game", "keyboard" as the project lists them
    std::vector<std::vector<std::string>> sources, translations, names;  // per file, per item
    std::vector<std::vector<size_t>> unitOf;                             // the memory's unit of each item
    std::unique_ptr<memory::MemoryIndex> index;                          // the project's items
    // The TMX files' units, built on another thread (a studio's memory can hold hundreds
    // of thousands): until then the project's items are suggested alone.
    std::unique_ptr<memory::MemoryIndex> tmx;
    std::vector<uint8_t> glossaryProblem;  // of each item of the loaded file
    std::unique_ptr<memory::Glossary> glossary;
    std::unique_ptr<memory::TermFinder> sourceTerms, targetTerms;
    // Consistency over every item of the language, per item (flattened over the files).
    std::vector<memory::ConsistencyItem> items;
    memory::ConsistencyReport consistency;
    std::vector<size_t> firstItemOf;  // where each file's items start in `items`
};
MemoryState g_memory;
// Counts the languages opened, so that a TMX index built for one opened before is dropped.
uint64_t g_generation = 0;

int CurrentFile() {
    const std::string& key = CurrentKey();
    const size_t slash = key.find('\\');
    const std::string file = slash == std::string::npos ? key : key.substr(slash + 1);
    for (size_t j = 0; j < g_memory.files.size(); ++j)
        if (g_memory.files[j] == file) return int(j);
    return -1;
}

const std::string& At(const std::vector<std::vector<std::string>>& table, int file, int32_t i) {
    static const std::string none;
    if (file < 0 || size_t(file) >= table.size() || i < 0 || size_t(i) >= table[size_t(file)].size()) return none;
    return table[size_t(file)][size_t(i)];
}

std::string OriginText(const memory::Origin& o) {
    if (o.kind == memory::Origin::Kind::Tmx) return o.file;
    return o.file + ":" + std::to_string(o.index) + (o.name.empty() ? "" : ":" + o.name);
}

// The names of a file's items, from its description file; empty names when unreadable.
std::vector<std::string> ReadNames(const std::string& file, size_t count) {
    std::vector<std::string> names(count);
    std::string bytes;
    if (!PlatReadFile(HostPath("Descriptions\\" + file + ".desc"), bytes, nullptr)) return names;
    locformat::Descriptions desc;
    if (locformat::ParseDesc(bytes, file, int(count), locformat::Trailing::Ignore, desc).ok)
        for (size_t i = 0; i < count && i < desc.names.size(); ++i) names[i] = desc.names[i];
    return names;
}

// The TMX files of the project, each read whole; a broken one is named and skipped.
// Runs on a thread of its own: it reads only what it is given and the files.
memory::MemoryIndex ReadTmxUnits(const std::vector<std::filesystem::path>& found, const std::string& source,
                                 const std::string& language, const std::map<std::string, std::string>& tags,
                                 std::vector<std::string>& problems) {
    std::vector<memory::MemoryUnit> units;
    for (const std::filesystem::path& path : found) {
        memory::TmxDocument doc;
        std::string error;
        const std::string name = PlatPathString(path.filename());
        if (!memory::ReadTmxFile(PlatPathString(path), doc, error)) {
            problems.push_back(error + " (skipped)");
            continue;
        }
        for (memory::TmxPair& pair : memory::TmxPairs(doc, source, language, tags)) {
            memory::MemoryUnit unit;
            unit.source = std::move(pair.source);
            unit.translation = std::move(pair.target);
            unit.origin.kind = memory::Origin::Kind::Tmx;
            unit.origin.file = name;
            unit.origin.index = pair.line;
            units.push_back(std::move(unit));
        }
    }
    return memory::MemoryIndex(std::move(units));
}

std::vector<std::filesystem::path> TmxFiles() {
    std::error_code ec;
    std::vector<std::filesystem::path> found;
    for (const auto& entry : std::filesystem::directory_iterator(PlatFsPath(kMemoryFolder), ec)) {
        std::string ext = PlatPathString(entry.path().extension());
        std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
        if (ext == ".tmx" && entry.is_regular_file(ec)) found.push_back(std::filesystem::absolute(entry.path(), ec));
    }
    std::sort(found.begin(), found.end());
    return found;
}

void ReportProblems(const std::vector<std::string>& problems) {
    if (problems.empty()) return;
    std::string text;
    for (const std::string& p : problems) text += p + "\n";
    text += "\nThe editor goes on without what these files say.";
    if (Ask(text, "Translation memory", "Ok", 0) < 0) std::fprintf(stderr, "%s", text.c_str());
}

// Starts reading the TMX files of the language just opened; its suggestions join the
// project's when the index is built.
void StartTmxIndex(const qa::ProjectSettings& settings) {
    std::vector<std::filesystem::path> found = TmxFiles();
    if (found.empty()) return;
    memory::PrepareTmxReading();
    struct Result {
        std::unique_ptr<memory::MemoryIndex> index;
        std::vector<std::string> problems;
    };
    auto result = std::make_shared<Result>();
    const uint64_t generation = g_generation;
    RunInBackground(
        [result, found = std::move(found), source = g_memory.source, language = g_memory.language,
         tags = settings.languageTags] {
            result->index =
                std::make_unique<memory::MemoryIndex>(ReadTmxUnits(found, source, language, tags, result->problems));
        },
        [result, generation] {
            if (generation != g_generation) return;  // another language was opened meanwhile
            g_memory.tmx = std::move(result->index);
            ReportProblems(result->problems);
            if (g_editor.items && g_editor.items->current >= 0) ShowDescPanel(g_editor.items->current);
        });
}

std::vector<memory::GlossaryFinding> GlossaryFindings(int32_t i);

void Recheck() {
    for (size_t j = 0, k = 0; j < g_memory.files.size(); ++j)
        for (size_t i = 0; i < g_memory.translations[j].size(); ++i, ++k)
            if (k < g_memory.items.size()) g_memory.items[k].translation = g_memory.translations[j][i];
    g_memory.consistency = memory::CheckConsistency(g_memory.items, g_memory.source != g_memory.language);
}

// Everything of the language, read once when it is opened.
void Build(const std::string& language) {
    g_memory = MemoryState{};
    ++g_generation;
    g_memory.language = language;
    g_memory.source = PickReference(g_project.folders, "");
    for (int j = 0; j < FileCount(); ++j) g_memory.files.push_back(FileName(j));
    const int current = CurrentFile();
    std::vector<memory::MemoryUnit> units;
    for (size_t j = 0; j < g_memory.files.size(); ++j) {
        const std::string& file = g_memory.files[j];
        std::vector<std::string> texts, sources;
        if (int(j) == current)
            texts = g_store.texts, texts.resize(size_t(std::max(ItemCount(), 0)));
        else
            ReadReferenceTexts(language, file, texts);
        if (g_memory.source != language) ReadReferenceTexts(g_memory.source, file, sources);
        sources.resize(texts.size());
        std::vector<std::string> names = ReadNames(file, texts.size());
        std::vector<size_t> unitOf(texts.size());
        g_memory.firstItemOf.push_back(g_memory.items.size());
        for (size_t i = 0; i < texts.size(); ++i) {
            unitOf[i] = units.size();
            units.push_back({sources[i], texts[i], {memory::Origin::Kind::Project, file, int(i), names[i]}});
            g_memory.items.push_back({file + ".loc", int(i), names[i], sources[i], texts[i]});
        }
        g_memory.sources.push_back(std::move(sources));
        g_memory.translations.push_back(std::move(texts));
        g_memory.names.push_back(std::move(names));
        g_memory.unitOf.push_back(std::move(unitOf));
    }
    qa::ProjectSettings settings;
    qa::LoadProjectSettings(".", settings);  // its problems are the desk's to say
    g_memory.index = std::make_unique<memory::MemoryIndex>(std::move(units));
    std::vector<std::string> problems;
    std::error_code ec;
    if (std::filesystem::exists(PlatFsPath(memory::kGlossaryFile), ec)) {
        auto glossary = std::make_unique<memory::Glossary>();
        memory::ReadGlossaryFile(memory::kGlossaryFile, *glossary, problems);
        g_memory.sourceTerms = std::make_unique<memory::TermFinder>(*glossary, 0);
        g_memory.targetTerms = std::make_unique<memory::TermFinder>(*glossary, glossary->Column(language));
        g_memory.glossary = std::move(glossary);
    }
    g_memory.consistency = memory::CheckConsistency(g_memory.items, g_memory.source != language);
    ReportProblems(problems);
    StartTmxIndex(settings);
}

void LoadLanguage() {
    const std::string& key = CurrentKey();
    const size_t slash = key.find('\\');
    const std::string language = slash == std::string::npos ? std::string() : key.substr(0, slash);
    if (language.empty()) return;
    if (language != g_memory.language || !g_memory.index) {
        Build(language);
        return;
    }
    // Another file of the same language: what the store read is what the memory holds,
    // unless the file changed on disk meanwhile.
    const int j = CurrentFile();
    if (j < 0) return;
    for (int32_t i = 0; i < ItemCount() && size_t(i) < g_memory.translations[size_t(j)].size(); ++i)
        if (ItemText(i) != g_memory.translations[size_t(j)][size_t(i)]) {
            g_memory.translations[size_t(j)][size_t(i)] = ItemText(i);
            g_memory.index->SetTranslation(g_memory.unitOf[size_t(j)][size_t(i)], ItemText(i));
        }
    Recheck();
}

// Which items of the loaded file the glossary finds a problem in, kept so that the rows
// and the title's count ask nothing of the glossary.
void FindGlossaryProblems() {
    g_memory.glossaryProblem.assign(size_t(std::max(ItemCount(), 0)), 0);
    if (!g_memory.glossary) return;
    for (int32_t i = 0; i < ItemCount(); ++i) g_memory.glossaryProblem[size_t(i)] = !GlossaryFindings(i).empty();
}

void OnFileLoaded() {
    LoadLanguage();
    FindGlossaryProblems();
}

void OnItemCommitted(int32_t i) {
    const int j = CurrentFile();
    if (!g_memory.index || j < 0 || i < 0 || size_t(i) >= g_memory.translations[size_t(j)].size()) return;
    g_memory.translations[size_t(j)][size_t(i)] = ItemText(i);
    g_memory.index->SetTranslation(g_memory.unitOf[size_t(j)][size_t(i)], ItemText(i));
    Recheck();
    if (size_t(i) < g_memory.glossaryProblem.size()) g_memory.glossaryProblem[size_t(i)] = !GlossaryFindings(i).empty();
}

std::vector<memory::Suggestion> Suggest(int32_t i) {
    const int j = CurrentFile();
    const std::string& source = At(g_memory.sources, j, i);
    if (!g_memory.index || source.empty()) return {};
    memory::Origin self{memory::Origin::Kind::Project, g_memory.files[size_t(j)], int(i), {}};
    return memory::SuggestFrom({g_memory.index.get(), g_memory.tmx.get()}, source, 3, 70, &self);
}

// What the glossary says of item i's text: a term of its source without any of its
// translations (an error, like the checks' findings).
std::vector<memory::GlossaryFinding> GlossaryFindings(int32_t i) {
    const int j = CurrentFile();
    if (!g_memory.glossary || !g_memory.sourceTerms || !g_memory.targetTerms || g_memory.targetTerms->column() < 0)
        return {};
    const std::string& source = At(g_memory.sources, j, i);
    const std::string& text = ItemText(i);
    if (qa::IsUntranslated(text, source, g_memory.source != g_memory.language)) return {};
    return memory::CheckGlossary(*g_memory.glossary, *g_memory.sourceTerms, *g_memory.targetTerms, source, text);
}

void Describe(int32_t i, const Font* font, DescParts& parts) {
    const int j = CurrentFile();
    if (!g_memory.index || j < 0) return;
    const std::string& source = At(g_memory.sources, j, i);
    std::string text;
    int n = 0;
    for (const memory::Suggestion& s : Suggest(i)) {
        ++n;
        text += std::string(text.empty() ? "" : "\n") + panel::kHeading + "Ctrl+" + std::to_string(n) + "  " +
                std::to_string(s.match.score) + "%  " + panel::Shown(OriginText(s.data->origin), font) +
                panel::kDefault;
        if (s.match.score == 100 && s.match.differsIn)
            text += std::string(panel::kQuiet) + "  (differs in " +
                    ((s.match.differsIn & memory::kDiffersInTags)           ? "a tag"
                     : (s.match.differsIn & memory::kDiffersInPlaceholders) ? "a placeholder"
                     : (s.match.differsIn & memory::kDiffersInNumbers)      ? "a number"
                                                                            : "spacing") +
                    ")" + panel::kDefault;
        text += "\n";
        // What its source has that this item's has not (red) and lacks (green).
        text += panel::Diff(s.data->source, source, font);
        text += "\n" + panel::Shown(s.data->translation, font) + "\n";
    }
    if (g_memory.glossary && g_memory.sourceTerms) {
        std::string terms;
        std::vector<size_t> seen;
        for (const memory::TermMatch& m : g_memory.sourceTerms->Find(source)) {
            if (std::find(seen.begin(), seen.end(), m.term) != seen.end()) continue;
            seen.push_back(m.term);
            const memory::GlossaryTerm& term = g_memory.glossary->terms[m.term];
            const int column = g_memory.targetTerms ? g_memory.targetTerms->column() : -1;
            std::string variants;
            if (column >= 0 && size_t(column) < term.variants.size())
                for (const std::string& v : term.variants[size_t(column)])
                    variants += (variants.empty() ? "" : " | ") + v;
            terms += "\n" + panel::Shown(source.substr(m.begin, m.end - m.begin), font) + " \u2192 " +
                     (variants.empty() ? std::string(panel::kQuiet) + "(none given)" + panel::kDefault
                                       : panel::Shown(variants, font));
        }
        if (!terms.empty())
            text += std::string(text.empty() ? "" : "\n") + panel::kHeading + "Glossary" + panel::kDefault + terms;
    }
    if (!text.empty()) parts[size_t(DescSection::Suggestions)] = std::move(text);

    // Glossary findings are problems; consistency warnings go with them, as warnings.
    std::string glossaryProblems;
    for (const memory::GlossaryFinding& f : GlossaryFindings(i))
        glossaryProblems += (glossaryProblems.empty() ? "" : "\n") + panel::Shown(f.message, font);
    if (!glossaryProblems.empty()) {
        std::string& problems = parts[size_t(DescSection::Problems)];
        problems += (problems.empty() ? "" : "\n") + std::string(panel::kProblem) + glossaryProblems + panel::kDefault;
    }
    if (size_t(j) < g_memory.firstItemOf.size()) {
        const size_t k = g_memory.firstItemOf[size_t(j)] + size_t(i);
        std::string warnings;
        if (k < g_memory.consistency.byItem.size())
            for (size_t g : g_memory.consistency.byItem[k])
                warnings +=
                    (warnings.empty() ? "" : "\n") + std::string("Warning: ") +
                    panel::Shown(memory::DescribeFinding(g_memory.consistency.groups[g], g_memory.items, k), font);
        if (!warnings.empty()) {
            std::string& problems = parts[size_t(DescSection::Problems)];
            problems += (problems.empty() ? "" : "\n") + std::string(panel::kWarning) + warnings + panel::kDefault;
        }
    }
}

RowMark MemoryRowMark(int32_t i) {
    const bool problem = i >= 0 && size_t(i) < g_memory.glossaryProblem.size() && g_memory.glossaryProblem[size_t(i)];
    return problem ? RowMark::Problem : RowMark::Translated;
}

bool MemoryKey(uint8_t key) {
    const bool ctrl = IsKeyDown(KEY_ANY_CTRL), alt = IsKeyDown(KEY_ANY_ALT), shift = IsKeyDown(KEY_ANY_SHIFT);
    if (!ctrl || alt || shift || key < '1' || key > '3') return false;
    InsertSuggestion(key - '0');
    return true;
}

}  // namespace

std::vector<ShownSuggestion> SuggestionsFor(int32_t i) {
    std::vector<ShownSuggestion> out;
    for (const memory::Suggestion& s : Suggest(i))
        out.push_back({s.match.score, OriginText(s.data->origin), s.data->source, s.data->translation});
    return out;
}

std::string AdaptSuggestion(const std::string& translation, const std::string& fromSource,
                            const std::string& toSource) {
    const std::vector<memory::Token> from = memory::SplitMatchTokens(fromSource),
                                     to = memory::SplitMatchTokens(toSource);
    std::map<std::string_view, std::string_view> swap;
    for (const memory::TokenKind kind : {memory::TokenKind::Tag, memory::TokenKind::Placeholder}) {
        std::vector<std::string_view> a, b;
        for (const memory::Token& t : from)
            if (t.kind == kind) a.push_back(t.text);
        for (const memory::Token& t : to)
            if (t.kind == kind) b.push_back(t.text);
        if (a.size() != b.size()) continue;  // no one-to-one correspondence: left as it is
        std::map<std::string_view, std::string_view> mapping;
        bool oneToOne = true;
        for (size_t k = 0; k < a.size() && oneToOne; ++k) {
            const auto [it, fresh] = mapping.emplace(a[k], b[k]);
            oneToOne = fresh || it->second == b[k];
        }
        if (oneToOne) swap.insert(mapping.begin(), mapping.end());
    }
    std::string out;
    size_t copied = 0;
    for (const memory::Token& t : memory::SplitMatchTokens(translation)) {
        if (t.kind != memory::TokenKind::Tag && t.kind != memory::TokenKind::Placeholder) continue;
        const auto it = swap.find(t.text);
        if (it == swap.end()) continue;
        const size_t at = size_t(t.text.data() - translation.data());
        out.append(translation, copied, at - copied);
        out.append(it->second);
        copied = at + t.text.size();
    }
    out.append(translation, copied, std::string::npos);
    return out;
}

bool InsertSuggestion(int n) {
    const int32_t i = g_editor.items ? g_editor.items->current : -1;
    if (i < 0) return false;
    const std::vector<memory::Suggestion> suggestions = Suggest(i);
    if (n < 1 || size_t(n) > suggestions.size()) return false;
    const memory::Suggestion& s = suggestions[size_t(n - 1)];
    const std::string text =
        AdaptSuggestion(s.data->translation, s.data->source, At(g_memory.sources, CurrentFile(), i));
    Control* box = FindControl("Text");
    const TextEdit* edit = TextEditOf(box);
    if (!edit) return false;
    SetFocusTo("Text");
    return ReplaceTextRange(box, 0, uint32_t(edit->Length()), text);
}

const Feature kMemoryFeature = {
    .name = "translation memory",
    .install =
        [] {
            g_memory = MemoryState{};
            ++g_generation;
        },
    .fileLoaded = OnFileLoaded,
    .itemCommitted = OnItemCommitted,
    .key = MemoryKey,
    .describe = Describe,
    .rowMark = MemoryRowMark,
};
