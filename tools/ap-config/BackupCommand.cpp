// ap-config backup: the whole configuration as a file of its own.
#include "ApConfig.h"

#include "PrivateFile.h"

int ApConfig::Backup() {
    std::string error;
    BackupFile backup = BackupFile::FromImage(m_image, m_firmware, m_withPassword);
    if (!PrivateFile::Write(m_words[1], backup.ToJson(), &error))
        return Fail(kExitRefused, "cannot write " + m_words[1] + ": " + error);
    if (m_withPassword)
        Note(m_words[1] + " holds the access point's passwords (--with-password): keep it as you "
                          "keep them");
    // With "-" the backup itself is the standard output (with --json its document); the
    // note goes beside it.
    m_documentPrinted = m_words[1] == "-";
    std::string note = "backup of " + UnitName() + " written to " +
                       (m_words[1] == "-" ? "standard output" : m_words[1]);
    m_report["file"] = m_words[1];
    m_report["passwords"] = m_withPassword;
    if (m_words[1] != "-")
        return PrintLine(note);
    Note(note);
    return kExitDone;
}
