// The Wireless page's BSSID fields and pasted ESSIDs as data, run by the page tests of both
// backends (tests/gui/WirelessPageTest.cpp over Qt, tests/windows/Win32PagesTest.cpp over
// Win32): the bytes shown, what the user types through the hexadecimal filter or pastes, and
// the bytes stored.
#pragma once

#include "resources/Dialog129Ids.h"

#include <cstddef>

namespace WirelessPageCases {

constexpr int kFirstBssid = IDC_BSSID0; // six fields, one byte each, IDC_BSSID0..IDC_BSSID5
constexpr std::size_t kBssidOffset = 266;
constexpr unsigned char kBssid[6] = {0x00, 0x0A, 0xFF, 0x10, 0x20, 0x30};
constexpr const char* kBssidShown[6] = {"00", "0A", "FF", "10", "20", "30"};

// A field's text cleared key by key, then the keys typed: what the field shows at once and
// the byte stored (empty stores 00; letters show in upper case as typed).
struct Typed {
    int field; // 0 to 5
    const char* typed;
    const char* shown;
    unsigned char stored;
};
constexpr Typed kTyped[] = {
    {2, "", "", 0x00}, {3, "a", "A", 0x0A}, {0, "fe", "FE", 0xFE}, {1, "7B", "7B", 0x7B}};

// Keys typed at the end of a field that the filter refuses, each with a beep: the field and
// the image keep their bytes.
struct Refused {
    int field;
    const char* typed;
    int beeps;
};
constexpr Refused kRefused[] = {{4, "g -", 3}, {5, "xZ.", 3}};

// Text pasted into the emptied ESSID field: the edit takes it up to its first line break,
// and only that line has to fit the code page (the omega after the break does not).
struct PastedLine {
    const char16_t* pasted;
    const char* stored;
};
constexpr PastedLine kPastedLines[] = {
    {u"home\r\n", "home"},
    {u"home\nsecond line", "home"},
    {u"ho\rme", "ho"},
    {u"\r\nhome", ""},
    {u"a\tb", "a\tb"},
    {u"home\r\n\u03A9", "home"},
    // the field's limit of 32 still holds
    {u"0123456789abcdefghijklmnopqrstuvwxyz\r\n", "0123456789abcdefghijklmnopqrstuv"},
};

} // namespace WirelessPageCases
