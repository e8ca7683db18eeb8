// ap-config reset: the factory settings written as "Default" then "Apply" write them: the
// login password kept, the key table back to its default keys.
#include "Session.h"

#include "device/ConfigTransfer.h"
#include "device/DeviceChannel.h"
#include "device/KeyStoreFile.h"

namespace {

class Reset : public Command {
public:
    Reset()
        : Command("reset",
                  "the factory settings, as Default then Apply write\nthem (the login password "
                  "kept, the keys reset)",
                  "The factory settings, written as the Default and then the Apply button of the "
                  "dialogs write them: the login password is kept, the key table takes its "
                  "default keys (and the key file with it); verified as `set`. `--dry-run` lists "
                  "every field the write changes, the factory block's MAC address and "
                  "regulation domain included.",
                  "ap-config reset --dry-run", kReadsUnit | kWrites,
                  {Opt::kForce, Opt::kWait, Opt::kNoKeyFile, Opt::kTakeKeyFile, Opt::kDryRun},
                  Arguments::kNone) {}
    int Run(Session& s) const override {
        ConfigImage factory;
        if (ReadConfigurationBlock(factory.Bytes(), kSelectFactory) != TransferOutcome::kOk)
            return s.Fail(kExitDevice, "the factory settings of " + s.Device() +
                                           " could not be read; nothing was written");
        ConfigImage changed = s.Image();
        WepKeyTable keys;
        TakeFactorySettings(changed, factory, keys);
        return s.Write(changed, &keys);
    }
};

} // namespace

const Command& ResetCommand() {
    static const Reset command;
    return command;
}
