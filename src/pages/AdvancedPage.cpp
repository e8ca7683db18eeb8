#include "AdvancedPage.h"

#include "device/ConfigWords.h"

CAdvancedPage::CAdvancedPage() : CPageDialog(IDD_ADVANCED) {}

BEGIN_MESSAGE_MAP(CAdvancedPage, CPageDialog)
ON_EN_CHANGE(IDC_FRAGMENT, OnChangeFragment)
ON_EN_CHANGE(IDC_RTS, OnChangeRts)
ON_EN_CHANGE(IDC_BEACON, OnChangeBeacon)
ON_CBN_SELCHANGE(IDC_PREAMBLE, OnSelChangePreamble)
ON_CBN_SELCHANGE(IDC_SSID_BROADCAST, OnSelChangeSsidBroadcast)
ON_CBN_SELCHANGE(IDC_ROAMING, OnSelChangeRoaming)
ON_CBN_SELCHANGE(IDC_ANTENNA, OnSelChangeAntenna)
ON_CONTROL_RANGE(EN_KILLFOCUS, IDC_FRAGMENT, IDC_BEACON, OnKillFocusNumber)
END_MESSAGE_MAP()

void CAdvancedPage::DoDataExchange(CDataExchange* pDX) {
    CPageDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_BEACON, m_beaconEdit);
    DDX_Control(pDX, IDC_FRAGMENT, m_fragmentEdit);
    DDX_Control(pDX, IDC_RTS, m_rtsEdit);
    DDX_Control(pDX, IDC_SSID_BROADCAST, m_ssidBroadcastCombo);
    DDX_Control(pDX, IDC_PREAMBLE, m_preambleCombo);
    DDX_Control(pDX, IDC_ROAMING, m_roamingCombo);
    DDX_Control(pDX, IDC_ANTENNA, m_antennaCombo);
    DDX_Text(pDX, IDC_BEACON, m_strBeacon);
    DDV_MaxChars(pDX, m_strBeacon, 4);
    DDX_Text(pDX, IDC_FRAGMENT, m_strFragment);
    DDV_MaxChars(pDX, m_strFragment, 4);
    DDX_Text(pDX, IDC_RTS, m_strRts);
    DDV_MaxChars(pDX, m_strRts, 4);
}

void CAdvancedPage::LoadFromImage() {
    const ConfigImage& image = Image();
    m_strFragment = std::to_string(image.FragmentThreshold());
    m_strRts = std::to_string(image.RtsThreshold());
    m_strBeacon = std::to_string(image.BeaconPeriod());
    FillWordList(m_preambleCombo, kPreambleWords, image.PreambleType());
    FillWordList(m_antennaCombo, kAntennaWords, image.AntennaSelect());
    FillWordList(m_ssidBroadcastCombo, kEnableWords, image.SsidBroadcast());
    FillWordList(m_roamingCombo, kEnableWords, image.InternationalRoaming());
    UpdateData(FALSE);
}

void CAdvancedPage::OnChangeFragment() {
    UpdateData(TRUE);
    Image().SetFragmentThreshold(CorrectThreshold(kFragmentRule, m_strFragment));
}

void CAdvancedPage::OnChangeRts() {
    UpdateData(TRUE);
    Image().SetRtsThreshold(CorrectThreshold(kRtsRule, m_strRts));
}

void CAdvancedPage::OnChangeBeacon() {
    UpdateData(TRUE);
    Image().SetBeaconPeriod(CorrectThreshold(kBeaconRule, m_strBeacon));
}

// A list's position 0, 1, 2 stores 1, 2, 3; without a selection nothing is stored.
template <class Setter> void CAdvancedPage::StoreSelection(CComboBox& combo, Setter store) {
    UpdateData(TRUE);
    int sel = combo.GetCurSel();
    if (sel >= 0)
        store(sel + 1);
}

void CAdvancedPage::OnSelChangePreamble() {
    StoreSelection(m_preambleCombo, [](int v) { Image().SetPreambleType(static_cast<BYTE>(v)); });
}

void CAdvancedPage::OnSelChangeSsidBroadcast() {
    StoreSelection(m_ssidBroadcastCombo,
                   [](int v) { Image().SetSsidBroadcast(static_cast<BYTE>(v)); });
}

void CAdvancedPage::OnSelChangeRoaming() {
    StoreSelection(m_roamingCombo,
                   [](int v) { Image().SetInternationalRoaming(static_cast<BYTE>(v)); });
}

void CAdvancedPage::OnSelChangeAntenna() {
    StoreSelection(m_antennaCombo, [](int v) { Image().SetAntennaSelect(static_cast<WORD>(v)); });
}

void CAdvancedPage::OnKillFocusNumber() {
    UpdateData(FALSE);
}
