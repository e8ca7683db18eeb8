#include "ConfigFields.h"

#include "Codepage1252.h"
#include "device/ConfigWords.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>

namespace {

using JsonValue = nlohmann::ordered_json;

struct Span {
    const char* name;
    size_t offset, width;
};

// The configuration block field by field, reserved stretches included (for the comparison
// of a write with its read-back).
const Span kLayout[] = {
    {"reserved0", 0, 8},
    {"macAddress", 8, 6},
    {"ipAddress", 14, 4},
    {"subnetMask", 18, 4},
    {"reserved22", 22, 6},
    {"channel", 28, 1},
    {"preambleType", 29, 1},
    {"rateMode", 30, 1},
    {"essid", 31, 33},
    {"fragmentThreshold", 64, 2},
    {"rtsThreshold", 66, 2},
    {"authType", 68, 1},
    {"ssidBroadcast", 69, 1},
    {"wepType", 70, 1},
    {"activeKeyId", 71, 1},
    {"wepKey1", 72, 13},
    {"wepKey2", 85, 13},
    {"wepKey3", 98, 13},
    {"wepKey4", 111, 13},
    {"apName", 124, 32},
    {"operationalRates", 156, 4},
    {"regulationDomain", 160, 1},
    {"reserved161", 161, 1},
    {"beaconPeriod", 162, 2},
    {"antennaSelect", 164, 2},
    {"operationalMode", 166, 1},
    {"reserved167", 167, 25},
    {"password", 192, 24},
    {"altPassword", 216, 24},
    {"gateway", 240, 4},
    {"reserved244", 244, 4},
    {"dhcpClient", 248, 4},
    {"primaryPort", 252, 4},
    {"reserved256", 256, 10},
    {"preferredBssid", 266, 6},
    {"reserved272", 272, 4},
    {"internationalRoaming", 276, 1},
    {"reserved277", 277, 71},
};

const std::vector<std::string> kNames = {"apName",          "essid",
                                         "channel",         "rateMode",
                                         "operationalMode", "preferredBssid",
                                         "wepType",         "authType",
                                         "activeKeyId",     "wepKeys",
                                         "ipAddress",       "subnetMask",
                                         "gateway",         "dhcpClient",
                                         "primaryPort",     "fragmentThreshold",
                                         "rtsThreshold",    "beaconPeriod",
                                         "preambleType",    "antennaSelect",
                                         "ssidBroadcast",   "internationalRoaming",
                                         "firmwareVersion", "regulationDomain",
                                         "macAddress"};

const char* const kReadOnly[] = {"wepKeys", "firmwareVersion", "regulationDomain", "macAddress"};

int KeyNumber(const std::string& name) {
    if (name.size() == 7 && name.compare(0, 6, "wepKey") == 0 && name[6] >= '1' && name[6] <= '4')
        return name[6] - '0';
    return 0;
}

std::string Lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string Hex(const BYTE* bytes, size_t count, bool upper, const char* separator) {
    std::string s;
    char two[3];
    for (size_t i = 0; i < count; ++i) {
        if (i > 0)
            s += separator;
        std::snprintf(two, sizeof(two), upper ? "%02X" : "%02x", bytes[i]);
        s += two;
    }
    return s;
}

std::string Dotted(const std::array<BYTE, 4>& a) {
    return std::to_string(a[0]) + "." + std::to_string(a[1]) + "." + std::to_string(a[2]) + "." +
           std::to_string(a[3]);
}

std::string Unknown(DWORD value) {
    return "unknown (" + std::to_string(value) + ")";
}

std::string Word(const WordList& words, DWORD value) {
    const char* text = words.TextOf(value);
    return text ? text : Unknown(value);
}

std::string Trimmed(const char* text) {
    std::string s = text;
    s.erase(0, s.find_first_not_of(' '));
    return s;
}

bool AllDigits(const std::string& s) {
    return !s.empty() && s.size() <= 9 &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Hexadecimal digits with optional ':', '-' or blank between bytes, into bytes.
bool ParseHexBytes(const std::string& text, std::vector<BYTE>* bytes) {
    std::string digits;
    for (char c : text) {
        if (c == ':' || c == '-' || c == ' ')
            continue;
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return false;
        digits += c;
    }
    if (digits.size() % 2 != 0)
        return false;
    bytes->clear();
    for (size_t i = 0; i < digits.size(); i += 2)
        bytes->push_back(static_cast<BYTE>(std::stoi(digits.substr(i, 2), nullptr, 16)));
    return true;
}

bool ParseAddress(const std::string& text, std::array<BYTE, 4>* a) {
    size_t start = 0;
    for (size_t i = 0; i < 4; ++i) {
        size_t end = i < 3 ? text.find('.', start) : text.size();
        if (end == std::string::npos)
            return false;
        std::string part = text.substr(start, end - start);
        if (!AllDigits(part) || part.size() > 3 || std::stoi(part) > 255)
            return false;
        (*a)[i] = static_cast<BYTE>(std::stoi(part));
        start = end + 1;
    }
    return true;
}

// A list word, case-insensitive, or the value the page stores for it.
bool ParseWord(const WordList& words, const std::string& text, DWORD* value) {
    for (int i = 0; i < words.count; ++i) {
        if (Lower(text) == Lower(words.items[i].text) ||
            (AllDigits(text) && std::stoul(text) == words.items[i].value)) {
            *value = words.items[i].value;
            return true;
        }
    }
    return false;
}

std::string Allowed(const WordList& words) {
    std::string s;
    for (int i = 0; i < words.count; ++i)
        s += std::string(i ? ", " : "") + "\"" + words.items[i].text + "\" (" +
             std::to_string(words.items[i].value) + ")";
    return s;
}

std::string RateText(const ConfigImage& image) {
    int selection = RateSelectionOf(image);
    if (selection >= 0)
        return kRateWords[selection];
    auto rates = image.OperationalRates();
    return "unknown (rateMode " + std::to_string(image.RateMode()) + ", rates " +
           Hex(rates.data(), 4, false, " ") + ")";
}

std::string ChannelWord(const ConfigImage& image) {
    int first = 0, last = 0;
    int c = image.Channel();
    if (ChannelRangeFor(image.RegulationDomain(), &first, &last) && c >= first && c <= last)
        return ChannelText(c);
    return Unknown(static_cast<DWORD>(c));
}

std::string ModeText(BYTE value) {
    for (const ModeWord& m : kModeWords)
        if (m.value == value)
            return m.text;
    return Unknown(value);
}

std::string RegulationText(BYTE domain) {
    const char* text = RegulationDomainText(domain);
    char hex[8];
    std::snprintf(hex, sizeof(hex), "0x%02x", domain);
    return text ? Trimmed(text) : std::string("unknown (") + hex + ")";
}

// A text field: UTF-8 in, at most 32 bytes of the code page out.
bool ParseText(const std::string& value, std::string* bytes, std::string* why) {
    std::string refused;
    if (!Codepage1252::FromUtf8(value, bytes, &refused)) {
        *why = refused == "invalid UTF-8" ? "the text is not valid UTF-8"
                                          : "\"" + refused + "\" has no Windows-1252 byte";
        return false;
    }
    for (char c : *bytes) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            *why = "control characters cannot be typed on the page";
            return false;
        }
    }
    if (bytes->size() > 32) {
        *why =
            "at most 32 characters (Windows-1252 bytes), this has " + std::to_string(bytes->size());
        return false;
    }
    return true;
}

} // namespace

