#pragma once

#include "TransferFixture.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <string>

namespace tabulex::test {

// What one run of tabulex-batch gave.
struct BatchResult {
    int exitCode = -1;
    QString out;
    QString err;
};

// The run's exit status and both outputs, for a failing check's message.
std::string explain(const BatchResult& r);

// Runs the real tabulex-batch against the test program's stand-in and the test's Paradox
// folder, with a private settings store.
class BatchTest : public TransferTest {
protected:
    void SetUp() override;

    // The connection flags for the stand-in and the test's folder.
    QStringList connection() const;
    // Runs with standard input from a pipe (input, then end of file) and no terminal.
    BatchResult batch(const QStringList& arguments, const QByteArray& input = {}) const;
    // Runs on a pseudo terminal that first receives input; out holds everything shown.
    BatchResult batchOnTerminal(const QStringList& arguments, const QByteArray& input) const;

    // The SQL Server tables as the table window lists them.
    QStringList sqlTables() const;
    // The files of the test's folder, sorted.
    QStringList folderFiles() const;
    // A table on the stand-in with the rows 1..rows.
    static void makeSqlTable(const QString& name, int rows);

    QString passwordFile() const { return m_passwordFile; }

private:
    QTemporaryDir m_private; // the password file, outside the Paradox folder
    QString m_passwordFile;
};

// Every row of a table of a Paradox folder, and its fields' types and sizes.
Rows paradoxTable(const QString& folder, const QString& table, QStringList* fields = nullptr);
// The same of a SQL Server table.
Rows sqlTable(const QString& connectionString, const QString& table, QStringList* fields = nullptr);

} // namespace tabulex::test
