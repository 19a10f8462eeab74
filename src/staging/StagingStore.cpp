#include "staging/StagingStore.h"

#include "core/DataError.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <sqlite3.h>

#include <algorithm>
#include <set>

#include <unistd.h>

namespace tabulex::staging {

namespace {

constexpr qint64 kMsPerDay = 86400000;

[[noreturn]] void sqliteFailed(sqlite3* db, const QString& what)
{
    throw StoreFailure(QStringLiteral("The staging store failed (%1): %2")
                           .arg(what, QString::fromUtf8(sqlite3_errmsg(db))));
}

qint64 packTimestamp(const Timestamp& ts)
{
    const qint64 day = (qint64(ts.date.year) * 13 + ts.date.month) * 32 + ts.date.day;
    const qint64 ms = ((qint64(ts.time.hour) * 60 + ts.time.minute) * 60 + ts.time.second) * 1000 +
                      ts.time.nanos / 1000000;
    return day * kMsPerDay + ms;
}

Timestamp unpackTimestamp(qint64 packed)
{
    qint64 day = packed / kMsPerDay;
    qint64 ms = packed % kMsPerDay;
    Timestamp ts;
    ts.date.day = int(day % 32);
    day /= 32;
    ts.date.month = int(day % 13);
    ts.date.year = int(day / 13);
    ts.time.nanos = int(ms % 1000) * 1000000;
    ms /= 1000;
    ts.time.second = int(ms % 60);
    ms /= 60;
    ts.time.minute = int(ms % 60);
    ts.time.hour = int(ms / 60);
    return ts;
}

const char* sqliteType(JetType t)
{
    switch (t) {
    case JetType::Byte:
    case JetType::Short:
    case JetType::Long:
    case JetType::Counter:
    case JetType::Bit:
    case JetType::DateTime:
        return "INTEGER";
    case JetType::Single:
    case JetType::Double:
    case JetType::Decimal:
    case JetType::Currency:
        return "REAL";
    case JetType::Binary:
    case JetType::LongBinary:
        return "BLOB";
    default:
        return "TEXT";
    }
}

void bindValue(sqlite3_stmt* st, int index, const Value& v)
{
    switch (v.kind()) {
    case Value::Kind::Null:
        sqlite3_bind_null(st, index);
        break;
    case Value::Kind::Bool:
        sqlite3_bind_int(st, index, v.toBool() ? 1 : 0);
        break;
    case Value::Kind::Int:
        sqlite3_bind_int64(st, index, v.toInt());
        break;
    case Value::Kind::Double:
        sqlite3_bind_double(st, index, v.toDouble());
        break;
    case Value::Kind::Text:
        sqlite3_bind_text16(st, index, v.toString().utf16(), int(v.toString().size() * 2),
                            SQLITE_TRANSIENT);
        break;
    case Value::Kind::Bytes:
        sqlite3_bind_blob64(st, index, v.toBytes().constData(), sqlite3_uint64(v.toBytes().size()),
                            SQLITE_TRANSIENT);
        break;
    case Value::Kind::Timestamp:
        sqlite3_bind_int64(st, index, packTimestamp(v.toTimestamp()));
        break;
    default:
        sqlite3_bind_text16(st, index, v.toText().utf16(), -1, SQLITE_TRANSIENT);
        break;
    }
}

// BCD fields keep their digits as text.
const char* sqliteType(const ColumnType& t)
{
    return t.paradoxType == paradox::FieldType::Bcd ? "TEXT" : sqliteType(t.type);
}

Value columnValue(sqlite3_stmt* st, int index, JetType t)
{
    if (sqlite3_column_type(st, index) == SQLITE_NULL)
        return {};
    switch (t) {
    case JetType::Byte:
    case JetType::Short:
    case JetType::Long:
    case JetType::Counter:
        return Value(std::int64_t(sqlite3_column_int64(st, index)));
    case JetType::Bit:
        return Value(sqlite3_column_int(st, index) != 0);
    case JetType::DateTime:
        return Value(unpackTimestamp(sqlite3_column_int64(st, index)));
    case JetType::Single:
    case JetType::Double:
    case JetType::Decimal:
    case JetType::Currency:
        return Value(sqlite3_column_double(st, index));
    case JetType::Binary:
    case JetType::LongBinary: {
        const char* p = static_cast<const char*>(sqlite3_column_blob(st, index));
        return Value(QByteArray(p, sqlite3_column_bytes(st, index)));
    }
    default: {
        const auto* p = static_cast<const QChar*>(sqlite3_column_text16(st, index));
        return Value(QString(p, sqlite3_column_bytes16(st, index) / 2));
    }
    }
}

// The characters beyond ASCII of a text, each once, with the first column they are in.
void collectCharacters(QStringView text, int column, std::vector<char32_t>& chars,
                       std::vector<int>& columns)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x80)
            continue;
        char32_t cp = c;
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            cp = QChar::surrogateToUcs4(c, text[++i].unicode());
        if (std::find(chars.begin(), chars.end(), cp) == chars.end()) {
            chars.push_back(cp);
            columns.push_back(column);
        }
    }
}

