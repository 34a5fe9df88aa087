// memory_feature_test.cpp - translation memory in the editor (test backend): suggestions
// from the language's other items and a TMX file, Ctrl+1 putting one in with the item's
// own tags as one undo step, the glossary's terms and the consistency warnings beside
// the item, which do not make a problem of it.
#include "editor/memory/memory_feature.h"

#include <gtest/gtest.h>

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

namespace {

class Memory : public DeskScreen {
  protected:
    void SetUp() override {
        DeskScreen::SetUp();
        const std::vector<std::string> english = {"Press <color 255,200,0>Space<color default> to jump",
                                                  "Press <color 0,255,0>Space<color default> to jump",
                                                  "Healing Potion",
                                                  "Drink the Healing Potion now",
                                                  "Coin",
                                                  "Coin"};
        const std::vector<std::string> german = {"Drücke <color 255,200,0>Leertaste<color default> zum Springen",
                                                 "",
                                                 "Heiltrank",
                                                 "Trink jetzt den Gesundheitstrank",
                                                 "Münze",
                                                 "Geldstück"};
        for (const char* file : {"menu", "game", "keyboard"}) {
            const bool menu = std::string(file) == "menu";
            WriteLoc(dir_ / "Texts" / "English" / (std::string(file) + ".loc"),
                     menu ? english : std::vector<std::string>{"Quit"});
            WriteLoc(dir_ / "Texts" / "German" / (std::string(file) + ".loc"),
                     menu ? german : std::vector<std::string>{"Beenden"});
            WriteDesc(dir_ / "Descriptions" / (std::string(file) + ".desc"), menu ? 6 : 1);
        }
        fs::create_directories(dir_ / "Translation memory");
        std::ofstream(dir_ / "Translation memory" / "studio.tmx")
            << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tmx version=\"1.4\"><header srclang=\"en-US\"/><body>\n"
               "<tu><tuv xml:lang=\"en-US\"><seg>Drink the Healing Potion</seg></tuv>"
               "<tuv xml:lang=\"de-DE\"><seg>Trink den Heiltrank</seg></tuv></tu>\n</body></tmx>\n";
        std::ofstream(dir_ / "zazovi-project.ini") << "[languages]\nGerman = de-DE\nEnglish = en-US\n";
        std::ofstream(dir_ / "Glossary.csv") << "English,German\nHealing Potion,Heiltrank|Heiltränke\n";
        StartOnGermanMenu();
    }
};

TEST_F(Memory, SuggestionsComeFromTheLanguageAndTmxAndCtrl1PutsOneInWithTheItemsTags) {
    Build();
    // Item 1 differs from item 0 in a colour only: 100 %, and its own colour goes in.
    const std::vector<ShownSuggestion> s1 = SuggestionsFor(1);
    ASSERT_FALSE(s1.empty());
    EXPECT_EQ(s1[0].score, 100);
    EXPECT_EQ(s1[0].origin, "menu:0:Name0");
    g_editor.items->SelectItem(1);
    SetFocusTo("Text");
    Key('1', true);
    EXPECT_EQ(Prop("Text"), "Drücke <color 0,255,0>Leertaste<color default> zum Springen");
    Key('Z', true);  // one undo step
    EXPECT_EQ(Prop("Text"), "");

    // Item 3 is found in the TMX through [languages], once the TMX index, built on another
    // thread, is handed over; until then the project's items are suggested alone.
    for (const ShownSuggestion& s : SuggestionsFor(3)) EXPECT_NE(s.origin, "studio.tmx");
    FinishBackgroundWork();
    // The panel shows it with the glossary term of its source.
    const std::vector<ShownSuggestion> s3 = SuggestionsFor(3);
    ASSERT_FALSE(s3.empty());
    EXPECT_EQ(s3[0].origin, "studio.tmx");
    EXPECT_EQ(s3[0].translation, "Trink den Heiltrank");
    g_editor.items->SelectItem(3);
    const std::string panel = Prop("DeskReference");
    EXPECT_NE(panel.find("Glossary"), std::string::npos) << panel;
    EXPECT_NE(panel.find("Heiltrank | Heiltränke"), std::string::npos) << panel;
    // Its text has another word for the term: a glossary problem, with the problem picture.
    EXPECT_NE(panel.find("Glossary: "), std::string::npos) << panel;
    EXPECT_EQ(g_editor.items->items[3].icon, RowMarkPicture(RowMark::Problem));
    EXPECT_EQ(g_editor.items->items[2].icon, RowMarkPicture(RowMark::Translated));
    EXPECT_NE(g_desk.title.find(", 1 problem"), std::string::npos) << g_desk.title;  // counted in the title

    // "Coin" is translated two ways: a warning on both items, not a problem picture.
    g_editor.items->SelectItem(4);
    EXPECT_NE(Prop("DeskReference").find("Warning: "), std::string::npos) << Prop("DeskReference");
    EXPECT_EQ(g_editor.items->items[4].icon, RowMarkPicture(RowMark::Translated));
}

TEST(MemoryAdapt, TagsAndPlaceholdersFollowTheSourceOnlyWhenTheyCorrespond) {
    EXPECT_EQ(AdaptSuggestion("Nimm %d <color 1,2,3>Gold<color default>", "Take %d <color 1,2,3>gold<color default>",
                              "Take %s <color 9,9,9>gold<color default>"),
              "Nimm %s <color 9,9,9>Gold<color default>");
    // Two tags against one: no correspondence, the suggestion goes in as it is.
    EXPECT_EQ(AdaptSuggestion("<color 1,2,3>A<color default>", "<color 1,2,3>A<color default>", "<color 4,5,6>A"),
              "<color 1,2,3>A<color default>");
}

}  // namespace
