// loctool_journal_test.cpp - loctool import among other writers, run as the program: it
// holds the project's lock as the editor does (refusing, or waiting, while another
// holds it); an import killed after any of its steps leaves all-old or all-new files
// once the next writer has finished or undone it; two imports at once leave one whole
// outcome; a refused import changes no byte; pack never writes through a planted link.
#include <fcntl.h>
#include <unistd.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "tests/support/loctool_run.h"

using namespace loctoolrun;

namespace {

const char* const kFiles[] = {"menu", "game", "keyboard"};

class LoctoolJournal : public LoctoolTest {
  protected:
    // English, French and German, `items` per file; the French texts start with `french`.
    fs::path MakeProject(const std::string& name, const std::string& french, int items = 5) const {
        const fs::path project = dir_ / name;
        for (const char* file : kFiles) {
            std::vector<std::pair<std::string, std::string>> descs;
            std::vector<std::string> english, translated, german;
            for (int i = 0; i < items; ++i) {
                const std::string n = std::string(file) + " " + std::to_string(i);
                descs.emplace_back("Item" + std::to_string(i), "");
                english.push_back("en " + n);
                translated.push_back(french + " " + n);
                german.push_back("de " + n);
            }
            using locfixture::WriteFile;
            WriteFile(project / "Descriptions" / (std::string(file) + ".desc"), locfixture::DescBytes(descs));
            WriteFile(project / "Texts" / "English" / (std::string(file) + ".loc"), locfixture::LocBytes(english));
            WriteFile(project / "Texts" / "French" / (std::string(file) + ".loc"), locfixture::LocBytes(translated));
            WriteFile(project / "Texts" / "German" / (std::string(file) + ".loc"), locfixture::LocBytes(german));
        }
        return project;
    }
    // The French texts of a project like the others but translated as `french`, as PO.
    fs::path FrenchPo(const std::string& french, int items = 5) const {
        const fs::path project = MakeProject("made-" + french, french, items), po = dir_ / (french + ".po");
        EXPECT_EQ(Loctool("export --format po " + Q(project) + " French -o " + Q(po)).code, 0);
        return po;
    }
    static std::map<std::string, std::string> French(const fs::path& project) {
        std::map<std::string, std::string> files;
        for (const char* file : kFiles) {
            const fs::path path = project / "Texts" / "French" / (std::string(file) + ".loc");
            files[file] = locfixture::ReadFile(path);
        }
        return files;
    }
    // Anything in the project that is not its .loc, .desc and state files: temporaries, a
    // journal, a lock.
    static std::set<std::string> Extras(const fs::path& project) {
        std::set<std::string> extras;
        for (const auto& entry : fs::recursive_directory_iterator(project)) {
            const std::string ext = entry.path().extension().string();
            const bool state = ext == ".tsv" && entry.path().parent_path().filename() == "Translation state";
            if (!entry.is_directory() && ext != ".loc" && ext != ".desc" && !state)
                extras.insert(fs::relative(entry.path(), project).string());
        }
        return extras;
    }
    Outcome Run(const std::string& env, const std::string& args) const {
        return Shell(env + " " + Q(kLoctool) + " " + args, dir_);
    }
};

// A process that runs until its pipe is closed, to hold a lock with its id.
struct Holder {
    pid_t pid = -1;
    int pipe[2] = {-1, -1};
    Holder() {
        EXPECT_EQ(::pipe2(pipe, O_CLOEXEC), 0);  // the loctools started meanwhile must not keep it open
        pid = fork();
        if (pid == 0) {
            char c;
            close(pipe[1]);
            while (read(pipe[0], &c, 1) > 0) {
            }
            _exit(0);
        }
        close(pipe[0]);
    }
    void End() {
        if (pid <= 0) return;
        close(pipe[1]);
        waitpid(pid, nullptr, 0);
        pid = -1;
    }
    ~Holder() { End(); }
};

}  // namespace

