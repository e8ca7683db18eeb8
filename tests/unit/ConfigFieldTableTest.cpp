// The one description of the configuration block, checked against a stored block written
// out by hand, and the one hexadecimal helper.
#include "device/ConfigFieldTable.h"
#include "StoredBlock.h"
#include "device/ConfigImage.h"
#include "platform/HexText.h"

#include <array>
#include <gtest/gtest.h>
#include <set>
#include <tuple>

namespace {

TEST(ConfigFieldTableTest, FieldsCoverTheBlockInOrderWithoutGapsOrOverlaps) {
    UINT next = 0;
    std::set<std::string> names;
    for (const ConfigField& f : ConfigFieldTable()) {
        EXPECT_EQ(f.offset, next) << f.name;
        EXPECT_GT(f.width, 0u) << f.name;
        EXPECT_TRUE(names.insert(f.name).second) << f.name << " twice";
        next = f.offset + f.width;
    }
    EXPECT_EQ(next, kConfigBlockLength);
}

// Each accessor of the image touches exactly the bytes the table gives its field: a value
// stored through the accessor changes those bytes and no other.
// The stored block of the test support (StoredBlock.h), written out by hand: every field
// the table names reads back through the table as the fixture says, at the offset and width
// the device protocol gives it.
TEST(ConfigFieldTableTest, AStoredBlockReadsAsWrittenOut) {
    std::vector<uint8_t> block = StoredBlock();
    ASSERT_EQ(block.size(), 348u);
    const std::vector<std::tuple<const char*, UINT, UINT, std::string>> expected = {
        {"macAddress", 8, 6, "021a2b3c4d5e"},
        {"ipAddress", 14, 4, "c0a80102"},
        {"subnetMask", 18, 4, "ffffff00"},
        {"channel", 28, 1, "11"},
        {"preambleType", 29, 1, "2"},
        {"rateMode", 30, 1, "1"},
        {"essidLength", 31, 1, "8"},
        {"essid", 32, 32, "wireless"},
        {"fragmentThreshold", 64, 2, "2346"},
        {"rtsThreshold", 66, 2, "2347"},
        {"authType", 68, 1, "1"},
        {"ssidBroadcast", 69, 1, "2"},
        {"wepType", 70, 1, "1"},
        {"activeKeyId", 71, 1, "3"},
        {"wepKey1", 72, 13, "a1b2c3d4e50000000000000000"},
        {"wepKey2", 85, 13, "00000000000000000000000000"},
        {"wepKey4", 111, 13, "44444444444444444444444445"},
        {"apName", 124, 32, "Office AP"},
        {"operationalRates", 156, 4, "82848b96"},
        {"regulationDomain", 160, 1, "48"},
        {"beaconPeriod", 162, 2, "100"},
        {"antennaSelect", 164, 2, "3"},
        {"operationalMode", 166, 1, "5"},
        {"passwordLength", 192, 4, "5"},
        {"password", 196, 20, "admin"},
        {"altPasswordLength", 216, 4, "3"},
        {"altPassword", 220, 20, "alt"},
        {"gateway", 240, 4, "c0a801fe"},
        {"dhcpClient", 248, 4, "2"},
        {"primaryPort", 252, 4, "1"},
        {"preferredBssid", 266, 6, "000aff102030"},
        {"internationalRoaming", 276, 1, "2"},
    };
    for (const auto& [name, offset, width, value] : expected) {
        const ConfigField* f = FindConfigField(name);
        ASSERT_NE(f, nullptr) << name;
        EXPECT_EQ(f->offset, offset) << name;
        EXPECT_EQ(f->width, width) << name;
        std::string read;
        switch (f->kind) {
        case FieldKind::kNumber:
        case FieldKind::kListWord:
            read = std::to_string(FieldNumber(block.data(), *f));
            break;
        case FieldKind::kText:
            read = FieldText(block.data(), *f);
            break;
        default:
            read = HexText::Of(block.data() + f->offset, f->width);
            break;
        }
        EXPECT_EQ(read, value) << name;
    }
}

TEST(ConfigFieldTableTest, NumbersAndTextsAsTheImageReadsThem) {
    ConfigImage image;
    image.SetFragmentThreshold(2346);
    image.SetDhcpClient(2);
    image.SetEssid("wireless");
    image.SetPassword("admin");
    EXPECT_EQ(FieldNumber(image.Bytes(), *FindConfigField("fragmentThreshold")), 2346u);
    EXPECT_EQ(FieldNumber(image.Bytes(), *FindConfigField("dhcpClient")), 2u);
    EXPECT_EQ(FieldText(image.Bytes(), *FindConfigField("essid")), "wireless");
    EXPECT_EQ(FieldText(image.Bytes(), *FindConfigField("password")), "admin");

    // A counted text ends at its length; storing one keeps the length in step.
    image.SetEssidLength(4);
    EXPECT_EQ(FieldText(image.Bytes(), *FindConfigField("essid")), "wire");
    SetFieldText(image.Bytes(), *FindConfigField("essid"), std::string(40, 'e'));
    EXPECT_EQ(image.EssidLength(), 32);
    EXPECT_EQ(image.Essid(), std::string(32, 'e'));
    EXPECT_EQ(image.FragmentThreshold(), 2346); // the next field is untouched
    SetFieldNumber(image.Bytes(), *FindConfigField("beaconPeriod"), 100);
    EXPECT_EQ(image.Bytes()[162], 0x64);
    EXPECT_EQ(image.Bytes()[163], 0x00);
}

TEST(ConfigFieldTableTest, ShownFieldsInThePagesOrderWithoutSecretsOrReserved) {
    std::vector<std::string> shown;
    for (const ConfigField* f : ShownConfigFields())
        shown.push_back(f->name);
    const std::vector<std::string> expected = {"apName",
                                               "essid",
                                               "channel",
                                               "rateMode",
                                               "operationalMode",
                                               "preferredBssid",
                                               "wepType",
                                               "authType",
                                               "activeKeyId",
                                               "wepKey1",
                                               "wepKey2",
                                               "wepKey3",
                                               "wepKey4",
                                               "ipAddress",
                                               "subnetMask",
                                               "gateway",
                                               "dhcpClient",
                                               "primaryPort",
                                               "fragmentThreshold",
                                               "rtsThreshold",
                                               "beaconPeriod",
                                               "preambleType",
                                               "antennaSelect",
                                               "ssidBroadcast",
                                               "internationalRoaming",
                                               "regulationDomain",
                                               "macAddress"};
    EXPECT_EQ(shown, expected);
    for (const ConfigField& f : ConfigFieldTable())
        EXPECT_TRUE(!f.Is(kFieldSecret) || f.showOrder == 0) << f.name;
    EXPECT_STREQ(ReportedName(*FindConfigField("operationalRates")), "rateMode");
    EXPECT_STREQ(ReportedName(*FindConfigField("passwordLength")), "password");
    EXPECT_EQ(KeySlotIndex(*FindConfigField("wepKey4")), 3);
    EXPECT_EQ(KeySlotIndex(*FindConfigField("channel")), -1);
}

TEST(HexTextTest, BytesAsText) {
    const BYTE bytes[] = {0x00, 0x0A, 0xFF, 0x10};
    EXPECT_EQ(HexText::Of(bytes, 4), "000aff10");
    EXPECT_EQ(HexText::Of(bytes, 4, true, "-"), "00-0A-FF-10");
    EXPECT_EQ(HexText::Of(bytes, 0), "");
    EXPECT_EQ(HexText::Of(std::string("\x02\x1a", 2), false, ":"), "02:1a");
}

TEST(HexTextTest, SeparatorsOnlyBetweenEveryTwoDigits) {
    const std::vector<BYTE> six = {0x00, 0x0A, 0xFF, 0x10, 0x20, 0x30};
    for (const char* good : {"00-0A-FF-10-20-30", "00:0a:ff:10:20:30", "000AFF102030"}) {
        std::vector<BYTE> bytes;
        EXPECT_TRUE(HexText::Parse(good, &bytes)) << good;
        EXPECT_EQ(bytes, six) << good;
    }
    std::vector<BYTE> untouched = {7};
    for (const char* bad : {"0-0A-FF-10-20-30-0", "a-1b2c-3d4e-5", "00-0AFF-10-20-30", "00:0A-FF",
                            "00-", "-00", "000", "00 0A", "0g", "00--0A", "00-0A-"}) {
        EXPECT_FALSE(HexText::Parse(bad, &untouched)) << bad;
        EXPECT_EQ(untouched, std::vector<BYTE>{7}) << bad;
    }
}

TEST(HexTextTest, ScanByteReadsAsPercentTwoX) {
    struct Case {
        const char* text;
        bool read;
        BYTE value;
        size_t end;
    } cases[] = {{"  1f", true, 0x1F, 4},
                 {"a", true, 0x0A, 1},
                 {"abc", true, 0xAB, 2},
                 {" x", false, 0, 1},
                 {"", false, 0, 0}};
    for (const Case& c : cases) {
        size_t pos = 0;
        BYTE value = 0;
        EXPECT_EQ(HexText::ScanByte(c.text, &pos, &value), c.read) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
        EXPECT_EQ(pos, c.end) << c.text;
    }
}

} // namespace
