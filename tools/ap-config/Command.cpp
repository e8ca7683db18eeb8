#include "Command.h"

#include "ExitCodes.h"

#include <algorithm>

// The commands, one object each in its own file (ShowCommand.cpp, SetCommand.cpp, ...).
const Command& ShowCommand();
const Command& GetCommand();
const Command& SetCommand();
const Command& ApplyCommand();
const Command& ResetCommand();
const Command& BackupCommand();
const Command& RestoreCommand();
const Command& DiffCommand();
const Command& KeysExportCommand();
const Command& PasswdCommand();
const Command& ListCommand();
const Command& HelpCommand();
const Command& CompleteWordsCommand();

Command::Command(const char* n, const char* s, const char* r, const char* e, unsigned t,
                 std::vector<Opt> o, Arguments a)
    : name(n), summary(s), reference(r), example(e), traits(t), options(std::move(o)),
      arguments(a) {}

bool Command::Takes(Opt option) const {
    return OptionOf(option).global ||
           std::find(options.begin(), options.end(), option) != options.end();
}

std::string Command::Synopsis() const {
    std::string s = name;
    for (Opt o : options) {
        const OptionSpec& spec = OptionOf(o);
        std::string value = spec.value;
        s += " [" + LongName(spec) + (value.empty() || value[0] == '[' ? value : " " + value) + "]";
    }
    switch (arguments) {
    case Arguments::kNone:
    case Arguments::kWords:
        break;
    case Arguments::kFields:
        s += " FIELD...";
        break;
    case Arguments::kAssignments:
        s += " FIELD=VALUE...";
        break;
    case Arguments::kFile:
        s += " FILE|-";
        break;
    case Arguments::kCommandName:
        s += " [COMMAND]";
        break;
    }
    return s;
}

int Command::CheckArguments(Session&) const {
    return kExitDone;
}

int Command::ReadInputs(Session&) const {
    return kExitDone;
}

const std::vector<const Command*>& Commands() {
    static const std::vector<const Command*> commands = {
        &ShowCommand(),         &GetCommand(),    &SetCommand(),     &ApplyCommand(),
        &ResetCommand(),        &BackupCommand(), &RestoreCommand(), &DiffCommand(),
        &KeysExportCommand(),   &PasswdCommand(), &ListCommand(),    &HelpCommand(),
        &CompleteWordsCommand()};
    return commands;
}

const Command* FindCommand(const std::string& name) {
    for (const Command* c : Commands())
        if (name == c->name)
            return c;
    return nullptr;
}

namespace {
template <typename Test> std::string NamesOf(Test test) {
    std::string list;
    for (const Command* c : Commands())
        if (!c->Has(kHidden) && test(*c))
            list += (list.empty() ? "" : ", ") + std::string(c->name);
    return list;
}
} // namespace

std::string OwnersOf(Opt option) {
    return NamesOf([option](const Command& c) { return c.Takes(option); });
}

std::string CommandsWith(CommandTrait trait) {
    return NamesOf([trait](const Command& c) { return c.Has(trait); });
}
