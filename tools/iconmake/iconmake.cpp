// iconmake.cpp - writes the editor's icon (the picture the program draws for its
// window) as a PAM file, which the build turns into the desktop entry's PNG.
#include <cstdio>
#include <cstdlib>

#include "editor/app_icon.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: iconmake SIZE OUTPUT.pam\n", stderr);
        return 2;
    }
    const int size = std::atoi(argv[1]);
    if (size <= 0 || size > 1024) {
        std::fprintf(stderr, "iconmake: %s is not a size from 1 to 1024\n", argv[1]);
        return 2;
    }
    FILE* out = std::fopen(argv[2], "wb");
    if (!out) {
        std::perror(argv[2]);
        return 1;
    }
    const auto pixels = DrawAppIcon(size);
    std::fprintf(out, "P7\nWIDTH %d\nHEIGHT %d\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n", size, size);
    const bool written = std::fwrite(pixels.data(), 1, pixels.size(), out) == pixels.size();
    if (std::fclose(out) != 0 || !written) {
        std::fprintf(stderr, "iconmake: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
