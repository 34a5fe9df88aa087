// fit_preview.h - the picture of a text as the game draws it in its room, for the panel
// under the description: the game's font, a frame for the box (its width, and its lines
// when it has a count), the lines as the game lays them out, the part that does not fit
// in red (on a light red band, past the frame's edge or below its last line) and every
// character the font has no glyph for boxed in orange. Scaled down when the box is wider
// than the panel.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "editor/fit/fit_check.h"

struct Font;

struct FitPicture {
    Font* font = nullptr;  // the game's font (its scale is changed while it draws, then put back)
    std::string text;      // as measured (up to its first NUL byte)
    fit::Room room;
    std::vector<fit::PreviewLine> lines;
    float scale = 1;  // of the whole picture: 1, or less when the box is wider than the panel
};

// Colours of the picture (R, G, B), for the tests that look at it.
namespace fitcolour {
inline constexpr uint8_t kOverflow[3] = {200, 0, 0};    // the glyphs that do not fit
inline constexpr uint8_t kBand[3] = {255, 205, 205};    // behind them
inline constexpr uint8_t kMissing[3] = {230, 110, 0};   // the box around a missing glyph
inline constexpr uint8_t kFrame[3] = {0, 0, 160};       // the box of the text
inline constexpr uint8_t kInside[3] = {240, 244, 255};  // inside it
}  // namespace fitcolour

// The margin around the frame, in panel pixels.
constexpr float kFitMargin = 4;

// The scale that fits a box `roomWidth` wide into `panelWidth` with its margins: at most 1.
float FitPictureScale(int roomWidth, float panelWidth);
// The picture's height: the frame's lines or the text's, whichever are more.
float FitPictureHeight(const FitPicture& picture);
// Draws it into the box (x, y, w) of the panel, where the GUI draws the panel's controls:
// the text's box at its left, or moved right as far as a right-to-left line that does
// not fit runs out past the box's left edge.
void DrawFitPicture(const FitPicture& picture, float x, float y, float w);
