#pragma once

#include "DigitEdit.h"
#include "PageDialog.h"
#include "resources/Dialog134Ids.h"

#include <string>

// Fragmentation and RTS/CTS thresholds, beacon period, preamble, antenna, SSID
// broadcasting and international roaming. Numbers are corrected to their ranges silently.
class CAdvancedPage : public CPageDialog {
public:
    CAdvancedPage();
    void LoadFromImage() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnChangeFragment();
    void OnChangeRts();
    void OnChangeBeacon();
    void OnSelChangePreamble();
    void OnSelChangeSsidBroadcast();
    void OnSelChangeRoaming();
    void OnSelChangeAntenna();
    void OnKillFocusNumber();
    template <class Setter> void StoreSelection(CComboBox& combo, Setter store);

    CDigitEdit m_beaconEdit;
    CDigitEdit m_fragmentEdit;
    CDigitEdit m_rtsEdit;
    CComboBox m_ssidBroadcastCombo;
    CComboBox m_preambleCombo;
    CComboBox m_roamingCombo;
    CComboBox m_antennaCombo;
    std::string m_strBeacon;
    std::string m_strFragment;
    std::string m_strRts;

    DECLARE_MESSAGE_MAP()
};

extern CAdvancedPage g_advancedPage;
