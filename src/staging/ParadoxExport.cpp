#include "staging/ParadoxExport.h"

#include "core/DataError.h"
#include "staging/ParadoxFields.h"

#include "paradox/Error.h"
#include "paradox/TableFiles.h"
#include "paradox/TableWriter.h"

#include <QFile>

#include <filesystem>

namespace tabulex::staging {

namespace {

namespace fs = std::filesystem;

// The error number of a name that cannot be a file name.
constexpr int kBadFileName = 52;

} // namespace

paradox::Value paradoxValueOf(const Value& v)
{
    switch (v.kind()) {
    case Value::Kind::Null:
        return {};
    case Value::Kind::Bool:
        return paradox::Value(v.toBool());
    case Value::Kind::Int:
        return paradox::Value(std::int64_t(v.toInt()));
    case Value::Kind::Double:
        return paradox::Value(v.toDouble());
    case Value::Kind::Text:
        return paradox::Value(v.toString().toStdString());
    case Value::Kind::Bytes:
        return paradox::Value(paradox::Bytes{v.toBytes().toStdString()});
    case Value::Kind::Timestamp: {
        const Timestamp& t = v.toTimestamp();
        return paradox::Value(paradox::Timestamp{
            {t.date.year, t.date.month, t.date.day},
            {t.time.hour, t.time.minute, t.time.second, t.time.nanos / 1000000}});
    }
    case Value::Kind::Date:
        return paradox::Value(
            paradox::Timestamp{{v.toDate().year, v.toDate().month, v.toDate().day}, {}});
    case Value::Kind::Decimal:
        return paradox::Value(v.toDecimal().text.toDouble());
    default:
        return paradox::Value(v.toText().toStdString());
    }
}

void checkParadoxTableName(const QString& paradoxName)
{
    if (!paradox::isFileableTableName(paradoxName.toStdString()))
        throw DataError(QStringLiteral("Bad file name or number"), kBadFileName);
}

Value exportedValue(const Value& v, const ColumnType& type)
{
    using paradox::FieldType;
    if (v.kind() == Value::Kind::Timestamp) {
        Timestamp t = v.toTimestamp();
        t.time.nanos = t.time.nanos / 1000000 * 1000000;
        if (type.paradoxType == FieldType::Date)
            return Value(t.date);
        if (type.paradoxType == FieldType::Time)
            return Value(t.time);
        return Value(t);
    }
    if (v.kind() == Value::Kind::Decimal && type.paradoxType != FieldType::Bcd)
        return v.toDecimal().text.isEmpty() ? Value() : Value(v.toDecimal().text.toDouble());
    return v;
}

namespace {

// A value for a Paradox field of the faithful mapping: dates and times out of the staging
// store's timestamps, BCD digits as they are.
paradox::Value exactValueOf(const Value& v, const ColumnType& type)
{
    using paradox::FieldType;
    if (v.kind() == Value::Kind::Timestamp && type.paradoxType == FieldType::Date) {
        const Date& d = v.toTimestamp().date;
        return paradox::Value(paradox::Date{d.year, d.month, d.day});
    }
    if (v.kind() == Value::Kind::Timestamp && type.paradoxType == FieldType::Time) {
        const Time& t = v.toTimestamp().time;
        return paradox::Value(paradox::Time{t.hour, t.minute, t.second, t.nanos / 1000000});
    }
    if (v.kind() == Value::Kind::Decimal && type.paradoxType == FieldType::Bcd)
        return paradox::Value(paradox::Decimal{v.toDecimal().text.toStdString()});
    return paradoxValueOf(v);
}

} // namespace

void exportToParadox(const StagingStore& store, const QString& table, const QString& folder,
                     const QString& paradoxName, bool replace, const std::function<void()>& eachRow,
                     const ExportShape& shape)
{
    const StagingTable& t = store.table(table);
    const fs::path dir(QFile::encodeName(folder).toStdString());
    std::error_code ec;
    if (!fs::is_directory(dir, ec))
        throw DataError(QStringLiteral("'%1' is not a valid path.  Make sure that the path name "
                                       "is spelled correctly and that you are connected to the "
                                       "server on which the file resides.")
                            .arg(folder));
    const QString file = paradoxName + QStringLiteral(".db");
    // Like SELECT INTO, the export never replaces a table that is there unless asked to; the
    // old table's family goes only when the new files are complete and take its name.
    if (!replace && paradox::findTableFile(dir, paradoxName.toStdString()))
        throw DataError(QStringLiteral("Table '%1' already exists.").arg(file));

    try {
        paradox::WriteOptions options;
        options.codePage = t.codePages.codePage();
        options.rows = std::uint64_t(t.rowCount);
        options.replace = replace;
        options.keyFields = shape.keyFields;
        std::vector<int> order = shape.order;
        for (size_t i = order.size(); i < t.columns.size(); ++i)
            order.push_back(int(i));
        const std::vector<paradox::FieldDefinition> fields = paradoxFields(t, options.codePage);
        std::vector<paradox::FieldDefinition> laidOut;
        for (const int i : order)
            laidOut.push_back(fields[size_t(i)]);
        paradox::TableWriter writer(dir / QFile::encodeName(file).toStdString(), laidOut, options);
        std::vector<paradox::Value> out(t.columns.size());
        store.readRows(t, [&](const std::vector<Value>& row) {
            for (size_t i = 0; i < row.size(); ++i) {
                const size_t from = size_t(order[i]);
                const ColumnType& type = t.columns[from].type;
                out[i] =
                    type.paradoxType ? exactValueOf(row[from], type) : paradoxValueOf(row[from]);
            }
            writer.append(out);
            if (eachRow)
                eachRow();
        });
        writer.commit();
    } catch (const paradox::Error& err) {
        // Another run put a table of that name there while this one was writing.
        if (err.cause() == paradox::kTableExists)
            throw DataError(QStringLiteral("Table '%1' already exists.").arg(file));
        throw DataError(QString::fromStdString(err.what()));
    }
}

} // namespace tabulex::staging
