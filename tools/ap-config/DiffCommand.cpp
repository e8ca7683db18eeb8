// ap-config diff: the fields where a backup and the access point differ.
#include "Session.h"

#include "ChangeReport.h"

namespace {

class Diff : public Command {
public:
    Diff()
        : Command("diff",
                  "the fields where a backup and the access point differ\n(exit 0 equal, 6 "
                  "different)",
                  "The fields where a backup and the access point differ, in the words of `show`: "
                  "the access point's value, then the backup's; the passwords only as `differs`. "
                  "The values each unit keeps as its own are not compared. Exit 0 when they are "
                  "equal, 6 when they differ.",
                  "ap-config diff ap1.json", kReadsUnit | kSeveralUnits, {}, Arguments::kFile) {}
    int ReadInputs(Session& s) const override { return ReadBackupInput(s); }
    int Run(Session& s) const override {
        ConfigImage backup = s.Image();
        std::copy(s.backup.block.begin(), s.backup.block.end(), backup.Bytes());
        std::vector<FieldChange> changes = ConfigFields::Changes(
            s.Image(), backup, s.backup.passwords ? kComparePasswords : kCompareSettable);
        s.Report() = ChangeReport::Json(changes, "accessPoint", "backup");
        s.Print(ChangeReport::Text(changes));
        // What a restore of it would refuse, in the same words.
        ConfigImage restored = s.backup.RestoredOver(s.Image(), false);
        for (const std::string& refused : ConfigFields::CheckStored(restored, NumberRule::kRefuse))
            s.Note("a restore of " + s.File() + " would refuse " + refused);
        return changes.empty() ? kExitDone : kExitBackupDiffers;
    }
};

} // namespace

const Command& DiffCommand() {
    static const Diff command;
    return command;
}
