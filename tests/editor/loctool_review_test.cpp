// loctool_review_test.cpp - the review states of Translation state/<language>.tsv through
// loctool as the program: export writes them into PO, XLIFF and CSV, import takes them
// back into the state file with the texts, stats counts them, qa --fail-on-review stops
// on them, and a damaged state file stops every command without a byte written.
#include <map>
#include <string>
#include <vector>

#include "tests/support/loctool_run.h"

using namespace loctoolrun;

namespace {

using locfixture::ReadFile;
using locfixture::WriteFile;

struct Item {
    const char* file;
    const char* name;
    std::string english, french;
};

// The states below cover every way an item goes out: approved, to review, translated
// from an English text that has changed since, untranslated with a comment, line breaks
// at the edges that differ from English (alone, to review, approved), no record at all.
const std::vector<Item>& Items() {
    static const std::vector<Item> items = {
        {"menu", "NewGame", "New Game", "Nouvelle partie"},
        {"menu", "Continue", "Continue", "Continuer"},
        {"menu", "Load", "Load Game", "Charger"},
        {"menu", "Quit", "Quit", "Quitter"},
        {"menu", "Options", "Options", ""},
        {"menu", "Credits", "Credits", "Crédits\n"},
        {"menu", "Save", "Save", "Sauver\n"},
        {"menu", "Help", "Help", "Aide\n"},
        {"menu", "Back", "Back", "Retour"},
        {"game", "Hello", "Hello", "Bonjour"},
        {"keyboard", "Escape", "Esc", "Échap"},
    };
    return items;
}

const char* const kStates =
    "zazovi translation state 1\tEnglish\n"
    "menu\t0\tapproved\tNew Game\tChecked by Anne\n"
    "menu\t1\tneeds-review\tContinue\tToo long?\\nAsk the UI team.\n"
    "menu\t2\ttranslated\tLoad a game\\nfrom disk\t\n"
    "menu\t4\tuntranslated\t\tWait for the new menu\n"
    "menu\t5\ttranslated\tCredits\t\n"
    "menu\t6\tneeds-review\tSave\t\n"
    "menu\t7\tapproved\tHelp\t\n"
    "menu\t8\ttranslated\tGo back\t\n";

const char* const kFormats[] = {"po", "xliff", "csv"};

class LoctoolReview : public LoctoolTest {
  protected:
    fs::path MakeProject(const std::string& name, const char* states = kStates) const {
        const fs::path project = dir_ / name;
        for (const char* file : {"menu", "game", "keyboard"}) {
            std::vector<std::pair<std::string, std::string>> descs;
            std::vector<std::string> english, french;
            for (const Item& item : Items())
                if (std::string(item.file) == file) {
                    descs.emplace_back(item.name, "");
                    english.push_back(item.english);
                    french.push_back(item.french);
                }
            WriteFile(project / "Descriptions" / (std::string(file) + ".desc"), locfixture::DescBytes(descs));
            WriteFile(project / "Texts" / "English" / (std::string(file) + ".loc"), locfixture::LocBytes(english));
            WriteFile(project / "Texts" / "French" / (std::string(file) + ".loc"), locfixture::LocBytes(french));
            WriteFile(project / "Texts" / "German" / (std::string(file) + ".loc"), locfixture::LocBytes(english));
        }
        if (states) WriteFile(StatePath(project), states);
        return project;
    }
    static fs::path StatePath(const fs::path& project) { return project / "Translation state" / "French.tsv"; }

    // Every file of the project, by its path inside it.
    static std::map<std::string, std::string> Files(const fs::path& project) {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(project))
            if (!entry.is_directory()) files[fs::relative(entry.path(), project).string()] = ReadFile(entry.path());
        return files;
    }

    fs::path Export(const fs::path& project, const char* format) const {
        const fs::path file = dir_ / (std::string("French.") + format);
        const Outcome r =
            Loctool(std::string("export --format ") + format + " " + Q(project) + " French -o " + Q(file));
        EXPECT_EQ(r.code, 0) << r.err;
        return file;
    }
};

std::string Replaced(std::string s, const std::vector<std::pair<std::string, std::string>>& edits) {
    for (const auto& [from, to] : edits) {
        const size_t at = s.find(from);
        EXPECT_NE(at, std::string::npos) << from << "\nin\n" << s;
        if (at != std::string::npos) s.replace(at, from.size(), to);
    }
    return s;
}

