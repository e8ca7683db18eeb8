#pragma once

#include <string>
#include <vector>

class Session;

// The options of ap-config, each declared once (Options.cpp): its names, its value, its
// texts. A command lists the ones it takes beyond those of every command.
enum class Opt {
    kDevice,
    kMac,
    kAll,
    kPasswordFile,
    kKeyFolder,
    kJson,
    kQuiet,
    kHelp,
    kVersion,
    kForce,
    kWait,
    kClamp,
    kNoKeyFile,
    kTakeKeyFile,
    kDryRun,
    kWithPassword,
    kOtherUnit,
    kSettings,
    kFormat,
    kOutput,
};

struct OptionSpec {
    Opt id;
    const char* names;     // "--device", "-h,--help"
    const char* value;     // "NAME"; "" for a flag; "[=SECONDS]" for an optional value
    const char* brief;     // --help and help COMMAND; lines split by '\n'
    const char* reference; // the manual page and the guide, `literal` words in backquotes
    bool global;           // taken by every command, before or after it
    bool repeatable;       // may be given more than once (--device)
};
const std::vector<OptionSpec>& OptionTable();
const OptionSpec& OptionOf(Opt id);
// "--device" of "--device", "--help" of "-h,--help".
std::string LongName(const OptionSpec& option);

// What a command takes as arguments after its options.
enum class Arguments {
    kNone,
    kFields,      // FIELD..., at least one
    kAssignments, // FIELD=VALUE..., at least one
    kFile,        // exactly one FILE or "-"
    kCommandName, // help: COMMAND, optional
    kWords,       // complete-words: any
};

// What a command does, as flags of one word.
enum CommandTrait : unsigned {
    kWrites = 1u << 0,          // changes the unit: refused while the utility runs, locks held
    kReadsUnit = 1u << 1,       // the password asked, each unit read and logged in before Run
    kSeveralUnits = 1u << 2,    // --all and --device repeated: each unit in turn
    kHidden = 1u << 3,          // not in --help, the page or the guide (complete-words)
    kPrintsForPeople = 1u << 4, // --json does not change its output (complete-words)
    kNewPassword = 1u << 5,     // asks the new password too, after the login's
};

// One command of ap-config: every fact about it lives in its object, and every text that
// names commands (the option parser, the usage checks, --help, the manual page, the guide's
// tables, the completion) is made from the registry of these objects.
class Command {
public:
    Command(const char* name, const char* summary, const char* reference, const char* example,
            unsigned traits, std::vector<Opt> options, Arguments arguments);
    virtual ~Command() = default;

    const char* name;      // "show", "keys export"
    const char* summary;   // --help, a few words
    const char* reference; // the manual page and the guide, `literal` words in backquotes
    const char* example;   // "ap-config get essid channel"
    unsigned traits;
    std::vector<Opt> options; // beyond the global ones
    Arguments arguments;

    bool Has(CommandTrait trait) const { return (traits & trait) != 0; }
    bool Takes(Opt option) const;
    // "set [--clamp] ... FIELD=VALUE..."
    std::string Synopsis() const;

    // The usage checks beyond the number of arguments (a field name, FIELD=VALUE, a format);
    // kExitDone or the refusal's exit code, reported through the session.
    virtual int CheckArguments(Session& session) const;
    // The files read before the access point is asked (a backup, a desired state).
    virtual int ReadInputs(Session& session) const;
    // The command on the unit read (kReadsUnit), else once.
    virtual int Run(Session& session) const = 0;
};

// Every command, in the order of --help.
const std::vector<const Command*>& Commands();
// The command of that name ("keys export"), or null.
const Command* FindCommand(const std::string& name);
// The names of the commands that take option, "set, apply, reset, restore".
std::string OwnersOf(Opt option);
// The names of the commands with the trait, "set, apply, reset, restore, passwd".
std::string CommandsWith(CommandTrait trait);

// The steps several commands share.
// set and apply: the assignments checked with the pages' rules and written.
int WriteAssignments(Session& session);
// restore and diff: the backup file read and checked before the access point is asked.
int ReadBackupInput(Session& session);
