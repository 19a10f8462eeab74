#include "transfer/Transfers.h"

#include "core/AdoTypes.h"
#include "core/AppInfo.h"
#include "core/DataError.h"
#include "core/StopRequest.h"
#include "data/Connection.h"
#include "data/Recordset.h"
#include "folders/PathEncoding.h"
#include "folders/TableLocks.h"
#include "host/CommandHost.h"
#include "host/ErrorTrap.h"
#include "host/Prompter.h"
#include "host/TableList.h"
#include "paradox/TableFiles.h"
#include "staging/StagingStore.h"
#include "tables/SqlRunMark.h"
#include "transfer/CopyRows.h"
#include "transfer/FaithfulPlans.h"
#include "transfer/FaithfulTypes.h"
#include "transfer/RejectedRows.h"
#include "transfer/RowDigests.h"
#include "transfer/SqlRowTarget.h"
#include "transfer/SqlTableSwap.h"
#include "transfer/StagedParadoxTable.h"
#include "transfer/StagingRowTarget.h"
#include "transfer/Statements.h"
#include "transfer/TableDamage.h"

#include <QElapsedTimer>
#include <QHash>
#include <QScopeGuard>
#include <QSet>

#include <memory>
#include <optional>

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
    // The code page of the table in hand: the run's, or the window's choice.
    int codePage = 0;
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
    QString text = QStringLiteral("%1 %2 of the table %3 failed, %4 arrived. ")
                       .arg(rows.failed)
                       .arg(one ? QStringLiteral("row") : QStringLiteral("rows"), table)
                       .arg(rows.copied);
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
    CustomizeRequest asked = request;
    asked.codePage = run.codePage;
    const auto result = run.ctx.host->prompter().customizeTypes(asked);
    if (!result)
        return false;
    run.codePage = result->codePage;
    run.current = result->statement;
    if (run.current == request.head) {
        plans = defaultPlans(source.fields(), d);
        run.current = completeCreateTable(request.head, source.fields(), plans);
    } else {
        plans = chosenPlans(source.fields(), result->columnTypes, d);
        run.chosen = result;
    }
    return true;
}

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
            // Under the faithful mapping the window speaks of Paradox fields.
            const auto field =
                run.ctx.mapping == Mapping::Faithful ? paradoxFieldOfWord(types[i]) : std::nullopt;
            out.push_back({name, field ? staging::paradoxColumnType(field->type, field->size)
                                       : staging::requireColumnType(types[i], name)});
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

// The items of tables in the folder itself that equal name ignoring case.
QStringList folderTablesLike(const TableList& list, const QString& name)
{
    QStringList like;
    for (int i = 0; i < list.count(); ++i)
        if (!list.item(i).contains(u'/') && list.item(i).compare(name, Qt::CaseInsensitive) == 0)
            like << list.item(i);
    return like;
}

// The question before a table replaces one of its name on the target.
bool askOverwrite(Run& run, const QString& table)
{
    return run.ctx.host->prompter().question(QStringLiteral("Would you like to overwrite ") +
                                                 table + u'?',
                                             QStringLiteral("Overwrite?"));
}

// How a table's send begins: skipped at the user's answer, failed, or going on.
enum class TableStart { Skip, Fail, Send };

// What one direction of a send does in the steps the send loop takes for every table and
// run; the loop keeps the order, the statement in hand and the counts.
class SendDirection {
public:
    explicit SendDirection(TransferContext& c) : ctx(c) {}
    virtual ~SendDirection() = default;

    virtual QString procedure() const = 0;
    virtual TableList& sources() = 0;
    // Opens what the run needs: the connections, and the staging store towards Paradox.
    virtual void open(Run& run) = 0;
    // The questions and checks before the table's source is opened.
    virtual TableStart begin(Run& run, const QString& table) = 0;
    virtual void openSource(Recordset& source, const QString& select) = 0;
    virtual CustomizeRequest request(const QString& table) const = 0;
    virtual Direction direction() const = 0;
    // The columns under the faithful mapping, with run.current their CREATE TABLE.
    virtual void planFaithful(Run& run, const Recordset& source, const CustomizeRequest& request,
                              std::vector<ColumnPlan>& plans) = 0;
    // The faithful plan's types and key for the data type window.
    virtual void propose(CustomizeRequest& request, const Fields& fields) const = 0;
    // The window's choice under the faithful mapping: its key and identity column.
    virtual void chosenFaithful(const CustomizeResult& chosen, const Fields& fields,
                                std::vector<ColumnPlan>& plans) = 0;
    // The table on the target, of the planned columns, with run.current its CREATE TABLE.
    virtual bool create(Run& run, const Recordset& source,
                        const std::vector<ColumnPlan>& plans) = 0;
    virtual std::unique_ptr<RowTarget> rows(Run& run, const std::vector<ColumnPlan>& plans) = 0;
    virtual int copyLine() const = 0;
    // True when the table would replace one of its name on the target.
    virtual bool replaces() const = 0;
    // The complete table takes its name on the target.
    virtual bool publish(Run& run) = 0;
    // After the table took its name, or after it did not (`complete`: all its rows came).
    virtual void published(Run& run) = 0;
    virtual void unpublished(bool complete) = 0;
    // The source once more, when the data type window chose another code page to read it in.
    virtual bool readIn(Run&, Recordset&, const QString&) { return true; }
    // After either: the table's leftovers go, with what may be reported.
    virtual void cleanUp(Run&) {}
    // The table is done with, however its send ended.
    virtual void endTable() = 0;
    // The name of the table in hand on the target.
    virtual QString targetName(const QString& table) const = 0;
    // Opens the published table for reading back, by `select`.
    virtual void openPublished(Recordset& target, const QString& select) = 0;
    // Per field of the published table, the source field it holds; empty: the same order.
    virtual std::vector<int> publishedOrder() const { return {}; }
    // Values of the table in hand written rounded, as its end messages tell.
    virtual qint64 roundedValues() const { return 0; }
    // The end of a run that was not stopped.
    virtual void finish(Run&) {}
    virtual void close(Run& run) = 0;

