// src/resources: the dialog templates as data, each beside the header of its ids, and the
// artwork drawn by code. Includes only platform/; no backend, no toolkit, nothing of
// device/, pages/ or app/.
#pragma once

#include <cstdint>
#include <vector>

// Registers every dialog template and the icon of the utility with the dialog framework.
void RegisterResources();

constexpr unsigned IDR_MAINFRAME = 128; // icon 128

// Bitmap 135: the logo, 302 x 79 pixels, 24 bits per pixel, as a .bmp file's bytes.
std::vector<uint8_t> LogoBitmapFile();
// Icon 128: size x size pixels, 32 bits per pixel with alpha (BGRA rows, top row first),
// the same drawing at every size.
constexpr int kAppIconSize = 32;
std::vector<uint8_t> AppIconPixels(int size = kAppIconSize);
// Icon 128 as an .ico file's bytes: 16, 32 and 48 pixels, 32 bits per pixel with alpha.
std::vector<uint8_t> AppIconFile();
