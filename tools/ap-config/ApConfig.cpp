#include "ApConfig.h"

#include "BackupFile.h"
#include "ChangeReport.h"
#include "Codepage1252.h"
#include "CommandLine.h"
#include "Console.h"
#include "KeyExport.h"
#include "PasswordFile.h"
#include "PrivateFile.h"
#include "SystemText.h"
#include "Terminal.h"
#include "device/ConfigTransfer.h"
#include "device/DeviceChannel.h"
#include "device/KeyStoreFile.h"
#include "device/WepKeyTable.h"
#include "platform/InstanceLock.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <utility>
#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

// The dialogs' texts without their trailing blanks.
std::string WithoutTrailingBlanks(const char* text) {
    std::string s = text;
    s.erase(s.find_last_not_of(' ') + 1);
    return s;
}

} // namespace

int ApConfig::Fail(int code, const std::string& message) const {
    Console::Err("ap-config: " + message + "\n");
    return code;
}

int ApConfig::Print(const std::string& text) const {
    Console::Out(text);
    return kExitDone;
}

int ApConfig::PrintLine(const std::string& text) const {
    return Print(text + "\n");
}

bool ApConfig::Output(const std::string& text) {
    if (m_output.empty()) {
        Print(text);
        return true;
    }
    std::string error;
    if (!PrivateFile::Write(m_output, text, &error)) {
        Fail(kExitRefused, "cannot write " + m_output + ": " + error);
        return false;
    }
    return true;
}

// Everything that can be refused before the access point is asked.
int ApConfig::CheckUsage() {
    if (m_words.empty())
        return Fail(kExitRefused, "no command given (see ap-config --help)");
    const std::string& c = m_words[0];
    size_t n = m_words.size();
    if (m_device.empty() || m_device.find_first_of("\\/") != std::string::npos)
        return Fail(kExitRefused, "--device takes a device name such as DfuDevice1");
    const char* address = std::getenv("AP_DEVICE_ADDR");
    if (m_deviceGiven && address && *address)
        return Fail(kExitRefused, "--device " + m_device + " and AP_DEVICE_ADDR=" + address +
                                      " are both given: the device is reached at AP_DEVICE_ADDR; "
                                      "give one of them");
    if (c == "show" || c == "passwd" || c == "list") {
        if (n != 1)
            return Fail(kExitRefused, c + " takes no arguments");
    } else if (c == "get") {
        if (n < 2)
            return Fail(kExitRefused, "get needs at least one field name");
        for (size_t i = 1; i < n; ++i)
            if (!ConfigFields::Known(m_words[i]))
                return Fail(kExitRefused, "unknown field " + m_words[i]);
    } else if (c == "set") {
        if (n < 2)
            return Fail(kExitRefused, "set needs at least one FIELD=VALUE");
        std::set<std::string> seen;
        for (size_t i = 1; i < n; ++i) {
            size_t eq = m_words[i].find('=');
            if (eq == std::string::npos)
                return Fail(kExitRefused, "\"" + m_words[i] + "\" is not FIELD=VALUE");
            Assignment a{m_words[i].substr(0, eq), m_words[i].substr(eq + 1)};
            if (!ConfigFields::Writable(a.field))
                return Fail(kExitRefused, "cannot set \"" + a.field + "\"; these can be set: " +
                                              ConfigFields::WritableList());
            if (!seen.insert(a.field).second)
                return Fail(kExitRefused, a.field + " is given twice");
            m_assignments.push_back(a);
        }
    } else if (c == "backup" || c == "restore" || c == "diff") {
        if (n != 2)
            return Fail(kExitRefused, c + " takes one file name");
    } else if (c == "keys") {
        KeyExport::Format format;
        if (n != 2)
            return Fail(kExitRefused, "the keys command is: keys export [--format F]");
        if (!KeyExport::ParseFormat(m_format, &format))
            return Fail(kExitRefused, "unknown format " + m_format +
                                          " (wpa_supplicant, networkmanager or plain)");
    } else {
        return Fail(kExitRefused, "unknown command " + c + " (see ap-config --help)");
    }
    return kExitDone;
}

