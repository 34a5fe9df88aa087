// class_table.cpp - the toolkit's own control classes, the GUI's start and end
// (`InitGui` and `ShutdownGui`, called by the engine's InitEngine and ShutdownEngine),
// and the table of entry points through which the engine reaches the GUI.
#include <cstring>

#include "engine/gui_hooks.h"
#include "gui/gui.h"
#include "gui/gui_internal.h"
#include "gui/msgbox.h"

// The eighteen classes of the toolkit, in ascending name order, with their flags.
struct ClassRow {
    const char* name;
    uint8_t tabStopByDefault;
    uint8_t tabRoot;
};
static constexpr ClassRow kClassRows[] = {
    {"Button", 1, 0},     {"CheckBox", 1, 0},    {"ComboBox", 1, 0},    {"Dialog", 0, 1},    {"Frame", 0, 1},
    {"Label", 0, 0},      {"Line", 0, 0},        {"ListBox", 1, 0},     {"MCListBox", 1, 0}, {"MLTextBox", 1, 0},
    {"PictureBox", 0, 0}, {"ProgressBar", 0, 0}, {"RadioButton", 1, 0}, {"ScrollBar", 0, 0}, {"Shape", 0, 0},
    {"Sheet", 0, 1},      {"StatusBar", 0, 0},   {"TextBox", 1, 0},
};

// The factories the control units define (gui/controls/), one per class. Declaring
// them all costs nothing: only the rows below refer to them.
Control* NewButton();
Control* NewCheckBox();
Control* NewComboBox();
Control* NewDialog();
Control* NewFrame();
Control* NewLabel();
Control* NewLine();
Control* NewListBox();
Control* NewMCListBox();
Control* NewMLTextBox();
Control* NewPictureBox();
Control* NewProgressBar();
Control* NewRadioButton();
Control* NewScrollBar();
Control* NewShape();
Control* NewSheet();
Control* NewStatusBar();
Control* NewTextBox();

// The classes that exist: a control unit adds its one row here when it lands, e.g.
//     {"Button", &NewButton},
// Classes without a row are skipped at start-up, so the toolkit runs while its
// controls are still being built; the order of the rows does not matter.
struct FactoryRow {
    const char* name;
    Control* (*factory)();
};
static constexpr FactoryRow kBuiltFactories[] = {
    {nullptr, nullptr},  // keeps the array non-empty; harmless once rows exist
    {"Button", &NewButton},
    {"CheckBox", &NewCheckBox},
    {"ComboBox", &NewComboBox},
    {"Dialog", &NewDialog},
    {"Frame", &NewFrame},
    {"Label", &NewLabel},
    {"Line", &NewLine},
    {"ListBox", &NewListBox},
    {"MCListBox", &NewMCListBox},
    {"MLTextBox", &NewMLTextBox},
    {"PictureBox", &NewPictureBox},
    {"ProgressBar", &NewProgressBar},
    {"RadioButton", &NewRadioButton},
    {"ScrollBar", &NewScrollBar},
    {"Shape", &NewShape},
    {"Sheet", &NewSheet},
    {"StatusBar", &NewStatusBar},
    {"TextBox", &NewTextBox},
};

static Control* (*FactoryFor(const char* name))() {
    for (const FactoryRow& row : kBuiltFactories)
        if (row.name && std::strcmp(row.name, name) == 0) return row.factory;
    return nullptr;
}

static const ClassRow* g_pendingRow = nullptr;  // hands the row to the fill function below

static void FillFromRow(ControlClass* cls) {
    std::strncpy(cls->name, g_pendingRow->name, sizeof cls->name - 1);
    cls->tabStopByDefault = g_pendingRow->tabStopByDefault;
    cls->tabRoot = g_pendingRow->tabRoot;
    cls->factory = FactoryFor(g_pendingRow->name);
}

void InitGui() {
    g_gui.activeSheet = g_gui.focus = g_gui.capture = g_gui.modal = g_gui.keyDownTarget = nullptr;
    g_gui.pendingFocus = nullptr, g_gui.focusPending = false, g_gui.focusWalks = 0;
    g_gui.overlay = nullptr;
    g_gui.tip = ToolTipState{};
    g_gui.pointerShown = 1;
    g_gui.pointerKind = POINTER_ARROW;
    RegisterGuiPointerShapes();
    for (const ClassRow& row : kClassRows) {
        if (!FactoryFor(row.name) || FindControlClass(row.name)) continue;
        g_pendingRow = &row;
        RegisterControlClass(FillFromRow);
    }
    g_pendingRow = nullptr;
    g_gui.initialised = 1;
}

void ShutdownGui() {
    // Take the controls out of the registry first, so that handlers running during the
    // teardown find no half-destroyed control by name.
    std::vector<std::unique_ptr<Control>> controls = std::move(g_gui.controls);
    g_gui.controls.clear();
    g_gui.activeSheet = g_gui.focus = g_gui.capture = g_gui.modal = g_gui.keyDownTarget = nullptr;
    g_gui.pendingFocus = nullptr, g_gui.focusPending = false, g_gui.focusWalks = 0;
    g_gui.overlay = nullptr;
    g_gui.tip = ToolTipState{};
    for (auto& c : controls) {
        c->children.clear();
        c->parent = nullptr;
        c->OnDestroy();
        c.reset();
    }
    for (auto& cls : g_gui.classes) {
        cls->properties.clear(), cls->propertyCount = -1;
        cls->events.clear(), cls->eventCount = -1;
    }
    g_gui.initialised = 0;
}

void InstallGui() {
    static constexpr GuiHooks kGuiHooks = {
        InitGui,      ShutdownGui, GuiKeyDown, GuiKeyUp,        GuiChar, GuiDoubleClick,
        GuiMouseMove, GuiDraw,     GuiUpdate,  GuiResetPointer, MsgBox,
    };
    SetGuiHooks(&kGuiHooks);
}