// Exported and imported back unchanged, in every format: the state file keeps every
// byte (edge-break entries stay translated, approvals stay) and nothing is written.
TEST_F(LoctoolReview, AnUnchangedRoundTripKeepsEveryStateInEachFormat) {
    for (const char* format : kFormats) {
        SCOPED_TRACE(format);
        const fs::path project = MakeProject(std::string("p_") + format);
        const auto before = Files(project);
        const Outcome r = Loctool("import " + Q(project) + " French " + Q(Export(project, format)));
        ASSERT_EQ(r.code, 0) << r.err;
        EXPECT_EQ(r.out, "French: 0 items changed (menu 0, game 0, keyboard 0)\n");
        EXPECT_EQ(Files(project), before);
    }
}

// The same edits made through each format's own marks: an approved text changed under
// its approval, a review done, a reference change accepted, a translation sent back to
// review, a comment rewritten, a text put back to the English one, a text changed under
// a changed reference that stays to review. Every format gives the same state file.
TEST_F(LoctoolReview, ImportedMarksAndCommentsGoIntoTheStateFileAndAChangedTextLosesItsApproval) {
    const std::map<std::string, std::vector<std::pair<std::string, std::string>>> edits = {
        {"po",
         {{"msgstr \"Nouvelle partie\"", "msgstr \"Nouveau jeu\""},
          {"#, fuzzy\nmsgctxt \"menu:1:Continue\"", "msgctxt \"menu:1:Continue\""},
          {"#, fuzzy\n#| msgctxt \"menu:2:Load\"\n#| msgid \"\"\n#| \"Load a game\\n\"\n#| \"from disk\"\n", ""},
          {"msgctxt \"menu:3:Quit\"", "#, fuzzy\nmsgctxt \"menu:3:Quit\""},
          {"# Wait for the new menu\n", "# Ready now\n#\n# really\n"},
          {"msgstr \"Crédits\\n\"", "msgstr \"Credits\""},
          {"msgstr \"Retour\"", "msgstr \"Revenir\""}}},
        {"xliff",
         {{">Nouvelle partie</target>", ">Nouveau jeu</target>"},
          {"state=\"needs-review-translation\">Continuer<", "state=\"translated\">Continuer<"},
          {"state=\"needs-review-translation\">Charger<", "state=\"translated\">Charger<"},
          {"state=\"translated\">Quitter<", "state=\"needs-review-l10n\">Quitter<"},
          {"<note from=\"translator\">Wait for the new menu</note>",
           "<note from=\"translator\">Ready now\n</note><note from=\"translator\">really</note>"},
          {">Crédits\n</target>", ">Credits</target>"},
          {"state=\"needs-review-translation\">Retour<", "state=\"needs-review-translation\">Revenir<"}}},
        {"csv",
         {{"\"Nouvelle partie\",\"approved\"", "\"Nouveau jeu\",\"approved\""},
          {"\"Continuer\",\"needs-review\"", "\"Continuer\",\"translated\""},
          {"\"Charger\",\"reference-changed\"", "\"Charger\",\"\""},
          {"\"Quitter\",\"translated\"", "\"Quitter\",\"needs-review\""},
          {"\"Wait for the new menu\"", "\"Ready now\n\nreally\""},
          {"\"Crédits\n\",\"translated\"", "\"Credits\",\"translated\""},
          {"\"Retour\",\"reference-changed\"", "\"Revenir\",\"reference-changed\""}}},
    };
    const std::string expected =
        "zazovi translation state 1\tEnglish\n"
        "menu\t0\ttranslated\tNew Game\tChecked by Anne\n"
        "menu\t1\ttranslated\tContinue\tToo long?\\nAsk the UI team.\n"
        "menu\t2\ttranslated\tLoad Game\t\n"
        "menu\t3\tneeds-review\tQuit\t\n"
        "menu\t4\tuntranslated\t\tReady now\\n\\nreally\n"
        "menu\t6\tneeds-review\tSave\t\n"
        "menu\t7\tapproved\tHelp\t\n"
        "menu\t8\tneeds-review\tBack\t\n";
    for (const char* format : kFormats) {
        SCOPED_TRACE(format);
        const fs::path project = MakeProject(std::string("p_") + format);
        const fs::path file = Export(project, format);
        WriteFile(file, Replaced(ReadFile(file), edits.at(format)));
        Outcome r = Loctool("import " + Q(project) + " French " + Q(file));
        ASSERT_EQ(r.code, 0) << r.err;
        EXPECT_EQ(r.out,
                  "French: 3 items changed (menu 3, game 0, keyboard 0)\n"
                  "French: review states of 7 items changed (Translation state/French.tsv)\n");
        EXPECT_EQ(ReadFile(StatePath(project)), expected);
        // The approval the file still claims for the changed text is not given back later.
        r = Loctool("import " + Q(project) + " French " + Q(file));
        EXPECT_EQ(r.out, "French: 0 items changed (menu 0, game 0, keyboard 0)\n") << r.err;
        EXPECT_EQ(ReadFile(StatePath(project)), expected);
    }
}

