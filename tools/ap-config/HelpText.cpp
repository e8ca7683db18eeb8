#include "HelpText.h"

#include "Command.h"
#include "ConfigFields.h"
#include "ExitCodes.h"
#include "platform/DeviceList.h"

#include <algorithm>

namespace {

const char kAbout[] = "Shows and changes the configuration of the access point attached by USB.\n"
                      "Every command first reads the configuration and checks the login "
                      "password.";
const char kUsage[] = "usage: ap-config [--device NAME | --mac MAC | --all] [--password-file FILE] "
                      "[--json | --quiet] COMMAND ...";

// Text in columns: name padded to width, the text wrapped under itself.
std::string Columns(const std::string& name, const std::string& text, size_t indent, size_t width) {
    std::string out = std::string(indent, ' ') + name;
    std::string pad(indent + width, ' ');
    if (out.size() + 1 > pad.size())
        out += "\n" + pad;
    else
        out += std::string(pad.size() - out.size(), ' ');
    for (char c : text)
        out += c == '\n' ? "\n" + pad : std::string(1, c);
    return out + "\n";
}

// Words after head, wrapped at 80 columns under the first word.
std::string Wrapped(const std::string& head, const std::vector<std::string>& words) {
    std::string out = head;
    size_t column = head.size();
    for (const std::string& w : words) {
        if (column + 1 + w.size() > 80) {
            out += "\n" + std::string(head.size(), ' ');
            column = head.size();
        }
        out += (column == head.size() ? "" : " ") + w;
        column += (column == head.size() ? 0 : 1) + w.size();
    }
    return out + "\n";
}

std::string OptionHead(const OptionSpec& o) {
    std::string value = o.value;
    return LongName(o) + (value.empty() || value[0] == '[' ? value : " " + value);
}

std::vector<const Command*> Visible() {
    std::vector<const Command*> out;
    for (const Command* c : Commands())
        if (!c->Has(kHidden))
            out.push_back(c);
    return out;
}

const Command* Named(const std::vector<std::string>& words) {
    std::string name;
    for (const std::string& w : words)
        name += (name.empty() ? "" : " ") + w;
    for (const Command* c : Visible())
        if (name == c->name || std::string(c->name).rfind(name + " ", 0) == 0)
            return c;
    return nullptr;
}

nlohmann::ordered_json OptionJson(const OptionSpec& o) {
    return {{"name", LongName(o)}, {"value", o.value}, {"description", o.reference}};
}

nlohmann::ordered_json CommandJson(const Command& c) {
    nlohmann::ordered_json options = nlohmann::ordered_json::array();
    for (Opt o : c.options)
        options.push_back(LongName(OptionOf(o)));
    return {{"name", c.name},
            {"synopsis", c.Synopsis()},
            {"summary", c.summary},
            {"example", c.example},
            {"writes", c.Has(kWrites)},
            {"needsPassword", c.Has(kReadsUnit)},
            {"severalUnits", c.Has(kSeveralUnits)},
            {"options", options}};
}

// The option of that name (a long or short name), or null.
const OptionSpec* OptionNamed(const std::string& name) {
    for (const OptionSpec& o : OptionTable()) {
        std::string names = std::string(o.names) + ",";
        for (size_t at = 0, comma; (comma = names.find(',', at)) != std::string::npos;
             at = comma + 1)
            if (names.substr(at, comma - at) == name)
                return &o;
    }
    return nullptr;
}

// What may stand for a value declared as "a|b|FILE": the literal words as they are, FILE as
// "<file>" and DIR as "<folder>" (the shell lists those itself), --device's NAME as the device
// names found without opening one; other placeholders (MAC, SECONDS) offer nothing.
std::vector<std::string> ValuesOf(const std::string& declared, bool devices) {
    if (devices)
        return devlist::DeviceSocketNames();
    std::vector<std::string> out;
    std::string list = declared + "|";
    for (size_t at = 0, bar; (bar = list.find('|', at)) != std::string::npos; at = bar + 1) {
        std::string part = list.substr(at, bar - at);
        bool placeholder =
            !part.empty() &&
            part.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ=.[]") == std::string::npos;
        if (!placeholder)
            out.push_back(part);
        else if (part == "FILE")
            out.push_back("<file>");
        else if (part == "DIR")
            out.push_back("<folder>");
    }
    return out;
}

} // namespace

std::string HelpText::Summary() {
    std::string out = std::string(kUsage) + "\n\n" + kAbout + "\n\ncommands:\n";
    for (const Command* c : Visible())
        out += Columns(c->Synopsis(), std::string(c->summary) + "\ne.g. " + c->example, 2, 33);
    out += "\noptions:\n";
    for (const OptionSpec& o : OptionTable())
        out += Columns(OptionHead(o), o.brief, 2, 22);
    std::vector<std::string> settable, readOnly;
    for (const FieldReference& row : ConfigFields::Reference())
        for (size_t at = 0, end; at < row.names.size(); at = end + 2) {
            end = std::min(row.names.find(", ", at), row.names.size());
            (row.settable ? settable : readOnly).push_back(row.names.substr(at, end - at));
        }
    out += "\nfields (set, apply):\n" + Wrapped("  ", settable) + "read only:\n" +
           Wrapped("  ", readOnly);
    out += "\nrefused while the utility runs for this user (without --force):\n" +
           Wrapped("  ", {CommandsWith(kWrites)});
    std::vector<std::string> codes;
    for (const ExitCodeInfo& e : ExitCodes())
        codes.push_back(std::to_string(e.code) + " " + e.brief + ";");
    codes.back().pop_back();
    return out + "\n" + Wrapped("exit codes: ", codes);
}