bool ApConfig::PasswordLines(std::vector<std::string>* lines, bool wantNew) {
    lines->clear();
    if (!m_passwordFile.empty()) {
        std::string error;
        if (!PasswordFile::Read(m_passwordFile, wantNew ? 3 : 1, lines, &error)) {
            Fail(kExitRefused, "cannot read " + m_passwordFile + ": " + error);
            return false;
        }
        if (wantNew && lines->size() < 3) {
            Fail(kExitRefused, m_passwordFile + " needs the new password on lines 2 and 3");
            return false;
        }
        return true;
    }
    std::string line;
    if (systemtext::Environment("AP_PASSWORD", &line)) {
        lines->push_back(line);
    } else if (Terminal::ReadHidden("Password: ", &line)) {
        lines->push_back(line);
    } else {
        Fail(kExitRefused, "no password: give --password-file FILE or AP_PASSWORD, or run on a "
                           "terminal");
        return false;
    }
    if (wantNew) {
        std::string newText, confirm;
        if (!Terminal::ReadHidden("New Password: ", &newText) ||
            !Terminal::ReadHidden("Confirm New Password: ", &confirm)) {
            Fail(kExitRefused, "no terminal to ask the new password on: give it in lines 2 and "
                               "3 of --password-file");
            return false;
        }
        lines->push_back(newText);
        lines->push_back(confirm);
    }
    return true;
}

int ApConfig::ReadAndLogIn() {
    SetDeviceName(m_device);
    switch (ReadConfigurationBlock(m_image.Bytes(), kSelectCurrent)) {
    case TransferOutcome::kOk:
        break;
    case TransferOutcome::kOpenFailed:
        return OpenFailed("");
    case TransferOutcome::kRequestFailed:
        return Fail(kExitDevice,
                    WithoutTrailingBlanks(kMsgCannotGetConfiguration) + " (" + m_device + ")");
    }
    m_firmware = g_szFirmwareVersion;
    g_pConfigImage = &m_image;
    return kExitDone;
}

int ApConfig::OpenFailed(const std::string& during) const {
    if (GetLastError() == ERROR_SHARING_VIOLATION)
        return Fail(kExitInUse,
                    "the access point is in use by another program (" + m_device + during + ")");
    return Fail(kExitDevice,
                WithoutTrailingBlanks(kMsgAttachOrInstallDriver) + " (" + m_device + during + ")");
}

int ApConfig::CheckUtilityNotRunning() const {
    const std::string& c = m_words[0];
    if (m_force || m_dryRun || (c != "set" && c != "restore" && c != "passwd"))
        return kExitDone;
    InstanceLock probe; // released at once: the utility may start right after
    if (probe.Acquire(InstanceLock::DefaultPath()))
        return kExitDone;
    return Fail(kExitInUse, "the utility is running for this user: its dialogs write the whole "
                            "configuration at their next OK and would undo this " +
                                c + "; close it first, or give --force; nothing was written");
}

int ApConfig::Run(const std::vector<std::string>& args) {
    int code = RunCommand(args);
    std::string reason;
    if (!Console::Finish(&reason)) {
        Fail(kExitDevice, "cannot write to standard output: " + reason);
        if (code == kExitDone)
            code = kExitDevice;
    }
    return code;
}

int ApConfig::RunCommand(const std::vector<std::string>& args) {
    CommandLine line(*this);
    if (!line.Parse(args))
        return kExitRefused;
    if (m_version)
        return Print("ap-config " AP_CONFIG_VERSION "\n");
    if (m_help || (!m_words.empty() && m_words[0] == "help" && m_words.size() == 1))
        return Print(line.Summary());
    if (!m_words.empty() && m_words[0] == "help") {
        std::string text = line.HelpOf({m_words.begin() + 1, m_words.end()});
        if (text.empty())
            return Fail(kExitRefused, "unknown command " + m_words[1] + " (see ap-config --help)");
        return Print(text);
    }
    if (!m_words.empty() && m_words[0] == "complete-words") {
        std::string text;
        for (const std::string& w : line.Completions({m_words.begin() + 1, m_words.end()}))
            text += w + "\n";
        return Print(text);
    }
    if (int code = CheckUsage())
        return code;
    if (m_words[0] == "list")
        return List();
    // A backup is read and checked before the access point is asked.
    if (m_words[0] == "restore" || m_words[0] == "diff")
        if (int code = ReadBackupFile())
            return code;
    if (int code = CheckUtilityNotRunning())
        return code;
    SetKeyFileFolder(m_keyFolder.empty() ? MenuKeyFileFolder() : m_keyFolder);
    if (int code = ReadAndLogIn())
        return code;
    bool passwd = m_words[0] == "passwd";
    std::vector<std::string>& lines = m_passwordLines;
    if (!PasswordLines(&lines, passwd))
        return kExitRefused;
    std::string typed, refused;
    if (!Codepage1252::FromUtf8(lines[0], &typed, &refused) || !LoginAccepts(m_image, typed))
        return Fail(kExitWrongPassword, "The password you typed is incorrect.");

    static const std::pair<const char*, int (ApConfig::*)()> kCommands[] = {
        {"show", &ApConfig::Show},       {"get", &ApConfig::Get},
        {"set", &ApConfig::Set},         {"backup", &ApConfig::Backup},
        {"restore", &ApConfig::Restore}, {"keys", &ApConfig::ExportKeys},
        {"diff", &ApConfig::Diff},       {"passwd", &ApConfig::Passwd},
    };
    for (const auto& [name, run] : kCommands)
        if (m_words[0] == name)
            return (this->*run)();
    return Fail(kExitRefused, "unknown command " + m_words[0]);
}

