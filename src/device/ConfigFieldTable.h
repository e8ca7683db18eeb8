#pragma once

#include "ConfigLayout.h"
#include "ConfigWords.h"
#include "platform/Win32Types.h"

#include <cstddef>
#include <string>
#include <vector>

// What a field's bytes hold.
enum class FieldKind {
    kNumber,   // an unsigned little-endian number of the field's width
    kListWord, // a value of a list (little-endian), shown as the list's word
    kText,     // single-byte text, ended by a zero byte when shorter than the field
    kHexBytes, // bytes shown in hexadecimal (the MAC address, the preferred BSSID)
    kAddress,  // the four bytes of a dotted address
    kKeySlot,  // one of the four WEP key slots
    kReserved, // not interpreted; sent back exactly as read
};

// Which list a list word comes from.
enum class FieldList {
    kNone,
    kWords,      // the field's WordList
    kChannels,   // the channels of the regulation domain
    kRates,      // the rate list (stored with operationalRates)
    kModes,      // the operational modes
    kRegulation, // the regulation domains (never set)
};

// What a field is beyond its kind, as flags of one word.
enum FieldTrait : unsigned {
    kFieldSettable = 1u << 0, // set and restore take it from the user or a backup
    kFieldSecret = 1u << 1,   // a password or its length: never shown, kept from backups
    kFieldCounted = 1u << 2,  // a text whose length is the number field just before it (essid,
                              // passwords)
    kFieldUpperCase =
        1u << 3, // hexadecimal bytes shown in capitals (the Wireless page's BSSID edits)
};

// One field of the configuration block (bytes 0 to 347), at its place in the layout.
struct ConfigField : FieldPlace {
    const char* name; // the image field's name, as show prints it
    // The shown field this one belongs to (essidLength: essid), or null: a change of it is
    // reported under that name.
    const char* partOf;
    FieldKind kind;
    FieldList list;
    const WordList* words;      // FieldList::kWords
    const ThresholdRule* range; // the numbers a user sets: their range and correction
    unsigned traits;            // FieldTrait flags
    int showOrder;              // place in show (the pages' order), 0: not shown

    bool Is(unsigned trait) const { return (traits & trait) != 0; }
};

// The fields of the block in the order of their offsets, reserved stretches included, so
// that they cover bytes 0 to 347 without a gap.
const std::vector<ConfigField>& ConfigFieldTable();
// The field of that name, or null.
const ConfigField* FindConfigField(const std::string& name);
// The shown fields in show order (key slots in slot order).
std::vector<const ConfigField*> ShownConfigFields();
// The number of a counted text's length field, or of the field itself.
const ConfigField* LengthFieldOf(const ConfigField& text);
// The position (0..3) of a key slot among the key slots, or -1.
int KeySlotIndex(const ConfigField& field);
// The name a change of the field is reported under.
const char* ReportedName(const ConfigField& field);

// The firmware version comes with every read, outside the block; show puts it here.
constexpr int kFirmwareShowOrder = 23;

// A field's bytes read and written by its kind. Numbers and list words are little-endian
// over the field's width; a text is its bytes up to a zero byte (and, when counted, at most
// its length).
DWORD FieldNumber(const BYTE* block, const ConfigField& field);
void SetFieldNumber(BYTE* block, const ConfigField& field, DWORD value);
std::string FieldText(const BYTE* block, const ConfigField& field);
// Stores at most the field's width of text, a zero byte after a shorter one, and a counted
// text's length.
void SetFieldText(BYTE* block, const ConfigField& field, const std::string& text);

class ConfigImage;
// Whether a settable field's stored bytes are a value that set or a page could have stored
// there, so that storing its shown value again gives the same bytes: a value of its list (a
// channel of the image's regulation domain), a number within its range, a text of no control
// character (when counted: its length within the field, no zero byte within the length and
// one after a shorter text), the rate mode with its rates word as the rate list stores it.
// Addresses, hexadecimal bytes and key slots hold any bytes. *why says what is wrong.
bool StoresSettableValue(const ConfigImage& image, const ConfigField& field, std::string* why);
