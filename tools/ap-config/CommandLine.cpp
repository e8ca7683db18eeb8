#include "CommandLine.h"

#include "Command.h"
#include "Session.h"
#include "platform/CommandWords.h"

#include <CLI/CLI.hpp>

namespace {

// A name that starts with "-" is an option written where the name should be ("--output
// --help"): refused, never taken for a file or device of that name. "-" alone stands for
// the standard stream.
const CLI::Validator kNotAnOption(
    [](std::string& value) {
        bool option = !value.empty() && value != "-" && !commandwords::IsName(value.c_str());
        return option ? "needs a name, not the option " + value : std::string();
    },
    "");

// The CLI11 command of a registry name: "keys export" is "export" below "keys".
CLI::App* Declare(CLI::App& app, const std::string& name) {
    size_t blank = name.find(' ');
    if (blank == std::string::npos)
        return app.add_subcommand(name);
    std::string head = name.substr(0, blank);
    CLI::App* parent = nullptr;
    for (CLI::App* sub : app.get_subcommands([](const CLI::App*) { return true; }))
        parent = sub->get_name() == head ? sub : parent;
    if (!parent) {
        parent = app.add_subcommand(head);
        parent->fallthrough();
    }
    return Declare(*parent, name.substr(blank + 1));
}

} // namespace

CommandLine::CommandLine(Session& session)
    : m_session(session), m_app(std::make_unique<CLI::App>("", "ap-config")) {
    CLI::App& app = *m_app;
    app.set_help_flag();
    app.require_subcommand(0, 1);
    for (const OptionSpec& o : OptionTable()) {
        std::string value = o.value;
        CLI::Option* option = nullptr;
        if (value.empty()) {
            option = app.add_flag(o.names);
        } else if (value[0] == '[') {
            // --wait or --wait=SECONDS: a flag that may take a value after "=" only.
            option = app.add_flag(std::string(o.names) + "{}", m_values[o.id]);
        } else {
            option = app.add_option(o.names, m_values[o.id])->allow_extra_args(false);
            if (value == "FILE" || value == "DIR" || value == "NAME")
                option->check(kNotAnOption);
        }
        m_options[o.id] = option;
    }
    for (const Command* c : Commands()) {
        CLI::App* sub = Declare(app, c->name);
        sub->fallthrough();
        switch (c->arguments) {
        case Arguments::kNone:
            break;
        case Arguments::kFile:
            sub->add_option("file", m_arguments)->expected(1);
            break;
        default:
            sub->add_option("arguments", m_arguments);
            break;
        }
    }
}

CommandLine::~CommandLine() = default;

std::string CommandLine::Explain(const CLI::ParseError& e) const {
    std::string what = e.what();
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&e) && what.find(':') != std::string::npos)
        return what.substr(0, what.find(':')) + " needs a value";
    std::vector<std::string> extras = m_app->remaining(true);
    if (!dynamic_cast<const CLI::ExtrasError*>(&e) || extras.empty())
        return what;
    const CLI::App* command = m_app.get();
    std::string name;
    while (!command->get_subcommands().empty()) {
        command = command->get_subcommands().front();
        name += (name.empty() ? "" : " ") + command->get_name();
    }
    const std::string& extra = extras.front();
    if (extra.size() < 2 || extra[0] != '-')
        return name.empty() ? "unknown command " + extra
                            : name + " takes no argument \"" + extra + "\"";
    return "unknown option " + extra.substr(0, extra.find('='));
}

std::string CommandLine::Misplaced() const {
    const Command* command = m_session.m_command;
    for (const OptionSpec& o : OptionTable()) {
        size_t given = m_options.at(o.id)->count();
        if (given == 0)
            continue;
        std::string name = LongName(o);
        if (given > 1 && !o.repeatable && o.value[0] != '\0' && o.value[0] != '[')
            return name + " is given " + std::to_string(given) + " times: give it once";
        if (command && !command->Takes(o.id))
            return std::string(command->name) + " does not take " + name + " (it belongs to " +
                   OwnersOf(o.id) + ")";
        if (!command && !o.global)
            return "no command given for " + name + " (it belongs to " + OwnersOf(o.id) + ")";
    }
    return "";
}

bool CommandLine::Parse(const std::vector<std::string>& args) {
    // CLI11 takes the arguments last first.
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        m_app->parse(reversed);
    } catch (const CLI::ParseError& e) {
        m_session.Fail(kExitRefused, Explain(e) + " (see ap-config --help)");
        return false;
    }
    std::string name;
    for (const CLI::App* c = m_app.get(); !c->get_subcommands().empty();) {
        c = c->get_subcommands().front();
        name += (name.empty() ? "" : " ") + c->get_name();
    }
    m_session.m_command = FindCommand(name);
    if (!name.empty() && !m_session.m_command) {
        std::string subcommands;
        for (const Command* c : Commands())
            if (std::string(c->name).rfind(name + " ", 0) == 0)
                subcommands += (subcommands.empty() ? "" : ", ") + std::string(c->name);
        m_session.Fail(kExitRefused, name + " needs its command: " + subcommands);
        return false;
    }
    std::string misplaced = Misplaced();
    if (!misplaced.empty()) {
        m_session.Fail(kExitRefused, misplaced + " (see ap-config --help)");
        return false;
    }
    for (const OptionSpec& o : OptionTable()) {
        size_t given = m_options.at(o.id)->count();
        if (given > 0)
            m_session.m_values[o.id] =
                o.value[0] == '\0' ? std::vector<std::string>(given) : m_values[o.id];
    }
    m_session.m_args = m_arguments;
    return true;
}
