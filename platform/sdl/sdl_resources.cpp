// sdl_resources.cpp - what the desktop and test backends share beyond the window:
// resources compiled into the program (made by tools/resgen), found by type and id as
// the Windows resource calls find them, and the command line on POSIX.
#include <cstring>
#include <fstream>
#include <iterator>

#include "platform/platform.h"
#include "platform/resources.h"

const uint8_t* PlatLoadResource(const char* type, int id, size_t* size) {
    if (type && std::strcmp(type, "NAM") == 0 && id == 102) {
        if (size) *size = sizeof(kResourceKeyNames);
        return kResourceKeyNames;
    }
    if (size) *size = 0;
    return nullptr;
}

// The kernel keeps the arguments as they were passed, each ended by a NUL; an empty
// argument is an empty string between two of them.
std::vector<std::string> PlatCommandLine() {
    std::ifstream in("/proc/self/cmdline", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::string> args;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\0', start);
        if (end == std::string::npos) end = bytes.size();
        args.emplace_back(bytes, start, end - start);
        start = end + 1;
    }
    return args;
}

void PlatAttachParentConsole() {}  // a program here always has the terminal's streams
