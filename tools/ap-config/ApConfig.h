#pragma once

#include "BackupFile.h"
#include "ConfigFields.h"
#include "device/ConfigImage.h"

#include <string>
#include <vector>

// Exit codes of ap-config.
enum ExitCode {
    kExitDone = 0,
    kExitDiffer = 1,        // diff: the backup and the access point differ
    kExitDevice = 1,        // the access point could not be reached or did not answer
    kExitRefused = 2,       // usage, or a value refused
    kExitDiffers = 3,       // written, but the read-back differs
    kExitWrongPassword = 4, // the password is not one the access point holds
    kExitInUse = 5,         // the device is open in another program, or the utility runs
};

// One run of ap-config: the options, the configuration read at the start, the commands.
class ApConfig {
public:
    // Runs the command line (without the program name); returns the exit code.
    int Run(const std::vector<std::string>& args);

private:
    friend class CommandLine;

    int RunCommand(const std::vector<std::string>& args);
    int CheckUsage();
    int ReadAndLogIn();
    // The exit for a device that would not open: in use by another program (5), else absent.
    int OpenFailed(const std::string& during) const;
    // Refuses a change while the utility runs for this user (its dialogs would write their
    // older copy of the whole configuration back at their next OK), unless --force.
    int CheckUtilityNotRunning() const;
    bool PasswordLines(std::vector<std::string>* lines, bool wantNew);

    int Show();
    int Get();
    int Set();
    int Backup();
    int Restore();
    // Reads and checks the backup file of restore before the access point is asked.
    int ReadBackupFile();
    int ExportKeys();
    int Diff();
    // --dry-run: what a write of then over now would change; nothing is written.
    int DryRun(const ConfigImage& now, const ConfigImage& then);
    int List();

    // Sends image bytes 0..347 with the write command, reads the configuration back and
    // compares; prints "verified" or the differing fields.
    int WriteAndVerify(ConfigImage& image);
    // The key table as the dialogs would hold it for the image (through the key file
    // unless --no-key-file).
    void LoadKeyTable();
    // The key file after a write: SaveKeyFile of the table, or rebuilt from the image.
    void SyncKeyFileAfterWrite(bool fromImage);

    int Fail(int code, const std::string& message) const;
    // Writes text to standard output (checked as a whole when the run ends); kExitDone.
    int Print(const std::string& text) const;
    int PrintLine(const std::string& text) const;
    bool Output(const std::string& text);

    std::string m_device = "DfuDevice0";
    bool m_deviceGiven = false;
    std::string m_passwordFile;
    std::string m_format = "plain";
    std::string m_output;
    bool m_json = false, m_clamp = false, m_noKeyFile = false, m_force = false,
         m_withPassword = false, m_help = false, m_version = false, m_dryRun = false;
    std::vector<std::string> m_args;  // the command's arguments
    std::string m_file;               // or its one file
    std::vector<std::string> m_words; // the command and its arguments
    std::vector<Assignment> m_assignments;
    BackupFile m_backup;
    std::string m_firmware;
    ConfigImage m_image;
    bool m_written = false; // the last write request went through
};
