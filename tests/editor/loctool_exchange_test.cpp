// loctool_exchange_test.cpp - loctool's export, import and stats run as the program on
// real project folders: byte-exact round trips through PO, XLIFF and CSV, the exported
// files checked by other tools (msgfmt --check, Python's XML parser), refused imports
// that leave every .loc file as it was, and the translation counts of the sample.
#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "tests/support/loctool_run.h"

using namespace loctoolrun;

namespace {

const char* const kFiles[] = {"menu", "game", "keyboard"};

using locfixture::LocBytes;
constexpr auto& ReadBytes = locfixture::ReadFile;
constexpr auto& WriteBytes = locfixture::WriteFile;

// One item: its name and its texts in the reference (English) and in French.
struct Text {
    const char* name;
    std::string english, french;
};

// Texts that an exchange format easily gets wrong. Every French text that differs
// from its English one is translated; the last three are not.
std::vector<Text> TrickyTexts() {
    return {
        {"Plain", "New Game", "Nouvelle partie"},
        {"LineFeeds", "one\ntwo\n", "un\ndeux\n"},
        {"CrLf", "one\r\ntwo", "un\r\ndeux\r\n"},
        {"LoneCr", "a\rb", "a\rb\r"},
        {"Tabs", "\tcol\tumn", "\tco\tlonne\t"},
        {"Quotes", "say \"hi\"", "dis « salut » et \"salut\" 'ok'"},
        {"Backslashes", "C:\\path\\n", "\\\\ \\t \\\" \\x41 \\"},
        {"Colour", "<color 255 0 0>Red<color default>", "<color 255 0 0>Rouge<color default> & <b>"},
        {"NonBmp", "Play 🎮", "Jouer 🎮 𝄞 日本語 Привет"},
        {"Controls", "bell", std::string("\x01\x07\x1B[0m\x1F end \xEF\xBF\xBF")},
        {"Blanks", "  padded  ", "  rembourré  \n"},
        {"LeadingBreak", "text", "\ntexte"},
        {"Markup", "a < b", "a &lt; b ]]> <![CDATA[ x ]]>"},
        {"Percent", "%d items", "%s objets, %%"},
        {"Comma", "a,b", "a,b,\"c\",\r\n"},
        {"Empty", "Options", ""},
        {"Same", "Audio", "Audio"},
        {"BothEmpty", "", ""},
    };
}

std::string Desc(const std::vector<std::string>& names) {
    std::vector<std::pair<std::string, std::string>> items;
    for (const std::string& name : names)
        items.emplace_back(name, "Description of " + name + ",\nwith \"quotes\" and a second line");
    return locfixture::DescBytes(items);
}

class LoctoolExchange : public LoctoolTest {
  protected:
    // A project with English, French and German; every file holds the tricky
    // texts (the keyboard file only the first four). `frenchOf` picks the French.
    fs::path MakeProject(const std::string& name, const std::function<std::string(const Text&)>& frenchOf) {
        const fs::path project = dir_ / name;
        const std::vector<Text> all = TrickyTexts();
        for (const char* file : kFiles) {
            const size_t count = std::string(file) == "keyboard" ? 4 : all.size();
            std::vector<std::string> names, english, french, german;
            for (size_t i = 0; i < count; ++i) {
                names.push_back(all[i].name);
                english.push_back(all[i].english);
                french.push_back(frenchOf(all[i]));
                german.push_back("de " + all[i].english);
            }
            WriteBytes(project / "Descriptions" / (std::string(file) + ".desc"), Desc(names));
            WriteBytes(project / "Texts" / "English" / (std::string(file) + ".loc"), LocBytes(english));
            WriteBytes(project / "Texts" / "French" / (std::string(file) + ".loc"), LocBytes(french));
            WriteBytes(project / "Texts" / "German" / (std::string(file) + ".loc"), LocBytes(german));
        }
        return project;
    }
    fs::path MakeProject(const std::string& name) {
        return MakeProject(name, [](const Text& t) { return t.french; });
    }

    std::map<std::string, std::string> LocFiles(const fs::path& project) {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(project / "Texts"))
            if (entry.is_regular_file()) files[fs::relative(entry.path(), project).string()] = ReadBytes(entry.path());
        return files;
    }
};

