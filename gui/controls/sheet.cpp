// sheet.cpp - the sheet's background: a colour, a stretched surface, a drawing function
// of the application, or a texture repeated in square tiles over the virtual screen.
#include "gui/controls/sheet.h"

#include <GL/gl.h>

#include "engine/engine.h"
#include "render/texture.h"

Control* NewSheet() { return new Sheet; }

Sheet::Sheet() { w = float(kVirtualWidth), h = float(kVirtualHeight); }

void Sheet::Draw() {
    // The background covers the virtual screen from the sheet's corner, not just w x h:
    // a sheet is the screen.
    const float W = float(kVirtualWidth), H = float(kVirtualHeight);
    switch (backgroundMode) {
        case SHEET_BG_NONE:
            return;
        case SHEET_BG_COLOR:
            SetColor(background);
            FillRect(x, y, W, H);
            return;
        case SHEET_BG_SURFACE:
            // Tinted by the current colour, which the GUI leaves white.
            if (backgroundSurface) DrawSurface(x, y, W, H, backgroundSurface, nullptr);
            return;
        case SHEET_BG_FUNCTION:
            if (backgroundFunction) backgroundFunction();
            return;
        default: {
            const Texture* texture = backgroundTexture;
            if (!texture) return;
            // Square tiles, k across; relies on the texture's repeat wrapping.
            const float k = float(backgroundMode - 3), down = k * H / W;
            BindTexture(texture);
            glEnable(GL_TEXTURE_2D);
            glBegin(GL_QUADS);
            glTexCoord2f(0, 0), glVertex2f(x, y);
            glTexCoord2f(k, 0), glVertex2f(x + W, y);
            glTexCoord2f(k, down), glVertex2f(x + W, y + H);
            glTexCoord2f(0, down), glVertex2f(x, y + H);
            glEnd();
            return;
        }
    }
}

int Sheet::ListProperties(PropertyEntry* table) {
    PropertyList list(table);
    list.Add("Background", PROP_BACKGROUND, "BackgroundMode 1", &background);
    list.Add("BackgroundMode", PROP_ENUM, "1-Color;2-Surface;3-Custom Function;else-4-infinity", &backgroundMode);
    list.Add("BackgroundSurface", PROP_SURFACE, "BackgroundMode 2", &backgroundSurface);
    list.Add("BackgroundFunction", PROP_FUNCTION, "BackgroundMode 3", &backgroundFunction);
    list.Add("BackgroundTexture", PROP_TEXTURE, "BackgroundMode 4 and above", &backgroundTexture);
    return list.count + EventControl::ListProperties(list.Rest());
}
