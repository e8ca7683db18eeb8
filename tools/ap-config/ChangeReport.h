#pragma once

#include "ConfigFields.h"

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

// The fields that differ between two configurations as diff and --dry-run show them: one
// line a field in show's words, the first value then the second; a password or a reserved
// stretch only as "differs", never its bytes.
class ChangeReport {
public:
    static std::string Text(const std::vector<FieldChange>& changes);
    // {"field": {firstName: ..., secondName: ...}, "password": "differs", ...}
    static nlohmann::ordered_json Json(const std::vector<FieldChange>& changes,
                                       const char* firstName, const char* secondName);
};
