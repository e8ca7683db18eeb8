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

// What a comparison of two configurations takes in besides the settable fields.
enum CompareFlags : unsigned {
    kCompareSettable = 0,
    kComparePasswords = 1u << 0, // the passwords, only as "differs"
    kCompareOwn = 1u << 1,       // the unit's own values (MAC address, regulation domain)
};

// What set does with a number out of its range: refuses it, or corrects it as the Advanced
// page does (--clamp).
enum class NumberRule { kRefuse, kClamp };

// One row of the field reference (the manual page's FIELDS): the name or names, and the
// values they take in words, literal values in `backquotes`.
struct FieldReference {
    std::string names;
    bool settable;
    std::string values;
};

// The fields of the configuration image by their names, in the pages' words: shown
// (FieldRender.cpp), parsed with the pages' rules and stored as the pages store them
// (FieldParse.cpp), compared (FieldCompare.cpp) and described for the manual page
// (FieldReference.cpp); the names in FieldNames.cpp. Everything here walks the one table of
// the block (device/ConfigFieldTable.h).
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
    // The rules the reference gives once for every field (words and numbers of lists,
    // hexadecimal bytes), `literal` words in backquotes.
    static std::string ReferenceRules();

    // A field's value as text for a terminal (UTF-8; control bytes as \xNN); wepKeys gives
    // one line per key.
    static std::string Text(const ConfigImage& image, const std::string& name,
                            const std::string& firmware);
    // show's lines: every shown field by its own name (the key slots one by one) with its
    // Text, the firmware version in its place.
    static std::vector<std::pair<std::string, std::string>> ShownLines(const ConfigImage& image,
                                                                       const std::string& firmware);
    // A field's value in the pages' words, as UTF-8 and not escaped.
    static std::string ValueText(const ConfigImage& image, const ConfigField& field);
    // The same for JSON, which escapes by itself; the numbers as numbers.
    static nlohmann::ordered_json Json(const ConfigImage& image, const std::string& name,
                                       const std::string& firmware);
    // JSON as ap-config prints it: indented, and 0x7F escaped too (JSON escapes the bytes
    // below 0x20 by itself), so no control byte of a device text reaches a terminal.
    static std::string JsonText(const nlohmann::ordered_json& json);
    // The one escaping rule of every text ap-config prints: bytes below 0x20 and 0x7F, and
    // the C1 controls (U+0080 to U+009F), as \xNN; everything else as it is.
    static std::string Escaped(const std::string& text);
    // A text from the user's input as a message quotes it: escaped, and cut after 60 bytes
    // ("..." and how long it was), never in the middle of a character.
    static std::string Excerpt(const std::string& text);

    // Adds the assignment to list when set takes it: a field that can be set, not in list
    // yet. Otherwise the refusal (the name cut and escaped), and list is left as it was.
    static std::string Admit(std::vector<Assignment>& list, const Assignment& assignment);

    // Whether any assignment touches the keys (wepType or a key), which then need the key
    // table as the dialogs hold it.
    static bool TouchesKeys(const std::vector<Assignment>& assignments);

    // Checks every assignment against the image's rules and, when all pass, stores them
    // into image (keys through table, as the Encryption page collects a key group).
    // Returns the refusals, one text each; nothing is stored when there is any.
    static std::vector<std::string> Apply(ConfigImage& image, WepKeyTable& table,
                                          const std::vector<Assignment>& assignments,
                                          NumberRule numbers);
    // Checks every settable field that image holds with the rules of set, in the image's
    // regulation domain (what a restore is about to write). With kClamp the numbers are
    // corrected in image as set --clamp corrects them. Returns the refusals.
    static std::vector<std::string> CheckStored(ConfigImage& image, NumberRule numbers);

    // The names of the fields whose bytes differ in the configuration blocks (bytes 0..347).
    static std::vector<std::string> Differences(const BYTE* a, const BYTE* b);
    // The fields that differ from before to after, in show order, then the reserved
    // stretches; the passwords with kComparePasswords, and then without their bytes; the
    // fields each access point keeps as its own (MAC address, regulation domain) with
    // kCompareOwn.
    static std::vector<FieldChange> Changes(const ConfigImage& before, const ConfigImage& after,
                                            unsigned compareFlags);

    // Key bytes of the active WEP type as hexadecimal text: 5 or 13 bytes of slot k (0..3);
    // with WEP disabled the whole slot.
    static std::string KeyHex(const ConfigImage& image, int slot);
    // Whether a restore keeps the attached access point's own value of the field (its MAC
    // address, regulation domain and passwords) rather than the backup's.
    static bool KeptByRestore(const ConfigField& field);
};
