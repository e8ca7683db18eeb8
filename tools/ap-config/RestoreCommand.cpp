// ap-config restore: a backup checked, then written back over the same access point.
#include "Session.h"

#include "device/KeyStoreFile.h"

namespace {

class Restore : public Command {
public:
    Restore()
        : Command("restore",
                  "writes a backup back (same access point only,\nunless --other-unit; keeps the "
                  "login password\nunless --with-password)",
                  "Checks the backup (its format, its digest, and every value with the rules of "
                  "`set` in the unit's regulation domain), writes it back and verifies it, and "
                  "rebuilds the key file from the restored keys. Only onto the access point it "
                  "was taken from, unless `--other-unit`; the unit keeps its own MAC address, "
                  "regulation domain and second password, and its login password unless "
                  "`--with-password`. `-` reads the backup from standard input (then the "
                  "password cannot come from there).",
                  "ap-config restore ap1.json", kReadsUnit | kWrites,
                  {Opt::kForce, Opt::kWait, Opt::kWithPassword, Opt::kOtherUnit, Opt::kClamp,
                   Opt::kNoKeyFile, Opt::kTakeKeyFile, Opt::kDryRun},
                  Arguments::kFile) {}
    int ReadInputs(Session& s) const override { return ReadBackupInput(s); }
    int Run(Session& s) const override {
        std::string mac = ConfigFields::Text(s.Image(), "macAddress", "");
        if (s.backup.macAddress != mac && !s.Flag(Opt::kOtherUnit))
            return s.Fail(kExitRefused, s.File() + " is the backup of " + s.backup.macAddress +
                                            ", the attached access point is " + mac +
                                            " (--other-unit writes it all the same); nothing "
                                            "was written");
        bool password = s.Flag(Opt::kWithPassword);
        ConfigImage restored = s.backup.RestoredOver(s.Image(), password);
        std::vector<std::string> refusals = ConfigFields::CheckStored(
            restored, s.Flag(Opt::kClamp) ? NumberRule::kClamp : NumberRule::kRefuse);
        std::string why;
        if (password && !StoredPasswordAcceptable(restored, &why))
            refusals.push_back("the login password refused: " + why);
        for (const std::string& r : refusals)
            s.Fail(kExitRefused, s.File() + ": " + r);
        if (!refusals.empty())
            return s.Fail(kExitRefused, "nothing was written");
        // The key file as the dialogs build it for a unit: from the restored slots.
        WepKeyTable keys;
        KeyTableFromImage(restored, keys);
        return s.Write(restored, &keys);
    }
};

} // namespace

int ReadBackupInput(Session& s) {
    std::string error;
    if (!s.backup.Load(s.File(), &error))
        return s.Fail(kExitRefused, error + "; nothing was written");
    if (s.Flag(Opt::kWithPassword) && !s.backup.passwords)
        return s.Fail(kExitRefused, s.File() + ": this backup holds no password (it was taken "
                                               "without --with-password); nothing was written");
    return kExitDone;
}

const Command& RestoreCommand() {
    static const Restore command;
    return command;
}