    TransferContext& ctx;
    Connection paradox;
    Connection sql;

protected:
    // What runs that died left on the server goes (none of this run's, marked `ownMark`); a
    // table given back its name is listed, and the user told.
    void removeServerLeftovers(const QString& ownMark = {})
    {
        if (sql.state() == ado::adStateClosed)
            return;
        for (const RestoredTable& t : removeLeftovers(sql, ownMark)) {
            if (!listContains(*ctx.sqlList, t.table))
                ctx.sqlList->addItem(t.table);
            ctx.host->tableMessage(t.message);
        }
    }

    // Opens the Paradox connection at `line`, then the SQL Server one at line + 2.
    void openConnections(Run& run, int line)
    {
        run.trap.step(line, [&] {
            paradox.cursorLocation = ado::adUseClient;
            paradox.open(ctx.paradoxConnectionString());
        });
        run.trap.step(line + 2, [&] {
            sql.cursorLocation = ado::adUseServer;
            sql.commandTimeout = 5000;
            sql.connectionTimeout = 5000;
            sql.open(ctx.sqlConnectionString());
        });
    }
};

// The CREATE TABLE statement and column plans of a table, from the window or the run's
// mapping; false when the run ends (the window was left) or the table failed.
bool planTable(Run& run, Recordset& source, const CustomizeRequest& request, SendDirection& dir,
               std::vector<ColumnPlan>& plans, bool& runEnds)
{
    const Direction d = dir.direction();
    run.current = request.head;
    if (run.ctx.customize && run.ctx.mapping == Mapping::Faithful) {
        // The window proposes the faithful mapping's types and its key.
        CustomizeRequest faithful = request;
        if (!run.trap.step(124, [&] { dir.planFaithful(run, source, faithful, plans); }))
            return false;
        const QString planned = run.current;
        const std::vector<ColumnPlan> proposed = plans;
        dir.propose(faithful, source.fields());
        runEnds = !customize(run, source, faithful, d, plans);
        if (runEnds)
            return false;
        if (!run.chosen) {
            plans = proposed;
            run.current = planned;
            return true;
        }
        return run.trap.step(124, [&] { dir.chosenFaithful(*run.chosen, source.fields(), plans); });
    }
    if (run.ctx.customize) {
        runEnds = !customize(run, source, request, d, plans);
        return !runEnds;
    }
    if (run.ctx.mapping == Mapping::Faithful)
        return run.trap.step(124, [&] { dir.planFaithful(run, source, request, plans); });
    return run.trap.step(124, [&] {
        plans = defaultPlans(source.fields(), d);
        run.current = completeCreateTable(request.head, source.fields(), plans);
    });
}

// The steps before the rows: the source open and its fields known, the columns planned and
// the table created, before anything else on the target changes. False when the table
// failed or the run ends (`runEnds`).
bool prepareTable(Run& run, SendDirection& d, const QString& table, const QString& select,
                  Recordset& source, std::vector<ColumnPlan>& plans, bool& runEnds)
{
    return run.step(120, select, [&] { d.openSource(source, select); }) &&
           planTable(run, source, d.request(table), d, plans, runEnds) &&
           d.readIn(run, source, select) && d.create(run, source, plans);
}

