#include "ExitCodes.h"

const std::vector<ExitCodeInfo>& ExitCodes() {
    static const std::vector<ExitCodeInfo> codes = {
        {kExitDone, "done", "done (diff: equal)",
         "Done (for `diff`: the backup and the access point are equal)."},
        {kExitDevice, "device", "device failure",
         "Device failure: the access point could not be reached or did not answer (\"Please "
         "Attach the Access Point USB Connector or Install the Access Point Driver !\", \"Cannot "
         "get the configuration\"), or the loopback transport's token is missing, refused or "
         "unreadable."},
        {kExitRefused, "refused", "usage or a value refused",
         "Usage, or a value refused; nothing was written."},
        {kExitReadBackDiffers, "read-back-differs", "written but the read-back differs",
         "Written, but the read-back differs: the configuration read back after the write "
         "differs (the fields are named)."},
        {kExitWrongPassword, "wrong-password", "wrong password",
         "Wrong password: \"The password you typed is incorrect.\""},
        {kExitInUse, "in-use", "in use: another program, the utility or another ap-config",
         "In use: another program holds the device open, or a command that writes found the "
         "utility running for this user (without `--force`) or another `ap-config` writing to "
         "the unit (without `--wait`); the message names which; nothing was written."},
        {kExitBackupDiffers, "differs", "diff: the backup and the access point differ",
         "`diff`: the backup and the access point differ."},
        {kExitChanged, "changed-meanwhile", "another program changed the unit since the read",
         "Another program changed the access point since it was read: it no longer holds what "
         "the command read, and nothing was written; run the command again."},
        {kExitOutput, "output", "the result could not be printed",
         "The result could not be written to standard output (`ap-config: cannot write to "
         "standard output: No space left on device`): every write and the final flush are "
         "checked. What the command did, it did: a write that went through stays written."},
    };
    return codes;
}

const char* ExitWord(int code) {
    for (const ExitCodeInfo& c : ExitCodes())
        if (c.code == code)
            return c.word;
    return "failed";
}
