// project_lock_test.cpp - one editor per project: the lock file is taken, refused or
// taken over according to who it names, and released only when it is still ours. Real
// files in a temporary working directory.
#include "editor/project_lock.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/platform.h"
#include "support/scratch_folder.h"

namespace fs = std::filesystem;

namespace {

std::string Read(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The id of a process that has certainly ended.
uint32_t DeadPid() {
    const pid_t child = fork();
    if (child == 0) _exit(0);
    waitpid(child, nullptr, 0);
    return static_cast<uint32_t>(child);
}

class ProjectLock : public ScratchFolder {
  protected:
    void TearDown() override {
        ReleaseProjectLock();
        ScratchFolder::TearDown();
    }
};

}  // namespace

TEST_F(ProjectLock, TakenRefusedOrTakenOverByWhoHoldsIt) {
    const std::string host = PlatHostName();
    struct Case {
        const char* what;
        std::string existing;  // the lock file already there; empty: none
        bool taken;
    };
    const Case cases[] = {
        {"no lock", "", true},
        {"a running editor on this machine", LockFileText({static_cast<uint32_t>(getppid()), host, kEditorProgram}),
         false},
        {"an editor on another machine", LockFileText({DeadPid(), host + "-elsewhere", "loctool import"}), false},
        {"a dead editor on this machine", LockFileText({DeadPid(), host, ""}), true},
        {"an unreadable lock", "not a lock\n", true},
    };
    for (const Case& c : cases) {
        fs::remove(kLockFile);
        if (!c.existing.empty()) std::ofstream(kLockFile, std::ios::binary) << c.existing;
        LockOwner owner;
        EXPECT_EQ(TakeProjectLock(owner), c.taken) << c.what;
        if (c.taken) {
            EXPECT_EQ(Read(kLockFile), LockFileText({PlatProcessId(), host, kEditorProgram})) << c.what;
            ReleaseProjectLock();
            EXPECT_FALSE(fs::exists(kLockFile)) << c.what;
        } else {
            LockOwner expected;
            ASSERT_TRUE(ParseLockFile(c.existing, expected));
            EXPECT_EQ(owner.pid, expected.pid) << c.what;
            EXPECT_EQ(owner.host, expected.host) << c.what;
            EXPECT_EQ(Read(kLockFile), c.existing) << c.what;  // never taken from a live owner
        }
        // Nothing of the attempt is left beside the lock.
        for (const auto& entry : fs::directory_iterator(dir_)) EXPECT_EQ(entry.path().filename(), kLockFile) << c.what;
    }
}

// An editor that ended but whose parent has not collected it yet (a zombie) no longer
// holds its project, though its process id still exists.
TEST_F(ProjectLock, TheLockOfAnEndedProcessNotYetCollectedIsTakenOver) {
    const pid_t child = fork();
    if (child == 0) _exit(0);
    siginfo_t info{};
    ASSERT_EQ(waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOWAIT), 0);  // ended, not collected
    const std::string zombie = LockFileText({static_cast<uint32_t>(child), PlatHostName(), kEditorProgram});
    std::ofstream(kLockFile, std::ios::binary) << zombie;
    LockOwner owner;
    EXPECT_TRUE(TakeProjectLock(owner));
    EXPECT_EQ(Read(kLockFile), LockFileText({PlatProcessId(), PlatHostName(), kEditorProgram}));
    waitpid(child, nullptr, 0);
}

TEST_F(ProjectLock, ReleaseRemovesOnlyItsOwnLock) {
    LockOwner owner;
    ASSERT_TRUE(TakeProjectLock(owner));
    // Someone removed ours and another editor took the project meanwhile.
    const std::string other = LockFileText({static_cast<uint32_t>(getppid()), PlatHostName(), "loctool import"});
    std::ofstream(kLockFile, std::ios::binary | std::ios::trunc) << other;
    ReleaseProjectLock();
    EXPECT_EQ(Read(kLockFile), other);
}

TEST(LockFileText, HostNamesWithSpacesAndLineEndsReadBack) {
    for (const std::string host : {"box", "Mary's PC", ""}) {
        LockOwner owner;
        ASSERT_TRUE(ParseLockFile(LockFileText({4242, host, "loctool import"}), owner)) << host;
        EXPECT_EQ(owner.pid, 4242u);
        EXPECT_EQ(owner.host, host);
        EXPECT_EQ(owner.program, "loctool import");
        EXPECT_EQ(LockHolderText(owner), "in use by loctool import (process 4242 on " +
                                             (host.empty() ? std::string("an unknown machine") : host) + ")");
    }
    // The one-line form of older editors, from Windows too.
    LockOwner owner;
    ASSERT_TRUE(ParseLockFile("17 win-box\r\n", owner));
    EXPECT_EQ(owner.host, "win-box");
    EXPECT_EQ(owner.program, "");
    EXPECT_EQ(LockHolderText(owner), "open in the editor (process 17 on win-box)");
    for (const char* bad : {"", "x 1", "-5 box", "0 box", "12x box", "99999999999 box"})
        EXPECT_FALSE(ParseLockFile(bad, owner)) << bad;
}
