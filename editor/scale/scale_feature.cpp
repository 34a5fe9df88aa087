// scale_feature.cpp - the keys that step the screen's scale, and the user's setting
// they keep. The window's new size arrives as a resize, which picks the scale from it
// (engine/screen_scale.cpp), so a scale set here and one a resize gives are the same.
#include "editor/scale/scale_feature.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <string>

#include "editor/scale/scale_setting.h"
#include "engine/engine.h"
#include "gui/gui.h"
#include "platform/platform.h"

namespace {

void Notice(const std::string& text) { ShowToolTipAt(text.c_str(), 20, 570, 1.0f); }

std::string Percent(float scale) { return std::to_string(int(std::lround(scale * 100))) + " %"; }

int StepIndex(float scale) {
    int index = 0;
    for (int i = 0; i < int(std::size(kScreenScales)); ++i)
        if (kScreenScales[i] <= scale + 0.001f) index = i;
    return index;
}

// Resizes for `scale` and keeps it as the user's; the notice says what happened.
bool ApplyScale(float scale, bool keep) {
    if (!ResizeWindowForScale(scale)) {
        Notice("The desktop has no room for the screen at " + Percent(scale));
        return false;
    }
    std::string why;
    if (!display::WriteUserScale(keep ? scale : 0, &why))
        Notice("Screen at " + Percent(scale) + ", but it cannot be kept: " + why);
    else
        Notice("Screen at " + Percent(scale));
    return true;
}

bool ScaleKey(uint8_t key) {
    if (!IsKeyDown(KEY_ANY_CTRL) || IsKeyDown(KEY_ANY_ALT)) return false;
    // Ctrl+Plus is Ctrl+Shift+= on many layouts: Shift may be held for it.
    if (key == VK_OEM_PLUS || key == VK_ADD) return StepScale(+1), true;
    if (IsKeyDown(KEY_ANY_SHIFT)) return false;
    if (key == VK_OEM_MINUS || key == VK_SUBTRACT) return StepScale(-1), true;
    if (key == '0' || key == VK_NUMPAD0) return ResetScale(), true;
    return false;
}

// The window around a scaled screen takes the grey of the screen's own margins.
void PaintMarginsGrey() {
    for (float& c : g_engine.marginColour) c = 0xE1 / 255.0f;
}

}  // namespace

float StartScale() {
    const float user = display::ReadUserScale();
    return user > 0 ? user : PlatDisplayScale();
}

bool StepScale(int steps) {
    const int last = int(std::size(kScreenScales)) - 1;
    const int from = StepIndex(g_engine.drawScale), to = from + steps;
    if (to < 0 || to > last) {
        Notice(std::string("The screen is at its ") + (to < 0 ? "smallest" : "largest") + ", " +
               Percent(g_engine.drawScale));
        return false;
    }
    return ApplyScale(kScreenScales[to], true);
}

bool ResetScale() {
    const float scale = std::min(ScaleStepAtMost(PlatDisplayScale()), LargestWindowScale());
    return ApplyScale(scale, false);
}

const Feature kScaleFeature = [] {
    Feature f;
    f.name = "scale";
    f.install = PaintMarginsGrey;
    f.key = ScaleKey;
    return f;
}();