// Reads the published table back and compares its rows with those sent; a difference is
// reported once and the table counts as not verified.
void verifyTable(Run& run, SendDirection& d, const QString& table, const RowDigests& sent,
                 const QStringList& names, TableResult& result)
{
    RowDigests held(sent.fields());
    run.ctx.host->tableVerifying(result.target);
    const QString select = QStringLiteral("SELECT * FROM ") + bracketName(result.target);
    bool fieldsDiffer = false;
    const bool read = run.step(140, select, [&] {
        Recordset target;
        d.openPublished(target, select);
        const std::vector<int> order = d.publishedOrder();
        const int n = target.fields().count();
        if (n != sent.fields()) {
            fieldsDiffer = true;
            return;
        }
        std::vector<std::uint64_t> digests(static_cast<size_t>(n));
        while (!target.atEnd()) {
            run.ctx.host->processEvents();
            stopIfRequested();
            const Fields& row = target.fields();
            for (int i = 0; i < n; ++i) {
                const size_t to = size_t(i) < order.size() ? size_t(order[size_t(i)]) : size_t(i);
                digests[to < size_t(n) ? to : size_t(i)] = valueDigest(row[i].value);
            }
            held.add(digests.data());
            target.moveNext();
        }
        target.close();
    });
    if (read && !fieldsDiffer && sent.sameRows(held)) {
        result.verification = TableResult::Check::Verified;
        ++run.summary.tablesVerified;
        return;
    }
    result.verification = TableResult::Check::NotVerified;
    ++run.summary.tablesNotVerified;
    if (!read) {
        result.verificationReport = run.trap.lastError();
        return;
    }
    QString text = fieldsDiffer
                       ? QStringLiteral("The table %1 does not have the fields that were sent.")
                             .arg(result.target)
                       : describeDifference(result.target, sent, held, names);
    if (table != result.target)
        text =
            table + QStringLiteral(" was sent as ") + result.target + QStringLiteral(". ") + text;
    result.verificationReport = text;
    run.current = select;
    run.trap.report(140, text);
}

QStringList fieldNames(const Recordset& source)
{
    QStringList names;
    for (const Field& f : source.fields())
        names << f.name;
    return names;
}

// One table, from its questions to its end on the target; false when the whole run ends
// (the window was left).
bool sendTable(Run& run, SendDirection& d, const QString& table)
{
    run.chosen.reset();
    run.codePage = run.ctx.codePage;
    QElapsedTimer clock;
    clock.start();
    TableResult result;
    result.source = table;
    const auto done = qScopeGuard([&] { d.endTable(); });
    const auto told = qScopeGuard([&] {
        if (result.outcome == TableResult::Outcome::Failed && result.cause.isEmpty())
            result.cause = run.trap.lastError();
        result.seconds = double(clock.elapsed()) / 1000.0;
        run.summary.tables.push_back(result);
    });
    const TableStart start = d.begin(run, table);
    result.target = d.targetName(table);
    if (start != TableStart::Send) {
        if (start == TableStart::Skip) {
            ++run.summary.tablesSkipped;
            result.outcome = TableResult::Outcome::Skipped;
        } else {
            run.tableFailed(table);
        }
        return true;
    }
    const QString select = QStringLiteral("SELECT * FROM ") + bracketName(table);
    auto source = std::make_unique<Recordset>();
    std::vector<ColumnPlan> plans;
    bool runEnds = false;
    if (!prepareTable(run, d, table, select, *source, plans, runEnds)) {
        if (!runEnds)
            run.tableFailed(table);
        else
            result.outcome = TableResult::Outcome::Skipped;
        return !runEnds;
    }
    result.target = d.targetName(table);
    const QString created = run.current;
    const QStringList names = fieldNames(*source);
    auto digests = std::make_unique<RowDigests>(source->fields().count());
    std::unique_ptr<RowTarget> target = d.rows(run, plans);
    if (run.ctx.verify)
        target->digests = digests.get();
    CopyResult rows = copyRows(*run.ctx.host, run.trap, d.copyLine(), run.current, *source, select,
                               *target, SourceChange::Retry, run.ctx.maxRowErrors);
    if (rows.sourceChanged) {
        // A program wrote the source meanwhile: read it once more into a table made anew.
        target.reset();
        d.unpublished(false);
        source = std::make_unique<Recordset>();
        const bool reopened = run.step(120, select, [&] { d.openSource(*source, select); });
        run.current = created;
        if (!reopened || !d.create(run, *source, plans)) {
            run.tableFailed(table);
            return true;
        }
        target = d.rows(run, plans);
        digests = std::make_unique<RowDigests>(source->fields().count());
        if (run.ctx.verify)
            target->digests = digests.get();
        rows = copyRows(*run.ctx.host, run.trap, d.copyLine(), run.current, *source, select,
                        *target, SourceChange::ReportAgain, run.ctx.maxRowErrors);
    }
    result.rowsRead = rows.copied + rows.failed;
    result.rowsWritten = rows.copied;
    result.rowsRejected = rows.failed;
    result.rejectedFile = rows.rejectedFile;
    // A table none of whose rows arrived replaces nothing.
    const bool worthSending =
        !rows.complete || rows.copied > 0 || rows.failed == 0 || !d.replaces();
    if (!worthSending) {
        run.current.clear();
        run.trap.report(d.copyLine(),
                        QStringLiteral("None of the %1 rows of the table %2 arrived; it is not "
                                       "sent.")
                            .arg(rows.failed)
                            .arg(table));
    }
    const bool published = rows.complete && worthSending && d.publish(run);
    run.ctx.host->tableEnded(published);
    if (published) {
        ++run.summary.tablesSent;
        result.outcome = TableResult::Outcome::Sent;
        const size_t salvagedBefore = run.summary.salvaged.size();
        d.published(run);
        if (run.summary.salvaged.size() > salvagedBefore) {
            result.salvagedRecords = run.summary.salvaged.back().records;
            result.damageReport = run.summary.salvaged.back().reportFile;
        }
        result.roundedValues = d.roundedValues();
        target.reset();
        if (run.ctx.verify)
            verifyTable(run, d, table, *digests, names, result);
    } else {
        d.unpublished(rows.complete && worthSending);
        run.tableFailed(table);
    }
    d.cleanUp(run);
    tableRows(run, table, rows, published);
    return true;
}

