// ap-config keys export: the active WEP keys in a client's file format.
#include "Session.h"

#include "KeyExport.h"
#include "device/KeyStoreFile.h"

namespace {

class KeysExport : public Command {
public:
    KeysExport()
        : Command("keys export", "the active WEP keys for clients",
                  "The active WEP keys for clients: a wpa_supplicant network block, a "
                  "NetworkManager connection file (every value escaped by the key file rules), or "
                  "plain text. An empty ESSID is refused for the client formats; with WEP "
                  "disabled it says so (exit 2).",
                  "ap-config keys export --format wpa_supplicant", kReadsUnit,
                  {Opt::kFormat, Opt::kOutput}, Arguments::kNone) {}
    int CheckArguments(Session& s) const override {
        KeyExport::Format format;
        std::string name = s.Value(Opt::kFormat, "plain");
        if (!KeyExport::ParseFormat(name, &format))
            return s.Fail(kExitRefused,
                          "unknown format " + name + " (wpa_supplicant, networkmanager or plain)");
        return kExitDone;
    }
    int Run(Session& s) const override {
        KeyExport::Format format;
        std::string name = s.Value(Opt::kFormat, "plain");
        KeyExport::ParseFormat(name, &format);
        const ConfigImage& image = s.Image();
        if (ActiveKeySize(image.WepType()) == 0)
            return s.Fail(
                kExitRefused,
                "WEP is " + std::string(image.WepType() == 0 ? "disabled" : "of an unknown type") +
                    " on the access point: there are no keys to export");
        std::string unusable = KeyExport::Unusable(image, format);
        if (!unusable.empty())
            return s.Fail(kExitRefused, unusable + "; nothing was written");
        s.Report()["format"] = name;
        return s.Output(KeyExport::Render(image, format)) ? kExitDone : kExitRefused;
    }
};

} // namespace

const Command& KeysExportCommand() {
    static const KeysExport command;
    return command;
}
