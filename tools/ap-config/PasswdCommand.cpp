// ap-config passwd: a new login password, by the login dialog's own rule.
#include "ApConfig.h"

#include "Codepage1252.h"

int ApConfig::Passwd() {
    std::string newText, confirm, refused, word;
    if (!Codepage1252::FromUtf8(m_passwordLines[1], &newText, &refused) ||
        !Codepage1252::FromUtf8(m_passwordLines[2], &confirm, &refused))
        return Fail(kExitRefused,
                    "the new password holds \"" + refused + "\", which has no Windows-1252 byte");
    NewPasswordVerdict verdict = CheckNewPassword(newText, confirm, &word);
    if (verdict != NewPasswordVerdict::kAccepted)
        return Fail(kExitRefused, NewPasswordMessage(verdict));
    ConfigImage changed = m_image;
    changed.SetPassword(word);
    int code = WriteAndVerify(changed);
    if (code == kExitDone)
        PrintLine("The password has been successfully changed.");
    m_report["passwordChanged"] = code == kExitDone;
    return code;
}
