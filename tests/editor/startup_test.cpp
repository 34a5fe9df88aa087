// The working folder derived from the program's path, the project folder from the
// command line, the installed program's font and its user's copy of the sample project.
#include "editor/startup.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

TEST(ProgramWorkingFolder, StripsBuildFoldersInTheirOrder) {
    EXPECT_EQ(ProgramWorkingFolder("C:\\Tools\\Release\\editor.exe", '\\'), "C:\\Tools");
    EXPECT_EQ(ProgramWorkingFolder("C:\\Tools\\editor.exe", '\\'), "C:\\Tools");
    EXPECT_EQ(ProgramWorkingFolder("C:\\Tools\\Project\\Debug\\editor.exe", '\\'), "C:\\Tools");
    EXPECT_EQ(ProgramWorkingFolder("C:\\Tools\\Project\\Release\\editor.exe", '\\'), "C:\\Tools");
    EXPECT_EQ(ProgramWorkingFolder("C:\\Tools\\Debug\\Project\\editor.exe", '\\'), "C:\\Tools\\Debug");
    EXPECT_EQ(ProgramWorkingFolder("C:\\Tools\\Release\\Project\\editor.exe", '\\'), "C:\\Tools\\Release");
    EXPECT_EQ(ProgramWorkingFolder("C:\\Tools\\RELEASE\\editor.exe", '\\'), "C:\\Tools\\RELEASE");
    EXPECT_EQ(ProgramWorkingFolder("C:\\Tools\\MyRelease\\editor.exe", '\\'), "C:\\Tools\\MyRelease");
    EXPECT_EQ(ProgramWorkingFolder("/home/t/kit/debug/zazovi", '/'), "/home/t/kit");
    EXPECT_EQ(ProgramWorkingFolder("/home/t/kit/zazovi", '/'), "/home/t/kit");
}

// A project folder named on the command line, after the program has already moved
// into its own folder: relative names belong to the folder the program started in.
TEST(EnterProjectFolder, RelativeNamesAreTakenFromTheStartFolder) {
    namespace fs = std::filesystem;
    const fs::path old = fs::current_path();
    const fs::path root = fs::temp_directory_path() / ("qk_project_arg_" + std::to_string(::getpid()));
    const fs::path start = root / "typed here", program = root / "program";
    fs::remove_all(root);
    for (const fs::path& p : {start / "proj", program / "proj"}) fs::create_directories(p);
    struct Row {
        std::string argument;
        fs::path expected;
    };
    const Row rows[] = {
        {"proj", start / "proj"},
        {(fs::path("..") / "typed here" / "proj").string(), start / "proj"},
        {(program / "proj").string(), program / "proj"},  // absolute names stay as they are
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.argument);
        fs::current_path(program);  // where EnterProgramFolder leaves the program
        std::string message;
        ASSERT_TRUE(EnterProjectFolder(start, row.argument, &message)) << message;
        EXPECT_TRUE(fs::equivalent(fs::current_path(), row.expected));
    }

    // A missing folder is named in full, so the user sees where it was looked for.
    fs::current_path(program);
    std::string message;
    EXPECT_FALSE(EnterProjectFolder(start, "missing", &message));
    EXPECT_NE(message.find((start / "missing").string()), std::string::npos) << message;
    EXPECT_TRUE(fs::equivalent(fs::current_path(), program));
    EXPECT_FALSE(EnterProjectFolder({}, "proj", &message));  // nothing to be relative to

    fs::current_path(old);
    fs::remove_all(root);
}

TEST(InstalledDataFolder, IsShareBesideTheProgramsBinFolder) {
    EXPECT_EQ(InstalledDataFolder("/usr/bin/zazovi", '/'), "/usr/share/zazovi");
    EXPECT_EQ(InstalledDataFolder("/opt/kit/bin/zazovi", '/'), "/opt/kit/share/zazovi");
    EXPECT_EQ(InstalledDataFolder("C:\\Kit\\bin\\zazovi.exe", '\\'), "C:\\Kit\\share\\zazovi");
    // A program at the root has no folder above its own.
    EXPECT_EQ(InstalledDataFolder("/zazovi", '/'), "");
    EXPECT_EQ(InstalledDataFolder("zazovi", '/'), "");
}

