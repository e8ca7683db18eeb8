// Writes the logo bitmap (bitmap 135), and the icon (icon 128, an .ico of 16, 32 and 48
// pixels) when a second file is named, for the Windows resource script.
#include "resources/Resources.h"

#include <cstdio>

namespace {
bool Write(const char* path, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path, "wb");
    bool ok = f && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (f && std::fclose(f) != 0)
        ok = false;
    if (!ok)
        std::perror(path);
    return ok;
}
} // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: ap-artwork LOGO.bmp [ICON.ico]\n");
        return 2;
    }
    if (!Write(argv[1], LogoBitmapFile()))
        return 1;
    return argc == 3 && !Write(argv[2], AppIconFile()) ? 1 : 0;
}