const std::vector<std::string>& ConfigFields::Names() {
    return kNames;
}

bool ConfigFields::Known(const std::string& name) {
    return KeyNumber(name) > 0 || std::find(kNames.begin(), kNames.end(), name) != kNames.end();
}

bool ConfigFields::Writable(const std::string& name) {
    if (!Known(name))
        return false;
    for (const char* r : kReadOnly)
        if (name == r)
            return false;
    return true;
}

std::string ConfigFields::WritableList() {
    std::string s;
    for (const std::string& n : kNames) {
        if (n == "wepKeys")
            s += "wepKey1..wepKey4, ";
        else if (Writable(n))
            s += n + ", ";
    }
    return s.substr(0, s.size() - 2);
}

int ConfigFields::ActiveKeySize(BYTE wepType) {
    return wepType == 1 ? WepKeyTable::kKey64Size : wepType == 2 ? WepKeyTable::kKey128Size : 0;
}

std::string ConfigFields::KeyHex(const ConfigImage& image, int slot) {
    int size = ActiveKeySize(image.WepType());
    if (size == 0)
        size = ConfigImage::kKeySlotSize;
    BYTE bytes[ConfigImage::kKeySlotSize];
    for (int j = 0; j < size; ++j)
        bytes[j] = image.WepKeyByte(slot, j);
    return Hex(bytes, static_cast<size_t>(size), false, "");
}

