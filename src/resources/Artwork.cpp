// The utility's own artwork, drawn by code: the logo (bitmap 135) and the icon (icon 128).
#include "Resources.h"

#include "platform/LittleEndian.h"

#include <cmath>

namespace {

struct Rgb {
    double r, g, b;
};

Rgb Mix(Rgb a, Rgb b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

double Clamp01(double v) {
    return v < 0 ? 0 : v > 1 ? 1 : v;
}

// Coverage (0..1) of a ring of radius r and width w around (cx, cy), limited to the
// upper quarter-circle opening upwards, anti-aliased over one pixel.
double Arc(double x, double y, double cx, double cy, double r, double w) {
    double dx = x - cx, dy = y - cy;
    double d = std::sqrt(dx * dx + dy * dy);
    if (dy > 0 || std::fabs(dx) > -dy * 1.2)
        return 0;
    return Clamp01(w / 2 + 0.5 - std::fabs(d - r));
}

double Disc(double x, double y, double cx, double cy, double r) {
    double d = std::hypot(x - cx, y - cy);
    return Clamp01(r + 0.5 - d);
}

// A stylised falcon gliding, seen from below: a slim body, a fanned tail and two long
// wings swept back to pointed tips.
double Bird(double x, double y, double cx, double cy, double s) {
    double u = (x - cx) / s, v = (y - cy) / s;
    double body = (u * u) / 0.02 + (v * v) / 0.45 <= 1 ? 1 : 0; // nose up, tail down
    double head = (u * u + (v + 0.62) * (v + 0.62)) <= 0.025 ? 1 : 0;
    double tail = (v > 0.45 && v < 0.95 && std::fabs(u) < 0.08 + 0.22 * (v - 0.45)) ? 1 : 0;
    double span = std::fabs(u);
    double wing = 0;
    if (span < 1.9) {
        // The leading edge rises towards the wrist and falls to the tip; the trailing edge
        // sweeps back.
        double lead = -0.28 - 0.18 * span + 0.16 * span * span;
        double trail = lead + 0.42 * (1.0 - span / 1.9) + 0.04;
        if (v >= lead && v <= trail)
            wing = 1;
    }
    return std::fmax(std::fmax(body, head), std::fmax(tail, wing));
}

void Put(std::vector<uint8_t>& out, uint32_t v, size_t bytes) {
    out.resize(out.size() + bytes);
    littleendian::Put(out.data() + out.size() - bytes, bytes, v);
}

uint8_t Byte(double v) {
    return static_cast<uint8_t>(std::lround(Clamp01(v) * 255));
}

} // namespace

std::vector<uint8_t> LogoBitmapFile() {
    const int width = 302, height = 79;
    const int stride = (width * 3 + 3) & ~3;
    std::vector<uint8_t> file;
    Put(file, 0x4D42, 2);
    Put(file, static_cast<uint32_t>(54 + stride * height), 4);
    Put(file, 0, 4);
    Put(file, 54, 4);
    Put(file, 40, 4);
    Put(file, width, 4);
    Put(file, height, 4);
    Put(file, 1, 2);
    Put(file, 24, 2);
    Put(file, 0, 4);
    Put(file, static_cast<uint32_t>(stride * height), 4);
    Put(file, 2835, 4);
    Put(file, 2835, 4);
    Put(file, 0, 4);
    Put(file, 0, 4);
    const Rgb skyTop{0.10, 0.27, 0.55}, skyLow{0.55, 0.78, 0.95}, wave{1.0, 1.0, 1.0},
        bird{0.16, 0.12, 0.10}, hill{0.20, 0.45, 0.25};
    for (int row = height - 1; row >= 0; --row) { // bottom-up rows
        size_t start = file.size();
        for (int x = 0; x < width; ++x) {
            double y = row + 0.5, px = x + 0.5;
            Rgb c = Mix(skyTop, skyLow, y / height);
            double ground = 64 + 6 * std::sin(px / 37.0) + 3 * std::sin(px / 11.0);
            if (y > ground)
                c = Mix(c, hill, Clamp01(y - ground));
            double waves = 0;
            for (int i = 1; i <= 3; ++i)
                waves = std::fmax(waves, Arc(px, y, 250, 58, 12.0 * i, 3.0));
            waves = std::fmax(waves, Disc(px, y, 250, 58, 4));
            c = Mix(c, wave, waves * 0.9);
            double cover = 0; // 4 x 4 samples smooth the silhouette's edges
            for (int sy = 0; sy < 4; ++sy)
                for (int sx = 0; sx < 4; ++sx)
                    cover += Bird(x + (sx + 0.5) / 4, row + (sy + 0.5) / 4, 95, 30, 30);
            c = Mix(c, bird, cover / 16);
            file.push_back(Byte(c.b));
            file.push_back(Byte(c.g));
            file.push_back(Byte(c.r));
        }
        while (file.size() - start < static_cast<size_t>(stride))
            file.push_back(0);
    }
    return file;
}

std::vector<uint8_t> AppIconPixels(int size) {
    const int n = size;
    const double s = static_cast<double>(size) / kAppIconSize; // drawn on a 32-pixel grid
    std::vector<uint8_t> pixels;
    for (int row = 0; row < n; ++row) {
        for (int x = 0; x < n; ++x) {
            double px = x + 0.5, py = row + 0.5;
            // A rounded square, blue, with white radio waves rising from a dot.
            double dx = std::fmax(std::fabs(px - 16 * s) - 11 * s, 0),
                   dy = std::fmax(std::fabs(py - 16 * s) - 11 * s, 0);
            double inside = Clamp01(4 * s + 0.5 - std::hypot(dx, dy));
            Rgb c = Mix(Rgb{0.12, 0.35, 0.70}, Rgb{0.25, 0.55, 0.90}, py / n);
            double waves = Disc(px, py, 16 * s, 24 * s, 2.5 * s);
            for (int i = 1; i <= 3; ++i)
                waves = std::fmax(waves, Arc(px, py, 16 * s, 24 * s, 5.5 * i * s, 2.2 * s));
            c = Mix(c, Rgb{1, 1, 1}, waves);
            pixels.push_back(Byte(c.b));
            pixels.push_back(Byte(c.g));
            pixels.push_back(Byte(c.r));
            pixels.push_back(Byte(inside));
        }
    }
    return pixels;
}

std::vector<uint8_t> AppIconFile() {
    static const int sizes[] = {16, 32, 48};
    const int count = sizeof sizes / sizeof sizes[0];
    std::vector<std::vector<uint8_t>> images;
    for (int n : sizes) {
        // Each image: a BITMAPINFOHEADER of twice the height (colour rows, then the mask),
        // the colour rows bottom-up, and a 1-bit AND mask that the alpha makes redundant
        // but that older readers expect.
        const int maskStride = ((n + 31) / 32) * 4;
        std::vector<uint8_t> image;
        Put(image, 40, 4);
        Put(image, static_cast<uint32_t>(n), 4);
        Put(image, static_cast<uint32_t>(2 * n), 4);
        Put(image, 1, 2);
        Put(image, 32, 2);
        Put(image, 0, 4);
        Put(image, static_cast<uint32_t>(n * n * 4 + maskStride * n), 4);
        Put(image, 0, 4);
        Put(image, 0, 4);
        Put(image, 0, 4);
        Put(image, 0, 4);
        std::vector<uint8_t> pixels = AppIconPixels(n);
        for (int row = n - 1; row >= 0; --row)
            image.insert(image.end(), pixels.begin() + row * n * 4,
                         pixels.begin() + (row + 1) * n * 4);
        for (int row = n - 1; row >= 0; --row) {
            std::vector<uint8_t> mask(static_cast<size_t>(maskStride), 0);
            for (int x = 0; x < n; ++x)
                if (pixels[static_cast<size_t>((row * n + x) * 4 + 3)] == 0)
                    mask[static_cast<size_t>(x / 8)] |= static_cast<uint8_t>(0x80 >> (x % 8));
            image.insert(image.end(), mask.begin(), mask.end());
        }
        images.push_back(std::move(image));
    }
    std::vector<uint8_t> file;
    Put(file, 0, 2); // reserved
    Put(file, 1, 2); // an icon
    Put(file, count, 2);
    uint32_t offset = 6 + 16 * count;
    for (int i = 0; i < count; ++i) {
        file.push_back(static_cast<uint8_t>(sizes[i])); // 256 would be written as 0
        file.push_back(static_cast<uint8_t>(sizes[i]));
        file.push_back(0); // no palette
        file.push_back(0);
        Put(file, 1, 2);  // planes
        Put(file, 32, 2); // bits per pixel
        Put(file, static_cast<uint32_t>(images[i].size()), 4);
        Put(file, offset, 4);
        offset += static_cast<uint32_t>(images[i].size());
    }
    for (const std::vector<uint8_t>& image : images)
        file.insert(file.end(), image.begin(), image.end());
    return file;
}
