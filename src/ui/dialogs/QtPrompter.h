#pragma once

#include "host/Prompter.h"

namespace tabulex {

// The Prompter of the running program: Qt message boxes, input dialog and folder dialog.
class QtPrompter : public Prompter {
public:
    void message(const QString& text, const QString& title) override;
    bool question(const QString& text, const QString& title) override;
    QString inputBox(const QString& prompt, const QString& title,
                     const QString& defaultText) override;
    QString browseFolder(QWidget* owner, const QString& title,
                         const QString& startFolder) override;
    void errorReport(const QString& text) override;
    void openUrl(const QUrl& url) override;
    void showDataTypeWindow(Form3& window) override;
};

} // namespace tabulex