JsonValue ConfigFields::Json(const ConfigImage& image, const std::string& name,
                             const std::string& firmware) {
    if (name == "fragmentThreshold")
        return image.FragmentThreshold();
    if (name == "rtsThreshold")
        return image.RtsThreshold();
    if (name == "beaconPeriod")
        return image.BeaconPeriod();
    if (name == "wepKeys") {
        JsonValue keys = JsonValue::array();
        for (int k = 0; k < ConfigImage::kKeySlots; ++k)
            keys.push_back(KeyHex(image, k));
        return keys;
    }
    return Text(image, name, firmware);
}

std::string ConfigFields::Text(const ConfigImage& image, const std::string& name,
                               const std::string& firmware) {
    if (int key = KeyNumber(name))
        return KeyHex(image, key - 1);
    if (name == "wepKeys") {
        std::string s;
        for (int k = 0; k < ConfigImage::kKeySlots; ++k)
            s += (k ? "\n" : "") + KeyHex(image, k);
        return s;
    }
    static const std::map<std::string, std::function<std::string(const ConfigImage&)>> kText = {
        {"apName", [](const ConfigImage& i) { return Codepage1252::ToUtf8(i.ApName()); }},
        {"essid", [](const ConfigImage& i) { return Codepage1252::ToUtf8(i.Essid()); }},
        {"channel", ChannelWord},
        {"rateMode", RateText},
        {"operationalMode", [](const ConfigImage& i) { return ModeText(i.OperationalMode()); }},
        {"preferredBssid",
         [](const ConfigImage& i) { return Hex(i.PreferredBssid().data(), 6, true, "-"); }},
        {"wepType", [](const ConfigImage& i) { return Word(kWepTypeWords, i.WepType()); }},
        {"authType", [](const ConfigImage& i) { return Word(kAuthTypeWords, i.AuthType()); }},
        {"activeKeyId",
         [](const ConfigImage& i) { return Word(kActiveKeyWords, i.ActiveKeyId()); }},
        {"ipAddress", [](const ConfigImage& i) { return Dotted(i.IpAddress()); }},
        {"subnetMask", [](const ConfigImage& i) { return Dotted(i.SubnetMask()); }},
        {"gateway", [](const ConfigImage& i) { return Dotted(i.Gateway()); }},
        {"dhcpClient", [](const ConfigImage& i) { return Word(kEnableWords, i.DhcpClient()); }},
        {"primaryPort",
         [](const ConfigImage& i) { return Word(kPrimaryPortWords, i.PrimaryPort()); }},
        {"fragmentThreshold",
         [](const ConfigImage& i) { return std::to_string(i.FragmentThreshold()); }},
        {"rtsThreshold", [](const ConfigImage& i) { return std::to_string(i.RtsThreshold()); }},
        {"beaconPeriod", [](const ConfigImage& i) { return std::to_string(i.BeaconPeriod()); }},
        {"preambleType",
         [](const ConfigImage& i) { return Word(kPreambleWords, i.PreambleType()); }},
        {"antennaSelect",
         [](const ConfigImage& i) { return Word(kAntennaWords, i.AntennaSelect()); }},
        {"ssidBroadcast",
         [](const ConfigImage& i) { return Word(kEnableWords, i.SsidBroadcast()); }},
        {"internationalRoaming",
         [](const ConfigImage& i) { return Word(kEnableWords, i.InternationalRoaming()); }},
        {"regulationDomain",
         [](const ConfigImage& i) { return RegulationText(i.RegulationDomain()); }},
        {"macAddress",
         [](const ConfigImage& i) { return Hex(i.MacAddress().data(), 6, false, "-"); }},
    };
    if (name == "firmwareVersion")
        return firmware;
    auto it = kText.find(name);
    return it == kText.end() ? std::string() : it->second(image);
}

bool ConfigFields::TouchesKeys(const std::vector<Assignment>& assignments) {
    return std::any_of(assignments.begin(), assignments.end(), [](const Assignment& a) {
        return a.field == "wepType" || KeyNumber(a.field) > 0;
    });
}

