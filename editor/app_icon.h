// app_icon.h - the editor's icon, drawn by code so that the window, the desktop entry
// and the Windows program show the same picture at whatever size each one wants.
#pragma once

#include <cstdint>
#include <vector>

// The size the window gets: the window managers scale it for the task bar and title.
constexpr int kAppIconSize = 48;

// A size × size RGBA picture, top row first: a speech bubble with two lines of text
// (one of them coloured, like a colour tag) on a rounded teal square, edges smoothed.
std::vector<uint8_t> DrawAppIcon(int size);
