// scale_setting.h - the scale the user set by hand (Ctrl+Plus, Ctrl+Minus), kept for
// the user, not the project, in "display.ini" in the user's settings folder
// ($XDG_CONFIG_HOME/zazovi, ~/.config/zazovi, %APPDATA%\zazovi):
//
//   [display]
//   scale = 1.5
//
// The scale is one of the screen's steps (1, 1.25, 1.5, 1.75, 2). Without the file,
// or after Ctrl+0, the display's own scale is used. Other sections and keys are left
// for later settings and kept when the scale is written.
#pragma once

#include <string>
#include <string_view>

namespace display {

inline constexpr const char* kUserSettingsFile = "display.ini";

// The scale the text sets: 0 when it sets none; -1 with `problem` (what and why)
// when it sets one that cannot be used.
float ParseUserScale(std::string_view text, std::string* problem);
// The text with the scale set to `scale` (0: removed), everything else kept as it was.
std::string WithUserScale(std::string_view text, float scale);

// The user's file, read or written whole ("" when the user has no settings folder).
std::string UserSettingsPath();
// The hand-set scale, 0 when there is none or it cannot be used (said on stderr).
float ReadUserScale();
// Writes it (0: forgets it); false with why when the file cannot be written.
bool WriteUserScale(float scale, std::string* why);

}  // namespace display
