#pragma once

#include "PageDialog.h"
#include "resources/Dialog132Ids.h"

#include <string>

// The logo, the utility's and the firmware's versions, the regulation domain and the MAC
// address. Only shows; never writes.
class CInfoPage : public CPageDialog {
public:
    CInfoPage();
    ~CInfoPage() override;
    void LoadFromImage() override;

    static const char kUtilityVersion[];

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnDestroy() override;

    CStatic m_logo;
    std::string m_strRegulation;
    std::string m_strFirmware;
    std::string m_strMac;
    std::string m_strUtilityVersion;
};

extern CInfoPage g_infoPage;
