#pragma once

#include <QString>

namespace tabulex {

// Where a failing statement stood: the window or module, the procedure, the line label.
struct ErrorLocation {
    QString module;    // "Form1", "Main", "AddFolder" ...
    QString procedure; // "PushButton6_Click" ...
    int line = 0;      // the line label (100, 102, ...)
};

// The text of the error report: description, CR LF, location, "at line " and the label,
// two CRs and the e-mail request; with sql given (the transfers), two more CRs, "sql: " and
// the statement in hand.
QString errorReportText(const QString& description, const ErrorLocation& where,
                        const QString* sql = nullptr);

// The folder walk reports with a location prefix of its own.
QString folderWalkErrorReportText(const QString& description, int line);

inline const QString kErrorReportTitle = QStringLiteral("Application Error");
inline const QString kSupportAddress = QStringLiteral("support@quorvane.com");

} // namespace tabulex
