#pragma once

#include "platform/Win32Types.h"

// The working copy of the WEP keys, outside the image: four 64-bit keys of 5 bytes and four
// 128-bit keys of 13 bytes. Loaded from and saved to the key file, reset by "Default",
// shown and edited by the Encryption page.
struct WepKeyTable {
    static constexpr int kKeys = 4;
    static constexpr int kKey64Size = 5;
    static constexpr int kKey128Size = 13;
    BYTE keys64[kKeys][kKey64Size];
    BYTE keys128[kKeys][kKey128Size];
};

extern WepKeyTable g_wepKeyTable;
