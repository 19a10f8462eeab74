#pragma once

#include <QString>

#include <memory>

class QFile;

namespace tabulex {

// The rows of one table that did not arrive, kept so that the user can mend them and send
// them again: one file per table and run in rejectedRowsFolder(), named after the table and
// the time, readable by the user alone. Each row is its error report as comment lines, then
// its INSERT statement: one that can be run where `statementsRun`, else the row's values as
// the staging store would have taken them. The file is made at the first row.
class RejectedRows {
public:
    explicit RejectedRows(QString table, bool statementsRun = true);
    ~RejectedRows();
    RejectedRows(const RejectedRows&) = delete;
    RejectedRows& operator=(const RejectedRows&) = delete;

    void add(const QString& report, const QString& statement);

    qint64 rows() const { return m_rows; }
    const QString& table() const { return m_table; }
    // The file, once a row is in it.
    const QString& path() const { return m_path; }
    // Why rows could not be kept, when they could not.
    const QString& error() const { return m_error; }

private:
    bool open();

    QString m_table;
    bool m_statementsRun;
    QString m_path;
    QString m_error;
    std::unique_ptr<QFile> m_file;
    qint64 m_rows = 0;
};

// $XDG_STATE_HOME/Quorvane/rejected, by default ~/.local/state/Quorvane/rejected.
QString rejectedRowsFolder();

// Keeps the damage report of a salvaged table in a file of rejectedRowsFolder() beside the
// rejected rows: the file, or empty with the reason in `error`.
QString keepDamageReport(const QString& table, const QString& report, QString& error);

} // namespace tabulex
