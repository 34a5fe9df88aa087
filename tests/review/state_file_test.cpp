// state_file_test.cpp - "Translation state/<language>.tsv": the exact bytes written for
// records out of order and full of characters to escape, what Windows checkouts and hand
// merges leave in the file, and each kind of damage, named with its line.
#include "editor/review/state_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using review::ItemReview;
using review::ReviewState;
using review::StateFile;
using review::StateFileError;

const std::string kHeader = "zazovi translation state 1\tEnglish\n";

StateFile Parsed(const std::string& bytes) {
    StateFile states;
    StateFileError error;
    EXPECT_TRUE(review::ParseStateFile(bytes, states, error)) << error.Text();
    return states;
}

TEST(StateFileRoundTrip, WritesSortedEscapedLinesAndReadsTheSameRecordsBack) {
    StateFile states;
    states.sourceLanguage = "English";
    states.items = {
        {"menu", 10, ReviewState::Approved, "Quit", ""},
        {"game", 2, ReviewState::NeedsReview, "Line one\nLine two\r\n", "Tab\there, a backslash \\ and \\n as text"},
        {"menu", 9, ReviewState::Translated, "Größe: %d", "カタカナ"},
        {"game", 2000000000, ReviewState::Untranslated, "", "only a comment"},
        {"keyboard", 0, ReviewState::Untranslated, "", ""},  // nothing to keep: not written
        {"game", 11, ReviewState::Untranslated, "a recorded source", ""},
    };
    const std::string bytes = review::WriteStateFile(states);
    // Indices sort as numbers (9 before 10, 11 after 2), files by their bytes.
    EXPECT_EQ(bytes, kHeader +
                         "game\t2\tneeds-review\tLine one\\nLine two\\r\\n\tTab\\there, a backslash \\\\ and \\\\n as "
                         "text\n"
                         "game\t11\tuntranslated\ta recorded source\t\n"
                         "game\t2000000000\tuntranslated\t\tonly a comment\n"
                         "menu\t9\ttranslated\tGröße: %d\tカタカナ\n"
                         "menu\t10\tapproved\tQuit\t\n");

    const StateFile back = Parsed(bytes);
    EXPECT_EQ(back.sourceLanguage, "English");
    ASSERT_EQ(back.items.size(), 5u);
    EXPECT_EQ(back.items[0], states.items[1]);
    EXPECT_EQ(back.items[4], states.items[0]);
    EXPECT_EQ(review::WriteStateFile(back), bytes);

    StateFile odd;
    odd.sourceLanguage = "Tab\tand\\";
    EXPECT_EQ(Parsed(review::WriteStateFile(odd)), odd);
}

TEST(StateFileRoundTrip, ReadsWhatCheckoutsAndHandMergesLeaveAndWritesItCanonically) {
    const std::string bytes =
        "\xEF\xBB\xBFzazovi translation state 1\tEnglish\r\n"
        "menu\t3\ttranslated\tStart\t\r\n"
        "game\t1\tapproved\tGo\tok\r\n"
        "menu\t4\tuntranslated\t\t\r\n"  // nothing to keep: read as no record
        "game\t0\tneeds-review\tRun\t";  // no final line end
    const StateFile states = Parsed(bytes);
    EXPECT_EQ(review::WriteStateFile(states), kHeader +
                                                  "game\t0\tneeds-review\tRun\t\n"
                                                  "game\t1\tapproved\tGo\tok\n"
                                                  "menu\t3\ttranslated\tStart\t\n");
    EXPECT_EQ(review::FindReview(states, "menu", 4), nullptr);
    EXPECT_EQ(Parsed(kHeader).items.size(), 0u);
}

