// The utility's own artwork, drawn by code: the logo (bitmap 135) and the icon (icon 128).
#include "Resources.h"

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

// A stylised falcon in flight: a body ellipse and two swept wings.
double Bird(double x, double y, double cx, double cy, double s) {
    double u = (x - cx) / s, v = (y - cy) / s;
    double body = (u * u) / 1.0 + (v * v) / 0.09 <= 1 ? 1 : 0;
    double wing = 0;
    double span = std::fabs(u);
    if (span < 2.6) {
        double top = -0.15 - 0.45 * span + 0.12 * span * span;
        double bottom = top + 0.35 * (1 - span / 2.6);
        if (v >= top && v <= bottom && u > -0.6)
            wing = 1;
    }
    double head = ((u - 1.0) * (u - 1.0) + (v + 0.05) * (v + 0.05)) <= 0.09 ? 1 : 0;
    double tail = (u < -0.8 && u > -1.7 && std::fabs(v) < 0.12 + 0.15 * (-u - 0.8)) ? 1 : 0;
    return std::fmax(std::fmax(body, wing), std::fmax(head, tail));
}

void Put(std::vector<uint8_t>& out, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
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
            c = Mix(c, bird, Bird(px, y, 95, 32, 22));
            file.push_back(Byte(c.b));
            file.push_back(Byte(c.g));
            file.push_back(Byte(c.r));
        }
        while (file.size() - start < static_cast<size_t>(stride))
            file.push_back(0);
    }
    return file;
}

std::vector<uint8_t> AppIconPixels() {
    const int n = kAppIconSize;
    std::vector<uint8_t> pixels;
    for (int row = 0; row < n; ++row) {
        for (int x = 0; x < n; ++x) {
            double px = x + 0.5, py = row + 0.5;
            // A rounded square, blue, with white radio waves rising from a dot.
            double dx = std::fmax(std::fabs(px - 16) - 11, 0),
                   dy = std::fmax(std::fabs(py - 16) - 11, 0);
            double inside = Clamp01(4.5 - std::hypot(dx, dy));
            Rgb c = Mix(Rgb{0.12, 0.35, 0.70}, Rgb{0.25, 0.55, 0.90}, py / n);
            double waves = Disc(px, py, 16, 24, 2.5);
            for (int i = 1; i <= 3; ++i)
                waves = std::fmax(waves, Arc(px, py, 16, 24, 5.5 * i, 2.2));
            c = Mix(c, Rgb{1, 1, 1}, waves);
            pixels.push_back(Byte(c.b));
            pixels.push_back(Byte(c.g));
            pixels.push_back(Byte(c.r));
            pixels.push_back(Byte(inside));
        }
    }
    return pixels;
}
