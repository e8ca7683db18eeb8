// The field reference of the manual page and the guide, and the values the completion
// offers: from the same table and words as set's rules.
#include "ConfigFields.h"
#include "FieldWords.h"

#include <algorithm>
#include <iterator>

using namespace fieldwords;

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
    if (!f || !f->Is(kFieldSettable))
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
            for (int d = 0; d <= 0xFF; ++d)
                if (ChannelAllowed(static_cast<BYTE>(d), channel)) {
                    words.push_back(std::to_string(channel));
                    break;
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
            rows.push_back({name, f->Is(kFieldSettable),
                            f->Is(kFieldSettable) ? SettableValues(*f) : ReadOnlyValues(*f)});
        }
    }
    return rows;
}

std::string ConfigFields::ReferenceRules() {
    return "Words are matched without regard to case. A list's value may also be given as the "
           "number in parentheses beside its word (for `rateMode` the rate in Mbps: `5.5` is "
           "`5.5 Mbps`; `Auto` has none), a channel as its number. Hexadecimal values are two "
           "digits a byte, in either case";
}