// The PO entries as gettext would write them: translator comments, one flag line,
// the previous msgid of a changed source (continued over lines), and msgfmt --check
// accepts the file.
TEST_F(LoctoolReview, PoEntriesCarryFlagsCommentsAndThePreviousSourceAndPassMsgfmtCheck) {
    const fs::path project = MakeProject("p");
    const fs::path po = Export(project, "po");
    const std::string bytes = ReadFile(po);
    for (const char* entry : {
             "\n# Checked by Anne\n#, zazovi-approved\nmsgctxt \"menu:0:NewGame\"\n",
             "\n# Too long?\n# Ask the UI team.\n#, fuzzy\nmsgctxt \"menu:1:Continue\"\n",
             "\n#, fuzzy\n#| msgctxt \"menu:2:Load\"\n#| msgid \"\"\n#| \"Load a game\\n\"\n#| \"from disk\"\n"
             "msgctxt \"menu:2:Load\"\nmsgid \"Load Game\"\nmsgstr \"Charger\"\n",
             "\nmsgctxt \"menu:3:Quit\"\n",
             "\n# Wait for the new menu\nmsgctxt \"menu:4:Options\"\nmsgid \"Options\"\nmsgstr \"\"\n",
             "\n#, fuzzy, zazovi-edge-breaks\nmsgctxt \"menu:5:Credits\"\n",
             "\n#, fuzzy\nmsgctxt \"menu:6:Save\"\n",
             "\n#, fuzzy, zazovi-approved, zazovi-edge-breaks\nmsgctxt \"menu:7:Help\"\n",
         })
        EXPECT_NE(bytes.find(entry), std::string::npos) << entry << "\nin\n" << bytes;
    ASSERT_EQ(Shell("msgfmt --version", dir_).code, 0) << "msgfmt (Debian's gettext) is needed";
    const Outcome r = Shell("msgfmt --check -o /dev/null " + Q(po), dir_);
    EXPECT_EQ(r.code, 0) << r.err;
    // Against another reference the recorded English would be no previous msgid.
    const Outcome german = Loctool("export --format po " + Q(project) + " French --source German");
    EXPECT_EQ(german.out.find("#| msgid"), std::string::npos);
    EXPECT_NE(german.out.find("\n#, fuzzy\nmsgctxt \"menu:2:Load\"\n"), std::string::npos) << german.out;
}

TEST_F(LoctoolReview, XliffAndCsvCarryStatesAndComments) {
    const fs::path project = MakeProject("p");
    const std::string xliff = ReadFile(Export(project, "xliff"));
    for (const char* unit :
         {"<target state=\"final\">Nouvelle partie</target>\n        <note from=\"translator\">Checked by Anne</note>",
          "<target state=\"needs-review-translation\">Continuer</target>\n        <note from=\"translator\">Too "
          "long?\nAsk the UI team.</note>",
          "<target state=\"needs-review-translation\">Charger</target>",
          "<target state=\"translated\">Quitter</target>",
          "<target state=\"needs-translation\"/>\n        <note from=\"translator\">Wait for the new menu</note>",
          "<target state=\"translated\">Crédits\n</target>", "<target state=\"final\">Aide\n</target>"})
        EXPECT_NE(xliff.find(unit), std::string::npos) << unit << "\nin\n" << xliff;

    // The columns before state and comment are as they always were.
    const std::string csv = ReadFile(Export(project, "csv"));
    for (const char* row :
         {"\"file\",\"index\",\"name\",\"description\",\"reference (English)\",\"text (French)\",\"state\","
          "\"comment\"\r\n",
          "\"menu\",\"0\",\"NewGame\",\"\",\"New Game\",\"Nouvelle partie\",\"approved\",\"Checked by Anne\"\r\n",
          "\"menu\",\"1\",\"Continue\",\"\",\"Continue\",\"Continuer\",\"needs-review\",\"Too long?\nAsk the UI "
          "team.\"\r\n",
          "\"menu\",\"2\",\"Load\",\"\",\"Load Game\",\"Charger\",\"reference-changed\",\"\"\r\n",
          "\"menu\",\"4\",\"Options\",\"\",\"Options\",\"\",\"untranslated\",\"Wait for the new menu\"\r\n",
          "\"keyboard\",\"0\",\"Escape\",\"\",\"Esc\",\"Échap\",\"translated\",\"\"\r\n"})
        EXPECT_NE(csv.find(row), std::string::npos) << row << "\nin\n" << csv;
}

