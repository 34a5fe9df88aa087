// review_feature_test.cpp - review states on the real main screen (test backend): the
// keys and what an edit does to a state, a changed source shown with its diff and taken
// back, the state file written with the loaded file (all or none when killed), and a
// damaged state file said once and left alone.
#include "editor/review/review_feature.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "editor/desk.h"
#include "editor/text_store.h"
#include "engine/engine.h"
#include "support/editor_screen.h"

namespace fs = std::filesystem;
using namespace editorscreen;
using review::ReviewState;

namespace {

// English (the source) and German menu files: German 0, 1, 2 and 5 translated, 3 empty,
// 4 still the English bytes.
class Review : public DeskScreen {
  protected:
    void SetUp() override {
        DeskScreen::SetUp();
        WriteEnglishGerman({"New game", "Continue", "Quit", "Options", "Audio", "%d lives"},
                           {"Neues Spiel", "Weiter", "Beenden", "", "Audio", "%d Leben"});
    }
    fs::path StateFile() const { return dir_ / "Translation state" / "German.tsv"; }
    void WriteStateFile(const std::string& bytes) const {
        fs::create_directories(StateFile().parent_path());
        std::ofstream(StateFile(), std::ios::binary) << bytes;
    }
    static std::string Title() { return g_desk.title; }
    static void Click(Control* c) {
        ASSERT_NE(c, nullptr);
        float x = 0, y = 0;
        c->ScreenPos(&x, &y);
        TestAdvanceTicks(1000);
        TestMouseButton(WM_LBUTTONDOWN, int(x + 5), int(y + 5));
        TestMouseButton(WM_LBUTTONUP, int(x + 5), int(y + 5));
        PumpMessages();
    }
    static const void* Icon(int i) { return g_editor.items->items[static_cast<size_t>(i)].icon; }
};

TEST_F(Review, KeysAndEditsMoveTheStatesAndTheFileIsWrittenWithTheTexts) {
    Build();
    // Translations made before states were kept are recorded on load, without a "*".
    EXPECT_EQ(ReviewStateOf(0), ReviewState::Translated);
    EXPECT_EQ(ReviewStateOf(3), ReviewState::Untranslated);
    EXPECT_NE(Title()[0], '*') << Title();

    g_editor.items->SelectItem(0);
    Key('U', true);
    EXPECT_EQ(ReviewStateOf(0), ReviewState::NeedsReview);
    EXPECT_EQ(Icon(0), RowMarkPicture(RowMark::NeedsReview));
    EXPECT_NE(Title().find("translated, 1 to review"), std::string::npos) << Title();
    EXPECT_EQ(Title()[0], '*');

    g_editor.items->SelectItem(1);
    Key('U', true, true);
    EXPECT_EQ(ReviewStateOf(1), ReviewState::Approved);
    EXPECT_EQ(Icon(1), RowMarkPicture(RowMark::Approved));
    // An untranslated text cannot be approved, and its row stays untranslated.
    g_editor.items->SelectItem(3);
    Key('U', true, true);
    EXPECT_EQ(ReviewStateOf(3), ReviewState::Untranslated);
    // Another reference shown (F2) changes no state.
    Key(VK_F2);
    EXPECT_EQ(ReviewStateOf(1), ReviewState::Approved);
    EXPECT_EQ(ReviewStateOf(0), ReviewState::NeedsReview);

    // Editing an approved text takes the approval back; needs review stays until cleared.
    g_editor.items->SelectItem(1);
    SetControlProperty("Text", "Text", "Fortsetzen");
    g_editor.items->SelectItem(0);
    EXPECT_EQ(ReviewStateOf(1), ReviewState::Translated);
    SetControlProperty("Text", "Text", "Neues Spiel!");
    g_editor.items->SelectItem(2);
    EXPECT_EQ(ReviewStateOf(0), ReviewState::NeedsReview);
    // Alt+Down finds it from anywhere; Ctrl+U there clears it.
    Key(VK_DOWN, false, false, true);
    EXPECT_EQ(g_editor.items->current, 0);
    Key('U', true);
    EXPECT_EQ(ReviewStateOf(0), ReviewState::Translated);
    Key(VK_DOWN, false, false, true);
    EXPECT_EQ(g_editor.items->current, 0);  // nothing left to review: it stays
    ASSERT_TRUE(SetComment(2, "Too long for the button?\nAsk the UI team."));

    ASSERT_TRUE(Compile());
    EXPECT_EQ(Bytes(StateFile()),
              "zazovi translation state 1\tEnglish\n"
              "menu\t0\ttranslated\tNew game\t\n"
              "menu\t1\ttranslated\tContinue\t\n"
              "menu\t2\ttranslated\tQuit\tToo long for the button?\\nAsk the UI team.\n"
              "menu\t5\ttranslated\t%d lives\t\n");
    EXPECT_NE(Title()[0], '*') << Title();
}

TEST_F(Review, CtrlMEditsTheCommentAndEscapeLeavesItAsItWas) {
    Build();
    g_editor.items->SelectItem(2);
    Key('M', true);
    ASSERT_NE(FindControl("ReviewCommentText"), nullptr);
    EXPECT_EQ(g_engine.escapeQuits, 0);  // Escape is the dialog's while it is open
    SetControlProperty("ReviewCommentText", "Text", "Too long?");
    Key(VK_ESCAPE);
    EXPECT_EQ(FindControl("ReviewCommentText"), nullptr);
    EXPECT_EQ(g_engine.escapeQuits, 1);
    EXPECT_EQ(Prop("DeskReference").find("Too long?"), std::string::npos);
    Key('M', true);
    SetControlProperty("ReviewCommentText", "Text", "Too long?");
    Click(FindControl("ReviewCommentOk"));
    EXPECT_EQ(FindControl("ReviewCommentText"), nullptr);
    EXPECT_NE(Prop("DeskReference").find("Comment<color default>\nToo long?"), std::string::npos)
        << Prop("DeskReference");
    EXPECT_EQ(Title()[0], '*');
}

TEST_F(Review, AChangedSourceShowsItsWordDiffUntilTakenBack) {
    WriteStateFile("zazovi translation state 1\tEnglish\nmenu\t0\ttranslated\tNew game now\t\n");
    Build();
    EXPECT_TRUE(SourceChangedAt(0));
    EXPECT_EQ(Icon(0), RowMarkPicture(RowMark::ReferenceChanged));
    EXPECT_NE(Title().find("1 to review"), std::string::npos) << Title();
    g_editor.items->SelectItem(0);
    const std::string panel = Prop("DeskReference");
    EXPECT_NE(panel.find("English changed since translated"), std::string::npos) << panel;
    EXPECT_NE(panel.find("<color 190,0,0> now<color default>"), std::string::npos) << panel;  // removed
    // Ctrl+U takes the new source as seen: the translation stands.
    Key('U', true);
    EXPECT_FALSE(SourceChangedAt(0));
    EXPECT_EQ(ReviewStateOf(0), ReviewState::Translated);
    EXPECT_EQ(Icon(0), RowMarkPicture(RowMark::Translated));
}

TEST_F(Review, ADamagedStateFileIsSaidOnceAndLeftAsItIs) {
    const std::string damaged = "zazovi translation state 1\tEnglish\nmenu\tzero\ttranslated\t\t\n";
    WriteStateFile(damaged);
    Build();
    ASSERT_EQ(g_boxes.texts.size(), 1u);
    EXPECT_NE(g_boxes.texts[0].find("line 2"), std::string::npos) << g_boxes.texts[0];
    g_editor.items->SelectItem(0);
    Key('U', true);
    EXPECT_EQ(ReviewStateOf(0), ReviewState::Untranslated);
    SetControlProperty("Text", "Text", "Spiel");
    g_editor.items->SelectItem(1);
    ASSERT_TRUE(Compile());
    EXPECT_EQ(Bytes(StateFile()), damaged);
    EXPECT_EQ(g_boxes.texts.size(), 1u);
}

// Killed in the middle of the write of both files, the next start has both old or both
// new, never a state file that belongs to other texts.
TEST_F(Review, KilledWhileSavingTheTextsAndStatesGoTogether) {
    bool sawOld = false, sawNew = false;
    // The death test's child runs the test anew in a folder of its own: it is told ours
    // (and, running this line too, keeps what it was told).
    setenv("QK_REVIEW_KILL_DIR", dir_.string().c_str(), 0);
    for (int step = 1; step <= 4; ++step) {
        EXPECT_EXIT(
            {
                fs::current_path(std::getenv("QK_REVIEW_KILL_DIR"));
                Build();
                g_editor.items->SelectItem(0);
                SetControlProperty("Text", "Text", "Neues Spiel!");
                g_editor.items->SelectItem(1);
                setenv("QK_TEST_STOP_AFTER", std::to_string(step).c_str(), 1);
                Compile();
                std::_Exit(0);
            },
            ::testing::ExitedWithCode(99), "")
            << step;
        Build();

        const bool textsNew = ItemText(0) == "Neues Spiel!";
        (textsNew ? sawNew : sawOld) = true;
        const std::string states = Bytes(StateFile());
        EXPECT_EQ(states.empty(), !textsNew) << step << ": " << states;
        FeaturesShutdown();
        TearDownScreen();
        fs::remove_all(dir_ / "Translation state");
        WriteLoc(dir_ / "Texts" / "German" / "menu.loc", {"Neues Spiel", "Weiter", "Beenden", "", "Audio", "%d Leben"});
    }
    unsetenv("QK_REVIEW_KILL_DIR");
    EXPECT_TRUE(sawOld && sawNew);  // killed both before and after the point of no return
}

}  // namespace
