#include "Session.h"

#include "Codepage1252.h"
#include "CommandLine.h"
#include "Console.h"
#include "HelpText.h"
#include "PasswordFile.h"
#include "PrivateFile.h"
#include "Terminal.h"
#include "device/ConfigTransfer.h"
#include "device/DeviceChannel.h"
#include "device/KeyStoreFile.h"
#include "platform/DeviceClient.h"
#include "platform/DeviceList.h"
#include "platform/HexText.h"
#include "platform/SystemText.h"

#include <algorithm>
#include <limits>

std::string Session::WithoutTrailingBlanks(const char* text) {
    std::string s = text;
    s.erase(s.find_last_not_of(' ') + 1);
    return s;
}

bool Session::Flag(Opt option) const {
    return m_values.count(option) != 0;
}

std::string Session::Value(Opt option, const std::string& otherwise) const {
    auto given = m_values.find(option);
    return given == m_values.end() || given->second.empty() ? otherwise : given->second.back();
}

const std::vector<std::string>& Session::Values(Opt option) const {
    static const std::vector<std::string> none;
    auto given = m_values.find(option);
    return given == m_values.end() ? none : given->second;
}

std::string Session::UnitPrefix() const {
    return m_severalUnits && m_inUnit ? m_device + ": " : "";
}

int Session::Fail(int code, const std::string& message) {
    std::string shown = UnitPrefix() + ConfigFields::Escaped(message);
    Console::Err("ap-config: " + shown + "\n");
    // The first failure is the one the exit code says.
    if (code != kExitDone && m_error.is_null())
        m_error = {{"code", ExitWord(code)}, {"exitCode", code}, {"message", shown}};
    return code;
}

void Session::Note(const std::string& message) const {
    if (!m_quiet)
        Console::Err("ap-config: " + UnitPrefix() + ConfigFields::Escaped(message) + "\n");
}

void Session::Warn(const std::string& warning) const {
    if (!warning.empty())
        Console::Err("ap-config: warning: " + ConfigFields::Escaped(warning) + "\n");
}

int Session::Print(const std::string& text) const {
    if (m_json || m_quiet)
        return kExitDone;
    std::string prefix = UnitPrefix(), out;
    for (size_t at = 0; at < text.size();) {
        size_t end = std::min(text.find('\n', at), text.size() - 1) + 1;
        out += prefix + text.substr(at, end - at);
        at = end;
    }
    Console::Out(out);
    return kExitDone;
}

int Session::PrintLine(const std::string& text) const {
    return Print(text + "\n");
}

std::string Session::UnitName() const {
    return m_device + " " + ConfigFields::Text(m_image, "macAddress", "");
}

bool Session::Output(const std::string& text) {
    std::string file = Value(Opt::kOutput, "-");
    if (file == "-") {
        if (m_json)
            m_report["text"] = text;
        else
            Print(text);
        return true;
    }
    std::string error;
    if (!PrivateFile::Write(file, text, &error)) {
        Fail(kExitRefused, "cannot write " + file + ": " + error);
        return false;
    }
    m_report["file"] = file;
    return true;
}

