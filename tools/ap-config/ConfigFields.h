#pragma once

#include "device/ConfigFieldTable.h"
#include "device/ConfigImage.h"
#include "device/WepKeyTable.h"

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

// One FIELD=VALUE of a set command.
struct Assignment {
    std::string field;
    std::string value;
};

// A field that differs between two configurations, in show's words.
struct FieldChange {
    std::string field;
    std::string before, after; // UTF-8
    bool hidden = false;       // a password or a reserved stretch: only that it differs
};

// One row of the field reference (the manual page's FIELDS): the name or names, and the
// values they take in words, literal values in `backquotes`.
struct FieldReference {
    std::string names;
    bool settable;
    std::string values;
};

// The fields of the configuration image by their names, in the pages' words: shown, parsed
// with the pages' rules and stored as the pages store them. Everything here walks the one
// table of the block (device/ConfigFieldTable.h).
class ConfigFields {
public:
    // Every name show prints, in show order, with the key slots as one "wepKeys" and the
    // read-only firmwareVersion.
    static const std::vector<std::string>& Names();
    // A name that get accepts: one of Names(), or a key slot's.
    static bool Known(const std::string& name);
    // A name that set accepts.
    static bool Writable(const std::string& name);
    // The writable names, for messages.
    static std::string WritableList();

    // The values the shell completion offers after FIELD= of a settable field: a list's words
    // (the channels as the numbers some regulation domain offers), a range's ends; none for
    // a text, an address or hexadecimal bytes.
    static std::vector<std::string> ValueWords(const std::string& name);
    // Every field of show with the values set takes, from the same table and words as set's
    // rules, in show order (the key slots as one row).
    static std::vector<FieldReference> Reference();

    // A field's value as text for a terminal (UTF-8; control bytes as \xNN); wepKeys gives
    // one line per key.
    static std::string Text(const ConfigImage& image, const std::string& name,
                            const std::string& firmware);
    // show's lines: every shown field by its own name (the key slots one by one) with its
    // Text, the firmware version in its place.
    static std::vector<std::pair<std::string, std::string>> ShownLines(const ConfigImage& image,
                                                                       const std::string& firmware);
    // The same for JSON, which escapes by itself; the numbers as numbers.
    static nlohmann::ordered_json Json(const ConfigImage& image, const std::string& name,
                                       const std::string& firmware);
    // JSON as ap-config prints it: indented, and 0x7F escaped too (JSON escapes the bytes
    // below 0x20 by itself), so no control byte of a device text reaches a terminal.
    static std::string JsonText(const nlohmann::ordered_json& json);
    // Bytes below 0x20 and 0x7F as \xNN, everything else as it is.
    static std::string Escaped(const std::string& text);

    // Whether any assignment touches the keys (wepType or a key), which then need the key
    // table as the dialogs hold it.
    static bool TouchesKeys(const std::vector<Assignment>& assignments);

    // Checks every assignment against the image's rules and, when all pass, stores them
    // into image (keys through table, as the Encryption page collects a key group).
    // Returns the refusals, one text each; nothing is stored when there is any.
    static std::vector<std::string> Apply(ConfigImage& image, WepKeyTable& table,
                                          const std::vector<Assignment>& assignments, bool clamp);
    // Checks every settable field that image holds with the rules of set, in the image's
    // regulation domain (what a restore is about to write). With clamp the numbers are
    // corrected in image as set --clamp corrects them. Returns the refusals.
    static std::vector<std::string> CheckStored(ConfigImage& image, bool clamp);

    // The names of the fields whose bytes differ in the configuration blocks (bytes 0..347).
    static std::vector<std::string> Differences(const BYTE* a, const BYTE* b);
    // The fields that differ from before to after, in show order, then the reserved
    // stretches; the passwords only when comparePasswords, and then without their bytes.
    // The fields each access point keeps as its own (MAC address, regulation domain) are
    // left out unless compareOwn.
    static std::vector<FieldChange> Changes(const ConfigImage& before, const ConfigImage& after,
                                            bool comparePasswords, bool compareOwn = false);

    // Key bytes of the active WEP type as hexadecimal text: 5 or 13 bytes of slot k (0..3);
    // with WEP disabled the whole slot.
    static std::string KeyHex(const ConfigImage& image, int slot);
    // Whether a restore keeps the attached access point's own value of the field (its MAC
    // address, regulation domain and passwords) rather than the backup's.
    static bool KeptByRestore(const ConfigField& field);
};
