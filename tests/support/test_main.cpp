// test_main.cpp - the main of every test program. The programs of the layers above the
// engine (QK_TEST_WITH_GUI) install the GUI first, as the editor's main does, so that
// the engine they start calls it; the engine's and renderer's tests run without one.
#include <gtest/gtest.h>

#ifdef QK_TEST_WITH_GUI
#include "gui/gui.h"
#endif

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    // Tests that end the engine or the process run in a fresh copy of the program:
    // forking a process that holds an X connection is not safe.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
#ifdef QK_TEST_WITH_GUI
    InstallGui();
#endif
    return RUN_ALL_TESTS();
}
