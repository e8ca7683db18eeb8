// The one write step of the commands that write (Session::Write): compare, write if the unit
// still holds what was read, read back and compare, then the key file.
#include "ChangeReport.h"
#include "Session.h"

#include "device/ConfigTransfer.h"
#include "device/DeviceChannel.h"
#include "device/KeyStoreFile.h"

#include <algorithm>
#include <array>

WepKeyTable Session::KeyTable() const {
    WepKeyTable table;
    // The file itself is touched only after the write.
    if (!Flag(Opt::kNoKeyFile) && KeyFileStateOf(m_image) == KeyFileState::kThisDevice)
        LoadKeyFile(table);
    else
        KeyTableFromImage(m_image, table);
    return table;
}

void Session::SaveKeys(const ConfigImage& written, const WepKeyTable& keys) {
    std::string name = KeyFilePath();
    if (Flag(Opt::kNoKeyFile)) {
        Note("the key file " + name + " was left alone (--no-key-file)");
        return;
    }
    switch (KeyFileStateOf(written)) {
    case KeyFileState::kUnusable:
        Note("the key file " + name +
             " is not a file that can be read and written; it was left alone");
        return;
    case KeyFileState::kNotOwn:
        Note("the key file " + name +
             " is not this user's own (another user owns it, or others may write it); it was "
             "left alone");
        return;
    case KeyFileState::kOtherDevice:
        if (!Flag(Opt::kTakeKeyFile)) {
            Note("the key file " + name +
                 " belongs to another access point; it was left alone (--take-key-file makes "
                 "it this one's)");
            return;
        }
        break;
    case KeyFileState::kMissing:
    case KeyFileState::kThisDevice:
        break;
    }
    // As the dialogs' Apply leaves it: the table of the keys written, tied to the unit.
    if (!SaveKeyFile(written, keys))
        Note("the key file " + name + " could not be written");
}

int Session::WriteAndVerify(const ConfigImage& image) {
    std::array<BYTE, kConfigBlockLength + 1> block;
    std::copy(image.Bytes(), image.Bytes() + kConfigBlockLength, block.begin());
    bool changed = false;
    TransferOutcome written = WriteIfUnchanged(block.data(), m_image.Bytes(), &changed);
    m_written = written == TransferOutcome::kOk;
    if (changed)
        return Fail(kExitChanged, "the access point " + UnitName() +
                                      " was changed by another program since it was read: "
                                      "nothing was written (run the command again)");
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

int Session::Write(const ConfigImage& changed, const WepKeyTable* keys) {
    // Every field the write changes, the unit's own values included; passwords only as
    // "differs".
    std::vector<FieldChange> changes =
        ConfigFields::Changes(m_image, changed, kComparePasswords | kCompareOwn);
    m_report["changes"] = ChangeReport::Json(changes, "before", "after");
    if (Flag(Opt::kDryRun)) {
        Print(changes.empty() ? "no change\n" : ChangeReport::Text(changes));
        m_report["result"] = "dry run";
        Note("--dry-run: nothing was written");
        return kExitDone;
    }
    if (std::equal(m_image.Bytes(), m_image.Bytes() + kConfigBlockLength, changed.Bytes())) {
        PrintLine("unchanged: " + UnitName());
        m_report["result"] = "unchanged";
    } else if (int code = WriteAndVerify(changed)) {
        if (keys && m_written)
            SaveKeys(changed, *keys);
        return code;
    }
    if (keys)
        SaveKeys(changed, *keys);
    return kExitDone;
}
