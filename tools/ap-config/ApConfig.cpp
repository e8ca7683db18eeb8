#include "ApConfig.h"

#include "BackupFile.h"
#include "ChangeReport.h"
#include "Codepage1252.h"
#include "CommandLine.h"
#include "Console.h"
#include "KeyExport.h"
#include "PasswordFile.h"
#include "PrivateFile.h"
#include "Terminal.h"
#include "device/ConfigTransfer.h"
#include "device/DeviceChannel.h"
#include "device/KeyStoreFile.h"
#include "device/WepKeyTable.h"
#include "platform/HexText.h"
#include "platform/InstanceLock.h"
#include "platform/SystemText.h"

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

const char* ExitWord(int code) {
    switch (code) {
    case kExitDone:
        return "done";
    case kExitDevice:
        return "device";
    case kExitRefused:
        return "refused";
    case kExitReadBackDiffers:
        return "read-back-differs";
    case kExitWrongPassword:
        return "wrong-password";
    case kExitInUse:
        return "in-use";
    case kExitBackupDiffers:
        return "differs";
    case kExitChanged:
        return "changed-meanwhile";
    }
    return "failed";
}

int ApConfig::Fail(int code, const std::string& message) {
    Console::Err("ap-config: " + message + "\n");
    // The first failure is the one the exit code says.
    if (code != kExitDone && m_error.is_null())
        m_error = {{"code", ExitWord(code)}, {"exitCode", code}, {"message", message}};
    return code;
}

void ApConfig::Note(const std::string& message) const {
    if (!m_quiet)
        Console::Err("ap-config: " + message + "\n");
}

int ApConfig::Print(const std::string& text) const {
    if (!m_json && !m_quiet)
        Console::Out(text);
    return kExitDone;
}

int ApConfig::PrintLine(const std::string& text) const {
    return Print(text + "\n");
}

std::string ApConfig::UnitName() const {
    return m_device + " " + ConfigFields::Text(m_image, "macAddress", "");
}

bool ApConfig::Output(const std::string& text) {
    if (m_output.empty() || m_output == "-") {
        if (m_json)
            m_report["text"] = text;
        else
            Print(text);
        return true;
    }
    std::string error;
    if (!PrivateFile::Write(m_output, text, &error)) {
        Fail(kExitRefused, "cannot write " + m_output + ": " + error);
        return false;
    }
    m_report["file"] = m_output;
    return true;
}

