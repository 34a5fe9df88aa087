// project_lock.cpp - the project's lock file ("<pid> <host>" and the program on a second
// line, created only where none exists) and the clean-up of temporary files left by a
// killed writer.
#include "editor/project_lock.h"

#include <algorithm>
#include <filesystem>
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

// Takes away the stale lock whose text was `seen` so that, of several programs doing so
// at once, one wins: it is renamed aside (only one rename can succeed) and removed; if
// what was renamed is not the stale lock (a live one was made meanwhile), it goes back.
void TakeAwayStaleLock(const std::string& seen) {
    const std::string aside = PlatTemporaryName(kLockFile);
    std::error_code ec;
    fs::rename(kLockFile, PlatFsPath(aside), ec);
    if (ec) return;
    std::string text;
    PlatReadFile(aside, text, nullptr);
    if (text != seen) {
        fs::create_hard_link(PlatFsPath(aside), kLockFile, ec);
        if (ec && !fs::exists(fs::symlink_status(kLockFile, ec))) fs::rename(PlatFsPath(aside), kLockFile, ec);
    }
    fs::remove(PlatFsPath(aside), ec);
}

std::string TrimEnd(std::string s) {
    while (!s.empty() && (s.back() == '\r' || s.back() == ' ')) s.pop_back();
    return s;
}

}  // namespace

std::string LockFileText(const LockOwner& owner) {
    std::string text = std::to_string(owner.pid) + " " + owner.host + "\n";
    return owner.program.empty() ? text : text + owner.program + "\n";
}

bool ParseLockFile(const std::string& text, LockOwner& owner) {
    const size_t lineEnd = std::min(text.find('\n'), text.size());
    const std::string first = text.substr(0, lineEnd);
    size_t at = first.find_first_not_of(" \t");
    if (at == std::string::npos || first[at] < '0' || first[at] > '9') return false;
    unsigned long long pid = 0;
    for (; at < first.size() && first[at] >= '0' && first[at] <= '9'; ++at) {
        pid = pid * 10 + static_cast<unsigned>(first[at] - '0');
        if (pid > 0xFFFFFFFFull) return false;
    }
    if (pid == 0 || (at < first.size() && first[at] != ' ' && first[at] != '\t' && first[at] != '\r')) return false;
    owner.pid = static_cast<uint32_t>(pid);
    const size_t host = first.find_first_not_of(" \t", at);
    owner.host = TrimEnd(host == std::string::npos ? std::string() : first.substr(host));
    const size_t second = lineEnd + 1;
    owner.program = second < text.size() ? TrimEnd(text.substr(second, text.find('\n', second) - second)) : "";
    return true;
}

std::string LockHolderText(const LockOwner& owner) {
    const std::string where =
        "process " + std::to_string(owner.pid) + " on " + (owner.host.empty() ? "an unknown machine" : owner.host);
    if (owner.program.empty() || owner.program == kEditorProgram) return "open in the editor (" + where + ")";
    return "in use by " + owner.program + " (" + where + ")";
}

bool TakeProjectLock(LockOwner& owner, const std::string& program) {
    const std::string mine = LockFileText({PlatProcessId(), PlatHostName(), program});
    // A few rounds: after a stale lock was taken away, or a live one released meanwhile.
    for (int round = 0; round < 4; ++round) {
        if (CreateLockFile(mine)) {
            g_projectLock.held = true;
            return true;
        }
        std::error_code ec;
        if (!fs::exists(fs::symlink_status(kLockFile, ec))) continue;
        std::string text;
        if (PlatReadFile(kLockFile, text, nullptr) && ParseLockFile(text, owner) && !IsStale(owner)) return false;
        TakeAwayStaleLock(text);
    }
    std::error_code ec;
    if (!fs::exists(kLockFile, ec)) {
        // The folder takes no new file (read-only): a lock cannot be kept, and no other
        // program can keep one either; saving will say what is wrong.
        owner = {};
        return true;
    }
    return !ReadLockFile(owner);
}

void ReleaseProjectLock() {
    if (!g_projectLock.held) return;
    g_projectLock.held = false;
    LockOwner owner;
    // Only our own: a user may have removed it and another program taken the project.
    if (ReadLockFile(owner) && owner.pid == PlatProcessId() && owner.host == PlatHostName()) {
        std::error_code ec;
        fs::remove(kLockFile, ec);
    }
}

namespace {

// Whether `name` in a folder whose files are `owners` is a temporary file that a writer
// no longer running left: our form for one of them or a name it starts (menu.loc's
// recovery files), or the plain "<owner>.tmp" of older versions.
bool IsLeftover(const std::string& name, const std::vector<std::string>& owners) {
    std::string target;
    uint32_t pid = 0;
    if (!PlatParseTemporaryName(name, &target, &pid)) {
        const bool oldForm = name.size() > 4 && name.compare(name.size() - 4, 4, ".tmp") == 0;
        return oldForm && std::find(owners.begin(), owners.end(), name.substr(0, name.size() - 4)) != owners.end();
    }
    const bool owned = std::any_of(owners.begin(), owners.end(), [&](const std::string& owner) {
        return target == owner || target.rfind(owner + ".", 0) == 0;
    });
    // A live one belongs to a writer that takes no lock (loctool pack) and is busy now.
    return owned && (pid == PlatProcessId() || !PlatProcessRunning(pid));
}

void RemoveLeftoversIn(const fs::path& folder, const std::vector<std::string>& owners) {
    std::vector<fs::path> leftovers;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code statusEc;
        if (IsLeftover(PlatPathString(it->path().filename()), owners) &&
            it->symlink_status(statusEc).type() == fs::file_type::regular)
            leftovers.push_back(it->path());
    }
    for (const fs::path& path : leftovers) fs::remove(path, ec);
}

}  // namespace

void RemoveLeftoverTemporaries() {
    RemoveLeftoversIn(".", {kConfigFile, kLockFile});
    std::vector<std::string> locs;
    for (int i = 0; i < FileCount(); ++i) locs.push_back(FileName(i) + ".loc");
    for (int f = 0; f < LanguageFolderCount(); ++f)
        RemoveLeftoversIn(PlatFsPath(HostPath("Texts\\" + LanguageFolder(f))), locs);
}