// Everything that can be refused before the access point is asked, from the registry.
int Session::CheckUsage() {
    const Command& c = *m_command;
    const std::vector<std::string>& devices = Values(Opt::kDevice);
    for (const std::string& d : devices)
        if (d.empty() || d.find_first_of("\\/") != std::string::npos)
            return Fail(kExitRefused, "--device takes a device name such as DfuDevice1");
    if (!devices.empty())
        m_device = devices.front();
    bool all = Flag(Opt::kAll);
    if ((devices.size() > 1 || all) && !c.Has(kSeveralUnits))
        return Fail(kExitRefused, (all ? "--all is for the commands that act on several units: "
                                       : "--device is given " + std::to_string(devices.size()) +
                                             " times: only these act on several units: ") +
                                      CommandsWith(kSeveralUnits) + " (not " + c.name + ")");
    if ((!devices.empty() || all) && Flag(Opt::kMac))
        return Fail(kExitRefused, "--mac chooses the unit itself: give it without --device or "
                                  "--all");
    if (all && !devices.empty())
        return Fail(kExitRefused, "--all and --device are both given: give one of them");
    std::string address;
    if (!devices.empty() && systemtext::Environment("AP_DEVICE_ADDR", &address) && !address.empty())
        return Fail(kExitRefused, "--device " + m_device + " and AP_DEVICE_ADDR=" + address +
                                      " are both given: the device is reached at AP_DEVICE_ADDR; "
                                      "give one of them");
    if (Flag(Opt::kWait)) {
        std::string seconds = Value(Opt::kWait);
        bool number = !seconds.empty() && seconds.size() <= 6 &&
                      seconds.find_first_not_of("0123456789") == std::string::npos;
        if (!seconds.empty() && !number)
            return Fail(kExitRefused, "--wait takes a number of seconds (at most 999999), as "
                                      "--wait=30, or none");
        // Without a number: until the locks are free.
        m_waitSeconds = number ? std::stoi(seconds) : std::numeric_limits<int>::max();
    }
    size_t n = m_args.size();
    if (Value(Opt::kPasswordFile) == "-" && c.arguments == Arguments::kFile && n == 1 &&
        m_args[0] == "-")
        return Fail(kExitRefused, "--password-file - and " + std::string(c.name) +
                                      " - both want standard input: give one of them a file");
    switch (c.arguments) {
    case Arguments::kNone:
        if (n != 0)
            return Fail(kExitRefused, std::string(c.name) + " takes no arguments");
        break;
    case Arguments::kFields:
        if (n == 0)
            return Fail(kExitRefused, std::string(c.name) + " needs at least one field name");
        break;
    case Arguments::kAssignments:
        if (n == 0)
            return Fail(kExitRefused, std::string(c.name) + " needs at least one FIELD=VALUE");
        break;
    case Arguments::kFile:
        if (n != 1)
            return Fail(kExitRefused, std::string(c.name) + " takes one file name");
        break;
    case Arguments::kCommandName:
    case Arguments::kWords:
        break;
    }
    return c.CheckArguments(*this);
}

