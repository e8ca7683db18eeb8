#include "platform/ProgressCtrl.h"

#include "QtWindow.h"

#include <QProgressBar>

namespace {
constexpr auto Bar = &qt::WidgetAs<QProgressBar>;
} // namespace

void CProgressCtrl::SetRange(short lower, short upper) {
    if (QProgressBar* b = Bar(this))
        b->setRange(lower, upper);
}

int CProgressCtrl::SetStep(int step) {
    int previous = m_step;
    m_step = step;
    return previous;
}

int CProgressCtrl::SetPos(int pos) {
    QProgressBar* b = Bar(this);
    if (!b)
        return 0;
    int previous = b->value();
    b->setValue(std::max(b->minimum(), std::min(pos, b->maximum())));
    // The toolkit repaints a bar only once its change exceeds a style's chunk width (some
    // ten per cent of a bar this small); a smooth bar shows every step.
    if (b->value() != previous)
        b->update();
    return previous;
}

int CProgressCtrl::GetPos() const {
    QProgressBar* b = Bar(this);
    return b ? std::max(b->value(), b->minimum()) : 0;
}

int CProgressCtrl::StepIt() {
    return SetPos(GetPos() + m_step);
}
