// ap-config set: every value checked with the pages' rules, then one verified write.
#include "Session.h"

#include "device/KeyStoreFile.h"

namespace {

class Set : public Command {
public:
    Set()
        : Command("set",
                  "checks every value, writes them all in one write,\nreads back and prints "
                  "\"verified\"",
                  "Checks every value with its page's rules (see FIELDS); one refused value "
                  "refuses the whole call and nothing is written. All values go in one write, "
                  "read back and compared: `verified`, or `differs: FIELD, ...` and exit 3; a "
                  "unit that holds them already is not written (`unchanged`). Keys are written "
                  "as the Encryption page writes them, through the key table of the key file, "
                  "which is then saved as the dialogs' Apply saves it.",
                  "ap-config set channel=6 \"essid=Office AP\"", kReadsUnit | kWrites,
                  {Opt::kForce, Opt::kWait, Opt::kClamp, Opt::kNoKeyFile, Opt::kTakeKeyFile,
                   Opt::kDryRun},
                  Arguments::kAssignments) {}
    int CheckArguments(Session& s) const override {
        for (const std::string& word : s.Arguments()) {
            size_t eq = word.find('=');
            if (eq == std::string::npos)
                return s.Fail(kExitRefused,
                              "\"" + ConfigFields::Excerpt(word) + "\" is not FIELD=VALUE");
            std::string why =
                ConfigFields::Admit(s.assignments, {word.substr(0, eq), word.substr(eq + 1)});
            if (!why.empty())
                return s.Fail(kExitRefused, why);
        }
        return kExitDone;
    }
    int Run(Session& s) const override { return WriteAssignments(s); }
};

} // namespace

int WriteAssignments(Session& s) {
    bool keys = ConfigFields::TouchesKeys(s.assignments);
    WepKeyTable table;
    if (keys)
        table = s.KeyTable();
    else
        KeyTableFromImage(s.Image(), table);
    ConfigImage changed = s.Image();
    std::vector<std::string> refusals =
        ConfigFields::Apply(changed, table, s.assignments,
                            s.Flag(Opt::kClamp) ? NumberRule::kClamp : NumberRule::kRefuse);
    for (const std::string& r : refusals)
        s.Fail(kExitRefused, r);
    if (!refusals.empty())
        return s.Fail(kExitRefused, "nothing was written");
    return s.Write(changed, keys ? &table : nullptr);
}

const Command& SetCommand() {
    static const Set command;
    return command;
}
