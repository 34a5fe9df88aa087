// pseudo_test.cpp - pseudo-localization (editor/fit/pseudo.h and loctool pseudo): texts
// made to look translated keep their colour tags, placeholders, line breaks and edge
// spaces byte for byte over the sample project and a real corpus (the messages of the
// system's programs and their German translations, from the installed .mo catalogues),
// grow by the share asked, stay within the format's bytes; the command writes a new
// folder and never over one, under the project's lock and through its journal, and
// loctool qa then finds only what does not fit.
#include "editor/fit/pseudo.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <vector>

#include "editor/qa/qa_checks.h"
#include "formats/loc_format.h"
#include "platform/platform.h"
#include "tests/support/loctool_run.h"

using namespace loctoolrun;

namespace {

// The reference texts of the sample project, every language.
std::vector<std::string> SampleTexts() {
    std::vector<std::string> texts;
    for (const auto& entry : fs::recursive_directory_iterator(QK_BINARY_DIR "/sample/Texts")) {
        if (entry.path().extension() != ".loc") continue;
        std::vector<std::string> read;
        EXPECT_TRUE(locformat::ParseLoc(locfixture::ReadFile(entry.path()), entry.path().string(),
                                        locformat::Trailing::Refuse, read)
                        .ok);
        texts.insert(texts.end(), read.begin(), read.end());
    }
    return texts;
}

// The strings of a PO file as msgunfmt writes it: each quoted part unescaped and joined.
void PoStrings(const std::string& po, std::vector<std::string>& out) {
    std::string current;
    bool open = false;
    size_t start = 0;
    while (start < po.size()) {
        size_t end = po.find('\n', start);
        if (end == std::string::npos) end = po.size();
        const std::string line = po.substr(start, end - start);
        start = end + 1;
        const size_t quote = line.find('"');
        const bool keyword = line.rfind("msg", 0) == 0;
        if ((keyword || line.empty()) && open) out.push_back(current), current.clear(), open = false;
        if (quote == std::string::npos || (!keyword && line[0] != '"')) continue;
        open = true;
        for (size_t i = quote + 1; i + 1 < line.size(); ++i) {
            if (line[i] != '\\') {
                current += line[i];
                continue;
            }
            const char e = line[++i];
            if (e >= '0' && e <= '7') {
                int value = 0, digits = 0;
                while (digits < 3 && line[i] >= '0' && line[i] <= '7') value = value * 8 + (line[i++] - '0'), ++digits;
                current += char(value), --i;
            } else {
                current += e == 'n' ? '\n' : e == 't' ? '\t' : e == 'r' ? '\r' : e == 'a' ? '\a' : e;
            }
        }
    }
    if (open) out.push_back(current);
}

// A real corpus: the messages of the programs installed here, in English and German,
// from their catalogues (msgunfmt of GNU gettext). Empty when there are none.
std::vector<std::string> SystemMessages() {
    std::vector<std::string> texts;
    std::vector<fs::path> catalogues;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator("/usr/share/locale/de/LC_MESSAGES", ec))
        if (entry.path().extension() == ".mo") catalogues.push_back(entry.path());
    std::sort(catalogues.begin(), catalogues.end());
    for (const fs::path& mo : catalogues) {
        FILE* pipe = popen(("msgunfmt \"" + mo.string() + "\" 2>/dev/null").c_str(), "r");
        if (!pipe) continue;
        std::string po;
        char buffer[65536];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) po.append(buffer, n);
        pclose(pipe);
        PoStrings(po, texts);
    }
    texts.erase(std::remove_if(texts.begin(), texts.end(), [](const std::string& t) { return t.size() > 32767; }),
                texts.end());
    return texts;
}

// What must stay byte for byte: the tags and placeholders as written, in order; every
// byte of the line breaks; the spaces and line breaks around the text.
struct Skeleton {
    std::vector<std::string> marks;
    std::string breaks, lead, trail;
    bool operator==(const Skeleton&) const = default;
};
Skeleton SkeletonOf(std::string_view text) {
    Skeleton s;
    std::vector<qa::ByteRange> ranges = qa::FindColourTags(text).tags;
    for (const qa::Placeholder& p : qa::FindPlaceholders(text)) ranges.push_back(p.range);
    std::sort(ranges.begin(), ranges.end(), [](const auto& a, const auto& b) { return a.begin < b.begin; });
    for (const qa::ByteRange& r : ranges) s.marks.emplace_back(text.substr(r.begin, r.end - r.begin));
    for (char c : text)
        if (c == '\n' || c == '\r') s.breaks += c;
    const auto edge = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    while (s.lead.size() < text.size() && edge(text[s.lead.size()])) s.lead += text[s.lead.size()];
    while (s.lead.size() + s.trail.size() < text.size() && edge(text[text.size() - 1 - s.trail.size()]))
        s.trail.insert(s.trail.begin(), text[text.size() - 1 - s.trail.size()]);
    return s;
}

bool OnlyEdges(std::string_view text) { return SkeletonOf(text).lead.size() == text.size(); }

