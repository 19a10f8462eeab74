#include "transfer/Transfers.h"

#include "core/AdoTypes.h"
#include "core/AppInfo.h"
#include "core/DataError.h"
#include "core/StopRequest.h"
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
#include "transfer/SqlTableSwap.h"
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

    // A step with its statement in hand (or none); false when it failed and was reported.
    template <typename F> bool step(int line, const QString& statement, F&& f)
    {
        current = statement;
        return trap.step(line, std::forward<F>(f));
    }
    // The table ends unsent; its cause is the failure reported last.
    void tableFailed(const QString& table)
    {
        ++summary.tablesFailed;
        summary.failures.push_back({table, trap.lastError()});
    }

    TransferContext& ctx;
    ErrorTrap trap;
    QString current;
    // The window's outcome for the table in hand; nullopt under the default mapping.
    std::optional<CustomizeResult> chosen;
    TransferSummary summary;
};

// The rows of a table at its end: counted, their file noted, and, for a table that was sent
// with rows that failed, one message naming the file.
void tableRows(Run& run, const QString& table, const CopyResult& rows, bool sent)
{
    if (sent)
        run.summary.rowsCopied += rows.copied;
    run.summary.rowsFailed += rows.failed;
    if (rows.failed == 0)
        return;
    run.summary.rejected.push_back({table, rows.failed, rows.rejectedFile, rows.rejectedError});
    if (!sent)
        return;
    const bool one = rows.failed == 1;
    QString text = QStringLiteral("%1 %2 of the table %3 failed. ")
                       .arg(rows.failed)
                       .arg(one ? QStringLiteral("row") : QStringLiteral("rows"), table);
    if (!rows.rejectedFile.isEmpty())
        text += (one ? QStringLiteral("It is kept with its error report in ")
                     : QStringLiteral("They are kept with their error reports in ")) +
                rows.rejectedFile;
    if (!rows.rejectedError.isEmpty())
        text += (rows.rejectedFile.isEmpty() ? QString() : QStringLiteral(". ")) +
                QStringLiteral("They could not all be kept: ") + rows.rejectedError;
    run.ctx.host->tableMessage(text);
}

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

// The export as the staging database would have run it, for the reports.
QString exportStatement(const QString& folder, const QString& paradoxName, const QString& source)
{
    return QStringLiteral("select * into [Paradox 5.x;Database=") + folder + QStringLiteral("].[") +
           paradoxName + QStringLiteral(".db] from ") + bracketName(source);
}

void closeIfOpen(Connection& c)
{
    if (c.state() != ado::adStateClosed)
        c.close();
}

