#include "EncryptionPage.h"

namespace {
const int IDC_ACTIVE_KEY = 1076, IDC_WEP_TYPE = 1083, IDC_AUTH_TYPE = 1084;
}

const int CEncryptionPage::kKey64Ids[4][5] = {{1058, 1057, 1056, 1055, 1054},
                                              {1063, 1062, 1061, 1060, 1059},
                                              {1068, 1067, 1066, 1065, 1064},
                                              {1073, 1072, 1071, 1070, 1069}};
const int CEncryptionPage::kKey128Ids[4][13] = {
    {1085, 1013, 1012, 1011, 1086, 1087, 1088, 1005, 1006, 1007, 1008, 1009, 1010},
    {1027, 1026, 1025, 1024, 1089, 1090, 1091, 1092, 1093, 1020, 1021, 1022, 1023},
    {1040, 1039, 1038, 1037, 1028, 1029, 1030, 1031, 1032, 1033, 1034, 1035, 1036},
    {1053, 1052, 1051, 1050, 1041, 1042, 1043, 1044, 1045, 1046, 1047, 1048, 1049}};

CEncryptionPage::CEncryptionPage() : CPageDialog(IDD_ENCRYPTION) {}

// The 64-bit fields are 1054..1073; the 128-bit ones 1005..1013, 1020..1053, 1085..1093.
BEGIN_MESSAGE_MAP(CEncryptionPage, CPageDialog)
ON_CBN_SELCHANGE(IDC_WEP_TYPE, OnSelChangeWepType)
ON_CBN_SELCHANGE(IDC_AUTH_TYPE, OnSelChangeAuthType)
ON_CBN_SELCHANGE(IDC_ACTIVE_KEY, OnSelChangeActiveKey)
ON_CONTROL_RANGE(EN_CHANGE, 1054, 1073, OnChangeKey64)
ON_CONTROL_RANGE(EN_CHANGE, 1005, 1013, OnChangeKey128)
ON_CONTROL_RANGE(EN_CHANGE, 1020, 1053, OnChangeKey128)
ON_CONTROL_RANGE(EN_CHANGE, 1085, 1093, OnChangeKey128)
ON_CONTROL_RANGE(EN_KILLFOCUS, 1054, 1073, OnKillFocusKey)
ON_CONTROL_RANGE(EN_KILLFOCUS, 1005, 1013, OnKillFocusKey)
ON_CONTROL_RANGE(EN_KILLFOCUS, 1020, 1053, OnKillFocusKey)
ON_CONTROL_RANGE(EN_KILLFOCUS, 1085, 1093, OnKillFocusKey)
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
    for (int k = 0; k < 4; ++k) {
        for (int j = 0; j < N; ++j) {
            edits[k][j].ReadByte(texts[k][j], &table[k][j], false);
            image.SetWepKeyByte(k, j, table[k][j]);
        }
    }
}

} // namespace

void CEncryptionPage::CollectKeys64() {
    CollectKeys(m_key64Edit, m_key64Text, g_wepKeyTable.keys64, Image());
}

void CEncryptionPage::CollectKeys128() {
    CollectKeys(m_key128Edit, m_key128Text, g_wepKeyTable.keys128, Image());
}
