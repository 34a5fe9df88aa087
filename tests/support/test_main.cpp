// test_main.cpp - the main of every test program.
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    // Tests that end the engine or the process run in a fresh copy of the program:
    // forking a process that holds an X connection is not safe.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    return RUN_ALL_TESTS();
}
