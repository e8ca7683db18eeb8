#include "CommandLine.h"

#include "ApConfig.h"
#include "ConfigFields.h"
#include "Console.h"
#include "platform/CommandWords.h"

#include <CLI/CLI.hpp>

namespace {

const char kAbout[] = "Shows and changes the configuration of the access point attached by USB.\n"
                      "Every command first reads the configuration and checks the login "
                      "password.";

const char kExitCodes[] =
    "exit codes: 0 done, 1 device failure (or an output that could not be written),\n"
    "            2 usage or a value refused, 3 written but the read-back differs,\n"
    "            4 wrong password, 5 the access point is in use by another program,\n"
    "            or the utility runs (set, restore, passwd without --force);\n"
    "            6 diff: the backup and the access point differ,\n"
    "            7 another program changed the access point since it was read\n"
    "            (nothing written; --force writes over it)\n";

// The options several commands take, in the same words for each.
const char kForce[] = "changes even while the utility runs for this user,\nand over "
                      "a change another program made since the read";
const char kClamp[] = "numbers out of range are corrected as the Advanced page does";
const char kNoKeyFile[] = "leaves the key file OEM.tmp alone";
const char kTakeKeyFile[] = "rebuilds a key file of another access point for this one";
const char kDryRun[] = "shows what would change and writes nothing";

// A command: its description, an example as the footer; the options of the whole program
// (--device, --password-file) are taken after it too.
CLI::App* Command(CLI::App& parent, const char* name, const char* description,
                  const char* example) {
    CLI::App* c = parent.add_subcommand(name, description);
    c->fallthrough();
    c->footer(example);
    return c;
}

// A name that starts with "-" is an option written where the name should be ("--output
// --help"): refused, never taken for a file or device of that name. "-" alone stands for
// the standard stream.
const CLI::Validator kNotAnOption(
    [](std::string& value) {
        bool option = !value.empty() && value != "-" && !commandwords::IsName(value.c_str());
        return option ? "needs a name, not the option " + value : std::string();
    },
    "");

// The flags of the commands that write the configuration (set, restore).
struct WriteFlags {
    bool &clamp, &noKeyFile, &takeKeyFile, &dryRun;
};
void AddWriteFlags(CLI::App& command, const WriteFlags& a) {
    command.add_flag("--clamp", a.clamp, kClamp);
    command.add_flag("--no-key-file", a.noKeyFile, kNoKeyFile);
    command.add_flag("--take-key-file", a.takeKeyFile, kTakeKeyFile);
    command.add_flag("--dry-run", a.dryRun, kDryRun);
}

// "keys export", "show"; empty for the program itself.
std::string CommandName(const CLI::App& c) {
    if (!c.get_parent())
        return "";
    std::string parent = CommandName(*c.get_parent());
    return parent.empty() ? c.get_name() : parent + " " + c.get_name();
}

// The command with "[--json]", "[--format VALUE]", "FIELD..." for the synopsis.
std::string Synopsis(const CLI::App& c) {
    std::string s = CommandName(c);
    for (const CLI::Option* o : c.get_options()) {
        if (o->get_positional())
            s += " " + o->get_type_name() + (o->get_items_expected_max() > 1 ? "..." : "");
        else if (o->get_type_name().empty())
            s += " [" + o->get_name() + "]";
        else
            s += " [" + o->get_name() + " " + o->get_type_name() + "]";
    }
    return s;
}

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

// The visible commands in declaration order, keys export as one.
std::vector<const CLI::App*> Commands(const CLI::App& app) {
    std::vector<const CLI::App*> out;
    for (const CLI::App* c : app.get_subcommands([](const CLI::App*) { return true; })) {
        if (c->get_group().empty())
            continue;
        auto subs = c->get_subcommands([](const CLI::App*) { return true; });
        if (subs.empty())
            out.push_back(c);
        out.insert(out.end(), subs.begin(), subs.end());
    }
    return out;
}

} // namespace

