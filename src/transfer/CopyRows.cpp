#include "transfer/CopyRows.h"

#include "host/CommandHost.h"
#include "data/Connection.h"
#include "host/ErrorTrap.h"
#include "data/Recordset.h"
#include "staging/StagingConnection.h"
#include "transfer/Statements.h"

#include <cmath>

namespace tabulex {

void stagingLiterals(const Fields& fields, const std::vector<ColumnPlan>& columns,
                     std::vector<staging::Literal>& out)
{
    using staging::Literal;
    out.resize(size_t(fields.count()));
    for (int i = 0; i < fields.count(); ++i) {
        const Value& v = fields[i].value;
        Literal& lit = out[size_t(i)];
        lit.source = &v;
        const bool empty = v.isNull() ||
                           (v.kind() == Value::Kind::Text && v.toString().isEmpty()) ||
                           (v.kind() == Value::Kind::Bytes && v.toBytes().isEmpty()) ||
                           (v.kind() == Value::Kind::Decimal && v.toDecimal().text.isEmpty());
        const LiteralStyle style = columns[size_t(i)].style;
        if (empty) {
            lit.kind = Literal::Kind::Null;
            lit.text.clear();
        } else if (style == LiteralStyle::Hex && v.kind() == Value::Kind::Bytes) {
            lit.kind = Literal::Kind::Hex;
            lit.text = v.toText();
        } else if (style == LiteralStyle::BooleanDigits && v.kind() == Value::Kind::Bool) {
            lit.kind = Literal::Kind::Number;
            lit.text = v.toBool() ? QStringLiteral("1") : QStringLiteral("0");
        } else {
            // Only text is copied now; the store writes other values' text when it needs it.
            lit.kind = Literal::Kind::Text;
            lit.text = v.kind() == Value::Kind::Text ? v.toString() : QString();
        }
    }
}

namespace {

// Hands the row to the staging store as its values; the INSERT text is built only when a
// report needs it.
class RowWriter {
public:
    RowWriter(Connection& target, const QString& table, const std::vector<ColumnPlan>& columns,
              QString& currentStatement, CommandHost& host)
        : m_target(target), m_table(table), m_columns(columns), m_current(currentStatement),
          m_host(host)
    {
        if (target.state() != ado::adStateClosed)
            m_staging = dynamic_cast<staging::StagingConnection*>(&target.driver());
    }

    void write(const Fields& fields)
    {
        if (!m_staging) {
            m_current = buildInsertStatement(m_table, fields, m_columns, &m_host);
            verifyValuesFit(fields, m_columns);
            m_target.execute(m_current);
            return;
        }
        for (int i = 0; i < fields.count(); ++i)
            m_host.processEvents();
        try {
            stagingLiterals(fields, m_columns, m_literals);
            m_staging->insertRow(m_table, m_literals);
            m_last = fields;
            m_lastPending = true;
        } catch (...) {
            m_current = buildInsertStatement(m_table, fields, m_columns);
            m_lastPending = false;
            throw;
        }
    }

    // The statement in hand after the copy is the last row's, as if each had been built.
    void finish()
    {
        if (m_lastPending)
            m_current = buildInsertStatement(m_table, m_last, m_columns);
    }

private:
    Connection& m_target;
    const QString& m_table;
    const std::vector<ColumnPlan>& m_columns;
    QString& m_current;
    CommandHost& m_host;
    staging::StagingConnection* m_staging = nullptr;
    std::vector<staging::Literal> m_literals;
    Fields m_last;
    bool m_lastPending = false;
};

} // namespace

CopyResult copyRows(CommandHost& host, ErrorTrap& trap, int line, Recordset& source,
                    Connection& target, const QString& table,
                    const std::vector<ColumnPlan>& columns, QString& currentStatement)
{
    CopyResult result;
    RowWriter writer(target, table, columns, currentStatement, host);
    // The count comes before the rows; should the table have changed in between, every
    // row still goes and the bar simply stops at 100.
    const qint64 n = source.recordCount() - 1;
    RowProgress rows{table, 0, n + 1};
    host.setRowProgress(rows);
    for (qint64 r = 0; !source.atEnd(); ++r) {
        host.processEvents();
        const double share = n >= 0 ? double(r + 1) / double(n + 1) : 1.0;
        host.setProgress(int(std::lround(std::min(share, 1.0) * 100.0)));
        const bool ok = trap.step(line, [&] { writer.write(source.fields()); });
        ++(ok ? result.copied : result.failed);
        rows.done = r + 1;
        rows.failed = result.failed;
        host.setRowProgress(rows);
        if (!trap.step(line + 2, [&] { source.moveNext(); }))
            break; // a source that cannot move on has no more rows to give
    }
    writer.finish();
    rows.finished = true;
    host.setRowProgress(rows);
    host.setWaitPointer(false);
    host.setProgress(0);
    host.setProgressText(kProgressBarIdleText);
    trap.step(line + 4, [&] { source.close(); });
    return result;
}

} // namespace tabulex
