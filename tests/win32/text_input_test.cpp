// text_input_test.cpp - typed text through Windows' own input path: characters that
// an input method or on-screen keyboard injects, including one outside the Basic
// Multilingual Plane, reach a multi-line text box as the characters they are.
// (Apart from the backend test: the GUI's names and <windows.h> do not mix.)
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/engine.h"
#include "gui/controls/mltextbox.h"
#include "gui/gui.h"
#include "tests/win32/win32_test_support.h"

namespace {

class Win32TextInput : public testing::Test {
  protected:
    void SetUp() override { WinTestOpenWindow(); }
    void TearDown() override { WinTestCloseWindow(); }
};

TEST_F(Win32TextInput, CharacterOutsideTheBasicPlaneArrivesAsAPairAndBecomesOneCharacter) {
    CreateTopControl("Sheet", "S", nullptr, 0, 0, 800, 600);
    SetActiveSheet("S");
    auto* box = static_cast<MLTextBox*>(CreateControl("MLTextBox", "M", "S", 100, 100, 300, 100));
    ASSERT_NE(box, nullptr);
    SetControlProperty("M", "Text", "");
    ASSERT_TRUE(SetFocusTo("M"));
    // What an input method or on-screen keyboard sends for U+1F600: two UTF-16 units.
    WinTestSendUnicode(L'a');
    WinTestSendUnicode(0xD83D);
    WinTestSendUnicode(0xDE00);
    WinTestSendUnicode(L'\u00E9');
    WinTestPump(150);
    std::vector<uintptr_t> chars;
    for (const PlatMsg& m : WinTestSeen())
        if (m.message == WM_CHAR) chars.push_back(m.wParam);
    EXPECT_EQ(chars, (std::vector<uintptr_t>{'a', 0xD83D, 0xDE00, 0xE9}));
    EXPECT_EQ(box->text, "a\xF0\x9F\x98\x80\xC3\xA9");
    // The VK_PACKET key messages that carry such characters are no mouse button.
    for (const PlatMsg& m : WinTestSeen())
        if (m.message == WM_KEYDOWN) {
            EXPECT_NE(m.wParam, 0xE7u) << "VK_PACKET reached the engine";
        }
    EXPECT_FALSE(IsKeyDown(KEY_MOUSE2));
}

}  // namespace
