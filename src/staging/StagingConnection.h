#pragma once

#include "core/Driver.h"
#include "staging/StagingStore.h"

#include <QString>

#include <memory>

namespace tabulex::staging {

// The staging database reached by the staging connection string
// "PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=...;". Each connection gets a store of its
// own, created in a per-user temporary folder and deleted at close, so the data source
// named beside the program is never written.
class StagingConnection : public DriverConnection {
public:
    static std::unique_ptr<StagingConnection> open(const QString& connectionString);

    void execute(const QString& statement) override;
    std::unique_ptr<DriverCursor> query(const QString& statement) override;
    std::unique_ptr<DriverCursor> tables() override { return m_store.tables(); }
    void setCommandTimeout(int) override {}

    // The row of "INSERT INTO [table] VALUES(...)" handed over as its values, without the
    // statement text; the same checks and the same outcome as executing the statement.
    void insertRow(const QString& table, const std::vector<Literal>& values)
    {
        m_store.insert(table, values);
    }

    StagingStore& store() { return m_store; }

private:
    StagingStore m_store;
};

} // namespace tabulex::staging
