// app_icon.h - the editor's icon, drawn by code so that the window, the desktop entry
// and the Windows program show the same picture at whatever size each one wants; and
// the smoothed drawing of such pictures, which the editor's other pictures use too.
#pragma once

#include <cstdint>
#include <vector>

// The size the window gets: the window managers scale it for the task bar and title.
constexpr int kAppIconSize = 48;

// A size × size RGBA picture, top row first: a speech bubble with two lines of text
// (one of them coloured, like a colour tag) on a rounded teal square, edges smoothed.
std::vector<uint8_t> DrawAppIcon(int size);

// The colour (0..255 per channel) under a point (x, y) of the unit square, y down;
// false where the picture is transparent.
struct PictureColour {
    float r, g, b;
};
using PictureSampler = bool (*)(float x, float y, PictureColour* out);
// A size × size RGBA picture, top row first: each pixel sampled 4 × 4 times, its colour
// the average of the covered samples and its alpha the covered share.
std::vector<uint8_t> DrawSampledPicture(int size, PictureSampler sampler);
