// project_test.cpp - the language-folder scan, the verification and the backup
// against real folders and files in a fresh temporary folder that is the working
// directory while a test runs.
#include "editor/project.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "editor/text_store.h"
#include "platform/platform.h"
#include "tests/support/loc_files.h"
#include "tests/support/scratch_folder.h"

namespace fs = std::filesystem;

namespace {

const char* const kFiles[] = {"menu", "game", "keyboard"};

using locfixture::Int16;
using locfixture::ReadFile;
using locfixture::WriteFile;

// A .loc whose texts tell where they came from, so copies can be told apart.
std::string LocBytes(int count, const std::string& tag) {
    std::vector<std::string> texts;
    for (int i = 0; i < count; ++i) texts.push_back(tag + " #" + std::to_string(i));
    return locfixture::LocBytes(texts);
}

fs::path Loc(const std::string& folder, const std::string& file) {
    return fs::path("Texts") / folder / (file + ".loc");
}
fs::path Desc(const std::string& file) { return fs::path("Descriptions") / (file + ".desc"); }
fs::path BackupLoc(const std::string& folder, const std::string& file) {
    return fs::path("Texts Backup") / folder / (file + ".loc");
}
fs::path BackupDesc(const std::string& file) { return fs::path("Texts Backup") / "Descriptions" / (file + ".desc"); }

// Writes the three listed files of a language with the given counts.
void MakeLanguage(const std::string& folder, int menu = 10, int game = 20, int keyboard = 16) {
    const int counts[] = {menu, game, keyboard};
    for (int j = 0; j < 3; ++j) WriteFile(Loc(folder, kFiles[j]), LocBytes(counts[j], folder + " " + kFiles[j]));
}

void MakeDescriptions() {
    for (const char* file : kFiles) WriteFile(Desc(file), std::string("desc of ") + file);
}

class ProjectTest : public ScratchFolder {
  protected:
    void SetUp() override {
        ScratchFolder::SetUp();
        g_project.folders.clear();
        ClearFolders();
    }
    void TearDown() override {
        g_project.folders.clear();
        ClearFolders();
        ScratchFolder::TearDown();
    }
};

TEST_F(ProjectTest, TwoEqualLanguagesScanVerifyAndBackUpWithProgressInNineSteps) {
    MakeLanguage("English");
    MakeLanguage("German");
    MakeDescriptions();
    WriteFile(Loc("English", "tutorial01"), LocBytes(3, "tutorial"));  // not in the file list
    fs::create_directories("Texts/.svn");
    WriteFile("Texts/.hidden", "x");

    ASSERT_TRUE(ScanLanguageFolders().ok);
    EXPECT_EQ(g_project.folders, (std::vector<std::string>{"English", "German"}));
    ASSERT_EQ(FolderCount(), 2);  // mirrored into the store for the folder list
    EXPECT_EQ(FolderName(0), "English");
    EXPECT_EQ(FolderName(1), "German");

    EXPECT_TRUE(VerifyLanguageFiles().ok);

    std::vector<float> progress;
    const std::vector<BackupFailure> failures = BackupTexts([&](float p) { progress.push_back(p); });
    EXPECT_TRUE(failures.empty());
    EXPECT_TRUE(BackupFailureMessage(failures).ok);
    ASSERT_EQ(progress.size(), 9u);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_EQ(progress.back(), 1.0f);

    for (const std::string folder : {"English", "German"})
        for (const char* file : kFiles) {
            ASSERT_TRUE(fs::exists(BackupLoc(folder, file))) << folder << " " << file;
            EXPECT_EQ(ReadFile(BackupLoc(folder, file)), ReadFile(Loc(folder, file)));
        }
    for (const char* file : kFiles) EXPECT_EQ(ReadFile(BackupDesc(file)), ReadFile(Desc(file)));
    EXPECT_FALSE(fs::exists(BackupLoc("English", "tutorial01")));
    size_t copies = 0;
    for (const auto& e : fs::recursive_directory_iterator("Texts Backup")) copies += e.is_regular_file();
    EXPECT_EQ(copies, 9u);  // no temporary files left behind
}

// Each row: a sorts before b. Plain byte order gets every row but the one of names
// equal but for case the other way round, so a script whose letters are not
// upper-cased fails its row; folding to lower case fails the '_' row.
TEST(FolderNameLess, IgnoresCaseAsNtfsDoesThenFallsBackToBytes) {
    const std::pair<std::string, std::string> rows[] = {
        {"english", "French"},
        {"Zulu", "_old"},                      // upper-cased, '_' comes after the letters
        {"English", "english"},                // equal but for case: byte order
        {"äa", "ÄB"},                          // Latin-1
        {"Ÿa", "ÿB"},                          // Latin-1's ÿ goes to Latin Extended-A
        {"ša", "ŠB"},                          // Latin Extended-A, capital at the even code
        {"ła", "ŁB"},                          // ... and at the odd code
        {"αβ", "ΑΓ"},                          // Greek
        {"ας", "ΑΣΑ"},                         // the final sigma is a sigma
        {"έα", "ΈΒ"},                          // accented Greek capitals lie below the alphabet
        {"русский", "Словенский"},             // Cyrillic
        {"ёж", "ЁЗ"},                          // Cyrillic letters before the basic alphabet
        {"\xE9\x61", "\xC9\x42"},              // "éa" and "ÉB" in Latin-1, not UTF-8
        {"\xF0\x9F\x98\x80", "\xEF\xBC\xA1"},  // U+1F600 as UTF-16 sorts before U+FF21
    };
    for (const auto& [a, b] : rows) {
        EXPECT_TRUE(FolderNameLess(a, b)) << a << " < " << b;
        EXPECT_FALSE(FolderNameLess(b, a)) << b << " < " << a;
        EXPECT_FALSE(FolderNameLess(a, a)) << a;
    }
}

TEST_F(ProjectTest, ScanListsFoldersByNameWhateverTheDirectoryOrder) {
    const std::vector<std::string> byName = {"Deutsch", "english", "Español",  "Français",
                                             "Zulu",    "_old",    "Ελληνικά", "Русский"};
    for (const std::string& name : byName) fs::create_directories(PlatFsPath(HostPath("Texts\\" + name)));
    ASSERT_TRUE(ScanLanguageFolders().ok);
    EXPECT_EQ(g_project.folders, byName);
}

TEST_F(ProjectTest, NoFolderMessageForEmptyOrMissingTexts) {
    ProjectMessage m = ScanLanguageFolders();  // no Texts at all
    EXPECT_FALSE(m.ok);
    EXPECT_EQ(m.text, "No Folders found in /.../Texts/");
    EXPECT_EQ(m.title, "Smeg! Smeg! SMEG! :)");

    fs::create_directories("Texts/.git");  // only dot names
    m = ScanLanguageFolders();
    EXPECT_FALSE(m.ok);
    EXPECT_EQ(m.text, "No Folders found in /.../Texts/");
    EXPECT_EQ(LanguageFolderCount(), 0);
    EXPECT_EQ(FolderCount(), 0);
}

// The first problem found is named: a missing file before an earlier count mismatch, and
// counts against the first folder; a stray plain file in Texts is taken for a folder.
TEST_F(ProjectTest, VerificationNamesTheFileTheFolderAndTheCounts) {
    enum Damage { MissingGame, MenuCountDiffers, BothMissingKeyboardLast, StrayFile };
    for (Damage damage : {MissingGame, MenuCountDiffers, BothMissingKeyboardLast, StrayFile}) {
        SCOPED_TRACE(int(damage));
        fs::remove_all("Texts");
        fs::create_directories("Texts/English");
        if (damage != StrayFile) fs::create_directories("Texts/German");
        if (damage == StrayFile) WriteFile("Texts/notes.txt", "remember to translate the credits");
        ASSERT_TRUE(ScanLanguageFolders().ok);
        ASSERT_EQ(LanguageFolderCount(), 2);
        const std::string other = LanguageFolder(1);
        MakeLanguage("English", 10);
        if (damage != StrayFile) MakeLanguage(other, damage == MissingGame ? 10 : 12);
        if (damage == MissingGame) fs::remove(Loc("German", "game"));
        if (damage == BothMissingKeyboardLast) fs::remove(Loc(other, "keyboard"));
        const ProjectMessage m = VerifyLanguageFiles();
        EXPECT_FALSE(m.ok);
        EXPECT_EQ(m.title, "Smeg!");
        const std::string expected[] = {
            "File 'game.loc' is missing in folder 'German'.",
            "A bogus file found: 'menu.loc' in folder '" + other + "', having 12 items where first has 10",
            "File 'keyboard.loc' is missing in folder '" + other + "'.",
            "File 'menu.loc' is missing in folder 'notes.txt'.",
        };
        EXPECT_EQ(m.text, expected[damage]);
    }
}

// Files too short for a count, or with a negative one, would fail to load later;
// they must not pass just because every language is damaged alike.
TEST_F(ProjectTest, DamagedCountsAreReportedEvenWhenAllFoldersAgree) {
    MakeLanguage("English");
    ASSERT_TRUE(ScanLanguageFolders().ok);

    WriteFile(Loc("English", "game"), "");
    ProjectMessage m = VerifyLanguageFiles();
    EXPECT_FALSE(m.ok);
    EXPECT_EQ(m.text,
              "File 'game.loc' in folder 'English' is damaged: it is 0 byte(s) long, too short to hold its "
              "item count.");
    EXPECT_EQ(m.title, "Smeg!");

    WriteFile(Loc("English", "game"), "\x05");
    EXPECT_NE(VerifyLanguageFiles().text.find("is damaged: it is 1 byte(s) long"), std::string::npos);

    WriteFile(Loc("English", "game"), Int16(-3));
    EXPECT_EQ(VerifyLanguageFiles().text,
              "File 'game.loc' in folder 'English' is damaged: its item count is negative (-3).");

    fs::remove(Loc("English", "game"));
    fs::create_directories(Loc("English", "game"));  // a folder where the file should be
    m = VerifyLanguageFiles();
    EXPECT_FALSE(m.ok);
    EXPECT_NE(m.text.find("'game.loc' in folder 'English'"), std::string::npos) << m.text;
}

TEST_F(ProjectTest, MoreThan512FoldersAreScannedVerifiedAndBackedUp) {
    constexpr int kFolders = 600;
    for (int f = 0; f < kFolders; ++f) MakeLanguage("Lang" + std::to_string(f), 2, 3, 1);
    MakeDescriptions();
    ASSERT_TRUE(ScanLanguageFolders().ok);
    ASSERT_EQ(LanguageFolderCount(), kFolders);
    EXPECT_TRUE(VerifyLanguageFiles().ok);

    // A mismatch in the very last folder is still found.
    const std::string last = LanguageFolder(kFolders - 1);
    MakeLanguage(last, 2, 3, 7);
    EXPECT_EQ(VerifyLanguageFiles().text,
              "A bogus file found: 'keyboard.loc' in folder '" + last + "', having 7 items where first has 1");
    MakeLanguage(last, 2, 3, 1);

    float lastProgress = 0;
    EXPECT_TRUE(BackupTexts([&](float p) { lastProgress = p; }).empty());
    EXPECT_EQ(lastProgress, 1.0f);
    EXPECT_EQ(ReadFile(BackupLoc(last, "keyboard")), ReadFile(Loc(last, "keyboard")));
}

TEST_F(ProjectTest, BackupReportsWhatItCannotCopyAndCopiesTheRestWhole) {
    MakeLanguage("English");
    MakeLanguage("German");
    MakeDescriptions();
    // Bigger than any fixed copy buffer: must arrive whole.
    std::string big(10'500'000, '\0');
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 + i / 251);
    WriteFile(Desc("keyboard"), big);
    // An older backup is replaced; one whose source vanished or cannot be read is kept.
    WriteFile(BackupLoc("English", "menu"), "old backup");
    WriteFile(BackupDesc("game"), "old game backup");
    ASSERT_TRUE(ScanLanguageFolders().ok);
    ASSERT_TRUE(VerifyLanguageFiles().ok);
    fs::remove(Desc("game"));
    fs::remove(Loc("German", "menu"));
    fs::create_directories(Loc("German", "menu"));  // opens, but cannot be read
    WriteFile(BackupLoc("German", "menu"), "old German backup");

