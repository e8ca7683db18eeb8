#pragma once

#include "device/ConfigWords.h"
#include "platform/Win32Types.h"

#include <string>

// The words of the lists as the renderer, the parser and the field reference all give them
// (FieldRender.cpp): each rule once.
namespace fieldwords {

extern const char kKeysName[];     // "wepKeys": the four key slots as one list
extern const char kFirmwareName[]; // "firmwareVersion": read with the block, outside it

std::string Lower(std::string s);
// Decimal digits only, at most nine of them.
bool AllDigits(const std::string& s);
std::string WithoutLeadingBlanks(const char* text);
// "FCC", or "unknown (0x99)".
std::string RegulationText(BYTE domain);
// The number a list's word may be given as: the value it stores ("Short": "1"), for a rate
// its Mbps ("5.5 Mbps": "5.5"; "Auto": none).
std::string RateNumber(const char* rateWord);
// A list's words, each between quote marks, with the number that stands for it:
// "\"Short\" (1), \"Long\" (2)".
std::string Allowed(const WordList& words, const char* quote);
std::string AllowedModes(const char* quote);
std::string AllowedRates(const char* quote);

} // namespace fieldwords
