#pragma once

#include "batch/BatchOptions.h"
#include "host/Prompter.h"

namespace tabulex::batch {

class Console;

// The prompter of tabulex-batch: the questions of the windows are answered by the flags or
// on the terminal, the rename's input box by the new name of the command line; messages and
// error reports go to standard error with the text the windows show.
class BatchPrompter : public Prompter {
public:
    BatchPrompter(Console& console, Answer overwrite, Answer cut, Answer damaged,
                  QString newName = {}, bool ignoreStaleLocks = false);

    void message(const QString& text, const QString& title) override;
    bool question(const QString& text, const QString& title) override;
    QString inputBox(const QString& prompt, const QString& title,
                     const QString& defaultText) override;
    // Cancelled: the folder comes from the command line or the settings store.
    QString browseFolder(const QString& title, const QString& startFolder) override;
    void errorReport(const QString& text) override;
    // The first kFullRowReports row errors of a run in full, then one line saying the rest
    // are counted (the table's end line and the rejected-rows file have them).
    bool rowErrorReport(const QString& text) override;
    // A terminal cannot open it: the address goes to standard error.
    void openUrl(const QUrl& url) override;
    // The table's rows as lines on standard error, columns apart by tabs.
    void showResults(const RunResults& results) override;
    // The batch offers no data type window: the head comes back unchanged, so the transfer
    // completes it with its default mapping.
    std::optional<CustomizeResult> customizeTypes(const CustomizeRequest& request) override;

    int errorReports() const { return m_errorReports; }
    int messages() const { return m_messages; }
    // Questions answered No.
    int declined() const { return m_declined; }
    // Tables kept because of their stale lock files (no --ignore-stale-locks).
    int staleLocksKept() const { return m_staleLocksKept; }
    // A question came that no flag answers and no terminal could ask: answered No.
    bool unanswerable() const { return m_unanswerable; }

private:
    Console& m_console;
    Answer m_overwrite;
    Answer m_cut;
    Answer m_damaged;
    QString m_newName;
    bool m_ignoreStaleLocks = false;
    int m_staleLocksKept = 0;
    int m_errorReports = 0;
    int m_rowReports = 0;
    int m_messages = 0;
    int m_declined = 0;
    bool m_unanswerable = false;
};

inline constexpr int kFullRowReports = 5;

inline const QString kOverwriteTitle = QStringLiteral("Overwrite?");
inline const QString kContinueTitle = QStringLiteral("Continue?");

} // namespace tabulex::batch
