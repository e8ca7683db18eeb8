#include "ApConfig.h"

#include "BackupFile.h"
#include "Codepage1252.h"
#include "KeyExport.h"
#include "PrivateFile.h"
#include "Terminal.h"
#include "app/KeyStoreFile.h"
#include "device/WepKeyTable.h"
#include "device/ConfigTransfer.h"
#include "device/DeviceChannel.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#ifndef _WIN32
#include <sys/stat.h>
#endif

const char ApConfig::kUsage[] =
    "usage: ap-config [--device NAME] [--password-file FILE] COMMAND ...\n"
    "\n"
    "Shows and changes the configuration of the access point attached by USB.\n"
    "Every command first reads the configuration and checks the login password.\n"
    "\n"
    "commands:\n"
    "  show [--json]                    every field in the pages' words\n"
    "                                   e.g. ap-config show --json\n"
    "  get FIELD...                     just those fields, one value a line\n"
    "                                   e.g. ap-config get essid channel\n"
    "  set [--clamp] [--no-key-file] FIELD=VALUE...\n"
    "                                   checks every value, writes them all in one write,\n"
    "                                   reads back and prints \"verified\"\n"
    "                                   e.g. ap-config set channel=6 \"essid=Office AP\"\n"
    "  backup FILE                      the whole configuration as JSON with its SHA-256\n"
    "                                   e.g. ap-config backup ap1.json\n"
    "  restore [--force] [--with-password] [--no-key-file] FILE\n"
    "                                   writes a backup back (same access point only,\n"
    "                                   unless --force; keeps the login password unless\n"
    "                                   --with-password)\n"
    "                                   e.g. ap-config restore ap1.json\n"
    "  keys export [--format wpa_supplicant|networkmanager|plain] [--output FILE]\n"
    "                                   the active WEP keys for clients\n"
    "                                   e.g. ap-config keys export --format wpa_supplicant\n"
    "  passwd                           sets a new login password, asked twice\n"
    "                                   e.g. ap-config passwd\n"
    "\n"
    "options:\n"
    "  --device NAME         the access point's device (default DfuDevice0)\n"
    "  --password-file FILE  line 1: the password; for passwd lines 2 and 3: the new one\n"
    "                        (else $AP_PASSWORD, else asked on the terminal)\n"
    "  --clamp               numbers out of range are corrected as the Advanced page does\n"
    "  --no-key-file         leaves the key file OEM.tmp alone\n"
    "  --help                this text\n"
    "\n"
    "fields: apName essid channel rateMode operationalMode preferredBssid wepType authType\n"
    "        activeKeyId wepKey1..wepKey4 ipAddress subnetMask gateway dhcpClient\n"
    "        primaryPort fragmentThreshold rtsThreshold beaconPeriod preambleType\n"
    "        antennaSelect ssidBroadcast internationalRoaming; read only: wepKeys\n"
    "        firmwareVersion regulationDomain macAddress\n"
    "\n"
    "exit codes: 0 done, 1 device failure, 2 usage or a value refused,\n"
    "            3 written but the read-back differs, 4 wrong password\n";

namespace {

// The dialogs' texts without their trailing blanks.
std::string Message(const char* text) {
    std::string s = text;
    s.erase(s.find_last_not_of(' ') + 1);
    return s;
}

// The password edit takes at most 16 characters.
constexpr size_t kPasswordLimit = 16;

bool FileExists(const char* name) {
    if (FILE* f = std::fopen(name, "r")) {
        std::fclose(f);
        return true;
    }
    return false;
}

} // namespace

int ApConfig::Fail(int code, const std::string& message) const {
    std::fprintf(stderr, "ap-config: %s\n", message.c_str());
    return code;
}

bool ApConfig::Output(const std::string& text) {
    if (m_output.empty()) {
        std::fputs(text.c_str(), stdout);
        return true;
    }
    std::string error;
    if (!PrivateFile::Write(m_output, text, &error)) {
        Fail(kExitRefused, "cannot write " + m_output + ": " + error);
        return false;
    }
    return true;
}

