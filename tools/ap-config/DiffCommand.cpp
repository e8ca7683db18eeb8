// ap-config diff: the fields where a backup and the access point differ.
#include "ApConfig.h"

#include "ChangeReport.h"
#include "Console.h"

int ApConfig::Diff() {
    ConfigImage backup = m_image;
    std::copy(m_backup.block.begin(), m_backup.block.end(), backup.Bytes());
    std::vector<FieldChange> changes = ConfigFields::Changes(m_image, backup, m_backup.passwords);
    if (m_json)
        PrintLine(ConfigFields::JsonText(ChangeReport::Json(changes, "accessPoint", "backup")));
    else
        Print(ChangeReport::Text(changes));
    // What a restore of it would refuse, in the same words.
    ConfigImage restored = m_backup.RestoredOver(m_image, false);
    for (const std::string& refused : ConfigFields::CheckStored(restored, false))
        Console::Err("ap-config: a restore of " + m_words[1] + " would refuse " + refused + "\n");
    return changes.empty() ? kExitDone : kExitBackupDiffers;
}
