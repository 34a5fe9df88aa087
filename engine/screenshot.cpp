// screenshot.cpp - the window's picture saved as an uncompressed 24-bit BMP or TGA,
// chosen by the file's extension; Ctrl+Alt+S saves numbered BMP files.
#include <GL/gl.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/engine.h"
#include "engine/format.h"

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(v & 0xFF);
    out.push_back((v >> 8) & 0xFF);
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// rgb holds h rows bottom-up, 3w bytes each, as GL returns them.
std::vector<uint8_t> EncodeBmp(const std::vector<uint8_t>& rgb, int w, int h) {
    const uint32_t pad = (4 - (3 * w) % 4) % 4;
    const uint32_t image = (3 * w + pad) * h;
    std::vector<uint8_t> out;
    out.reserve(54 + image);
    out.push_back('B');
    out.push_back('M');
    Put32(out, 54 + image);
    Put16(out, 0), Put16(out, 0);
    Put32(out, 54), Put32(out, 40);
    Put32(out, w), Put32(out, h);
    Put16(out, 1), Put16(out, 24);
    Put32(out, 0), Put32(out, image);
    Put32(out, 0), Put32(out, 0), Put32(out, 0), Put32(out, 0);
    for (int y = 0; y < h; ++y) {
        const uint8_t* row = &rgb[static_cast<size_t>(y) * w * 3];
        for (int x = 0; x < w; ++x) out.insert(out.end(), {row[x * 3 + 2], row[x * 3 + 1], row[x * 3]});
        out.insert(out.end(), pad, 0);
    }
    return out;
}

std::vector<uint8_t> EncodeTga(const std::vector<uint8_t>& rgb, int w, int h) {
    std::vector<uint8_t> out = {0, 0, 2, 0, 0, 0, 0, 0};
    Put16(out, 0), Put16(out, 0);
    Put16(out, w), Put16(out, h);
    out.push_back(24);
    out.push_back(0);
    out.reserve(18 + rgb.size());
    for (size_t i = 0; i + 2 < rgb.size(); i += 3) out.insert(out.end(), {rgb[i + 2], rgb[i + 1], rgb[i]});
    return out;
}

bool WriteFile(const char* path, const std::vector<uint8_t>& bytes) {
    std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(path, "wb"), std::fclose);
    if (!f) return false;
    return std::fwrite(bytes.data(), 1, bytes.size(), f.get()) == bytes.size() && std::fflush(f.get()) == 0;
}

}  // namespace

void FileExtension(const char* path, char* out, size_t outSize) {
    if (!out || outSize == 0) return;
    out[0] = 0;
    if (!path) return;
    const char* dot = std::strrchr(path, '.');
    const char* bar = std::strrchr(path, '|');
    const char* mark = dot > bar ? dot : bar;
    const char* ext = mark ? mark + 1 : path;
    size_t n = 0;
    for (; ext[n] && n + 1 < outSize; ++n) out[n] = static_cast<char>(std::tolower(static_cast<unsigned char>(ext[n])));
    out[n] = 0;
}

bool SaveScreenshot(const char* path) {
    if (!path || !*path) {
        EngineError("The Path cannot be NULL.", "glScreenShot");
        return false;
    }
    const int w = g_engine.clientWidth, h = g_engine.clientHeight;
    if (w <= 0 || h <= 0) return false;
    std::vector<uint8_t> rgb(static_cast<size_t>(w) * h * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, w, h, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    char ext[16];
    FileExtension(path, ext, sizeof ext);
    if (std::strcmp(ext, "bmp") == 0) return WriteFile(path, EncodeBmp(rgb, w, h));
    if (std::strcmp(ext, "tga") == 0) return WriteFile(path, EncodeTga(rgb, w, h));
    EngineError(FormatText("Failed to save '%s', only '*.bmp' and '*.tga' files are supported", path), "glScreenshot");
    return false;
}

void RequestScreenshot(const char* path) {
    if (path && *path) g_engine.pendingScreenshots.emplace_back(path);
    RequestFrame();  // the picture is taken from a drawn frame, so there must be one
}

bool ScreenshotPending(const char* path) {
    for (const std::string& pending : g_engine.pendingScreenshots)
        if (pending == path) return true;
    return false;
}

void TakePendingScreenshots() {
    // Moved out first: an error box shown by SaveScreenshot draws frames of its own.
    const std::vector<std::string> pending = std::move(g_engine.pendingScreenshots);
    g_engine.pendingScreenshots.clear();
    for (const std::string& path : pending) SaveScreenshot(path.c_str());
}
