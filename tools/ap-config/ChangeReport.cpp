#include "ChangeReport.h"

#include <cstdio>

std::string ChangeReport::Text(const std::vector<FieldChange>& changes) {
    std::string text;
    for (const FieldChange& c : changes) {
        char name[32];
        std::snprintf(name, sizeof(name), "%-21s ", c.field.c_str());
        text +=
            name +
            (c.hidden ? std::string("differs")
                      : ConfigFields::Escaped(c.before) + " -> " + ConfigFields::Escaped(c.after)) +
            "\n";
    }
    return text;
}

nlohmann::ordered_json ChangeReport::Json(const std::vector<FieldChange>& changes,
                                          const char* firstName, const char* secondName) {
    nlohmann::ordered_json j = nlohmann::ordered_json::object();
    for (const FieldChange& c : changes) {
        const ConfigField* f = FindConfigField(c.field);
        // Numbers as numbers, as show --json gives them.
        auto value = [&](const std::string& text) {
            bool number = f && f->kind == FieldKind::kNumber && !text.empty() &&
                          text.find_first_not_of("0123456789") == std::string::npos;
            return number ? nlohmann::ordered_json(std::stoul(text)) : nlohmann::ordered_json(text);
        };
        if (c.hidden)
            j[c.field] = "differs";
        else
            j[c.field] = {{firstName, value(c.before)}, {secondName, value(c.after)}};
    }
    return j;
}
