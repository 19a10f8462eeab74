#include "transfer/Transfers.h"

#include "core/AdoTypes.h"
#include "core/AppInfo.h"
#include "core/DataError.h"
#include "data/Connection.h"
#include "data/Recordset.h"
#include "host/CommandHost.h"
#include "host/ErrorTrap.h"
#include "host/Prompter.h"
#include "host/TableList.h"
#include "staging/ParadoxExport.h"
#include "staging/ParadoxFields.h"
#include "staging/StagingStore.h"
#include "transfer/CopyRows.h"
#include "transfer/SqlRowTarget.h"
#include "transfer/StagingRowTarget.h"
#include "transfer/Statements.h"

#include <QSet>

#include <memory>

namespace tabulex {

namespace {

const QString kNothingSelected = QStringLiteral("Please select a table to send.");

// The state of one run: its connections, the statement in hand and the error trap.
struct Run {
    Run(TransferContext& c, const QString& procedure)
        : ctx(c), trap(c.host->prompter(), c.module, procedure)
    {
        trap.showStatement(&current);
    }
    TransferContext& ctx;
    ErrorTrap trap;
    QString current;
    // The window's outcome for the table in hand; nullopt under the default mapping.
    std::optional<CustomizeResult> chosen;
    TransferSummary summary;
};

std::vector<ColumnPlan> defaultPlans(const Fields& fields, Direction d)
{
    std::vector<ColumnPlan> plans;
    for (const Field& f : fields)
        plans.push_back(defaultColumnPlan(f, d));
    return plans;
}

// The column plans for the window's chosen types.
std::vector<ColumnPlan> chosenPlans(const Fields& fields, const std::vector<QString>& types,
                                    Direction d)
{
    std::vector<ColumnPlan> plans;
    for (int i = 0; i < fields.count(); ++i) {
        const QString type = size_t(i) < types.size() ? types[size_t(i)] : QString();
        plans.push_back(chosenColumnPlan(fields[i], type, d));
    }
    return plans;
}

// The customization branch: the window completes the statement, or the run ends.
bool customize(Run& run, Recordset& source, const CustomizeRequest& request, Direction d,
               std::vector<ColumnPlan>& plans)
{
    const auto result = run.ctx.host->prompter().customizeTypes(request);
    if (!result)
        return false;
    run.current = result->statement;
    if (run.current == request.head) {
        plans = defaultPlans(source.fields(), d);
        run.current = completeCreateTable(request.head, source.fields(), plans, run.ctx.host);
    } else {
        plans = chosenPlans(source.fields(), result->columnTypes, d);
        run.chosen = result;
    }
    return true;
}

void openConnection(Connection& c, const QString& connectionString) { c.open(connectionString); }

// The staging table's fields: the window's names and types when it chose them, else each
// source field under its default plan.
std::vector<staging::StagingField> stagingFields(const Run& run, const Fields& fields,
                                                 const std::vector<ColumnPlan>& plans)
{
    std::vector<staging::StagingField> out;
    if (run.chosen) {
        const std::vector<QString>& names = run.chosen->columnNames;
        const std::vector<QString>& types = run.chosen->columnTypes;
        for (size_t i = 0; i < types.size(); ++i) {
            const QString name = i < names.size() ? names[i] : QString();
            out.push_back({name, staging::requireColumnType(types[i], name)});
        }
        return out;
    }
    for (int i = 0; i < fields.count(); ++i)
        out.push_back({fields[i].name, plans[size_t(i)].stagingType.value()});
    return out;
}

void closeIfOpen(Connection& c)
{
    if (c.state() != ado::adStateClosed)
        c.close();
}

// One table towards Paradox; false when the whole run ends (the window was left).
bool tableToParadox(Run& run, const QString& sourceName, staging::StagingStore* store,
                    Connection& paradox, Connection& sql, QSet<QString>& writtenThisRun)
{
    TransferContext& ctx = run.ctx;
    ErrorTrap& trap = run.trap;
    Prompter& prompter = ctx.host->prompter();
    QString paradoxName = sourceName;
    std::optional<bool> answer;
    run.chosen.reset();
    trap.step(114, [&] {
        if (paradoxName.size() <= 8)
            return;
        const QString cut = paradoxName.left(8);
        if (prompter.question(paradoxName.toUpper() +
                                  QStringLiteral(" is more than 8 characters. It will be trimmed "
                                                 "into ") +
                                  cut.toUpper() + QStringLiteral(". Continue?"),
                              QStringLiteral("Continue?")))
            paradoxName = cut;
        else
            answer = false;
    });
    trap.step(116, [&] {
        if (answer != false && listContains(*ctx.paradoxList, paradoxName))
            answer = prompter.question(QStringLiteral("Would you like to overwrite ") +
                                           paradoxName + u'?',
                                       QStringLiteral("Overwrite?"));
    });
    if (answer == false) {
        ++run.summary.tablesSkipped;
        return true;
    }
    // Two names cut to the same eight characters must not replace each other.
    if (writtenThisRun.contains(paradoxName.toUpper())) {
        trap.report(118, QStringLiteral("The Paradox table %1 was already written in this run "
                                        "from another table; %2 is not sent.")
                             .arg(paradoxName, sourceName));
        ++run.summary.tablesFailed;
        return true;
    }
    if (!trap.step(119, [&] { staging::checkParadoxTableName(paradoxName); })) {
        ++run.summary.tablesFailed;
        return true;
    }

    auto source = std::make_unique<Recordset>();
    trap.step(120, [&] {
        source->cursorLocation = ado::adUseClient;
        source->open(QStringLiteral("SELECT * FROM ") + bracketName(sourceName), sql);
    });
    const QString head = QStringLiteral("CREATE TABLE ") + graveName(sourceName) + u'(';
    run.current = head;
    std::vector<ColumnPlan> plans;
    if (ctx.customize) {
        if (!customize(run, *source, {kParadoxTarget, sourceName, head, ctx.sqlConnectionString()},
                       Direction::ToParadox, plans))
            return false;
    } else {
        trap.step(124, [&] {
            plans = defaultPlans(source->fields(), Direction::ToParadox);
            run.current = completeCreateTable(head, source->fields(), plans, ctx.host);
        });
    }
    // A table no Paradox table can hold fails here, before anything is dropped or copied.
    if (!trap.step(122, [&] {
            staging::requireParadoxCapacity(
                paradoxName, stagingFields(run, source->fields(), plans), source->recordCount());
        })) {
        ++run.summary.tablesFailed;
        return true;
    }
    if (answer == true && trap.step(126, [&] {
            paradox.execute(QStringLiteral("DROP TABLE ") + bracketName(paradoxName));
        }))
        trap.step(128, [&] { removeListItem(*ctx.paradoxList, paradoxName); });
    // A staging table left over under this name goes first.
    trap.step(130, [&] {
        if (openedStore(store).hasTable(sourceName))
            openedStore(store).dropTable(sourceName);
    });
    trap.step(134, [&] {
        openedStore(store).createTable(sourceName, stagingFields(run, source->fields(), plans));
    });
    StagingRowTarget target(store, sourceName, plans, run.current, *ctx.host);
    const CopyResult rows = copyRows(*ctx.host, trap, 136, *source, target);
    run.summary.rowsCopied += rows.copied;
    run.summary.rowsFailed += rows.failed;
    const QString folder = collapseBackslashes(ctx.paradoxFolder() + u'/');
    const bool exported = trap.step(142, [&] {
        staging::exportToParadox(openedStore(store), sourceName, folder, paradoxName);
        ctx.host->processEvents();
    });
    if (exported)
        writtenThisRun.insert(paradoxName.toUpper());
    ++(exported && rows.failed == 0 ? run.summary.tablesSent : run.summary.tablesFailed);
    trap.step(144, [&] {
        if (openedStore(store).hasTable(sourceName)) {
            openedStore(store).dropTable(sourceName);
            ctx.host->processEvents();
        }
    });
    return true;
}

// One table towards SQL Server; false when the whole run ends (the window was left).
bool tableToSqlServer(Run& run, const QString& tableName, Connection& paradox, Connection& sql)
{
    TransferContext& ctx = run.ctx;
    ErrorTrap& trap = run.trap;
    std::optional<bool> answer;
    trap.step(112, [&] {
        if (listContains(*ctx.sqlList, tableName))
            answer = ctx.host->prompter().question(QStringLiteral("Would you like to overwrite ") +
                                                       tableName + u'?',
                                                   QStringLiteral("Overwrite?"));
    });
    if (answer == false) {
        ++run.summary.tablesSkipped;
        return true;
    }
    const auto dropOld = [&] {
        if (answer == true && trap.step(116, [&] {
                sql.execute(QStringLiteral("DROP TABLE ") + bracketName(tableName));
            }))
            trap.step(118, [&] { removeListItem(*ctx.sqlList, tableName); });
    };
    // With the data type window the old table goes only once the window was applied.
    if (!ctx.customize)
        dropOld();
    auto source = std::make_unique<Recordset>();
    trap.step(120, [&] {
        source->open(QStringLiteral("SELECT * FROM ") + bracketName(tableName), paradox);
    });
    const QString head = QStringLiteral("CREATE TABLE ") + bracketName(tableName) + u'(';
    run.current = head;
    std::vector<ColumnPlan> plans;
    if (ctx.customize) {
        if (!customize(run, *source,
                       {kSqlServerTarget, tableName, head, ctx.paradoxConnectionString()},
                       Direction::ToSqlServer, plans))
            return false;
        dropOld();
    } else {
        trap.step(124, [&] {
            plans = defaultPlans(source->fields(), Direction::ToSqlServer);
            run.current = completeCreateTable(head, source->fields(), plans, ctx.host);
        });
    }
    const bool created = trap.step(126, [&] { sql.execute(run.current); });
    SqlRowTarget target(sql, tableName, plans, run.current, *ctx.host);
    const CopyResult rows = copyRows(*ctx.host, trap, 128, *source, target);
    run.summary.rowsCopied += rows.copied;
    run.summary.rowsFailed += rows.failed;
    ++(created && rows.failed == 0 ? run.summary.tablesSent : run.summary.tablesFailed);
    // The list shows the table only when the server has it.
    if (created)
        trap.step(134, [&] { ctx.sqlList->addItem(tableName); });
    return true;
}

} // namespace

TransferSummary sendTablesToParadox(TransferContext& ctx)
{
    Run run(ctx, QStringLiteral("PushButton3_Click"));
    std::unique_ptr<staging::StagingStore> store;
    Connection paradox, sql;
    if (ctx.sqlList->currentIndex() == -1) {
        ctx.host->prompter().message(kNothingSelected, appTitle());
        run.summary.nothingSelected = true;
        return run.summary;
    }
    ctx.host->setWaitPointer(true);
    ctx.host->processEvents();
    run.trap.step(106, [&] { store = std::make_unique<staging::StagingStore>(); });
    run.trap.step(108, [&] {
        paradox.cursorLocation = ado::adUseClient;
        openConnection(paradox, ctx.paradoxConnectionString());
    });
    run.trap.step(110, [&] {
        sql.cursorLocation = ado::adUseServer;
        sql.commandTimeout = 5000;
        sql.connectionTimeout = 5000;
        openConnection(sql, ctx.sqlConnectionString());
    });
    QSet<QString> written;
    for (int i = ctx.sqlList->count() - 1; i >= 0; --i) {
        if (!ctx.sqlList->isSelected(i))
            continue;
        if (!tableToParadox(run, ctx.sqlList->item(i), store.get(), paradox, sql, written)) {
            run.summary.cancelled = true;
            run.trap.step(150, [&] { closeIfOpen(paradox); });
            run.trap.step(152, [&] { closeIfOpen(sql); });
            ctx.host->setWaitPointer(false);
            return run.summary;
        }
    }
    run.trap.step(148, [&] {
        if (ctx.refillParadoxList)
            ctx.refillParadoxList();
    });
    ctx.host->setWaitPointer(false);
    run.trap.step(154, [&] { paradox.close(); });
    run.trap.step(156, [&] {
        openedStore(store.get());
        store.reset();
    });
    run.trap.step(158, [&] { sql.close(); });
    return run.summary;
}

TransferSummary sendTablesToSqlServer(TransferContext& ctx)
{
    Run run(ctx, QStringLiteral("PushButton4_Click"));
    Connection sql, paradox;
    if (ctx.paradoxList->currentIndex() == -1) {
        ctx.host->prompter().message(kNothingSelected, appTitle());
        run.summary.nothingSelected = true;
        return run.summary;
    }
    ctx.host->setWaitPointer(true);
    run.trap.step(106, [&] {
        paradox.cursorLocation = ado::adUseClient;
        openConnection(paradox, ctx.paradoxConnectionString());
    });
    run.trap.step(108, [&] {
        sql.cursorLocation = ado::adUseServer;
        sql.commandTimeout = 5000;
        sql.connectionTimeout = 5000;
        openConnection(sql, ctx.sqlConnectionString());
    });
    for (int i = ctx.paradoxList->count() - 1; i >= 0; --i) {
        if (!ctx.paradoxList->isSelected(i))
            continue;
        if (!tableToSqlServer(run, ctx.paradoxList->item(i), paradox, sql)) {
            run.summary.cancelled = true;
            run.trap.step(150, [&] { closeIfOpen(paradox); });
            run.trap.step(152, [&] { closeIfOpen(sql); });
            ctx.host->setWaitPointer(false);
            return run.summary;
        }
    }
    ctx.host->setWaitPointer(false);
    run.trap.step(154, [&] { sql.close(); });
    run.trap.step(156, [&] { paradox.close(); });
    return run.summary;
}

} // namespace tabulex