TEST_F(LoctoolJournal, ImportRefusesOrWaitsWhileTheEditorOrAnotherLoctoolHoldsTheProject) {
    const fs::path project = MakeProject("p", "old"), po = FrenchPo("new");
    const auto old = French(project), made = French(dir_ / "made-new");
    const std::string import = "import " + Q(project) + " French " + Q(po);
    Holder holder;
    const std::string where = "(process " + std::to_string(holder.pid) + " on " + PlatHostName() + ")";
    for (const auto& [program, said] : {std::pair<std::string, std::string>{"zazovi", "is open in the editor "},
                                        {"loctool import", "is in use by loctool import "}}) {
        locfixture::WriteFile(project / "zazovi.lock",
                              std::to_string(holder.pid) + " " + PlatHostName() + "\n" + program + "\n");
        const Outcome r = Loctool(import);
        EXPECT_EQ(r.code, 1) << program;
        EXPECT_NE(r.err.find(said + where + "; "), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("give --wait SECONDS to wait until it is free"), std::string::npos) << r.err;
        EXPECT_EQ(French(project), old) << program;
    }
    const Outcome gaveUp = Loctool(import + " --wait 0.2");
    EXPECT_EQ(gaveUp.code, 1);
    EXPECT_NE(gaveUp.err.find(where + "; it still was after waiting 0.2 seconds"), std::string::npos) << gaveUp.err;
    EXPECT_EQ(Loctool(import + " --wait soon").code, 2);
    // Waiting: the import goes on once the holder has ended, whenever that is.
    const std::string waiting =
        Q(kLoctool) + " " + import + " --wait 60 >" + Q(dir_ / "w.out") + " 2>&1; echo $? >" + Q(dir_ / "w.rc");
    ASSERT_EQ(std::system(("(" + waiting + ") &").c_str()), 0);
    holder.End();
    while (!fs::exists(dir_ / "w.rc") || locfixture::ReadFile(dir_ / "w.rc").empty()) usleep(10000);
    EXPECT_EQ(locfixture::ReadFile(dir_ / "w.rc"), "0\n") << locfixture::ReadFile(dir_ / "w.out");
    EXPECT_EQ(French(project), made);
    EXPECT_EQ(Extras(project), std::set<std::string>{});  // the lock went with it
}

TEST_F(LoctoolJournal, AnImportKilledAfterAnyStepIsFinishedOrUndoneByTheNextWriter) {
    const fs::path po = FrenchPo("new"), german = dir_ / "German.po";
    const auto made = French(dir_ / "made-new");
    // The journal, four temporaries (three .loc files and the state file that records
    // the new translations), the end line, four renames, the journal removed.
    const int steps = 11;
    for (int step = 1; step <= steps; ++step) {
        SCOPED_TRACE("stopped after step " + std::to_string(step));
        fs::remove_all(dir_ / "p");
        const fs::path project = MakeProject("p", "old");
        const auto old = French(project);
        if (step == 1) {
            ASSERT_EQ(Loctool("export --format po " + Q(project) + " German -o " + Q(german)).code, 0);
        }
        const Outcome killed =
            Run("QK_TEST_STOP_AFTER=" + std::to_string(step), "import " + Q(project) + " French " + Q(po));
        EXPECT_EQ(killed.code, kPlatTestStopExitCode) << killed.err;
        // A reader warns and reads what is there; the next writer finishes or undoes it.
        const Outcome stats = Loctool("stats " + Q(project));
        EXPECT_EQ(stats.code, 0);
        EXPECT_EQ(stats.err.find("did not finish") != std::string::npos, step < steps) << stats.err;
        const Outcome next = Loctool("import " + Q(project) + " German " + Q(german));
        EXPECT_EQ(next.code, 0) << next.err;
        const bool whole = step >= 6;
        if (step < steps) {
            EXPECT_NE(next.err.find(whole ? "it has now been finished" : "it has been undone"), std::string::npos)
                << next.err;
        }
        EXPECT_EQ(French(project), whole ? made : old);
        // The states go with the texts: the file that records them is there exactly when they are.
        EXPECT_EQ(fs::exists(project / "Translation state" / "French.tsv"), whole);
        EXPECT_EQ(Extras(project), std::set<std::string>{});
    }
}

