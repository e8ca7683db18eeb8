#pragma once

#include "Wnd.h"

class CProgressCtrl : public CWnd {
public:
    void SetRange(short lower, short upper);
    int SetStep(int step);
    int SetPos(int pos);
    int GetPos() const;
    int StepIt();

private:
    int m_step = 10;
};
