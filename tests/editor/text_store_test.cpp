// text_store_test.cpp - the text store against real .loc / .desc files in a
// fresh temporary folder that is the working directory while a test runs.
#include "editor/text_store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"
#if !defined(_WIN32)
#include "tests/support/file_size_limit.h"
#endif
#include "tests/support/loc_files.h"
#include "tests/support/scratch_folder.h"

namespace fs = std::filesystem;

namespace {

using locfixture::DescBytes;
using locfixture::Int16;
using locfixture::LocBytes;
using locfixture::ReadFile;
using locfixture::Record;
using locfixture::WriteFile;

const fs::path kGermanMenu = fs::path("Texts") / "German" / "menu.loc";
const fs::path kGermanMenuTmp = fs::path("Texts") / "German" / "menu.loc.tmp";
const fs::path kMenuDesc = fs::path("Descriptions") / "menu.desc";

// Every test runs in its own empty folder, made the working directory because the store
// uses paths relative to it; the store starts empty.
class TextStoreTest : public ScratchFolder {
  protected:
    void SetUp() override {
        ScratchFolder::SetUp();
        ResetStore();
        ClearFolders();
    }
    void TearDown() override {
        ResetStore();
        ClearFolders();
        ScratchFolder::TearDown();
    }

    // Writes a German\menu file pair with the given texts and matching names.
    static void MakeGermanMenu(const std::vector<std::string>& texts) {
        std::vector<std::pair<std::string, std::string>> descs;
        for (size_t i = 0; i < texts.size(); ++i)
            descs.emplace_back("Name" + std::to_string(i), "Desc" + std::to_string(i));
        WriteFile(kGermanMenu, LocBytes(texts));
        WriteFile(kMenuDesc, DescBytes(descs));
    }

    // Loads German\menu completely, failing the test if either read fails.
    static void LoadGermanMenu() {
        StoreResult r = ReadTexts("German\\menu");
        ASSERT_TRUE(r.ok) << r.message;
        r = ReadDescriptions();
        ASSERT_TRUE(r.ok) << r.message;
    }

    static void ExpectEmptyStore() {
        EXPECT_EQ(ItemCount(), 0);
        EXPECT_EQ(CurrentKey(), "");
        EXPECT_TRUE(g_store.texts.empty());
        EXPECT_TRUE(g_store.names.empty());
        EXPECT_TRUE(g_store.descriptions.empty());
    }
};

const std::vector<std::string> kSampleTexts = {
    "Start game",
    "",
    "Line one\nLine two\r\nLine three",
    "<color 255 0 0>Warning<color default> text",
    "Gr\xC3\xBC\xC3\x9F"
    "e, \xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 \xE2\x82\xAC \xE2\x80\x94",
    std::string(300, 'x'),
    std::string("ab\0cd", 5),  // NUL bytes are text like any other
    std::string("x\0", 2),
    std::string("\0", 1),
};

}  // namespace

// --- round trip: a file read and written back is identical -----------------

using TextStoreRoundTrip = TextStoreTest;

TEST_F(TextStoreRoundTrip, ReadThenSaveIsByteIdentical) {
    MakeGermanMenu(kSampleTexts);
    const std::string before = ReadFile(kGermanMenu);
    LoadGermanMenu();
    ASSERT_EQ(ItemCount(), static_cast<int>(kSampleTexts.size()));
    for (int i = 0; i < ItemCount(); ++i) EXPECT_EQ(ItemText(i), kSampleTexts[i]) << "item " << i;

    const StoreResult r = SaveCurrentFile();
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_TRUE(r.message.empty());
    EXPECT_EQ(ReadFile(kGermanMenu), before);
    EXPECT_FALSE(fs::exists(kGermanMenuTmp));
}

TEST_F(TextStoreRoundTrip, CountZeroReadsEmptyAndWritesTwoZeroBytes) {
    WriteFile(kGermanMenu, std::string("\0\0", 2));
    WriteFile(kMenuDesc, "");
    LoadGermanMenu();
    EXPECT_EQ(ItemCount(), 0);
    ASSERT_TRUE(SaveCurrentFile().ok);
    EXPECT_EQ(ReadFile(kGermanMenu), std::string("\0\0", 2));
}

