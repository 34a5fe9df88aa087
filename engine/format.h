// format.h - printf-style formatting into one shared buffer, and error reporting.
#pragma once

constexpr int kFormatBufferSize = 256;

// Formats into a shared 256-byte buffer and returns it; valid until the next call.
// A longer result is cut at the buffer's end.
const char* FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Shows an error in the GUI's modal message box under the title "Error( context )"
// ("Error" without a context); returns when the box is closed.
void EngineError(const char* message, const char* context);