// Every selected table of the direction's list, from the bottom up.
TransferSummary sendTables(TransferContext& ctx, SendDirection& d)
{
    Run run(ctx, d.procedure());
    TableList& list = d.sources();
    if (list.currentIndex() == -1) {
        ctx.host->prompter().message(kNothingSelected, appTitle());
        run.summary.nothingSelected = true;
        return run.summary;
    }
    ctx.host->setWaitPointer(true);
    ctx.host->processEvents();
    d.open(run);
    const int count = int(selectedItems(list).size());
    int number = 0;
    for (int i = list.count() - 1; i >= 0; --i) {
        if (!list.isSelected(i))
            continue;
        stopIfRequested();
        ctx.host->tableStarting(++number, count);
        if (!sendTable(run, d, list.item(i))) {
            run.summary.cancelled = true;
            run.trap.step(150, [&] { closeIfOpen(d.paradox); });
            run.trap.step(152, [&] { closeIfOpen(d.sql); });
            ctx.host->setWaitPointer(false);
            return run.summary;
        }
    }
    d.finish(run);
    ctx.host->setWaitPointer(false);
    d.close(run);
    return run.summary;
}

// Towards Paradox: each table through a table of the run's staging store into the folder.
class ToParadox : public SendDirection {
public:
    using SendDirection::SendDirection;

    QString procedure() const override { return QStringLiteral("PushButton3_Click"); }
    TableList& sources() override { return *ctx.sqlList; }
    void open(Run& run) override
    {
        run.trap.step(106, [&] { m_store = std::make_unique<staging::StagingStore>(); });
        openConnections(run, 108);
        removeServerLeftovers();
    }
    TableStart begin(Run& run, const QString& table) override;
    void openSource(Recordset& source, const QString& select) override
    {
        source.cursorLocation = ado::adUseClient;
        source.open(select, sql);
    }
    CustomizeRequest request(const QString& table) const override
    {
        return {kParadoxTarget, table, QStringLiteral("CREATE TABLE ") + graveName(table) + u'(',
                ctx.sqlConnectionString()};
    }
    Direction direction() const override { return Direction::ToParadox; }
    void planFaithful(Run& run, const Recordset& source, const CustomizeRequest& request,
                      std::vector<ColumnPlan>& plans) override
    {
        m_shape = planParadoxShape(source.fields(), m_key, m_records, m_source);
        plans = m_shape->plans;
        run.current = faithfulStagingStatement(request.head, source.fields(), *m_shape);
    }
    void propose(CustomizeRequest& request, const Fields& fields) const override
    {
        for (int i = 0; i < fields.count(); ++i) {
            request.fieldNames << fields[i].name;
            request.proposedTypes << m_shape->plans[size_t(i)].type;
        }
        request.key = m_key;
    }
    void chosenFaithful(const CustomizeResult& chosen, const Fields&,
                        std::vector<ColumnPlan>&) override
    {
        QStringList columns;
        for (const QString& c : chosen.columnNames)
            columns << c;
        m_shape->layout = keyFirst(columns, chosen.key, m_source, m_shape->moved);
    }
    bool create(Run& run, const Recordset& source, const std::vector<ColumnPlan>& plans) override;
    std::unique_ptr<RowTarget> rows(Run& run, const std::vector<ColumnPlan>& plans) override
    {
        return m_table->rows(plans, run.current);
    }
    int copyLine() const override { return 136; }
    bool replaces() const override { return m_answer == true; }
    bool publish(Run& run) override;
    void published(Run&) override
    {
        m_written.insert(m_table->paradoxName().toUpper());
        if (const int cp = m_writtenIn; cp != 1252)
            ctx.host->tableMessage(
                QStringLiteral("The Paradox table %1 is written in code page %2.")
                    .arg(m_table->paradoxName())
                    .arg(cp));
        if (m_shape && !m_shape->moved.isEmpty())
            ctx.host->tableMessage(m_shape->moved);
        if (const QString rounded = m_table->roundedValuesMessage(); !rounded.isEmpty())
            ctx.host->tableMessage(rounded);
    }
    void unpublished(bool) override {}
    void cleanUp(Run& run) override
    {
        run.step(144, {}, [&] {
            m_table->discard();
            ctx.host->processEvents();
        });
    }
    void endTable() override
    {
        m_table.reset();
        m_shape.reset();
        m_key.clear();
        m_records.clear();
    }
    QString targetName(const QString& table) const override
    {
        return m_table ? m_table->paradoxName() : table;
    }
    void openPublished(Recordset& target, const QString& select) override
    {
        target.open(select, paradox);
    }
    std::vector<int> publishedOrder() const override
    {
        return m_shape ? m_shape->layout.order : std::vector<int>();
    }
    qint64 roundedValues() const override { return m_table ? m_table->roundedValues() : 0; }
    void finish(Run& run) override
    {
        run.trap.step(148, [&] {
            if (ctx.refillParadoxList)
                ctx.refillParadoxList();
        });
    }
    void close(Run& run) override
    {
        run.trap.step(154, [&] { paradox.close(); });
        run.trap.step(156, [&] {
            openedStore(m_store.get());
            m_store.reset();
        });
        run.trap.step(158, [&] { sql.close(); });
    }

private:
    // The questions before the table: the cut to eight characters, then the overwrite. The
    // answer: No skips the table, Yes replaces the table of that name.
    std::optional<bool> askName(Run& run, QString& paradoxName);
    // What the lock files of the folder's table of that name say about overwriting it.
    LockVerdict lockVerdict(const QString& paradoxName) const;