const char* const kFormats[] = {"po", "xliff", "csv"};

// Exported from one project, imported into another whose translated French texts are
// stale: the import makes its .loc files byte for byte those of the first, and the
// untranslated items (exported empty) keep their own bytes.
TEST_F(LoctoolExchange, ExportThenImportRestoresEveryByteInEachFormat) {
    const fs::path source = MakeProject("source");
    for (const char* format : kFormats) {
        SCOPED_TRACE(format);
        const fs::path stale = MakeProject(std::string("stale_") + format, [](const Text& t) {
            return t.french.empty() || t.french == t.english ? t.french : "old " + t.english;
        });
        const fs::path file = dir_ / (std::string("French.") + format);
        Outcome r = Loctool(std::string("export --format ") + format + " " + Q(source) + " French -o " + Q(file));
        ASSERT_EQ(r.code, 0) << r.err;

        r = Loctool("import " + Q(stale) + " French " + Q(file));
        ASSERT_EQ(r.code, 0) << r.err;
        // Each changed text is translated now, against today's English.
        EXPECT_EQ(r.out,
                  "French: 34 items changed (menu 15, game 15, keyboard 4)\n"
                  "French: review states of 34 items changed (Translation state/French.tsv)\n");
        EXPECT_EQ(LocFiles(stale), LocFiles(source));

        // Once more: nothing changes and nothing is written.
        const auto before = fs::last_write_time(stale / "Texts" / "French" / "menu.loc");
        r = Loctool("import " + Q(stale) + " French " + Q(file));
        ASSERT_EQ(r.code, 0) << r.err;
        EXPECT_EQ(r.out, "French: 0 items changed (menu 0, game 0, keyboard 0)\n");
        EXPECT_EQ(fs::last_write_time(stale / "Texts" / "French" / "menu.loc"), before);
        if (std::string(format) == "csv") {  // as a spreadsheet saves it, with a byte-order mark
            WriteBytes(file, "\xEF\xBB\xBF" + ReadBytes(file));
            r = Loctool("import " + Q(stale) + " French " + Q(file));
            EXPECT_EQ(r.code, 0) << r.err;
        }
    }
}

TEST_F(LoctoolExchange, ExportedPoFilesPassMsgfmtCheck) {
    const fs::path project = MakeProject("p");
    ASSERT_EQ(Shell("msgfmt --version", dir_).code, 0) << "msgfmt (Debian's gettext) is needed";
    // French (translated, untranslated and line-break differences), the reference
    // itself, and German against French as its reference.
    for (const std::string args : {"French", "English", "German --source French"}) {
        SCOPED_TRACE(args);
        const fs::path po = dir_ / "out.po";
        Outcome r = Loctool("export --format po " + Q(project) + " " + args + " -o " + Q(po));
        ASSERT_EQ(r.code, 0) << r.err;
        r = Shell("msgfmt --check -o /dev/null " + Q(po), dir_);
        EXPECT_EQ(r.code, 0) << r.err;
        EXPECT_EQ(r.err.find("error"), std::string::npos) << r.err;
    }
    // The header says what the file holds; untranslated items have an empty msgstr.
    const std::string po = ReadBytes(dir_ / "out.po");
    EXPECT_NE(po.find("\"Language: German\\n\""), std::string::npos);
    EXPECT_NE(po.find("\"Content-Type: text/plain; charset=UTF-8\\n\""), std::string::npos);
    EXPECT_NE(po.find("#. Description of Plain,\n#. with \"quotes\" and a second line\n"), std::string::npos);
    const std::string french =
        (Loctool("export --format po " + Q(project) + " French"), ReadBytes(dir_ / "stdout.txt"));
    EXPECT_NE(french.find("msgctxt \"menu:16:Same\"\nmsgid \"Audio\"\nmsgstr \"\"\n"), std::string::npos) << french;
}

