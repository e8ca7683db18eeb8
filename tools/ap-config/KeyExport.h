#pragma once

#include "device/ConfigImage.h"

#include <string>

// The access point's active WEP configuration as clients take it. Key n of the access point
// ("Key 1" .. "Key 4") is key n-1 of the clients.
class KeyExport {
public:
    enum Format { kWpaSupplicant, kNetworkManager, kPlain };
    // "wpa_supplicant", "networkmanager", "plain".
    static bool ParseFormat(const std::string& name, Format* format);
    // The text for the image; the image's WEP must be on (64-bit or 128-bit) and, for the
    // client formats, its ESSID not empty (see Usable).
    static std::string Render(const ConfigImage& image, Format format);
    // Why no client could use the export, or empty: an empty ESSID names no network.
    static std::string Unusable(const ConfigImage& image, Format format);
};
