// loctool_test.cpp - loctool's text form and binary formats through their functions,
// the program itself for a round trip and a check, and the packed sample project.
#include <sstream>
#include <string>
#include <vector>

#include "editor/project.h"
#include "editor/text_store.h"
#include "tests/support/loctool_run.h"
#include "tools/loctool/loc_text.h"

namespace fs = std::filesystem;
using loctext::Item;
using namespace loctoolrun;

namespace {

Item MakeItem(std::string name, std::string desc, std::string text) {
    Item item;
    item.name = std::move(name);
    item.desc = std::move(desc);
    item.text = std::move(text);
    item.hasName = item.hasDesc = item.hasText = true;
    return item;
}

// Texts that an escaping scheme easily gets wrong.
std::vector<Item> TrickyItems() {
    std::string everyByte;
    for (int b = 1; b < 256; ++b) everyByte += static_cast<char>(b);
    std::string zeroes("a\0b\0", 4);
    return {
        MakeItem("AllBytes", "every byte value 1-255", everyByte),
        MakeItem("Crlf", "Windows line breaks", "first\r\nsecond\r\n"),
        MakeItem("", "", ""),
        MakeItem("Colour", "tags", "<color 255 0 0>Red<color default> and <color 255 200 0>gold<color default>"),
        MakeItem("Utf8", "Grüße", "Grüße — Привет, €5, 🎮 and 日本"),
        MakeItem("Broken", "not UTF-8", "\xC0\x80 \xED\xA0\x80 \xE2\x82 \xF5\x80\x80\x80 \xFF"),
        MakeItem("Spaces", "  leading and trailing  ", "  \tpadded\t  \n  "),
        MakeItem("Escapes", "\"quoted\" \\x41", "\\n is not a line break\\, \"\" and \\\\"),
        MakeItem("Nul", "", zeroes),
        MakeItem("LoneCr", "", "a\rb\r"),
        MakeItem("Long", "longest record", std::string(loctext::kMaxLength, 'x')),
    };
}

using locfixture::ReadFile;
using locfixture::WriteFile;

TEST(LoctoolText, MalformedSourcesAreRefusedWithFileLineAndReason) {
    const struct {
        const char* source;
        const char* message;
    } cases[] = {
        {"item 0\ntext \"open\n", "s.txt:2: the closing quote is missing"},
        {"item 0\ntext \"a\\q\"\n", "s.txt:2: unknown escape \\q"},
        {"item 0\ntext \"\\x4\"\n", "s.txt:2: \\x must be followed by two hex digits"},
        {"item 0\nitem 2\n", "s.txt:2: 'item 2' where 'item 1' is expected"},
        {"text \"a\"\n", "s.txt:1: 'text' before the first 'item' line"},
        {"item 0\ntext \"a\"\ntext \"b\"\n", "s.txt:3: item 0 has a second text"},
        {"item 0\ntxt \"a\"\n", "s.txt:2: 'txt' is not one of item, name, desc, text"},
        {"item 0\n\n\"lost\"\n", "s.txt:3: a quoted line continues nothing"},
        {"item 0\ntext \"a\" b\n", "s.txt:2: unexpected characters after the closing quote"},
        {"item 0\ntext \"Gr\xFC\xDF\x65\"\n", "s.txt:2: a byte that is not UTF-8"},
        {"item 0\ntext a\n", "s.txt:2: a quoted value"},
    };
    for (const auto& c : cases) {
        std::vector<Item> items;
        const loctext::Result r = loctext::ParseText(c.source, "s.txt", items);
        EXPECT_FALSE(r.ok) << c.source;
        EXPECT_EQ(r.message.rfind(c.message, 0), 0u) << r.message;
    }

    std::vector<Item> items;
    ASSERT_TRUE(loctext::ParseText("item 0\nname \"A\"\ndesc \"B\"\nitem 1\nname \"C\"\n", "s.txt", items).ok);
    EXPECT_EQ(loctext::RequireFields(items, "s.txt", true, false).message, "s.txt: item 0 has no text line");
    EXPECT_EQ(loctext::RequireFields(items, "s.txt", false, true).message, "s.txt: item 1 has no desc line");
}

TEST(LoctoolBinary, DamagedFilesAreRefusedNamingFileAndReason) {
    std::vector<Item> items;
    EXPECT_EQ(loctext::ParseLoc(std::string("\x01", 1), "a.loc", items).message,
              "a.loc is cut short: it holds 1 of the 2 bytes of the item count");
    EXPECT_EQ(loctext::ParseLoc(std::string("\xFF\xFF", 2), "a.loc", items).message,
              "a.loc is damaged: its item count is negative (-1)");
    EXPECT_EQ(loctext::ParseLoc(std::string("\x01\x00\x05\x00", 4) + "abc", "a.loc", items).message,
              "a.loc is cut short: the text of item 0 needs 5 bytes from byte 4 but the file ends at byte 7");
    EXPECT_EQ(loctext::ParseLoc(std::string("\x01\x00\x00\x80", 4), "a.loc", items).message,
              "a.loc is damaged: the text of item 0 has the negative length -32768 (at byte 2)");
    EXPECT_EQ(loctext::ParseLoc(std::string("\x00\x00zz", 4), "a.loc", items)
                  .message.rfind("a.loc has 2 byte(s) after the last of its 0 items", 0),
              0u);

    // A .desc belonging to a file with another count: too short or too long.
    std::string desc;
    ASSERT_TRUE(loctext::EncodeDesc({MakeItem("A", "a", ""), MakeItem("B", "b", "")}, "d", desc).ok);
    items.assign(3, Item{});
    EXPECT_FALSE(loctext::ParseDesc(desc, "m.desc", false, items).ok);
    items.assign(1, Item{});
    EXPECT_EQ(loctext::ParseDesc(desc, "m.desc", false, items).message.rfind("m.desc has 6 byte(s) after", 0), 0u);
    EXPECT_TRUE(loctext::ParseDesc(desc, "m.desc", true, items).ok);
    EXPECT_EQ(items.size(), 2u);

    std::string out;
    EXPECT_FALSE(loctext::EncodeLoc({MakeItem("", "", std::string(loctext::kMaxLength + 1, 'x'))}, "a.loc", out).ok);
}

// ---- through the program ----------------------------------------------------------

using LoctoolProgram = LoctoolTest;

// The dump is plain UTF-8 text (no raw control bytes but line ends) that packs back to
// the same bytes, saved with Windows line ends too.
TEST_F(LoctoolProgram, DumpThenPackRebuildsTheFilesByteForByte) {
    std::string loc, desc;
    ASSERT_TRUE(loctext::EncodeLoc(TrickyItems(), "t.loc", loc).ok);
    ASSERT_TRUE(loctext::EncodeDesc(TrickyItems(), "t.desc", desc).ok);
    WriteFile(dir_ / "t.loc", loc);
    WriteFile(dir_ / "t.desc", desc);

    const Outcome dump = Loctool("dump " + Q(dir_ / "t.loc") + " " + Q(dir_ / "t.desc"));
    ASSERT_EQ(dump.code, 0) << dump.err;
    const std::string& text = dump.out;
    for (size_t i = 0; i < text.size();) {
        const size_t n = loctext::Utf8Length(text, i);
        ASSERT_NE(n, 0u) << "byte " << i;
        ASSERT_TRUE(static_cast<unsigned char>(text[i]) >= 0x20 || text[i] == '\n') << "byte " << i;
        i += n;
    }
    std::string crlf;
    for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    for (const std::string& source : {text, crlf}) {
        WriteFile(dir_ / "t.txt", source);
        const Outcome pack = Loctool("pack " + Q(dir_ / "t.txt") + " " + Q(dir_ / "u.loc") + " " + Q(dir_ / "u.desc"));
        ASSERT_EQ(pack.code, 0) << pack.err;
        EXPECT_EQ(ReadFile(dir_ / "u.loc"), loc);
        EXPECT_EQ(ReadFile(dir_ / "u.desc"), desc);
    }

    const Outcome missing = Loctool("dump " + Q(dir_ / "none.loc"));
    EXPECT_EQ(missing.code, 1);
    EXPECT_NE(missing.err.find("none.loc"), std::string::npos) << missing.err;
    EXPECT_EQ(Loctool("pack").code, 2);
}

TEST_F(LoctoolProgram, CheckSaysOkOrTheEditorsMessage) {
    const fs::path project = dir_ / "project";
    for (const std::string lang : {"English", "German"})
        for (const char* file : {"menu", "game", "keyboard"})
            WriteFile(project / "Texts" / lang / (std::string(file) + ".loc"), std::string("\x00\x00", 2));
    Outcome r = Loctool("check " + Q(project));
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "OK\n");

