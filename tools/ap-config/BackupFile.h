#pragma once

#include "device/ConfigImage.h"

#include <array>
#include <string>

// A backup of the access point's whole configuration (bytes 0..888) as JSON, with the
// firmware version, the MAC address, the date and a SHA-256 of the block.
class BackupFile {
public:
    std::array<BYTE, kImageReadLength> block{};
    std::string firmwareVersion;
    std::string macAddress; // as the block's bytes 8..13, "02-1a-2b-3c-4d-5e"
    std::string date;       // UTC, ISO 8601

    static BackupFile FromImage(const ConfigImage& image, const std::string& firmware);
    std::string ToJson() const;
    // Parses and checks a file's text: its form, the block's size and its digest, and that
    // the MAC address entry is the block's own. False with the reason otherwise.
    bool Parse(const std::string& text, std::string* why);
};
