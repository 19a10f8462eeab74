#include "drivers/paradox/ParadoxCursor.h"

#include "paradox/TableShape.h"

#include "core/DataError.h"
#include "paradox/Error.h"
#include "paradox/TableReader.h"

namespace tabulex::paradoxdriver {

namespace {

Date dateOf(const paradox::Date& d) { return Date{d.year, d.month, d.day}; }

Time timeOf(const paradox::Time& t)
{
    return Time{t.hour, t.minute, t.second, t.millisecond * 1'000'000};
}

Value valueOf(paradox::Value& v)
{
    using K = paradox::Value::Kind;
    switch (v.kind()) {
    case K::Null:
        return Value();
    case K::Bool:
        return Value(v.toBool());
    case K::Int:
        return Value(v.toInt());
    case K::Double:
        return Value(v.toDouble());
    case K::Decimal:
        return Value(Decimal{QString::fromStdString(v.toDecimal().text)});
    case K::Text:
        return Value(QString::fromStdString(v.toText()));
    case K::Bytes: {
        const std::string& b = v.toBytes().data;
        return Value(QByteArray(b.data(), qsizetype(b.size())));
    }
    case K::Date:
        return Value(dateOf(v.toDate()));
    case K::Time:
        return Value(timeOf(v.toTime()));
    case K::Timestamp:
        return Value(Timestamp{dateOf(v.toTimestamp().date), timeOf(v.toTimestamp().time)});
    }
    return Value();
}

ColumnInfo columnOf(const paradox::Field& f)
{
    ColumnInfo c;
    c.name = QString::fromStdString(f.name);
    c.adoType = paradox::adoTypeOf(f.type);
    c.typeName = QString::fromLatin1(paradox::fieldTypeName(f.type));
    c.nativeSize = f.size;
    c.autoIncrement = f.type == paradox::FieldType::AutoIncrement;
    if (f.type == paradox::FieldType::Alpha || f.type == paradox::FieldType::Bytes)
        c.definedSize = f.size;
    // A BCD field is an exact decimal of 32 digits with its size as the decimals.
    if (f.type == paradox::FieldType::Bcd) {
        c.precision = 32;
        c.scale = f.size;
    }
    return c;
}

} // namespace

QString tableError(const QString& table, const QString& cause)
{
    return QStringLiteral("Paradox table %1: %2").arg(table, cause);
}

ParadoxCursor::ParadoxCursor(std::unique_ptr<paradox::TableReader> reader, QString table,
                             qint64 limit, std::filesystem::path dbFile, paradox::TableStamp stamp,
                             const paradox::TableShape* shape, std::optional<qint64> records)
    : m_reader(std::move(reader)), m_dbFile(std::move(dbFile)), m_stamp(std::move(stamp)),
      m_table(std::move(table))
{
    for (const paradox::Field& f : m_reader->header().fields)
        m_columns.push_back(columnOf(f));
    for (std::size_t i = 0; shape && i < m_columns.size(); ++i) {
        m_columns[i].keyField = int(i) < shape->keyFields;
        m_columns[i].required = i < shape->required.size() && shape->required[i];
    }
    m_count = records.value_or(qint64(m_reader->header().recordCount));
    if (limit >= 0 && limit < m_count)
        m_count = limit;
    m_limit = limit;
}

ParadoxCursor::~ParadoxCursor() = default;

void ParadoxCursor::requireUnchanged() const
{
    if (!m_dbFile.empty() && paradox::stampOf(m_dbFile) != m_stamp)
        throw DataError(tableError(m_table, QStringLiteral("the table changed while it was read "
                                                           "(its size, time or header)")),
                        kSourceChangedError);
}

bool ParadoxCursor::fetch(std::vector<Value>& row)
{
    // Without a limit the reader runs to the end of the chain, where it checks the count.
    if (m_limit >= 0 && m_fetched == m_limit)
        return false;
    try {
        if (!m_reader->next(m_row)) {
            requireUnchanged();
            return false;
        }
    } catch (const paradox::Error& e) {
        requireUnchanged(); // damage seen while a program writes is that program's change
        throw DataError(tableError(m_table, QString::fromStdString(e.cause())));
    }
    ++m_fetched;
    row.resize(m_row.size());
    for (std::size_t i = 0; i < m_row.size(); ++i)
        row[i] = valueOf(m_row[i]);
    return true;
}

} // namespace tabulex::paradoxdriver