TEST_F(TextStoreRoundTrip, ChangesByOtherProgramsAreSeenAndOwnSavesAreNot) {
    MakeGermanMenu({"a", "b"});
    LoadGermanMenu();
    EXPECT_FALSE(LoadedFileChangedOnDisk());
    SetItemText(0, "mine");
    ASSERT_TRUE(SaveCurrentFile().ok);
    EXPECT_FALSE(LoadedFileChangedOnDisk());
    // Same size, other bytes: only the content tells.
    const auto time = fs::last_write_time(kGermanMenu);
    WriteFile(kGermanMenu, LocBytes({"your", "b"}));
    fs::last_write_time(kGermanMenu, time);
    EXPECT_TRUE(LoadedFileChangedOnDisk());
    // Gone: saving overwrites nobody's work.
    fs::remove(kGermanMenu);
    EXPECT_FALSE(LoadedFileChangedOnDisk());
}

TEST_F(TextStoreRoundTrip, TrailingBytesAfterLastRecordAreIgnored) {
    WriteFile(kGermanMenu, LocBytes({"one", "two"}) + "junk");
    WriteFile(kMenuDesc, DescBytes({{"n0", "d0"}, {"n1", "d1"}}) + "more junk");
    LoadGermanMenu();
    EXPECT_EQ(ItemCount(), 2);
    EXPECT_EQ(ItemText(1), "two");
    EXPECT_EQ(ItemDescription(1), "d1");
    ASSERT_TRUE(SaveCurrentFile().ok);
    EXPECT_EQ(ReadFile(kGermanMenu), LocBytes({"one", "two"}));
}

// --- paths and keys ---------------------------------------------------------

using TextStorePaths = TextStoreTest;

TEST_F(TextStorePaths, KeyReadsItsLanguagesLocAndTheSharedDescAndSaveWritesOnlyThatLoc) {
    WriteFile(fs::path("Texts") / "German" / "menu.loc", LocBytes({"Spiel starten"}));
    WriteFile(fs::path("Texts") / "English" / "menu.loc", LocBytes({"Start game"}));
    WriteFile(fs::path("Descriptions") / "menu.desc", DescBytes({{"START", "Main menu button"}}));
    WriteFile(fs::path("Descriptions") / "game.desc", DescBytes({{"WRONG", "wrong file"}}));

    ASSERT_TRUE(ReadTexts("German\\menu").ok);
    EXPECT_EQ(CurrentKey(), "German\\menu");
    ASSERT_TRUE(ReadDescriptions().ok);
    EXPECT_EQ(ItemText(0), "Spiel starten");
    EXPECT_EQ(ItemName(0), "START");
    EXPECT_EQ(ItemDescription(0), "Main menu button");
    SetItemText(0, "neu");
    ASSERT_TRUE(SaveCurrentFile().ok);
    EXPECT_EQ(ReadFile(fs::path("Texts") / "German" / "menu.loc"), LocBytes({"neu"}));
    EXPECT_EQ(ReadFile(fs::path("Texts") / "English" / "menu.loc"), LocBytes({"Start game"}));
}

// --- bad files: the read fails as a whole, says why, and leaves nothing ------

using TextStoreBadFiles = TextStoreTest;

TEST_F(TextStoreBadFiles, MissingLocFailsAndNamesTheFile) {
    const StoreResult r = ReadTexts("German\\menu");
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.message.find(HostPath("Texts\\German\\menu.loc")), std::string::npos) << r.message;
    ExpectEmptyStore();
}

TEST_F(TextStoreBadFiles, DamagedLocFailsWholeAndSaysWhere) {
    struct Case {
        std::string bytes;
        std::vector<std::string> said;  // words the message must hold
    };
    // One damage in the count, one in the records: the store's failure is the same for
    // every damage, whose exact messages the format's own checks pin (loctool_test.cpp).
    const Case cases[] = {
        {"\x05", {"menu.loc"}},                                  // shorter than the count
        {Int16(3) + Record("one") + Record("two"), {"item 2"}},  // fewer records
    };
    for (const Case& c : cases) {
        WriteFile(kGermanMenu, c.bytes);
        const StoreResult r = ReadTexts("German\\menu");
        EXPECT_FALSE(r.ok);
        for (const std::string& word : c.said) EXPECT_NE(r.message.find(word), std::string::npos) << r.message;
        ExpectEmptyStore();
    }
}

