// The fields as shown: text for a terminal (escaped), JSON, the list words.
#include "ConfigFields.h"
#include "FieldWords.h"

#include "Codepage1252.h"
#include "device/KeyStoreFile.h"
#include "platform/HexText.h"

#include <algorithm>
#include <cctype>

namespace fieldwords {

const char kKeysName[] = "wepKeys";
const char kFirmwareName[] = "firmwareVersion";

std::string Lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool AllDigits(const std::string& s) {
    return !s.empty() && s.size() <= 9 &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string WithoutLeadingBlanks(const char* text) {
    std::string s = text;
    s.erase(0, s.find_first_not_of(' '));
    return s;
}

std::string RegulationText(BYTE domain) {
    const char* text = RegulationDomainText(domain);
    return text ? WithoutLeadingBlanks(text) : "unknown (0x" + HexText::Of(&domain, 1) + ")";
}

std::string RateNumber(const char* rateWord) {
    std::string word = rateWord;
    size_t blank = word.find(' ');
    return blank == std::string::npos ? "" : word.substr(0, blank);
}

std::string Allowed(const WordList& words, const char* quote) {
    std::string s;
    for (int i = 0; i < words.count; ++i)
        s += std::string(i ? ", " : "") + quote + words.items[i].text + quote + " (" +
             std::to_string(words.items[i].value) + ")";
    return s;
}

std::string AllowedModes(const char* quote) {
    std::string s;
    for (const ModeWord& m : kModeWords)
        s += std::string(s.empty() ? "" : ", ") + quote + m.text + quote + " (" +
             std::to_string(m.value) + ")";
    return s;
}

std::string AllowedRates(const char* quote) {
    std::string s;
    for (const char* w : kRateWords) {
        std::string number = RateNumber(w);
        s += std::string(s.empty() ? "" : ", ") + quote + w + quote +
             (number.empty() ? "" : " (" + number + ")");
    }
    return s;
}

} // namespace fieldwords

using namespace fieldwords;

namespace {

using JsonValue = nlohmann::ordered_json;

std::string Dotted(const BYTE* a) {
    return std::to_string(a[0]) + "." + std::to_string(a[1]) + "." + std::to_string(a[2]) + "." +
           std::to_string(a[3]);
}

std::string UnknownValue(DWORD value) {
    return "unknown (" + std::to_string(value) + ")";
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
    return ChannelAllowed(image.RegulationDomain(), static_cast<long>(channel))
               ? ChannelText(static_cast<int>(channel))
               : UnknownValue(channel);
}

std::string ModeText(DWORD value) {
    for (const ModeWord& m : kModeWords)
        if (m.value == value)
            return m.text;
    return UnknownValue(value);
}

} // namespace

std::string ConfigFields::ValueText(const ConfigImage& image, const ConfigField& f) {
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
            return f.words && f.words->TextOf(n) ? f.words->TextOf(n) : UnknownValue(n);
        }
    case FieldKind::kText:
        return Codepage1252::ToUtf8(FieldText(b, f));
    case FieldKind::kHexBytes:
        return HexText::Of(b + f.offset, f.width, f.Is(kFieldUpperCase), "-");
    case FieldKind::kAddress:
        return Dotted(b + f.offset);
    case FieldKind::kKeySlot:
        return KeyHex(image, KeySlotIndex(f));
    case FieldKind::kReserved:
        break;
    }
    return HexText::Of(b + f.offset, f.width);
}

std::string ConfigFields::JsonText(const nlohmann::ordered_json& json) {
    // Bytes that are no UTF-8 (a file name, a field name given) as U+FFFD, never a throw.
    std::string text = json.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
    std::string out;
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

std::string ConfigFields::Excerpt(const std::string& text) {
    constexpr size_t kLongest = 60;
    if (text.size() <= kLongest)
        return Escaped(text);
    size_t cut = kLongest;
    // Not within a UTF-8 character: back to the byte that starts one.
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    return Escaped(text.substr(0, cut)) + "... (" + std::to_string(text.size()) + " bytes)";
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
