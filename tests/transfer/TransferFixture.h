#pragma once

#include "RowReader.h"
#include "StandinServer.h"
#include "TestHost.h"
#include "data/Connection.h"
#include "data/Recordset.h"
#include "host/MemoryTableList.h"
#include "transfer/Transfers.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace tabulex::test {

// One stand-in for the test program, a fresh database and Paradox folder per test, the
// two lists and a host.
class TransferTest : public ::testing::Test {
public:
    static StandinServer* server;

protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;

    // The context of a run over the two lists; the refill lists the folder's tables.
    TransferContext context();
    TransferSummary toParadox(const QStringList& tables);
    TransferSummary toSqlServer(const QStringList& tables);

    // Every row of a table, read through the program's own drivers.
    Rows paradoxRows(const QString& table, std::vector<Field>* fields = nullptr);
    Rows sqlRows(const QString& table, std::vector<Field>* fields = nullptr);

    // Copies fixture tables (with their companions) into the Paradox folder, writable.
    void copyFixtures(const QString& subfolder, const QStringList& tables);
    // Every fixture table of the db and fields folders; gives their names.
    QStringList copyAllFixtures();
    // The Paradox list as the table window would show it after a refill.
    void refillParadoxList();
    QString folder() const { return m_folder->path(); }

    TestHost host;
    MemoryTableList sqlList;
    MemoryTableList paradoxList;

private:
    std::unique_ptr<QTemporaryDir> m_folder;
};

} // namespace tabulex::test