    std::unique_ptr<staging::StagingStore> m_store;
    std::optional<StagedParadoxTable> m_table;
    int m_writtenIn = 1252;              // the code page of the table published last
    QString m_source;                    // the SQL Server table in hand
    QStringList m_key;                   // its primary key, under the faithful mapping
    ParadoxRecords m_records;            // its columns' Paradox fields, under it too
    std::optional<ParadoxShape> m_shape; // under the faithful mapping
    std::optional<bool> m_answer;
    QStringList m_ambiguous;    // the folder's tables the name matches only ignoring case
    bool m_staleAgreed = false; // the user agreed to overwrite over stale lock files
    QSet<QString> m_written;    // the Paradox tables written in this run, in capitals
};

std::optional<bool> ToParadox::askName(Run& run, QString& paradoxName)
{
    std::optional<bool> answer;
    run.step(114, {}, [&] {
        if (paradoxName.size() <= 8)
            return;
        const QString cut = paradoxName.left(8);
        if (ctx.host->prompter().question(
                paradoxName.toUpper() +
                    QStringLiteral(" is more than 8 characters. It will be trimmed into ") +
                    cut.toUpper() + QStringLiteral(". Continue?"),
                QStringLiteral("Continue?")))
            paradoxName = cut;
        else
            answer = false;
    });
    run.step(116, {}, [&] {
        if (answer == false || !listContains(*ctx.paradoxList, paradoxName))
            return;
        // Tables of the folder that differ only in case: none of them is this name's.
        const QStringList like = folderTablesLike(*ctx.paradoxList, paradoxName);
        if (like.size() > 1 && !like.contains(paradoxName))
            m_ambiguous = like;
        else
            answer = askOverwrite(run, listedAs(*ctx.paradoxList, paradoxName));
    });
    return answer;
}

TableStart ToParadox::begin(Run& run, const QString& table)
{
    QString paradoxName = table;
    m_ambiguous.clear();
    m_answer = askName(run, paradoxName);
    if (m_answer == false)
        return TableStart::Skip;
    if (!m_ambiguous.isEmpty()) {
        run.current.clear();
        run.trap.report(115, QStringLiteral("The Paradox folder holds %1, which differ only in "
                                            "case; %2 is not sent.")
                                 .arg(m_ambiguous.join(QStringLiteral(", ")), table));
        return TableStart::Fail;
    }
    // Two names cut to the same eight characters must not replace each other.
    if (m_written.contains(paradoxName.toUpper())) {
        run.current.clear();
        run.trap.report(118, QStringLiteral("The Paradox table %1 was already written in this "
                                            "run from another table; %2 is not sent.")
                                 .arg(paradoxName, table));
        return TableStart::Fail;
    }
    m_staleAgreed = false;
    if (m_answer == true) {
        // A table a Paradox program may hold is not overwritten.
        const LockVerdict locks = lockVerdict(paradoxName);
        if (locks.state == LockVerdict::State::Locked) {
            run.current.clear();
            run.trap.report(117, locks.text);
            return TableStart::Fail;
        }
        if (locks.state == LockVerdict::State::Stale && !run.step(117, {}, [&] {
                m_staleAgreed = ctx.host->prompter().question(locks.text, kStaleLockTitle);
            }))
            return TableStart::Fail;
        if (locks.state == LockVerdict::State::Stale && !m_staleAgreed)
            return TableStart::Skip;
    }
    m_table.emplace(m_store.get(), table, paradoxName);
    m_source = table;
    if (!run.step(119, {}, [&] { m_table->checkName(); }))
        return TableStart::Fail;
    if (ctx.mapping == Mapping::Faithful && !run.step(119, {}, [&] {
            m_key = primaryKeyOf(sql, table);
            m_records = paradoxRecordsOf(sql, table);
        }))
        return TableStart::Fail;
    return TableStart::Send;
}

