// ap-config backup: the whole configuration as a file of its own.
#include "Session.h"

#include "Console.h"
#include "PrivateFile.h"
#include "platform/WholeFile.h"

namespace {

class Backup : public Command {
public:
    Backup()
        : Command("backup",
                  "the whole configuration as JSON with its SHA-256\n(the passwords only with "
                  "--with-password)",
                  "The whole configuration as JSON with its SHA-256, private to its user, written "
                  "whole (see FILES); the passwords only with `--with-password`. `-` is standard "
                  "output. Of several units, FILE is a folder (made when missing) that gets one "
                  "file a unit, named by its MAC address (`02-1a-2b-3c-4d-5e.json`); a second unit "
                  "of the same "
                  "address is refused, the first one's file kept.",
                  "ap-config backup ap1.json", kReadsUnit | kSeveralUnits, {Opt::kWithPassword},
                  Arguments::kFile) {}
    int Run(Session& s) const override {
        std::string file = s.File();
        if (s.SeveralUnits()) {
            if (file == "-" || !wholefile::MakeFolders(file))
                return s.Fail(kExitRefused, "backups of several units go into a folder, one file "
                                            "a unit: " +
                                                file + " is none and cannot be made");
            file += "/" + ConfigFields::Text(s.Image(), "macAddress", "") + ".json";
            auto earlier = s.filesWritten.find(file);
            if (earlier != s.filesWritten.end())
                return s.Fail(kExitRefused, file + " already holds this run's backup of " +
                                                earlier->second +
                                                " (the same MAC address): this unit's was not "
                                                "written");
        }
        bool passwords = s.Flag(Opt::kWithPassword);
        std::string error;
        BackupFile backup = BackupFile::FromImage(s.Image(), s.Firmware(), passwords);
        if (!PrivateFile::Write(file, backup.ToJson(), &error))
            return s.Fail(kExitRefused, "cannot write " + file + ": " + error);
        if (passwords)
            s.Note(file + " holds the access point's passwords (--with-password): keep it as you "
                          "keep them");
        s.filesWritten[file] = s.Device();
        s.Report()["file"] = file;
        s.Report()["passwords"] = passwords;
        std::string note =
            "backup of " + s.UnitName() + " written to " + (file == "-" ? "standard output" : file);
        if (file != "-")
            return s.PrintLine(note);
        // With "-" the backup itself is the standard output (with --json its document); the
        // note goes beside it.
        s.DocumentPrinted();
        // Only once it is out: when standard output fails, exit 8 alone tells it.
        std::string lost;
        if (Console::Finish(&lost))
            s.Note(note);
        return kExitDone;
    }
};

} // namespace

const Command& BackupCommand() {
    static const Backup command;
    return command;
}
