#include "BackupFile.h"

#include "ConfigFields.h"
#include "Sha256.h"

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
    std::copy(block, block + 14, image.Bytes());
    return ConfigFields::Text(image, "macAddress", "");
}
} // namespace

BackupFile BackupFile::FromImage(const ConfigImage& image, const std::string& firmware) {
    BackupFile b;
    std::copy(image.Bytes(), image.Bytes() + kImageReadLength, b.block.begin());
    b.firmwareVersion = firmware;
    b.macAddress = MacOf(b.block.data());
    b.date = UtcNow();
    return b;
}

std::string BackupFile::ToJson() const {
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (BYTE v : block) {
        hex += digits[v >> 4];
        hex += digits[v & 15];
    }
    nlohmann::ordered_json j;
    j["format"] = kFormat;
    j["version"] = 1;
    j["date"] = date;
    j["firmwareVersion"] = firmwareVersion;
    j["macAddress"] = macAddress;
    j["configuration"] = hex;
    j["sha256"] = Sha256::Hex(block.data(), block.size());
    return j.dump(2) + "\n";
}

bool BackupFile::Parse(const std::string& text, std::string* why) {
    nlohmann::json j = nlohmann::json::parse(text, nullptr, false);
    if (j.is_discarded() || !j.is_object()) {
        *why = "not a JSON object";
        return false;
    }
    auto text_of = [&](const char* key, std::string* out) {
        auto it = j.find(key);
        if (it == j.end() || !it->is_string())
            return false;
        *out = it->get<std::string>();
        return true;
    };
    std::string format, hex, digest;
    if (!text_of("format", &format) || format != kFormat) {
        *why = "not an ap-config backup";
        return false;
    }
    if (!text_of("configuration", &hex) || !text_of("sha256", &digest) ||
        !text_of("macAddress", &macAddress)) {
        *why = "an entry is missing (configuration, sha256, macAddress)";
        return false;
    }
    text_of("firmwareVersion", &firmwareVersion);
    text_of("date", &date);
    if (hex.size() != 2 * block.size() ||
        !std::all_of(hex.begin(), hex.end(), [](char c) { return std::isxdigit(c & 0xFF); })) {
        *why = "the configuration is not " + std::to_string(block.size()) + " hexadecimal bytes";
        return false;
    }
    for (size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<BYTE>(std::stoi(hex.substr(2 * i, 2), nullptr, 16));
    if (Sha256::Hex(block.data(), block.size()) != digest) {
        *why = "the SHA-256 of the configuration does not match: the file is damaged";
        return false;
    }
    if (MacOf(block.data()) != macAddress) {
        *why = "the macAddress entry is not the configuration's own";
        return false;
    }
    return true;
}
