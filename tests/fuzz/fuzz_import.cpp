// fuzz_import.cpp - `loctool import` against fuzzed PO, XLIFF and CSV files, through the
// tool's own readers and ImportLanguage, on a small project made once per process in a
// temporary folder. The first byte picks the format by its value modulo 3 ('0' PO,
// '1' XLIFF, '2' CSV); the rest is the file. All or nothing: a refused import names the
// file and leaves the project's files byte for byte as they were (no stray file either);
// an accepted one leaves files that load again, with texts a .loc can hold, a state file
// that reads back (the project starts with one, holding every review state), and the
// same import once more changes nothing.
//
// QK_FUZZ_IMPORT_SEEDS=FOLDER writes the project's own exports there as seed inputs.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "editor/review/state_file.h"
#include "tests/support/loc_files.h"
#include "tools/loctool/exchange_commands.h"
#include "tools/loctool/loc_text.h"

namespace fs = std::filesystem;

namespace {

const char* const kFormats[] = {"po", "xliff", "csv"};
const char* const kFiles[] = {"menu", "game", "keyboard"};

struct FuzzState {
    fs::path dir;                              // the project, and the fuzzed file beside it
    projtexts::Project project;                // as OpenProject read it
    std::map<std::string, std::string> files;  // every file under dir/project, as made
};
FuzzState g_fuzz;

void Check(bool condition, const char* what, const std::string& detail = {}) {
    if (condition) return;
    std::fprintf(stderr, "fuzz_import: %s\n%s\n", what, detail.c_str());
    std::abort();
}

std::map<std::string, std::string> FilesUnder(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (!entry.is_directory())
            files[fs::relative(entry.path(), root).string()] = locfixture::ReadFile(entry.path());
    return files;
}

// Texts an exchange format easily gets wrong, one untranslated (the English bytes).
void MakeProject(const fs::path& root) {
    const std::vector<std::vector<std::string>> english = {
        {"New Game", "one\ntwo", "say \"hi\", <color 255 0 0>now<color default>"}, {"a\r\nb", "\tbell\x07"}, {"Esc"}};
    const std::vector<std::vector<std::string>> french = {
        {"Nouvelle partie", "un\ndeux\n", "dis \"salut\", <color 255 0 0>vite<color default> & <b>"},
        {"a\r\nb", "\tcloche\x07 \xE2\x82\xAC"},
        {"\xC3\x89"
         "chap"}};
    for (size_t j = 0; j < english.size(); ++j) {
        std::vector<std::pair<std::string, std::string>> descs;
        for (size_t i = 0; i < english[j].size(); ++i) descs.emplace_back("Item" + std::to_string(i), "About it");
        const std::string file = std::string(kFiles[j]);
        locfixture::WriteFile(root / "Descriptions" / (file + ".desc"), locfixture::DescBytes(descs));
        locfixture::WriteFile(root / "Texts" / "English" / (file + ".loc"), locfixture::LocBytes(english[j]));
        locfixture::WriteFile(root / "Texts" / "French" / (file + ".loc"), locfixture::LocBytes(french[j]));
    }
    // Approved, to review, translated from an older English text, and commented.
    locfixture::WriteFile(root / "Translation state" / "French.tsv",
                          "zazovi translation state 1\tEnglish\n"
                          "game\t1\tneeds-review\t\\tbell\x07\tToo long?\\nAsk.\n"
                          "menu\t0\tapproved\tNew Game\t\n"
                          "menu\t1\ttranslated\tone\\ntwo\\n\t\n"
                          "menu\t2\tuntranslated\t\tNote \\t tab\n");
}

void RemoveDir() {
    std::error_code ec;
    fs::current_path(fs::temp_directory_path(), ec);
    fs::remove_all(g_fuzz.dir, ec);
}

void WriteSeeds(const fs::path& folder) {
    fs::create_directories(folder);
    for (int f = 0; f < 3; ++f) {
        std::string bytes;
        Check(ExportLanguage(g_fuzz.project, "French", "English", kFormats[f], bytes).ok, "the export failed");
        locfixture::WriteFile(folder / (std::string("export.") + kFormats[f]), std::to_string(f) + bytes);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    g_fuzz.dir = fs::temp_directory_path() / ("qk_fuzz_import_" + std::to_string(getpid()));
    fs::remove_all(g_fuzz.dir);
    MakeProject(g_fuzz.dir / "project");
    const loctext::Result opened = projtexts::OpenProject((g_fuzz.dir / "project").string(), g_fuzz.project);
    Check(opened.ok, "the project does not open", opened.message);
    g_fuzz.files = FilesUnder(g_fuzz.dir / "project");
    std::atexit(RemoveDir);
    if (const char* seeds = std::getenv("QK_FUZZ_IMPORT_SEEDS")) WriteSeeds(seeds);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const char* format = kFormats[data[0] % 3];
    const std::string path = (g_fuzz.dir / (std::string("in.") + format)).string();
    locfixture::WriteFile(path, std::string(reinterpret_cast<const char*>(data) + 1, size - 1));

    std::string report;
    const loctext::Result r = ImportLanguage(g_fuzz.project, "French", path, format, report);
    const auto now = FilesUnder(g_fuzz.dir / "project");
    if (!r.ok) {
        Check(r.message.find(path) != std::string::npos, "a refusal does not name the file", r.message);
        Check(now == g_fuzz.files, "a refused import changed the project", r.message);
        return 0;
    }
    Check(now.size() == g_fuzz.files.size(), "an import left a stray file or lost one", report);
    review::StateFile states;
    review::StateFileError error;
    Check(review::ParseStateFile(now.at("Translation state/French.tsv"), states, error),
          "an import wrote a state file that does not read back", error.Text());
    Check(states.sourceLanguage == "English", "the state file names another source", states.sourceLanguage);
    projtexts::LanguageTexts texts;
    const loctext::Result loaded = projtexts::LoadLanguage(g_fuzz.project, "French", texts);
    Check(loaded.ok, "an imported language does not load", loaded.message);
    for (const auto& file : texts)
        for (const std::string& text : file) {
            Check(text.size() <= static_cast<size_t>(loctext::kMaxLength), "an imported text is too long");
            for (size_t i = 0; i < text.size();) {
                const size_t n = text[i] == '\0' ? 0 : loctext::Utf8Length(text, i);
                Check(n > 0, "an imported text holds a NUL or is not UTF-8", text);
                i += n;
            }
        }
    std::string again;
    Check(ImportLanguage(g_fuzz.project, "French", path, format, again).ok, "the same import fails a second time");
    Check(again == "French: 0 items changed (menu 0, game 0, keyboard 0)\n", "the same import changes more", again);
    Check(FilesUnder(g_fuzz.dir / "project") == now, "an import that changes nothing wrote");
    // Back to the project as made, for the next input.
    for (const auto& [name, bytes] : g_fuzz.files)
        if (now.at(name) != bytes) locfixture::WriteFile(g_fuzz.dir / "project" / name, bytes);
    return 0;
}
