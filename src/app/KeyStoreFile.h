#pragma once

#include <string>

// The local key file "OEM.tmp" in the working folder: the WEP key table kept between runs,
// tied to the access point by its MAC address, key values scrambled. All operations act on
// the current image and g_wepKeyTable and report nothing to the user.

// Brings the file in line with the attached access point and loads the key table from it.
void SyncKeyFile();
// Stores the key table (and the access point's MAC address) in the file.
bool SaveKeyFile();
// Stores the access point's own key slots (and MAC address) in the file.
bool WriteKeyFileFromImage();
// Loads the key table from the file.
void LoadKeyFile();
// Whether the file's entry "0" is the access point's MAC address.
bool KeyFileMatchesDevice();

std::string ScrambleKeyText(const std::string& text);
std::string UnscrambleKeyText(const std::string& text);

// Reads up to count two-digit hexadecimal numbers from text, skipping blanks before each;
// stops at the first character that is not a hexadecimal digit. Returns how many were read.
int ParseKeyText(const std::string& text, unsigned char* bytes, int count);