LockVerdict ToParadox::lockVerdict(const QString& paradoxName) const
{
    const std::optional<std::string> folder = nativePath(ctx.paradoxFolder());
    std::vector<std::filesystem::path> existing;
    std::error_code ec;
    if (folder && std::filesystem::is_directory(*folder, ec))
        if (auto db = paradox::findTableFile(*folder, paradoxName.toStdString()))
            existing.push_back(*db);
    return paradoxLockVerdict(existing, paradoxName, TableChange::Overwrite);
}

bool ToParadox::create(Run& run, const Recordset& source, const std::vector<ColumnPlan>& plans)
{
    const QString created = run.current;
    // A table no Paradox table can hold fails here, before anything is copied.
    return run.step(122, created, [&] {
        m_table->setFields(stagingFields(run, source.fields(), plans), source.recordCount());
        if (m_shape)
            m_table->setShape(m_shape->layout);
    }) && run.step(130, {}, [&] {
        m_table->dropLeftover();
        ctx.host->processEvents();
    }) && run.step(134, created, [&] {
        m_table->setCodePage(run.codePage);
        m_table->create();
    });
}

bool ToParadox::publish(Run& run)
{
    const QString folder = collapseBackslashes(ctx.paradoxFolder() + u'/');
    return run.step(142, m_table->publishStatement(folder), [&] {
        // A closing program stops the writing; the table is not placed.
        if (m_answer == true) {
            // Checked again: a program may have opened the table while it was copied.
            const LockVerdict locks = lockVerdict(m_table->paradoxName());
            if (locks.state == LockVerdict::State::Locked ||
                (locks.state == LockVerdict::State::Stale && !m_staleAgreed))
                throw DataError(lockRefusal(locks, m_table->paradoxName(), TableChange::Overwrite));
        }
        m_writtenIn = m_table->codePage();
        m_table->publish(folder, m_answer == true, [&] {
            ctx.host->processEvents();
            stopIfRequested();
        });
        ctx.host->processEvents();
    });
}

// Towards SQL Server: each table built on the server under a name of its own and given its
// name once it is complete.
class ToSqlServer : public SendDirection {
public:
    using SendDirection::SendDirection;

