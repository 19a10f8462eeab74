#include "batch/BatchRun.h"

#include "batch/Console.h"
#include "batch/NameEscapes.h"
#include "batch/StopSignals.h"
#include "core/AppInfo.h"
#include "folders/FileTests.h"
#include "folders/PathEncoding.h"
#include "host/ErrorTrap.h"
#include "host/ProgressText.h"
#include "tables/ListFill.h"
#include "tables/ParadoxTableCommands.h"
#include "tables/SqlTableCommands.h"
#include "transfer/TableDamage.h"
#include "transfer/Transfers.h"

#include "paradox/TableFiles.h"
#include "paradox/TableReader.h"
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <algorithm>

namespace tabulex::batch {

namespace {

constexpr int kParadoxNameLength = 8;

// Unset becomes Ask where there is a terminal to ask on.
Answer resolved(Answer given, const Console& console)
{
    return given == Answer::Unset && console.inputIsTerminal() ? Answer::Ask : given;
}

// list paradox --long: what the table's header says of its text, version, rows and key.
QString tableFacts(const QString& folder, const QString& entry)
{
    try {
        const std::optional<std::string> root = nativePath(folder);
        const auto file = root ? paradox::findTableEntry(*root, entry.toStdString()) : std::nullopt;
        if (!file)
            return QStringLiteral("cannot be read: no table file");
        const paradox::TableHeader h = paradox::TableReader::open(*file)->header();
        const QString codePage = h.codePage != 0 ? QStringLiteral("code page %1").arg(h.codePage)
                                                 : QStringLiteral("no code page (read as %1)")
                                                       .arg(QString::fromStdString(h.encoding));
        return QStringLiteral("%1  version %2  %3  %4")
            .arg(codePage, QString::fromStdString(h.versionText()), groupedRows(h.recordCount),
                 h.keyFields > 0 ? QStringLiteral("keyed") : QStringLiteral("not keyed"));
    } catch (const std::exception& e) {
        return QStringLiteral("cannot be read: ") + QString::fromLocal8Bit(e.what());
    }
}

QString sideName(Side side) { return side == Side::Sql ? "SQL Server" : "Paradox"; }

QString plural(qint64 n, const char* one, const char* many)
{
    return groupedCount(n) + u' ' + QString::fromLatin1(n == 1 ? one : many);
}

} // namespace

BatchRun::BatchRun(const BatchOptions& options, const ConnectionFields& fields, Console& console)
    : m_options(options), m_fields(fields), m_console(console),
      m_overwrite(resolved(options.overwrite, console)), m_cut(resolved(options.cut, console)),
      m_damaged(resolved(options.damaged, console)),
      m_prompter(console, m_overwrite, m_cut, m_damaged,
                 options.command == Command::Rename ? options.names.value(1) : QString(),
                 options.ignoreStaleLocks),
      m_host(console, m_prompter)
{
}

int BatchRun::run()
{
    m_clock.start();
    m_started = QDateTime::currentDateTimeUtc();
    if ((m_overwrite == Answer::Ask || m_cut == Answer::Ask || m_damaged == Answer::Ask) &&
        !m_console.inputIsTerminal())
        throw UsageError(QStringLiteral("ask needs a terminal on standard input"));
    requireConnectionValues();
    switch (m_options.command) {
    case Command::List:
        return list();
    case Command::Send:
        return send();
    case Command::Delete:
        return remove();
    case Command::Rename:
        return rename();
    case Command::Help:
    case Command::Version:
        break;
    }
    return kExitSuccess;
}

void BatchRun::requireConnectionValues() const
{
    const bool both = m_options.command == Command::Send;
    if ((both || m_options.side == Side::Sql) && m_fields.server.isEmpty())
        throw UsageError(QStringLiteral("no SQL Server: give --server, or store one in the "
                                        "connection window"));
    if ((both || m_options.side == Side::Paradox) && m_fields.paradoxFolder.isEmpty())
        throw UsageError(QStringLiteral("no Paradox folder: give --folder, or store one in the "
                                        "connection window"));
}

bool BatchRun::fill(MemoryTableList& list, Side side)
{
    try {
        if (side == Side::Sql) {
            fillSqlTableList(list, sqlConnectionString(m_fields), m_host);
            return true;
        }
        if (!isFolder(m_fields.paradoxFolder)) {
            m_console.line(QStringLiteral("tabulex-batch: the Paradox folder %1 does not exist")
                               .arg(m_fields.paradoxFolder));
            return false;
        }
        fillParadoxTableList(list, m_fields.paradoxFolder, m_host);
        return true;
    } catch (const std::exception& e) {
        m_console.line(QStringLiteral("tabulex-batch: the %1 tables could not be listed: %2")
                           .arg(sideName(side), describe(e)));
        return false;
    }
}

void BatchRun::select(MemoryTableList& list, Side side, const QStringList& names, bool all) const
{
    const QStringList items = list.items();
    QStringList unknown;
    for (const QString& name : names) {
        if (items.contains(name))
            continue;
        // The same name in another case, else a table of that name in a subfolder.
        auto like = std::find_if(items.begin(), items.end(), [&](const QString& item) {
            return item.compare(name, Qt::CaseInsensitive) == 0;
        });
        if (like == items.end())
            like = std::find_if(items.begin(), items.end(), [&](const QString& item) {
                return item.endsWith(u'/' + name, Qt::CaseInsensitive);
            });
        unknown
            << (like != items.end()
                    ? QStringLiteral("%1 (listed as %2)").arg(escapedName(name), escapedName(*like))
                    : escapedName(name));
    }
    if (!unknown.isEmpty())
        throw UsageError(QStringLiteral("not among the %1 tables: %2")
                             .arg(sideName(side), unknown.join(QStringLiteral(", "))));
    list.select(all ? items : names);
}

void BatchRun::requireAnswers(const TableList& source) const
{
    const bool toParadox = m_options.side == Side::Paradox;
    const TableList& target = toParadox ? m_paradoxList : m_sqlList;
    QStringList longNames;
    QStringList existing;
    QStringList damaged;
    QStringList created; // names the run adds to the SQL Server list before a later table
    const QStringList sqlNames = toParadox ? QStringList() : sqlServerNames(source);
    for (int i = source.count() - 1; i >= 0; --i) {
        if (!source.isSelected(i))
            continue;
        QString name = toParadox ? source.item(i) : sqlNames[i];
        if (!toParadox && m_damaged == Answer::Unset &&
            findDamage(m_fields.paradoxFolder, source.item(i), [] {}))
            damaged << escapedName(source.item(i));
        if (toParadox && name.size() > kParadoxNameLength) {
            longNames << escapedName(name);
            if (m_cut == Answer::No)
                continue;
            name.truncate(kParadoxNameLength);
        }
        if (listContains(target, name) || created.contains(name, Qt::CaseInsensitive))
            existing << escapedName(name);
        if (!toParadox)
            created << name;
    }
    const QString noTerminal = QStringLiteral("standard input is not a terminal to ask on: ");
    if (m_cut == Answer::Unset && !longNames.isEmpty())
        throw UsageError(noTerminal + QStringLiteral("%1 longer than 8 characters; give --cut "
                                                     "yes or --cut no")
                                          .arg(longNames.join(QStringLiteral(", "))));
    if (m_overwrite == Answer::Unset && !existing.isEmpty())
        throw UsageError(noTerminal +
                         QStringLiteral("%1 already on the %2 side; give "
                                        "--overwrite yes or --overwrite no")
                             .arg(existing.join(QStringLiteral(", ")), sideName(m_options.side)));
    if (!damaged.isEmpty())
        throw UsageError(noTerminal + QStringLiteral("%1 damaged; give --damaged salvage or "
                                                     "--damaged skip")
                                          .arg(damaged.join(QStringLiteral(", "))));
}

int BatchRun::status(bool failed) const
{
    if (stopSignal())
        return kExitStopped + stopSignal();
    if (m_prompter.unanswerable())
        return kExitUsage;
    return failed || m_prompter.errorReports() > 0 || m_prompter.messages() > 0 ||
                   m_prompter.staleLocksKept() > 0
               ? kExitFailure
               : kExitSuccess;
}

void BatchRun::summary(const QString& text)
{
    const QString stop =
        stopSignal() ? QStringLiteral("stopped by %1; ").arg(stopSignalName()) : QString();
    m_console.line(QStringLiteral("Summary: ") + stop + text +
                   QStringLiteral(", %1 s").arg(double(m_clock.elapsed()) / 1000.0, 0, 'f', 1));
}

int BatchRun::list()
{
    MemoryTableList& list = listOf(m_options.side);
    if (!fill(list, m_options.side))
        return kExitFailure;
    for (const QString& name : list.items())
        m_console.result(m_options.longList ? escapedName(name) + QStringLiteral("  ") +
                                                  tableFacts(m_fields.paradoxFolder, name)
                                            : escapedName(name));
    return status(false);
}

int BatchRun::send()
{
    const bool toParadox = m_options.side == Side::Paradox;
    MemoryTableList& source = toParadox ? m_sqlList : m_paradoxList;
    if (!fill(m_sqlList, Side::Sql) || !fill(m_paradoxList, Side::Paradox))
        return kExitFailure;
    select(source, toParadox ? Side::Sql : Side::Paradox, m_options.names, m_options.all);
    requireAnswers(source);

    // The context the table window builds, over this program's lists and host.
    TransferContext ctx;
    ctx.host = &m_host;
    ctx.sqlList = &m_sqlList;
    ctx.paradoxList = &m_paradoxList;
    ctx.sqlConnectionString = [this] { return sqlConnectionString(m_fields); };
    ctx.paradoxConnectionString = [this] {
        return paradoxConnectionString(m_fields.paradoxFolder);
    };
    ctx.paradoxFolder = [this] { return m_fields.paradoxFolder; };
    ctx.rowsPerStatement = m_options.rowsPerStatement;
    ctx.maxRowErrors = m_options.maxRowErrors;
    ctx.mapping = m_options.mapping;
    ctx.codePage = m_options.codePage;
    ctx.verify = m_options.verify;
    ctx.refillParadoxList = [this] {
        fillParadoxTableList(m_paradoxList, m_fields.paradoxFolder, m_host);
    };
    TransferSummary s;
    try {
        s = toParadox ? sendTablesToParadox(ctx) : sendTablesToSqlServer(ctx);
    } catch (const RunStopped&) {
        const int status = stopped();
        writeReport(nullptr, status);
        return status;
    }

    for (const TableFailure& f : s.failures)
        m_console.line(escapedName(f.table) + QStringLiteral(": not sent: ") + f.cause);
    for (const SalvagedTable& t : s.salvaged)
        m_console.line(escapedName(t.table) + QStringLiteral(": ") + salvagedText(t));
    for (const TableResult& t : s.tables)
        if (t.verification == TableResult::Check::NotVerified)
            m_console.line(escapedName(t.source) + QStringLiteral(": not verified: ") +
                           t.verificationReport.section(u'\n', 0, 0));
    for (const RejectedRowsFile& r : s.rejected)
        m_console.line(escapedName(r.table) + QStringLiteral(": ") +
                       plural(r.rows, "row failed", "rows failed") +
                       (r.path.isEmpty() ? QStringLiteral(", not kept: ") + r.error
                                         : QStringLiteral(", kept in ") + r.path));
    const QString verified =
        !m_options.verify ? QStringLiteral(", not checked (--verify no)")
        : s.tablesNotVerified == 0
            ? QStringLiteral(", %1 verified").arg(groupedCount(s.tablesVerified))
            : QStringLiteral(", %1 verified, %2 not verified")
                  .arg(groupedCount(s.tablesVerified), groupedCount(s.tablesNotVerified));
    summary(plural(s.tablesSent, "table done", "tables done") +
            QStringLiteral(" (%1 skipped, %2 failed), ")
                .arg(groupedCount(s.tablesSkipped), groupedCount(s.tablesFailed)) +
            plural(s.rowsCopied, "row copied", "rows copied") + QStringLiteral(", ") +
            plural(s.rowsFailed, "row failed", "rows failed") + verified);
    int result = status(s.tablesFailed > 0 || s.rowsFailed > 0 || s.nothingSelected ||
                        s.cancelled || s.tablesNotVerified > 0);
    if (!writeReport(&s, result) && result == kExitSuccess)
        result = kExitFailure;
    return result;
}

namespace {

QJsonValue textOrNull(const QString& text) { return text.isEmpty() ? QJsonValue() : text; }

QJsonObject tableJson(const TableResult& t)
{
    static const char* const outcomes[] = {"sent", "skipped", "failed"};
    QJsonObject o;
    o["source"] = t.source;
    o["target"] = t.target;
    o["outcome"] = outcomes[int(t.outcome)];
    o["rows_read"] = double(t.rowsRead);
    o["rows_written"] = double(t.rowsWritten);
    o["rows_rejected"] = double(t.rowsRejected);
    o["rounded_values"] = double(t.roundedValues);
    o["salvage"] = t.salvagedRecords < 0
                       ? QJsonValue()
                       : QJsonValue(QJsonObject{{"records", double(t.salvagedRecords)},
                                                {"damage_report", textOrNull(t.damageReport)}});
    o["verified"] = t.verification == TableResult::Check::Off
                        ? QJsonValue()
                        : QJsonValue(t.verification == TableResult::Check::Verified);
    o["verification_report"] = textOrNull(t.verificationReport);
    o["cause"] = textOrNull(t.cause);
    o["seconds"] = t.seconds;
    o["rejected_rows_file"] = textOrNull(t.rejectedFile);
    o["damage_report"] = textOrNull(t.damageReport);
    return o;
}

} // namespace

bool BatchRun::writeReport(const TransferSummary* s, int status)
{
    if (!m_options.report)
        return true;
    QJsonObject totals;
    QJsonArray tables;
    qint64 read = 0, written = 0, rejected = 0, rounded = 0;
    if (s) {
        for (const TableResult& t : s->tables) {
            tables.append(tableJson(t));
            read += t.rowsRead;
            written += t.rowsWritten;
            rejected += t.rowsRejected;
            rounded += t.roundedValues;
        }
        totals["tables_sent"] = s->tablesSent;
        totals["tables_skipped"] = s->tablesSkipped;
        totals["tables_failed"] = s->tablesFailed;
        totals["tables_verified"] = s->tablesVerified;
        totals["tables_not_verified"] = s->tablesNotVerified;
    }
    totals["rows_read"] = double(read);
    totals["rows_written"] = double(written);
    totals["rows_rejected"] = double(rejected);
    totals["rounded_values"] = double(rounded);
    QJsonObject run;
    run["program"] = "tabulex-batch";
    run["direction"] = m_options.side == Side::Paradox ? "to paradox" : "to sql";
    run["verify"] = m_options.verify;
    run["start"] = m_started.toString(Qt::ISODateWithMs);
    run["end"] = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
    run["exit_status"] = status;
    run["stopped"] = s == nullptr;
    run["totals"] = totals;
    run["tables"] = tables;
    QSaveFile file(*m_options.report);
    if (file.open(QIODevice::WriteOnly) &&
        file.write(QJsonDocument(run).toJson(QJsonDocument::Indented)) >= 0 && file.commit())
        return true;
    m_console.line(QStringLiteral("tabulex-batch: the report %1 could not be written: %2")
                       .arg(*m_options.report, file.errorString()));
    return false;
}

int BatchRun::stopped()
{
    const RowProgress& table = m_host.lastTable();
    const QString rows =
        table.total >= table.done
            ? groupedCount(table.done) + QStringLiteral(" of ") + groupedCount(table.total)
            : groupedCount(table.done);
    summary(QStringLiteral("%1 was being copied (%2 rows); it is not sent; before it ")
                .arg(escapedName(table.table), rows) +
            plural(m_host.tablesCopied(), "table copied", "tables copied") + QStringLiteral(", ") +
            plural(m_host.rowsCopied(), "row copied", "rows copied") + QStringLiteral(", ") +
            plural(m_host.rowsFailed(), "row failed", "rows failed"));
    return status(true);
}

int BatchRun::remove()
{
    const Side side = m_options.side;
    MemoryTableList& list = listOf(side);
    if (!fill(list, side))
        return kExitFailure;
    select(list, side, m_options.names, false);
    const int selected = int(selectedItems(list).size());
    const int deleted = side == Side::Sql
                            ? deleteSqlTables(list, sqlConnectionString(m_fields), m_host)
                            : deleteParadoxTables(list, m_fields.paradoxFolder, m_host);
    // A table that could not be deleted stays listed and selected.
    for (const QString& kept : selectedItems(list))
        m_console.line(escapedName(kept) + QStringLiteral(": not deleted"));
    summary(plural(deleted, "table deleted", "tables deleted") + QStringLiteral(", ") +
            groupedCount(selected - deleted) + QStringLiteral(" not deleted"));
    return status(deleted < selected);
}

int BatchRun::rename()
{
    const Side side = m_options.side;
    const QString& oldName = m_options.names[0];
    const QString& newName = m_options.names[1];
    if (oldName == newName)
        throw UsageError(QStringLiteral("the new name is the old name"));
    MemoryTableList& list = listOf(side);
    if (!fill(list, side))
        return kExitFailure;
    select(list, side, {oldName}, false);
    const bool renamed = side == Side::Sql
                             ? renameSqlTable(list, sqlConnectionString(m_fields), m_host)
                             : renameParadoxTable(list, m_fields.paradoxFolder, m_host);
    summary(escapedName(oldName) + (renamed ? QStringLiteral(" renamed to ") + escapedName(newName)
                                            : QStringLiteral(" not renamed")));
    // No to the overwrite question is an answer, not a failure.
    return status(!renamed && m_prompter.declined() == 0);
}

} // namespace tabulex::batch