// Over a corpus: every text keeps its skeleton, passes the checks against its reference
// but the length, and the whole grows by `percent`, the brackets not counted.
void CheckCorpus(const std::vector<std::string>& corpus, int percent) {
    size_t before = 0, after = 0, changed = 0;
    for (const std::string& text : corpus) {
        const std::string pseudo = fit::PseudoText(text, percent);
        ASSERT_LE(pseudo.size(), 32767u);
        ASSERT_EQ(SkeletonOf(pseudo), SkeletonOf(text)) << text << "\n" << pseudo;
        if (OnlyEdges(text)) {
            EXPECT_EQ(pseudo, text);
            continue;
        }
        ++changed;
        for (const qa::Finding& f : qa::CheckItemFindings(pseudo, text, true))
            ADD_FAILURE() << f.check << ": " << f.message << "\n" << text << "\n" << pseudo;
        before += qa::VisibleCharacters(text);
        after += qa::VisibleCharacters(pseudo) - 2;
    }
    ASSERT_GT(changed, 0u);
    const double ratio = double(after) / double(before);
    // Each line's lengthening is rounded up: a little more than asked, never less.
    EXPECT_GE(ratio, 1 + percent / 100.0) << percent;
    EXPECT_LE(ratio, 1 + percent / 100.0 + 0.08) << percent;
}

}  // namespace

TEST(Pseudo, LooksTranslatedAndKeepsWhatTheGameReads) {
    EXPECT_EQ(fit::PseudoText("New Game"), "[Ñéŵ Ĝámé ~~]");
    EXPECT_EQ(fit::PseudoText("Continue"), "[Çóñţíñúé~~~]");
    EXPECT_EQ(fit::PseudoText("  Hi\n"), "  [Ĥí~]\n") << "the brackets go inside the spaces and line breaks";
    EXPECT_EQ(fit::PseudoText("<color 255,0,0>%d coins<color default>"), "[<color 255,0,0>%d çóíñš ~~]<color default>")
        << "the closing bracket before the tags that end the text";
    EXPECT_EQ(fit::PseudoText("{name} has 100%% of %1$s {{x}}"), "[{name} ĥáš 100%% óƒ %1$s {{x}} ~~~~~ ~~]");
    EXPECT_EQ(fit::PseudoText("one \r\ntwo"), "[óñé~ \r\nţŵó~]") << "each line grows before its own spaces";
    EXPECT_EQ(fit::PseudoText("Save", 0), "[Šávé]");
    EXPECT_EQ(fit::PseudoText("Save", 100), "[Šávé~~~~]");
    EXPECT_EQ(fit::PseudoText(""), "");
    EXPECT_EQ(fit::PseudoText(" \r\n\t"), " \r\n\t");
    EXPECT_EQ(fit::PseudoText("保存する"), "[保存する~~]");
}

TEST(Pseudo, NeverPassesTheFormatsBytes) {
    std::string longText;
    while (longText.size() < 30000) longText += "<color 9>Words and %s words\n";
    const std::string pseudo = fit::PseudoText(longText);
    EXPECT_LE(pseudo.size(), 32767u);
    EXPECT_EQ(SkeletonOf(pseudo), SkeletonOf(longText));
    EXPECT_EQ(pseudo.front(), '[');
    // Past the bytes even without lengthening: fewer letters are replaced.
    const std::string letters(32000, 'a');
    const std::string fewer = fit::PseudoText(letters);
    EXPECT_EQ(fewer.size(), 32767u);
    EXPECT_EQ(fewer.substr(0, 3), "[á");
    EXPECT_EQ(fewer.substr(fewer.size() - 2), "a]");
    // A text that even its brackets would take past them stays as it is.
    const std::string full(32767, 'x');
    EXPECT_EQ(fit::PseudoText(full), full);
}

TEST(Pseudo, KeepsTheSampleProjectsTagsPlaceholdersAndLineBreaksByteForByte) {
    const std::vector<std::string> corpus = SampleTexts();
    ASSERT_GT(corpus.size(), 300u);
    for (int percent : {0, 30, 50}) CheckCorpus(corpus, percent);
}

TEST(Pseudo, KeepsARealCorpusByteForByte) {
    const std::vector<std::string> corpus = SystemMessages();
    if (corpus.size() < 1000) GTEST_SKIP() << "no message catalogues in /usr/share/locale/de (gettext's msgunfmt)";
    CheckCorpus(corpus, 30);
}

// ---- the command ----

class LoctoolPseudo : public LoctoolTest {
  protected:
    void SetUp() override {
        LoctoolTest::SetUp();
        fs::copy(QK_BINARY_DIR "/sample", dir_ / "p", fs::copy_options::recursive);
    }
    fs::path Project() const { return dir_ / "p"; }
    Outcome Pseudo(const std::string& args, const std::string& env = "") const {
        return Shell(env + " " + Q(kLoctool) + " pseudo " + Q(Project()) + " " + args, dir_);
    }
};

