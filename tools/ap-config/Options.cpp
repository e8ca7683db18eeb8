// Every option of ap-config, declared once: the parser, --help, help COMMAND, the manual
// page, the guide and the completion are made from this table.
#include "Command.h"

const std::vector<OptionSpec>& OptionTable() {
    static const std::vector<OptionSpec> options = {
        {Opt::kDevice, "--device", "NAME",
         "the access point's device (default DfuDevice0);\nrepeated: each unit in turn",
         "The access point's device: on Linux the socket of that name in the device folder (see "
         "ENVIRONMENT), on Windows `\\\\.\\NAME`. Default `DfuDevice0`; further units are "
         "`DfuDevice1`, `DfuDevice2`, ... (`list` names them). Given more than once, for the "
         "commands that act on several units, each unit in turn. Refused together with "
         "`AP_DEVICE_ADDR`, which reaches one unit whatever the name.",
         true, true},
        {Opt::kMac, "--mac", "MAC", "the attached access point that holds this MAC address",
         "The unit that holds this MAC address (as `02:0a:bc:de:f0:12`, `02-0A-BC-DE-F0-12` or "
         "`020abcdef012`), found among the units `list` finds (each is read to find it); exit 1 "
         "when none holds it. Not together with `--device` or `--all`.",
         true, false},
        {Opt::kAll, "--all", "", "every attached access point, each in turn",
         "Every unit that `list` finds, each in turn, for the commands that act on several "
         "units.",
         true, false},
        {Opt::kPasswordFile, "--password-file", "FILE",
         "line 1: the password; for passwd lines 2 and 3: the new one\n(else AP_PASSWORD, else "
         "asked on the terminal)",
         "The password is the file's first line, without its LF or CRLF, after a UTF-8 "
         "byte-order mark; nothing else is removed. For `passwd`, lines 2 and 3 are the new "
         "password. `-` is standard input (not together with a backup or state file from "
         "standard input). A file the group or others may read is taken with a warning. A file "
         "larger than 4 KiB (or a device that never ends) is refused with exit 2; a pipe is read "
         "as its writer gives it. Without this option the password is `AP_PASSWORD`, else it is "
         "asked on the terminal without echo.",
         true, false},
        {Opt::kKeyFolder, "--key-folder", "DIR",
         "the folder of the key file OEM.tmp (default: the one the\nutility's menu entry uses; "
         "\".\": this one)",
         "The folder of the key file `OEM.tmp` (see FILES); default the one the desktop menu's "
         "utility uses; `.` is the current folder.",
         true, false},
        {Opt::kJson, "--json", "",
         "one JSON document on standard output: what was shown or done\n(the changes, per unit), "
         "or the error, by code word and message",
         "One JSON document on standard output instead of text: the fields of `show` and `get`, "
         "the changes of `diff`, the dry runs and every write (per unit, with its name and MAC "
         "address), the units of `list`, the commands of `help`, the version of `--version`. "
         "Numbers are JSON numbers. On a failure the document is an error object, `{\"error\": "
         "{\"code\": WORD, \"exitCode\": N, \"message\": TEXT}}`, with the word of the exit status "
         "(see EXIT STATUS) and the same exit status as without `--json`.",
         true, false},
        {Opt::kQuiet, "--quiet", "", "prints nothing on success",
         "Nothing on standard output, and no remarks on standard error, when the command "
         "succeeds; failures are still said on standard error.",
         true, false},
        {Opt::kHelp, "-h,--help", "", "this text; help COMMAND: that command's",
         "The short summary (with `--json`: every command and option as JSON).", true, false},
        {Opt::kVersion, "--version", "", "the version of ap-config",
         "The version of `ap-config` (with `--json`: `{\"version\": ...}`).", true, false},
        {Opt::kForce, "--force", "", "changes even while the utility runs for this user",
         "Changes even while the utility runs for this user (its dialogs would write their copy "
         "of the configuration back at their next OK). It goes past nothing else: never over a "
         "change another program made since the read (exit 7), nor beside another `ap-config` "
         "that writes (exit 5; `--wait` waits for it).",
         false, false},
        {Opt::kWait, "--wait", "[=SECONDS]",
         "waits for the locks (another ap-config's write, the\nutility) at most SECONDS, else "
         "until free",
         "Waits until the locks are free, at most SECONDS when given, without a limit otherwise, "
         "instead of refusing with exit 5: another `ap-config` that writes, or the utility "
         "(unless `--force`). A wait that runs out is exit 5, naming the holder.",
         false, false},
        {Opt::kClamp, "--clamp", "", "numbers out of range are corrected as the Advanced page does",
         "Numbers out of range are corrected as the Advanced page does (see FIELDS) instead of "
         "refused.",
         false, false},
        {Opt::kNoKeyFile, "--no-key-file", "", "leaves the key file OEM.tmp alone",
         "Leaves the key file `OEM.tmp` alone (the other keys of a key group then come from the "
         "access point's slots) and says so.",
         false, false},
        {Opt::kTakeKeyFile, "--take-key-file", "",
         "rebuilds a key file of another access point for this one",
         "A key file that belongs to another access point (its MAC address) is rebuilt for this "
         "one after the write; without it such a file is left as it is, and said so.",
         false, false},
        {Opt::kDryRun, "--dry-run", "", "shows what would change and writes nothing",
         "Checks everything as without it, then shows every field the write would change, the "
         "unit's own values included, in the form of `diff`, and writes nothing, neither to the "
         "access point nor to the key file.",
         false, false},
        {Opt::kWithPassword, "--with-password", "",
         "backup: the passwords too (else the file holds none);\nrestore: the backup's login "
         "password too",
         "With `backup`: the passwords are kept in the file (else both are stored as zero "
         "bytes). With `restore`: the backup's login password is written too (else the unit "
         "keeps its own).",
         false, false},
        {Opt::kOtherUnit, "--other-unit", "", "restore: also another access point's backup",
         "With `restore`: the backup of another access point (another MAC address) is written "
         "too; without it such a backup is refused.",
         false, false},
        {Opt::kSettings, "--settings", "", "only what apply sets: a desired state for other units",
         "Only the fields `apply` sets (no read-only field, none the unit keeps as its own, no "
         "keys while WEP is disabled): with `--json` a desired state to apply to other units.",
         false, false},
        {Opt::kFormat, "--format", "wpa_supplicant|networkmanager|plain",
         "the client's file format (default plain)",
         "`wpa_supplicant`, `networkmanager` or `plain`; default `plain`.", false, false},
        {Opt::kOutput, "--output", "FILE",
         "a file only its user may read, instead of standard output",
         "A file instead of standard output, private to its user (mode 0600) and written whole "
         "(see "
         "FILES); `-` is standard output.",
         false, false},
    };
    return options;
}

const OptionSpec& OptionOf(Opt id) {
    for (const OptionSpec& o : OptionTable())
        if (o.id == id)
            return o;
    return OptionTable().front();
}

std::string LongName(const OptionSpec& option) {
    std::string names = option.names;
    return names.substr(names.rfind(',') == std::string::npos ? 0 : names.rfind(',') + 1);
}
