#include "ui/common/CommandGuard.h"

namespace tabulex {

CommandGuard::CommandGuard(const QList<QWidget*>& controls)
{
    for (QWidget* w : controls) {
        if (w->testAttribute(Qt::WA_ForceDisabled))
            continue; // disabled by someone else (an outer guard): theirs to enable
        w->setEnabled(false);
        m_disabled << w;
    }
}

CommandGuard::~CommandGuard()
{
    for (const QPointer<QWidget>& w : std::as_const(m_disabled))
        if (w)
            w->setEnabled(true);
}

} // namespace tabulex