bool ApConfig::ParseOptions(const std::vector<std::string>& args) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string* out) {
            if (i + 1 >= args.size()) {
                Fail(kExitRefused, a + " needs a value");
                return false;
            }
            *out = args[++i];
            return true;
        };
        if (a == "--help" || a == "-h") {
            m_help = true;
        } else if (a == "--device") {
            if (!value(&m_device))
                return false;
        } else if (a == "--password-file") {
            if (!value(&m_passwordFile))
                return false;
        } else if (a == "--format") {
            if (!value(&m_format))
                return false;
        } else if (a == "--output") {
            if (!value(&m_output))
                return false;
        } else if (a == "--json") {
            m_json = true;
        } else if (a == "--clamp") {
            m_clamp = true;
        } else if (a == "--no-key-file") {
            m_noKeyFile = true;
        } else if (a == "--force") {
            m_force = true;
        } else if (a == "--with-password") {
            m_withPassword = true;
        } else if (a.size() > 1 && a[0] == '-' && a.find('=') == std::string::npos) {
            Fail(kExitRefused, "unknown option " + a + " (see ap-config --help)");
            return false;
        } else {
            m_words.push_back(a);
        }
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
    if (c == "show" || c == "passwd") {
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
    } else if (c == "backup" || c == "restore") {
        if (n != 2)
            return Fail(kExitRefused, c + " takes one file name");
    } else if (c == "keys") {
        KeyExport::Format format;
        if (n != 2 || m_words[1] != "export")
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
        std::string text, error;
        if (!PrivateFile::Read(m_passwordFile, &text, &error)) {
            Fail(kExitRefused, "cannot read " + m_passwordFile + ": " + error);
            return false;
        }
        size_t start = 0;
        while (start <= text.size() && lines->size() < 3) {
            size_t end = text.find('\n', start);
            std::string line = text.substr(start, end == std::string::npos ? end : end - start);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (end == std::string::npos && line.empty() && !lines->empty())
                break;
            lines->push_back(line);
            if (end == std::string::npos)
                break;
            start = end + 1;
        }
        if (wantNew && lines->size() < 3) {
            Fail(kExitRefused, m_passwordFile + " needs the new password on lines 2 and 3");
            return false;
        }
        return true;
    }
    std::string line;
    if (const char* env = std::getenv("AP_PASSWORD")) {
        lines->push_back(env);
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
        return Fail(kExitDevice, Message(kMsgAttachOrInstallDriver) + " (" + m_device + ")");
    case TransferOutcome::kRequestFailed:
        return Fail(kExitDevice, Message(kMsgCannotGetConfiguration) + " (" + m_device + ")");
    }
    m_firmware = g_szFirmwareVersion;
    g_pConfigImage = &m_image;
    return kExitDone;
}

int ApConfig::Run(const std::vector<std::string>& args) {
    if (!ParseOptions(args))
        return kExitRefused;
    if (m_help) {
        std::fputs(kUsage, stdout);
        return kExitDone;
    }
    if (int code = CheckUsage())
        return code;
    if (int code = ReadAndLogIn())
        return code;
    bool passwd = m_words[0] == "passwd";
    std::vector<std::string> lines;
    if (!PasswordLines(&lines, passwd))
        return kExitRefused;
    std::string typed, refused;
    bool right = Codepage1252::FromUtf8(lines[0], &typed, &refused);
    typed = PasswordWord(typed);
    right = right && typed.size() <= kPasswordLimit &&
            (typed == m_image.Password() || typed == m_image.AltPassword());
    if (!right)
        return Fail(kExitWrongPassword, "The password you typed is incorrect.");

    const std::string& c = m_words[0];
    if (c == "show")
        return Show();
    if (c == "get")
        return Get();
    if (c == "set")
        return Set();
    if (c == "backup")
        return Backup();
    if (c == "restore")
        return Restore();
    if (c == "keys")
        return ExportKeys();
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
    if (newText.size() > kPasswordLimit)
        return Fail(kExitRefused, "the new password is longer than 16 characters");
    m_image.SetPassword(word);
    int code = WriteAndVerify(m_image);
    if (code == kExitDone)
        std::puts("The password has been successfully changed.");
    return code;
}

int ApConfig::Show() {
    if (m_json) {
        nlohmann::ordered_json j;
        for (const std::string& name : ConfigFields::Names())
            j[name] = ConfigFields::Json(m_image, name, m_firmware);
        std::puts(j.dump(2).c_str());
        return kExitDone;
    }
    for (const std::string& name : ConfigFields::Names()) {
        std::string value = ConfigFields::Text(m_image, name, m_firmware);
        if (name == "wepKeys") {
            for (int k = 0; k < 4; ++k)
                std::printf("%-21s %s\n", ("wepKey" + std::to_string(k + 1)).c_str(),
                            ConfigFields::KeyHex(m_image, k).c_str());
        } else {
            std::printf("%-21s %s\n", name.c_str(), value.c_str());
        }
    }
    return kExitDone;
}

