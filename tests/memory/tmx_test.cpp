// TMX files as CAT tools write them, the language rule, and broken files.
#include "editor/memory/tmx.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

using namespace memory;

namespace {

// The shape of a TMX export from a CAT tool: a DOCTYPE naming the DTD (never fetched),
// a header with its attributes and a <prop>, units with properties, notes, several
// variants, inline codes around the game's colour tags, and an older `lang` attribute.
const char* const kCatToolTmx = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE tmx SYSTEM "tmx14.dtd">
<tmx version="1.4">
  <header creationtool="SomeCAT" creationtoolversion="9.1" segtype="sentence" o-tmf="cat"
          adminlang="en-US" srclang="en-US" datatype="plaintext">
    <prop type="x-project">Game</prop>
  </header>
  <body>
    <tu tuid="1" creationdate="20240101T120000Z">
      <prop type="x-context">menu</prop>
      <note>Main menu</note>
      <tuv xml:lang="en-US"><seg>Save the game</seg></tuv>
      <tuv xml:lang="de-DE"><seg>Spiel speichern</seg></tuv>
      <tuv xml:lang="fr-FR"><seg>Sauvegarder la partie</seg></tuv>
    </tu>
    <tu tuid="2">
      <tuv xml:lang="EN-us"><seg><bpt i="1">&lt;color 255,0,0&gt;</bpt>Fire<ept i="1">&lt;color default&gt;</ept> resist <ph>%d</ph>%</seg></tuv>
      <tuv xml:lang="de_de"><seg><bpt i="1">&lt;color 255,0,0&gt;</bpt>Feuer<ept i="1">&lt;color default&gt;</ept>resistenz <ph>%d</ph>%</seg></tuv>
    </tu>
    <tu>
      <tuv lang="en"><seg>Old style &amp; <hi type="b">bold</hi></seg></tuv>
      <tuv lang="de-AT"><seg>Alter Stil &amp; <hi>fett</hi></seg></tuv>
    </tu>
    <tu>
      <tuv xml:lang="en-US"><seg>Only English</seg></tuv>
    </tu>
    <tu>
      <tuv xml:lang="en-US"><seg>Empty German</seg></tuv>
      <tuv xml:lang="de-DE"><seg></seg></tuv>
    </tu>
  </body>
</tmx>
)";

// UTF-8 text (of the Basic Multilingual Plane) as UTF-16LE with a byte order mark,
// the encoding some CAT tools write TMX in.
std::string Utf16(std::string_view utf8) {
    std::string out = "\xFF\xFE";
    for (size_t i = 0; i < utf8.size();) {
        const auto b = [&](size_t k) { return static_cast<unsigned char>(utf8[i + k]); };
        unsigned c;
        if (b(0) < 0x80)
            c = b(0), i += 1;
        else if (b(0) < 0xE0)
            c = (b(0) & 0x1Fu) << 6 | (b(1) & 0x3Fu), i += 2;
        else
            c = (b(0) & 0x0Fu) << 12 | (b(1) & 0x3Fu) << 6 | (b(2) & 0x3Fu), i += 3;
        out += char(c & 0xFF);
        out += char(c >> 8);
    }
    return out;
}

}  // namespace

TEST(TmxLanguage, MappingFirstThenNameOrPrimarySubtag) {
    const LanguageMap map = {{"German", "de-DE"}, {"Austrian", "de_at"}, {"English", "en"}};
    EXPECT_TRUE(LanguageMatches("German", "de-DE", map));
    EXPECT_TRUE(LanguageMatches("German", "DE_de", map));
    EXPECT_FALSE(LanguageMatches("German", "de-AT", map));
    EXPECT_FALSE(LanguageMatches("German", "de", map));
    EXPECT_TRUE(LanguageMatches("Austrian", "de-AT", map));
    EXPECT_TRUE(LanguageMatches("English", "en-US", map));  // a mapped primary subtag
    EXPECT_TRUE(LanguageMatches("English", "en-GB", map));
    // Without a mapping, the folder's name is its tag.
    EXPECT_FALSE(LanguageMatches("German", "de-DE"));
    EXPECT_TRUE(LanguageMatches("de", "de-DE"));
    EXPECT_TRUE(LanguageMatches("de", "de-AT"));
    EXPECT_TRUE(LanguageMatches("de_DE", "de-DE"));
    EXPECT_TRUE(LanguageMatches("DE-de", "de-DE"));
    EXPECT_FALSE(LanguageMatches("de-DE", "de"));
    EXPECT_FALSE(LanguageMatches("de", "den"));
    EXPECT_FALSE(LanguageMatches("d", "de-DE"));
    EXPECT_FALSE(LanguageMatches("", ""));
}

TEST(TmxRead, PairsOfACatToolsFileForMappedAndPrimarySubtagFolders) {
    TmxDocument doc;
    std::string error;
    ASSERT_TRUE(ParseTmx(kCatToolTmx, "old.tmx", doc, error)) << error;
    ASSERT_EQ(doc.units.size(), 5u);
    EXPECT_EQ(doc.units[0].variants.size(), 3u);
    EXPECT_EQ(doc.units[0].line, 9);

    const LanguageMap map = {{"German", "de-DE"}, {"English", "en"}};
    const std::vector<TmxPair> german = TmxPairs(doc, "English", "German", map);
    ASSERT_EQ(german.size(), 2u);  // de-AT is not de-DE; no German, empty German
    EXPECT_EQ(german[0].source, "Save the game");
    EXPECT_EQ(german[0].target, "Spiel speichern");
    // Inline codes give back the game's tags and placeholders as written.
    EXPECT_EQ(german[1].source, "<color 255,0,0>Fire<color default> resist %d%");
    EXPECT_EQ(german[1].target, "<color 255,0,0>Feuer<color default>resistenz %d%");

    // A folder named by the primary subtag takes every region, the older attribute too.
    const std::vector<TmxPair> de = TmxPairs(doc, "en", "de");
    ASSERT_EQ(de.size(), 3u);
    EXPECT_EQ(de[2].source, "Old style & bold");
    EXPECT_EQ(de[2].target, "Alter Stil & fett");
    EXPECT_EQ(TmxPairs(doc, "en", "fr").size(), 1u);
    EXPECT_TRUE(TmxPairs(doc, "en", "en").empty());  // one variant is never both sides
}

