#include "AdvancedPage.h"

#include <cstdlib>

namespace {

const int IDC_FRAGMENT = 1077, IDC_RTS = 1078, IDC_BEACON = 1079, IDC_PREAMBLE = 1080,
          IDC_ANTENNA = 1081, IDC_SSID_BROADCAST = 1082, IDC_ROAMING = 1083;

// The RTS/CTS lower bound 0 never applies to typed digits; it keeps pasted negative
// numbers inside the range.
const CAdvancedPage::ThresholdRule kFragmentRule{"256", 256, "256", 2346, "2346"};
const CAdvancedPage::ThresholdRule kRtsRule{"0", 0, "0", 2346, "2347"};
const CAdvancedPage::ThresholdRule kBeaconRule{"20", 20, "20", 1000, "1000"};

// The number at the start of text, as atol reads it (without atol's overflow).
long ReadNumber(const std::string& text) {
    return std::strtol(text.c_str(), nullptr, 10);
}

int SelectionFor(int value, int count) {
    return value >= 1 && value <= count ? value - 1 : -1;
}

void FillList(CComboBox& combo, std::initializer_list<const char*> items, int value) {
    combo.ResetContent();
    int i = 0;
    for (const char* item : items)
        combo.InsertString(i++, item);
    combo.SetCurSel(SelectionFor(value, static_cast<int>(items.size())));
}

} // namespace

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
    FillList(m_preambleCombo, {"Short", "Long"}, image.PreambleType());
    FillList(m_antennaCombo, {"Left", "Right", "Diversity"}, image.AntennaSelect());
    FillList(m_ssidBroadcastCombo, {"Enable", "Disable"}, image.SsidBroadcast());
    FillList(m_roamingCombo, {"Enable", "Disable"}, image.InternationalRoaming());
    UpdateData(FALSE);
}

WORD CAdvancedPage::CorrectThreshold(const ThresholdRule& rule, std::string& text) {
    if (text.empty())
        text = rule.emptyText;
    long value = ReadNumber(text);
    if (value < rule.lower)
        text = rule.lowerText;
    if (value > rule.upperCheck)
        text = rule.upperText;
    long stored = ReadNumber(text);
    // Pasted text such as "12ab" reads as its leading number; whatever it was, what is
    // stored lies within the field's range.
    if (stored < rule.lower) {
        text = rule.lowerText;
        stored = ReadNumber(text);
    }
    return static_cast<WORD>(stored);
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
