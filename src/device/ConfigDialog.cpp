#include "ConfigDialog.h"

#include "DeviceChannel.h"
#include "ProgressDlg.h"

const char kMsgAttachOrInstallDriver[] =
    "Please Attach the Access Point USB Connector or Install the Access Point Driver !  ";
const char kMsgAttach[] = "Please Attach the Access Point USB Connector";
const char kMsgCannotGetConfiguration[] = "Cannot get the configuration";

CConfigDialog::CConfigDialog(UINT idTemplate, CWnd* parent)
    : CDialog(idTemplate, parent), m_image(std::make_unique<ConfigImage>()) {}

CConfigDialog::~CConfigDialog() {
    while (m_writeState == kWriting)
        AfxWaitForWorkerThreads();
}

namespace {

// One read of either configuration into dest: the device opened once, the request tried
// twice in immediate succession, the device closed on every path.
BOOL ReadInto(BYTE* dest, BYTE selector, const char* openFailedMessage) {
    CDeviceChannel channel;
    if (!channel.Open()) {
        AfxMessageBox(openFailedMessage);
        return FALSE;
    }
    BOOL ok = channel.Read(dest, &selector, kReadReplyLength) ||
              channel.Read(dest, &selector, kReadReplyLength);
    if (!ok)
        AfxMessageBox(kMsgCannotGetConfiguration);
    channel.Close();
    return ok;
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
    CDeviceChannel channel;
    if (!channel.Open()) {
        AfxMessageBox(kMsgAttach); // waits until the user has dismissed it
        enableOwnWindow();
        g_progressDlg.PostMessage(WM_CLOSE);
        return 1;
    }
    BeginWaitCursor();
    if (!channel.Write(m_writeCopy.data(), kWriteCommand, kConfigBlockLength) &&
        !channel.Write(m_writeCopy.data(), kWriteCommand, kConfigBlockLength)) {
        AfxMessageBox(kMsgAttach);
        g_progressDlg.PostMessage(WM_CLOSE);
        channel.Close();
        enableOwnWindow();
        EndWaitCursor();
        return 1;
    }
    EndWaitCursor();
    channel.Close();
    return 0;
}
