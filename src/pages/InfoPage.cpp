#include "InfoPage.h"

#include "device/ConfigWords.h"
#include "device/DeviceChannel.h"
#include "platform/HexText.h"

#include <cstdio>

namespace {

const char* RegulationText(BYTE domain) {
    return RegulationDomainText(domain);
}
} // namespace

const char CInfoPage::kUtilityVersion[] = " 1.0.2.0";

CInfoPage::CInfoPage() : CPageDialog(IDD_INFO) {}

CInfoPage::~CInfoPage() {
    DeleteObject(m_logo.SetBitmap(nullptr));
}

void CInfoPage::DoDataExchange(CDataExchange* pDX) {
    CPageDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_LOGO, m_logo);
    DDX_Text(pDX, IDC_REGULATION, m_strRegulation);
    DDX_Text(pDX, IDC_FIRMWARE, m_strFirmware);
    DDX_Text(pDX, IDC_MAC, m_strMac);
    DDX_Text(pDX, IDC_UTILITY_VERSION, m_strUtilityVersion);
}

void CInfoPage::LoadFromImage() {
    const ConfigImage& image = Image();
    m_strUtilityVersion = kUtilityVersion;
    m_strFirmware = std::string(" ") + g_szFirmwareVersion;
    if (const char* text = RegulationText(image.RegulationDomain()))
        m_strRegulation = text;
    m_strMac = " " + HexText::Of(image.MacAddress().data(), 6, false, "-");
    auto logo =
        static_cast<HBITMAP>(LoadImageA(nullptr, ".\\OEM\\Logo.bmp", IMAGE_BITMAP, 0, 0,
                                        LR_LOADFROMFILE | LR_DEFAULTSIZE | LR_CREATEDIBSECTION));
    DeleteObject(m_logo.SetBitmap(logo));
    UpdateData(FALSE);
}

// The picture goes with the window; the next creation loads the file again.
void CInfoPage::OnDestroy() {
    DeleteObject(m_logo.SetBitmap(nullptr));
}
