#include "IpConfigPage.h"

namespace {

DWORD Packed(const std::array<BYTE, 4>& a) {
    return MAKEIPADDRESS(a[0], a[1], a[2], a[3]);
}

std::array<BYTE, 4> Address(const CIPAddressCtrl& control) {
    std::array<BYTE, 4> a{};
    control.GetAddress(a[0], a[1], a[2], a[3]);
    return a;
}

} // namespace

CIpConfigPage::CIpConfigPage() : CPageDialog(IDD_IPCONFIG) {}

BEGIN_MESSAGE_MAP(CIpConfigPage, CPageDialog)
ON_NOTIFY_IPN_FIELDCHANGED(IDC_IP_ADDRESS, OnFieldChangedIpAddress)
ON_NOTIFY_IPN_FIELDCHANGED(IDC_SUBNET_MASK, OnFieldChangedSubnetMask)
ON_NOTIFY_IPN_FIELDCHANGED(IDC_GATEWAY, OnFieldChangedGateway)
ON_CBN_SELCHANGE(IDC_DHCP, OnSelChangeDhcpClient)
ON_CBN_SELCHANGE(IDC_PRIMARY_PORT, OnSelChangePrimaryPort)
END_MESSAGE_MAP()

void CIpConfigPage::DoDataExchange(CDataExchange* pDX) {
    CPageDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_PRIMARY_PORT, m_primaryPortCombo);
    DDX_Control(pDX, IDC_DHCP, m_dhcpClientCombo);
    DDX_Control(pDX, IDC_GATEWAY, m_gatewayCtrl);
    DDX_Control(pDX, IDC_SUBNET_MASK, m_subnetMaskCtrl);
    DDX_Control(pDX, IDC_IP_ADDRESS, m_ipAddressCtrl);
}

void CIpConfigPage::LoadFromImage() {
    const ConfigImage& image = Image();
    m_ipAddressCtrl.SetAddress(Packed(image.IpAddress()));
    m_subnetMaskCtrl.SetAddress(Packed(image.SubnetMask()));
    m_gatewayCtrl.SetAddress(Packed(image.Gateway()));
    FillWordList(m_dhcpClientCombo, kEnableWords, image.DhcpClient());
    FillWordList(m_primaryPortCombo, kPrimaryPortWords, image.PrimaryPort());
    UpdateAddressEnabling();
    UpdateData(FALSE);
}

void CIpConfigPage::UpdateAddressEnabling() {
    int sel = m_dhcpClientCombo.GetCurSel();
    if (sel != 0 && sel != 1)
        return;
    bool dhcp = sel == 0;
    m_primaryPortCombo.EnableWindow(dhcp);
    m_ipAddressCtrl.EnableWindow(!dhcp);
    m_subnetMaskCtrl.EnableWindow(!dhcp);
    m_gatewayCtrl.EnableWindow(!dhcp);
}

void CIpConfigPage::OnFieldChangedIpAddress() {
    UpdateData(TRUE);
    Image().SetIpAddress(Address(m_ipAddressCtrl));
}

void CIpConfigPage::OnFieldChangedSubnetMask() {
    UpdateData(TRUE);
    Image().SetSubnetMask(Address(m_subnetMaskCtrl));
}

void CIpConfigPage::OnFieldChangedGateway() {
    UpdateData(TRUE);
    Image().SetGateway(Address(m_gatewayCtrl));
}

void CIpConfigPage::OnSelChangeDhcpClient() {
    UpdateData(TRUE);
    int sel = m_dhcpClientCombo.GetCurSel();
    if (sel == 0 || sel == 1)
        Image().SetDhcpClient(static_cast<DWORD>(sel + 1));
    UpdateAddressEnabling();
}

void CIpConfigPage::OnSelChangePrimaryPort() {
    UpdateData(TRUE);
    int sel = m_primaryPortCombo.GetCurSel();
    if (sel == 0 || sel == 1)
        Image().SetPrimaryPort(static_cast<DWORD>(sel + 1));
}
