#pragma once

#include "platform/Win32Types.h"

#include <functional>

// The device side of the configuration transfers, shared by the dialogs and ap-config: the
// device opened once per transfer, the request tried twice in immediate succession, the
// device closed on every path. Reports nothing to the user; the callers word the outcome.
enum class TransferOutcome { kOk, kOpenFailed, kRequestFailed };

// Reads the configuration chosen by selector (current or factory) into dest, bytes 0..888.
// dest is untouched unless the outcome is kOk.
TransferOutcome ReadConfigurationBlock(BYTE* dest, BYTE selector);

// Sends block bytes 0..347 followed by the write command (stored at block[348]).
// onOpened runs once the device is open, before the first request.
TransferOutcome WriteConfigurationBlock(BYTE* block,
                                        const std::function<void()>& onOpened = nullptr);

// The write of a read, change and write: on one handle (the device's sharing rule keeps any
// other writer out meanwhile) reads the current configuration and sends block only when its
// bytes 0..347 are still expected's. *changed tells when they were not: nothing was written
// and the outcome is kRequestFailed.
TransferOutcome WriteIfUnchanged(BYTE* block, const BYTE* expected, bool* changed);

// The texts in which the dialogs report the outcomes.
extern const char kMsgAttachOrInstallDriver[];
extern const char kMsgAttach[];
extern const char kMsgCannotGetConfiguration[];
