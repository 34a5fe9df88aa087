// fit_preview.cpp - drawing the picture of a text in its room (fit_preview.h) with the
// renderer's text and shapes: each line drawn as the game draws it, scaled through the
// font's own scale, the overflow on its band and in red, missing glyphs boxed.
#include "editor/fit/fit_preview.h"

#include <algorithm>
#include <cmath>

#include "render/draw.h"
#include "render/font.h"
#include "render/text_markup.h"

namespace {

Color Rgb(const uint8_t (&c)[3]) { return MakeColor(c[0], c[1], c[2]); }

// The text of a part of a line without its colour tags: drawn in one colour of ours.
std::string WithoutTags(std::string_view part) {
    std::string out;
    for (size_t i = 0; i < part.size();) {
        if (part[i] == '<')
            if (const size_t n = markup::ColourTagLength(part.substr(i))) {
                i += n;
                continue;
            }
        out += part[i++];
    }
    return out;
}

// Puts a font's scale back when the picture is drawn.
class ScaledFont {
  public:
    ScaledFont(Font* font, float by) : font_(font), scale_(font->scale) { font_->scale = scale_ * by; }
    ~ScaledFont() { font_->scale = scale_; }
    ScaledFont(const ScaledFont&) = delete;
    ScaledFont& operator=(const ScaledFont&) = delete;

  private:
    Font* font_;
    float scale_;
};

int FrameRows(const FitPicture& p) {
    if (p.room.lines > 0) return p.room.lines;
    return std::max<int>(1, int(p.lines.size()));
}

}  // namespace

float FitPictureScale(int roomWidth, float panelWidth) {
    const float room = float(std::max(roomWidth, 1)), inside = panelWidth - 2 * kFitMargin;
    return std::clamp(inside / room, 0.05f, 1.0f);
}

float FitPictureHeight(const FitPicture& p) {
    if (!p.font) return 0;
    const int rows = std::max<int>(FrameRows(p), int(p.lines.size()));
    return 2 * kFitMargin + float(rows) * p.font->height * p.font->scale * p.scale + 1;
}

void DrawFitPicture(const FitPicture& p, float x, float y, float w) {
    if (!p.font || p.room.width <= 0) return;
    const float s = p.scale, lineH = p.font->height * p.font->scale * s;
    // A right-to-left line that does not fit runs out past the box's left edge: the box
    // moves right to show it, as far as the picture has room.
    float before = 0;
    for (const fit::PreviewLine& line : p.lines)
        if (!line.cells.empty()) before = std::max(before, -line.cells.front().x0 * s);
    before = std::min(before, std::max(0.0f, w - 2 * kFitMargin - float(p.room.width) * s));
    // The box on whole pixels, its outlines through their middles: crisp at any scale.
    const float left = std::round(x + kFitMargin + before), top = std::round(y + kFitMargin);
    const float width = std::round(float(p.room.width) * s), frameH = std::round(float(FrameRows(p)) * lineH);
    const auto outline = [](float l, float t, float across, float down) {
        DrawRect(std::round(l) + 0.5f, std::round(t) + 0.5f, std::max(std::round(across) - 1, 0.0f),
                 std::max(std::round(down) - 1, 0.0f));
    };
    PushColor();
    SetColor(Rgb(fitcolour::kInside));
    FillRect(left, top, width, frameH);
    // The bands behind what does not fit, then the text over them.
    SetColor(Rgb(fitcolour::kBand));
    for (size_t k = 0; k < p.lines.size(); ++k)
        for (const fit::Cell& c : p.lines[k].cells)
            if (c.overflow) FillRect(left + c.x0 * s, top + float(k) * lineH, (c.x1 - c.x0) * s, lineH);
    Font* previous = SetFont(p.font);
    {
        ScaledFont scaled(p.font, s);
        const Color black = MakeColor(0, 0, 0), red = Rgb(fitcolour::kOverflow);
        const auto draw = [&](float at, float lineY, std::string_view part, bool overflow) {
            if (part.empty()) return;
            SetColor(overflow ? red : black);
            const std::string shown = overflow ? WithoutTags(part) : std::string(part);
            DrawTextN(at, lineY, shown.c_str(), ALIGN_LEFT, int(shown.size()));
        };
        for (size_t k = 0; k < p.lines.size(); ++k) {
            const fit::PreviewLine& line = p.lines[k];
            const float lineY = top + float(k) * lineH;
            const std::string_view text(p.text);
            const auto bytes = [&](uint32_t from, uint32_t to) { return text.substr(from, to - from); };
            if (line.shaped || line.overflowFrom >= line.overflowTo) {
                // Order and forms are the whole line's: it is drawn whole, over its bands.
                draw(left + line.origin * s, lineY, bytes(line.begin, line.end), line.overflow);
                continue;
            }
            // A plain line: what fits as it is, the overflow red, each part where its first
            // cell stands.
            const auto xAt = [&](uint32_t byte) {
                for (const fit::Cell& c : line.cells)
                    if (c.begin >= byte) return c.x0;
                return line.cells.empty() ? 0.0f : line.cells.back().x1;
            };
            draw(left + line.origin * s, lineY, bytes(line.begin, line.overflowFrom), false);
            draw(left + xAt(line.overflowFrom) * s, lineY, bytes(line.overflowFrom, line.overflowTo), true);
            draw(left + xAt(line.overflowTo) * s, lineY, bytes(line.overflowTo, line.end), false);
        }
    }
    SetFont(previous);
    SetColor(Rgb(fitcolour::kMissing));
    for (size_t k = 0; k < p.lines.size(); ++k)
        for (const fit::Cell& c : p.lines[k].cells)
            if (c.missing) outline(left + c.x0 * s, top + float(k) * lineH, (c.x1 - c.x0) * s, lineH);
    SetColor(Rgb(fitcolour::kFrame));
    outline(left - 1, top - 1, width + 2, frameH + 2);
    PopColor();
}
