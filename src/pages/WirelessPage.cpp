#include "WirelessPage.h"

#include "device/ConfigWords.h"

namespace {

const auto& kRateTexts = kRateWords;
const auto& kModes = kModeWords;

} // namespace

CWirelessPage::CWirelessPage() : CPageDialog(IDD_WIRELESS) {}

BEGIN_MESSAGE_MAP(CWirelessPage, CPageDialog)
ON_CBN_SELCHANGE(IDC_MODE, OnSelChangeMode)
ON_EN_CHANGE(IDC_NAME, OnChangeName)
ON_EN_CHANGE(IDC_ESSID, OnChangeEssid)
ON_CBN_SELCHANGE(IDC_RATE, OnSelChangeRate)
ON_CBN_SELCHANGE(IDC_CHANNEL, OnSelChangeChannel)
ON_CONTROL_RANGE(EN_CHANGE, IDC_BSSID0, IDC_BSSID5, OnChangeBssid)
ON_CONTROL_RANGE(EN_KILLFOCUS, IDC_BSSID0, IDC_BSSID5, OnKillFocusBssid)
END_MESSAGE_MAP()

void CWirelessPage::DoDataExchange(CDataExchange* pDX) {
    CPageDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_MODE, m_modeCombo);
    DDX_Control(pDX, IDC_CHANNEL, m_channelCombo);
    DDX_Control(pDX, IDC_RATE, m_rateCombo);
    for (int i = 5; i >= 0; --i)
        DDX_Control(pDX, IDC_BSSID0 + i, m_bssidEdit[i]);
    DDX_Text(pDX, IDC_NAME, m_strName);
    DDV_MaxChars(pDX, m_strName, 32);
    DDX_Text(pDX, IDC_ESSID, m_strEssid);
    DDV_MaxChars(pDX, m_strEssid, 32);
    for (int i = 0; i < 6; ++i) {
        DDX_Text(pDX, IDC_BSSID0 + i, m_strBssid[i]);
        DDV_MaxChars(pDX, m_strBssid[i], 2);
    }
}

void CWirelessPage::LoadFromImage() {
    ConfigImage& image = Image();
    m_strName = image.ApName();
    m_strEssid = image.Essid();
    image.TerminateEssid();

    m_rateCombo.ResetContent();
    for (int i = 0; i < kRateCount; ++i)
        m_rateCombo.InsertString(i, kRateTexts[i]);
    m_rateCombo.SetCurSel(RateSelectionOf(image));

    m_channelCombo.ResetContent();
    int first = 0, last = 0;
    if (ChannelRangeFor(image.RegulationDomain(), &first, &last)) {
        for (int c = first; c <= last; ++c)
            m_channelCombo.InsertString(c - first, ChannelText(c));
        int position = image.Channel() - first;
        m_channelCombo.SetCurSel(position >= 0 && position <= last - first ? position : -1);
    }

    m_modeCombo.ResetContent();
    int modePosition = -1;
    for (int i = 0; i < 5; ++i) {
        m_modeCombo.InsertString(i, kModes[i].text);
        if (kModes[i].value == image.OperationalMode())
            modePosition = i;
    }
    m_modeCombo.SetCurSel(modePosition);

    auto bssid = image.PreferredBssid();
    for (int i = 0; i < 6; ++i)
        m_strBssid[i] = HexByteText(bssid[static_cast<size_t>(i)], true);
    UpdateBssidEnabling();
    UpdateData(FALSE);
}

void CWirelessPage::UpdateBssidEnabling() {
    int position = m_modeCombo.GetCurSel();
    if (position < 0 || position >= 5)
        return;
    for (CHexEdit& edit : m_bssidEdit)
        edit.EnableWindow(kModes[position].bssidEnabled);
}

void CWirelessPage::OnSelChangeMode() {
    UpdateData(TRUE);
    int position = m_modeCombo.GetCurSel();
    if (position >= 0 && position < 5)
        Image().SetOperationalMode(kModes[position].value);
    UpdateBssidEnabling();
}

void CWirelessPage::OnChangeName() {
    UpdateData(TRUE);
    Image().SetApName(m_strName);
}

void CWirelessPage::OnChangeEssid() {
    UpdateData(TRUE);
    Image().SetEssid(m_strEssid);
}

void CWirelessPage::OnSelChangeRate() {
    UpdateData(TRUE);
    StoreRateSelection(Image(), m_rateCombo.GetCurSel());
}

void CWirelessPage::OnSelChangeChannel() {
    UpdateData(TRUE);
    int first = 0, last = 0;
    int position = m_channelCombo.GetCurSel();
    if (position >= 0 && ChannelRangeFor(Image().RegulationDomain(), &first, &last))
        Image().SetChannel(static_cast<BYTE>(first + position));
}

void CWirelessPage::OnChangeBssid() {
    UpdateData(TRUE);
    StoreBssid();
}

void CWirelessPage::StoreBssid() {
    for (int i = 0; i < 6; ++i) {
        if (m_strBssid[i].empty()) // an emptied field stores 00
            m_strBssid[i] = "00";
        BYTE value = Image().PreferredBssid()[static_cast<size_t>(i)];
        m_bssidEdit[i].ReadByte(m_strBssid[i], &value, true);
        Image().SetPreferredBssidByte(i, value);
    }
}

void CWirelessPage::OnKillFocusBssid() {
    UpdateData(FALSE);
}
