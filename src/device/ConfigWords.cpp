#include "ConfigWords.h"

#include <cstdlib>

const char* WordList::TextOf(DWORD value) const {
    int position = PositionOf(value);
    return position < 0 ? nullptr : items[position].text;
}

int WordList::PositionOf(DWORD value) const {
    for (int i = 0; i < count; ++i)
        if (items[i].value == value)
            return i;
    return -1;
}

namespace {
const ListWord kWepTypes[] = {{"Disable", 0}, {"64-bit", 1}, {"128-bit", 2}};
const ListWord kAuthTypes[] = {{"Open System", 0}, {"Shared Key", 1}, {"Both Type", 2}};
const ListWord kActiveKeys[] = {{"Key 1", 1}, {"Key 2", 2}, {"Key 3", 3}, {"Key 4", 4}};
const ListWord kPreambles[] = {{"Short", 1}, {"Long", 2}};
const ListWord kAntennas[] = {{"Left", 1}, {"Right", 2}, {"Diversity", 3}};
const ListWord kEnable[] = {{"Enable", 1}, {"Disable", 2}};
const ListWord kPrimaryPorts[] = {{"Ethernet", 1}, {"Wireless", 2}};

// The number at the start of text, as atol reads it (without atol's overflow).
long ReadNumber(const std::string& text) {
    return std::strtol(text.c_str(), nullptr, 10);
}
} // namespace

const WordList kWepTypeWords{kWepTypes, 3};
const WordList kAuthTypeWords{kAuthTypes, 3};
const WordList kActiveKeyWords{kActiveKeys, 4};
const WordList kPreambleWords{kPreambles, 2};
const WordList kAntennaWords{kAntennas, 3};
const WordList kEnableWords{kEnable, 2};
const WordList kPrimaryPortWords{kPrimaryPorts, 2};

const char* const kRateWords[kRateCount] = {"1 Mbps", "2 Mbps", "5.5 Mbps", "11 Mbps", "Auto"};

const ModeWord kModeWords[kModeCount] = {
    {"Access Point", 2, false},          {"Access Point Client", 3, true},
    {"WBridge Point to Point", 4, true}, {"WBridge Point to MultiPoint", 1, false},
    {"Wireless Repeater", 5, true},
};

std::string ChannelText(int channel) {
    return "Channel " + std::to_string(channel);
}

const char* RegulationDomainText(BYTE regulationDomain) {
    switch (regulationDomain) {
    case 0x10:
        return " FCC";
    case 0x20:
        return " DOC";
    case 0x30:
        return " ETSI";
    case 0x31:
        return " SPAIN";
    case 0x32:
        return " FRANCE";
    case 0x40:
    case 0x41:
        return " MKK";
    default:
        return nullptr;
    }
}

// The RTS/CTS lower bound 0 never applies to typed digits; it keeps pasted negative
// numbers inside the range. Its upper check compares with 2346 and replaces with 2347.
const ThresholdRule kFragmentRule{"256", 256, "256", 2346, "2346", 2346};
const ThresholdRule kRtsRule{"0", 0, "0", 2346, "2347", 2347};
const ThresholdRule kBeaconRule{"20", 20, "20", 1000, "1000", 1000};

WORD CorrectThreshold(const ThresholdRule& rule, std::string& text) {
    if (text.empty())
        text = rule.emptyText;
    long value = ReadNumber(text);
    if (value < rule.lower)
        text = rule.lowerText;
    if (value > rule.upperCheck)
        text = rule.upperText;
    long stored = ReadNumber(text);
    // Pasted text such as "12ab" reads as its leading number; whatever it was, what is
    // stored lies within the field's range.
    if (stored < rule.lower) {
        text = rule.lowerText;
        stored = ReadNumber(text);
    }
    return static_cast<WORD>(stored);
}