QString characterList(const std::vector<char32_t>& missing)
{
    constexpr size_t kShown = 8;
    QStringList shown;
    for (size_t i = 0; i < missing.size() && i < kShown; ++i)
        shown << QString::fromStdString(paradox::describeCharacter(missing[i]));
    QString text = shown.join(QStringLiteral(", "));
    if (missing.size() > kShown)
        text += QStringLiteral(" and %1 more").arg(missing.size() - kShown);
    return text;
}

// The fields (or field names) that hold the missing characters, quoted, in field order.
QString fieldList(const StagingTable& t, const std::vector<char32_t>& chars,
                  const std::vector<int>& columns, const std::vector<char32_t>& missing)
{
    std::set<int> held;
    for (size_t i = 0; i < chars.size(); ++i)
        if (std::find(missing.begin(), missing.end(), chars[i]) != missing.end())
            held.insert(columns[i]);
    QStringList names;
    for (int c : held)
        names << u'\'' + t.columns[size_t(c)].name + u'\'';
    return names.join(QStringLiteral(", "));
}

} // namespace

PreparedStatement::PreparedStatement(sqlite3* db, const QString& sql)
{
    if (sqlite3_prepare16_v2(db, sql.utf16(), -1, &m_stmt, nullptr) != SQLITE_OK)
        sqliteFailed(db, QStringLiteral("preparing a statement"));
}

PreparedStatement::~PreparedStatement() { sqlite3_finalize(m_stmt); }

StagingStore::StagingStore()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    QTemporaryFile file(folder + QStringLiteral("/tabulex-staging-XXXXXX.sqlite"));
    file.setAutoRemove(false);
    if (!file.open())
        throw DataError(QStringLiteral("Cannot create the staging store in %1: %2")
                            .arg(folder, file.errorString()));
    m_path = file.fileName();
    file.close();
    const QByteArray native = QFile::encodeName(m_path);
    const int opened = sqlite3_open_v2(native.constData(), &m_db,
                                       SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    // The name goes at once: SQLite keeps working on the open file, which no journal or
    // other file by its name follows, and the rows never outlive the process.
    ::unlink(native.constData());
    if (opened != SQLITE_OK) {
        const QString why = QString::fromUtf8(sqlite3_errmsg(m_db));
        sqlite3_close(m_db);
        throw DataError(QStringLiteral("Cannot open the staging store %1: %2").arg(m_path, why));
    }
    // Scratch data: no journal, no fsync, one transaction for the store's life.
    exec(QStringLiteral(
        "PRAGMA encoding='UTF-16le'; PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; "
        "PRAGMA locking_mode=EXCLUSIVE; PRAGMA cache_size=-16384; "
        "PRAGMA temp_store=FILE; BEGIN"));
}

StagingStore::~StagingStore()
{
    m_tables.clear(); // finalizes the cached statements before the database closes
    sqlite3_close(m_db);
}

