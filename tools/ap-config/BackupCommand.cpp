// ap-config backup: the whole configuration as a file of its own.
#include "ApConfig.h"

#include "Console.h"
#include "PrivateFile.h"

int ApConfig::Backup() {
    std::string error;
    BackupFile backup = BackupFile::FromImage(m_image, m_firmware, m_withPassword);
    if (!PrivateFile::Write(m_words[1], backup.ToJson(), &error))
        return Fail(kExitRefused, "cannot write " + m_words[1] + ": " + error);
    if (m_withPassword)
        Fail(kExitDone, m_words[1] + " holds the access point's passwords (--with-password): "
                                     "keep it as you keep them");
    // With "-" the backup itself is the standard output; the note goes beside it.
    std::string note = "backup of " + ConfigFields::Text(m_image, "macAddress", "") +
                       " written to " + (m_words[1] == "-" ? "standard output" : m_words[1]) + "\n";
    if (m_words[1] != "-")
        return Print(note);
    Console::Err(note);
    return kExitDone;
}
