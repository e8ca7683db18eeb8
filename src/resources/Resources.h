#pragma once

#include <cstdint>
#include <vector>

// Registers every dialog template of the utility with the dialog framework.
void RegisterResources();

// Bitmap 135: the logo, 302 x 79 pixels, 24 bits per pixel, as a .bmp file's bytes.
std::vector<uint8_t> LogoBitmapFile();
// Icon 128: 32 x 32 pixels, 32 bits per pixel (BGRA rows, top row first).
std::vector<uint8_t> AppIconPixels();
constexpr int kAppIconSize = 32;
