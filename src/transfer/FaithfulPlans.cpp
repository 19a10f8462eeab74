#include "transfer/FaithfulPlans.h"

#include "core/DataError.h"
#include "core/SqlQuoting.h"
#include "data/Connection.h"
#include "data/Recordset.h"
#include "transfer/FaithfulTypes.h"
#include "transfer/KeyCollisions.h"
#include "transfer/Statements.h"

#include <algorithm>
#include <map>

namespace tabulex {

namespace {

// Reads the rows once: keys the server would refuse throw, and required fields with a blank
// value stay nullable.
void checkValues(const Fields& fields, Connection& paradox, const QString& table,
                 SqlServerShape& shape)
{
    std::vector<QString> names;
    for (const int k : shape.key)
        names.push_back(fields[k].name);
    KeyCollisions keys(shape.key, names);
    std::vector<bool> blank(size_t(fields.count()), false);
    Recordset rows;
    rows.open(QStringLiteral("SELECT * FROM ") + bracketName(table), paradox);
    std::vector<Value> row(size_t(fields.count()));
    for (; !rows.atEnd(); rows.moveNext()) {
        for (int i = 0; i < fields.count(); ++i) {
            row[size_t(i)] = rows.fields()[i].value;
            blank[size_t(i)] = blank[size_t(i)] || writtenAsNull(row[size_t(i)]);
        }
        if (shape.key.empty())
            continue;
        if (const auto refused = keys.add(row))
            throw DataError(
                QStringLiteral("The key of %1 cannot be kept: %2.").arg(table, *refused));
    }
    for (int i = 0; i < fields.count(); ++i) {
        if (!fields[i].required || fields[i].keyField)
            continue;
        if (blank[size_t(i)])
            shape.notes << QStringLiteral("Field %1 is required in Paradox but has blank values; "
                                          "on SQL Server it takes NULL.")
                               .arg(fields[i].name);
        else
            shape.notNull[size_t(i)] = true;
    }
}

} // namespace

SqlServerShape planSqlServerShape(const Fields& fields, Connection& paradox, const QString& table)
{
    SqlServerShape shape;
    shape.notNull.assign(size_t(fields.count()), false);
    bool check = false;
    for (int i = 0; i < fields.count(); ++i) {
        const Field& f = fields[i];
        shape.plans.push_back(faithfulSqlServerPlan(f));
        shape.records.push_back(paradoxFieldRecord(f));
        if (f.keyField) {
            shape.key.push_back(i);
            shape.notNull[size_t(i)] = true;
        }
        if (f.autoIncrement) {
            if (shape.identity < 0) {
                shape.identity = i;
                shape.notNull[size_t(i)] = true;
                shape.records.back().clear(); // IDENTITY says it
            } else {
                shape.notes << QStringLiteral("Field %1 is an Autoincrement field too; SQL Server "
                                              "keeps one IDENTITY column a table, so it is an INT.")
                                   .arg(f.name);
            }
        }
        check = check || f.keyField || f.required;
    }
    if (check)
        checkValues(fields, paradox, table, shape);
    return shape;
}

QString columnDefinitionType(const SqlServerShape& shape, int column)
{
    QString type = shape.plans[size_t(column)].type;
    if (column == shape.identity)
        type += QLatin1String(" IDENTITY(1,1)");
    if (shape.notNull[size_t(column)])
        type += QLatin1String(" NOT NULL");
    return type;
}

QString faithfulCreateTable(const QString& head, const Fields& fields, const SqlServerShape& shape)
{
    QString s = head;
    for (int i = 0; i < fields.count(); ++i)
        s += bracketName(fields[i].name) + u' ' + columnDefinitionType(shape, i) + u',';
    if (!shape.key.empty()) {
        QStringList key;
        for (const int k : shape.key)
            key << bracketName(fields[k].name);
        s += QStringLiteral("PRIMARY KEY (") + key.join(u',') + QStringLiteral("),");
    }
    s.chop(1);
    return s + QLatin1String(");");
}

QStringList primaryKeyOf(Connection& sql, const QString& table)
{
    QString statement = QStringLiteral("EXEC sp_pkeys @table_name = N");
    appendQuoted(statement, table);
    Recordset rows;
    rows.open(statement, sql);
    std::map<qint64, QString> bySequence;
    for (; !rows.atEnd(); rows.moveNext())
        bySequence[rows.fields()[QStringLiteral("KEY_SEQ")].value.toText().toLongLong()] =
            rows.fields()[QStringLiteral("COLUMN_NAME")].value.toText();
    QStringList key;
    for (const auto& [sequence, column] : bySequence)
        key << column;
    return key;
}

QString paradoxRecordStatements(const QString& table, const QStringList& columns,
                                const std::vector<QString>& records)
{
    QString s;
    for (qsizetype i = 0; i < columns.size() && size_t(i) < records.size(); ++i) {
        if (records[size_t(i)].isEmpty())
            continue;
        s += QStringLiteral("EXEC sp_addextendedproperty @name = N");
        appendQuoted(s, QString(kParadoxTypeProperty));
        s += QStringLiteral(", @value = N");
        appendQuoted(s, records[size_t(i)]);
        s += QStringLiteral(", @level0type = N'SCHEMA', @level0name = N'dbo', @level1type = "
                            "N'TABLE', @level1name = N");
        appendQuoted(s, table);
        s += QStringLiteral(", @level2type = N'COLUMN', @level2name = N");
        appendQuoted(s, columns[i]);
        s += u';';
    }
    return s;
}

ParadoxRecords paradoxRecordsOf(Connection& sql, const QString& table)
{
    // The value is a sql_variant on the server: asked for as text.
    QString statement = QStringLiteral("SELECT [objname], CAST([value] AS NVARCHAR(4000)) AS "
                                       "[value] FROM sys.fn_listextendedproperty(N");
    appendQuoted(statement, QString(kParadoxTypeProperty));
    statement += QStringLiteral(", N'SCHEMA', N'dbo', N'TABLE', N");
    appendQuoted(statement, table);
    statement += QStringLiteral(", N'COLUMN', NULL)");
    ParadoxRecords records;
    try {
        Recordset rows;
        rows.open(statement, sql);
        for (; !rows.atEnd(); rows.moveNext())
            records.insert(rows.fields()[0].value.toText().toLower(),
                           rows.fields()[1].value.toText());
    } catch (const DataError&) {
        // A server that keeps no records: every column gets the field its type gives.
        return {};
    }
    return records;
}

ParadoxShape planParadoxShape(const Fields& fields, const QStringList& key,
                              const ParadoxRecords& records, const QString& table)
{
    ParadoxShape shape;
    for (const Field& f : fields) {
        ColumnPlan plan = defaultColumnPlan(f, Direction::ToParadox);
        auto exact = recordedParadoxField(f, records.value(f.name.toLower()));
        if (!exact)
            exact = faithfulParadoxField(f);
        if (exact) {
            plan.type = paradoxTypeWord(*exact);
            plan.stagingType = staging::paradoxColumnType(exact->type, exact->size);
            if (exact->type == paradox::FieldType::Logical)
                plan.style = LiteralStyle::BooleanDigits;
        }
        shape.plans.push_back(plan);
    }
    QStringList columns;
    for (const Field& f : fields)
        columns << f.name;
    shape.layout = keyFirst(columns, key, table, shape.moved);
    return shape;
}

staging::ExportShape keyFirst(const QStringList& columns, const QStringList& key,
                              const QString& table, QString& moved)
{
    staging::ExportShape layout;
    std::vector<int>& order = layout.order;
    for (const QString& column : key) {
        const qsizetype at = columns.indexOf(column, 0);
        qsizetype found = at;
        for (qsizetype i = 0; found < 0 && i < columns.size(); ++i)
            if (columns[i].compare(column, Qt::CaseInsensitive) == 0)
                found = i;
        if (found < 0)
            throw DataError(
                QStringLiteral("The key of %1 names a column the table does not have: %2.")
                    .arg(table, column));
        order.push_back(int(found));
    }
    layout.keyFields = int(order.size());
    bool inPlace = true;
    for (int i = 0; i < layout.keyFields; ++i)
        inPlace = inPlace && order[size_t(i)] == i;
    moved.clear();
    if (!inPlace)
        moved = QStringLiteral("The key fields %1 of %2 come first in the Paradox table, as "
                               "Paradox keys must.")
                    .arg(key.join(QStringLiteral(", ")), table);
    for (int i = 0; i < int(columns.size()); ++i)
        if (std::find(order.begin(), order.end(), i) == order.end())
            order.push_back(i);
    if (layout.keyFields == 0)
        order.clear();
    return layout;
}

QString faithfulStagingStatement(const QString& head, const Fields& fields,
                                 const ParadoxShape& shape)
{
    QString s = completeCreateTable(head, fields, shape.plans);
    if (shape.layout.keyFields == 0)
        return s;
    QStringList key;
    for (int i = 0; i < shape.layout.keyFields; ++i)
        key << bracketName(fields[shape.layout.order[size_t(i)]].name);
    s.chop(2); // ");"
    return s + QStringLiteral(", PRIMARY KEY (") + key.join(u',') + QStringLiteral("));");
}

} // namespace tabulex
