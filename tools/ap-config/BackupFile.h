#pragma once

#include "device/ConfigImage.h"

#include <array>
#include <string>

// A backup of the access point's whole configuration (bytes 0..888) as JSON, with the
// firmware version, the MAC address, the date, whether it holds the passwords, and a
// SHA-256 of the block as stored.
class BackupFile {
public:
    static constexpr size_t kLargestFile = 1024 * 1024;
    static constexpr int kVersion = 1;

    std::array<BYTE, kImageReadLength> block{};
    std::string firmwareVersion;
    std::string macAddress; // as the block's MAC address field, "02-1a-2b-3c-4d-5e"
    std::string date;       // UTC, ISO 8601
    bool passwords = false; // the block holds the passwords (else they are zero)
    // Whether any password byte of the block is not zero: what "passwords" must say.
    bool HoldsPasswords() const;

    // The image's block; without withPasswords the password fields and their lengths are
    // stored as zero bytes.
    static BackupFile FromImage(const ConfigImage& image, const std::string& firmware,
                                bool withPasswords);
    std::string ToJson() const;
    // Parses and checks a file's text: its format and version, each entry's type, the
    // block's size and its digest, and that the MAC address entry is the block's own. False
    // with the reason otherwise.
    bool Parse(const std::string& text, std::string* why);
    // Reads path (a file larger than kLargestFile is refused once kLargestFile + 1 bytes came)
    // and parses it. Any file is read, a pipe too (<(cat b.json)).
    bool Load(const std::string& path, std::string* why);

    // What a restore writes over current: the backup's block, except what the access point
    // keeps as its own (MAC address, regulation domain, its passwords; the login password
    // is the backup's with withPassword).
    ConfigImage RestoredOver(const ConfigImage& current, bool withPassword) const;
};
