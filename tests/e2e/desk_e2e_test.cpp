// The translator's desk end to end: the real program opened with a .loc file, the
// reference shown, the navigation and search keys and Ctrl+S through real key presses,
// checked in the window title, on screen and in the files on disk.
#include <string>
#include <vector>

#include "e2e_support.h"

using namespace e2e;

namespace {

constexpr int kRowX = 100, kFirstRowY = 124;
constexpr int kTextX = 600, kTextY = 500, kExitX = 35, kButtonsY = 577;

// Pixels of the Desc label drawn in the reference heading's blue.
int BluePixelsInDesc(Editor& ed) {
    const std::string pixels = ed.X("import -window " + ed.window + " -crop 480x285+312+12 txt:- 2>/dev/null");
    int blue = 0;
    for (size_t at = pixels.find("srgb("); at != std::string::npos; at = pixels.find("srgb(", at + 1)) {
        int r = 0, g = 0, b = 0;
        if (std::sscanf(pixels.c_str() + at, "srgb(%d,%d,%d)", &r, &g, &b) == 3 && b > 120 && r < 60 && g < 60) ++blue;
    }
    return blue;
}

int ConfigItem(const fs::path& dir) {
    const std::vector<uint8_t> cfg = ReadBytes(dir / "zazovi.cfg");
    return cfg.size() == 12 ? static_cast<int32_t>(cfg[8] | (cfg[9] << 8) | (cfg[10] << 16) | (cfg[11] << 24)) : -2;
}

}  // namespace

TEST(DeskEndToEnd, OpenedWithALocFileShowsTheReferenceAndCtrlDownFindsTheUntranslated) {
    Editor ed("desk_nav");
    const fs::path german = ed.dir / "Texts" / "German" / "menu.loc";
    const std::vector<std::string> de = LocTexts(german), en = LocTexts(ed.dir / "Texts" / "English" / "menu.loc");
    ASSERT_EQ(de.size(), en.size());
    int translated = 0, firstUntranslated = -1;
    for (size_t i = 0; i < de.size(); ++i) {
        const bool untranslated = de[i].empty() || de[i] == en[i];
        translated += !untranslated;
        if (untranslated && i > 0 && firstUntranslated < 0) firstUntranslated = static_cast<int>(i);
    }
    ASSERT_GT(firstUntranslated, 0) << "the sample's German menu has an untranslated item";
    ed.args = {german.string()};
    ASSERT_TRUE(ed.Start());
    const std::string title = ed.X("xdotool getwindowname " + ed.window);
    EXPECT_NE(title.find("German\\menu.loc \u2013 " + std::to_string(translated) + "/" + std::to_string(de.size()) +
                         " translated"),
              std::string::npos)
        << title;
    EXPECT_EQ(BluePixelsInDesc(ed), 0);  // no item, no reference
    ed.Click(kRowX, kFirstRowY);
    EXPECT_GT(BluePixelsInDesc(ed), 20);  // the heading and rule of the English text
    ed.Key("ctrl+Down");
    ed.Click(kExitX, kButtonsY);
    ASSERT_EQ(ed.WaitExit(), 0);
    EXPECT_EQ(ConfigItem(ed.dir), firstUntranslated);
}

TEST(DeskEndToEnd, SearchJumpUndoThenCtrlSSavesAndClearsTheMarker) {
    Editor ed("desk_find");
    const fs::path german = ed.dir / "Texts" / "German" / "menu.loc";
    const std::vector<std::string> before = LocTexts(german);
    int target = -1;
    for (size_t i = 0; i < before.size() && target < 0; ++i)
        if (before[i].find("speichern") != std::string::npos) target = static_cast<int>(i);
    ASSERT_GT(target, 0);
    ed.args = {german.string()};
    ASSERT_TRUE(ed.Start());
    ed.Click(kRowX, kFirstRowY);
    ed.Key("ctrl+f");
    ed.Type("SPEICHERN");
    ed.Key("Return");
    ed.Key("Escape");  // closes the find dialog, not the editor
    ASSERT_FALSE(ed.Exited());
    ed.Click(kTextX, kTextY);
    ed.Key("ctrl+a");
    ed.Type("Sichern Quatsch");
    ed.Key("ctrl+z");  // takes back the last word only: "Sichern " stays
    EXPECT_EQ(ed.X("xdotool getwindowname " + ed.window).rfind('*', 0), 0u);
    ed.Key("ctrl+s");
    ExpectOnlyItemChanged(german, before, static_cast<size_t>(target), "Sichern ");
    EXPECT_NE(ed.X("xdotool getwindowname " + ed.window).rfind('*', 0), 0u);
    ed.Click(kExitX, kButtonsY);
    ASSERT_EQ(ed.WaitExit(), 0);
    EXPECT_EQ(ConfigItem(ed.dir), target);
}