namespace {

namespace fs = std::filesystem;

// An installed tree (<root>/share/zazovi with the font and the sample), a program
// folder and a user folder, all in a scratch folder of the test's own.
struct InstalledTree {
    explicit InstalledTree(const std::string& name) {
        root = fs::temp_directory_path() / ("qk_installed_" + name);
        share = root / "share" / "zazovi";
        program = root / "bin";
        user = root / "user";
        fs::remove_all(root);
        fs::create_directories(share / "sample" / "Texts" / "English");
        fs::create_directories(share / "sample" / "Descriptions");
        fs::create_directories(program);
        Write(share / "zazovi_font.dsf", "font");
        Write(share / "sample" / "Texts" / "English" / "menu.loc", "installed");
        Write(share / "sample" / "Descriptions" / "menu.desc", "names");
        start = fs::current_path();
    }
    ~InstalledTree() {
        std::error_code ec;
        fs::current_path(start, ec);
        for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::recursive_directory_iterator();
             it.increment(ec))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(root, ec);
    }
    static void Write(const fs::path& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static std::string Read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    bool Enter(const fs::path& userFolder, std::string* error) {
        return EnterUserSampleProject(
            program.string(), share.string(), [userFolder] { return userFolder.string(); }, error);
    }

    fs::path root, start, share, program, user;
};

}  // namespace

TEST(FontFallbackFolder, ProgramFolderFirstThenTheInstalledOne) {
    InstalledTree tree("font");
    const std::string program = tree.program.string(), share = tree.share.string();
    EXPECT_EQ(FontFallbackFolder(program, share), share) << "only the installed folder has the font";
    EXPECT_EQ(FontFallbackFolder(program, ""), program) << "not installed: the program's folder, as always";
    InstalledTree::Write(tree.program / "zazovi_font.dsf", "own");
    EXPECT_EQ(FontFallbackFolder(program, share), program) << "a font beside the program wins";
    fs::remove(tree.program / "zazovi_font.dsf");
    fs::remove(tree.share / "zazovi_font.dsf");
    EXPECT_EQ(FontFallbackFolder(program, share), program) << "neither has one: the program's message names it";
}

TEST(EnterUserSampleProject, CopiesTheInstalledSampleOnceAndWorksInTheCopy) {
    InstalledTree tree("copy");
    // The installed files are read-only, as under /usr/share to a user.
    const fs::path installedLoc = tree.share / "sample" / "Texts" / "English" / "menu.loc";
    fs::permissions(installedLoc, fs::perms::owner_read);
    std::string error;
    ASSERT_TRUE(tree.Enter(tree.user, &error)) << error;
    const fs::path project = UserSampleProjectFolder(tree.user.string());
    EXPECT_EQ(fs::current_path(), project);
    EXPECT_EQ(InstalledTree::Read(project / "Descriptions" / "menu.desc"), "names");
    // The copy is the user's own: writable, and kept as the user left it.
    InstalledTree::Write(project / "Texts" / "English" / "menu.loc", "edited");
    EXPECT_EQ(InstalledTree::Read(project / "Texts" / "English" / "menu.loc"), "edited");
    fs::current_path(tree.start);
    ASSERT_TRUE(tree.Enter(tree.user, &error)) << error;
    EXPECT_EQ(InstalledTree::Read(project / "Texts" / "English" / "menu.loc"), "edited")
        << "copied again over the edit";
    EXPECT_EQ(InstalledTree::Read(installedLoc), "installed");
    EXPECT_FALSE(fs::exists(project.string() + ".partial"));
}

TEST(EnterUserSampleProject, LeavesTheWorkingFolderAloneUnlessInstalledWithoutAProject) {
    struct Case {
        const char* what;
        bool programHasTexts, installed, userFolder, expectOk;
    };
    const Case cases[] = {
        {"a project beside the program (a portable or freshly built program)", true, true, true, true},
        {"nothing installed (the program's folder is the project, as always)", false, false, true, true},
    };
    for (const Case& c : cases) {
        InstalledTree tree("alone");
        if (c.programHasTexts) fs::create_directories(tree.program / "Texts");
        if (!c.installed) fs::remove_all(tree.share);
        bool asked = false;
        std::string error;
        const bool ok = EnterUserSampleProject(
            tree.program.string(), tree.share.string(),
            [&] {
                asked = true;
                return tree.user.string();
            },
            &error);
        EXPECT_EQ(ok, c.expectOk) << c.what;
        EXPECT_FALSE(asked) << c.what << ": the user's folder is made only when it is used";
        EXPECT_EQ(fs::current_path(), tree.start) << c.what;
    }
}

TEST(EnterUserSampleProject, FailuresAreReportedAndLeaveNoHalfCopy) {
    InstalledTree tree("fail");
    std::string error;
    EXPECT_FALSE(tree.Enter("", &error));
    EXPECT_NE(error.find("argument"), std::string::npos) << error;
    // The user's folder is a file: nothing can be made in it.
    InstalledTree::Write(tree.user, "not a folder");
    error.clear();
    EXPECT_FALSE(tree.Enter(tree.user, &error));
    EXPECT_NE(error.find("Cannot copy the sample project"), std::string::npos) << error;
    EXPECT_EQ(error.find("Success"), std::string::npos) << "the reason is the failure's own: " << error;
    EXPECT_EQ(fs::current_path(), tree.start);
}