    fs::remove(project / "Texts" / "German" / "keyboard.loc");
    r = Loctool("check " + Q(project));
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "File 'keyboard.loc' is missing in folder 'German'.\n");
}

TEST_F(LoctoolProgram, CheckWithAFontNamesPerLanguageTheCharactersTheFontLacks) {
    const fs::path project = dir_ / "project";
    const std::string font = QK_BINARY_DIR "/zazovi_font.dsf";
    // Japanese uses an ideograph from outside the basic plane (𠀋) and an emoji (🎮);
    // Korean a character the font has; English nothing unusual.
    auto writeProject = [&](const std::string& japaneseMenu) {
        const std::pair<std::string, std::string> texts[] = {
            {"English", "New Game"}, {"Japanese", japaneseMenu}, {"Korean", "새 게임"}};
        for (const auto& [lang, menu] : texts)
            for (const char* file : {"menu", "game", "keyboard"}) {
                const std::string text = std::string(file) == "menu" ? menu : "<color 255,0,0>OK\n";
                WriteFile(project / "Texts" / lang / (std::string(file) + ".loc"), locfixture::LocBytes({text}));
            }
    };
    writeProject("ニューゲーム\xF0\xA0\x80\x8B\xF0\x9F\x8E\xAE。");
    Outcome r = Loctool("check --font " + Q(font) + " " + Q(project));
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out,
              "Folder 'Japanese': 2 characters the font lacks: U+1F3AE \xF0\x9F\x8E\xAE U+2000B "
              "\xF0\xA0\x80\x8B\n");

    writeProject("ニューゲーム。");
    r = Loctool("check --font " + Q(font) + " " + Q(project));
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(r.out, "OK\n");

    // Every sample translation is covered, Arabic and Thai included.
    const fs::path sample = QK_BINARY_DIR "/sample";
    r = Loctool("check --font " + Q(sample.string() + "/../zazovi_font.dsf") + " " + Q(sample));
    EXPECT_EQ(r.out, "OK\n");
    EXPECT_EQ(r.code, 0);

    // Arabic is checked in the joined forms it is drawn with: against a font with only
    // the base letters, "سلام" followed by a joiner lacks the seen's initial form, the
    // lam-alef ligature and the meem's initial form (the joiner makes it join), none of
    // its base letters, and the invisible joiner needs nothing. Hangul is checked letter
    // by letter as before.
    const Outcome made = Shell(QK_BINARY_DIR "/tools/dsfmake/dsfmake " + Q(dir_ / "base.dsf") +
                                   " 12 /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf:0x20-0x7E,0x600-0x6FF",
                               dir_);
    ASSERT_EQ(made.code, 0) << made.err;
    writeProject("\xD8\xB3\xD9\x84\xD8\xA7\xD9\x85\xE2\x80\x8D");  // سلام + ZWJ
    r = Loctool("check --font " + Q(dir_ / "base.dsf") + " " + Q(project));
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out,
              "Folder 'Japanese': 3 characters the font lacks: U+FEB3 \xEF\xBA\xB3 U+FEE3 \xEF\xBB\xA3 U+FEFC "
              "\xEF\xBB\xBC\nFolder 'Korean': 3 characters the font lacks: U+AC8C \xEA\xB2\x8C U+C0C8 "
              "\xEC\x83\x88 U+C784 \xEC\x9E\x84\n");

    r = Loctool("check --font " + Q(dir_ / "none.dsf") + " " + Q(project));
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("none.dsf"), std::string::npos) << r.err;
    WriteFile(dir_ / "text.dsf", "not a font");
    r = Loctool("check --font " + Q(dir_ / "text.dsf") + " " + Q(project));
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("is not a .dsf font"), std::string::npos) << r.err;
}