nlohmann::ordered_json HelpText::Json() {
    nlohmann::ordered_json commands = nlohmann::ordered_json::array();
    for (const Command* c : Visible())
        commands.push_back(CommandJson(*c));
    nlohmann::ordered_json options = nlohmann::ordered_json::array();
    for (const OptionSpec& o : OptionTable()) {
        nlohmann::ordered_json entry = OptionJson(o);
        entry["global"] = o.global;
        options.push_back(entry);
    }
    nlohmann::ordered_json codes = nlohmann::ordered_json::array();
    for (const ExitCodeInfo& e : ExitCodes())
        codes.push_back({{"exitCode", e.code}, {"code", e.word}, {"meaning", e.brief}});
    return {{"usage", kUsage}, {"commands", commands}, {"options", options}, {"exitCodes", codes}};
}

std::string HelpText::Of(const std::vector<std::string>& words) {
    const Command* c = Named(words);
    if (!c)
        return "";
    std::string out = "usage: ap-config [--device NAME] [--password-file FILE] " + c->Synopsis() +
                      "\n\n" + c->summary + "\ne.g. " + c->example + "\n";
    for (Opt o : c->options)
        out += (o == c->options.front() ? "\noptions:\n" : "") +
               Columns(OptionHead(OptionOf(o)), OptionOf(o).brief, 2, 22);
    return out;
}

nlohmann::ordered_json HelpText::JsonOf(const std::vector<std::string>& words) {
    const Command* c = Named(words);
    if (!c)
        return nlohmann::ordered_json::object();
    nlohmann::ordered_json j = CommandJson(*c);
    j["options"] = nlohmann::ordered_json::array();
    for (Opt o : c->options)
        j["options"].push_back(OptionJson(OptionOf(o)));
    return j;
}

std::string HelpText::Version() {
    return "ap-config " AP_CONFIG_VERSION "\n";
}

nlohmann::ordered_json HelpText::VersionJson() {
    return {{"version", AP_CONFIG_VERSION}};
}

std::vector<std::string> HelpText::Completions(const std::vector<std::string>& words) {
    const Command* command = nullptr;
    std::string group;    // the first word of a command of two ("keys")
    size_t arguments = 0; // the command's arguments given so far
    bool optionsEnded = false;
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& w = words[i];
        bool last = i + 1 == words.size();
        const OptionSpec* o = nullptr;
        if (!optionsEnded && w == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && w.size() > 1 && w[0] == '-' &&
                   (o = OptionNamed(w.substr(0, w.find('=')))) && *o->value && o->value[0] != '[') {
            // An option that takes a value last (or "--option=" last): its values; else
            // the value, the next word or after "=", is passed over.
            if (last)
                return ValuesOf(o->value, o->id == Opt::kDevice);
            i += w.find('=') == std::string::npos ? 1 : 0;
        } else if (w.size() < 2 || w[0] != '-' || optionsEnded) {
            // A command, or an argument of the command ("-" included: standard input).
            std::string name = group.empty() ? w : group + " " + w;
            bool commandWord = !command && arguments == 0;
            if (commandWord && FindCommand(name) && !FindCommand(name)->Has(kHidden)) {
                command = FindCommand(name);
                group.clear();
                continue;
            }
            if (commandWord && group.empty()) {
                bool isGroup = false;
                for (const Command* c : Visible())
                    isGroup = isGroup || std::string(c->name).rfind(name + " ", 0) == 0;
                if (isGroup) {
                    group = name;
                    continue;
                }
            }
            // FIELD= last: the values set takes for the field.
            if (last && !w.empty() && w.back() == '=')
                return command && command->arguments == Arguments::kAssignments
                           ? ConfigFields::ValueWords(w.substr(0, w.size() - 1))
                           : std::vector<std::string>{};
            ++arguments;
        }
    }
    std::vector<std::string> out;
    for (const Command* c : Visible()) {
        std::string name = c->name;
        if (!group.empty() && name.rfind(group + " ", 0) == 0)
            out.push_back(name.substr(group.size() + 1));
        else if (group.empty() && !command && arguments == 0 &&
                 std::find(out.begin(), out.end(), name.substr(0, name.find(' '))) == out.end())
            out.push_back(name.substr(0, name.find(' ')));
    }
    if (!group.empty())
        return out;
    if (command)
        for (Opt o : command->options)
            out.push_back(LongName(OptionOf(o)));
    for (const OptionSpec& o : OptionTable())
        if (o.global)
            out.push_back(LongName(o));
    if (!command)
        return out;
    // A command's file: the shell lists the files.
    if (command->arguments == Arguments::kFile && arguments == 0)
        out.push_back("<file>");
    std::vector<std::string> fields = ConfigFields::Names();
    for (int k = 1; k <= 4; ++k)
        fields.push_back("wepKey" + std::to_string(k));
    for (const std::string& name : fields) {
        if (command->arguments == Arguments::kFields && ConfigFields::Known(name))
            out.push_back(name);
        if (command->arguments == Arguments::kAssignments && ConfigFields::Writable(name))
            out.push_back(name + "=");
    }
    if (command->arguments == Arguments::kCommandName)
        for (const Command* c : Visible()) {
            std::string first = std::string(c->name).substr(0, std::string(c->name).find(' '));
            if (std::find(out.begin(), out.end(), first) == out.end())
                out.push_back(first);
        }
    return out;
}
