// project_lock.h - one editor per project: the lock file that says which process on
// which machine has the project open, and the start-of-session clean-up of temporary
// files that a killed save left behind.
#pragma once

#include <cstdint>
#include <string>

constexpr const char* kLockFile = "zazovi.lock";

// Who holds a project's lock, as its lock file says.
struct LockOwner {
    uint32_t pid = 0;
    std::string host;
};

struct ProjectLockState {
    bool held = false;  // this process wrote the lock file and removes it at the end
};
extern ProjectLockState g_projectLock;

// Takes the lock of the project in the working directory: writes kLockFile with this
// process's id and machine when there is none, or when the one there names a process
// of this machine that no longer runs (or is unreadable). False, with `owner` filled,
// when a live editor (or one on another machine) holds it.
bool TakeProjectLock(LockOwner& owner);
// Removes the lock file if this process holds it. Safe to call more than once.
void ReleaseProjectLock();
// The text of a lock file and back; false for a file that names no process.
std::string LockFileText(const LockOwner& owner);
bool ParseLockFile(const std::string& text, LockOwner& owner);

// Removes the "<file>.tmp" files that a save killed half-way left beside every listed
// .loc of every scanned language folder and beside zazovi.cfg. Only regular files:
// anything else of that name is not ours.
void RemoveLeftoverTemporaries();
