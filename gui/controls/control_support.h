// control_support.h - small pieces several controls share: a font made current for a
// scope, stepping over UTF-8 characters, the word delimiters of the text boxes, colour tags switched off while a
// box lays out its text, and a clip plane of a control's own.
#pragma once

#include <GL/gl.h>

#include <cstdint>
#include <cstring>
#include <string_view>

#include "engine/engine.h"
#include "render/font.h"

// Makes a font current for a scope and puts the previous one back, so a control's own
// font never becomes the GUI's default by accident.
class FontScope {
  public:
    explicit FontScope(Font* font) : previous_(SetFont(font)) {}
    ~FontScope() { SetFont(previous_); }
    FontScope(const FontScope&) = delete;
    FontScope& operator=(const FontScope&) = delete;

  private:
    Font* previous_;
};

inline bool IsContinuation(char b) { return (uint8_t(b) & 0xC0) == 0x80; }

// Offsets of the neighbouring characters. They step over the continuation bytes that
// are actually there, so a broken sequence never moves a position past the text.
inline int32_t NextChar(std::string_view s, int32_t pos) {
    const int32_t len = int32_t(s.size());
    if (pos >= len) return len;
    ++pos;
    while (pos < len && IsContinuation(s[size_t(pos)])) ++pos;
    return pos;
}

inline int32_t PrevChar(std::string_view s, int32_t pos) {
    if (pos <= 0) return 0;
    --pos;
    while (pos > 0 && IsContinuation(s[size_t(pos)])) --pos;
    return pos;
}

inline bool IsWordDelimiter(char b) { return b && std::strchr(" .,!?-:;+=", b) != nullptr; }

// The text boxes show tags such as "<color default>" literally, and measure them so.
class ColorTagsOff {
  public:
    ColorTagsOff() : saved_(GetEngineSetting(SETTING_COLOR_TAGS)) { SetEngineSetting(SETTING_COLOR_TAGS, 0); }
    ~ColorTagsOff() { SetEngineSetting(SETTING_COLOR_TAGS, saved_); }
    ColorTagsOff(const ColorTagsOff&) = delete;
    ColorTagsOff& operator=(const ColorTagsOff&) = delete;

  private:
    float saved_;
};

// A clip plane of the control's own, in its drawing coordinates, keeping
// a*x + b*y + d >= 0. The framework clips each control to its ancestors with planes
// 0-3, so controls use planes from 4 up; the plane's earlier state is put back.
class ClipPlaneGuard {
  public:
    ClipPlaneGuard(int index, double a, double b, double d) {
        GLint planes = 6;
        glGetIntegerv(GL_MAX_CLIP_PLANES, &planes);
        if (index >= planes) return;  // drawn uncut is better than not drawn
        plane_ = GLenum(GL_CLIP_PLANE0 + index);
        wasOn_ = glIsEnabled(plane_);
        glGetClipPlane(plane_, saved_);
        const GLdouble eq[4] = {a, b, 0, d};
        glClipPlane(plane_, eq);
        glEnable(plane_);
    }
    ~ClipPlaneGuard() {
        if (!plane_) return;
        // The saved equation is in eye coordinates: set it back with a plain modelview.
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glLoadIdentity();
        glClipPlane(plane_, saved_);
        glPopMatrix();
        if (!wasOn_) glDisable(plane_);
    }
    ClipPlaneGuard(const ClipPlaneGuard&) = delete;
    ClipPlaneGuard& operator=(const ClipPlaneGuard&) = delete;

  private:
    GLenum plane_ = 0;
    bool wasOn_ = false;
    GLdouble saved_[4] = {};
};
