#include "KeyExport.h"

#include "Codepage1252.h"
#include "ConfigFields.h"
#include "device/ConfigWords.h"
#include "platform/HexText.h"

#include <random>

namespace {

bool PlainSsid(const std::string& bytes) {
    for (char c : bytes) {
        unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || u > 0x7E || c == '"' || c == '\\' || c == ';')
            return false;
    }
    return !bytes.empty();
}

// A string value as the keyfile format (GLib's key files) reads it back: blanks at the
// start as \s (the reader drops them otherwise), line ends, tabs and backslashes escaped, so
// that no value can end its line and start an entry of its own.
std::string KeyfileString(const std::string& utf8) {
    std::string out;
    bool leading = true;
    for (char c : utf8) {
        leading = leading && c == ' ';
        switch (c) {
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\\':
            out += "\\\\";
            break;
        default:
            out += leading ? std::string("\\s") : std::string(1, c);
        }
    }
    return out;
}

// The ESSID's bytes as the keyfile's list of numbers: "65;80;".
std::string ByteList(const std::string& bytes) {
    std::string out;
    for (char c : bytes)
        out += std::to_string(static_cast<unsigned char>(c)) + ";";
    return out;
}

// The client's transmit key: the active key's number minus one (0 when the access point
// holds no valid active key).
int TxKeyIndex(const ConfigImage& image) {
    BYTE active = image.ActiveKeyId();
    return active >= 1 && active <= 4 ? active - 1 : 0;
}

std::string NewUuid() {
    std::random_device random;
    unsigned char b[16];
    for (unsigned char& c : b)
        c = static_cast<unsigned char>(random());
    b[6] = static_cast<unsigned char>((b[6] & 0x0F) | 0x40);
    b[8] = static_cast<unsigned char>((b[8] & 0x3F) | 0x80);
    std::string hex = HexText::Of(b, 16);
    return hex.substr(0, 8) + "-" + hex.substr(8, 4) + "-" + hex.substr(12, 4) + "-" +
           hex.substr(16, 4) + "-" + hex.substr(20);
}

} // namespace

bool KeyExport::ParseFormat(const std::string& name, Format* format) {
    if (name == "wpa_supplicant")
        *format = kWpaSupplicant;
    else if (name == "networkmanager")
        *format = kNetworkManager;
    else if (name == "plain")
        *format = kPlain;
    else
        return false;
    return true;
}

std::string KeyExport::Unusable(const ConfigImage& image, Format format) {
    if (format != kPlain && image.Essid().empty())
        return "the ESSID is empty: no client could join the network this export describes; "
               "set an ESSID first";
    return "";
}

std::string KeyExport::Render(const ConfigImage& image, Format format) {
    std::string ssid = image.Essid();
    std::string out;
    BYTE auth = image.AuthType();
    if (format == kWpaSupplicant) {
        out += "network={\n";
        // The ESSID's bytes exactly as the access point sends them: quoted when plain ASCII,
        // otherwise as hexadecimal bytes.
        out += PlainSsid(ssid) ? "\tssid=\"" + ssid + "\"\n" : "\tssid=" + HexText::Of(ssid) + "\n";
        out += "\tkey_mgmt=NONE\n";
        for (int k = 0; k < 4; ++k)
            out += "\twep_key" + std::to_string(k) + "=" + ConfigFields::KeyHex(image, k) + "\n";
        out += "\twep_tx_keyidx=" + std::to_string(TxKeyIndex(image)) + "\n";
        out += std::string("\tauth_alg=") +
               (auth == 1   ? "SHARED"
                : auth == 2 ? "OPEN SHARED"
                            : "OPEN") +
               "\n";
        out += "}\n";
    } else if (format == kNetworkManager) {
        // The ESSID as the connection's name, escaped; as the SSID its bytes exactly: as text
        // only when that is plain printable ASCII that the reader keeps as it is.
        out += "[connection]\nid=" + KeyfileString(Codepage1252::ToUtf8(ssid)) +
               "\nuuid=" + NewUuid() + "\ntype=wifi\n\n[wifi]\nmode=infrastructure\n";
        bool asText = PlainSsid(ssid) && ssid.front() != ' ' && ssid.back() != ' ';
        out += "ssid=" + (asText ? ssid : ByteList(ssid)) + "\n";
        out += "\n[wifi-security]\nkey-mgmt=none\n";
        out += std::string("auth-alg=") + (auth == 1 ? "shared" : "open") + "\n";
        out += "wep-key-type=1\n";
        for (int k = 0; k < 4; ++k)
            out += "wep-key" + std::to_string(k) + "=" + ConfigFields::KeyHex(image, k) + "\n";
        out += "wep-tx-keyidx=" + std::to_string(TxKeyIndex(image)) + "\n";
        out += "\n[ipv4]\nmethod=auto\n\n[ipv6]\nmethod=auto\n";
    } else {
        const char* type = kWepTypeWords.TextOf(image.WepType());
        const char* authText = kAuthTypeWords.TextOf(auth);
        const char* active = kActiveKeyWords.TextOf(image.ActiveKeyId());
        out += "ESSID: " + ConfigFields::Escaped(Codepage1252::ToUtf8(ssid)) + "\n";
        out += std::string("WEP: ") + (type ? type : "?") + ", " +
               (authText ? authText : "unknown authentication") + ", active " +
               (active ? active : "key unknown") + "\n";
        for (int k = 0; k < 4; ++k)
            out += "Key " + std::to_string(k + 1) + ": " + ConfigFields::KeyHex(image, k) + "\n";
    }
    return out;
}
