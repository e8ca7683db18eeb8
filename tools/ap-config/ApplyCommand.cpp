// ap-config apply: a desired state, the fields a JSON object names with their values in the
// forms show --json prints, read as set's FIELD=VALUE and written as set writes them.
#include "Session.h"

#include "Console.h"

#include <algorithm>
#include <set>

namespace {

using Json = nlohmann::ordered_json;

// A desired state nests two deep at most: the object, and the list of wepKeys.
constexpr size_t kDeepest = 2;

// The deepest nesting of lists and objects in a JSON text, counted without parsing it (and
// without any recursion), so that no depth of input can exhaust the stack.
size_t Depth(const std::string& text) {
    size_t depth = 0, deepest = 0;
    bool inString = false, escaped = false;
    for (char c : text) {
        if (inString) {
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            deepest = std::max(deepest, ++depth);
        } else if ((c == ']' || c == '}') && depth > 0) {
            --depth;
        }
    }
    return deepest;
}

// One entry of the object as set's FIELD=VALUE, or a value the unit keeps as its own (taken
// when it is the unit's); the refusal when it can be neither.
std::string ToAssignments(const std::string& name, const Json& value, Session& s) {
    std::vector<Assignment>* out = &s.assignments;
    if (name == "wepKeys") {
        if (!value.is_array() || value.size() > 4)
            return "wepKeys takes a list of up to four keys, as show --json prints it";
        for (size_t k = 0; k < value.size(); ++k) {
            std::string why = ToAssignments("wepKey" + std::to_string(k + 1), value[k], s);
            if (!why.empty())
                return why;
        }
        return "";
    }
    std::string text;
    if (ConfigFields::Known(name) && !ConfigFields::Writable(name) && !value.is_structured()) {
        // As show --json prints it; compared with the unit's once it is read.
        s.ownValues.push_back({name, value.dump()});
        return "";
    }
    if (value.is_string())
        text = value.get<std::string>();
    else if (value.is_number_unsigned())
        text = std::to_string(value.get<unsigned long long>());
    else if (ConfigFields::Writable(name))
        // The value is never echoed: it may be anything, of any size.
        return ConfigFields::Excerpt(name) + " takes a text or a whole number, not a JSON " +
               value.type_name();
    return ConfigFields::Admit(*out, {name, text});
}

class Apply : public Command {
public:
    Apply()
        : Command("apply",
                  "the fields a JSON object names, with the values\nshow --json prints, set as set "
                  "sets them; nothing\nis written where the unit holds them already",
                  "A desired state: a JSON object of field names and values, in the forms `show "
                  "--json` prints (`-` is standard input). Only the named fields are checked, with "
                  "the rules of `set`, and set; a unit that already holds them is not written "
                  "(`unchanged`). What `show --json` prints is a desired state: the values each "
                  "unit keeps as its own (`macAddress`, `regulationDomain`, `firmwareVersion`) are "
                  "taken when they are the unit's and refused when not, and the keys of a unit "
                  "with WEP disabled (whole slots) when they are what the slots hold; `show --json "
                  "--settings` gives one for other units. `wepKeys` takes a list of up to four "
                  "keys; a field named twice (also `wepKey1` beside `wepKeys`) is refused. A value "
                  "that "
                  "is what the unit holds is left as it is, even one `set` would refuse. With "
                  "`--device` given more than once, or `--all`, each unit in turn: one unit's "
                  "failure does not stop the others, and the exit status is 0 only when every "
                  "unit succeeded, else the first failure's.",
                  "ap-config --all apply office.json", kReadsUnit | kWrites | kSeveralUnits,
                  {Opt::kForce, Opt::kWait, Opt::kClamp, Opt::kNoKeyFile, Opt::kTakeKeyFile,
                   Opt::kDryRun},
                  Arguments::kFile) {}

    int ReadInputs(Session& s) const override {
        const std::string& file = s.File();
        std::string text, error;
        // A desired state is a backup's size at most, from standard input as from a file.
        if (!Console::ReadFileOrInput(file, BackupFile::kLargestFile, "a desired state", &text,
                                      &error))
            return s.Fail(kExitRefused, "cannot read " + Console::InputName(file) + ": " + error +
                                            "; nothing was written");
        std::string name = Console::InputName(file);
        if (Depth(text) > kDeepest)
            return s.Fail(kExitRefused, name + ": its values nest deeper than a desired state's "
                                               "(an object of fields, wepKeys a list of keys); "
                                               "nothing was written");
        // The parser keeps the last of two equal names: each name is caught as it comes.
        std::set<std::string> seen;
        std::string twice;
        auto names = [&](int depth, Json::parse_event_t event, Json& parsed) {
            if (event == Json::parse_event_t::key && depth == 1 && twice.empty() &&
                !seen.insert(parsed.get<std::string>()).second)
                twice = parsed.get<std::string>();
            return true;
        };
        Json state = Json::parse(text, names, false);
        if (state.is_discarded() || !state.is_object() || state.empty())
            return s.Fail(kExitRefused, name + " is not a JSON object of fields and their values; "
                                               "nothing was written");
        if (!twice.empty())
            return s.Fail(kExitRefused, name + ": " + ConfigFields::Excerpt(twice) +
                                            " is given twice; nothing was written");
        for (const auto& [field, value] : state.items()) {
            std::string why = ToAssignments(field, value, s);
            if (!why.empty())
                return s.Fail(kExitRefused, name + ": " + why + "; nothing was written");
        }
        return kExitDone;
    }

    int Run(Session& s) const override {
        for (const auto& [name, given] : s.ownValues) {
            std::string unit = ConfigFields::Json(s.Image(), name, s.Firmware()).dump();
            if (given != unit)
                return s.Fail(kExitRefused, name + " is the unit's own (" +
                                                ConfigFields::Excerpt(unit) + ", not " +
                                                ConfigFields::Excerpt(given) +
                                                "): it cannot be set; nothing was written");
        }
        // A value that is what the unit holds, as show --json prints it, is left as it is: a
        // unit's own state applies back even where it holds what the pages would not take.
        std::vector<Assignment> differing;
        for (const Assignment& a : s.assignments) {
            Json held = ConfigFields::TouchesKeys({a})
                            ? Json()
                            : ConfigFields::Json(s.Image(), a.field, s.Firmware());
            if (!(held.is_string() ? held.get<std::string>() == a.value
                                   : held.is_number() && held.dump() == a.value))
                differing.push_back(a);
        }
        s.assignments = differing;
        return WriteAssignments(s);
    }
};

} // namespace

const Command& ApplyCommand() {
    static const Apply command;
    return command;
}
