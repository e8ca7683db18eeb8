// ap-config diff: the fields where a backup and the access point differ.
#include "ApConfig.h"

#include "ChangeReport.h"

int ApConfig::Diff() {
    ConfigImage backup = m_image;
    std::copy(m_backup.block.begin(), m_backup.block.end(), backup.Bytes());
    std::vector<FieldChange> changes = ConfigFields::Changes(m_image, backup, m_backup.passwords);
    if (m_json)
        PrintLine(ConfigFields::JsonText(ChangeReport::Json(changes, "accessPoint", "backup")));
    else
        Print(ChangeReport::Text(changes));
    return changes.empty() ? kExitDone : kExitBackupDiffers;
}
