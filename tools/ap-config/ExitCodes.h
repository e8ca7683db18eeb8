#pragma once

#include <vector>

// Exit codes of ap-config: each means one thing.
enum ExitCode {
    kExitDone = 0,
    kExitDevice = 1,          // the access point could not be reached or did not answer
    kExitRefused = 2,         // usage, or a value refused
    kExitReadBackDiffers = 3, // written, but the read-back differs
    kExitWrongPassword = 4,   // the password is not one the access point holds
    kExitInUse = 5,           // the device or the configuration is held by another program
    kExitBackupDiffers = 6,   // diff: the backup and the access point differ
    kExitChanged = 7,         // another program changed the access point since it was read
    kExitOutput = 8,          // the result could not be written to standard output
};

// One exit code with its texts, for --help, the manual page and the guide alike.
struct ExitCodeInfo {
    int code;
    const char* word;    // the code word of --json's error object: "device", "refused", ...
    const char* brief;   // --help
    const char* meaning; // the manual page and the guide, `literal` words in backquotes
};
const std::vector<ExitCodeInfo>& ExitCodes();
// The word a JSON error object names an exit code by.
const char* ExitWord(int code);
