// sheet.h - `Sheet`: the top-level background of a screen, the root under which a
// screen's frames and controls live. It paints the whole virtual screen in one of its
// background modes and has no input behaviour beyond the common events.
#pragma once

#include <cstdint>

#include "gui/control.h"
#include "render/draw.h"

struct Surface;
struct Texture;

// What the sheet paints, chosen by `BackgroundMode`. Each mode reads a field of its own,
// so a colour is never followed as a pointer; a null picture or function paints nothing.
enum SheetBackgroundMode : uint8_t {
    SHEET_BG_NONE = 0,      // nothing is painted
    SHEET_BG_COLOR = 1,     // `Background`, an RGBA colour
    SHEET_BG_SURFACE = 2,   // `BackgroundSurface`, stretched over the screen
    SHEET_BG_FUNCTION = 3,  // `BackgroundFunction`, called to paint
    SHEET_BG_TEXTURE = 4,   // 4 and above: `BackgroundTexture`, repeated (mode - 3) times across
};

class Sheet : public EventControl {
  public:
    uint8_t backgroundMode = SHEET_BG_COLOR;      // `BackgroundMode`
    Color background = MakeColor(225, 225, 225);  // `Background`
    // The pointer-sized backgrounds; none is owned.
    const Surface* backgroundSurface = nullptr;  // `BackgroundSurface`
    const Texture* backgroundTexture = nullptr;  // `BackgroundTexture`
    void (*backgroundFunction)() = nullptr;      // `BackgroundFunction`

    Sheet();  // at (0, 0), 800 x 600
    // Always covers the virtual screen (800 x 600) from the sheet's own corner,
    // whatever its w and h.
    void Draw() override;
    // Background, BackgroundMode, BackgroundSurface, BackgroundTexture, BackgroundFunction
    int ListProperties(PropertyEntry* table) override;
};

Control* NewSheet();
