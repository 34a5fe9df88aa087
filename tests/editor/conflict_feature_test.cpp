// conflict_feature_test.cpp - merge conflicts on the real main screen (test backend): the
// rows' picture and the panel, Ctrl+T and Ctrl+K, the conflict file shrinking with each
// save and removed with the last conflict; a damaged conflict file, and a review state
// file that git left conflict markers in, said and left alone.
#include "editor/conflict/conflict_feature.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "editor/text_store.h"
#include "engine/engine.h"
#include "support/editor_screen.h"

namespace fs = std::filesystem;
using namespace editorscreen;

namespace {

const std::vector<std::string> kGerman = {"Neues Spiel", "Laden", "Beenden", "Ton an\r\naus", "Optionen"};

class Conflicts : public ScreenTest {
  protected:
    void SetUp() override {
        ScreenTest::SetUp();
        const std::vector<std::string> english = {"New game", "Load", "Quit", "Sound on\r\noff", "Options"};
        for (const char* file : {"menu", "game", "keyboard"}) {
            WriteLoc(dir_ / "Texts" / "English" / (std::string(file) + ".loc"), english);
            WriteLoc(dir_ / "Texts" / "German" / (std::string(file) + ".loc"), kGerman);
            WriteDesc(dir_ / "Descriptions" / (std::string(file) + ".desc"), 5);
        }
        // Start on German menu.
        std::ofstream(dir_ / "zazovi.cfg", std::ios::binary) << std::string("\x01\0\0\0\0\0\0\0\xFF\xFF\xFF\xFF", 12);
    }
    void TearDown() override {
        FeaturesShutdown();
        ScreenTest::TearDown();
    }
    static void CtrlKey(uint8_t vk) {
        TestKeyDown(VK_CONTROL, 0x1D);
        TestKeyDown(vk, 0, false);
        TestKeyUp(vk, 0, false);
        TestKeyUp(VK_CONTROL, 0x1D);
        PumpMessages();
    }
    fs::path ConflictFile() const { return dir_ / "Translation state" / "conflicts" / "German" / "menu.tsv"; }
    void Write(const fs::path& path, const std::string& bytes) const {
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static const void* Icon(int i) { return g_editor.items->items[static_cast<size_t>(i)].icon; }
};

TEST_F(Conflicts, ShownOnTheRowsAndInThePanelTakenOrKeptAndTheFileGoesWithTheLast) {
    const conflict::ItemConflict second = {"menu", 3, "Sound\r\n", "Ton an\r\naus", "Klang\r\nan/aus"};
    Write(ConflictFile(), conflict::WriteConflictFile({{"menu", 1, "Load", "Laden", "Spielstand laden"}, second}));
    Build();
    EXPECT_EQ(ConflictCount(), 2);
    EXPECT_EQ(Icon(1), RowMarkPicture(RowMark::Conflict));
    EXPECT_EQ(Icon(3), RowMarkPicture(RowMark::Conflict));
    EXPECT_NE(Icon(2), RowMarkPicture(RowMark::Conflict));

    g_editor.items->SelectItem(1);
    const std::string panelText = Prop("DeskReference");
    const size_t theirs = panelText.find("Theirs<color default>\nSpielstand laden"),
                 base = panelText.find("Base<color default>\nLoad");
    EXPECT_NE(theirs, std::string::npos) << panelText;
    EXPECT_NE(base, std::string::npos) << panelText;
    EXPECT_GT(panelText.find("Theirs"), panelText.find("Load")) << "under the reference: " << panelText;

    CtrlKey('T');
    EXPECT_EQ(ItemText(1), "Spielstand laden");
    EXPECT_EQ(Prop("Text"), "Spielstand laden");
    EXPECT_EQ(ConflictOf(1), nullptr);
    EXPECT_NE(Icon(1), RowMarkPicture(RowMark::Conflict));
    EXPECT_EQ(Prop("DeskReference").find("Theirs"), std::string::npos);
    ASSERT_TRUE(Compile());
    EXPECT_EQ(Bytes(ConflictFile()), conflict::WriteConflictFile({second}));

    // Theirs with its carriage return, byte for byte, though the box shows none.
    g_editor.items->SelectItem(3);
    CtrlKey('T');
    EXPECT_EQ(ItemText(3), "Klang\r\nan/aus");
    ASSERT_TRUE(Compile());
    EXPECT_FALSE(fs::exists(ConflictFile()));
    EXPECT_FALSE(fs::exists(dir_ / "Translation state" / "conflicts"));
    std::vector<std::string> expected = kGerman;
    expected[1] = "Spielstand laden";
    expected[3] = "Klang\r\nan/aus";
    EXPECT_EQ(Bytes(dir_ / "Texts" / "German" / "menu.loc"), locfixture::LocBytes(expected));
}

TEST_F(Conflicts, CtrlKKeepsOursAndAnItemWithoutConflictTakesNothing) {
    Write(ConflictFile(), conflict::WriteConflictFile({{"menu", 1, "Load", "Laden", "Spielstand laden"}}));
    Build();
    g_editor.items->SelectItem(0);
    CtrlKey('T');
    EXPECT_EQ(ItemText(0), "Neues Spiel");
    EXPECT_EQ(ConflictCount(), 1);
    g_editor.items->SelectItem(1);
    SetControlProperty("Text", "Text", "Spielstand holen");  // the translator's own settling
    CtrlKey('K');
    EXPECT_EQ(ConflictCount(), 0);
    ASSERT_TRUE(Compile());
    EXPECT_EQ(ItemText(1), "Spielstand holen");
    EXPECT_FALSE(fs::exists(ConflictFile()));
}

TEST_F(Conflicts, ADamagedConflictFileOrStateFileWithGitMarkersIsSaidAndLeftAsItIs) {
    const std::string damaged = "zazovi merge conflicts 1\nmenu\t1\tLoad\tLaden\n";
    Write(ConflictFile(), damaged);
    const std::string marked =
        "zazovi translation state 1\tEnglish\n<<<<<<< HEAD\nmenu\t1\ttranslated\tLoad\t\n"
        "=======\nmenu\t1\tapproved\tLoad\t\n>>>>>>> theirs\n";
    Write(dir_ / "Translation state" / "German.tsv", marked);
    Build();
    ASSERT_EQ(g_boxes.texts.size(), 2u);
    std::string said = g_boxes.texts[0] + "\n" + g_boxes.texts[1];
    EXPECT_NE(said.find("line 2: 4 fields where a conflict line has 5"), std::string::npos) << said;
    EXPECT_NE(said.find("line 2: a git merge conflict is left in the file"), std::string::npos) << said;
    EXPECT_EQ(ConflictCount(), 0);
    g_editor.items->SelectItem(1);
    SetControlProperty("Text", "Text", "Spiel");
    g_editor.items->SelectItem(0);
    ASSERT_TRUE(Compile());
    EXPECT_EQ(Bytes(ConflictFile()), damaged);
    EXPECT_EQ(Bytes(dir_ / "Translation state" / "German.tsv"), marked);
}

}  // namespace