// The questions before a table towards Paradox: the cut to eight characters, then the
// overwrite. The answer: No skips the table, Yes replaces the table of that name.
std::optional<bool> askParadoxName(Run& run, QString& paradoxName)
{
    Prompter& prompter = run.ctx.host->prompter();
    std::optional<bool> answer;
    run.step(114, {}, [&] {
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
    run.step(116, {}, [&] {
        if (answer != false && listContains(*run.ctx.paradoxList, paradoxName))
            answer = prompter.question(QStringLiteral("Would you like to overwrite ") +
                                           paradoxName + u'?',
                                       QStringLiteral("Overwrite?"));
    });
    return answer;
}

// The CREATE TABLE statement and column plans of a table, from the window or the default
// mapping; false when the run ends (the window was left) or the table failed.
bool planTable(Run& run, Recordset& source, const CustomizeRequest& request, Direction d,
               std::vector<ColumnPlan>& plans, bool& runEnds)
{
    run.current = request.head;
    if (run.ctx.customize) {
        runEnds = !customize(run, source, request, d, plans);
        return !runEnds;
    }
    return run.trap.step(124, [&] {
        plans = defaultPlans(source.fields(), d);
        run.current = completeCreateTable(request.head, source.fields(), plans, run.ctx.host);
    });
}

// One table towards Paradox; false when the whole run ends (the window was left).
bool tableToParadox(Run& run, const QString& sourceName, staging::StagingStore* store,
                    Connection& sql, QSet<QString>& writtenThisRun)
{
    TransferContext& ctx = run.ctx;
    QString paradoxName = sourceName;
    run.chosen.reset();
    const std::optional<bool> answer = askParadoxName(run, paradoxName);
    if (answer == false) {
        ++run.summary.tablesSkipped;
        return true;
    }
    // Two names cut to the same eight characters must not replace each other.
    if (writtenThisRun.contains(paradoxName.toUpper())) {
        run.current.clear();
        run.trap.report(118, QStringLiteral("The Paradox table %1 was already written in this "
                                            "run from another table; %2 is not sent.")
                                 .arg(paradoxName, sourceName));
        run.tableFailed(sourceName);
        return true;
    }
    if (!run.step(119, {}, [&] { staging::checkParadoxTableName(paradoxName); })) {
        run.tableFailed(sourceName);
        return true;
    }
    // The source is open and its fields known before anything on the target changes.
    const QString select = QStringLiteral("SELECT * FROM ") + bracketName(sourceName);
    auto source = std::make_unique<Recordset>();
    std::vector<ColumnPlan> plans;
    bool runEnds = false;
    const QString head = QStringLiteral("CREATE TABLE ") + graveName(sourceName) + u'(';
    if (!run.step(120, select,
                  [&] {
                      source->cursorLocation = ado::adUseClient;
                      source->open(select, sql);
                  }) ||
        !planTable(run, *source, {kParadoxTarget, sourceName, head, ctx.sqlConnectionString()},
                   Direction::ToParadox, plans, runEnds)) {
        if (!runEnds)
            run.tableFailed(sourceName);
        return !runEnds;
    }
    const QString created = run.current;
    // A table no Paradox table can hold fails here, before anything is copied.
    if (!run.step(122, created, [&] {
            staging::requireParadoxCapacity(
                paradoxName, stagingFields(run, source->fields(), plans), source->recordCount());
        })) {
        run.tableFailed(sourceName);
        return true;
    }
    // A staging table left over under this name goes first.
    const auto dropStaging = [&](int line) {
        return run.step(line, {}, [&] {
            if (openedStore(store).hasTable(sourceName))
                openedStore(store).dropTable(sourceName);
            ctx.host->processEvents();
        });
    };
    if (!dropStaging(130) || !run.step(134, created, [&] {
            openedStore(store).createTable(sourceName, stagingFields(run, source->fields(), plans));
        })) {
        run.tableFailed(sourceName);
        return true;
    }
    StagingRowTarget target(store, sourceName, plans, run.current, *ctx.host);
    const CopyResult rows =
        copyRows(*ctx.host, run.trap, 136, run.current, *source, select, target);
    const QString folder = collapseBackslashes(ctx.paradoxFolder() + u'/');
    const bool exported =
        rows.complete && run.step(142, exportStatement(folder, paradoxName, sourceName), [&] {
            // A closing program stops the writing; the table is not placed.
            staging::exportToParadox(openedStore(store), sourceName, folder, paradoxName,
                                     answer == true, [&] {
                                         ctx.host->processEvents();
                                         stopIfRequested();
                                     });
            ctx.host->processEvents();
        });
    if (exported) {
        writtenThisRun.insert(paradoxName.toUpper());
        ++run.summary.tablesSent;
        if (const QString rounded = roundedValuesMessage(openedStore(store), sourceName);
            !rounded.isEmpty())
            ctx.host->tableMessage(rounded);
    } else {
        run.tableFailed(sourceName);
    }
    dropStaging(144);
    tableRows(run, sourceName, rows, exported);
    return true;
}

// One table towards SQL Server; false when the whole run ends (the window was left).
bool tableToSqlServer(Run& run, const QString& tableName, Connection& paradox, Connection& sql)
{
    TransferContext& ctx = run.ctx;
    ErrorTrap& trap = run.trap;
    std::optional<bool> answer;
    run.step(112, {}, [&] {
        if (listContains(*ctx.sqlList, tableName))
            answer = ctx.host->prompter().question(QStringLiteral("Would you like to overwrite ") +
                                                       tableName + u'?',
                                                   QStringLiteral("Overwrite?"));
    });
    if (answer == false) {
        ++run.summary.tablesSkipped;
        return true;
    }
    // The source is open and its fields known before anything on the server changes; the
    // table is built under a name of its own and takes its name only once it is complete.
    const QString select = QStringLiteral("SELECT * FROM ") + bracketName(tableName);
    auto source = std::make_unique<Recordset>();
    std::vector<ColumnPlan> plans;
    bool runEnds = false;
    const QString head = QStringLiteral("CREATE TABLE ") + bracketName(tableName) + u'(';
    SqlTableSwap swap(sql, tableName);
    if (!run.step(120, select, [&] { source->open(select, paradox); }) ||
        !planTable(run, *source, {kSqlServerTarget, tableName, head, ctx.paradoxConnectionString()},
                   Direction::ToSqlServer, plans, runEnds) ||
        !trap.step(126, [&] { swap.create(run.current, head); })) {
        if (!runEnds)
            run.tableFailed(tableName);
        return !runEnds;
    }
    SqlRowTarget target(sql, tableName, swap.building(), plans, run.current, *ctx.host,
                        ctx.rowsPerStatement);
    const CopyResult rows = copyRows(*ctx.host, trap, 128, run.current, *source, select, target);
    const bool published = rows.complete && run.step(136, swap.publishStatement(),
                                                     [&] { swap.publish(answer == true); });
    if (!rows.complete)
        swap.discard();
    if (!published) {
        run.tableFailed(tableName);
        tableRows(run, tableName, rows, false);
        return true;
    }
    ++run.summary.tablesSent;
    trap.step(138, [&] { swap.dropReplaced(run.current); });
    // The list shows the table only when the server has it.
    run.step(134, {}, [&] {
        removeListItem(*ctx.sqlList, tableName);
        ctx.sqlList->addItem(tableName);
    });
    tableRows(run, tableName, rows, true);
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
        stopIfRequested();
        if (!tableToParadox(run, ctx.sqlList->item(i), store.get(), sql, written)) {
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
        stopIfRequested();
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
