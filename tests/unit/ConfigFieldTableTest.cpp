// The one description of the configuration block, checked against the layout of the
// image's accessors, and the one hexadecimal helper.
#include "device/ConfigFieldTable.h"
#include "device/ConfigImage.h"
#include "platform/HexText.h"

#include <array>
#include <gtest/gtest.h>
#include <set>

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
TEST(ConfigFieldTableTest, TableAgreesWithTheImageAccessors) {
    struct Case {
        const char* field;
        void (*store)(ConfigImage&);
    };
    static constexpr std::array<BYTE, 4> kFour = {1, 2, 3, 4};
    const Case cases[] = {
        {"ipAddress", [](ConfigImage& i) { i.SetIpAddress(kFour); }},
        {"subnetMask", [](ConfigImage& i) { i.SetSubnetMask(kFour); }},
        {"channel", [](ConfigImage& i) { i.SetChannel(9); }},
        {"preambleType", [](ConfigImage& i) { i.SetPreambleType(9); }},
        {"rateMode", [](ConfigImage& i) { i.SetRateMode(9); }},
        {"essidLength", [](ConfigImage& i) { i.SetEssidLength(9); }},
        {"fragmentThreshold", [](ConfigImage& i) { i.SetFragmentThreshold(0x1234); }},
        {"rtsThreshold", [](ConfigImage& i) { i.SetRtsThreshold(0x1234); }},
        {"authType", [](ConfigImage& i) { i.SetAuthType(9); }},
        {"ssidBroadcast", [](ConfigImage& i) { i.SetSsidBroadcast(9); }},
        {"wepType", [](ConfigImage& i) { i.SetWepType(9); }},
        {"activeKeyId", [](ConfigImage& i) { i.SetActiveKeyId(9); }},
        {"wepKey3",
         [](ConfigImage& i) {
             for (int j = 0; j < 13; ++j)
                 i.SetWepKeyByte(2, j, 0xEE);
         }},
        {"apName", [](ConfigImage& i) { i.SetApName(std::string(32, 'n')); }},
        {"operationalRates", [](ConfigImage& i) { i.SetOperationalRates(kFour); }},
        {"beaconPeriod", [](ConfigImage& i) { i.SetBeaconPeriod(0x1234); }},
        {"antennaSelect", [](ConfigImage& i) { i.SetAntennaSelect(0x1234); }},
        {"operationalMode", [](ConfigImage& i) { i.SetOperationalMode(9); }},
        {"gateway", [](ConfigImage& i) { i.SetGateway(kFour); }},
        {"dhcpClient", [](ConfigImage& i) { i.SetDhcpClient(0x01020304); }},
        {"primaryPort", [](ConfigImage& i) { i.SetPrimaryPort(0x01020304); }},
        {"preferredBssid",
         [](ConfigImage& i) {
             for (int j = 0; j < 6; ++j)
                 i.SetPreferredBssidByte(j, 0xEE);
         }},
        {"internationalRoaming", [](ConfigImage& i) { i.SetInternationalRoaming(9); }},
    };
    for (const Case& c : cases) {
        const ConfigField* f = FindConfigField(c.field);
        ASSERT_NE(f, nullptr) << c.field;
        ConfigImage before, after;
        c.store(after);
        for (UINT i = 0; i < kConfigBlockLength; ++i) {
            bool inside = i >= f->offset && i < f->offset + f->width;
            EXPECT_EQ(before.Bytes()[i] != after.Bytes()[i], inside) << c.field << " byte " << i;
        }
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
        EXPECT_TRUE(!f.secret || f.showOrder == 0) << f.name;
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
