// project_lock.cpp - the project's lock file ("<pid> <host>" on one line, created only
// where none exists) and the clean-up of temporary files left by a killed save.
#include "editor/project_lock.h"

#include <filesystem>
#include <sstream>
#include <system_error>
#include <vector>

#include "editor/editor.h"
#include "editor/project.h"
#include "editor/text_store.h"
#include "platform/platform.h"

namespace fs = std::filesystem;

ProjectLockState g_projectLock;

namespace {

// PlatCreateNewFile never writes over a lock, so two editors starting together cannot both win.
bool CreateLockFile(const std::string& text) { return PlatCreateNewFile(kLockFile, text); }

bool ReadLockFile(LockOwner& owner) {
    std::string text;
    return PlatReadFile(kLockFile, text, nullptr) && ParseLockFile(text, owner);
}

bool IsStale(const LockOwner& owner) { return owner.host == PlatHostName() && !PlatProcessRunning(owner.pid); }

}  // namespace

std::string LockFileText(const LockOwner& owner) { return std::to_string(owner.pid) + " " + owner.host + "\n"; }

bool ParseLockFile(const std::string& text, LockOwner& owner) {
    std::istringstream in(text);
    long long pid = 0;
    if (!(in >> pid) || pid <= 0 || pid > 0xFFFFFFFFLL) return false;
    owner.pid = static_cast<uint32_t>(pid);
    in >> std::ws;
    std::getline(in, owner.host);
    while (!owner.host.empty() && (owner.host.back() == '\r' || owner.host.back() == ' ')) owner.host.pop_back();
    return true;
}

bool TakeProjectLock(LockOwner& owner) {
    const std::string mine = LockFileText({PlatProcessId(), PlatHostName()});
    // Two rounds: the second after a stale lock was taken away.
    for (int round = 0; round < 2; ++round) {
        if (CreateLockFile(mine)) {
            g_projectLock.held = true;
            return true;
        }
        std::error_code ec;
        if (!fs::exists(kLockFile, ec)) {
            // The folder takes no new file (read-only): a lock cannot be kept, and no
            // other editor can keep one either; saving will say what is wrong.
            owner = {};
            return true;
        }
        if (ReadLockFile(owner) && !IsStale(owner)) return false;
        fs::remove(kLockFile, ec);
    }
    return ReadLockFile(owner) ? false : true;
}

void ReleaseProjectLock() {
    if (!g_projectLock.held) return;
    g_projectLock.held = false;
    LockOwner owner;
    // Only our own: a user may have removed it and another editor taken the project.
    if (ReadLockFile(owner) && owner.pid == PlatProcessId() && owner.host == PlatHostName()) {
        std::error_code ec;
        fs::remove(kLockFile, ec);
    }
}

void RemoveLeftoverTemporaries() {
    std::vector<std::string> paths = {std::string(kConfigFile) + ".tmp"};
    for (int f = 0; f < LanguageFolderCount(); ++f)
        for (int i = 0; i < FileCount(); ++i)
            paths.push_back(HostPath("Texts\\" + LanguageFolder(f) + "\\" + FileName(i) + ".loc.tmp"));
    for (const std::string& path : paths) {
        std::error_code ec;
        if (fs::is_regular_file(fs::symlink_status(PlatFsPath(path), ec))) fs::remove(PlatFsPath(path), ec);
    }
}
