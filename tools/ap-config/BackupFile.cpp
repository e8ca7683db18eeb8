#include "BackupFile.h"

#include "ConfigFields.h"
#include "Console.h"
#include "Sha256.h"
#include "device/ConfigFieldTable.h"
#include "platform/HexText.h"
#include "platform/WholeFile.h"

#include <algorithm>
#include <cctype>
#include <ctime>
#include <nlohmann/json.hpp>

namespace {
const char kFormat[] = "ap-config backup";

std::string UtcNow() {
    std::time_t now = std::time(nullptr);
    std::tm tm{};
#ifdef _WIN32
    gmtime_s(&tm, &now);
#else
    gmtime_r(&now, &tm);
#endif
    char text[32];
    std::strftime(text, sizeof(text), "%Y-%m-%dT%H:%M:%SZ", &tm);
    return text;
}

std::string MacOf(const BYTE* block) {
    ConfigImage image;
    std::copy(block, block + kImageReadLength, image.Bytes());
    return ConfigFields::Text(image, "macAddress", "");
}

std::string Lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

const char* TypeName(const nlohmann::json& j) {
    return j.is_string()    ? "a text"
           : j.is_boolean() ? "true or false"
           : j.is_number()  ? "a number"
           : j.is_null()    ? "null"
           : j.is_array()   ? "a list"
                            : "an object";
}
} // namespace

BackupFile BackupFile::FromImage(const ConfigImage& image, const std::string& firmware,
                                 bool withPasswords) {
    BackupFile b;
    std::copy(image.Bytes(), image.Bytes() + kImageReadLength, b.block.begin());
    if (!withPasswords)
        for (const ConfigField& f : ConfigFieldTable())
            if (f.Is(kFieldSecret))
                std::fill_n(b.block.begin() + f.offset, f.width, 0);
    b.passwords = b.HoldsPasswords();
    b.firmwareVersion = firmware;
    b.macAddress = MacOf(b.block.data());
    b.date = UtcNow();
    return b;
}

std::string BackupFile::ToJson() const {
    nlohmann::ordered_json j;
    j["format"] = kFormat;
    j["version"] = kVersion;
    j["date"] = date;
    j["firmwareVersion"] = firmwareVersion;
    j["macAddress"] = macAddress;
    j["passwords"] = passwords;
    j["configuration"] = HexText::Of(block.data(), block.size());
    j["sha256"] = Sha256::Hex(block.data(), block.size());
    return j.dump(2) + "\n";
}

bool BackupFile::Parse(const std::string& text, std::string* why) {
    nlohmann::json j = nlohmann::json::parse(text, nullptr, false);
    if (j.is_discarded() || !j.is_object()) {
        *why = "not a JSON object";
        return false;
    }
    // An entry of the wrong type is named as such; a missing one as missing.
    auto entry = [&](const char* key, bool required, bool (nlohmann::json::*is)() const,
                     const char* wanted) -> const nlohmann::json* {
        auto it = j.find(key);
        if (it == j.end()) {
            if (required)
                *why = std::string("the entry \"") + key + "\" is missing";
            return nullptr;
        }
        if (!((*it).*is)()) {
            *why = std::string("the entry \"") + key + "\" is " + TypeName(*it) + ", not " + wanted;
            return nullptr;
        }
        return &*it;
    };
    auto textEntry = [&](const char* key, bool required, std::string* out) {
        why->clear();
        const nlohmann::json* e = entry(key, required, &nlohmann::json::is_string, "a text");
        if (e)
            *out = e->get<std::string>();
        return why->empty();
    };
    std::string format, hex, digest;
    if (!textEntry("format", true, &format))
        return false;
    if (format != kFormat) {
        *why = "not an ap-config backup (format \"" + ConfigFields::Excerpt(format) + "\")";
        return false;
    }
    why->clear();
    const nlohmann::json* version =
        entry("version", true, &nlohmann::json::is_number_integer, "a whole number");
    if (!version)
        return false;
    if (*version != kVersion) {
        *why = "version " + version->dump() + " of the backup format is not known (this " +
               "ap-config reads version " + std::to_string(kVersion) + ")";
        return false;
    }
    if (!textEntry("configuration", true, &hex) || !textEntry("sha256", true, &digest) ||
        !textEntry("macAddress", true, &macAddress) ||
        !textEntry("firmwareVersion", false, &firmwareVersion) || !textEntry("date", false, &date))
        return false;
    // The entry lies outside the digest: the block's own password bytes say whether it holds
    // them (a backup taken without them has them as zero bytes), and the entry, which older
    // backups lack, must agree with them.
    const nlohmann::json* p =
        entry("passwords", false, &nlohmann::json::is_boolean, "true or false");
    if (!p && !why->empty())
        return false;
    std::vector<BYTE> bytes;
    if (hex.size() != 2 * block.size() || !HexText::Parse(hex, &bytes)) {
        *why = "the configuration is not " + std::to_string(block.size()) + " bytes in hexadecimal";
        return false;
    }
    std::copy(bytes.begin(), bytes.end(), block.begin());
    if (Sha256::Hex(block.data(), block.size()) != Lower(digest)) {
        *why = "the SHA-256 of the configuration does not match: the file is damaged";
        return false;
    }
    passwords = HoldsPasswords();
    if (p && p->get<bool>() != passwords) {
        *why = std::string("the entry \"passwords\" says ") + (passwords ? "false" : "true") +
               " but the configuration holds " + (passwords ? "passwords" : "none");
        return false;
    }
    if (MacOf(block.data()) != Lower(macAddress)) {
        *why = "the macAddress entry is not the configuration's own";
        return false;
    }
    return true;
}

bool BackupFile::Load(const std::string& path, std::string* why) {
    std::string text, error;
    const std::string name = Console::InputName(path);
    if (!Console::ReadFileOrInput(path, kLargestFile, "a backup", &text, &error)) {
        *why = "cannot read " + name + ": " + error;
        return false;
    }
    if (!Parse(text, why)) {
        *why = name + ": " + *why;
        return false;
    }
    return true;
}

bool BackupFile::HoldsPasswords() const {
    return std::any_of(
        ConfigFieldTable().begin(), ConfigFieldTable().end(), [&](const ConfigField& f) {
            return f.Is(kFieldSecret) &&
                   std::any_of(block.begin() + f.offset, block.begin() + f.offset + f.width,
                               [](BYTE b) { return b != 0; });
        });
}

ConfigImage BackupFile::RestoredOver(const ConfigImage& current, bool withPassword) const {
    ConfigImage restored = current;
    std::copy(block.begin(), block.begin() + kConfigBlockLength, restored.Bytes());
    for (const ConfigField& f : ConfigFieldTable()) {
        bool login = std::string(ReportedName(f)) == "password";
        if (ConfigFields::KeptByRestore(f) && !(login && withPassword))
            std::copy_n(current.Bytes() + f.offset, f.width, restored.Bytes() + f.offset);
    }
    return restored;
}
