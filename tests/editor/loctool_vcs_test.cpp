// loctool_vcs_test.cpp - loctool's textconv, merge driver and git-setup with real git in
// scratch repositories: branches that edit a .loc file merged item by item, a conflict
// kept whole in the conflict file, git diff through textconv, refused merges that leave
// ours as it was, and a set-up that a second run leaves alone.
#include <string>
#include <vector>

#include "editor/conflict/conflict_file.h"
#include "editor/project_lock.h"
#include "platform/platform.h"
#include "tests/support/loctool_run.h"

using namespace loctoolrun;

namespace {

using locfixture::LocBytes;
constexpr auto& ReadBytes = locfixture::ReadFile;
constexpr auto& WriteBytes = locfixture::WriteFile;

const std::vector<std::string> kBase = {"Start", "Load", "Quit\r\nnow", "Options"};

class GitMergeTest : public LoctoolTest {
  protected:
    void SetUp() override {
        LoctoolTest::SetUp();
        repo_ = dir_ / "repo";
        project_ = repo_ / "game";  // the project in a folder of the repository, as teams keep it
        for (const char* file : {"menu", "game", "keyboard"}) {
            WriteBytes(project_ / "Texts" / "English" / (std::string(file) + ".loc"), LocBytes(kBase));
            WriteBytes(project_ / "Texts" / "French" / (std::string(file) + ".loc"), LocBytes(kBase));
            WriteBytes(project_ / "Descriptions" / (std::string(file) + ".desc"),
                       locfixture::DescBytes({{"StartGame", ""}, {"LoadGame", ""}, {"QuitGame", ""}, {"Opts", ""}}));
        }
        ASSERT_EQ(Git("init -q -b main").code, 0);
        ASSERT_EQ(Loctool("git-setup " + Q(project_)).code, 0);
        ASSERT_EQ(Git("add -A").code, 0);
        ASSERT_EQ(Git("commit -q -m base").code, 0);
    }
    // git in the repository, with no user settings but these.
    Outcome Git(const std::string& args) const {
        return Shell("cd " + Q(repo_) + " && HOME=" + Q(dir_) +
                         " GIT_CONFIG_NOSYSTEM=1 GIT_AUTHOR_NAME=t GIT_AUTHOR_EMAIL=t@t GIT_COMMITTER_NAME=t "
                         "GIT_COMMITTER_EMAIL=t@t git " +
                         args,
                     dir_);
    }
    fs::path French() const { return project_ / "Texts" / "French" / "menu.loc"; }
    // Commits French/menu.loc with `texts` on a new branch from main.
    void Branch(const std::string& name, const std::vector<std::string>& texts) {
        ASSERT_EQ(Git("checkout -q -b " + name + " main").code, 0);
        WriteBytes(French(), LocBytes(texts));
        ASSERT_EQ(Git("commit -q -am " + name).code, 0);
    }
    Outcome MergeBranches(const std::vector<std::string>& ours, const std::vector<std::string>& theirs) {
        Branch("theirs", theirs);
        Branch("ours", ours);
        return Git("merge -m merged theirs");
    }
    fs::path ConflictFile() const { return project_ / "Translation state" / "conflicts" / "French" / "menu.tsv"; }