// Python's own XML parser reads every trans-unit's target back to the exact text,
// the placeholders for XML-forbidden characters included.
TEST_F(LoctoolExchange, ExportedXliffReadsBackWithAnIndependentParser) {
    const fs::path project = MakeProject("p");
    const fs::path xliff = dir_ / "French.xliff";
    Outcome r = Loctool("export --format xliff " + Q(project) + " French -o " + Q(xliff));
    ASSERT_EQ(r.code, 0) << r.err;
    const fs::path script = dir_ / "read.py";
    WriteBytes(script,
               "import sys, xml.etree.ElementTree as ET\n"
               "ns = {'x': 'urn:oasis:names:tc:xliff:document:1.2'}\n"
               "root = ET.parse(sys.argv[1]).getroot()\n"
               "out = open(sys.argv[2], 'wb')\n"
               "def text(e):\n"
               "    s = e.text or ''\n"
               "    for c in e:\n"
               "        assert c.tag.endswith('}x') and c.get('ctype').startswith('x-char-')\n"
               "        s += chr(int(c.get('ctype')[7:], 16)) + (c.tail or '')\n"
               "    return s\n"
               "for f in root.findall('x:file', ns):\n"
               "    assert f.get('target-language') == 'French' and f.get('source-language') == 'English'\n"
               "    for u in f.findall('x:body/x:trans-unit', ns):\n"
               "        t = u.find('x:target', ns)\n"
               "        out.write((u.get('id') + '\\0' + t.get('state') + '\\0' + text(u.find('x:source', ns)) +\n"
               "                   '\\0' + text(t) + '\\0').encode('utf-8'))\n");
    r = Shell("python3 " + Q(script) + " " + Q(xliff) + " " + Q(dir_ / "units.bin"), dir_);
    ASSERT_EQ(r.code, 0) << r.err;

    std::string expected;
    const std::vector<Text> all = TrickyTexts();
    for (const char* file : kFiles)
        for (size_t i = 0; i < (std::string(file) == "keyboard" ? 4 : all.size()); ++i) {
            const bool translated = !all[i].french.empty() && all[i].french != all[i].english;
            expected += std::string(file) + ":" + std::to_string(i) + ":" + all[i].name + '\0' +
                        (translated ? "translated" : "needs-translation") + '\0' + all[i].english + '\0' +
                        (translated ? all[i].french : "") + '\0';
        }
    EXPECT_EQ(ReadBytes(dir_ / "units.bin"), expected);
}