CommandLine::CommandLine(ApConfig& a)
    : m_config(a), m_app(std::make_unique<CLI::App>(kAbout, "ap-config")) {
    CLI::App& app = *m_app;
    app.set_help_flag();
    app.require_subcommand(0, 1);
    app.add_option("--device", a.m_devices,
                   "the access point's device (default DfuDevice0);\nrepeated for apply: each "
                   "unit in turn")
        ->type_name("NAME")
        ->allow_extra_args(false)
        ->check(kNotAnOption);
    app.add_option("--mac", a.m_mac, "the attached access point that holds this MAC address")
        ->type_name("MAC");
    app.add_flag("--all", a.m_all, "apply: every attached access point");
    app.add_option("--password-file", a.m_passwordFile,
                   "line 1: the password; for passwd lines 2 and 3: the new one\n"
                   "(else $AP_PASSWORD, else asked on the terminal)")
        ->type_name("FILE")
        ->check(kNotAnOption);
    app.add_option("--key-folder", a.m_keyFolder,
                   "the folder of the key file OEM.tmp (default: the one the utility's\n"
                   "menu entry uses, ~/.local/share/ap-utility; \".\": this one)")
        ->type_name("DIR")
        ->check(kNotAnOption);
    app.add_flag("--json", a.m_json,
                 "one JSON document on standard output: what was shown or done\n"
                 "(the changes, per unit), or the error, by code word and message");
    app.add_flag("--quiet", a.m_quiet, "prints nothing on success");
    app.add_flag("-h,--help", a.m_help, "this text; help COMMAND: that command's");
    app.add_flag("--version", a.m_version, "the version of ap-config");

    Command(app, "show", "every field in the pages' words", "ap-config --json show");

    CLI::App* get =
        Command(app, "get", "just those fields, one value a line", "ap-config get essid channel");
    get->add_option("fields", a.m_args)->type_name("FIELD");

    CLI::App* set = Command(app, "set",
                            "checks every value, writes them all in one write,\n"
                            "reads back and prints \"verified\"",
                            "ap-config set channel=6 \"essid=Office AP\"");
    AddWriteFlags(*set, {a.m_clamp, a.m_noKeyFile, a.m_takeKeyFile, a.m_dryRun});
    set->add_flag("--force", a.m_force, kForce);
    set->add_option("assignments", a.m_args)->type_name("FIELD=VALUE");

    CLI::App* apply = Command(app, "apply",
                              "the fields a JSON object names, with the values\n"
                              "show --json prints, set as set sets them; nothing\n"
                              "is written where the unit holds them already;\n"
                              "--all or --device repeated: each unit in turn",
                              "ap-config --all apply office.json");
    AddWriteFlags(*apply, {a.m_clamp, a.m_noKeyFile, a.m_takeKeyFile, a.m_dryRun});
    apply->add_flag("--force", a.m_force, kForce);
    apply->add_option("file", a.m_file)->type_name("FILE");

    CLI::App* reset = Command(app, "reset",
                              "the factory settings, as Default then Apply write\n"
                              "them (the login password kept, the keys reset)",
                              "ap-config reset --dry-run");
    reset->add_flag("--dry-run", a.m_dryRun, kDryRun);
    reset->add_flag("--no-key-file", a.m_noKeyFile, kNoKeyFile);
    reset->add_flag("--take-key-file", a.m_takeKeyFile, kTakeKeyFile);
    reset->add_flag("--force", a.m_force, kForce);

    CLI::App* backup = Command(app, "backup",
                               "the whole configuration as JSON with its SHA-256\n"
                               "(the passwords only with --with-password)",
                               "ap-config backup ap1.json");
    backup->add_flag("--with-password", a.m_withPassword,
                     "backup: the passwords too (else the file holds none);\nrestore: the backup's "
                     "login password too");
    backup->add_option("file", a.m_file)->type_name("FILE");

    CLI::App* restore = Command(app, "restore",
                                "writes a backup back (same access point only,\n"
                                "unless --force; keeps the login password unless\n"
                                "--with-password)",
                                "ap-config restore ap1.json");
    restore->add_flag("--force", a.m_force,
                      std::string(kForce) + ";\nrestore: also another access point's backup");
    restore->add_flag("--with-password", a.m_withPassword,
                      "restore: the backup's login password too");
    AddWriteFlags(*restore, {a.m_clamp, a.m_noKeyFile, a.m_takeKeyFile, a.m_dryRun});
    restore->add_option("file", a.m_file)->type_name("FILE");

    CLI::App* diff = Command(app, "diff",
                             "the fields where a backup and the access point differ\n"
                             "(exit 0 equal, 6 different)",
                             "ap-config diff ap1.json");
    diff->add_option("file", a.m_file)->type_name("FILE");

    CLI::App* keys = Command(app, "keys", "the WEP keys for clients", "");
    CLI::App* keysExport = Command(*keys, "export", "the active WEP keys for clients",
                                   "ap-config keys export --format wpa_supplicant");
    keysExport->add_option("--format", a.m_format, "the client's file format (default plain)")
        ->type_name("wpa_supplicant|networkmanager|plain");
    keysExport->add_option("--output", a.m_output, "a file (mode 0600) instead of standard output")
        ->type_name("FILE")
        ->check(kNotAnOption);

    CLI::App* passwd =
        Command(app, "passwd", "sets a new login password, asked twice", "ap-config passwd");
    passwd->add_flag("--force", a.m_force, kForce);

    Command(app, "list",
            "the attached access points; their MAC addresses\nwhen the password is given",
            "AP_PASSWORD=admin ap-config list");

    CLI::App* help = Command(app, "help", "a command's options", "ap-config help set");
    help->add_option("command", a.m_args)->type_name("COMMAND");

    // For the shell completion: the words it offers, from these declarations.
    CLI::App* words = Command(app, "complete-words", "", "");
    words->group("");
    words->add_option("words", a.m_args);
}

