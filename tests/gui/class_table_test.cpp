// Every colour property of every class the toolkit registers moves exactly the bytes of
// a colour through the by-name API.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "tests/gui/gui_test_support.h"

using guitest::GuiTest;

// A colour is 4 bytes wherever it is stored: the API reads no more than those from the
// caller and writes no more than those back, so a caller's `Color` is never overrun.
TEST_F(GuiTest, EveryColourPropertyOfEveryClassMovesExactlyFourBytes) {
    CreateTopControl("Sheet", "S", nullptr, 0, 0, 800, 600);
    std::set<std::string> checked;
    for (int i = 0; i < ControlClassCount(); ++i) {
        const ControlClass* cls = ControlClassAt(i);
        if (std::strncmp(cls->name, "Test", 4) == 0) continue;
        const std::string name = std::string("Probe") + cls->name;
        ASSERT_NE(CreateControl(cls->name, name.c_str(), "S", 10, 10, 50, 50), nullptr) << cls->name;
        for (const PropertyEntry& e : cls->properties) {
            if (e.type != PROP_COLOR && e.type != PROP_BACKGROUND) continue;
            SCOPED_TRACE(std::string(cls->name) + "." + e.name);
            // The colour, then bytes that must not be taken for part of it.
            const uint32_t given[2] = {MakeColor(12, 34, 56), 0xFFFFFFFFu};
            ASSERT_TRUE(SetControlProperty(name.c_str(), e.name, given));
            uint8_t read[16];
            std::memset(read, 0xAB, sizeof read);
            ASSERT_TRUE(GetControlProperty(name.c_str(), e.name, read));
            uint32_t colour;
            std::memcpy(&colour, read, 4);
            EXPECT_EQ(colour, given[0]);
            for (size_t b = 4; b < sizeof read; ++b) EXPECT_EQ(read[b], 0xAB) << "byte " << b;
            checked.insert(std::string(cls->name) + "." + e.name);
        }
    }
    for (const char* background : {"Button.Background", "Button.DownBackground", "Sheet.Background"})
        EXPECT_EQ(checked.count(background), 1u) << background;
}
