#include "ConfigFieldTable.h"

#include "ConfigImage.h"

#include <algorithm>
#include <cstring>

namespace {

using K = FieldKind;
using L = FieldList;

// name, partOf, offset, width, kind, list, words, range, settable, secret, counted,
// upperCase, showOrder
const std::vector<ConfigField> kFields = {
    {"reserved0", nullptr, 0, 8, K::kReserved, L::kNone, nullptr, nullptr, false, false, false,
     false, 0},
    {"macAddress", nullptr, 8, 6, K::kHexBytes, L::kNone, nullptr, nullptr, false, false, false,
     false, 25},
    {"ipAddress", nullptr, 14, 4, K::kAddress, L::kNone, nullptr, nullptr, true, false, false,
     false, 11},
    {"subnetMask", nullptr, 18, 4, K::kAddress, L::kNone, nullptr, nullptr, true, false, false,
     false, 12},
    {"reserved22", nullptr, 22, 6, K::kReserved, L::kNone, nullptr, nullptr, false, false, false,
     false, 0},
    {"channel", nullptr, 28, 1, K::kListWord, L::kChannels, nullptr, nullptr, true, false, false,
     false, 3},
    {"preambleType", nullptr, 29, 1, K::kListWord, L::kWords, &kPreambleWords, nullptr, true, false,
     false, false, 19},
    {"rateMode", nullptr, 30, 1, K::kListWord, L::kRates, nullptr, nullptr, true, false, false,
     false, 4},
    {"essidLength", "essid", 31, 1, K::kNumber, L::kNone, nullptr, nullptr, false, false, false,
     false, 0},
    {"essid", nullptr, 32, 32, K::kText, L::kNone, nullptr, nullptr, true, false, true, false, 2},
    {"fragmentThreshold", nullptr, 64, 2, K::kNumber, L::kNone, nullptr, &kFragmentRule, true,
     false, false, false, 16},
    {"rtsThreshold", nullptr, 66, 2, K::kNumber, L::kNone, nullptr, &kRtsRule, true, false, false,
     false, 17},
    {"authType", nullptr, 68, 1, K::kListWord, L::kWords, &kAuthTypeWords, nullptr, true, false,
     false, false, 8},
    {"ssidBroadcast", nullptr, 69, 1, K::kListWord, L::kWords, &kEnableWords, nullptr, true, false,
     false, false, 21},
    {"wepType", nullptr, 70, 1, K::kListWord, L::kWords, &kWepTypeWords, nullptr, true, false,
     false, false, 7},
    {"activeKeyId", nullptr, 71, 1, K::kListWord, L::kWords, &kActiveKeyWords, nullptr, true, false,
     false, false, 9},
    {"wepKey1", nullptr, 72, 13, K::kKeySlot, L::kNone, nullptr, nullptr, true, false, false, false,
     10},
    {"wepKey2", nullptr, 85, 13, K::kKeySlot, L::kNone, nullptr, nullptr, true, false, false, false,
     10},
    {"wepKey3", nullptr, 98, 13, K::kKeySlot, L::kNone, nullptr, nullptr, true, false, false, false,
     10},
    {"wepKey4", nullptr, 111, 13, K::kKeySlot, L::kNone, nullptr, nullptr, true, false, false,
     false, 10},
    {"apName", nullptr, 124, 32, K::kText, L::kNone, nullptr, nullptr, true, false, false, false,
     1},
    {"operationalRates", "rateMode", 156, 4, K::kHexBytes, L::kNone, nullptr, nullptr, false, false,
     false, false, 0},
    {"regulationDomain", nullptr, 160, 1, K::kListWord, L::kRegulation, nullptr, nullptr, false,
     false, false, false, 24},
    {"reserved161", nullptr, 161, 1, K::kReserved, L::kNone, nullptr, nullptr, false, false, false,
     false, 0},
    {"beaconPeriod", nullptr, 162, 2, K::kNumber, L::kNone, nullptr, &kBeaconRule, true, false,
     false, false, 18},
    {"antennaSelect", nullptr, 164, 2, K::kListWord, L::kWords, &kAntennaWords, nullptr, true,
     false, false, false, 20},
    {"operationalMode", nullptr, 166, 1, K::kListWord, L::kModes, nullptr, nullptr, true, false,
     false, false, 5},
    {"reserved167", nullptr, 167, 25, K::kReserved, L::kNone, nullptr, nullptr, false, false, false,
     false, 0},
    {"passwordLength", "password", 192, 4, K::kNumber, L::kNone, nullptr, nullptr, false, true,
     false, false, 0},
    {"password", nullptr, 196, 20, K::kText, L::kNone, nullptr, nullptr, false, true, true, false,
     0},
    {"altPasswordLength", "altPassword", 216, 4, K::kNumber, L::kNone, nullptr, nullptr, false,
     true, false, false, 0},
    {"altPassword", nullptr, 220, 20, K::kText, L::kNone, nullptr, nullptr, false, true, true,
     false, 0},
    {"gateway", nullptr, 240, 4, K::kAddress, L::kNone, nullptr, nullptr, true, false, false, false,
     13},
    {"reserved244", nullptr, 244, 4, K::kReserved, L::kNone, nullptr, nullptr, false, false, false,
     false, 0},
    {"dhcpClient", nullptr, 248, 4, K::kListWord, L::kWords, &kEnableWords, nullptr, true, false,
     false, false, 14},
    {"primaryPort", nullptr, 252, 4, K::kListWord, L::kWords, &kPrimaryPortWords, nullptr, true,
     false, false, false, 15},
    {"reserved256", nullptr, 256, 10, K::kReserved, L::kNone, nullptr, nullptr, false, false, false,
     false, 0},
    {"preferredBssid", nullptr, 266, 6, K::kHexBytes, L::kNone, nullptr, nullptr, true, false,
     false, true, 6},
    {"reserved272", nullptr, 272, 4, K::kReserved, L::kNone, nullptr, nullptr, false, false, false,
     false, 0},
    {"internationalRoaming", nullptr, 276, 1, K::kListWord, L::kWords, &kEnableWords, nullptr, true,
     false, false, false, 22},
    {"reserved277", nullptr, 277, 71, K::kReserved, L::kNone, nullptr, nullptr, false, false, false,
     false, 0},
};

} // namespace