void StagingStore::exec(const QString& sql) const
{
    char* err = nullptr;
    if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &err) != SQLITE_OK) {
        const QString why = QString::fromUtf8(err ? err : "unknown error");
        sqlite3_free(err);
        throw StoreFailure(QStringLiteral("The staging store failed: %1").arg(why));
    }
}

void StagingStore::createTable(const QString& table, const std::vector<StagingField>& fields,
                               int codePage)
{
    // The texts Jet gives for a table without a name or without fields.
    if (table.isEmpty() || fields.empty())
        throw DataError(QStringLiteral("Syntax error in CREATE TABLE statement."));
    const QString key = table.toLower();
    if (m_tables.count(key))
        throw DataError(QStringLiteral("Table '%1' already exists.").arg(table));
    StagingTable t;
    t.name = table;
    t.sqliteName = QStringLiteral("t%1").arg(++m_nextId);
    std::set<QString> seen;
    QString sql = QStringLiteral("CREATE TABLE \"%1\"(").arg(t.sqliteName);
    for (const StagingField& f : fields) {
        if (!seen.insert(f.name.toLower()).second)
            throw DataError(
                QStringLiteral("Field '%1' already exists in table '%2'.").arg(f.name, table));
        sql += QStringLiteral("%1c%2 %3")
                   .arg(t.columns.empty() ? QString() : QStringLiteral(","))
                   .arg(t.columns.size())
                   .arg(QLatin1String(sqliteType(f.type)));
        t.columns.push_back(f);
    }
    if (codePage != 0)
        t.codePages = paradox::CodePageChoice(codePage);
    std::vector<char32_t> chars;
    std::vector<int> columns;
    for (size_t i = 0; i < t.columns.size(); ++i)
        collectCharacters(t.columns[i].name, int(i), chars, columns);
    const paradox::CodePageChoice::Verdict names = t.codePages.admit(chars);
    if (names.fit != paradox::CodePageChoice::Fit::Fits) {
        const QString which = characterList(names.missing);
        throw DataError(
            names.fit == paradox::CodePageChoice::Fit::NoneHolds
                ? QStringLiteral("The field names hold %1, which no Windows code page can hold "
                                 "together; the Paradox table is not written.")
                      .arg(which)
                : QStringLiteral("The field names hold %1, which code page %2 cannot hold; the "
                                 "Paradox table is not written.")
                      .arg(which)
                      .arg(t.codePages.codePage()));
    }
    t.longest.assign(t.columns.size(), TextExtent());
    t.rounded.assign(t.columns.size(), 0);
    exec(sql + u')');
    QString insert = QStringLiteral("INSERT INTO \"%1\" VALUES(").arg(t.sqliteName);
    for (size_t i = 0; i < t.columns.size(); ++i)
        insert += i ? QStringLiteral(",?") : QStringLiteral("?");
    t.insert = std::make_unique<PreparedStatement>(m_db, insert + u')');
    m_tables.emplace(key, std::move(t));
}

void StagingStore::dropTable(const QString& table)
{
    const auto it = m_tables.find(table.toLower());
    if (it == m_tables.end())
        throw DataError(QStringLiteral("Table '%1' does not exist.").arg(table));
    const QString sqliteName = it->second.sqliteName;
    m_tables.erase(it);
    exec(QStringLiteral("DROP TABLE \"%1\"").arg(sqliteName));
}

bool StagingStore::hasTable(const QString& table) const
{
    return m_tables.count(table.toLower()) > 0;
}

StagingTable& StagingStore::writableTable(const QString& name)
{
    return const_cast<StagingTable&>(std::as_const(*this).table(name));
}

const StagingTable& StagingStore::table(const QString& name) const
{
    const auto it = m_tables.find(name.toLower());
    if (it == m_tables.end())
        throw DataError(QStringLiteral("The Microsoft Jet database engine cannot find the input "
                                       "table or query '%1'.  Make sure it exists and that its "
                                       "name is spelled correctly.")
                            .arg(name));
    return it->second;
}

