// Icons as data: the program registers how each of its icons is drawn, and the backend makes
// its own icon from that (on Windows the compiled resource script holds them as well).
#pragma once

#include "Win32Types.h"

#include <cstdint>
#include <vector>

// size x size pixels, 32 bits per pixel with alpha (BGRA rows, top row first).
typedef std::vector<uint8_t> (*IconPixelsFn)(int size);

void RegisterIconResource(UINT id, IconPixelsFn draw);
IconPixelsFn FindIconResource(UINT id);
