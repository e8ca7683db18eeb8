// ap-config list: the attached access points by device name, with their MAC addresses when
// the password is given.
#include "Session.h"

#include "Codepage1252.h"
#include "device/ConfigTransfer.h"
#include "device/DeviceChannel.h"
#include "platform/DeviceList.h"
#include "platform/SystemText.h"

namespace {

class List : public Command {
public:
    List()
        : Command("list",
                  "the attached access points; their MAC addresses\nwhen the password is given",
                  "The attached access points by device name (on Linux the device sockets, found "
                  "without opening them); with a password given (`--password-file` or "
                  "`AP_PASSWORD`; never asked for here), each unit is read and its MAC address "
                  "shown, or why it has none.",
                  "AP_PASSWORD=admin ap-config list", 0, {}, Arguments::kNone) {}
    int Run(Session& s) const override {
        s.BeforeDevices();
        std::vector<std::string> names = devlist::AttachedDevices();
        // The addresses need the login: only when a password is given, never asked for.
        std::string ignored;
        bool given = s.Flag(Opt::kPasswordFile) || systemtext::Environment("AP_PASSWORD", &ignored);
        std::vector<std::string> lines;
        if (given && !s.PasswordLines(&lines, false))
            return kExitRefused;
        std::string typed, refused;
        bool convertible = given && Codepage1252::FromUtf8(lines[0], &typed, &refused);
        nlohmann::ordered_json units = nlohmann::ordered_json::array();
        for (const std::string& name : names) {
            nlohmann::ordered_json unit = {{"device", name}};
            if (!given) {
                units.push_back(unit);
                s.PrintLine(name);
                continue;
            }
            SetDeviceName(name);
            ConfigImage image;
            // What stands in place of the address: a code word for programs, words for people.
            std::string state, code;
            switch (ReadConfigurationBlock(image.Bytes(), kSelectCurrent)) {
            case TransferOutcome::kOk:
                if (convertible && LoginAccepts(image, typed))
                    state = ConfigFields::Text(image, "macAddress", "");
                else
                    state = "(the password is not this access point's)", code = "wrong-password";
                break;
            case TransferOutcome::kOpenFailed:
                if (GetLastError() == ERROR_SHARING_VIOLATION)
                    state = "(in use by another program)", code = "in-use";
                else
                    state = "(does not open)", code = "does-not-open";
                break;
            case TransferOutcome::kRequestFailed:
                state = "(does not answer)", code = "no-answer";
                break;
            }
            s.PrintLine(name + std::string(name.size() < 12 ? 12 - name.size() : 1, ' ') + state);
            unit["macAddress"] = code.empty() ? nlohmann::ordered_json(state) : nullptr;
            if (!code.empty()) {
                unit["state"] = code;
                unit["message"] = state.substr(1, state.size() - 2);
            }
            units.push_back(unit);
        }
        s.Report() = {{"units", units}};
        return kExitDone;
    }
};

} // namespace

const Command& ListCommand() {
    static const List command;
    return command;
}
