#pragma once

#include "ConfigImage.h"
#include "WepKeyTable.h"

#include <string>

// The local key file "OEM.tmp": the WEP key table kept between runs, tied to the access
// point by its MAC address, key values scrambled. The one owner of the file for the dialogs
// and ap-config alike. Every operation takes the image and the key table it works on; the
// dialogs' argument-free forms pass g_pConfigImage and g_wepKeyTable. Nothing here reports
// to the user.

// The folder that holds the file: the working folder (the default, "") or the one given.
void SetKeyFileFolder(const std::string& folder);
// The file's name as messages give it: "OEM.tmp" in the working folder, else the full path.
std::string KeyFilePath();
// The folder the installed menu entry runs the utility in, and so keeps its key file in:
// $XDG_DATA_HOME/ap-utility (~/.local/share/ap-utility) on Linux, %LOCALAPPDATA%\ap-utility
// on Windows. Empty when the environment names no such folder.
std::string MenuKeyFileFolder();

// What stands at the file's name, measured against the image's access point.
enum class KeyFileState {
    kMissing,     // nothing: it is created from the access point's own slots
    kThisDevice,  // a file whose entry "0" is this access point's MAC address
    kOtherDevice, // a file of another access point (or none named): rebuilt by the dialogs
    kNotOwn,      // a file another user owns, or others may write (POSIX): never read, never
                  // written, as a backup's target is refused
    kUnusable,    // a pipe, device, folder, unreadable file or a link leading nowhere: never
                  // opened, never created through
};
KeyFileState KeyFileStateOf(const ConfigImage& image);

// Brings the file in line with image's access point and loads table from it; when it cannot
// (an unusable file, a full disk) the table takes the access point's slots.
void SyncKeyFile(const ConfigImage& image, WepKeyTable& table);
// Stores table (and image's MAC address) in the file, creating it (private to its user)
// when missing.
bool SaveKeyFile(const ConfigImage& image, const WepKeyTable& table);
// Stores image's own key slots (and MAC address) in the file.
bool WriteKeyFileFromImage(const ConfigImage& image);
// Loads table from the file.
void LoadKeyFile(WepKeyTable& table);
// Whether the file's entry "0" is image's MAC address.
bool KeyFileMatchesDevice(const ConfigImage& image);

// The dialogs' forms: the same over g_pConfigImage and g_wepKeyTable.
void SyncKeyFile();
bool SaveKeyFile();
bool WriteKeyFileFromImage();
void LoadKeyFile();
bool KeyFileMatchesDevice();

// The key table a freshly built file gives: both groups from the image's key slots.
void KeyTableFromImage(const ConfigImage& image, WepKeyTable& table);
// The key size of a WEP type: 5 (64-bit), 13 (128-bit), or 0 (disabled or unknown).
int ActiveKeySize(BYTE wepType);
// Copies the table's group of that key size (5 or 13) into bytes 0..size-1 of the slots,
// as choosing a WEP type or editing a key does.
void StoreKeyGroup(ConfigImage& image, const WepKeyTable& table, int size);

// "Default": the factory configuration over image, keeping the login password the image
// held, and the key table's default keys (every byte of key k 0x11 * k, k = 1..4).
void TakeFactorySettings(ConfigImage& image, const ConfigImage& factory, WepKeyTable& table);

std::string ScrambleKeyText(const std::string& text);
std::string UnscrambleKeyText(const std::string& text);

// Reads up to count two-digit hexadecimal numbers from text, skipping blanks before each;
// stops at the first character that is not a hexadecimal digit. Returns how many were read.
int ParseKeyText(const std::string& text, unsigned char* bytes, int count);
