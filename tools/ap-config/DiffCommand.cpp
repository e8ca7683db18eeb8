// ap-config diff: the fields where a backup and the access point differ.
#include "ApConfig.h"

#include "ChangeReport.h"

int ApConfig::Diff() {
    ConfigImage backup = m_image;
    std::copy(m_backup.block.begin(), m_backup.block.end(), backup.Bytes());
    std::vector<FieldChange> changes = ConfigFields::Changes(m_image, backup, m_backup.passwords);
    m_report = ChangeReport::Json(changes, "accessPoint", "backup");
    Print(ChangeReport::Text(changes));
    // What a restore of it would refuse, in the same words.
    ConfigImage restored = m_backup.RestoredOver(m_image, false);
    for (const std::string& refused : ConfigFields::CheckStored(restored, false))
        Note("a restore of " + m_words[1] + " would refuse " + refused);
    return changes.empty() ? kExitDone : kExitBackupDiffers;
}
