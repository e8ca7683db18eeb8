#pragma once

#include "PageDialog.h"
#include "resources/Dialog130Ids.h"

// The access point's address, subnet mask, gateway, DHCP client and primary port.
class CIpConfigPage : public CPageDialog {
public:
    CIpConfigPage();
    void LoadFromImage() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnFieldChangedIpAddress();
    void OnFieldChangedSubnetMask();
    void OnFieldChangedGateway();
    void OnSelChangeDhcpClient();
    void OnSelChangePrimaryPort();
    void UpdateAddressEnabling();

    CComboBox m_primaryPortCombo;
    CComboBox m_dhcpClientCombo;
    CIPAddressCtrl m_gatewayCtrl;
    CIPAddressCtrl m_subnetMaskCtrl;
    CIPAddressCtrl m_ipAddressCtrl;

    DECLARE_MESSAGE_MAP()
};

extern CIpConfigPage g_ipConfigPage;
