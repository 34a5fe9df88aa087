// gl_picture.h - draws a client-sized picture over the whole GL window as a pixel
// rectangle, leaving every GL state as it was. The backends show their GDI-style
// loading screen this way once the window has a GL context.
#pragma once

#include <cstdint>

// pixels: width x height values 0x00RRGGBB, top row first.
void DrawPictureThroughGL(const uint32_t* pixels, int width, int height);
