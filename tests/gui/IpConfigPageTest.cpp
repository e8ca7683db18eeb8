// The IP Config page: the address controls, DHCP and primary port, and their enabling.
#include "pages/IpConfigPage.h"
#include "PageFixture.h"
#include "platform/qt/IpAddressWidget.h"
#include "resources/Dialog130Ids.h"

namespace {

class IpConfigPageTest : public PageFixture {
protected:
    void SetUp() override {
        PageFixture::SetUp();
        image->SetIpAddress({0xC0, 0xA8, 0x00, 0x01});
        image->SetSubnetMask({255, 255, 255, 0});
        image->SetGateway({192, 168, 0, 254});
        image->SetDhcpClient(2);
        image->SetPrimaryPort(1);
    }
    IpAddressWidget* Ip(int id) { return Get<IpAddressWidget>(id); }
    QString Shown(int id) {
        QStringList parts;
        for (int i = 0; i < 4; ++i)
            parts << Ip(id)->Field(i)->text();
        return parts.join('.');
    }
};

TEST_F(IpConfigPageTest, AddressesShowFirstByteFirst) {
    Open(g_ipConfigPage, IDD_IPCONFIG);
    EXPECT_EQ(Shown(IDC_IP_ADDRESS), "192.168.0.1");
    EXPECT_EQ(Shown(IDC_SUBNET_MASK), "255.255.255.0");
    EXPECT_EQ(Shown(IDC_GATEWAY), "192.168.0.254");
}

TEST_F(IpConfigPageTest, TypingUpdatesTheAddressFieldByField) {
    Open(g_ipConfigPage, IDD_IPCONFIG);
    IpAddressWidget* ip = Ip(IDC_IP_ADDRESS);
    for (int i = 0; i < 4; ++i)
        ip->Field(i)->clear();
    ip->Field(0)->setFocus();
    TypeInto(ip->Field(0), "10.");
    EXPECT_EQ(image->IpAddress(), (std::array<BYTE, 4>{0x0A, 0, 0, 0})); // blanks read as 0
    TypeInto(ip, "0.0.2"); // the focus has moved on to the next field
    EXPECT_EQ(image->IpAddress(), (std::array<BYTE, 4>{0x0A, 0x00, 0x00, 0x02}));
    EXPECT_EQ(Shown(IDC_IP_ADDRESS), "10.0.0.2");

    ClearByKeys(Ip(IDC_SUBNET_MASK)->Field(2)); // a cleared field reads as 0
    EXPECT_EQ(At(20), 0);
    EXPECT_EQ(At(18), 255);
    // Any four bytes are taken, and the control keeps each field within 0..255.
    ClearByKeys(Ip(IDC_SUBNET_MASK)->Field(1));
    TypeInto(Ip(IDC_SUBNET_MASK)->Field(1), "999");
    EXPECT_EQ(Ip(IDC_SUBNET_MASK)->Field(1)->text(), "255");
    EXPECT_EQ(image->SubnetMask(), (std::array<BYTE, 4>{255, 255, 0, 0}));
}

TEST_F(IpConfigPageTest, DhcpDecidesWhatCanBeEdited) {
    image->SetDhcpClient(1);
    Open(g_ipConfigPage, IDD_IPCONFIG);
    EXPECT_EQ(Get<QComboBox>(IDC_DHCP)->currentText(), "Enable");
    EXPECT_FALSE(Ip(IDC_IP_ADDRESS)->isEnabled());
    EXPECT_FALSE(Ip(IDC_GATEWAY)->isEnabled());
    EXPECT_EQ(Shown(IDC_IP_ADDRESS), "192.168.0.1"); // disabled, still showing the address
    EXPECT_TRUE(Get<QComboBox>(IDC_PRIMARY_PORT)->isEnabled());

    auto before = Snapshot();
    PickItem(Get<QComboBox>(IDC_DHCP), 1);
    EXPECT_EQ(ChangedSince(before), std::vector<size_t>{248});
    EXPECT_EQ(image->DhcpClient(), 2u);
    EXPECT_TRUE(Ip(IDC_SUBNET_MASK)->isEnabled());
    EXPECT_FALSE(Get<QComboBox>(IDC_PRIMARY_PORT)->isEnabled());
    PickItem(Get<QComboBox>(IDC_DHCP), 0);
    EXPECT_EQ(ChangedSince(before), std::vector<size_t>{});
}

TEST_F(IpConfigPageTest, UnlistedValuesLoadWithoutSelection) {
    image->SetDhcpClient(0);
    image->SetPrimaryPort(0);
    Open(g_ipConfigPage, IDD_IPCONFIG);
    EXPECT_EQ(Get<QComboBox>(IDC_DHCP)->currentIndex(), -1);
    EXPECT_EQ(Get<QComboBox>(IDC_PRIMARY_PORT)->currentIndex(), -1);
    for (int id : {IDC_IP_ADDRESS, IDC_SUBNET_MASK, IDC_GATEWAY})
        EXPECT_TRUE(Ip(id)->isEnabled());
    EXPECT_TRUE(Get<QComboBox>(IDC_PRIMARY_PORT)->isEnabled());
    EXPECT_EQ(image->DhcpClient(), 0u);
    PickItem(Get<QComboBox>(IDC_PRIMARY_PORT), 1);
    EXPECT_EQ(std::vector<BYTE>(image->Bytes() + 252, image->Bytes() + 256),
              (std::vector<BYTE>{2, 0, 0, 0}));
    auto before = Snapshot();
    QTest::keyClick(Get<QComboBox>(IDC_PRIMARY_PORT), Qt::Key_Return);
    QTest::keyClick(Get<QComboBox>(IDC_PRIMARY_PORT), Qt::Key_Escape);
    EXPECT_TRUE(page->IsWindowVisible());
    EXPECT_TRUE(ChangedSince(before).empty());
}

} // namespace
