// font_coverage.h - `loctool check --font`: which characters each language folder's
// texts use that a .dsf font has no glyph for, so a team learns before release that
// a translation would show crossed boxes.
#pragma once

#include <string>

// Run inside the project folder after the folder scan. Prints one line per folder
// with characters the font lacks (how many, and the first few as U+XXXX and the
// character itself) and returns 1 when any folder has one; 0 when every text can be
// drawn. A font that cannot be read is said on stderr and returns 1 as well.
int CheckFontCoverage(const std::string& fontPath);