TEST_F(LoctoolPseudo, WritesANewFolderThatQaFindsOnlyTheRoomWantingIn) {
    const Outcome o = Pseudo("Pseudo");
    ASSERT_EQ(o.code, 0) << o.err;
    EXPECT_EQ(o.out, "Pseudo: 48 texts of English in 3 files, 30% longer (Texts/Pseudo)\n");
    std::vector<std::string> english, pseudo;
    for (const char* file : {"menu", "game", "keyboard"}) {
        const std::string name = std::string(file) + ".loc";
        ASSERT_TRUE(locformat::ParseLoc(locfixture::ReadFile(Project() / "Texts" / "English" / name), name,
                                        locformat::Trailing::Refuse, english)
                        .ok);
        ASSERT_TRUE(locformat::ParseLoc(locfixture::ReadFile(Project() / "Texts" / "Pseudo" / name), name,
                                        locformat::Trailing::Refuse, pseudo)
                        .ok);
        ASSERT_EQ(pseudo.size(), english.size());
        for (size_t i = 0; i < english.size(); ++i) EXPECT_EQ(pseudo[i], fit::PseudoText(english[i]));
    }
    EXPECT_EQ(Loctool("check " + Q(Project())).out, "OK\n");
    // qa: nothing about tags, placeholders or line breaks; with a room, what does not fit.
    std::set<std::string> checks;
    const auto pseudoChecks = [&] {
        checks.clear();
        const nlohmann::json j = nlohmann::json::parse(Loctool("qa " + Q(Project()) + " --format json").out);
        for (const nlohmann::json& p : j["problems"])
            if (p["language"] == "Pseudo") checks.insert(p["check"].get<std::string>());
    };
    pseudoChecks();
    EXPECT_EQ(checks, std::set<std::string>{});
    fs::copy_file(QK_BINARY_DIR "/zazovi_font.dsf", Project() / "zazovi_font.dsf");
    std::ofstream(Project() / "zazovi-project.ini") << "[width]\nmenu = 160\n[lines]\nmenu = 1\n";
    pseudoChecks();
    EXPECT_EQ(checks, std::set<std::string>{"lines"});

    // Never over a folder that is there: the files stay as they were.
    const std::string before = locfixture::ReadFile(Project() / "Texts" / "Pseudo" / "menu.loc");
    const Outcome again = Pseudo("Pseudo --expand 60");
    EXPECT_EQ(again.code, 1);
    EXPECT_NE(again.err.find("Texts/Pseudo is there already"), std::string::npos) << again.err;
    EXPECT_EQ(locfixture::ReadFile(Project() / "Texts" / "Pseudo" / "menu.loc"), before);
    EXPECT_EQ(Pseudo("German").code, 1);
}

TEST_F(LoctoolPseudo, RefusesBadArgumentsAndAProjectSomeoneElseHolds) {
    EXPECT_EQ(Pseudo("").code, 2);
    EXPECT_EQ(Pseudo("P --expand lots").code, 2);
    EXPECT_EQ(Pseudo("P --expand 2000").code, 2);
    const Outcome hidden = Pseudo(".P");
    EXPECT_EQ(hidden.code, 1);
    EXPECT_NE(hidden.err.find("starts with '.'"), std::string::npos) << hidden.err;
    EXPECT_EQ(Pseudo("A/B").code, 1);
    EXPECT_EQ(Pseudo("P --source Klingon").code, 1);
    EXPECT_FALSE(fs::exists(Project() / "Texts" / "P"));
    // The editor holds the project: pseudo says so and writes nothing.
    locfixture::WriteFile(Project() / "zazovi.lock", std::to_string(getpid()) + " " + PlatHostName() + "\nzazovi\n");
    const Outcome held = Pseudo("P");
    EXPECT_EQ(held.code, 1);
    EXPECT_NE(held.err.find("is open in the editor"), std::string::npos) << held.err;
    EXPECT_FALSE(fs::exists(Project() / "Texts" / "P"));
    fs::remove(Project() / "zazovi.lock");
    const Outcome german = Pseudo("P --source German --expand 0");
    EXPECT_EQ(german.code, 0) << german.err;
    EXPECT_EQ(german.out, "P: 48 texts of German in 3 files, 0% longer (Texts/P)\n");
}

// Killed after any step of its write, the folder is whole or not there once the next
// writer has finished or undone the write: the journal, three temporaries, the end line,
// three renames, the journal removed.
TEST_F(LoctoolPseudo, KilledAfterAnyStepLeavesTheWholeFolderOrNone) {
    const int steps = 9;
    for (int step = 1; step <= steps; ++step) {
        SCOPED_TRACE("stopped after step " + std::to_string(step));
        fs::remove_all(Project() / "Texts" / "Pseudo");
        const Outcome killed = Pseudo("Pseudo", "QK_TEST_STOP_AFTER=" + std::to_string(step));
        EXPECT_EQ(killed.code, kPlatTestStopExitCode) << killed.err;
        // The next writer finishes or undoes it: then the folder is whole, or gone.
        const Outcome next = Pseudo("Other");
        EXPECT_EQ(next.code, 0) << next.err;
        const bool whole = step >= 5;
        EXPECT_EQ(fs::exists(Project() / "Texts" / "Pseudo"), whole);
        EXPECT_EQ(Loctool("check " + Q(Project())).out, "OK\n");
        fs::remove_all(Project() / "Texts" / "Other");
    }
}
