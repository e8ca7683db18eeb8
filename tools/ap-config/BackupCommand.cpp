// ap-config backup: the whole configuration as a file of its own.
#include "Session.h"

#include "PrivateFile.h"

namespace {

class Backup : public Command {
public:
    Backup()
        : Command("backup",
                  "the whole configuration as JSON with its SHA-256\n(the passwords only with "
                  "--with-password)",
                  "The whole configuration as JSON with its SHA-256, private to its user, written "
                  "whole (see FILES); the passwords only with `--with-password`. `-` is standard "
                  "output.",
                  "ap-config backup ap1.json", kReadsUnit, {Opt::kWithPassword}, Arguments::kFile) {
    }
    int Run(Session& s) const override {
        const std::string& file = s.File();
        bool passwords = s.Flag(Opt::kWithPassword);
        std::string error;
        BackupFile backup = BackupFile::FromImage(s.Image(), s.Firmware(), passwords);
        if (!PrivateFile::Write(file, backup.ToJson(), &error))
            return s.Fail(kExitRefused, "cannot write " + file + ": " + error);
        if (passwords)
            s.Note(file + " holds the access point's passwords (--with-password): keep it as you "
                          "keep them");
        s.Report()["file"] = file;
        s.Report()["passwords"] = passwords;
        std::string note =
            "backup of " + s.UnitName() + " written to " + (file == "-" ? "standard output" : file);
        if (file != "-")
            return s.PrintLine(note);
        // With "-" the backup itself is the standard output (with --json its document); the
        // note goes beside it.
        s.DocumentPrinted();
        s.Note(note);
        return kExitDone;
    }
};

} // namespace

const Command& BackupCommand() {
    static const Backup command;
    return command;
}