    std::vector<float> progress;
    const std::vector<BackupFailure> failures = BackupTexts([&](float p) { progress.push_back(p); });
    ASSERT_EQ(failures.size(), 2u);
    EXPECT_EQ(failures[0].path, HostPath("Texts\\German\\menu.loc"));
    EXPECT_EQ(failures[1].path, HostPath("Descriptions\\game.desc"));
    EXPECT_FALSE(failures[0].reason.empty());
    ASSERT_EQ(progress.size(), 9u);  // the bar still runs to the end
    EXPECT_EQ(progress.back(), 1.0f);

    EXPECT_EQ(ReadFile(BackupLoc("English", "menu")), ReadFile(Loc("English", "menu")));
    EXPECT_EQ(ReadFile(BackupLoc("German", "game")), ReadFile(Loc("German", "game")));
    EXPECT_EQ(ReadFile(BackupDesc("keyboard")), big);
    EXPECT_EQ(ReadFile(BackupDesc("game")), "old game backup");
    EXPECT_EQ(ReadFile(BackupLoc("German", "menu")), "old German backup");

    const ProjectMessage m = BackupFailureMessage(failures);
    EXPECT_FALSE(m.ok);
    EXPECT_NE(m.text.find(failures[0].path + ": "), std::string::npos) << m.text;
    EXPECT_NE(m.text.find(failures[1].path + ": "), std::string::npos) << m.text;
}