// Every refused import names the file and line and leaves every .loc file as it was.
TEST_F(LoctoolExchange, RefusedImportsChangeNothing) {
    const fs::path project = MakeProject("p");
    for (const char* format : kFormats) {
        const fs::path file = dir_ / (std::string("French.") + format);
        ASSERT_EQ(Loctool(std::string("export --format ") + format + " " + Q(project) + " French -o " + Q(file)).code,
                  0);
    }
    const std::string po = ReadBytes(dir_ / "French.po");
    const std::string xliff = ReadBytes(dir_ / "French.xliff");
    const std::string csv = ReadBytes(dir_ / "French.csv");
    const auto replace = [](std::string s, const std::string& from, const std::string& to) {
        const size_t at = s.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return at == std::string::npos ? s : s.replace(at, from.size(), to);
    };
    const auto lineAt = [](const std::string& s, size_t at) {
        return std::to_string(1 + std::count(s.begin(), s.begin() + static_cast<long>(at), '\n'));
    };
    const auto lineOf = [&](const std::string& s, const std::string& what) { return lineAt(s, s.find(what)); };
    const std::string plainPo = "msgctxt \"menu:0:Plain\"\nmsgid \"New Game\"\nmsgstr \"Nouvelle partie\"\n";
    const std::string plainCsv = "\"menu\",\"0\",\"Plain\",";
    // A repeated entry, and an obsolete one given twice: each message names both lines.
    const std::string twice =
        replace(po, plainPo, plainPo + "\nmsgctxt \"menu:1:LineFeeds\"\nmsgid \"x\"\nmsgstr \"y\"\n");
    const std::string obsolete = "\n#~ msgctxt \"old\"\n#~ msgid \"x\"\n#~ msgstr \"y\"\n";
    const std::string obsoleteTwice = po + obsolete + obsolete;
    std::string manyAttributes, deepGroups;
    for (int i = 0; i <= 1000; ++i) manyAttributes += "a" + std::to_string(i) + "=\"\" ";
    for (int i = 0; i < 100; ++i) deepGroups += "<group>";
    const struct {
        const char* name;
        const char* ext;
        std::string bytes;
        std::string message;  // what stderr must hold
    } cases[] = {
        {"unknown id", "po", replace(po, "\"menu:0:Plain\"", "\"menu:0:Plane\""),
         ".po:" + lineOf(po, "\"menu:0:Plain\"") + ": unknown item 'menu:0:Plane'"},
        {"missing item", "po", replace(po, plainPo, ""), "item 'menu:0:Plain' has no entry in the file"},
        {"other language", "po", replace(po, "Language: French", "Language: German"),
         ".po:" + lineOf(po, "Language: French") + ": the file holds the language 'German', not 'French'"},
        {"duplicate", "po", twice,
         ".po:" + lineAt(twice, twice.rfind("msgctxt \"menu:1:LineFeeds\"")) +
             ": item 'menu:1:LineFeeds' appears a second time (first at line " +
             lineOf(twice, "msgctxt \"menu:1:LineFeeds\"\nmsgid \"x\"") + ")"},
        {"obsolete duplicate", "po", obsoleteTwice,
         ".po:" + lineAt(obsoleteTwice, obsoleteTwice.rfind("#~ msgctxt")) +
             ": duplicate message definition (the first definition is at line " + lineOf(obsoleteTwice, "#~ msgctxt") +
             ")"},
        // libgettextpo hands out C strings: a NUL would cut the text, or the id to a match.
        {"NUL in msgstr", "po", replace(po, "\"Nouvelle partie\"", "\"Nouvelle\\000partie\""),
         ".po:" + lineOf(po, "\"Nouvelle partie\"") + ": this msgstr holds a NUL byte"},
        {"NUL in msgctxt", "po", replace(po, "\"menu:0:Plain\"", "\"menu:0:Plain\\x00 near miss\""),
         ".po:" + lineOf(po, "\"menu:0:Plain\"") + ": this msgctxt holds a NUL byte"},
        {"domain", "po", replace(po, plainPo, "domain \"other\"\n" + plainPo),
         ".po:" + lineOf(po, plainPo) + ": a domain line"},
        {"syntax", "po", replace(po, "msgstr \"Nouvelle partie\"", "msgstr \"Nouvelle partie"),
         ": end-of-line within string"},
        {"plural forms", "po",
         replace(po, "msgid \"New Game\"\nmsgstr \"Nouvelle partie\"",
                 "msgid \"New Game\"\nmsgid_plural \"New Games\"\nmsgstr[0] \"Nouvelle partie\""),
         ".po:" + lineOf(po, "\"menu:0:Plain\"") + ": 'menu:0:Plain' has plural forms"},
        {"unknown id", "xliff", replace(xliff, "id=\"game:2:CrLf\"", "id=\"game:2:CrLF\""),
         ".xliff:" + lineOf(xliff, "id=\"game:2:CrLf\"") + ": unknown item 'game:2:CrLF'"},
        {"other language", "xliff", replace(xliff, "target-language=\"French\"", "target-language=\"German\""),
         "this <file> is for \"French\" but the one at line"},
        {"duplicate", "xliff", replace(xliff, "id=\"game:2:CrLf\"", "id=\"game:1:LineFeeds\""),
         ".xliff:" + lineOf(xliff, "id=\"game:2:CrLf\"") + ": item 'game:1:LineFeeds' appears a second time"},
        {"not well-formed", "xliff", replace(xliff, "</target>", "</targ>"),
         ".xliff:" + lineOf(xliff, "</target>") + ":"},
        {"entity", "xliff",
         replace(replace(xliff, "<xliff", "<!DOCTYPE xliff [<!ENTITY e \"x\">]><xliff"), ">Nouvelle partie<", ">&e;<"),
         "the entity &e; inside a <target> is not supported"},
        {"inline markup", "xliff", replace(xliff, ">Nouvelle partie<", "><g id=\"1\">Nouvelle</g> partie<"),
         "<g> inside a <target>"},
        {"other mark", "xliff", replace(xliff, ">Nouvelle partie<", "><mrk mtype=\"protected\">Nouvelle</mrk><"),
         "<mrk mtype=\"protected\"> inside a <target>"},
        {"text in a placeholder", "xliff", replace(xliff, "ctype=\"x-char-0001\"/>", "ctype=\"x-char-0001\">lost</x>"),
         ".xliff:" + lineOf(xliff, "ctype=\"x-char-0001\"/>") + ": an <x> placeholder with content"},
        {"two targets", "xliff",
         replace(xliff, ">Nouvelle partie</target>", ">Nouvelle</target><target>partie</target>"),
         ".xliff:" + lineOf(xliff, ">Nouvelle partie<") + ": a second <target> in the unit 'menu:0:Plain'"},
        {"foreign target", "xliff",
         replace(xliff, "<target state=\"translated\">Nouvelle partie</target>",
                 "<t:target xmlns:t=\"urn:other\">Nouvelle partie</t:target>"),
         "a <target> in the namespace urn:other, not in XLIFF 1.2's"},
        {"no namespace", "xliff", replace(xliff, " xmlns=\"urn:oasis:names:tc:xliff:document:1.2\"", ""),
         ".xliff:2: loctool reads XLIFF 1.2, and this <xliff> is in no namespace"},
        {"XLIFF 2.0", "xliff",
         replace(replace(xliff, "xliff:document:1.2", "xliff:document:2.0"), "version=\"1.2\"", "version=\"2.0\""),
         ".xliff:2: loctool reads XLIFF 1.2, and this <xliff> is in the namespace "
         "urn:oasis:names:tc:xliff:document:2.0"},
        // Refused before libxml2 parses them, as its start-tag parsing is quadratic.
        {"attributes", "xliff", replace(xliff, "<trans-unit ", "<trans-unit " + manyAttributes),
         ".xliff:" + lineOf(xliff, "<trans-unit ") + ": a start tag with more than 1000 attributes"},
        {"nesting", "xliff", replace(xliff, "<body>", "<body>" + deepGroups),
         ".xliff:" + lineOf(xliff, "<body>") + ": elements nested more than 100 deep"},
        {"line length", "xliff", replace(xliff, "<note>", "<note>" + std::string(16 << 20, 'x')),
         ".xliff:" + lineOf(xliff, "<note>") + ": a line longer than 16 MiB"},
        {"unknown id", "csv", replace(csv, plainCsv, "\"menu\",\"99\",\"Plain\","),
         ".csv:2: unknown item 'menu:99:Plain'"},
        {"missing item", "csv", csv.substr(0, csv.find("\"keyboard\",\"3\",")),
         ".csv: item 'keyboard:3:LoneCr' has no entry in the file"},
        {"other language", "csv", replace(csv, "text (French)", "text (German)"),
         ".csv:1: the file holds the language 'German', not 'French'"},
        // The row starts on line 2; its description holds a line break.
        {"bad quote", "csv", replace(csv, "\"Nouvelle partie\"", "\"Nouvelle \"partie\""), ".csv:3: "},
        {"short row", "csv", replace(csv, ",\"Nouvelle partie\"", ""), ".csv:2: 7 columns where the header has 8"},
        {"NUL in id", "csv", replace(csv, plainCsv, std::string("\"menu\",\"0\",\"Pl") + '\0' + "ain\","),
         ".csv:2: unknown item 'menu:0:Pl\\x00ain': no item"},
        {"NUL byte", "csv", replace(csv, "Nouvelle partie", std::string("Nouvelle\0partie", 15)),
         ".csv:2: the text of item 'menu:0:Plain' holds a NUL byte"},
        {"comment not UTF-8", "csv",
         replace(csv, "\"Nouvelle partie\",\"translated\",\"\"", "\"Nouvelle partie\",\"translated\",\"\xFF\""),
         ".csv:2: the comment of item 'menu:0:Plain' is not valid UTF-8"},
        {"too long", "csv", replace(csv, "Nouvelle partie", std::string(40000, 'x')),
         ".csv:2: the text of item 'menu:0:Plain' is 40000 bytes long"},
    };
    const auto before = LocFiles(project);
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.ext) + ": " + c.name);
        const fs::path file = dir_ / (std::string("bad.") + c.ext);
        WriteBytes(file, c.bytes);
        const Outcome r = Loctool("import " + Q(project) + " French " + Q(file));
        EXPECT_EQ(r.code, 1);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(LocFiles(project), before);
    }
    // The right file for the wrong language folder.
    const Outcome r = Loctool("import " + Q(project) + " German " + Q(dir_ / "French.po"));
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("the file holds the language 'French', not 'German'"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("nothing was imported"), std::string::npos) << r.err;
    EXPECT_EQ(LocFiles(project), before);
}

