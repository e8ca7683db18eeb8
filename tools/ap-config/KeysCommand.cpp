// ap-config keys export: the active WEP keys in a client's file format.
#include "ApConfig.h"

#include "KeyExport.h"
#include "device/KeyStoreFile.h"

int ApConfig::ExportKeys() {
    KeyExport::Format format;
    KeyExport::ParseFormat(m_format, &format);
    if (ActiveKeySize(m_image.WepType()) == 0)
        return Fail(kExitRefused,
                    "WEP is " +
                        std::string(m_image.WepType() == 0 ? "disabled" : "of an unknown type") +
                        " on the access point: there are no keys to export");
    std::string unusable = KeyExport::Unusable(m_image, format);
    if (!unusable.empty())
        return Fail(kExitRefused, unusable + "; nothing was written");
    m_report["format"] = m_format;
    return Output(KeyExport::Render(m_image, format)) ? kExitDone : kExitRefused;
}