// Texts checked out read-only (as some version control systems do) must not
// give read-only backups that the next start could not write over.
TEST_F(ProjectTest, BackupOfReadOnlySourcesStaysWritable) {
    MakeLanguage("English");
    MakeDescriptions();
    fs::permissions(Loc("English", "menu"), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    ASSERT_TRUE(ScanLanguageFolders().ok);
    ASSERT_TRUE(BackupTexts(nullptr).empty());
    EXPECT_NE(fs::status(BackupLoc("English", "menu")).permissions() & fs::perms::owner_write, fs::perms::none);
    EXPECT_TRUE(BackupTexts(nullptr).empty());
    fs::permissions(Loc("English", "menu"), fs::perms::owner_write, fs::perm_options::add);
}

TEST_F(ProjectTest, BackupIntoAnUnwritablePlaceFailsPerFileWithoutThrowing) {
    MakeLanguage("English");
    MakeDescriptions();
    WriteFile("Texts Backup", "a plain file where the backup folder belongs");
    ASSERT_TRUE(ScanLanguageFolders().ok);
    std::vector<BackupFailure> failures;
    EXPECT_NO_THROW(failures = BackupTexts(nullptr));
    EXPECT_EQ(failures.size(), 6u);
    EXPECT_EQ(ReadFile("Texts Backup"), "a plain file where the backup folder belongs");
}

}  // namespace
