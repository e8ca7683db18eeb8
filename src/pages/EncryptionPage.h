#pragma once

#include "HexEdit.h"
#include "PageDialog.h"
#include "device/WepKeyTable.h"
#include "resources/Dialog131Ids.h"

#include <string>

// WEP type, authentication type, active key, and the four 64-bit and four 128-bit keys,
// typed byte by byte. Keys are shown from the key table; a group reaches the image's key
// slots when it is collected.
class CEncryptionPage : public CPageDialog {
public:
    CEncryptionPage();
    void LoadFromImage() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnSelChangeWepType();
    void OnSelChangeAuthType();
    void OnSelChangeActiveKey();
    void OnChangeKey64();
    void OnChangeKey128();
    void OnKillFocusKey();
    void CollectKeys64();
    void CollectKeys128();
    void UpdateKeyEnabling();

    CComboBox m_activeKeyCombo;
    CComboBox m_authTypeCombo;
    CComboBox m_wepTypeCombo;
    CHexEdit m_key64Edit[4][5];
    CHexEdit m_key128Edit[4][13];
    std::string m_key64Text[4][5];
    std::string m_key128Text[4][13];

    DECLARE_MESSAGE_MAP()
};

extern CEncryptionPage g_encryptionPage;