// Everything that can be refused before the access point is asked.
int ApConfig::CheckUsage() {
    if (m_words.empty())
        return Fail(kExitRefused, "no command given (see ap-config --help)");
    const std::string& c = m_words[0];
    size_t n = m_words.size();
    for (const std::string& d : m_devices)
        if (d.empty() || d.find_first_of("\\/") != std::string::npos)
            return Fail(kExitRefused, "--device takes a device name such as DfuDevice1");
    if (!m_devices.empty())
        m_device = m_devices.front();
    bool several = m_devices.size() > 1 || m_all;
    if (several && c != "apply")
        return Fail(kExitRefused, m_all ? "--all belongs to apply, which acts on several units"
                                        : "--device is given " + std::to_string(m_devices.size()) +
                                              " times: only apply acts on several units");
    if ((!m_devices.empty() || m_all) && !m_mac.empty())
        return Fail(kExitRefused, "--mac chooses the unit itself: give it without --device or "
                                  "--all");
    if (m_all && !m_devices.empty())
        return Fail(kExitRefused, "--all and --device are both given: give one of them");
    const char* address = std::getenv("AP_DEVICE_ADDR");
    if (!m_devices.empty() && address && *address)
        return Fail(kExitRefused, "--device " + m_device + " and AP_DEVICE_ADDR=" + address +
                                      " are both given: the device is reached at AP_DEVICE_ADDR; "
                                      "give one of them");
    if (m_passwordFile == "-" && n == 2 && m_words[1] == "-")
        return Fail(kExitRefused, "--password-file - and " + c +
                                      " - both want standard input: give one of them a file");
    if (c == "show" || c == "passwd" || c == "list" || c == "reset") {
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
    } else if (c == "backup" || c == "restore" || c == "diff" || c == "apply") {
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
        size_t count = wantNew ? 3 : 1;
        if (!PasswordFile::Read(m_passwordFile, count, lines, &error)) {
            Fail(kExitRefused, "cannot read " + Console::InputName(m_passwordFile) + ": " + error);
            return false;
        }
        if (wantNew && lines->size() < 3) {
            Fail(kExitRefused,
                 Console::InputName(m_passwordFile) + " needs the new password on lines 2 and 3");
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
    std::string typed, refused;
    if (!Codepage1252::FromUtf8(m_passwordLines[0], &typed, &refused) ||
        !LoginAccepts(m_image, typed))
        return Fail(kExitWrongPassword, "The password you typed is incorrect.");
    return kExitDone;
}

int ApConfig::OpenFailed(const std::string& during) {
    if (GetLastError() == ERROR_SHARING_VIOLATION)
        return Fail(kExitInUse,
                    "the access point is in use by another program (" + m_device + during + ")");
    return Fail(kExitDevice,
                WithoutTrailingBlanks(kMsgAttachOrInstallDriver) + " (" + m_device + during + ")");
}

bool ApConfig::Writes() const {
    const std::string& c = m_words[0];
    return c == "set" || c == "restore" || c == "passwd" || c == "apply" || c == "reset";
}

int ApConfig::CheckUtilityNotRunning() {
    if (m_force || m_dryRun || !Writes())
        return kExitDone;
    if (m_utilityLock.Acquire(InstanceLock::DefaultPath()))
        return kExitDone;
    return Fail(kExitInUse, "the utility is running for this user: its dialogs write the whole "
                            "configuration at their next OK and would undo this " +
                                m_words[0] +
                                "; close it first, or give --force; nothing was "
                                "written");
}

int ApConfig::Run(const std::vector<std::string>& args) {
    int code = RunCommand(args);
    if (m_json && !m_documentPrinted) {
        nlohmann::ordered_json document = m_report;
        if (m_severalUnits) {
            document = {{"units", m_units}};
            if (!m_error.is_null() && m_units.empty())
                document["error"] = m_error;
        } else if (!m_error.is_null()) {
            document = {{"error", m_error}};
        }
        Console::Out(ConfigFields::JsonText(document) + "\n");
    }
    std::string reason;
    if (!Console::Finish(&reason)) {
        Console::Err("ap-config: cannot write to standard output: " + reason + "\n");
        if (code == kExitDone)
            code = kExitDevice;
    }
    return code;
}

int ApConfig::RunCommand(const std::vector<std::string>& args) {
    CommandLine line(*this);
    // A refused command line is reported as JSON too when --json is among its words.
    m_json = std::find(args.begin(), args.end(), "--json") != args.end();
    if (!line.Parse(args))
        return kExitRefused;
    if (m_version || m_help ||
        (!m_words.empty() && (m_words[0] == "help" || m_words[0] == "complete-words")))
        m_json = false; // texts for people and shells
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
    // What is read from files is read and checked before the access point is asked, and
    // the password before the unit is read: nothing waits on the user between the read and
    // the write.
    if (int code = ReadInputs())
        return code;
    if (!PasswordLines(&m_passwordLines, m_words[0] == "passwd"))
        return kExitRefused;
    if (int code = CheckUtilityNotRunning())
        return code;
    SetKeyFileFolder(m_keyFolder.empty() ? MenuKeyFileFolder() : m_keyFolder);
    std::vector<std::string> units;
    if (int code = ChooseUnits(&units))
        return code;
    m_severalUnits = m_words[0] == "apply" && (units.size() > 1 || m_all);
    if (!m_severalUnits)
        return RunOnUnit(units.front());
    // Each unit on its own: one that fails does not stop the others.
    int first = kExitDone;
    for (const std::string& unit : units) {
        m_image = ConfigImage();
        int code = RunOnUnit(unit);
        std::string mac = ConfigFields::Text(m_image, "macAddress", "");
        nlohmann::ordered_json entry = {{"device", unit}, {"macAddress", mac}};
        if (mac == "00-00-00-00-00-00")
            entry["macAddress"] = nullptr; // never read
        if (code != kExitDone)
            entry["error"] = m_error;
        entry.update(m_report);
        m_units.push_back(entry);
        m_report = nlohmann::ordered_json::object();
        m_error = nullptr;
        if (first == kExitDone)
            first = code;
    }
    return first;
}

int ApConfig::ReadInputs() {
    const std::string& c = m_words[0];
    if (c == "restore" || c == "diff")
        return ReadBackupFile();
    if (c == "apply")
        return ReadDesiredState();
    return kExitDone;
}

int ApConfig::ChooseUnits(std::vector<std::string>* units) {
    if (m_all) {
        *units = AttachedDevices();
        if (units->empty())
            return Fail(kExitDevice, "no access point is attached; nothing was written");
        return kExitDone;
    }
    if (m_mac.empty()) {
        *units = m_devices.empty() ? std::vector<std::string>{m_device} : m_devices;
        return kExitDone;
    }
    // The unit that holds the MAC address: each attached one read (no password needed).
    std::vector<BYTE> wanted;
    if (!HexText::Parse(m_mac, &wanted) || wanted.size() != 6)
        return Fail(kExitRefused, "--mac takes a MAC address such as 02:0a:bc:de:f0:12");
    for (const std::string& name : AttachedDevices()) {
        SetDeviceName(name);
        ConfigImage image;
        if (ReadConfigurationBlock(image.Bytes(), kSelectCurrent) == TransferOutcome::kOk &&
            std::equal(wanted.begin(), wanted.end(), image.MacAddress().begin())) {
            units->push_back(name);
            m_device = name;
            return kExitDone;
        }
    }
    return Fail(kExitDevice, "no attached access point holds the MAC address " + m_mac);
}

int ApConfig::RunOnUnit(const std::string& device) {
    m_device = device;
    if (int code = ReadAndLogIn())
        return code;
    if (Writes()) {
        m_report["device"] = m_device;
        m_report["macAddress"] = ConfigFields::Text(m_image, "macAddress", "");
    }
    static const std::pair<const char*, int (ApConfig::*)()> kCommands[] = {
        {"show", &ApConfig::Show},       {"get", &ApConfig::Get},
        {"set", &ApConfig::Set},         {"apply", &ApConfig::Set},
        {"reset", &ApConfig::Reset},     {"backup", &ApConfig::Backup},
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
        Note("the key file " + name + " was left alone (--no-key-file)");
        return;
    }
    KeyFileState state = KeyFileStateOf(*g_pConfigImage);
    if (state == KeyFileState::kUnusable) {
        Note("the key file " + name +
             " is not a file that can be read and written; it was left alone");
        return;
    }
    if (state == KeyFileState::kOtherDevice && !m_takeKeyFile) {
        Note("the key file " + name +
             " belongs to another access point; it was left alone (--take-key-file makes it "
             "this one's)");
        return;
    }
    // As the dialogs: the file brought in line when they open, the table saved by Apply.
    WepKeyTable table = g_wepKeyTable;
    bool ok = (state == KeyFileState::kThisDevice || WriteKeyFileFromImage());
    g_wepKeyTable = table;
    if (ok && !fromImage)
        ok = SaveKeyFile();
    if (!ok)
        Note("the key file " + name + " could not be written");
}

int ApConfig::WriteAndVerify(ConfigImage& image) {
    std::array<BYTE, kConfigBlockLength + 1> block;
    std::copy(image.Bytes(), image.Bytes() + kConfigBlockLength, block.begin());
    bool changed = false;
    TransferOutcome written = m_force ? WriteConfigurationBlock(block.data())
                                      : WriteIfUnchanged(block.data(), m_image.Bytes(), &changed);
    m_written = written == TransferOutcome::kOk;
    if (changed)
        return Fail(kExitChanged, "the access point " + UnitName() +
                                      " was changed by another program since it was read: "
                                      "nothing was written (run the command again, or give "
                                      "--force to write over the change)");
    if (written == TransferOutcome::kOpenFailed && GetLastError() == ERROR_SHARING_VIOLATION)
        return OpenFailed(": nothing was written");
    if (!m_written)
        return Fail(kExitDevice, WithoutTrailingBlanks(kMsgAttach) + " (the write to " + m_device +
                                     " failed; nothing was verified)");
    ConfigImage back;
    TransferOutcome read = ReadConfigurationBlock(back.Bytes(), kSelectCurrent);
    if (read != TransferOutcome::kOk)
        return Fail(kExitDevice, "the configuration was written to " + UnitName() + ", but " +
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
        return Fail(kExitReadBackDiffers, "written to " + UnitName() +
                                              ", but the access point reads back differently "
                                              "in: " +
                                              list);
    }
    PrintLine("verified: " + UnitName());
    m_report["result"] = "verified";
    return kExitDone;
}

int ApConfig::DryRun(const ConfigImage& now, const ConfigImage& then) {
    std::vector<FieldChange> changes = ConfigFields::Changes(now, then, m_withPassword);
    Print(changes.empty() ? "no change\n" : ChangeReport::Text(changes));
    m_report["changes"] = ChangeReport::Json(changes, "before", "after");
    m_report["result"] = "dry run";
    Note("--dry-run: nothing was written");
    return kExitDone;
}

int ApConfig::WriteChanges(ConfigImage& changed, bool keys, bool keysFromImage) {
    std::vector<FieldChange> changes = ConfigFields::Changes(m_image, changed, true);
    if (m_dryRun)
        return DryRun(m_image, changed);
    m_report["changes"] = ChangeReport::Json(changes, "before", "after");
    if (std::equal(m_image.Bytes(), m_image.Bytes() + kConfigBlockLength, changed.Bytes()) &&
        m_words[0] == "apply") {
        PrintLine("unchanged: " + UnitName());
        m_report["result"] = "unchanged";
        return kExitDone;
    }
    g_pConfigImage = &changed;
    int code = WriteAndVerify(changed);
    if (keys && m_written)
        SyncKeyFileAfterWrite(keysFromImage);
    g_pConfigImage = &m_image;
    return code;
}
