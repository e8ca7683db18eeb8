#include "ConfigTransfer.h"

#include "ConfigImage.h"
#include "DeviceChannel.h"

#include <algorithm>

const char kMsgAttachOrInstallDriver[] =
    "Please Attach the Access Point USB Connector or Install the Access Point Driver !  ";
const char kMsgAttach[] = "Please Attach the Access Point USB Connector";
const char kMsgCannotGetConfiguration[] = "Cannot get the configuration";

TransferOutcome ReadConfigurationBlock(BYTE* dest, BYTE selector) {
    CDeviceChannel channel;
    if (!channel.Open())
        return TransferOutcome::kOpenFailed;
    bool ok = channel.Read(dest, &selector, kReadReplyLength) ||
              channel.Read(dest, &selector, kReadReplyLength);
    channel.Close();
    return ok ? TransferOutcome::kOk : TransferOutcome::kRequestFailed;
}

TransferOutcome WriteConfigurationBlock(BYTE* block, const std::function<void()>& onOpened) {
    CDeviceChannel channel;
    if (!channel.Open())
        return TransferOutcome::kOpenFailed;
    if (onOpened)
        onOpened();
    bool ok = channel.Write(block, kWriteCommand, kConfigBlockLength) ||
              channel.Write(block, kWriteCommand, kConfigBlockLength);
    channel.Close();
    return ok ? TransferOutcome::kOk : TransferOutcome::kRequestFailed;
}

TransferOutcome WriteIfUnchanged(BYTE* block, const BYTE* expected, bool* changed) {
    *changed = false;
    CDeviceChannel channel;
    if (!channel.Open())
        return TransferOutcome::kOpenFailed;
    ConfigImage now;
    BYTE selector = kSelectCurrent;
    bool ok = channel.Read(now.Bytes(), &selector, kReadReplyLength) ||
              channel.Read(now.Bytes(), &selector, kReadReplyLength);
    if (ok && !std::equal(expected, expected + kConfigBlockLength, now.Bytes()))
        *changed = true;
    else if (ok)
        ok = channel.Write(block, kWriteCommand, kConfigBlockLength) ||
             channel.Write(block, kWriteCommand, kConfigBlockLength);
    channel.Close();
    return ok && !*changed ? TransferOutcome::kOk : TransferOutcome::kRequestFailed;
}
