// ap-config apply: a desired state, the fields a JSON object names with their values in the
// forms show --json prints, read here as set's FIELD=VALUE; set (SetCommand.cpp) then checks
// and writes them, nothing where the unit already holds them.
#include "ApConfig.h"

#include "Console.h"

namespace {

// One entry of the object as set's FIELD=VALUE; false with the reason when it cannot be one.
bool ToAssignments(const std::string& name, const nlohmann::json& value,
                   std::vector<Assignment>* out, std::string* why) {
    if (name == "wepKeys") {
        if (!value.is_array() || value.size() > 4) {
            *why = "wepKeys takes a list of up to four keys, as show --json prints it";
            return false;
        }
        for (size_t k = 0; k < value.size(); ++k)
            if (!ToAssignments("wepKey" + std::to_string(k + 1), value[k], out, why))
                return false;
        return true;
    }
    if (!ConfigFields::Writable(name)) {
        *why = ConfigFields::Known(name)
                   ? name + " is the unit's own (or read only): it is never applied"
                   : "unknown field " + name +
                         "; these can be applied: " + ConfigFields::WritableList();
        return false;
    }
    if (value.is_string())
        out->push_back({name, value.get<std::string>()});
    else if (value.is_number_unsigned())
        out->push_back({name, std::to_string(value.get<unsigned long long>())});
    else {
        *why = name + " takes a text or a whole number, not " + value.dump();
        return false;
    }
    return true;
}

} // namespace

int ApConfig::ReadDesiredState() {
    const std::string& file = m_words[1];
    std::string text, error;
    // A desired state is a backup's size at most, from standard input as from a file.
    bool read =
        Console::ReadFileOrInput(file, BackupFile::kLargestFile, "a desired state", &text, &error);
    if (!read)
        return Fail(kExitRefused, "cannot read " + Console::InputName(file) + ": " + error +
                                      "; nothing was written");
    nlohmann::json state = nlohmann::json::parse(text, nullptr, false);
    if (state.is_discarded() || !state.is_object() || state.empty())
        return Fail(kExitRefused, file + " is not a JSON object of fields and their values; "
                                         "nothing was written");
    for (const auto& [name, value] : state.items()) {
        std::string why;
        if (!ToAssignments(name, value, &m_assignments, &why))
            return Fail(kExitRefused, file + ": " + why + "; nothing was written");
    }
    return kExitDone;
}
