#include "ConfigFieldTable.h"

#include "ConfigImage.h"
#include "platform/LittleEndian.h"

#include <algorithm>
#include <cstring>

namespace {

using K = FieldKind;
using L = FieldList;
namespace P = layout;

// place, name, partOf, kind, list, words, range, traits, showOrder
const std::vector<ConfigField> kFields = {
    {P::kReserved0, "reserved0", nullptr, K::kReserved, L::kNone, nullptr, nullptr, 0, 0},
    {P::kMacAddress, "macAddress", nullptr, K::kHexBytes, L::kNone, nullptr, nullptr, 0, 25},
    {P::kIpAddress, "ipAddress", nullptr, K::kAddress, L::kNone, nullptr, nullptr, kFieldSettable,
     11},
    {P::kSubnetMask, "subnetMask", nullptr, K::kAddress, L::kNone, nullptr, nullptr, kFieldSettable,
     12},
    {P::kReserved22, "reserved22", nullptr, K::kReserved, L::kNone, nullptr, nullptr, 0, 0},
    {P::kChannel, "channel", nullptr, K::kListWord, L::kChannels, nullptr, nullptr, kFieldSettable,
     3},
    {P::kPreambleType, "preambleType", nullptr, K::kListWord, L::kWords, &kPreambleWords, nullptr,
     kFieldSettable, 19},
    {P::kRateMode, "rateMode", nullptr, K::kListWord, L::kRates, nullptr, nullptr, kFieldSettable,
     4},
    {P::kEssidLength, "essidLength", "essid", K::kNumber, L::kNone, nullptr, nullptr, 0, 0},
    {P::kEssid, "essid", nullptr, K::kText, L::kNone, nullptr, nullptr,
     kFieldSettable | kFieldCounted, 2},
    {P::kFragmentThreshold, "fragmentThreshold", nullptr, K::kNumber, L::kNone, nullptr,
     &kFragmentRule, kFieldSettable, 16},
    {P::kRtsThreshold, "rtsThreshold", nullptr, K::kNumber, L::kNone, nullptr, &kRtsRule,
     kFieldSettable, 17},
    {P::kAuthType, "authType", nullptr, K::kListWord, L::kWords, &kAuthTypeWords, nullptr,
     kFieldSettable, 8},
    {P::kSsidBroadcast, "ssidBroadcast", nullptr, K::kListWord, L::kWords, &kEnableWords, nullptr,
     kFieldSettable, 21},
    {P::kWepType, "wepType", nullptr, K::kListWord, L::kWords, &kWepTypeWords, nullptr,
     kFieldSettable, 7},
    {P::kActiveKeyId, "activeKeyId", nullptr, K::kListWord, L::kWords, &kActiveKeyWords, nullptr,
     kFieldSettable, 9},
    {P::kWepKey[0], "wepKey1", nullptr, K::kKeySlot, L::kNone, nullptr, nullptr, kFieldSettable,
     10},
    {P::kWepKey[1], "wepKey2", nullptr, K::kKeySlot, L::kNone, nullptr, nullptr, kFieldSettable,
     10},
    {P::kWepKey[2], "wepKey3", nullptr, K::kKeySlot, L::kNone, nullptr, nullptr, kFieldSettable,
     10},
    {P::kWepKey[3], "wepKey4", nullptr, K::kKeySlot, L::kNone, nullptr, nullptr, kFieldSettable,
     10},
    {P::kApName, "apName", nullptr, K::kText, L::kNone, nullptr, nullptr, kFieldSettable, 1},
    {P::kOperationalRates, "operationalRates", "rateMode", K::kHexBytes, L::kNone, nullptr, nullptr,
     0, 0},
    {P::kRegulationDomain, "regulationDomain", nullptr, K::kListWord, L::kRegulation, nullptr,
     nullptr, 0, 24},
    {P::kReserved161, "reserved161", nullptr, K::kReserved, L::kNone, nullptr, nullptr, 0, 0},
    {P::kBeaconPeriod, "beaconPeriod", nullptr, K::kNumber, L::kNone, nullptr, &kBeaconRule,
     kFieldSettable, 18},
    {P::kAntennaSelect, "antennaSelect", nullptr, K::kListWord, L::kWords, &kAntennaWords, nullptr,
     kFieldSettable, 20},
    {P::kOperationalMode, "operationalMode", nullptr, K::kListWord, L::kModes, nullptr, nullptr,
     kFieldSettable, 5},
    {P::kReserved167, "reserved167", nullptr, K::kReserved, L::kNone, nullptr, nullptr, 0, 0},
    {P::kPasswordLength, "passwordLength", "password", K::kNumber, L::kNone, nullptr, nullptr,
     kFieldSecret, 0},
    {P::kPassword, "password", nullptr, K::kText, L::kNone, nullptr, nullptr,
     kFieldSecret | kFieldCounted, 0},
    {P::kAltPasswordLength, "altPasswordLength", "altPassword", K::kNumber, L::kNone, nullptr,
     nullptr, kFieldSecret, 0},
    {P::kAltPassword, "altPassword", nullptr, K::kText, L::kNone, nullptr, nullptr,
     kFieldSecret | kFieldCounted, 0},
    {P::kGateway, "gateway", nullptr, K::kAddress, L::kNone, nullptr, nullptr, kFieldSettable, 13},
    {P::kReserved244, "reserved244", nullptr, K::kReserved, L::kNone, nullptr, nullptr, 0, 0},
    {P::kDhcpClient, "dhcpClient", nullptr, K::kListWord, L::kWords, &kEnableWords, nullptr,
     kFieldSettable, 14},
    {P::kPrimaryPort, "primaryPort", nullptr, K::kListWord, L::kWords, &kPrimaryPortWords, nullptr,
     kFieldSettable, 15},
    {P::kReserved256, "reserved256", nullptr, K::kReserved, L::kNone, nullptr, nullptr, 0, 0},
    {P::kPreferredBssid, "preferredBssid", nullptr, K::kHexBytes, L::kNone, nullptr, nullptr,
     kFieldSettable | kFieldUpperCase, 6},
    {P::kReserved272, "reserved272", nullptr, K::kReserved, L::kNone, nullptr, nullptr, 0, 0},
    {P::kInternationalRoaming, "internationalRoaming", nullptr, K::kListWord, L::kWords,
     &kEnableWords, nullptr, kFieldSettable, 22},
    {P::kReserved277, "reserved277", nullptr, K::kReserved, L::kNone, nullptr, nullptr, 0, 0},
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
    if (!text.Is(kFieldCounted))
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
    return littleendian::Get(block + field.offset, field.width);
}

void SetFieldNumber(BYTE* block, const ConfigField& field, DWORD value) {
    littleendian::Put(block + field.offset, field.width, value);
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