    fs::path repo_, project_;
};

TEST_F(GitMergeTest, EditsOfDifferentItemsOrTheSameEditMergeCleanly) {
    const Outcome merged =
        MergeBranches({"Démarrer", "Load", "Quit\r\nnow", "Réglages"}, {"Start", "Charger", "Quit\r\nnow", "Réglages"});
    EXPECT_EQ(merged.code, 0) << merged.out << merged.err;
    EXPECT_EQ(ReadBytes(French()), LocBytes({"Démarrer", "Charger", "Quit\r\nnow", "Réglages"}));
    EXPECT_FALSE(fs::exists(ConflictFile()));
}

TEST_F(GitMergeTest, ItemsAppendedByOneSideAreMerged) {
    const Outcome merged = MergeBranches({"Start", "Charger", "Quit\r\nnow", "Options"},
                                         {"Start", "Load", "Quit\r\nnow", "Options", "New"});
    EXPECT_EQ(merged.code, 0) << merged.out << merged.err;
    EXPECT_EQ(ReadBytes(French()), LocBytes({"Start", "Charger", "Quit\r\nnow", "Options", "New"}));
}

TEST_F(GitMergeTest, DifferentEditsOfOneItemConflictWithBothTextsInTheConflictFile) {
    const Outcome merged = MergeBranches({"Démarrer", "Charger", "Quitter\tmaintenant", "Options"},
                                         {"Lancer", "Load", "Quitter\r\nmaintenant\x01", "Options"});
    EXPECT_NE(merged.code, 0);
    EXPECT_NE(merged.out.find("CONFLICT"), std::string::npos) << merged.out;
    // The clean item is merged; the conflicting ones keep ours.
    EXPECT_EQ(ReadBytes(French()), LocBytes({"Démarrer", "Charger", "Quitter\tmaintenant", "Options"}));
    conflict::Conflicts conflicts;
    std::string error;
    ASSERT_TRUE(conflict::ParseConflictFile(ReadBytes(ConflictFile()), conflicts, error)) << error;
    const conflict::Conflicts expected = {
        {"menu", 0, "Start", "Démarrer", "Lancer"},
        {"menu", 2, "Quit\r\nnow", "Quitter\tmaintenant", "Quitter\r\nmaintenant\x01"},
    };
    EXPECT_EQ(conflicts, expected);
    EXPECT_EQ(Git("status --porcelain").out.substr(0, 2), "UU");
    EXPECT_FALSE(fs::exists(project_ / "zazovi.lock"));
    EXPECT_FALSE(fs::exists(project_ / "zazovi.journal"));
}

TEST_F(GitMergeTest, GitDiffShowsTheChangedItemByName) {
    WriteBytes(French(), LocBytes({"Start", "Charger\npartie", "Quit\r\nnow", "Options"}));
    const Outcome diff = Git("diff -U0");
    EXPECT_EQ(diff.code, 0);
    const std::string hunk = "@@ -3 +3 @@\n-[1] LoadGame = \"Load\"\n+[1] LoadGame = \"Charger\\npartie\"\n";
    ASSERT_GE(diff.out.size(), hunk.size());
    EXPECT_EQ(diff.out.substr(diff.out.size() - hunk.size()), hunk) << diff.out;
}

TEST_F(GitMergeTest, TextconvShowsWhatItCanReadOfADamagedFileAndSucceeds) {
    std::string damaged = LocBytes({"One", "Two"});
    damaged.resize(damaged.size() - 1);
    WriteBytes(dir_ / "x.loc", damaged);
    const Outcome shown = Loctool("textconv " + Q(dir_ / "x.loc"));
    EXPECT_EQ(shown.code, 0);
    EXPECT_EQ(shown.out,
              "# x.loc: 2 items, no names (no project)\n[0] = \"One\"\n"
              "# cannot read further: the file ends inside item 1\n");
    EXPECT_EQ(Loctool("textconv " + Q(dir_ / "missing.loc")).code, 0);
}

// Items known by their place cannot survive removals or two sets of new items: the driver
// refuses, ours stays byte for byte, and git reports the file as conflicting.
TEST_F(GitMergeTest, DifferingItemCountsAreRefusedWithOursUnchanged) {
    const struct {
        std::vector<std::string> ours, theirs;
        const char* says;
    } cases[] = {
        {{"Start", "Charger", "Quit\r\nnow"}, {"Lancer", "Load", "Quit\r\nnow", "Options"}, "items were removed"},
        {{"Start", "Load", "Quit\r\nnow", "Options", "A"},
         {"Start", "Load", "Quit\r\nnow", "Options", "B"},
         "both sides"},
    };
    for (const auto& c : cases) {
        WriteBytes(dir_ / "base.loc", LocBytes(kBase));
        WriteBytes(dir_ / "ours.loc", LocBytes(c.ours));
        WriteBytes(dir_ / "theirs.loc", LocBytes(c.theirs));
        const Outcome refused = Loctool("merge " + Q(dir_ / "base.loc") + " " + Q(dir_ / "ours.loc") + " " +
                                        Q(dir_ / "theirs.loc") + " " + Q(French()));
        EXPECT_EQ(refused.code, 1);
        EXPECT_NE(refused.err.find(c.says), std::string::npos) << refused.err;
        EXPECT_NE(refused.err.find("ours is left as it was"), std::string::npos) << refused.err;
        EXPECT_EQ(ReadBytes(dir_ / "ours.loc"), LocBytes(c.ours));
        EXPECT_FALSE(fs::exists(ConflictFile()));
    }
    // Through git too: the work tree keeps our file.
    const Outcome merged =
        MergeBranches({"Start", "Load", "Quit\r\nnow"}, {"Lancer", "Load", "Quit\r\nnow", "Options"});
    EXPECT_NE(merged.code, 0);
    EXPECT_EQ(ReadBytes(French()), LocBytes({"Start", "Load", "Quit\r\nnow"}));
}

// The editor holds the project: the conflict file cannot be written, so ours stays whole.
TEST_F(GitMergeTest, AConflictWhileTheEditorHoldsTheProjectLeavesOursAsItWas) {
    WriteBytes(project_ / kLockFile, LockFileText({uint32_t(getpid()), PlatHostName(), kEditorProgram}));
    WriteBytes(dir_ / "base.loc", LocBytes(kBase));
    WriteBytes(dir_ / "ours.loc", LocBytes({"Lancer", "Load", "Quit\r\nnow", "Options"}));
    WriteBytes(dir_ / "theirs.loc", LocBytes({"Demarrer", "Charger", "Quit\r\nnow", "Options"}));
    const Outcome refused = Loctool("merge " + Q(dir_ / "base.loc") + " " + Q(dir_ / "ours.loc") + " " +
                                    Q(dir_ / "theirs.loc") + " " + Q(French()));
    EXPECT_EQ(refused.code, 1);
    EXPECT_NE(refused.err.find("open in the editor"), std::string::npos) << refused.err;
    EXPECT_EQ(ReadBytes(dir_ / "ours.loc"), LocBytes({"Lancer", "Load", "Quit\r\nnow", "Options"}));
    EXPECT_FALSE(fs::exists(ConflictFile()));
}

TEST_F(GitMergeTest, GitSetupTwiceChangesNothingTheSecondTime) {
    const auto snapshot = [&] {
        return ReadBytes(project_ / ".gitattributes") + ReadBytes(project_ / ".gitignore") +
               ReadBytes(repo_ / ".git" / "config");
    };
    const std::string before = snapshot();
    EXPECT_NE(before.find("*.loc -text diff=zazovi-loc merge=zazovi-loc"), std::string::npos);
    EXPECT_NE(before.find("zazovi.cfg"), std::string::npos);
    const Outcome again = Loctool("git-setup " + Q(project_));
    EXPECT_EQ(again.code, 0);
    EXPECT_EQ(again.out, "Already set up: nothing changed.\n");
    EXPECT_EQ(snapshot(), before);
    // The per-user files are not offered to git.
    WriteBytes(project_ / "zazovi.cfg", "x");
    WriteBytes(project_ / "Texts" / "French" / "menu.loc.recovered2", "x");
    EXPECT_EQ(Git("status --porcelain").out, "");
}

}  // namespace
