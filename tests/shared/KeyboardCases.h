// The main dialog driven by the keyboard alone, as data, run by a test of each backend
// (tests/gui/AppTest.cpp over Qt, tests/windows/Win32KeyboardTest.cpp over Win32) against the
// emulator: from the first focus (OK) Tab and Shift+Tab walk each page's fields, Ctrl+Tab and
// Ctrl+Shift+Tab change pages, keys typed on the way set fields and lists, Enter and Escape at
// every field change nothing, Apply and Escape end it; the bytes the device holds afterwards.
//
// The tab order is the same on both backends: the tab strip, OK, Apply, Default, Cancel, then
// the shown page's fields (those enabled), then the tab strip again.
#pragma once

#include "resources/Dialog102Ids.h"
#include "resources/Dialog129Ids.h"
#include "resources/Dialog130Ids.h"
#include "resources/Dialog131Ids.h"
#include "resources/Dialog132Ids.h"
#include "resources/Dialog134Ids.h"

#include <cstddef>
#include <vector>

namespace KeyboardCases {

enum class Key { kTab, kShiftTab, kCtrlTab, kCtrlShiftTab, kDown, kUp, kReturn, kEscape, kText };

// A key pressed (or text typed), and the control that has the focus afterwards: its
// dialog's template and its id (dialog 0: not looked at).
struct Step {
    Key key;
    const char* text;
    UINT dialog;
    int control;
};

// Keys pressed at a field as Tab reaches it, before Tab goes on: a list moved to another
// item, or text typed over the field's text (selected as the focus came by Tab).
struct AtField {
    int control;
    Key key;
    int times;
    const char* text;
};

// One page, reached with Ctrl+Tab (tabSteps > 0) or Ctrl+Shift+Tab (< 0) from the page before,
// walked once around with Tab and once back with Shift+Tab.
struct PageWalk {
    int tabSteps;
    UINT page;
    std::vector<int> fields; // as Tab reaches them, with the keys of `at` pressed on the way
    std::vector<AtField> at;
    // as Shift+Tab reaches them afterwards, when not fields backwards (a key on the way
    // disabled some)
    std::vector<int> back = {};
};

// The Encryption page's fields with the 128-bit keys (wide) or the 64-bit keys enabled: the
// lists, then each key's bytes from the left.
inline std::vector<int> KeyFields(bool wide) {
    std::vector<int> ids = {IDC_WEP_TYPE, IDC_AUTH_TYPE, IDC_ACTIVE_KEY};
    for (int k = 0; k < 4; ++k)
        for (int j = 0; j < (wide ? 13 : 5); ++j)
            ids.push_back(wide ? kKey128Ids[k][j] : kKey64Ids[k][j]);
    return ids;
}

// The emulator's first image: the mode "Access Point" (no BSSID), WEP "Disable", DHCP
// "Disable". A list's items: modes as the mode words, WEP Disable, 64-bit, 128-bit; DHCP
// Enable, Disable.
inline std::vector<PageWalk> Walks() {
    return {
        {0,
         IDD_WIRELESS,
         {IDC_NAME, IDC_ESSID, IDC_RATE, IDC_CHANNEL, IDC_MODE, IDC_BSSID0, IDC_BSSID1, IDC_BSSID2,
          IDC_BSSID3, IDC_BSSID4, IDC_BSSID5},
         {{IDC_NAME, Key::kText, 1, "Keys"},
          {IDC_MODE, Key::kDown, 1, nullptr}, // "Access Point Client": the BSSID is asked for
          {IDC_BSSID0, Key::kText, 1, "ab"}}},
        {1, IDD_ENCRYPTION, KeyFields(true), {{IDC_WEP_TYPE, Key::kDown, 2, nullptr}}},
        {1,
         IDD_IPCONFIG,
         {IDC_IP_ADDRESS, IDC_SUBNET_MASK, IDC_GATEWAY, IDC_DHCP, IDC_PRIMARY_PORT},
         {{IDC_DHCP, Key::kUp, 1, nullptr}}, // Enable: the port is asked for, the addresses not
         {IDC_PRIMARY_PORT, IDC_DHCP}},
        {1,
         IDD_ADVANCED,
         {IDC_FRAGMENT, IDC_RTS, IDC_BEACON, IDC_PREAMBLE, IDC_ANTENNA, IDC_SSID_BROADCAST,
          IDC_ROAMING},
         {{IDC_FRAGMENT, Key::kText, 1, "1500"}}},
        {-4, // back past the first page to the last
         IDD_INFO,
         {IDC_UTILITY_VERSION, IDC_FIRMWARE, IDC_REGULATION, IDC_MAC},
         {}},
        {2,
         IDD_ENCRYPTION, // on past the last page to the second
         KeyFields(false),
         {{IDC_WEP_TYPE, Key::kUp, 1, nullptr}, {kKey64Ids[0][0], Key::kText, 1, "cd"}}},
    };
}

// Every key of the run, from the main dialog's first focus on OK to its end.
inline std::vector<Step> Script() {
    const int buttons[] = {IDOK, IDC_APPLY, IDC_DEFAULT, IDCANCEL};
    std::vector<Step> steps = {{Key::kShiftTab, nullptr, IDD_MAIN, IDC_TAB}};
    for (const PageWalk& walk : Walks()) {
        for (int i = 0; i < (walk.tabSteps < 0 ? -walk.tabSteps : walk.tabSteps); ++i)
            steps.push_back({walk.tabSteps < 0 ? Key::kCtrlShiftTab : Key::kCtrlTab, nullptr,
                             IDD_MAIN, IDC_TAB});
        for (int id : buttons)
            steps.push_back({Key::kTab, nullptr, IDD_MAIN, id});
        for (int id : walk.fields) {
            steps.push_back({Key::kTab, nullptr, walk.page, id});
            for (const AtField& at : walk.at)
                if (at.control == id)
                    for (int i = 0; i < at.times; ++i)
                        steps.push_back({at.key, at.text, walk.page, id});
            // Enter and Escape at a field are the page's, which keeps them: the focus stays,
            // nothing is written, the dialog goes on.
            steps.push_back({Key::kReturn, nullptr, walk.page, id});
            steps.push_back({Key::kEscape, nullptr, walk.page, id});
        }
        steps.push_back({Key::kTab, nullptr, IDD_MAIN, IDC_TAB});
        std::vector<int> back = walk.back;
        if (back.empty())
            back.assign(walk.fields.rbegin(), walk.fields.rend());
        for (int id : back)
            steps.push_back({Key::kShiftTab, nullptr, walk.page, id});
        for (int i = 3; i >= 0; --i)
            steps.push_back({Key::kShiftTab, nullptr, IDD_MAIN, buttons[i]});
        steps.push_back({Key::kShiftTab, nullptr, IDD_MAIN, IDC_TAB});
    }
    steps.push_back({Key::kTab, nullptr, IDD_MAIN, IDOK});
    steps.push_back({Key::kTab, nullptr, IDD_MAIN, IDC_APPLY});
    // Apply: the write, with its progress; the focus comes back to Apply
    steps.push_back({Key::kReturn, nullptr, IDD_MAIN, IDC_APPLY});
    steps.push_back({Key::kEscape, nullptr, 0, 0}); // Cancel: the dialog ends
    return steps;
}

// What the device holds after the run (offsets in its configuration).
struct Stored {
    std::size_t offset;
    unsigned char value;
};
constexpr Stored kStored[] = {
    {124, 'K'},  {125, 'e'}, {126, 'y'}, {127, 's'}, {128, 0}, // the name
    {266, 0xAB},                                               // the BSSID's first byte
    {248, 1},                                                  // DHCP client enabled
    {64, 0xDC},  {65, 0x05},                                   // fragment threshold 1500
    {70, 1},                                                   // WEP 64-bit
    {72, 0xCD},                                                // the first key's first byte
};

} // namespace KeyboardCases
