// app_icon.cpp - draws the editor's pictures: each pixel is sampled 4 × 4 times against
// a few shapes in unit coordinates, the topmost shape under a sample giving its colour.
#include "editor/app_icon.h"

#include <algorithm>
#include <cmath>

namespace {

using Rgb = PictureColour;

constexpr Rgb kTeal{30, 110, 140};
constexpr Rgb kPaper{250, 250, 245};
constexpr Rgb kInk{40, 60, 70};
constexpr Rgb kTag{235, 140, 30};

bool InRoundedRect(float x, float y, float left, float top, float right, float bottom, float radius) {
    if (x < left || x > right || y < top || y > bottom) return false;
    const float cx = std::clamp(x, left + radius, right - radius);
    const float cy = std::clamp(y, top + radius, bottom - radius);
    return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius;
}

// The bubble's tail: the triangle (0.28, 0.6), (0.46, 0.6), (0.24, 0.82).
bool InTail(float x, float y) {
    if (y < 0.6f || y > 0.82f) return false;
    const float t = (y - 0.6f) / 0.22f;
    return x >= 0.28f - 0.04f * t && x <= 0.46f - 0.22f * t;
}

// The colour under one sample, or false where the icon is transparent.
bool SampleColour(float x, float y, Rgb* out) {
    if (!InRoundedRect(x, y, 0.03f, 0.03f, 0.97f, 0.97f, 0.2f)) return false;
    *out = kTeal;
    if (InRoundedRect(x, y, 0.14f, 0.16f, 0.86f, 0.66f, 0.12f) || InTail(x, y)) *out = kPaper;
    if (InRoundedRect(x, y, 0.26f, 0.29f, 0.74f, 0.37f, 0.04f)) *out = kInk;
    if (InRoundedRect(x, y, 0.26f, 0.45f, 0.58f, 0.53f, 0.04f)) *out = kTag;
    return true;
}

}  // namespace

std::vector<uint8_t> DrawAppIcon(int size) { return DrawSampledPicture(size, SampleColour); }

std::vector<uint8_t> DrawSampledPicture(int size, PictureSampler sampler) {
    constexpr int kSamples = 4;
    std::vector<uint8_t> rgba(static_cast<size_t>(std::max(size, 0)) * std::max(size, 0) * 4, 0);
    for (int py = 0; py < size; ++py) {
        for (int px = 0; px < size; ++px) {
            float r = 0, g = 0, b = 0;
            int covered = 0;
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    Rgb c;
                    if (!sampler((px + (sx + 0.5f) / kSamples) / size, (py + (sy + 0.5f) / kSamples) / size, &c))
                        continue;
                    r += c.r;
                    g += c.g;
                    b += c.b;
                    ++covered;
                }
            }
            uint8_t* out = &rgba[(static_cast<size_t>(py) * size + px) * 4];
            if (covered == 0) continue;
            // Colour averaged over the covered samples (straight, not premultiplied, alpha).
            out[0] = static_cast<uint8_t>(std::lround(r / covered));
            out[1] = static_cast<uint8_t>(std::lround(g / covered));
            out[2] = static_cast<uint8_t>(std::lround(b / covered));
            out[3] = static_cast<uint8_t>(covered * 255 / (kSamples * kSamples));
        }
    }
    return rgba;
}
