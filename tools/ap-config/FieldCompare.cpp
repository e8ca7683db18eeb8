// Two configurations compared field by field: the read-back check, diff and --dry-run.
#include "ConfigFields.h"

#include <algorithm>
#include <cstring>

std::vector<std::string> ConfigFields::Differences(const BYTE* a, const BYTE* b) {
    std::vector<std::string> names;
    for (const ConfigField& f : ConfigFieldTable()) {
        std::string name = ReportedName(f);
        if (std::memcmp(a + f.offset, b + f.offset, f.width) != 0 &&
            std::find(names.begin(), names.end(), name) == names.end())
            names.push_back(name);
    }
    return names;
}

std::vector<FieldChange> ConfigFields::Changes(const ConfigImage& before, const ConfigImage& after,
                                               unsigned compareFlags) {
    std::vector<std::string> differ = Differences(before.Bytes(), after.Bytes());
    auto differs = [&](const std::string& name) {
        return std::find(differ.begin(), differ.end(), name) != differ.end();
    };
    std::vector<FieldChange> changes;
    for (const ConfigField* f : ShownConfigFields()) {
        if (!differs(f->name) || (!(compareFlags & kCompareOwn) && KeptByRestore(*f)))
            continue;
        FieldChange c{f->name, ValueText(before, *f), ValueText(after, *f)};
        if (c.before == c.after)
            c.after += " (other stored bytes)";
        changes.push_back(c);
    }
    for (const ConfigField& f : ConfigFieldTable()) {
        bool password = f.Is(kFieldSecret) && !f.partOf;
        if ((f.kind == FieldKind::kReserved || (password && (compareFlags & kComparePasswords))) &&
            differs(f.name))
            changes.push_back({f.name, "", "", true});
    }
    return changes;
}
