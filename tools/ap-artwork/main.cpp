// Writes the logo bitmap (bitmap 135), and the icon (icon 128, an .ico of 16, 32 and 48
// pixels) when a second file is named, for the Windows resource script; with --png, the
// icon at one size as a PNG file for the desktop's icon theme.
#include "platform/CommandWords.h"
#include "resources/Resources.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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

void PutBig(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<uint8_t>(v >> shift));
}

uint32_t Crc32(const uint8_t* data, size_t size) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void Chunk(std::vector<uint8_t>& png, const char* type, const std::vector<uint8_t>& data) {
    PutBig(png, static_cast<uint32_t>(data.size()));
    size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    PutBig(png, Crc32(png.data() + start, png.size() - start));
}

// A zlib stream of stored (uncompressed) deflate blocks: the icon needs no compressor.
std::vector<uint8_t> StoredZlib(const std::vector<uint8_t>& raw) {
    std::vector<uint8_t> z = {0x78, 0x01};
    size_t at = 0;
    do {
        const size_t n = std::min<size_t>(raw.size() - at, 0xFFFF);
        z.push_back(at + n == raw.size() ? 1 : 0); // the last block's flag
        for (uint32_t v : {static_cast<uint32_t>(n), static_cast<uint32_t>(~n & 0xFFFF)}) {
            z.push_back(static_cast<uint8_t>(v));
            z.push_back(static_cast<uint8_t>(v >> 8));
        }
        z.insert(z.end(), raw.begin() + static_cast<long>(at),
                 raw.begin() + static_cast<long>(at + n));
        at += n;
    } while (at < raw.size());
    uint32_t a = 1, b = 0; // Adler-32
    for (uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    PutBig(z, (b << 16) | a);
    return z;
}

// The icon as an 8-bit RGBA PNG of size x size pixels, each row unfiltered.
std::vector<uint8_t> IconPng(int size) {
    const std::vector<uint8_t> bgra = AppIconPixels(size);
    std::vector<uint8_t> rows;
    for (size_t i = 0; i < bgra.size(); i += 4) {
        if (i % (static_cast<size_t>(size) * 4) == 0)
            rows.push_back(0); // filter: none
        rows.insert(rows.end(), {bgra[i + 2], bgra[i + 1], bgra[i], bgra[i + 3]});
    }
    std::vector<uint8_t> header;
    PutBig(header, static_cast<uint32_t>(size));
    PutBig(header, static_cast<uint32_t>(size));
    header.insert(header.end(), {8, 6, 0, 0, 0}); // 8 bits, RGBA, deflate, no interlace
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Chunk(png, "IHDR", header);
    Chunk(png, "IDAT", StoredZlib(rows));
    Chunk(png, "IEND", {});
    return png;
}

const char kUsage[] = "usage: ap-artwork LOGO.bmp [ICON.ico]\n"
                      "       ap-artwork --png SIZE ICON.png\n"
                      "       ap-artwork --help | --version\n";

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0)
        return commandwords::Answer(kUsage);
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0)
        return commandwords::Answer("ap-artwork " AP_VERSION "\n");
    // A file name never starts with "-": an option in its place is a mistake, not a name.
    bool names = true;
    for (int i = 1; i < argc; ++i)
        names = names && (commandwords::IsName(argv[i]) || (i == 1 && argc == 4));
    if (!names)
        return commandwords::Refuse(kUsage);
    if (argc == 4 && std::strcmp(argv[1], "--png") == 0) {
        const int size = std::atoi(argv[2]);
        if (size < 1 || size > 1024) {
            std::fprintf(stderr, "ap-artwork: a size of 1 to 1024 pixels\n");
            return 2;
        }
        return Write(argv[3], IconPng(size)) ? 0 : 1;
    }
    if (argc != 2 && argc != 3)
        return commandwords::Refuse(kUsage);
    if (!Write(argv[1], LogoBitmapFile()))
        return 1;
    return argc == 3 && !Write(argv[2], AppIconFile()) ? 1 : 0;
}
