// project_texts.cpp - loads a project's languages through the editor's text store and
// writes imported texts back all or none, holding the project's lock as the editor does.
#include "tools/loctool/project_texts.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <thread>

#include "editor/project.h"
#include "editor/project_journal.h"
#include "editor/project_lock.h"
#include "editor/text_store.h"
#include "formats/loc_format.h"
#include "platform/platform.h"

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

// The new bytes of the file: read fresh from disk (it must still have the item count
// the import matched against), with `texts` put in, encoded as the editor saves it.
Result EncodeFile(const std::string& language, const std::string& file, const std::vector<std::string>& texts,
                  PlatFileWrite& out) {
    out.path = "Texts\\" + Key(language, file) + ".loc";
    Result r = FromStore(ReadTexts(Key(language, file)));
    const size_t count = static_cast<size_t>(ItemCount());
    ResetStore();
    if (!r.ok) return r;
    if (count != texts.size()) return Fail(HostPath(out.path) + " changed on disk while loctool worked");
    const locformat::Result encoded = locformat::EncodeLoc(texts, "Cannot save " + HostPath(out.path), out.bytes);
    return encoded.ok ? Result{} : Fail(encoded.message);
}

Result EnterFolder(const std::string& folder) {
    std::error_code ec;
    fs::current_path(PlatFsPath(folder), ec);
    return ec ? Fail("Cannot enter the project folder " + folder + ": " + ec.message()) : Result{};
}

// The editor's start-up checks, then the names and descriptions.
Result ScanProject(const std::string& folder, Project& project) {
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

// Takes the project's lock as the editor does, asking again every tenth of a second
// until `waitSeconds` have passed. Released when loctool ends.
Result ClaimProject(const std::string& folder, const std::string& program, double waitSeconds) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(waitSeconds);
    LockOwner owner;
    while (!TakeProjectLock(owner, program)) {
        if (std::chrono::steady_clock::now() >= until) {
            char waited[32];
            std::snprintf(waited, sizeof waited, "%g", waitSeconds);
            const std::string advice = waitSeconds > 0
                                           ? std::string("it still was after waiting ") + waited + " seconds"
                                           : "give --wait SECONDS to wait until it is free";
            const bool editor = owner.program.empty() || owner.program == kEditorProgram;
            return Fail("The project " + folder + " is " + LockHolderText(owner) + "; " +
                        (editor && waitSeconds <= 0 ? "close it there, or " : "") + advice);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    std::atexit(ReleaseProjectLock);
    return {};
}

}  // namespace

Result OpenProject(const std::string& folder, Project& project) {
    project = {};
    Result r = EnterFolder(folder);
    if (!r.ok) return r;
    if (const std::string warning = InterruptedWriteWarning(); !warning.empty())
        std::fprintf(stderr, "loctool: warning: %s\n", warning.c_str());
    return ScanProject(folder, project);
}

Result OpenProjectForWriting(const std::string& folder, const std::string& program, double waitSeconds,
                             Project& project) {
    project = {};
    Result r = EnterFolder(folder);
    if (r.ok) r = ClaimProject(folder, program, waitSeconds);
    if (!r.ok) return r;
    if (const std::string done = FinishInterruptedWrite(); !done.empty()) {
        std::error_code ec;
        if (fs::exists(fs::symlink_status(kJournalFile, ec))) return Fail(done);
        std::fprintf(stderr, "loctool: %s\n", done.c_str());
    }
    r = ScanProject(folder, project);
    if (r.ok) RemoveLeftoverTemporaries();
    return r;
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

const review::ItemReview* LanguageStates::Find(const Project& project, size_t file, size_t index) const {
    return review::FindReview(states, project.files[file], static_cast<int32_t>(index));
}

bool LanguageStates::NeedsReview(const Project& project, size_t file, size_t index) const {
    const review::ItemReview* r = Find(project, file, index);
    return r && (r->state == review::ReviewState::NeedsReview || review::ReferenceChanged(*r, sources[file][index]));
}

bool LanguageStates::ReferenceChanged(const Project& project, size_t file, size_t index) const {
    const review::ItemReview* r = Find(project, file, index);
    return r && review::ReferenceChanged(*r, sources[file][index]);
}

Result LoadStates(const Project& project, const std::string& language, LanguageStates& loaded, bool withSources) {
    loaded = {};
    loaded.path = std::string(review::kStateFolder) + "\\" + review::StateFileName(language);
    const std::string host = HostPath(loaded.path);
    std::error_code ec;
    loaded.present = fs::exists(fs::symlink_status(PlatFsPath(host), ec));
    if (loaded.present) {
        std::string bytes;
        Result r;
        if (!(r.ok = PlatReadFile(host, bytes, &r.message))) return r;
        review::StateFileError error;
        if (!review::ParseStateFile(bytes, loaded.states, error))
            return Fail(host + " " + error.Text() + "; mend it (the file is left as it is)");
    }
    // The project's source, as the editor records it: English, else the first folder.
    std::string source;
    Result r = PickReference(project, "", source);
    if (!r.ok) return r;
    if (loaded.states.sourceLanguage.empty() || !HasLanguage(project, loaded.states.sourceLanguage))
        loaded.states.sourceLanguage = source;
    // Without a file there is no record to compare, and export and stats need not read
    // one more language.
    return loaded.present || withSources ? LoadLanguage(project, loaded.states.sourceLanguage, loaded.sources)
                                         : Result{};
}

Result SaveLanguage(const Project& project, const std::string& language, const LanguageTexts& before,
                    const LanguageTexts& after, const LanguageStates* states, const std::string* stateBytes) {
    std::vector<PlatFileWrite> files;
    for (size_t j = 0; j < project.files.size(); ++j) {
        if (before[j] == after[j]) continue;
        PlatFileWrite& file = files.emplace_back();
        const Result r = EncodeFile(language, project.files[j], after[j], file);
        if (!r.ok) return r;
    }
    if (states && stateBytes) {
        // The journal replaces files in folders that are there; the state folder is made
        // the first time a language has states to keep.
        std::error_code ec;
        fs::create_directories(PlatFsPath(HostPath(review::kStateFolder)), ec);
        if (ec) return Fail(std::string("Cannot make the folder ") + review::kStateFolder + ": " + ec.message());
        files.push_back({states->path, *stateBytes});
    }
    return FromStore(ReplaceProjectFiles(files));
}

}  // namespace projtexts
