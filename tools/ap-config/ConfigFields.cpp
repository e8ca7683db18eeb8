#include "ConfigFields.h"

#include "Codepage1252.h"
#include "device/ConfigWords.h"
#include "device/KeyStoreFile.h"
#include "platform/HexText.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <iterator>

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

// A list's words with the numbers they store, each word between quote marks: the refusals
// quote with ", the field reference with `.
std::string Allowed(const WordList& words, const char* quote = "\"") {
    std::string s;
    for (int i = 0; i < words.count; ++i)
        s += std::string(i ? ", " : "") + quote + words.items[i].text + quote + " (" +
             std::to_string(words.items[i].value) + ")";
    return s;
}

std::string AllowedModes(const char* quote = "\"") {
    std::string s;
    for (const ModeWord& m : kModeWords)
        s += std::string(s.empty() ? "" : ", ") + quote + m.text + quote + " (" +
             std::to_string(m.value) + ")";
    return s;
}

// What a rate word is also taken as: its number ("5.5" for "5.5 Mbps"; "Auto" itself).
std::string RateNumber(const std::string& word) {
    return word.substr(0, word.find(' '));
}

std::string AllowedRates(const char* quote = "\"") {
    std::string words, numbers;
    for (const char* w : kRateWords) {
        words += std::string(words.empty() ? "" : ", ") + quote + w + quote;
        if (RateNumber(w) != w)
            numbers += (numbers.empty() ? "" : ", ") + RateNumber(w);
    }
    return words + " (or " + numbers + ")";
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

namespace {

// What one FIELD=VALUE works on: a copy of the image and of the key table, which the caller
// takes only when every value passed.
struct Assigning {
    ConfigImage copy;
    WepKeyTable table;
    bool clamp;
    int newWepType = -1;
};

// A parser per kind of field: stores the value into the copy, or returns what is allowed.
using Parser = std::string (*)(Assigning&, const ConfigField&, const std::string& value);

std::string TextValue(Assigning& a, const ConfigField& f, const std::string& value) {
    std::string text, why;
    if (!ParseText(value, &text, &why))
        return why;
    SetFieldText(a.copy.Bytes(), f, text);
    return "";
}

std::string NumberValue(Assigning& a, const ConfigField& f, const std::string& value) {
    const ThresholdRule& rule = *f.range;
    std::string text = value;
    if (a.clamp && (text.empty() || AllDigits(text))) {
        SetFieldNumber(a.copy.Bytes(), f, CorrectThreshold(rule, text));
        return "";
    }
    if (AllDigits(text) && std::stol(text) >= rule.lower && std::stol(text) <= rule.upper) {
        SetFieldNumber(a.copy.Bytes(), f, static_cast<DWORD>(std::stol(text)));
        return "";
    }
    return "allowed " + std::to_string(rule.lower) + " to " + std::to_string(rule.upper) +
           " (decimal; --clamp corrects as the Advanced page does)";
}

std::string WordValue(Assigning& a, const ConfigField& f, const std::string& value) {
    DWORD v;
    if (!ParseWord(*f.words, value, &v))
        return "allowed " + Allowed(*f.words);
    if (f.words == &kWepTypeWords)
        a.newWepType = static_cast<int>(v); // stored with the keys, last
    else
        SetFieldNumber(a.copy.Bytes(), f, v);
    return "";
}

std::string ChannelValue(Assigning& a, const ConfigField& f, const std::string& value) {
    int first = 0, last = 0;
    std::string v = Lower(value);
    if (v.compare(0, 8, "channel ") == 0)
        v = v.substr(8);
    std::string domain = RegulationText(a.copy.RegulationDomain());
    if (!ChannelRangeFor(a.copy.RegulationDomain(), &first, &last))
        return "the regulation domain " + domain + " offers no channels";
    if (AllDigits(v) && std::stoi(v) >= first && std::stoi(v) <= last) {
        SetFieldNumber(a.copy.Bytes(), f, static_cast<DWORD>(std::stoi(v)));
        return "";
    }
    return "allowed " + ChannelText(first) + " to " + ChannelText(last) + " (" +
           std::to_string(first) + " to " + std::to_string(last) + ") in " + domain;
}

std::string RateValue(Assigning& a, const ConfigField&, const std::string& value) {
    std::string v = Lower(value);
    for (int i = 0; i < kRateCount; ++i) {
        std::string word = Lower(kRateWords[i]);
        std::string number = RateNumber(word);
        if (v == word || v == number || v == number + "mbps") {
            StoreRateSelection(a.copy, i);
            return "";
        }
    }
    return "allowed " + AllowedRates();
}

std::string ModeValue(Assigning& a, const ConfigField& f, const std::string& value) {
    for (const ModeWord& m : kModeWords) {
        if (Lower(value) == Lower(m.text) || (AllDigits(value) && std::stoul(value) == m.value)) {
            SetFieldNumber(a.copy.Bytes(), f, m.value);
            return "";
        }
    }
    return "allowed " + AllowedModes();
}

std::string HexBytesValue(Assigning& a, const ConfigField& f, const std::string& value) {
    std::vector<BYTE> parsed;
    if (HexText::Parse(value, &parsed) && parsed.size() == f.width) {
        std::copy(parsed.begin(), parsed.end(), a.copy.Bytes() + f.offset);
        return "";
    }
    return "allowed " + (f.width == 6 ? std::string("six") : std::to_string(f.width)) +
           " hexadecimal bytes, as 00-0A-FF-10-20-30 (a separator, ':' or '-', only between "
           "every two digits)";
}

std::string AddressValue(Assigning& a, const ConfigField& f, const std::string& value) {
    return ParseAddress(value, a.copy.Bytes() + f.offset)
               ? ""
               : "allowed a dotted address of four numbers 0 to 255";
}

// Into the key table: its size is the WEP type after the whole command.
std::string KeyValue(Assigning& a, const ConfigField& f, const std::string& value) {
    int key = KeySlotIndex(f);
    int size =
        ActiveKeySize(static_cast<BYTE>(a.newWepType >= 0 ? a.newWepType : a.copy.WepType()));
    std::vector<BYTE> parsed;
    if (size == 0)
        return "WEP is disabled: keys are taken only with wepType=64-bit or 128-bit";
    if (!HexText::Parse(value, &parsed) || parsed.size() != static_cast<size_t>(size))
        return "allowed " + std::to_string(2 * size) + " hexadecimal digits (a " +
               std::string(size == 5 ? "64" : "128") +
               "-bit key; a separator, ':' or '-', only between every two digits)";
    std::copy(parsed.begin(), parsed.end(),
              size == WepKeyTable::kKey64Size ? a.table.keys64[key] : a.table.keys128[key]);
    return "";
}

Parser ParserFor(const ConfigField& f) {
    switch (f.kind) {
    case FieldKind::kText:
        return TextValue;
    case FieldKind::kNumber:
        return NumberValue;
    case FieldKind::kListWord:
        return f.list == FieldList::kChannels ? ChannelValue
               : f.list == FieldList::kRates  ? RateValue
               : f.list == FieldList::kModes  ? ModeValue
                                              : WordValue;
    case FieldKind::kHexBytes:
        return HexBytesValue;
    case FieldKind::kAddress:
        return AddressValue;
    case FieldKind::kKeySlot:
        return KeyValue;
    case FieldKind::kReserved:
        break;
    }
    return nullptr;
}

} // namespace

std::vector<std::string> ConfigFields::Apply(ConfigImage& image, WepKeyTable& table,
                                             const std::vector<Assignment>& assignments,
                                             bool clamp) {
    std::vector<std::string> refusals;
    Assigning a{image, table, clamp};
    // The keys last: their size is the WEP type after this command.
    for (bool keys : {false, true}) {
        for (const Assignment& as : assignments) {
            const ConfigField* f = FindConfigField(as.field);
            Parser parse = f && f->settable ? ParserFor(*f) : nullptr;
            if (f && (f->kind == FieldKind::kKeySlot) != keys)
                continue;
            std::string allowed = parse
                                      ? parse(a, *f, as.value)
                                      : "not a field that can be set; these can: " + WritableList();
            if (!allowed.empty())
                refusals.push_back(Escaped(as.field + "=" + as.value) + " refused: " + allowed);
        }
    }
    if (!refusals.empty())
        return refusals;
    // As the Encryption page: choosing a WEP type collects that group into the slots, and a
    // changed key collects the active group.
    bool keyGiven = std::any_of(assignments.begin(), assignments.end(), [](const Assignment& as) {
        const ConfigField* f = FindConfigField(as.field);
        return f && f->kind == FieldKind::kKeySlot;
    });
    if (a.newWepType >= 0)
        a.copy.SetWepType(static_cast<BYTE>(a.newWepType));
    int size = ActiveKeySize(a.copy.WepType());
    if ((a.newWepType > 0 || keyGiven) && size > 0)
        StoreKeyGroup(a.copy, a.table, size);
    std::copy(a.copy.Bytes(), a.copy.Bytes() + kImageBufferSize, image.Bytes());
    table = a.table;
    return refusals;
}

std::vector<std::string> ConfigFields::CheckStored(ConfigImage& image, bool clamp) {
    std::vector<std::string> refusals;
    for (const ConfigField& f : ConfigFieldTable()) {
        if (!f.settable)
            continue;
        if (clamp && f.range) {
            std::string text = std::to_string(FieldNumber(image.Bytes(), f));
            SetFieldNumber(image.Bytes(), f, CorrectThreshold(*f.range, text));
        }
        std::string why;
        if (StoresSettableValue(image, f, &why))
            continue;
        // The refusal in set's words where set refuses the value too.
        ConfigImage checked = image;
        WepKeyTable table = g_wepKeyTable;
        std::vector<std::string> set =
            Apply(checked, table, {{f.name, StoredValue(image, f)}}, false);
        refusals.push_back(!set.empty()
                               ? set.front()
                               : Escaped(std::string(f.name) + "=" + StoredValue(image, f)) +
                                     " refused: " + why);
    }
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

namespace {

// The regulation domains with the channels each offers ("FCC 1 to 11", "MKK 14 or 1 to 14").
std::string ChannelsByDomain() {
    std::vector<std::pair<std::string, std::string>> domains;
    for (int d = 0; d <= 0xFF; ++d) {
        int first = 0, last = 0;
        const char* text = RegulationDomainText(static_cast<BYTE>(d));
        if (!text || !ChannelRangeFor(static_cast<BYTE>(d), &first, &last))
            continue;
        std::string range = first == last ? std::to_string(first)
                                          : std::to_string(first) + " to " + std::to_string(last);
        std::string name = WithoutLeadingBlanks(text);
        if (!domains.empty() && domains.back().first == name)
            domains.back().second += " or " + range;
        else
            domains.push_back({name, range});
    }
    std::string s;
    for (const auto& [name, range] : domains)
        s += (s.empty() ? "" : "; ") + name + " " + range;
    return s;
}

std::string RangeText(const ThresholdRule& rule) {
    std::string s = "`" + std::to_string(rule.lower) + "` to `" + std::to_string(rule.upper) +
                    "`; `--clamp` corrects as the Advanced page does: an empty value becomes `" +
                    rule.emptyText + "`";
    // A lower bound of 0 never applies to digits.
    if (rule.lower > 0)
        s += ", a smaller one `" + std::string(rule.lowerText) + "`";
    return s + ", one over " + std::to_string(rule.upperCheck) + " `" + rule.upperText + "`";
}

std::string SettableValues(const ConfigField& f) {
    switch (f.kind) {
    case FieldKind::kText:
        return "text of at most " + std::to_string(f.width) +
               " Windows-1252 bytes, given in UTF-8 (a character the code page lacks, or a "
               "control character, is refused)";
    case FieldKind::kNumber:
        return f.range ? RangeText(*f.range) : "a number";
    case FieldKind::kListWord:
        switch (f.list) {
        case FieldList::kChannels:
            return "`" + ChannelText(6) +
                   "` or `6`: a channel of the unit's regulation domain: " + ChannelsByDomain();
        case FieldList::kRates:
            return AllowedRates("`") + "; the rates that go with it are stored too";
        case FieldList::kModes:
            return AllowedModes("`");
        default:
            return f.words ? Allowed(*f.words, "`") : "";
        }
    case FieldKind::kHexBytes:
        return (f.width == 6 ? std::string("six") : std::to_string(f.width)) +
               " hexadecimal bytes: `00-0A-FF-10-20-30`, `00:0a:ff:10:20:30` or "
               "`000AFF102030` (a separator, `:` or `-`, between every two digits or none)";
    case FieldKind::kAddress:
        return "a dotted address: four numbers 0 to 255 with a dot between each two";
    case FieldKind::kKeySlot:
        return "hexadecimal digits of the WEP type set: " +
               std::to_string(2 * WepKeyTable::kKey64Size) + " for `" + kWepTypeWords.TextOf(1) +
               "`, " + std::to_string(2 * WepKeyTable::kKey128Size) + " for `" +
               kWepTypeWords.TextOf(2) + "` (separators as for preferredBssid); " +
               "refused while wepType is `" + kWepTypeWords.TextOf(0) + "`";
    case FieldKind::kReserved:
        break;
    }
    return "";
}

std::string ReadOnlyValues(const ConfigField& f) {
    if (f.list == FieldList::kRegulation) {
        std::vector<std::string> names;
        for (int d = 0; d <= 0xFF; ++d)
            if (const char* text = RegulationDomainText(static_cast<BYTE>(d)))
                if (std::find(names.begin(), names.end(), WithoutLeadingBlanks(text)) ==
                    names.end())
                    names.push_back(WithoutLeadingBlanks(text));
        std::string s;
        for (const std::string& n : names)
            s += (s.empty() ? "`" : ", `") + n + "`";
        return "the unit's own: " + s + " (which decides the channels)";
    }
    return "the unit's own " + std::to_string(f.width) +
           " bytes in hexadecimal: " + "`02-1a-2b-3c-4d-5e`";
}

} // namespace

std::vector<std::string> ConfigFields::ValueWords(const std::string& name) {
    const ConfigField* f = FindConfigField(name);
    std::vector<std::string> words;
    if (!f || !f->settable)
        return words;
    if (f->range)
        return {std::to_string(f->range->lower), std::to_string(f->range->upper)};
    switch (f->list) {
    case FieldList::kWords:
        for (int i = 0; i < f->words->count; ++i)
            words.push_back(f->words->items[i].text);
        break;
    case FieldList::kChannels:
        for (int channel = 1; channel <= 0xFF; ++channel)
            for (int d = 0; d <= 0xFF; ++d) {
                int first = 0, last = 0;
                if (ChannelRangeFor(static_cast<BYTE>(d), &first, &last) && channel >= first &&
                    channel <= last) {
                    words.push_back(std::to_string(channel));
                    break;
                }
            }
        break;
    case FieldList::kRates:
        words.assign(std::begin(kRateWords), std::end(kRateWords));
        break;
    case FieldList::kModes:
        for (const ModeWord& m : kModeWords)
            words.push_back(m.text);
        break;
    default:
        break;
    }
    return words;
}

std::vector<FieldReference> ConfigFields::Reference() {
    std::vector<FieldReference> rows;
    for (const std::string& name : Names()) {
        const ConfigField* f = FindConfigField(name);
        if (name == kFirmwareName) {
            rows.push_back({name, false, "the firmware's version, as the Info page shows it"});
        } else if (name == kKeysName) {
            std::string slots;
            const ConfigField* slot = nullptr;
            for (const ConfigField* k : ShownConfigFields())
                if (k->kind == FieldKind::kKeySlot) {
                    slots += (slots.empty() ? "" : ", ") + std::string(k->name);
                    slot = k;
                }
            rows.push_back({slots, true, SettableValues(*slot)});
            rows.push_back({name, true,
                            "the four key slots as one list (`show --json`, `get`), each as the "
                            "active WEP type reads it; `apply` takes such a list of up to four "
                            "keys, `set` each key as " +
                                slots});
        } else if (f) {
            rows.push_back(
                {name, f->settable, f->settable ? SettableValues(*f) : ReadOnlyValues(*f)});
        }
    }
    return rows;
}
