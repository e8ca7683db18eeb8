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
#include "app/KeyStoreFile.h"
#include "device/ConfigTransfer.h"
#include "device/DeviceChannel.h"
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

bool FileExists(const char* name) {
    if (FILE* f = std::fopen(name, "r")) {
        std::fclose(f);
        return true;
    }
    return false;
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

namespace {
// show's name column.
std::string Column(const std::string& name) {
    return name + std::string(name.size() < 22 ? 22 - name.size() : 1, ' ');
}
} // namespace

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
    if (int code = ReadAndLogIn())
        return code;
    bool passwd = m_words[0] == "passwd";
    std::vector<std::string> lines;
    if (!PasswordLines(&lines, passwd))
        return kExitRefused;
    std::string typed, refused;
    if (!Codepage1252::FromUtf8(lines[0], &typed, &refused) || !LoginAccepts(m_image, typed))
        return Fail(kExitWrongPassword, "The password you typed is incorrect.");

    // The commands that run once logged in, passwd below.
    static const std::pair<const char*, int (ApConfig::*)()> kCommands[] = {
        {"show", &ApConfig::Show},       {"get", &ApConfig::Get},
        {"set", &ApConfig::Set},         {"backup", &ApConfig::Backup},
        {"restore", &ApConfig::Restore}, {"keys", &ApConfig::ExportKeys},
        {"diff", &ApConfig::Diff},
    };
    for (const auto& [name, run] : kCommands)
        if (m_words[0] == name)
            return (this->*run)();
    // passwd: lines 2 and 3 with the login dialog's rules, mended: the texts must match,
    // a text with no word is refused, and at most 16 characters are taken.
    std::string newText, confirm;
    if (!Codepage1252::FromUtf8(lines[1], &newText, &refused) ||
        !Codepage1252::FromUtf8(lines[2], &confirm, &refused))
        return Fail(kExitRefused,
                    "the new password holds \"" + refused + "\", which has no Windows-1252 byte");
    if (newText != confirm)
        return Fail(kExitRefused,
                    "The new and confirmed passwords do not match. Please type them again.");
    std::string word = PasswordWord(newText);
    if (word.empty())
        return Fail(kExitRefused, "Can not use null password. Please type them again.");
    if (newText.size() > kPasswordChars)
        return Fail(kExitRefused, "the new password is longer than 16 characters");
    m_image.SetPassword(word);
    int code = WriteAndVerify(m_image);
    if (code == kExitDone)
        PrintLine("The password has been successfully changed.");
    return code;
}

int ApConfig::Show() {
    if (m_json) {
        nlohmann::ordered_json j;
        for (const std::string& name : ConfigFields::Names())
            j[name] = ConfigFields::Json(m_image, name, m_firmware);
        PrintLine(ConfigFields::JsonText(j));
        return kExitDone;
    }
    for (const auto& [name, value] : ConfigFields::ShownLines(m_image, m_firmware))
        PrintLine(Column(name) + value);
    return kExitDone;
}

int ApConfig::Get() {
    if (m_json) {
        nlohmann::ordered_json j;
        for (size_t i = 1; i < m_words.size(); ++i)
            j[m_words[i]] = ConfigFields::Json(m_image, m_words[i], m_firmware);
        PrintLine(ConfigFields::JsonText(j));
        return kExitDone;
    }
    for (size_t i = 1; i < m_words.size(); ++i)
        PrintLine(ConfigFields::Text(m_image, m_words[i], m_firmware));
    return kExitDone;
}

void ApConfig::LoadKeyTable() {
    // The table the main dialog holds once it has opened: the key file's keys when the file
    // belongs to this access point, else the access point's own slots (the file is then
    // rebuilt from them). The file itself is touched only after the write.
    if (!m_noKeyFile && FileExists("OEM.tmp") && KeyFileMatchesDevice()) {
        LoadKeyFile();
        return;
    }
    for (int k = 0; k < WepKeyTable::kKeys; ++k) {
        for (int j = 0; j < WepKeyTable::kKey64Size; ++j)
            g_wepKeyTable.keys64[k][j] = m_image.WepKeyByte(k, j);
        for (int j = 0; j < WepKeyTable::kKey128Size; ++j)
            g_wepKeyTable.keys128[k][j] = m_image.WepKeyByte(k, j);
    }
}

