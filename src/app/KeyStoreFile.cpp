#include "KeyStoreFile.h"

#include "device/ConfigImage.h"
#include "device/HexText.h"
#include "device/WepKeyTable.h"
#include "platform/Profile.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace {

const char kFileName[] = "OEM.tmp";
const char kProfilePath[] = ".\\OEM.tmp";
const char kSection[] = "OEM";
const char kPhrase[] = "NoPeeking!NoPeeking!NoPeeking!NoPeeking!";
constexpr size_t kPhraseLength = 40;
constexpr DWORD kValueBufferSize = 2000;

std::string MacText() {
    auto mac = g_pConfigImage->MacAddress();
    return HexText::Of(mac.data(), 6);
}

// The file's entries are read and written in runs (the nine entries at once), so that a
// large file is read and written once per run, not once per entry.
std::string ReadEntry(CProfileBatch& file, const char* entry, const char* defaultText) {
    char buffer[kValueBufferSize];
    file.GetString(kSection, entry, defaultText, buffer, sizeof(buffer));
    return buffer;
}

void WriteEntry(CProfileBatch& file, int entry, const std::string& value) {
    std::string name = std::to_string(entry);
    file.WriteString(kSection, name.c_str(), value.c_str());
}

// Writes entries "0" to "8": the MAC address, then the 64-bit and the 128-bit keys.
bool WriteEntries(const BYTE (*keys64)[WepKeyTable::kKey64Size],
                  const BYTE (*keys128)[WepKeyTable::kKey128Size]) {
    CProfileBatch file(kProfilePath);
    WriteEntry(file, 0, MacText());
    for (int k = 0; k < WepKeyTable::kKeys; ++k)
        WriteEntry(file, k + 1, ScrambleKeyText(HexText::Of(keys64[k], WepKeyTable::kKey64Size)));
    for (int k = 0; k < WepKeyTable::kKeys; ++k)
        WriteEntry(file, k + 5, ScrambleKeyText(HexText::Of(keys128[k], WepKeyTable::kKey128Size)));
    return file.Commit() != FALSE;
}

// The key table as a freshly built file would give it: the access point's own key slots.
void LoadTableFromImage() {
    for (int k = 0; k < WepKeyTable::kKeys; ++k) {
        for (int j = 0; j < WepKeyTable::kKey64Size; ++j)
            g_wepKeyTable.keys64[k][j] = g_pConfigImage->WepKeyByte(k, j);
        for (int j = 0; j < WepKeyTable::kKey128Size; ++j)
            g_wepKeyTable.keys128[k][j] = g_pConfigImage->WepKeyByte(k, j);
    }
}

} // namespace

std::string ScrambleKeyText(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size() && i < kPhraseLength; ++i) {
        char c = static_cast<char>(static_cast<unsigned char>(text[i]) +
                                   static_cast<unsigned char>(kPhrase[i]));
        if (c == '\0')
            break;
        out += c;
    }
    return out;
}

std::string UnscrambleKeyText(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size() && i < kPhraseLength; ++i) {
        char c = static_cast<char>(static_cast<unsigned char>(text[i]) -
                                   static_cast<unsigned char>(kPhrase[i]));
        if (c == '\0')
            break;
        out += c;
    }
    return out;
}

int ParseKeyText(const std::string& text, unsigned char* bytes, int count) {
    size_t pos = 0;
    for (int n = 0; n < count; ++n)
        if (!HexText::ScanByte(text, &pos, &bytes[n]))
            return n;
    return count;
}

bool KeyFileMatchesDevice() {
    CProfileBatch file(kProfilePath);
    return ReadEntry(file, "0", "000000000000") == MacText();
}

bool WriteKeyFileFromImage() {
    BYTE keys64[WepKeyTable::kKeys][WepKeyTable::kKey64Size];
    BYTE keys128[WepKeyTable::kKeys][WepKeyTable::kKey128Size];
    for (int k = 0; k < WepKeyTable::kKeys; ++k) {
        for (int j = 0; j < WepKeyTable::kKey64Size; ++j)
            keys64[k][j] = g_pConfigImage->WepKeyByte(k, j);
        for (int j = 0; j < WepKeyTable::kKey128Size; ++j)
            keys128[k][j] = g_pConfigImage->WepKeyByte(k, j);
    }
    return WriteEntries(keys64, keys128);
}

bool SaveKeyFile() {
    return WriteEntries(g_wepKeyTable.keys64, g_wepKeyTable.keys128);
}

void LoadKeyFile() {
    CProfileBatch file(kProfilePath);
    for (int k = 0; k < WepKeyTable::kKeys; ++k) {
        std::string entry = std::to_string(k + 1);
        std::string text = UnscrambleKeyText(ReadEntry(file, entry.c_str(), "0000000000"));
        BYTE bytes[WepKeyTable::kKey64Size] = {};
        ParseKeyText(text, bytes, WepKeyTable::kKey64Size);
        std::memcpy(g_wepKeyTable.keys64[k], bytes, sizeof(bytes));
    }
    for (int k = 0; k < WepKeyTable::kKeys; ++k) {
        std::string entry = std::to_string(k + 5);
        std::string text =
            UnscrambleKeyText(ReadEntry(file, entry.c_str(), "00000000000000000000000000"));
        BYTE bytes[WepKeyTable::kKey128Size] = {};
        ParseKeyText(text, bytes, WepKeyTable::kKey128Size);
        std::memcpy(g_wepKeyTable.keys128[k], bytes, sizeof(bytes));
    }
}

void SyncKeyFile() {
    if (!g_pConfigImage)
        return;
    bool written = true;
    // Only a file is opened: a named pipe in its place would hold the utility in its open.
    std::error_code error;
    auto type = std::filesystem::status(kFileName, error).type();
    FILE* f = type == std::filesystem::file_type::regular ? std::fopen(kFileName, "r") : nullptr;
    // A link that leads nowhere is not missing: creating the file through it would put one
    // wherever the link points.
    bool missing = type == std::filesystem::file_type::not_found &&
                   std::filesystem::symlink_status(kFileName, error).type() ==
                       std::filesystem::file_type::not_found;
    if (f) {
        std::fclose(f);
        if (!KeyFileMatchesDevice())
            written = WriteKeyFileFromImage();
    } else if (!missing) {
        // There but unreadable: creating it afresh would empty it.
        written = false;
    } else if (FILE* created = std::fopen(kFileName, "wb")) {
        // The one line as a text-mode write on Windows gives it, on every platform.
        bool ok = std::fputs("[OEM]\r\n", created) >= 0;
        ok = std::fclose(created) == 0 && ok;
        written = ok && WriteKeyFileFromImage();
    } else {
        written = false;
    }
    // A file that cannot be written (a read-only folder, a full disk) must not leave the
    // table with another access point's keys: it takes the access point's own slots.
    if (written)
        LoadKeyFile();
    else
        LoadTableFromImage();
}
