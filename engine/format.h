// format.h - printf-style formatting into one shared buffer, and error reporting.
#pragma once

constexpr int kFormatBufferSize = 256;

// Formats into a shared 256-byte buffer and returns it; valid until the next call.
// A longer result is cut at the buffer's end.
const char* FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));
