#pragma once

#include "host/Prompter.h"

#include <functional>

class QWidget;

namespace tabulex {

// The Prompter of the running program: Qt message boxes, input dialog, folder dialog and a
// fresh data type window for each opening. Once the program is closing nothing opens: the
// answers are No, Cancel and the empty text.
class QtPrompter : public Prompter {
public:
    void message(const QString& text, const QString& title) override;
    bool question(const QString& text, const QString& title) override;
    bool questionDefaultNo(const QString& text, const QString& title) override;
    void messageWithDetails(const QString& text, const QString& details,
                            const QString& title) override;
    QString inputBox(const QString& prompt, const QString& title,
                     const QString& defaultText) override;
    QString browseFolder(const QString& title, const QString& startFolder) override;
    void errorReport(const QString& text) override;
    bool rowErrorReport(const QString& text) override;
    void openUrl(const QUrl& url) override;
    void showResults(const RunResults& results) override;
    std::optional<CustomizeResult> customizeTypes(const CustomizeRequest& request) override;

    // The window the dialogs belong to when no modal window is open.
    void setOwnerWindow(std::function<QWidget*()> ownerWindow);
    // The window a dialog opens over: the open modal window (the data type window, say),
    // else the owner window, else the active window.
    QWidget* dialogOwner() const;

private:
    std::function<QWidget*()> m_ownerWindow;
};

} // namespace tabulex