const std::vector<ConfigField>& ConfigFieldTable() {
    return kFields;
}

const ConfigField* FindConfigField(const std::string& name) {
    for (const ConfigField& f : kFields)
        if (name == f.name)
            return &f;
    return nullptr;
}

std::vector<const ConfigField*> ShownConfigFields() {
    std::vector<const ConfigField*> shown;
    for (const ConfigField& f : kFields)
        if (f.showOrder > 0)
            shown.push_back(&f);
    std::stable_sort(shown.begin(), shown.end(), [](const ConfigField* a, const ConfigField* b) {
        return a->showOrder < b->showOrder;
    });
    return shown;
}

const ConfigField* LengthFieldOf(const ConfigField& text) {
    if (!text.counted)
        return nullptr;
    for (const ConfigField& f : kFields)
        if (f.offset + f.width == text.offset && f.kind == FieldKind::kNumber)
            return &f;
    return nullptr;
}

int KeySlotIndex(const ConfigField& field) {
    int index = 0;
    for (const ConfigField& f : kFields) {
        if (&f == &field)
            return f.kind == FieldKind::kKeySlot ? index : -1;
        if (f.kind == FieldKind::kKeySlot)
            ++index;
    }
    return -1;
}

const char* ReportedName(const ConfigField& field) {
    return field.partOf ? field.partOf : field.name;
}

DWORD FieldNumber(const BYTE* block, const ConfigField& field) {
    DWORD value = 0;
    for (UINT i = std::min<UINT>(field.width, 4); i-- > 0;)
        value = (value << 8) | block[field.offset + i];
    return value;
}

void SetFieldNumber(BYTE* block, const ConfigField& field, DWORD value) {
    for (UINT i = 0; i < field.width && i < 4; ++i)
        block[field.offset + i] = static_cast<BYTE>(value >> (8 * i));
}

std::string FieldText(const BYTE* block, const ConfigField& field) {
    size_t n = field.width;
    if (const ConfigField* length = LengthFieldOf(field))
        n = std::min<size_t>(n, FieldNumber(block, *length));
    const BYTE* begin = block + field.offset;
    return std::string(begin, std::find(begin, begin + n, 0));
}

void SetFieldText(BYTE* block, const ConfigField& field, const std::string& text) {
    size_t n = std::min<size_t>(field.width, text.size());
    std::memcpy(block + field.offset, text.data(), n);
    if (n < field.width)
        block[field.offset + n] = 0;
    if (const ConfigField* length = LengthFieldOf(field))
        SetFieldNumber(block, *length, static_cast<DWORD>(n));
}

namespace {

bool ListHolds(const ConfigImage& image, const ConfigField& f, DWORD value) {
    int first = 0, last = 0;
    switch (f.list) {
    case FieldList::kChannels:
        return ChannelRangeFor(image.RegulationDomain(), &first, &last) &&
               value >= static_cast<DWORD>(first) && value <= static_cast<DWORD>(last);
    case FieldList::kModes:
        for (const ModeWord& m : kModeWords)
            if (m.value == value)
                return true;
        return false;
    case FieldList::kWords:
        return f.words && f.words->TextOf(value);
    default:
        return false;
    }
}

bool TextStorable(const BYTE* block, const ConfigField& f, std::string* why) {
    std::string text = FieldText(block, f);
    for (char c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            *why = "a control character, which no page takes";
            return false;
        }
    const ConfigField* length = LengthFieldOf(f);
    if (!length)
        return true;
    DWORD n = FieldNumber(block, *length);
    if (n > f.width)
        *why = "its length " + std::to_string(n) + " is more than " + std::to_string(f.width);
    else if (n != text.size())
        *why = "a zero byte within its length " + std::to_string(n);
    else if (n < f.width && block[f.offset + n] != 0)
        *why = "no zero byte after its " + std::to_string(n) + " characters";
    else
        return true;
    return false;
}

} // namespace

bool StoresSettableValue(const ConfigImage& image, const ConfigField& f, std::string* why) {
    const BYTE* block = image.Bytes();
    DWORD value = FieldNumber(block, f);
    switch (f.kind) {
    case FieldKind::kText:
        return TextStorable(block, f, why);
    case FieldKind::kNumber:
        if (!f.range || (static_cast<long>(value) >= f.range->lower &&
                         static_cast<long>(value) <= f.range->upper))
            return true;
        *why =
            "allowed " + std::to_string(f.range->lower) + " to " + std::to_string(f.range->upper);
        return false;
    case FieldKind::kListWord:
        if (f.list == FieldList::kRates) {
            ConfigImage stored = image;
            int selection = RateSelectionOf(image);
            StoreRateSelection(stored, selection);
            const ConfigField* rates = FindConfigField("operationalRates");
            if (selection >= 0 &&
                std::equal(block + f.offset, block + f.offset + f.width,
                           stored.Bytes() + f.offset) &&
                std::equal(block + rates->offset, block + rates->offset + rates->width,
                           stored.Bytes() + rates->offset))
                return true;
            *why = "the rate mode and the rates are not a choice of the rate list";
            return false;
        }
        if (ListHolds(image, f, value))
            return true;
        *why = "not a value of its list";
        return false;
    default:
        return true;
    }
}
