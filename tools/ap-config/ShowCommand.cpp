// ap-config show and get: the fields in the pages' words, as text or JSON.
#include "Session.h"

#include "device/KeyStoreFile.h"

namespace {

// show's name column.
std::string Column(const std::string& name) {
    return name + std::string(name.size() < 22 ? 22 - name.size() : 1, ' ');
}

class Show : public Command {
public:
    Show()
        : Command("show", "every field in the pages' words",
                  "Every field by its name, in the words the pages use, then the firmware "
                  "version, the regulation domain and the MAC address; passwords are never shown.",
                  "ap-config --json show", kReadsUnit | kSeveralUnits, {Opt::kSettings},
                  Arguments::kNone) {}
    int Run(Session& s) const override {
        // --settings: what apply sets, so that the document is a desired state for any unit.
        bool keys = ActiveKeySize(s.Image().WepType()) > 0;
        auto shown = [&](const std::string& name) {
            const ConfigField* f = FindConfigField(name);
            bool key = name == "wepKeys" || (f && f->kind == FieldKind::kKeySlot);
            return !s.Flag(Opt::kSettings) || (key ? keys : ConfigFields::Writable(name));
        };
        for (const std::string& name : ConfigFields::Names())
            if (shown(name))
                s.Report()[name] = ConfigFields::Json(s.Image(), name, s.Firmware());
        for (const auto& [name, value] : ConfigFields::ShownLines(s.Image(), s.Firmware()))
            if (shown(name))
                s.PrintLine(Column(name) + value);
        return kExitDone;
    }
};

class Get : public Command {
public:
    Get()
        : Command("get", "just those fields, one value a line",
                  "Just those fields, one value a line (`--json`: one object).",
                  "ap-config get essid channel", kReadsUnit | kSeveralUnits, {},
                  Arguments::kFields) {}
    int CheckArguments(Session& s) const override {
        for (const std::string& name : s.Arguments())
            if (!ConfigFields::Known(name))
                return s.Fail(kExitRefused, "unknown field " + ConfigFields::Excerpt(name));
        return kExitDone;
    }
    int Run(Session& s) const override {
        for (const std::string& name : s.Arguments()) {
            s.Report()[name] = ConfigFields::Json(s.Image(), name, s.Firmware());
            s.PrintLine(ConfigFields::Text(s.Image(), name, s.Firmware()));
        }
        return kExitDone;
    }
};

} // namespace

const Command& ShowCommand() {
    static const Show command;
    return command;
}

const Command& GetCommand() {
    static const Get command;
    return command;
}
