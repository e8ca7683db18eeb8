// The Encryption page's key fields as data, run by the page tests of both backends
// (tests/gui/EncryptionPageTest.cpp over Qt, tests/windows/Win32PagesTest.cpp over Win32):
// text that reaches a field other than by typing, and fields the user empties. A field
// always comes to show the byte that the key table, its key slot, and so the key file and
// the device hold.
#pragma once

#include "pages/EncryptionPage.h"
#include "pages/WirelessPage.h"
#include "resources/Dialog129Ids.h"
#include "resources/Dialog131Ids.h"

#include <cstddef>
#include <iterator>
#include <vector>

namespace EncryptionPageCases {

constexpr std::size_t kFirstSlot = 72; // the slot of key k starts at 72 + 13 * k

// A key field: the 128-bit group or the 64-bit one, the key (0 to 3), the byte.
struct Field {
    bool wide;
    int key;
    int byte;
    std::size_t Offset() const { return kFirstSlot + 13 * static_cast<std::size_t>(key) + byte; }
};

// Text pasted over a field's whole text, the key table holding held before: the byte
// stored in the table and the slot, and what the field shows at once (upper case).
struct Pasted {
    Field field;
    unsigned char held;
    const char* pasted;
    unsigned char stored;
    const char* shown;
};
constexpr Pasted kPasted[] = {
    {{false, 2, 0}, 0xAB, "MY", 0xAB, "AB"}, // no digit: the byte is kept
    {{false, 3, 0}, 0x44, "5Z", 0x05, "05"}, // the digit read, the rest dropped
    {{false, 0, 4}, 0x21, "c", 0x0C, "C"},   // hexadecimal digits stay as they came
    {{true, 1, 6}, 0x3C, "-7", 0x3C, "3C"},
    {{true, 3, 12}, 0x10, " e", 0x0E, "0E"}, // a leading blank is skipped
};

// A field the user empties keeps its byte; once the focus has left it, it shows the byte.
struct Emptied {
    Field field;
    unsigned char held;
    const char* shown;
};
constexpr Emptied kEmptied[] = {{{false, 1, 3}, 0x5D, "5D"}, {{true, 2, 0}, 0x00, "00"}};

// The hexadecimal fields, two digits each, by page: the 72 key bytes and the six BSSID bytes.
struct HexFields {
    CPageDialog* page;
    UINT templateId;
    std::vector<int> ids;
};
inline std::vector<HexFields> AllHexFields() {
    std::vector<int> keys;
    for (const auto& key : kKey64Ids)
        keys.insert(keys.end(), std::begin(key), std::end(key));
    for (const auto& key : kKey128Ids)
        keys.insert(keys.end(), std::begin(key), std::end(key));
    return {{&g_encryptionPage, IDD_ENCRYPTION, keys},
            {&g_wirelessPage,
             IDD_WIRELESS,
             {IDC_BSSID0, IDC_BSSID1, IDC_BSSID2, IDC_BSSID3, IDC_BSSID4, IDC_BSSID5}}};
}

} // namespace EncryptionPageCases
