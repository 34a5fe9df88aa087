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
    return std::string("A write into this project was interrupted before its new files were complete (") +
           kJournalFile + "); it has been undone and its temporary files removed, so these files are as they were " +
           "before it: " + files + ".";
}

std::string InterruptedWriteWarning() {
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(kJournalFile, ec))) return {};
    return std::string(kJournalFile) +
           " says that a write into this project did not finish (it was interrupted, or is under way): the files "
           "are read as they are. The editor, or the next loctool import, finishes or undoes it.";
}
