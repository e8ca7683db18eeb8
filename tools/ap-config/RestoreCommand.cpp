// ap-config restore: a backup checked, then written back over the same access point.
#include "ApConfig.h"

int ApConfig::ReadBackupFile() {
    std::string error;
    if (!m_backup.Load(m_words[1], &error))
        return Fail(kExitRefused, error + "; nothing was written");
    if (m_withPassword && !m_backup.passwords)
        return Fail(kExitRefused, m_words[1] + ": this backup holds no password (it was taken "
                                               "without --with-password); nothing was written");
    return kExitDone;
}

int ApConfig::Restore() {
    std::string mac = ConfigFields::Text(m_image, "macAddress", "");
    if (m_backup.macAddress != mac && !m_force)
        return Fail(kExitRefused, m_words[1] + " is the backup of " + m_backup.macAddress +
                                      ", the attached access point is " + mac +
                                      " (--force writes it all the same); nothing was written");
    ConfigImage restored = m_backup.RestoredOver(m_image, m_withPassword);
    std::vector<std::string> refusals = ConfigFields::CheckStored(restored, m_clamp);
    std::string why;
    if (m_withPassword && !StoredPasswordAcceptable(restored, &why))
        refusals.push_back("the login password refused: " + why);
    for (const std::string& r : refusals)
        Fail(kExitRefused, m_words[1] + ": " + r);
    if (!refusals.empty())
        return Fail(kExitRefused, "nothing was written");
    return WriteChanges(restored, true, true);
}
