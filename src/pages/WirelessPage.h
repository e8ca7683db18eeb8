#pragma once

#include "HexEdit.h"
#include "PageDialog.h"
#include "resources/Dialog129Ids.h"

#include <string>

// Access point name, ESSID, rate set, channel, operational mode and preferred BSSID.
class CWirelessPage : public CPageDialog {
public:
    CWirelessPage();
    void LoadFromImage() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnSelChangeMode();
    void OnChangeName();
    void OnChangeEssid();
    void OnSelChangeRate();
    void OnSelChangeChannel();
    void OnChangeBssid();
    void OnKillFocusBssid();
    void UpdateBssidEnabling();
    void StoreBssid();

    CComboBox m_modeCombo;
    CComboBox m_channelCombo;
    CComboBox m_rateCombo;
    CHexEdit m_bssidEdit[6];
    std::string m_strName;
    std::string m_strEssid;
    std::string m_strBssid[6];

    DECLARE_MESSAGE_MAP()
};

extern CWirelessPage g_wirelessPage;
