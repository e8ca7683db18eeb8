#pragma once

#include "platform/Afx.h"
#include "resources/Dialog140Ids.h"

#include <string>

// "Updating..": counts 1 per cent per tick up to 100 and ends on the tick after it, or
// earlier on a close request (the writer's, after a failure) or Enter/Escape.
class CProgressDlg : public CDialog {
public:
    CProgressDlg();

    BOOL OnInitDialog() override;
    int Percent() const { return m_nPercent; }

    // The product ticks every 200 ms; tests may shorten it (0 restores the product's tick).
    static void SetTickIntervalForTesting(UINT ms);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnTimer(UINT_PTR id) override;
    void OnClose() override;

    CProgressCtrl m_progress;
    std::string m_strPercent;
    UINT_PTR m_nTimerId = 0;
    int m_nPercent = 0;
};

extern CProgressDlg g_progressDlg;
