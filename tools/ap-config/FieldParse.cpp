// Values given as text (set's FIELD=VALUE, apply's desired state, a restored block's values)
// checked with the pages' rules and stored as the pages store them.
#include "ConfigFields.h"
#include "FieldWords.h"

#include "Codepage1252.h"
#include "device/KeyStoreFile.h"
#include "platform/HexText.h"

#include <algorithm>

using namespace fieldwords;

namespace {

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

// The value a set would need to store what the field holds, for the checks of a restore.
std::string StoredValue(const ConfigImage& image, const ConfigField& f) {
    const BYTE* b = image.Bytes();
    switch (f.kind) {
    case FieldKind::kNumber:
        return std::to_string(FieldNumber(b, f));
    case FieldKind::kListWord:
        return f.list == FieldList::kRates ? ConfigFields::ValueText(image, f)
                                           : std::to_string(FieldNumber(b, f));
    default:
        return ConfigFields::ValueText(image, f);
    }
}

// What one FIELD=VALUE works on: a copy of the image and of the key table, which the caller
// takes only when every value passed.
struct Assigning {
    ConfigImage copy;
    WepKeyTable table;
    NumberRule numbers;
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
    if (a.numbers == NumberRule::kClamp && (text.empty() || AllDigits(text))) {
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
        return "allowed " + Allowed(*f.words, "\"");
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
    BYTE domainByte = a.copy.RegulationDomain();
    if (AllDigits(v) && ChannelAllowed(domainByte, std::stol(v))) {
        SetFieldNumber(a.copy.Bytes(), f, static_cast<DWORD>(std::stol(v)));
        return "";
    }
    std::string domain = RegulationText(domainByte);
    if (!ChannelRangeFor(domainByte, &first, &last))
        return "the regulation domain " + domain + " offers no channels";
    return "allowed " + ChannelText(first) + " to " + ChannelText(last) + " (" +
           std::to_string(first) + " to " + std::to_string(last) + ") in " + domain;
}

std::string RateValue(Assigning& a, const ConfigField&, const std::string& value) {
    std::string v = Lower(value);
    for (int i = 0; i < kRateCount; ++i) {
        std::string word = Lower(kRateWords[i]);
        std::string number = RateNumber(kRateWords[i]);
        if (v == word || (!number.empty() && (v == number || v == number + "mbps"))) {
            StoreRateSelection(a.copy, i);
            return "";
        }
    }
    return "allowed " + AllowedRates("\"");
}

std::string ModeValue(Assigning& a, const ConfigField& f, const std::string& value) {
    for (const ModeWord& m : kModeWords) {
        if (Lower(value) == Lower(m.text) || (AllDigits(value) && std::stoul(value) == m.value)) {
            SetFieldNumber(a.copy.Bytes(), f, m.value);
            return "";
        }
    }
    return "allowed " + AllowedModes("\"");
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
    if (size == 0) {
        // As show prints them while WEP is disabled: the whole slot, kept as it is.
        bool kept = HexText::Parse(value, &parsed) && parsed.size() == ConfigImage::kKeySlotSize;
        for (size_t j = 0; kept && j < parsed.size(); ++j)
            kept = parsed[j] == a.copy.WepKeyByte(key, static_cast<int>(j));
        return kept ? "" : "WEP is disabled: keys are taken only with wepType=64-bit or 128-bit";
    }
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
                                             NumberRule numbers) {
    std::vector<std::string> refusals;
    Assigning a{image, table, numbers};
    // The keys last: their size is the WEP type after this command.
    for (bool keys : {false, true}) {
        for (const Assignment& as : assignments) {
            const ConfigField* f = FindConfigField(as.field);
            Parser parse = f && f->Is(kFieldSettable) ? ParserFor(*f) : nullptr;
            if (f && (f->kind == FieldKind::kKeySlot) != keys)
                continue;
            std::string allowed = parse
                                      ? parse(a, *f, as.value)
                                      : "not a field that can be set; these can: " + WritableList();
            if (!allowed.empty())
                refusals.push_back(Excerpt(as.field + "=" + as.value) + " refused: " + allowed);
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

std::vector<std::string> ConfigFields::CheckStored(ConfigImage& image, NumberRule numbers) {
    std::vector<std::string> refusals;
    for (const ConfigField& f : ConfigFieldTable()) {
        if (!f.Is(kFieldSettable))
            continue;
        if (numbers == NumberRule::kClamp && f.range) {
            std::string text = std::to_string(FieldNumber(image.Bytes(), f));
            SetFieldNumber(image.Bytes(), f, CorrectThreshold(*f.range, text));
        }
        std::string why;
        if (StoresSettableValue(image, f, &why))
            continue;
        // The refusal in set's words where set refuses the value too.
        ConfigImage checked = image;
        WepKeyTable table;
        KeyTableFromImage(image, table);
        std::vector<std::string> set =
            Apply(checked, table, {{f.name, StoredValue(image, f)}}, NumberRule::kRefuse);
        refusals.push_back(!set.empty()
                               ? set.front()
                               : Escaped(std::string(f.name) + "=" + StoredValue(image, f)) +
                                     " refused: " + why);
    }
    return refusals;
}
