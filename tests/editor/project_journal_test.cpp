// project_journal_test.cpp - writes into several of a project's files at once: a
// refused write changes no byte and leaves nothing behind; a journal acts only on its
// own temporaries inside the project. (Writes stopped after each step are recovered in
// loctool_journal_test.cpp, with loctool killed there.)
#include "editor/project_journal.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "support/file_size_limit.h"
#include "support/loc_files.h"
#include "support/scratch_folder.h"

namespace fs = std::filesystem;
using locfixture::ReadFile;
using locfixture::WriteFile;

namespace {

const char* const kPaths[] = {"Texts\\French\\menu.loc", "Texts\\French\\game.loc", "Texts\\French\\keyboard.loc"};
constexpr int kFileCount = 3;

class ProjectJournal : public ScratchFolder {
  protected:
    // Longer than a write buffer, so that a write cut short is seen.
    static std::string Bytes(const char* what, int i) { return std::string(9000 + i, what[0]) + what; }
    static std::vector<PlatFileWrite> NewFiles() {
        std::vector<PlatFileWrite> files;
        for (int i = 0; i < kFileCount; ++i) files.push_back({kPaths[i], Bytes("new", i)});
        return files;
    }
    static void WriteOld() {
        for (int i = 0; i < kFileCount; ++i) WriteFile(HostPath(kPaths[i]), Bytes("old", i));
    }
    static std::vector<std::string> Disk() {
        std::vector<std::string> bytes;
        for (const char* path : kPaths)
            bytes.push_back(fs::is_directory(HostPath(path)) ? "(a folder)" : ReadFile(HostPath(path)));
        return bytes;
    }
    static std::vector<std::string> All(const char* what) {
        std::vector<std::string> bytes;
        for (int i = 0; i < kFileCount; ++i) bytes.push_back(Bytes(what, i));
        return bytes;
    }
    // Every name in the project but the three .loc files.
    static std::set<std::string> Strays() {
        std::set<std::string> names;
        for (const auto& entry : fs::recursive_directory_iterator("."))
            if (!entry.is_directory()) names.insert(entry.path().lexically_normal().generic_string());
        for (const char* path : kPaths) names.erase(fs::path(HostPath(path)).generic_string());
        return names;
    }
};

}  // namespace

TEST_F(ProjectJournal, ARefusedWriteChangesNoByteAndLeavesNothingBehind) {
    const fs::path keyboard = HostPath(kPaths[2]);
    const struct {
        const char* what;
        void (*block)();
        const char* said;
    } cases[] = {
        {"the last file read-only",
         [] { fs::permissions(HostPath(kPaths[2]), fs::perms::owner_read, fs::perm_options::replace); },
         "keyboard.loc: the file is read-only"},
        {"the last file a folder",
         [] {
             fs::remove(HostPath(kPaths[2]));
             fs::create_directories(fs::path(HostPath(kPaths[2])) / "x");
         },
         "keyboard.loc: it is not a file"},
        {"an unfinished write", [] { WriteFile(kJournalFile, "x\n"); }, "zazovi.journal is there"},
        {"disk full", [] {}, "failed"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all("Texts");
        WriteOld();
        c.block();
        const std::set<std::string> before = Strays();
        const std::vector<std::string> old = Disk();
        std::optional<FileSizeLimit> full;
        if (std::string(c.what) == "disk full") full.emplace(9000 + 4);  // the second temporary fails
        const StoreResult r = ReplaceProjectFiles(NewFiles());
        full.reset();
        EXPECT_FALSE(r.ok);
        EXPECT_NE(r.message.find(c.said), std::string::npos) << r.message;
        EXPECT_EQ(Disk(), old);
        EXPECT_EQ(Strays(), before);
        fs::remove(kJournalFile);
        if (fs::is_regular_file(keyboard)) fs::permissions(keyboard, fs::perms::owner_write, fs::perm_options::add);
    }
}

// A journal is only a list of renames: a line naming a file outside the project, or a
// temporary that is not ours for its target, is not acted on, and the write it belongs
// to is taken as cut off.
TEST_F(ProjectJournal, AJournalActsOnlyOnItsOwnTemporariesInsideTheProject) {
    fs::create_directories("project");
    fs::current_path("project");
    WriteOld();
    WriteFile("../outside.loc", "outside");
    WriteFile("../outside.loc.1-0000abcd.tmp", "planted");
    WriteFile("Texts/French/menu.loc.1-0000abcd.tmp", "planted for game.loc");
    WriteFile("Texts/French/keyboard.loc.1-0000abcd.tmp", "new keyboard");
    WriteFile(kJournalFile,
              "../outside.loc.1-0000abcd.tmp -> ../outside.loc\n"
              "Texts/French/menu.loc.1-0000abcd.tmp -> Texts/French/game.loc\n"
              "Texts/French/keyboard.loc.1-0000abcd.tmp -> Texts/French/keyboard.loc\n"
              "end\n");
    EXPECT_NE(FinishInterruptedWrite().find("undone"), std::string::npos);
    EXPECT_EQ(Disk(), All("old"));
    EXPECT_EQ(ReadFile("../outside.loc"), "outside");
    EXPECT_EQ(ReadFile("../outside.loc.1-0000abcd.tmp"), "planted");
    EXPECT_EQ(ReadFile("Texts/French/menu.loc.1-0000abcd.tmp"), "planted for game.loc");
    EXPECT_FALSE(fs::exists("Texts/French/keyboard.loc.1-0000abcd.tmp"));
    EXPECT_FALSE(fs::exists(kJournalFile));
}
