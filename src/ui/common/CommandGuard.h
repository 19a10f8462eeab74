#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

namespace tabulex {

// One command at a time: disables the given controls for the length of a scope and enables
// again those it disabled when the scope ends, however it ends. The window still repaints.
class CommandGuard {
public:
    explicit CommandGuard(const QList<QWidget*>& controls);
    ~CommandGuard();
    CommandGuard(const CommandGuard&) = delete;
    CommandGuard& operator=(const CommandGuard&) = delete;

private:
    QList<QPointer<QWidget>> m_disabled;
};

} // namespace tabulex
