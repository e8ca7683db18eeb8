// ap-config as a process against the real emulator: every command with its refusals and
// the device's faults.
#include "Emulator.h"
#include "ManualPage.h"
#include "PipeReaderWatch.h"
#include "Sha256.h"
#include "TempFolder.h"
#include "Unprivileged.h"
#include "device/ConfigImage.h"
#include "device/ConfigTransfer.h"
#include "device/DeviceChannel.h"
#include "device/KeyStoreFile.h"
#include "device/WepKeyTable.h"
#include "platform/InstanceLock.h"
#include "platform/Profile.h"

#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <poll.h>
#include <pty.h>
#include <regex>
#include <signal.h>
#include <sstream>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

struct Result {
    int code = -1;
    std::string out, err;
};

// How the process is started beyond its arguments: its standard output, a file size limit.
struct Launch {
    const char* out = "ap-config.out";
    long fileSizeLimit = -1;
    // The key file's folder; null: the default, which $XDG_DATA_HOME (./data) decides.
    const char* keyFolder = ".";
    const char* in = nullptr; // standard input, else none
};

// Starts ap-config with args in the working folder, without a controlling terminal, with
// AP_PASSWORD set to password unless that is null.
pid_t Start(const std::vector<std::string>& args, const char* password, Launch how = {}) {
    pid_t pid = fork();
    if (pid == 0) {
        setsid();
        if (how.fileSizeLimit >= 0) {
            // Past the limit a write fails with EFBIG instead of ending the process.
            signal(SIGXFSZ, SIG_IGN);
            rlimit limit{static_cast<rlim_t>(how.fileSizeLimit),
                         static_cast<rlim_t>(how.fileSizeLimit)};
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        if (how.in) {
            int in = open(how.in, O_RDONLY);
            dup2(in, 0);
        }
        int out = open(how.out, O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int err = open("ap-config.err", O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(out, 1);
        dup2(err, 2);
        if (password)
            setenv("AP_PASSWORD", password, 1);
        else
            unsetenv("AP_PASSWORD");
        std::string data = std::filesystem::current_path().string() + "/data";
        setenv("XDG_DATA_HOME", data.c_str(), 1);
        std::vector<char*> argv{const_cast<char*>("ap-config")};
        if (how.keyFolder) {
            argv.push_back(const_cast<char*>("--key-folder"));
            argv.push_back(const_cast<char*>(how.keyFolder));
        }
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(AP_CONFIG_PATH, argv.data());
        _exit(127);
    }
    return pid;
}

Result Finish(pid_t pid) {
    Result r;
    int status = 0;
    waitpid(pid, &status, 0);
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = TempWorkingFolder::Read("ap-config.out");
    r.err = TempWorkingFolder::Read("ap-config.err");
    return r;
}

Result RunApConfig(const std::vector<std::string>& args, const char* password = "admin",
                   Launch how = {}) {
    return Finish(Start(args, password, how));
}

// What a verified write prints: the unit's device name and MAC address.
const char kVerified[] = "verified: DfuDevice0 02-1a-2b-3c-4d-5e\n";

const char kAttachOrInstall[] =
    "Please Attach the Access Point USB Connector or Install the Access Point Driver !";

class ApConfigTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(emulator.Running());
        factory = emulator.Dump("current");
        ASSERT_EQ(factory.size(), 889u);
    }
    long Stat(const char* key) const { return StatValue(" " + emulator.Control("stats"), key); }
    std::vector<uint8_t> Current() const { return emulator.Dump("current"); }
    void LoadWith(size_t offset, std::initializer_list<uint8_t> bytes) {
        auto c = Current();
        std::copy(bytes.begin(), bytes.end(), c.begin() + static_cast<long>(offset));
        emulator.Load(c);
    }
    static std::string Entry(const std::string& name) {
        char buf[2000];
        GetPrivateProfileStringA("OEM", name.c_str(), "<none>", buf, sizeof(buf), ".\\OEM.tmp");
        return buf;
    }
    static mode_t Mode(const std::string& path) {
        struct stat st {};
        stat(path.c_str(), &st);
        return st.st_mode & 0777;
    }

    TempWorkingFolder folder;
    EmulatorProcess emulator;
    std::vector<uint8_t> factory;
};

TEST_F(ApConfigTest, HelpListsEveryCommandWithAnExample) {
    Result r = RunApConfig({"--help"}, nullptr);
    EXPECT_EQ(r.code, 0);
    for (const char* example : {"ap-config --json show", "ap-config get", "ap-config set",
                                "ap-config --all apply", "ap-config reset", "ap-config backup",
                                "ap-config restore", "ap-config keys export", "ap-config passwd"})
        EXPECT_NE(r.out.find(std::string("e.g. ") + example), std::string::npos) << example;
    EXPECT_EQ(Stat("opens"), 0);
}

TEST_F(ApConfigTest, UsageIsRefusedBeforeTheDeviceIsAsked) {
    const std::vector<std::vector<std::string>> wrong = {
        {},
        {"frobnicate"},
        {"show", "extra"},
        {"get"},
        {"get", "password"},
        {"set"},
        {"set", "channel"},
        {"set", "macAddress=00-11-22-33-44-55"},
        {"set", "passwordLength=3"},
        {"set", "channel=6", "channel=7"},
        {"keys", "export", "--format", "iwd"},
        {"backup"},
        {"--bogus", "show"},
        {"--device", "../x", "show"},
    };
    for (const auto& args : wrong) {
        Result r = RunApConfig(args);
        EXPECT_EQ(r.code, 2) << testing::PrintToString(args);
        EXPECT_NE(r.err.find("ap-config: "), std::string::npos);
    }
    EXPECT_EQ(Stat("opens"), 0);
}

// Options belong to their commands; each refusal names the argument it refuses.
TEST_F(ApConfigTest, OptionsBelongToTheirCommands) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> refused = {
        {{"show", "--output", "x"}, "show does not take --output (it belongs to keys export)"},
        {{"set", "--with-password", "channel=6"},
         "set does not take --with-password (it belongs to backup, restore)"},
        {{"get", "--format", "plain", "essid"}, "get does not take --format"},
        {{"--device", "DfuDevice0", "--device", "DfuDevice1", "set", "channel=6"},
         "--device is given 2 times: only these act on several units: show, get, apply, backup, "
         "diff (not set)"},
        {{"--all", "reset"},
         "--all is for the commands that act on several units: show, get, apply, backup, diff "
         "(not reset)"},
        // The owners as the registry has them, wherever the option stands.
        {{"--dry-run", "show"},
         "show does not take --dry-run (it belongs to set, apply, reset, "
         "restore)"},
        {{"backup", "--other-unit", "b.json"},
         "backup does not take --other-unit (it belongs "
         "to restore)"},
        {{"--force", "get", "essid"},
         "get does not take --force (it belongs to set, apply, "
         "reset, restore, passwd)"},
        {{"--password-file", "a", "--password-file", "b", "show"},
         "--password-file is given 2 times: give it once"},
        {{"keys"}, "keys needs its command: keys export"},
        {{"--mac", "02:1a:2b:3c:4d:5e", "--device", "DfuDevice0", "show"},
         "--mac chooses the unit itself"},
        {{"--password-file", "-", "restore", "-"},
         "--password-file - and restore - both want standard input"},
        {{"apply"}, "apply takes one file name"},
        {{"show", "--frob"}, "unknown option --frob"},
        {{"show", "--frob=1"}, "unknown option --frob"},
        {{"frobnicate"}, "unknown command frobnicate"},
        {{"show", "extra"}, "show takes no argument \"extra\""},
        {{"keys", "export", "--format", "nonsense"}, "unknown format nonsense"},
        {{"keys", "export", "--format"}, "--format"},
        {{"help", "frobnicate"}, "unknown command frobnicate"},
    };
    for (const auto& [args, message] : refused) {
        Result r = RunApConfig(args);
        EXPECT_EQ(r.code, 2) << testing::PrintToString(args);
        EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
    }
    EXPECT_EQ(Stat("opens"), 0);

    // --opt=value as --opt value; "--" ends the options.
    TempWorkingFolder::Write("pw", "admin\n");
    Result joined = RunApConfig({"--password-file=pw", "get", "essid"}, nullptr);
    EXPECT_EQ(joined.code, 0) << joined.err;
    EXPECT_EQ(joined.out, "wireless\n");
    Result format = RunApConfig({"set", "--no-key-file", "wepType=64-bit"});
    ASSERT_EQ(format.code, 0) << format.err;
    EXPECT_EQ(RunApConfig({"keys", "export", "--format=plain"}).out,
              RunApConfig({"keys", "export", "--format", "plain"}).out);
    Result dashes = RunApConfig({"get", "--", "essid", "channel"});
    EXPECT_EQ(dashes.out, "wireless\nChannel 6\n") << dashes.err;
    // The global options also after the command, a command's options also before it.
    EXPECT_EQ(RunApConfig({"get", "essid", "--password-file", "pw"}, nullptr).code, 0);
    Result before = RunApConfig({"--dry-run", "set", "channel=4"});
    EXPECT_EQ(before.code, 0) << before.err;
    EXPECT_EQ(before.out, "channel               Channel 6 -> Channel 4\n");
}

TEST_F(ApConfigTest, VersionAndHelpOfOneCommand) {
    Result version = RunApConfig({"--version"}, nullptr);
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out, "ap-config " AP_VERSION "\n");
    Result help = RunApConfig({"help", "keys", "export"}, nullptr);
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("keys export [--format"), std::string::npos) << help.out;
    EXPECT_NE(help.out.find("\n  --output FILE"), std::string::npos) << help.out;
    EXPECT_EQ(help.out.find("--json"), std::string::npos) << help.out;
    EXPECT_EQ(RunApConfig({"help", "keys"}, nullptr).out, help.out);
    EXPECT_EQ(RunApConfig({"help"}, nullptr).out, RunApConfig({"--help"}, nullptr).out);
    EXPECT_EQ(Stat("opens"), 0);
}

