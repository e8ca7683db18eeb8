// src/device: the device channel, the configuration image and its field table, the
// transfers and the progress dialog. Includes platform/ and resources/; never pages/, app/,
// a backend (platform/qt/, platform/win32/) or a toolkit.
#pragma once

#include "ConfigImage.h"
#include "ConfigTransfer.h"
#include "platform/Afx.h"

#include <array>
#include <atomic>
#include <memory>

// The holder of a configuration image and a window that may not exist, with the
// transfers of that image: reads on the user-interface thread, the write on a worker
// thread while the progress dialog runs. The main dialog is one; the login dialog keeps
// another, never shown, for its own transfers.
class CConfigDialog : public CDialog {
public:
    enum WriteState { kNoWrite, kWriting, kWriteSucceeded, kWriteFailed };

    CConfigDialog(UINT idTemplate, CWnd* parent);
    // Waits for a write of this object that is still running.
    ~CConfigDialog() override;

    // Reads the current configuration into this object's image and makes it current.
    BOOL ReadConfiguration();
    // Reads the factory configuration into dest (untouched on failure, whose message has been
    // shown).
    BOOL ReadDefaultConfiguration(BYTE* dest);
    // Starts the writer of the current image; returns at once.
    void StartWriteThread();
    static UINT WriteThreadProc(LPVOID param);
    // The writer's body: 0 on success, 1 on failure.
    UINT WriteConfiguration();
    // The write sequence: the writer started, the progress dialog run until it ends, then
    // (Enter or Escape can end it early) the writer's outcome awaited. True on success.
    bool WriteWithProgress();

    // The outcome of the last write started on this object.
    WriteState LastWrite() const { return m_writeState.load(); }
    ConfigImage& Image() { return *m_image; }

private:
    std::unique_ptr<ConfigImage> m_image;
    std::atomic<WriteState> m_writeState{kNoWrite};
    std::array<BYTE, kConfigBlockLength + 1> m_writeCopy{};
};
