#include "ConfigDialog.h"

#include "ConfigTransfer.h"
#include "DeviceChannel.h"
#include "ProgressDlg.h"

CConfigDialog::CConfigDialog(UINT idTemplate, CWnd* parent)
    : CDialog(idTemplate, parent), m_image(std::make_unique<ConfigImage>()) {}

CConfigDialog::~CConfigDialog() {
    while (m_writeState == kWriting)
        AfxWaitForWorkerThreads();
}

namespace {

// One read of either configuration into dest, with the message of its failure.
BOOL ReadInto(BYTE* dest, BYTE selector, const char* openFailedMessage) {
    switch (ReadConfigurationBlock(dest, selector)) {
    case TransferOutcome::kOk:
        return TRUE;
    case TransferOutcome::kOpenFailed:
        AfxMessageBox(openFailedMessage);
        return FALSE;
    case TransferOutcome::kRequestFailed:
        break;
    }
    AfxMessageBox(kMsgCannotGetConfiguration);
    return FALSE;
}

} // namespace

BOOL CConfigDialog::ReadConfiguration() {
    if (!ReadInto(m_image->Bytes(), kSelectCurrent, kMsgAttachOrInstallDriver))
        return FALSE;
    g_pConfigImage = m_image.get();
    return TRUE;
}

BOOL CConfigDialog::ReadDefaultConfiguration() {
    if (!g_pConfigImage)
        return FALSE;
    return ReadInto(g_pConfigImage->Bytes(), kSelectFactory, kMsgAttach);
}

void CConfigDialog::StartWriteThread() {
    if (!g_pConfigImage)
        return;
    // The writer sends a copy taken now, so nothing done on the user-interface thread
    // while it runs can reach a write half-sent.
    BYTE* image = g_pConfigImage->Bytes();
    image[kConfigBlockLength] = kWriteCommand;
    std::copy(image, image + kConfigBlockLength + 1, m_writeCopy.begin());
    m_writeState = kWriting;
    AfxBeginThread(&CConfigDialog::WriteThreadProc, this);
}

bool CConfigDialog::WriteWithProgress() {
    StartWriteThread();
    g_progressDlg.DoModal();
    while (m_writeState == kWriting) // bounded by the device request's limit
        AfxWaitForWorkerThreads();
    return m_writeState == kWriteSucceeded;
}

UINT CConfigDialog::WriteThreadProc(LPVOID param) {
    auto* self = static_cast<CConfigDialog*>(param);
    UINT result = self->WriteConfiguration();
    self->m_writeState = result == 0 ? kWriteSucceeded : kWriteFailed;
    return result;
}

UINT CConfigDialog::WriteConfiguration() {
    auto enableOwnWindow = [this] {
        RunOnUiThread([this] {
            if (GetSafeHwnd())
                EnableWindow(TRUE);
        });
    };
    TransferOutcome outcome =
        WriteConfigurationBlock(m_writeCopy.data(), [this] { BeginWaitCursor(); });
    if (outcome == TransferOutcome::kOpenFailed) {
        AfxMessageBox(kMsgAttach); // waits until the user has dismissed it
        enableOwnWindow();
        g_progressDlg.PostMessage(WM_CLOSE);
        return 1;
    }
    if (outcome == TransferOutcome::kRequestFailed) {
        AfxMessageBox(kMsgAttach);
        g_progressDlg.PostMessage(WM_CLOSE);
        enableOwnWindow();
        EndWaitCursor();
        return 1;
    }
    EndWaitCursor();
    return 0;
}
