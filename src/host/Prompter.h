#pragma once

#include "host/CustomizeRequest.h"
#include "host/CustomizeResult.h"

#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>
#include <vector>

namespace tabulex {

// What a run of several tables did, one row of texts per table under the headings.
struct RunResults {
    QString title;
    QStringList headings;
    std::vector<QStringList> rows;
    // Where the rows that failed and damage reports are kept; empty when nothing was kept.
    QString keptFolder;
};

// Every modal interaction of the program goes through one Prompter: the windows get the Qt
// one, tests a scripted one that answers from a queue and records what was asked.
class Prompter {
public:
    virtual ~Prompter() = default;

    // A message with the OK button and no icon.
    virtual void message(const QString& text, const QString& title) = 0;
    // A question with Yes and No, no icon; true for Yes.
    virtual bool question(const QString& text, const QString& title) = 0;
    // The same question with No as the default button, for answers that lose data.
    virtual bool questionDefaultNo(const QString& text, const QString& title)
    {
        return question(text, title);
    }
    // A message with the OK button and no icon, and details (the driver's own text, say)
    // behind a button of their own.
    virtual void messageWithDetails(const QString& text, const QString& /*details*/,
                                    const QString& title)
    {
        message(text, title);
    }
    // A text input box with OK and Cancel; Cancel gives the empty text.
    virtual QString inputBox(const QString& prompt, const QString& title,
                             const QString& defaultText) = 0;
    // The folder picker; Cancel gives the empty text.
    virtual QString browseFolder(const QString& title, const QString& startFolder) = 0;
    // The error report: warning icon, OK only, title "Application Error".
    virtual void errorReport(const QString& text) = 0;
    // The error report of a row that did not arrive, with the check box
    // kQuietRowErrorsText; true when the user ticked it.
    virtual bool rowErrorReport(const QString& text)
    {
        errorReport(text);
        return false;
    }
    // Opens a file or web address with the desktop's viewer; does not wait. When no viewer
    // takes it, a message gives the path or the address.
    virtual void openUrl(const QUrl& url) = 0;
    // The results of a run of several tables as a table the user can read and copy, with a
    // button that opens the folder of kept rows (openUrl) when there is one; modal.
    virtual void showResults(const RunResults& results) = 0;
    // The data type window for one table, modal; nothing when the user left it without
    // applying.
    virtual std::optional<CustomizeResult> customizeTypes(const CustomizeRequest& request) = 0;
};

inline const QString kQuietRowErrorsText =
    QStringLiteral("Do not show further row errors of this table");

} // namespace tabulex