// A CSV of the six columns from before states were exported: its texts come in, the
// states stay, and a changed approved text still loses its approval.
TEST_F(LoctoolReview, CsvWithoutStateColumnsLeavesStatesButDropsTheApprovalOfAChangedText) {
    const fs::path project = MakeProject("p");
    std::string csv = "file,index,name,description,reference (English),text (French)\r\n";
    std::map<std::string, int> index;
    for (const Item& item : Items()) {
        const std::string french = std::string(item.name) == "NewGame" ? "Nouveau jeu" : item.french;
        csv += std::string(item.file) + "," + std::to_string(index[item.file]++) + "," + item.name + ",," +
               item.english + ",\"" + french + "\"\r\n";
    }
    WriteFile(dir_ / "old.csv", csv);
    const Outcome r = Loctool("import " + Q(project) + " French " + Q(dir_ / "old.csv"));
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(ReadFile(StatePath(project)), Replaced(kStates, {{"menu\t0\tapproved\tNew Game\tChecked by Anne\n",
                                                                "menu\t0\ttranslated\tNew Game\tChecked by Anne\n"}}));
}

// A PO file exported before the edge-breaks flag said the same in a translator comment:
// its entries stay translated and the comment is no translator's.
TEST_F(LoctoolReview, PoFromBeforeTheEdgeBreaksFlagKeepsItsEntriesTranslated) {
    const fs::path project = MakeProject("p", nullptr);
    const fs::path po = Export(project, "po");
    std::string old = ReadFile(po);
    const std::string flag = "#, fuzzy, zazovi-edge-breaks\n";
    int entries = 0;
    for (size_t at; (at = old.find(flag)) != std::string::npos; ++entries)
        old.replace(at, flag.size(),
                    "# line breaks at the start or end differ from the reference on purpose\n#, fuzzy\n");
    ASSERT_EQ(entries, 3);
    WriteFile(po, old);
    const Outcome r = Loctool("import " + Q(project) + " French " + Q(po));
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "French: 0 items changed (menu 0, game 0, keyboard 0)\n");
    EXPECT_FALSE(fs::exists(StatePath(project)));
}

// Per file and language: needs-review 1 and 6, reference changed 2 and 8, approved 0 and 7,
// comments 0, 1 and 4; a language without a state file counts none.
TEST_F(LoctoolReview, StatsCountReviewStatesPerLanguageAndFile) {
    const fs::path project = MakeProject("p");
    Outcome r = Loctool("stats " + Q(project) + " --format json");
    ASSERT_EQ(r.code, 0) << r.err;
    for (const char* line :
         {"{\"language\": \"French\", \"items\": 11, \"translated\": 10, \"percent\": 90.9, \"needs_review\": 2, "
          "\"reference_changed\": 2, \"approved\": 2, \"commented\": 3,",
          "{\"file\": \"menu\", \"items\": 9, \"translated\": 8, \"percent\": 88.9, \"needs_review\": 2, "
          "\"reference_changed\": 2, \"approved\": 2, \"commented\": 3}",
          "{\"file\": \"game\", \"items\": 1, \"translated\": 1, \"percent\": 100.0, \"needs_review\": 0, "
          "\"reference_changed\": 0, \"approved\": 0, \"commented\": 0}",
          "{\"language\": \"German\", \"items\": 11, \"translated\": 0, \"percent\": 0.0, \"needs_review\": 0, "
          "\"reference_changed\": 0, \"approved\": 0, \"commented\": 0,"})
        EXPECT_NE(r.out.find(line), std::string::npos) << line << "\nin\n" << r.out;
    WriteFile(dir_ / "stats.json", r.out);
    EXPECT_EQ(
        Shell("python3 -c \"import json,sys; json.load(open(sys.argv[1]))\" " + Q(dir_ / "stats.json"), dir_).code, 0);

    r = Loctool("stats " + Q(project));
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("language  file        items  translated  percent  review  changed  approved  commented\n"
                         "English   menu            9           9   100.0%       0        0         0          0\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("French    (all)          11          10    90.9%       2        2         2          3\n"),
              std::string::npos)
        << r.out;
}

