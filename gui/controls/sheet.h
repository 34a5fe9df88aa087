// sheet.h - `Sheet`: the top-level background of a screen, the root under which a
// screen's frames and controls live. It paints the whole virtual screen in one of its
// background modes and has no input behaviour beyond the common events.
#pragma once

#include <cstdint>

#include "gui/control.h"
#include "render/draw.h"

// What `Background` holds, chosen by `BackgroundMode`.
enum SheetBackgroundMode : uint8_t {
    SHEET_BG_NONE = 0,      // nothing is painted
    SHEET_BG_COLOR = 1,     // an RGBA colour
    SHEET_BG_SURFACE = 2,   // a Surface*, stretched over the screen
    SHEET_BG_FUNCTION = 3,  // a void() drawing function, called if not null
    SHEET_BG_TEXTURE = 4,   // 4 and above: a Texture*, repeated (mode - 3) times across
};

class Sheet : public EventControl {
public:
    uint8_t backgroundMode = SHEET_BG_COLOR;  // `BackgroundMode`
    BackgroundValue background{};            // `Background`; not owned in any mode
    // The picture and function modes use `Background` only once it has been given a
    // value (by name, or by code that sets this flag with the field): its default is a
    // colour, which must never be followed as a pointer or called.
    uint8_t backgroundIsSet = 0;

    Sheet();  // at (0, 0), 800 x 600, background (225, 225, 225)
    // Always covers the virtual screen (800 x 600) from the sheet's own corner,
    // whatever its w and h.
    void Draw() override;
    bool SetProperty(const char* prop, const void* value) override;
    int ListProperties(PropertyEntry* table) override;  // Background, BackgroundMode
};

Control* NewSheet();
