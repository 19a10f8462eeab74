#include "transfer/CopyRows.h"
#include "TestHost.h"
#include "core/MemoryCursor.h"
#include "data/Recordset.h"
#include "host/ErrorTrap.h"
#include "staging/StagingStore.h"
#include "transfer/StagingRowTarget.h"

#include <gtest/gtest.h>

using namespace tabulex;
using namespace tabulex::test;

namespace {

// Rows whose count, learned before them, is off: the table changed in between.
class MiscountedCursor : public MemoryCursor {
public:
    MiscountedCursor(int rows, qint64 claimed)
        : MemoryCursor({ColumnInfo{"n", ado::adInteger, 0, 0, 0}}, makeRows(rows)),
          m_claimed(claimed)
    {
    }
    std::optional<qint64> knownRowCount() const override { return m_claimed; }

private:
    static std::vector<std::vector<Value>> makeRows(int n)
    {
        std::vector<std::vector<Value>> rows;
        for (int i = 1; i <= n; ++i)
            rows.push_back({Value(i)});
        return rows;
    }
    qint64 m_claimed;
};

qint64 copy(int rows, qint64 claimed, TestHost& host, staging::StagingStore& store)
{
    store.createTable("T", {{"n", *staging::parseColumnType("INT")}});
    Recordset source;
    source.openCursor(std::make_unique<MiscountedCursor>(rows, claimed), true);
    ErrorTrap trap(host.prompts, "Form2", "PushButton3_Click");
    QString current;
    trap.showStatement(&current);
    const std::vector<ColumnPlan> plans = {ColumnPlan{"INT", LiteralStyle::Quoted, {}}};
    StagingRowTarget target(&store, "T", plans, current);
    const CopyResult r = copyRows(host, trap, 136, current, source, "SELECT * FROM [T]", target);
    EXPECT_TRUE(r.complete);
    qint64 stored = 0;
    store.readRows(store.table("T"), [&](const std::vector<Value>&) { ++stored; });
    EXPECT_EQ(stored, rows);
    store.dropTable("T");
    return r.copied;
}

} // namespace

TEST(CopyRows, EveryRowGoesWhenTheCountLearnedBeforeThemIsOff)
{
    TestHost host;
    staging::StagingStore staging;
    EXPECT_EQ(copy(4, 2, host, staging), 4);
    EXPECT_EQ(host.progress, std::vector<int>({50, 100, 100, 100, 0}));
    host.progress.clear();
    EXPECT_EQ(copy(2, 4, host, staging), 2);
    EXPECT_EQ(host.progress, std::vector<int>({25, 50, 0}));
    EXPECT_TRUE(host.prompts.errorReports().empty());
}