// The words a shell offers after the given command line, from the bash completion; the line
// is split into words as bash splits it, "=" a word of its own.
std::string Completed(const std::string& line) {
    std::string script = "source " AP_SOURCE_DIR "/packaging/linux/ap-config.bash-completion; "
                         "read -ra w <<<\"${1//=/ = }\"; COMP_WORDS=(" AP_CONFIG_PATH
                         " \"${w[@]}\"); [[ -z $1 || $1 == *' ' ]] && COMP_WORDS+=(''); "
                         "COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); "
                         "COMP_LINE=\"" AP_CONFIG_PATH " $1\"; COMP_POINT=${#COMP_LINE}; "
                         "_ap_config; echo \"${COMPREPLY[*]}\" > completed";
    pid_t pid = fork();
    if (pid == 0) {
        execl("/bin/bash", "bash", "-c", script.c_str(), "_", line.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    waitpid(pid, nullptr, 0);
    return TempWorkingFolder::Read("completed");
}

// The manual page, the guide and the completion name what the program declares, and man
// reads the page without a warning. Completion never opens the access point.
TEST_F(ApConfigTest, ManualPageAndCompletionFollowTheDeclarations) {
    std::string page = TempWorkingFolder::Read(AP_CONFIG_MANUAL);
    std::string guide = TempWorkingFolder::Read(AP_SOURCE_DIR "/docs/ap-config.md");
    ASSERT_NE(page, "");
    ASSERT_NE(guide, "");
    auto roff = [](std::string word) {
        for (size_t at = 0; (at = word.find('-', at)) != std::string::npos; at += 2)
            word.insert(at, "\\");
        return word;
    };
    const std::vector<std::vector<std::string>> commands = {
        {},          {"show"},           {"get"},    {"set"}, {"backup"},
        {"restore"}, {"keys", "export"}, {"passwd"}, {"list"}};
    for (const auto& command : commands) {
        std::vector<std::string> args{"complete-words", "--"};
        args.insert(args.end(), command.begin(), command.end());
        Result words = RunApConfig(args, nullptr);
        ASSERT_EQ(words.code, 0) << words.err;
        std::istringstream list(words.out);
        for (std::string w; std::getline(list, w);) {
            if (w.back() == '=' || w.front() == '<')
                continue;
            EXPECT_NE(page.find(w.rfind("--", 0) == 0 ? roff(w) : w), std::string::npos)
                << testing::PrintToString(command) << ": " << w;
            EXPECT_NE(guide.find(w), std::string::npos)
                << testing::PrintToString(command) << ": " << w;
        }
    }
    if (std::system("command -v man > /dev/null") == 0) {
        std::string check =
            "man --warnings -E UTF-8 -l " AP_CONFIG_MANUAL " 2> warnings > /dev/null";
        EXPECT_EQ(std::system(check.c_str()), 0);
        EXPECT_EQ(TempWorkingFolder::Read("warnings"), "");
    }
    const std::vector<std::pair<std::string, std::string>> completions = {
        {"", "show get set apply reset backup restore diff keys passwd list help --device --mac "
             "--all --password-file --key-folder --json --quiet --help --version\n"},
        {"set ch", "channel=\n"},
        {"get wepK", "wepKeys wepKey1 wepKey2 wepKey3 wepKey4\n"},
        {"keys ex", "export\n"},
        {"keys export --format n", "networkmanager\n"},
        {"show --j", "--json\n"},
        {"--device DfuDevice0 restore --w", "--wait --with-password\n"},
        {"help pa", "passwd\n"},
        // After FIELD=, the values of set's table; free text offers none.
        {"set channel=1", "1 10 11 12 13 14\n"},
        {"set authType=", "Open\\ System Shared\\ Key Both\\ Type\n"},
        {"set rateMode=5", "5.5\\ Mbps\n"},
        {"set fragmentThreshold=", "256 2346\n"},
        {"set --dry-run preambleType=L", "Long\n"},
        {"set essid=", "\n"},
        {"get channel=", "\n"},
        {"keys export --format=w", "wpa_supplicant\n"},
        // The device names as list finds them, without a password and without opening one;
        // an option's value is no command word.
        {"--device ", "DfuDevice0\n"},
        {"--device DfuDevice0 get ess", "essid\n"},
        {"--key-folder show get ess", "essid\n"},
        // Files (and folders, to reach them) after the commands that read or write one and
        // the options of a file; only folders for the key folder.
        {"diff off", "office.d office.json\n"},
        {"restore off", "office.d office.json\n"},
        {"backup off", "office.d office.json\n"},
        {"--all apply off", "office.d office.json\n"},
        {"--mac ", "\n"},
        {"restore office.json off", "\n"},
        {"diff - off", "\n"},
        {"restore office.json --w", "--wait --with-password\n"},
        {"--password-file pw", "pw.txt\n"},
        {"keys export --output=off", "office.d office.json\n"},
        {"--key-folder o", "office.d\n"},
    };
    TempWorkingFolder::Write("office.json", "{}\n");
    TempWorkingFolder::Write("pw.txt", "admin\n");
    std::filesystem::create_directory("office.d");
    for (const auto& [line, offered] : completions)
        EXPECT_EQ(Completed(line), offered) << line;
    // --device is refused with the loopback transport: no name to offer.
    setenv("AP_DEVICE_ADDR", "127.0.0.1:9", 1);
    EXPECT_EQ(Completed("--device "), "\n");
    unsetenv("AP_DEVICE_ADDR");
    EXPECT_EQ(Stat("opens"), 0);
}

// The page's commands, options, exit statuses and fields, and the guide's tables, are made
// from the registry and the field table: the page holds what the generator makes, the guide
// holds it as ap-config-manual --markdown prints it, and each says what the program does.
TEST_F(ApConfigTest, TheReferenceComesFromTheRegistry) {
    std::string page = TempWorkingFolder::Read(AP_CONFIG_MANUAL);
    std::string guide = TempWorkingFolder::Read(AP_SOURCE_DIR "/docs/ap-config.md");
    for (const std::string& part : {ManualPage::CommandsRoff(), ManualPage::OptionsRoff(),
                                    ManualPage::ExitStatusRoff(), ManualPage::FieldsRoff()})
        EXPECT_NE(page.find(part), std::string::npos) << part.substr(0, 80);
    EXPECT_EQ(page.find('@'), std::string::npos);
    for (const std::string& table : {ManualPage::CommandsMarkdown(), ManualPage::OptionsMarkdown(),
                                     ManualPage::ExitCodesMarkdown(), ManualPage::FieldsMarkdown()})
        EXPECT_NE(guide.find(table), std::string::npos)
            << "docs/ap-config.md differs from ap-config-manual --markdown:\n"
            << table.substr(0, 200);
    // What the tables say, against the program's behaviour written out here.
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"`channel`", "FCC 1 to 11; DOC 1 to 11; ETSI 1 to 13; SPAIN 10 to 11; FRANCE 10 to 13; "
                      "MKK 14 or 1 to 14"},
        // One rule for a number given for a list's value: the number beside its word.
        {"`rateMode`", "`1 Mbps` (1), `2 Mbps` (2), `5.5 Mbps` (5.5), `11 Mbps` (11), `Auto`;"},
        {"`operationalMode`", "`WBridge Point to MultiPoint` (1)"},
        {"`fragmentThreshold`", "`256` to `2346`"},
        {"`rtsThreshold`", "`0` to `2347`"},
        {"`beaconPeriod`", "`20` to `1000`"},
        {"`preambleType`", "`Short` (1), `Long` (2)"},
        {"`wepKey1`, `wepKey2`, `wepKey3`, `wepKey4`", "10 for `64-bit`, 26 for `128-bit`"},
        {"`essid`", "at most 32 Windows-1252 bytes"},
        {"`macAddress`", "Read only"},
        {"`regulationDomain`", "Read only"},
        {"`--force`", "Taken by: set, apply, reset, restore, passwd."},
        {"`--dry-run`", "Taken by: set, apply, reset, restore."},
        {"`--other-unit`", "Taken by: restore."},
        {"5", "| `in-use` | In use:"},
        {"7", "| `changed-meanwhile` |"},
        {"8", "| `output` | The result could not be written"},
        {"`apply [--force] [--wait[=SECONDS]] [--clamp] [--no-key-file] [--take-key-file] "
         "[--dry-run] FILE\\|-`",
         "also `wepKey1` beside `wepKeys`"},
    };
    for (const auto& [first, values] : rows) {
        size_t row = guide.find("\n| " + first + " |");
        ASSERT_NE(row, std::string::npos) << first;
        std::string line = guide.substr(row + 1, guide.find('\n', row + 1) - row);
        EXPECT_NE(line.find(values), std::string::npos) << line;
    }
    std::string rule = "A list's value may also be given as the number in parentheses beside its "
                       "word (for `rateMode` the rate in Mbps";
    EXPECT_NE(guide.find(rule), std::string::npos);
    EXPECT_NE(page.find("A list's value may also be given as the number in parentheses"),
              std::string::npos);
    // --help lists what writes and what set and apply take from the same registry.
    Result help = RunApConfig({"--help"}, nullptr);
    EXPECT_NE(help.out.find("refused while the utility runs for this user (without --force):\n"
                            "  set, apply, reset, restore, passwd\n"),
              std::string::npos)
        << help.out;
    EXPECT_NE(help.out.find("wepKey4 wepKeys ipAddress"), std::string::npos);
    EXPECT_NE(help.out.find("read only:\n  firmwareVersion regulationDomain macAddress\n"),
              std::string::npos);
    // The number given for rateMode is its Mbps, as the rule says.
    ASSERT_EQ(RunApConfig({"set", "rateMode=1"}).code, 0);
    EXPECT_EQ(RunApConfig({"get", "rateMode"}).out, "1 Mbps\n");
    ASSERT_EQ(RunApConfig({"set", "rateMode=5.5"}).code, 0);
    EXPECT_EQ(RunApConfig({"get", "rateMode"}).out, "5.5 Mbps\n");
}

// A loop over --device names must not reach the same unit through AP_DEVICE_ADDR each time.
TEST_F(ApConfigTest, DeviceAndDeviceAddressTogetherAreRefused) {
    setenv("AP_DEVICE_ADDR", "127.0.0.1:9", 1);
    Result both = RunApConfig({"--device", "DfuDevice1", "show"});
    unsetenv("AP_DEVICE_ADDR");
    EXPECT_EQ(both.code, 2);
    EXPECT_NE(both.err.find("--device DfuDevice1 and AP_DEVICE_ADDR=127.0.0.1:9"),
              std::string::npos)
        << both.err;
    EXPECT_EQ(Stat("opens"), 0);
}

// The loopback transport's token faults say which they are, never "attach the unit"; a token
// file others may read gets the password file's warning.
TEST_F(ApConfigTest, LoopbackTokenFaultsAreNamed) {
    EmulatorProcess tcp(true);
    ASSERT_TRUE(tcp.Running());
    setenv("AP_DEVICE_ADDR", tcp.TcpAddress().c_str(), 1);
    unsetenv("AP_DEVICE_TOKEN");
    unsetenv("AP_DEVICE_TOKEN_FILE");
    TempWorkingFolder::Write("wrong.token", std::string(64, '7') + "\n");
    chmod("wrong.token", 0600);
    const std::vector<std::pair<std::string, std::string>> faults = {
        {"", "no token given"},
        {"/dev/zero", "the token file /dev/zero is not a regular file"},
        {"wrong.token", "refused the token from the token file wrong.token"},
    };
    for (const auto& [file, message] : faults) {
        if (!file.empty())
            setenv("AP_DEVICE_TOKEN_FILE", file.c_str(), 1);
        for (const char* command : {"show", "list"}) {
            Result r = RunApConfig({command}, "admin");
            EXPECT_EQ(r.code, std::string(command) == "show" ? 1 : 0) << r.err;
            EXPECT_EQ(r.err.find("Please Attach"), std::string::npos) << r.err;
            if (std::string(command) == "show") {
                EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
            }
        }
    }
    // The right token, in a file others may read: used, with the warning.
    setenv("AP_DEVICE_TOKEN_FILE", tcp.TokenPath().c_str(), 1);
    ASSERT_EQ(chmod(tcp.TokenPath().c_str(), 0644), 0);
    Result shared = RunApConfig({"get", "essid"});
    EXPECT_EQ(shared.code, 0) << shared.err;
    EXPECT_NE(shared.err.find("ap-config: warning: the token file " + tcp.TokenPath() +
                              " may be read by other users (mode 0644)"),
              std::string::npos)
        << shared.err;
    unsetenv("AP_DEVICE_TOKEN_FILE");
    unsetenv("AP_DEVICE_ADDR");
}

TEST_F(ApConfigTest, DeviceFailuresExitOneWithTheUtilitysWords) {
    Result other = RunApConfig({"--device", "DfuDevice1", "show"});
    EXPECT_EQ(other.code, 1);
    EXPECT_NE(other.err.find(kAttachOrInstall), std::string::npos) << other.err;

    emulator.Control("absent on");
    Result absent = RunApConfig({"show"});
    EXPECT_EQ(absent.code, 1);
    EXPECT_NE(absent.err.find(kAttachOrInstall), std::string::npos);
    emulator.Control("absent off");

    emulator.Control("short-reply on");
    Result shortReply = RunApConfig({"show"});
    EXPECT_EQ(shortReply.code, 1);
    EXPECT_NE(shortReply.err.find("Cannot get the configuration"), std::string::npos);
    EXPECT_EQ(shortReply.out, "");
    emulator.Control("short-reply off");

    // One failed read is retried at once and is not reported.
    emulator.Control("reset-stats");
    emulator.Control("fail-reads 1");
    Result retried = RunApConfig({"get", "essid"});
    EXPECT_EQ(retried.code, 0) << retried.err;
    EXPECT_EQ(retried.out, "wireless\n");
    EXPECT_EQ(Stat("reads"), 2);
    EXPECT_EQ(Stat("opens"), 1);
}

// Another program's open device is reported as in use, not as missing.
TEST_F(ApConfigTest, DeviceInUseExitsFive) {
    CDeviceChannel holder;
    ASSERT_TRUE(holder.Open());
    for (const auto& args : std::vector<std::vector<std::string>>{{"show"}, {"set", "channel=3"}}) {
        Result r = RunApConfig(args);
        EXPECT_EQ(r.code, 5) << testing::PrintToString(args);
        EXPECT_EQ(r.err, "ap-config: the access point is in use by another program (DfuDevice0)\n");
    }
    holder.Close();
    EXPECT_EQ(Current(), factory);
}

// Two writers: the second is told another ap-config writes (not the utility), --force does
// not go past it, --wait waits for it.
TEST_F(ApConfigTest, AnotherWriterIsNamedAndWaitedFor) {
    WriterLocks other;
    ASSERT_EQ(other.Take(0), LockHolder::kNone);
    for (const auto& args :
         std::vector<std::vector<std::string>>{{"set", "channel=3"},
                                               {"set", "--force", "channel=3"},
                                               {"set", "--wait=0", "channel=3"}}) {
        Result r = RunApConfig(args);
        EXPECT_EQ(r.code, 5) << testing::PrintToString(args);
        EXPECT_NE(r.err.find("another ap-config is writing"), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find("utility"), std::string::npos) << r.err;
    }
    // A wait of no number of seconds is refused with the usage, before the password is asked.
    for (const char* wait : {"--wait=x", "--wait=-5"}) {
        Result r = RunApConfig({"set", wait, "channel=3"}, nullptr);
        EXPECT_EQ(r.code, 2) << wait;
        EXPECT_NE(r.err.find("--wait takes a number of seconds"), std::string::npos) << r.err;
    }
    // Reads and dry runs need no lock.
    EXPECT_EQ(RunApConfig({"set", "--dry-run", "channel=3"}).code, 0);
    EXPECT_EQ(RunApConfig({"get", "channel"}).code, 0);
    EXPECT_EQ(Current()[28], 6);
    // With --wait it writes once the other lets go.
    pid_t waiting = Start({"set", "--wait", "channel=3"}, "admin");
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_EQ(Current()[28], 6);
    other.Release();
    Result r = Finish(waiting);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(Current()[28], 3);
}

// While the utility runs its dialogs would write their copy back: changes wait for --force.
TEST_F(ApConfigTest, ChangesRefusedWhileTheUtilityRuns) {
    ASSERT_EQ(RunApConfig({"backup", "ap.json"}).code, 0);
    TempWorkingFolder::Write("pw", "admin\nnew\nnew\n");
    TempWorkingFolder::Write("state.json", R"({"channel": 3})");
    InstanceLock utility;
    ASSERT_TRUE(utility.Acquire(InstanceLock::DefaultPath()));
    emulator.Control("reset-stats");
    for (const auto& args :
         std::vector<std::vector<std::string>>{{"set", "channel=3"},
                                               {"restore", "ap.json"},
                                               {"--password-file", "pw", "passwd"},
                                               {"apply", "state.json"},
                                               {"reset"}}) {
        Result r = RunApConfig(args);
        EXPECT_EQ(r.code, 5) << testing::PrintToString(args);
        EXPECT_NE(r.err.find("the utility is running for this user"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("--force; nothing was written"), std::string::npos) << r.err;
    }
    EXPECT_EQ(Stat("opens"), 0);
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"show"}, {"get", "essid"}, {"backup", "b.json"}, {"set", "--force", "channel=3"}})
        EXPECT_EQ(RunApConfig(args).code, 0) << testing::PrintToString(args);
    EXPECT_EQ(Current()[28], 3);
}

