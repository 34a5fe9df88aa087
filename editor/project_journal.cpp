// project_journal.cpp - the project's journaled writes and their recovery: the platform
// does the work (PlatReplaceFiles, PlatFinishJournal); this says it in the user's words.
#include "editor/project_journal.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

std::string FileList(const std::vector<std::string>& files) {
    std::string list;
    for (const std::string& file : files) list += (list.empty() ? "" : ", ") + file;
    return list.empty() ? "(none named)" : list;
}

}  // namespace

StoreResult ReplaceProjectFiles(const std::vector<PlatFileWrite>& files) {
    std::vector<PlatFileWrite> host = files;
    for (PlatFileWrite& file : host) file.path = HostPath(file.path);
    StoreResult r;
    r.ok = PlatReplaceFiles(kJournalFile, host, &r.message);
    if (!r.ok) r.message = "Cannot save " + r.message;
    return r;
}

std::string FinishInterruptedWrite() {
    const PlatJournalReport report = PlatFinishJournal(kJournalFile);
    if (!report.found) return {};
    const std::string files = FileList(report.targets);
    if (!report.problem.empty())
        return std::string("A write into this project was interrupted (") + kJournalFile +
               ") and could not be finished or undone: " + report.problem + ". The journal is kept; the next " +
               "program that takes the project tries again. Its files: " + files + ".";
    if (report.complete)
        return std::string("A write into this project was interrupted after its new files were complete (") +
               kJournalFile + "); it has now been finished: " + files + ".";
    // A write of new files into a folder made for them (loctool pseudo's new language)
    // leaves that folder empty once undone; an empty language folder fails the project's
    // check, and nothing else was ever in it.
    std::vector<std::string> emptied;
    for (const std::string& target : report.targets) {
        const fs::path folder = PlatFsPath(target).parent_path();
        std::error_code ec;
        if (folder.empty() || !fs::is_directory(fs::symlink_status(folder, ec)) || !fs::is_empty(folder, ec)) continue;
        if (fs::remove(folder, ec)) emptied.push_back(PlatPathString(folder));
    }
    return std::string("A write into this project was interrupted before its new files were complete (") +
           kJournalFile + "); it has been undone and its temporary files removed, so these files are as they were " +
           "before it: " + files + "." +
           (emptied.empty() ? std::string() : " The folder made for them is gone again: " + FileList(emptied) + ".");
}

std::string InterruptedWriteWarning() {
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(kJournalFile, ec))) return {};
    return std::string(kJournalFile) +
           " says that a write into this project did not finish (it was interrupted, or is under way): the files "
           "are read as they are. The editor, or the next loctool import, finishes or undoes it.";
}