TEST_F(TextStoreBadFiles, FailedReadAfterGoodLoadLeavesNothingToSave) {
    MakeGermanMenu({"good"});
    LoadGermanMenu();
    const fs::path badGame = fs::path("Texts") / "German" / "game.loc";
    WriteFile(badGame, Int16(2) + Record("x"));
    EXPECT_FALSE(ReadTexts("German\\game").ok);
    ExpectEmptyStore();

    const StoreResult r = SaveCurrentFile();
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(ReadFile(kGermanMenu), LocBytes({"good"}));
    EXPECT_EQ(ReadFile(badGame), Int16(2) + Record("x"));
}

TEST_F(TextStoreBadFiles, MissingDescFailsAndUnloadsTheTexts) {
    WriteFile(kGermanMenu, LocBytes({"a"}));
    ASSERT_TRUE(ReadTexts("German\\menu").ok);
    const StoreResult r = ReadDescriptions();
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.message.find(HostPath("Descriptions\\menu.desc")), std::string::npos) << r.message;
    ExpectEmptyStore();
    EXPECT_TRUE(SaveCurrentFile().ok);
    EXPECT_EQ(ReadFile(kGermanMenu), LocBytes({"a"}));
}

TEST_F(TextStoreBadFiles, DamagedDescFailsAndUnloadsTheTexts) {
    struct Case {
        std::vector<std::string> texts;
        std::string desc;
        std::string said;
    };
    const Case cases[] = {
        {{"a", "b", "c"}, DescBytes({{"n0", "d0"}, {"n1", "d1"}}), "name of item 2"},  // fewer items
        {{"a"}, Record("n0"), "description of item 0"},                                // last one missing
        {{"a"}, Int16(-2) + Record("d0"), "negative"},                                 // negative length
    };
    for (const Case& c : cases) {
        WriteFile(kGermanMenu, LocBytes(c.texts));
        WriteFile(kMenuDesc, c.desc);
        ASSERT_TRUE(ReadTexts("German\\menu").ok);
        const StoreResult r = ReadDescriptions();
        EXPECT_FALSE(r.ok);
        EXPECT_NE(r.message.find(c.said), std::string::npos) << r.message;
        ExpectEmptyStore();
    }
}

// --- counts above the old 4000-item capacity ----------------------------------

using TextStoreLargeFiles = TextStoreTest;

TEST_F(TextStoreLargeFiles, TheLargestCountOf32767IsReadAndWrittenWhole) {
    std::vector<std::string> texts;
    for (int i = 0; i < 32767; ++i) texts.push_back("text " + std::to_string(i));
    MakeGermanMenu(texts);
    const std::string before = ReadFile(kGermanMenu);
    LoadGermanMenu();
    ASSERT_EQ(ItemCount(), 32767);
    EXPECT_EQ(ItemText(32766), "text 32766");
    EXPECT_EQ(ItemName(32766), "Name32766");
    EXPECT_EQ(ItemDescription(32766), "Desc32766");
    ASSERT_TRUE(SaveCurrentFile().ok);
    EXPECT_EQ(ReadFile(kGermanMenu), before);
}

// --- saving -----------------------------------------------------------------

using TextStoreSave = TextStoreTest;

// Nothing in the language folder but the .loc and the files a test put there itself.
bool NoTemporaryIn(const fs::path& folder) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec))
        if (PlatParseTemporaryName(entry.path().filename().string(), nullptr, nullptr)) return false;
    return true;
}