TEST(TmxRead, Utf16FileWithByteOrderMark) {
    std::string utf8 = kCatToolTmx;
    utf8.replace(utf8.find("UTF-8"), 5, "UTF-16");
    TmxDocument doc;
    std::string error;
    ASSERT_TRUE(ParseTmx(Utf16(utf8 + "<!-- Grüße € -->\n"), "utf16.tmx", doc, error)) << error;
    const std::vector<TmxPair> pairs = TmxPairs(doc, "en", "de");
    ASSERT_EQ(pairs.size(), 3u);
    EXPECT_EQ(pairs[0].target, "Spiel speichern");
    // Bytes the declared encoding cannot be are an error with its line, on one line.
    EXPECT_FALSE(ParseTmx("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tmx><body>\xFF\xFE</body></tmx>", "bad.tmx",
                          doc, error));
    EXPECT_EQ(error.rfind("bad.tmx:2: not well-formed XML: ", 0), 0u) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos);
}

TEST(TmxRead, FromDisk) {
    const std::filesystem::path dir = std::filesystem::path(testing::TempDir()) / "tmx_from_disk";
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "Übersetzt.tmx").string();
    std::ofstream(path, std::ios::binary) << kCatToolTmx;
    TmxDocument doc;
    std::string error;
    EXPECT_TRUE(ReadTmxFile(path, doc, error)) << error;
    EXPECT_EQ(doc.units.size(), 5u);
    EXPECT_FALSE(ReadTmxFile((dir / "missing.tmx").string(), doc, error));
    EXPECT_NE(error.find("missing.tmx"), std::string::npos);
    std::filesystem::remove_all(dir);
}

TEST(TmxRead, BrokenFilesAreReportedWithFileAndLine) {
    TmxDocument doc;
    std::string error;
    EXPECT_FALSE(ParseTmx("<tmx version=\"1.4\">\n<body>\n<tu><tuv xml:lang=\"en\"><seg>x</tuv></tu>\n</body></tmx>",
                          "bad.tmx", doc, error));
    EXPECT_EQ(error.rfind("bad.tmx:3: not well-formed XML", 0), 0u) << error;
    EXPECT_TRUE(doc.units.empty());
    EXPECT_FALSE(ParseTmx("just text", "text.tmx", doc, error));
    EXPECT_EQ(error.rfind("text.tmx:1: not well-formed XML", 0), 0u) << error;
    EXPECT_FALSE(ParseTmx(" \n", "empty.tmx", doc, error));
    EXPECT_EQ(error, "empty.tmx: the file is empty");
    EXPECT_FALSE(ParseTmx("<xliff version=\"1.2\"/>", "x.tmx", doc, error));
    EXPECT_EQ(error, "x.tmx: not a TMX file (its root element is <xliff>, not <tmx>)");
    EXPECT_FALSE(
        ParseTmx("<?xml version=\"1.0\"?>\n<tmx version=\"1.4\">\n<header/>\n</tmx>", "nobody.tmx", doc, error));
    EXPECT_EQ(error, "nobody.tmx:2: <tmx> has no <body>");
}

TEST(TmxRead, HostileInputNeitherExpandsNorFetches) {
    TmxDocument doc;
    std::string error;
    // Nested entities that would expand to gigabytes, and an external one: both left out.
    std::string laughs = "<?xml version=\"1.0\"?>\n<!DOCTYPE tmx [\n<!ENTITY a \"aaaaaaaaaa\">\n";
    for (char c = 'b'; c <= 'k'; ++c) {
        laughs += std::string("<!ENTITY ") + c + " \"";
        for (int i = 0; i < 10; ++i) laughs += std::string("&") + char(c - 1) + ";";
        laughs += "\">\n";
    }
    laughs +=
        "<!ENTITY ext SYSTEM \"http://127.0.0.1:9/x\">\n]>\n<tmx><body><tu>"
        "<tuv xml:lang=\"en\"><seg>x&k;&ext;y</seg></tuv><tuv xml:lang=\"de\"><seg>z</seg></tuv>"
        "</tu></body></tmx>";
    if (ParseTmx(laughs, "laughs.tmx", doc, error)) {
        ASSERT_EQ(doc.units.size(), 1u);
        EXPECT_LE(doc.units[0].variants[0].text.size(), 2u);
    } else {
        EXPECT_EQ(error.rfind("laughs.tmx:", 0), 0u);
    }
    // A tag with thousands of attributes is refused before libxml2 sees it.
    std::string many = "<tmx><body><tu";
    for (int i = 0; i < 2000; ++i) many += " a" + std::to_string(i) + "=\"1\"";
    many += "/></body></tmx>";
    EXPECT_FALSE(ParseTmx(many, "many.tmx", doc, error));
    EXPECT_EQ(error, "many.tmx:1: more than 1000 attributes in one tag");
}