std::string Repeated(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

struct Damage {
    const char* what;
    std::string bytes;
    int line;
    std::string message;  // the start of the message
};

TEST(StateFileDamage, EachDamageIsReportedWithItsLineAndLeavesTheStatesAsTheyWere) {
    const std::string good = "menu\t1\ttranslated\tA\t\n";
    const std::vector<Damage> cases = {
        {"an empty file", "", 1, "the file is empty"},
        {"another format", "id\tstate\n", 1, "the first line is not 'zazovi translation state 1<tab>"},
        {"a newer version", "zazovi translation state 2\tEnglish\n", 1,
         "the file is version '2'; this program reads version 1"},
        {"no source language", "zazovi translation state 1\n", 1, "the first line names no source language"},
        {"an empty source language", "zazovi translation state 1\t\n", 1, "the source language is empty"},
        {"a third field in the first line", "zazovi translation state 1\tEnglish\tGerman\n", 1,
         "the first line has 3 fields"},
        {"four fields", kHeader + good + "menu\t2\ttranslated\tA\n", 3, "4 fields where an item line has 5"},
        {"six fields", kHeader + "menu\t2\ttranslated\tA\tB\tC\n", 2, "6 fields where an item line has 5"},
        {"an empty line", kHeader + "\n" + good, 2, "1 field where"},
        {"an unknown escape", kHeader + good + "menu\t2\tapproved\tA\\qB\t\n", 3,
         "a bad escape in the recorded source"},
        {"a backslash at the end", kHeader + "menu\t2\tapproved\tA\tB\\\n", 2, "a bad escape in the comment"},
        {"an empty file name", kHeader + "\t2\tapproved\tA\t\n", 2, "the file name is empty"},
        {"a negative index", kHeader + "menu\t-1\tapproved\tA\t\n", 2, "bad index '-1'"},
        {"a leading zero", kHeader + "menu\t01\tapproved\tA\t\n", 2, "bad index '01'"},
        {"an index beyond 32 bits", kHeader + "menu\t2147483648\tapproved\tA\t\n", 2, "bad index '2147483648'"},
        {"no index", kHeader + "menu\t\tapproved\tA\t\n", 2, "bad index ''"},
        {"an unknown state", kHeader + good + "menu\t2\tdone\tA\t\n", 3, "unknown state 'done'"},
        {"a long state, quoted short and cut between characters",
         kHeader + "menu\t2\tx" + Repeated("ä", 30) + "\tA\t\n", 2,
         "unknown state 'x" + Repeated("ä", 19) + "...' (the states are"},
        {"a state in capitals", kHeader + "menu\t2\tApproved\tA\t\n", 2, "unknown state 'Approved'"},
        {"an item twice", kHeader + good + "game\t1\tapproved\tA\t\n" + good, 4, "'menu' item 1 is already on line 2"},
        {"an item twice, once empty", kHeader + good + "menu\t1\tuntranslated\t\t\n", 3, "'menu' item 1 is already"},
        {"a bare carriage return", kHeader + "menu\t2\tapproved\tA\rB\t\n", 2, "a carriage return inside the line"},
        {"Latin-1 instead of UTF-8",
         kHeader + good +
             "menu\t2\tapproved\tGr\xF6\xDF"
             "e\t\n",
         3, "invalid UTF-8 at byte 19"},
        {"an overlong form", kHeader + "menu\t2\tapproved\t\xC0\x80\t\n", 2, "invalid UTF-8"},
        {"a surrogate", kHeader + "menu\t2\tapproved\t\xED\xA0\x80\t\n", 2, "invalid UTF-8"},
        {"a sequence cut short", kHeader + "menu\t2\tapproved\tA\t\xE2\x82", 2, "invalid UTF-8"},
        {"invalid UTF-8 in the first line", "zazovi translation state 1\t\xFF\n", 1, "invalid UTF-8"},
        {"a git merge conflict",
         kHeader + good + "<<<<<<< HEAD\nmenu\t2\tapproved\tA\t\n=======\n" +
             "menu\t2\tneeds-review\tA\t\n>>>>>>> theirs\n",
         3, "a git merge conflict is left in the file (<<<<<<<)"},
        {"a conflict's marker alone, in the first line", "=======\r\n" + kHeader, 1,
         "a git merge conflict is left in the file (=======)"},
    };
    for (const Damage& d : cases) {
        StateFile states;
        states.sourceLanguage = "untouched";
        states.items.push_back({"menu", 7, ReviewState::Approved, "kept", ""});
        const StateFile before = states;
        StateFileError error;
        EXPECT_FALSE(review::ParseStateFile(d.bytes, states, error)) << d.what;
        EXPECT_EQ(error.line, d.line) << d.what << ": " << error.Text();
        EXPECT_EQ(error.message.substr(0, d.message.size()), d.message) << d.what << ": " << error.Text();
        EXPECT_EQ(states, before) << d.what;
    }
}

TEST(StateFileRecords, SetFindAndEraseKeepOneSortedRecordPerItemWithSomethingToKeep) {
    StateFile states;
    states.sourceLanguage = "English";
    for (int32_t i : {5, 1, 3}) review::SetReview(states, {"menu", i, ReviewState::Translated, "s", ""});
    review::SetReview(states, {"game", 9, ReviewState::Approved, "g", ""});
    review::SetReview(states, {"menu", 3, ReviewState::NeedsReview, "s", "why"});  // replaces

    std::vector<std::pair<std::string, int32_t>> keys;
    for (const ItemReview& r : states.items) keys.emplace_back(r.file, r.index);
    EXPECT_EQ(keys, (std::vector<std::pair<std::string, int32_t>>{{"game", 9}, {"menu", 1}, {"menu", 3}, {"menu", 5}}));
    ASSERT_NE(review::FindReview(states, "menu", 3), nullptr);
    EXPECT_EQ(review::FindReview(states, "menu", 3)->comment, "why");
    EXPECT_EQ(review::FindReview(states, "menu", 4), nullptr);
    EXPECT_EQ(review::FindReview(states, "men", 3), nullptr);

    // Taking everything off a record removes it, as if it had never been written.
    review::SetReview(states, {"menu", 1, ReviewState::Untranslated, "", ""});
    EXPECT_EQ(review::FindReview(states, "menu", 1), nullptr);
    EXPECT_TRUE(review::EraseReview(states, "game", 9));
    EXPECT_FALSE(review::EraseReview(states, "game", 9));
    EXPECT_EQ(states.items.size(), 2u);
    EXPECT_EQ(Parsed(review::WriteStateFile(states)), states);
}

TEST(StateFileRecords, ReferenceChangedOnlyWhenASourceWasRecorded) {
    const ItemReview translated{"menu", 0, ReviewState::Translated, "Start", ""};
    EXPECT_FALSE(review::ReferenceChanged(translated, "Start"));
    EXPECT_TRUE(review::ReferenceChanged(translated, "Start!"));
    // Translated from an empty source: any source now is a change.
    EXPECT_TRUE(review::ReferenceChanged({"menu", 0, ReviewState::Approved, "", ""}, "Start"));
    // Only a comment: nothing was recorded to compare with.
    EXPECT_FALSE(review::ReferenceChanged({"menu", 0, ReviewState::Untranslated, "", "todo"}, "Start"));
}

}  // namespace