// Two imports started together, again and again: each run ends with the files of one
// of them whole, and an import that found the project taken says by whom; half the runs
// start with the stale lock of a killed program, which only one of them may take over.
TEST_F(LoctoolJournal, TwoImportsAtOnceLeaveOneWholeOutcome) {
    constexpr int kItems = 1500;
    const fs::path a = FrenchPo("a", kItems), b = FrenchPo("b", kItems);
    const auto madeA = French(dir_ / "made-a"), madeB = French(dir_ / "made-b");
    const pid_t dead = fork();
    if (dead == 0) _exit(0);
    waitpid(dead, nullptr, 0);
    for (int run = 0; run < 10; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        fs::remove_all(dir_ / "p");
        const fs::path project = MakeProject("p", "old", kItems);
        if (run % 4 >= 2)
            locfixture::WriteFile(project / "zazovi.lock", std::to_string(dead) + " " + PlatHostName() + "\nzazovi\n");
        const std::string wait = run % 2 ? " --wait 60" : "";
        std::string both;
        for (const auto& [name, po] : {std::pair<std::string, fs::path>{"a", a}, {"b", b}}) {
            const std::string out = (dir_ / name).string();
            both += "(" + Q(kLoctool) + " import " + Q(project) + " French " + Q(po) + wait + " >" + Q(out + ".out") +
                    " 2>" + Q(out + ".err") + "; echo $? >" + Q(out + ".rc") + ") & ";
        }
        ASSERT_EQ(std::system((both + "wait").c_str()), 0);
        const std::string rcA = locfixture::ReadFile(dir_ / "a.rc"), rcB = locfixture::ReadFile(dir_ / "b.rc");
        const auto now = French(project);
        if (rcA == "0\n" && rcB == "0\n") {
            EXPECT_TRUE(now == madeA || now == madeB);
        } else {
            EXPECT_TRUE(wait.empty()) << "a waiting import was refused";
            const bool aWon = rcA == "0\n";
            EXPECT_EQ(aWon ? rcB : rcA, "1\n");
            EXPECT_TRUE(now == (aWon ? madeA : madeB));
            const std::string err = locfixture::ReadFile(dir_ / (aWon ? "b.err" : "a.err"));
            EXPECT_NE(err.find("is in use by loctool import (process "), std::string::npos) << err;
        }
        EXPECT_EQ(Extras(project), std::set<std::string>{});
    }
}

// Every file is checked before any is replaced: a read-only one refuses the whole import
// and no byte of the others changes (not even bytes after their last record).
TEST_F(LoctoolJournal, AnImportRefusedForOneReadOnlyFileChangesNoByte) {
    const fs::path project = MakeProject("p", "old"), po = FrenchPo("new");
    const fs::path menu = project / "Texts" / "French" / "menu.loc", keyboard = menu.parent_path() / "keyboard.loc";
    locfixture::WriteFile(menu, locfixture::ReadFile(menu) + "bytes after the last record");
    fs::permissions(keyboard, fs::perms::owner_read | fs::perms::group_read, fs::perm_options::replace);
    const auto old = French(project);
    const Outcome r = Loctool("import " + Q(project) + " French " + Q(po));
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("keyboard.loc: the file is read-only"), std::string::npos) << r.err;
    EXPECT_EQ(French(project), old);
    EXPECT_EQ(Extras(project), std::set<std::string>{});
}

// pack takes no lock (a build runs many at once) but writes through a temporary file
// of its own: a link planted where older versions put theirs takes none of the bytes.
TEST_F(LoctoolJournal, PackNeverWritesThroughALinkPlantedForItsTemporaryFile) {
    locfixture::WriteFile(dir_ / "victim", "the victim's bytes");
    fs::create_symlink(dir_ / "victim", dir_ / "out.loc.tmp");
    const fs::path menu = MakeProject("p", "fr") / "Texts" / "French" / "menu.loc", text = dir_ / "in.txt";
    const Outcome dumped = Loctool("dump " + Q(menu));
    ASSERT_EQ(dumped.code, 0);
    locfixture::WriteFile(text, dumped.out);
    ASSERT_EQ(Loctool("pack " + Q(text) + " " + Q(dir_ / "out.loc")).code, 0);
    EXPECT_EQ(locfixture::ReadFile(dir_ / "victim"), "the victim's bytes");
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(dir_ / "out.loc")));
    EXPECT_EQ(locfixture::ReadFile(dir_ / "out.loc"), locfixture::ReadFile(menu));
}
