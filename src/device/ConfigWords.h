#pragma once

#include "ConfigImage.h"
#include "platform/Win32Types.h"

#include <string>

// The words of the pages' lists and the value rules of their fields, in one place for the
// pages and for ap-config.

// One item of a list: the text the page shows and the value it stores.
struct ListWord {
    const char* text;
    DWORD value;
};

// A page's list in page order.
struct WordList {
    const ListWord* items;
    int count;

    // The text of a stored value, or null for a value outside the list.
    const char* TextOf(DWORD value) const;
    // The position of a stored value, or -1.
    int PositionOf(DWORD value) const;
};

extern const WordList kWepTypeWords;     // Disable, 64-bit, 128-bit
extern const WordList kAuthTypeWords;    // Open System, Shared Key, Both Type
extern const WordList kActiveKeyWords;   // Key 1 .. Key 4
extern const WordList kPreambleWords;    // Short, Long
extern const WordList kAntennaWords;     // Left, Right, Diversity
extern const WordList kEnableWords;      // Enable, Disable (SSID broadcast, roaming, DHCP)
extern const WordList kPrimaryPortWords; // Ethernet, Wireless

// The rate list, by RateSelection position.
extern const char* const kRateWords[kRateCount];

// The operational mode list with the BSSID edits' state for each mode.
struct ModeWord {
    const char* text;
    BYTE value;
    bool bssidEnabled;
};
constexpr int kModeCount = 5;
extern const ModeWord kModeWords[kModeCount];

// "Channel 6".
std::string ChannelText(int channel);
// The regulation domain's text as the Info page shows it (" FCC"), or null.
const char* RegulationDomainText(BYTE regulationDomain);

// The correction of a numeric Advanced field: an empty text, a value below the lower bound
// and one above the upper check are replaced by fixed texts.
struct ThresholdRule {
    const char* emptyText; // what an empty field becomes
    long lower;            // below it the text becomes lowerText
    const char* lowerText;
    long upperCheck; // above it the text becomes upperText
    const char* upperText;
    long upper; // the largest value the field holds
};
extern const ThresholdRule kFragmentRule; // 256 .. 2346
extern const ThresholdRule kRtsRule;      // 0 .. 2347
extern const ThresholdRule kBeaconRule;   // 20 .. 1000

// Corrects text by rule, as the Advanced page does on every keystroke, and returns the
// value to store.
WORD CorrectThreshold(const ThresholdRule& rule, std::string& text);