CommandLine::~CommandLine() = default;

std::string CommandLine::Explain(const CLI::ParseError& e) const {
    const CLI::App* command = m_app.get();
    while (!command->get_subcommands().empty())
        command = command->get_subcommands().front();
    std::vector<std::string> extras = m_app->remaining(true);
    std::string what = e.what();
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&e) && what.find(':') != std::string::npos)
        return what.substr(0, what.find(':')) + " needs a value";
    if (!dynamic_cast<const CLI::ExtrasError*>(&e) || extras.empty())
        return what;
    std::string name = CommandName(*command);
    const std::string& extra = extras.front();
    if (extra.size() < 2 || extra[0] != '-')
        return name.empty() ? "unknown command " + extra
                            : name + " takes no argument \"" + extra + "\"";
    std::string option = extra.substr(0, extra.find('='));
    std::vector<std::string> takers;
    for (const CLI::App* c : Commands(*m_app))
        for (const CLI::Option* o : c->get_options())
            if (!o->get_positional() && o->check_name(option))
                takers.push_back(CommandName(*c));
    if (takers.empty())
        return "unknown option " + option;
    std::string list;
    for (const std::string& t : takers)
        list += (list.empty() ? "" : ", ") + t;
    return (name.empty() ? "no command given for " : name + " does not take ") + option +
           " (it belongs to " + list + ")";
}

bool CommandLine::Parse(const std::vector<std::string>& args) {
    // CLI11 takes the arguments last first.
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        m_app->parse(reversed);
    } catch (const CLI::ParseError& e) {
        m_config.Fail(kExitRefused, Explain(e) + " (see ap-config --help)");
        return false;
    }
    m_config.m_words.clear();
    for (const CLI::App* c = m_app.get(); !c->get_subcommands().empty();) {
        c = c->get_subcommands().front();
        m_config.m_words.push_back(c->get_name());
    }
    m_config.m_words.insert(m_config.m_words.end(), m_config.m_args.begin(), m_config.m_args.end());
    if (!m_config.m_file.empty())
        m_config.m_words.push_back(m_config.m_file);
    return true;
}

std::string CommandLine::Summary() const {
    std::string out =
        "usage: ap-config [--device NAME | --mac MAC | --all] [--password-file FILE] [--json | "
        "--quiet] COMMAND ...\n\n" +
        std::string(kAbout) + "\n\ncommands:\n";
    for (const CLI::App* c : Commands(*m_app)) {
        std::string example = c->get_footer();
        out += Columns(Synopsis(*c), c->get_description() + "\ne.g. " + example, 2, 33);
    }
    out += "\noptions:\n";
    std::vector<std::string> seen;
    auto list = [&](const CLI::App& c) {
        for (const CLI::Option* o : c.get_options()) {
            std::string name = o->get_name();
            if (o->get_positional() || std::find(seen.begin(), seen.end(), name) != seen.end())
                continue;
            seen.push_back(name);
            std::string head = o->get_type_name().empty() ? name : name + " " + o->get_type_name();
            out += Columns(head, o->get_description(), 2, 22);
        }
    };
    list(*m_app);
    for (const CLI::App* c : Commands(*m_app))
        list(*c);

    std::vector<std::string> settable, readOnly;
    for (const std::string& name : ConfigFields::Names()) {
        if (name == "wepKeys")
            settable.push_back("wepKey1..wepKey4");
        (ConfigFields::Writable(name) ? settable : readOnly).push_back(name);
    }
    out += "\nfields:\n" + Wrapped("  ", settable) + "read only:\n" + Wrapped("  ", readOnly);
    return out + "\n" + kExitCodes;
}

