#include "ProgressDlg.h"

namespace {
constexpr UINT kTickMs = 200;
UINT g_tickMs = kTickMs;
} // namespace

void CProgressDlg::SetTickIntervalForTesting(UINT ms) {
    g_tickMs = ms ? ms : kTickMs;
}

CProgressDlg::CProgressDlg() : CDialog(IDD_PROGRESS, nullptr) {}

void CProgressDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_PROGRESS_BAR, m_progress);
    DDX_Text(pDX, IDC_PROGRESS_PERCENT, m_strPercent);
}

BOOL CProgressDlg::OnInitDialog() {
    m_nPercent = 0;
    m_strPercent.clear();
    CDialog::OnInitDialog();
    m_progress.SetRange(0, 100);
    m_progress.SetStep(1);
    m_progress.SetPos(0);
    m_nTimerId = SetTimer(1, g_tickMs);
    return TRUE;
}

void CProgressDlg::OnTimer(UINT_PTR id) {
    ShowWaitCursor();
    if (m_nPercent >= 100) {
        EndDialog(IDCANCEL);
    } else {
        ++m_nPercent;
        m_progress.SetPos(m_nPercent);
        m_strPercent = std::to_string(m_nPercent);
        UpdateData(FALSE);
    }
    CDialog::OnTimer(id);
}

void CProgressDlg::OnClose() {
    CDialog::OnClose();
}
