// format.cpp - printf-style formatting into one shared buffer.
#include "engine/format.h"

#include <cstdarg>
#include <cstdio>

namespace {
char g_formatBuffer[kFormatBufferSize];
}

const char* FormatText(const char* format, ...) {
    if (!format) {  // the empty text
        g_formatBuffer[0] = 0;
        return g_formatBuffer;
    }
    va_list args;
    va_start(args, format);
    // vsnprintf never writes past the buffer and always terminates it, so an
    // over-long message is cut rather than spilling into whatever follows.
    if (std::vsnprintf(g_formatBuffer, sizeof(g_formatBuffer), format, args) < 0) g_formatBuffer[0] = 0;
    va_end(args);
    return g_formatBuffer;
}
