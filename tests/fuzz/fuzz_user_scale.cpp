// fuzz_user_scale.cpp - bytes to the reader of the user's display.ini: a scale read is
// one of the screen's steps; writing a step into any file and reading it back gives
// that step, and writing it again changes nothing.
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
    const std::string written = display::WithUserScale(bytes, 1.75f);
    // What inih cannot read stays unreadable; what it can read now says 1.75.
    if (display::ParseUserScale(written, nullptr) >= 0 || scale >= 0) {
        Check(display::ParseUserScale(written, nullptr) == 1.75f || scale == -1);
        Check(display::WithUserScale(written, 1.75f) == written);
    }
    return 0;
}