void ApConfig::SyncKeyFileAfterWrite(bool fromImage) {
    if (m_noKeyFile) {
        Console::Err("ap-config: the key file OEM.tmp was left alone (--no-key-file)\n");
        return;
    }
    bool ok;
    if (fromImage && FileExists("OEM.tmp")) {
        ok = WriteKeyFileFromImage();
    } else if (fromImage) {
        SyncKeyFile(); // creates the file from the image
        ok = FileExists("OEM.tmp");
    } else {
        // As the dialogs: the file brought in line when they open, the table saved by Apply.
        WepKeyTable table = g_wepKeyTable;
        if (!FileExists("OEM.tmp") || !KeyFileMatchesDevice())
            SyncKeyFile();
        g_wepKeyTable = table;
        ok = SaveKeyFile();
    }
    if (!ok)
        Console::Err("ap-config: the key file OEM.tmp could not be written\n");
#ifndef _WIN32
    // The keys are only obscured in the file: it is kept from other users.
    else
        chmod("OEM.tmp", 0600);
#endif
}

int ApConfig::Set() {
    bool keys = ConfigFields::TouchesKeys(m_assignments);
    if (keys)
        LoadKeyTable();
    ConfigImage changed = m_image;
    std::vector<std::string> refusals =
        ConfigFields::Apply(changed, g_wepKeyTable, m_assignments, m_clamp);
    if (!refusals.empty()) {
        for (const std::string& r : refusals)
            Fail(kExitRefused, r);
        Console::Err("ap-config: nothing was written\n");
        return kExitRefused;
    }
    if (m_dryRun)
        return DryRun(m_image, changed);
    g_pConfigImage = &changed;
    int code = WriteAndVerify(changed);
    if (keys && m_written)
        SyncKeyFileAfterWrite(false);
    return code;
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
        return Fail(kExitDiffers,
                    "written, but the access point reads back differently in: " + list);
    }
    PrintLine("verified");
    return kExitDone;
}

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
    if (!refusals.empty()) {
        for (const std::string& r : refusals)
            Fail(kExitRefused, m_words[1] + ": " + r);
        return Fail(kExitRefused, "nothing was written");
    }
    if (m_dryRun)
        return DryRun(m_image, restored);
    g_pConfigImage = &restored;
    int code = WriteAndVerify(restored);
    if (m_written)
        SyncKeyFileAfterWrite(true);
    return code;
}

int ApConfig::DryRun(const ConfigImage& now, const ConfigImage& then) {
    std::vector<FieldChange> changes = ConfigFields::Changes(now, then, m_withPassword);
    Print(changes.empty() ? "no change\n" : ChangeReport::Text(changes));
    return Fail(kExitDone, "--dry-run: nothing was written");
}

int ApConfig::Diff() {
    ConfigImage backup = m_image;
    std::copy(m_backup.block.begin(), m_backup.block.end(), backup.Bytes());
    std::vector<FieldChange> changes = ConfigFields::Changes(m_image, backup, m_backup.passwords);
    if (m_json)
        PrintLine(ConfigFields::JsonText(ChangeReport::Json(changes, "accessPoint", "backup")));
    else
        Print(ChangeReport::Text(changes));
    return changes.empty() ? kExitDone : kExitDiffer;
}

int ApConfig::ExportKeys() {
    KeyExport::Format format;
    KeyExport::ParseFormat(m_format, &format);
    if (ConfigFields::ActiveKeySize(m_image.WepType()) == 0)
        return Fail(kExitRefused,
                    "WEP is " +
                        std::string(m_image.WepType() == 0 ? "disabled" : "of an unknown type") +
                        " on the access point: there are no keys to export");
    std::string unusable = KeyExport::Unusable(m_image, format);
    if (!unusable.empty())
        return Fail(kExitRefused, unusable + "; nothing was written");
    return Output(KeyExport::Render(m_image, format)) ? kExitDone : kExitRefused;
}
