// The toolkit's eighteen classes: registered in name order, with the property and
// event tables each lists (counts taken from a first instance, as the registry does).
#include <gtest/gtest.h>

#include <cstring>

#include "tests/gui/gui_test_support.h"

using guitest::GuiTest;

namespace {

struct ClassCounts {
    const char* name;
    int properties, events;
};

}  // namespace

TEST_F(GuiTest, AllEighteenClassesAreRegisteredInNameOrderWithTheirTables) {
    const char* const kNames[] = {"Button", "CheckBox", "ComboBox", "Dialog", "Frame", "Label",
                                  "Line", "ListBox", "MCListBox", "MLTextBox", "PictureBox", "ProgressBar",
                                  "RadioButton", "ScrollBar", "Shape", "Sheet", "StatusBar", "TextBox"};
    int previous = -1;
    for (const char* name : kNames) {
        int index = -1;
        for (int i = 0; i < ControlClassCount(); ++i)
            if (std::strcmp(ControlClassAt(i)->name, name) == 0) index = i;
        ASSERT_GE(index, 0) << name << " is not registered";
        EXPECT_GT(index, previous) << name;
        previous = index;
    }
    // The classes whose own test files do not count their tables.
    const ClassCounts kCounts[] = {
        {"Button", 7, 13}, {"Frame", 5, 0}, {"Label", 7, 14}, {"Line", 3, 0},
        {"ScrollBar", 7, 14}, {"Sheet", 2, 13},
    };
    CreateTopControl("Sheet", "S", nullptr, 0, 0, 800, 600);
    for (const ClassCounts& c : kCounts) {
        const std::string control = std::string("Probe") + c.name;
        Control* made = std::strcmp(c.name, "Sheet") == 0 ? FindControl("S")
                                                           : CreateControl(c.name, control.c_str(), "S", 10, 10, 50, 50);
        ASSERT_NE(made, nullptr) << c.name;
        EXPECT_EQ(made->ListProperties(nullptr), c.properties) << c.name;
        EXPECT_EQ(made->ListEvents(nullptr), c.events) << c.name;
        EXPECT_EQ(made->cls->propertyCount, c.properties) << c.name;
    }
}