TEST_F(ApConfigTest, ListNamesTheDevicesAndTheirAddressesWithThePassword) {
    // A socket that nothing serves any more, and a file that is no device.
    int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::string stale = emulator.DeviceDir() + "/DfuDevice10";
    std::strncpy(address.sun_path, stale.c_str(), sizeof(address.sun_path) - 1);
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    close(fd);
    TempWorkingFolder::Write(emulator.DeviceDir() + "/DfuDevice2", "");

    Result names = RunApConfig({"list"}, nullptr);
    EXPECT_EQ(names.code, 0) << names.err;
    EXPECT_EQ(names.out, "DfuDevice0\nDfuDevice10\n");
    Result full = RunApConfig({"list"});
    EXPECT_EQ(full.code, 0) << full.err;
    EXPECT_EQ(full.out, "DfuDevice0  02-1a-2b-3c-4d-5e\nDfuDevice10 (does not open)\n");
    EXPECT_EQ(
        RunApConfig({"list"}, "wrong").out,
        "DfuDevice0  (the password is not this access point's)\nDfuDevice10 (does not open)\n");
    // For programs the state is a code word, the words beside it.
    auto units = nlohmann::json::parse(RunApConfig({"--json", "list"}, "wrong").out)["units"];
    EXPECT_EQ(units[0]["state"], "wrong-password");
    EXPECT_EQ(units[1]["state"], "does-not-open");
    EXPECT_EQ(units[1]["message"], "does not open");
}

// What show --json prints, apply takes back unchanged; --settings leaves out what apply does
// not set. Reads go to several units as apply does, each text line naming its unit.
TEST_F(ApConfigTest, ARoundTripAndFleetReads) {
    for (const char* wep : {"wepType=Disable", "wepType=64-bit"}) {
        ASSERT_EQ(RunApConfig({"set", "--no-key-file", wep}).code, 0) << wep;
        Launch toFile{"golden.json"};
        ASSERT_EQ(RunApConfig({"--json", "show"}, "admin", toFile).code, 0);
        ASSERT_EQ(RunApConfig({"--json", "show", "--settings"}, "admin", {"settings.json"}).code,
                  0);
        emulator.Control("reset-stats");
        for (const char* state : {"golden.json", "settings.json"}) {
            Result back = RunApConfig({"apply", state});
            EXPECT_EQ(back.code, 0) << wep << " " << state << ": " << back.err;
            EXPECT_EQ(back.out, "unchanged: DfuDevice0 02-1a-2b-3c-4d-5e\n") << back.err;
        }
        EXPECT_EQ(Stat("writes"), 0);
        auto settings = nlohmann::json::parse(TempWorkingFolder::Read("settings.json"));
        EXPECT_FALSE(settings.contains("macAddress"));
        EXPECT_FALSE(settings.contains("firmwareVersion"));
        EXPECT_TRUE(settings.contains("beaconPeriod"));
        EXPECT_EQ(settings.contains("wepKeys"), std::string(wep) != "wepType=Disable") << wep;
    }
    // A unit that holds what the pages would not take (written by another program: a
    // control byte, a number out of range, a channel outside its domain, an unknown word)
    // takes its own state back unchanged.
    const std::vector<uint8_t> held = Current();
    for (const auto& [offset, bytes] : std::vector<std::pair<long, std::vector<uint8_t>>>{
             {125, {0x1B}}, {162, {5, 0}}, {28, {12}}, {29, {7}}}) {
        auto odd = held;
        std::copy(bytes.begin(), bytes.end(), odd.begin() + offset);
        emulator.Load(odd);
        ASSERT_EQ(RunApConfig({"--json", "show"}, "admin", {"odd.json"}).code, 0);
        emulator.Control("reset-stats");
        Result back = RunApConfig({"apply", "odd.json"});
        EXPECT_EQ(back.code, 0) << offset << ": " << back.err;
        EXPECT_EQ(back.out, "unchanged: DfuDevice0 02-1a-2b-3c-4d-5e\n");
        EXPECT_EQ(Stat("writes"), 0);
    }
    emulator.Load(held);
    // A unit's own value that is not this unit's, or a key while WEP is disabled that the
    // slot does not hold: refused by name.
    ASSERT_EQ(RunApConfig({"set", "wepType=Disable"}).code, 0);
    for (const auto& [state, why] : std::vector<std::pair<std::string, std::string>>{
             {R"({"firmwareVersion": "9.9"})",
              R"(firmwareVersion is the unit's own ("1.0.2.0", not "9.9"))"},
             {R"({"wepKeys": ["00112233445566778899aabbcc"]})", "WEP is disabled"}}) {
        TempWorkingFolder::Write("bad.json", state);
        Result bad = RunApConfig({"apply", "bad.json"});
        EXPECT_EQ(bad.code, 2);
        EXPECT_NE(bad.err.find(why), std::string::npos) << bad.err;
    }

    // Several units, one absent: each named on every line, the failure the exit code.
    Result get = RunApConfig(
        {"--device", "DfuDevice0", "--device", "DfuDevice7", "get", "channel", "essid"});
    EXPECT_EQ(get.code, 1);
    EXPECT_EQ(get.out, "DfuDevice0: Channel 6\nDfuDevice0: wireless\n");
    EXPECT_NE(get.err.find("ap-config: DfuDevice7: Please Attach"), std::string::npos) << get.err;
    Result wrong = RunApConfig({"--all", "show"}, "wrong");
    EXPECT_EQ(wrong.code, 4);
    EXPECT_EQ(wrong.err, "ap-config: DfuDevice0: The password you typed is incorrect.\n");
    auto units = nlohmann::json::parse(
        RunApConfig({"--json", "--device", "DfuDevice0", "--device", "DfuDevice7", "show"})
            .out)["units"];
    EXPECT_EQ(units[0]["channel"], "Channel 6");
    EXPECT_EQ(units[1]["error"]["code"], "device");
    // Backups of several units: a folder, one file a unit named by its MAC address.
    Result backups = RunApConfig({"--all", "backup", "fleet"});
    EXPECT_EQ(backups.code, 0) << backups.err;
    EXPECT_EQ(backups.out, "DfuDevice0: backup of DfuDevice0 02-1a-2b-3c-4d-5e written to "
                           "fleet/02-1a-2b-3c-4d-5e.json\n");
    EXPECT_EQ(Mode("fleet/02-1a-2b-3c-4d-5e.json"), 0600u);
    EXPECT_EQ(RunApConfig({"--all", "backup", "-"}).code, 2);
    // Two units of one MAC address (here one unit named twice): the first one's file stays.
    TempWorkingFolder::Write("fleet/02-1a-2b-3c-4d-5e.json", "older");
    Result same =
        RunApConfig({"--device", "DfuDevice0", "--device", "DfuDevice0", "backup", "fleet"});
    EXPECT_EQ(same.code, 2);
    EXPECT_EQ(same.out, backups.out);
    EXPECT_EQ(same.err, "ap-config: DfuDevice0: fleet/02-1a-2b-3c-4d-5e.json already holds this "
                        "run's backup of DfuDevice0 (the same MAC address): this unit's was not "
                        "written\n");
    Result drift = RunApConfig({"--all", "diff", "fleet/02-1a-2b-3c-4d-5e.json"});
    EXPECT_EQ(drift.code, 0) << drift.err;
    ASSERT_EQ(RunApConfig({"set", "channel=2"}).code, 0);
    drift = RunApConfig({"--all", "diff", "fleet/02-1a-2b-3c-4d-5e.json"});
    EXPECT_EQ(drift.code, 6);
    EXPECT_EQ(drift.out, "DfuDevice0: channel               Channel 2 -> Channel 6\n");
}