    QString procedure() const override { return QStringLiteral("PushButton4_Click"); }
    TableList& sources() override { return *ctx.paradoxList; }
    void open(Run& run) override
    {
        const QStringList names = sqlServerNames(*ctx.paradoxList);
        for (int i = 0; i < ctx.paradoxList->count(); ++i)
            m_names.insert(ctx.paradoxList->item(i), names[i]);
        paradox.setTextCodePage(ctx.codePage);
        openConnections(run, 106);
        // The run's mark: its lock, held by this connection, says that the run lives.
        if (sql.state() != ado::adStateClosed) {
            try {
                holdRunLock(sql, m_mark);
            } catch (const DataError&) {
                // Without the lock the run still sends; its tables just look unowned.
            }
        }
        removeServerLeftovers(m_mark);
    }
    TableStart begin(Run& run, const QString& table) override
    {
        m_answer.reset();
        m_table = m_names.value(table, table);
        if (const QString own = QString(table).replace(u'/', u'_'); m_table != own)
            ctx.host->tableMessage(QStringLiteral("%1 is sent to SQL Server as %2: %3 of the "
                                                  "Paradox list takes the name %4 there, where "
                                                  "names do not differ by case.")
                                       .arg(table, m_table, takerOf(own), m_names[takerOf(own)]));
        run.step(112, {}, [&] {
            if (listContains(*ctx.sqlList, m_table))
                m_answer = askOverwrite(run, listedAs(*ctx.sqlList, m_table));
        });
        if (m_answer == false)
            return TableStart::Skip;
        m_source = table;
        m_swap.emplace(sql, m_table, m_mark);
        return TableStart::Send;
    }
    void openSource(Recordset& source, const QString& select) override
    {
        paradox.setTextCodePage(ctx.codePage);
        m_readIn = ctx.codePage;
        source.open(select, paradox);
        salvageIfDamaged(source);
    }
    bool readIn(Run& run, Recordset& source, const QString& select) override
    {
        if (run.codePage == m_readIn)
            return true;
        const QString created = run.current; // the statement the window completed
        const auto restore = qScopeGuard([&] { run.current = created; });
        return run.step(120, select, [&] {
            m_readIn = run.codePage;
            paradox.setTextCodePage(run.codePage);
            source.close();
            if (m_damage)
                source.openCursor(
                    openSalvaged(ctx.paradoxFolder(), m_source, m_damage->records, run.codePage),
                    true);
            else
                source.open(select, paradox);
        });
    }
    CustomizeRequest request(const QString& table) const override
    {
        return {kSqlServerTarget, table, head(m_table), ctx.paradoxConnectionString()};
    }
    Direction direction() const override { return Direction::ToSqlServer; }
    void planFaithful(Run& run, const Recordset& source, const CustomizeRequest& request,
                      std::vector<ColumnPlan>& plans) override
    {
        m_shape = planSqlServerShape(source.fields(), paradox, m_table);
        plans = m_shape->plans;
        run.current = faithfulCreateTable(request.head, source.fields(), *m_shape);
        m_columns.clear();
        for (const Field& f : source.fields())
            m_columns << f.name;
    }
    void propose(CustomizeRequest& request, const Fields& fields) const override
    {
        for (int i = 0; i < fields.count(); ++i) {
            request.fieldNames << fields[i].name;
            request.proposedTypes << columnDefinitionType(*m_shape, i);
        }
        for (const int k : m_shape->key)
            request.key << fields[k].name;
    }
    void chosenFaithful(const CustomizeResult& chosen, const Fields&,
                        std::vector<ColumnPlan>& plans) override
    {
        m_shape->identity = -1;
        m_columns.clear();
        m_shape->records.resize(chosen.columnTypes.size());
        for (size_t i = 0; i < chosen.columnTypes.size() && i < plans.size(); ++i) {
            const QString type = chosen.columnTypes[i].simplified().toUpper();
            // A column of another type than planned no longer holds what its record says.
            if (i >= m_shape->plans.size() || !type.startsWith(m_shape->plans[i].type.toUpper()))
                m_shape->records[i].clear();
            if (m_shape->identity < 0 && type.contains(QLatin1String("IDENTITY")))
                m_shape->identity = int(i);
            if (type.startsWith(QLatin1String("MONEY")))
                plans[i].roundedDecimals = 4;
            m_columns << (i < chosen.columnNames.size() ? chosen.columnNames[i] : QString());
        }
    }
    bool create(Run& run, const Recordset&, const std::vector<ColumnPlan>&) override
    {
        if (!run.trap.step(126, [&] { m_swap->create(run.current, head(m_table)); }))
            return false;
        // The Paradox fields the column types do not say are kept on the columns.
        const QString created = run.current;
        const QString records =
            m_shape ? paradoxRecordStatements(m_swap->building(), m_columns, m_shape->records)
                    : QString();
        if (!records.isEmpty() && !run.step(126, records, [&] { sql.execute(records); }))
            return false;
        run.current = created;
        return run.trap.step(126, [&] { identityInsert(true); });
    }
    std::unique_ptr<RowTarget> rows(Run& run, const std::vector<ColumnPlan>& plans) override
    {
        auto target = std::make_unique<SqlRowTarget>(sql, m_table, m_swap->building(), plans,
                                                     run.current, ctx.rowsPerStatement);
        if (m_shape && m_shape->identity >= 0)
            target->nameColumns(m_columns);
        m_rows = target.get();
        return target;
    }
    int copyLine() const override { return 128; }
    bool replaces() const override { return m_answer == true; }
    bool publish(Run& run) override
    {
        return run.step(136, m_swap->publishStatement(), [&] {
            identityInsert(false);
            m_swap->publish(m_answer == true, run.current);
        });
    }
    void published(Run& run) override
    {
        run.trap.step(138, [&] { m_swap->dropReplaced(run.current); });
        if (m_shape)
            faithfulMessages();
        // The list shows the table only when the server has it.
        run.step(134, {}, [&] {
            removeListItem(*ctx.sqlList, m_table);
            ctx.sqlList->addItem(m_table);
        });
        if (m_damage)
            keepReport(run);
    }
    void unpublished(bool complete) override
    {
        try {
            identityInsert(false);
        } catch (const DataError&) {
            // The table goes; the setting with it.
        }
        if (!complete)
            m_swap->discard();
    }
    QString targetName(const QString& table) const override
    {
        return m_table.isEmpty() ? table : m_table;
    }
    void openPublished(Recordset& target, const QString& select) override
    {
        target.open(select, sql);
    }
    qint64 roundedValues() const override
    {
        qint64 n = 0;
        for (size_t i = 0; m_rows && i < m_rows->rounded().size(); ++i)
            n += m_rows->rounded()[i];
        return n;
    }
    void endTable() override
    {
        m_swap.reset();
        m_damage.reset();
        m_shape.reset();
        m_rows = nullptr;
        m_identityInsert = false;
    }
    void close(Run& run) override
    {
        run.trap.step(154, [&] { sql.close(); });
        run.trap.step(156, [&] { paradox.close(); });
    }

private:
    // The item whose SQL Server name equals name ignoring case.
    QString takerOf(const QString& name) const
    {
        for (auto it = m_names.begin(); it != m_names.end(); ++it)
            if (it.value().compare(name, Qt::CaseInsensitive) == 0)
                return it.key();
        return name;
    }
    static QString head(const QString& table)
    {
        return QStringLiteral("CREATE TABLE ") + bracketName(table) + u'(';
    }

    // A table the plain read refuses: on the user's Yes the source becomes a salvage read
    // of it; on No it stays as it is and fails as it always did.
    void salvageIfDamaged(Recordset& source)
    {
        m_damage = findDamage(ctx.paradoxFolder(), m_source, [this] {
            ctx.host->processEvents();
            stopIfRequested();
        });
        if (!m_damage)
            return;
        if (!ctx.host->prompter().question(salvageQuestion(m_source, *m_damage), kSalvageTitle)) {
            m_damage.reset();
            return;
        }
        source.close();
        source.openCursor(
            openSalvaged(ctx.paradoxFolder(), m_source, m_damage->records, ctx.codePage), true);
    }

