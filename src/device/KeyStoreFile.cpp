#include "KeyStoreFile.h"

#include "platform/HexText.h"
#include "platform/Profile.h"
#include "platform/SystemText.h"
#include "platform/WholeFile.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

namespace {

const char kFileName[] = "OEM.tmp";
const char kSection[] = "OEM";
const char kPhrase[] = "NoPeeking!NoPeeking!NoPeeking!NoPeeking!";
constexpr size_t kPhraseLength = 40;
constexpr DWORD kValueBufferSize = 2000;
#ifdef _WIN32
const char kSeparator = '\\';
#else
const char kSeparator = '/';
#endif

std::string g_folder; // "" for the working folder

// The name the profile service takes: ".\\OEM.tmp" is the file in the working folder.
std::string ProfilePath() {
    return g_folder.empty() ? std::string(".\\") + kFileName : KeyFilePath();
}

std::string MacText(const ConfigImage& image) {
    auto mac = image.MacAddress();
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
bool WriteEntries(const ConfigImage& image, const WepKeyTable& table) {
    CProfileBatch file(ProfilePath().c_str());
    WriteEntry(file, 0, MacText(image));
    for (int k = 0; k < WepKeyTable::kKeys; ++k)
        WriteEntry(file, k + 1,
                   ScrambleKeyText(HexText::Of(table.keys64[k], WepKeyTable::kKey64Size)));
    for (int k = 0; k < WepKeyTable::kKeys; ++k)
        WriteEntry(file, k + 5,
                   ScrambleKeyText(HexText::Of(table.keys128[k], WepKeyTable::kKey128Size)));
    return file.Commit() != FALSE;
}

// A missing file is created with its one line, as a text-mode write on Windows gives it,
// private to its user from the start (the keys are only obscured in it). Nothing is created
// through a link that leads nowhere, nor over anything that is not a regular file.
bool CreateWhenMissing() {
    wholefile::Kind kind = wholefile::KindOf(KeyFilePath());
    if (kind == wholefile::Kind::kRegular)
        return true;
    if (kind != wholefile::Kind::kMissing)
        return false;
    if (!g_folder.empty() && !wholefile::MakeFolders(g_folder))
        return false;
    wholefile::Attributes privateFile;
    privateFile.mode = 0600;
    privateFile.exactMode = true;
    return wholefile::Replace(KeyFilePath(), "[OEM]\r\n", privateFile, nullptr) ==
           wholefile::Replaced::kDone;
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

void SetKeyFileFolder(const std::string& folder) {
    g_folder = folder;
}

std::string KeyFilePath() {
    if (g_folder.empty())
        return kFileName;
    std::string path = g_folder;
    if (path.back() != kSeparator && path.back() != '/')
        path += kSeparator;
    return path + kFileName;
}

std::string MenuKeyFileFolder() {
    std::string folder;
#ifdef _WIN32
    if (systemtext::Environment("LOCALAPPDATA", &folder) && !folder.empty())
        return folder + "\\ap-utility";
    return {};
#else
    if (systemtext::Environment("XDG_DATA_HOME", &folder) && folder[0] == '/')
        return folder + "/ap-utility";
    if (systemtext::Environment("HOME", &folder) && !folder.empty())
        return folder + "/.local/share/ap-utility";
    return {};
#endif
}

KeyFileState KeyFileStateOf(const ConfigImage& image) {
    switch (wholefile::KindOf(KeyFilePath())) {
    case wholefile::Kind::kMissing:
        return KeyFileState::kMissing;
    case wholefile::Kind::kRegular:
        break;
    default:
        return KeyFileState::kUnusable;
    }
    // Keys anyone may have put there are never taken, nor written over.
    if (!wholefile::OwnedAlone(KeyFilePath()))
        return KeyFileState::kNotOwn;
    // There but unreadable: rebuilding it would empty it. A limit of 0 reads one byte at
    // most: kTooLarge is a readable file with something in it.
    std::string firstByte;
    wholefile::Got got = wholefile::Read(KeyFilePath(), 0, true, &firstByte, nullptr);
    if (got != wholefile::Got::kDone && got != wholefile::Got::kTooLarge)
        return KeyFileState::kUnusable;
    CProfileBatch file(ProfilePath().c_str());
    return ReadEntry(file, "0", "000000000000") == MacText(image) ? KeyFileState::kThisDevice
                                                                  : KeyFileState::kOtherDevice;
}

bool KeyFileMatchesDevice(const ConfigImage& image) {
    return KeyFileStateOf(image) == KeyFileState::kThisDevice;
}

bool WriteKeyFileFromImage(const ConfigImage& image) {
    WepKeyTable table;
    KeyTableFromImage(image, table);
    return SaveKeyFile(image, table);
}

bool SaveKeyFile(const ConfigImage& image, const WepKeyTable& table) {
    return CreateWhenMissing() && WriteEntries(image, table);
}

void KeyTableFromImage(const ConfigImage& image, WepKeyTable& table) {
    for (int k = 0; k < WepKeyTable::kKeys; ++k) {
        for (int j = 0; j < WepKeyTable::kKey64Size; ++j)
            table.keys64[k][j] = image.WepKeyByte(k, j);
        for (int j = 0; j < WepKeyTable::kKey128Size; ++j)
            table.keys128[k][j] = image.WepKeyByte(k, j);
    }
}

int ActiveKeySize(BYTE wepType) {
    return wepType == 1 ? WepKeyTable::kKey64Size : wepType == 2 ? WepKeyTable::kKey128Size : 0;
}

void StoreKeyGroup(ConfigImage& image, const WepKeyTable& table, int size) {
    for (int k = 0; k < WepKeyTable::kKeys; ++k)
        for (int j = 0; j < size; ++j)
            image.SetWepKeyByte(
                k, j, size == WepKeyTable::kKey64Size ? table.keys64[k][j] : table.keys128[k][j]);
}

void TakeFactorySettings(ConfigImage& image, const ConfigImage& factory, WepKeyTable& table) {
    std::string password = image.PasswordText();
    image = factory;
    for (int k = 0; k < WepKeyTable::kKeys; ++k) {
        std::memset(table.keys64[k], 0x11 * (k + 1), WepKeyTable::kKey64Size);
        std::memset(table.keys128[k], 0x11 * (k + 1), WepKeyTable::kKey128Size);
    }
    image.SetPassword(password);
}

void LoadKeyFile(WepKeyTable& table) {
    CProfileBatch file(ProfilePath().c_str());
    for (int k = 0; k < WepKeyTable::kKeys; ++k) {
        std::string entry = std::to_string(k + 1);
        std::string text = UnscrambleKeyText(ReadEntry(file, entry.c_str(), "0000000000"));
        BYTE bytes[WepKeyTable::kKey64Size] = {};
        ParseKeyText(text, bytes, WepKeyTable::kKey64Size);
        std::memcpy(table.keys64[k], bytes, sizeof(bytes));
    }
    for (int k = 0; k < WepKeyTable::kKeys; ++k) {
        std::string entry = std::to_string(k + 5);
        std::string text =
            UnscrambleKeyText(ReadEntry(file, entry.c_str(), "00000000000000000000000000"));
        BYTE bytes[WepKeyTable::kKey128Size] = {};
        ParseKeyText(text, bytes, WepKeyTable::kKey128Size);
        std::memcpy(table.keys128[k], bytes, sizeof(bytes));
    }
}

void SyncKeyFile(const ConfigImage& image, WepKeyTable& table) {
    bool written = false;
    switch (KeyFileStateOf(image)) {
    case KeyFileState::kThisDevice:
        written = true;
        break;
    case KeyFileState::kMissing:
    case KeyFileState::kOtherDevice:
        written = WriteKeyFileFromImage(image);
        break;
    case KeyFileState::kNotOwn:
    case KeyFileState::kUnusable:
        break;
    }
    // A file that cannot be written (a read-only folder, a full disk) must not leave the
    // table with another access point's keys: it takes the access point's own slots.
    if (written)
        LoadKeyFile(table);
    else
        KeyTableFromImage(image, table);
}

void SyncKeyFile() {
    if (g_pConfigImage)
        SyncKeyFile(*g_pConfigImage, g_wepKeyTable);
}

bool SaveKeyFile() {
    return SaveKeyFile(*g_pConfigImage, g_wepKeyTable);
}

bool WriteKeyFileFromImage() {
    return WriteKeyFileFromImage(*g_pConfigImage);
}

void LoadKeyFile() {
    LoadKeyFile(g_wepKeyTable);
}

bool KeyFileMatchesDevice() {
    return KeyFileMatchesDevice(*g_pConfigImage);
}
