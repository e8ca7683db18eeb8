#include "ConfigDialog.h"

#include "ConfigTransfer.h"
#include "DeviceChannel.h"
#include "ProgressDlg.h"

#include <functional>

CConfigDialog::CConfigDialog(UINT idTemplate, CWnd* parent)
    : CDialog(idTemplate, parent), m_image(std::make_unique<ConfigImage>()) {}

namespace {

// Writers in flight, of every holder: the login's and the main dialog's reach one device,
// and a second writer would be refused by it while the first holds it.
std::atomic<int> g_writersInFlight{0};

// Waits, with the busy cursor, while cond holds; the user's input waits with it.
void WaitWithBusyCursor(const std::function<bool()>& cond) {
    if (!cond())
        return;
    BeginWaitCursor();
    AfxWaitWhile(cond);
    EndWaitCursor();
}

} // namespace

CConfigDialog::~CConfigDialog() {
    // Bounded by the device request's limit; the application's end never cuts a write.
    WaitWithBusyCursor([this] { return m_writeState == kWriting; });
}

namespace {

// One read of either configuration into dest, with the message of its failure. The
// user-interface thread waits for the device meanwhile, so the busy cursor is up for the
// whole request; it is down again before any message.
BOOL ReadInto(BYTE* dest, BYTE selector, const char* openFailedMessage) {
    BeginWaitCursor();
    TransferOutcome outcome = ReadConfigurationBlock(dest, selector);
    EndWaitCursor();
    switch (outcome) {
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

BOOL CConfigDialog::ReadDefaultConfiguration(BYTE* dest) {
    return ReadInto(dest, kSelectFactory, kMsgAttach);
}

void CConfigDialog::StartWriteThread() {
    if (!g_pConfigImage)
        return;
    // One writer at a time: a write still in flight (its progress dialog ended early by
    // Enter or Escape) is waited for before the next one starts.
    WaitWithBusyCursor([] { return g_writersInFlight > 0; });
    // The writer sends a copy taken now, so nothing done on the user-interface thread
    // while it runs can reach a write half-sent.
    BYTE* image = g_pConfigImage->Bytes();
    image[kConfigBlockLength] = kWriteCommand;
    std::copy(image, image + kConfigBlockLength + 1, m_writeCopy.begin());
    m_writeState = kWriting;
    ++g_writersInFlight;
    AfxBeginThread(&CConfigDialog::WriteThreadProc, this);
}

bool CConfigDialog::WriteWithProgress() {
    StartWriteThread();
    g_progressDlg.DoModal();
    WaitWithBusyCursor([this] { return m_writeState == kWriting; });
    return m_writeState == kWriteSucceeded;
}

UINT CConfigDialog::WriteThreadProc(LPVOID param) {
    auto* self = static_cast<CConfigDialog*>(param);
    UINT result = self->WriteConfiguration();
    self->m_writeState = result == 0 ? kWriteSucceeded : kWriteFailed;
    --g_writersInFlight;
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
