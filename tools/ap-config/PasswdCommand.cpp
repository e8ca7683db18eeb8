// ap-config passwd: a new login password, by the login dialog's own rule.
#include "Session.h"

#include "Codepage1252.h"

namespace {

class Passwd : public Command {
public:
    Passwd()
        : Command("passwd", "sets a new login password, asked twice",
                  "A new login password, asked twice without echo (or lines 2 and 3 of the "
                  "password file), with the login dialog's rules; its first word is stored.",
                  "ap-config passwd", kReadsUnit | kWrites | kNewPassword,
                  {Opt::kForce, Opt::kWait}, Arguments::kNone) {}
    int Run(Session& s) const override {
        std::string newText, confirm, refused, word;
        if (!Codepage1252::FromUtf8(s.Passwords()[1], &newText, &refused) ||
            !Codepage1252::FromUtf8(s.Passwords()[2], &confirm, &refused))
            return s.Fail(kExitRefused, "the new password holds \"" + refused +
                                            "\", which has no Windows-1252 byte");
        NewPasswordVerdict verdict = CheckNewPassword(newText, confirm, &word);
        if (verdict != NewPasswordVerdict::kAccepted)
            return s.Fail(kExitRefused, NewPasswordMessage(verdict));
        ConfigImage changed = s.Image();
        changed.SetPassword(word);
        int code = s.Write(changed, nullptr);
        if (code == kExitDone)
            s.PrintLine("The password has been successfully changed.");
        s.Report()["passwordChanged"] = code == kExitDone;
        return code;
    }
};

} // namespace

const Command& PasswdCommand() {
    static const Passwd command;
    return command;
}
