// edited_text_test.cpp - an edit made in the text box's view is mapped back onto the
// stored bytes: CR LF line ends, tabs and NUL-cut tails of the stored text.
#include "editor/edited_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct MergeCase {
    const char* what;
    std::string stored;
    std::string edited;  // the whole text box after the edit
    std::string expected;
};

std::string S(const char* bytes, size_t n) { return std::string(bytes, n); }

}  // namespace

TEST(EditedText, TheViewIsWhatTheTextBoxShows) {
    EXPECT_EQ(TextBoxView("New\r\nGame\tX"), "New\nGame X");
    EXPECT_EQ(TextBoxView(S("ab\0cd", 5)), "ab");
    EXPECT_EQ(TextBoxView("\r\r\t"), " ");
}

TEST(EditedText, EditsLandOnTheStoredBytes) {
    const MergeCase cases[] = {
        {"unedited view gives the stored bytes back", "New\r\nGame\tX", "New\nGame X", "New\r\nGame\tX"},
        {"unedited view keeps a NUL and its tail", S("ab\0cd", 5), "ab", S("ab\0cd", 5)},
        {"a new line in a CR LF text is CR LF", "a\r\nb", "a\nb\nc", "a\r\nb\r\nc"},
        {"a new line in an LF text stays LF", "a\nb", "a\nb\nc", "a\nb\nc"},
        {"typing before a line break keeps its CR", "a\r\nb", "aX\nb", "aX\r\nb"},
        {"typing after a line break keeps its CR", "a\r\nb", "a\nXb", "a\r\nXb"},
        {"deleting a line break takes its CR", "a\r\nb", "ab", "ab"},
        {"deleting the first line keeps the next break whole", "a\r\nb", "\nb", "\r\nb"},
        {"a tab outside the edit stays a tab", "Name:\tX", "Name: Y", "Name:\tY"},
        {"tabs on both sides of the edit stay", "\tone\ttwo\t", " one 2 two ", "\tone\t2 two\t"},
        {"replacing everything takes the box's text", "old\r\ntext", "new", "new"},
        {"an edited text ends at the box's end", S("ab\0cd", 5), "abX", "abX"},
        {"an edit inside a UTF-8 text keeps the rest",
         "Gr\xC3\xBC\xC3\x9F"
         "e\r\n\xE2\x82\xAC",
         "Gr\xC3\xBC\xC3\x9F"
         "e!\n\xE2\x82\xAC",
         "Gr\xC3\xBC\xC3\x9F"
         "e!\r\n\xE2\x82\xAC"},
        {"emptying the box", "a\r\n\tb", "", ""},
    };
    for (const MergeCase& c : cases) EXPECT_EQ(MergeEditedText(c.stored, c.edited), c.expected) << c.what;
}
