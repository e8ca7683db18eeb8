// The Advanced page's behaviour as data, run by the page tests of both backends
// (tests/gui/AdvancedPageTest.cpp over Qt, tests/windows/Win32PagesTest.cpp over Win32):
// what the user types into a field and the value and bytes that land in the image.
#pragma once

#include "resources/Dialog134Ids.h"

#include <cstddef>

namespace AdvancedPageCases {

constexpr int kFragment = IDC_FRAGMENT, kRts = IDC_RTS, kBeacon = IDC_BEACON,
              kPreamble = IDC_PREAMBLE, kAntenna = IDC_ANTENNA, kSsidBroadcast = IDC_SSID_BROADCAST,
              kRoaming = IDC_ROAMING;

// A number field and where its 16-bit little-endian value sits in the image.
struct NumberField {
    int id;
    std::size_t offset;
};
constexpr NumberField kNumberFields[] = {{kFragment, 64}, {kRts, 66}, {kBeacon, 162}};

constexpr std::size_t OffsetOf(int field) {
    for (const NumberField& f : kNumberFields)
        if (f.id == field)
            return f.offset;
    return 0;
}

// The image before the page opens: every field inside its range.
constexpr unsigned kStartFragment = 2346, kStartRts = 2347, kStartBeacon = 100;

// A field's whole text replaced key by key, and the value stored at once: out-of-range
// numbers clamped, an empty field its fixed value, leading zeros read as decimal. In order:
// each case starts from the value the one before left.
struct Retyped {
    int field;
    const char* typed;
    unsigned stored;
};
constexpr Retyped kRetyped[] = {
    {kFragment, "3000", 2346}, {kRts, "3000", 2347},    {kRts, "2347", 2347},
    {kBeacon, "5", 20},        {kBeacon, "1001", 1000}, {kBeacon, "0020", 20},
    {kFragment, "1500", 1500}, {kFragment, "", 256},    {kRts, "", 0},
    {kBeacon, "", 20},
};

// Characters typed after a field's text that its digit filter refuses, each with a beep:
// the text and the image stay as they were.
struct Refused {
    int field;
    const char* typed;
    int beeps;
};
constexpr Refused kRefused[] = {{kRts, "a- ", 3}, {kFragment, "x", 1}, {kBeacon, ".+", 2}};

// Typing a mix into a field whose text was selected: the digits replace it, the rest beeps.
struct Mixed {
    int field;
    const char* typed;
    int beeps;
    unsigned stored;
};
constexpr Mixed kMixed[] = {{kFragment, "2x000", 1, 2000}, {kBeacon, "3a0b0", 2, 300}};

} // namespace AdvancedPageCases