// CAT tools split a target into segment marks and add elements of their own
// namespaces; the text is the marks' text, and the extensions are no part of it.
TEST_F(LoctoolExchange, XliffSegmentMarksAreReadAsTheirText) {
    const fs::path project = MakeProject("p");
    const fs::path file = dir_ / "French.xliff";
    ASSERT_EQ(Loctool("export --format xliff " + Q(project) + " French -o " + Q(file)).code, 0);
    std::string xliff = ReadBytes(file);
    const std::string target = ">Nouvelle partie</target>";
    ASSERT_NE(xliff.find(target), std::string::npos);
    xliff.replace(xliff.find(target), target.size(),
                  "><mrk mtype=\"seg\" mid=\"1\">Nouvelle</mrk> <!-- checked -->"
                  "<mrk mtype=\"seg\" mid=\"2\">partie <![CDATA[&]]> plus</mrk></target>"
                  "<cat:origin xmlns:cat=\"urn:cat-tool\">memory</cat:origin>");
    WriteBytes(file, xliff);
    const Outcome r = Loctool("import " + Q(project) + " French " + Q(file));
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out,
              "French: 1 item changed (menu 1, game 0, keyboard 0)\n"
              "French: review states of 1 item changed (Translation state/French.tsv)\n");
    const fs::path expected = MakeProject("expected", [](const Text& t) {
        return std::string(t.name) == "Plain" ? std::string("Nouvelle partie & plus") : t.french;
    });
    EXPECT_EQ(ReadBytes(project / "Texts" / "French" / "menu.loc"),
              ReadBytes(expected / "Texts" / "French" / "menu.loc"));
}

