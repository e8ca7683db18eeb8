#pragma once

#include "BackupFile.h"
#include "ConfigFields.h"
#include "device/ConfigImage.h"
#include "platform/InstanceLock.h"

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

// Exit codes of ap-config: each means one thing.
enum ExitCode {
    kExitDone = 0,
    kExitDevice = 1,          // the access point could not be reached or did not answer
    kExitRefused = 2,         // usage, or a value refused
    kExitReadBackDiffers = 3, // written, but the read-back differs
    kExitWrongPassword = 4,   // the password is not one the access point holds
    kExitInUse = 5,           // the device is open in another program, or the utility runs
    kExitBackupDiffers = 6,   // diff: the backup and the access point differ
    kExitChanged = 7,         // another program changed the access point since it was read
};
// The word a JSON error object names an exit code by: "device", "refused", ...
const char* ExitWord(int code);
// The device names of the attached access points, as list finds them.
std::vector<std::string> AttachedDevices();

// The device names list finds without opening any device: the device sockets in the device
// folder (Linux). None where only opening a device tells (Windows, the loopback transport of
// AP_DEVICE_ADDR), so that the shell completion never reaches an access point.
std::vector<std::string> DeviceSocketNames();

// One run of ap-config: the options, the configuration read at the start, the commands.
class ApConfig {
public:
    // Runs the command line (without the program name); returns the exit code.
    int Run(const std::vector<std::string>& args);

private:
    friend class CommandLine;

    int RunCommand(const std::vector<std::string>& args);
    int CheckUsage();
    // The files a command reads (a backup, a desired state, standard input), read and
    // checked before the access point is asked.
    int ReadInputs();
    // The devices the command acts on: --device (several for apply), --all, --mac.
    int ChooseUnits(std::vector<std::string>* units);
    // Reads the unit, checks the password and runs the command on it.
    int RunOnUnit(const std::string& device);
    int ReadAndLogIn();
    // The exit for a device that would not open: in use by another program (5), else absent.
    int OpenFailed(const std::string& during);
    // Refuses a change while the utility runs for this user (its dialogs would write their
    // older copy of the whole configuration back at their next OK), unless --force; the
    // utility cannot start until the command ends.
    int CheckUtilityNotRunning();
    bool PasswordLines(std::vector<std::string>* lines, bool wantNew);
    bool Writes() const;

    // The commands, one source file each (ShowCommand.cpp, SetCommand.cpp, ...).
    int Show();
    int Get();
    int Set(); // and apply, once its file is read

    int Reset();
    int Backup();
    int Restore();
    int ExportKeys();
    int Diff();
    int Passwd();
    int List();
    // Reads and checks the backup file of restore and diff before the access point is asked.
    int ReadBackupFile();
    // Reads and checks apply's file of fields and values.
    int ReadDesiredState();
    // Writes changed over the unit as set does (the key file too when keys), or with
    // --dry-run only reports; nothing is written when nothing changes.
    int WriteChanges(ConfigImage& changed, bool keys, bool keysFromImage);
    // --dry-run: what a write of then over now would change; nothing is written.
    int DryRun(const ConfigImage& now, const ConfigImage& then);

    // Sends image bytes 0..347 with the write command, if the unit still holds what was read
    // (unless --force), reads the configuration back and compares; reports "verified" with
    // the unit's name and MAC address, or the differing fields.
    int WriteAndVerify(ConfigImage& image);
    // The key table as the dialogs would hold it for the image: the key file's when it is
    // this access point's (unless --no-key-file), else the access point's own slots.
    void LoadKeyTable();
    // The key file after a write, as the dialogs leave it: the table saved (fromImage: the
    // file rebuilt from the image's slots). A file of another access point is left as it
    // is unless --take-key-file; every such case is said on standard error.
    void SyncKeyFileAfterWrite(bool fromImage);

    // A failure: the message on standard error and, with --json, the error object.
    int Fail(int code, const std::string& message);
    // A remark on standard error, unless --quiet.
    void Note(const std::string& message) const;
    // Writes text to standard output (checked as a whole when the run ends), unless --json
    // or --quiet; kExitDone.
    int Print(const std::string& text) const;
    int PrintLine(const std::string& text) const;
    bool Output(const std::string& text);
    // The unit's name and MAC address, as every write names them.
    std::string UnitName() const;

    std::vector<std::string> m_devices; // --device, in order
    std::string m_device = "DfuDevice0";
    std::string m_mac;
    std::string m_passwordFile;
    std::string m_keyFolder; // --key-folder; else the menu entry's folder
    std::string m_format = "plain";
    std::string m_output;
    bool m_json = false, m_quiet = false, m_all = false, m_clamp = false, m_noKeyFile = false,
         m_force = false, m_withPassword = false, m_help = false, m_version = false,
         m_dryRun = false, m_takeKeyFile = false;
    std::vector<std::string> m_args;  // the command's arguments
    std::string m_file;               // or its one file
    std::vector<std::string> m_words; // the command and its arguments
    std::vector<Assignment> m_assignments;
    std::vector<std::string> m_passwordLines; // the password, for passwd the new one twice
    BackupFile m_backup;
    std::string m_firmware;
    ConfigImage m_image;
    InstanceLock m_utilityLock; // held while a change runs: the utility does not start meanwhile
    bool m_written = false;     // the last write request went through

    // --json: the document of this unit (or of the whole command), the error object, and
    // with several units one entry each.
    nlohmann::ordered_json m_report = nlohmann::ordered_json::object();
    nlohmann::ordered_json m_error;
    nlohmann::ordered_json m_units = nlohmann::ordered_json::array();
    bool m_severalUnits = false;
    bool m_documentPrinted = false; // the output itself is the document (backup -)
};
