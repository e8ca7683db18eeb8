#include "ConfigFields.h"

#include "Codepage1252.h"
#include "device/ConfigWords.h"
#include "device/HexText.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <functional>

namespace {

using JsonValue = nlohmann::ordered_json;

const char kKeysName[] = "wepKeys";
const char kFirmwareName[] = "firmwareVersion";

std::string Lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string Dotted(const BYTE* a) {
    return std::to_string(a[0]) + "." + std::to_string(a[1]) + "." + std::to_string(a[2]) + "." +
           std::to_string(a[3]);
}

std::string Unknown(DWORD value) {
    return "unknown (" + std::to_string(value) + ")";
}

std::string WithoutLeadingBlanks(const char* text) {
    std::string s = text;
    s.erase(0, s.find_first_not_of(' '));
    return s;
}

bool AllDigits(const std::string& s) {
    return !s.empty() && s.size() <= 9 &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool ParseAddress(const std::string& text, BYTE* a) {
    size_t start = 0;
    for (size_t i = 0; i < 4; ++i) {
        size_t end = i < 3 ? text.find('.', start) : text.size();
        if (end == std::string::npos)
            return false;
        std::string part = text.substr(start, end - start);
        if (!AllDigits(part) || part.size() > 3 || std::stoi(part) > 255)
            return false;
        a[i] = static_cast<BYTE>(std::stoi(part));
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
           HexText::Of(rates.data(), 4, false, " ") + ")";
}

std::string ChannelWord(const ConfigImage& image, DWORD channel) {
    int first = 0, last = 0;
    int c = static_cast<int>(channel);
    if (ChannelRangeFor(image.RegulationDomain(), &first, &last) && c >= first && c <= last)
        return ChannelText(c);
    return Unknown(channel);
}

std::string ModeText(DWORD value) {
    for (const ModeWord& m : kModeWords)
        if (m.value == value)
            return m.text;
    return Unknown(value);
}

std::string RegulationText(BYTE domain) {
    const char* text = RegulationDomainText(domain);
    return text ? WithoutLeadingBlanks(text) : "unknown (0x" + HexText::Of(&domain, 1) + ")";
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

// A field's value in the pages' words (UTF-8, unescaped).
std::string ValueText(const ConfigImage& image, const ConfigField& f) {
    const BYTE* b = image.Bytes();
    DWORD n = FieldNumber(b, f);
    switch (f.kind) {
    case FieldKind::kNumber:
        return std::to_string(n);
    case FieldKind::kListWord:
        switch (f.list) {
        case FieldList::kChannels:
            return ChannelWord(image, n);
        case FieldList::kRates:
            return RateText(image);
        case FieldList::kModes:
            return ModeText(n);
        case FieldList::kRegulation:
            return RegulationText(static_cast<BYTE>(n));
        default:
            return f.words && f.words->TextOf(n) ? f.words->TextOf(n) : Unknown(n);
        }
    case FieldKind::kText:
        return Codepage1252::ToUtf8(FieldText(b, f));
    case FieldKind::kHexBytes:
        return HexText::Of(b + f.offset, f.width, f.upperCase, "-");
    case FieldKind::kAddress:
        return Dotted(b + f.offset);
    case FieldKind::kKeySlot:
        return ConfigFields::KeyHex(image, KeySlotIndex(f));
    case FieldKind::kReserved:
        break;
    }
    return HexText::Of(b + f.offset, f.width);
}

// The value a set would need to store what the field holds, for the checks of a restore.
std::string StoredValue(const ConfigImage& image, const ConfigField& f) {
    const BYTE* b = image.Bytes();
    switch (f.kind) {
    case FieldKind::kNumber:
        return std::to_string(FieldNumber(b, f));
    case FieldKind::kListWord:
        return f.list == FieldList::kRates ? RateText(image) : std::to_string(FieldNumber(b, f));
    default:
        return ValueText(image, f);
    }
}

// The names show prints: the shown fields, the key slots as one, the firmware version.
std::vector<std::string> BuildNames() {
    std::vector<std::string> names;
    bool firmware = false;
    for (const ConfigField* f : ShownConfigFields()) {
        if (!firmware && f->showOrder > kFirmwareShowOrder) {
            names.push_back(kFirmwareName);
            firmware = true;
        }
        std::string name = f->kind == FieldKind::kKeySlot ? kKeysName : f->name;
        if (names.empty() || names.back() != name)
            names.push_back(name);
    }
    if (!firmware)
        names.push_back(kFirmwareName);
    return names;
}

} // namespace

const std::vector<std::string>& ConfigFields::Names() {
    static const std::vector<std::string> names = BuildNames();
    return names;
}

bool ConfigFields::Known(const std::string& name) {
    const ConfigField* f = FindConfigField(name);
    return (f && f->showOrder > 0) ||
           std::find(Names().begin(), Names().end(), name) != Names().end();
}

bool ConfigFields::Writable(const std::string& name) {
    const ConfigField* f = FindConfigField(name);
    return f && f->settable;
}

namespace {
// The settable names in show order, the key slots as one "wepKey1..wepKey4".
std::vector<std::string> WritableNames() {
    std::vector<std::string> items;
    size_t keys = 0;
    for (const ConfigField* f : ShownConfigFields()) {
        if (f->kind == FieldKind::kKeySlot && KeySlotIndex(*f) == 0) {
            keys = items.size();
            items.push_back(f->name);
        } else if (f->kind == FieldKind::kKeySlot) {
            items[keys] = items[keys].substr(0, items[keys].find("..")) + ".." + f->name;
        } else if (f->settable) {
            items.push_back(f->name);
        }
    }
    return items;
}
} // namespace

std::string ConfigFields::WritableList() {
    std::string s;
    for (const std::string& n : WritableNames())
        s += (s.empty() ? "" : ", ") + n;
    return s;
}

std::string ConfigFields::JsonText(const nlohmann::ordered_json& json) {
    std::string text = json.dump(2), out;
    // 0x7F stands only inside strings, where \u007f means the same.
    for (char c : text)
        out += c == 0x7F ? std::string("\\u007f") : std::string(1, c);
    return out;
}

std::string ConfigFields::Escaped(const std::string& text) {
    std::string s;
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char u = static_cast<unsigned char>(text[i]);
        unsigned char next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        if (u < 0x20 || u == 0x7F) {
            s += "\\x" + HexText::Of(&u, 1);
        } else if (u == 0xC2 && next >= 0x80 && next <= 0x9F) {
            // A C1 control in UTF-8 (the device bytes the code page leaves undefined): a
            // terminal may take it as the start of a command, so it is shown as that byte.
            s += "\\x" + HexText::Of(&next, 1);
            ++i;
        } else {
            s += text[i];
        }
    }
    return s;
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
    return HexText::Of(bytes, static_cast<size_t>(size));
}

JsonValue ConfigFields::Json(const ConfigImage& image, const std::string& name,
                             const std::string& firmware) {
    if (name == kKeysName) {
        JsonValue keys = JsonValue::array();
        for (int k = 0; k < ConfigImage::kKeySlots; ++k)
            keys.push_back(KeyHex(image, k));
        return keys;
    }
    if (name == kFirmwareName)
        return firmware;
    const ConfigField* f = FindConfigField(name);
    if (!f)
        return std::string();
    if (f->kind == FieldKind::kNumber)
        return FieldNumber(image.Bytes(), *f);
    return ValueText(image, *f);
}

std::string ConfigFields::Text(const ConfigImage& image, const std::string& name,
                               const std::string& firmware) {
    if (name == kKeysName) {
        std::string s;
        for (int k = 0; k < ConfigImage::kKeySlots; ++k)
            s += (k ? "\n" : "") + KeyHex(image, k);
        return s;
    }
    if (name == kFirmwareName)
        return Escaped(firmware);
    const ConfigField* f = FindConfigField(name);
    return f ? Escaped(ValueText(image, *f)) : std::string();
}

std::vector<std::pair<std::string, std::string>>
ConfigFields::ShownLines(const ConfigImage& image, const std::string& firmware) {
    std::vector<std::pair<std::string, std::string>> lines;
    bool firmwareShown = false;
    for (const ConfigField* f : ShownConfigFields()) {
        if (!firmwareShown && f->showOrder > kFirmwareShowOrder) {
            lines.push_back({kFirmwareName, Escaped(firmware)});
            firmwareShown = true;
        }
        lines.push_back({f->name, Escaped(ValueText(image, *f))});
    }
    if (!firmwareShown)
        lines.push_back({kFirmwareName, Escaped(firmware)});
    return lines;
}

bool ConfigFields::TouchesKeys(const std::vector<Assignment>& assignments) {
    return std::any_of(assignments.begin(), assignments.end(), [](const Assignment& a) {
        const ConfigField* f = FindConfigField(a.field);
        return f && (f->words == &kWepTypeWords || f->kind == FieldKind::kKeySlot);
    });
}

std::vector<std::string> ConfigFields::Apply(ConfigImage& image, WepKeyTable& table,
                                             const std::vector<Assignment>& assignments,
                                             bool clamp) {
    std::vector<std::string> refusals;
    // Stores run on a copy; the image takes it only when every value passed.
    ConfigImage copy = image;
    BYTE* bytes = copy.Bytes();
    std::vector<std::function<void()>> keyStores;
    int newWepType = -1;
    auto refuse = [&](const Assignment& a, const std::string& allowed) {
        refusals.push_back(Escaped(a.field + "=" + a.value) + " refused: " + allowed);
    };
    auto listField = [&](const Assignment& a, const ConfigField& f) {
        DWORD v;
        if (!ParseWord(*f.words, a.value, &v))
            refuse(a, "allowed " + Allowed(*f.words));
        else if (f.words == &kWepTypeWords)
            newWepType = static_cast<int>(v);
        else
            SetFieldNumber(bytes, f, v);
    };
    auto numberField = [&](const Assignment& a, const ConfigField& f) {
        const ThresholdRule& rule = *f.range;
        std::string text = a.value;
        bool digits = text.empty() || AllDigits(text);
        if (clamp && digits) {
            SetFieldNumber(bytes, f, CorrectThreshold(rule, text));
        } else if (AllDigits(text) && std::stol(text) >= rule.lower &&
                   std::stol(text) <= rule.upper) {
            SetFieldNumber(bytes, f, static_cast<DWORD>(std::stol(text)));
        } else {
            refuse(a, "allowed " + std::to_string(rule.lower) + " to " +
                          std::to_string(rule.upper) +
                          " (decimal; --clamp corrects as the Advanced page does)");
        }
    };
    auto channelField = [&](const Assignment& a, const ConfigField& f) {
        int first = 0, last = 0;
        std::string v = Lower(a.value);
        if (v.compare(0, 8, "channel ") == 0)
            v = v.substr(8);
        std::string domain = RegulationText(copy.RegulationDomain());
        if (!ChannelRangeFor(copy.RegulationDomain(), &first, &last))
            refuse(a, "the regulation domain " + domain + " offers no channels");
        else if (AllDigits(v) && std::stoi(v) >= first && std::stoi(v) <= last)
            SetFieldNumber(bytes, f, static_cast<DWORD>(std::stoi(v)));
        else
            refuse(a, "allowed " + ChannelText(first) + " to " + ChannelText(last) + " (" +
                          std::to_string(first) + " to " + std::to_string(last) + ") in " + domain);
    };
    auto rateField = [&](const Assignment& a) {
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
    };
    auto modeField = [&](const Assignment& a, const ConfigField& f) {
        int found = -1;
        std::string allowed;
        for (int i = 0; i < kModeCount; ++i) {
            const ModeWord& m = kModeWords[i];
            if (Lower(a.value) == Lower(m.text) ||
                (AllDigits(a.value) && std::stoul(a.value) == m.value))
                found = i;
            allowed += std::string(allowed.empty() ? "" : ", ") + "\"" + m.text + "\" (" +
                       std::to_string(m.value) + ")";
        }
        if (found >= 0)
            SetFieldNumber(bytes, f, kModeWords[found].value);
        else
            refuse(a, "allowed " + allowed);
    };
    auto keyField = [&](const Assignment& a, const ConfigField& f) {
        int key = KeySlotIndex(f);
        int size = ActiveKeySize(static_cast<BYTE>(newWepType >= 0 ? newWepType : copy.WepType()));
        std::vector<BYTE> parsed;
        if (size == 0) {
            refuse(a, "WEP is disabled: keys are taken only with wepType=64-bit or 128-bit");
        } else if (!HexText::Parse(a.value, &parsed) ||
                   parsed.size() != static_cast<size_t>(size)) {
            refuse(a, "allowed " + std::to_string(2 * size) + " hexadecimal digits (a " +
                          std::string(size == 5 ? "64" : "128") +
                          "-bit key; a separator, ':' or '-', only between every two digits)");
        } else if (size == WepKeyTable::kKey64Size) {
            std::copy(parsed.begin(), parsed.end(), table.keys64[key]);
        } else {
            std::copy(parsed.begin(), parsed.end(), table.keys128[key]);
        }
    };
    for (const Assignment& a : assignments) {
        const ConfigField* f = FindConfigField(a.field);
        std::string why, text;
        std::vector<BYTE> parsed;
        if (!f || !f->settable) {
            refuse(a, "not a field that can be set; these can: " + WritableList());
            continue;
        }
        switch (f->kind) {
        case FieldKind::kText:
            if (ParseText(a.value, &text, &why))
                SetFieldText(bytes, *f, text);
            else
                refuse(a, why);
            break;
        case FieldKind::kNumber:
            numberField(a, *f);
            break;
        case FieldKind::kListWord:
            if (f->list == FieldList::kChannels)
                channelField(a, *f);
            else if (f->list == FieldList::kRates)
                rateField(a);
            else if (f->list == FieldList::kModes)
                modeField(a, *f);
            else
                listField(a, *f);
            break;
        case FieldKind::kHexBytes:
            if (HexText::Parse(a.value, &parsed) && parsed.size() == f->width)
                std::copy(parsed.begin(), parsed.end(), bytes + f->offset);
            else
                refuse(a, "allowed " + (f->width == 6 ? "six" : std::to_string(f->width)) +
                              " hexadecimal bytes, as 00-0A-FF-10-20-30 (a separator, ':' or "
                              "'-', only between every two digits)");
            break;
        case FieldKind::kAddress:
            if (!ParseAddress(a.value, bytes + f->offset))
                refuse(a, "allowed a dotted address of four numbers 0 to 255");
            break;
        case FieldKind::kKeySlot:
            // Keys last: their size is the WEP type after this call.
            keyStores.push_back([&, a, f] { keyField(a, *f); });
            break;
        case FieldKind::kReserved:
            break;
        }
    }
    // The table is changed only when every value passed, so work on a copy of it too.
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

std::vector<std::string> ConfigFields::CheckStored(ConfigImage& image, bool clamp) {
    std::vector<Assignment> stored;
    std::vector<std::string> refusals;
    for (const ConfigField& f : ConfigFieldTable()) {
        // Key slots hold any bytes; the rest must pass as a set of it would.
        if (!f.settable || f.kind == FieldKind::kKeySlot)
            continue;
        const ConfigField* length = LengthFieldOf(f);
        if (length && FieldNumber(image.Bytes(), *length) > f.width)
            refusals.push_back(std::string(f.name) + " refused: its length " +
                               std::to_string(FieldNumber(image.Bytes(), *length)) +
                               " is more than " + std::to_string(f.width));
        stored.push_back({f.name, StoredValue(image, f)});
    }
    ConfigImage checked = image;
    WepKeyTable table = g_wepKeyTable;
    std::vector<std::string> more = Apply(checked, table, stored, clamp);
    refusals.insert(refusals.end(), more.begin(), more.end());
    if (!refusals.empty() || !clamp)
        return refusals;
    for (const ConfigField& f : ConfigFieldTable())
        if (f.settable && f.kind == FieldKind::kNumber)
            SetFieldNumber(image.Bytes(), f, FieldNumber(checked.Bytes(), f));
    return refusals;
}

std::vector<std::string> ConfigFields::Differences(const BYTE* a, const BYTE* b) {
    std::vector<std::string> names;
    for (const ConfigField& f : ConfigFieldTable()) {
        std::string name = ReportedName(f);
        if (std::memcmp(a + f.offset, b + f.offset, f.width) != 0 &&
            std::find(names.begin(), names.end(), name) == names.end())
            names.push_back(name);
    }
    return names;
}

bool ConfigFields::KeptByRestore(const ConfigField& field) {
    const ConfigField* whole = field.partOf ? FindConfigField(field.partOf) : &field;
    return whole && !whole->settable && whole->kind != FieldKind::kReserved;
}

std::vector<FieldChange> ConfigFields::Changes(const ConfigImage& before, const ConfigImage& after,
                                               bool comparePasswords, bool compareOwn) {
    std::vector<std::string> differ = Differences(before.Bytes(), after.Bytes());
    auto differs = [&](const std::string& name) {
        return std::find(differ.begin(), differ.end(), name) != differ.end();
    };
    std::vector<FieldChange> changes;
    for (const ConfigField* f : ShownConfigFields()) {
        if (!differs(f->name) || (!compareOwn && KeptByRestore(*f)))
            continue;
        FieldChange c{f->name, ValueText(before, *f), ValueText(after, *f)};
        if (c.before == c.after)
            c.after += " (other stored bytes)";
        changes.push_back(c);
    }
    for (const ConfigField& f : ConfigFieldTable()) {
        bool password = f.secret && !f.partOf;
        if ((f.kind == FieldKind::kReserved || (password && comparePasswords)) && differs(f.name))
            changes.push_back({f.name, "", "", true});
    }
    return changes;
}