TEST_F(LoctoolExchange, ExportRefusesTextsThatAreNotUtf8NamingTheItemAndOpenFailuresSayWhy) {
    const fs::path project = MakeProject(
        "p", [](const Text& t) { return std::string(t.name) == "Tabs" ? std::string("Gr\xFC\xDF") : t.french; });
    Outcome r = Loctool("export --format csv " + Q(project) + " French -o " + Q(dir_ / "x.csv"));
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("the text of item menu:4:Tabs (French) is not valid UTF-8 (at byte 2)"), std::string::npos)
        << r.err;
    EXPECT_FALSE(fs::exists(dir_ / "x.csv"));

    const fs::path good = MakeProject("good");

    r = Loctool("import " + Q(good) + " French " + Q(dir_ / "none.po"));
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("Cannot open " + (dir_ / "none.po").string() + ": No such file or directory"),
              std::string::npos)
        << r.err;
    r = Loctool("export --format po " + Q(good) + " French -o " + Q(dir_ / "no" / "dir.po"));
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("No such file or directory"), std::string::npos) << r.err;
    r = Loctool("export --format po " + Q(good) + " Klingon");
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("'Klingon' has no folder"), std::string::npos) << r.err;
    EXPECT_EQ(Loctool("export --format doc " + Q(project) + " French").code, 2);
}

// The sample's French and German leave a few English words as they are ("Options",
// "Audio", a key name); those count as untranslated.
TEST_F(LoctoolExchange, StatsCountTheSampleProject) {
    const fs::path sample = QK_BINARY_DIR "/sample";
    ASSERT_TRUE(fs::exists(sample / "Texts")) << "build the sample_project target";
    Outcome r = Loctool("stats " + Q(sample));
    ASSERT_EQ(r.code, 0) << r.err;
    for (const char* row :
         {"French    menu           12          10    83.3%", "French    keyboard       16          15    93.8%",
          "French    (all)          48          45    93.8%", "German    menu           12          11    91.7%",
          "Russian   (all)          48          48   100.0%", "English   game           20          20   100.0%"})
        EXPECT_NE(r.out.find(row), std::string::npos) << row << "\n" << r.out;

    r = Loctool("stats " + Q(sample) + " --format json --source German");
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("\"reference\": \"German\""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("{\"language\": \"French\", \"items\": 48, \"translated\": 46, \"percent\": 95.8,"),
              std::string::npos)
        << r.out;  // (a JSON parser reads it back: loctool_review_test.cpp)
}

}  // namespace