// Saves that cannot be made fail naming the reason, keep the edited items for another
// try, and leave the old file as it was and no temporary file of ours behind.
TEST_F(TextStoreSave, FailedSavesKeepTheOldFileAndTheItems) {
    struct Case {
        const char* what;
        void (*block)();
        const char* said;  // what the message holds
        bool oldFileLeft;  // else the block took its place
    };
    const Case cases[] = {
        {"read-only file",
         [] {
             fs::permissions(kGermanMenu, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                             fs::perm_options::remove);
         },
         "read-only", true},
        // The language folder replaced by a plain file: nothing can be created in it.
        {"folder gone",
         [] {
             fs::remove_all(fs::path("Texts") / "German");
             WriteFile(fs::path("Texts") / "German", "not a folder");
         },
         "", false},
        // A non-empty folder in place of the target cannot be renamed over.
        {"target is a folder",
         [] {
             fs::remove(kGermanMenu);
             fs::create_directories(kGermanMenu / "blocker");
         },
         "menu.loc", false},
#if !defined(_WIN32)
        {"disk full", [] {}, "menu.loc", true},
#endif
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MakeGermanMenu({"old"});
        LoadGermanMenu();
        SetItemText(0, std::string(5000, 'n'));  // more than a write buffer
        c.block();
#if !defined(_WIN32)
        std::optional<FileSizeLimit> full;
        if (std::string(c.what) == "disk full") full.emplace(1000);  // the new file is over 5000 bytes
#endif
        const StoreResult r = SaveCurrentFile();
#if !defined(_WIN32)
        full.reset();
#endif
        EXPECT_FALSE(r.ok);
        EXPECT_FALSE(r.message.empty());
        EXPECT_NE(r.message.find(c.said), std::string::npos) << r.message;
        EXPECT_EQ(ItemText(0), std::string(5000, 'n'));
        EXPECT_EQ(CurrentKey(), "German\\menu");
        if (c.oldFileLeft) {
            EXPECT_EQ(ReadFile(kGermanMenu), LocBytes({"old"}));
        }
        EXPECT_TRUE(NoTemporaryIn(kGermanMenu.parent_path()));
        if (fs::is_regular_file(kGermanMenu))
            fs::permissions(kGermanMenu, fs::perms::owner_write, fs::perm_options::add);
        fs::remove_all("Texts");
    }
}

TEST_F(TextStoreSave, PermissionsOfTheOldFileAreKept) {
    MakeGermanMenu({"old"});
    const auto perms = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read |
                       fs::perms::others_write;
    fs::permissions(kGermanMenu, perms, fs::perm_options::replace);
    LoadGermanMenu();
    SetItemText(0, "new");
    ASSERT_TRUE(SaveCurrentFile().ok);
    EXPECT_EQ(ReadFile(kGermanMenu), LocBytes({"new"}));
    EXPECT_EQ(fs::status(kGermanMenu).permissions() & fs::perms::all, perms);
}

TEST_F(TextStoreSave, TextLongerThan32767BytesIsRefused) {
    MakeGermanMenu({"a", "b", "c"});
    const std::string before = ReadFile(kGermanMenu);
    LoadGermanMenu();
    SetItemText(2, std::string(32768, 'x'));

    const StoreResult r = SaveCurrentFile();
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.message.find("item 2"), std::string::npos) << r.message;
    EXPECT_NE(r.message.find("32768"), std::string::npos) << r.message;
    EXPECT_EQ(ReadFile(kGermanMenu), before);
    EXPECT_FALSE(fs::exists(kGermanMenuTmp));
    EXPECT_EQ(ItemText(2).size(), 32768u);
}

// The temporary file is made under a fresh name of its own and never through a link: a
// link planted where older versions put it takes none of the bytes, and the .loc stays a file.
TEST_F(TextStoreSave, ALinkPlantedForTheTemporaryFileIsNeverWrittenThrough) {
    MakeGermanMenu({"old"});
    WriteFile("victim", "the victim's bytes");
    std::error_code ec;
    fs::create_symlink(fs::absolute("victim"), kGermanMenuTmp, ec);
    if (ec) GTEST_SKIP() << "no symbolic links here: " << ec.message();
    LoadGermanMenu();
    SetItemText(0, "new");
    ASSERT_TRUE(SaveCurrentFile().ok);
    EXPECT_EQ(ReadFile("victim"), "the victim's bytes");
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(kGermanMenu)));
    EXPECT_EQ(ReadFile(kGermanMenu), LocBytes({"new"}));
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(kGermanMenuTmp)));  // not ours: left alone
    EXPECT_TRUE(NoTemporaryIn(kGermanMenu.parent_path()));
}