std::vector<std::string> ConfigFields::Apply(ConfigImage& image, WepKeyTable& table,
                                             const std::vector<Assignment>& assignments,
                                             bool clamp) {
    std::vector<std::string> refusals;
    // Stores run on a copy; the image takes it only when every value passed.
    ConfigImage copy = image;
    std::vector<std::function<void()>> keyStores;
    int newWepType = -1;
    auto refuse = [&](const Assignment& a, const std::string& allowed) {
        refusals.push_back(a.field + "=" + a.value + " refused: " + allowed);
    };
    auto listField = [&](const Assignment& a, const WordList& words,
                         const std::function<void(DWORD)>& store) {
        DWORD v;
        if (ParseWord(words, a.value, &v))
            store(v);
        else
            refuse(a, "allowed " + Allowed(words));
    };
    auto numberField = [&](const Assignment& a, const ThresholdRule& rule,
                           const std::function<void(WORD)>& store) {
        long lowest = rule.lower;
        std::string text = a.value;
        bool digits = text.empty() || AllDigits(text);
        if (clamp && digits) {
            store(CorrectThreshold(rule, text));
        } else if (AllDigits(text) && std::stol(text) >= lowest && std::stol(text) <= rule.upper) {
            store(static_cast<WORD>(std::stol(text)));
        } else {
            refuse(a, "allowed " + std::to_string(lowest) + " to " + std::to_string(rule.upper) +
                          " (decimal; --clamp corrects as the Advanced page does)");
        }
    };
    for (const Assignment& a : assignments) {
        const std::string& f = a.field;
        std::string why;
        if (f == "apName" || f == "essid") {
            std::string bytes;
            if (!ParseText(a.value, &bytes, &why))
                refuse(a, why);
            else if (f == "apName")
                copy.SetApName(bytes);
            else
                copy.SetEssid(bytes);
        } else if (f == "channel") {
            int first = 0, last = 0;
            std::string v = Lower(a.value);
            if (v.compare(0, 8, "channel ") == 0)
                v = v.substr(8);
            if (!ChannelRangeFor(copy.RegulationDomain(), &first, &last))
                refuse(a, "the regulation domain " + RegulationText(copy.RegulationDomain()) +
                              " offers no channels");
            else if (AllDigits(v) && std::stoi(v) >= first && std::stoi(v) <= last)
                copy.SetChannel(static_cast<BYTE>(std::stoi(v)));
            else
                refuse(a, "allowed " + ChannelText(first) + " to " + ChannelText(last) + " (" +
                              std::to_string(first) + " to " + std::to_string(last) + ") in " +
                              RegulationText(copy.RegulationDomain()));
        } else if (f == "rateMode") {
            int found = -1;
            std::string v = Lower(a.value);
            for (int i = 0; i < kRateCount; ++i) {
                std::string word = Lower(kRateWords[i]);
                std::string number = word.substr(0, word.find(' '));
                if (v == word || v == number || v == number + "mbps")
                    found = i;
            }
            if (found >= 0)
                StoreRateSelection(copy, found);
            else
                refuse(a, "allowed \"1 Mbps\", \"2 Mbps\", \"5.5 Mbps\", \"11 Mbps\", \"Auto\" "
                          "(or 1, 2, 5.5, 11)");
        } else if (f == "operationalMode") {
            int found = -1;
            for (int i = 0; i < kModeCount; ++i)
                if (Lower(a.value) == Lower(kModeWords[i].text) ||
                    (AllDigits(a.value) && std::stoul(a.value) == kModeWords[i].value))
                    found = i;
            std::string allowed;
            for (const ModeWord& m : kModeWords)
                allowed += std::string(allowed.empty() ? "" : ", ") + "\"" + m.text + "\" (" +
                           std::to_string(m.value) + ")";
            if (found >= 0)
                copy.SetOperationalMode(kModeWords[found].value);
            else
                refuse(a, "allowed " + allowed);
        } else if (f == "preferredBssid") {
            std::vector<BYTE> bytes;
            if (ParseHexBytes(a.value, &bytes) && bytes.size() == 6)
                for (int i = 0; i < 6; ++i)
                    copy.SetPreferredBssidByte(i, bytes[static_cast<size_t>(i)]);
            else
                refuse(a, "allowed six hexadecimal bytes, as 00-0A-FF-10-20-30");
        } else if (f == "wepType") {
            DWORD v;
            if (ParseWord(kWepTypeWords, a.value, &v))
                newWepType = static_cast<int>(v);
            else
                refuse(a, "allowed " + Allowed(kWepTypeWords));
        } else if (f == "authType") {
            listField(a, kAuthTypeWords, [&](DWORD v) { copy.SetAuthType(static_cast<BYTE>(v)); });
        } else if (f == "activeKeyId") {
            listField(a, kActiveKeyWords,
                      [&](DWORD v) { copy.SetActiveKeyId(static_cast<BYTE>(v)); });
        } else if (int key = KeyNumber(f)) {
            keyStores.push_back([&, a, key] {
                int size =
                    ActiveKeySize(static_cast<BYTE>(newWepType >= 0 ? newWepType : copy.WepType()));
                std::vector<BYTE> bytes;
                if (size == 0) {
                    refuse(a, "WEP is disabled: keys are taken only with wepType=64-bit or "
                              "128-bit");
                } else if (!ParseHexBytes(a.value, &bytes) ||
                           bytes.size() != static_cast<size_t>(size)) {
                    refuse(a, "allowed " + std::to_string(2 * size) + " hexadecimal digits (a " +
                                  std::string(size == 5 ? "64" : "128") + "-bit key)");
                } else if (size == WepKeyTable::kKey64Size) {
                    std::copy(bytes.begin(), bytes.end(), table.keys64[key - 1]);
                } else {
                    std::copy(bytes.begin(), bytes.end(), table.keys128[key - 1]);
                }
            });
        } else if (f == "ipAddress" || f == "subnetMask" || f == "gateway") {
            std::array<BYTE, 4> address{};
            if (!ParseAddress(a.value, &address))
                refuse(a, "allowed a dotted address of four numbers 0 to 255");
            else if (f == "ipAddress")
                copy.SetIpAddress(address);
            else if (f == "subnetMask")
                copy.SetSubnetMask(address);
            else
                copy.SetGateway(address);
        } else if (f == "dhcpClient") {
            listField(a, kEnableWords, [&](DWORD v) { copy.SetDhcpClient(v); });
        } else if (f == "primaryPort") {
            listField(a, kPrimaryPortWords, [&](DWORD v) { copy.SetPrimaryPort(v); });
        } else if (f == "fragmentThreshold") {
            numberField(a, kFragmentRule, [&](WORD v) { copy.SetFragmentThreshold(v); });
        } else if (f == "rtsThreshold") {
            numberField(a, kRtsRule, [&](WORD v) { copy.SetRtsThreshold(v); });
        } else if (f == "beaconPeriod") {
            numberField(a, kBeaconRule, [&](WORD v) { copy.SetBeaconPeriod(v); });
        } else if (f == "preambleType") {
            listField(a, kPreambleWords,
                      [&](DWORD v) { copy.SetPreambleType(static_cast<BYTE>(v)); });
        } else if (f == "antennaSelect") {
            listField(a, kAntennaWords,
                      [&](DWORD v) { copy.SetAntennaSelect(static_cast<WORD>(v)); });
        } else if (f == "ssidBroadcast") {
            listField(a, kEnableWords,
                      [&](DWORD v) { copy.SetSsidBroadcast(static_cast<BYTE>(v)); });
        } else if (f == "internationalRoaming") {
            listField(a, kEnableWords,
                      [&](DWORD v) { copy.SetInternationalRoaming(static_cast<BYTE>(v)); });
        } else {
            refuse(a, "not a field that can be set; these can: " + WritableList());
        }
    }
    // Keys last: their size is the WEP type after this call. The table is changed only
    // when every value passed, so work on a copy of it too.
    WepKeyTable original = table;
    for (auto& store : keyStores)
        store();
    if (!refusals.empty()) {
        table = original;
        return refusals;
    }
    // As the Encryption page: choosing a WEP type collects that group into the slots, and a
    // changed key collects the active group.
    if (newWepType >= 0)
        copy.SetWepType(static_cast<BYTE>(newWepType));
    int size = ActiveKeySize(copy.WepType());
    if ((newWepType > 0 || !keyStores.empty()) && size > 0) {
        for (int k = 0; k < WepKeyTable::kKeys; ++k)
            for (int j = 0; j < size; ++j)
                copy.SetWepKeyByte(k, j,
                                   size == WepKeyTable::kKey64Size ? table.keys64[k][j]
                                                                   : table.keys128[k][j]);
    }
    std::copy(copy.Bytes(), copy.Bytes() + kImageBufferSize, image.Bytes());
    return refusals;
}

std::vector<std::string> ConfigFields::Differences(const BYTE* a, const BYTE* b) {
    std::vector<std::string> names;
    for (const Span& s : kLayout)
        if (std::memcmp(a + s.offset, b + s.offset, s.width) != 0)
            names.push_back(s.name);
    return names;
}
