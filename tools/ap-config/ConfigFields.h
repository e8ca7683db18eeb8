#pragma once

#include "device/WepKeyTable.h"
#include "device/ConfigImage.h"

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

// One FIELD=VALUE of a set command.
struct Assignment {
    std::string field;
    std::string value;
};

// The fields of the configuration image by their names, in the pages' words: shown, parsed
// with the pages' rules and stored as the pages store them.
class ConfigFields {
public:
    // Every field name in show order, including the read-only firmwareVersion,
    // regulationDomain and macAddress.
    static const std::vector<std::string>& Names();
    // A name that get accepts: one of Names(), or wepKey1 .. wepKey4.
    static bool Known(const std::string& name);
    // A name that set accepts.
    static bool Writable(const std::string& name);
    // The writable names, for messages.
    static std::string WritableList();

    // A field's value as text (UTF-8); wepKeys gives one line per key.
    static std::string Text(const ConfigImage& image, const std::string& name,
                            const std::string& firmware);
    static nlohmann::ordered_json Json(const ConfigImage& image, const std::string& name,
                                       const std::string& firmware);

    // Whether any assignment touches the keys (wepType or a key), which then need the key
    // table as the dialogs hold it.
    static bool TouchesKeys(const std::vector<Assignment>& assignments);

    // Checks every assignment against the image's rules and, when all pass, stores them
    // into image (keys through table, as the Encryption page collects a key group).
    // Returns the refusals, one text each; nothing is stored when there is any.
    static std::vector<std::string> Apply(ConfigImage& image, WepKeyTable& table,
                                          const std::vector<Assignment>& assignments, bool clamp);

    // The names of the fields whose bytes differ in the configuration blocks (bytes 0..347).
    static std::vector<std::string> Differences(const BYTE* a, const BYTE* b);

    // Key bytes of the active WEP type as hexadecimal text: 5 or 13 bytes of slot k (0..3);
    // with WEP disabled the whole slot.
    static std::string KeyHex(const ConfigImage& image, int slot);
    // The bytes of a key slot's active size: 5, 13, or 0 with WEP disabled.
    static int ActiveKeySize(BYTE wepType);
};
