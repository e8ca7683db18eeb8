#pragma once

#include "BackupFile.h"
#include "Command.h"
#include "ConfigFields.h"
#include "ExitCodes.h"
#include "device/ConfigImage.h"
#include "device/WepKeyTable.h"
#include "platform/InstanceLock.h"

#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

// One run of ap-config: the command line, the units the command acts on, what it reports.
// The commands (Command.h) act through it; nothing here names a command.
class Session {
public:
    // Runs the command line (without the program name); returns the exit code.
    int Run(const std::vector<std::string>& args);

    // The command line: whether an option was given, its value (the last one), all of them.
    bool Flag(Opt option) const;
    std::string Value(Opt option, const std::string& otherwise = "") const;
    const std::vector<std::string>& Values(Opt option) const;
    // The command's arguments, and its one file for the commands that take a file.
    const std::vector<std::string>& Arguments() const { return m_args; }
    const std::string& File() const { return m_args.front(); }

    // A failure: the message (escaped) on standard error and, with --json, the error object.
    int Fail(int code, const std::string& message);
    // A remark on standard error, unless --quiet.
    void Note(const std::string& message) const;
    // A warning on standard error (--quiet too), unless warning is empty.
    void Warn(const std::string& warning) const;
    // Text on standard output, unless --json or --quiet; kExitDone.
    int Print(const std::string& text) const;
    int PrintLine(const std::string& text) const;
    // The command's result text to --output (a private file) or standard output.
    bool Output(const std::string& text);
    // --json's document of this unit (of the whole command for one unit).
    nlohmann::ordered_json& Report() { return m_report; }
    // The standard output itself is the document (backup -): no JSON after it.
    void DocumentPrinted() { m_documentPrinted = true; }

    // The unit, as read (after the login when the command reads units).
    const std::string& Device() const { return m_device; }
    const ConfigImage& Image() const { return m_image; }
    const std::string& Firmware() const { return m_firmware; }
    // The unit's name and MAC address, as every write names them.
    std::string UnitName() const;
    // The exit for a device that would not open: in use by another program (5), else absent.
    int OpenFailed(const std::string& during);
    // The password lines from --password-file, AP_PASSWORD or the terminal; with wantNew
    // the new one twice after it.
    bool PasswordLines(std::vector<std::string>* lines, bool wantNew);
    const std::vector<std::string>& Passwords() const { return m_passwordLines; }
    // Before the first unit is asked: the token file's warning, as the password file's.
    void BeforeDevices();

    // Whether the command goes to several units, each in turn.
    bool SeveralUnits() const { return m_severalUnits; }

    // What a command read before the access point was asked: set's values, and the fields a
    // desired state names that the unit keeps as its own, with their values as JSON text.
    std::vector<Assignment> assignments;
    std::vector<std::pair<std::string, std::string>> ownValues;
    BackupFile backup;
    // The files this run has written, each with the unit it holds: a fleet's backups are
    // never written over by a unit of the same MAC address.
    std::map<std::string, std::string> filesWritten;

    // The key table as the dialogs would hold it for the unit: the key file's when it is
    // this unit's (unless --no-key-file), else the unit's own slots.
    WepKeyTable KeyTable() const;
    // The one write step of every command that writes: changed is compared with what was
    // read (--dry-run: the changes listed, nothing written; no change: "unchanged"), written
    // if the unit still holds what was read, read back and compared ("verified"), and, with
    // keys, the key file then holds keys (as the dialogs' Apply leaves it).
    int Write(const ConfigImage& changed, const WepKeyTable* keys);

private:
    friend class CommandLine;

    int RunCommand(const std::vector<std::string>& args);
    int CheckUsage();
    int ChooseUnits(std::vector<std::string>* units);
    int RunOnUnit(const std::string& device);
    int ReadAndLogIn();
    // A command that writes holds the locks until it ends: the utility does not start, no
    // other ap-config writes meanwhile.
    int TakeLocks();
    int WriteAndVerify(const ConfigImage& image);
    void SaveKeys(const ConfigImage& written, const WepKeyTable& keys);
    void PrintDocument(int code);
    // The dialogs' texts without their trailing blanks.
    static std::string WithoutTrailingBlanks(const char* text);
    // With several units, every line names its unit: "DfuDevice1: ".
    std::string UnitPrefix() const;

    const Command* m_command = nullptr;
    std::map<Opt, std::vector<std::string>> m_values; // each option given: its values
    std::vector<std::string> m_args;
    bool m_json = false, m_quiet = false;
    std::vector<std::string> m_passwordLines; // the password, for passwd the new one twice
    std::string m_device = "DfuDevice0";
    std::string m_firmware;
    ConfigImage m_image;
    int m_waitSeconds = 0;  // --wait: how long the locks are waited for
    WriterLocks m_locks;    // held while a change runs: no other writer, the utility does not start
    bool m_written = false; // a write request went through
    bool m_devicesAsked = false;

    // --json: the document of this unit (or of the whole command), the error object, and
    // with several units one entry each.
    nlohmann::ordered_json m_report = nlohmann::ordered_json::object();
    nlohmann::ordered_json m_error;
    nlohmann::ordered_json m_units = nlohmann::ordered_json::array();
    bool m_severalUnits = false;
    bool m_inUnit = false; // between the choice of a unit and the end of its run
    bool m_documentPrinted = false;
};
