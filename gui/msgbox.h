// msgbox.h - the common dialogs: modal Dialogs opened in one of 128 slots (with a root
// sheet of their own when none is active), and `MsgBox`, the modal message box built
// of a Dialog, a Label and one Button per choice.
#pragma once

#include <cstdint>

#include "render/draw.h"

class Control;
struct DialogSkin;
struct Font;

constexpr int kDialogSlots = 128;

struct CommonDialogState {
    uint8_t slots[kDialogSlots] = {};  // 0 free, 1 open and waiting, 2 + i closed by button i
    Font* font = nullptr;              // `CommonDialogFont`; the default font when null
    Color textColor = MakeColor(0, 0, 0);
    const DialogSkin* skin = nullptr;  // given to every common Dialog
    void (*creationHook)(Control* created) = nullptr;
};
extern CommonDialogState g_commonDialogs;

// What the opener keeps while its dialog is open.
struct OpenDialog {
    int16_t slot = -1;
    uint8_t pointerShown = 1;
    uint8_t previousDialogOpen = 0;
    Control* rootSheet = nullptr;
    Control* dialog = nullptr;  // of the class Dialog
    Control* previousModal = nullptr;
    char previousModalName[32] = {};
    Control* previousFocus = nullptr;  // gets the focus back when the dialog closes
    char previousFocusName[32] = {};
    // Where content goes inside the dialog (below the caption bar).
    float originX = 0, originY = 0;
};

// Opens a modal common dialog for content of w x h; false when no slot is free or the
// dialog cannot be created.
bool OpenCommonDialog(const char* title, float w, float h, OpenDialog* record);
void CloseCommonDialog(OpenDialog* record);

// Shows the message and waits for a button; returns its index (0 = first), -1 for a
// null argument or an empty button list (error 8), when no slot is free, or when the window
// goes away or the program is asked to quit while waiting; 0 when no font is available (error 7).
int16_t MsgBox(const char* text, const char* title, const char* buttons);
