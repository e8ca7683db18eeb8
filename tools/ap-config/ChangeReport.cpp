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
        if (c.hidden)
            j[c.field] = "differs";
        else
            j[c.field] = {{firstName, c.before}, {secondName, c.after}};
    }
    return j;
}