// The sample the build packs must be a project the editor opens: it passes the
// start-up check, and every file loads with its names and descriptions.
TEST(SampleProject, PackedSamplePassesTheCheckAndEveryFileLoads) {
    const fs::path sample = QK_BINARY_DIR "/sample";
    ASSERT_TRUE(fs::exists(sample / "Texts")) << sample << " is missing: build the sample_project target";
    const fs::path oldDir = fs::current_path();
    fs::current_path(sample);

    ProjectMessage m = ScanLanguageFolders();
    EXPECT_TRUE(m.ok) << m.text;
    if (m.ok) m = VerifyLanguageFiles();
    EXPECT_TRUE(m.ok) << m.text;
    EXPECT_GT(LanguageFolderCount(), 1);
    for (int f = 0; f < LanguageFolderCount(); ++f)
        for (int j = 0; j < FileCount(); ++j) {
            const std::string key = LanguageFolder(f) + "\\" + FileName(j);
            StoreResult r = ReadTexts(key);
            if (r.ok) r = ReadDescriptions();
            EXPECT_TRUE(r.ok) << key << ": " << r.message;
            ASSERT_GT(ItemCount(), 0) << key;
            EXPECT_FALSE(ItemName(0).empty()) << key;
            EXPECT_FALSE(ItemText(ItemCount() - 1).empty()) << key;
        }
    ResetStore();
    ClearFolders();
    g_project.folders.clear();
    fs::current_path(oldDir);
}

}  // namespace