std::string CommandLine::HelpOf(const std::vector<std::string>& command) const {
    std::string name;
    for (const std::string& w : command)
        name += (name.empty() ? "" : " ") + w;
    for (const CLI::App* c : Commands(*m_app)) {
        std::string synopsis = Synopsis(*c);
        if (CommandName(*c) != name && CommandName(*c->get_parent()) != name)
            continue;
        std::string out = "usage: ap-config [--device NAME] [--password-file FILE] " + synopsis +
                          "\n\n" + c->get_description() + "\ne.g. " + c->get_footer() + "\n";
        bool first = true;
        for (const CLI::Option* o : c->get_options()) {
            if (o->get_positional())
                continue;
            out += first ? "\noptions:\n" : "";
            first = false;
            std::string head = o->get_type_name().empty()
                                   ? o->get_name()
                                   : o->get_name() + " " + o->get_type_name();
            out += Columns(head, o->get_description(), 2, 22);
        }
        return out;
    }
    return "";
}

namespace {

// The option of command (or of a command above it) named name, or null.
const CLI::Option* OptionNamed(const CLI::App& command, const std::string& name) {
    for (const CLI::App* a = &command; a; a = a->get_parent())
        for (const CLI::Option* o : a->get_options())
            if (!o->get_positional() && o->check_name(name))
                return o;
    return nullptr;
}

// What may stand for a value declared as "a|b|FILE": the literal words as they are, FILE as
// "<file>" and DIR as "<folder>" (the shell lists those itself), --device's NAME as the device
// names list finds without opening one; other placeholders (MAC, FIELD) offer nothing.
std::vector<std::string> ValuesOf(const CLI::Option& option) {
    if (option.check_name("--device"))
        return DeviceSocketNames();
    std::vector<std::string> out;
    std::string list = option.get_type_name() + "|";
    for (size_t at = 0, bar; (bar = list.find('|', at)) != std::string::npos; at = bar + 1) {
        std::string part = list.substr(at, bar - at);
        bool placeholder =
            !part.empty() &&
            part.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ=.") == std::string::npos;
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

std::vector<std::string> CommandLine::Completions(const std::vector<std::string>& words) const {
    std::vector<std::string> out;
    const CLI::App* c = m_app.get();
    size_t arguments = 0; // the command's arguments given so far
    bool optionsEnded = false;
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& w = words[i];
        bool last = i + 1 == words.size();
        const CLI::Option* o = nullptr;
        if (!optionsEnded && w == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && w.size() > 1 && w[0] == '-' &&
                   (o = OptionNamed(*c, w.substr(0, w.find('=')))) && !o->get_type_name().empty()) {
            // An option that takes a value last (or "--option=" last): its values; else
            // the value, the next word or after "=", is passed over.
            if (last)
                return ValuesOf(*o);
            i += w.find('=') == std::string::npos ? 1 : 0;
        } else if (w.size() < 2 || w[0] != '-' || optionsEnded) {
            // A command, or an argument of the command ("-" included: standard input).
            const CLI::App* sub = nullptr;
            for (const CLI::App* s : c->get_subcommands([](const CLI::App*) { return true; }))
                if (s->get_name() == w && !s->get_group().empty() && arguments == 0)
                    sub = s;
            // FIELD= last: the values set takes for the field.
            if (last && !sub && !w.empty() && w.back() == '=')
                return c->get_name() == "set" ? ConfigFields::ValueWords(w.substr(0, w.size() - 1))
                                              : std::vector<std::string>{};
            c = sub ? sub : c;
            arguments = sub ? 0 : arguments + 1;
        }
    }
    for (const CLI::App* s : c->get_subcommands([](const CLI::App*) { return true; }))
        if (!s->get_group().empty() && arguments == 0)
            out.push_back(s->get_name());
    for (const CLI::App* a = c; a; a = a->get_parent())
        for (const CLI::Option* o : a->get_options())
            if (!o->get_positional())
                for (const std::string& n : o->get_lnames())
                    out.push_back("--" + n);
    // A command's file: the shell lists the files (and "-" when the command takes it).
    for (const CLI::Option* o : c->get_options())
        if (o->get_positional() && arguments < static_cast<size_t>(o->get_items_expected_max()))
            for (const std::string& v : ValuesOf(*o))
                out.push_back(v);
    std::vector<std::string> fields = ConfigFields::Names();
    for (int k = 1; k <= 4; ++k)
        fields.push_back("wepKey" + std::to_string(k));
    for (const std::string& name : fields) {
        if (c->get_name() == "get" && ConfigFields::Known(name))
            out.push_back(name);
        if (c->get_name() == "set" && ConfigFields::Writable(name))
            out.push_back(name + "=");
    }
    if (c->get_name() == "help")
        for (const CLI::App* s : Commands(*m_app))
            out.push_back(CommandName(*s).substr(0, CommandName(*s).find(' ')));
    return out;
}
