// gl_picture.cpp - a software picture drawn through GL, for the loading screen.
#ifdef _WIN32
#include <windows.h>
#endif
#include <GL/gl.h>

#include <cstddef>
#include <vector>

#include "platform/gl_picture.h"

void DrawPictureThroughGL(const uint32_t* pixels, int width, int height) {
    // GL wants rows bottom-up and bytes R, G, B.
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y) {
        const uint32_t* row = &pixels[static_cast<size_t>(height - 1 - y) * width];
        uint8_t* dst = &rgb[static_cast<size_t>(y) * width * 3];
        for (int x = 0; x < width; ++x) {
            dst[x * 3 + 0] = (row[x] >> 16) & 0xFF;
            dst[x * 3 + 1] = (row[x] >> 8) & 0xFF;
            dst[x * 3 + 2] = row[x] & 0xFF;
        }
    }
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    for (int p = 0; p < 6; ++p) glDisable(GL_CLIP_PLANE0 + p);
    glViewport(0, 0, width, height);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glRasterPos2f(-1.0f, -1.0f);
    glDrawPixels(width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
}
