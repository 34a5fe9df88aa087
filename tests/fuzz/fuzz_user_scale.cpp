// fuzz_user_scale.cpp - bytes to the reader of the user's display.ini: a scale read is
// one of the screen's steps; writing a step into a readable file and reading it back
// gives that step, and removing it leaves none.
#include <cstdint>
#include <string>
#include <string_view>

#include "editor/scale/scale_setting.h"

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::string problem;
    const float scale = display::ParseUserScale(bytes, &problem);
    Check(scale == -1 ? !problem.empty()
                      : scale == 0 || scale == 1 || scale == 1.25f || scale == 1.5f || scale == 1.75f || scale == 2);
    if (bytes.find('\0') != std::string_view::npos || bytes.find('\r') != std::string_view::npos) return 0;
    // A file that reads now says 1.75 once it is written, and again when written twice;
    // the scale removed, it says none.
    if (scale < 0) return 0;
    const std::string written = display::WithUserScale(bytes, 1.75f);
    Check(display::ParseUserScale(written, nullptr) == 1.75f);
    Check(display::ParseUserScale(display::WithUserScale(written, 1.75f), nullptr) == 1.75f);
    Check(display::ParseUserScale(display::WithUserScale(written, 0), nullptr) == 0);
    return 0;
}
