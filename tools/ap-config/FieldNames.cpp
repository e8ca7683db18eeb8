// The names of the fields: which show prints, get reads and set writes.
#include "ConfigFields.h"
#include "FieldWords.h"

#include <algorithm>

using namespace fieldwords;

namespace {

// The names show prints: the shown fields, the key slots as one, the firmware version.
std::vector<std::string> BuildNames() {
    std::vector<std::string> names;
    bool firmware = false;
    for (const ConfigField* f : ShownConfigFields()) {
        if (!firmware && f->showOrder > kFirmwareShowOrder) {
            names.push_back(kFirmwareName);
            firmware = true;
        }
        std::string name = f->kind == FieldKind::kKeySlot ? kKeysName : f->name;
        if (names.empty() || names.back() != name)
            names.push_back(name);
    }
    if (!firmware)
        names.push_back(kFirmwareName);
    return names;
}

// The settable names in show order, the key slots as one "wepKey1..wepKey4".
std::vector<std::string> WritableNames() {
    std::vector<std::string> items;
    size_t keys = 0;
    for (const ConfigField* f : ShownConfigFields()) {
        if (f->kind == FieldKind::kKeySlot && KeySlotIndex(*f) == 0) {
            keys = items.size();
            items.push_back(f->name);
        } else if (f->kind == FieldKind::kKeySlot) {
            items[keys] = items[keys].substr(0, items[keys].find("..")) + ".." + f->name;
        } else if (f->Is(kFieldSettable)) {
            items.push_back(f->name);
        }
    }
    return items;
}

} // namespace

const std::vector<std::string>& ConfigFields::Names() {
    static const std::vector<std::string> names = BuildNames();
    return names;
}

bool ConfigFields::Known(const std::string& name) {
    const ConfigField* f = FindConfigField(name);
    return (f && f->showOrder > 0) ||
           std::find(Names().begin(), Names().end(), name) != Names().end();
}

bool ConfigFields::Writable(const std::string& name) {
    const ConfigField* f = FindConfigField(name);
    return f && f->Is(kFieldSettable);
}

std::string ConfigFields::WritableList() {
    std::string s;
    for (const std::string& n : WritableNames())
        s += (s.empty() ? "" : ", ") + n;
    return s;
}

bool ConfigFields::TouchesKeys(const std::vector<Assignment>& assignments) {
    return std::any_of(assignments.begin(), assignments.end(), [](const Assignment& a) {
        const ConfigField* f = FindConfigField(a.field);
        return f && (f->words == &kWepTypeWords || f->kind == FieldKind::kKeySlot);
    });
}

bool ConfigFields::KeptByRestore(const ConfigField& field) {
    const ConfigField* whole = field.partOf ? FindConfigField(field.partOf) : &field;
    return whole && !whole->Is(kFieldSettable) && whole->kind != FieldKind::kReserved;
}

std::string ConfigFields::Admit(std::vector<Assignment>& list, const Assignment& assignment) {
    std::string name = Excerpt(assignment.field);
    if (!Writable(assignment.field))
        return Known(assignment.field)
                   ? name + " is the unit's own or read only: it cannot be set"
                   : "unknown field " + name + "; these can be set: " + WritableList();
    for (const Assignment& a : list)
        if (a.field == assignment.field)
            return name + " is given twice";
    list.push_back(assignment);
    return "";
}