TEST_F(ApConfigTest, PasswordAsTheLoginChecksIt) {
    EXPECT_EQ(RunApConfig({"get", "essid"}, "admin").code, 0);
    EXPECT_EQ(RunApConfig({"get", "essid"}, "recovery").code, 0); // the second stored password
    // The whole text, as the login dialog compares it: no word of it is taken alone.
    for (const char* typed : {"admin xyz", "\tadmin", "  admin", "admin          X", "admin "})
        EXPECT_EQ(RunApConfig({"get", "essid"}, typed).code, 4) << typed;
    Result wrong = RunApConfig({"get", "essid"}, "Admin");
    EXPECT_EQ(wrong.code, 4);
    EXPECT_NE(wrong.err.find("The password you typed is incorrect."), std::string::npos);
    EXPECT_EQ(wrong.out, "");
    EXPECT_EQ(RunApConfig({"get", "essid"}, "").code, 4);

    // The first line without LF or CRLF, after a byte-order mark; a file others may read is
    // taken with a warning.
    for (const char* text : {"recovery\r\n", "recovery", "\xEF\xBB\xBFrecovery\nx\n"}) {
        TempWorkingFolder::Write("pw", text);
        chmod("pw", 0600);
        Result r = RunApConfig({"--password-file", "pw", "get", "essid"}, "wrong");
        EXPECT_EQ(r.code, 0) << text;
        EXPECT_EQ(r.err, "");
    }
    for (const char* text : {"recovery\r\r\n", "recovery \n", "\xEF\xBB\xBF\xEF\xBB\xBFrecovery"}) {
        TempWorkingFolder::Write("pw", text);
        EXPECT_EQ(RunApConfig({"--password-file", "pw", "get", "essid"}).code, 4) << text;
    }
    chmod("pw", 0644);
    Result open = RunApConfig({"--password-file", "pw", "get", "essid"});
    EXPECT_NE(open.err.find("ap-config: warning: pw may be read by other users (mode 0644)"),
              std::string::npos)
        << open.err;
    EXPECT_EQ(RunApConfig({"--password-file", "missing", "get", "essid"}).code, 2);
    // A password file holds at most 4 KiB: 4096 bytes are read, 4097 refused, and a device
    // that never ends is refused once that much came, before the unit is opened.
    std::string padded = "recovery\n";
    padded += std::string(4096 - padded.size(), '#');
    TempWorkingFolder::Write("pw", padded);
    EXPECT_EQ(RunApConfig({"--password-file", "pw", "get", "essid"}).code, 0);
    TempWorkingFolder::Write("pw", padded + "#");
    emulator.Control("reset-stats");
    for (const char* file : {"pw", "/dev/zero"}) {
        Result large = RunApConfig({"--password-file", file, "get", "essid"});
        EXPECT_EQ(large.code, 2) << file;
        EXPECT_NE(large.err.find("larger than a password file can be (4 KiB)"), std::string::npos)
            << large.err;
    }
    // So is a desired state past a backup's size, and standard input past the same limits.
    const Launch endlessInput{"ap-config.out", -1, ".", "/dev/zero"};
    for (const auto& [args, password, how, message] :
         std::vector<std::tuple<std::vector<std::string>, const char*, Launch, std::string>>{
             {{"apply", "/dev/zero"}, "admin", {}, "larger than a desired state can be (1 MiB)"},
             {{"apply", "-"},
              "admin",
              endlessInput,
              "cannot read standard input: larger than a desired state can be (1 MiB)"},
             {{"restore", "-"},
              "admin",
              endlessInput,
              "cannot read standard input: larger than a backup can be (1 MiB)"},
             {{"--password-file", "-", "get", "essid"},
              nullptr,
              endlessInput,
              "cannot read standard input: larger than a password file can be (4 KiB)"}}) {
        Result endless = RunApConfig(args, password, how);
        EXPECT_EQ(endless.code, 2) << testing::PrintToString(args);
        EXPECT_NE(endless.err.find(message), std::string::npos) << endless.err;
    }
    EXPECT_EQ(Stat("opens"), 0);
    // A pipe is read as its writer gives it, as <(echo recovery) gives a password.
    ASSERT_EQ(mkfifo("pipe", 0600), 0);
    pid_t reader = Start({"--password-file", "pipe", "get", "essid"}, nullptr);
    int writer = -1;
    for (int tries = 0; writer < 0 && tries < 1000; ++tries) {
        writer = ::open("pipe", O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (writer < 0)
            usleep(10000); // until ap-config opens the pipe for reading
    }
    ASSERT_GE(writer, 0);
    EXPECT_EQ(write(writer, "recovery\n", 9), 9);
    close(writer);
    Result piped = Finish(reader);
    EXPECT_EQ(piped.code, 0) << piped.err;
    EXPECT_EQ(piped.out, "wireless\n");
    // Neither a file, nor the variable, nor a terminal to ask on.
    Result none = RunApConfig({"get", "essid"}, nullptr);
    EXPECT_EQ(none.code, 2);
    EXPECT_NE(none.err.find("no password"), std::string::npos);

    // A stored password longer than the 16 characters the login takes never matches; an
    // empty stored one matches an empty typed one.
    LoadWith(192, {17, 0, 0, 0});
    LoadWith(196, {'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i', 'j', 'k', 'l', 'm', 'n', 'o', 'p',
                   'q', 0});
    EXPECT_EQ(RunApConfig({"get", "essid"}, "abcdefghijklmnopq").code, 4);
    LoadWith(216, {0, 0, 0, 0});
    EXPECT_EQ(RunApConfig({"get", "essid"}, "").code, 0);
}

// ap-config at its hidden password prompt on a terminal of its own: the terminal's echo
// after a signal, and how the process ended.
class PasswordPrompt {
public:
    // asJob: started as a shell starts a job, in a process group of its own in the
    // foreground, by a parent that stays (a stop signal stops only such a group). The parent
    // writes "[stopped]" when it stops, continues it on SIGUSR1 and ends with its status.
    explicit PasswordPrompt(bool asJob = false, std::vector<std::string> args = {"get", "essid"}) {
        std::vector<char*> argv{const_cast<char*>("ap-config")};
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        m_pid = forkpty(&m_master, nullptr, nullptr, nullptr);
        if (m_pid == 0) {
            unsetenv("AP_PASSWORD");
            sigset_t usr1;
            sigemptyset(&usr1);
            sigaddset(&usr1, SIGUSR1);
            sigprocmask(SIG_BLOCK, &usr1, nullptr);
            pid_t job = asJob ? fork() : 0;
            if (job == 0) {
                if (asJob) {
                    setpgid(0, 0);
                    signal(SIGTTOU, SIG_IGN);
                    tcsetpgrp(0, getpid());
                    signal(SIGTTOU, SIG_DFL);
                }
                sigprocmask(SIG_UNBLOCK, &usr1, nullptr);
                execv(AP_CONFIG_PATH, argv.data());
                _exit(127);
            }
            int status = 0, signal = 0;
            while (waitpid(job, &status, WUNTRACED) > 0 && WIFSTOPPED(status)) {
                if (write(1, "[stopped]", 9) != 9 || sigwait(&usr1, &signal) != 0)
                    _exit(126);
                kill(job, SIGCONT);
            }
            _exit(WIFEXITED(status) ? WEXITSTATUS(status) : 125);
        }
        m_seen = ReadUntil("Password: ");
    }
    ~PasswordPrompt() { close(m_master); }
    bool Prompted() const { return m_seen; }
    bool Echo() const {
        termios t{};
        tcgetattr(m_master, &t);
        return (t.c_lflag & ECHO) != 0;
    }
    void Type(const std::string& text) const {
        ASSERT_GT(write(m_master, text.data(), text.size()), 0);
    }
    // The status once it ended or stopped.
    int Wait() const {
        int status = 0;
        waitpid(m_pid, &status, WUNTRACED);
        return status;
    }
    pid_t Pid() const { return m_pid; }
    bool ReadUntil(const std::string& text) {
        std::string seen;
        char buf[256];
        for (int i = 0; i < 100 && seen.find(text) == std::string::npos; ++i) {
            pollfd p{m_master, POLLIN, 0};
            if (poll(&p, 1, 100) <= 0)
                continue;
            ssize_t n = read(m_master, buf, sizeof(buf));
            if (n <= 0)
                break;
            seen.append(buf, static_cast<size_t>(n));
        }
        m_output += seen;
        return seen.find(text) != std::string::npos;
    }
    const std::string& Output() const { return m_output; }

private:
    int m_master = -1;
    pid_t m_pid = -1;
    bool m_seen = false;
    std::string m_output;
};

TEST_F(ApConfigTest, SignalsAtThePasswordPromptGiveTheEchoBack) {
    // Ctrl-C typed, and signals sent: each ends the process as the signal does.
    const std::vector<std::pair<std::string, int>> endings = {
        {"\x03", SIGINT}, {"", SIGTERM}, {"", SIGHUP}};
    for (const auto& [typed, signal] : endings) {
        PasswordPrompt prompt;
        ASSERT_TRUE(prompt.Prompted()) << prompt.Output();
        EXPECT_FALSE(prompt.Echo());
        if (typed.empty())
            kill(prompt.Pid(), signal);
        else
            prompt.Type(typed);
        int status = prompt.Wait();
        ASSERT_TRUE(WIFSIGNALED(status)) << signal;
        EXPECT_EQ(WTERMSIG(status), signal); // 128 + 2 = 130 for Ctrl-C in a shell
        EXPECT_TRUE(prompt.Echo()) << signal;
    }
    // Ctrl-Z stops it with the echo back; continued, it hides the typing again and reads on.
    PasswordPrompt job(true);
    ASSERT_TRUE(job.Prompted()) << job.Output();
    EXPECT_FALSE(job.Echo());
    job.Type("\x1a");
    ASSERT_TRUE(job.ReadUntil("[stopped]")) << job.Output();
    EXPECT_TRUE(job.Echo());
    kill(job.Pid(), SIGUSR1);
    for (int i = 0; i < 100 && job.Echo(); ++i)
        usleep(10000);
    EXPECT_FALSE(job.Echo());
    job.Type("admin\n");
    EXPECT_TRUE(job.ReadUntil("wireless")) << job.Output();
    int status = job.Wait();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST_F(ApConfigTest, ShowInThePagesWordsWithoutPasswords) {
    Result text = RunApConfig({"show"});
    ASSERT_EQ(text.code, 0) << text.err;
    for (const char* line :
         {"channel               Channel 6\n", "rateMode              Auto\n",
          "operationalMode       Access Point\n",
          "wepKey2               202122232425262728292a2b2c\n",
          "ipAddress             192.168.0.1\n", "antennaSelect         Diversity\n",
          "regulationDomain      FCC\n", "macAddress            02-1a-2b-3c-4d-5e\n",
          "firmwareVersion       1.0.2.0\n"})
        EXPECT_NE(text.out.find(line), std::string::npos) << line;
    EXPECT_EQ(text.out.find("admin"), std::string::npos);
    EXPECT_EQ(text.out.find("recovery"), std::string::npos);

    // Stored values outside the lists, a fixed rate, 64-bit keys, a name in the code page.
    LoadWith(28, {12});
    LoadWith(30, {2});
    LoadWith(156, {0x82, 0x84, 0x00, 0x00});
    LoadWith(70, {1, 9});
    LoadWith(124, {'C', 'a', 'f', 0xE9, 0x80, 0});
    Result json = RunApConfig({"show", "--json"});
    ASSERT_EQ(json.code, 0) << json.err;
    auto j = nlohmann::json::parse(json.out);
    EXPECT_EQ(j.size(), 25u);
    EXPECT_FALSE(j.contains("password"));
    EXPECT_EQ(j["channel"], "unknown (12)");
    EXPECT_EQ(j["rateMode"], "2 Mbps");
    EXPECT_EQ(j["wepType"], "64-bit");
    EXPECT_EQ(j["activeKeyId"], "unknown (9)");
    EXPECT_EQ(j["wepKeys"][3], "4041424344");
    EXPECT_EQ(j["apName"], "Caf\xC3\xA9\xE2\x82\xAC");
    EXPECT_EQ(j["fragmentThreshold"], 2346);
    EXPECT_EQ(j["preferredBssid"], "00-00-00-00-00-00");

    Result get = RunApConfig({"get", "rtsThreshold", "wepKey4", "dhcpClient", "--json"});
    ASSERT_EQ(get.code, 0);
    EXPECT_EQ(nlohmann::json::parse(get.out),
              nlohmann::json(
                  {{"rtsThreshold", 2347}, {"wepKey4", "4041424344"}, {"dhcpClient", "Disable"}}));
}

TEST_F(ApConfigTest, SetStoresEveryAssignmentInOneVerifiedWrite) {
    emulator.Control("reset-stats");
    Result r = RunApConfig({"set",
                            "--no-key-file",
                            "channel=Channel 11",
                            "essid=Caf\xC3\xA9",
                            "apName=" + std::string(32, 'n'),
                            "rateMode=5.5",
                            "operationalMode=3",
                            "preferredBssid=00:0a:ff:10:20:30",
                            "authType=Shared Key",
                            "activeKeyId=4",
                            "ipAddress=10.0.0.2",
                            "subnetMask=255.0.255.0",
                            "gateway=10.0.0.1",
                            "dhcpClient=enable",
                            "primaryPort=Wireless",
                            "fragmentThreshold=256",
                            "rtsThreshold=0",
                            "beaconPeriod=1000",
                            "preambleType=Short",
                            "antennaSelect=Left",
                            "ssidBroadcast=2",
                            "internationalRoaming=Enable"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, kVerified);
    EXPECT_EQ(Stat("writes"), 1);
    auto c = Current();
    auto expect = factory;
    expect[28] = 11;
    expect[31] = 4;
    std::memcpy(expect.data() + 32, "Caf\xE9\0", 5);
    std::memset(expect.data() + 124, 'n', 32);
    expect[30] = 2;
    const uint8_t rates[] = {0x82, 0x84, 0x8B, 0x00};
    std::memcpy(expect.data() + 156, rates, 4);
    expect[166] = 3;
    const uint8_t bssid[] = {0x00, 0x0A, 0xFF, 0x10, 0x20, 0x30};
    std::memcpy(expect.data() + 266, bssid, 6);
    expect[68] = 1, expect[71] = 4;
    const uint8_t addresses[] = {10, 0, 0, 2, 255, 0, 255, 0};
    std::memcpy(expect.data() + 14, addresses, 8);
    expect[240] = 10, expect[241] = 0, expect[242] = 0, expect[243] = 1;
    expect[248] = 1, expect[252] = 2;
    expect[64] = 0x00, expect[65] = 0x01, expect[66] = 0, expect[67] = 0;
    expect[162] = 0xE8, expect[163] = 0x03;
    expect[29] = 1, expect[164] = 1, expect[69] = 2, expect[276] = 1;
    for (size_t i = 0; i < 348; ++i)
        EXPECT_EQ(c[i], expect[i]) << "byte " << i;
}

TEST_F(ApConfigTest, RefusedValuesNameFieldValueAndRangeAndWriteNothing) {
    LoadWith(160, {0x31}); // Spain: channels 10 and 11
    emulator.Control("reset-stats");
    const std::vector<std::pair<std::string, std::string>> refused = {
        {"channel=6", "Channel 10 to Channel 11"},
        {"essid=" + std::string(33, 'e'), "at most 32"},
        {"apName=snow \xE2\x98\x83", "no Windows-1252 byte"},
        {"fragmentThreshold=255", "256 to 2346"},
        {"rtsThreshold=2348", "0 to 2347"},
        {"beaconPeriod=19", "20 to 1000"},
        {"beaconPeriod=1e3", "20 to 1000"},
        {"rateMode=54", "5.5 Mbps"},
        {"operationalMode=6", "Wireless Repeater"},
        {"wepType=256-bit", "128-bit"},
        {"preferredBssid=00-11-22", "six hexadecimal bytes"},
        {"preferredBssid=0-0A-FF-10-20-30-0", "six hexadecimal bytes"},
        {"preferredBssid=00-0A-FF:10-20-30", "six hexadecimal bytes"},
        {"ipAddress=10.0.0.256", "dotted address"},
        {"gateway=10.0.0", "dotted address"},
        {"wepKey1=0102030405", "WEP is disabled"},
    };
    for (const auto& [assignment, allowed] : refused) {
        Result r = RunApConfig({"set", "--no-key-file", "authType=1", assignment});
        EXPECT_EQ(r.code, 2) << assignment;
        std::string field = assignment.substr(0, assignment.find('='));
        EXPECT_NE(r.err.find(assignment + " refused"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(allowed), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("nothing was written"), std::string::npos);
    }
    // The wrong size of key for the active WEP type, set in the same call.
    Result key = RunApConfig({"set", "--no-key-file", "wepType=128-bit", "wepKey1=0102030405"});
    EXPECT_EQ(key.code, 2);
    EXPECT_NE(key.err.find("26 hexadecimal digits"), std::string::npos) << key.err;
    // A separator only between every two digits.
    Result split = RunApConfig({"set", "--no-key-file", "wepType=64-bit", "wepKey2=a-1b2c-3d4e-5"});
    EXPECT_EQ(split.code, 2);
    EXPECT_NE(split.err.find("wepKey2=a-1b2c-3d4e-5 refused"), std::string::npos) << split.err;
    // Refused keys leave the key file as it was too (here: not there).
    EXPECT_EQ(RunApConfig({"set", "wepType=128-bit", "wepKey1=0102030405"}).code, 2);
    EXPECT_EQ(Stat("writes"), 0);
    EXPECT_FALSE(std::filesystem::exists("OEM.tmp"));
}

TEST_F(ApConfigTest, ClampCorrectsNumbersAsTheAdvancedPage) {
    Result r = RunApConfig(
        {"set", "--clamp", "fragmentThreshold=3000", "rtsThreshold=99999", "beaconPeriod=5"});
    ASSERT_EQ(r.code, 0) << r.err;
    auto c = Current();
    EXPECT_EQ(c[64] | c[65] << 8, 2346);
    EXPECT_EQ(c[66] | c[67] << 8, 2347);
    EXPECT_EQ(c[162] | c[163] << 8, 20);
    ASSERT_EQ(
        RunApConfig({"set", "--clamp", "fragmentThreshold=", "rtsThreshold=", "beaconPeriod=0020"})
            .code,
        0);
    c = Current();
    EXPECT_EQ(c[64] | c[65] << 8, 256);
    EXPECT_EQ(c[66] | c[67] << 8, 0);
    EXPECT_EQ(c[162] | c[163] << 8, 20);
    // Text that is no number is refused even with --clamp: the page never lets it in.
    EXPECT_EQ(RunApConfig({"set", "--clamp", "beaconPeriod=abc"}).code, 2);
}

TEST_F(ApConfigTest, WriteFaults) {
    emulator.Control("reset-stats");
    emulator.Control("fail-writes 1");
    Result retried = RunApConfig({"set", "channel=3"});
    EXPECT_EQ(retried.code, 0) << retried.err;
    EXPECT_EQ(retried.out, kVerified);
    EXPECT_EQ(retried.err, "");
    EXPECT_EQ(Stat("writes"), 2);
    EXPECT_EQ(Current()[28], 3);

    emulator.Control("fail-writes 2");
    Result failed = RunApConfig({"set", "channel=4"});
    EXPECT_EQ(failed.code, 1);
    EXPECT_NE(failed.err.find("Please Attach the Access Point USB Connector"), std::string::npos);
    EXPECT_EQ(Current()[28], 3);
}

// The access point takes the write but holds something else when it is read back: another
// configuration is loaded between the write and the read-back.
TEST_F(ApConfigTest, ReadBackThatDiffersExitsThree) {
    emulator.Control("reset-stats");
    emulator.Control("delay-ms 700");
    pid_t pid = Start({"set", "essid=verify-me"}, "admin");
    bool written = false;
    for (int i = 0; i < 1000 && !written; ++i) {
        written = Stat("writes") >= 1;
        if (!written)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_TRUE(written);
    auto c = Current();
    c[28] = 9;      // channel
    c[300] ^= 0xFF; // a reserved byte
    emulator.Load(c);
    Result r = Finish(pid);
    EXPECT_EQ(r.code, 3) << r.err;
    EXPECT_EQ(r.out, "differs: channel, reserved277\n");
    EXPECT_NE(r.err.find("reads back differently in: channel, reserved277"), std::string::npos);
}

// The key file after a set of keys is the file the dialogs would leave: the main dialog's
// start brings it in line, the Encryption page collects the group, Apply saves the table.
TEST_F(ApConfigTest, KeyFileAfterSetIsTheDialogsFile) {
    Result r = RunApConfig({"set", "wepType=64-bit", "wepKey2=0A0B0C0D0E", "activeKeyId=2"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(Mode("OEM.tmp"), 0600u);
    auto c = Current();
    const uint8_t key2[] = {0x0A, 0x0B, 0x0C, 0x0D, 0x0E};
    EXPECT_EQ(std::memcmp(c.data() + 85, key2, 5), 0);
    EXPECT_EQ(c[85 + 5], factory[85 + 5]); // a 64-bit key leaves the rest of its slot

    // Every entry as the key file's format gives it: the MAC address, then each key's
    // hexadecimal text under the scrambling phrase; the keys the device's slots held, but
    // key 2 of 64 bits the new one.
    auto scrambled = [](const uint8_t* key, size_t size) {
        const char phrase[] = "NoPeeking!";
        static const char digits[] = "0123456789abcdef";
        std::string text;
        for (size_t i = 0; i < 2 * size; ++i) {
            int nibble = i % 2 ? key[i / 2] & 15 : key[i / 2] >> 4;
            text += static_cast<char>(digits[nibble] + phrase[i % 10]);
        }
        return text;
    };
    for (size_t k = 0; k < 4; ++k) {
        const uint8_t* slot = factory.data() + 72 + 13 * k;
        EXPECT_EQ(Entry(std::to_string(k + 1)), scrambled(k == 1 ? key2 : slot, 5)) << k;
        EXPECT_EQ(Entry(std::to_string(k + 5)), scrambled(slot, 13)) << k;
    }
    EXPECT_EQ(Entry("0"), "021a2b3c4d5e");

    // Keys of the file (same access point) are what a key group collects, as on the page:
    // setting key 1 writes the file's key 2 too, even where the device held another.
    LoadWith(85, {0x99, 0x99, 0x99, 0x99, 0x99});
    ASSERT_EQ(RunApConfig({"set", "wepKey1=1111111111"}).code, 0);
    c = Current();
    EXPECT_EQ(std::memcmp(c.data() + 85, key2, 5), 0);
    EXPECT_EQ(c[72], 0x11);
}

TEST_F(ApConfigTest, NoKeyFileLeavesItAloneAndSaysSo) {
    Result r = RunApConfig(
        {"set", "--no-key-file", "wepType=128-bit", "wepKey3=00112233445566778899aabbcc"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.err.find("left alone (--no-key-file)"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists("OEM.tmp"));
    EXPECT_EQ(Current()[98 + 12], 0xCC);
    // Settings without keys never touch the file.
    ASSERT_EQ(RunApConfig({"set", "channel=2"}).code, 0);
    EXPECT_FALSE(std::filesystem::exists("OEM.tmp"));
}

// By default the key file is the one the menu entry's utility uses; a file of another
// access point, or anything but a file at its name, is left as it is and said so.
TEST_F(ApConfigTest, KeyFileIsTheMenuEntrysAndNeverAnotherAccessPointsOrAPipe) {
    Launch byDefault;
    byDefault.keyFolder = nullptr;
    ASSERT_EQ(RunApConfig({"set", "wepType=64-bit", "wepKey1=a1b2c3d4e5"}, "admin", byDefault).code,
              0);
    EXPECT_FALSE(std::filesystem::exists("OEM.tmp"));
    EXPECT_EQ(Mode("data/ap-utility/OEM.tmp"), 0600u);
    EXPECT_EQ(Mode("data/ap-utility"), 0700u);

    const std::string other = "[OEM]\r\n0=02aaaaaaaaaa\r\n";
    TempWorkingFolder::Write("OEM.tmp", other);
    Result left = RunApConfig({"set", "wepKey1=0102030405"});
    ASSERT_EQ(left.code, 0) << left.err;
    EXPECT_NE(left.err.find("belongs to another access point; it was left alone"),
              std::string::npos)
        << left.err;
    EXPECT_EQ(TempWorkingFolder::Read("OEM.tmp"), other);
    ASSERT_EQ(RunApConfig({"set", "--take-key-file", "wepKey1=0102030405"}).code, 0);
    EXPECT_EQ(Entry("0"), "021a2b3c4d5e");

    // A key file that is not this user's own (others may write it, another user owns it,
    // or it is another user's link to a file of this user's) is left alone as a backup's
    // target is, and its keys are never taken.
    const std::string planted =
        "[OEM]\r\n0=021a2b3c4d5e\r\n1=" + ScrambleKeyText("9999999999") + "\r\n";
    enum class Planted { kWritableByOthers, kOtherOwner, kOtherUsersLink };
    for (Planted how :
         {Planted::kWritableByOthers, Planted::kOtherOwner, Planted::kOtherUsersLink}) {
        if (how != Planted::kWritableByOthers && !IsRoot())
            continue;
        std::filesystem::remove("OEM.tmp");
        const char* file = how == Planted::kOtherUsersLink ? "mine.ini" : "OEM.tmp";
        TempWorkingFolder::Write(file, planted);
        ASSERT_EQ(how == Planted::kOtherOwner ? chown(file, kUnprivilegedId, kUnprivilegedId)
                  : how == Planted::kWritableByOthers
                      ? chmod(file, 0666)
                      : symlink("mine.ini", "OEM.tmp") |
                            lchown("OEM.tmp", kUnprivilegedId, kUnprivilegedId),
                  0);
        Result foreign = RunApConfig({"set", "--take-key-file", "wepKey2=0a0b0c0d0e"});
        EXPECT_EQ(foreign.code, 0) << foreign.err;
        EXPECT_NE(foreign.err.find("is not this user's own"), std::string::npos) << foreign.err;
        EXPECT_EQ(TempWorkingFolder::Read(file), planted);
        EXPECT_EQ(Current()[72], 0x01);
    }

    // A named pipe opens only when a writer comes: no command may wait on it.
    ASSERT_TRUE(std::filesystem::remove("OEM.tmp"));
    ASSERT_EQ(mkfifo("OEM.tmp", 0600), 0);
    PipeReaderWatch watch("OEM.tmp");
    Result piped = RunApConfig({"set", "wepKey2=0a0b0c0d0e"});
    EXPECT_EQ(piped.code, 0) << piped.err;
    EXPECT_NE(piped.err.find("not a file that can be read and written"), std::string::npos);
    ASSERT_EQ(RunApConfig({"backup", "b.json"}).code, 0);
    EXPECT_EQ(RunApConfig({"restore", "b.json"}).code, 0);
    EXPECT_FALSE(watch.ReaderWaited());
}

TEST_F(ApConfigTest, BackupAndRestore) {
    Result b = RunApConfig({"backup", "ap.json"});
    ASSERT_EQ(b.code, 0) << b.err;
    EXPECT_EQ(Mode("ap.json"), 0600u);
    auto j = nlohmann::json::parse(TempWorkingFolder::Read("ap.json"));
    EXPECT_EQ(j["macAddress"], "02-1a-2b-3c-4d-5e");
    EXPECT_EQ(j["firmwareVersion"], "1.0.2.0");
    EXPECT_EQ(j["date"].get<std::string>().size(), 20u);
    std::string hex = j["configuration"];
    ASSERT_EQ(hex.size(), 2 * 889u);
    // The digest covers the block as stored: without its passwords (bytes 192 to 239).
    auto stored = factory;
    std::fill(stored.begin() + 192, stored.begin() + 240, 0);
    EXPECT_EQ(j["sha256"], Sha256::Hex(stored.data(), stored.size()));
    EXPECT_EQ(j["passwords"], false);

    ASSERT_EQ(RunApConfig({"backup", "--with-password", "with.json"}).code, 0);
    // Changed since: the restore brings it back, but keeps the new login password.
    TempWorkingFolder::Write("pw", "admin\nfresh\nfresh\n");
    ASSERT_EQ(RunApConfig({"--password-file", "pw", "passwd"}).code, 0);
    ASSERT_EQ(RunApConfig({"set", "channel=1", "essid=changed"}, "fresh").code, 0);
    Result r = RunApConfig({"restore", "ap.json"}, "fresh");
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, kVerified);
    auto c = Current();
    EXPECT_EQ(c[28], 6);
    EXPECT_EQ(std::string(c.begin() + 32, c.begin() + 40), "wireless");
    EXPECT_EQ(std::string(c.begin() + 196, c.begin() + 201), "fresh");
    // The key file follows the restored keys.
    EXPECT_EQ(Entry("0"), "021a2b3c4d5e");
    EXPECT_TRUE(std::filesystem::exists("OEM.tmp"));

    ASSERT_EQ(RunApConfig({"restore", "--with-password", "with.json"}, "fresh").code, 0);
    EXPECT_EQ(RunApConfig({"get", "essid"}, "admin").code, 0);

    // The key file holds the restored keys, even where it was this unit's already: the next
    // change of another key keeps key 1 as restored, and the dialogs load it.
    ASSERT_EQ(RunApConfig({"set", "wepType=64-bit", "wepKey1=aaaaaaaaaa"}).code, 0);
    ASSERT_EQ(RunApConfig({"backup", "before.json"}).code, 0);
    ASSERT_EQ(RunApConfig({"set", "wepKey1=bbbbbbbbbb"}).code, 0);
    ASSERT_EQ(RunApConfig({"restore", "before.json"}).code, 0);
    EXPECT_EQ(Entry("1"), ScrambleKeyText("aaaaaaaaaa"));
    ASSERT_EQ(RunApConfig({"set", "wepKey2=2222222222"}).code, 0);
    c = Current();
    EXPECT_EQ(std::vector<uint8_t>(c.begin() + 72, c.begin() + 77), std::vector<uint8_t>(5, 0xAA));
    ConfigImage unit;
    std::copy(c.begin(), c.end(), unit.Bytes());
    WepKeyTable dialogs;
    SyncKeyFile(unit, dialogs);
    EXPECT_EQ(dialogs.keys64[0][0], 0xAA);
    EXPECT_EQ(dialogs.keys64[1][0], 0x22);
}

// A write that fails or is refused leaves the previous file byte for byte.
TEST_F(ApConfigTest, FilesAreReplacedWholeOrNotAtAll) {
    const std::string good = "{\"a previous backup\": true}\n";
    TempWorkingFolder::Write("ap.json", good);
    TempWorkingFolder::Write("other", "another file\n");
    symlink("other", "link.json");
    symlink("missing", "dangling.json");
    mkfifo("fifo.json", 0600);
    mkdir("folder.json", 0700);
    struct Case {
        std::vector<std::string> args;
        long limit;
        std::string message;
    };
    const Case cases[] = {
        {{"backup", "ap.json"}, 1024, "cannot write ap.json: File too large; nothing was written"},
        {{"backup", "link.json"}, -1, "link.json: is a symbolic link; nothing was written"},
        {{"backup", "dangling.json"}, -1, "is a symbolic link; nothing was written"},
        {{"backup", "fifo.json"}, -1, "is not a regular file; nothing was written"},
        {{"backup", "folder.json"}, -1, "is not a regular file; nothing was written"},
        {{"keys", "export", "--output", "link.json"}, -1, "is a symbolic link"},
    };
    ASSERT_EQ(RunApConfig({"set", "--no-key-file", "wepType=64-bit"}).code, 0);
    for (const Case& c : cases) {
        Result r = RunApConfig(c.args, "admin", {"ap-config.out", c.limit});
        EXPECT_EQ(r.code, 2) << testing::PrintToString(c.args);
        EXPECT_NE(r.err.find("ap-config: "), std::string::npos);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
    EXPECT_EQ(TempWorkingFolder::Read("ap.json"), good);
    EXPECT_EQ(TempWorkingFolder::Read("other"), "another file\n");
    EXPECT_FALSE(std::filesystem::exists("missing"));
    // No temporary file is left behind.
    size_t files = 0;
    for (auto& entry : std::filesystem::directory_iterator("."))
        files += entry.path().filename().string().find(".tmp") != std::string::npos;
    EXPECT_EQ(files, 0u);

    // A file another user owns is not replaced by this one.
    if (IsRoot()) {
        ASSERT_EQ(chown("ap.json", kUnprivilegedId, kUnprivilegedId), 0);
        Result theirs = RunApConfig({"backup", "ap.json"});
        EXPECT_EQ(theirs.code, 2);
        EXPECT_NE(theirs.err.find("belongs to another user; nothing was written"),
                  std::string::npos);
        EXPECT_EQ(TempWorkingFolder::Read("ap.json"), good);
        ASSERT_EQ(chown("ap.json", 0, 0), 0);
    }
    // A replaced file has mode 0600 whatever it had.
    chmod("ap.json", 0644);
    ASSERT_EQ(RunApConfig({"backup", "ap.json"}).code, 0);
    EXPECT_EQ(Mode("ap.json"), 0600u);
    EXPECT_NE(TempWorkingFolder::Read("ap.json"), good);
}

TEST_F(ApConfigTest, DashIsStandardOutputAndOutputErrorsExitEight) {
    Result b = RunApConfig({"backup", "-"});
    ASSERT_EQ(b.code, 0) << b.err;
    EXPECT_EQ(nlohmann::json::parse(b.out)["macAddress"], "02-1a-2b-3c-4d-5e");
    EXPECT_NE(b.err.find("written to standard output"), std::string::npos);

    ASSERT_EQ(RunApConfig({"set", "--no-key-file", "wepType=64-bit"}).code, 0);
    const std::vector<std::vector<std::string>> commands = {{"show", "--json"},
                                                            {"show"},
                                                            {"get", "essid"},
                                                            {"keys", "export"},
                                                            {"keys", "export", "--output", "-"},
                                                            {"backup", "-"},
                                                            {"--help"},
                                                            {"--version"},
                                                            {"--json", "--version"},
                                                            {"--json", "set", "channel=4"}};
    for (const auto& args : commands) {
        Result r = RunApConfig(args, "admin", {"/dev/full"});
        // Not a device failure: what the command did stands (the write went through).
        EXPECT_EQ(r.code, 8) << testing::PrintToString(args);
        EXPECT_NE(r.err.find("ap-config: cannot write to standard output: " +
                             std::string(std::strerror(ENOSPC))),
                  std::string::npos)
            << r.err;
        EXPECT_EQ(r.err.find("written to standard output"), std::string::npos) << r.err;
    }
    EXPECT_EQ(Current()[28], 4);
}

TEST_F(ApConfigTest, RestoreRefusesDamagedFilesAndOtherAccessPoints) {
    ASSERT_EQ(RunApConfig({"backup", "ap.json"}).code, 0);
    std::string text = TempWorkingFolder::Read("ap.json");
    emulator.Control("reset-stats");

    std::string damaged = text;
    size_t at = damaged.find("\"configuration\": \"") + 18 + 60;
    damaged[at] = damaged[at] == '0' ? '1' : '0';
    TempWorkingFolder::Write("damaged.json", damaged);
    Result d = RunApConfig({"restore", "damaged.json"});
    EXPECT_EQ(d.code, 2);
    EXPECT_NE(d.err.find("SHA-256"), std::string::npos) << d.err;
    TempWorkingFolder::Write("junk.json", "{\"format\": 1");
    EXPECT_EQ(RunApConfig({"restore", "junk.json"}).code, 2);
    // What the file holds is never echoed whole.
    TempWorkingFolder::Write("long.json", "{\"format\": \"" + std::string(500000, 'f') + "\"}");
    Result longFormat = RunApConfig({"restore", "long.json"});
    EXPECT_EQ(longFormat.code, 2);
    EXPECT_NE(longFormat.err.find("ffff... (500000 bytes)"), std::string::npos);
    EXPECT_LT(longFormat.err.size(), 300u);

    // Another access point (another MAC address) attached.
    LoadWith(8, {0x02, 0, 0, 0, 0, 0x77});
    LoadWith(28, {1});
    Result other = RunApConfig({"restore", "ap.json"});
    EXPECT_EQ(other.code, 2);
    EXPECT_NE(other.err.find("02-1a-2b-3c-4d-5e"), std::string::npos);
    EXPECT_NE(other.err.find("02-00-00-00-00-77"), std::string::npos);
    EXPECT_EQ(Stat("writes"), 0);

    // --force only goes past the utility; --other-unit writes it, but the access point keeps
    // its own MAC address.
    EXPECT_EQ(RunApConfig({"restore", "--force", "ap.json"}).code, 2);
    Result forced = RunApConfig({"restore", "--other-unit", "ap.json"});
    EXPECT_EQ(forced.code, 0) << forced.err;
    auto c = Current();
    EXPECT_EQ(c[28], 6);
    EXPECT_EQ(c[13], 0x77);
}

TEST_F(ApConfigTest, KeysExport) {
    Result off = RunApConfig({"keys", "export"});
    EXPECT_EQ(off.code, 2);
    EXPECT_NE(off.err.find("WEP is disabled"), std::string::npos);

    ASSERT_EQ(RunApConfig({"set", "--no-key-file", "wepType=64-bit", "activeKeyId=3",
                           "authType=Shared Key", "essid=Office \"AP\""})
                  .code,
              0);
    Result plain = RunApConfig({"keys", "export", "--format", "plain"});
    ASSERT_EQ(plain.code, 0);
    EXPECT_NE(plain.out.find("Key 1: 1011121314\nKey 2: 2021222324\n"), std::string::npos);

    Result nm = RunApConfig(
        {"keys", "export", "--format", "networkmanager", "--output", "ap.nmconnection"});
    ASSERT_EQ(nm.code, 0) << nm.err;
    EXPECT_EQ(Mode("ap.nmconnection"), 0600u);
    std::string k = TempWorkingFolder::Read("ap.nmconnection");
    for (const char* line : {"[wifi-security]\n", "key-mgmt=none\n", "auth-alg=shared\n",
                             "wep-key-type=1\n", "wep-key2=3031323334\n", "wep-tx-keyidx=2\n",
                             "ssid=79;102;102;105;99;101;32;34;65;80;34;\n"})
        EXPECT_NE(k.find(line), std::string::npos) << line;

    Result w =
        RunApConfig({"keys", "export", "--format", "wpa_supplicant", "--output", "wpa.conf"});
    ASSERT_EQ(w.code, 0) << w.err;
    std::string conf = TempWorkingFolder::Read("wpa.conf");
    // An ESSID with a quotation mark goes as its bytes in hexadecimal.
    EXPECT_NE(conf.find("\tssid=4f66666963652022415022\n"), std::string::npos) << conf;
    for (const char* line :
         {"\tkey_mgmt=NONE\n", "\twep_key0=1011121314\n", "\twep_key3=4041424344\n",
          "\twep_tx_keyidx=2\n", "\tauth_alg=SHARED\n"})
        EXPECT_NE(conf.find(line), std::string::npos) << line;

    // wpa_supplicant's own parser reads the block: it prints the network it parsed.
    if (access("/usr/sbin/wpa_supplicant", X_OK) != 0)
        GTEST_SKIP() << "wpa_supplicant is not installed (Debian package wpasupplicant)";
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], 1);
        dup2(fds[1], 2);
        execl("/usr/sbin/wpa_supplicant", "wpa_supplicant", "-c", "wpa.conf", "-i", "lo", "-D",
              "none", "-dd", "-K", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    std::string log;
    char buf[512];
    ssize_t n;
    // Read until the configuration has been parsed (the interface is then added) or
    // refused; wpa_supplicant itself runs on until it is stopped.
    while (log.find("Added interface") == std::string::npos &&
           log.find("Failed to read or parse") == std::string::npos &&
           (n = read(fds[0], buf, sizeof(buf))) > 0)
        log.append(buf, static_cast<size_t>(n));
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    close(fds[0]);
    // A line it cannot take is reported as "Line N: ...", and the block is then dropped.
    EXPECT_FALSE(std::regex_search(log, std::regex("Line [0-9]+:"))) << log;
    EXPECT_NE(log.find("wep_key3 - hexdump(len=5): 40 41 42 43 44"), std::string::npos) << log;
    EXPECT_NE(log.find("Office \"AP\""), std::string::npos) << log;
    EXPECT_NE(log.find("auth_alg: 0x2"), std::string::npos) << log;
    EXPECT_NE(log.find("wep_tx_keyidx=2"), std::string::npos) << log;
    EXPECT_NE(log.find("id=0 ssid="), std::string::npos) << log;
}

// Runs NetworkManager's own reader on a keyfile: what it made of the connection, written
// back in its own words, or "" when it refused the file.
std::string NetworkManagerReads(const std::string& file) {
    std::string command =
        "nmcli --offline connection modify connection.autoconnect no < " + file + " 2>&1 > nm.out";
    if (std::system(command.c_str()) != 0)
        return "";
    return TempWorkingFolder::Read("nm.out");
}

// Every ESSID a unit may hold reaches the NetworkManager file as the same name and bytes:
// nothing of it can end a line and start an entry of its own.
TEST_F(ApConfigTest, NetworkManagerExportEscapesEveryValue) {
    ASSERT_EQ(RunApConfig({"set", "--no-key-file", "wepType=64-bit"}).code, 0);
    struct Case {
        // The ESSID's bytes; the id and ssid lines as NetworkManager writes them back (a
        // printable SSID as escaped text, a tab in the id as it is).
        std::string essid, id, ssid;
    };
    const Case cases[] = {
        {"AP\nzone=trusted", "id=AP\\nzone=trusted\n",
         "ssid=65;80;10;122;111;110;101;61;116;114;117;115;116;101;100;\n"},
        {"a\\qb", "id=a\\\\qb\n", "ssid=a\\\\qb\n"},
        {" lead", "id=\\slead\n", "ssid=\\slead\n"},
        {"tab\there\r", "id=tab\there\\r\n", "ssid=116;97;98;9;104;101;114;101;13;\n"},
        {"Caf\xE9", "id=Caf\xC3\xA9\n", "ssid=67;97;102;233;\n"},
        {"Office AP", "id=Office AP\n", "ssid=Office AP\n"},
    };
    bool haveNmcli = std::system("command -v nmcli > /dev/null") == 0;
    for (const Case& c : cases) {
        auto bytes = Current();
        bytes[31] = static_cast<uint8_t>(c.essid.size());
        std::fill(bytes.begin() + 32, bytes.begin() + 64, 0);
        std::copy(c.essid.begin(), c.essid.end(), bytes.begin() + 32);
        emulator.Load(bytes);
        Result r = RunApConfig({"keys", "export", "--format=networkmanager", "--output=ap.nm"});
        ASSERT_EQ(r.code, 0) << r.err;
        std::string file = TempWorkingFolder::Read("ap.nm");
        EXPECT_EQ(file.find("\nzone="), std::string::npos) << file;
        if (!haveNmcli)
            continue;
        std::string read = NetworkManagerReads("ap.nm");
        ASSERT_NE(read, "") << "nmcli refused:\n" << file;
        EXPECT_NE(read.find("\n" + c.id), std::string::npos) << read;
        EXPECT_NE(read.find("\n" + c.ssid), std::string::npos) << read;
        EXPECT_NE(read.find("\nwep-key0=1011121314\n"), std::string::npos) << read;
    }
    // An empty ESSID names no network: no client could use the file.
    auto bytes = Current();
    bytes[31] = 0;
    bytes[32] = 0;
    emulator.Load(bytes);
    for (const char* format : {"networkmanager", "wpa_supplicant"}) {
        Result empty = RunApConfig({"keys", "export", "--format", format, "--output", "e.nm"});
        EXPECT_EQ(empty.code, 2);
        EXPECT_NE(empty.err.find("the ESSID is empty"), std::string::npos) << empty.err;
        EXPECT_FALSE(std::filesystem::exists("e.nm"));
    }
    if (!haveNmcli)
        GTEST_SKIP() << "nmcli is not installed (Debian package network-manager)";
}

TEST_F(ApConfigTest, PasswdWithTheLoginRules) {
    auto passwd = [&](const std::string& lines) {
        TempWorkingFolder::Write("pw", lines);
        return RunApConfig({"--password-file", "pw", "passwd"}, nullptr);
    };
    emulator.Control("reset-stats");
    Result mismatch = passwd("admin\none\ntwo\n");
    EXPECT_EQ(mismatch.code, 2);
    EXPECT_NE(mismatch.err.find("do not match"), std::string::npos);
    Result blank = passwd("admin\n   \n   \n");
    EXPECT_EQ(blank.code, 2);
    EXPECT_NE(blank.err.find("Can not use null password"), std::string::npos);
    EXPECT_EQ(passwd("admin\n\n\n").code, 2);
    EXPECT_EQ(passwd("admin\n" + std::string(17, 'x') + "\n" + std::string(17, 'x') + "\n").code,
              2);
    EXPECT_EQ(passwd("admin\nonly\n").code, 2);
    EXPECT_EQ(passwd("wrong\nnew\nnew\n").code, 4);
    EXPECT_EQ(Stat("writes"), 0);

    Result ok = passwd("admin\n  first second\n  first second\n");
    ASSERT_EQ(ok.code, 0) << ok.err;
    EXPECT_EQ(ok.out, std::string(kVerified) + "The password has been successfully changed.\n");
    EXPECT_EQ(Stat("writes"), 1);
    EXPECT_EQ(RunApConfig({"get", "essid"}, "first").code, 0);
    EXPECT_EQ(RunApConfig({"get", "essid"}, "admin").code, 4);
    EXPECT_EQ(RunApConfig({"get", "essid"}, "recovery").code, 0);
    auto c = Current();
    EXPECT_EQ(c[192], 5);
    EXPECT_EQ(std::string(c.begin() + 196, c.begin() + 202), std::string("first\0", 6));
}

// Device texts reach a terminal with their control bytes shown, never sent.
TEST_F(ApConfigTest, TextOutputShowsControlBytesEscaped) {
    LoadWith(124, {'A', 0x1B, '[', '2', 'J', 0x7F, 'z', 0});
    Result show = RunApConfig({"show"});
    ASSERT_EQ(show.code, 0) << show.err;
    EXPECT_NE(show.out.find("apName                A\\x1b[2J\\x7fz\n"), std::string::npos)
        << show.out;
    EXPECT_EQ(show.out.find('\x1B'), std::string::npos);
    EXPECT_EQ(RunApConfig({"get", "apName"}).out, "A\\x1b[2J\\x7fz\n");
    // JSON escapes by its own rules and keeps the text as it is.
    Result json = RunApConfig({"get", "apName", "--json"});
    EXPECT_EQ(nlohmann::json::parse(json.out)["apName"], "A\x1B[2J\x7Fz");
    EXPECT_EQ(json.out.find_first_of("\x1B\x7F"), std::string::npos) << json.out;

    // The code page's undefined bytes stand for C1 controls (0x9D: a terminal's OSC), and the
    // plain key export shows the ESSID as show does.
    LoadWith(31, {4, 'e', 0x9D, 0x1B, 'f'});
    LoadWith(70, {1}); // 64-bit WEP, so there are keys to export
    EXPECT_EQ(RunApConfig({"get", "essid"}).out, "e\\x9d\\x1bf\n");
    Result plain = RunApConfig({"keys", "export", "--format", "plain"});
    ASSERT_EQ(plain.code, 0) << plain.err;
    EXPECT_EQ(plain.out.substr(0, plain.out.find('\n')), "ESSID: e\\x9d\\x1bf");

    // A refusal quotes what was given by the same rule: a C1 control (U+009B, a terminal's
    // CSI) escaped as show escapes it, in the message and in the JSON error alike.
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"set", "essid=a\xC2\x9B"
                                                       "2J"},
                                               {"--json", "set",
                                                "essid=a\xC2\x9B"
                                                "2J"},
                                               {"get", "a\xC2\x9B"
                                                       "2J"}}) {
        Result refused = RunApConfig(args);
        EXPECT_EQ(refused.code, 2) << refused.err;
        EXPECT_NE(refused.err.find("a\\x9b2J"), std::string::npos) << refused.err;
        EXPECT_EQ((refused.err + refused.out).find("\xC2\x9B"), std::string::npos);
    }
    // A warning quotes a file's name by the same rule.
    TempWorkingFolder::Write("pw\xC2\x9B"
                             "2J",
                             "admin\n");
    chmod("pw\xC2\x9B"
          "2J",
          0644);
    Result warned = RunApConfig({"--password-file",
                                 "pw\xC2\x9B"
                                 "2J",
                                 "get", "channel"});
    EXPECT_EQ(warned.code, 0) << warned.err;
    EXPECT_EQ(warned.err, "ap-config: warning: pw\\x9b2J may be read by other users (mode 0644); "
                          "chmod 600 pw\\x9b2J\n");
}

// A backup with its digest recomputed over changed bytes: the digest is right, the values
// are not what set would take.
class RestoreCheckTest : public ApConfigTest {
protected:
    void WriteEdited(const std::string& name,
                     std::initializer_list<std::pair<size_t, uint8_t>> changes) {
        ASSERT_EQ(RunApConfig({"backup", "base.json"}).code, 0);
        auto j = nlohmann::json::parse(TempWorkingFolder::Read("base.json"));
        std::vector<uint8_t> block = Hex(j["configuration"]);
        for (auto [offset, value] : changes)
            block[offset] = value;
        Save(name, j, block);
    }
    // Writes j with block as its configuration and the block's own digest.
    static void Save(const std::string& name, nlohmann::json j, const std::vector<uint8_t>& block) {
        std::string hex;
        for (uint8_t b : block) {
            char two[3];
            std::snprintf(two, sizeof(two), "%02x", b);
            hex += two;
        }
        j["configuration"] = hex;
        j["sha256"] = Sha256::Hex(block.data(), block.size());
        TempWorkingFolder::Write(name, j.dump(2));
    }
    static std::vector<uint8_t> Hex(const std::string& text) {
        std::vector<uint8_t> bytes;
        for (size_t i = 0; i + 1 < text.size(); i += 2)
            bytes.push_back(static_cast<uint8_t>(std::stoi(text.substr(i, 2), nullptr, 16)));
        return bytes;
    }
};

TEST_F(RestoreCheckTest, RefusesEveryValueSetWouldRefuseAndWritesNothing) {
    WriteEdited("edited.json", {{28, 99}, {70, 7}, {68, 9}, {64, 0x60}, {65, 0xEA}});
    emulator.Control("reset-stats");
    Result r = RunApConfig({"restore", "--other-unit", "edited.json"});
    EXPECT_EQ(r.code, 2);
    for (const char* refused :
         {"channel=99 refused: allowed Channel 1 to Channel 11 (1 to 11) in FCC",
          "wepType=7 refused", "authType=9 refused", "fragmentThreshold=60000 refused",
          "nothing was written"})
        EXPECT_NE(r.err.find(refused), std::string::npos) << refused << "\n" << r.err;
    EXPECT_EQ(Stat("writes"), 0);
    EXPECT_EQ(Current(), factory);

    // A backup of an ETSI unit on channel 13 restored onto an FCC unit.
    LoadWith(160, {0x30});
    LoadWith(28, {13});
    ASSERT_EQ(RunApConfig({"backup", "etsi.json"}).code, 0);
    LoadWith(160, {0x10});
    LoadWith(28, {6});
    Result etsi = RunApConfig({"restore", "--other-unit", "etsi.json"});
    EXPECT_EQ(etsi.code, 2);
    EXPECT_NE(etsi.err.find("channel=13 refused"), std::string::npos) << etsi.err;
    EXPECT_EQ(Current()[28], 6);

    // Values that read as something but that no page stores so: a rate mode of no list
    // entry, Auto with an empty rates word, a zero byte within the ESSID's length.
    for (auto [name, changes, refused] :
         std::vector<std::tuple<const char*, std::vector<std::pair<size_t, uint8_t>>, const char*>>{
             {"rate.json", {{30, 7}}, "rateMode"},
             {"auto.json", {{30, 1}, {156, 0}, {157, 0}, {158, 0}, {159, 0}}, "rateMode"},
             {"nul.json",
              {{31, 5}, {32, 'A'}, {33, 0}, {34, 'B'}, {35, 'C'}, {36, 'D'}},
              "a zero byte within its length 5"}}) {
        ASSERT_EQ(RunApConfig({"backup", name}).code, 0);
        auto j = nlohmann::json::parse(TempWorkingFolder::Read(name));
        std::vector<uint8_t> block = Hex(j["configuration"]);
        for (auto [offset, value] : changes)
            block[offset] = value;
        Save(name, j, block);
        Result r = RunApConfig({"restore", name});
        EXPECT_EQ(r.code, 2) << name;
        EXPECT_NE(r.err.find(refused), std::string::npos) << name << "\n" << r.err;
        Result diff = RunApConfig({"diff", name});
        EXPECT_NE(diff.err.find("would refuse"), std::string::npos) << diff.err;
        EXPECT_NE(diff.err.find(refused), std::string::npos) << name << "\n" << diff.err;
    }

    // An ESSID no page lets in, shown escaped in the refusal.
    WriteEdited("essid.json", {{31, 4}, {32, 'A'}, {33, '\n'}, {34, 'z'}, {35, '='}});
    Result essid = RunApConfig({"restore", "essid.json"});
    EXPECT_EQ(essid.code, 2);
    EXPECT_NE(essid.err.find("essid=A\\x0az= refused"), std::string::npos) << essid.err;
    EXPECT_EQ(Stat("writes"), 0);
}

TEST_F(RestoreCheckTest, ClampCorrectsNumbersAsSetDoes) {
    WriteEdited("edited.json", {{64, 0x60}, {65, 0xEA}, {162, 5}, {163, 0}});
    EXPECT_EQ(RunApConfig({"restore", "edited.json"}).code, 2);
    Result r = RunApConfig({"restore", "--clamp", "edited.json"});
    ASSERT_EQ(r.code, 0) << r.err;
    auto c = Current();
    EXPECT_EQ(c[64] | c[65] << 8, 2346);
    EXPECT_EQ(c[162] | c[163] << 8, 20);
}

// The file is read and checked first: a bad one costs neither a device read nor the
// password (none is given here, and no terminal to ask on).
TEST_F(RestoreCheckTest, TheFileIsCheckedBeforeTheDeviceIsAsked) {
    ASSERT_EQ(RunApConfig({"backup", "good.json"}).code, 0);
    auto good = nlohmann::ordered_json::parse(TempWorkingFolder::Read("good.json"));
    auto with = [&](const char* key, const nlohmann::ordered_json& value) {
        auto j = good;
        j[key] = value;
        return j.dump();
    };
    std::string big = good.dump();
    big.insert(big.size() - 1, std::string(1024 * 1024, ' '));
    auto without = good;
    without.erase("sha256");
    const std::vector<std::pair<std::string, std::string>> bad = {
        {big, "larger than a backup can be (1 MiB)"},
        {with("version", 2), "version 2 of the backup format is not known"},
        {with("version", "1"), "\"version\" is a text, not a whole number"},
        {with("format", "something else"), "not an ap-config backup"},
        {with("configuration", 5), "\"configuration\" is a number, not a text"},
        {with("passwords", "no"), "\"passwords\" is a text, not true or false"},
        {without.dump(), "the entry \"sha256\" is missing"},
        {with("sha256", std::string(64, '0')), "SHA-256"},
        {"[1, 2]", "not a JSON object"},
    };
    emulator.Control("reset-stats");
    for (const auto& [text, why] : bad) {
        TempWorkingFolder::Write("bad.json", text);
        Result r = RunApConfig({"restore", "bad.json"}, nullptr);
        EXPECT_EQ(r.code, 2) << why;
        EXPECT_NE(r.err.find(why), std::string::npos) << why << "\n" << r.err;
        EXPECT_NE(r.err.find("nothing was written"), std::string::npos) << r.err;
    }
    EXPECT_EQ(Stat("opens"), 0);

    // The digest in capitals is the same digest.
    std::string upper = good["sha256"];
    for (char& ch : upper)
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    TempWorkingFolder::Write("upper.json", with("sha256", upper));
    Result r = RunApConfig({"restore", "upper.json"});
    EXPECT_EQ(r.code, 0) << r.err;
}

// A restore never leaves a login password the login dialog refuses: a backup that says it
// holds passwords is judged by its bytes.
TEST_F(RestoreCheckTest, LoginPasswordOnlyOneTheDialogTakes) {
    ASSERT_EQ(RunApConfig({"backup", "none.json"}).code, 0);
    auto none = nlohmann::json::parse(TempWorkingFolder::Read("none.json"));
    none.erase("passwords");
    TempWorkingFolder::Write("unsaid.json", none.dump());
    none["passwords"] = true;
    TempWorkingFolder::Write("lying.json", none.dump());
    ASSERT_EQ(RunApConfig({"backup", "--with-password", "with.json"}).code, 0);
    auto with = nlohmann::json::parse(TempWorkingFolder::Read("with.json"));
    std::vector<uint8_t> block = Hex(with["configuration"]);
    auto edited = [&](const char* name, std::initializer_list<std::pair<size_t, uint8_t>> bytes) {
        std::vector<uint8_t> b = block;
        for (auto [offset, value] : bytes)
            b[offset] = value;
        Save(name, with, b);
        return std::string(name);
    };
    emulator.Control("reset-stats");
    for (const auto& [file, why] : std::vector<std::pair<std::string, const char*>>{
             {"unsaid.json", "holds no password"},
             {"lying.json", "the entry \"passwords\" says true"},
             {edited("long.json", {{192, 0x2C}, {193, 1}}), "its length 300"},
             {edited("blank.json", {{192, 3}, {196, ' '}, {197, ' '}, {198, ' '}}),
              "not one the login takes"},
             {edited("empty.json", {{192, 0}, {196, 0}}), "not one the login takes"},
             {edited("control.json", {{192, 2}, {196, 'a'}, {197, 0x1B}, {198, 0}}),
              "not one the login takes"}}) {
        Result r = RunApConfig({"restore", "--with-password", file});
        EXPECT_EQ(r.code, 2) << file;
        EXPECT_NE(r.err.find(why), std::string::npos) << file << "\n" << r.err;
    }
    EXPECT_EQ(Stat("writes"), 0);
    EXPECT_EQ(RunApConfig({"get", "essid"}, "").code, 4);
}

// What a backup holds: the passwords only when asked, searched for as text and in
// hexadecimal.
TEST_F(ApConfigTest, BackupHoldsNoPasswordUnlessAsked) {
    auto holds = [](const std::string& file, const std::string& word) {
        std::string text = TempWorkingFolder::Read(file), hex;
        for (unsigned char ch : word) {
            char two[3];
            std::snprintf(two, sizeof(two), "%02x", ch);
            hex += two;
        }
        return text.find(word) != std::string::npos || text.find(hex) != std::string::npos;
    };
    Result plain = RunApConfig({"backup", "plain.json"});
    ASSERT_EQ(plain.code, 0) << plain.err;
    EXPECT_EQ(plain.err, "");
    Result with = RunApConfig({"backup", "--with-password", "with.json"});
    ASSERT_EQ(with.code, 0) << with.err;
    EXPECT_NE(with.err.find("holds the access point's passwords"), std::string::npos);
    for (const char* password : {"admin", "recovery"}) {
        EXPECT_FALSE(holds("plain.json", password)) << password;
        EXPECT_TRUE(holds("with.json", password)) << password;
    }
    EXPECT_EQ(nlohmann::json::parse(TempWorkingFolder::Read("plain.json"))["passwords"], false);
    EXPECT_EQ(nlohmann::json::parse(TempWorkingFolder::Read("with.json"))["passwords"], true);
    EXPECT_EQ(Mode("plain.json"), 0600u);
    EXPECT_EQ(Mode("with.json"), 0600u);

    // Restored, a password-less backup leaves the unit's passwords; asked to restore the
    // password from it, restore refuses before the device is asked.
    emulator.Control("reset-stats");
    Result refused = RunApConfig({"restore", "--with-password", "plain.json"});
    EXPECT_EQ(refused.code, 2);
    EXPECT_NE(refused.err.find("this backup holds no password"), std::string::npos);
    EXPECT_EQ(Stat("opens"), 0);
    ASSERT_EQ(RunApConfig({"set", "channel=1"}).code, 0);
    Result restored = RunApConfig({"restore", "plain.json"});
    ASSERT_EQ(restored.code, 0) << restored.err;
    EXPECT_EQ(Current(), factory);
}

// diff and --dry-run: the fields that differ in show's words, the passwords only as
// "password differs", and nothing written.
TEST_F(ApConfigTest, DiffAndDryRunShowWhatDiffersWithoutPasswords) {
    ASSERT_EQ(RunApConfig({"backup", "plain.json"}).code, 0);
    ASSERT_EQ(RunApConfig({"backup", "--with-password", "with.json"}).code, 0);
    Result same = RunApConfig({"diff", "plain.json"});
    EXPECT_EQ(same.code, 0) << same.err;
    EXPECT_EQ(same.out, "");

    TempWorkingFolder::Write("pw", "admin\nfresh\nfresh\n");
    ASSERT_EQ(RunApConfig({"--password-file", "pw", "passwd"}).code, 0);
    ASSERT_EQ(RunApConfig({"set", "channel=1", "essid=changed"}, "fresh").code, 0);
    LoadWith(8, {0x02, 0, 0, 0, 0, 0x77}); // another unit's MAC address: not a difference
    emulator.Control("reset-stats");
    const std::string changed = "essid                 changed -> wireless\n"
                                "channel               Channel 1 -> Channel 6\n";
    Result plain = RunApConfig({"diff", "plain.json"}, "fresh");
    EXPECT_EQ(plain.code, 6) << plain.err; // differs: a code of its own
    EXPECT_EQ(plain.out, changed);
    Result with = RunApConfig({"diff", "with.json"}, "fresh");
    EXPECT_EQ(with.code, 6);
    EXPECT_EQ(with.out, changed + "password              differs\n");
    Result json = RunApConfig({"diff", "--json", "with.json"}, "fresh");
    EXPECT_EQ(nlohmann::json::parse(json.out),
              nlohmann::json({{"essid", {{"accessPoint", "changed"}, {"backup", "wireless"}}},
                              {"channel", {{"accessPoint", "Channel 1"}, {"backup", "Channel 6"}}},
                              {"password", "differs"}}));

    Result set = RunApConfig({"set", "--dry-run", "channel=3", "beaconPeriod=200"}, "fresh");
    EXPECT_EQ(set.code, 0) << set.err;
    EXPECT_EQ(set.out, "channel               Channel 1 -> Channel 3\n"
                       "beaconPeriod          100 -> 200\n");
    EXPECT_NE(set.err.find("nothing was written"), std::string::npos);
    EXPECT_EQ(RunApConfig({"set", "--dry-run", "channel=14"}, "fresh").code, 2);

    Result restore = RunApConfig(
        {"restore", "--other-unit", "--dry-run", "--with-password", "with.json"}, "fresh");
    EXPECT_EQ(restore.code, 0) << restore.err;
    EXPECT_EQ(restore.out, changed + "password              differs\n");
    EXPECT_EQ(Stat("writes"), 0);
    for (const Result* r : {&plain, &with, &json, &set, &restore})
        for (const char* secret : {"admin", "fresh", "61646d696e", "6672657368"})
            EXPECT_EQ(r->out.find(secret), std::string::npos) << secret;
}

// A change never undoes another program's: the password is asked before the unit is read,
// and a write goes ahead only while the unit still holds what was read.
TEST_F(ApConfigTest, NoLostUpdate) {
    PasswordPrompt slow(false, {"--key-folder", ".", "set", "channel=2"});
    ASSERT_TRUE(slow.Prompted()) << slow.Output();
    Result other = RunApConfig({"set", "beaconPeriod=300"});
    ASSERT_EQ(other.code, 0) << other.err;
    slow.Type("admin\n");
    int status = slow.Wait();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << slow.Output();
    auto c = Current();
    EXPECT_EQ(c[28], 2);
    EXPECT_EQ(c[162] | c[163] << 8, 300);

    // The last read and the write share one handle: a unit changed since the command's read
    // is not written over.
    SetDeviceName("DfuDevice0");
    setenv("AP_DEVICE_DIR", emulator.DeviceDir().c_str(), 1);
    ConfigImage read;
    ASSERT_EQ(ReadConfigurationBlock(read.Bytes(), kSelectCurrent), TransferOutcome::kOk);
    LoadWith(162, {0x90, 0x01});
    ConfigImage changed = read;
    changed.Bytes()[28] = 9;
    emulator.Control("reset-stats");
    bool differed = false;
    EXPECT_EQ(WriteIfUnchanged(changed.Bytes(), read.Bytes(), &differed),
              TransferOutcome::kRequestFailed);
    EXPECT_TRUE(differed);
    EXPECT_EQ(Stat("writes"), 0);
    EXPECT_EQ(Stat("opens"), 1);
    ASSERT_EQ(ReadConfigurationBlock(read.Bytes(), kSelectCurrent), TransferOutcome::kOk);
    changed = read;
    changed.Bytes()[28] = 9;
    EXPECT_EQ(WriteIfUnchanged(changed.Bytes(), read.Bytes(), &differed), TransferOutcome::kOk);
    EXPECT_FALSE(differed);
    EXPECT_EQ(Current()[28], 9);
}

// apply: only the named fields, in show --json's forms, on one unit or several; a unit
// that already holds them is not written.
TEST_F(ApConfigTest, ApplyADesiredStateToUnits) {
    TempWorkingFolder::Write("state.json", R"({"channel": "Channel 3", "beaconPeriod": 200,
        "wepType": "64-bit", "wepKeys": ["a1b2c3d4e5"], "essid": "office"})");
    emulator.Control("reset-stats");
    Result dry = RunApConfig({"--json", "apply", "--dry-run", "state.json"});
    ASSERT_EQ(dry.code, 0) << dry.err;
    auto j = nlohmann::json::parse(dry.out);
    EXPECT_EQ(j["result"], "dry run");
    EXPECT_EQ(j["changes"]["beaconPeriod"], nlohmann::json({{"before", 100}, {"after", 200}}));
    EXPECT_EQ(Stat("writes"), 0);

    Result r = RunApConfig({"apply", "state.json"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, kVerified);
    auto c = Current();
    EXPECT_EQ(c[28], 3);
    EXPECT_EQ(c[70], 1);
    EXPECT_EQ(c[72], 0xA1);
    EXPECT_EQ(std::string(c.begin() + 32, c.begin() + 38), "office");
    Result again = RunApConfig({"apply", "state.json"});
    EXPECT_EQ(again.code, 0);
    EXPECT_EQ(again.out, "unchanged: DfuDevice0 02-1a-2b-3c-4d-5e\n");
    EXPECT_EQ(Stat("writes"), 1);

    // Refused before the unit is asked: its own values, and what show never prints.
    for (const auto& [state, why] : std::vector<std::pair<std::string, std::string>>{
             {R"({"macAddress": "02-00-00-00-00-01"})", "macAddress is the unit's own"},
             {R"({"regulationDomain": "ETSI"})", "regulationDomain is the unit's own"},
             {R"({"channel": true})", "takes a text or a whole number"},
             {R"({"nosuch": 1})", "unknown field nosuch"},
             {"[1]", "not a JSON object"},
             // Names given twice: the parser would keep the last one silently.
             {R"({"channel": 1, "channel": 11})", "channel is given twice"},
             {R"({"wepType": "64-bit", "wepKey1": "0102030405", "wepKeys": ["0a0b0c0d0e"]})",
              "wepKey1 is given twice"},
             // Never echoed whole, never parsed by a depth of its own.
             {R"({"channel": [)" + std::string(100000, '[') + std::string(100001, ']') + "}",
              "nest deeper than a desired state's"},
             {R"({"channel": [[1, 2], "x"]})", "nest deeper"},
             {R"({"channel": [1, 2]})", "channel takes a text or a whole number, not a JSON array"},
             {"{\"" + std::string(1000000, 'x') + "\": 1}",
              "unknown field xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx... "
              "(1000000 bytes)"},
             {R"({"essid": "a\u001b[2J", "channel": "\u009b"})", "channel=\\x9b refused"}}) {
        TempWorkingFolder::Write("bad.json", state);
        Result bad = RunApConfig({"apply", "bad.json"});
        EXPECT_EQ(bad.code, 2) << state.substr(0, 80);
        EXPECT_NE(bad.err.find(why), std::string::npos) << bad.err.substr(0, 300);
        EXPECT_LT(bad.err.size(), 600u) << why;
    }
    EXPECT_EQ(Stat("writes"), 1);

    // Several units, one of them absent: each reported, the absent one's failure the exit
    // code, the other written all the same.
    TempWorkingFolder::Write("channel.json", R"({"channel": 5})");
    Result several = RunApConfig(
        {"--json", "--device", "DfuDevice0", "--device", "DfuDevice7", "apply", "channel.json"});
    EXPECT_EQ(several.code, 1) << several.err;
    auto units = nlohmann::json::parse(several.out)["units"];
    ASSERT_EQ(units.size(), 2u) << several.out;
    EXPECT_EQ(units[0]["device"], "DfuDevice0");
    EXPECT_EQ(units[0]["macAddress"], "02-1a-2b-3c-4d-5e");
    EXPECT_EQ(units[0]["result"], "verified");
    EXPECT_EQ(units[1]["error"]["code"], "device");
    EXPECT_EQ(Current()[28], 5);
    Result all = RunApConfig({"--all", "--quiet", "apply", "-"}, "admin",
                             Launch{"ap-config.out", -1, ".", "channel.json"});
    EXPECT_EQ(all.code, 0) << all.err;
    EXPECT_EQ(all.out + all.err, "");
}

// reset writes the factory settings as Default then Apply do: the login password stays,
// the keys take their default values; a unit is found by its MAC address.
TEST_F(ApConfigTest, ResetAndTheUnitByItsMacAddress) {
    TempWorkingFolder::Write("pw", "admin\nfresh\nfresh\n");
    ASSERT_EQ(RunApConfig({"--password-file", "pw", "passwd"}).code, 0);
    // The unit's own values differ from its factory block's: the preview lists every byte the
    // write changes, those too.
    LoadWith(8, {0x02, 0, 0, 0, 0, 0x77});
    LoadWith(160, {0x30});
    Result preview = RunApConfig({"reset", "--dry-run"}, "fresh");
    EXPECT_EQ(preview.code, 0) << preview.err;
    EXPECT_NE(preview.out.find("macAddress            02-00-00-00-00-77 -> 02-1a-2b-3c-4d-5e\n"),
              std::string::npos)
        << preview.out;
    EXPECT_NE(preview.out.find("regulationDomain      ETSI -> FCC\n"), std::string::npos)
        << preview.out;
    LoadWith(8, {0x02, 0x1a, 0x2b, 0x3c, 0x4d, 0x5e});
    LoadWith(160, {0x10});
    ASSERT_EQ(RunApConfig({"set", "channel=1", "wepType=128-bit"}, "fresh").code, 0);
    Result r = RunApConfig({"--mac", "02:1A:2B:3C:4D:5E", "reset"}, "fresh");
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, kVerified);
    auto c = Current();
    EXPECT_EQ(c[28], factory[28]);
    EXPECT_EQ(c[70], factory[70]);
    EXPECT_EQ(std::string(c.begin() + 196, c.begin() + 202), std::string("fresh\0", 6));
    EXPECT_EQ(Entry("1"), ScrambleKeyText("1111111111"));
    EXPECT_EQ(Entry("8"), ScrambleKeyText(std::string(26, '4')));
    Result none = RunApConfig({"--mac", "02-00-00-00-00-09", "show"}, "fresh");
    EXPECT_EQ(none.code, 1);
    EXPECT_NE(none.err.find("no attached access point holds the MAC address"), std::string::npos);
}

// Results a program can read: one JSON document, on failure an error object with the exit
// code's word; standard input where a file is read.
TEST_F(ApConfigTest, JsonResultsAndStandardInput) {
    for (const auto& [args, password, code, word] :
         std::vector<std::tuple<std::vector<std::string>, const char*, int, std::string>>{
             {{"--json", "get", "essid"}, "wrong", 4, "wrong-password"},
             {{"--json", "set", "channel=99"}, "admin", 2, "refused"},
             {{"--json", "--device", "DfuDevice5", "show"}, "admin", 1, "device"},
             {{"--json", "frobnicate"}, "admin", 2, "refused"}}) {
        Result r = RunApConfig(args, password);
        EXPECT_EQ(r.code, code) << testing::PrintToString(args);
        auto j = nlohmann::json::parse(r.out, nullptr, false);
        EXPECT_EQ(j["error"]["code"], word) << r.out;
        EXPECT_EQ(j["error"]["exitCode"], code);
    }
    ASSERT_EQ(RunApConfig({"backup", "b.json"}).code, 0);
    Launch fromFile{"ap-config.out", -1, ".", "b.json"};
    Result diff = RunApConfig({"diff", "-"}, "admin", fromFile);
    EXPECT_EQ(diff.code, 0) << diff.err;
    Result restore = RunApConfig({"--json", "restore", "-"}, "admin", fromFile);
    EXPECT_EQ(restore.code, 0) << restore.err;
    EXPECT_EQ(nlohmann::json::parse(restore.out)["result"], "unchanged");
    TempWorkingFolder::Write("pw", "admin\n");
    Result typed = RunApConfig({"--password-file", "-", "get", "essid"}, nullptr,
                               Launch{"ap-config.out", -1, ".", "pw"});
    EXPECT_EQ(typed.out, "wireless\n") << typed.err;
    // Help and the version as documents too.
    auto help = nlohmann::json::parse(RunApConfig({"--json", "help"}, nullptr).out);
    EXPECT_EQ(help["commands"][3]["name"], "apply");
    EXPECT_EQ(help["commands"][3]["writes"], true);
    EXPECT_EQ(help["exitCodes"][5]["code"], "in-use");
    EXPECT_EQ(nlohmann::json::parse(RunApConfig({"--json", "--help"}, nullptr).out), help);
    EXPECT_EQ(nlohmann::json::parse(
                  RunApConfig({"--json", "help", "set"}, nullptr).out)["options"][0]["name"],
              "--force");
    EXPECT_EQ(RunApConfig({"--json", "--version"}, nullptr).out,
              "{\n  \"version\": \"" AP_VERSION "\"\n}\n");
    Result list = RunApConfig({"--json", "list"}, nullptr);
    EXPECT_EQ(nlohmann::json::parse(list.out)["units"][0]["device"], "DfuDevice0");
}

} // namespace
