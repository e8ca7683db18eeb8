// Field accessors against the device's byte layout.
#include "device/ConfigImage.h"

#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

std::unique_ptr<ConfigImage> Filled(BYTE value) {
    auto image = std::make_unique<ConfigImage>();
    std::fill(image->Bytes(), image->Bytes() + kImageBufferSize, value);
    return image;
}

// Indices of the bytes that differ between two images.
std::vector<size_t> Changed(const ConfigImage& a, const ConfigImage& b) {
    std::vector<size_t> out;
    for (size_t i = 0; i < kImageBufferSize; ++i)
        if (a.Bytes()[i] != b.Bytes()[i])
            out.push_back(i);
    return out;
}

TEST(ConfigImage, NumbersAreLittleEndianAtTheirOffsets) {
    auto image = Filled(0xEE);
    image->SetFragmentThreshold(2346);
    image->SetBeaconPeriod(100);
    image->SetDhcpClient(2);
    image->SetAntennaSelect(3);
    const BYTE* b = image->Bytes();
    EXPECT_EQ(b[64], 0x2A);
    EXPECT_EQ(b[65], 0x09);
    EXPECT_EQ(b[162], 0x64);
    EXPECT_EQ(b[163], 0x00);
    EXPECT_EQ(std::vector<BYTE>(b + 248, b + 252), (std::vector<BYTE>{2, 0, 0, 0}));
    EXPECT_EQ(b[164], 3);
    EXPECT_EQ(b[165], 0);
    EXPECT_EQ(b[63], 0xEE);
    EXPECT_EQ(b[66], 0xEE);
    EXPECT_EQ(image->FragmentThreshold(), 2346);
}

TEST(ConfigImage, TextsStayInsideTheirFields) {
    auto image = Filled(0xEE);
    auto before = Filled(0xEE);
    image->SetEssid(std::string(40, 'E'));
    EXPECT_EQ(image->EssidLength(), 32);
    EXPECT_EQ(image->Bytes()[64], 0xEE);
    image->SetApName(std::string(32, 'N'));
    EXPECT_EQ(image->Bytes()[156], 0xEE);
    EXPECT_EQ(image->ApName(), std::string(32, 'N'));
    for (size_t i : Changed(*image, *before))
        ASSERT_TRUE(i == 31 || (i >= 32 && i < 64) || (i >= 124 && i < 156)) << i;

    image->SetApName("ap"); // a short name ends with one zero; the rest keeps its bytes
    EXPECT_EQ(image->Bytes()[126], 0);
    EXPECT_EQ(image->Bytes()[127], 'N');
    EXPECT_EQ(image->ApName(), "ap");
}

TEST(ConfigImage, EssidFollowsItsLength) {
    auto image = Filled(0);
    std::memcpy(image->Bytes() + 32, "abcdefgh", 8);
    image->SetEssidLength(5);
    EXPECT_EQ(image->Essid(), "abcde");
    image->SetEssidLength(200); // never reads past the field
    std::memset(image->Bytes() + 32, 'x', 32);
    EXPECT_EQ(image->Essid(), std::string(32, 'x'));
}

TEST(ConfigImage, KeySlotsAndAddresses) {
    auto image = Filled(0xEE);
    auto before = Filled(0xEE);
    for (int j = 0; j < 5; ++j)
        image->SetWepKeyByte(2, j, static_cast<BYTE>(j));
    std::vector<size_t> expected{98, 99, 100, 101, 102};
    EXPECT_EQ(Changed(*image, *before), expected);
    image->SetIpAddress({192, 168, 1, 1});
    EXPECT_EQ(image->Bytes()[14], 192);
    EXPECT_EQ(image->Bytes()[17], 1);
}

TEST(ConfigImage, RateSelectionsBothWays) {
    auto image = Filled(0);
    StoreRateSelection(*image, kRate5_5);
    EXPECT_EQ(image->RateMode(), 2);
    EXPECT_EQ(image->OperationalRates(), (std::array<BYTE, 4>{0x82, 0x84, 0x8B, 0x00}));
    EXPECT_EQ(RateSelectionOf(*image), kRate5_5);
    StoreRateSelection(*image, kRate1);
    EXPECT_EQ(image->OperationalRates(), (std::array<BYTE, 4>{0x82, 0, 0, 0}));
    image->SetOperationalRates({0x82, 0x84, 0, 0});
    EXPECT_EQ(RateSelectionOf(*image), kRate2);
    image->SetOperationalRates({0, 0, 0, 0});
    EXPECT_EQ(RateSelectionOf(*image), -1);
    image->SetRateMode(1);
    EXPECT_EQ(RateSelectionOf(*image), kRateAuto);
    StoreRateSelection(*image, kRateAuto);
    EXPECT_EQ(image->OperationalRates(), (std::array<BYTE, 4>{0x82, 0x84, 0x8B, 0x96}));
}

TEST(ConfigImage, ChannelTable) {
    int first = 0, last = 0;
    ASSERT_TRUE(ChannelRangeFor(0x31, &first, &last));
    EXPECT_EQ(first, 10);
    EXPECT_EQ(last, 11);
    ASSERT_TRUE(ChannelRangeFor(0x40, &first, &last));
    EXPECT_EQ(first, 14);
    EXPECT_EQ(last, 14);
    ASSERT_TRUE(ChannelRangeFor(0x41, &first, &last));
    EXPECT_EQ(last, 14);
    EXPECT_FALSE(ChannelRangeFor(0x33, &first, &last));
}

TEST(ConfigImage, PasswordsNeverReadPastTheirFields) {
    auto image = Filled('p');   // no zero byte anywhere
    image->Bytes()[192] = 0xFF; // passwordLength far above 20
    image->Bytes()[193] = 0xFF;
    EXPECT_EQ(image->Password(), std::string(20, 'p'));
    EXPECT_EQ(image->PasswordText(), std::string(19, 'p'));
    image->SetPassword("secret");
    EXPECT_EQ(image->PasswordLength(), 6u);
    EXPECT_EQ(image->Password(), "secret");
    EXPECT_EQ(image->Bytes()[202], 0);
    image->SetPassword(std::string(30, 'x'));
    EXPECT_EQ(image->PasswordLength(), 19u);
    EXPECT_EQ(image->Bytes()[215], 0);
    EXPECT_EQ(image->Bytes()[216], 'p'); // altPasswordLength untouched
}

} // namespace