int ApConfig::Get() {
    if (m_json) {
        nlohmann::ordered_json j;
        for (size_t i = 1; i < m_words.size(); ++i)
            j[m_words[i]] = ConfigFields::Json(m_image, m_words[i], m_firmware);
        std::puts(j.dump(2).c_str());
        return kExitDone;
    }
    for (size_t i = 1; i < m_words.size(); ++i)
        std::puts(ConfigFields::Text(m_image, m_words[i], m_firmware).c_str());
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
        std::fputs("ap-config: the key file OEM.tmp was left alone (--no-key-file)\n", stderr);
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
        std::fputs("ap-config: the key file OEM.tmp could not be written\n", stderr);
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
        std::fputs("ap-config: nothing was written\n", stderr);
        return kExitRefused;
    }
    g_pConfigImage = &changed;
    int code = WriteAndVerify(changed);
    if (keys && m_written)
        SyncKeyFileAfterWrite(false);
    return code;
}

int ApConfig::WriteAndVerify(ConfigImage& image) {
    std::array<BYTE, kConfigBlockLength + 1> block;
    std::copy(image.Bytes(), image.Bytes() + kConfigBlockLength, block.begin());
    m_written = WriteConfigurationBlock(block.data()) == TransferOutcome::kOk;
    if (!m_written)
        return Fail(kExitDevice, Message(kMsgAttach) + " (the write to " + m_device +
                                     " failed; nothing was verified)");
    ConfigImage back;
    TransferOutcome read = ReadConfigurationBlock(back.Bytes(), kSelectCurrent);
    if (read != TransferOutcome::kOk)
        return Fail(kExitDevice,
                    "the configuration was written, but " +
                        Message(read == TransferOutcome::kOpenFailed ? kMsgAttachOrInstallDriver
                                                                     : kMsgCannotGetConfiguration) +
                        ": not verified");
    std::vector<std::string> differ = ConfigFields::Differences(block.data(), back.Bytes());
    if (!differ.empty()) {
        std::string list;
        for (const std::string& d : differ)
            list += (list.empty() ? "" : ", ") + d;
        std::printf("differs: %s\n", list.c_str());
        return Fail(kExitDiffers,
                    "written, but the access point reads back differently in: " + list);
    }
    std::puts("verified");
    return kExitDone;
}

int ApConfig::Backup() {
    std::string error;
    if (!PrivateFile::Write(m_words[1], BackupFile::FromImage(m_image, m_firmware).ToJson(),
                            &error))
        return Fail(kExitRefused, "cannot write " + m_words[1] + ": " + error);
    std::printf("backup of %s written to %s\n",
                ConfigFields::Text(m_image, "macAddress", "").c_str(), m_words[1].c_str());
    return kExitDone;
}

int ApConfig::Restore() {
    std::string text, error;
    if (!PrivateFile::Read(m_words[1], &text, &error))
        return Fail(kExitRefused, "cannot read " + m_words[1] + ": " + error);
    BackupFile backup;
    if (!backup.Parse(text, &error))
        return Fail(kExitRefused, m_words[1] + ": " + error + "; nothing was written");
    std::string mac = ConfigFields::Text(m_image, "macAddress", "");
    if (backup.macAddress != mac && !m_force)
        return Fail(kExitRefused, m_words[1] + " is the backup of " + backup.macAddress +
                                      ", the attached access point is " + mac +
                                      " (--force writes it all the same); nothing was written");
    ConfigImage restored = m_image;
    BYTE* r = restored.Bytes();
    const BYTE* now = m_image.Bytes();
    std::copy(backup.block.begin(), backup.block.end(), r);
    // What belongs to this access point stays its own: its MAC address and regulation
    // domain, and its second password, which nothing here changes; the login password too,
    // unless asked for.
    std::copy(now + 8, now + 14, r + 8);
    r[160] = now[160];
    std::copy(now + 216, now + 240, r + 216);
    if (!m_withPassword)
        std::copy(now + 192, now + 216, r + 192);
    g_pConfigImage = &restored;
    int code = WriteAndVerify(restored);
    if (m_written)
        SyncKeyFileAfterWrite(true);
    return code;
}

int ApConfig::ExportKeys() {
    KeyExport::Format format;
    KeyExport::ParseFormat(m_format, &format);
    if (ConfigFields::ActiveKeySize(m_image.WepType()) == 0)
        return Fail(kExitRefused,
                    "WEP is " +
                        std::string(m_image.WepType() == 0 ? "disabled" : "of an unknown type") +
                        " on the access point: there are no keys to export");
    return Output(KeyExport::Render(m_image, format)) ? kExitDone : kExitRefused;
}
