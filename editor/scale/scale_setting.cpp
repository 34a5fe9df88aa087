// scale_setting.cpp - reads and writes the user's display.ini with inih; a scale is
// accepted only as one of the screen's steps, so a hand-edited "scale = 3" or "1.3"
// does not give a screen the window cannot show.
#include "editor/scale/scale_setting.h"

#include <ini.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "engine/engine.h"
#include "platform/platform.h"

namespace display {
namespace {

struct Reading {
    float scale = 0;
    std::string problem;
};

// The step a value names exactly, 0 if none.
float StepNamed(const char* value) {
    char* end = nullptr;
    const double v = std::strtod(value, &end);
    if (end == value) return 0;
    while (*end == ' ' || *end == '\t') ++end;
    if (*end) return 0;
    for (float step : kScreenScales)
        if (std::fabs(v - step) < 1e-6) return step;
    return 0;
}

int OnValue(void* user, const char* section, const char* name, const char* value) {
    Reading& r = *static_cast<Reading*>(user);
    if (std::strcmp(section, "display") != 0 || std::strcmp(name, "scale") != 0) return 1;
    r.scale = StepNamed(value);
    if (r.scale == 0) r.problem = std::string("the scale \"") + value + "\" is not 1, 1.25, 1.5, 1.75 or 2";
    return 1;
}

bool IsScaleLine(std::string_view line) {
    const size_t start = line.find_first_not_of(" \t");
    if (start == std::string_view::npos || line.compare(start, 5, "scale") != 0) return false;
    const size_t next = line.find_first_not_of(" \t", start + 5);
    return next != std::string_view::npos && (line[next] == '=' || line[next] == ':');
}

bool IsSectionLine(std::string_view line) {
    const size_t start = line.find_first_not_of(" \t");
    return start != std::string_view::npos && line[start] == '[';
}

bool IsDisplaySection(std::string_view line) {
    const size_t start = line.find_first_not_of(" \t");
    return line.compare(start, 9, "[display]") == 0;
}

// inih reads an indented line after a value as more of that value.
bool IsContinuation(std::string_view line) {
    return !line.empty() && (line[0] == ' ' || line[0] == '\t') &&
           line.find_first_not_of(" \t\r\n") != std::string_view::npos;
}

std::string ScaleText(float scale) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%g", double(scale));
    return buffer;
}

}  // namespace

float ParseUserScale(std::string_view text, std::string* problem) {
    Reading r;
    const std::string copy(text.substr(0, text.find('\0')));
    const int error = ini_parse_string(copy.c_str(), OnValue, &r);
    if (!r.problem.empty() || error != 0) {
        if (problem) *problem = !r.problem.empty() ? r.problem : "line " + std::to_string(error) + " cannot be read";
        return -1;
    }
    return r.scale;
}

namespace {

// Every line but the scale's as the user wrote it; the scale in the first [display]
// section (inPlace), else in a section of its own at the end.
std::string Rewritten(std::string_view text, float scale, bool inPlace) {
    std::string out;
    bool inDisplay = false, written = !inPlace || scale <= 0, dropping = false;
    const std::string scaleLine = "scale = " + ScaleText(scale) + "\n";
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find('\n', at);
        end = end == std::string_view::npos ? text.size() : end + 1;
        const std::string_view line = text.substr(at, end - at);
        at = end;
        if (dropping && IsContinuation(line)) continue;
        dropping = false;
        if (IsSectionLine(line)) {
            if (inDisplay && !written) out += scaleLine, written = true;
            inDisplay = IsDisplaySection(line);
        } else if (inDisplay && IsScaleLine(line)) {
            if (!written) out += scaleLine, written = true;
            dropping = true;
            continue;
        }
        out += line;
        if (line.back() != '\n') out += '\n';
    }
    if (!inPlace && scale > 0) return out + "[display]\n" + scaleLine;
    if (!written) out += (inDisplay ? "" : "[display]\n") + scaleLine;
    return out;
}

}  // namespace

std::string WithUserScale(std::string_view text, float scale) {
    // A line after the new one that is indented would read as more of its value: then
    // the scale goes into a section of its own at the end.
    std::string out = Rewritten(text, scale, true);
    if (scale > 0 && ParseUserScale(out, nullptr) != scale && ParseUserScale(text, nullptr) >= 0)
        out = Rewritten(text, scale, false);
    return out;
}

std::string UserSettingsPath() {
    const std::string folder = PlatUserConfigFolder();
    return folder.empty() ? folder : folder + PlatPathSeparator() + kUserSettingsFile;
}

float ReadUserScale() {
    const std::string path = UserSettingsPath();
    std::string bytes;
    if (path.empty() || !PlatReadFile(path, bytes, nullptr)) return 0;
    std::string problem;
    const float scale = ParseUserScale(bytes, &problem);
    if (scale < 0) {
        std::fprintf(stderr, "%s: %s; the display's own scale is used\n", path.c_str(), problem.c_str());
        return 0;
    }
    return scale;
}

bool WriteUserScale(float scale, std::string* why) {
    const std::string path = UserSettingsPath();
    if (path.empty()) {
        if (why) *why = "there is no folder for the user's settings";
        return false;
    }
    std::string bytes;
    PlatReadFile(path, bytes, nullptr);  // none yet: a new file
    std::error_code ec;
    std::filesystem::create_directories(PlatFsPath(path).parent_path(), ec);
    return PlatReplaceFile(path, WithUserScale(bytes, scale), why);
}

}  // namespace display