void StagingTable::noteText(int column, QStringView text)
{
    TextExtent seen;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        ++seen.characters;
        ++seen.wideBytes;
        seen.hasNul = seen.hasNul || c == 0;
        if (c < 0x80)
            continue;
        ++seen.wideBytes;
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
    }
    TextExtent& most = longest[size_t(column)];
    most.characters = std::max(most.characters, seen.characters);
    most.wideBytes = std::max(most.wideBytes, seen.wideBytes);
    most.hasNul = most.hasNul || seen.hasNul;
}

const std::vector<Value>& StagingStore::addRow(const QString& name, const std::vector<Value>& row)
{
    StagingTable& t = writableTable(name);
    if (row.size() != t.columns.size())
        throw DataError(
            QStringLiteral("Number of query values and destination fields are not the same."));
    // Every value is checked before anything of the row is kept.
    std::vector<Value>& values = t.stored;
    values.clear();
    std::vector<size_t> rounded;
    for (size_t i = 0; i < row.size(); ++i) {
        bool wasRounded = false;
        values.push_back(convertValue(row[i], t.columns[i].type, t.columns[i].name, &wasRounded));
        if (wasRounded)
            rounded.push_back(i);
    }
    // Text the table's code page cannot hold fails the row as it is read; nothing is changed.
    std::vector<char32_t> chars;
    std::vector<int> columns;
    for (size_t i = 0; i < values.size(); ++i)
        if (values[i].kind() == Value::Kind::Text)
            collectCharacters(values[i].toString(), int(i), chars, columns);
    if (!chars.empty()) {
        const paradox::CodePageChoice::Verdict v = t.codePages.admit(chars);
        if (v.fit == paradox::CodePageChoice::Fit::NoneHolds)
            throw DataError(
                QStringLiteral("The row holds %1 (%2), which no Windows code page "
                               "can hold%3; the row is not sent.")
                    .arg(characterList(v.missing), fieldList(t, chars, columns, v.missing),
                         v.missing.size() > 1 ? QStringLiteral(" together") : QString()));
        if (v.fit == paradox::CodePageChoice::Fit::NotHeld)
            throw DataError(
                QStringLiteral("The row holds %1 (%2), which code page %3 cannot hold: the "
                               "Paradox table is written in code page %3, %4. The row is not "
                               "sent.")
                    .arg(characterList(v.missing), fieldList(t, chars, columns, v.missing))
                    .arg(t.codePages.codePage())
                    .arg(t.codePages.fixed() ? QStringLiteral("as chosen")
                                             : QStringLiteral("which holds the rows before")));
    }
    sqlite3_stmt* st = t.insert->get();
    sqlite3_reset(st);
    for (size_t i = 0; i < values.size(); ++i)
        bindValue(st, int(i) + 1, values[i]);
    if (sqlite3_step(st) != SQLITE_DONE)
        sqliteFailed(m_db, QStringLiteral("storing a row"));
    ++t.rowCount;
    // Only what was stored counts.
    for (size_t i = 0; i < values.size(); ++i)
        if (values[i].kind() == Value::Kind::Text)
            t.noteText(int(i), values[i].toString());
    for (size_t i : rounded)
        ++t.rounded[i];
    return values;
}

void StagingStore::readRows(const StagingTable& t,
                            const std::function<void(const std::vector<Value>&)>& row) const
{
    PreparedStatement select(
        m_db, QStringLiteral("SELECT * FROM \"%1\" ORDER BY rowid").arg(t.sqliteName));
    std::vector<Value> values(t.columns.size());
    int rc;
    while ((rc = sqlite3_step(select.get())) == SQLITE_ROW) {
        for (size_t i = 0; i < values.size(); ++i) {
            const bool bcd = t.columns[i].type.paradoxType == paradox::FieldType::Bcd;
            values[i] =
                columnValue(select.get(), int(i), bcd ? JetType::Text : t.columns[i].type.type);
            if (bcd && !values[i].isNull())
                values[i] = Value(Decimal{values[i].toString()});
        }
        row(values);
    }
    if (rc != SQLITE_DONE)
        sqliteFailed(m_db, QStringLiteral("reading rows"));
}

} // namespace tabulex::staging