bool Session::PasswordLines(std::vector<std::string>* lines, bool wantNew) {
    lines->clear();
    std::string file = Value(Opt::kPasswordFile);
    if (!file.empty()) {
        std::string error, warning;
        size_t count = wantNew ? 3 : 1;
        if (!PasswordFile::Read(file, count, lines, &error, &warning)) {
            Fail(kExitRefused, "cannot read " + Console::InputName(file) + ": " + error);
            return false;
        }
        Warn(warning);
        if (wantNew && lines->size() < 3) {
            Fail(kExitRefused,
                 Console::InputName(file) + " needs the new password on lines 2 and 3");
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

int Session::ReadAndLogIn() {
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
    std::string typed, refused;
    if (!Codepage1252::FromUtf8(m_passwordLines[0], &typed, &refused) ||
        !LoginAccepts(m_image, typed))
        return Fail(kExitWrongPassword, "The password you typed is incorrect.");
    return kExitDone;
}

void Session::BeforeDevices() {
    if (m_devicesAsked)
        return;
    m_devicesAsked = true;
    Warn(devclient::TokenFileWarning());
}

int Session::OpenFailed(const std::string& during) {
    DWORD error = GetLastError();
    // The loopback transport's token: what is wrong with it, never "attach the unit".
    std::string token = devclient::TokenFaultText(error);
    if (!token.empty())
        return Fail(kExitDevice, token + " (" + m_device + during + ")");
    if (error == ERROR_SHARING_VIOLATION)
        return Fail(kExitInUse,
                    "the access point is in use by another program (" + m_device + during + ")");
    return Fail(kExitDevice,
                WithoutTrailingBlanks(kMsgAttachOrInstallDriver) + " (" + m_device + during + ")");
}

int Session::TakeLocks() {
    if (!m_command->Has(kWrites) || Flag(Opt::kDryRun))
        return kExitDone;
    switch (m_locks.Take(m_waitSeconds, Flag(Opt::kForce) ? WriterLocks::IfUtilityRuns::kGoOn
                                                          : WriterLocks::IfUtilityRuns::kRefuse)) {
    case LockHolder::kNone:
        return kExitDone;
    case LockHolder::kApConfig:
        return Fail(kExitInUse, "another ap-config is writing to the access points of this user; "
                                "this " +
                                    std::string(m_command->name) +
                                    " waits for it with --wait; nothing was written");
    case LockHolder::kUtility:
        break;
    }
    return Fail(kExitInUse, "the utility is running for this user: its dialogs write the whole "
                            "configuration at their next OK and would undo this " +
                                std::string(m_command->name) +
                                "; close it first, or give --force; nothing was written");
}

void Session::PrintDocument(int code) {
    nlohmann::ordered_json document = m_report;
    if (m_severalUnits) {
        document = {{"units", m_units}};
        if (!m_error.is_null() && m_units.empty())
            document["error"] = m_error;
    } else if (!m_error.is_null() && code != kExitDone) {
        document = {{"error", m_error}};
    }
    Console::Out(ConfigFields::JsonText(document) + "\n");
}

int Session::Run(const std::vector<std::string>& args) {
    int code = RunCommand(args);
    if (m_json && !m_documentPrinted)
        PrintDocument(code);
    std::string reason;
    if (!Console::Finish(&reason)) {
        // What the command did stands; only its report was lost.
        Console::Err("ap-config: cannot write to standard output: " + reason + "\n");
        if (code == kExitDone)
            code = kExitOutput;
    }
    return code;
}

int Session::RunCommand(const std::vector<std::string>& args) {
    // A refused command line is reported as JSON too when --json is among its words.
    m_json = std::find(args.begin(), args.end(), "--json") != args.end();
    CommandLine line(*this);
    if (!line.Parse(args))
        return kExitRefused;
    m_json = Flag(Opt::kJson);
    m_quiet = Flag(Opt::kQuiet);
    if (Flag(Opt::kVersion)) {
        m_report = HelpText::VersionJson();
        return Print(HelpText::Version());
    }
    if (Flag(Opt::kHelp)) {
        m_report = HelpText::Json();
        return Print(HelpText::Summary());
    }
    if (!m_command)
        return Fail(kExitRefused, "no command given (see ap-config --help)");
    if (m_command->Has(kPrintsForPeople))
        m_json = false; // words for shells
    if (int code = CheckUsage())
        return code;
    if (!m_command->Has(kReadsUnit))
        return m_command->Run(*this);
    // What is read from files is read and checked before the access point is asked, and
    // the password before the unit is read: nothing waits on the user between the read and
    // the write.
    if (int code = m_command->ReadInputs(*this))
        return code;
    if (!PasswordLines(&m_passwordLines, m_command->Has(kNewPassword)))
        return kExitRefused;
    if (int code = TakeLocks())
        return code;
    std::string folder = Value(Opt::kKeyFolder);
    SetKeyFileFolder(folder.empty() ? MenuKeyFileFolder() : folder);
    BeforeDevices();
    std::vector<std::string> units;
    if (int code = ChooseUnits(&units))
        return code;
    m_severalUnits = m_command->Has(kSeveralUnits) && (units.size() > 1 || Flag(Opt::kAll));
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

int Session::ChooseUnits(std::vector<std::string>* units) {
    if (Flag(Opt::kAll)) {
        *units = devlist::AttachedDevices();
        if (units->empty())
            return Fail(kExitDevice, "no access point is attached; nothing was done");
        return kExitDone;
    }
    std::string mac = Value(Opt::kMac);
    if (mac.empty()) {
        const std::vector<std::string>& devices = Values(Opt::kDevice);
        *units = devices.empty() ? std::vector<std::string>{m_device} : devices;
        return kExitDone;
    }
    // The unit that holds the MAC address: each attached one read (no password needed).
    std::vector<BYTE> wanted;
    if (!HexText::Parse(mac, &wanted) || wanted.size() != 6)
        return Fail(kExitRefused, "--mac takes a MAC address such as 02:0a:bc:de:f0:12");
    for (const std::string& name : devlist::AttachedDevices()) {
        SetDeviceName(name);
        ConfigImage image;
        if (ReadConfigurationBlock(image.Bytes(), kSelectCurrent) == TransferOutcome::kOk &&
            std::equal(wanted.begin(), wanted.end(), image.MacAddress().begin())) {
            units->push_back(name);
            m_device = name;
            return kExitDone;
        }
    }
    return Fail(kExitDevice, "no attached access point holds the MAC address " + mac);
}

int Session::RunOnUnit(const std::string& device) {
    m_device = device;
    m_inUnit = true;
    int code = ReadAndLogIn();
    if (code == kExitDone && m_command->Has(kWrites)) {
        m_report["device"] = m_device;
        m_report["macAddress"] = ConfigFields::Text(m_image, "macAddress", "");
    }
    if (code == kExitDone)
        code = m_command->Run(*this);
    m_inUnit = false;
    return code;
}
