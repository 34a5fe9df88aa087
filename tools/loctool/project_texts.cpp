// project_texts.cpp - loads a project's languages through the editor's text store and
// writes imported texts back through its atomic save.
#include "tools/loctool/project_texts.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "editor/project.h"
#include "editor/text_store.h"

namespace fs = std::filesystem;

namespace projtexts {
namespace {

using loctext::Fail;

std::string Key(const std::string& language, const std::string& file) { return language + "\\" + file; }

Result FromStore(const StoreResult& r) { return r.ok ? Result{} : Fail(r.message); }

Result LoadFile(const std::string& language, const std::string& file, std::vector<std::string>& texts) {
    Result r = FromStore(ReadTexts(Key(language, file)));
    if (!r.ok) return r;
    texts = std::move(g_store.texts);  // the store is reset before its next use
    ResetStore();
    return {};
}

// Loads the file fresh from disk, puts `texts` in and saves it.
Result SaveFile(const std::string& language, const std::string& file, const std::vector<std::string>& texts) {
    Result r = FromStore(ReadTexts(Key(language, file)));
    if (!r.ok) return r;
    if (static_cast<size_t>(ItemCount()) != texts.size())
        return Fail(HostPath("Texts\\" + Key(language, file)) + ".loc changed on disk while loctool worked");
    for (size_t i = 0; i < texts.size(); ++i) SetItemText(static_cast<int>(i), texts[i]);
    r = FromStore(SaveCurrentFile());
    ResetStore();
    return r;
}

}  // namespace

Result OpenProject(const std::string& folder, Project& project) {
    project = {};
    std::error_code ec;
    fs::current_path(folder, ec);
    if (ec) return Fail("Cannot enter the project folder " + folder + ": " + ec.message());
    ProjectMessage m = ScanLanguageFolders();
    if (m.ok) m = VerifyLanguageFiles();
    if (!m.ok) return Fail(folder + " does not pass the editor's check: " + m.text);
    project.languages = g_project.folders;
    for (int j = 0; j < FileCount(); ++j) project.files.push_back(FileName(j));
    for (const std::string& file : project.files) {
        Result r = FromStore(ReadTexts(Key(project.languages.front(), file)));
        if (r.ok) r = FromStore(ReadDescriptions());
        if (!r.ok) return r;
        project.names.emplace_back(g_store.names.begin(), g_store.names.end());
        project.descs.emplace_back(g_store.descriptions.begin(), g_store.descriptions.end());
    }
    ResetStore();
    return {};
}

bool HasLanguage(const Project& project, const std::string& language) {
    return std::find(project.languages.begin(), project.languages.end(), language) != project.languages.end();
}

Result PickReference(const Project& project, const std::string& requested, std::string& reference) {
    if (!requested.empty()) {
        if (!HasLanguage(project, requested))
            return Fail("The reference language '" + requested + "' has no folder under Texts");
        reference = requested;
    } else {
        reference = HasLanguage(project, "English") ? "English" : project.languages.front();
    }
    return {};
}

Result LoadLanguage(const Project& project, const std::string& language, LanguageTexts& texts) {
    texts.assign(project.files.size(), {});
    for (size_t j = 0; j < project.files.size(); ++j) {
        Result r = LoadFile(language, project.files[j], texts[j]);
        if (!r.ok) return r;
    }
    ResetStore();
    return {};
}

bool IsUntranslated(const std::string& text, const std::string& reference, bool referenceIsOther) {
    return text.empty() || (referenceIsOther && text == reference);
}

Result SaveLanguage(const Project& project, const std::string& language, const LanguageTexts& before,
                    const LanguageTexts& after) {
    std::vector<size_t> written;
    for (size_t j = 0; j < project.files.size(); ++j) {
        if (before[j] == after[j]) continue;
        Result r = SaveFile(language, project.files[j], after[j]);
        if (!r.ok) {
            for (size_t k : written) SaveFile(language, project.files[k], before[k]);
            return r;
        }
        written.push_back(j);
    }
    return {};
}

}  // namespace projtexts
