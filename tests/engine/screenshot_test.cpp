// Screenshots: file sizes and layouts, pixels read back by an independent reader
// (ImageMagick), unsupported types and their errors, and the Ctrl+Alt+S numbering.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "engine/format.h"
#include "support/engine_fixture.h"
#include "support/scratch_folder.h"

namespace fs = std::filesystem;

namespace {

class ScreenshotTest : public ScratchFolder {
  protected:
    void SetUp() override {
        EnsureTestEngine();
        ScratchFolder::SetUp();
        TestClearMessageBoxes();
        // A known picture: dark blue, with a red 10 x 10 block whose top-left is (10, 20).
        ClearScreen(0, 0, 0.5f);
        glEnable(GL_SCISSOR_TEST);
        glScissor(10, 600 - 30, 10, 10);
        glClearColor(1, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glDisable(GL_SCISSOR_TEST);
    }
    static std::vector<uint8_t> Bytes(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    // Ctrl+Alt+S, the S pressed `presses` times, then a frame, which takes the shots.
    static void ScreenshotKey(int presses) {
        g_screenshotHook = RequestScreenshot;
        TestKeyDown(VK_CONTROL, 0x1D);
        TestPostMessage(WM_SYSKEYDOWN, VK_MENU, MakeKeyLParam(0x38, false));
        for (int press = 0; press < presses; ++press) TestPostMessage(WM_SYSKEYDOWN, 'S', MakeKeyLParam(0x1F, false));
        PumpMessages();
        EngineFrame();
    }
    static std::string Run(const std::string& command) {
        std::string out;
        std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
        std::array<char, 256> buf{};
        while (pipe && fgets(buf.data(), buf.size(), pipe.get())) out += buf.data();
        return out;
    }
};

}  // namespace

TEST_F(ScreenshotTest, BmpAndTgaHaveTheirSizesAndTheRightPixels) {
    ASSERT_TRUE(SaveScreenshot("shot.bmp"));
    ASSERT_TRUE(SaveScreenshot("shot.Tga"));
    EXPECT_EQ(fs::file_size("shot.bmp"), 1440054u);
    EXPECT_EQ(fs::file_size("shot.Tga"), 1440018u);
    const auto bmp = Bytes("shot.bmp");
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[28], 24);
    const auto tga = Bytes("shot.Tga");
    EXPECT_EQ(tga[2], 2);
    EXPECT_EQ(tga[16], 24);
    // Bottom row first, blue-green-red: the first pixel is the bottom-left one.
    EXPECT_EQ(tga[18], 128);
    EXPECT_EQ(tga[20], 0);

#ifdef _WIN32
    GTEST_SKIP() << "ImageMagick, which reads the screenshots back, is a Linux tool here";
#endif
    for (const char* name : {"shot.bmp", "shot.Tga"}) {
        const std::string file = (dir_ / name).string();
        EXPECT_EQ(Run("identify -format '%w %h' '" + file + "'"), "800 600") << name;
        // ImageMagick reports TGA pixels in file order until it applies the orientation.
        const std::string open = "convert '" + file + "' -auto-orient -format ";
        const std::string red = Run(open + "'%[pixel:p{15,25}]' info:");
        const std::string blue = Run(open + "'%[pixel:p{100,100}]' info:");
        EXPECT_TRUE(red.find("255,0,0") != std::string::npos || red == "red") << name << ": " << red;
        EXPECT_TRUE(blue.find("0,0,128") != std::string::npos || blue.find("0,0,127") != std::string::npos)
            << name << ": " << blue;
    }
}

TEST_F(ScreenshotTest, OddWidthPadsBmpRows) {
    TestPostMessage(WM_SIZE, SIZE_RESTORED, MakePointLParam(801, 600));
    PumpMessages();
    const bool saved = SaveScreenshot("odd.bmp");
    TestPostMessage(WM_SIZE, SIZE_RESTORED, MakePointLParam(800, 600));
    PumpMessages();
    ASSERT_TRUE(saved);
    const auto bmp = Bytes("odd.bmp");
    ASSERT_EQ(bmp.size(), 54u + 2404u * 600u);
    for (int row = 0; row < 600; ++row) ASSERT_EQ(bmp[54 + row * 2404 + 2403], 0) << row;
#ifdef _WIN32
    GTEST_SKIP() << "ImageMagick, which reads the screenshots back, is a Linux tool here";
#endif
    EXPECT_EQ(Run("identify -format '%w %h' '" + (dir_ / "odd.bmp").string() + "'"), "801 600");
}

TEST_F(ScreenshotTest, UnsupportedTypesAndEmptyPathsAreReported) {
    EXPECT_FALSE(SaveScreenshot("shot.jpg"));
    EXPECT_FALSE(SaveScreenshot("noextension"));
    EXPECT_FALSE(SaveScreenshot(""));
    EXPECT_FALSE(SaveScreenshot(nullptr));
    EXPECT_TRUE(fs::is_empty(dir_));
    // Without a GUI the engine's errors go to the system's message box.
    const auto& boxes = TestMessageBoxes();
    ASSERT_EQ(boxes.size(), 4u);
    EXPECT_EQ(boxes[0].caption, "Error( glScreenshot )");
    EXPECT_NE(boxes[0].text.find("Failed to save 'shot.jpg', only '*.bmp' and '*.tga' files are supported"),
              std::string::npos);
    EXPECT_NE(boxes[1].text.find("Failed to save 'noextension'"), std::string::npos);
    EXPECT_EQ(boxes[2].caption, "Error( glScreenShot )");
    EXPECT_NE(boxes[2].text.find("The Path cannot be NULL."), std::string::npos);
}

TEST_F(ScreenshotTest, ScreenshotKeySavesEveryPressOfAFrameUnderItsOwnFreeName) {
    std::ofstream("Screenshot001.bmp") << "x";
    std::ofstream("Screenshot003.bmp") << "x";
    ScreenshotKey(3);
    // Ctrl+S alone is the editor's, not the screenshot key.
    TestPostMessage(WM_SYSKEYUP, VK_MENU, MakeKeyLParam(0x38, false));
    TestPostMessage(WM_KEYDOWN, 'S', MakeKeyLParam(0x1F, false));
    PumpMessages();
    EngineFrame();
    for (auto& k : g_input.keys) k = 0;
    for (const char* name : {"Screenshot002.bmp", "Screenshot004.bmp", "Screenshot005.bmp"})
        EXPECT_EQ(fs::file_size(name), 1440054u) << name;
    EXPECT_EQ(fs::file_size("Screenshot003.bmp"), 1u);
    EXPECT_FALSE(fs::exists("Screenshot006.bmp"));
}

TEST_F(ScreenshotTest, ScreenshotKeyWithEveryNameTakenSaysSoAndOverwritesNothing) {
    for (int n = 1; n <= 999; ++n) std::ofstream(FormatText("Screenshot%.3i.bmp", n)) << "x";
    ScreenshotKey(1);
    for (auto& k : g_input.keys) k = 0;
    for (const auto& entry : fs::directory_iterator(dir_)) EXPECT_EQ(fs::file_size(entry.path()), 1u) << entry.path();
    EXPECT_FALSE(fs::exists("Screenshot1000.bmp"));
    ASSERT_EQ(TestMessageBoxes().size(), 1u);
    EXPECT_NE(TestMessageBoxes()[0].text.find("Screenshot001.bmp to Screenshot999.bmp all exist"), std::string::npos)
        << TestMessageBoxes()[0].text;
}

TEST(EngineError, TitleNamesTheContextAndLongContextsAreCut) {
    EnsureTestEngine();
    TestClearMessageBoxes();
    EngineError("Something broke.", nullptr);
    EngineError("Again.", std::string(300, 'c').c_str());
    const auto& boxes = TestMessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].caption, "Error");
    EXPECT_EQ(boxes[0].text, "Something broke.");
    EXPECT_EQ(boxes[1].caption, "Error( " + std::string(103 - 7, 'c'));
}
