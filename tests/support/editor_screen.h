// editor_screen.h - the editor's main screen on the test backend, for the tests of the
// editor and of its checks: a scratch project that is the working directory, the screen
// built and taken down, and message boxes answered by script with what they said kept.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "editor/editor.h"
#include "editor/features.h"
#include "editor/project.h"
#include "editor/text_store.h"
#include "gui/controls/combobox.h"
#include "gui/controls/listbox.h"
#include "gui/gui.h"
#include "gui/msgbox.h"
#include "render/font.h"
#include "support/engine_fixture.h"
#include "support/loc_files.h"
#include "support/scratch_folder.h"

namespace editorscreen {

namespace fs = std::filesystem;

inline void WriteLoc(const fs::path& p, const std::vector<std::string>& texts) {
    locfixture::WriteFile(p, locfixture::LocBytes(texts));
}

// Items "Name<i>" described as "Description of item <i>".
inline void WriteDesc(const fs::path& p, int count) {
    std::vector<std::pair<std::string, std::string>> items;
    for (int i = 0; i < count; ++i)
        items.emplace_back("Name" + std::to_string(i), "Description of item " + std::to_string(i));
    locfixture::WriteFile(p, locfixture::DescBytes(items));
}

inline std::string Bytes(const fs::path& p) { return locfixture::ReadFile(p); }

// The Text property of a control ("" when there is none of that name).
inline std::string Prop(const char* control) {
    Control* c = FindControl(control);
    if (!c) return {};
    std::string text(static_cast<size_t>(c->GetProperty("Text", nullptr)), '\0');
    c->GetProperty("Text", text.data());
    return text.c_str();
}

// Message boxes are answered as soon as they are built: with the next of `answers` (the
// first button when none is left), -1 meaning Escape, -2 a quit request; `texts` keeps
// what the boxes said.
struct Boxes {
    std::vector<int> answers;
    std::vector<std::string> texts;
    int answer = 0;
};
inline Boxes g_boxes;

inline void AnswerBoxes(Control* c) {
    if (std::strncmp(c->name, "QUARNEL_Common_Dialog_", 22) == 0) {
        g_boxes.answer = g_boxes.answers.empty() ? 0 : g_boxes.answers.front();
        if (!g_boxes.answers.empty()) g_boxes.answers.erase(g_boxes.answers.begin());
        if (g_boxes.answer == -1) {
            TestKeyDown(VK_ESCAPE, 0x01);
            TestKeyUp(VK_ESCAPE, 0x01);
        }
        if (g_boxes.answer == -2) TestPostMessage(WM_QUIT, 0, 0);  // SIGTERM while the box waits
    }
    if (std::strncmp(c->name, "QUARNEL_CD_Label_", 17) == 0) g_boxes.texts.push_back(Prop(c->name));
    if (g_boxes.answer >= 0 && std::strncmp(c->name, "QUARNEL_CD_Button_", 18) == 0 &&
        c->name[std::strlen(c->name) - 1] == '0' + g_boxes.answer) {
        float x, y;
        c->ScreenPos(&x, &y);
        TestAdvanceTicks(1000);
        TestMouseButton(WM_LBUTTONDOWN, static_cast<int>(x + 5), static_cast<int>(y + 5));
        TestMouseButton(WM_LBUTTONUP, static_cast<int>(x + 5), static_cast<int>(y + 5));
    }
}

// Takes the screen down, so that another one can be built in the same test.
inline void TearDownScreen() {
    SetActiveSheet(nullptr);
    while (ControlCount() > 0) DestroyControl(ControlAt(0)->name);
    g_editor = EditorState{};
    ResetStore();
}

// A scratch folder, the engine with the editor's font, and message boxes answered; the
// test writes its project and builds the screen.
class ScreenTest : public ScratchFolder {
  protected:
    void SetUp() override {
        EnsureTestEngine();
        static Font* font = LoadFont(QK_BINARY_DIR "/zazovi_font.dsf");
        ASSERT_NE(font, nullptr);
        SetFont(font);
        ScratchFolder::SetUp();
        g_boxes = Boxes{};
        g_commonDialogs.creationHook = AnswerBoxes;
    }
    void TearDown() override {
        g_commonDialogs.creationHook = nullptr;
        TearDownScreen();
        ScratchFolder::TearDown();
    }
    static void Build() {
        BuildMainScreen();
        ASSERT_NE(g_editor.items, nullptr);
    }
};

// English (the reference) and German with the same texts in every file; the screen starts
// on German menu, and the desk's features end with each test.
class DeskScreen : public ScreenTest {
  protected:
    void WriteEnglishGerman(const std::vector<std::string>& english, const std::vector<std::string>& german) const {
        for (const char* file : {"menu", "game", "keyboard"}) {
            WriteLoc(dir_ / "Texts" / "English" / (std::string(file) + ".loc"), english);
            WriteLoc(dir_ / "Texts" / "German" / (std::string(file) + ".loc"), german);
            WriteDesc(dir_ / "Descriptions" / (std::string(file) + ".desc"), static_cast<int>(english.size()));
        }
        StartOnGermanMenu();
    }
    void StartOnGermanMenu() const {
        locfixture::WriteFile(dir_ / "zazovi.cfg", std::string("\x01\0\0\0\0\0\0\0\xFF\xFF\xFF\xFF", 12));
    }
    void TearDown() override {
        FeaturesShutdown();
        ScreenTest::TearDown();
    }
    // A key with the modifiers held; the arrows, Home, End, Page Up and Page Down as the
    // extended keys they are.
    static void Key(uint8_t vk, bool ctrl = false, bool shift = false, bool alt = false) {
        if (ctrl) TestKeyDown(VK_CONTROL, 0x1D);
        if (shift) TestKeyDown(VK_SHIFT, 0x2A);
        if (alt) TestKeyDown(VK_MENU, 0x38);
        const bool extended = vk >= VK_PRIOR && vk <= VK_DOWN;
        TestKeyDown(vk, 0, extended);
        TestKeyUp(vk, 0, extended);
        if (alt) TestKeyUp(VK_MENU, 0x38);
        if (shift) TestKeyUp(VK_SHIFT, 0x2A);
        if (ctrl) TestKeyUp(VK_CONTROL, 0x1D);
        PumpMessages();
    }
};

}  // namespace editorscreen