void ApConfig::LoadKeyTable() {
    // The file itself is touched only after the write.
    if (!m_noKeyFile && KeyFileStateOf(m_image) == KeyFileState::kThisDevice)
        LoadKeyFile();
    else
        KeyTableFromImage(m_image, g_wepKeyTable);
}

void ApConfig::SyncKeyFileAfterWrite(bool fromImage) {
    std::string name = KeyFilePath();
    if (m_noKeyFile) {
        Console::Err("ap-config: the key file " + name + " was left alone (--no-key-file)\n");
        return;
    }
    KeyFileState state = KeyFileStateOf(*g_pConfigImage);
    if (state == KeyFileState::kUnusable) {
        Console::Err("ap-config: the key file " + name +
                     " is not a file that can be read and written; it was left alone\n");
        return;
    }
    if (state == KeyFileState::kOtherDevice && !m_takeKeyFile) {
        Console::Err("ap-config: the key file " + name +
                     " belongs to another access point; it was left alone (--take-key-file "
                     "makes it this one's)\n");
        return;
    }
    // As the dialogs: the file brought in line when they open, the table saved by Apply.
    WepKeyTable table = g_wepKeyTable;
    bool ok = (state == KeyFileState::kThisDevice || WriteKeyFileFromImage());
    g_wepKeyTable = table;
    if (ok && !fromImage)
        ok = SaveKeyFile();
    if (!ok)
        Console::Err("ap-config: the key file " + name + " could not be written\n");
}

int ApConfig::WriteAndVerify(ConfigImage& image) {
    std::array<BYTE, kConfigBlockLength + 1> block;
    std::copy(image.Bytes(), image.Bytes() + kConfigBlockLength, block.begin());
    TransferOutcome written = WriteConfigurationBlock(block.data());
    m_written = written == TransferOutcome::kOk;
    if (written == TransferOutcome::kOpenFailed && GetLastError() == ERROR_SHARING_VIOLATION)
        return OpenFailed(": nothing was written");
    if (!m_written)
        return Fail(kExitDevice, WithoutTrailingBlanks(kMsgAttach) + " (the write to " + m_device +
                                     " failed; nothing was verified)");
    ConfigImage back;
    TransferOutcome read = ReadConfigurationBlock(back.Bytes(), kSelectCurrent);
    if (read != TransferOutcome::kOk)
        return Fail(kExitDevice, "the configuration was written, but " +
                                     WithoutTrailingBlanks(read == TransferOutcome::kOpenFailed
                                                               ? kMsgAttachOrInstallDriver
                                                               : kMsgCannotGetConfiguration) +
                                     ": not verified");
    std::vector<std::string> differ = ConfigFields::Differences(block.data(), back.Bytes());
    if (!differ.empty()) {
        std::string list;
        for (const std::string& d : differ)
            list += (list.empty() ? "" : ", ") + d;
        PrintLine("differs: " + list);
        return Fail(kExitReadBackDiffers,
                    "written, but the access point reads back differently in: " + list);
    }
    PrintLine("verified");
    return kExitDone;
}

int ApConfig::DryRun(const ConfigImage& now, const ConfigImage& then) {
    std::vector<FieldChange> changes = ConfigFields::Changes(now, then, m_withPassword);
    Print(changes.empty() ? "no change\n" : ChangeReport::Text(changes));
    return Fail(kExitDone, "--dry-run: nothing was written");
}
