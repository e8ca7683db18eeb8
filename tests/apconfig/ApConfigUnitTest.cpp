// The pieces of ap-config that need no access point: the digest of the backups, the code
// page of the names, the manual page's template, and a backup's file under any name.
#include "BackupFile.h"
#include "Codepage1252.h"
#include "ConfigFields.h"
#include "ManualPage.h"
#include "PrivateFile.h"
#include "Sha256.h"
#include "StoredBlock.h"
#include "TempFolder.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

std::string Digest(const std::string& text) {
    return Sha256::Hex(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

// The test vectors of FIPS 180-4 (and its companion examples), including the messages whose
// padding needs a second block.
TEST(Sha256Test, FipsVectors) {
    EXPECT_EQ(Digest(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(Digest("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(Digest("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    EXPECT_EQ(
        Digest("abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopq"
               "klmnopqrlmnopqrsmnopqrstnopqrstu"),
        "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1");
    EXPECT_EQ(Digest(std::string(1000000, 'a')),
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

TEST(Sha256Test, PiecewiseUpdatesGiveTheSameDigest) {
    std::string text(889, '\0');
    for (size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char>(i * 7);
    Sha256 sha;
    const auto* p = reinterpret_cast<const uint8_t*>(text.data());
    sha.Update(p, 1);
    sha.Update(p + 1, 63);
    sha.Update(p + 64, 500);
    sha.Update(p + 564, 325);
    auto digest = sha.Final();
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (uint8_t b : digest)
        hex += std::string{digits[b >> 4], digits[b & 15]};
    EXPECT_EQ(hex, Digest(text));
}

TEST(Codepage1252Test, EveryByteConvertsToUtf8AndBack) {
    std::string all;
    for (int b = 1; b < 256; ++b)
        all += static_cast<char>(b);
    std::string back, refused;
    ASSERT_TRUE(Codepage1252::FromUtf8(Codepage1252::ToUtf8(all), &back, &refused)) << refused;
    EXPECT_EQ(back, all);
}

TEST(Codepage1252Test, CharactersOfTheCodePage) {
    std::string bytes, refused;
    ASSERT_TRUE(Codepage1252::FromUtf8("Caf\xC3\xA9 \xE2\x82\xAC \xC5\x93", &bytes, &refused));
    EXPECT_EQ(bytes, "Caf\xE9 \x80 \x9C");
    EXPECT_EQ(Codepage1252::ToUtf8("\x80\xE9\x9F"), "\xE2\x82\xAC\xC3\xA9\xC5\xB8");
}

TEST(Codepage1252Test, RefusesWhatItCannotHoldAndBrokenUtf8) {
    std::string bytes, refused;
    EXPECT_FALSE(Codepage1252::FromUtf8("snow \xE2\x98\x83", &bytes, &refused));
    EXPECT_EQ(refused, "\xE2\x98\x83");
    EXPECT_FALSE(Codepage1252::FromUtf8("\xF0\x9F\x98\x80", &bytes, &refused)); // emoji
    for (const char* broken : {"\xC3", "\xC0\x80", "\xED\xA0\x80", "\xE2\x82", "\xFF", "a\x80"}) {
        EXPECT_FALSE(Codepage1252::FromUtf8(broken, &bytes, &refused)) << broken;
        EXPECT_EQ(refused, "invalid UTF-8");
    }
}

// Each generated part takes the place of a line of its own that is just its placeholder; a
// template without one of them is refused rather than installed without it.
TEST(ManualPageTest, ThePartsReplaceTheirLinesOnly) {
    const std::string marks = "@COMMANDS@\n.SH OPTIONS\n@OPTIONS@\n@EXIT_STATUS@\n";
    const std::vector<std::pair<std::string, bool>> templates = {
        {marks + ".SH FIELDS\n@FIELDS@\n.SH FILES\n", true},
        {marks + "@FIELDS@\n", true},
        {marks + ".SH FIELDS\n.SH FILES\n", false},
        {marks + ".SH FIELDS\nsee @FIELDS@\n", false},
        {marks + ".SH FIELDS\n@FIELDS@", false},
        {".SH FIELDS\n@FIELDS@\n", false},
    };
    for (const auto& [pageTemplate, fills] : templates) {
        std::string page = "untouched";
        EXPECT_EQ(ManualPage::Fill(pageTemplate, &page), fills) << pageTemplate;
        if (!fills)
            continue;
        size_t at = pageTemplate.find("@FIELDS@");
        EXPECT_EQ(page.find('@'), std::string::npos);
        EXPECT_NE(page.find(".TP\n.B channel\n"), std::string::npos) << page;
        EXPECT_NE(page.find(".TP\n.B set [\\-\\-force]"), std::string::npos);
        EXPECT_NE(page.find(".TP\n.B \\-\\-other\\-unit\n"), std::string::npos);
        EXPECT_NE(page.find(".TP\n.B 8\n.RB ( output )\n"), std::string::npos);
        EXPECT_NE(page.find("\n.SH OPTIONS\n.TP\n.B \\-\\-device NAME\n"), std::string::npos);
        EXPECT_EQ(page.substr(page.size() - (pageTemplate.size() - at - 9)),
                  pageTemplate.substr(at + 9));
    }
}

// The stored block of the test support in the pages' words, as show prints it.
TEST(ConfigFieldsTest, AStoredBlockShowsInThePagesWords) {
    std::vector<uint8_t> block = StoredBlock();
    ConfigImage image;
    std::copy(block.begin(), block.end(), image.Bytes());
    const std::vector<std::pair<std::string, std::string>> shown = {
        {"apName", "Office AP"},
        {"essid", "wireless"},
        {"channel", "Channel 11"},
        {"rateMode", "Auto"},
        {"operationalMode", "Wireless Repeater"},
        {"preferredBssid", "00-0A-FF-10-20-30"},
        {"wepType", "64-bit"},
        {"authType", "Shared Key"},
        {"activeKeyId", "Key 3"},
        {"wepKey1", "a1b2c3d4e5"},
        {"wepKey2", "0000000000"},
        {"wepKey3", "0000000000"},
        {"wepKey4", "4444444444"},
        {"ipAddress", "192.168.1.2"},
        {"subnetMask", "255.255.255.0"},
        {"gateway", "192.168.1.254"},
        {"dhcpClient", "Disable"},
        {"primaryPort", "Ethernet"},
        {"fragmentThreshold", "2346"},
        {"rtsThreshold", "2347"},
        {"beaconPeriod", "100"},
        {"preambleType", "Long"},
        {"antennaSelect", "Diversity"},
        {"ssidBroadcast", "Disable"},
        {"internationalRoaming", "Disable"},
        {"firmwareVersion", "1.0.2.0"},
        {"regulationDomain", "ETSI"},
        {"macAddress", "02-1a-2b-3c-4d-5e"},
    };
    EXPECT_EQ(ConfigFields::ShownLines(image, "1.0.2.0"), shown);
    // Another domain offers no channel 11 of this one's: shown as the number stored.
    image.Bytes()[160] = 0x40;
    EXPECT_EQ(ConfigFields::Text(image, "channel", ""), "unknown (11)");
    EXPECT_EQ(ConfigFields::Json(image, "fragmentThreshold", ""), 2346);
}

// What backup writes under a name beyond ASCII, restore and diff read back: on Windows both
// give the name to the system as UTF-16.
TEST(BackupFileTest, ReadBackUnderANameBeyondAscii) {
    TempWorkingFolder folder;
    ConfigImage image;
    image.SetEssid("wireless");
    BackupFile written = BackupFile::FromImage(image, "1.2.3.4", false);
    const std::string name = "sauvegarde-\xC3\xA9t\xC3\xA9-\xE6\x97\xA5.json";
    std::string error;
    ASSERT_TRUE(PrivateFile::Write(name, written.ToJson(), &error)) << error;
    BackupFile read;
    ASSERT_TRUE(read.Load(name, &error)) << error;
    EXPECT_EQ(read.block, written.block);
    EXPECT_EQ(read.firmwareVersion, "1.2.3.4");
}

} // namespace