// Items to review stop qa only when asked: marked needs-review in one language, the
// English changed since the translation in another.
TEST_F(LoctoolReview, QaFailOnReviewFailsWhileAnyItemIsStillToReview) {
    const fs::path project = MakeProject("p", nullptr);
    // German holds the English texts; French's edge line breaks would be problems of their own.
    for (const char* file : {"menu", "game", "keyboard"})
        fs::copy_file(project / "Texts" / "German" / (std::string(file) + ".loc"),
                      project / "Texts" / "French" / (std::string(file) + ".loc"),
                      fs::copy_options::overwrite_existing);
    WriteFile(project / "Translation state" / "French.tsv",
              "zazovi translation state 1\tEnglish\ngame\t0\tneeds-review\tHello\t\n");
    WriteFile(project / "Translation state" / "German.tsv",
              "zazovi translation state 1\tEnglish\nkeyboard\t0\tapproved\tEscape\t\nmenu\t3\ttranslated\tQuit\t\n");
    Outcome r = Loctool("qa " + Q(project));
    EXPECT_EQ(r.code, 0) << r.out << r.err;
    EXPECT_EQ(r.out, "no problems\n");

    r = Loctool("qa " + Q(project) + " --fail-on-review");
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out,
              "French/game.loc:0:Hello: Still to review: marked needs-review\n"
              "German/keyboard.loc:0:Escape: Still to review: its reference text changed since it was translated\n"
              "2 problems in 2 items\n"
              "2 items are still to review (--fail-on-review)\n");
    r = Loctool("qa " + Q(project) + " --fail-on-review --format json");
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.out.find("\"to_review\": 2"), std::string::npos) << r.out;

    // Reviewed: translated against today's English.
    WriteFile(project / "Translation state" / "French.tsv",
              "zazovi translation state 1\tEnglish\ngame\t0\ttranslated\tHello\t\n");
    WriteFile(project / "Translation state" / "German.tsv",
              "zazovi translation state 1\tEnglish\nkeyboard\t0\tapproved\tEsc\tfine\n");
    r = Loctool("qa " + Q(project) + " --fail-on-review");
    EXPECT_EQ(r.code, 0) << r.out << r.err;
    EXPECT_EQ(r.out, "no problems\n");
}

// A damaged state file stops export, import, stats and qa --fail-on-review, each naming
// the file and line; no file of the project changes, the state file least of all, even
// though the import would have changed texts.
TEST_F(LoctoolReview, ADamagedStateFileStopsEveryCommandAndIsLeftByteForByte) {
    const std::string damaged = Replaced(kStates, {{"menu\t2\ttranslated", "menu\t2\tdone"}});
    const fs::path project = MakeProject("p", damaged.c_str());
    const fs::path good = MakeProject("good");
    const fs::path po = dir_ / "French.po";
    ASSERT_EQ(Loctool("export --format po " + Q(good) + " French -o " + Q(po)).code, 0);
    WriteFile(po, Replaced(ReadFile(po), {{"msgstr \"Quitter\"", "msgstr \"Sortir\""}}));
    const auto before = Files(project);
    for (const std::string& command : {"export --format po " + Q(project) + " French -o " + Q(dir_ / "out.po"),
                                       "import " + Q(project) + " French " + Q(po), "stats " + Q(project),
                                       "qa " + Q(project) + " --fail-on-review"}) {
        SCOPED_TRACE(command);
        const Outcome r = Loctool(command);
        EXPECT_EQ(r.code, 1);
        EXPECT_NE(r.err.find("Translation state/French.tsv line 4: unknown state 'done'"), std::string::npos) << r.err;
        EXPECT_EQ(Files(project), before);
    }
    EXPECT_FALSE(fs::exists(dir_ / "out.po"));
}

}  // namespace
