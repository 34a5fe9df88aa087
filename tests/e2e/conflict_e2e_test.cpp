// Merge conflicts end to end: two branches of a real git repository change one item of
// the sample's German menu differently, git merges through loctool's driver and stops on
// the conflict, and the real program shows it and settles it with Ctrl+T, checked on the
// screen and in the files on disk.
#include <string>
#include <vector>

#include "e2e_support.h"
#include "support/loc_files.h"

using namespace e2e;

namespace {

constexpr int kRowX = 100, kFirstRowY = 124, kExitX = 35, kButtonsY = 577;

std::vector<std::string> Texts(const fs::path& file) {
    std::vector<std::string> texts;
    locformat::ParseLoc(locfixture::ReadFile(file), "menu.loc", locformat::Trailing::Refuse, texts);
    return texts;
}

std::string Git(const fs::path& repo, const std::string& args) {
    return Shell("cd '" + repo.string() + "' && HOME='" + repo.string() +
                 "' GIT_CONFIG_NOSYSTEM=1 GIT_AUTHOR_NAME=t GIT_AUTHOR_EMAIL=t@t GIT_COMMITTER_NAME=t "
                 "GIT_COMMITTER_EMAIL=t@t git " +
                 args + " 2>&1; echo \"exit $?\"");
}

// Pixels of the conflict picture's red in the item list's first rows.
int RedPixelsInRows(Editor& ed) {
    const std::string pixels = ed.X("import -window " + ed.window + " -crop 40x60+8+110 txt:- 2>/dev/null");
    int red = 0;
    for (size_t at = pixels.find("srgb("); at != std::string::npos; at = pixels.find("srgb(", at + 1)) {
        int r = 0, g = 0, b = 0;
        if (std::sscanf(pixels.c_str() + at, "srgb(%d,%d,%d)", &r, &g, &b) == 3 && r > 170 && g < 80 && b < 80) ++red;
    }
    return red;
}

}  // namespace

TEST(ConflictEndToEnd, GitMergeConflictIsShownAndCtrlTTakesTheirs) {
    Editor ed("conflict");
    const fs::path german = ed.dir / "Texts" / "German" / "menu.loc";
    const fs::path conflicts = ed.dir / "Translation state" / "conflicts" / "German" / "menu.tsv";
    std::vector<std::string> texts = Texts(german);
    ASSERT_GT(texts.size(), 2u);
    ASSERT_NE(Git(ed.dir, "init -q -b main").find("exit 0"), std::string::npos);
    ASSERT_EQ(
        Shell("'" QK_BINARY_DIR "/tools/loctool/loctool' git-setup '" + ed.dir.string() + "' >/dev/null; echo $?"),
        "0");
    ASSERT_NE(Git(ed.dir, "add Texts Descriptions .gitattributes .gitignore && git commit -q -m base").find("exit 0"),
              std::string::npos);
    texts[1] = "Spielstand laden (theirs)";
    Git(ed.dir, "checkout -q -b theirs");
    locfixture::WriteFile(german, locfixture::LocBytes(texts));
    Git(ed.dir, "commit -q -am theirs");
    texts[1] = "Laden (ours)";
    texts[2] = "ours alone";
    Git(ed.dir, "checkout -q -b ours main");
    locfixture::WriteFile(german, locfixture::LocBytes(texts));
    Git(ed.dir, "commit -q -am ours");
    const std::string merged = Git(ed.dir, "merge -m merged theirs");
    ASSERT_NE(merged.find("CONFLICT"), std::string::npos) << merged;
    ASSERT_TRUE(fs::exists(conflicts));

    ed.args = {german.string()};
    ASSERT_TRUE(ed.Start());
    EXPECT_GT(RedPixelsInRows(ed), 10);  // item 1's row shows the conflict
    ed.Click(kRowX, kFirstRowY);
    ed.Key("Down");
    ed.Key("ctrl+t");
    EXPECT_EQ(RedPixelsInRows(ed), 0);
    ed.Key("ctrl+s");
    EXPECT_FALSE(fs::exists(conflicts));
    texts[1] = "Spielstand laden (theirs)";
    EXPECT_EQ(Texts(german), texts);
    ed.Click(kExitX, kButtonsY);
    ASSERT_EQ(ed.WaitExit(), 0);
    // Settled: git takes the file, and nothing else is left to commit but it.
    EXPECT_NE(Git(ed.dir, "add Texts && git commit -q -m settled").find("exit 0"), std::string::npos);
    EXPECT_EQ(Git(ed.dir, "status --porcelain --untracked-files=no"), "exit 0");
}