    // The salvaged table's report goes beside the rejected rows, and its end message says so.
    void keepReport(Run& run)
    {
        SalvagedTable salvaged{m_source, m_damage->records, {}, {}};
        salvaged.reportFile = keepDamageReport(m_source, m_damage->report, salvaged.error);
        run.summary.salvaged.push_back(salvaged);
        ctx.host->tableMessage(m_source + QStringLiteral(": ") + salvagedText(salvaged));
    }

    // SET IDENTITY_INSERT for the table being built, when it has an IDENTITY column.
    void identityInsert(bool on)
    {
        if (!m_shape || m_shape->identity < 0 || m_identityInsert == on)
            return;
        m_identityInsert = on;
        sql.execute(QStringLiteral("SET IDENTITY_INSERT ") + bracketName(m_swap->building()) +
                    (on ? QStringLiteral(" ON") : QStringLiteral(" OFF")));
    }
    // What the faithful mapping tells at the table's end: rounded money, kept notes.
    void faithfulMessages()
    {
        QStringList lines = m_shape->notes;
        for (size_t i = 0; m_rows && i < m_rows->rounded().size(); ++i)
            if (m_rows->rounded()[i] > 0)
                lines << QStringLiteral("%1 values of field %2 were rounded to four decimals.")
                             .arg(m_rows->rounded()[i])
                             .arg(m_columns.value(qsizetype(i)));
        if (!lines.isEmpty())
            ctx.host->tableMessage(lines.join(u'\n'));
    }

    const QString m_mark = newRunMark();
    QHash<QString, QString> m_names; // each Paradox item's SQL Server name
    QString m_source;                // the Paradox item of the table in hand
    int m_readIn = 0;                // the code page its source is read in
    QString m_table;                 // the SQL Server name of the table in hand
    std::optional<SqlTableSwap> m_swap;
    std::optional<bool> m_answer;
    std::optional<TableDamage> m_damage;   // a damaged table sent by salvage
    std::optional<SqlServerShape> m_shape; // under the faithful mapping
    QStringList m_columns;
    SqlRowTarget* m_rows = nullptr; // the rows target of the table in hand
    bool m_identityInsert = false;
};

} // namespace

RunResults runResults(const TransferSummary& summary, const QString& title)
{
    RunResults r;
    r.title = title;
    r.headings = {QStringLiteral("Table"),          QStringLiteral("Sent as"),
                  QStringLiteral("Result"),         QStringLiteral("Rows read"),
                  QStringLiteral("Rows written"),   QStringLiteral("Rows rejected"),
                  QStringLiteral("Rounded values"), QStringLiteral("Verified"),
                  QStringLiteral("Time"),           QStringLiteral("Kept rows and reports")};
    const auto firstLine = [](const QString& text) { return text.section(u'\n', 0, 0); };
    for (const TableResult& t : summary.tables) {
        QString result = t.outcome == TableResult::Outcome::Sent      ? QStringLiteral("Sent")
                         : t.outcome == TableResult::Outcome::Skipped ? QStringLiteral("Skipped")
                                                                      : QStringLiteral("Not sent");
        if (t.outcome == TableResult::Outcome::Failed && !t.cause.isEmpty())
            result += QStringLiteral(": ") + firstLine(t.cause);
        if (t.salvagedRecords >= 0)
            result += QStringLiteral(" (salvaged: %1 records)").arg(t.salvagedRecords);
        const QString verified = t.verification == TableResult::Check::Verified
                                     ? QStringLiteral("Yes")
                                 : t.verification == TableResult::Check::NotVerified
                                     ? QStringLiteral("No: ") + firstLine(t.verificationReport)
                                     : QString();
        QStringList kept;
        for (const QString& file : {t.rejectedFile, t.damageReport})
            if (!file.isEmpty())
                kept << file;
        const bool ran = t.outcome != TableResult::Outcome::Skipped;
        r.rows.push_back(
            {t.source, t.target, result, ran ? QString::number(t.rowsRead) : QString(),
             ran ? QString::number(t.rowsWritten) : QString(),
             ran ? QString::number(t.rowsRejected) : QString(),
             ran ? QString::number(t.roundedValues) : QString(), verified,
             ran ? QString::number(t.seconds, 'f', 1) + QStringLiteral(" s") : QString(),
             kept.join(QStringLiteral(", "))});
        if (!kept.isEmpty())
            r.keptFolder = rejectedRowsFolder();
    }
    return r;
}

TransferSummary sendTablesToParadox(TransferContext& ctx)
{
    ToParadox direction(ctx);
    return sendTables(ctx, direction);
}

TransferSummary sendTablesToSqlServer(TransferContext& ctx)
{
    ToSqlServer direction(ctx);
    return sendTables(ctx, direction);
}

} // namespace tabulex
