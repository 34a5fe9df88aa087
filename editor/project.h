// project.h - the language folders of a project: the scan of Texts\, the check that
// every language holds every file of the list with the first language's item counts,
// and the backup into "Texts Backup". No GUI: the caller shows the messages.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "editor/letter_case.h"

// A start-up message for the caller's message box. `ok` true means there is
// nothing to show; otherwise `text` and `title` are the message and its title.
struct ProjectMessage {
    bool ok = true;
    std::string text;
    std::string title;
};

// A file the backup could not copy: its source path (host form) and why.
struct BackupFailure {
    std::string path;
    std::string reason;
};

// Receives the backup's progress, a fraction from 0 to 1, after every copy.
using BackupProgress = std::function<void(float)>;

struct ProjectState {
    // Every language folder the scan found, in FolderNameLess order. The store's
    // folder table has a fixed limit; this list has none and is the one to use.
    std::vector<std::string> folders;
};

extern ProjectState g_project;

// Lists the entries of "Texts\" whose names do not begin with "." (plain files
// too), sorted by FolderNameLess, into g_project.folders and mirrors as many as fit
// into the store's folder table. Fails with "No Folders found in /.../Texts/" when
// none is found or the folder cannot be read.
ProjectMessage ScanLanguageFolders();

// The order of language folders: by name with upper and lower case alike, as NTFS keeps
// a folder (each UTF-16 unit compared after upper-casing: ASCII, Latin-1, Latin
// Extended-A, Greek, Cyrillic and full-width Latin letters), then byte by byte for names
// that differ only in case. The same on every system, so the folder index stored in
// zazovi.cfg names the same language everywhere.
bool FolderNameLess(const std::string& a, const std::string& b);
// The upper-case form of c for the letters of ASCII, Latin-1, Latin Extended-A, Greek,
// Cyrillic and full-width Latin (the order above); any other code point as it is.
using lettercase::UpperCase;

int LanguageFolderCount();
const std::string& LanguageFolder(int i);  // empty for an index out of range

// Checks the scanned folders: first that every .loc file of the file list exists
// (and is readable, with a sound item count) in every folder, folder by folder;
// then, file by file, that every folder's count equals the first folder's.
// Returns the first failure.
ProjectMessage VerifyLanguageFiles();

// Copies every listed .loc of every scanned folder to "Texts Backup\<folder>\<file>.loc"
// and every listed .desc to "Texts Backup\Descriptions\<file>.desc", creating the
// folders it needs and writing over older backups. Calls `progress` after every
// copy, failed or not. A failed copy is returned and the rest go on; a source that
// cannot be read leaves the older backup of that file as it was.
std::vector<BackupFailure> BackupTexts(const BackupProgress& progress);

// One message listing the failed copies, for the caller to show (ok when none).
ProjectMessage BackupFailureMessage(const std::vector<BackupFailure>& failures);
