#include "EncryptionPage.h"

#include "device/KeyStoreFile.h"

CEncryptionPage::CEncryptionPage() : CPageDialog(IDD_ENCRYPTION) {}

BEGIN_MESSAGE_MAP(CEncryptionPage, CPageDialog)
ON_CBN_SELCHANGE(IDC_WEP_TYPE, OnSelChangeWepType)
ON_CBN_SELCHANGE(IDC_AUTH_TYPE, OnSelChangeAuthType)
ON_CBN_SELCHANGE(IDC_ACTIVE_KEY, OnSelChangeActiveKey)
ON_CONTROL_RANGE(EN_CHANGE, IDC_KEY64_FIRST, IDC_KEY64_LAST, OnChangeKey64)
ON_CONTROL_RANGE(EN_CHANGE, IDC_KEY128_FIRST_A, IDC_KEY128_LAST_A, OnChangeKey128)
ON_CONTROL_RANGE(EN_CHANGE, IDC_KEY128_FIRST_B, IDC_KEY128_LAST_B, OnChangeKey128)
ON_CONTROL_RANGE(EN_CHANGE, IDC_KEY128_FIRST_C, IDC_KEY128_LAST_C, OnChangeKey128)
ON_CONTROL_RANGE(EN_KILLFOCUS, IDC_KEY64_FIRST, IDC_KEY64_LAST, OnKillFocusKey)
ON_CONTROL_RANGE(EN_KILLFOCUS, IDC_KEY128_FIRST_A, IDC_KEY128_LAST_A, OnKillFocusKey)
ON_CONTROL_RANGE(EN_KILLFOCUS, IDC_KEY128_FIRST_B, IDC_KEY128_LAST_B, OnKillFocusKey)
ON_CONTROL_RANGE(EN_KILLFOCUS, IDC_KEY128_FIRST_C, IDC_KEY128_LAST_C, OnKillFocusKey)
END_MESSAGE_MAP()

void CEncryptionPage::DoDataExchange(CDataExchange* pDX) {
    CPageDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_ACTIVE_KEY, m_activeKeyCombo);
    DDX_Control(pDX, IDC_AUTH_TYPE, m_authTypeCombo);
    DDX_Control(pDX, IDC_WEP_TYPE, m_wepTypeCombo);
    for (int k = 0; k < 4; ++k)
        for (int j = 0; j < 5; ++j)
            DDX_Control(pDX, kKey64Ids[k][j], m_key64Edit[k][j]);
    for (int k = 0; k < 4; ++k)
        for (int j = 0; j < 13; ++j)
            DDX_Control(pDX, kKey128Ids[k][j], m_key128Edit[k][j]);
    for (int k = 0; k < 4; ++k) {
        for (int j = 0; j < 5; ++j) {
            DDX_Text(pDX, kKey64Ids[k][j], m_key64Text[k][j]);
            DDV_MaxChars(pDX, m_key64Text[k][j], 2);
        }
    }
    for (int k = 0; k < 4; ++k) {
        for (int j = 0; j < 13; ++j) {
            DDX_Text(pDX, kKey128Ids[k][j], m_key128Text[k][j]);
            DDV_MaxChars(pDX, m_key128Text[k][j], 2);
        }
    }
}

void CEncryptionPage::LoadFromImage() {
    const ConfigImage& image = Image();
    FillWordList(m_wepTypeCombo, kWepTypeWords, image.WepType());
    FillWordList(m_authTypeCombo, kAuthTypeWords, image.AuthType());
    FillWordList(m_activeKeyCombo, kActiveKeyWords, image.ActiveKeyId());

    for (int k = 0; k < 4; ++k) {
        for (int j = 0; j < 5; ++j)
            m_key64Text[k][j] = HexByteText(g_wepKeyTable.keys64[k][j], false);
        for (int j = 0; j < 13; ++j)
            m_key128Text[k][j] = HexByteText(g_wepKeyTable.keys128[k][j], false);
    }
    UpdateKeyEnabling();
    UpdateData(FALSE);
}

void CEncryptionPage::UpdateKeyEnabling() {
    BYTE wepType = Image().WepType();
    if (wepType > 2)
        return;
    m_authTypeCombo.EnableWindow(wepType != 0);
    m_activeKeyCombo.EnableWindow(wepType != 0);
    for (int k = 0; k < 4; ++k) {
        for (CHexEdit& edit : m_key64Edit[k])
            edit.EnableWindow(wepType == 1);
        for (CHexEdit& edit : m_key128Edit[k])
            edit.EnableWindow(wepType == 2);
    }
}

void CEncryptionPage::OnSelChangeWepType() {
    UpdateData(TRUE);
    switch (m_wepTypeCombo.GetCurSel()) {
    case 0:
        Image().SetWepType(0);
        break;
    case 1:
        Image().SetWepType(1);
        CollectKeys64();
        break;
    case 2:
        Image().SetWepType(2);
        CollectKeys128();
        break;
    default:
        break;
    }
    UpdateKeyEnabling();
}

void CEncryptionPage::OnSelChangeAuthType() {
    UpdateData(TRUE);
    int sel = m_authTypeCombo.GetCurSel();
    if (sel >= 0 && sel <= 2)
        Image().SetAuthType(static_cast<BYTE>(sel));
}

void CEncryptionPage::OnSelChangeActiveKey() {
    UpdateData(TRUE);
    int sel = m_activeKeyCombo.GetCurSel();
    if (sel >= 0 && sel <= 3)
        Image().SetActiveKeyId(static_cast<BYTE>(sel + 1));
}

void CEncryptionPage::OnChangeKey64() {
    UpdateData(TRUE);
    CollectKeys64();
}

void CEncryptionPage::OnChangeKey128() {
    UpdateData(TRUE);
    CollectKeys128();
}

// An emptied field shows, once the focus has left it, the byte its key kept (CollectKeys
// put it in the field's text).
void CEncryptionPage::OnKillFocusKey() {
    UpdateData(FALSE);
}

namespace {

// Collects one key group: every field's byte into the key table and into bytes 0..N-1 of
// its key slot. A field that is empty, or whose text does not begin with a hexadecimal
// digit, keeps its byte in the table, and the slot takes that byte too: the slot may hold
// the other group's byte there, and the table, the slots and so the key file and the
// device must agree. A field shows the byte it stands for (CHexEdit::ReadByte).
template <int N>
void CollectKeys(CHexEdit (&edits)[4][N], std::string (&texts)[4][N], BYTE (&table)[4][N],
                 ConfigImage& image) {
    for (int k = 0; k < 4; ++k)
        for (int j = 0; j < N; ++j)
            edits[k][j].ReadByte(texts[k][j], &table[k][j], false);
    StoreKeyGroup(image, g_wepKeyTable, N);
}

} // namespace

void CEncryptionPage::CollectKeys64() {
    CollectKeys(m_key64Edit, m_key64Text, g_wepKeyTable.keys64, Image());
}

void CEncryptionPage::CollectKeys128() {
    CollectKeys(m_key128Edit, m_key128Text, g_wepKeyTable.keys128, Image());
}
