// project_lock.h - one writer per project: the lock file that says which program, in
// which process on which machine, has the project (the editor for its whole session,
// loctool while it writes), and the clean-up of temporary files that a killed writer
// left behind.
#pragma once

#include <cstdint>
#include <string>

constexpr const char* kLockFile = "zazovi.lock";
constexpr const char* kEditorProgram = "zazovi";

// Who holds a project's lock, as its lock file says.
struct LockOwner {
    uint32_t pid = 0;
    std::string host;
    std::string program;  // "zazovi", "loctool import"; empty in the one-line form of older editors
};

struct ProjectLockState {
    bool held = false;  // this process wrote the lock file and removes it at the end
};
extern ProjectLockState g_projectLock;

// Takes the lock of the project in the working directory for `program`: writes
// kLockFile with this process's id and machine when there is none, or when the one
// there names a process of this machine that no longer runs (or is unreadable). False,
// with `owner` filled, when a live program (or one on another machine) holds it.
bool TakeProjectLock(LockOwner& owner, const std::string& program = kEditorProgram);
// Removes the lock file if this process holds it. Safe to call more than once.
void ReleaseProjectLock();
// The text of a lock file and back: "<pid> <host>" on the first line, the program on
// the second; false for a file that names no process.
std::string LockFileText(const LockOwner& owner);
bool ParseLockFile(const std::string& text, LockOwner& owner);
// "open in the editor (process 1234 on box)", "in use by loctool import (process ...)".
std::string LockHolderText(const LockOwner& owner);

// Removes the temporary files that a killed writer left beside every listed .loc of
// every scanned language folder and beside zazovi.cfg and the lock: names of our form
// (PlatParseTemporaryName, and "<file>.tmp" of older versions) made by a process that
// no longer runs. Only regular files: a link or a folder of that name is not ours.
void RemoveLeftoverTemporaries();
