// Writes the logo bitmap to the file named on the command line.
#include "resources/Resources.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: ap-artwork LOGO.bmp\n");
        return 2;
    }
    std::vector<uint8_t> bmp = LogoBitmapFile();
    FILE* f = std::fopen(argv[1], "wb");
    if (!f || std::fwrite(bmp.data(), 1, bmp.size(), f) != bmp.size()) {
        std::perror(argv[1]);
        return 1;
    }
    return std::fclose(f) == 0 ? 0 : 1;
}
